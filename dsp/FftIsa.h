// Choosing the instruction set the transforms run on. The plain ComplexFft
// and RealFft of FftCore.h use the fastest one this processor offers; tests
// and benchmarks name one to compare them. Every instruction set gives the
// same results bit for bit.
#pragma once

#include "dsp/FftCore.h"

namespace kefo {

enum class FftIsa {
    Sse2,  // the baseline: every processor the add-ons run on
    Avx2,  // four doubles per instruction, where processor and system allow
};

// Whether this processor and operating system run the instruction set.
bool FftIsaAvailable(FftIsa isa);

// The instruction set the plain transforms use.
FftIsa FftFastestIsa();

// The transforms of FftCore.h on a named instruction set; one that is not
// available falls back to the baseline.
void ComplexFft(FftIsa isa, int n, int direction, double* a, FftWorkArea& work);
void RealFft(FftIsa isa, int n, int direction, double* a, FftWorkArea& work);
void RealFftFilter(FftIsa isa, int n, double* a, const double* h, FftWorkArea& work);

}  // namespace kefo
