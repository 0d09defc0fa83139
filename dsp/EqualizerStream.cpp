// EqualizerStream: host blocks in, the filter's blocks through, the delay out.
#include "dsp/EqualizerStream.h"

#include <algorithm>
#include <cstring>

#include "dsp/AudioFormat.h"
#include "dsp/FiniteSamples.h"
#include "support/CallSiteMarker.h"

namespace kefo {

EqualizerStream::EqualizerStream(const GraphicEqConfig& constants) : shared_(constants) {
    KEFO_MARK_FILL();
}

void EqualizerStream::SetStartState(const float* gainsDb, int enabled) noexcept {
    KEFO_MARK_FILL();
    shared_.SetStartState(gainsDb, enabled);
}

void EqualizerStream::SetGains(const float* gainsDb) noexcept {
    KEFO_MARK_FILL();
    shared_.SetGains(gainsDb);
}

void EqualizerStream::SetFlat() noexcept {
    KEFO_MARK_FILL();
    shared_.SetFlat();
}

void EqualizerStream::SetEnabled(int enabled) noexcept {
    KEFO_MARK_FILL();
    shared_.SetEnabled(enabled);
}

void EqualizerStream::RequestRestart() noexcept {
    KEFO_MARK_FILL();
    shared_.RequestRestart();
}

bool EqualizerStream::Ready() const noexcept {
    return shared_.Filter().IsSized() && block_.Get();
}

int EqualizerStream::Latency() const noexcept {
    KEFO_MARK_FILL();
    return shared_.Filter().GetLatency();
}

bool EqualizerStream::Prepare(int channels, int rate) noexcept {
    KEFO_MARK();
    if (!IsSupportedFormat(channels, rate)) return false;
    const int events = shared_.PrepareInSteps(channels, rate);
    bool restart = (events & SharedGraphicEq::kRestartAsked) != 0;
    if ((events & SharedGraphicEq::kReinitialised) || !block_.Get()) {
        block_.Free();
        const CGraphicEqFIR& filter = shared_.Filter();
        if (filter.IsSized()) block_.Allocate(filter.GetBlockLength());
        restart = true;
    }
    if (restart) Restart();
    return Ready();
}

void EqualizerStream::Restart() noexcept {
    KEFO_MARK();
    fill_ = 0;
    if (!Ready()) {
        skip_ = 0;
        return;
    }
    CGraphicEqFIR& filter = shared_.Filter();
    skip_ = filter.GetLatency();
    filter.Reset();
}

// The whole input when the stream is one call, everything held plus the
// filter's tail at its end, otherwise whole blocks only.
std::int64_t EqualizerStream::OutputLength(int count, bool start, bool end) const noexcept {
    KEFO_MARK_FILL();
    const CGraphicEqFIR& filter = shared_.Filter();
    if (start && end) return count;
    if (end) return std::int64_t{fill_} - skip_ + filter.GetLatency() + count;
    const int blockLength = filter.GetBlockLength();
    const std::int64_t whole = (std::int64_t{fill_} + count) / blockLength * blockLength - skip_;
    return std::max<std::int64_t>(whole, 0);
}

void EqualizerStream::Process(const float* in, int count, bool start, bool end,
                              float* out) noexcept {
    KEFO_MARK();
    if (!Ready()) return;
    CGraphicEqFIR& filter = shared_.Filter();
    const int blockLength = filter.GetBlockLength();
    const std::int64_t outLength = OutputLength(count, start, end);
    float* block = block_.Get();
    int position = fill_;
    int skip = skip_;
    std::int64_t written = 0;
    // Filters the full block and appends what is due of it to the output.
    auto emitBlock = [&] {
        filter.Process(block);
        position = 0;
        const std::int64_t due = std::min<std::int64_t>(blockLength - skip, outLength - written);
        if (blockLength - skip > 0) {
            if (due > 0) std::memcpy(out + written, block + skip, sizeof(float) * due);
            written += std::max<std::int64_t>(due, 0);
            skip = 0;
        } else {
            skip -= blockLength;
        }
    };

    for (int taken = 0; taken < count;) {
        const int chunk = std::min(count - taken, blockLength - position);
        CopyFinite(block + position, in + taken, chunk);
        position += chunk;
        taken += chunk;
        if (position == blockLength) emitBlock();
    }
    while (written < outLength) {  // end of stream: flush the tail with silence
        std::fill(block + position, block + blockLength, 0.0f);
        position = blockLength;
        emitBlock();
    }

    fill_ = position;
    skip_ = skip;
    if (end) Restart();
}

}  // namespace kefo
