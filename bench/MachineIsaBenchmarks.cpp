// Our transforms and equalizer built for this machine's instruction set (the
// build gives this file and a copy of the DSP sources -march=native and a
// namespace of their own), so that one run shows how much of the distance to
// FFTW, which picks AVX code at run time, is vector width.
#include "OurBenchmarks.h"

namespace kefo {
namespace bench {

void RegisterMachineIsa(const int* sizes, int sizeCount, int repetitions) {
    for (int i = 0; i < sizeCount; ++i) {
        const int n = sizes[i];
        benchmark::RegisterBenchmark(("isa_real/" + std::to_string(n) + "/0").c_str(), RealPair, n)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.02);
        benchmark::RegisterBenchmark(("isa_complex/" + std::to_string(n) + "/0").c_str(),
                                     ComplexPair, n)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.02);
    }
    for (int rate : {44100, 96000}) {
        for (int channels : {1, 2}) {
            benchmark::RegisterBenchmark(
                ("isa_eq/" + std::to_string(rate) + "/" + std::to_string(channels)).c_str(),
                EqualizerBlock, rate, channels)
                ->Unit(benchmark::kMicrosecond)
                ->Repetitions(repetitions)
                ->ReportAggregatesOnly(true)
                ->MinTime(0.02);
        }
    }
}

}  // namespace bench
}  // namespace kefo
