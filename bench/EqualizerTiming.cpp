// Times the equalizer as the add-on runs it: CGraphicEqFIR::Process on the
// add-on's own block length (stereo, 44.1 and 96 kHz, the "Rock [QZ]" gains),
// from the DSP library exactly as the configuration links it into
// KEFO_AnalyzerEQ.dll. Prints the kernels the transforms run on, then per
// rate the median time per block over five runs of 400 blocks, the multiple
// of real time, and the block split into its two transforms (the same complex
// forward and inverse transform timed alone) and the rest of Process
// (conversions, spectral product, overlap-add). scripts/bench runs the 32-bit
// and the 64-bit build under Wine beside the native table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "hostsim/equalizer/EqualizerRun.h"
#include "dsp/CGraphicEqFIR.h"
#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"

namespace {

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr int kChannels = 2;
constexpr int kBlocks = 400;
constexpr int kRuns = 5;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median seconds per call of step over kRuns runs of kBlocks calls.
template <typename Step>
double MedianSeconds(Step step) {
    for (int i = 0; i < kBlocks / 4; ++i) step();  // warm up
    std::vector<double> perBlock;
    for (int run = 0; run < kRuns; ++run) {
        const double start = Now();
        for (int i = 0; i < kBlocks; ++i) step();
        perBlock.push_back((Now() - start) / kBlocks);
    }
    std::sort(perBlock.begin(), perBlock.end());
    return perBlock[kRuns / 2];
}

// The equalizer's two transforms of one stereo block: a forward and an
// inverse complex transform of 2N doubles, N = frames per transform.
double TransformPairSeconds(int n) {
    std::vector<int> ints(static_cast<std::size_t>(kefo::FftIntTableSize(n)));
    std::vector<double> tables(static_cast<std::size_t>(kefo::FftDoubleTableSize(n)));
    ints[0] = 0;
    kefo::FftWorkArea work{ints.data(), tables.data()};
    std::vector<double> data(static_cast<std::size_t>(2 * n));
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> noise(-0.25, 0.25);
    for (double& x : data) x = noise(rng);
    const double scale = 1.0 / n;
    return MedianSeconds([&] {
        kefo::ComplexFft(2 * n, 1, data.data(), work);
        kefo::ComplexFft(2 * n, -1, data.data(), work);
        data[0] *= scale;  // keeps the values bounded
    });
}

}  // namespace

int main() {
    std::vector<float> gains;
    hostsim::PresetGains("Rock [QZ]", gains);
    std::printf("transform kernels: %s\n",
                kefo::FftFastestIsa() == kefo::FftIsa::Avx2 ? "AVX2" : "SSE2");
    for (int rate : {44100, 96000}) {
        kefo::CGraphicEqFIR eq;
        if (!eq.Init(kefo::GraphicEqConfig{rate, kChannels, 9, kCentres, 2, 1})) {
            std::fprintf(stderr, "eq timing: no equalizer at %d Hz\n", rate);
            return 1;
        }
        eq.SetGains(gains.data(), 0);
        eq.SetEnabled(1);
        std::vector<float> block(static_cast<std::size_t>(eq.GetBlockLength()));
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
        for (float& x : block) x = noise(rng);
        const double median = MedianSeconds([&] { eq.Process(block.data()); });
        const int frames = eq.GetBlockLength() / kChannels;
        std::printf("%d Hz stereo: %.2f us per block of %d frames, %.0f x real time\n", rate,
                    median * 1e6, frames, frames / static_cast<double>(rate) / median);
        const double transforms = TransformPairSeconds(2 * frames);
        std::printf("%d Hz stereo:   transforms %.2f us, rest of Process %.2f us\n", rate,
                    transforms * 1e6, (median - transforms) * 1e6);
    }
    return 0;
}
