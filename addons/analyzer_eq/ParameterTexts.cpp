#include "ParameterTexts.h"

#include "AnalyzerEqSettings.h"

namespace kefo {
namespace {

const char kTexts[kSettingsCount][100] = {
    "Version number",
    "Analyzer window is open/closed (0 or 1)",
    "Equalizer window is open/closed (0 or 1)",
    "Analyzer peak indicator is on/off (0 or 1)",
    "Equalizer settings will be used for playback (0 or 1)",
    "Equalizer settings will be used when recording (0 or 1)",
    "Equalizer settings will be used when saving (0 or 1)",
    "Bypass mode is on/off (0 or 1)",
    "Slider position for line 1 (65 Hz, from -15 to 15 dB)",
    "Slider position for line 2 (125 Hz, from -15 to 15 dB)",
    "Slider position for line 3 (250 Hz, from -15 to 15 dB)",
    "Slider position for line 4 (500 Hz, from -15 to 15 dB)",
    "Slider position for line 5 (1.0 kHz, from -15 to 15 dB)",
    "Slider position for line 6 (2.0 kHz, from -15 to 15 dB)",
    "Slider position for line 7 (4.0 kHz, from -15 to 15 dB)",
    "Slider position for line 8 (8.0 kHz, from -15 to 15 dB)",
    "Slider position for line 9 (16.0 kHz, from -15 to 15 dB)",
};

const char* const kPointers[kSettingsCount] = {
    kTexts[0],  kTexts[1],  kTexts[2],  kTexts[3],  kTexts[4],  kTexts[5],
    kTexts[6],  kTexts[7],  kTexts[8],  kTexts[9],  kTexts[10], kTexts[11],
    kTexts[12], kTexts[13], kTexts[14], kTexts[15], kTexts[16],
};

}  // namespace

const char* const* ParameterTexts() {
    return kPointers;
}

}  // namespace kefo
