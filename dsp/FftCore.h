// Transform core: in-place, unscaled power-of-two discrete Fourier transforms
// in doubles, radix-4 Cooley-Tukey over a bit-reversed input. The real
// transform is a complex transform of half the length followed by a split
// step that separates the spectra of the even and odd samples.
//
// Typical use (the caller owns every buffer; the transforms never allocate):
//
//     std::vector<int> ints(FftIntTableSize(n));       // entry 0 must start at 0
//     std::vector<double> tables(FftDoubleTableSize(n));
//     FftWorkArea work{ints.data(), tables.data()};
//     FftBuildTables(n, work);                         // optional: tables now
//     RealFft(n, +1, samples, work);                   // forward, packed spectrum
//     RealFft(n, -1, samples, work);                   // inverse: input times n/2
//
// Lengths n count doubles and must be powers of two of at least 8; shorter or
// other lengths and undersized work areas are not checked.
//
// Threads: the functions keep no state of their own. A work area must not be
// used by two transforms at the same time; give each object its own.
#pragma once

namespace kefo {

// Caller-owned table cache shared by every transform of one object. The
// tables are built on first use and rebuilt only when a longer transform asks
// for more; a table built for a longer transform serves every shorter one.
struct FftWorkArea {
    // [0] twiddle doubles built (0 = none; the caller sets it once after
    // allocating), [1] cosine doubles built for the real transform,
    // [2...] scratch for the bit-reversal permutation.
    int* intTable;
    // The twiddle table (bit-reversed complex exponentials of the first
    // quadrant) followed by the real transform's halved cosine/sine table
    // and the first stage's twiddles.
    double* doubleTable;
};

// Entries of the int table that serve a real transform of n doubles or a
// complex transform of 2n doubles: floor(sqrt(n)) + 2.
int FftIntTableSize(int n);

// Entries of the double table for the same transforms: n, and up to 12288
// more for the first stage's twiddles of the shorter ones.
int FftDoubleTableSize(int n);

// Builds now every table that a real transform of n doubles and a complex
// transform of 2n doubles (and any shorter one) use, as they would build them
// on first use: afterwards those transforms build nothing. The values are
// the ones the transforms build themselves, bit for bit. For the setup of an
// object, so that its processing calls never spend time on tables.
void FftBuildTables(int n, FftWorkArea& work);

// Complex transform of n/2 complex values stored as (re, im) pairs in a[0..n-1].
// direction >= 0: X[k] = sum_j x[j] exp(+2 pi i jk / (n/2)); direction < 0 uses
// exp(-2 pi i jk / (n/2)). Unscaled: forward then inverse multiplies by n/2.
void ComplexFft(int n, int direction, double* a, FftWorkArea& work);

// Real transform of n values. Forward: R[k] = sum_j a[j] cos(2 pi jk / n),
// I[k] = sum_j a[j] sin(2 pi jk / n), packed as a[0] = R[0], a[1] = R[n/2],
// a[2k] = R[k], a[2k+1] = I[k] for 0 < k < n/2. Inverse takes the same packing
// and returns the samples multiplied by n/2.
void RealFft(int n, int direction, double* a, FftWorkArea& work);

// Filters n real values by a spectrum: the forward RealFft, every bin k times
// the complex value (h[2k], h[2k + 1]) for k = 0 .. n/2 (n + 2 values; the
// imaginary parts of bins 0 and n/2 are not used), the inverse RealFft. The
// results are those of the three steps bit for bit, in fewer passes.
void RealFftFilter(int n, double* a, const double* h, FftWorkArea& work);

}  // namespace kefo
