// Kernels of FftCore.cpp written with x86 vectors, included by that file
// alone: the radix-4 stages (SSE2 with one complex value per vector, AVX2 with
// one per 128-bit lane, two butterflies per step), the first stage and the
// bit-reversal permutation on AVX2, and on AVX2 the two in one pass, with the
// first stage's twiddles from a table built once. They perform the operations
// of the portable kernels in the same order, so results agree bit for bit; being
// explicit keeps the loops short and within the eight vector registers of
// 32-bit code (twiddle vectors are read from memory operands).
#pragma once

#include <immintrin.h>

namespace kefo {
namespace fft_x86 {

// Twiddle factors of block g of a stage: W1 = S[g], W2 = W1^2 (the entry of
// block g / 2, turned by a quarter for odd g), W3 = W1 W2.
struct BlockTwiddles {
    double r1, i1, r2, i2, r3, i3;
};

inline BlockTwiddles TwiddlesOfBlock(const double* w, int g) {
    BlockTwiddles t;
    t.r1 = w[2 * g];
    t.i1 = w[2 * g + 1];
    t.r2 = w[2 * (g >> 1)];
    t.i2 = w[2 * (g >> 1) + 1];
    if (g & 1) {
        const double turned = t.r2;
        t.r2 = -t.i2;
        t.i2 = turned;
    }
    t.r3 = t.r1 * t.r2 - t.i1 * t.i2;
    t.i3 = t.r1 * t.i2 + t.i1 * t.r2;
    return t;
}

// The first stage's twiddles of block pair P, as FirstStageAvx2 computes
// them: W1, W2 and W3, each 4 doubles (re, im) of block 2P then of 2P + 1.
// Scalar code with the vector lanes' operations, so that a processor without
// AVX2 can build the table too.
constexpr int kFirstStagePairDoubles = 12;

inline void BuildFirstStagePairs(int pairs, const double* w, double* t) {
    for (int p = 0; p < pairs; ++p) {
        const double* w1 = w + 4 * p;
        const double w2[4] = {w[2 * p], w[2 * p + 1], -w[2 * p + 1], w[2 * p]};
        const double r1[4] = {w1[0], w1[0], w1[2], w1[2]};
        const double i1[4] = {-w1[1], w1[1], -w1[3], w1[3]};
        double* o = t + kFirstStagePairDoubles * p;
        for (int e = 0; e < 4; ++e) {
            o[e] = w1[e];
            o[4 + e] = w2[e];
            o[8 + e] = w2[e] * r1[e] + w2[e ^ 1] * i1[e];
        }
    }
}

// e times W, lane by lane: (e.re W.re + e.im (-W.im), e.im W.re + e.re W.im),
// with r = W.re in every lane and i = (-W.im, W.im) per complex value.
inline __m128d Rotate2(__m128d e, __m128d r, __m128d i) {
    return _mm_add_pd(_mm_mul_pd(e, r), _mm_mul_pd(_mm_shuffle_pd(e, e, 1), i));
}

inline void Radix4StageSse2(int n, int q, double* a, const double* w) {
    const int q2 = 2 * q;
    const __m128d reSign = _mm_set_pd(0.0, -0.0);
    const __m128d imSign = _mm_set_pd(-0.0, 0.0);
    int g = 0;
    for (int base = 0; base < n; base += 4 * q2, ++g) {
        double* x0 = a + base;
        double* x1 = x0 + q2;
        double* x2 = x1 + q2;
        double* x3 = x2 + q2;
        const BlockTwiddles t = TwiddlesOfBlock(w, g);
        const __m128d r1 = _mm_set1_pd(t.r1), i1 = _mm_set_pd(t.i1, -t.i1);
        const __m128d r2 = _mm_set1_pd(t.r2), i2 = _mm_set_pd(t.i2, -t.i2);
        const __m128d r3 = _mm_set1_pd(t.r3), i3 = _mm_set_pd(t.i3, -t.i3);
        for (int j = 0; j < q2; j += 2) {
            const __m128d a0 = _mm_loadu_pd(x0 + j);
            const __m128d a1 = _mm_loadu_pd(x1 + j);
            const __m128d a2 = _mm_loadu_pd(x2 + j);
            const __m128d a3 = _mm_loadu_pd(x3 + j);
            const __m128d sum01 = _mm_add_pd(a0, a1);
            const __m128d diff01 = _mm_sub_pd(a0, a1);
            const __m128d sum23 = _mm_add_pd(a2, a3);
            const __m128d diff23 = _mm_sub_pd(a2, a3);
            _mm_storeu_pd(x0 + j, _mm_add_pd(sum01, sum23));
            _mm_storeu_pd(x2 + j, Rotate2(_mm_sub_pd(sum01, sum23), r2, i2));
            const __m128d turned = _mm_shuffle_pd(diff23, diff23, 1);  // (d.im, d.re)
            // diff01 + i diff23 and diff01 - i diff23
            _mm_storeu_pd(x1 + j, Rotate2(_mm_add_pd(diff01, _mm_xor_pd(turned, reSign)), r1, i1));
            _mm_storeu_pd(x3 + j, Rotate2(_mm_add_pd(diff01, _mm_xor_pd(turned, imSign)), r3, i3));
        }
    }
}

__attribute__((target("avx2"))) inline __m256d Rotate4(__m256d e, __m256d r, __m256d i) {
    return _mm256_add_pd(_mm256_mul_pd(e, r), _mm256_mul_pd(_mm256_permute_pd(e, 5), i));
}

// Rotate4 with im = W.im in every lane: (e.re W.re - e.im W.im, e.im W.re +
// e.re W.im) by addsub, the bits of Rotate4, since x + (-y) is x - y exactly.
__attribute__((target("avx2"))) inline __m256d RotateBySum(__m256d e, __m256d r, __m256d im) {
    return _mm256_addsub_pd(_mm256_mul_pd(e, r), _mm256_mul_pd(_mm256_permute_pd(e, 5), im));
}

// RotateBySum by the twiddles at w, (re, im) of two complex values.
__attribute__((target("avx2"))) inline __m256d RotateByTwiddles(__m256d e, const double* w) {
    const __m256d v = _mm256_loadu_pd(w);
    return RotateBySum(e, _mm256_movedup_pd(v), _mm256_permute_pd(v, 15));
}

// The radix-4 butterfly of four vectors of complex values, before any
// twiddle: y0 = (a0 + a1) + (a2 + a3), y2 = (a0 + a1) - (a2 + a3),
// y1 = (a0 - a1) + i (a2 - a3) and y3 = (a0 - a1) - i (a2 - a3).
struct Radix4Outputs {
    __m256d y0, y1, y2, y3;
};

__attribute__((target("avx2"), always_inline)) inline Radix4Outputs Radix4Butterfly(__m256d a0,
                                                                                    __m256d a1,
                                                                                    __m256d a2,
                                                                                    __m256d a3) {
    const __m256d imSign = _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
    const __m256d sum01 = _mm256_add_pd(a0, a1);
    const __m256d diff01 = _mm256_sub_pd(a0, a1);
    const __m256d sum23 = _mm256_add_pd(a2, a3);
    const __m256d turned = _mm256_permute_pd(_mm256_sub_pd(a2, a3), 5);  // (d.im, d.re)
    // diff01 + i diff23 is (re - im, im + re): an addsub.
    return Radix4Outputs{_mm256_add_pd(sum01, sum23), _mm256_addsub_pd(diff01, turned),
                         _mm256_sub_pd(sum01, sum23),
                         _mm256_add_pd(diff01, _mm256_xor_pd(turned, imSign))};
}

// Where Radix4BlockAvx2 takes a block's twiddles from: vectors held for the
// whole block, W's real part and imaginary part in every lane ...
struct HeldTwiddles {
    __m256d r1, i1, r2, i2, r3, i3;
    __attribute__((target("avx2"))) __m256d R1() const { return r1; }
    __attribute__((target("avx2"))) __m256d I1() const { return i1; }
    __attribute__((target("avx2"))) __m256d R2() const { return r2; }
    __attribute__((target("avx2"))) __m256d I2() const { return i2; }
    __attribute__((target("avx2"))) __m256d R3() const { return r3; }
    __attribute__((target("avx2"))) __m256d I3() const { return i3; }
};

// ... or the first stage's table (block pair g / 2, block g & 1), broadcast at
// each use. The block's stores may alias the table, so every use is a load.
struct TableTwiddles {
    const double* v;
    TableTwiddles(const double* t, int g)
        : v(t + kFirstStagePairDoubles * (g >> 1) + 2 * (g & 1)) {}
    __attribute__((target("avx2"))) __m256d R1() const { return _mm256_broadcast_sd(v); }
    __attribute__((target("avx2"))) __m256d I1() const { return _mm256_broadcast_sd(v + 1); }
    __attribute__((target("avx2"))) __m256d R2() const { return _mm256_broadcast_sd(v + 4); }
    __attribute__((target("avx2"))) __m256d I2() const { return _mm256_broadcast_sd(v + 5); }
    __attribute__((target("avx2"))) __m256d R3() const { return _mm256_broadcast_sd(v + 8); }
    __attribute__((target("avx2"))) __m256d I3() const { return _mm256_broadcast_sd(v + 9); }
    __attribute__((target("avx2"))) HeldTwiddles Held() const {
        return HeldTwiddles{R1(), I1(), R2(), I2(), R3(), I3()};
    }
};

// The butterflies of one block of a radix-4 stage whose spans hold q2 >= 4
// doubles each, from x0 on; outputs 1, 2 and 3 are multiplied by W1, W2 and W3.
// Radix4Butterfly's operations, written out so that each output is rotated
// and stored before the next is computed: with all four computed first, the
// stages of 32-bit code (eight vector registers) ran 9-11 % slower.
template <typename Twiddles>
__attribute__((target("avx2"), always_inline)) inline void Radix4BlockAvx2(double* x0, int q2,
                                                                           const Twiddles& w) {
    const __m256d imSign = _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
    double* x1 = x0 + q2;
    double* x2 = x1 + q2;
    double* x3 = x2 + q2;
    for (int j = 0; j < q2; j += 4) {
        const __m256d a0 = _mm256_loadu_pd(x0 + j);
        const __m256d a1 = _mm256_loadu_pd(x1 + j);
        const __m256d a2 = _mm256_loadu_pd(x2 + j);
        const __m256d a3 = _mm256_loadu_pd(x3 + j);
        const __m256d sum01 = _mm256_add_pd(a0, a1);
        const __m256d diff01 = _mm256_sub_pd(a0, a1);
        const __m256d sum23 = _mm256_add_pd(a2, a3);
        const __m256d diff23 = _mm256_sub_pd(a2, a3);
        _mm256_storeu_pd(x0 + j, _mm256_add_pd(sum01, sum23));
        _mm256_storeu_pd(x2 + j, RotateBySum(_mm256_sub_pd(sum01, sum23), w.R2(), w.I2()));
        const __m256d turned = _mm256_permute_pd(diff23, 5);  // (d.im, d.re) per value
        // diff01 + i diff23 (re - im, im + re) and diff01 - i diff23
        _mm256_storeu_pd(x1 + j, RotateBySum(_mm256_addsub_pd(diff01, turned), w.R1(), w.I1()));
        _mm256_storeu_pd(x3 + j, RotateBySum(_mm256_add_pd(diff01, _mm256_xor_pd(turned, imSign)),
                                             w.R3(), w.I3()));
    }
}

// Spans of at least two complex values (every stage after the first), the
// twiddles of block g taken from the first stage's table (block pair g / 2),
// which holds the values Radix4StageAvx2 computes. Held in registers for the
// block, except in 32-bit code at span 4 (two steps per block): with eight
// vector registers they would go to the stack and back for just two steps,
// and broadcasting them at each use is faster.
__attribute__((target("avx2"))) inline void Radix4StageFromPairsAvx2(int n, int q, double* a,
                                                                     const double* t) {
    const int q2 = 2 * q;
#if defined(__i386__)
    if (q2 == 8) {
        for (int base = 0, g = 0; base < n; base += 32, ++g) {
            Radix4BlockAvx2(a + base, 8, TableTwiddles(t, g));
        }
        return;
    }
#endif
    for (int base = 0, g = 0; base < n; base += 4 * q2, ++g) {
        Radix4BlockAvx2(a + base, q2, TableTwiddles(t, g).Held());
    }
}

// Spans of at least two complex values (every stage after the first).
__attribute__((target("avx2"))) inline void Radix4StageAvx2(int n, int q, double* a,
                                                            const double* w) {
    const int q2 = 2 * q;
    const __m256d reSign = _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    int g = 0;
    for (int base = 0; base < n; base += 4 * q2, ++g) {
        // The twiddles of TwiddlesOfBlock as vectors: W2 turned by a quarter
        // for odd g is (-im, re); W3 = W2 W1 lane by lane, which performs the
        // scalar product's operations in the same order.
        const __m256d w1 = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 2 * g));
        __m256d w2 = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 2 * (g >> 1)));
        if (g & 1) w2 = _mm256_xor_pd(_mm256_permute_pd(w2, 5), reSign);
        const __m256d r1 = _mm256_movedup_pd(w1);
        const __m256d i1 = _mm256_permute_pd(w1, 15);
        const __m256d w3 = RotateBySum(w2, r1, i1);
        Radix4BlockAvx2(a + base, q2,
                        HeldTwiddles{r1, i1, _mm256_movedup_pd(w2), _mm256_permute_pd(w2, 15),
                                     _mm256_movedup_pd(w3), _mm256_permute_pd(w3, 15)});
    }
}

// The first stage (span 1) over groups of 16 doubles: blocks 2P and 2P + 1,
// whose W1 are S[2P] and S[2P + 1] and whose W2 are S[P] and i S[P], run side
// by side, block 2P in the low lanes and 2P + 1 in the high ones.
__attribute__((target("avx2"))) inline void FirstStageAvx2(int n, double* a, const double* w) {
    const __m256d reSign = _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    const __m256d highReSign = _mm256_set_pd(0.0, -0.0, 0.0, 0.0);
    int p = 0;
    for (int base = 0; base < n; base += 16, ++p) {
        double* x = a + base;
        // (W1 of 2P, W1 of 2P + 1), then W2 = (S[P], i S[P]) and W3 = W1 W2.
        const __m256d w1 = _mm256_loadu_pd(w + 4 * p);
        const __m256d r1 = _mm256_movedup_pd(w1);
        const __m256d i1 = _mm256_xor_pd(_mm256_permute_pd(w1, 15), reSign);
        const __m256d s = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 2 * p));
        const __m256d w2 = _mm256_xor_pd(_mm256_permute_pd(s, 6), highReSign);
        const __m256d w3 = Rotate4(w2, r1, i1);
        // Values 0..3 of both blocks: (x0 of 2P, x0 of 2P + 1) and so on.
        const __m256d low01 = _mm256_loadu_pd(x);
        const __m256d low23 = _mm256_loadu_pd(x + 4);
        const __m256d high01 = _mm256_loadu_pd(x + 8);
        const __m256d high23 = _mm256_loadu_pd(x + 12);
        const Radix4Outputs y = Radix4Butterfly(_mm256_permute2f128_pd(low01, high01, 0x20),
                                                _mm256_permute2f128_pd(low01, high01, 0x31),
                                                _mm256_permute2f128_pd(low23, high23, 0x20),
                                                _mm256_permute2f128_pd(low23, high23, 0x31));
        const __m256d out0 = y.y0;
        const __m256d out2 =
            Rotate4(y.y2, _mm256_movedup_pd(w2), _mm256_xor_pd(_mm256_permute_pd(w2, 15), reSign));
        const __m256d out1 = Rotate4(y.y1, r1, i1);
        const __m256d out3 =
            Rotate4(y.y3, _mm256_movedup_pd(w3), _mm256_xor_pd(_mm256_permute_pd(w3, 15), reSign));
        _mm256_storeu_pd(x, _mm256_permute2f128_pd(out0, out1, 0x20));
        _mm256_storeu_pd(x + 4, _mm256_permute2f128_pd(out2, out3, 0x20));
        _mm256_storeu_pd(x + 8, _mm256_permute2f128_pd(out0, out1, 0x31));
        _mm256_storeu_pd(x + 12, _mm256_permute2f128_pd(out2, out3, 0x31));
    }
}

// Value j of source rows low and high as one vector (low lanes from low),
// multiplied by (1, -1) when kConjugate is set, as BitReverse does.
template <bool kConjugate>
__attribute__((target("avx2"), always_inline)) inline __m256d LoadRowPair(const double* low,
                                                                          const double* high) {
    const __m256d x =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(low)), _mm_loadu_pd(high), 1);
    if constexpr (kConjugate) return _mm256_mul_pd(x, _mm256_set_pd(-1.0, 1.0, -1.0, 1.0));
    return x;
}

// The first stage of one 8 x 8 tile of the bit-reversal permutation, done as
// the values move: the four values of a destination block are lane j of four
// source rows. Source row i starts at src + srcRows[i]; destination row j at
// a + dst + dstRows[j], and its blocks 2P and 2P + 1 are its first and last
// four values, P = (dst + dstRows[j]) / 16. Each value moves once, conjugated
// first when kConjugate is set, and then meets FirstStageAvx2's operations
// with the twiddles of table t.
template <bool kConjugate>
__attribute__((target("avx2"), always_inline)) inline void FirstStageOfTile(
    double* a, const double* src, const int* srcRows, int dst, const int* dstRows,
    const double* t) {
    for (int j = 0; j < 16; j += 2) {
        // (value of block 2P, value of block 2P + 1): source rows i and i + 4.
        const double* s = src + j;
        const Radix4Outputs y =
            Radix4Butterfly(LoadRowPair<kConjugate>(s + srcRows[0], s + srcRows[4]),
                            LoadRowPair<kConjugate>(s + srcRows[1], s + srcRows[5]),
                            LoadRowPair<kConjugate>(s + srcRows[2], s + srcRows[6]),
                            LoadRowPair<kConjugate>(s + srcRows[3], s + srcRows[7]));
        const int out = dst + dstRows[j >> 1];
        const double* v = t + kFirstStagePairDoubles * (out >> 4);
        const __m256d out0 = y.y0;
        const __m256d out2 = RotateByTwiddles(y.y2, v + 4);
        const __m256d out1 = RotateByTwiddles(y.y1, v);
        const __m256d out3 = RotateByTwiddles(y.y3, v + 8);
        double* x = a + out;
        _mm256_storeu_pd(x, _mm256_permute2f128_pd(out0, out1, 0x20));
        _mm256_storeu_pd(x + 4, _mm256_permute2f128_pd(out2, out3, 0x20));
        _mm256_storeu_pd(x + 8, _mm256_permute2f128_pd(out0, out1, 0x31));
        _mm256_storeu_pd(x + 12, _mm256_permute2f128_pd(out2, out3, 0x31));
    }
}

// BitReverse and FirstStageAvx2 in one pass, over 8 x 8 tiles (m >= 8): the
// tile of low bits [j0, j0 + 8), high bits [k0, k0 + 8) and middle value mid
// and its partner (low and high swapped, middle reversed) trade places. The
// partner is copied aside first, since the first tile's results land on it.
// rev holds the reversed middle values.
template <bool kConjugate>
__attribute__((target("avx2"))) inline void BitReverseFirstStageAvx2(int m, int middles,
                                                                     const int* rev, const int* s,
                                                                     double* a, const double* t) {
    double aside[8 * 16];
    static const int kAsideRows[8] = {0, 16, 32, 48, 64, 80, 96, 112};
    const int step = 2 * m;  // doubles between consecutive middle values
    for (int mid = 0; mid < middles; ++mid) {
        const int back = rev[mid];
        for (int k0 = 0; k0 < m; k0 += 8) {
            for (int j0 = 0; j0 <= k0; j0 += 8) {
                if (j0 == k0 && back < mid) continue;  // done as the partner's partner
                // Tile: rows s[k0 + i] at 2 j0 + step mid; partner: rows
                // s[j0 + i] at 2 k0 + step back.
                const int tile = 2 * j0 + step * mid;
                const int partner = 2 * k0 + step * back;
                for (int r = 0; r < 8; ++r) {
                    const double* from = a + partner + s[j0 + r];
                    for (int d = 0; d < 16; d += 4) {
                        _mm256_storeu_pd(aside + 16 * r + d, _mm256_loadu_pd(from + d));
                    }
                }
                if (tile != partner) {
                    FirstStageOfTile<kConjugate>(a, a + tile, s + k0, partner, s + j0, t);
                }
                FirstStageOfTile<kConjugate>(a, aside, kAsideRows, tile, s + k0, t);
            }
        }
    }
}

// The bit-reversal permutation of FftCore.cpp's BitReverse in 4 x 4 tiles:
// for low bits j in [j0, j0 + 4) and reversed high bits k in [k0, k0 + 4) the
// value at 2j + step * mid + s[k] trades places with the one at
// 2k + step * rev[mid] + s[j], so each tile is a 4 x 4 transpose of complex
// values whose rows are contiguous. It runs in 2 x 2 blocks (two vectors per
// side), which keeps eight vector registers enough, with all middle values of
// a block at once, which keeps few integers live. Each value moves once and
// is multiplied by (1, sign), as in the portable version; needs m >= 4.
__attribute__((target("avx2"))) inline void SwapBlocks(double* a, int p0, int p1, int q0, int q1,
                                                       __m256d conj, bool conjugate) {
    const __m256d p0v = _mm256_loadu_pd(a + p0);
    const __m256d p1v = _mm256_loadu_pd(a + p1);
    const __m256d q0v = _mm256_loadu_pd(a + q0);
    const __m256d q1v = _mm256_loadu_pd(a + q1);
    __m256d np0 = _mm256_permute2f128_pd(q0v, q1v, 0x20);
    __m256d np1 = _mm256_permute2f128_pd(q0v, q1v, 0x31);
    __m256d nq0 = _mm256_permute2f128_pd(p0v, p1v, 0x20);
    __m256d nq1 = _mm256_permute2f128_pd(p0v, p1v, 0x31);
    if (conjugate) {
        np0 = _mm256_mul_pd(np0, conj);
        np1 = _mm256_mul_pd(np1, conj);
        nq0 = _mm256_mul_pd(nq0, conj);
        nq1 = _mm256_mul_pd(nq1, conj);
    }
    _mm256_storeu_pd(a + p0, np0);
    _mm256_storeu_pd(a + p1, np1);
    _mm256_storeu_pd(a + q0, nq0);
    _mm256_storeu_pd(a + q1, nq1);
}

// The middle values of one 2 x 2 block: with kMiddles = 4 the middle bits
// reverse 1 into 2, otherwise every middle value is its own partner. On a
// diagonal tile (j0 = k0) a pair of middle values that reverse into each other
// is one swap, done by the smaller, and a self-partnered middle value is one
// transpose, done by the blocks on and above the diagonal.
template <int kMiddles>
__attribute__((target("avx2"))) inline void SwapMiddles(double* a, int p0, int p1, int q0, int q1,
                                                        int step, bool diagonal, bool below,
                                                        __m256d conj, bool conjugate) {
    constexpr int kRev[4] = {0, kMiddles == 4 ? 2 : 1, 1, 3};
    for (int mid = 0; mid < kMiddles; ++mid) {
        const int rev = kRev[mid];
        if (diagonal && (rev < mid || (rev == mid && below))) continue;
        const int p = step * mid;
        const int q = step * rev;
        SwapBlocks(a, p0 + p, p1 + p, q0 + q, q1 + q, conj, conjugate);
    }
}

template <int kMiddles>
__attribute__((target("avx2"))) inline void BitReverseTilesAvx2(int m, const int* s, double* a,
                                                                bool conjugate) {
    const __m256d conj = _mm256_set_pd(-1.0, 1.0, -1.0, 1.0);
    const int step = 2 * m;  // doubles between consecutive middle values
    for (int k0 = 0; k0 < m; k0 += 4) {
        for (int j0 = 0; j0 <= k0; j0 += 4) {
            const bool diagonal = j0 == k0;
            for (int r = 0; r < 2; ++r) {
                for (int c = 0; c < 2; ++c) {
                    const int k = k0 + 2 * r;
                    const int j = j0 + 2 * c;
                    SwapMiddles<kMiddles>(a, 2 * j + s[k], 2 * j + s[k + 1], 2 * k + s[j],
                                          2 * k + s[j + 1], step, diagonal, r > c, conj, conjugate);
                }
            }
        }
    }
}

__attribute__((target("avx2"))) inline void StoreSigned(double* p, __m256d v, __m256d conj,
                                                        bool inverse) {
    _mm256_storeu_pd(p, inverse ? _mm256_mul_pd(v, conj) : v);
}

// The last stage: no twiddles, radix-4 when four spans of q2 >= 4 doubles fill
// the array and radix-2 over two halves otherwise; the imaginary parts of the
// results are multiplied by sign, as in the portable LastStage.
__attribute__((target("avx2"))) inline void LastStageAvx2(int n, int q, double* a, double sign) {
    const int q2 = 2 * q;
    const __m256d conj = _mm256_set_pd(sign, 1.0, sign, 1.0);
    const bool inverse = sign != 1.0;
    if (4 * q2 == n) {
        double* x0 = a;
        double* x1 = x0 + q2;
        double* x2 = x1 + q2;
        double* x3 = x2 + q2;
        for (int j = 0; j < q2; j += 4) {
            const Radix4Outputs y =
                Radix4Butterfly(_mm256_loadu_pd(x0 + j), _mm256_loadu_pd(x1 + j),
                                _mm256_loadu_pd(x2 + j), _mm256_loadu_pd(x3 + j));
            StoreSigned(x0 + j, y.y0, conj, inverse);
            StoreSigned(x2 + j, y.y2, conj, inverse);
            StoreSigned(x1 + j, y.y1, conj, inverse);
            StoreSigned(x3 + j, y.y3, conj, inverse);
        }
    } else {
        double* x0 = a;
        double* x1 = a + (n >> 1);
        for (int j = 0; j < (n >> 1); j += 4) {
            const __m256d a0 = _mm256_loadu_pd(x0 + j);
            const __m256d a1 = _mm256_loadu_pd(x1 + j);
            StoreSigned(x0 + j, _mm256_add_pd(a0, a1), conj, inverse);
            StoreSigned(x1 + j, _mm256_sub_pd(a0, a1), conj, inverse);
        }
    }
}

}  // namespace fft_x86
}  // namespace kefo
