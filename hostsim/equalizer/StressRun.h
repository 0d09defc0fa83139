// hostsim stress: one equalizer instance (kind 0, both windows open) driven
// from two threads at once, as a host with an audio thread drives it. The
// audio thread streams random blocks through the equalizer commands and the
// analyzer feeds while the UI thread pumps the windows' messages and plays
// random user and host actions; a watchdog fails the run when either thread
// stalls. Afterwards the instance must filter exactly like a fresh one.
#pragma once

#include <string>

namespace hostsim {

struct StressOptions {
    int seconds = 10;
    unsigned seed = 1;
    std::wstring addOnPath;  // resolved DLL path
};

struct StressReport {
    long long audioCalls = 0;
    long long uiActions = 0;
    // Longest equalizer call that completed no filter block and kept its
    // format: an upper bound of any wait on the UI thread (scheduling noise
    // included), in microseconds.
    long long maxAudioWaitMicros = 0;
    long long maxAudioCallMicros = 0;  // longest audio call of any kind
    double maxDifference = 0.0;        // final output against a fresh instance
    long long slowestUiMillis = 0;     // the UI thread's slowest action
    std::string slowestUiAction;
    std::string failure;  // empty when the run passed
};

// Runs the stress; a stall ends the process from the watchdog after printing
// the report lines it has and the failure.
StressReport RunStress(const StressOptions& options);

}  // namespace hostsim
