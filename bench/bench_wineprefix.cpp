// Reading a Wine prefix's registry against the registry store, on the same
// type-library lookups the inspector makes (does TypeLib\{guid} exist, which
// versions, the registered path of each version).
//
//   bench_wineprefix [PREFIX] [--benchmark_...]
//
// PREFIX defaults to a fresh one made by `wineboot -i` in a temporary folder
// (about 20 s, taken down at the end). The store holds a copy of the prefix's
// TypeLib keys, so both answer the same questions with the same results.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace {

using namespace korvane::platform;
using korvane::platform::posix::RegistryStore;
using korvane::platform::posix::WinePrefixRegistry;

std::string g_prefix;
std::string g_storeFile;
std::string g_tempDir;
bool g_madePrefix = false;

struct Value {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};
struct Key {
  std::string path;
  std::vector<Value> values;
};

std::vector<std::string> SubKeys(HKey key) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; RegEnumKey(key, i, &name, 256) == kErrorSuccess; ++i) names.push_back(name);
  return names;
}

void Collect(HKey root, const std::string& path, std::vector<Key>* out) {
  HKey key = 0;
  if (RegOpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return;
  Key k{path, {}};
  std::string name;
  for (std::uint32_t i = 0; RegEnumValue(key, i, &name, 16384) == kErrorSuccess; ++i) {
    Value v{name, 0, {}};
    std::uint32_t size = 0;
    RegQueryValueEx(key, name, &v.type, nullptr, &size);
    v.data.resize(size);
    RegQueryValueEx(key, name, &v.type, v.data.data(), &size);
    k.values.push_back(std::move(v));
  }
  out->push_back(std::move(k));
  for (const std::string& sub : SubKeys(key)) Collect(root, path + "\\" + sub, out);
  RegCloseKey(key);
}

void UsePrefix() {
  unsetenv("KORVANE_REGISTRY");
  setenv("WINEPREFIX", g_prefix.c_str(), 1);
}

void UseStore() {
  setenv("KORVANE_REGISTRY", g_storeFile.c_str(), 1);
}

std::vector<std::string> g_libraries;

void Prepare() {
  g_tempDir = (std::filesystem::temp_directory_path() / "korvane-bench-XXXXXX").string();
  if (::mkdtemp(g_tempDir.data()) == nullptr) std::abort();
  if (g_prefix.empty()) {
    g_prefix = g_tempDir + "/prefix";
    g_madePrefix = true;
    const std::string cmd = "env WINEPREFIX='" + g_prefix +
                            "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= "
                            "sh -c 'wineboot -i && wineserver -w' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
  g_storeFile = g_tempDir + "/registry.db";
  UsePrefix();
  std::vector<Key> keys;
  Collect(kHKeyClassesRoot, "TypeLib", &keys);
  HKey root = 0;
  RegOpenKeyEx(kHKeyClassesRoot, "TypeLib", kKeyRead, &root);
  g_libraries = SubKeys(root);
  RegCloseKey(root);
  UseStore();
  for (const Key& k : keys) {
    HKey key = 0;
    RegCreateKeyEx(kHKeyClassesRoot, k.path, kKeyAllSpecific, &key);
    for (const Value& v : k.values) {
      RegSetValueEx(key, v.name, v.type, v.data.data(), static_cast<std::uint32_t>(v.data.size()));
    }
    RegCloseKey(key);
  }
}

void TakeDown() {
  if (g_madePrefix) {
    const std::string cmd = "env WINEPREFIX='" + g_prefix + "' sh -c 'wineserver -k; wineserver -w' >/dev/null 2>&1";
    std::system(cmd.c_str());
  }
  std::error_code ec;
  std::filesystem::remove_all(g_tempDir, ec);
}

// The inspector's questions for every library the prefix registers; returns
// how many registered paths were found.
std::size_t Lookups() {
  std::size_t found = 0;
  for (const std::string& lib : g_libraries) {
    HKey key = 0;
    if (RegOpenKeyEx(kHKeyClassesRoot, "TypeLib\\" + lib, kKeyRead, &key) != kErrorSuccess) continue;
    const std::vector<std::string> versions = SubKeys(key);
    RegCloseKey(key);
    for (const std::string& version : versions) {
      for (const char* platform : {"win64", "win32"}) {
        if (RegOpenKeyEx(kHKeyClassesRoot, "TypeLib\\" + lib + "\\" + version + "\\0\\" + platform,
                         kKeyRead, &key) != kErrorSuccess) {
          continue;
        }
        std::uint8_t path[1024];
        std::uint32_t size = sizeof path;
        if (RegQueryValueEx(key, "", nullptr, path, &size) == kErrorSuccess) ++found;
        RegCloseKey(key);
        break;
      }
    }
  }
  return found;
}

void BM_PrefixRead(benchmark::State& state) {
  UsePrefix();
  for (auto _ : state) {
    const std::string error = WinePrefixRegistry::Instance().Load(g_prefix);
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
  std::error_code ec;
  std::uintmax_t bytes = 0;
  for (const char* f : {"system.reg", "user.reg", "userdef.reg"}) {
    bytes += std::filesystem::file_size(std::filesystem::path(g_prefix) / f, ec);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_PrefixRead)->Unit(benchmark::kMillisecond);

void BM_PrefixLookups(benchmark::State& state) {
  UsePrefix();
  WinePrefixRegistry::Instance().Load(g_prefix);
  std::size_t found = 0;
  for (auto _ : state) found = Lookups();
  state.counters["libraries"] = static_cast<double>(g_libraries.size());
  state.counters["paths"] = static_cast<double>(found);
}
BENCHMARK(BM_PrefixLookups)->Unit(benchmark::kMillisecond);

// What a fresh process in prefix mode pays: reading the files, then the lookups.
void BM_PrefixReadAndLookups(benchmark::State& state) {
  UsePrefix();
  for (auto _ : state) {
    WinePrefixRegistry::Instance().Reset();
    benchmark::DoNotOptimize(Lookups());
  }
}
BENCHMARK(BM_PrefixReadAndLookups)->Unit(benchmark::kMillisecond);

void BM_StoreLookups(benchmark::State& state) {
  UseStore();
  std::size_t found = 0;
  for (auto _ : state) found = Lookups();
  state.counters["paths"] = static_cast<double>(found);
}
BENCHMARK(BM_StoreLookups)->Unit(benchmark::kMillisecond);

// The same for the store: opening the file, then the lookups.
void BM_StoreOpenAndLookups(benchmark::State& state) {
  UseStore();
  for (auto _ : state) {
    RegistryStore::Instance().Reset();
    benchmark::DoNotOptimize(Lookups());
  }
}
BENCHMARK(BM_StoreOpenAndLookups)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && argv[1][0] != '-') {
    g_prefix = argv[1];
    --argc;
    ++argv;
    argv[0] = argv[-1];
  }
  benchmark::Initialize(&argc, argv);
  Prepare();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TakeDown();
  return 0;
}
