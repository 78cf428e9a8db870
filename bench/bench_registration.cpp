// In-process registration cost: load the library, run the entry point on a
// worker thread, wait, unload; against a bare dlopen/dlclose of the same file
// and a bare thread start/join measured in the same run.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <thread>

#include "registration/SelfRegistration.h"

namespace {

void BM_RegisterComponent(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        korvane::CallSelfRegistration(KORVANE_COMP_SFALSE, korvane::RegistrationDirection::Register));
  }
}
BENCHMARK(BM_RegisterComponent);

void BM_BaselineLoadUnload(benchmark::State& state) {
  for (auto _ : state) {
    void* h = dlopen(KORVANE_COMP_SFALSE, RTLD_NOW | RTLD_LOCAL);
    benchmark::DoNotOptimize(h);
    if (h) dlclose(h);
  }
}
BENCHMARK(BM_BaselineLoadUnload);

void BM_BaselineThreadStartJoin(benchmark::State& state) {
  for (auto _ : state) {
    std::thread t([] {});
    t.join();
  }
}
BENCHMARK(BM_BaselineThreadStartJoin);

}  // namespace

BENCHMARK_MAIN();
