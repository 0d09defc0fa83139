// FiniteSamples: how a sample that is not a finite number enters the DSP, as
// silence, so that it cannot spread through a transform into the other
// channel and the rest of its block.
//
//     if (!AllFinite(frame, n)) CopyFinite(copy, frame, n);  // the host's block stays as it is
//
// Threads: plain functions of their arguments; nothing here allocates.
#pragma once

#include <cmath>

namespace kefo {

inline float FiniteOrZero(float sample) noexcept {
    return std::isfinite(sample) ? sample : 0.0f;
}

inline void CopyFinite(float* to, const float* from, int count) noexcept {
    for (int i = 0; i < count; ++i) to[i] = FiniteOrZero(from[i]);
}

inline bool AllFinite(const float* samples, int count) noexcept {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(samples[i])) return false;
    return true;
}

}  // namespace kefo
