// The three ways the host pushes settings into an instance: a whole block
// (SettingsChanged), the processing part (SettingsApplied) and validated named
// parameters (SetParameters).
#include <cmath>

#include "AnalyzerEq.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr int kStoreSwitchOn = 1;
constexpr int kStoreSwitchOff = 2;
constexpr int kTextApplyOn = IDS_APPLY_TO_FILE_ON;
constexpr int kTextApplyOff = IDS_APPLY_TO_FILE_OFF;

// Host values that are not finite never reach the filter: they count as 0.
float Finite(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

bool IsFlag(float value) {
    return value == 0.0f || value == 1.0f;
}

// Copies elements [first, kSettingsCount) from the host, gains clamped to the
// sliders' range.
void AdoptFrom(AnalyzerEqSettings& settings, const float* values, int first) {
    for (int i = first; i < kSettingsCount; ++i)
        settings[i] = i >= kFirstGain ? ClampGain(values[i]) : Finite(values[i]);
}

// Moves the equalizer between playback and saving; the host may refuse.
void SwitchApplyToFile(KEFO_Params* record, bool on) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    AnalyzerEqSettings& settings = instance->settings;
    const float oldPlayback = settings[kUseForPlayback];
    const float oldSaving = settings[kUseSaving];
    settings[kUseSaving] = on ? 1.0f : 0.0f;
    settings[kUseForPlayback] = on ? 0.0f : 1.0f;
    const int accepted = record->StoreSettings(kSettingsCount, settings.values,
                                               on ? kStoreSwitchOn : kStoreSwitchOff,
                                               LoadText(on ? kTextApplyOn : kTextApplyOff).text);
    HWND dialog = instance->equalizerDialog;
    if (accepted) {
        if (dialog)
            CheckDlgButton(dialog, IDC_EQ_PLAYBACK,
                           settings.IsOn(kUseForPlayback) ? BST_CHECKED : BST_UNCHECKED);
        UpdateProcessingFlags(record);
        RefreshEqualizerControls(record);
        return;
    }
    settings[kUseForPlayback] = oldPlayback;
    settings[kUseSaving] = oldSaving;
    if (dialog) {
        CheckDlgButton(dialog, IDC_EQ_APPLY_TO_FILE,
                       oldSaving == 1.0f ? BST_CHECKED : BST_UNCHECKED);
        record->ShowMessage(dialog, record->hostText, kMessageWarning, kButtonsOk);
    }
}

}  // namespace

void ApplyEqualizerSettings(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (!instance->equalizer.IsInitialized()) return;
    instance->equalizer.SetGains(instance->settings.Gains(), 0);
    instance->equalizer.SetEnabled(instance->settings.Bypassed() ? 0 : 1);
}

int OnSettingsChanged(KEFO_Params* record) {
    KEFO_MARK();
    // Only an array that really holds the whole block is read.
    if (record->settingsCount != kSettingsCount || !record->settings) return kResultHandled;
    AdoptFrom(InstanceOf(record)->settings, record->settings, 0);
    ApplyEqualizerSettings(record);
    UpdateProcessingFlags(record);
    return kResultHandled;
}

int OnSettingsApplied(KEFO_Params* record) {
    KEFO_MARK();
    if (record->settingsCount != kSettingsCount || !record->settings) return kResultHandled;
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (instance->settings[kEqualizerOpen] == 0.0f && record->settings[kEqualizerOpen] == 1.0f)
        ToggleEqualizerWindow(record);
    AdoptFrom(instance->settings, record->settings, kUseForPlayback);
    ApplyEqualizerSettings(record);
    UpdateProcessingFlags(record);
    StoreCurrentSettings(record);
    RefreshEqualizerWindow(record);
    return kResultHandled;
}

int OnSetParameters(KEFO_Params* record) {
    KEFO_MARK();
    const float* v = record->settings;
    if (record->settingsCount != kSettingsCount || !v) return kResultHandled;
    for (int i = 0; i < kSettingsCount; ++i)
        if (!std::isfinite(v[i])) return kResultHandled;
    for (int i = kAnalyzerOpen; i <= kBypass; ++i)
        if (!IsFlag(v[i])) return kResultHandled;

    AnalyzerEqInstance* instance = InstanceOf(record);
    AnalyzerEqSettings& settings = instance->settings;
    if (v[kAnalyzerOpen] != settings[kAnalyzerOpen]) ToggleAnalyzerWindow(record);
    if (v[kEqualizerOpen] != settings[kEqualizerOpen]) ToggleEqualizerWindow(record);
    if (v[kPeaksOn] != settings[kPeaksOn]) {
        settings[kPeaksOn] = v[kPeaksOn];
        StoreCurrentSettings(record);
    }
    if (v[kUseForPlayback] + v[kUseRecording] + v[kUseSaving] > 1.0f) return kResultHandled;
    if (settings.IsOn(kUseSaving) && v[kUseSaving] == 1.0f) return kResultHandled;

    if (v[kUseSaving] != settings[kUseSaving]) {
        record->RefreshState();
        const bool switchingOn = v[kUseSaving] == 1.0f;
        bool anyGain = false;
        for (int band = 0; band < kBandCount; ++band) anyGain |= v[kFirstGain + band] != 0.0f;
        if (switchingOn && (!(record->fileOutputValue > 0.0) || v[kBypass] == 1.0f || !anyGain))
            return kResultHandled;
        if (HWND dialog = instance->equalizerDialog)
            CheckDlgButton(dialog, IDC_EQ_APPLY_TO_FILE, switchingOn ? BST_CHECKED : BST_UNCHECKED);
        SwitchApplyToFile(record, switchingOn);
        if (settings[kUseSaving] != v[kUseSaving]) return kResultHandled;
    }

    settings[kUseForPlayback] = v[kUseForPlayback];
    settings[kUseRecording] = v[kUseRecording];
    UpdateProcessingFlags(record);
    settings[kBypass] = v[kBypass];
    for (int band = 0; band < kBandCount; ++band)
        settings.Gains()[band] = ClampGain(v[kFirstGain + band]);
    ApplyEqualizerSettings(record);
    RefreshEqualizerWindow(record);
    StoreCurrentSettings(record);
    return kResultHandled;
}

}  // namespace kefo
