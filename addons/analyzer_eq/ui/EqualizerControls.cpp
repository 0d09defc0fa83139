// The equalizer window's controls set from the settings, and which of them
// the user may use in the current state.
#include <windows.h>

#include <commctrl.h>

#include <cmath>

#include "EqualizerWindow.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

// What the user may touch.
struct ControlStates {
    bool choices;  // "Playback" and "Recording"
    bool apply;    // "Apply to file"
    bool bypass;
    bool main;  // presets, sliders and their labels
    bool reset;
    bool remove;
};

void CheckBox(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

// A flag read as an integer: anything that truncates to nonzero counts.
bool TruncatesToNonZero(float value) {
    return std::fabs(value) >= 1.0f;
}

// The slider sits at minus the whole dB (+15 at the top); the label shows a
// sign on gains above 0.
void ShowBand(KEFO_Params* record, HWND dialog, int band, float gain) {
    KEFO_MARK();
    const int shown = static_cast<int>(ClampGain(gain));
    SendDlgItemMessageW(dialog, kBandControls[band].slider, TBM_SETPOS, TRUE, -shown);
    record->FormatText(shown > 0 ? "+%i" : "%i", shown);
    SetDlgItemTextA(dialog, kBandControls[band].value, record->hostText ? record->hostText : "");
}

ControlStates ModelessStates(KEFO_Params* record, bool nonZero) {
    KEFO_MARK();
    record->RefreshState();
    const AnalyzerEqSettings& settings = InstanceOf(record)->settings;
    const bool saving = TruncatesToNonZero(settings[kUseSaving]);
    const bool anyUse = settings[kUseForPlayback] != 0.0f || settings[kUseRecording] != 0.0f ||
                        settings[kUseSaving] != 0.0f;
    ControlStates states{};
    states.choices = !saving;
    states.bypass = !saving && anyUse;
    states.main = !saving && anyUse && settings[kBypass] == 0.0f;
    states.apply = nonZero && (saving || TruncatesToNonZero(settings[kUseForPlayback])) &&
                   !TruncatesToNonZero(settings[kBypass]) && record->fileOutputValue > 0.0;
    states.reset = states.main && nonZero;
    return states;
}

void EnableControls(HWND dialog, const ControlStates& states) {
    KEFO_MARK();
    Enable(dialog, IDC_EQ_PLAYBACK, states.choices);
    Enable(dialog, IDC_EQ_RECORDING, states.choices);
    Enable(dialog, IDC_EQ_APPLY_TO_FILE, states.apply);
    Enable(dialog, IDC_EQ_BYPASS, states.bypass);
    Enable(dialog, IDC_EQ_RESET, states.reset);
    Enable(dialog, IDC_EQ_REMOVE, states.remove);
    for (int id : {IDC_EQ_PRESET_LABEL, IDC_EQ_PRESET_LIST, IDC_EQ_SAVE_AS, IDC_EQ_DB, IDC_EQ_HZ})
        Enable(dialog, id, states.main);
    for (const BandControls& band : kBandControls) {
        Enable(dialog, band.slider, states.main);
        Enable(dialog, band.value, states.main);
        Enable(dialog, band.frequency, states.main);
    }
}

}  // namespace

void RefreshEqualizerWindow(KEFO_Params* record) {
    KEFO_MARK();
    if (HWND dialog = EqualizerDialog(record)) {
        const AnalyzerEqSettings& settings = InstanceOf(record)->settings;
        CheckBox(dialog, IDC_EQ_BYPASS, settings.IsOn(kBypass));
        CheckBox(dialog, IDC_EQ_PLAYBACK, settings.IsOn(kUseForPlayback));
        CheckBox(dialog, IDC_EQ_RECORDING, settings.IsOn(kUseRecording));
        CheckBox(dialog, IDC_EQ_APPLY_TO_FILE, settings.IsOn(kUseSaving));
        for (int band = 0; band < kBandCount; ++band)
            ShowBand(record, dialog, band, settings.Gains()[band]);
        RefreshPresetList(dialog, record);
    }
    RefreshEqualizerControls(record);
}

void RefreshEqualizerControls(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    const bool nonZero = GainsNonZero(instance->settings.Gains());
    // With every gain at 0 the filter runs as its pass-through of equal delay.
    if (instance->settings[kBypass] == 0.0f) SetEqualizerEnabled(record, nonZero ? 1 : 0);
    UpdateIndicator(record);

    HWND dialog = EqualizerDialog(record);
    if (!dialog) return;
    PresetName selected;
    const bool named = SelectedPresetName(dialog, &selected);
    const UserPresets presets = LoadUserPresets(record);
    const bool userPreset = named && FindUserPreset(presets, selected.text);

    ControlStates states{};
    if (record->instanceKind == kKindDialogOnly) {
        states.main = true;
        states.reset = nonZero;
    } else {
        states = ModelessStates(record, nonZero);
    }
    states.remove = states.main && userPreset;
    EnableControls(dialog, states);
}

}  // namespace kefo
