// Slow, obviously correct references for the DSP tests: direct DFTs and
// direct time-domain convolution, accumulated in long double.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <random>
#include <vector>

namespace kefo_test {

using Complex = std::complex<long double>;

const long double kPiL = 3.141592653589793238462643383279502884L;

// exp(sign * 2 pi i t / m) for t < m.
inline std::vector<Complex> UnitRoots(std::size_t m, int sign) {
    std::vector<Complex> roots(m);
    for (std::size_t t = 0; t < m; ++t) {
        const long double angle = 2.0L * kPiL * static_cast<long double>(t) / m;
        roots[t] = Complex(std::cos(angle), sign * std::sin(angle));
    }
    return roots;
}

// X[k] = sum_j x[j] exp(sign * 2 pi i jk / m), for m complex values.
inline std::vector<Complex> DirectDft(const std::vector<Complex>& x, int sign) {
    const std::size_t m = x.size();
    const std::vector<Complex> roots = UnitRoots(m, sign);
    std::vector<Complex> out(m);
    for (std::size_t k = 0; k < m; ++k) {
        long double re = 0, im = 0;
        std::size_t t = 0;  // j * k mod m
        for (std::size_t j = 0; j < m; ++j) {
            const Complex& w = roots[t];
            re += x[j].real() * w.real() - x[j].imag() * w.imag();
            im += x[j].real() * w.imag() + x[j].imag() * w.real();
            t += k;
            if (t >= m) t -= m;
        }
        out[k] = Complex(re, im);
    }
    return out;
}

// Direct real transform of n values: R[k] = sum a[j] cos, I[k] = sum a[j] sin,
// for k = 0 ... n/2, as complex R + iI.
inline std::vector<Complex> DirectRealDft(const std::vector<double>& a) {
    const std::size_t n = a.size();
    const std::vector<Complex> roots = UnitRoots(n, +1);
    std::vector<Complex> out(n / 2 + 1);
    for (std::size_t k = 0; k <= n / 2; ++k) {
        long double re = 0, im = 0;
        std::size_t t = 0;
        for (std::size_t j = 0; j < n; ++j) {
            re += a[j] * roots[t].real();
            im += a[j] * roots[t].imag();
            t += k;
            if (t >= n) t -= n;
        }
        out[k] = Complex(re, im);
    }
    return out;
}

// y[i] = sum_t kernel[t] x[i - t], same length as x (input before 0 is 0).
inline std::vector<double> DirectConvolution(const std::vector<double>& x,
                                             const std::vector<double>& kernel) {
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        long double sum = 0;
        for (std::size_t t = 0; t < kernel.size() && t <= i; ++t) sum += kernel[t] * x[i - t];
        y[i] = static_cast<double>(sum);
    }
    return y;
}

inline std::vector<double> RandomSignal(std::size_t n, unsigned seed, double amplitude = 1.0) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-amplitude, amplitude);
    std::vector<double> v(n);
    for (double& x : v) x = dist(rng);
    return v;
}

// Float samples uniform in [-0.5, 0.5), the test streams of the equalizer.
inline std::vector<float> NoiseSamples(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-0.5f, 0.5f);
    std::vector<float> samples(n);
    for (float& x : samples) x = value(random);
    return samples;
}

}  // namespace kefo_test
