#include "shell/run.h"

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

TEST(RunTest, StepsRunInTheOrderGiven) {
  // Step 1 writes F301.DAT from FX0.DAT; step 2 renames it F00.DAT. Run the
  // other way round, step 2 finds nothing to rename.
  ScratchFolder a;
  a.Write("FX0.DAT", "");
  std::vector<int> seen;
  RunConversion(a.ctx(), {2, 1}, [&seen](int step) { seen.push_back(step); });
  EXPECT_EQ(seen, (std::vector<int>{2, 1}));
  EXPECT_TRUE(a.Exists("F301.DAT"));
  EXPECT_FALSE(a.Exists("F00.DAT"));

  ScratchFolder b;
  b.Write("FX0.DAT", "");
  RunConversion(b.ctx(), {1, 2});
  EXPECT_FALSE(b.Exists("F301.DAT"));
  EXPECT_TRUE(b.Exists("F00.DAT"));
}

TEST(RunTest, AllStepsInFixedOrderAndStatusClearedAtTheEnd) {
  ScratchFolder s;
  std::vector<int> seen;
  RunConversion(s.ctx(), {}, [&seen](int step) { seen.push_back(step); });
  std::vector<int> built;
  for (const ConversionStep& step : ConversionSteps()) {
    if (step.run) built.push_back(step.number);
  }
  EXPECT_EQ(seen, built);
  ASSERT_FALSE(s.ui().statuses().empty());
  EXPECT_EQ(s.ui().statuses().back(), "");
  EXPECT_TRUE(s.ui().boxes().empty());
}

}  // namespace
}  // namespace labrena
