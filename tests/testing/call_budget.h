// Budgets of Env calls: folders hold tens of thousands of receipt files, so
// each call more per file is felt. A budget compares a run over a few files
// with one over more, so that what a run does once does not count.
#ifndef LABRENA_TESTS_TESTING_CALL_BUDGET_H_
#define LABRENA_TESTS_TESTING_CALL_BUDGET_H_

#include <array>
#include <cstdint>
#include <functional>

#include "platform/context.h"
#include "platform/counting_env.h"
#include "tests/testing/scratch.h"

namespace labrena {

using CallCounts = std::array<std::int64_t, CountingEnv::kKinds>;

// The Env calls that run makes in the folder s.
CallCounts CountCalls(ScratchFolder& s,
                      const std::function<void(Context&)>& run);

// Expects the run over more files to make at most calls_per_file calls more
// for each file more than the run over few; the message tells them by kind.
void ExpectCallsPerFile(const CallCounts& few, int few_files,
                        const CallCounts& more, int more_files,
                        std::int64_t calls_per_file);

}  // namespace labrena

#endif  // LABRENA_TESTS_TESTING_CALL_BUDGET_H_
