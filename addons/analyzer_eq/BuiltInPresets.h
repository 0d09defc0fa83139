// The equalizer's five built-in presets: string-table id, name and the gains
// in dB of the nine bands (65 Hz to 16 kHz). Portable, so the stand-in host
// can offer the same presets by name.
#pragma once

namespace kefo {

struct BuiltInPreset {
    int stringId;
    const char* name;
    float gains[9];
};

inline constexpr BuiltInPreset kBuiltInPresets[5] = {
    {28, "Rock [QZ]", {0, 2, 4, 2, 0, 0, 0, 2, 4}},
    {29, "Dance [QZ]", {3, 6, 3, 1, 0, 0, 1, 3, 6}},
    {30, "Classic [QZ]", {2, 4, 2, 1, 0, 0, 1, 2, 3}},
    {31, "Jazz [QZ]", {0, 0, 2, 4, 2, 0, 1, 2, 4}},
    {32, "Blues [QZ]", {0, 2, 2, 0, 0, 0, 0, -1, -3}},
};

}  // namespace kefo
