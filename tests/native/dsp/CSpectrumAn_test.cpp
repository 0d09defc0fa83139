#include "dsp/CSpectrumAn.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "DspReference.h"
#include "dsp/AudioFormat.h"

namespace {

using kefo::CSpectrumAn;
using kefo::LevelToFraction;
using kefo::SpectrumAnConfig;
using kefo::SpectrumBand;

const double kEdges[19] = {46,   76,   106,  148,  210,  300,  420,   595,   840,  1190,
                           1680, 2380, 3360, 4755, 6725, 9510, 13450, 17500, 22050};

SpectrumAnConfig Config(int rate, int channels, int peakMode = 0) {
    return SpectrumAnConfig{rate, channels, 19, kEdges, 2, peakMode};
}

// Frame with a sine of amplitude 1 at `bin` cycles per frame in the given
// channel (others silent).
std::vector<float> SineFrame(int n, int channels, int channel, double cyclesPerFrame) {
    std::vector<float> frame(static_cast<std::size_t>(n) * channels, 0.0f);
    for (int i = 0; i < n; ++i) {
        frame[i * channels + channel] =
            static_cast<float>(std::sin(2 * kefo_test::kPiL * cyclesPerFrame * i / n));
    }
    return frame;
}

// Band values computed directly: Hann window, direct DFT per channel, powers
// scaled by 1/N^2, bins from 2 up placed by their upper-edge rule.
std::vector<SpectrumBand> ReferenceBands(const std::vector<float>& frame, int rate, int channels,
                                         bool peak) {
    const int n = static_cast<int>(frame.size()) / channels;
    std::vector<SpectrumBand> bands(19, SpectrumBand{0, 0, 0});
    for (int c = 0; c < channels; ++c) {
        std::vector<double> x(n);
        for (int i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2 * kefo_test::kPiL * i / n);
            x[i] = frame[i * channels + c] * w;
        }
        const std::vector<kefo_test::Complex> spectrum = kefo_test::DirectRealDft(x);
        int b = 0;
        for (int j = 2; j <= n / 2; ++j) {
            if (static_cast<double>(j) * rate / n > kEdges[b]) {
                if (b == 18) break;
                ++b;
            }
            const double p =
                static_cast<double>(std::norm(spectrum[j])) / (static_cast<double>(n) * n);
            double& slot = c == 0 ? bands[b].left : bands[b].right;
            slot = peak ? std::max(slot, p) : slot + p;
        }
    }
    for (SpectrumBand& band : bands) {
        if (channels == 1) band.right = band.left;
        band.mean = (band.left + band.right) * 0.5;
    }
    return bands;
}

std::vector<SpectrumBand> Analyse(CSpectrumAn& an, const std::vector<float>& frame) {
    std::vector<SpectrumBand> bands(19, SpectrumBand{-1, -1, -1});
    an.Process(frame.data(), bands.data());
    return bands;
}

// --- frame length ----------------------------------------------------------

TEST(SpectrumAnFrame, LengthForEveryListedRate) {
    struct Row {
        int rate, n;
    };
    const Row rows[] = {{8000, 512},   {11025, 512},   {16000, 1024},  {22050, 1024},
                        {32000, 2048}, {44100, 2048},  {48000, 4096},  {88200, 4096},
                        {96000, 8192}, {176400, 8192}, {192000, 16384}};
    for (const Row& row : rows) {
        for (int channels : {1, 2}) {
            CSpectrumAn an;
            ASSERT_TRUE(an.Init(Config(row.rate, channels)));
            EXPECT_TRUE(an.IsInitialized());
            EXPECT_EQ(an.GetFrameLength(), row.n * channels)
                << row.rate << " Hz, " << channels << " ch";
        }
    }
}

TEST(SpectrumAnFrame, RefusedConfigurationsAndImpossibleSizes) {
    std::vector<SpectrumAnConfig> bad;
    for (int channels : {0, 3, -2}) bad.push_back(Config(44100, channels));
    for (int rate : {0, -1, INT_MIN, kefo::kMaxSampleRate + 1}) bad.push_back(Config(rate, 1));
    SpectrumAnConfig noBands = Config(44100, 1);
    noBands.bandCount = 0;
    bad.push_back(noBands);
    SpectrumAnConfig noTable = Config(44100, 1);
    noTable.bandEdges = nullptr;
    bad.push_back(noTable);
    // A first edge at or below 0 would double the length forever; a tiny one
    // at the largest rate asks for far more than an int can count.
    const double zeroEdge[1] = {0.0};
    const double negativeEdge[1] = {-10.0};
    const double tinyEdge[1] = {1e-6};
    for (const double* edges : {zeroEdge, negativeEdge, tinyEdge}) {
        bad.push_back(SpectrumAnConfig{kefo::kMaxSampleRate, 2, 1, edges, 2, 0});
    }
    for (const SpectrumAnConfig& config : bad) {
        CSpectrumAn an;
        ASSERT_TRUE(an.Init(Config(44100, 2)));
        EXPECT_FALSE(an.Init(config)) << config.sampleRate << " Hz, " << config.channels << " ch";
        EXPECT_FALSE(an.IsInitialized());
        EXPECT_EQ(an.GetFrameLength(), 0);
    }
}

TEST(SpectrumAnFrame, ProcessOnAnUninitialisedObjectWritesNothing) {
    CSpectrumAn an;
    std::vector<float> frame(4096, 0.5f);
    std::vector<SpectrumBand> bands(19, SpectrumBand{-1, -1, -1});
    an.Process(frame.data(), bands.data());
    for (const SpectrumBand& b : bands) {
        EXPECT_EQ(b.mean, -1);
        EXPECT_EQ(b.left, -1);
        EXPECT_EQ(b.right, -1);
    }
}

// Set up in steps, however the steps fall (none run, some, all), the object
// measures the bits of one set up by Init; it is sized but not initialised
// until the steps are done, and a format change starts them over.
TEST(SpectrumAnFrame, SetupInStepsMeasuresTheBitsOfInit) {
    for (int rate : {44100, 192000}) {
        for (int channels : {1, 2}) {
            CSpectrumAn whole;
            ASSERT_TRUE(whole.Init(Config(rate, channels)));
            const std::vector<double> noise = kefo_test::RandomSignal(whole.GetFrameLength(), rate);
            const std::vector<float> frame(noise.begin(), noise.end());
            const std::vector<SpectrumBand> expected = Analyse(whole, frame);
            for (int steps : {0, 1, 3, 1000}) {
                CSpectrumAn stepped;
                ASSERT_TRUE(stepped.BeginInit(Config(8000, 1)));
                stepped.FinishSetup();
                ASSERT_TRUE(stepped.BeginInit(Config(rate, channels)));
                EXPECT_TRUE(stepped.IsSized());
                EXPECT_FALSE(stepped.IsInitialized());
                EXPECT_EQ(stepped.GetFrameLength(), whole.GetFrameLength());
                int left = steps;
                while (left > 0 && stepped.ContinueSetup()) --left;
                EXPECT_EQ(stepped.IsInitialized(), left > 0) << rate << " Hz, " << steps;
                const std::vector<SpectrumBand> got = Analyse(stepped, frame);
                EXPECT_TRUE(stepped.IsInitialized());
                ASSERT_EQ(0, std::memcmp(got.data(), expected.data(),
                                         expected.size() * sizeof(SpectrumBand)))
                    << rate << " Hz, " << channels << " channels, " << steps << " steps";
            }
        }
    }
}

// --- measurement -------------------------------------------------------------

TEST(SpectrumAnMeasure, MatchesDirectReferenceMonoAndStereoSumAndPeak) {
    for (int rate : {8000, 44100, 48000}) {
        for (int channels : {1, 2}) {
            for (int peak : {0, 1}) {
                CSpectrumAn an;
                ASSERT_TRUE(an.Init(Config(rate, channels, peak)));
                const std::vector<double> noise =
                    kefo_test::RandomSignal(an.GetFrameLength(), rate + channels);
                const std::vector<float> frame(noise.begin(), noise.end());
                const std::vector<float> copy = frame;
                const std::vector<SpectrumBand> got = Analyse(an, frame);
                const std::vector<SpectrumBand> ref =
                    ReferenceBands(frame, rate, channels, peak != 0);
                EXPECT_EQ(frame, copy);  // the input is not changed
                for (int b = 0; b < 19; ++b) {
                    const double tol = 1e-12 * std::max(1e-6, ref[b].mean);
                    EXPECT_NEAR(got[b].left, ref[b].left, tol)
                        << rate << " Hz " << channels << " ch band " << b;
                    EXPECT_NEAR(got[b].right, ref[b].right, tol)
                        << rate << " Hz " << channels << " ch band " << b;
                    EXPECT_NEAR(got[b].mean, ref[b].mean, tol)
                        << rate << " Hz " << channels << " ch band " << b;
                }
            }
        }
    }
}

TEST(SpectrumAnMeasure, OneKilohertzLandsInTheTenthBand) {
    CSpectrumAn an;
    ASSERT_TRUE(an.Init(Config(44100, 1)));
    const int n = an.GetFrameLength();
    const std::vector<SpectrumBand> bands = Analyse(an, SineFrame(n, 1, 0, 1000.0 * n / 44100));
    double total = 0;
    for (const SpectrumBand& b : bands) {
        total += b.mean;
        EXPECT_EQ(b.mean, b.left);
        EXPECT_EQ(b.right, b.left);
    }
    EXPECT_GT(bands[9].mean, 0.99 * total);
    EXPECT_NEAR(total, 3.0 / 32.0, 0.002);  // a full-scale sine through the Hann window
}

TEST(SpectrumAnMeasure, SineOnABinGivesOneSixteenthAndNeighboursOneSixtyFourth) {
    // 44100 Hz mono, N = 2048: bin 50 (1076.7 Hz) and its neighbours lie in band 9.
    CSpectrumAn sum, peak;
    ASSERT_TRUE(sum.Init(Config(44100, 1, 0)));
    ASSERT_TRUE(peak.Init(Config(44100, 1, 1)));
    const std::vector<float> frame = SineFrame(2048, 1, 0, 50);
    EXPECT_NEAR(Analyse(peak, frame)[9].left, 1.0 / 16, 1e-8);
    EXPECT_NEAR(Analyse(sum, frame)[9].left, 1.0 / 16 + 2.0 / 64, 1e-8);
}

TEST(SpectrumAnMeasure, DirectCurrentAndBinOneNeverCount) {
    CSpectrumAn an;
    ASSERT_TRUE(an.Init(Config(44100, 2)));
    // The windowed constant lives in bins 0 and 1 only.
    const std::vector<SpectrumBand> bands =
        Analyse(an, std::vector<float>(an.GetFrameLength(), 0.75f));
    for (const SpectrumBand& b : bands) {
        EXPECT_LT(b.left, 1e-20);
        EXPECT_LT(b.right, 1e-20);
    }
}

TEST(SpectrumAnMeasure, BinsAboveTheLastEdgeAreIgnored) {
    // 48000 Hz, N = 4096, 11.72 Hz bins: 22050 Hz lies at bin 1881.6.
    CSpectrumAn an;
    ASSERT_TRUE(an.Init(Config(48000, 1)));
    // Only the float rounding of the sine leaks below the edge, far under 1e-12.
    for (const SpectrumBand& b : Analyse(an, SineFrame(4096, 1, 0, 1900))) EXPECT_LT(b.mean, 1e-12);
    EXPECT_NEAR(Analyse(an, SineFrame(4096, 1, 0, 1870))[18].mean, 3.0 / 32, 1e-8);
}

TEST(SpectrumAnMeasure, BandsAboveHalfTheRateStayZero) {
    CSpectrumAn low, mid;
    ASSERT_TRUE(low.Init(Config(8000, 1)));
    ASSERT_TRUE(mid.Init(Config(22050, 1)));
    const std::vector<double> a = kefo_test::RandomSignal(low.GetFrameLength(), 61);
    const std::vector<double> b = kefo_test::RandomSignal(mid.GetFrameLength(), 62);
    const std::vector<SpectrumBand> lowBands = Analyse(low, std::vector<float>(a.begin(), a.end()));
    const std::vector<SpectrumBand> midBands = Analyse(mid, std::vector<float>(b.begin(), b.end()));
    for (int i = 0; i < 19; ++i) {
        if (i >= 14)
            EXPECT_EQ(lowBands[i].mean, 0.0) << i;  // above 4755 Hz
        else
            EXPECT_GT(lowBands[i].mean, 0.0) << i;
        if (i >= 17)
            EXPECT_EQ(midBands[i].mean, 0.0) << i;  // above 13450 Hz
        else
            EXPECT_GT(midBands[i].mean, 0.0) << i;
    }
}

TEST(SpectrumAnMeasure, StereoLeftOnlyGivesHalfTheMean) {
    CSpectrumAn an;
    ASSERT_TRUE(an.Init(Config(44100, 2)));
    const std::vector<SpectrumBand> bands = Analyse(an, SineFrame(2048, 2, 0, 50));
    EXPECT_NEAR(bands[9].left, 3.0 / 32, 1e-8);
    for (const SpectrumBand& b : bands) {
        EXPECT_LT(b.right, 1e-20);
        EXPECT_NEAR(b.mean, b.left / 2, 1e-20);
    }
}

TEST(SpectrumAnMeasure, SilenceGivesZeroBandsAndZeroFractions) {
    CSpectrumAn an;
    ASSERT_TRUE(an.Init(Config(44100, 2)));
    for (const SpectrumBand& b : Analyse(an, std::vector<float>(an.GetFrameLength(), 0.0f))) {
        EXPECT_EQ(b.mean, 0.0);
        EXPECT_EQ(b.left, 0.0);
        EXPECT_EQ(b.right, 0.0);
        EXPECT_EQ(LevelToFraction(b.mean, -15, -75), 0.0);
    }
}

// --- display fraction --------------------------------------------------------

TEST(LevelToFraction, MapsTheDecibelRangeOntoZeroToOne) {
    EXPECT_DOUBLE_EQ(LevelToFraction(1.0 / 16, -15, -75), 1.0);  // -12 dB, above the top
    EXPECT_DOUBLE_EQ(LevelToFraction(1e-6, -15, -75), 0.25);     // -60 dB
    EXPECT_DOUBLE_EQ(LevelToFraction(std::pow(10.0, -4.5), -15, -75), 0.5);
    EXPECT_DOUBLE_EQ(LevelToFraction(std::pow(10.0, -1.5), -15, -75), 1.0);  // exactly the top
    EXPECT_DOUBLE_EQ(LevelToFraction(1e-9, -15, -75), 0.0);                  // below the floor
    EXPECT_DOUBLE_EQ(LevelToFraction(0.0, -15, -75), 0.0);
    EXPECT_DOUBLE_EQ(LevelToFraction(-1.0, -15, -75), 0.0);
    EXPECT_DOUBLE_EQ(LevelToFraction(std::numeric_limits<double>::quiet_NaN(), -15, -75), 0.0);
    EXPECT_DOUBLE_EQ(LevelToFraction(std::numeric_limits<double>::infinity(), -15, -75), 1.0);
    EXPECT_DOUBLE_EQ(LevelToFraction(0.5, -20, -20), 0.0);  // empty range: no division by zero
}

}  // namespace
