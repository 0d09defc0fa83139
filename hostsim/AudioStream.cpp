#include "AudioStream.h"

#include <algorithm>
#include <cstring>

namespace hostsim {

std::vector<float> SendBlock(HostRecord& record, const float* samples, int count,
                             const StreamFormat& format, bool start, bool end) {
    float* block = record.HostAllocateAudio(count);
    if (count > 0) std::memcpy(block, samples, sizeof(float) * static_cast<std::size_t>(count));
    record.audioFormatA = format.channels;
    record.audioFormatB = format.sampleRate;
    record.audioStart = start;
    record.audioEnd = end;
    record.audioBuffer = block;
    record.audioItemCount = count;
    record.Send(format.command);

    std::vector<float> returned;
    if (record.audioBuffer && record.audioItemCount > 0)
        returned.assign(record.audioBuffer, record.audioBuffer + record.audioItemCount);
    record.HostFreeAudio(record.audioBuffer);
    record.audioBuffer = nullptr;
    record.audioItemCount = 0;
    return returned;
}

StreamResult StreamAudio(HostRecord& record, const std::vector<float>& input,
                         const StreamFormat& format, const BlockSizer& blockItems) {
    StreamResult result;
    const int total = static_cast<int>(input.size());
    const int frame = std::max(format.channels, 1);
    int offset = 0;
    do {
        int count = std::max(blockItems(result.calls) / frame * frame, frame);
        count = std::min(count, total - offset);
        const bool start = offset == 0;
        const bool end = offset + count >= total;
        std::vector<float> back =
            SendBlock(record, input.data() + offset, count, format, start, end);
        result.output.insert(result.output.end(), back.begin(), back.end());
        result.returned.push_back(static_cast<int>(back.size()));
        ++result.calls;
        offset += count;
    } while (offset < total);
    return result;
}

}  // namespace hostsim
