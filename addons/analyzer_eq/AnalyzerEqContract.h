// What a host or a tool may rely on of KEFO_AnalyzerEQ.dll: its id and
// kind, the menu items it adds, the layout of the settings it stores with the
// host, its nine bands and its built-in presets. Portable: the stand-in host
// and the tests drive the add-on by these names.
//
//     std::vector<float> values(kefo::kSettingsCount, 0.0f);
//     values[kefo::kSignature] = kefo::kSettingsSignature;
//     values[kefo::kUseForPlayback] = 1.0f;
#pragma once

namespace kefo {

inline constexpr char kAnalyzerEqId[] = "KeFoEq";
constexpr int kAnalyzerEqKind = 3;

// The menu items the add-on adds to the host's menus.
enum AnalyzerEqMenuItem : int {
    kMenuPopup = 0x1001,            // its popup in the host's add-ons menu
    kMenuAnalyzer = 0x1002,         // the analyzer window, on and off
    kMenuEqualizer = 0x1003,        // the equalizer window, on and off
    kMenuDialogEqualizer = 0x1004,  // the modal equalizer, dialog-only kind
    kMenuHelp = 0x1005,             // the help file, in the host's help menu
};

// The 17 floats the host stores for each instance and hands back at creation
// and with the settings commands.
enum SettingsElement : int {
    kSignature = 0,       // 65537.0, the add-on version 1.1 as a float
    kAnalyzerOpen = 1,    // analyzer window open
    kEqualizerOpen = 2,   // equalizer window open
    kPeaksOn = 3,         // analyzer peak indicator
    kUseForPlayback = 4,  // equalizer used for playback
    kUseRecording = 5,    // equalizer used when recording
    kUseSaving = 6,       // equalizer used when saving ("Apply to file")
    kBypass = 7,
    kFirstGain = 8,  // gains of bands 1 to 9 in dB, elements 8 to 16
    kSettingsCount = 17,
};

constexpr int kBandCount = 9;
constexpr float kSettingsSignature = 65537.0f;
constexpr float kMinGainDb = -15.0f;
constexpr float kMaxGainDb = 15.0f;

// The centres of the equalizer's bands, in Hz.
inline constexpr double kEqualizerBandCentres[kBandCount] = {65,   125,  250,  500,  1000,
                                                             2000, 4000, 8000, 16000};

// The five built-in presets: string-table id, name and the gains in dB of
// the nine bands.
struct BuiltInPreset {
    int stringId;
    const char* name;
    float gains[kBandCount];
};

inline constexpr BuiltInPreset kBuiltInPresets[5] = {
    {28, "Rock [QZ]", {0, 2, 4, 2, 0, 0, 0, 2, 4}},
    {29, "Dance [QZ]", {3, 6, 3, 1, 0, 0, 1, 3, 6}},
    {30, "Classic [QZ]", {2, 4, 2, 1, 0, 0, 1, 2, 3}},
    {31, "Jazz [QZ]", {0, 0, 2, 4, 2, 0, 1, 2, 4}},
    {32, "Blues [QZ]", {0, 2, 2, 0, 0, 0, 0, -1, -3}},
};

}  // namespace kefo
