// The stress run's UI side: random user actions in the add-on's two windows
// and random host commands, on the thread that owns the windows.
#pragma once

#include <random>
#include <vector>

#include "hostsim/host/HostRecord.h"
#include "StressShared.h"

namespace hostsim {

// The UI thread's record: tells the watchdog while the host closes a frame.
class StressUiRecord : public HostRecord {
public:
    explicit StressUiRecord(StressShared& shared) : shared_(shared) {}
    void DestroyFrame(HWND frame) override;
    void UserClosesFrameNow(int index);

private:
    StressShared& shared_;
};

class StressActions {
public:
    StressActions(StressUiRecord& record, StressShared& shared, unsigned seed)
        : record_(record), shared_(shared), random_(seed), settings_(17, 0.0f) {}

    // One random action; the answers of commands are checked.
    void RunOne();
    // Leaves the instance on settings that filter (playback on, no bypass,
    // gains drawn at random, not all 0) and returns them.
    std::vector<float> SetFinalSettings();
    // Dispatches the thread's pending messages (window timers among them).
    static void Pump(StressShared& shared);

private:
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    HWND EqualizerDialog() const;
    HWND AnalyzerDialog() const;
    bool ClickIfEnabled(HWND dialog, int id);
    void Command(int code);
    void FillSettings(bool valid);
    void MoveSlider(HWND dialog);
    void PickPreset(HWND dialog);
    void SavePreset(HWND dialog);
    void ScrambleHost();

    StressUiRecord& record_;
    StressShared& shared_;
    std::mt19937 random_;
    std::vector<float> settings_;  // what `settings` points at (never fewer than 17)
    int presetNumber_ = 0;
};

}  // namespace hostsim
