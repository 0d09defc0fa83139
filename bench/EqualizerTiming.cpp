// Times the equalizer as the add-on runs it: CGraphicEqFIR::Process on the
// add-on's own block length (stereo, 44.1 and 96 kHz, the "Rock [QZ]" gains),
// from the DSP library exactly as the configuration links it into
// KEFO_AnalyzerEQ.dll. Prints the median time per block over five runs of
// 400 blocks and the multiple of real time, one line per rate. scripts/bench
// runs the 32-bit and the 64-bit build under Wine beside the native table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "EqualizerRun.h"
#include "dsp/CGraphicEqFIR.h"

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

}  // namespace

int main() {
    std::vector<float> gains;
    hostsim::PresetGains("Rock [QZ]", gains);
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
        for (int i = 0; i < kBlocks / 4; ++i) eq.Process(block.data());  // warm up

        std::vector<double> perBlock;
        for (int run = 0; run < kRuns; ++run) {
            const double start = Now();
            for (int i = 0; i < kBlocks; ++i) eq.Process(block.data());
            perBlock.push_back((Now() - start) / kBlocks);
        }
        std::sort(perBlock.begin(), perBlock.end());
        const double median = perBlock[kRuns / 2];
        const int frames = eq.GetBlockLength() / kChannels;
        std::printf("%d Hz stereo: %.2f us per block of %d frames, %.0f x real time\n", rate,
                    median * 1e6, frames, frames / static_cast<double>(rate) / median);
    }
    return 0;
}
