// The add-on's persistent state: 17 floats that the host stores for each
// instance and hands back at creation and with the settings commands.
#pragma once

#include <cmath>

namespace kefo {

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

struct AnalyzerEqSettings {
    float values[kSettingsCount];

    float& operator[](int element) { return values[element]; }
    float operator[](int element) const { return values[element]; }
    const float* Gains() const { return values + kFirstGain; }
    float* Gains() { return values + kFirstGain; }
    bool IsOn(int element) const { return values[element] == 1.0f; }
    // Bypass counts when its value truncated to an integer is nonzero.
    bool Bypassed() const { return static_cast<long long>(values[kBypass]) != 0; }
};

// Peaks on, every other option off, all gains 0 dB.
inline AnalyzerEqSettings DefaultSettings() {
    AnalyzerEqSettings settings{};
    settings[kSignature] = kSettingsSignature;
    settings[kPeaksOn] = 1.0f;
    return settings;
}

// A stored array is adopted only with the right count and signature and
// nothing but finite numbers in it.
inline bool IsAdoptable(int count, const float* values) {
    if (count != kSettingsCount || !values || values[kSignature] != kSettingsSignature)
        return false;
    for (int i = 0; i < kSettingsCount; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}

inline float ClampGain(float gainDb) {
    if (!std::isfinite(gainDb)) return 0.0f;
    return gainDb < kMinGainDb ? kMinGainDb : gainDb > kMaxGainDb ? kMaxGainDb : gainDb;
}

}  // namespace kefo
