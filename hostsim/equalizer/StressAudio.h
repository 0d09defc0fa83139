// The stress run's audio thread: random blocks of random formats through the
// equalizer commands and the analyzer feeds, each answer checked, then the
// final stream that is compared with a fresh instance.
#pragma once

#include <random>
#include <vector>

#include "hostsim/host/HostRecord.h"
#include "StressShared.h"

namespace hostsim {

class StressAudio {
public:
    StressAudio(HostRecord& record, StressShared& shared, unsigned seed)
        : record_(record), shared_(shared), random_(seed) {}

    // The thread's body: random blocks until the final phase, then the final
    // stream. Failures go to the shared state.
    void Run();

    // The final stream's input and what came back (stereo, kFinalRate).
    const std::vector<float>& FinalInput() const { return finalInput_; }
    const std::vector<float>& FinalOutput() const { return finalOutput_; }
    long long MaxWaitMicros() const { return maxWaitMicros_; }
    long long MaxCallMicros() const { return maxCallMicros_; }

    static constexpr int kFinalRate = 48000;

private:
    struct Format {
        int channels;
        int rate;
    };
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    std::vector<float> Noise(int count, bool withNonFinite);
    // Sends one block and checks the answer; returns what came back.
    std::vector<float> Send(int command, const Format& format, const std::vector<float>& input,
                            bool start, bool end);
    void RandomPhase();
    void FinalStream();

    HostRecord& record_;
    StressShared& shared_;
    std::mt19937 random_;
    Format lastEqualizerFormat_{0, 0};
    long long maxWaitMicros_ = 0;
    long long maxCallMicros_ = 0;
    std::vector<float> finalInput_;
    std::vector<float> finalOutput_;
};

}  // namespace hostsim
