// What the engine's own sine, cosine and arctangent cost per call beside the C library's,
// over the arguments the stages hand them: headings in 0 to 2 pi, pattern directions, and
// the bearings' dx / dy.
#include <benchmark/benchmark.h>

#include <cmath>

#include "platform/trig.h"
#include "shooting/patterns.h"

namespace {

constexpr int kArguments = 1024;

struct Arguments {
    double headings[kArguments];
    double ratios[kArguments];
    Arguments() {
        for (int i = 0; i < kArguments; ++i) {
            headings[i] = (i * 613 % kArguments) * (6.28318530717958 / kArguments);
            ratios[i] = static_cast<double>(i * 37 % 801 - 400) / (1 + i * 11 % 300);
        }
    }
};
const Arguments arguments;

template <double (*F)(double)>
void run(benchmark::State& state, const double (&xs)[kArguments]) {
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(xs[i]));
        i = (i + 1) & (kArguments - 1);
    }
}

double librarySin(double x) { return std::sin(x); }
double libraryCos(double x) { return std::cos(x); }
double libraryAtan(double x) { return std::atan(x); }

void BM_EngineSin(benchmark::State& state) { run<engineSin>(state, arguments.headings); }
void BM_LibrarySin(benchmark::State& state) { run<librarySin>(state, arguments.headings); }
void BM_EngineCos(benchmark::State& state) { run<engineCos>(state, arguments.headings); }
void BM_LibraryCos(benchmark::State& state) { run<libraryCos>(state, arguments.headings); }
void BM_EngineSinCos(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const SineCosine both = engineSinCos(arguments.headings[i]);
        benchmark::DoNotOptimize(both.sine);
        benchmark::DoNotOptimize(both.cosine);
        i = (i + 1) & (kArguments - 1);
    }
}
void BM_EngineAtan(benchmark::State& state) { run<engineAtan>(state, arguments.ratios); }
void BM_LibraryAtan(benchmark::State& state) { run<libraryAtan>(state, arguments.ratios); }
BENCHMARK(BM_EngineSin);
BENCHMARK(BM_LibrarySin);
BENCHMARK(BM_EngineCos);
BENCHMARK(BM_LibraryCos);
BENCHMARK(BM_EngineSinCos);
BENCHMARK(BM_EngineAtan);
BENCHMARK(BM_LibraryAtan);

}  // namespace
