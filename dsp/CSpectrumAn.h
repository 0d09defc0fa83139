// CSpectrumAn: band powers of one frame of interleaved float audio.
//
// Each frame is weighted with a periodic Hann window and transformed once
// (stereo: both channels through one complex transform); the squared
// magnitudes of its bins are summed, or in peak mode maximised, into bands
// given by their upper edges. Bins 0 and 1 never count, nor bins above the
// last edge. Powers are scaled so that a full-scale sine lying on a bin gives
// 1/16 in that bin. LevelToFraction maps such a power to a 0...1 display
// fraction over a dB range.
//
// Typical use:
//
//     static const double kEdges[] = {46, 76, ..., 22050};
//     CSpectrumAn analyzer;
//     SpectrumAnConfig config{44100, 2, 19, kEdges, 2, 0};
//     if (analyzer.Init(config)) {
//         std::vector<float> frame(analyzer.GetFrameLength());
//         SpectrumBand bands[19];
//         analyzer.Process(frame.data(), bands);
//     }
//
// Memory and threads: every buffer is allocated in Init and freed by the next
// Init or the destructor; Process and the queries never allocate and never
// throw. No locks: the caller serialises the calls on one object. Process on
// an object that is not initialised returns at once and writes nothing.
#pragma once

#include <cstdint>

#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"
#include "dsp/HeapArray.h"

namespace kefo {

// Configuration of CSpectrumAn::Init.
struct SpectrumAnConfig {
    std::int32_t sampleRate;     // Hz, 1 to kMaxSampleRate (AudioFormat.h)
    std::int32_t channels;       // 1, or 2 interleaved left, right
    std::int32_t bandCount;      // number of bands, at least 1
    const double* bandEdges;     // bandCount upper edges in Hz, increasing, first
                                 // above 0; borrowed: must outlive the analyzer
    std::int32_t pointsPerBand;  // resolution factor for the frame length
    std::int32_t peakMode;       // 0: sum of the bins' powers; else the largest
};

// Result for one band. For mono, left and right both hold the channel's value.
struct SpectrumBand {
    double mean;  // average of left and right
    double left;
    double right;
};

class CSpectrumAn {
public:
    CSpectrumAn();
    ~CSpectrumAn();
    CSpectrumAn(const CSpectrumAn&) = delete;
    CSpectrumAn& operator=(const CSpectrumAn&) = delete;

    // Chooses the frame length and the transforms' instruction set
    // (FftFastestIsa, kept until the next Init), allocates the buffers and
    // fills the window.
    // Returns false, leaving the object not initialised and holding no
    // buffers, when the configuration is refused (a format IsSupportedFormat
    // refuses, no bands) or the sizes cannot be allocated.
    bool Init(const SpectrumAnConfig& config) noexcept;

    // Init in steps, for an audio thread that meets a new format with short
    // blocks: BeginInit does what Init does up to the allocations and the
    // sizes (IsSized and GetFrameLength answer; IsInitialized stays false
    // until the steps are done). Each ContinueSetup builds a part of the
    // tables or the window (none allocates) and tells whether any remain;
    // FinishSetup builds what remains, and Process does so before it
    // measures. The results are those of Init bit for bit.
    bool BeginInit(const SpectrumAnConfig& config) noexcept;
    bool ContinueSetup() noexcept;
    void FinishSetup() noexcept;
    bool IsSized() const noexcept;

    // Measures exactly GetFrameLength() interleaved samples into bandCount
    // records. The samples are not changed.
    void Process(const float* frame, SpectrumBand* bands) noexcept;

    // Interleaved samples per frame: N * channels.
    int GetFrameLength() const noexcept;

    bool IsInitialized() const noexcept;

private:
    void FreeBuffers() noexcept;
    void RunSetupStep() noexcept;
    void Transform() noexcept;

    int initialized_;      // 1 once Init, or BeginInit's steps, have completed
    int sized_;            // 1 once Init or BeginInit has allocated and sized
    int windowFilled_;     // frames of the window filled; the tables come first
    int tablesBuilt_;      // 1 once the transform tables are built
    int channels_;         // 1 or 2
    int peakMode_;         // nonzero: largest bin power per band
    int bandCount_;        // bands in the edge table
    int transformLength_;  // N, sample frames per frame (power of two)
    int frameLength_;      // N * channels interleaved samples
    int spectrumLength_;   // (N / 2 + 1) * 2 * channels doubles
    double binSpacing_;    // rate / N in Hz
    double powerScale_;    // (1 / N)^2
    const double* edges_;  // borrowed band-edge table

    HeapArray<double> work_;       // N * channels: windowed samples, then the transform
    HeapArray<int> fftInts_;       // transform tables: counts and permutation scratch
    HeapArray<double> fftTables_;  // transform tables: twiddles and cosines (N values)
    HeapArray<double> window_;     // N * channels: periodic Hann, per interleaved sample
    HeapArray<double> spectrum_;   // bins 0...N/2, unpacked (per channel for stereo)
    FftWorkArea fft_;              // views of fftInts_ and fftTables_
    FftIsa isa_;                   // the transforms' instruction set, chosen by Init
};

// Display fraction of a band power: its level in dB clamped to
// [floorDb, topDb] and mapped linearly onto [0, 1]. A power that is not above
// 0 (a NaN too) gives 0, and so does an empty range.
double LevelToFraction(double power, double topDb, double floorDb) noexcept;

}  // namespace kefo
