// The instance of a feature add-on (see AOFeatureDll). Its state is four
// floats, also the array the host stores for it:
//   0  signature: the add-on version as a float (65537.0 for 1.1)
//   1  owned by the host, kept and stored back unchanged
//   2  owned by the host, kept and stored back unchanged
//   3  owned by the host; cleared when the host's state change says the
//      option to process when saving is not kept
// It wants no audio, answers every menu query "enabled", and opens help from
// its help item.
//
// Threads: as AOContext.
#pragma once

#include "framework/AOContext.h"

class AOFeatureContext : public AOContext {
public:
    static constexpr int kSettingsCount = 4;
    static constexpr int kUpdatePeriod = 4000;

    void LoadSettings() override;
    void SetDefaultSettings() override;
    int CheckSettings(const float* values, int count) override;
    void SaveSettings() override;
    void QueryMenuItem() override;
    void SetAudioRequest() override;
    void OpenHookA() override {}
    void OpenHookB() override {}
    int SettingsCount() override { return kSettingsCount; }
    int ParameterCount() override { return 1; }
    void FormatChanged(int, int, int) override {}
    void StateChanged() override;
    // No audio code: blocks are left as they come.
    void AnalyzeFeedA() override {}
    void ProcessRecording() override {}
    void ProcessPlayback() override {}
    void AnalyzeFeedB() override {}
    void ProcessSaving() override {}
    INT_PTR OnInitDialog(HWND window) override;
    void MenuCommand(int itemId) override;

private:
    float settings_[kSettingsCount] = {};
};
