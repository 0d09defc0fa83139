// Plays audio through an add-on instance as the host does while playing,
// recording or saving: block by block, with audioStart on the first block and
// audioEnd on the last, each block in a buffer from the host's allocator;
// whatever the add-on hands back is collected and freed.
#pragma once

#include <functional>
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

// Sends one block and returns what came back; the host frees it afterwards.
std::vector<float> SendBlock(HostRecord& record, const float* samples, int count,
                             const StreamFormat& format, bool start, bool end);

}  // namespace hostsim
