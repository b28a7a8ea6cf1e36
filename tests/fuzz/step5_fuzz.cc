// The fifth step on current tables and old registers cut from the input.
// Every old file it backs up or converts is whole somewhere; the files it
// writes hold whole records; no copy or old copy of a patched table is left;
// and when the run showed no error, a second run changes nothing.
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

// The files of the input, in order.
constexpr const char* kFiles[] = {
    "F07.DAT",   "F02R1.DAT", "F16R0.DAT", "F07R0.DAT",     "F35.DAT",
    "F36.DAT",   "F00R0.DAT", "F01R0.DAT", "F40.DAT",       "F34.DAT",
    "F04R0.DAT", "F21R0.DAT", "R62\\2011.DAT", "R63\\F632011.DAT", "F36R0.DAT",
};
constexpr std::size_t kParts = std::size(kFiles);
// Old files the step backs up or converts.
constexpr int kUsedUp[] = {1, 4, 5, 8, 11, 12};

bool ErrorShown(const FakeUi& ui) {
  for (const ShownBox& box : ui.boxes()) {
    if (box.icon == Icon::kError) return true;
  }
  return false;
}

void Run(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, kParts);
  parts.resize(kParts);
  MemEnv env;
  // F07R0.DAT is always there at this stage (without it, the merge makes
  // it and only the next run backs it up).
  for (std::size_t i = 0; i < kParts; ++i) {
    if (!parts[i].empty() || i == 3) env.Put(kFiles[i], parts[i]);
  }
  FakeUi ui;
  Context ctx{env, ui};
  ConvertFifthStep(ctx);

  for (int i : kUsedUp) {
    if (parts[i].empty()) continue;
    Check(AnyFileHolds(env, parts[i]), "old file lost", kFiles[i]);
  }
  if (parts[14].empty()) CheckWholeRecords(env, "F36R0.DAT", 250);
  CheckWholeRecords(env, "F35R0.DAT", 250);
  CheckWholeRecords(env, "F21R1.DAT", 500);
  CheckWholeRecords(env, "R62/F622011.DAT", 850);
  for (const auto& [path, bytes] : env.Snapshot()) {
    const std::string extension = path.size() > 4 ? path.substr(path.size() - 4)
                                                   : "";
    Check(extension != ".TMP" && extension != ".OLD", "work file left", path);
  }
  if (ErrorShown(ui)) return;
  auto first = env.Snapshot();
  FakeUi again_ui;
  Context again{env, again_ui};
  ConvertFifthStep(again);
  auto second = env.Snapshot();
  for (const auto& [path, bytes] : second) {
    auto it = first.find(path);
    Check(it != first.end() && it->second == bytes,
          "a second run changed the folder", path);
  }
  Check(second.size() == first.size(), "a second run removed a file", "");
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
