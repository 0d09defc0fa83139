// The demo's measurements, on signals whose answer is known.
#include "hostsim/audio/DemoSignal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace hostsim;

TEST(DemoSignal, HasOneSettledToneSegmentPerFrequency) {
    DemoSignal signal = MakeDemoSignal({100, 1000}, 2, 8000);
    ASSERT_EQ(signal.tones.size(), 2u);
    const int frames = static_cast<int>(signal.samples.size()) / 2;
    for (const ToneSegment& tone : signal.tones) {
        EXPECT_GT(tone.frameCount, 0);
        EXPECT_LE(tone.firstFrame + tone.frameCount, frames);
        // Both channels carry the tone at 0.25 full scale.
        EXPECT_NEAR(ToneAmplitude(signal.samples, 2, 1, tone.frequency, 8000, tone.firstFrame,
                                  tone.frameCount),
                    0.25, 0.005);
    }
    EXPECT_NEAR(ToneAmplitude(signal.samples, 2, 0, 1000, 8000, signal.tones[0].firstFrame,
                              signal.tones[0].frameCount),
                0.0, 0.005);  // 100 Hz stretch
}

TEST(DemoSignal, GainOfAScaledCopyIsItsScaleInDb) {
    DemoSignal signal = MakeDemoSignal({500}, 1, 16000);
    std::vector<float> louder(signal.samples);
    for (float& v : louder) v *= 2.0f;
    EXPECT_NEAR(MeasuredGainDb(signal.samples, louder, 1, 16000, signal.tones[0]),
                20 * std::log10(2.0), 1e-6);
}

TEST(DemoSignal, LatencyFindsTheShiftOfADelayedCopy) {
    DemoSignal signal = MakeDemoSignal({}, 2, 8000);
    for (int shift : {0, 37, -5}) {
        std::vector<float> moved(signal.samples.size(), 0.0f);
        for (std::size_t i = 0; i < moved.size(); ++i) {
            const long long from = static_cast<long long>(i) - 2LL * shift;
            if (from >= 0 && from < static_cast<long long>(moved.size()))
                moved[i] = signal.samples[from];
        }
        EXPECT_EQ(MeasureLatency(signal.samples, moved, 2, 4000, 64), shift);
    }
}

}  // namespace
