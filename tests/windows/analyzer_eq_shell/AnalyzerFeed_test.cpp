// Analyzer feeds: frames gathered over small calls, the audio left as it is,
// and feeds skipped while the host says so. The instance is read directly:
// this test is built with the same compiler and headers as the add-on.
#include <algorithm>
#include <cmath>

#include "AnalyzerEqFixture.h"
#include "AnalyzerEqInstance.h"
#include "hostsim/host/AudioStream.h"

namespace {

using hostsim::StreamFormat;

class AnalyzerFeed : public AnalyzerEqTest {
protected:
    void SetUp() override {
        AnalyzerEqTest::SetUp();
        ASSERT_EQ(Create(2), 1);
    }
    kefo::AnalyzerEqInstance& Instance() {
        return *static_cast<kefo::AnalyzerEqInstance*>(record_.context);
    }
    // The latest results the feeds have handed to the window, taken as the
    // window's timer takes them.
    const kefo::SpectrumBand* Results() {
        if (Instance().analyzerHandoff.TakeLatest()) {
            const kefo::AnalyzerSnapshot& latest = Instance().analyzerHandoff.ReadSlot();
            std::copy(std::begin(latest.bands), std::end(latest.bands), results_);
        }
        return results_;
    }
    kefo::SpectrumBand results_[kefo::kAnalyzerBandCount]{};
    // One feed call; returns what came back, which must be the input.
    void Feed(const std::vector<float>& samples, int command = kefo::kCmdAnalyzeFeedA) {
        std::vector<float> back =
            hostsim::SendBlock(record_, samples.data(), static_cast<int>(samples.size()),
                               StreamFormat{1, 44100, command}, false, false);
        ASSERT_EQ(back, samples);
    }
};

std::vector<float> Sine(int count, double frequency, int offset = 0) {
    std::vector<float> values(count);
    for (int i = 0; i < count; ++i)
        values[i] =
            static_cast<float>(std::sin(2 * 3.14159265358979 * frequency * (i + offset) / 44100));
    return values;
}

TEST_F(AnalyzerFeed, SmallFeedsCompleteAFrameAndAreAnalysedOnTheNextCall) {
    const int frame = 2048;  // mono at 44100 Hz
    const int calls = (frame + 9) / 10;
    for (int call = 0; call < calls; ++call) {
        Feed(Sine(10, 1000, call * 10), call % 2 ? kefo::kCmdAnalyzeFeedB : kefo::kCmdAnalyzeFeedA);
        EXPECT_EQ(Results()[9].mean, 0.0) << "analysed too early, call " << call;
    }
    EXPECT_EQ(Instance().analyzerFill, frame);
    Feed(Sine(10, 1000));
    EXPECT_EQ(Instance().analyzerFill, 0);
    // 1 kHz lies in the tenth band (840 to 1190 Hz).
    double loudest = 0;
    int loudestBand = -1;
    for (int band = 0; band < kefo::kAnalyzerBandCount; ++band) {
        if (Results()[band].mean > loudest) {
            loudest = Results()[band].mean;
            loudestBand = band;
        }
    }
    EXPECT_EQ(loudestBand, 9);
}

TEST_F(AnalyzerFeed, AWholeFrameInOneCallIsAnalysedAtOnce) {
    Feed(Sine(5000, 1000));
    EXPECT_EQ(Instance().analyzerFill, 0);
    EXPECT_GT(Results()[9].mean, 0.0);
}

TEST_F(AnalyzerFeed, TheFourthActivityFlagSkipsFeeds) {
    record_.script.activityFlags[3] = 1;
    Feed(Sine(500, 1000));
    Feed(Sine(5000, 1000));
    EXPECT_EQ(Instance().analyzerFill, 0);
    EXPECT_EQ(Results()[9].mean, 0.0);
    EXPECT_FALSE(Instance().analyzer.IsSized());
}

}  // namespace
