// The equalizer's measured frequency response, and a picture of it drawn
// with GDI: gain in dB over 20 Hz to 20 kHz on a logarithmic axis, with the
// gains asked for marked at the band centres.
//
// Calling thread: any thread that may create GDI objects; the picture is
// drawn into memory, no window is needed.
#pragma once

#include <string>
#include <vector>

namespace screens {
struct Image;
}

namespace hostsim {

struct ResponsePoint {
    double frequency;  // Hz
    double gainDb;
};

// Streams a unit impulse through the add-on's equalizer (playback, mono,
// the given rate, host blocks of varying size) and reads the response off
// what comes back at log-spaced frequencies from 20 Hz to 20 kHz.
bool MeasureResponse(const std::wstring& addOnPath, const std::vector<float>& gains, int sampleRate,
                     std::vector<ResponsePoint>& points, std::string& error);

// The response curve on a grid, the asked gains as marks, and a title;
// false when the picture could not be drawn.
bool DrawResponse(const std::vector<ResponsePoint>& measured, const std::vector<double>& centres,
                  const std::vector<float>& asked, const std::string& title, screens::Image& image);

}  // namespace hostsim
