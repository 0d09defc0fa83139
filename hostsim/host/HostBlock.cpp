#include "HostBlock.h"

#include <cstdint>
#include <cstring>

namespace hostsim {

HostBlock::HostBlock(HostRecord& record, const float* samples, int count, const BlockFormat& format,
                     bool withBuffer)
    : record_(record), count_(count) {
    if (withBuffer) sent_ = record.HostAllocateAudio(count);
    if (sent_ && samples && count > 0)
        std::memcpy(sent_, samples, sizeof(float) * static_cast<std::size_t>(count));
    record.audioFormatA = format.channels;
    record.audioFormatB = format.sampleRate;
    record.audioStart = format.start;
    record.audioEnd = format.end;
    record.audioBuffer = sent_;
    record.audioItemCount = count;
}

HostBlock::~HostBlock() {
    record_.HostFreeAudio(record_.audioBuffer);
    record_.audioBuffer = nullptr;
    record_.audioItemCount = 0;
}

bool HostBlock::CameBackAsSent() const {
    return record_.audioBuffer == sent_ && record_.audioItemCount == count_;
}

std::vector<float> HostBlock::Returned() const {
    if (!record_.audioBuffer || record_.audioItemCount <= 0) return {};
    return std::vector<float>(record_.audioBuffer, record_.audioBuffer + record_.audioItemCount);
}

int HostBlock::FirstUnwritten() const {
    const float* returned = record_.audioBuffer;
    for (int i = 0; returned && i < record_.audioItemCount; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &returned[i], sizeof bits);
        if (bits == kUnwrittenSampleBits) return i;
    }
    return -1;
}

std::string HostBlock::ReturnFault() const {
    if (CameBackAsSent()) return "";
    const int count = record_.audioItemCount;
    if (count < 0) return "gave back " + std::to_string(count) + " samples";
    if (record_.audioBuffer == sent_ && sent_)
        return count <= count_ ? ""
                               : "claims " + std::to_string(count) +
                                     " samples in the host's block of " + std::to_string(count_);
    if (count == 0) return "";
    if (!record_.audioBuffer) return "gave back samples without a buffer";
    const long long bytes = record_.AudioBufferBytes(record_.audioBuffer);
    if (bytes < 0) return "gave back a buffer nobody allocated";
    if (4LL * count > bytes)
        return "claims " + std::to_string(count) + " samples in its buffer of " +
               std::to_string(bytes) + " bytes";
    return "";
}

}  // namespace hostsim
