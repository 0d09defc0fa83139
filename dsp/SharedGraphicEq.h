// SharedGraphicEq: a CGraphicEqFIR that an audio thread runs while a control
// thread (a user interface, host automation) changes its response.
//
// The audio thread never waits for the control side and never filters with a
// half-written response. The control side designs every new response on a
// second CGraphicEqFIR of its own (the "designer", sized for the format the
// audio side last reported) and hands the whole state over through a
// LatestValue; the audio side adopts the latest one between two blocks, in
// Prepare. Restart requests are a counter the audio side compares at the same
// point.
//
// The state handed over is the running state: gains or flat, and the switch.
// Before every block the filter runs the latest one handed over, whatever
// format changes came between: a filter (re)initialised for a new format is
// given it too, designed by the audio side for that format, as is a
// handed-over response made for another format (the control side had not yet
// seen the change). Otherwise the audio side filters with the handed-over
// response where it lies: taking one is an atomic exchange and a pointer,
// with no copy. The "start state" (the settings' gains and switch) is the
// running state until the control side first sets gains, flat or the switch;
// from then on those calls change the running state one part at a time.
//
// Typical use:
//
//     SharedGraphicEq eq(constants);            // bands, centres, modes
//     // control thread:
//     eq.SetStartState(settingsGains, enabled);
//     eq.SetGains(gains);                        // designed here, handed over
//     eq.RequestRestart();
//     // audio thread, before each block of a given format:
//     const int events = eq.Prepare(channels, rate);
//     if (eq.Filter().IsInitialized()) eq.Filter().Process(block);
//
// Threads and memory: the control calls (SetStartState, SetGains, SetFlat,
// SetEnabled, RequestRestart) come from one control thread, the same one for
// the object's life, and may allocate (the designer's buffers and the
// handed-over response); two threads calling them race, and a debug build
// stops at the first call from a second thread. Prepare and Filter come from
// one audio thread; Prepare allocates and designs only when the format
// changes (the filter's Init), PrepareInSteps allocates then and spreads the
// design over the calls that follow.
#pragma once

#include <atomic>
#include <vector>

#include "dsp/CGraphicEqFIR.h"
#include "dsp/LatestValue.h"
#include "dsp/OneThreadCheck.h"

namespace kefo {

class SharedGraphicEq {
public:
    static constexpr int kMaxBands = 32;

    // What Prepare did, or-ed.
    enum PrepareEvent : int {
        kReinitialised = 1,  // the filter was (re)initialised for a new format
        kRestartAsked = 2,   // the control side asked for a restart since the last Prepare
    };

    // constants: band count (at most kMaxBands), centres, points per band and
    // block mode; the rate and channel count come with the audio.
    explicit SharedGraphicEq(const GraphicEqConfig& constants);
    SharedGraphicEq(const SharedGraphicEq&) = delete;
    SharedGraphicEq& operator=(const SharedGraphicEq&) = delete;

    // --- the control thread (one thread only) ---
    // The gains and switch the filter runs with until the first SetGains,
    // SetFlat or SetEnabled; no effect after that.
    void SetStartState(const float* gainsDb, int enabled) noexcept;
    // The running filter's response and switch, as CGraphicEqFIR's calls of
    // the same names. Each hands the whole running state over when it
    // changed; the audio side keeps it across format changes.
    void SetGains(const float* gainsDb) noexcept;
    void SetFlat() noexcept;
    void SetEnabled(int enabled) noexcept;
    void RequestRestart() noexcept;

    // --- audio thread ---
    // Before a block of this format: (re)initialises on a new format, runs
    // the latest handed-over state and notes restart requests. Returns
    // PrepareEvent flags. The filter may stay uninitialised (a format
    // IsSupportedFormat refuses, no memory); it is retried with the next block.
    int Prepare(int channels, int rate) noexcept;
    // The same, with the filter's setup in steps (CGraphicEqFIR::BeginInit):
    // a new format only allocates and sizes the filter, and every later call
    // runs one step of its Init and design, so that no single call carries
    // the whole setup. The filter is sized (IsSized) after a true setup; its
    // Process finishes the steps left, so the blocks it filters are the same.
    int PrepareInSteps(int channels, int rate) noexcept;
    CGraphicEqFIR& Filter() noexcept { return filter_; }
    const CGraphicEqFIR& Filter() const noexcept { return filter_; }

private:
    // What the running filter does. Until the control side says otherwise
    // a filter runs at 0 dB and on.
    struct State {
        float gains[kMaxBands] = {};
        int flat = 0;     // the response is the pure delay, gains unused
        int enabled = 1;  // 1 filter, 0 bypass
        bool operator==(const State& other) const noexcept;
    };
    struct Handover {
        State state;
        int format = 0;                // packed format the response is for; 0 = none
        std::vector<double> response;  // resized by the control side only
    };

    // One word for a format the filter took; 0 stands for none.
    static int PackFormat(int channels, int rate) noexcept;
    void HandOver() noexcept;
    int PrepareFilter(int channels, int rate, bool inSteps) noexcept;
    void ApplyDesign(CGraphicEqFIR& filter, const State& state, bool inSteps) noexcept;

    const int bandCount_;
    GraphicEqConfig designerConfig_;  // the control side's
    GraphicEqConfig audioConfig_;     // the audio side's
    LatestValue<Handover> handover_;
    std::atomic<int> runningFormat_{0};  // packed format of the audio side's filter
    std::atomic<unsigned> restartRequests_{0};
    OneThreadCheck controlThread_;

    // Control side only.
    State state_;              // the latest asked for
    bool runningSet_ = false;  // SetGains, SetFlat or SetEnabled came: start states are ignored
    bool published_ = false;   // state_ has been handed over at least once
    State publishedState_;
    CGraphicEqFIR designer_;
    int designerFormat_ = 0;     // format designer_ is initialised for
    bool designerStale_ = true;  // designer_ does not hold publishedState_'s response

    // Audio side only.
    CGraphicEqFIR filter_;
    int filterFormat_ = 0;  // packed format filter_ is initialised for
    unsigned restartsSeen_ = 0;
};

}  // namespace kefo
