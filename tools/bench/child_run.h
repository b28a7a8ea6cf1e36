// Runs a program as a child process and measures it: the wall time and
// the peak memory (resident set) of the child.
#ifndef LABRENA_TOOLS_BENCH_CHILD_RUN_H_
#define LABRENA_TOOLS_BENCH_CHILD_RUN_H_

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace labrena {
namespace bench {

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  double peak_mib = 0;
};

// Runs argv[0] with the arguments, stdout discarded, and waits for it.
inline ChildRun Run(const std::vector<std::string>& args,
                    const std::string& tmpdir) {
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

// labrena-conv beside the benchmark program.
inline std::string ConverterBeside(const char* program) {
  return (std::filesystem::absolute(program).parent_path() / "labrena-conv")
      .string();
}

// Where the folders go by default: $TMPDIR, else /tmp.
inline std::string ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace bench
}  // namespace labrena

#endif  // LABRENA_TOOLS_BENCH_CHILD_RUN_H_
