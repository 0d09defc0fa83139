// Audio as hosts send it: every rate from 8000 to 192000 Hz, mono and
// stereo, each audio command, blocks of 1 frame, odd sizes, the largest a
// host sends and none at all. A look-only feed and a command the add-on
// does not know leave the block as it was; a processing command gives back
// whole frames that fit the buffer they come in, as many over a stream as
// went in, every sample written, finite for finite input and never
// subnormal for normal input; a sample that is not finite stays one sample.
// Two fresh instances, and one made again, give the same bits.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "hostsim/host/HostBlock.h"
#include "hostsim/system/Text.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

const int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
constexpr int kLargestFrames = 65536;  // the largest block a host sends

struct Stream {
    int command;
    int channels;
    int rate;
    std::vector<int> frames;     // block sizes, first and last flagged
    std::vector<long long> bad;  // input sample positions that are not finite
    long long silentFrom = -1;   // the input position from which it is silence
};

class StreamRunner {
public:
    StreamRunner(ValidationRun& run, HostRecord& record) : run_(run), record_(record) {}

    // Streams; returns whether the add-on answered 1 to every block.
    bool Run(const Stream& stream) {
        const std::string format = Hex(stream.command) + " at " + std::to_string(stream.rate) +
                                   " Hz, " + (stream.channels == 1 ? "mono" : "stereo");
        long long in = 0, out = 0, nonFiniteOut = 0, subnormalOut = 0;
        bool handled = true;
        output_.clear();
        for (std::size_t b = 0; b < stream.frames.size(); ++b) {
            const int items = stream.frames[b] * stream.channels;
            std::vector<float> sent(static_cast<std::size_t>(items));
            for (int i = 0; i < items; ++i) sent[i] = Sample(stream, in + i);
            HostBlock block(record_, sent.data(), items,
                            {stream.channels, stream.rate, b == 0, b + 1 == stream.frames.size()});
            record_.ClearCalls();
            const std::string what = format + ", block " + std::to_string(b + 1) + " of " +
                                     std::to_string(items / stream.channels) + " frames";
            const int result = run_.Send(record_, stream.command, what);
            Require(result == 0 || result == 1, what + ": answered " + std::to_string(result));
            handled = handled && result == 1;
            const bool unchanged = block.CameBackAsSent() &&
                                   (items == 0 || std::memcmp(block.Sent(), sent.data(),
                                                              sent.size() * sizeof(float)) == 0);
            if (result == 0 || LooksOnly(stream.command))
                Require(unchanged, what + (result == 0 ? ": answered 0 but changed the block"
                                                       : ": a look-only feed changed the block"));
            const std::string fault = block.ReturnFault();
            Require(fault.empty(), what + ": " + fault);
            const int count = record_.audioItemCount;
            Require(count % stream.channels == 0,
                    what + ": gave back " + std::to_string(count) + " samples, not whole frames");
            const int unwritten = block.FirstUnwritten();
            Require(unwritten < 0, what + ": sample " + std::to_string(unwritten + 1) + " of " +
                                       std::to_string(count) +
                                       " came back unwritten (as AllocateAudio filled it)");
            for (float sample : block.Returned()) {
                nonFiniteOut += !std::isfinite(sample);
                subnormalOut += std::fpclassify(sample) == FP_SUBNORMAL;
                output_.push_back(sample);
            }
            in += items;
            out += count;
        }
        if (subnormalOut > 0) {
            // Subnormal numbers cost a processor tens of times the time of
            // others, in the add-on's next stage and in the host's.
            const std::string subnormal = format + ": " + std::to_string(subnormalOut) +
                                          " subnormal samples came back from normal input";
            Require(!run_.Options().full, subnormal);
            run_.Note("audio warning: " + subnormal + " (a failure at the full level)");
        }
        const long long nonFiniteIn = static_cast<long long>(stream.bad.size());
        Require(nonFiniteOut <= nonFiniteIn, format + ": " + std::to_string(nonFiniteOut) +
                                                 " samples came back not finite for " +
                                                 std::to_string(nonFiniteIn) + " such samples in");
        if (handled)
            Require(out == in, format + ": the stream gave back " + std::to_string(out) +
                                   " samples for " + std::to_string(in));
        Require(record_.OutstandingAudioBuffers() == 0,
                format + ": " + std::to_string(record_.OutstandingAudioBuffers()) +
                    " buffers from AllocateAudio were never freed nor handed back");
        Require(record_.AudioFaults().empty(),
                format + ": " + (record_.AudioFaults().empty() ? "" : record_.AudioFaults()[0]));
        return handled;
    }

    // The samples the last stream gave back, in order.
    const std::vector<float>& Output() const { return output_; }

private:
    static float Sample(const Stream& stream, long long position) {
        if (stream.silentFrom >= 0 && position >= stream.silentFrom) return 0.0f;
        for (long long bad : stream.bad)
            if (bad == position)
                return position % 2 ? std::numeric_limits<float>::infinity()
                                    : std::numeric_limits<float>::quiet_NaN();
        const double t = static_cast<double>(position / stream.channels) / stream.rate;
        return static_cast<float>(0.4 * std::sin(2 * 3.14159265358979 * 997.0 * t) +
                                  0.1 * std::sin(2 * 3.14159265358979 * 61.0 * t + position % 2));
    }

    ValidationRun& run_;
    HostRecord& record_;
    std::vector<float> output_;
};

// The same stream through two fresh instances at once, and through the first
// again after Destroy and Create, gives the same bits. Each stream is the
// first audio its instance sees.
void RequireSameOutput(ValidationRun& run, int kind) {
    for (int command : kAudioCommands) {
        if (LooksOnly(command)) continue;
        const std::string what =
            "same input, same output: " + Hex(command) + " at 44100 Hz, stereo";
        HostRecord first, second;
        run.CreateInstance(first, kind);
        run.CreateInstance(second, kind);
        const std::vector<float> once = StreamOutput(run, first, command, 2, 44100);
        long long differs = FirstDifference(once, StreamOutput(run, second, command, 2, 44100));
        Require(differs < 0, what + ": a second fresh instance gave other samples from sample " +
                                 std::to_string(differs + 1) + " on");
        run.DestroyInstance(second);
        run.DestroyInstance(first);
        run.CreateInstance(first, kind);
        differs = FirstDifference(once, StreamOutput(run, first, command, 2, 44100));
        Require(differs < 0, what +
                                 ": the instance made again after Destroy gave other samples "
                                 "from sample " +
                                 std::to_string(differs + 1) + " on");
        run.DestroyInstance(first);
    }
}

std::vector<int> BlockPattern(ValidationRun& run) {
    std::vector<int> frames = {1, 3, 17, 256, 1000, 0, 511, 4096, kLargestFrames, 7};
    if (run.Options().full)
        for (int i = 0; i < 20; ++i)
            frames.insert(frames.end() - 1,
                          std::uniform_int_distribution<int>(0, kLargestFrames)(run.random));
    return frames;
}

}  // namespace

int AudioKind(ValidationRun& run) {
    for (int kind : run.ServedKinds())
        if (kind != kefo::kKindDialogOnly) return kind;
    throw GroupSkipped("only dialog-only instances are served, and they take no audio");
}

void StreamOnce(ValidationRun& run, HostRecord& record, int channels, int rate) {
    StreamRunner runner(run, record);
    for (int command : kAudioCommands) runner.Run({command, channels, rate, {1024, 333, 1024}, {}});
}

long long FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long long>(i);
    return a.size() == b.size() ? -1 : static_cast<long long>(common);
}

std::vector<float> StreamOutput(ValidationRun& run, HostRecord& record, int command, int channels,
                                int rate) {
    StreamRunner runner(run, record);
    if (!runner.Run({command, channels, rate, {256, 1000, 4096, 17, 2048, 0, 1024, 3000}, {}}))
        return {};
    return runner.Output();
}

std::string CheckAudio(ValidationRun& run) {
    HostRecord record;
    run.CreateInstance(record, AudioKind(run));
    const std::string kind = KindText(record.instanceKind);
    StreamRunner runner(run, record);
    bool takesAudio = record.audioCommands != 0;
    for (int command : kAudioCommands)
        takesAudio = runner.Run({command, 2, 44100, {256}, {}}) || takesAudio;
    if (!takesAudio) {
        run.DestroyInstance(record);
        throw GroupSkipped("takes no audio: audioCommands is 0 and every audio command answered 0");
    }

    const std::vector<int> frames = BlockPattern(run);
    int streams = 0;
    for (int rate : kRates)
        for (int channels : {1, 2})
            for (int command : kAudioCommands) {
                runner.Run({command, channels, rate, frames, {}});
                ++streams;
            }
    // One NaN and one infinity in the middle of a stream of 1024-frame blocks.
    for (int channels : {1, 2})
        for (int command : kAudioCommands) {
            const long long middle = 10LL * 1024 * channels;
            runner.Run({command,
                        channels,
                        44100,
                        std::vector<int>(20, 1024),
                        {middle + 6, middle + 2 * 1024 * channels + 1}});
            ++streams;
        }
    // A tone that stops: what decays after it must reach silence without
    // passing through subnormal numbers.
    for (int channels : {1, 2})
        for (int command : kAudioCommands) {
            runner.Run(
                {command, channels, 44100, std::vector<int>(32, 1024), {}, 4LL * 1024 * channels});
            ++streams;
        }
    run.DestroyInstance(record);
    RequireSameOutput(run, record.instanceKind);
    return std::to_string(streams) + " streams on " + kind + ", " +
           std::to_string(sizeof kRates / sizeof kRates[0]) + " rates from 8000 to 192000 Hz, " +
           std::to_string(frames.size()) + " blocks each from 0 to " +
           std::to_string(kLargestFrames) + " frames";
}

}  // namespace hostsim
