// The dependency walk against reading the headers alone, on the largest PE
// file of a corpus tree (made by make-pe-corpus): how much the whole tree
// (every module read, every imported function looked up) costs over the
// minimum a diagnosis must do.
//
// usage: bench_deps FOLDER [benchmark options]
// The system folder is FOLDER's Windows/System32 (KORVANE_SYSTEM_DIR), so
// that the tree resolves as it would on the machine the corpus copies.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ComponentTree.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/ModuleFile.h"

namespace {

std::string g_file;

void BM_HeadersOnly(benchmark::State& state) {
  for (auto _ : state) {
    auto read = korvane::diagnosis::ReadModuleFile(g_file, korvane::formats::PeModuleParts::kHeadersOnly);
    benchmark::DoNotOptimize(read.has_value());
  }
}

void BM_Deps(benchmark::State& state) {
  std::size_t modules = 0;
  for (auto _ : state) {
    korvane::diagnosis::DependencyWalker walker;
    const korvane::diagnosis::DependencyTree tree = walker.Walk(g_file);
    const korvane::diagnosis::Diagnosis d = korvane::diagnosis::DiagnoseTree(g_file, true, tree);
    benchmark::DoNotOptimize(d.kind);
    modules = tree.root.children.size();
  }
  state.counters["direct_imports"] = static_cast<double>(modules);
}

BENCHMARK(BM_HeadersOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Deps)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_deps FOLDER [benchmark options]\n");
    return 2;
  }
  const std::string root = argv[1];
  std::uintmax_t largest = 0;
  bench::ForEachComponent(root.c_str(), [&](const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > largest &&
        korvane::diagnosis::ReadModuleFile(path.string(), korvane::formats::PeModuleParts::kHeadersOnly)) {
      largest = size;
      g_file = path.string();
    }
  });
  if (g_file.empty()) {
    std::fprintf(stderr, "bench_deps: no PE file below %s\n", root.c_str());
    return 1;
  }
  const std::string system = root + "/Windows/System32";
  setenv("KORVANE_SYSTEM_DIR", system.c_str(), 1);
  std::printf("largest PE file: %s (%ju bytes)\n", g_file.c_str(), largest);
  argv[1] = argv[0];
  int count = argc - 1;
  benchmark::Initialize(&count, argv + 1);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
