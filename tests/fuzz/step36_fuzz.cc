// Steps 3 and 6 on a worker register cut from the input, with the job and
// work-schedule registers when the first byte says so, old files of REG and
// Temp, and files of the clean-up list. Registers given are left alone,
// registers built hold whole records, the worker register stays, and the
// files of REG and Temp are whole in place or retired.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "convert/steps.h"
#include "platform/fake_ui.h"
#include "platform/mem_env.h"
#include "tests/fuzz/fuzz_folder.h"

namespace labrena {
namespace {

// Bits of the first byte.
constexpr int kGivesJobs = 0x01;       // the input's F35.DAT is put in place
constexpr int kGivesSchedules = 0x02;  // the input's F36.DAT is put in place
constexpr int kReadOnlyObsolete = 0x04;

// The files of the input after the first byte, in order.
constexpr const char* kWorkers = "F16.DAT";
constexpr const char* kJobs = "F35.DAT";
constexpr const char* kSchedules = "F36.DAT";
constexpr const char* kOldFolderFiles[] = {"REG\\R2005.tmp",
                                           "Temp\\LAB00017.TMP"};

// Files of the clean-up list, with bytes of their own.
constexpr const char* kObsolete[] = {"sind.dat", "CONF0.SAT",
                                     "R61\\R000000.DAT"};

void Run(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const int flags = data[0];
  std::vector<std::string> parts = SplitInput(data + 1, size - 1, 5);
  parts.resize(5);
  MemEnv env;
  env.Put(kWorkers, parts[0]);
  if (flags & kGivesJobs) env.Put(kJobs, parts[1]);
  if (flags & kGivesSchedules) env.Put(kSchedules, parts[2]);
  for (std::size_t i = 0; i < std::size(kOldFolderFiles); ++i) {
    env.Put(kOldFolderFiles[i], parts[3 + i]);
  }
  for (const char* name : kObsolete) env.Put(name, "obsolete");
  if (flags & kReadOnlyObsolete) env.SetReadOnly(kObsolete[0], true);
  FakeUi ui;
  Context ctx{env, ui};
  ConvertJobsAndSchedules(ctx);
  CleanUpObsoleteFiles(ctx);

  Check(env.Exists(kWorkers), "worker register lost", kWorkers);
  if (flags & kGivesJobs) {
    Check(Holds(env, kJobs, parts[1]), "register given changed", kJobs);
  } else {
    CheckWholeRecords(env, kJobs, 240);
  }
  if (flags & kGivesSchedules) {
    Check(Holds(env, kSchedules, parts[2]), "register given changed",
          kSchedules);
  } else {
    CheckWholeRecords(env, kSchedules, 250);
  }
  for (std::size_t i = 0; i < std::size(kOldFolderFiles); ++i) {
    std::string name = kOldFolderFiles[i];
    Check(Holds(env, name, parts[3 + i]) ||
              Holds(env, kRetired + name, parts[3 + i]),
          "old file lost or changed", name);
  }
  if (flags & kReadOnlyObsolete) {
    Check(Holds(env, kObsolete[0], "obsolete"), "read-only file deleted",
          kObsolete[0]);
  }
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
