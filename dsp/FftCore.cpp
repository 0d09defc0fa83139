// Radix-4 transforms over a bit-reversed input.
//
// After the bit-reversal permutation the stages run from the shortest span to
// the longest. Stage butterflies put their twiddle factors on the outputs, and
// the factor of a butterfly depends only on the index G of the block it works
// in: W1 = S[G], W2 = W1^2, W3 = W1^3, where S is the twiddle table, the first
// quadrant of exp(2 pi i t / M) stored in bit-reversed order. The same table
// serves every span and every shorter transform, which is why one table built
// for the longest transform of an object is enough.
//
// The arithmetic kernels are compiled twice: for the baseline instruction set
// and, where the compiler targets x86, for AVX2, which the transforms use when
// the processor and the operating system support it. On x86 the radix-4
// stages and the real transform's split step are written with SSE2 and AVX2
// vectors (FftKernelsX86.h, FftRealSplit.h); elsewhere the portable loops
// below serve. All of them perform the same IEEE operations in the same order
// (no fused multiply-add), so their results agree bit for bit; AVX2 only
// handles twice as many doubles at once, and for lengths up to 16384 doubles
// does the permutation and the first stage in one pass (Transform).
#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"
#include "dsp/FftRealSplit.h"
#if KEFO_FFT_X86
#include "dsp/FftKernelsX86.h"
#endif

#include "support/CallSiteMarker.h"

#include <cmath>

namespace kefo {

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KEFO_FFT_HAS_AVX2 1
#define KEFO_FFT_KERNEL __attribute__((always_inline)) inline
#define KEFO_FFT_AVX2 __attribute__((target("avx2")))
#else
#define KEFO_FFT_HAS_AVX2 0
#define KEFO_FFT_KERNEL inline
#endif

const double kPi = 3.14159265358979323846;

// Fills the scratch table with the bit-reversed offsets (in doubles) of the
// low half of an index's bits and returns their count m. twoMiddleBits tells
// whether the bits left between the reversed halves are two or one.
int BuildReversalTable(int n, int* s, bool& twoMiddleBits) {
    s[0] = 0;
    int l = n;
    int m = 1;
    while (8 * m < l) {
        l >>= 1;
        for (int j = 0; j < m; ++j) s[m + j] = s[j] + l;
        m <<= 1;
    }
    twoMiddleBits = (8 * m == l);
    return m;
}

// The middle bits of an index reversed, for one middle bit and for two.
const int kReversedMiddle[2][4] = {{0, 1, 0, 0}, {0, 2, 1, 3}};

// Swaps two complex values, multiplying both imaginary parts by sign
// (+1 or -1, so exact): written lane by lane for one vector per value.
inline void SwapPair(double* a, int p, int q, double sign) {
    const double pr = a[p] * 1.0;
    const double pi = a[p + 1] * sign;
    const double qr = a[q] * 1.0;
    const double qi = a[q + 1] * sign;
    a[p] = qr;
    a[p + 1] = qi;
    a[q] = pr;
    a[q + 1] = pi;
}

// Puts the n/2 complex values of a into bit-reversed order; with conjugate set
// it also negates every imaginary part. An index is split into low bits j,
// middle bits and high bits (the reverse of k); its partner swaps the roles of
// j and k and reverses the middle bits.
template <int kSet = 0>
KEFO_FFT_KERNEL void BitReverse(int n, int* s, double* a, bool conjugate) {
    bool twoMiddle = false;
    const int m = BuildReversalTable(n, s, twoMiddle);
    const int middleStep = 2 * m;  // doubles between consecutive middle values
    const int middles = twoMiddle ? 4 : 2;
    const int* rev = kReversedMiddle[twoMiddle ? 1 : 0];
#if KEFO_FFT_X86
    if constexpr (kSet == 2) {
        if (m >= 4 && twoMiddle) return fft_x86::BitReverseTilesAvx2<4>(m, s, a, conjugate);
        if (m >= 4) return fft_x86::BitReverseTilesAvx2<2>(m, s, a, conjugate);
    }
#endif
    const double sign = conjugate ? -1.0 : 1.0;
    const int tile = m < 4 ? m : 4;
    for (int k0 = 0; k0 < m; k0 += tile) {
        const int kEnd = k0 + tile;
        for (int j = 0; j < kEnd - 1; ++j) {
            const int kStart = j < k0 ? k0 : j + 1;
            for (int mid = 0; mid < middles; ++mid) {
                const int pj = 2 * j + middleStep * mid;
                const int qj = middleStep * rev[mid] + s[j];
                for (int k = kStart; k < kEnd; ++k) SwapPair(a, pj + s[k], 2 * k + qj, sign);
            }
        }
        for (int k = k0; k < kEnd; ++k) {
            for (int mid = 0; mid < middles; ++mid) {
                const int p = 2 * k + middleStep * mid + s[k];
                const int q = 2 * k + middleStep * rev[mid] + s[k];
                if (p < q) {
                    SwapPair(a, p, q, sign);
                } else if (p == q && conjugate) {
                    a[p + 1] = -a[p + 1];
                }
            }
        }
    }
}

// The first-quadrant values of a twiddle table of nw doubles in natural
// order: exp(2 pi i t / (2 nw)) for t < nw / 2 as (cos, sin) pairs.
void FillTwiddles(int nw, double* w) {
    w[0] = 1.0;
    w[1] = 0.0;
    if (nw > 2) {
        const int h = nw >> 1;
        const double delta = (kPi / 4.0) / h;
        w[h] = std::cos(delta * h);
        w[h + 1] = w[h];
        if (h > 2) {
            for (int j = 2; j < h; j += 2) {
                const double x = std::cos(delta * j);
                const double y = std::sin(delta * j);
                w[j] = x;
                w[j + 1] = y;
                w[nw - j] = y;
                w[nw - j + 1] = x;
            }
        }
    }
}

// The AVX2 transforms of up to 4 kFirstStageTwiddles doubles fuse the
// bit-reversal permutation with the first stage, whose twiddles they
// read from a table of their own: 3 doubles per twiddle double, behind the
// twiddles (nw doubles) and the room of the cosines (at most nw more). It
// is built with the twiddles, for the first kFirstStageTwiddles of them, and
// so serves every transform of that length or shorter that the twiddles do.
const int kFirstStageTwiddles = 4096;

int FirstStageTableOffset(int nw) {
    return 2 * nw;
}

bool FusesFirstStage(int n) {
    return n >= 256 && n <= 4 * kFirstStageTwiddles;
}

void BuildFirstStageTable(int nw, double* w) {
#if KEFO_FFT_X86
    const int covered = nw < kFirstStageTwiddles ? nw : kFirstStageTwiddles;
    fft_x86::BuildFirstStagePairs(covered / 4, w, w + FirstStageTableOffset(nw));
#else
    (void)nw;
    (void)w;
#endif
}

// Twiddle table of nw doubles: the values above, bit-reversed as nw / 2
// complex values.
void BuildTwiddles(int nw, int* ip, double* w) {
    ip[0] = nw;
    ip[1] = 1;  // the cosine table sits behind the twiddles: rebuild it too
    FillTwiddles(nw, w);
    if (nw > 2) BitReverse(nw, ip + 2, w, false);
    BuildFirstStageTable(nw, w);
}

// Halved cosine and sine table of nc doubles for the real transform's split.
void BuildCosines(int nc, int* ip, double* c) {
    ip[1] = nc;
    if (nc > 1) {
        const int h = nc >> 1;
        const double delta = (kPi / 4.0) / h;
        c[0] = std::cos(delta * h);
        c[h] = 0.5 * c[0];
        for (int j = 1; j < h; ++j) {
            c[j] = 0.5 * std::cos(delta * j);
            c[nc - j] = 0.5 * std::sin(delta * j);
        }
    }
}

// Both tables at once for twiddles of nw = 2 nc doubles: the cosine table's
// angles (pi / 4) j / (nc / 2) are the twiddles' (pi / 4) 2j / nw, the same
// doubles (the steps differ by a power of two), so its values are halves of
// twiddle values, taken before the twiddles are permuted: exactly what
// BuildCosines computes, without calling cos and sin again.
void BuildTwiddlesAndCosines(int nw, int* ip, double* w) {
    const int nc = nw >> 1;
    double* c = w + nw;
    ip[0] = nw;
    ip[1] = nc;
    FillTwiddles(nw, w);
    if (nc > 1) {
        const int h = nc >> 1;
        c[0] = w[nw >> 1];  // cos(pi / 4)
        c[h] = 0.5 * c[0];
        for (int j = 1; j < h; ++j) {
            c[j] = 0.5 * w[2 * j];
            c[nc - j] = 0.5 * w[2 * j + 1];
        }
    }
    if (nw > 2) BitReverse(nw, ip + 2, w, false);
    BuildFirstStageTable(nw, w);
}

// A twiddle factor W prepared for a product written lane by lane:
// (e.re * W.re + e.im * -W.im, e.im * W.re + e.re * W.im). Both lanes then do
// the same operations, so a compiler can keep one complex value in one
// vector register.
struct Twiddle {
    double re;   // W.re, for both lanes
    double nim;  // -W.im, paired with e.im in the real lane
    double im;   // W.im, paired with e.re in the imaginary lane
};

KEFO_FFT_KERNEL void Rotate(const double* e, const Twiddle& w, double* out) {
    const double re = e[0] * w.re + e[1] * w.nim;
    const double im = e[1] * w.re + e[0] * w.im;
    out[0] = re;
    out[1] = im;
}

// One radix-4 stage of span q complex values over the whole array of M
// complex values (M > 4q). Block G spans 4q complex values and multiplies its
// outputs 1..3 by W1, W2 and W3. Complex temporaries are (re, im) pairs.
KEFO_FFT_KERNEL void Radix4Stage(int n, int q, double* a, const double* w) {
    const int q2 = 2 * q;  // span in doubles
    const int block = 4 * q2;
    int g = 0;
    for (int base = 0; base < n; base += block, ++g) {
        double* x0 = a + base;
        double* x1 = x0 + q2;
        double* x2 = x1 + q2;
        double* x3 = x2 + q2;
        const double w1r = w[2 * g];
        const double w1i = w[2 * g + 1];
        // W2 = W1^2 is the table entry of block G / 2, turned by a quarter
        // for odd G.
        double w2r = w[2 * (g >> 1)];
        double w2i = w[2 * (g >> 1) + 1];
        if (g & 1) {
            const double t = w2r;
            w2r = -w2i;
            w2i = t;
        }
        const double w3r = w1r * w2r - w1i * w2i;
        const double w3i = w1r * w2i + w1i * w2r;
        const Twiddle t1{w1r, -w1i, w1i};
        const Twiddle t2{w2r, -w2i, w2i};
        const Twiddle t3{w3r, -w3i, w3i};
        for (int j = 0; j < q2; j += 2) {
            double sum01[2], diff01[2], sum23[2], diff23[2], out[2];
            sum01[0] = x0[j] + x1[j];
            sum01[1] = x0[j + 1] + x1[j + 1];
            diff01[0] = x0[j] - x1[j];
            diff01[1] = x0[j + 1] - x1[j + 1];
            sum23[0] = x2[j] + x3[j];
            sum23[1] = x2[j + 1] + x3[j + 1];
            diff23[0] = x2[j] - x3[j];
            diff23[1] = x2[j + 1] - x3[j + 1];
            x0[j] = sum01[0] + sum23[0];
            x0[j + 1] = sum01[1] + sum23[1];
            out[0] = sum01[0] - sum23[0];
            out[1] = sum01[1] - sum23[1];
            Rotate(out, t2, x2 + j);
            out[0] = diff01[0] - diff23[1];  // diff01 + i diff23
            out[1] = diff01[1] + diff23[0];
            Rotate(out, t1, x1 + j);
            out[0] = diff01[0] + diff23[1];  // diff01 - i diff23
            out[1] = diff01[1] - diff23[0];
            Rotate(out, t3, x3 + j);
        }
    }
}

// The first stage (span 1) has a different twiddle for every block of four
// values; it runs over groups of 16 doubles, two blocks (2P, 2P + 1) whose W2
// are S[P] and i S[P].
KEFO_FFT_KERNEL void FirstStage(int n, double* a, const double* w) {
    int p = 0;
    for (int base = 0; base < n; base += 16, ++p) {
        const double w2r = w[2 * p];
        const double w2i = w[2 * p + 1];
        for (int half = 0; half < 2; ++half) {
            double* x = a + base + 8 * half;
            const int g = 2 * p + half;
            const double w1r = w[2 * g];
            const double w1i = w[2 * g + 1];
            const double vr = half ? -w2i : w2r;  // W2, turned by a quarter for odd blocks
            const double vi = half ? w2r : w2i;
            const double w3r = w1r * vr - w1i * vi;
            const double w3i = w1r * vi + w1i * vr;
            const double ar = x[0] + x[2];
            const double ai = x[1] + x[3];
            const double br = x[0] - x[2];
            const double bi = x[1] - x[3];
            const double cr = x[4] + x[6];
            const double ci = x[5] + x[7];
            const double dr = x[4] - x[6];
            const double di = x[5] - x[7];
            x[0] = ar + cr;
            x[1] = ai + ci;
            const double er = ar - cr;
            const double ei = ai - ci;
            x[4] = vr * er - vi * ei;
            x[5] = vr * ei + vi * er;
            const double fr = br - di;
            const double fi = bi + dr;
            x[2] = w1r * fr - w1i * fi;
            x[3] = w1r * fi + w1i * fr;
            const double gr = br + di;
            const double gi = bi - dr;
            x[6] = w3r * gr - w3i * gi;
            x[7] = w3r * gi + w3i * gr;
        }
    }
}

// The last stage has a single block and no twiddles: radix-4 when four spans
// fill the array, radix-2 over two halves otherwise. sign = -1 delivers the
// conjugates of the results (the inverse transforms).
KEFO_FFT_KERNEL void LastStage(int n, int q, double* a, double sign) {
    const int q2 = 2 * q;
    if (4 * q2 == n) {
        double* x0 = a;
        double* x1 = x0 + q2;
        double* x2 = x1 + q2;
        double* x3 = x2 + q2;
        for (int j = 0; j < q2; j += 2) {
            const double ar = x0[j] + x1[j];
            const double ai = x0[j + 1] + x1[j + 1];
            const double br = x0[j] - x1[j];
            const double bi = x0[j + 1] - x1[j + 1];
            const double cr = x2[j] + x3[j];
            const double ci = x2[j + 1] + x3[j + 1];
            const double dr = x2[j] - x3[j];
            const double di = x2[j + 1] - x3[j + 1];
            x0[j] = ar + cr;
            x0[j + 1] = sign * (ai + ci);
            x2[j] = ar - cr;
            x2[j + 1] = sign * (ai - ci);
            x1[j] = br - di;
            x1[j + 1] = sign * (bi + dr);
            x3[j] = br + di;
            x3[j + 1] = sign * (bi - dr);
        }
    } else {
        const int half = n >> 1;
        double* x0 = a;
        double* x1 = a + half;
        for (int j = 0; j < half; j += 2) {
            const double ar = x0[j] + x1[j];
            const double ai = x0[j + 1] + x1[j + 1];
            const double br = x0[j] - x1[j];
            const double bi = x0[j + 1] - x1[j + 1];
            x0[j] = ar;
            x0[j + 1] = sign * ai;
            x1[j] = br;
            x1[j + 1] = sign * bi;
        }
    }
}

// The stages after the permutation; n doubles, n / 2 complex values. kSet
// names the kernels: 0 portable, 1 SSE2, 2 AVX2.
template <int kSet>
KEFO_FFT_KERNEL void RunStages(int n, double* a, const double* w, double lastSign,
                               const double* pairs = nullptr) {
    const int count = n >> 1;
    int q = pairs ? 4 : 1;
    if (q == 1 && 4 < count) {
#if KEFO_FFT_X86
        if constexpr (kSet == 2) {
            fft_x86::FirstStageAvx2(n, a, w);
        } else {
            FirstStage(n, a, w);
        }
#else
        FirstStage(n, a, w);
#endif
        q = 4;
    }
    while (4 * q < count) {
#if KEFO_FFT_X86
        if constexpr (kSet == 2) {
            if (pairs) {
                fft_x86::Radix4StageFromPairsAvx2(n, q, a, pairs);
            } else {
                fft_x86::Radix4StageAvx2(n, q, a, w);
            }
        } else if constexpr (kSet == 1) {
            fft_x86::Radix4StageSse2(n, q, a, w);
        } else {
            Radix4Stage(n, q, a, w);
        }
#else
        Radix4Stage(n, q, a, w);
#endif
        q *= 4;
    }
#if KEFO_FFT_X86
    if constexpr (kSet == 2) {
        if (8 * q != n || q >= 2) return fft_x86::LastStageAvx2(n, q, a, lastSign);
    }
#endif
    LastStage(n, q, a, lastSign);
}

// The permutation and every stage: with conjugate set the inputs' imaginary
// parts are negated first, with lastSign = -1 the results' are.
template <int kSet>
KEFO_FFT_KERNEL void Transform(int n, double* a, FftWorkArea& work, bool conjugate,
                               double lastSign) {
#if KEFO_FFT_X86
    if constexpr (kSet == 2) {
        if (FusesFirstStage(n)) {
            bool twoMiddle = false;
            int* s = work.intTable + 2;
            const int m = BuildReversalTable(n, s, twoMiddle);
            const double* w = work.doubleTable;
            const double* pairs = w + FirstStageTableOffset(work.intTable[0]);
            const int middles = twoMiddle ? 4 : 2;
            const int* rev = kReversedMiddle[twoMiddle ? 1 : 0];
            if (conjugate) {
                fft_x86::BitReverseFirstStageAvx2<true>(m, middles, rev, s, a, pairs);
            } else {
                fft_x86::BitReverseFirstStageAvx2<false>(m, middles, rev, s, a, pairs);
            }
            return RunStages<kSet>(n, a, w, lastSign, pairs);
        }
    }
#endif
    BitReverse<kSet>(n, work.intTable + 2, a, conjugate);
    RunStages<kSet>(n, a, work.doubleTable, lastSign);
}

void EnsureTwiddles(int n, FftWorkArea& work) {
    if (n > 4 * work.intTable[0]) BuildTwiddles(n >> 2, work.intTable, work.doubleTable);
}

void EnsureCosines(int n, FftWorkArea& work) {
    if (n > 4 * work.intTable[1]) {
        BuildCosines(n >> 2, work.intTable, work.doubleTable + work.intTable[0]);
    }
}

// The split steps and the fused filter pass on the kernels of one
// instruction set: 0 scalar, 1 SSE2, 2 AVX2 (FftRealSplit.h).
template <int kSet, bool kForward, bool kInverse>
KEFO_FFT_KERNEL void Split(int n, double* a, const double* h, const fft_split::SplitTable& t) {
#if KEFO_FFT_X86
    if constexpr (kSet == 2) return fft_split::Split4<kForward, kInverse>(n, a, h, t);
    if constexpr (kSet == 1) return fft_split::Split2<kForward, kInverse>(n, a, h, t);
#endif
    if constexpr (kForward && kInverse) return fft_split::FilterScalar(n, a, h, t);
    if constexpr (kForward) return fft_split::ForwardScalar(n, a, t);
    fft_split::InverseScalar(n, a, t);
}

template <int kSet>
KEFO_FFT_KERNEL void ComplexFftBody(int n, int direction, double* a, FftWorkArea& work) {
    EnsureTwiddles(n, work);
    const bool inverse = direction < 0;
    Transform<kSet>(n, a, work, inverse, inverse ? -1.0 : 1.0);
}

fft_split::SplitTable PrepareReal(int n, FftWorkArea& work) {
    EnsureTwiddles(n, work);
    EnsureCosines(n, work);
    const int nc = work.intTable[1];
    return fft_split::SplitTable{nc, 2 * nc / (n >> 1), work.doubleTable + work.intTable[0]};
}

// Forward: the half-length complex transform of the (even, odd) pairs, then
// the split for the bins 1 .. n/2 - 1 and the sum and difference of bins 0
// and n/2 packed into a[0] and a[1].
template <int kSet>
KEFO_FFT_KERNEL void RealForward(int n, double* a, FftWorkArea& work,
                                 const fft_split::SplitTable& t) {
    Transform<kSet>(n, a, work, false, 1.0);
    Split<kSet, true, false>(n, a, nullptr, t);
    const double sum = a[0] + a[1];
    a[1] = a[0] - a[1];
    a[0] = sum;
}

// Inverse: the split run backwards delivers the conjugated half-length
// spectrum (the middle bin conjugated here), which the complex transform with
// conjugated outputs turns back into the samples.
template <int kSet>
KEFO_FFT_KERNEL void RealInverse(int n, double* a, FftWorkArea& work,
                                 const fft_split::SplitTable& t, bool split) {
    if (split) {
        a[1] = 0.5 * (a[0] - a[1]);
        a[0] -= a[1];
        a[1] = -a[1];
        Split<kSet, false, true>(n, a, nullptr, t);
    }
    a[(n >> 1) + 1] = -a[(n >> 1) + 1];
    Transform<kSet>(n, a, work, false, -1.0);
}

template <int kSet>
KEFO_FFT_KERNEL void RealFftBody(int n, int direction, double* a, FftWorkArea& work) {
    const fft_split::SplitTable t = PrepareReal(n, work);
    if (direction >= 0) {
        RealForward<kSet>(n, a, work, t);
    } else {
        RealInverse<kSet>(n, a, work, t, true);
    }
}

// Forward transform, product and inverse transform with the three passes over
// the spectrum fused into one: every value meets the same operations in the
// same order as in RealFft, multiply, RealFft.
template <int kSet>
KEFO_FFT_KERNEL void RealFilterBody(int n, double* a, const double* h, FftWorkArea& work) {
    const fft_split::SplitTable t = PrepareReal(n, work);
    Transform<kSet>(n, a, work, false, 1.0);
    const double sum = a[0] + a[1];
    const double difference = a[0] - a[1];
    a[0] = sum * h[0];
    a[1] = difference * h[n];
    fft_split::MultiplyBin(a, h, n >> 1);
    Split<kSet, true, true>(n, a, h, t);
    a[1] = 0.5 * (a[0] - a[1]);
    a[0] -= a[1];
    a[1] = -a[1];
    RealInverse<kSet>(n, a, work, t, false);
}

void ComplexFftSse2(int n, int direction, double* a, FftWorkArea& work) {
    ComplexFftBody<KEFO_FFT_X86>(n, direction, a, work);
}

void RealFftSse2(int n, int direction, double* a, FftWorkArea& work) {
    RealFftBody<KEFO_FFT_X86>(n, direction, a, work);
}

void RealFilterSse2(int n, double* a, const double* h, FftWorkArea& work) {
    RealFilterBody<KEFO_FFT_X86>(n, a, h, work);
}

#if KEFO_FFT_HAS_AVX2
KEFO_FFT_AVX2 void ComplexFftAvx2(int n, int direction, double* a, FftWorkArea& work) {
    ComplexFftBody<2>(n, direction, a, work);
}

KEFO_FFT_AVX2 void RealFftAvx2(int n, int direction, double* a, FftWorkArea& work) {
    RealFftBody<2>(n, direction, a, work);
}

KEFO_FFT_AVX2 void RealFilterAvx2(int n, double* a, const double* h, FftWorkArea& work) {
    RealFilterBody<2>(n, a, h, work);
}
#endif

bool ProcessorRunsAvx2() {
#if KEFO_FFT_HAS_AVX2
    // Also tells whether the operating system saves the AVX registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace

bool FftIsaAvailable(FftIsa isa) {
    KEFO_MARK_FILL();
    static const bool avx2 = ProcessorRunsAvx2();
    return isa == FftIsa::Sse2 || (isa == FftIsa::Avx2 && avx2);
}

FftIsa FftFastestIsa() {
    KEFO_MARK_FILL();
    return FftIsaAvailable(FftIsa::Avx2) ? FftIsa::Avx2 : FftIsa::Sse2;
}

void FftBuildTables(int n, FftWorkArea& work) {
    KEFO_MARK_FILL();
    if (n > 2 * work.intTable[0]) {  // twiddles for 2n, and cosines behind them
        BuildTwiddlesAndCosines(n >> 1, work.intTable, work.doubleTable);
        return;
    }
    EnsureTwiddles(2 * n, work);
    EnsureCosines(n, work);
}

int FftIntTableSize(int n) {
    KEFO_MARK_FILL();
    return static_cast<int>(std::sqrt(static_cast<double>(n))) + 2;
}

int FftDoubleTableSize(int n) {
    KEFO_MARK_FILL();
    // Twiddles for the complex transform of 2n (n / 2), the cosines' room
    // behind them (n / 2), then the first stage's twiddles.
    const int nw = n / 2;
    return 2 * nw + 3 * (nw < kFirstStageTwiddles ? nw : kFirstStageTwiddles);
}

void ComplexFft(FftIsa isa, int n, int direction, double* a, FftWorkArea& work) {
    KEFO_MARK_FILL();
#if KEFO_FFT_HAS_AVX2
    if (isa == FftIsa::Avx2 && FftIsaAvailable(isa)) return ComplexFftAvx2(n, direction, a, work);
#endif
    ComplexFftSse2(n, direction, a, work);
}

void RealFft(FftIsa isa, int n, int direction, double* a, FftWorkArea& work) {
    KEFO_MARK_FILL();
#if KEFO_FFT_HAS_AVX2
    if (isa == FftIsa::Avx2 && FftIsaAvailable(isa)) return RealFftAvx2(n, direction, a, work);
#endif
    RealFftSse2(n, direction, a, work);
}

void RealFftFilter(FftIsa isa, int n, double* a, const double* h, FftWorkArea& work) {
    KEFO_MARK_FILL();
#if KEFO_FFT_HAS_AVX2
    if (isa == FftIsa::Avx2 && FftIsaAvailable(isa)) return RealFilterAvx2(n, a, h, work);
#endif
    RealFilterSse2(n, a, h, work);
}

void ComplexFft(int n, int direction, double* a, FftWorkArea& work) {
    KEFO_MARK_FILL();
    ComplexFft(FftFastestIsa(), n, direction, a, work);
}

void RealFft(int n, int direction, double* a, FftWorkArea& work) {
    KEFO_MARK_FILL();
    RealFft(FftFastestIsa(), n, direction, a, work);
}

void RealFftFilter(int n, double* a, const double* h, FftWorkArea& work) {
    KEFO_MARK_FILL();
    RealFftFilter(FftFastestIsa(), n, a, h, work);
}

}  // namespace kefo
