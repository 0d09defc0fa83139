// What the equalizer window's files share: the controls of each band, the
// handlers of its buttons and sliders, and the presets behind its list. All
// run on the thread that owns the equalizer dialog.
#pragma once

#include <windows.h>

#include "addons/analyzer_eq/AnalyzerEq.h"
#include "addons/analyzer_eq/AnalyzerEqSettings.h"
#include "addons/analyzer_eq/resource.h"

namespace kefo {

// The three controls of one band, low band first.
struct BandControls {
    int slider;
    int value;      // gain label above the slider
    int frequency;  // centre label below it
};

inline constexpr BandControls kBandControls[kBandCount] = {
    {IDC_EQ_SLIDER1, IDC_EQ_VALUE1, IDC_FREQ1}, {IDC_EQ_SLIDER2, IDC_EQ_VALUE2, IDC_FREQ2},
    {IDC_EQ_SLIDER3, IDC_EQ_VALUE3, IDC_FREQ3}, {IDC_EQ_SLIDER4, IDC_EQ_VALUE4, IDC_FREQ4},
    {IDC_EQ_SLIDER5, IDC_EQ_VALUE5, IDC_FREQ5}, {IDC_EQ_SLIDER6, IDC_EQ_VALUE6, IDC_FREQ6},
    {IDC_EQ_SLIDER7, IDC_EQ_VALUE7, IDC_FREQ7}, {IDC_EQ_SLIDER8, IDC_EQ_VALUE8, IDC_FREQ8},
    {IDC_EQ_SLIDER9, IDC_EQ_VALUE9, IDC_FREQ9},
};

// Slider positions are minus the gain, so +15 dB is at the top.
constexpr int kSliderMin = static_cast<int>(kMinGainDb);
constexpr int kSliderMax = static_cast<int>(kMaxGainDb);
constexpr int kSliderPageSize = 3;
constexpr int kEqualizerHelpTopic = kHelpTopicBase + IDD_EQUALIZER;
constexpr int kPresetNameHelpTopic = kHelpTopicBase + IDD_PRESET_NAME;

// Room for any preset name the list can hold; longer host names are never
// matched or removed.
constexpr int kPresetNameChars = 260;
struct PresetName {
    char text[kPresetNameChars];
};

// --- handlers of the equalizer window ---------------------------------------
void OnPlaybackBox(KEFO_Params* record);
void OnRecordingBox(KEFO_Params* record);
void OnBypassBox(KEFO_Params* record);
void OnReset(KEFO_Params* record);
// A slider moved to `position`; band 0 is 65 Hz.
void OnSliderMoved(KEFO_Params* record, int band, int position);
// Kind 1 only: puts back the settings the modal dialog opened with.
void OnEqualizerCancel(KEFO_Params* record);
// Runs the "Saving Preset" dialog over the equalizer window.
void RunPresetNameDialog(KEFO_Params* record, HWND owner);

// --- presets -------------------------------------------------------------
// Every one of the nine gains within 0.0001 dB of the preset's (the preset's
// gains taken as the sliders can hold them).
bool PresetMatches(const float* presetGains, const float* gains);
bool GainsNonZero(const float* gains);

// The user presets as the host lists them right after LoadPresets; entries
// without a name are skipped by every lookup.
struct UserPresets {
    const KEFO_PresetEntry* entries;
    int count;
};
UserPresets LoadUserPresets(KEFO_Params* record);
// The user preset of exactly that name, or null.
const KEFO_PresetEntry* FindUserPreset(const UserPresets& presets, const char* name);
// The gains of the built-in preset of exactly that name, or null.
const float* BuiltInPresetGains(const char* name);
// Gains of the preset an entry of the list names (built-in first), or null.
const float* PresetGainsNamed(const UserPresets& presets, const char* name);
bool IsUntitled(const char* name);

void SelectPreset(KEFO_Params* record);
int SaveUserPreset(KEFO_Params* record, const char* name, HWND owner);
void RemoveUserPreset(KEFO_Params* record);

// --- the preset list -----------------------------------------------------
// Text of entry `index` of the list; false when there is none or it is too
// long to hold.
bool PresetListText(HWND dialog, int index, PresetName* name);
bool SelectedPresetName(HWND dialog, PresetName* name);
void SelectUntitledEntry(HWND dialog);
// Rebuilds the list when it does not hold "[Untitled]", the built-in and the
// user presets, then selects the entry that matches the gains.
void RefreshPresetList(HWND dialog, KEFO_Params* record);

}  // namespace kefo
