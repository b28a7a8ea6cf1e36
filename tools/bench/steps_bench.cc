// Times the conversion of a generated old data folder (steps 1, 2, 3 and 6)
// against a plain copy of the same folder, for folders of growing size.
//
//   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLABRENA_BENCHMARKS=ON
//   cmake --build build --target steps_bench
//   build/steps_bench [--conv PATH] [--dir DIR] [--rounds N] [WORKERS...]
//
// For each size (default 1000, 10000 and 20000 workers, each with 12 monthly
// receipts and up to 2 per-worker receipt files) it writes a folder below DIR
// (default $TMPDIR, else /tmp), times `cp -r` of it, then runs
// `labrena-conv convert --data COPY --step 1 --step 2 --step 3 --step 6` on
// the copy as a child process with TMPDIR set to a scratch folder beside it,
// and prints both times, their ratio, the time per worker and the child's
// peak memory: the best time of N rounds (default 3), each on a fresh copy,
// and the highest peak. PATH defaults to labrena-conv beside this program.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/sample/sample.h"

namespace {

namespace fs = std::filesystem;

constexpr double kMaxRatio = 3.0;
constexpr double kMaxPeakMib = 100.0;

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  double peak_mib = 0;
};

// Runs argv[0] with the arguments, stdout discarded, and waits for it.
ChildRun Run(const std::vector<std::string>& args, const std::string& tmpdir) {
  ChildRun run;
  // A buffered line would otherwise be written again by the child.
  std::fflush(stdout);
  // Written-back data of the runs before must not be timed with this one.
  sync();
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (!tmpdir.empty()) setenv("TMPDIR", tmpdir.c_str(), 1);
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    std::vector<char*> argv;
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return run;
  int status = 0;
  struct rusage usage = {};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
  return run;
}

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

int Usage() {
  std::fprintf(stderr,
               "usage: steps_bench [--conv PATH] [--dir DIR] [--rounds N] "
               "[WORKERS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string conv =
      (fs::absolute(argv[0]).parent_path() / "labrena-conv").string();
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp && *tmp ? tmp : "/tmp";
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
  std::string pattern = (fs::path(dir) / "labrena-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("steps_bench: mkdtemp");
    return 1;
  }
  fs::path base = pattern;

  std::printf("%8s %7s %8s %9s %10s %6s %11s %9s\n", "workers", "files", "MiB",
              "cp -r s", "convert s", "ratio", "us/worker", "peak MiB");
  int failures = 0;
  for (int workers : sizes) {
    labrena::sample::SampleOptions options;
    options.workers = workers;
    options.employers = workers / 200 > 3 ? workers / 200 : 3;
    options.dependants = workers * 3 / 4;
    options.receipts = 6;
    options.years = 2;
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

    // The best of a few rounds: the machine may be busy with other work.
    ChildRun cp, run;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
      fs::remove_all(copy);
      fs::remove_all(retire);
      fs::create_directories(retire);
      ChildRun c = Run({"cp", "-r", source.string(), copy.string()}, "");
      ChildRun r = Run({conv, "convert", "--data", copy.string(), "--step", "1",
                        "--step", "2", "--step", "3", "--step", "6"},
                       retire.string());
      ok = c.ok && r.ok && fs::exists(copy / "F16.DAT");
      if (round == 0 || c.seconds < cp.seconds) cp = c;
      if (round == 0 || r.seconds < run.seconds) run.seconds = r.seconds;
      if (r.peak_mib > run.peak_mib) run.peak_mib = r.peak_mib;
    }
    double ratio = cp.seconds > 0 ? run.seconds / cp.seconds : 0;
    std::printf("%8d %7ld %8.1f %9.3f %10.3f %6.2f %11.1f %9.1f%s%s%s\n",
                workers, files, mib, cp.seconds, run.seconds, ratio,
                run.seconds * 1e6 / workers, run.peak_mib,
                ratio > kMaxRatio ? "  ratio over target" : "",
                run.peak_mib > kMaxPeakMib ? "  memory over target" : "",
                ok ? "" : "  FAILED (exit status or no F16.DAT)");
    std::fflush(stdout);
    failures += !ok;
    fs::remove_all(source);
    fs::remove_all(copy);
    fs::remove_all(retire);
  }
  fs::remove_all(base);
  std::printf(
      "targets: convert at most %.0f times cp -r; us/worker flat as the folder "
      "grows; peak memory under %.0f MiB\n",
      kMaxRatio, kMaxPeakMib);
  return failures ? 1 : 0;
}
