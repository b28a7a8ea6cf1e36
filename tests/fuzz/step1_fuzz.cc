// Step 1 on FX0.DAT, FW0.DAT and FY0.DAT cut from the input. Each old file
// ends up whole in one place, the data folder or the retirement folder, and
// its new file exists exactly when it was retired.
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

struct Register {
  const char* old_name;
  const char* new_name;
};
constexpr Register kRegisters[] = {
    {"FX0.DAT", "F301.DAT"},
    {"FW0.DAT", "F302.DAT"},
    {"FY0.DAT", "F303.DAT"},
};

void Run(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, 3);
  MemEnv env;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    env.Put(kRegisters[i].old_name, parts[i]);
  }
  FakeUi ui;
  Context ctx{env, ui};
  ConvertRegisterFiles(ctx);

  for (std::size_t i = 0; i < std::size(kRegisters); ++i) {
    const Register& reg = kRegisters[i];
    if (i >= parts.size()) {
      Check(!env.Exists(reg.new_name), "new file without an old one",
            reg.new_name);
      continue;
    }
    bool kept = Holds(env, reg.old_name, parts[i]);
    bool retired = Holds(env, kRetired + std::string(reg.old_name), parts[i]);
    Check(kept != retired, "old file lost, changed or doubled", reg.old_name);
    Check(env.Exists(reg.new_name) == retired,
          "new file and retired old file disagree", reg.new_name);
  }
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
