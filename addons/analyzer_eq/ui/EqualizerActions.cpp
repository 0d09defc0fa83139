// What the equalizer window's buttons and sliders do to the settings, the
// processing word and the filter. Every change is stored with the host at
// once.
#include "EqualizerWindow.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr int kStoreSwitchOn = 1;
constexpr int kStoreSwitchOff = 2;

float BoxState(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1.0f : 0.0f;
}

void CheckBox(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool AudioRunning(const KEFO_Params* record) {
    return record->activityFlags[0] || record->activityFlags[1] || record->activityFlags[2] ||
           record->activityFlags[3];
}

}  // namespace

void OnPlaybackBox(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    HWND dialog = instance->equalizerDialog;
    if (!dialog) return;
    AnalyzerEqSettings& settings = instance->settings;
    settings[kUseForPlayback] = BoxState(dialog, IDC_EQ_PLAYBACK);
    if (settings.IsOn(kUseForPlayback) && settings.IsOn(kUseRecording)) {
        CheckBox(dialog, IDC_EQ_RECORDING, false);
        settings[kUseRecording] = 0.0f;
    }
    UpdateProcessingFlags(record);
    StoreCurrentSettings(record);
    RefreshEqualizerControls(record);
    record->RefreshState();
    // Playing already: the filter is made ready for the current format now.
    if (settings.IsOn(kUseForPlayback) && AudioRunning(record) && record->currentFormatA &&
        record->currentFormatB) {
        RestartEqualizerStream(record);
    }
}

void OnRecordingBox(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    HWND dialog = instance->equalizerDialog;
    if (!dialog) return;
    AnalyzerEqSettings& settings = instance->settings;
    settings[kUseRecording] = BoxState(dialog, IDC_EQ_RECORDING);
    if (settings.IsOn(kUseForPlayback) && settings.IsOn(kUseRecording)) {
        CheckBox(dialog, IDC_EQ_PLAYBACK, false);
        settings[kUseForPlayback] = 0.0f;
    }
    UpdateProcessingFlags(record);
    StoreCurrentSettings(record);
    RefreshEqualizerControls(record);
}

// Saving takes the equalizer from playback and gives it back; the host is
// asked first and may refuse with a reason.
void OnApplyToFile(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    AnalyzerEqSettings& settings = instance->settings;
    HWND dialog = instance->equalizerDialog;
    const float oldPlayback = settings[kUseForPlayback];
    const float oldSaving = settings[kUseSaving];
    const bool on = dialog ? IsDlgButtonChecked(dialog, IDC_EQ_APPLY_TO_FILE) == BST_CHECKED
                           : settings[kUseSaving] == 0.0f;
    settings[kUseSaving] = on ? 1.0f : 0.0f;
    settings[kUseForPlayback] = on ? 0.0f : 1.0f;
    const int accepted = record->StoreSettings(
        kSettingsCount, settings.values, on ? kStoreSwitchOn : kStoreSwitchOff,
        LoadText(on ? IDS_APPLY_TO_FILE_ON : IDS_APPLY_TO_FILE_OFF).text);
    if (accepted) {
        if (dialog) CheckBox(dialog, IDC_EQ_PLAYBACK, settings.IsOn(kUseForPlayback));
        UpdateProcessingFlags(record);
        RefreshEqualizerControls(record);
        return;
    }
    settings[kUseForPlayback] = oldPlayback;
    settings[kUseSaving] = oldSaving;
    if (dialog) {
        CheckBox(dialog, IDC_EQ_APPLY_TO_FILE, oldSaving == 1.0f);
        record->ShowMessage(dialog, record->hostText ? record->hostText : "", kMessageWarning,
                            kButtonsOk);
    }
}

void OnBypassBox(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (!instance->equalizerDialog) return;
    instance->settings[kBypass] = BoxState(instance->equalizerDialog, IDC_EQ_BYPASS);
    StoreCurrentSettings(record);
    SetEqualizerEnabled(record, instance->settings.Bypassed() ? 0 : 1);
    RefreshEqualizerControls(record);
}

void OnReset(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    for (int band = 0; band < kBandCount; ++band) instance->settings.Gains()[band] = 0.0f;
    StoreCurrentSettings(record);
    SetEqualizerFlat(record);
    RefreshEqualizerWindow(record);
}

void OnSliderMoved(KEFO_Params* record, int band, int position) {
    KEFO_MARK();
    if (band < 0 || band >= kBandCount) return;
    AnalyzerEqInstance* instance = InstanceOf(record);
    const float gain = ClampGain(static_cast<float>(-position));
    float* gains = instance->settings.Gains();
    if (gain == gains[band]) return;
    gains[band] = gain;
    StoreCurrentSettings(record);
    SetEqualizerGains(record);
    RefreshEqualizerWindow(record);
}

// The filter follows the settings back too, so what a dialog-only instance
// saves afterwards is filtered as it was before the dialog opened.
void OnEqualizerCancel(KEFO_Params* record) {
    KEFO_MARK();
    if (record->instanceKind != kKindDialogOnly) return;
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->settings = instance->savedSettings;
    StoreCurrentSettings(record);
    ApplyEqualizerSettings(record);
    RefreshEqualizerControls(record);
}

}  // namespace kefo
