// How long the audio thread waits for the UI thread while sliders are dragged:
// a control thread designs new responses for 192 kHz stereo as fast as it can
// through SharedGraphicEq while an audio thread filters block after block.
// Timed is each Prepare, everything the audio thread does because of the
// control side (taking the latest response and switching to it), so any wait
// would show there. Calls during which the scheduler preempted the thread
// (an involuntary context switch: no wait of ours, and one that blocks on a
// lock would be a voluntary one) are counted and left out. An idle timed
// region as long as the Prepare before it, measured alternately under the
// same load, gives the machine's own noise (interrupts, a virtual machine's
// stolen time).
#pragma once

namespace kefo {
namespace bench {

struct TimedRegion {
    double maxMicros = 0;
    double p999Micros = 0;  // 99.9th percentile
    double medianMicros = 0;
};

struct HandoffWaits {
    TimedRegion prepare;
    TimedRegion empty;  // idle, as long as the Prepare before it
    long long blocks = 0;
    long long preempted = 0;  // blocks left out: the thread was preempted
    long long designs = 0;    // responses the control side handed over
};

HandoffWaits MeasureSliderDragWaits(double seconds);

}  // namespace bench
}  // namespace kefo
