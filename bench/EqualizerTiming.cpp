// Times the equalizer as the add-on runs it: CGraphicEqFIR::Process on the
// add-on's own block length (stereo, 44.1 and 96 kHz, the "Rock [QZ]" gains),
// from the DSP library exactly as the configuration links it into
// KEFO_AnalyzerEQ.dll. Prints the kernels the transforms run on, then per
// rate the median time per block over 41 runs of 50 blocks, the multiple of
// real time, and the block split into its two transforms (the same complex
// forward and inverse transform timed alone, in turns with Process) and the
// rest of Process (conversions, spectral product, overlap-add). scripts/bench runs the 32-bit
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
#include "dsp/HeapArray.h"

namespace {

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr int kChannels = 2;
constexpr int kBlocks = 50;
constexpr int kRuns = 41;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds per call of each step, measured in turns: kRuns rounds, each
// timing kBlocks calls of every step one after the other, so that the steps
// share the machine's quiet and busy moments. Per step the median round;
// also the median over rounds of the first step's time less the second's.
struct Turns {
    double first = 0.0;
    double second = 0.0;
    double difference = 0.0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename First, typename Second>
Turns MedianSecondsInTurns(First&& first, Second&& second) {
    for (int i = 0; i < kBlocks; ++i) {  // warm up
        first();
        second();
    }
    std::vector<double> a, b, d;
    for (int run = 0; run < kRuns; ++run) {
        double start = Now();
        for (int i = 0; i < kBlocks; ++i) first();
        const double t1 = (Now() - start) / kBlocks;
        start = Now();
        for (int i = 0; i < kBlocks; ++i) second();
        const double t2 = (Now() - start) / kBlocks;
        a.push_back(t1);
        b.push_back(t2);
        d.push_back(t1 - t2);
    }
    return Turns{Median(a), Median(b), Median(d)};
}

// The equalizer's two transforms of one stereo block, as Process runs them:
// a forward and an inverse complex transform of 2N doubles (N = frames per
// transform) on data aligned as the filter's own.
class TransformPair {
public:
    explicit TransformPair(int n)
        : n_(n), ints_(static_cast<std::size_t>(kefo::FftIntTableSize(n))) {
        tables_.Allocate(kefo::FftDoubleTableSize(n));
        data_.Allocate(2 * n);
        work_ = kefo::FftWorkArea{ints_.data(), tables_.Get()};
        ints_[0] = 0;
        kefo::FftBuildTables(n, work_);
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> noise(-0.25, 0.25);
        for (int i = 0; i < 2 * n; ++i) data_.Get()[i] = noise(rng);
    }
    void operator()() {
        kefo::ComplexFft(2 * n_, 1, data_.Get(), work_);
        kefo::ComplexFft(2 * n_, -1, data_.Get(), work_);
        data_.Get()[0] *= 1.0 / n_;  // keeps the values bounded
    }

private:
    int n_;
    std::vector<int> ints_;
    kefo::HeapArray<double> tables_;
    kefo::HeapArray<double> data_;
    kefo::FftWorkArea work_;
};

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
        const int frames = eq.GetBlockLength() / kChannels;
        TransformPair transforms(2 * frames);
        const Turns t = MedianSecondsInTurns([&] { eq.Process(block.data()); }, transforms);
        std::printf("%d Hz stereo: %.2f us per block of %d frames, %.0f x real time\n", rate,
                    t.first * 1e6, frames, frames / static_cast<double>(rate) / t.first);
        std::printf("%d Hz stereo:   transforms %.2f us, rest of Process %.2f us\n", rate,
                    t.second * 1e6, t.difference * 1e6);
    }
    return 0;
}
