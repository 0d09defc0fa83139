// demo_pictures: the demo's two pictures, drawn by this 64-bit program
// because it draws text wherever Wine runs it.
//
//     demo_pictures [--addon PATH] [--out FOLDER]
//
// FOLDER/demo-response.png: the equalizer's measured response over 20 Hz to
// 20 kHz with the demo's preset, the asked gains marked at the band centres.
// FOLDER/demo-analyzer.png: the analyzer window while the demo's signal,
// equalized with that preset, plays.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "hostsim/host/AddOnModule.h"
#include "AnalyzerSnapshot.h"
#include "hostsim/audio/DemoSignal.h"
#include "hostsim/equalizer/EqualizerRun.h"
#include "ResponsePicture.h"
#include "hostsim/pictures/Screenshot.h"

namespace {

const char kPreset[] = "Rock [QZ]";

int Fail(const std::string& error) {
    std::fprintf(stderr, "demo_pictures: %s\n", error.c_str());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring addOn;
    std::wstring folder = L"out";
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--addon" && i + 1 < argc) {
            addOn = argv[++i];
        } else if (arg == L"--out" && i + 1 < argc) {
            folder = argv[++i];
        } else {
            std::fputs("usage: demo_pictures [--addon PATH] [--out FOLDER]\n", stderr);
            return 2;
        }
    }
    const std::wstring path = hostsim::ResolveAddOnPath(addOn);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<float> gains;
    hostsim::PresetGains(kPreset, gains);
    std::string error;

    std::vector<hostsim::ResponsePoint> response;
    if (!hostsim::MeasureResponse(path, gains, 44100, response, error)) return Fail(error);
    const std::wstring responsePath = folder + L"/demo-response.png";
    const std::string title = std::string("Equalizer response, preset \"") + kPreset +
                              "\", 44100 Hz (measured through the add-on)";
    screens::Image picture;
    if (!hostsim::DrawResponse(response, hostsim::kEqualizerCentres, gains, title, picture) ||
        !screens::WritePng(picture, responsePath))
        return Fail("cannot write " + hostsim::Narrow(responsePath));
    std::printf("written: %s\n", hostsim::Narrow(responsePath).c_str());

    // The analyzer sees what the equalizer plays: the demo's pink noise
    // through the preset, captured as the noise ends.
    hostsim::DemoSignal signal = hostsim::MakeDemoSignal(hostsim::kEqualizerCentres, 2, 44100);
    signal.samples.resize(
        std::min(signal.samples.size(), static_cast<std::size_t>(signal.noiseFrames) * 2));
    hostsim::WavAudio input{2, 44100, signal.samples, {}}, played;
    hostsim::EqualizerOptions options;
    options.gains = gains;
    hostsim::EqualizerRunReport report;
    if (!hostsim::RunEqualizer(path, options, hostsim::BlockPattern{4410, 4410, 1}, input, played,
                               report, error))
        return Fail(error);
    screens::Image analyzer;
    if (!hostsim::CaptureAnalyzer(path, played.samples, 2, 44100, analyzer, error))
        return Fail(error);
    const std::wstring analyzerPath = folder + L"/demo-analyzer.png";
    if (!screens::WritePng(analyzer, analyzerPath))
        return Fail("cannot write " + hostsim::Narrow(analyzerPath));
    std::printf("written: %s\n", hostsim::Narrow(analyzerPath).c_str());
    return 0;
}
