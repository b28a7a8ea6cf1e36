#include "tests/testing/call_budget.h"

#include <gtest/gtest.h>

#include <string>

#include "fields/numbers.h"
#include "platform/fake_ui.h"

namespace labrena {

CallCounts CountCalls(ScratchFolder& s,
                      const std::function<void(Context&)>& run) {
  CountingEnv env(s.env());
  FakeUi ui;
  Context ctx{env, ui};
  run(ctx);
  EXPECT_TRUE(ui.boxes().empty());
  CallCounts counts;
  for (int kind = 0; kind < CountingEnv::kKinds; ++kind) {
    counts[kind] = env.count(static_cast<CountingEnv::Call>(kind));
  }
  return counts;
}

void ExpectCallsPerFile(const CallCounts& few, int few_files,
                        const CallCounts& more, int more_files,
                        std::int64_t calls_per_file) {
  std::int64_t added = 0;
  std::string by_kind;
  for (int kind = 0; kind < CountingEnv::kKinds; ++kind) {
    std::int64_t calls = more[kind] - few[kind];
    added += calls;
    if (calls != 0) {
      by_kind += Format(" %s %lld", CountingEnv::Name(
                                        static_cast<CountingEnv::Call>(kind)),
                        static_cast<long long>(calls));
    }
  }
  EXPECT_LE(added, (more_files - few_files) * calls_per_file)
      << "calls for " << more_files - few_files << " files more:" << by_kind;
}

}  // namespace labrena
