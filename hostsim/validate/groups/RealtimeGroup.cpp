// Audio calls as a host's real-time thread makes them: steady streams of
// host blocks from 256 to 4096 frames at four rates, mono and stereo,
// through each audio command. After the first block of a stream (where a
// new format may be prepared for), an audio call makes none of the calls an
// ImportWatch watches (the heap, locks and waits, sleeps, files, the
// registry, windows and drawing), and no call takes longer than its block
// lasts. Each format's worst call and 99th percentile are printed.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hostsim/host/HostBlock.h"
#include "hostsim/system/Text.h"
#include "hostsim/validate/ImportWatch.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

const int kRates[] = {44100, 48000, 96000, 192000};
const int kBlockFrames[] = {256, 512, 1024, 4096, 333, 2000};

// Why no call's time is judged here; empty where it is. Emulated 32-bit code
// (as the scripts that start Wine say it is) runs at a speed that says
// nothing of the real one.
std::string TimeNotJudged() {
    if (sizeof(void*) != 4) return "";
    char value[16] = "";
    const DWORD length = GetEnvironmentVariableA("KEFO_32BIT", value, sizeof value);
    return length > 0 && length < sizeof value && std::string(value) == "emulated"
               ? "32-bit code runs emulated here"
               : "";
}

std::string Percent(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", 100.0 * ratio);
    return text;
}

std::string Millis(double micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", micros / 1000.0);
    return text;
}

constexpr int kPatternLength = sizeof kBlockFrames / sizeof kBlockFrames[0];

std::string FormatText(int rate, int channels) {
    return std::to_string(rate) + " Hz, " + (channels == 1 ? "mono" : "stereo");
}

// One stream's figures. Block b of the stream has kBlockFrames[b % 6]
// frames; the later blocks' figures are at b - 1.
struct StreamResult {
    bool taken = false;          // the add-on answered 1 to the first block
    ImportCalls firstCalls;      // what the first block called
    double firstMicros = 0;      // how long it took
    double firstRatio = 0;       // over its block's duration
    std::vector<double> micros;  // each later block's time
    std::vector<double> ratios;  // over its block's duration
};

class Streams {
public:
    Streams(ValidationRun& run, HostRecord& record, ImportWatch& watch)
        : run_(run), record_(record), watch_(watch) {}

    StreamResult Run(int command, int channels, int rate, int blocks) {
        StreamResult result;
        const std::string format = Hex(command) + " at " + FormatText(rate, channels);
        long long position = 0;
        for (int b = 0; b < blocks; ++b) {
            const int frames = kBlockFrames[b % kPatternLength];
            const int items = frames * channels;
            std::vector<float> samples(static_cast<std::size_t>(items));
            for (int i = 0; i < items; ++i, ++position)
                samples[i] = static_cast<float>(
                    0.3 * std::sin(2 * 3.14159265358979 * 440.0 * (position / channels) / rate));
            HostBlock block(record_, samples.data(), items,
                            {channels, rate, b == 0, b + 1 == blocks});
            const std::string what = format + ", block " + std::to_string(b + 1) + " of " +
                                     std::to_string(frames) + " frames";
            watch_.Arm();
            const int answer = run_.Send(record_, command, what);
            watch_.Disarm();
            const ImportCalls calls = watch_.TakeCalls();
            const double micros = run_.LastCallMicros();
            const double ratio = micros / (1e6 * frames / rate);
            if (b == 0) {
                if (answer != 1) return result;
                result = {true, calls, micros, ratio, {}, {}};
                continue;
            }
            Require(calls.empty(), what + ": " + CallsText(calls));
            result.micros.push_back(micros);
            result.ratios.push_back(ratio);
        }
        return result;
    }

    // Fails the group when a later block of first outlasted itself and does
    // so again in a second run of the same stream: a block that is slow
    // once may have lost the processor to another thread, the same block
    // twice does not.
    void RequireInTime(const StreamResult& first, int command, int channels, int rate, int blocks) {
        std::vector<std::size_t> slow;
        for (std::size_t b = 0; b < first.ratios.size(); ++b)
            if (first.ratios[b] > 1.0) slow.push_back(b);
        if (slow.empty()) return;
        const StreamResult again = Run(command, channels, rate, blocks);
        for (std::size_t b : slow) {
            if (b >= again.ratios.size() || again.ratios[b] <= 1.0) continue;
            const int frames = kBlockFrames[(b + 1) % kPatternLength];
            throw GroupFailure(Hex(command) + " at " + FormatText(rate, channels) + ", block " +
                               std::to_string(b + 2) + " of " + std::to_string(frames) +
                               " frames: took " + Millis(first.micros[b]) + " and " +
                               Millis(again.micros[b]) + " in two runs, longer than the " +
                               Millis(1e6 * frames / rate) + " the block lasts");
        }
    }

private:
    ValidationRun& run_;
    HostRecord& record_;
    ImportWatch& watch_;
};

// One format's figures over every command's stream.
struct FormatFigures {
    std::vector<double> ratios;
    double firstRatio = 0, firstMicros = 0;
    ImportCalls firstCalls;
    int firstBlocks = 0, firstBlocksCalling = 0;

    void Add(const StreamResult& stream) {
        ratios.insert(ratios.end(), stream.ratios.begin(), stream.ratios.end());
        ++firstBlocks;
        if (!stream.firstCalls.empty()) ++firstBlocksCalling;
        for (const auto& [name, count] : stream.firstCalls) firstCalls[name] += count;
        if (stream.firstRatio > firstRatio) {
            firstRatio = stream.firstRatio;
            firstMicros = stream.firstMicros;
        }
    }

    // "44100 Hz, mono: worst call 2.1% of its block, 99th percentile 0.9%; ..."
    std::string Note(int rate, int channels) {
        std::string note = FormatText(rate, channels) + ": ";
        if (ratios.empty()) return note + "no audio command taken";
        std::sort(ratios.begin(), ratios.end());
        const std::size_t p99 = std::min(ratios.size() - 1, (ratios.size() * 99 + 99) / 100 - 1);
        note += "worst call " + Percent(ratios.back()) + " of its block, 99th percentile " +
                Percent(ratios[p99]) + "; a stream's first call up to " + Percent(firstRatio) +
                " (" + Millis(firstMicros) + ")";
        if (firstBlocksCalling > 0)
            note += "; " + std::to_string(firstBlocksCalling) + " of " +
                    std::to_string(firstBlocks) +
                    " first calls prepared with watched calls (allowed): " + CallsText(firstCalls);
        return note;
    }
};

}  // namespace

std::string CheckRealtime(ValidationRun& run) {
    HostRecord record;
    run.CreateInstance(record, AudioKind(run));
    const std::string kind = KindText(record.instanceKind);
    ImportWatch watch(run.Module());
    Streams streams(run, record, watch);
    const std::string notJudged = TimeNotJudged();
    const int blocks = run.Options().full ? 200 : 24;
    int taken = 0;
    double worst = 0;
    std::string worstFormat;
    for (int rate : kRates)
        for (int channels : {1, 2}) {
            FormatFigures figures;
            for (int command : kAudioCommands) {
                const StreamResult stream = streams.Run(command, channels, rate, blocks);
                if (!stream.taken) continue;
                ++taken;
                if (notJudged.empty())
                    streams.RequireInTime(stream, command, channels, rate, blocks);
                figures.Add(stream);
            }
            if (figures.firstBlocks > 0) run.Note("realtime " + figures.Note(rate, channels));
            if (!figures.ratios.empty() && figures.ratios.back() > worst) {
                worst = figures.ratios.back();
                worstFormat = FormatText(rate, channels);
            }
        }
    run.DestroyInstance(record);
    if (taken == 0) throw GroupSkipped("takes no audio: every audio command answered 0");
    return std::to_string(taken) + " streams of " + std::to_string(blocks) +
           " blocks from 256 to 4096 frames on " + kind + ", " + std::to_string(watch.Watched()) +
           " imports watched; worst call " + Percent(worst) + " of its block (" + worstFormat +
           ")" + (notJudged.empty() ? "" : "; time not judged: " + notJudged);
}

}  // namespace hostsim
