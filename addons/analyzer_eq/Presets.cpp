// Equalizer presets: the five built in, "[Untitled]" for gains that match
// none, and the user's own that the host stores by name. The host's list is
// read right after each LoadPresets and never kept.
#include <cmath>
#include <cstring>

#include "AnalyzerEqContract.h"
#include "addons/analyzer_eq/ui/EqualizerWindow.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr float kMatchTolerance = 0.0001f;

bool SameName(const char* a, const char* b, bool ignoreCase) {
    return ignoreCase ? lstrcmpiA(a, b) == 0 : std::strcmp(a, b) == 0;
}

// Names come from the string table, as the list shows them.
const BuiltInPreset* FindBuiltIn(const char* name, bool ignoreCase) {
    for (const BuiltInPreset& preset : kBuiltInPresets)
        if (SameName(name, LoadText(preset.stringId).text, ignoreCase)) return &preset;
    return nullptr;
}

bool UserPresetExists(const UserPresets& presets, const char* name) {
    for (int i = 0; i < presets.count; ++i)
        if (presets.entries[i].name && SameName(name, presets.entries[i].name, true)) return true;
    return false;
}

// Host gains are taken as the sliders can hold them before they reach the
// settings or the filter.
void ApplyPresetGains(KEFO_Params* record, const float* presetGains) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    float* gains = instance->settings.Gains();
    for (int band = 0; band < kBandCount; ++band) gains[band] = ClampGain(presetGains[band]);
    SetEqualizerGains(record);
    StoreCurrentSettings(record);
    RefreshEqualizerWindow(record);
}

}  // namespace

bool PresetMatches(const float* presetGains, const float* gains) {
    for (int band = 0; band < kBandCount; ++band)
        if (!(std::fabs(ClampGain(presetGains[band]) - gains[band]) <= kMatchTolerance))
            return false;
    return true;
}

bool GainsNonZero(const float* gains) {
    for (int band = 0; band < kBandCount; ++band)
        if (gains[band] != 0.0f) return true;
    return false;
}

UserPresets LoadUserPresets(KEFO_Params* record) {
    KEFO_MARK();
    record->LoadPresets();
    // A host without presets may leave a stale count or a negative one.
    if (!record->presets || record->presetCount <= 0) return UserPresets{nullptr, 0};
    return UserPresets{record->presets, record->presetCount};
}

const KEFO_PresetEntry* FindUserPreset(const UserPresets& presets, const char* name) {
    for (int i = 0; i < presets.count; ++i)
        if (presets.entries[i].name && std::strcmp(presets.entries[i].name, name) == 0)
            return &presets.entries[i];
    return nullptr;
}

const float* BuiltInPresetGains(const char* name) {
    const BuiltInPreset* preset = FindBuiltIn(name, false);
    return preset ? preset->gains : nullptr;
}

const float* PresetGainsNamed(const UserPresets& presets, const char* name) {
    if (const float* gains = BuiltInPresetGains(name)) return gains;
    const KEFO_PresetEntry* preset = FindUserPreset(presets, name);
    return preset ? preset->gains : nullptr;
}

bool IsUntitled(const char* name) {
    return std::strcmp(name, LoadText(IDS_UNTITLED).text) == 0;
}

void SelectPreset(KEFO_Params* record) {
    KEFO_MARK();
    HWND dialog = EqualizerDialog(record);
    if (!dialog) return;
    PresetName name;
    if (!SelectedPresetName(dialog, &name)) {
        RefreshEqualizerWindow(record);
    } else if (IsUntitled(name.text)) {
        RefreshEqualizerControls(record);  // the gains stay
    } else if (const float* builtIn = BuiltInPresetGains(name.text)) {
        ApplyPresetGains(record, builtIn);
    } else {
        const UserPresets presets = LoadUserPresets(record);
        const KEFO_PresetEntry* preset = FindUserPreset(presets, name.text);
        if (!preset || !preset->gains)
            RefreshEqualizerWindow(record);
        else if (PresetMatches(preset->gains, InstanceOf(record)->settings.Gains()))
            RefreshEqualizerControls(record);
        else
            ApplyPresetGains(record, preset->gains);
    }
}

int SaveUserPreset(KEFO_Params* record, const char* name, HWND owner) {
    KEFO_MARK();
    // The name dialog lets neither through; nothing else should either.
    if (!name || !*name || SameName(name, LoadText(IDS_UNTITLED).text, true)) return 0;
    if (FindBuiltIn(name, true) || UserPresetExists(LoadUserPresets(record), name)) {
        record->ShowMessage(owner, LoadText(IDS_PRESET_EXISTS).text, kMessageWarning, kButtonsOk);
        return 0;
    }
    if (HWND dialog = EqualizerDialog(record)) {
        const LRESULT index = SendDlgItemMessageA(dialog, IDC_EQ_PRESET_LIST, CB_ADDSTRING, 0,
                                                  reinterpret_cast<LPARAM>(name));
        if (index >= 0) SendDlgItemMessageA(dialog, IDC_EQ_PRESET_LIST, CB_SETCURSEL, index, 0);
    }
    record->SavePreset(name, kBandCount, InstanceOf(record)->settings.Gains());
    RefreshEqualizerControls(record);
    return 1;
}

void RemoveUserPreset(KEFO_Params* record) {
    KEFO_MARK();
    HWND dialog = EqualizerDialog(record);
    if (!dialog) return;
    const int index =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_EQ_PRESET_LIST, CB_GETCURSEL, 0, 0));
    PresetName name;
    // Only the user's own presets can go; the button is disabled for others.
    if (!PresetListText(dialog, index, &name) || IsUntitled(name.text) ||
        BuiltInPresetGains(name.text))
        return;
    if (record->ShowMessage(dialog, LoadText(IDS_CONFIRM_REMOVE_PRESET).text, kMessageWarning,
                            kButtonsYesNo) != 1)
        return;
    SendDlgItemMessageA(dialog, IDC_EQ_PRESET_LIST, CB_DELETESTRING, index, 0);
    record->RemovePreset(name.text);
    SelectUntitledEntry(dialog);
    RefreshEqualizerWindow(record);
}

}  // namespace kefo
