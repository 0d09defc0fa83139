// The three ways the host pushes settings into an instance: a whole block
// (SettingsChanged), the processing part (SettingsApplied) and validated named
// parameters (SetParameters).
#include <cmath>

#include "AnalyzerEq.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

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

}  // namespace

void ApplyEqualizerSettings(KEFO_Params* record) {
    KEFO_MARK();
    SetEqualizerGains(record);
    SetEqualizerEnabled(record, InstanceOf(record)->settings.Bypassed() ? 0 : 1);
}

// Commands 9 and 10 read the whole block whatever settingsCount says: hosts
// leave the count as it was.
int OnSettingsChanged(KEFO_Params* record) {
    KEFO_MARK();
    if (!record->settings) return kResultHandled;
    AdoptFrom(InstanceOf(record)->settings, record->settings, 0);
    ApplyEqualizerSettings(record);
    UpdateProcessingFlags(record);
    return kResultHandled;
}

int OnSettingsApplied(KEFO_Params* record) {
    KEFO_MARK();
    if (!record->settings) return kResultHandled;
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
    // The signature is not read; every value that is must be a number.
    for (int i = kAnalyzerOpen; i < kSettingsCount; ++i)
        if (!std::isfinite(v[i])) return kResultHandled;
    for (int i = kAnalyzerOpen; i <= kBypass; ++i)
        if (!IsFlag(v[i])) return kResultHandled;

    AnalyzerEqInstance* instance = InstanceOf(record);
    AnalyzerEqSettings& settings = instance->settings;
    if (v[kAnalyzerOpen] != settings[kAnalyzerOpen]) ToggleAnalyzerWindow(record);
    if (v[kEqualizerOpen] != settings[kEqualizerOpen]) ToggleEqualizerWindow(record);
    if (v[kPeaksOn] != settings[kPeaksOn]) {
        // An open analyzer window takes the option through its own box.
        if (HWND analyzer = instance->analyzerDialog) {
            CheckDlgButton(analyzer, IDC_ANALYZER_PEAKS,
                           v[kPeaksOn] == 1.0f ? BST_CHECKED : BST_UNCHECKED);
            OnPeaksBox(record);
        } else {
            settings[kPeaksOn] = v[kPeaksOn];
            StoreCurrentSettings(record);
        }
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
        OnApplyToFile(record);
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
