// One audio block the host hands an add-on: a buffer from the host's
// allocator, put in the record's audio fields as an audio command carries
// it. Whatever the add-on leaves there (the block itself, a buffer of its
// own from AllocateAudio, or none) is the host's to free, and is freed when
// the object ends.
//
//     HostBlock block(record, samples, count, {2, 44100, true, false});
//     record.Send(kefo::kCmdProcessPlayback);
//     const std::string fault = block.ReturnFault();  // empty when it fits
//     std::vector<float> out = block.Returned();
#pragma once

#include <string>
#include <vector>

#include "HostRecord.h"

namespace hostsim {

struct BlockFormat {
    int channels = 2;
    int sampleRate = 44100;
    bool start = false;  // the stream's first block
    bool end = false;    // its last
};

class HostBlock {
public:
    // count samples copied from samples (zeros when null). Without a buffer
    // the record carries a null pointer with the count, as a careless host
    // might send it.
    HostBlock(HostRecord& record, const float* samples, int count, const BlockFormat& format,
              bool withBuffer = true);
    ~HostBlock();
    HostBlock(const HostBlock&) = delete;
    HostBlock& operator=(const HostBlock&) = delete;

    // The host's buffer (null when it could not be allocated or was left
    // out), to fill before the call.
    float* Sent() const { return sent_; }
    int SentCount() const { return count_; }
    // The record holds the host's block with its count, as it went.
    bool CameBackAsSent() const;
    // What came back: empty without a buffer or samples.
    std::vector<float> Returned() const;
    // The first sample that came back still holding what AllocateAudio
    // filled it with (kUnwrittenSampleBits); -1 when every one was written.
    // Read once ReturnFault has found what came back fits its buffer.
    int FirstUnwritten() const;
    // Empty when what came back fits the buffer it came back in: at most the
    // host's block in the host's block, at most its own size in a buffer the
    // add-on allocated, no samples without a buffer, no negative count.
    // Otherwise what is wrong ("claims 514 samples in the host's block of
    // 512").
    std::string ReturnFault() const;

private:
    HostRecord& record_;
    float* sent_ = nullptr;
    int count_ = 0;
};

}  // namespace hostsim
