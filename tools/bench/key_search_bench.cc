// Key search and field reads over a generated record file of 100,000
// records; prints records per second.
//
//   cmake -S . -B build -DLABRENA_BENCHMARKS=ON && cmake --build build
//   build/key_search_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fields/numbers.h"
#include "platform/fake_ui.h"
#include "platform/system_env.h"
#include "records/key_search.h"

namespace labrena {
namespace {

constexpr std::int64_t kRecords = 100000;
constexpr std::int64_t kLength = 240;  // the job register's record length
const std::vector<int> kWidths = {11, 40, 10, 179};

class Folder {
 public:
  Folder() {
    dir_ = (std::filesystem::temp_directory_path() / "labrena-key-bench")
               .string();
    std::filesystem::create_directories(dir_);
    env_ = NewSystemEnv(dir_, dir_ + "/");
    std::string all;
    all.reserve(kRecords * kLength);
    for (std::int64_t i = 0; i < kRecords; ++i) {
      std::string rec = Format("%-11lld%-40s%-10s", static_cast<long long>(i),
                               Format("CARGO %lld", static_cast<long long>(i))
                                   .c_str(),
                               "EMP");
      rec.resize(kLength, ' ');
      if (i % 10 == 5) rec[kLength - 1] = '+';
      all += rec;
    }
    auto f = env_->Open("F35.DAT", OpenMode::kWrite);
    f->WriteAt(0, all.data(), all.size());
    f->Close();
  }
  ~Folder() { std::filesystem::remove_all(dir_); }
  Context ctx() { return Context{*env_, ui_}; }

 private:
  std::string dir_;
  std::unique_ptr<Env> env_;
  FakeUi ui_;
};

Folder& TheFolder() {
  static Folder folder;
  return folder;
}

// A key near the end: the scan reads every record before it.
void BM_FindKeyFullScan(benchmark::State& state) {
  Context ctx = TheFolder().ctx();
  std::string key = Format("%-40s%-10s", "CARGO 99999", "EMP");
  for (auto _ : state) {
    std::int64_t n = -1;
    FindKeyByName(ctx, "F35.DAT", kLength, &n, key, 11, 50);
    if (n != 99999) state.SkipWithError("key not found");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FindKeyFullScan)->Unit(benchmark::kMillisecond);

void BM_ReadFieldEveryRecord(benchmark::State& state) {
  Context ctx = TheFolder().ctx();
  File file = OpenRead(ctx.env, "F35.DAT");
  std::string value;
  for (auto _ : state) {
    for (std::int64_t n = 0; n < kRecords; ++n) {
      ReadField(ctx, file.get(), n, &value, 1, 0, "F35.DAT", kLength,
                kWidths);
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadFieldEveryRecord)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace labrena

BENCHMARK_MAIN();
