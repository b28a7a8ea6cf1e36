// Step 2 on the old files it reads, cut from the input. Every old file but
// the counters (whose values move into the counters file) is still whole
// somewhere: in place, renamed, or retired. Every file the step writes holds
// whole records.
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

// The old files, in the order of the input.
constexpr const char* kOldFiles[] = {
    "F303.DAT", "F310.DAT", "REG\\R2005.DAT", "REG\\R2006.DAT", "R01\\2005.DAT",
    "F306.DAT", "F307.DAT", "F305.DAT",       "F302.DAT",       "CONFIGA.DAT",
};
constexpr const char* kCounters = "CONFIGA.DAT";

constexpr const char* kFolders[] = {"R61", "R62", "R27", "REG", "R01"};

// The new files and their record lengths.
struct NewFile {
  const char* name;  // a folder ends in '/'
  std::size_t record_length;
};
constexpr NewFile kNewFiles[] = {
    {"F16.DAT", 1955},   {"R62/", 850},       {"R61/", 701},
    {"R27/", 300},       {"F01R0.DAT", 814},  {"F07R0.DAT", 809},
    {"F08R1.DAT", 1000}, {"F02R1.DAT", 1000},
};

void Run(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, std::size(kOldFiles));
  MemEnv env;
  for (const char* folder : kFolders) env.MakeDir(folder);
  for (std::size_t i = 0; i < parts.size(); ++i)
    env.Put(kOldFiles[i], parts[i]);
  FakeUi ui;
  Context ctx{env, ui};
  ConvertSecondStep(ctx);

  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (std::string(kOldFiles[i]) == kCounters) continue;
    Check(AnyFileHolds(env, parts[i]), "old file lost or changed",
          kOldFiles[i]);
  }
  for (const NewFile& file : kNewFiles) {
    CheckWholeRecords(env, file.name, file.record_length);
  }
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
