// Times the receipt stage of the fourth step (the item blocks of the worker
// register and of every receipt in R61 and R62 rewritten in place, in two
// attempts) on a folder of about 2,000,000 receipt records, against `cp -r`
// of the same folder, and prints the peak memory of the conversion.
//
//   build/receipts_bench [--conv PATH] [--dir DIR] [--rounds N] [RECORDS]
//   build/receipts_bench --write DIR [RECORDS]   (only writes the folder, to
//                                                  profile the conversion)
//
// The folder is written directly in the layouts the fourth step reads:
// F16R0.DAT (20,000 workers), F31.DAT with user rubrics, the template
// F31R0.DA3, 10,000 per-worker files in R61 and ten yearly files in R62,
// half of the records in each folder; items mix standard codes, user codes,
// codes in neither table, contributions (152 with 50 and 51), rubric 61 and
// the vanishing 183 and 189.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/bench/child_run.h"

namespace {

namespace fs = std::filesystem;
using labrena::bench::ChildRun;
using labrena::bench::Run;

constexpr double kMaxRatio = 3.0;
constexpr double kMaxPeakMib = 100.0;
constexpr int kWorkers = 20000;
constexpr int kR61Files = 10000;
constexpr int kR62Files = 10;

class Random {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % (hi - lo + 1)); }

 private:
  std::uint64_t state_ = 12345;
};

std::string Pad(const std::string& text, std::size_t width) {
  std::string s = text.substr(0, width);
  s.resize(width, ' ');
  return s;
}

// The amount field (old: behind a blank) and 24 old items.
std::string OldRegion(Random& random) {
  static const int kCodes[] = {1,  2,   3,   33,  35,  40,  50,  51, 61,
                               70, 100, 152, 183, 189, 203, 250, 71, 156};
  char buf[64];
  std::string region;
  std::snprintf(buf, sizeof(buf), " %d,%02d", random.Range(100, 9999),
                random.Range(0, 99));
  region += Pad(buf, 19);
  int items = random.Range(3, 14);
  for (int i = 0; i < 24; ++i) {
    if (i >= items) {
      region += std::string(25, ' ');
      continue;
    }
    int code = kCodes[random.Next() % (sizeof(kCodes) / sizeof(kCodes[0]))];
    std::snprintf(buf, sizeof(buf), "%c%3d%-5s  %-14s",
                  random.Next() % 3 == 0 ? '2' : '1', code,
                  code == 152 ? "11.0" : code == 61 ? "30" : "",
                  (std::to_string(random.Range(1, 99999)) + "." +
                   std::to_string(random.Range(10, 99)))
                      .c_str());
    region += buf;
  }
  return region;
}

// Writes records of one layout: key, blanks up to the amount field, the
// region, and the deletion mark.
bool WriteRecords(const fs::path& path, std::size_t length,
                  std::size_t region_at, std::int64_t count, Random& random) {
  std::ofstream out(path, std::ios::binary);
  char key[16];
  for (std::int64_t n = 0; n < count; ++n) {
    std::snprintf(key, sizeof(key), "%010lld", static_cast<long long>(n % 99999));
    std::string record = Pad(key, region_at) + OldRegion(random);
    record.resize(length, ' ');
    out << record;
  }
  return static_cast<bool>(out);
}

bool WriteFolder(const fs::path& dir, std::int64_t records) {
  Random random;
  fs::create_directories(dir / "R61");
  fs::create_directories(dir / "R62");
  bool ok = WriteRecords(dir / "F16R0.DAT", 2000, 1380, kWorkers, random);
  std::ofstream rubrics(dir / "F31.DAT", std::ios::binary);
  for (int code : {70, 90, 203, 250, 156}) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%04d", code);
    rubrics << Pad(Pad(buf, 4) + "RUBRICA DO USUARIO", 80);
  }
  std::ofstream(dir / "F31R0.DA3", std::ios::binary)
      << Pad("001 SALARIO", 300) << Pad("011 HORAS NORMAIS", 300);
  std::int64_t half = (records - kWorkers) / 2;
  for (int i = 0; ok && i < kR61Files; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "%07d.DAT", i);
    ok = WriteRecords(dir / "R61" / name, 701, 81, half / kR61Files, random);
  }
  for (int i = 0; ok && i < kR62Files; ++i) {
    ok = WriteRecords(dir / "R62" / (std::to_string(2000 + i) + ".DAT"), 850,
                      230, half / kR62Files, random);
  }
  return ok && static_cast<bool>(rubrics);
}

int Usage() {
  std::fprintf(stderr,
               "usage: receipts_bench [--conv PATH] [--dir DIR] [--rounds N] "
               "[RECORDS]\n       receipts_bench --write DIR [RECORDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string conv = labrena::bench::ConverterBeside(argv[0]);
  std::string dir = labrena::bench::ScratchDir();
  std::int64_t records = 2000000;
  int rounds = 3;
  std::string write_only;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--conv" || arg == "--dir") && i + 1 < argc) {
      (arg == "--conv" ? conv : dir) = argv[++i];
    } else if (arg == "--write" && i + 1 < argc) {
      write_only = argv[++i];
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
      if (rounds < 1) return Usage();
    } else if (std::int64_t n = std::atoll(arg.c_str()); n > kWorkers) {
      records = n;
    } else {
      return Usage();
    }
  }
  if (!write_only.empty()) return WriteFolder(write_only, records) ? 0 : 1;
  std::string pattern = (fs::path(dir) / "labrena-receipts-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("receipts_bench: mkdtemp");
    return 1;
  }
  fs::path base = pattern;
  fs::path source = base / "source", copy = base / "copy",
           retire = base / "tmp";
  if (!WriteFolder(source, records)) {
    std::fprintf(stderr, "receipts_bench: cannot write %s\n",
                 source.string().c_str());
    fs::remove_all(base);
    return 1;
  }
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  std::printf("receipt stage of labrena-conv convert --step 4 against cp -r, "
              "%lld receipt records, %.0f MiB, best of %d rounds\n",
              static_cast<long long>(records), bytes / 1048576.0, rounds);
  ChildRun cp, run;
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    fs::remove_all(copy);
    fs::remove_all(retire);
    fs::create_directories(retire);
    ChildRun c = Run({"cp", "-r", source.string(), copy.string()}, "");
    ChildRun r = Run({conv, "convert", "--step", "4", "--data", copy.string()},
                     retire.string());
    ok = c.ok && r.ok && !fs::exists(copy / "F31R0.TAB") &&
         fs::exists(copy / "F31R0.DAT");
    if (round == 0 || c.seconds < cp.seconds) cp = c;
    if (round == 0 || r.seconds < run.seconds) run.seconds = r.seconds;
    if (r.peak_mib > run.peak_mib) run.peak_mib = r.peak_mib;
  }
  double ratio = cp.seconds > 0 ? run.seconds / cp.seconds : 0;
  std::printf("%9s %10s %6s %12s %9s\n", "cp -r s", "convert s", "ratio",
              "us/record", "peak MiB");
  std::printf("%9.3f %10.3f %6.2f %12.3f %9.1f%s%s%s\n", cp.seconds,
              run.seconds, ratio, run.seconds * 1e6 / records, run.peak_mib,
              ratio > kMaxRatio ? "  ratio over target" : "",
              run.peak_mib > kMaxPeakMib ? "  memory over target" : "",
              ok ? "" : "  FAILED (exit status or unfinished)");
  std::printf("targets: convert at most %.1f times cp -r; peak memory under "
              "%.0f MiB\n",
              kMaxRatio, kMaxPeakMib);
  fs::remove_all(base);
  return ok ? 0 : 1;
}
