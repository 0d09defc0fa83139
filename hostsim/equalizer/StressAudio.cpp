#include "StressAudio.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "hostsim/host/HostBlock.h"
#include "hostsim/system/Text.h"

namespace hostsim {
namespace {

bool IsEqualizerCommand(int command) {
    return command == kefo::kCmdProcessPlayback || command == kefo::kCmdProcessRecording ||
           command == kefo::kCmdProcessSaving;
}

std::string Describe(int command, int channels, int rate, std::size_t count) {
    return "command " + Hex(command) + " with " + std::to_string(count) + " samples, " +
           std::to_string(channels) + " channel(s) at " + std::to_string(rate) + " Hz";
}

}  // namespace

std::vector<float> StressAudio::Noise(int count, bool withNonFinite) {
    std::uniform_real_distribution<float> value(-0.5f, 0.5f);
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (float& x : samples) x = value(random_);
    if (withNonFinite && count > 0) {
        const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()};
        samples[static_cast<std::size_t>(Between(0, count - 1))] = odd[Between(0, 2)];
    }
    return samples;
}

std::vector<float> StressAudio::Send(int command, const Format& format,
                                     const std::vector<float>& input, bool start, bool end) {
    const int count = static_cast<int>(input.size());
    const HostBlock block(record_, input.data(), count, {format.channels, format.rate, start, end});

    const auto before = std::chrono::steady_clock::now();
    const int result = record_.Send(command);
    const long long micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - before)
                                 .count();
    shared_.audioBeat.store(StressShared::NowMillis());
    shared_.audioCalls.fetch_add(1);
    record_.ClearCalls();  // the call log would grow with every block

    const std::string what = Describe(command, format.channels, format.rate, input.size());
    if (result != 0 && result != 1) shared_.Fail(what + " answered " + std::to_string(result));
    const std::string fault = block.ReturnFault();
    if (!fault.empty()) shared_.Fail(what + ": " + fault);
    if (!IsEqualizerCommand(command) &&
        (!block.CameBackAsSent() ||
         (count > 0 && std::memcmp(block.Sent(), input.data(), sizeof(float) * input.size()) != 0)))
        shared_.Fail(what + ": an analyzer feed changed the host's block");

    std::vector<float> output;
    if (!shared_.failed.load()) output = block.Returned();
    // The equalizer silences what is not finite; the feeds hand the block
    // back as it came (checked above).
    if (IsEqualizerCommand(command) &&
        std::any_of(output.begin(), output.end(), [](float s) { return !std::isfinite(s); }))
        shared_.Fail(what + " put out a sample that is not finite");

    maxCallMicros_ = std::max(maxCallMicros_, micros);
    if (IsEqualizerCommand(command)) {
        const bool sameFormat = lastEqualizerFormat_.channels == format.channels &&
                                lastEqualizerFormat_.rate == format.rate;
        if (record_.audioItemCount == 0 && !end && sameFormat)
            maxWaitMicros_ = std::max(maxWaitMicros_, micros);
        lastEqualizerFormat_ = format;
    }
    return output;
}

void StressAudio::RandomPhase() {
    static const int kRates[] = {8000, 11025, 22050, 44100, 48000, 96000, 192000};
    static const int kCommands[] = {kefo::kCmdProcessPlayback, kefo::kCmdProcessPlayback,
                                    kefo::kCmdProcessPlayback, kefo::kCmdProcessRecording,
                                    kefo::kCmdProcessSaving,   kefo::kCmdAnalyzeFeedA,
                                    kefo::kCmdAnalyzeFeedA,    kefo::kCmdAnalyzeFeedB};
    Format format{2, 44100};
    bool start = true;
    while (!shared_.finalPhase.load() && !shared_.failed.load()) {
        if (Between(1, 100) <= 2)
            format = Format{Between(1, 2), kRates[Between(0, std::size(kRates) - 1)]};
        const int frames = Between(0, 1) ? Between(1, 16384) : Between(1, 256);
        const int command = kCommands[Between(0, std::size(kCommands) - 1)];
        const bool end = Between(1, 100) <= 2;
        Send(command, format, Noise(frames * format.channels, Between(1, 100) <= 2), start, end);
        start = end;
        // A device hands out blocks at its own pace; the pause leaves the UI
        // thread (and Wine's server) their share of a busy machine.
        Sleep(1);
    }
}

// At least two filter blocks on the final settings, the stream ended, then
// one whole stream whose output is kept for the comparison.
void StressAudio::FinalStream() {
    const Format format{2, kFinalRate};
    std::vector<float> warmUp = Noise(3 * 16384, false);
    Send(kefo::kCmdProcessPlayback, format, warmUp, true, false);
    Send(kefo::kCmdProcessPlayback, format, Noise(4096, false), false, true);

    finalInput_ = Noise(2 * kFinalRate, false);
    finalOutput_.clear();
    std::size_t offset = 0;
    while (offset < finalInput_.size() && !shared_.failed.load()) {
        std::size_t count = static_cast<std::size_t>(Between(1, 4096)) * 2;
        count = std::min(count, finalInput_.size() - offset);
        std::vector<float> block(finalInput_.begin() + static_cast<std::ptrdiff_t>(offset),
                                 finalInput_.begin() + static_cast<std::ptrdiff_t>(offset + count));
        const bool end = offset + count == finalInput_.size();
        std::vector<float> back = Send(kefo::kCmdProcessPlayback, format, block, offset == 0, end);
        finalOutput_.insert(finalOutput_.end(), back.begin(), back.end());
        offset += count;
    }
}

void StressAudio::Run() {
    try {
        RandomPhase();
        if (!shared_.failed.load()) FinalStream();
    } catch (const std::exception& error) {
        shared_.Fail(std::string("the audio thread stopped: ") + error.what());
    } catch (...) {
        shared_.Fail("the audio thread stopped on an exception");
    }
    shared_.audioDone.store(true);
}

}  // namespace hostsim
