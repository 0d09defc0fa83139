// How long the audio thread waits for the UI thread while sliders are dragged:
// a control thread designs new responses for 192 kHz stereo as fast as it can
// through SharedGraphicEq while an audio thread filters block after block.
// Timed is each Prepare, everything the audio thread does because of the
// control side (taking the latest response and switching to it), so any wait
// would show there.
#pragma once

namespace kefo {
namespace bench {

struct HandoffWaits {
    double maxMicros = 0;
    double p999Micros = 0;  // 99.9th percentile
    double medianMicros = 0;
    long long blocks = 0;
    long long designs = 0;  // responses the control side handed over
};

HandoffWaits MeasureSliderDragWaits(double seconds);

}  // namespace bench
}  // namespace kefo
