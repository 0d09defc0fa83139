// What the stress run's threads share: heartbeats for the watchdog, the
// phase, and the first failure any of them saw.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace hostsim {

class StressShared {
public:
    using Clock = std::chrono::steady_clock;

    static long long NowMillis() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    }

    // The first failure wins; later ones are dropped.
    void Fail(const std::string& reason) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure_.empty()) failure_ = reason;
        failed.store(true);
    }
    std::string Failure() {
        std::lock_guard<std::mutex> lock(mutex_);
        return failure_;
    }

    std::atomic<bool> failed{false};
    std::atomic<long long> uiBeat{NowMillis()};     // last sign of life of the UI thread
    std::atomic<long long> audioBeat{NowMillis()};  // of the audio thread
    std::atomic<bool> finalPhase{false};            // the UI side has set the final settings
    std::atomic<bool> audioDone{false};             // the audio thread has finished
    // The host itself is closing a frame window: Wine's X11 driver may wait up
    // to 2 s per window for a window manager that Xvfb does not have. Such a
    // wait is the host's, not the add-on's, and gets a longer allowance.
    std::atomic<bool> hostClosingFrame{false};
    std::atomic<const char*> uiAction{"start"};  // what the UI thread is doing, for a stall report
    std::atomic<long long> audioCalls{0};
    // The UI thread's slowest action, for the report (UI thread only).
    long long slowestUiMillis = 0;
    const char* slowestUiAction = "";
    std::atomic<long long> uiActions{0};

private:
    std::mutex mutex_;
    std::string failure_;
};

}  // namespace hostsim
