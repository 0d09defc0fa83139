// CGraphicEqFIR: linear-phase FIR graphic equalizer applied by FFT
// overlap-add.
//
// Design is by frequency sampling: one gain in dB per band is turned into a
// magnitude curve sampled on every transform bin (flat below the first centre
// and above the last, a half-cosine in dB between neighbouring centres), the
// zero-phase impulse response is cut to 2Q - 1 taps with the falling half of a
// Hann window and delayed by Q - 1 frames, and its spectrum H is kept for the
// streaming side. Each block of L interleaved samples is zero-padded to the
// transform frame, multiplied by H in the frequency domain and overlap-added
// into an accumulator; stereo runs both channels through one complex
// transform pair.
//
// Typical use:
//
//     static const double kCentres[] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
//     CGraphicEqFIR eq;
//     GraphicEqConfig config{44100, 2, 9, kCentres, 2, 1};
//     if (eq.Init(config)) {
//         eq.SetEnabled(1);
//         eq.SetGains(gainsDb, 0);
//         eq.Process(block);              // exactly GetBlockLength() floats, in place
//     }
//
// Memory and threads: every buffer is allocated in Init (or BeginInit) and
// freed by the next Init or the destructor; every table the transforms use
// is built there too. SetGains, SetFlat, Process, Reset, the setup steps and
// the queries never allocate and never throw, so they are fit for the audio
// thread; where a whole Init and design are too long for one of its calls,
// they can be spread over several (BeginInit). The object has no locks: the
// caller serialises all calls on one object (Init and SetGains must not
// overlap Process). Every operation other than Init, BeginInit and the
// queries requires an initialised (or sized) object; Process on an object
// that is not sized returns at once without touching the block.
#pragma once

#include <cstdint>

#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"
#include "dsp/HeapArray.h"

namespace kefo {

// Configuration of CGraphicEqFIR::Init.
struct GraphicEqConfig {
    std::int32_t sampleRate;     // Hz, 1 to kMaxSampleRate (AudioFormat.h)
    std::int32_t channels;       // 1, or 2 with samples interleaved left, right
    std::int32_t bandCount;      // number of bands, at least 1
    const double* bandCentres;   // bandCount centres in Hz, strictly increasing;
                                 // borrowed: must outlive the equalizer
    std::int32_t pointsPerBand;  // minimum bins across the narrowest band spacing; 0 = 2
    std::int32_t blockMode;      // 1: block = half a frame, 2: an eighth, else a quarter
};

class CGraphicEqFIR {
public:
    CGraphicEqFIR();
    ~CGraphicEqFIR();
    CGraphicEqFIR(const CGraphicEqFIR&) = delete;
    CGraphicEqFIR& operator=(const CGraphicEqFIR&) = delete;

    // Sizes the filter for the configuration, allocates its buffers, chooses
    // the transforms' instruction set (FftFastestIsa, kept until the next
    // Init) and makes the response flat with an empty accumulator. Returns
    // false, leaving the object not initialised and holding no buffers, when
    // the configuration is refused (a format IsSupportedFormat refuses, no
    // bands) or when the sizes cannot be allocated. The enabled flag is kept.
    bool Init(const GraphicEqConfig& config) noexcept;

    // Designs the response from bandCount gains in dB. Gains of -48 dB or
    // less become -96 dB. channelSelector (stereo only): 0 both channels,
    // 1 left only (right flat), 2 right only (left flat). Takes effect from the
    // next block.
    void SetGains(const float* gainsDb, int channelSelector) noexcept;

    // Unity gain: the filter becomes a pure delay of GetLatency() samples.
    void SetFlat() noexcept;

    // The designed response H as values, so that a second object of the same
    // configuration can design on another thread and hand H over whole:
    // CopyResponse writes the GetResponseLength() values in use. ViewResponse
    // makes the filter use such values where they lie, without a copy, until
    // the next Init, SetGains, SetFlat or ViewResponse; the caller keeps them
    // alive and unchanged that long. Both need an initialised object.
    int GetResponseLength() const noexcept;
    void CopyResponse(double* destination) const noexcept;
    void ViewResponse(const double* values) noexcept;

    bool IsInitialized() const noexcept;

    // Init and SetGains in steps, for a caller that must not spend a whole
    // setup in one call (an audio thread meeting a new format with short
    // blocks). BeginInit does what Init does up to the allocations and the
    // sizes: IsSized, GetBlockLength and GetLatency answer, IsInitialized
    // stays false until the steps are done. BeginGains takes the gains as
    // SetGains does, also while Init's steps remain, and designs after them;
    // H changes when its steps are done. Each ContinueSetup runs one step
    // (none allocates) and tells whether any remain; FinishSetup runs all that
    // remain, and Process does so before it filters: the results are those
    // of Init and SetGains bit for bit, however the steps are spread. SetFlat
    // and ViewResponse drop a design that has not finished.
    bool BeginInit(const GraphicEqConfig& config) noexcept;
    void BeginGains(const float* gainsDb, int channelSelector) noexcept;
    bool ContinueSetup() noexcept;
    void FinishSetup() noexcept;
    bool IsSized() const noexcept;

    // Filters exactly GetBlockLength() interleaved samples in place. The
    // output is not clipped.
    void Process(float* block) noexcept;

    // Nonzero filters, 0 bypasses with the same delay. Starts at 0.
    void SetEnabled(int enabled) noexcept;

    // Empties the overlap accumulator; the response and sizes stay.
    void Reset() noexcept;

    // Delay of the output in interleaved samples: output i is input i - latency.
    int GetLatency() const noexcept;

    // Interleaved samples taken by each Process call.
    int GetBlockLength() const noexcept;

private:
    void FreeBuffers() noexcept;
    void RunInitStep() noexcept;
    void RunDesignStep() noexcept;
    void ExpandToStereo(const double* mono, double* stereo, int channelSelector) noexcept;
    void FilterBlock() noexcept;

    int initialized_;          // 1 once Init has completed
    int sized_;                // 1 once Init or BeginInit has allocated and sized
    int initStep_;             // Init's next step; 0 = none left
    int designStep_;           // the design's next step; 0 = none left
    int designSelector_;       // channelSelector of the pending design
    int designBin_;            // the pending design's next bin of the curve
    int designBand_;           // the band that bin falls in
    double designFirstLevel_;  // the curve's level below the first centre
    double designLastLevel_;   // and above the last
    int enabled_;              // 1 filter, 0 bypass
    int channels_;             // 1 or 2
    int bandCount_;            // bands in the centre table
    int transformLength_;      // N, sample frames per transform (power of two)
    int frameLength_;          // C = N * channels, interleaved samples per frame
    int blockLength_;          // L, interleaved samples per block
    int tailLength_;           // C - L
    int halfKernelSpan_;       // P = (C - L) / channels
    int halfKernel_;           // Q = P / 2; the kernel has 2Q - 1 taps
    int latency_;              // (C - L) / 2 - channels = (Q - 1) * channels
    double outputScale_;       // 2 / N / channels, the inverse transforms' normalisation
    double pi_;                // the constant pi
    double binSpacing_;        // rate / N in Hz
    const double* centres_;    // borrowed band-centre table

    HeapArray<double> accumulator_;  // C values: overlap-add sums awaiting output
    HeapArray<double> work_;         // C values: the block being transformed
    HeapArray<int> fftInts_;         // transform tables: counts and permutation scratch
    HeapArray<double> fftTables_;    // transform tables: twiddles and cosines (N values)
    HeapArray<double> spectrum_;     // (N + 2) * channels: design scratch
    HeapArray<double> response_;     // H, unpacked spectrum layout
    const double* responseView_;     // H lent by the caller instead; null = response_
    HeapArray<double> flat_;         // the response of a pure delay of Q - 1 frames
    HeapArray<double> gains_;        // per band: clamped gain in dB
    HeapArray<double> mids_;         // per band: mean of this and the previous gain
    HeapArray<double> halfDiffs_;    // per band: half the step from the previous gain
    HeapArray<double> cosineRates_;  // per band: pi / (f[i] - f[i - 1]); unused at 0
    HeapArray<double> window_;       // Q values: falling half Hann window times 2 / N
    FftWorkArea fft_;                // views of fftInts_ and fftTables_
    FftIsa isa_;                     // the transforms' instruction set, chosen by Init
};

}  // namespace kefo
