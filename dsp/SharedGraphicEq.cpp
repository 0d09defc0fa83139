// SharedGraphicEq: the control side designs and hands over, the audio side
// adopts between blocks.
#include "dsp/SharedGraphicEq.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "dsp/AudioFormat.h"
#include "support/CallSiteMarker.h"

namespace kefo {

static_assert(kMaxSampleRate <= (INT_MAX - kMaxChannels) / 4,
              "every format the filter takes packs");

bool SharedGraphicEq::State::operator==(const State& other) const noexcept {
    return std::memcmp(this, &other, sizeof(State)) == 0;
}

SharedGraphicEq::SharedGraphicEq(const GraphicEqConfig& constants)
    : bandCount_(std::min(std::max(constants.bandCount, 0), kMaxBands)),
      designerConfig_(constants),
      audioConfig_(constants) {
    KEFO_MARK();
    designerConfig_.bandCount = audioConfig_.bandCount = bandCount_;
}

int SharedGraphicEq::PackFormat(int channels, int rate) noexcept {
    return rate * 4 + channels;
}

void SharedGraphicEq::SetStartState(const float* gainsDb, int enabled) noexcept {
    KEFO_MARK();
    controlThread_.Check("SharedGraphicEq::SetStartState");
    if (runningSet_) return;
    if (gainsDb) std::copy(gainsDb, gainsDb + bandCount_, state_.gains);
    state_.flat = 0;
    state_.enabled = enabled != 0 ? 1 : 0;
    HandOver();
}

void SharedGraphicEq::SetGains(const float* gainsDb) noexcept {
    KEFO_MARK();
    controlThread_.Check("SharedGraphicEq::SetGains");
    if (!gainsDb) return;
    runningSet_ = true;
    std::copy(gainsDb, gainsDb + bandCount_, state_.gains);
    state_.flat = 0;
    HandOver();
}

void SharedGraphicEq::SetFlat() noexcept {
    KEFO_MARK();
    controlThread_.Check("SharedGraphicEq::SetFlat");
    runningSet_ = true;
    state_.flat = 1;
    HandOver();
}

void SharedGraphicEq::SetEnabled(int enabled) noexcept {
    KEFO_MARK();
    controlThread_.Check("SharedGraphicEq::SetEnabled");
    runningSet_ = true;
    state_.enabled = enabled != 0 ? 1 : 0;
    HandOver();
}

void SharedGraphicEq::RequestRestart() noexcept {
    KEFO_MARK_FILL();
    controlThread_.Check("SharedGraphicEq::RequestRestart");
    restartRequests_.fetch_add(1, std::memory_order_release);
}

void SharedGraphicEq::ApplyDesign(CGraphicEqFIR& filter, const State& state,
                                  bool inSteps) noexcept {
    if (state.flat) {
        filter.SetFlat();
    } else if (inSteps) {
        filter.BeginGains(state.gains, 0);
    } else {
        filter.SetGains(state.gains, 0);
    }
}

// Designs state_ for the audio side's current format (when it has one) and
// publishes it. An unchanged state is not handed over again: the audio side
// runs the last one handed over, also after a format change, so it already
// has it.
void SharedGraphicEq::HandOver() noexcept {
    KEFO_MARK();
    const bool responseChanged =
        !published_ || state_.flat != publishedState_.flat ||
        std::memcmp(state_.gains, publishedState_.gains, sizeof state_.gains) != 0;
    if (published_ && state_ == publishedState_) return;
    if (responseChanged) designerStale_ = true;

    Handover& slot = handover_.WriteSlot();
    slot.state = state_;
    slot.format = 0;
    const int format = runningFormat_.load(std::memory_order_acquire);
    if (format != 0) {
        if (format != designerFormat_ || !designer_.IsInitialized()) {
            designerConfig_.channels = format % 4;
            designerConfig_.sampleRate = format / 4;
            designerFormat_ = designer_.Init(designerConfig_) ? format : 0;
            designerStale_ = true;
        }
        if (designerFormat_ != 0) {
            if (designerStale_) ApplyDesign(designer_, state_, false);
            designerStale_ = false;
            try {
                slot.response.resize(static_cast<std::size_t>(designer_.GetResponseLength()));
                designer_.CopyResponse(slot.response.data());
                slot.format = format;
            } catch (...) {
                // Without memory for the copy the audio side designs it.
                slot.response.clear();
            }
        }
    }
    handover_.Publish();
    publishedState_ = state_;
    published_ = true;
}

int SharedGraphicEq::Prepare(int channels, int rate) noexcept {
    KEFO_MARK_FILL();
    return PrepareFilter(channels, rate, false);
}

int SharedGraphicEq::PrepareInSteps(int channels, int rate) noexcept {
    KEFO_MARK_FILL();
    return PrepareFilter(channels, rate, true);
}

int SharedGraphicEq::PrepareFilter(int channels, int rate, bool inSteps) noexcept {
    KEFO_MARK();
    int events = 0;
    const bool fresh = handover_.TakeLatest();
    const Handover& latest = handover_.ReadSlot();
    if (!filter_.IsSized() || channels != audioConfig_.channels ||
        rate != audioConfig_.sampleRate) {
        audioConfig_.channels = channels;
        audioConfig_.sampleRate = rate;
        filterFormat_ = 0;
        if (inSteps ? filter_.BeginInit(audioConfig_) : filter_.Init(audioConfig_)) {
            // The latest state, not what an earlier format started from: a
            // state the control side sent before it saw this format is
            // never sent again.
            filterFormat_ = PackFormat(channels, rate);
            filter_.SetEnabled(latest.state.enabled);
            ApplyDesign(filter_, latest.state, inSteps);
        }
        runningFormat_.store(filterFormat_, std::memory_order_release);
        events |= kReinitialised;
    } else {
        if (fresh) {
            const State& state = latest.state;
            if (filter_.IsInitialized() && latest.format == filterFormat_ &&
                latest.response.size() == static_cast<std::size_t>(filter_.GetResponseLength())) {
                // Used where it lies: the slot stays the audio side's until
                // the next handover is taken, here, before the next block.
                filter_.ViewResponse(latest.response.data());
            } else {
                // Made for a format this filter no longer has, or not yet
                // usable: designed here.
                ApplyDesign(filter_, state, inSteps);
            }
            filter_.SetEnabled(state.enabled);
        }
        if (inSteps) filter_.ContinueSetup();
    }
    const unsigned restarts = restartRequests_.load(std::memory_order_acquire);
    if (restarts != restartsSeen_) {
        restartsSeen_ = restarts;
        events |= kRestartAsked;
    }
    return events;
}

}  // namespace kefo
