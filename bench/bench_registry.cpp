// Registry operations per second on the Linux store, each beside a baseline
// measured in the same run: the bare SQLite statement that does the same job
// on the same file, so the ratio shows what the registry layer costs.
//
//   bench_registry --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"
#include "registry/clsRegistry.h"

namespace {

using namespace korvane::platform;

constexpr int kEnumeratedKeys = 10000;
const char* const kDeepKey = "CLSID\\{00000000-0000-0000-C000-000000000046}\\InprocServer32";

std::string g_storeDir;

// One store file for the whole run, in a fresh temporary folder removed at exit.
const std::string& StoreFile() {
  static const std::string file = [] {
    g_storeDir = (std::filesystem::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (::mkdtemp(g_storeDir.data()) == nullptr) std::abort();
    std::string path = g_storeDir + "/registry.db";
    ::setenv("KORVANE_REGISTRY", path.c_str(), 1);
    // Fixtures: a value to read and a key with many sub-keys.
    HKey key = 0;
    RegCreateKeyEx(kHKeyClassesRoot, kDeepKey, kKeyAllSpecific, &key);
    const std::string text = "C:\\Windows\\System32\\ole32.dll";
    RegSetValueEx(key, "", kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                  static_cast<std::uint32_t>(text.size() + 1));
    RegCloseKey(key);
    for (int i = 0; i < kEnumeratedKeys; ++i) {
      RegCreateKeyEx(kHKeyCurrentUser, "Software\\Many\\Key" + std::to_string(i), kKeyAllSpecific,
                     &key);
      RegCloseKey(key);
    }
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(g_storeDir, ec);
    });
    return path;
  }();
  return file;
}

// A second, bare connection to the store file for the baselines.
struct RawStore {
  sqlite3* db = nullptr;
  RawStore() {
    sqlite3_open_v2(StoreFile().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  }
  ~RawStore() { sqlite3_close(db); }
  sqlite3_stmt* Prepare(const char* sql) const {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    return s;
  }
  // The id of the key at the end of a chain of folded names.
  std::int64_t KeyId(std::int64_t root, std::initializer_list<const char*> folds) const {
    sqlite3_stmt* s = Prepare("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    std::int64_t id = root;
    for (const char* fold : folds) {
      sqlite3_bind_int64(s, 1, id);
      sqlite3_bind_text(s, 2, fold, -1, SQLITE_STATIC);
      id = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    return id;
  }
};

void BM_OpenQueryExisting(benchmark::State& state) {
  StoreFile();
  std::uint8_t buffer[256];
  for (auto _ : state) {
    HKey key = 0;
    RegOpenKeyEx(kHKeyClassesRoot, kDeepKey, kKeyQueryValue, &key);
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    benchmark::DoNotOptimize(RegQueryValueEx(key, "", &type, buffer, &size));
    RegCloseKey(key);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenQueryExisting);

// The same read through the registry class (its open, size query, read, close).
void BM_ClassValueRead(benchmark::State& state) {
  StoreFile();
  korvane::clsRegistry r;
  r.SetClassKey(korvane::kClassesRoot);
  r.SetSectionKey(kDeepKey);
  for (auto _ : state) {
    benchmark::DoNotOptimize(r.Value());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassValueRead);

// Baseline: one indexed SELECT of the value's row by its key id, known beforehand.
void BM_Baseline_SelectValue(benchmark::State& state) {
  RawStore raw;
  const std::int64_t classes = raw.KeyId(1, {"SOFTWARE", "CLASSES", "CLSID",
                                              "{00000000-0000-0000-C000-000000000046}",
                                              "INPROCSERVER32"});
  sqlite3_stmt* find = raw.Prepare("SELECT data FROM vals WHERE key = ?1 AND fold = ''");
  sqlite3_bind_int64(find, 1, classes);
  for (auto _ : state) {
    sqlite3_step(find);
    benchmark::DoNotOptimize(sqlite3_column_blob(find, 0));
    sqlite3_reset(find);
  }
  sqlite3_finalize(find);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline_SelectValue);

void BM_CreateSet(benchmark::State& state) {
  StoreFile();
  std::uint32_t i = 0;
  for (auto _ : state) {
    HKey key = 0;
    RegCreateKeyEx(kHKeyCurrentUser, "Software\\Writes\\K" + std::to_string(i % 1000),
                   kKeyAllSpecific, &key);
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(i), 0, 0, 0};
    benchmark::DoNotOptimize(RegSetValueEx(key, "V" + std::to_string(i), kRegDword, data, 4));
    RegCloseKey(key);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateSet);

// Baseline: one INSERT in its own committed transaction, as every registry write is.
void BM_Baseline_InsertCommit(benchmark::State& state) {
  RawStore raw;
  sqlite3_exec(raw.db, "CREATE TABLE IF NOT EXISTS bench(k INTEGER, v BLOB)", nullptr, nullptr,
               nullptr);
  sqlite3_stmt* insert = raw.Prepare("INSERT INTO bench(k, v) VALUES(?1, x'01000000')");
  std::int64_t i = 0;
  for (auto _ : state) {
    sqlite3_exec(raw.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_int64(insert, 1, i++);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(insert);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline_InsertCommit);

void BM_Enumerate10000SubKeys(benchmark::State& state) {
  StoreFile();
  std::string name;
  for (auto _ : state) {
    HKey key = 0;
    RegOpenKeyEx(kHKeyCurrentUser, "Software\\Many", kKeyEnumerateSubKeys, &key);
    std::uint32_t n = 0;
    while (RegEnumKey(key, n, &name, 256) == kErrorSuccess) ++n;
    RegCloseKey(key);
    if (n != kEnumeratedKeys) state.SkipWithError("wrong number of sub-keys");
  }
  state.SetItemsProcessed(state.iterations() * kEnumeratedKeys);
}
BENCHMARK(BM_Enumerate10000SubKeys)->Unit(benchmark::kMillisecond);

// Baseline: the ordered SELECT of the same 10,000 names.
void BM_Baseline_SelectSubKeyNames(benchmark::State& state) {
  RawStore raw;
  sqlite3_stmt* list = raw.Prepare("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold");
  sqlite3_bind_int64(list, 1, raw.KeyId(2, {"SOFTWARE", "MANY"}));
  for (auto _ : state) {
    int n = 0;
    while (sqlite3_step(list) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(list, 0));
      ++n;
    }
    sqlite3_reset(list);
    if (n != kEnumeratedKeys) state.SkipWithError("wrong number of sub-keys");
  }
  sqlite3_finalize(list);
  state.SetItemsProcessed(state.iterations() * kEnumeratedKeys);
}
BENCHMARK(BM_Baseline_SelectSubKeyNames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
