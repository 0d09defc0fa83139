// The add-on's persistent state: the settings array of AnalyzerEqContract.h,
// its defaults and the rules for adopting a stored one.
#pragma once

#include <cmath>

#include "AnalyzerEqContract.h"

namespace kefo {

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
