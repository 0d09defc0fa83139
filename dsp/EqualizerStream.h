// EqualizerStream: the equalizer as a host streams through it, in blocks of
// any size that rarely match the filter's.
//
// Samples are gathered into the filter's fixed blocks (a sample that is not
// finite enters as silence, FiniteSamples.h), each full block is filtered,
// and the filter's delay is dropped from the start of the output, so output
// sample i is input sample i filtered: no latency reaches the host. A call
// gives back whole filtered blocks only; the call that ends a stream also
// gives back what is held and the filter's tail (fed with silence), so a
// stream gives back exactly as many samples as went in. A stream that is one
// call comes back whole. The filter and its response come from a
// SharedGraphicEq, so a control thread may change them while audio runs.
//
// Typical use:
//
//     EqualizerStream eq(constants);            // bands, centres, modes
//     // control thread:
//     eq.SetGains(gains);
//     // audio thread, for each host block:
//     if (eq.Prepare(channels, rate)) {
//         const std::int64_t length = eq.OutputLength(count, start, end);
//         float* out = ...;                      // length floats from the host
//         eq.Process(in, count, start, end, out);
//     }                                          // else the block passes unchanged
//
// Threads and memory: the control calls are SharedGraphicEq's, from one
// control thread, and may allocate. Everything else comes from one audio
// thread; Prepare allocates only when the format changes (the filter's
// buffers and the block buffer) and runs the filter's Init and design in steps
// over the calls that follow, one step a call, so that a format change costs
// no single call a whole setup (a call that completes a block first finishes
// what is left). OutputLength, Process and Restart never allocate.
// None of them throws. The stream owns its filter and block buffer; the
// caller's buffers are read (in) and written (out) during Process only.
#pragma once

#include <cstdint>

#include "dsp/CGraphicEqFIR.h"
#include "dsp/HeapArray.h"
#include "dsp/SharedGraphicEq.h"

namespace kefo {

class EqualizerStream {
public:
    // constants as SharedGraphicEq's: bands, centres, points per band and
    // block mode; the format comes with the audio.
    explicit EqualizerStream(const GraphicEqConfig& constants);
    EqualizerStream(const EqualizerStream&) = delete;
    EqualizerStream& operator=(const EqualizerStream&) = delete;

    // --- the control thread: SharedGraphicEq's calls of the same names ---
    void SetStartState(const float* gainsDb, int enabled) noexcept;
    void SetGains(const float* gainsDb) noexcept;
    void SetFlat() noexcept;
    void SetEnabled(int enabled) noexcept;
    // The stream starts over before its next block.
    void RequestRestart() noexcept;

    // --- audio thread ---
    // Before a block of this format: false when the block is to pass
    // unchanged. A format IsSupportedFormat refuses changes nothing here; a
    // new format (re)initialises the filter and restarts the stream, and
    // without memory for it the stream stays unready until a later block.
    bool Prepare(int channels, int rate) noexcept;

    // Samples Process gives back for count more input samples; start and end
    // say whether they begin and end the stream. Needs a true Prepare.
    std::int64_t OutputLength(int count, bool start, bool end) const noexcept;

    // Takes count interleaved samples (in may be null when count is 0) and
    // writes OutputLength(count, start, end) of them to out. The end of a
    // stream restarts it.
    void Process(const float* in, int count, bool start, bool end, float* out) noexcept;

    // Drops what is held: the next sample in is the first of a new stream.
    void Restart() noexcept;

    // The filter's delay in interleaved samples, which the stream drops.
    int Latency() const noexcept;

private:
    bool Ready() const noexcept;

    SharedGraphicEq shared_;  // the filter and its control side
    HeapArray<float> block_;  // the filter's block length, gathered in place
    int fill_ = 0;            // samples gathered in block_
    int skip_ = 0;            // output samples still to drop (the delay)
};

}  // namespace kefo
