// The inspector's display and the type-library reader on Wine's PE files.
// Baseline: reading the same file's bytes from disk, measured in the same run.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "inspection/FlexGrid.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "platform/TypeLibFile.h"

namespace {

namespace fs = std::filesystem;

const char* const kWine64 = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
const char* const kWine32 = "/usr/lib/i386-linux-gnu/wine/i386-windows";

void UseScratchRegistry() {
  static const bool done = [] {
    const fs::path db = fs::temp_directory_path() / ("korvane_bench_inspect_" + std::to_string(::getpid()) + ".db");
    ::setenv("KORVANE_REGISTRY", db.c_str(), 1);
    return true;
  }();
  (void)done;
}

std::string WineFile(const char* name) { return std::string(kWine64) + "/" + name; }

void BM_ReadFileBytes(benchmark::State& state, const char* name) {
  const std::string file = WineFile(name);
  if (!fs::exists(file)) return state.SkipWithError("Wine is not installed");
  for (auto _ : state) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
}

void BM_DisplayInfo(benchmark::State& state, const char* name) {
  const std::string file = WineFile(name);
  if (!fs::exists(file)) return state.SkipWithError("Wine is not installed");
  UseScratchRegistry();
  korvane::FlexGrid grid, compGrid;
  korvane::clsGrid info, comparison;
  info.Init(&grid);
  comparison.Init(&compGrid);
  korvane::clsActiveX inspector;
  inspector.Init(&info, &comparison);
  inspector.SetFileName(file);
  for (auto _ : state) {
    inspector.DisplayInfo();
    benchmark::DoNotOptimize(grid.Rows());
  }
}

// Every TYPELIB resource of every PE file in both Wine folders, as paths in
// the "file/N" form.
const std::vector<std::string>& CorpusLibraries() {
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> out;
    for (const char* folder : {kWine64, kWine32}) {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        // Files that are no readable PE image list nothing.
        const auto listed = korvane::platform::ListTypeLibResources(entry.path().string());
        if (!listed) continue;
        for (const auto& r : *listed) out.push_back(entry.path().string() + "/" + std::to_string(r.id));
      }
    }
    return out;
  }();
  return paths;
}

void BM_ReadAllCorpusLibraries(benchmark::State& state) {
  const auto& paths = CorpusLibraries();
  if (paths.empty()) return state.SkipWithError("Wine is not installed");
  for (auto _ : state) {
    for (const auto& path : paths) {
      benchmark::DoNotOptimize(korvane::platform::ReadTypeLibFile(path, '/')->name.size());
    }
  }
  state.counters["libraries"] = static_cast<double>(paths.size());
}

BENCHMARK_CAPTURE(BM_ReadFileBytes, msxml3, "msxml3.dll")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DisplayInfo, msxml3, "msxml3.dll")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadFileBytes, mshtml_tlb, "mshtml.tlb")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DisplayInfo, mshtml_tlb, "mshtml.tlb")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DisplayInfo, vbscript, "vbscript.dll")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAllCorpusLibraries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
