// The real transform's split step, included by FftCore.cpp alone: it turns
// the half-length complex spectrum of (even, odd) sample pairs into the packed
// real spectrum (forward) and back (inverse). Bins k and n/2 - k form a pair
// that only reads and writes itself, so a forward split, a product with a
// filter's spectrum and an inverse split can run pair by pair in one pass
// (RealFftFilter) with the same results as three passes.
//
// Three builds of the same IEEE operations: scalar (any compiler), SSE2 with
// one complex value per vector and AVX2 with two pairs per step. A lane-wise
// a + (-b) equals a - b and p * -q equals -(p * q) exactly, so all three agree
// bit for bit.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KEFO_FFT_X86 1
#else
#define KEFO_FFT_X86 0
#endif

namespace kefo {
namespace fft_split {

#if defined(__GNUC__)
#define KEFO_SPLIT_INLINE __attribute__((always_inline)) inline
#else
#define KEFO_SPLIT_INLINE inline
#endif

// Twiddle of pair j (in doubles, 2 <= j < n/2): wr = 0.5 - C[nc - kk],
// wi = C[kk], kk = j / 2 * ks, where ks = 2 nc / (n / 2) steps through the
// halved cosine table of nc entries.
struct SplitTable {
    int nc;
    int ks;
    const double* c;
    double Wr(int j) const { return 0.5 - c[nc - (j >> 1) * ks]; }
    double Wi(int j) const { return c[(j >> 1) * ks]; }
};

// --- scalar ------------------------------------------------------------------

inline void ForwardPair(double* a, int j, int k, double wr, double wi) {
    const double xr = a[j] - a[k];
    const double xi = a[j + 1] + a[k + 1];
    const double yr = wr * xr - wi * xi;
    const double yi = wr * xi + wi * xr;
    a[j] -= yr;
    a[j + 1] -= yi;
    a[k] += yr;
    a[k + 1] -= yi;
}

inline void InversePair(double* a, int j, int k, double wr, double wi) {
    const double xr = a[j] - a[k];
    const double xi = a[j + 1] + a[k + 1];
    const double yr = wr * xr + wi * xi;
    const double yi = wr * xi - wi * xr;
    a[j] -= yr;
    a[j + 1] = yi - a[j + 1];
    a[k] += yr;
    a[k + 1] = yi - a[k + 1];
}

// Bin j (in doubles) times the filter's bin at the same place.
inline void MultiplyBin(double* a, const double* h, int j) {
    const double re = a[j];
    const double im = a[j + 1];
    a[j] = re * h[j] - im * h[j + 1];
    a[j + 1] = im * h[j] + re * h[j + 1];
}

inline void ForwardScalar(int n, double* a, const SplitTable& t) {
    for (int j = 2; j < n / 2; j += 2) ForwardPair(a, j, n - j, t.Wr(j), t.Wi(j));
}

inline void InverseScalar(int n, double* a, const SplitTable& t) {
    for (int j = 2; j < n / 2; j += 2) InversePair(a, j, n - j, t.Wr(j), t.Wi(j));
}

inline void FilterScalar(int n, double* a, const double* h, const SplitTable& t) {
    for (int j = 2; j < n / 2; j += 2) {
        const int k = n - j;
        const double wr = t.Wr(j);
        const double wi = t.Wi(j);
        ForwardPair(a, j, k, wr, wi);
        MultiplyBin(a, h, j);
        MultiplyBin(a, h, k);
        InversePair(a, j, k, wr, wi);
    }
}

#if KEFO_FFT_X86

// --- SSE2: one complex value (re, im) per vector ------------------------------

// Split of one pair: x = A + conj(-B); y = x * (wr, +-wi), the sign of wi
// given by v = (-wi, wi) forward and (wi, -wi) inverse.
KEFO_SPLIT_INLINE __m128d SplitProduct2(__m128d x, __m128d w, __m128d v) {
    const __m128d swapped = _mm_shuffle_pd(x, x, 1);
    return _mm_add_pd(_mm_mul_pd(w, x), _mm_mul_pd(v, swapped));
}

KEFO_SPLIT_INLINE __m128d TimesBin2(__m128d s, const double* h) {
    const __m128d hv = _mm_loadu_pd(h);
    const __m128d reSign = _mm_set_pd(0.0, -0.0);
    const __m128d hs = _mm_xor_pd(_mm_unpackhi_pd(hv, hv), reSign);  // (-h.im, h.im)
    return _mm_add_pd(_mm_mul_pd(s, _mm_unpacklo_pd(hv, hv)),
                      _mm_mul_pd(_mm_shuffle_pd(s, s, 1), hs));
}

// One pair (j, k) with an optional product between the forward and the
// inverse halves; forward-only and inverse-only steps skip the other half.
template <bool kForward, bool kInverse>
KEFO_SPLIT_INLINE void Pair2(double* a, const double* h, int j, int k, double wr, double wi) {
    const __m128d reSign = _mm_set_pd(0.0, -0.0);
    const __m128d imSign = _mm_set_pd(-0.0, 0.0);
    const __m128d w = _mm_set1_pd(wr);
    __m128d A = _mm_loadu_pd(a + j);
    __m128d B = _mm_loadu_pd(a + k);
    if (kForward) {
        const __m128d y =
            SplitProduct2(_mm_add_pd(A, _mm_xor_pd(B, reSign)), w, _mm_set_pd(wi, -wi));
        A = _mm_sub_pd(A, y);
        B = _mm_add_pd(B, _mm_xor_pd(y, imSign));
    }
    if (kForward && kInverse) {
        A = TimesBin2(A, h + j);
        B = TimesBin2(B, h + k);
    }
    if (kInverse) {
        const __m128d y =
            SplitProduct2(_mm_add_pd(A, _mm_xor_pd(B, reSign)), w, _mm_set_pd(-wi, wi));
        // (A.re - y.re, y.im - A.im) and (B.re + y.re, y.im - B.im)
        A = _mm_sub_pd(_mm_move_sd(y, A), _mm_move_sd(A, y));
        B = _mm_add_pd(_mm_move_sd(y, B), _mm_xor_pd(_mm_move_sd(B, y), imSign));
    }
    _mm_storeu_pd(a + j, A);
    _mm_storeu_pd(a + k, B);
}

template <bool kForward, bool kInverse>
KEFO_SPLIT_INLINE void Split2(int n, double* a, const double* h, const SplitTable& t) {
    for (int j = 2; j < n / 2; j += 2) Pair2<kForward, kInverse>(a, h, j, n - j, t.Wr(j), t.Wi(j));
}

// --- AVX2: pairs (j, k) and (j + 2, k - 2) per step ---------------------------

// The two complex values at p - 2 and p in the order (p, p - 2).
KEFO_SPLIT_INLINE __attribute__((target("avx2"))) __m256d LoadReversed(const double* p) {
    return _mm256_permute4x64_pd(_mm256_loadu_pd(p - 2), 0x4e);
}

KEFO_SPLIT_INLINE __attribute__((target("avx2"))) void StoreReversed(double* p, __m256d v) {
    _mm256_storeu_pd(p - 2, _mm256_permute4x64_pd(v, 0x4e));
}

KEFO_SPLIT_INLINE __attribute__((target("avx2"))) __m256d SplitProduct4(__m256d x, __m256d w,
                                                                        __m256d v) {
    return _mm256_add_pd(_mm256_mul_pd(w, x), _mm256_mul_pd(v, _mm256_permute_pd(x, 5)));
}

KEFO_SPLIT_INLINE __attribute__((target("avx2"))) __m256d TimesBins4(__m256d s, __m256d hv) {
    const __m256d reSign = _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    const __m256d hs = _mm256_xor_pd(_mm256_permute_pd(hv, 15), reSign);  // (-h.im, h.im)
    return _mm256_add_pd(_mm256_mul_pd(s, _mm256_movedup_pd(hv)),
                         _mm256_mul_pd(_mm256_permute_pd(s, 5), hs));
}

// A call of its own: a kernel with a narrower target cannot inline it.
template <bool kForward, bool kInverse>
__attribute__((target("avx2"))) void Split4(int n, double* a, const double* h,
                                            const SplitTable& t) {
    const __m256d reSign = _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    const __m256d imSign = _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
    const int m = n / 2;
    int j = 2;
    for (; j + 2 < m; j += 4) {
        const int k = n - j;
        // (wr, wr) and (wi, wi) of both pairs; the subtraction 0.5 - C is the
        // one of SplitTable::Wr, lane by lane.
        const int kk = (j >> 1) * t.ks;
        __m256d w, wi;
        if (t.ks == 1) {
            // Tables of this very length: both pairs' cosines are neighbours.
            const __m256d cosines = _mm256_permute_pd(
                _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(t.c + t.nc - kk - 1)), 3);
            w = _mm256_sub_pd(_mm256_set1_pd(0.5), cosines);
            wi = _mm256_permute_pd(_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(t.c + kk)),
                                   12);
        } else {
            const __m128d cosines = _mm_set_pd(t.c[t.nc - kk - t.ks], t.c[t.nc - kk]);
            const __m128d wr = _mm_sub_pd(_mm_set1_pd(0.5), cosines);
            w = _mm256_permute4x64_pd(_mm256_castpd128_pd256(wr), 0x50);
            wi = _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_set_pd(t.c[kk + t.ks], t.c[kk])),
                                       0x50);
        }
        __m256d A = _mm256_loadu_pd(a + j);
        __m256d B = LoadReversed(a + k);
        if (kForward) {
            const __m256d v = _mm256_xor_pd(wi, reSign);  // (-wi, wi)
            const __m256d y = SplitProduct4(_mm256_add_pd(A, _mm256_xor_pd(B, reSign)), w, v);
            A = _mm256_sub_pd(A, y);
            B = _mm256_add_pd(B, _mm256_xor_pd(y, imSign));
        }
        if (kForward && kInverse) {
            A = TimesBins4(A, _mm256_loadu_pd(h + j));
            B = TimesBins4(B, LoadReversed(h + k));
        }
        if (kInverse) {
            const __m256d v = _mm256_xor_pd(wi, imSign);  // (wi, -wi)
            const __m256d y = SplitProduct4(_mm256_add_pd(A, _mm256_xor_pd(B, reSign)), w, v);
            A = _mm256_sub_pd(_mm256_blend_pd(A, y, 10), _mm256_blend_pd(y, A, 10));
            B = _mm256_add_pd(_mm256_blend_pd(B, y, 10),
                              _mm256_xor_pd(_mm256_blend_pd(y, B, 10), imSign));
        }
        _mm256_storeu_pd(a + j, A);
        StoreReversed(a + k, B);
    }
    if (j < m) Pair2<kForward, kInverse>(a, h, j, n - j, t.Wr(j), t.Wi(j));
}

#endif  // KEFO_FFT_X86

}  // namespace fft_split
}  // namespace kefo
