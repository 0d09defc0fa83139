// A picture of the analyzer window while audio plays: an instance of the
// analyzer/equalizer add-on opens its analyzer window in a host frame, the
// audio goes to it in host blocks of 100 ms as the host feeds the analyzer
// while playing, the window's own timer draws, and the frame is captured
// from the screen.
//
// Calling thread: a GUI thread on a display; it pumps its own messages.
#pragma once

#include <string>
#include <vector>

namespace screens {
struct Image;
}

namespace hostsim {

// samples: interleaved, channels at sampleRate.
bool CaptureAnalyzer(const std::wstring& addOnPath, const std::vector<float>& samples, int channels,
                     int sampleRate, screens::Image& image, std::string& error);

}  // namespace hostsim
