// The fourth step on registers, a rubric table and receipts cut from the
// input, with the rubric template in place. Old registers and the old
// rubric table are whole somewhere; the new registers and the rubric table
// hold whole records; a receipt file only grows to complete its last
// record; and when the run showed no error, a second run changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/steps.h"
#include "platform/fake_ui.h"
#include "platform/mem_env.h"
#include "tests/fuzz/fuzz_folder.h"

namespace labrena {
namespace {

struct Input {
  const char* name;
  std::size_t record;  // the record length of a new or converted file
};

// The files of the input, in order.
constexpr Input kOldFiles[] = {{"F00.DAT", 0},  {"F16.DAT", 0},
                               {"F13.DAT", 0},  {"F31.DAT", 0}};
constexpr Input kReceipts[] = {{"F16R0.DAT", 2000},
                               {"R61\\0000111.DAT", 701},
                               {"R62\\2011.DAT", 850},
                               {"R27\\2011.DAT", 300}};

std::size_t RoundUp(std::size_t size, std::size_t record) {
  return (size + record - 1) / record * record;
}

bool ErrorShown(const FakeUi& ui) {
  for (const ShownBox& box : ui.boxes()) {
    if (box.icon == Icon::kError) return true;
  }
  return false;
}

void Run(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, 8);
  parts.resize(8);
  MemEnv env;
  // The worker register comes either old (F16.DAT) or already converted.
  const bool old_workers = !parts[1].empty();
  for (int i = 0; i < 4; ++i) {
    if (i != 1 || old_workers) env.Put(kOldFiles[i].name, parts[i]);
  }
  for (int i = 0; i < 4; ++i) {
    if (i != 0 || !old_workers) env.Put(kReceipts[i].name, parts[4 + i]);
  }
  env.Put("F31R0.DA3", std::string(300, ' ').replace(0, 11, "001 SALARIO"));
  FakeUi ui;
  Context ctx{env, ui};
  ConvertFourthStep(ctx);

  for (int i = 0; i < 4; ++i) {
    if (i == 1 && !old_workers) continue;
    Check(AnyFileHolds(env, parts[i]), "old file lost", kOldFiles[i].name);
  }
  CheckWholeRecords(env, "F00R0.DAT", 1000);
  CheckWholeRecords(env, "F13R1.DAT", 1000);
  CheckWholeRecords(env, "F31R0.DAT", 300);
  for (int i = old_workers ? 1 : 0; i < 4; ++i) {
    std::string found;
    std::string stored = kReceipts[i].name;
    for (char& c : stored) c = c == '\\' ? '/' : c;
    Check(env.Get(stored, &found), "receipt file lost", stored);
    std::size_t before = parts[4 + i].size();
    Check(found.size() == before ||
              found.size() == RoundUp(before, kReceipts[i].record),
          "receipt file length changed", stored);
  }
  if (ErrorShown(ui)) return;
  auto first = env.Snapshot();
  FakeUi again_ui;
  Context again{env, again_ui};
  ConvertFourthStep(again);
  Check(env.Snapshot() == first, "a second run changed the folder", "");
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
