// A whole conversion (steps 1, 2, 3 and 6) of a data folder whose old files
// are all cut from the input. Every old file that no step deletes on
// purpose is still whole somewhere, in the data folder or retired, and the
// worker register, when there is one, holds whole records.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fake_ui.h"
#include "platform/mem_env.h"
#include "shell/run.h"
#include "tests/fuzz/fuzz_folder.h"

namespace labrena {
namespace {

// In the order of the input. The run deletes the last two on purpose: the
// old counters once their values are in the counters file, and a file of
// the clean-up list.
constexpr const char* kOldFiles[] = {
    "FX0.DAT",        "FW0.DAT",           "FY0.DAT",
    "FZ0.DAT",        "RESP.DAT",          "REG\\REGFE.DAT",
    "REG\\REGRE.DAT", "REG\\R0000112.DAT", "REG\\R0000212.DAT",
    "R01\\2012.DAT",  "R02\\2012.DAT",     "R03\\2012.DAT",
    "F306.DAT",       "F307.DAT",          "F308.DAT",
    "F309.DAT",       "C04B.DAT",          "Temp\\LAB00017.TMP",
    "CONFIGA.DAT",    "sind.dat",
};
constexpr std::size_t kKeptFiles = std::size(kOldFiles) - 2;

constexpr const char* kFolders[] = {"R01", "R02", "R03", "R27",
                                    "R61", "R62", "REG", "Temp"};

void Run(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, std::size(kOldFiles));
  MemEnv env;
  for (const char* folder : kFolders) env.MakeDir(folder);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    env.Put(kOldFiles[i], parts[i]);
  }
  FakeUi ui;
  Context ctx{env, ui};
  RunConversion(ctx, {}, nullptr);

  for (std::size_t i = 0; i < parts.size() && i < kKeptFiles; ++i) {
    Check(AnyFileHolds(env, parts[i]), "old file lost or changed",
          kOldFiles[i]);
  }
  CheckWholeRecords(env, "F16.DAT", 1955);
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
