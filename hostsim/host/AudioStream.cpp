#include "AudioStream.h"

#include "HostBlock.h"

#include <algorithm>

namespace hostsim {

std::vector<float> SendBlock(HostRecord& record, const float* samples, int count,
                             const StreamFormat& format, bool start, bool end) {
    HostBlock block(record, samples, count, {format.channels, format.sampleRate, start, end});
    record.Send(format.command);
    return block.Returned();
}

bool StreamAudio(HostRecord& record, SamplePipe& pipe, const StreamFormat& format,
                 const BlockSizer& blockItems, StreamCounts& counts, std::string& error) {
    const std::int64_t frame = std::max(format.channels, 1);
    std::int64_t offset = 0;
    do {
        const std::int64_t wanted = std::max<std::int64_t>(
            blockItems(static_cast<int>(counts.calls)) / frame * frame, frame);
        const int count = static_cast<int>(std::min(wanted, pipe.samples - offset));
        HostBlock block(
            record, nullptr, count,
            {format.channels, format.sampleRate, offset == 0, offset + count >= pipe.samples});
        if (!block.Sent()) {
            error = "the host could not allocate a block of " + std::to_string(count) + " samples";
            return false;
        }
        if (!pipe.read(block.Sent(), count, error)) return false;
        record.Send(format.command);

        const int returned = record.audioBuffer ? std::max(record.audioItemCount, 0) : 0;
        if (returned > 0 && !pipe.write(record.audioBuffer, returned, error)) return false;
        ++counts.calls;
        counts.samplesOut += returned;
        counts.largestReturn = std::max(counts.largestReturn, returned);
        offset += count;
    } while (offset < pipe.samples);
    return true;
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
