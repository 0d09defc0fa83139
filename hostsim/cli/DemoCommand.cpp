// hostsim demo: the main job. A synthesised signal goes through the
// equalizer add-on with a built-in preset in varying host blocks; the gains
// measured at the nine band centres are printed next to the gains asked for,
// with the latency seen (it must be 0).
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "Commands.h"
#include "hostsim/audio/DemoSignal.h"
#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/audio/WavReader.h"

namespace hostsim {
namespace {

const char kPreset[] = "Rock [QZ]";
constexpr double kTolerance = 0.25;  // dB

}  // namespace

int RunDemoCommand(int argc, wchar_t** argv) {
    std::wstring addOn;
    std::filesystem::path folder = L"out";
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--addon" && i + 1 < argc)
            addOn = argv[++i];
        else if (arg == L"--out" && i + 1 < argc)
            folder = argv[++i];
        else {
            std::fputs("usage: hostsim demo [--addon PATH] [--out FOLDER]\n", stderr);
            return 2;
        }
    }

    DemoSignal signal = MakeDemoSignal(kEqualizerCentres, 2, 44100);
    WavAudio input{signal.channels, signal.sampleRate, signal.samples, {}}, output;
    EqualizerOptions options;
    PresetGains(kPreset, options.gains);
    BlockPattern blocks{64, 6000, 2026};
    EqualizerRunReport report;
    std::string error;
    if (!RunEqualizer(ResolveAddOnPath(addOn), options, blocks, input, output, report, error)) {
        std::fprintf(stderr, "hostsim demo: %s\n", error.c_str());
        return 1;
    }

    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::filesystem::path inPath = folder / L"demo-input.wav";
    const std::filesystem::path outPath = folder / L"demo-output.wav";
    if (!WriteWavFile(inPath, input, error) || !WriteWavFile(outPath, output, error)) {
        std::fprintf(stderr, "hostsim demo: %s\n", error.c_str());
        return 1;
    }

    std::printf("Equalizer demo: \"%s\", stereo 44100 Hz, %.1f s of pink noise, sweep and tones\n",
                kPreset, double(input.samples.size()) / 2 / 44100);
    std::printf("%lld host calls of 64 to 6000 frames; %zu samples in, %zu out\n",
                static_cast<long long>(report.calls), input.samples.size(), output.samples.size());
    std::printf("written: %s, %s\n\n", PathText(inPath).c_str(), PathText(outPath).c_str());
    if (output.samples.size() != input.samples.size()) {
        std::puts("FAIL: the output does not have as many samples as the input");
        return 1;
    }

    bool ok = true;
    std::printf("%9s  %9s  %11s  %10s\n", "band", "asked dB", "measured dB", "difference");
    for (std::size_t band = 0; band < kEqualizerCentres.size(); ++band) {
        const double asked = options.gains[band];
        const double measured =
            MeasuredGainDb(input.samples, output.samples, 2, 44100, signal.tones[band]);
        const double difference = measured - asked;
        const bool within = std::fabs(difference) <= kTolerance;
        ok &= within;
        std::printf("%6.0f Hz  %9.2f  %11.2f  %+10.2f%s\n", kEqualizerCentres[band], asked,
                    measured, difference, within ? "" : "  (beyond 0.25 dB)");
    }
    const int latency = MeasureLatency(input.samples, output.samples, 2, 16384, 2048);
    ok &= latency == 0;
    std::printf("\nlatency: %d samples%s\n", latency,
                latency == 0 ? " (the output is aligned with the input)" : "  (must be 0)");
    std::puts(ok ? "demo: PASS" : "demo: FAIL");
    return ok ? 0 : 1;
}

}  // namespace hostsim
