#include "shell/run.h"

#include "convert/steps.h"

namespace labrena {

const std::vector<ConversionStep>& ConversionSteps() {
  static const std::vector<ConversionStep> steps = {
      {1, ConvertRegisterFiles},
      {2, ConvertSecondStep},
      {3, ConvertJobsAndSchedules},
      {4, ConvertFourthStep},
      {5, ConvertFifthStep},
      {6, CleanUpObsoleteFiles},
  };
  return steps;
}

void RunConversion(Context& ctx, const std::vector<int>& steps,
                   const std::function<void(int step)>& on_step) {
  std::vector<int> order = steps;
  if (order.empty()) {
    for (const ConversionStep& step : ConversionSteps()) {
      order.push_back(step.number);
    }
  }
  for (int number : order) {
    for (const ConversionStep& step : ConversionSteps()) {
      if (step.number != number || !step.run) continue;
      if (on_step) on_step(number);
      step.run(ctx);
    }
  }
  ctx.ui.SetStatus("");
}

}  // namespace labrena
