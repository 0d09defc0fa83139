// The equalizer as a host streams through it: calls of any size, or one call
// for the whole stream, give back exactly what one filter gives for the whole
// signal with its delay dropped, bit for bit; a refused format changes
// nothing, a new one restarts.
#include "dsp/EqualizerStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/AudioFormat.h"
#include "DspReference.h"

namespace {

using kefo::CGraphicEqFIR;
using kefo::EqualizerStream;
using kefo::GraphicEqConfig;

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const float kGains[9] = {-12, 5, 0, 3, -7, 15, -15, 2, 9};

GraphicEqConfig Constants() {
    return GraphicEqConfig{0, 0, 9, kCentres, 2, 1};
}

// The whole signal through one plain filter, padded with silence, with the
// delay removed. Samples that are not finite count as silence.
std::vector<float> FilterInOnePiece(std::vector<float> input, int channels, int rate) {
    CGraphicEqFIR eq;
    GraphicEqConfig config = Constants();
    config.sampleRate = rate;
    config.channels = channels;
    EXPECT_TRUE(eq.Init(config));
    eq.SetEnabled(1);
    eq.SetGains(kGains, 0);
    const std::size_t size = input.size();
    const std::size_t block = static_cast<std::size_t>(eq.GetBlockLength());
    const std::size_t latency = static_cast<std::size_t>(eq.GetLatency());
    for (float& x : input) x = std::isfinite(x) ? x : 0.0f;
    input.resize((size + latency + block - 1) / block * block, 0.0f);
    for (std::size_t at = 0; at < input.size(); at += block) eq.Process(input.data() + at);
    return std::vector<float>(input.begin() + latency, input.begin() + latency + size);
}

// One host call: what the stream gives back for count samples from in.
std::vector<float> Call(EqualizerStream& stream, const float* in, int count, bool start, bool end) {
    std::vector<float> out(static_cast<std::size_t>(stream.OutputLength(count, start, end)));
    stream.Process(in, count, start, end, out.data());
    return out;
}

TEST(EqualizerStream, CallsOfAnySizeEqualFilteringInOnePiece) {
    for (int channels : {1, 2}) {
        EqualizerStream stream(Constants());
        stream.SetGains(kGains);
        std::vector<float> input =
            kefo_test::NoiseSamples(48000 * channels * 2 + 333 * channels, 3 + channels);
        input[1000] = std::numeric_limits<float>::quiet_NaN();
        input[2001] = -std::numeric_limits<float>::infinity();
        ASSERT_TRUE(stream.Prepare(channels, 48000));
        const int block = 4096 * channels;  // 48 kHz, block mode 1
        std::mt19937 random(7);
        std::uniform_int_distribution<int> frames(1, 9000);
        std::vector<float> output;
        for (std::size_t at = 0; at < input.size();) {
            const int count = static_cast<int>(
                std::min<std::size_t>(frames(random) * channels, input.size() - at));
            const bool end = at + count == input.size();
            ASSERT_TRUE(stream.Prepare(channels, 48000));
            const std::vector<float> out = Call(stream, input.data() + at, count, at == 0, end);
            output.insert(output.end(), out.begin(), out.end());
            at += count;
            // Whole blocks only until the end, the first of them short by the delay.
            if (!end && !output.empty()) {
                EXPECT_EQ((output.size() + stream.Latency()) % block, 0u) << channels << " ch";
            }
        }
        EXPECT_EQ(output, FilterInOnePiece(input, channels, 48000)) << channels << " ch";
    }
}

TEST(EqualizerStream, OneCallComesBackWholeARefusedFormatChangesNothingANewOneRestarts) {
    EqualizerStream stream(Constants());
    stream.SetGains(kGains);
    const std::vector<float> input = kefo_test::NoiseSamples(6000, 4);
    ASSERT_TRUE(stream.Prepare(1, 44100));
    // A stream of one call comes back whole, and its end restarts the stream.
    EXPECT_EQ(Call(stream, input.data(), 6000, true, true), FilterInOnePiece(input, 1, 44100));
    std::vector<float> output = Call(stream, input.data(), 3000, true, false);
    EXPECT_EQ(output.size(), 2048u - 1023u);
    for (int rate : {0, -8000, kefo::kMaxSampleRate + 1})
        EXPECT_FALSE(stream.Prepare(1, rate)) << rate;
    for (int channels : {0, 3}) EXPECT_FALSE(stream.Prepare(channels, 44100)) << channels;
    ASSERT_TRUE(stream.Prepare(1, 44100));
    const std::vector<float> rest = Call(stream, input.data() + 3000, 3000, false, true);
    output.insert(output.end(), rest.begin(), rest.end());
    EXPECT_EQ(output, FilterInOnePiece(input, 1, 44100));

    // Mid-stream at 22050 Hz the held samples are dropped and the new delay
    // applies; the widest format is taken too.
    Call(stream, input.data(), 3000, true, false);
    ASSERT_TRUE(stream.Prepare(1, 22050));
    const std::vector<float> input22(input.begin(), input.begin() + 3000);
    EXPECT_EQ(Call(stream, input.data(), 3000, false, true), FilterInOnePiece(input22, 1, 22050));
    EXPECT_TRUE(stream.Prepare(2, kefo::kMaxSampleRate));
}

}  // namespace
