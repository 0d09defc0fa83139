// Plays audio through an add-on instance as the host does while playing,
// recording or saving: block by block, with audioStart on the first block and
// audioEnd on the last, each block in a buffer from the host's allocator;
// whatever the add-on hands back is collected and freed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "HostRecord.h"

namespace hostsim {

struct StreamFormat {
    int channels = 2;
    int sampleRate = 44100;
    int command = kefo::kCmdProcessPlayback;
};

// Interleaved samples per block for block i (at least 1 frame).
using BlockSizer = std::function<int(int blockIndex)>;

struct StreamResult {
    std::vector<float> output;  // every sample the add-on returned, in order
    std::vector<int> returned;  // samples returned per call
    int calls = 0;
};

StreamResult StreamAudio(HostRecord& record, const std::vector<float>& input,
                         const StreamFormat& format, const BlockSizer& blockItems);

// A stream of known length whose samples are read and written piece by
// piece, so that memory stays the same whatever its length. read fills
// exactly count samples; write takes what the add-on handed back. Either
// returns false with error set to stop the stream.
struct SamplePipe {
    std::int64_t samples = 0;  // interleaved samples the stream has
    std::function<bool(float* out, int count, std::string& error)> read;
    std::function<bool(const float* samples, int count, std::string& error)> write;
};

struct StreamCounts {
    std::int64_t calls = 0;
    std::int64_t samplesOut = 0;
    int largestReturn = 0;  // most samples one call returned
};

bool StreamAudio(HostRecord& record, SamplePipe& pipe, const StreamFormat& format,
                 const BlockSizer& blockItems, StreamCounts& counts, std::string& error);

// Sends one block and returns what came back; the host frees it afterwards.
std::vector<float> SendBlock(HostRecord& record, const float* samples, int count,
                             const StreamFormat& format, bool start, bool end);

}  // namespace hostsim
