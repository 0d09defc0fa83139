// Benchmarks of our transforms and equalizer, included by the main benchmark
// source and again by MachineIsaBenchmarks.cpp, which builds the same DSP
// sources for this machine's instruction set under a namespace of its own.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dsp/CGraphicEqFIR.h"
#include "dsp/FftCore.h"
#include "dsp/FftIsa.h"
#include "dsp/HeapArray.h"

namespace kefo {
namespace bench {

inline std::vector<double> Noise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-0.5, 0.5);
    std::vector<double> v(n);
    for (double& x : v) x = dist(rng);
    return v;
}

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const float kGains[9] = {3, -4, 6, -2, 9, -12, 5, 1, -7};

struct Tables {
    explicit Tables(int n) : ints(FftIntTableSize(n)), doubles(FftDoubleTableSize(n)) {
        ints[0] = 0;
        area = FftWorkArea{ints.data(), doubles.data()};
    }
    std::vector<int> ints;
    std::vector<double> doubles;
    FftWorkArea area;
};

// The transforms' data on a cache line's start, as the equalizer keeps it and
// as fftw_alloc gives FFTW its own.
class Aligned {
public:
    explicit Aligned(const std::vector<double>& values) {
        array_.Allocate(static_cast<std::int64_t>(values.size()));
        std::memcpy(array_.Get(), values.data(), sizeof(double) * values.size());
    }
    double* data() const { return array_.Get(); }

private:
    HeapArray<double> array_;
};

// Forward + inverse pairs keep the data bounded.
inline void RealPairOn(benchmark::State& state, int n, FftIsa isa) {
    Tables tables(n);
    const Aligned a(Noise(n, 1));
    const double scale = 2.0 / n;
    for (auto _ : state) {
        RealFft(isa, n, 1, a.data(), tables.area);
        RealFft(isa, n, -1, a.data(), tables.area);
        a.data()[0] *= scale;
        benchmark::DoNotOptimize(a.data());
    }
}

inline void ComplexPairOn(benchmark::State& state, int n, FftIsa isa) {
    Tables tables(n / 2);
    const Aligned a(Noise(n, 2));
    const double scale = 2.0 / n;
    for (auto _ : state) {
        ComplexFft(isa, n, 1, a.data(), tables.area);
        ComplexFft(isa, n, -1, a.data(), tables.area);
        a.data()[0] *= scale;
        benchmark::DoNotOptimize(a.data());
    }
}

// The transforms as callers get them: on the fastest instruction set here.
inline void RealPair(benchmark::State& state, int n) {
    RealPairOn(state, n, FftFastestIsa());
}
inline void ComplexPair(benchmark::State& state, int n) {
    ComplexPairOn(state, n, FftFastestIsa());
}

// The same on the baseline every processor has.
inline void RealPairSse2(benchmark::State& state, int n) {
    RealPairOn(state, n, FftIsa::Sse2);
}
inline void ComplexPairSse2(benchmark::State& state, int n) {
    ComplexPairOn(state, n, FftIsa::Sse2);
}

inline void EqualizerBlock(benchmark::State& state, int rate, int channels) {
    CGraphicEqFIR eq;
    if (!eq.Init(GraphicEqConfig{rate, channels, 9, kCentres, 2, 1})) {
        state.SkipWithError("Init failed");
        return;
    }
    eq.SetEnabled(1);
    eq.SetGains(kGains, 0);
    const int length = eq.GetBlockLength();
    const std::vector<double> source = Noise(length, 3);
    const std::vector<float> input(source.begin(), source.end());
    std::vector<float> block(length);
    for (auto _ : state) {
        std::memcpy(block.data(), input.data(), sizeof(float) * length);
        eq.Process(block.data());
        benchmark::DoNotOptimize(block.data());
    }
}

}  // namespace bench
}  // namespace kefo
