// The preset list of the equalizer window: a sorted drop-down list holding
// "[Untitled]", the built-in presets and the user's, with the entry selected
// whose gains are the current ones.
#include <iterator>

#include "addons/analyzer_eq/AnalyzerEqContract.h"
#include "EqualizerWindow.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

// "[Untitled]" and the built-in presets.
constexpr int kFixedEntries = 1 + static_cast<int>(std::size(kBuiltInPresets));

LRESULT SendToList(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog, IDC_EQ_PRESET_LIST, message, wParam, lParam);
}

int AddEntry(HWND dialog, const char* name) {
    return static_cast<int>(SendToList(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
}

int NamedPresetCount(const UserPresets& presets) {
    int named = 0;
    for (int i = 0; i < presets.count; ++i)
        if (presets.entries[i].name) ++named;
    return named;
}

void RebuildList(HWND dialog, const UserPresets& presets) {
    KEFO_MARK();
    SendToList(dialog, CB_RESETCONTENT, 0, 0);
    const int untitled = AddEntry(dialog, LoadText(IDS_UNTITLED).text);
    if (untitled >= 0) SendToList(dialog, CB_SETCURSEL, static_cast<WPARAM>(untitled), 0);
    for (const BuiltInPreset& preset : kBuiltInPresets)
        AddEntry(dialog, LoadText(preset.stringId).text);
    for (int i = 0; i < presets.count; ++i)
        if (presets.entries[i].name) AddEntry(dialog, presets.entries[i].name);
}

// Whether entry `index` names a preset whose gains are the current ones.
bool EntryMatches(HWND dialog, int index, const UserPresets& presets, const float* gains) {
    PresetName name;
    if (!PresetListText(dialog, index, &name) || IsUntitled(name.text)) return false;
    const float* presetGains = PresetGainsNamed(presets, name.text);
    return presetGains && PresetMatches(presetGains, gains);
}

}  // namespace

bool PresetListText(HWND dialog, int index, PresetName* name) {
    if (index < 0) return false;
    const LRESULT length = SendToList(dialog, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0 || length >= kPresetNameChars) return false;
    name->text[0] = '\0';
    return SendToList(dialog, CB_GETLBTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(name->text)) >= 0;
}

bool SelectedPresetName(HWND dialog, PresetName* name) {
    return PresetListText(dialog, static_cast<int>(SendToList(dialog, CB_GETCURSEL, 0, 0)), name);
}

// The list ignores case when it searches, so "[Untitled]" is found by its
// exact text.
void SelectUntitledEntry(HWND dialog) {
    KEFO_MARK();
    const int count = static_cast<int>(SendToList(dialog, CB_GETCOUNT, 0, 0));
    PresetName name;
    for (int index = 0; index < count; ++index) {
        if (PresetListText(dialog, index, &name) && IsUntitled(name.text)) {
            SendToList(dialog, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
    }
}

void RefreshPresetList(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    const UserPresets presets = LoadUserPresets(record);
    if (SendToList(dialog, CB_GETCOUNT, 0, 0) != NamedPresetCount(presets) + kFixedEntries)
        RebuildList(dialog, presets);

    const float* gains = InstanceOf(record)->settings.Gains();
    const int selected = static_cast<int>(SendToList(dialog, CB_GETCURSEL, 0, 0));
    if (EntryMatches(dialog, selected, presets, gains)) return;
    const int count = static_cast<int>(SendToList(dialog, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (EntryMatches(dialog, index, presets, gains)) {
            SendToList(dialog, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
    }
    SelectUntitledEntry(dialog);
}

}  // namespace kefo
