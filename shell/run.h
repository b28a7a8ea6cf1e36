// The conversion run: the six steps in their fixed order, each reading what
// the ones before it wrote.
#ifndef LABRENA_SHELL_RUN_H_
#define LABRENA_SHELL_RUN_H_

#include <functional>
#include <vector>

#include "platform/context.h"

namespace labrena {

inline constexpr const char* kFinalTitle = "Labrena";
inline constexpr const char* kFinalMessage = "A convers\xE3o foi realizada.";
inline constexpr const char* kProgramTitle = "Labrena 6.28";

using StepFunction = void (*)(Context& ctx);

struct ConversionStep {
  int number;
  StepFunction run;  // nullptr while the step is not built yet
};

// The steps in their fixed order.
const std::vector<ConversionStep>& ConversionSteps();

// Runs the named steps (1 to 6) in the order given, or all six in the fixed
// order when the list is empty, then clears the status line. The front end
// shows the final message; on_step, when given, hears of each step as it
// starts (the command line shows it at a terminal).
void RunConversion(Context& ctx, const std::vector<int>& steps = {},
                   const std::function<void(int step)>& on_step = nullptr);

}  // namespace labrena

#endif  // LABRENA_SHELL_RUN_H_
