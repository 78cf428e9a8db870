// The whole type library written as IDL, against reading it: Wine's
// mshtml.tlb (the largest of Wine's libraries) read into the model; read and
// written as IDL; and widl compiling that IDL back into a library. After the
// runs, each time as a multiple of the read.
//
//   bench_idl [LIBRARY [WIDL]]   (defaults: Wine's 64-bit mshtml.tlb, the
//                                 MinGW-w64 x86_64 widl on the PATH)

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "platform/FileReader.h"
#include "platform/TypeLibFile.h"
#include "typelib/IdlWriter.h"

namespace {

std::string g_library = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/mshtml.tlb";
std::string g_widl = "x86_64-w64-mingw32-widl";
std::filesystem::path g_work;

// The library, or nothing with the benchmark marked as failed.
std::optional<korvane::formats::TypeLibrary> Load(benchmark::State& state) {
  auto library = korvane::platform::ReadTypeLibraryFile(g_library);
  if (library) return std::move(*library);
  state.SkipWithError(library.error().message.c_str());
  return std::nullopt;
}

void Read(benchmark::State& state) {
  for (auto _ : state) {
    auto library = Load(state);
    if (!library) return;
    benchmark::DoNotOptimize(library->types.size());
  }
}

void ReadAndWriteIdl(benchmark::State& state) {
  for (auto _ : state) {
    auto library = Load(state);
    if (!library) return;
    std::string idl = korvane::typelib::WriteIdl(std::move(*library));
    benchmark::DoNotOptimize(idl.size());
  }
}

// widl on the IDL written once, with stdole2.tlb (raw) beside it for importlib.
void WidlCompile(benchmark::State& state) {
  auto library = Load(state);
  if (!library) return;
  const auto idl = g_work / "library.idl";
  std::ofstream(idl) << korvane::typelib::WriteIdl(*library);
  const auto stdole = std::filesystem::path(g_library).parent_path() / "stdole2.tlb";
  auto source = korvane::platform::OpenFileReader(stdole.string());
  if (source) {
    auto bytes = korvane::formats::LoadTypeLibBytes(*source, korvane::platform::LocateTypeLib(stdole.string()));
    if (bytes) {
      std::ofstream(g_work / "stdole2.tlb", std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    }
  }
  const char* bits = library->attributes.sysKind == korvane::formats::kSysWin64 ? "--win64" : "--win32";
  const std::string command = g_widl + " -t " + bits + " -L '" + g_work.string() + "' -o '" +
                              (g_work / "library.tlb").string() + "' '" + idl.string() + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("widl failed");
      return;
    }
  }
}

// Remembers each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(Read)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndWriteIdl)->Unit(benchmark::kMillisecond);
BENCHMARK(WidlCompile)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) g_library = argv[1];
  if (argc > 2) g_widl = argv[2];
  std::string work = (std::filesystem::temp_directory_path() / "korvane-bench-idl-XXXXXX").string();
  if (::mkdtemp(work.data()) == nullptr) return 1;
  g_work = work;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code ec;
  std::filesystem::remove_all(g_work, ec);
  const double read = reporter.times["Read"];
  if (read > 0) {
    for (const auto& [name, time] : reporter.times) std::printf("%-20s %8.1f x the read\n", name.c_str(), time / read);
  }
  benchmark::Shutdown();
  return 0;
}
