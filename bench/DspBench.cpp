// Benchmarks of the DSP library with FFTW3 as the yardstick, printed as one
// table of medians measured in a single run.
//
//   transforms   RealFft and ComplexFft against FFTW's r2c/c2r and complex
//                plans (FFTW_MEASURE), timed as forward + inverse pairs so
//                the data stays bounded; one transform = half a pair
//   equalizer    CGraphicEqFIR::Process against the same overlap-add (same
//                N, same block) written here with FFTW; also x real time
//   design       CGraphicEqFIR::SetGains
//   analyzer     CSpectrumAn::Process per frame
//   handoff      the audio thread's wait for a UI thread dragging sliders at
//                192 kHz stereo (HandoffWait.h), longest and 99.9th percentile
//
// The library is built for the baseline instruction set of the target (SSE2
// here, as in the shipped 32-bit build). The "machine ISA" columns time the
// same sources built for this machine (see MachineIsaBenchmarks.cpp).
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "dsp/CGraphicEqFIR.h"
#include "dsp/CSpectrumAn.h"
#include "dsp/FftCore.h"
#include "HandoffWait.h"
#include "OurBenchmarks.h"

namespace kefo_machine_isa {
namespace bench {
void RegisterMachineIsa(const int* sizes, int sizeCount, int repetitions);
}  // namespace bench
}  // namespace kefo_machine_isa

namespace {

using namespace kefo;
using bench::kCentres;
using bench::kGains;
using bench::Noise;

const double kEdges[19] = {46,   76,   106,  148,  210,  300,  420,   595,   840,  1190,
                           1680, 2380, 3360, 4755, 6725, 9510, 13450, 17500, 22050};

// --- transforms --------------------------------------------------------------

void FftwRealFft(benchmark::State& state, int n) {
    double* a = fftw_alloc_real(n + 2);
    fftw_complex* c = reinterpret_cast<fftw_complex*>(a);
    fftw_plan forward = fftw_plan_dft_r2c_1d(n, a, c, FFTW_MEASURE);
    fftw_plan inverse = fftw_plan_dft_c2r_1d(n, c, a, FFTW_MEASURE);
    const std::vector<double> init = Noise(n, 1);
    std::copy(init.begin(), init.end(), a);
    const double scale = 1.0 / n;
    for (auto _ : state) {
        fftw_execute(forward);
        fftw_execute(inverse);
        a[0] *= scale;
        benchmark::DoNotOptimize(a);
    }
    fftw_destroy_plan(forward);
    fftw_destroy_plan(inverse);
    fftw_free(a);
}

void FftwComplexFft(benchmark::State& state, int n) {
    fftw_complex* a = fftw_alloc_complex(n / 2);
    fftw_plan forward = fftw_plan_dft_1d(n / 2, a, a, FFTW_FORWARD, FFTW_MEASURE);
    fftw_plan inverse = fftw_plan_dft_1d(n / 2, a, a, FFTW_BACKWARD, FFTW_MEASURE);
    const std::vector<double> init = Noise(n, 2);
    std::memcpy(a, init.data(), sizeof(double) * n);
    const double scale = 2.0 / n;
    for (auto _ : state) {
        fftw_execute(forward);
        fftw_execute(inverse);
        a[0][0] *= scale;
        benchmark::DoNotOptimize(a);
    }
    fftw_destroy_plan(forward);
    fftw_destroy_plan(inverse);
    fftw_free(a);
}

// --- equalizer ---------------------------------------------------------------

// The same overlap-add with FFTW: N-point real transforms per channel (both
// channels in one plan, straight from and to the interleaved frame), the same
// response applied per bin, the same accumulator handling.
void FftwEqualizer(benchmark::State& state, int rate, int channels) {
    kefo::CGraphicEqFIR sizing;
    sizing.Init(kefo::GraphicEqConfig{rate, channels, 9, kCentres, 2, 1});
    const int length = sizing.GetBlockLength();
    const int n = 2 * length / channels;  // block mode 1: half a frame
    const int frame = n * channels;
    const int bins = n / 2 + 1;
    double* x = fftw_alloc_real(frame);
    fftw_complex* s = fftw_alloc_complex(static_cast<std::size_t>(bins) * channels);
    int dims[1] = {n};
    fftw_plan forward = fftw_plan_many_dft_r2c(1, dims, channels, x, nullptr, channels, 1, s,
                                               nullptr, 1, bins, FFTW_MEASURE);
    fftw_plan inverse = fftw_plan_many_dft_c2r(1, dims, channels, s, nullptr, 1, bins, x, nullptr,
                                               channels, 1, FFTW_MEASURE);
    // Any fixed response serves for timing: a smooth complex curve.
    std::vector<std::complex<double>> h(static_cast<std::size_t>(bins) * channels);
    for (int j = 0; j < bins; ++j) {
        for (int c = 0; c < channels; ++c)
            h[c * bins + j] = std::polar(1.0 + 0.5 * std::cos(j * 0.01), -0.1 * j);
    }
    std::vector<double> acc(frame, 0.0);
    const double scale = 1.0 / n;
    const std::vector<double> source = Noise(length, 3);
    const std::vector<float> input(source.begin(), source.end());
    std::vector<float> block(length);
    for (auto _ : state) {
        std::memcpy(block.data(), input.data(), sizeof(float) * length);
        for (int i = 0; i < length; ++i) x[i] = block[i];
        for (int i = length; i < frame; ++i) x[i] = 0.0;
        fftw_execute(forward);
        std::complex<double>* sc = reinterpret_cast<std::complex<double>*>(s);
        for (int i = 0; i < bins * channels; ++i) sc[i] *= h[i];
        fftw_execute(inverse);
        for (int i = 0; i < frame; ++i) acc[i] += x[i] * scale;
        for (int i = 0; i < length; ++i) block[i] = static_cast<float>(acc[i]);
        std::memmove(acc.data(), acc.data() + length, sizeof(double) * (frame - length));
        std::memset(acc.data() + frame - length, 0, sizeof(double) * length);
        benchmark::DoNotOptimize(block.data());
    }
    fftw_destroy_plan(forward);
    fftw_destroy_plan(inverse);
    fftw_free(s);
    fftw_free(x);
}

void SetGains(benchmark::State& state, int rate) {
    kefo::CGraphicEqFIR eq;
    eq.Init(kefo::GraphicEqConfig{rate, 2, 9, kCentres, 2, 1});
    float gains[9];
    std::copy(kGains, kGains + 9, gains);
    for (auto _ : state) {
        gains[4] = gains[4] > 0 ? -3.0f : 3.0f;  // a slider moving
        eq.SetGains(gains, 0);
    }
}

void Analyzer(benchmark::State& state, int rate, int channels) {
    kefo::CSpectrumAn an;
    an.Init(kefo::SpectrumAnConfig{rate, channels, 19, kEdges, 2, 0});
    const std::vector<double> source = Noise(an.GetFrameLength(), 4);
    const std::vector<float> frame(source.begin(), source.end());
    kefo::SpectrumBand bands[19];
    for (auto _ : state) {
        an.Process(frame.data(), bands);
        benchmark::DoNotOptimize(bands);
    }
}

// --- collection and the table ---------------------------------------------

// Keeps the median of every benchmark, in microseconds, and prints nothing
// but a progress dot per benchmark.
class MedianCollector : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::fprintf(stderr, "\n%s: %s\n", run.benchmark_name().c_str(),
                             run.error_message.c_str());
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                std::fputc('.', stderr);
            }
        }
    }
    std::map<std::string, double> medians;
};

const int kRepetitions = 15;

// The goals in the "target met" columns: ours over FFTW, medians of one run.
const double kRealFftLimit = 1.0;
const double kComplexFftLimit = 1.0;
const double kEqualizerLimit = 0.6;

void Register(const std::string& name, void (*fn)(benchmark::State&, int), int arg) {
    benchmark::RegisterBenchmark(name.c_str(), fn, arg)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.02);
}

void Register2(const std::string& name, void (*fn)(benchmark::State&, int, int), int a, int b) {
    benchmark::RegisterBenchmark(name.c_str(), fn, a, b)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.02);
}

std::string Key(const char* what, int a, int b = 0) {
    return std::string(what) + "/" + std::to_string(a) + "/" + std::to_string(b);
}

}  // namespace

int main(int argc, char** argv) {
    const int sizes[] = {512, 1024, 2048, 4096, 8192, 16384, 32768};
    for (int n : sizes) {
        Register(Key("ours_real", n), bench::RealPair, n);
        Register(Key("fftw_real", n), FftwRealFft, n);
        Register(Key("sse2_real", n), bench::RealPairSse2, n);
        Register(Key("ours_complex", n), bench::ComplexPair, n);
        Register(Key("sse2_complex", n), bench::ComplexPairSse2, n);
        Register(Key("fftw_complex", n), FftwComplexFft, n);
    }
    const int eqRates[] = {44100, 96000};
    for (int rate : eqRates) {
        for (int channels : {1, 2}) {
            Register2(Key("ours_eq", rate, channels), bench::EqualizerBlock, rate, channels);
            Register2(Key("fftw_eq", rate, channels), FftwEqualizer, rate, channels);
        }
    }
    Register(Key("setgains", 44100), SetGains, 44100);
    Register(Key("setgains", 192000), SetGains, 192000);
    Register2(Key("analyzer", 44100, 2), Analyzer, 44100, 2);
    kefo_machine_isa::bench::RegisterMachineIsa(sizes, 7, kRepetitions);

    // Repetitions of all benchmarks are shuffled together, so ours and FFTW
    // are sampled across the same stretch of time on a shared machine.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    std::fputc('\n', stderr);
    auto& m = collector.medians;
    auto get = [&](const std::string& key) { return m.count(key) ? m[key] : std::nan(""); };
    auto verdict = [](bool ok) { return ok ? "yes" : "NO"; };

    std::printf(
        "Medians of %d repetitions in microseconds; a transform is half a forward+inverse pair.\n",
        kRepetitions);
    std::printf(
        "ours: the library as built, on %s (the fastest instruction set it finds here); SSE2: the\n"
        "baseline kernels; ISA: the same sources compiled for this machine (-march=native).\n\n",
        FftFastestIsa() == FftIsa::Avx2 ? "AVX2" : "SSE2");
    std::printf("%-26s %9s %9s %9s %9s %9s %10s %9s  %s\n", "transform (n doubles)", "ours", "FFTW",
                "ours/FFTW", "SSE2", "SSE2/FFTW", "ours (ISA)", "ISA/FFTW", "target met");
    for (const char* kind : {"real", "complex"}) {
        for (int n : sizes) {
            const std::string k(kind);
            const double ours = get(Key(("ours_" + k).c_str(), n)) / 2;
            const double fftw = get(Key(("fftw_" + k).c_str(), n)) / 2;
            const double sse2 = get(Key(("sse2_" + k).c_str(), n)) / 2;
            const double isa = get(Key(("isa_" + k).c_str(), n)) / 2;
            const bool real = k == "real";
            const double limit = real ? kRealFftLimit : kComplexFftLimit;
            std::printf("%-26s %9.2f %9.2f %9.2f %9.2f %9.2f %10.2f %9.2f  %s\n",
                        ((real ? "RealFft " : "ComplexFft ") + std::to_string(n)).c_str(), ours,
                        fftw, ours / fftw, sse2, sse2 / fftw, isa, isa / fftw,
                        n >= 1024 ? verdict(ours / fftw <= limit) : "-");
        }
    }
    std::printf("%-26s targets: RealFft <= %.1f, ComplexFft <= %.1f x FFTW (ours, n >= 1024)\n", "",
                kRealFftLimit, kComplexFftLimit);
    std::printf("\n%-26s %9s %9s %9s %9s %10s %9s %10s %10s  %s\n", "equalizer Process (block)",
                "ours", "FFTW OLA", "ours/FFTW", "floor", "ours (ISA)", "ISA/FFTW", "x realtime",
                "(ISA)", "target met");
    for (int rate : eqRates) {
        for (int channels : {1, 2}) {
            const double ours = get(Key("ours_eq", rate, channels));
            const double fftw = get(Key("fftw_eq", rate, channels));
            const double isa = get(Key("isa_eq", rate, channels));
            CGraphicEqFIR sizing;
            sizing.Init(GraphicEqConfig{rate, channels, 9, kCentres, 2, 1});
            const double blockSeconds =
                static_cast<double>(sizing.GetBlockLength()) / channels / rate;
            // Our two transforms of a block alone (a pair of the table above,
            // real for mono and complex for stereo, of twice the block):
            // the least ours/FFTW the filter can reach.
            const int pairLength = 2 * sizing.GetBlockLength();
            const double pair = get(Key(channels == 1 ? "ours_real" : "ours_complex", pairLength));
            const double realTime = blockSeconds / (ours * 1e-6);
            const bool fastEnough = rate != 44100 || channels != 2 || realTime >= 1000;
            char label[64];
            std::snprintf(label, sizeof label, "%d Hz %s", rate, channels == 2 ? "stereo" : "mono");
            std::printf("%-26s %9.2f %9.2f %9.2f %9.2f %10.2f %9.2f %10.0f %10.0f  %s\n", label,
                        ours, fftw, ours / fftw, pair / fftw, isa, isa / fftw,
                        blockSeconds / (ours * 1e-6), blockSeconds / (isa * 1e-6),
                        verdict(ours / fftw <= kEqualizerLimit && fastEnough));
        }
    }
    std::printf("%-26s targets: <= %.1f x FFTW, and 1000 x real time at 44100 Hz stereo\n", "",
                kEqualizerLimit);
    std::printf("%-26s floor: our two transforms of a block alone / FFTW OLA\n", "");
    std::printf("\n%-26s %9s  %s\n", "other (ours)", "time", "target met");
    std::printf("%-26s %9.2f  %s\n", "SetGains 44100 Hz", get(Key("setgains", 44100)), "-");
    const double setGains192 = get(Key("setgains", 192000));
    std::printf("%-26s %9.2f  %s\n", "SetGains 192000 Hz", setGains192,
                verdict(setGains192 < 1000.0));
    std::printf("%-26s %9.2f  %s\n", "CSpectrumAn frame 44100 st", get(Key("analyzer", 44100, 2)),
                "-");

    // After the table's timings, on their own: two threads for two seconds.
    const bench::HandoffWaits waits = bench::MeasureSliderDragWaits(2.0);
    std::printf(
        "\naudio thread's wait for the UI thread, sliders dragged at 192000 Hz stereo\n"
        "(each Prepare timed: %lld blocks filtered while %lld designs were handed over;\n"
        "%lld blocks left out, the thread preempted by the scheduler)\n",
        waits.blocks, waits.designs, waits.preempted);
    std::printf("%-26s %9s %9s %9s  %s\n", "microseconds", "longest", "99.9 %", "median",
                "target < 20 met");
    std::printf("%-26s %9.2f %9.2f %9.2f  %s\n", "Prepare", waits.prepare.maxMicros,
                waits.prepare.p999Micros, waits.prepare.medianMicros,
                verdict(waits.prepare.maxMicros < 20.0));
    std::printf("%-26s %9.2f %9.2f %9.2f  %s\n", "idle region (noise)", waits.empty.maxMicros,
                waits.empty.p999Micros, waits.empty.medianMicros, "-");
    benchmark::Shutdown();
    return 0;
}
