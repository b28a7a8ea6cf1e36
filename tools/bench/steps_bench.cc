// Times the conversion of a generated old data folder against a plain copy
// of the same folder, for folders of growing size, and counts the calls each
// makes per old file.
//
//   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLABRENA_BENCHMARKS=ON
//   cmake --build build --target steps_bench
//   build/steps_bench [--conv PATH] [--dir DIR] [--rounds N] [WORKERS...]
//
// For each size (default 1000, 10000 and 20000 workers, each with 6 monthly
// receipts over 2 years, up to 2 per-worker receipt files, and an entry
// among a tenth as many service takers, which the fifth step merges into a
// record of its own) it writes a folder below DIR (default $TMPDIR, else
// /tmp), times `cp -r` of it, then runs `labrena-conv convert --data COPY`
// on the copy as a child process with TMPDIR set to a scratch folder beside
// it: the steps built so far, named with --step while one is missing, the
// full run once all six are, without its journal (--no-journal) and with it.
// It prints the times, the ratio of each run to `cp -r`, the time per
// worker and the child's peak memory: the best time of N rounds (default 3),
// each on a fresh copy, and the highest peak.
//
// Once the fifth step is built, it is timed alone the same way, on the
// folder that the first four steps leave: `cp -r` of that folder against
// `labrena-conv convert --step 5` on a copy, with the merged records it
// wrote.
//
// Then, untimed, per old file: the system calls of each kind of cp -r and
// of the conversion without and with its journal, as `strace -c -f` counts
// them (when strace is on the PATH), and the Env calls
// of each kind of the conversion, run in a child process through a
// CountingEnv. PATH defaults to labrena-conv beside this program.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console_ui.h"
#include "platform/counting_env.h"
#include "platform/system_env.h"
#include "shell/run.h"
#include "tools/bench/child_run.h"
#include "tools/sample/sample.h"

namespace {

namespace fs = std::filesystem;

constexpr double kMaxRatio = 1.5;
// With the journal, which flushes every entry to disk before its change.
constexpr double kMaxJournaledRatio = 3.0;
constexpr double kMaxPeakMib = 100.0;

using labrena::CountingEnv;
using labrena::bench::ChildRun;
using labrena::bench::Run;
using EnvCalls = std::array<std::int64_t, CountingEnv::kKinds>;

// Writes the folder in a child process: the model of a large folder takes
// more memory than the conversion, and a child forked from a big process
// starts its peak memory from the parent's, exec or not.
bool Generate(const labrena::sample::SampleOptions& options,
              const std::string& dir) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    std::string error;
    bool ok = labrena::sample::WriteSampleFolder(
        labrena::sample::BuildSampleFolder(options), dir, &error);
    if (!ok) std::fprintf(stderr, "steps_bench: %s\n", error.c_str());
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Converts the folder in a child process through a counting Env, with the
// retirement folder below retire; the calls come back through a pipe.
bool CountEnvCalls(const std::string& data, const std::string& retire,
                   const std::vector<int>& steps, EnvCalls* calls) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    auto base = labrena::NewSystemEnv(data, retire + "/");
    CountingEnv env(*base);
    labrena::ConsoleUi ui(labrena::ConsoleUi::Policy::kAsk, stderr, stdin);
    labrena::Context ctx{env, ui};
    labrena::RunConversion(ctx, steps);
    EnvCalls counts;
    for (int kind = 0; kind < CountingEnv::kKinds; ++kind) {
      counts[kind] = env.count(static_cast<CountingEnv::Call>(kind));
    }
    bool sent = write(fds[1], counts.data(), sizeof(counts)) ==
                static_cast<ssize_t>(sizeof(counts));
    _exit(sent && !ui.error_shown() ? 0 : 1);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return false;
  }
  bool got = read(fds[0], calls->data(), sizeof(*calls)) ==
             static_cast<ssize_t>(sizeof(*calls));
  close(fds[0]);
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0 && got;
}

// The system calls that `strace -c` summed up in a file, by name.
std::map<std::string, std::int64_t> ReadSummary(const fs::path& path) {
  std::map<std::string, std::int64_t> calls;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    // "% time  seconds  usecs/call  calls  [errors]  syscall"
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 5 || w[0][0] < '0' || w[0][0] > '9' || w.back() == "total") {
      continue;
    }
    calls[w.back()] += std::atoll(w[3].c_str());
  }
  return calls;
}

// The kinds of system calls shown, each with the calls it sums; the rest are
// shown as "other".
struct SyscallKind {
  const char* title;
  std::vector<const char*> names;
};
const std::vector<SyscallKind>& SyscallKinds() {
  static const std::vector<SyscallKind> kinds = {
      {"status", {"newfstatat", "fstat", "stat", "lstat", "statx"}},
      {"open", {"openat", "open"}},
      {"close", {"close"}},
      {"data",
       {"read", "pread64", "write", "pwrite64", "copy_file_range", "sendfile"}},
      {"rename", {"rename", "renameat", "renameat2"}},
  };
  return kinds;
}

void PrintSyscalls(int workers, const char* program,
                   const std::map<std::string, std::int64_t>& calls, long files,
                   double* total_per_file) {
  std::map<std::string, std::int64_t> rest = calls;
  std::int64_t total = 0;
  for (const auto& [name, count] : calls) total += count;
  *total_per_file = static_cast<double>(total) / files;
  std::printf("%8d  %-8s %8.2f", workers, program, *total_per_file);
  for (const SyscallKind& kind : SyscallKinds()) {
    std::int64_t sum = 0;
    for (const char* name : kind.names) {
      auto it = rest.find(name);
      if (it == rest.end()) continue;
      sum += it->second;
      rest.erase(it);
    }
    std::printf(" %8.2f", static_cast<double>(sum) / files);
  }
  std::int64_t other = 0;
  for (const auto& [name, count] : rest) other += count;
  std::printf(" %8.2f\n", static_cast<double>(other) / files);
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    fs::path candidate = fs::path(dir.empty() ? "." : dir) / program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return "";
}

void FolderSize(const fs::path& dir, long* files, double* mib) {
  *files = 0;
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    ++*files;
    bytes += entry.file_size();
  }
  *mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The records of F07R0.DAT merged from F02R1.DAT: origin flag "1".
long MergedRecords(const fs::path& dir) {
  constexpr std::size_t kLength = 809, kOrigin = 238;
  std::ifstream in(dir / "F07R0.DAT", std::ios::binary);
  std::string record(kLength, ' ');
  long merged = 0;
  while (in.read(record.data(), kLength)) merged += record[kOrigin] == '1';
  return merged;
}

// The fifth step alone on a folder that the first four left.
struct FifthStep {
  int workers = 0;
  long files = 0;
  double mib = 0;
  long merged = 0;
  ChildRun cp, run;
  bool ok = false;
};

// Times `cp -r` of stage against the fifth step on a copy, best of rounds.
FifthStep TimeFifthStep(const std::string& conv, const fs::path& stage,
                        const fs::path& copy, const fs::path& retire,
                        int rounds) {
  FifthStep f;
  FolderSize(stage, &f.files, &f.mib);
  f.ok = true;
  for (int round = 0; round < rounds && f.ok; ++round) {
    fs::remove_all(copy);
    fs::remove_all(retire);
    fs::create_directories(retire);
    ChildRun c = Run({"cp", "-r", stage.string(), copy.string()}, "");
    ChildRun r = Run({conv, "convert", "--data", copy.string(), "--step", "5",
                      "--no-journal"},
                     retire.string());
    f.ok = c.ok && r.ok && fs::exists(copy / "F36R0.DAT");
    if (round == 0) f.merged = MergedRecords(copy);
    if (round == 0 || c.seconds < f.cp.seconds) f.cp = c;
    if (round == 0 || r.seconds < f.run.seconds) f.run.seconds = r.seconds;
    if (r.peak_mib > f.run.peak_mib) f.run.peak_mib = r.peak_mib;
  }
  return f;
}

int Usage() {
  std::fprintf(stderr,
               "usage: steps_bench [--conv PATH] [--dir DIR] [--rounds N] "
               "[WORKERS...]\n");
  return 2;
}

// What one size gave, for the tables after the timings.
struct Counted {
  int workers = 0;
  long files = 0;
  bool traced = false;
  std::map<std::string, std::int64_t> cp_calls, conv_calls, journal_calls;
  bool env_counted = false;
  EnvCalls env_calls = {};
};

}  // namespace

int main(int argc, char** argv) {
  std::string conv = labrena::bench::ConverterBeside(argv[0]);
  std::string dir = labrena::bench::ScratchDir();
  std::vector<int> sizes;
  int rounds = 3;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--conv" || arg == "--dir") && i + 1 < argc) {
      (arg == "--conv" ? conv : dir) = argv[++i];
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
      if (rounds < 1) return Usage();
    } else if (int n = std::atoi(arg.c_str()); n > 0 && n <= 99999) {
      sizes.push_back(n);
    } else {
      return Usage();
    }
  }
  if (sizes.empty()) sizes = {1000, 10000, 20000};
  if (!fs::exists(conv)) {
    std::fprintf(stderr, "steps_bench: no converter at %s (use --conv)\n",
                 conv.c_str());
    return 2;
  }
  const std::string strace = FindOnPath("strace");
  std::string pattern = (fs::path(dir) / "labrena-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("steps_bench: mkdtemp");
    return 1;
  }
  fs::path base = pattern;

  // The steps built so far; all of them make the full run.
  std::vector<int> steps;
  std::string step_args, shown = "steps";
  for (const labrena::ConversionStep& step : labrena::ConversionSteps()) {
    if (!step.run) continue;
    steps.push_back(step.number);
    shown += " " + std::to_string(step.number);
  }
  const bool full = steps.size() == labrena::ConversionSteps().size();
  if (full) shown = "the full run";
  const bool fifth_built =
      std::find(steps.begin(), steps.end(), 5) != steps.end();

  std::printf("%s of labrena-conv against cp -r, best of %d rounds\n",
              shown.c_str(), rounds);
  std::printf("%8s %7s %8s %9s %10s %6s %11s %9s %10s %6s\n", "workers",
              "files", "MiB", "cp -r s", "convert s", "ratio", "us/worker",
              "peak MiB", "journal s", "ratio");
  int failures = 0;
  std::vector<Counted> counted;
  std::vector<FifthStep> fifth;
  for (int workers : sizes) {
    labrena::sample::SampleOptions options;
    options.workers = workers;
    options.employers = workers / 200 > 3 ? workers / 200 : 3;
    options.dependants = workers * 3 / 4;
    options.receipts = 6;
    options.years = 2;
    options.service_takers = workers / 10 > 1 ? workers / 10 : 1;
    fs::path source = base / ("source-" + std::to_string(workers));
    fs::path copy = base / ("copy-" + std::to_string(workers));
    fs::path retire = base / ("tmp-" + std::to_string(workers));
    if (!Generate(options, source.string())) {
      ++failures;
      break;
    }
    long files = 0;
    double mib = 0;
    FolderSize(source, &files, &mib);
    std::vector<std::string> convert = {conv, "convert", "--data",
                                        copy.string()};
    for (int step : steps) {
      if (full) break;
      convert.push_back("--step");
      convert.push_back(std::to_string(step));
    }
    const fs::path journal = copy.string() + ".labrena-journal";
    std::vector<std::string> journaled = convert;
    convert.push_back("--no-journal");
    auto fresh_copy = [&] {
      fs::remove_all(journal);
      fs::remove_all(copy);
      fs::remove_all(retire);
      fs::create_directories(retire);
      return Run({"cp", "-r", source.string(), copy.string()}, "").ok;
    };

    // The best of a few rounds: the machine may be busy with other work.
    ChildRun cp, run, with_journal;
    bool ok = true;
    auto best = [](ChildRun& kept, const ChildRun& r, int round) {
      if (round == 0 || r.seconds < kept.seconds) kept.seconds = r.seconds;
      if (r.peak_mib > kept.peak_mib) kept.peak_mib = r.peak_mib;
    };
    for (int round = 0; round < rounds && ok; ++round) {
      ok = fresh_copy();
      fs::remove_all(copy);
      ChildRun c = Run({"cp", "-r", source.string(), copy.string()}, "");
      ChildRun r = Run(convert, retire.string());
      ok = ok && c.ok && r.ok && fs::exists(copy / "F16R0.DAT");
      if (round == 0 || c.seconds < cp.seconds) cp = c;
      best(run, r, round);
      ChildRun j;
      ok = ok && fresh_copy() && (j = Run(journaled, retire.string())).ok;
      best(with_journal, j, round);
    }
    double ratio = cp.seconds > 0 ? run.seconds / cp.seconds : 0;
    double journal_ratio = cp.seconds > 0 ? with_journal.seconds / cp.seconds
                                          : 0;
    std::printf(
        "%8d %7ld %8.1f %9.3f %10.3f %6.2f %11.1f %9.1f %10.3f %6.2f%s%s%s%s\n",
        workers, files, mib, cp.seconds, run.seconds, ratio,
        run.seconds * 1e6 / workers,
        std::max(run.peak_mib, with_journal.peak_mib), with_journal.seconds,
        journal_ratio, ratio > kMaxRatio ? "  ratio over target" : "",
        journal_ratio > kMaxJournaledRatio ? "  journal over target" : "",
        std::max(run.peak_mib, with_journal.peak_mib) > kMaxPeakMib
            ? "  memory over target"
            : "",
        ok ? "" : "  FAILED (exit status or no F16R0.DAT)");
    std::fflush(stdout);
    failures += !ok;

    // The fifth step alone, on what the first four make of a fresh copy.
    if (ok && fifth_built && fresh_copy()) {
      fs::path stage = base / ("stage-" + std::to_string(workers));
      bool staged = Run({conv, "convert", "--data", copy.string(), "--step",
                         "1", "--step", "2", "--step", "3", "--step", "4",
                         "--no-journal"},
                        retire.string())
                        .ok;
      fs::rename(copy, stage);
      FifthStep f = TimeFifthStep(conv, stage, copy, retire, rounds);
      f.workers = workers;
      f.ok = f.ok && staged;
      failures += !f.ok;
      fifth.push_back(f);
      fs::remove_all(stage);
    }

    // The counts, untimed: strace slows what it watches.
    Counted c;
    c.workers = workers;
    c.files = files;
    if (ok && !strace.empty()) {
      fs::path cp_summary = base / "cp.strace",
               conv_summary = base / "conv.strace";
      fs::remove_all(copy);
      bool traced = Run({strace, "-c", "-f", "-o", cp_summary.string(), "cp",
                         "-r", source.string(), copy.string()},
                        "")
                        .ok;
      fs::remove_all(copy);
      auto trace = [&](const std::vector<std::string>& command,
                       const fs::path& summary) {
        std::vector<std::string> traced_command = {strace, "-c", "-f", "-o",
                                                   summary.string()};
        traced_command.insert(traced_command.end(), command.begin(),
                              command.end());
        return fresh_copy() && Run(traced_command, retire.string()).ok;
      };
      fs::path journal_summary = base / "journal.strace";
      traced = traced && trace(convert, conv_summary) &&
               trace(journaled, journal_summary);
      if (traced) {
        c.traced = true;
        c.cp_calls = ReadSummary(cp_summary);
        c.conv_calls = ReadSummary(conv_summary);
        c.journal_calls = ReadSummary(journal_summary);
      }
    }
    if (ok && fresh_copy()) {
      c.env_counted =
          CountEnvCalls(copy.string(), retire.string(), steps, &c.env_calls);
    }
    counted.push_back(c);
    fs::remove_all(source);
    fs::remove_all(copy);
    fs::remove_all(retire);
  }
  fs::remove_all(base);

  if (!fifth_built) {
    std::printf("\nstep 5: not built yet\n");
  } else {
    std::printf(
        "\nstep 5 alone against cp -r of the folder steps 1 to 4 leave, best "
        "of %d rounds\n",
        rounds);
    std::printf("%8s %7s %7s %8s %9s %10s %6s %11s %9s\n", "workers", "merged",
                "files", "MiB", "cp -r s", "step 5 s", "ratio", "us/worker",
                "peak MiB");
    for (const FifthStep& f : fifth) {
      double ratio = f.cp.seconds > 0 ? f.run.seconds / f.cp.seconds : 0;
      std::printf("%8d %7ld %7ld %8.1f %9.3f %10.3f %6.2f %11.1f %9.1f%s%s%s\n",
                  f.workers, f.merged, f.files, f.mib, f.cp.seconds,
                  f.run.seconds, ratio, f.run.seconds * 1e6 / f.workers,
                  f.run.peak_mib,
                  ratio > kMaxRatio ? "  ratio over target" : "",
                  f.run.peak_mib > kMaxPeakMib ? "  memory over target" : "",
                  f.ok ? "" : "  FAILED (exit status or no F36R0.DAT)");
    }
  }

  bool calls_over = false;
  if (strace.empty()) {
    std::printf("\nsystem calls: strace is not on the PATH\n");
  } else {
    std::printf("\nsystem calls per old file (strace -c -f)\n");
    std::printf("%8s  %-8s %8s", "workers", "program", "total");
    for (const SyscallKind& kind : SyscallKinds()) {
      std::printf(" %8s", kind.title);
    }
    std::printf(" %8s\n", "other");
    for (const Counted& c : counted) {
      if (!c.traced) {
        std::printf("%8d  not traced\n", c.workers);
        continue;
      }
      double cp_total = 0, conv_total = 0, journal_total = 0;
      PrintSyscalls(c.workers, "cp -r", c.cp_calls, c.files, &cp_total);
      PrintSyscalls(c.workers, "convert", c.conv_calls, c.files, &conv_total);
      PrintSyscalls(c.workers, "journal", c.journal_calls, c.files,
                    &journal_total);
      if (conv_total > cp_total) {
        calls_over = true;
        std::printf("%8d  calls over target\n", c.workers);
      }
    }
  }
  std::printf("\nEnv calls per old file of the conversion (CountingEnv)\n");
  for (const Counted& c : counted) {
    if (!c.env_counted) {
      std::printf("%8d  not counted\n", c.workers);
      continue;
    }
    // The kinds of at least one call in a hundred files, then the rest.
    std::int64_t total = 0, rest = 0;
    for (std::int64_t n : c.env_calls) total += n;
    std::printf("%8d  total %.2f:", c.workers,
                static_cast<double>(total) / c.files);
    for (int kind = 0; kind < CountingEnv::kKinds; ++kind) {
      if (c.env_calls[kind] * 100 < c.files) {
        rest += c.env_calls[kind];
        continue;
      }
      std::printf(" %s %.2f",
                  CountingEnv::Name(static_cast<CountingEnv::Call>(kind)),
                  static_cast<double>(c.env_calls[kind]) / c.files);
    }
    std::printf(" other %.2f\n", static_cast<double>(rest) / c.files);
  }
  std::printf(
      "\ntargets: at most as many system calls per old file as cp -r%s; "
      "convert at most %.1f times cp -r; us/worker flat as the folder grows; "
      "peak memory under %.0f MiB\n",
      calls_over ? " (missed)" : "", kMaxRatio, kMaxPeakMib);
  return failures ? 1 : 0;
}
