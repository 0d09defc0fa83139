// hostsim process: streams a WAV file through the equalizer add-on.
#include <cstdio>
#include <sstream>
#include <string>

#include "AddOnModule.h"
#include "Commands.h"
#include "EqualizerRun.h"

namespace hostsim {
namespace {

const char kUsage[] =
    "usage: hostsim process [options] INPUT.wav OUTPUT.wav\n"
    "  --addon PATH       the add-on DLL, or a folder holding KEFO_AnalyzerEQ.dll\n"
    "                     (default: the one beside hostsim)\n"
    "  --gains G1,...,G9  band gains in dB for 65 Hz ... 16 kHz (default all 0)\n"
    "  --preset NAME      a built-in preset instead of --gains\n"
    "  --bypass           run the equalizer in bypass\n"
    "  --use USE          playback (default), recording or saving\n"
    "  --block N|MIN-MAX  host block in sample frames, fixed or varying (default 1024)\n"
    "  --seed N           seed for varying blocks (default 1)\n"
    "Reads 16-bit PCM, 24-bit PCM or 32-bit float WAV, mono or stereo, 8000 to 192000 Hz;\n"
    "writes 32-bit float WAV with the same rate and channels.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "hostsim process: %s\n", message.c_str());
    return 1;
}

bool ParseGains(const std::string& text, std::vector<float>& gains) {
    std::vector<float> values;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        try {
            std::size_t used = 0;
            float value = std::stof(item, &used);
            if (used != item.size()) return false;
            values.push_back(value);
        } catch (...) {
            return false;
        }
    }
    if (values.size() != 9) return false;
    gains = values;
    return true;
}

bool ParseBlocks(const std::string& text, BlockPattern& blocks) {
    int low = 0, high = 0;
    char dash = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &low, &dash, &high, &extra) == 3 && dash == '-') {
    } else if (std::sscanf(text.c_str(), "%d%c", &low, &extra) == 1) {
        high = low;
    } else {
        return false;
    }
    if (low < 1 || high < low || high > 1 << 20) return false;
    blocks.minFrames = low;
    blocks.maxFrames = high;
    return true;
}

}  // namespace

int RunProcessCommand(int argc, wchar_t** argv) {
    EqualizerOptions options;
    BlockPattern blocks;
    std::wstring addOn;
    std::vector<std::string> files;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = Narrow(argv[i]);
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = Narrow(argv[++i]);
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--addon") {
            if (!value(text)) return Fail("--addon needs a path");
            addOn = Widen(text);
        } else if (arg == "--gains") {
            if (!value(text) || !ParseGains(text, options.gains))
                return Fail("--gains needs nine numbers separated by commas");
        } else if (arg == "--preset") {
            if (!value(text) || !PresetGains(text, options.gains))
                return Fail("unknown preset; the built-in presets are " + PresetNames());
        } else if (arg == "--bypass") {
            options.bypass = true;
        } else if (arg == "--use") {
            if (!value(text)) return Fail("--use needs playback, recording or saving");
            if (text == "playback")
                options.use = EqualizerUse::kPlayback;
            else if (text == "recording")
                options.use = EqualizerUse::kRecording;
            else if (text == "saving")
                options.use = EqualizerUse::kSaving;
            else
                return Fail("--use needs playback, recording or saving, not " + text);
        } else if (arg == "--block") {
            if (!value(text) || !ParseBlocks(text, blocks))
                return Fail("--block needs N or MIN-MAX sample frames (1 to 1048576)");
        } else if (arg == "--seed") {
            if (!value(text)) return Fail("--seed needs a number");
            blocks.seed = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
        } else if (arg.rfind("--", 0) == 0) {
            return Fail("unknown option " + arg + "\n" + kUsage);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2)
        return Fail(std::string("an input and an output file are needed\n") + kUsage);

    WavAudio input, output;
    std::string error;
    if (!ReadWavFile(files[0], input, error)) return Fail(error);
    EqualizerRunReport report;
    if (!RunEqualizer(ResolveAddOnPath(addOn), options, blocks, input, output, report, error))
        return Fail(error);
    if (!WriteWavFile(files[1], output, error)) return Fail(error);
    std::printf("%s: %zu samples in, %zu out, %d host calls, %d Hz, %d channel(s)\n",
                files[1].c_str(), input.samples.size(), output.samples.size(), report.calls,
                input.sampleRate, input.channels);
    return output.samples.size() == input.samples.size() ? 0 : 1;
}

}  // namespace hostsim
