#include "shell/run.h"

#include "convert/steps.h"

namespace labrena {

const std::vector<ConversionStep>& ConversionSteps() {
  static const std::vector<ConversionStep> steps = {
      {1, ConvertRegisterFiles},
      {2, ConvertSecondStep},
      {3, ConvertJobsAndSchedules},
      {4, nullptr},
      {5, nullptr},
      {6, CleanUpObsoleteFiles},
  };
  return steps;
}

void RunConversion(Context& ctx, const std::vector<int>& steps) {
  const auto& table = ConversionSteps();
  if (steps.empty()) {
    for (const ConversionStep& step : table) {
      if (step.run) step.run(ctx);
    }
  } else {
    for (int number : steps) {
      for (const ConversionStep& step : table) {
        if (step.number == number && step.run) step.run(ctx);
      }
    }
  }
  ctx.ui.SetStatus("");
}

}  // namespace labrena
