// hostsim process: streams a WAV file through the equalizer add-on. The
// file is read, processed and written piece by piece, so memory stays the
// same whatever its length; paths stay wide from the command line to the
// file system.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "Commands.h"
#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/audio/WavReader.h"
#include "hostsim/audio/WavWriter.h"

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
    "  --seed N           seed for varying blocks, 0 to 4294967295 (default 1)\n"
    "Reads 16-bit PCM, 24-bit PCM or 32-bit float WAV, mono or stereo, 8000 to 192000 Hz,\n"
    "files of up to 1 GiB; writes 32-bit float WAV with the same rate and channels.\n";

constexpr float kMinGain = -15.0f, kMaxGain = 15.0f;
// Frames read from the input per host block's worth of reading at most.
constexpr std::size_t kReadFrames = 1 << 16;

int Fail(const std::string& message) {
    std::fprintf(stderr, "hostsim process: %s\n", message.c_str());
    return 1;
}

// Gains the equalizer can take, or a message that says which is not.
bool CheckGains(const std::vector<float>& gains, std::string& error) {
    for (std::size_t band = 0; band < gains.size(); ++band) {
        char text[160];
        if (!std::isfinite(gains[band])) {
            std::snprintf(text, sizeof text, "gain of band %zu (%g Hz) is not a finite number",
                          band + 1, kEqualizerCentres[band]);
        } else if (gains[band] < kMinGain || gains[band] > kMaxGain) {
            std::snprintf(text, sizeof text,
                          "gain %g dB of band %zu (%g Hz) is outside -15 to +15 dB",
                          static_cast<double>(gains[band]), band + 1, kEqualizerCentres[band]);
        } else {
            continue;
        }
        error = text;
        return false;
    }
    return true;
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

// Reads the input, runs the add-on and writes the output, piece by piece.
int Process(const std::wstring& addOn, const EqualizerOptions& options, const BlockPattern& blocks,
            const std::filesystem::path& in, const std::filesystem::path& out) {
    std::string error;
    WavReader reader;
    if (!reader.Open(in, error)) return Fail(error);
    for (const std::string& warning : reader.Layout().warnings)
        std::fprintf(stderr, "hostsim process: warning: %s: %s\n", PathText(in).c_str(),
                     warning.c_str());
    std::error_code ignored;
    if (std::filesystem::equivalent(in, out, ignored))
        return Fail("the output " + PathText(out) + " is the input file");

    const WavLayout& layout = reader.Layout();
    // The output is created once the add-on has taken the options and hands
    // back audio, so that a refusal before that leaves an older file alone.
    WavWriter writer;
    bool created = false;
    auto create = [&](std::string& message) {
        created = created || writer.Open(out, layout.channels, layout.sampleRate, message);
        return created;
    };
    SamplePipe pipe;
    pipe.samples = static_cast<std::int64_t>(layout.frames) * layout.channels;
    pipe.read = [&](float* samples, int count, std::string& message) {
        const std::size_t frames = static_cast<std::size_t>(count / layout.channels);
        for (std::size_t done = 0, read = 0; done < frames; done += read) {
            if (!reader.Read(samples + done * layout.channels, std::min(frames - done, kReadFrames),
                             read, message))
                return false;
            if (read == 0) {
                message = "the input ended early";
                return false;
            }
        }
        return true;
    };
    pipe.write = [&](const float* samples, int count, std::string& message) {
        return create(message) && writer.Write(samples, static_cast<std::size_t>(count), message);
    };
    EqualizerRunReport report;
    if (!RunEqualizer(ResolveAddOnPath(addOn), options, blocks, layout.channels, layout.sampleRate,
                      pipe, report, error)) {
        writer.Abandon();
        return Fail(error);
    }
    // The add-on hands back exactly as many samples as it was given; any
    // other count would be audio lost or invented.
    if (report.samplesOut != pipe.samples) {
        writer.Abandon();
        return Fail("the add-on returned " + std::to_string(report.samplesOut) + " samples for " +
                    std::to_string(pipe.samples) + "; nothing was written");
    }
    if (!create(error) || !writer.Finish(error)) return Fail(error);
    std::printf("%s: %lld samples in, %lld out, %lld host calls, %d Hz, %d channel(s)\n",
                PathText(out).c_str(), static_cast<long long>(pipe.samples),
                static_cast<long long>(report.samplesOut), static_cast<long long>(report.calls),
                layout.sampleRate, layout.channels);
    return 0;
}

}  // namespace

int RunProcessCommand(int argc, wchar_t** argv) {
    EqualizerOptions options;
    BlockPattern blocks;
    std::wstring addOn;
    std::vector<std::wstring> files;
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
            if (i + 1 >= argc) return Fail("--addon needs a path");
            addOn = argv[++i];
        } else if (arg == "--gains") {
            if (!value(text) || !ParseGains(text, options.gains))
                return Fail("--gains needs nine numbers separated by commas");
            std::string error;
            if (!CheckGains(options.gains, error)) return Fail("--gains: " + error);
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
            unsigned long long seed = 0;
            if (!ParseNumber(Widen(text).c_str(), 0xFFFFFFFFu, seed))
                return Fail("--seed needs a whole number from 0 to 4294967295, not \"" + text +
                            "\"");
            blocks.seed = static_cast<unsigned>(seed);
        } else if (arg.rfind("--", 0) == 0) {
            return Fail("unknown option " + arg + "\n" + kUsage);
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2)
        return Fail(std::string("an input and an output file are needed\n") + kUsage);
    return Process(addOn, options, blocks, files[0], files[1]);
}

}  // namespace hostsim
