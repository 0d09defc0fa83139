#include "dsp/CGraphicEqFIR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "DspReference.h"
#include "dsp/AudioFormat.h"

namespace {

using kefo::CGraphicEqFIR;
using kefo::GraphicEqConfig;

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

GraphicEqConfig Config(int rate, int channels, int blockMode = 1) {
    return GraphicEqConfig{rate, channels, 9, kCentres, 2, blockMode};
}

// Transform length by sample-rate class for the nine bands above.
int ExpectedTransformLength(int rate) {
    if (rate > 96000) return 16384;
    if (rate > 44100) return 8192;
    if (rate > 22050) return 4096;
    if (rate > 11025) return 2048;
    return 1024;
}

// --- reference design ------------------------------------------------------

// The wanted curve in dB at frequency phi: flat outside the centres, a
// half-cosine in dB between neighbouring centres, gains at or below -48 dB
// replaced by -96 dB. Evaluated as a plain function of frequency.
double CurveDb(double phi, const std::vector<double>& gains) {
    std::vector<double> g(gains);
    for (double& x : g) x = x > -48.0 ? x : -96.0;
    if (phi <= kCentres[0]) return g[0];
    if (phi > kCentres[8]) return g[8];
    int b = 1;
    while (phi > kCentres[b]) ++b;
    const double t = (phi - kCentres[b - 1]) / (kCentres[b] - kCentres[b - 1]);
    // From g[b-1] at t = 0 to g[b] at t = 1.
    return (g[b - 1] + g[b]) * 0.5 + (g[b - 1] - g[b]) * 0.5 * std::cos(kefo_test::kPiL * t);
}

// The windowed linear-phase kernel of 2Q - 1 taps for a configuration,
// computed directly: the inverse DFT of the sampled curve by summation, cut
// with the falling half of a Hann window of length 2Q.
std::vector<double> ReferenceKernel(int rate, int channels, int blockMode,
                                    const std::vector<double>& gains) {
    const int n = ExpectedTransformLength(rate);
    const int frame = n * channels;
    const int block = blockMode == 1 ? frame / 2 : blockMode == 2 ? frame / 8 : frame / 4;
    const int q = (frame - block) / channels / 2;
    std::vector<long double> level(n / 2 + 1);
    for (int j = 0; j <= n / 2; ++j) {
        level[j] = std::pow(10.0L, CurveDb(static_cast<double>(j) * rate / n, gains) / 20.0L);
    }
    const std::vector<kefo_test::Complex> roots = kefo_test::UnitRoots(n, +1);
    std::vector<double> kernel(2 * q - 1);
    for (int m = 0; m < q; ++m) {
        long double h = level[0] + level[n / 2] * (m % 2 == 0 ? 1 : -1);
        std::size_t t = 0;
        for (int j = 1; j < n / 2; ++j) {
            t = (t + m) % n;
            h += 2 * level[j] * roots[t].real();
        }
        h /= n;
        const long double window = (1 + std::cos(kefo_test::kPiL * m / q)) / 2;
        kernel[q - 1 + m] = static_cast<double>(h * window);
        kernel[q - 1 - m] = kernel[q - 1 + m];
    }
    return kernel;
}

// --- helpers ---------------------------------------------------------------

// Runs whole blocks of an interleaved signal through the equalizer.
std::vector<float> Stream(CGraphicEqFIR& eq, const std::vector<double>& input) {
    const int length = eq.GetBlockLength();
    std::vector<float> out(input.begin(), input.end());
    for (std::size_t at = 0; at + length <= out.size(); at += length) eq.Process(out.data() + at);
    return out;
}

std::vector<double> Channel(const std::vector<double>& interleaved, int channels, int c) {
    std::vector<double> v;
    for (std::size_t i = c; i < interleaved.size(); i += channels) v.push_back(interleaved[i]);
    return v;
}

std::vector<double> Channel(const std::vector<float>& interleaved, int channels, int c) {
    std::vector<double> v;
    for (std::size_t i = c; i < interleaved.size(); i += channels) v.push_back(interleaved[i]);
    return v;
}

// A random signal of whole blocks followed by enough silence for the ring-out.
std::vector<double> TestSignal(int blockLength, int signalBlocks, int silentBlocks, unsigned seed) {
    std::vector<double> x = kefo_test::RandomSignal(blockLength * signalBlocks, seed, 0.5);
    x.resize(static_cast<std::size_t>(blockLength) * (signalBlocks + silentBlocks), 0.0);
    return x;
}

double MaxAbsDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

// Impulse response of a mono equalizer (2Q - 1 taps), read from its output.
std::vector<double> MeasuredKernel(CGraphicEqFIR& eq) {
    const int taps = 2 * (eq.GetLatency() + 1) - 1;
    const int length = eq.GetBlockLength();
    const int blocks = (taps + length - 1) / length;
    std::vector<double> impulse(static_cast<std::size_t>(length) * blocks, 0.0);
    impulse[0] = 1.0;
    std::vector<float> out = Stream(eq, impulse);
    return std::vector<double>(out.begin(), out.begin() + taps);
}

// Magnitude in dB of a kernel's response at bin j of an n-point transform.
double ResponseDb(const std::vector<double>& kernel, int j, int n) {
    long double re = 0, im = 0;
    for (std::size_t t = 0; t < kernel.size(); ++t) {
        const long double angle = 2 * kefo_test::kPiL * j * static_cast<long double>(t) / n;
        re += kernel[t] * std::cos(angle);
        im += kernel[t] * std::sin(angle);
    }
    return 20.0 * std::log10(static_cast<double>(std::sqrt(re * re + im * im)));
}

// Output tolerance: the block goes out as floats.
const double kFloatTolerance = 2e-6;

// --- sizing ----------------------------------------------------------------

TEST(GraphicEqSizing, TransformLengthBlockAndLatencyForEveryListedRate) {
    for (int rate :
         {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000}) {
        for (int channels : {1, 2}) {
            for (int mode : {0, 1, 2}) {
                CGraphicEqFIR eq;
                ASSERT_TRUE(eq.Init(Config(rate, channels, mode)));
                const int n = ExpectedTransformLength(rate);
                const int frame = n * channels;
                const int block = mode == 1 ? frame / 2 : mode == 2 ? frame / 8 : frame / 4;
                EXPECT_EQ(eq.GetBlockLength(), block)
                    << rate << " Hz, " << channels << " ch, mode " << mode;
                EXPECT_EQ(eq.GetLatency(), (frame - block) / 2 - channels)
                    << rate << " Hz, mode " << mode;
                // Block plus kernel fit in one frame: no circular wrap.
                const int q = (frame - block) / channels / 2;
                EXPECT_LE(block / channels + 2 * q - 2, n - 1);
            }
        }
    }
}

TEST(GraphicEqSizing, AddOnRowsInFrames) {
    struct Row {
        int rate, blockFrames, latencyFrames;
    };
    const Row rows[] = {{8000, 512, 255},     {11025, 512, 255},   {16000, 1024, 511},
                        {22050, 1024, 511},   {32000, 2048, 1023}, {44100, 2048, 1023},
                        {48000, 4096, 2047},  {88200, 4096, 2047}, {96000, 4096, 2047},
                        {176400, 8192, 4095}, {192000, 8192, 4095}};
    for (const Row& row : rows) {
        CGraphicEqFIR eq;
        ASSERT_TRUE(eq.Init(Config(row.rate, 2)));
        EXPECT_EQ(eq.GetBlockLength(), 2 * row.blockFrames) << row.rate;
        EXPECT_EQ(eq.GetLatency(), 2 * row.latencyFrames) << row.rate;
    }
    CGraphicEqFIR stereo44;
    ASSERT_TRUE(stereo44.Init(Config(44100, 2)));
    EXPECT_EQ(stereo44.GetBlockLength(), 4096);
    EXPECT_EQ(stereo44.GetLatency(), 2046);
}

TEST(GraphicEqSizing, ClassBoundariesAreStrictAndSpacingRuleTakesOverAtHighRates) {
    CGraphicEqFIR eq;
    ASSERT_TRUE(eq.Init(Config(96000, 1)));
    EXPECT_EQ(eq.GetBlockLength(), 8192 / 2);
    ASSERT_TRUE(eq.Init(Config(96001, 1)));
    EXPECT_EQ(eq.GetBlockLength(), 16384 / 2);
    ASSERT_TRUE(eq.Init(Config(491520, 1)));  // X = 16384 exactly: N must exceed it
    EXPECT_EQ(eq.GetBlockLength(), 32768 / 2);
    ASSERT_TRUE(eq.Init(Config(600000, 1)));  // X = 20000
    EXPECT_EQ(eq.GetBlockLength(), 32768 / 2);
    GraphicEqConfig points = Config(600000, 1);
    points.pointsPerBand = 4;  // X = 40000
    ASSERT_TRUE(eq.Init(points));
    EXPECT_EQ(eq.GetBlockLength(), 65536 / 2);
    points.pointsPerBand = 0;  // 0 means 2
    ASSERT_TRUE(eq.Init(points));
    EXPECT_EQ(eq.GetBlockLength(), 32768 / 2);
}

// --- refused configurations and uninitialised use --------------------------

TEST(GraphicEqInit, RefusesChannelsRatesAndBandTablesOutsideTheDesign) {
    std::vector<GraphicEqConfig> bad;
    for (int channels : {0, 3, -1, 8}) bad.push_back(Config(44100, channels));
    for (int rate : {0, -1, -44100, INT_MIN, kefo::kMaxSampleRate + 1, INT_MAX})
        bad.push_back(Config(rate, 2));
    GraphicEqConfig noBands = Config(44100, 2);
    noBands.bandCount = 0;
    bad.push_back(noBands);
    GraphicEqConfig noTable = Config(44100, 2);
    noTable.bandCentres = nullptr;
    bad.push_back(noTable);
    for (const GraphicEqConfig& config : bad) {
        CGraphicEqFIR eq;
        ASSERT_TRUE(eq.Init(Config(44100, 2)));
        EXPECT_FALSE(eq.Init(config)) << config.sampleRate << " Hz, " << config.channels << " ch";
        EXPECT_FALSE(eq.IsInitialized());
        EXPECT_EQ(eq.GetBlockLength(), 0);
        EXPECT_EQ(eq.GetLatency(), 0);
    }
    CGraphicEqFIR widest;
    EXPECT_TRUE(widest.Init(Config(kefo::kMaxSampleRate, 2)));
}

TEST(GraphicEqInit, ImpossibleSizesFailInsteadOfWrapping) {
    // Centres a millionth of a hertz apart at the largest rate would need a
    // transform of about 2^41 frames; spacing 0 needs an infinite one.
    const double close[2] = {1.0, 1.000001};
    const double same[2] = {1000.0, 1000.0};
    for (const double* centres : {close, same}) {
        GraphicEqConfig config{kefo::kMaxSampleRate, 2, 2, centres, 2, 1};
        CGraphicEqFIR eq;
        EXPECT_FALSE(eq.Init(config));
        EXPECT_FALSE(eq.IsInitialized());
        EXPECT_EQ(eq.GetBlockLength(), 0);
    }
}

TEST(GraphicEqInit, UninitialisedObjectLeavesEverythingAlone) {
    CGraphicEqFIR eq;
    EXPECT_FALSE(eq.IsInitialized());
    EXPECT_EQ(eq.GetBlockLength(), 0);
    EXPECT_EQ(eq.GetLatency(), 0);
    std::vector<float> block(64, 0.25f);
    eq.Process(block.data());
    eq.Process(nullptr);
    const float gains[9] = {};
    eq.SetGains(gains, 0);
    eq.SetFlat();
    eq.Reset();
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](float v) { return v == 0.25f; }));
    // A refused Init after a good one leaves it just as unusable.
    ASSERT_TRUE(eq.Init(Config(8000, 1)));
    EXPECT_FALSE(eq.Init(Config(8000, 3)));
    eq.Process(block.data());
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](float v) { return v == 0.25f; }));
}

// --- design ----------------------------------------------------------------

TEST(GraphicEqDesign, AllZeroGainsGiveTheFlatResponse) {
    CGraphicEqFIR designed, flat;
    ASSERT_TRUE(designed.Init(Config(8000, 1)));
    ASSERT_TRUE(flat.Init(Config(8000, 1)));
    designed.SetEnabled(1);
    flat.SetEnabled(1);
    const float zeros[9] = {};
    designed.SetGains(zeros, 0);
    const std::vector<double> k = MeasuredKernel(designed);
    const std::vector<double> f = MeasuredKernel(flat);
    const int centre = designed.GetLatency();
    for (std::size_t t = 0; t < k.size(); ++t) {
        const double expected = static_cast<int>(t) == centre ? 1.0 : 0.0;
        EXPECT_NEAR(k[t], expected, 1e-7) << t;
        EXPECT_NEAR(f[t], expected, 1e-7) << t;
    }
}

TEST(GraphicEqDesign, RaisedBandFollowsTheSampledCurve) {
    // 8000 Hz mono: N = 1024, bins of 7.8125 Hz, 1000 Hz on bin 128.
    CGraphicEqFIR eq;
    ASSERT_TRUE(eq.Init(Config(8000, 1)));
    eq.SetEnabled(1);
    const float gains[9] = {0, 0, 0, 0, 15, 0, 0, 0, 0};
    eq.SetGains(gains, 0);
    const std::vector<double> kernel = MeasuredKernel(eq);
    struct Point {
        int bin;
        double db;
    };
    const Point points[] = {{128, 15.0},  // the centre, 1000 Hz
                            {96, 7.5},    // halfway to 500 Hz
                            {192, 7.5},   // halfway to 2000 Hz
                            {64, 0.0},    // 500 Hz
                            {256, 0.0}};  // 2000 Hz
    for (const Point& p : points)
        EXPECT_NEAR(ResponseDb(kernel, p.bin, 1024), p.db, 0.05) << "bin " << p.bin;
}

TEST(GraphicEqDesign, GainsAtOrBelowMinus48AreClampedToMinus96) {
    auto measure = [](float centreGain) {
        CGraphicEqFIR eq;
        EXPECT_TRUE(eq.Init(Config(8000, 1)));
        eq.SetEnabled(1);
        const float gains[9] = {0, 0, 0, 0, centreGain, 0, 0, 0, 0};
        eq.SetGains(gains, 0);
        return MeasuredKernel(eq);
    };
    const std::vector<double> at48 = measure(-48.0f);
    EXPECT_EQ(at48, measure(-96.0f));
    EXPECT_EQ(at48, measure(-200.0f));
    const std::vector<double> at479 = measure(-47.9f);
    EXPECT_NE(at48, at479);
    // The window smooths the notch a little; -47.9 dB stays close to itself
    // and the clamped notch goes far deeper.
    EXPECT_NEAR(ResponseDb(at479, 128, 1024), -47.9, 0.5);
    EXPECT_LT(ResponseDb(at48, 128, 1024), -80.0);
    // Against the directly computed design, tap by tap.
    EXPECT_LT(MaxAbsDifference(at48, ReferenceKernel(8000, 1, 1, {0, 0, 0, 0, -96, 0, 0, 0, 0})),
              kFloatTolerance);
    EXPECT_LT(
        MaxAbsDifference(at479, ReferenceKernel(8000, 1, 1, {0, 0, 0, 0, -47.9f, 0, 0, 0, 0})),
        kFloatTolerance);
}

TEST(GraphicEqDesign, OutsideTheCentresTheEndBandsRule) {
    // 44100 Hz mono: N = 4096, bins of 10.77 Hz.
    CGraphicEqFIR eq;
    ASSERT_TRUE(eq.Init(Config(44100, 1)));
    eq.SetEnabled(1);
    const float gains[9] = {6, 0, 0, 0, 0, 0, 0, 0, -6};
    eq.SetGains(gains, 0);
    const std::vector<double> kernel = MeasuredKernel(eq);
    for (int bin : {1, 2, 3}) EXPECT_NEAR(ResponseDb(kernel, bin, 4096), 6.0, 0.05) << bin;
    for (int bin : {1600, 1800, 2000, 2047})
        EXPECT_NEAR(ResponseDb(kernel, bin, 4096), -6.0, 0.05) << bin;
}

// --- streaming ---------------------------------------------------------------

TEST(GraphicEqStreaming, WholeBlocksEqualDirectConvolutionMonoAndStereo) {
    const std::vector<double> gains = {3, -4, 6, -2, 9, -12, 5, 1, -7};
    const float gainsF[9] = {3, -4, 6, -2, 9, -12, 5, 1, -7};
    struct Case {
        int rate, channels, mode;
    };
    for (const Case& c : {Case{8000, 1, 1}, Case{8000, 2, 1}, Case{11025, 1, 0}, Case{16000, 2, 2},
                          Case{44100, 2, 1}}) {
        CGraphicEqFIR eq;
        ASSERT_TRUE(eq.Init(Config(c.rate, c.channels, c.mode)));
        eq.SetEnabled(1);
        eq.SetGains(gainsF, 0);
        const int taps = 2 * (eq.GetLatency() / c.channels + 1) - 1;
        const int silent = (taps * c.channels) / eq.GetBlockLength() + 1;
        const std::vector<double> input =
            TestSignal(eq.GetBlockLength(), 5, silent, c.rate + c.channels);
        const std::vector<float> output = Stream(eq, input);
        const std::vector<double> kernel = ReferenceKernel(c.rate, c.channels, c.mode, gains);
        for (int ch = 0; ch < c.channels; ++ch) {
            const std::vector<double> expected =
                kefo_test::DirectConvolution(Channel(input, c.channels, ch), kernel);
            EXPECT_LT(MaxAbsDifference(Channel(output, c.channels, ch), expected), kFloatTolerance)
                << c.rate << " Hz, " << c.channels << " ch, mode " << c.mode << ", channel " << ch;
        }
    }
}

TEST(GraphicEqStreaming, FlatIsAPureDelayAndBypassTheSameDelayBitForBit) {
    for (int channels : {1, 2}) {
        CGraphicEqFIR filtered, bypassed;
        ASSERT_TRUE(filtered.Init(Config(44100, channels)));
        ASSERT_TRUE(bypassed.Init(Config(44100, channels)));
        filtered.SetEnabled(1);
        bypassed.SetEnabled(0);
        EXPECT_EQ(filtered.GetLatency(), 1023 * channels);
        const std::vector<double> input =
            TestSignal(filtered.GetBlockLength(), 4, 1, 11 + channels);
        const std::vector<float> flatOut = Stream(filtered, input);
        const std::vector<float> bypassOut = Stream(bypassed, input);
        const int latency = filtered.GetLatency();
        for (std::size_t i = 0; i < input.size(); ++i) {
            const float expected = i < static_cast<std::size_t>(latency)
                                       ? 0.0f
                                       : static_cast<float>(input[i - latency]);
            ASSERT_EQ(bypassOut[i], expected) << "bypass, " << channels << " ch, sample " << i;
            ASSERT_NEAR(flatOut[i], expected, 1e-6) << "flat, " << channels << " ch, sample " << i;
        }
    }
}

TEST(GraphicEqStreaming, GainChangeTakesEffectFromTheNextBlockWithoutAGap) {
    const std::vector<double> gainsA = {0, 0, 0, 6, 6, 6, 0, 0, 0};
    const std::vector<double> gainsB = {-6, 3, 0, 0, -9, 0, 12, 0, 0};
    const float a[9] = {0, 0, 0, 6, 6, 6, 0, 0, 0};
    const float b[9] = {-6, 3, 0, 0, -9, 0, 12, 0, 0};
    for (int channels : {1, 2}) {
        CGraphicEqFIR eq;
        ASSERT_TRUE(eq.Init(Config(8000, channels)));
        eq.SetEnabled(1);
        eq.SetGains(a, 0);
        const int length = eq.GetBlockLength();
        const std::vector<double> input = TestSignal(length, 6, 2, 21 + channels);
        std::vector<float> out(input.begin(), input.end());
        for (int blk = 0; blk < 8; ++blk) {
            if (blk == 3) eq.SetGains(b, 0);
            eq.Process(out.data() + blk * length);
        }
        // Blocks before the change go through kernel A, later ones through B;
        // the tails of earlier blocks ring out with the old kernel.
        std::vector<double> early(input), late(input);
        std::fill(early.begin() + 3 * length, early.end(), 0.0);
        std::fill(late.begin(), late.begin() + 3 * length, 0.0);
        const std::vector<double> kA = ReferenceKernel(8000, channels, 1, gainsA);
        const std::vector<double> kB = ReferenceKernel(8000, channels, 1, gainsB);
        for (int ch = 0; ch < channels; ++ch) {
            std::vector<double> expected =
                kefo_test::DirectConvolution(Channel(early, channels, ch), kA);
            const std::vector<double> second =
                kefo_test::DirectConvolution(Channel(late, channels, ch), kB);
            for (std::size_t i = 0; i < expected.size(); ++i) expected[i] += second[i];
            EXPECT_LT(MaxAbsDifference(Channel(out, channels, ch), expected), kFloatTolerance)
                << channels << " ch";
        }
    }
}

TEST(GraphicEqStreaming, StereoLeftOnlyStaysLeftOnly) {
    CGraphicEqFIR eq;
    ASSERT_TRUE(eq.Init(Config(44100, 2)));
    eq.SetEnabled(1);
    const float gains[9] = {12, -9, 6, -3, 15, -15, 9, -6, 3};
    eq.SetGains(gains, 0);
    std::vector<double> input = TestSignal(eq.GetBlockLength(), 3, 1, 31);
    for (std::size_t i = 1; i < input.size(); i += 2) input[i] = 0.0;
    const std::vector<float> out = Stream(eq, input);
    double leftPeak = 0, rightPeak = 0;
    for (std::size_t i = 0; i < out.size(); i += 2) {
        leftPeak = std::max(leftPeak, std::fabs(static_cast<double>(out[i])));
        rightPeak = std::max(rightPeak, std::fabs(static_cast<double>(out[i + 1])));
    }
    EXPECT_GT(leftPeak, 0.1);
    EXPECT_LT(rightPeak, 1e-12);
}

TEST(GraphicEqStreaming, RaisedFullScaleInputExceedsOneUnclipped) {
    CGraphicEqFIR eq;
    ASSERT_TRUE(eq.Init(Config(44100, 1)));
    eq.SetEnabled(1);
    const float gains[9] = {15, 15, 15, 15, 15, 15, 15, 15, 15};
    eq.SetGains(gains, 0);
    std::vector<double> input(eq.GetBlockLength() * 4);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = std::sin(2 * kefo_test::kPiL * 1000 * i / 44100);
    const std::vector<float> out = Stream(eq, input);
    const float peak = *std::max_element(out.begin(), out.end());
    EXPECT_GT(peak, 5.0f);  // +15 dB is 5.62 times
    EXPECT_LT(peak, 5.7f);
}

TEST(GraphicEqStreaming, ChannelSelectorKeepsTheOtherChannelFlatAndIsIgnoredForMono) {
    const std::vector<double> gains = {0, 0, 0, 0, 12, 0, 0, 0, 0};
    const float g[9] = {0, 0, 0, 0, 12, 0, 0, 0, 0};
    const std::vector<double> kernel = ReferenceKernel(8000, 2, 1, gains);
    for (int selector : {1, 2}) {
        CGraphicEqFIR eq;
        ASSERT_TRUE(eq.Init(Config(8000, 2)));
        eq.SetEnabled(1);
        eq.SetGains(g, selector);
        const std::vector<double> input = TestSignal(eq.GetBlockLength(), 3, 2, 41);
        const std::vector<float> out = Stream(eq, input);
        const int shaped = selector == 1 ? 0 : 1;
        const int flat = 1 - shaped;
        EXPECT_LT(MaxAbsDifference(Channel(out, 2, shaped),
                                   kefo_test::DirectConvolution(Channel(input, 2, shaped), kernel)),
                  kFloatTolerance);
        std::vector<double> delayed(Channel(input, 2, flat));
        delayed.insert(delayed.begin(), eq.GetLatency() / 2, 0.0);
        EXPECT_LT(MaxAbsDifference(Channel(out, 2, flat), delayed), 1e-6);
    }
    CGraphicEqFIR mono1, mono0;
    ASSERT_TRUE(mono1.Init(Config(8000, 1)));
    ASSERT_TRUE(mono0.Init(Config(8000, 1)));
    mono1.SetEnabled(1);
    mono0.SetEnabled(1);
    mono1.SetGains(g, 1);
    mono0.SetGains(g, 0);
    EXPECT_EQ(MeasuredKernel(mono1), MeasuredKernel(mono0));
}

TEST(GraphicEqStreaming, ResetInitAndSwitchingKeepTheTiming) {
    CGraphicEqFIR eq;
    eq.SetEnabled(1);
    ASSERT_TRUE(eq.Init(Config(8000, 2)));  // Init keeps the enabled flag
    const float raised[9] = {6, 6, 6, 6, 6, 6, 6, 6, 6};
    eq.SetGains(raised, 0);
    const int length = eq.GetBlockLength();
    std::vector<double> loud = TestSignal(length, 2, 0, 51);
    Stream(eq, loud);

    // Reset empties the accumulator: with a flat response the first
    // GetLatency() samples are silence.
    eq.Reset();
    eq.SetFlat();
    std::vector<float> block(length, 0.5f);
    eq.Process(block.data());
    for (int i = 0; i < eq.GetLatency(); ++i) ASSERT_NEAR(block[i], 0.0f, 1e-12) << i;
    for (int i = eq.GetLatency(); i < length; ++i) ASSERT_NEAR(block[i], 0.5f, 1e-6) << i;

    // A new Init returns to a flat response and an empty accumulator.
    eq.SetGains(raised, 0);
    Stream(eq, loud);
    ASSERT_TRUE(eq.Init(Config(8000, 2)));
    std::vector<double> input = TestSignal(length, 2, 1, 52);
    const std::vector<float> out = Stream(eq, input);
    for (std::size_t i = 0; i < input.size(); ++i) {
        const double expected =
            i < static_cast<std::size_t>(eq.GetLatency()) ? 0.0 : input[i - eq.GetLatency()];
        ASSERT_NEAR(out[i], expected, 1e-6) << i;
    }

    // Switching from filter to bypass mid-stream: a flat filter and the
    // bypass share their delay, so the stream continues seamlessly.
    CGraphicEqFIR sw;
    ASSERT_TRUE(sw.Init(Config(8000, 1)));
    sw.SetEnabled(1);
    const int len = sw.GetBlockLength();
    std::vector<double> x = TestSignal(len, 4, 0, 53);
    std::vector<float> y(x.begin(), x.end());
    for (int blk = 0; blk < 4; ++blk) {
        sw.SetEnabled(blk < 2 ? 1 : 0);
        sw.Process(y.data() + blk * len);
    }
    for (std::size_t i = sw.GetLatency(); i < x.size(); ++i)
        ASSERT_NEAR(y[i], x[i - sw.GetLatency()], 1e-6) << i;
}

// Init and SetGains in steps: sized at once, initialised only when the steps
// are done, and, however far the steps got before Process, the very blocks of
// Init and SetGains.
TEST(GraphicEqStreaming, SetupInStepsFiltersTheBitsOfInitAndSetGains) {
    const float gains[9] = {6, -6, 3, 0, -12, 4, 9, -3, 15};
    for (int channels : {1, 2}) {
        CGraphicEqFIR whole;
        ASSERT_TRUE(whole.Init(Config(96000, channels)));
        whole.SetGains(gains, 0);
        whole.SetEnabled(1);
        const std::vector<double> input = TestSignal(whole.GetBlockLength(), 2, 1, 61 + channels);
        const std::vector<float> expected = Stream(whole, input);
        int steps = 0;
        for (int stepsFirst : {0, 3, 100}) {
            CGraphicEqFIR staged;
            ASSERT_TRUE(staged.BeginInit(Config(96000, channels)));
            EXPECT_TRUE(staged.IsSized());
            EXPECT_FALSE(staged.IsInitialized());
            EXPECT_EQ(staged.GetBlockLength(), whole.GetBlockLength());
            EXPECT_EQ(staged.GetLatency(), whole.GetLatency());
            staged.BeginGains(gains, 0);
            staged.SetEnabled(1);
            int ran = 0;
            while (ran < stepsFirst && staged.ContinueSetup()) ++ran;
            if (stepsFirst == 100) {
                steps = ran + 1;
                EXPECT_TRUE(staged.IsInitialized());
            }
            EXPECT_EQ(Stream(staged, input), expected) << channels << " ch, " << stepsFirst;
        }
        EXPECT_GE(steps, 5) << "a setup in a few steps only";
    }
}

}  // namespace
