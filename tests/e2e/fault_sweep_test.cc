// A whole run of the sample folder with one operation made to fail: for
// every operation in turn, the run either tells an error or completes, never
// loses an old file, and a clean run afterwards gives the folder that one
// clean run gives.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fake_ui.h"
#include "shell/run.h"
#include "tests/testing/scratch.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace {

using Files = std::map<std::string, std::string>;

sample::SampleOptions SmallFolder() {
  sample::SampleOptions options;
  options.employers = 1;
  options.workers = 5;
  options.dependants = 3;
  options.receipts = 2;
  options.years = 2;
  return options;
}

// The old files that the steps convert or rename: each must survive, byte
// for byte, in the data folder or the retirement folder.
bool IsConvertedOldFile(const std::string& name) {
  static const std::set<std::string> kRegisters = {
      "FX0.DAT",  "FW0.DAT",  "FY0.DAT",  "FZ0.DAT",  "RESP.DAT",
      "C04B.DAT", "F306.DAT", "F307.DAT", "F308.DAT", "F309.DAT"};
  return kRegisters.count(name) > 0 || name.rfind("REG/", 0) == 0 ||
         name.rfind("R01/", 0) == 0 || name.rfind("R02/", 0) == 0 ||
         name.rfind("R03/", 0) == 0;
}

// The retired files with the ".001" to ".100" of a later attempt taken off
// every part of their names (a folder may be retired as REG.001).
std::multiset<std::pair<std::string, std::string>> Retired(
    const Files& files) {
  std::multiset<std::pair<std::string, std::string>> out;
  for (const auto& [name, bytes] : files) {
    std::string bare;
    std::size_t start = 0;
    while (start < name.size()) {
      std::size_t end = name.find('/', start);
      if (end == std::string::npos) end = name.size();
      std::string part = name.substr(start, end - start);
      std::size_t dot = part.find_last_of('.');
      if (dot != std::string::npos && part.size() - dot == 4 &&
          part.find_first_not_of("0123456789", dot + 1) == std::string::npos) {
        part.erase(dot);
      }
      bare += part + name.substr(end, 1);
      start = end + 1;
    }
    out.emplace(bare, bytes);
  }
  return out;
}

struct Outcome {
  Files data;
  Files retired;
  int operations = 0;
};

class FaultSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = sample::BuildSampleFolder(SmallFolder());
    ScratchFolder s;
    Write(s);
    old_ = SnapshotOf(s.data());
    RunConversion(s.ctx(), {}, nullptr);
    ASSERT_TRUE(s.ui().boxes().empty());
    clean_.data = SnapshotOf(s.data());
    clean_.retired = SnapshotOf(s.temp() + "Nelk/Labrena");
    clean_.operations = s.faults().operations();
    RecordProperty("operations", clean_.operations);
  }

  void Write(ScratchFolder& s) {
    std::string error;
    ASSERT_TRUE(sample::WriteSampleFolder(model_, s.data(), &error)) << error;
  }

  // Every old file is still somewhere, with its bytes.
  void ExpectNothingLost(ScratchFolder& s, int n) {
    std::set<std::string> kept;
    for (const auto& [name, bytes] : SnapshotOf(s.data())) kept.insert(bytes);
    for (const auto& [name, bytes] : SnapshotOf(s.temp() + "Nelk/Labrena")) {
      kept.insert(bytes);
    }
    for (const auto& [name, bytes] : old_) {
      if (!IsConvertedOldFile(name)) continue;
      EXPECT_TRUE(kept.count(bytes)) << name << " lost at operation " << n;
    }
  }

  sample::SampleFolder model_;
  Files old_;
  Outcome clean_;
};

class EveryOperationTest : public FaultSweepTest,
                           public ::testing::WithParamInterface<bool> {};

// Every operation when the run is small enough, else 300 spread over it
// (30 under Windows, whose file calls are slow under Wine); with the
// retirement folder on the same file system or on another.
TEST_P(EveryOperationTest, FailingOnceLosesNothing) {
#ifdef _WIN32
  constexpr int kPoints = 30;
#else
  constexpr int kPoints = 300;
#endif
  ASSERT_GT(clean_.operations, 50);
  int step = std::max(1, clean_.operations / kPoints);
  int told = 0;
  for (int n = 1; n <= clean_.operations; n += step) {
    ScratchFolder s;
    Write(s);
    s.faults().SetOtherFileSystem(GetParam());
    s.faults().FailNthOperation(n);
    RunConversion(s.ctx(), {}, nullptr);
    bool error_shown = false;
    for (const ShownBox& box : s.ui().boxes()) {
      error_shown = error_shown || box.icon == Icon::kError;
    }
    told += error_shown;

    if (error_shown) ExpectNothingLost(s, n);

    // The cause gone, a clean run finishes the work.
    FakeUi ui;
    Context again{s.faults(), ui};
    RunConversion(again, {}, nullptr);
    for (const ShownBox& box : ui.boxes()) {
      EXPECT_NE(box.icon, Icon::kError) << box.text << " at operation " << n;
    }
    Files data = SnapshotOf(s.data());
    EXPECT_EQ(data, clean_.data) << "at operation " << n;
    if (data != clean_.data) {
      for (const auto& [name, bytes] : data) {
        auto it = clean_.data.find(name);
        if (it == clean_.data.end() || it->second != bytes) {
          ADD_FAILURE() << name << " differs at operation " << n;
        }
      }
      for (const auto& [name, bytes] : clean_.data) {
        if (!data.count(name)) ADD_FAILURE() << name << " missing at " << n;
      }
    }
    auto retired = Retired(SnapshotOf(s.temp() + "Nelk/Labrena"));
    auto expected = Retired(clean_.retired);
    for (const auto& item : retired) {
      if (retired.count(item) > expected.count(item)) {
        ADD_FAILURE() << item.first << " retired once more at operation " << n;
      }
    }
    for (const auto& item : expected) {
      if (retired.count(item) < expected.count(item)) {
        ADD_FAILURE() << item.first << " not retired at operation " << n;
      }
    }
  }
  EXPECT_GT(told, 0);
}

INSTANTIATE_TEST_SUITE_P(RetirementFolder, EveryOperationTest,
                         ::testing::Bool());

TEST_F(FaultSweepTest, AFullDiskThenRoomGivesTheCleanFolder) {
  std::int64_t total = 0;
  for (const auto& [name, bytes] : clean_.data) total += bytes.size();
  for (std::int64_t room : {total / 50, total / 5, total / 2, total - 1}) {
    ScratchFolder s;
    Write(s);
    s.faults().DiskFullAfter(room);
    RunConversion(s.ctx(), {}, nullptr);
    ExpectNothingLost(s, static_cast<int>(room));
    s.faults().DiskFullAfter(-1);
    FakeUi ui;
    Context again{s.faults(), ui};
    RunConversion(again, {}, nullptr);
    EXPECT_EQ(SnapshotOf(s.data()), clean_.data) << "room " << room;
  }
}

TEST_F(FaultSweepTest, RetirementOnAnotherFileSystemConvertsOnce) {
  ScratchFolder s;
  Write(s);
  s.faults().SetOtherFileSystem(true);
  RunConversion(s.ctx(), {}, nullptr);
  EXPECT_TRUE(s.ui().boxes().empty());
  FakeUi ui;
  Context again{s.faults(), ui};
  RunConversion(again, {}, nullptr);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(SnapshotOf(s.data()), clean_.data);
  EXPECT_EQ(SnapshotOf(s.temp() + "Nelk/Labrena"), clean_.retired);
}

}  // namespace
}  // namespace labrena
