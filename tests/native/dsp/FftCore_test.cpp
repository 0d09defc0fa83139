#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "DspReference.h"

namespace {

using kefo::ComplexFft;
using kefo::FftWorkArea;
using kefo::RealFft;
using kefo_test::Complex;

// Relative to the largest reference magnitude. A radix-4 transform in
// doubles stays a few hundred times below this even at 32768.
const double kRelativeTolerance = 1e-13;

// A work area owning its tables, sized for a real transform of n doubles or a
// complex transform of 2n doubles.
struct OwnedWorkArea {
    explicit OwnedWorkArea(int n)
        : ints(kefo::FftIntTableSize(n), -1), doubles(kefo::FftDoubleTableSize(n), 0.0) {
        ints[0] = 0;
        area = FftWorkArea{ints.data(), doubles.data()};
    }
    std::vector<int> ints;
    std::vector<double> doubles;
    FftWorkArea area;
};

double MaxMagnitude(const std::vector<Complex>& v) {
    double m = 0;
    for (const Complex& c : v) m = std::max(m, static_cast<double>(std::abs(c)));
    return m;
}

// Reads bin k of a packed real spectrum of n values.
Complex PackedBin(const std::vector<double>& a, int k) {
    const int n = static_cast<int>(a.size());
    if (k == 0) return Complex(a[0], 0);
    if (k == n / 2) return Complex(a[1], 0);
    return Complex(a[2 * k], a[2 * k + 1]);
}

class FftSizes : public ::testing::TestWithParam<int> {};

TEST_P(FftSizes, ComplexForwardAndInverseMatchDirectDft) {
    const int n = GetParam();
    const int m = n / 2;
    OwnedWorkArea work(n / 2);
    const std::vector<double> input = kefo_test::RandomSignal(n, 100 + n);
    std::vector<Complex> x(m);
    for (int j = 0; j < m; ++j) x[j] = Complex(input[2 * j], input[2 * j + 1]);

    for (int sign : {+1, -1}) {
        std::vector<double> a = input;
        ComplexFft(n, sign, a.data(), work.area);
        const std::vector<Complex> ref = kefo_test::DirectDft(x, sign);
        const double tolerance = kRelativeTolerance * MaxMagnitude(ref);
        double worst = 0;
        for (int k = 0; k < m; ++k) {
            worst = std::max(
                worst, static_cast<double>(std::abs(Complex(a[2 * k], a[2 * k + 1]) - ref[k])));
        }
        EXPECT_LE(worst, tolerance) << "n = " << n << ", direction " << sign;
    }
}

TEST_P(FftSizes, RealForwardMatchesDirectDftInPackedForm) {
    const int n = GetParam();
    OwnedWorkArea work(n);
    const std::vector<double> input = kefo_test::RandomSignal(n, 200 + n);
    std::vector<double> a = input;
    RealFft(n, 1, a.data(), work.area);
    const std::vector<Complex> ref = kefo_test::DirectRealDft(input);
    const double tolerance = kRelativeTolerance * MaxMagnitude(ref);
    double worst = 0;
    for (int k = 0; k <= n / 2; ++k) {
        worst = std::max(worst, static_cast<double>(std::abs(PackedBin(a, k) - ref[k])));
    }
    EXPECT_LE(worst, tolerance) << "n = " << n;
}

TEST_P(FftSizes, RealInverseMatchesDirectSum) {
    const int n = GetParam();
    OwnedWorkArea work(n);
    const std::vector<double> packed = kefo_test::RandomSignal(n, 300 + n);
    std::vector<double> a = packed;
    RealFft(n, -1, a.data(), work.area);
    // a[j] = (R0 + R(n/2) cos(pi j)) / 2 + sum_k R[k] cos(2 pi jk/n) + I[k] sin(2 pi jk/n)
    const std::vector<Complex> roots = kefo_test::UnitRoots(n, +1);
    double worst = 0;
    double largest = 0;
    for (int j = 0; j < n; ++j) {
        long double sum = (packed[0] + packed[1] * (j % 2 == 0 ? 1.0L : -1.0L)) / 2;
        std::size_t t = 0;
        for (int k = 1; k < n / 2; ++k) {
            t = (t + j) % n;
            sum += packed[2 * k] * roots[t].real() + packed[2 * k + 1] * roots[t].imag();
        }
        worst = std::max(worst, std::fabs(a[j] - static_cast<double>(sum)));
        largest = std::max(largest, std::fabs(static_cast<double>(sum)));
    }
    EXPECT_LE(worst, kRelativeTolerance * largest) << "n = " << n;
}

TEST_P(FftSizes, RoundTripsScaleByHalfTheLength) {
    const int n = GetParam();
    OwnedWorkArea work(n);
    const std::vector<double> input = kefo_test::RandomSignal(n, 400 + n);
    std::vector<double> real = input;
    RealFft(n, 1, real.data(), work.area);
    RealFft(n, -1, real.data(), work.area);
    std::vector<double> complex = input;
    ComplexFft(n, 1, complex.data(), work.area);
    ComplexFft(n, -1, complex.data(), work.area);
    for (int i = 0; i < n; ++i) {
        ASSERT_NEAR(real[i], input[i] * (n / 2), 1e-12 * n) << "real, n = " << n << ", i = " << i;
        ASSERT_NEAR(complex[i], input[i] * (n / 2), 1e-12 * n)
            << "complex, n = " << n << ", i = " << i;
    }
}

// The faster instruction set must not change a single bit of any result, so
// that the equalizer sounds the same on every processor; also with the tables
// of a longer transform, whose first-stage vectors sit elsewhere.
TEST_P(FftSizes, EveryInstructionSetGivesTheSameBits) {
    if (!kefo::FftIsaAvailable(kefo::FftIsa::Avx2)) GTEST_SKIP() << "no AVX2 on this processor";
    const int n = GetParam();
    const std::vector<double> input = kefo_test::RandomSignal(n, 7 + n);
    for (int direction : {+1, -1}) {
        for (bool real : {true, false}) {
            std::vector<double> results[2];
            const kefo::FftIsa isas[2] = {kefo::FftIsa::Sse2, kefo::FftIsa::Avx2};
            for (int i = 0; i < 2; ++i) {
                OwnedWorkArea work(i == 0 ? n : 4 * n);
                if (i == 1) kefo::FftBuildTables(4 * n, work.area);
                results[i] = input;
                if (real) {
                    kefo::RealFft(isas[i], n, direction, results[i].data(), work.area);
                } else {
                    kefo::ComplexFft(isas[i], n, direction, results[i].data(), work.area);
                }
            }
            ASSERT_EQ(0, std::memcmp(results[0].data(), results[1].data(), n * sizeof(double)))
                << (real ? "real" : "complex") << ", direction " << direction << ", n = " << n;
        }
    }
}

// The fused filter pass must give the bits of forward transform, product and
// inverse transform, on every instruction set and also with tables built for a
// longer transform (which the split step reads with a stride).
TEST_P(FftSizes, FilterGivesTheBitsOfTransformProductAndInverse) {
    const int n = GetParam();
    const std::vector<double> input = kefo_test::RandomSignal(n, 11 + n);
    const std::vector<double> h = kefo_test::RandomSignal(n + 2, 13 + n);
    std::vector<double> expected = input;
    OwnedWorkArea reference(n);
    RealFft(kefo::FftIsa::Sse2, n, 1, expected.data(), reference.area);
    expected[0] *= h[0];
    expected[1] *= h[n];
    for (int j = 2; j < n; j += 2) {
        const double re = expected[j];
        const double im = expected[j + 1];
        expected[j] = re * h[j] - im * h[j + 1];
        expected[j + 1] = im * h[j] + re * h[j + 1];
    }
    RealFft(kefo::FftIsa::Sse2, n, -1, expected.data(), reference.area);
    for (kefo::FftIsa isa : {kefo::FftIsa::Sse2, kefo::FftIsa::Avx2}) {
        if (!kefo::FftIsaAvailable(isa)) continue;
        for (int tableLength : {n, 4 * n}) {
            OwnedWorkArea work(tableLength);
            std::vector<double> filtered(tableLength, 0.0);
            RealFft(isa, tableLength, 1, filtered.data(), work.area);  // builds the tables
            filtered = input;
            kefo::RealFftFilter(isa, n, filtered.data(), h.data(), work.area);
            ASSERT_EQ(0, std::memcmp(expected.data(), filtered.data(), n * sizeof(double)))
                << "isa " << static_cast<int>(isa) << ", tables for " << tableLength
                << ", n = " << n;
        }
    }
}

// The vector kernels load and store without alignment: data that starts
// one double off a vector boundary gives the same bits.
TEST_P(FftSizes, DataOffAVectorBoundaryGivesTheSameBits) {
    const int n = GetParam();
    const std::vector<double> input = kefo_test::RandomSignal(n, 17 + n);
    for (kefo::FftIsa isa : {kefo::FftIsa::Sse2, kefo::FftIsa::Avx2}) {
        if (!kefo::FftIsaAvailable(isa)) continue;
        for (int direction : {+1, -1}) {
            std::vector<double> aligned = input;
            std::vector<double> shifted(n + 1);
            std::copy(input.begin(), input.end(), shifted.begin() + 1);
            OwnedWorkArea work(n);
            kefo::ComplexFft(isa, n, direction, aligned.data(), work.area);
            kefo::ComplexFft(isa, n, direction, shifted.data() + 1, work.area);
            ASSERT_EQ(0, std::memcmp(aligned.data(), shifted.data() + 1, n * sizeof(double)))
                << "isa " << static_cast<int>(isa) << ", direction " << direction << ", n = " << n;
        }
    }
}

// 8 is below the lengths the equalizer uses, but the analyzer's frame rule
// can reach it for a high first edge, so it must transform correctly too.
INSTANTIATE_TEST_SUITE_P(PowersOfTwo, FftSizes,
                         ::testing::Values(8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192,
                                           16384, 32768),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "n" + std::to_string(info.param);
                         });

TEST(RealFft, UnitImpulseGivesAllOnes) {
    const int n = 64;
    OwnedWorkArea work(n);
    std::vector<double> a(n, 0.0);
    a[0] = 1.0;
    RealFft(n, 1, a.data(), work.area);
    EXPECT_DOUBLE_EQ(a[0], 1.0);
    EXPECT_DOUBLE_EQ(a[1], 1.0);
    for (int k = 1; k < n / 2; ++k) {
        EXPECT_NEAR(a[2 * k], 1.0, 1e-15) << k;
        EXPECT_NEAR(a[2 * k + 1], 0.0, 1e-15) << k;
    }
}

TEST(RealFft, SignConventionCosineAndSine) {
    const int n = 256;
    const int k = 5;
    const double amplitude = 0.75;
    OwnedWorkArea work(n);
    std::vector<double> c(n), s(n);
    for (int j = 0; j < n; ++j) {
        const double angle = 2.0 * kefo_test::kPiL * j * k / n;
        c[j] = amplitude * std::cos(angle);
        s[j] = amplitude * std::sin(angle);
    }
    RealFft(n, 1, c.data(), work.area);
    RealFft(n, 1, s.data(), work.area);
    const double expected = amplitude * n / 2;
    EXPECT_NEAR(c[2 * k], expected, 1e-12);
    EXPECT_NEAR(c[2 * k + 1], 0.0, 1e-12);
    EXPECT_NEAR(s[2 * k], 0.0, 1e-12);
    EXPECT_NEAR(s[2 * k + 1], +expected, 1e-12);  // positive: forward uses exp(+i...)
}

TEST(ComplexFft, ForwardUsesPositiveExponent) {
    const int n = 64;
    const int m = n / 2;
    OwnedWorkArea work(n / 2);
    std::vector<double> a(n, 0.0);
    a[2] = 1.0;  // x[1] = 1: X[k] = exp(+2 pi i k / m)
    ComplexFft(n, 1, a.data(), work.area);
    for (int k = 0; k < m; ++k) {
        EXPECT_NEAR(a[2 * k], std::cos(2 * kefo_test::kPiL * k / m), 1e-15);
        EXPECT_NEAR(a[2 * k + 1], std::sin(2 * kefo_test::kPiL * k / m), 1e-15);
    }
}

TEST(FftWorkArea, TablesAreBuiltOnceAndGrowOnlyForLongerTransforms) {
    const int n = 1024;
    OwnedWorkArea work(n);
    std::vector<double> a = kefo_test::RandomSignal(n, 7);
    RealFft(n, 1, a.data(), work.area);
    EXPECT_EQ(work.ints[0], n / 4);
    EXPECT_EQ(work.ints[1], n / 4);
    const std::vector<double> tables = work.doubles;
    std::vector<double> b = kefo_test::RandomSignal(n / 4, 8);
    RealFft(n / 4, 1, b.data(), work.area);  // shorter: served by the same tables
    EXPECT_EQ(work.ints[0], n / 4);
    EXPECT_EQ(work.ints[1], n / 4);
    EXPECT_EQ(work.doubles, tables);
}

TEST(FftWorkArea, ComplexOfTwiceTheLengthThenRealRebuildsOnlyTheCosines) {
    const int n = 2048;  // the real length N; the complex transform is 2N
    OwnedWorkArea shared(n);
    std::vector<double> c = kefo_test::RandomSignal(2 * n, 9);
    std::vector<double> cFresh = c;
    ComplexFft(2 * n, 1, c.data(), shared.area);
    EXPECT_EQ(shared.ints[0], n / 2);
    EXPECT_EQ(shared.ints[1], 1);  // the cosine table must be rebuilt before use
    const std::vector<double> twiddles(shared.doubles.begin(), shared.doubles.begin() + n / 2);

    std::vector<double> r = kefo_test::RandomSignal(n, 10);
    std::vector<double> rFresh = r;
    RealFft(n, 1, r.data(), shared.area);
    EXPECT_EQ(shared.ints[0], n / 2);  // twiddles kept
    EXPECT_EQ(shared.ints[1], n / 4);  // cosines built behind them
    EXPECT_TRUE(std::equal(twiddles.begin(), twiddles.end(), shared.doubles.begin()));

    OwnedWorkArea freshComplex(n);
    ComplexFft(2 * n, 1, cFresh.data(), freshComplex.area);
    EXPECT_EQ(c, cFresh);
    OwnedWorkArea freshReal(n);
    RealFft(n, 1, rFresh.data(), freshReal.area);
    EXPECT_EQ(r, rFresh);  // the same table values, so bit for bit the same results

    RealFft(n, -1, r.data(), shared.area);
    RealFft(n, -1, rFresh.data(), freshReal.area);
    EXPECT_EQ(r, rFresh);
}

// Tables built ahead are the very doubles the transforms build for
// themselves, in both orders of first use, and the transforms then build
// nothing more.
TEST(FftWorkArea, TablesBuiltAheadAreTheOnesTheTransformsBuild) {
    for (int n : {16, 64, 2048, 16384}) {
        OwnedWorkArea ahead(n);
        kefo::FftBuildTables(n, ahead.area);
        EXPECT_EQ(ahead.ints[0], n / 2) << "n = " << n;
        EXPECT_EQ(ahead.ints[1], n / 4) << "n = " << n;
        const std::vector<double> built = ahead.doubles;

        OwnedWorkArea onDemand(n);
        std::vector<double> c(2 * n, 0.0), r(n, 0.0);
        ComplexFft(2 * n, 1, c.data(), onDemand.area);
        RealFft(n, 1, r.data(), onDemand.area);
        EXPECT_EQ(0,
                  std::memcmp(built.data(), onDemand.doubles.data(), built.size() * sizeof(double)))
            << "n = " << n;

        std::vector<double> c2(2 * n, 0.0), r2(n, 0.0);
        RealFft(n, 1, r2.data(), ahead.area);
        ComplexFft(2 * n, -1, c2.data(), ahead.area);
        EXPECT_EQ(ahead.ints[0], n / 2);
        EXPECT_EQ(ahead.ints[1], n / 4);
        EXPECT_EQ(0, std::memcmp(built.data(), ahead.doubles.data(), built.size() * sizeof(double)))
            << "n = " << n;
    }
}

}  // namespace
