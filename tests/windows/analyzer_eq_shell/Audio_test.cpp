// Audio through the add-on as the host streams it: the host's buffers and
// block accounting, the end call without samples, refused blocks and output
// buffers, and equality with the DSP library filtering the whole signal in
// one piece. The stream's own rules (call sizes, one-call streams, format
// changes) are tested natively, EqualizerStream_test.cpp.
#include <cmath>
#include <cstring>
#include <random>

#include "AnalyzerEqFixture.h"
#include "hostsim/host/AudioStream.h"
#include "dsp/CGraphicEqFIR.h"
#include "tests/native/dsp/DspReference.h"

namespace {

using hostsim::StreamFormat;

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const float kRock[9] = {0, 2, 4, 2, 0, 0, 0, 2, 4};

// The whole signal through one equalizer, with the delay removed.
std::vector<float> FilterInOnePiece(const std::vector<float>& input, int channels, int rate,
                                    const float* gains) {
    kefo::CGraphicEqFIR eq;
    kefo::GraphicEqConfig config{rate, channels, 9, kCentres, 2, 1};
    EXPECT_TRUE(eq.Init(config));
    eq.SetEnabled(1);
    eq.SetGains(gains, 0);
    const std::size_t block = static_cast<std::size_t>(eq.GetBlockLength());
    const std::size_t latency = static_cast<std::size_t>(eq.GetLatency());
    std::vector<float> padded(input);
    padded.resize((input.size() + latency + block - 1) / block * block, 0.0f);
    for (std::size_t at = 0; at < padded.size(); at += block) eq.Process(padded.data() + at);
    return std::vector<float>(padded.begin() + latency, padded.begin() + latency + input.size());
}

class AnalyzerEqAudio : public AnalyzerEqTest {
protected:
    void SetUp() override {
        AnalyzerEqTest::SetUp();
        ASSERT_EQ(Create(0), 1);
    }
    void UseGains(const float* gains, int use = 4) {
        std::vector<float> values = Defaults();
        values[use] = 1.0f;
        for (int b = 0; b < 9; ++b) values[8 + b] = gains[b];
        ASSERT_EQ(SetParameters(values), 1);
    }
    void ExpectNoBufferFaults() {
        EXPECT_EQ(record_.OutstandingAudioBuffers(), 0u);
        EXPECT_TRUE(record_.AudioFaults().empty());
    }
};

void ExpectClose(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_NEAR(actual[i], expected[i], 1e-6) << "sample " << i;
}

TEST_F(AnalyzerEqAudio, SmallCallsReturnWholeBlocksMinusTheDelay) {
    UseGains(kRock);
    StreamFormat mono{1, 44100, kefo::kCmdProcessPlayback};
    std::vector<float> input = kefo_test::NoiseSamples(100 * 60, 1);
    std::vector<int> returned;
    for (int call = 0; call < 60; ++call)
        returned.push_back(static_cast<int>(
            hostsim::SendBlock(record_, input.data() + call * 100, 100, mono, call == 0, false)
                .size()));
    for (int call = 0; call < 20; ++call) EXPECT_EQ(returned[call], 0) << call;
    EXPECT_EQ(returned[20], 2048 - 1023);
    for (int call = 21; call < 60; ++call)
        EXPECT_TRUE(returned[call] == 0 || returned[call] == 2048) << call;

    // The end with no samples: what is held, plus the tail.
    std::vector<float> tail = hostsim::SendBlock(record_, nullptr, 0, mono, false, true);
    int total = static_cast<int>(tail.size());
    for (int r : returned) total += r;
    EXPECT_EQ(total, 6000);
    ExpectNoBufferFaults();
}

TEST_F(AnalyzerEqAudio, UnusableBlocksPassThroughUntouched) {
    UseGains(kRock);
    std::vector<float> input = kefo_test::NoiseSamples(4096, 5);
    for (StreamFormat bad : {StreamFormat{3, 44100, 0x40000}, StreamFormat{0, 44100, 0x40000},
                             StreamFormat{2, 0, 0x40000}, StreamFormat{2, -8000, 0x40000},
                             StreamFormat{2, 2000000000, 0x40000}}) {
        std::vector<float> output =
            hostsim::SendBlock(record_, input.data(), 4096, bad, true, true);
        EXPECT_EQ(output, input) << bad.channels << " " << bad.sampleRate;
    }
    // A negative count and a null buffer with samples due.
    record_.audioFormatA = 1;
    record_.audioFormatB = 44100;
    record_.audioBuffer = nullptr;
    record_.audioItemCount = 100;
    EXPECT_EQ(record_.Send(kefo::kCmdProcessPlayback), 1);
    EXPECT_EQ(record_.audioItemCount, 100);
    float one = 0.25f;
    record_.audioBuffer = &one;
    record_.audioItemCount = -5;
    EXPECT_EQ(record_.Send(kefo::kCmdProcessPlayback), 1);
    EXPECT_EQ(record_.audioBuffer, &one);
    EXPECT_EQ(record_.CountOf("FreeAudio"), 0);
    record_.audioBuffer = nullptr;
    record_.audioItemCount = 0;
    ExpectNoBufferFaults();
}

// The audio command never calls the host to report: the UI side reports at
// its next command, once per run of refusals.
TEST_F(AnalyzerEqAudio, RefusedOutputBufferKeepsTheHostsBlockAndIsReportedOnceFromTheUiSide) {
    UseGains(kRock);
    StreamFormat mono{1, 44100, kefo::kCmdProcessPlayback};
    std::vector<float> input = kefo_test::NoiseSamples(4096, 6);
    record_.script.failAllocateAudio = true;
    for (int call = 0; call < 3; ++call) {
        std::vector<float> output =
            hostsim::SendBlock(record_, input.data(), 4096, mono, call == 0, false);
        EXPECT_EQ(output, input);
    }
    EXPECT_EQ(record_.CountOf("ReportError"), 0) << "reported from the audio command";
    EXPECT_EQ(record_.CountOf("FreeAudio"), 0);
    EXPECT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    auto report = record_.CallsTo("ReportError");
    ASSERT_EQ(report.size(), 1u);
    // Two whole blocks were due, less the delay: (4096 - 1023) floats.
    EXPECT_EQ(report[0].args.at(2), "Err 1-8 in AllocateAudio(12292)");
    // The same run goes on: nothing new to report.
    hostsim::SendBlock(record_, input.data(), 4096, mono, true, false);
    EXPECT_EQ(record_.Send(kefo::kCmdColorsChanged), 1);
    EXPECT_EQ(record_.CountOf("ReportError"), 1);

    // Once the host delivers again, the restarted stream is aligned again.
    record_.script.failAllocateAudio = false;
    std::vector<float> output = hostsim::SendBlock(record_, input.data(), 4096, mono, true, true);
    ExpectClose(output, FilterInOnePiece(input, 1, 44100, kRock));
    ExpectNoBufferFaults();

    // A new run is reported again.
    record_.script.failAllocateAudio = true;
    EXPECT_EQ(hostsim::SendBlock(record_, input.data(), 100, mono, true, true).size(), 100u);
    EXPECT_EQ(record_.CountOf("ReportError"), 1);
    EXPECT_EQ(record_.Send(kefo::kCmdColorsChanged), 1);
    report = record_.CallsTo("ReportError");
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1].args.at(2), "Err 1-8 in AllocateAudio(400)");
    record_.script.failAllocateAudio = false;
}

TEST_F(AnalyzerEqAudio, BypassIsTheSameDelayedSignal) {
    std::vector<float> values = Defaults();
    values[4] = 1.0f;
    values[7] = 1.0f;
    values[12] = 9.0f;
    ASSERT_EQ(SetParameters(values), 1);
    std::vector<float> input = kefo_test::NoiseSamples(5000, 8);
    std::vector<float> output = hostsim::SendBlock(record_, input.data(), 5000,
                                                   StreamFormat{1, 44100, 0x40000}, true, true);
    ExpectClose(output, input);
}

}  // namespace
