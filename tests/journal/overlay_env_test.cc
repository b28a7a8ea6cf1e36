// The dry run: a whole conversion through the overlay leaves the folders as
// they were and foretells the real run, file by file and box by box; and
// the cases where an overlay could answer otherwise than its base.
#include "journal/overlay_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "journal/report.h"
#include "journal/watch_env.h"
#include "platform/fake_ui.h"
#include "platform/mem_env.h"
#include "shell/run.h"
#include "tests/testing/scratch.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace {

constexpr int kEveryEntry =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrSubdir | kAttrArchive;

std::string ReadAll(Env& env, const std::string& name) {
  auto file = env.Open(name, OpenMode::kRead);
  if (!file) return "<none>";
  std::string bytes;
  char buf[4096];
  std::size_t got = 0;
  while (file->ReadAt(static_cast<std::int64_t>(bytes.size()), buf, sizeof(buf),
                      &got) &&
         got > 0) {
    bytes.append(buf, got);
  }
  return bytes;
}

// What an Env shows below a folder ("" for the data folder), in the form of
// SnapshotOf.
void AddTree(Env& env, const std::string& folder, const std::string& prefix,
             std::map<std::string, std::string>* out) {
  const std::string below = folder.empty() ? "" : folder + "\\";
  for (const DirEntry& e : env.List(below + "*", kEveryEntry)) {
    if (e.is_dir) {
      (*out)[prefix + e.name + "/"] = "";
      AddTree(env, below + e.name, prefix + e.name + "/", out);
    } else {
      (*out)[prefix + e.name] = ReadAll(env, below + e.name);
    }
  }
}

std::map<std::string, std::string> EnvSnapshot(Env& env,
                                               const std::string& folder) {
  std::map<std::string, std::string> out;
  AddTree(env, folder, "", &out);
  return out;
}

// The names whose bytes differ (or that only one side holds).
std::vector<std::string> Differences(
    const std::map<std::string, std::string>& a,
    const std::map<std::string, std::string>& b) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : a) {
    auto it = b.find(name);
    if (it == b.end() || it->second != bytes) names.push_back(name);
  }
  for (const auto& [name, bytes] : b) {
    if (!a.count(name)) names.push_back(name);
  }
  return names;
}

std::vector<std::string> Lines(const std::vector<FileOutcome>& outcomes) {
  std::vector<std::string> lines;
  for (const FileOutcome& o : outcomes) {
    lines.push_back(std::to_string(static_cast<int>(o.kind)) + " " + o.name +
                    " > " + o.new_name + " " + std::to_string(o.bytes) + " " +
                    std::to_string(o.records) + " " + std::to_string(o.step) +
                    (o.rewritten ? " w" : "") + (o.folder ? " d" : ""));
  }
  return lines;
}

std::vector<std::string> Boxes(const FakeUi& ui) {
  std::vector<std::string> boxes;
  for (const ShownBox& box : ui.boxes()) {
    boxes.push_back(box.title + ": " + box.text);
  }
  return boxes;
}

// One conversion of all six steps through a watched env.
void Convert(Env& env, Ui& ui, RunReport& report) {
  WatchEnv watch(env, report);
  RecordingUi recording(ui, report);
  Context ctx{watch, recording};
  RunConversion(ctx, {}, [&report](int step) { report.StepStarted(step); });
  report.Finished();
}

TEST(OverlayEnvConversionTest, DryRunChangesNothingAndForetellsTheRealRun) {
  // The damaged sample, whose repaired files are told in boxes, without what
  // the overlay cannot foretell: a case twin and a name holding '\', which
  // no Env call reads, and a relative link, which leads elsewhere once the
  // run moves it.
  sample::SampleOptions options;
  options.damage = true;
  sample::SampleFolder model = sample::BuildSampleFolder(options);
  model.backslash_files.clear();
  model.leaves_twins.clear();
  model.links.clear();
  ScratchFolder s;
  std::string error;
  ASSERT_TRUE(sample::WriteSampleFolder(model, s.data(), &error)) << error;
  // An earlier run's retired file: this run's takes the next name.
  std::filesystem::create_directories(s.temp() + "Nelk/Labrena");
  std::ofstream(s.RetiredPath("FX0.DAT")) << "earlier";
  const auto data_before = SnapshotOf(s.data());
  const auto temp_before = SnapshotOf(s.temp());

  // What the dry run tells, and shows, before the base changes.
  std::vector<std::string> dry_outcomes, dry_boxes;
  std::vector<int> dry_steps;
  std::map<std::string, std::string> dry_data, dry_temp;
  {
    OverlayEnv overlay(s.env());
    RunReport dry;
    FakeUi dry_ui;
    Convert(overlay, dry_ui, dry);
    dry_outcomes = Lines(dry.Outcomes(overlay));
    dry_boxes = Boxes(dry_ui);
    dry_steps = dry.StepsWithChanges();
    dry_data = EnvSnapshot(overlay, "");
    dry_temp = EnvSnapshot(overlay, s.temp());
  }
  EXPECT_EQ(Differences(SnapshotOf(s.data()), data_before),
            std::vector<std::string>{});
  EXPECT_EQ(Differences(SnapshotOf(s.temp()), temp_before),
            std::vector<std::string>{});

  // The same folder, unchanged, converted for real: the retirement names of
  // both runs lie in one temporary folder and compare as they are.
  RunReport real;
  FakeUi real_ui;
  Convert(s.env(), real_ui, real);
  EXPECT_FALSE(real_ui.boxes().empty());
  EXPECT_EQ(dry_boxes, Boxes(real_ui));
  EXPECT_EQ(dry_outcomes, Lines(real.Outcomes(s.env())));
  EXPECT_EQ(dry_steps, real.StepsWithChanges());
  EXPECT_EQ(Differences(dry_data, SnapshotOf(s.data())),
            std::vector<std::string>{});
  EXPECT_EQ(Differences(dry_temp, SnapshotOf(s.temp())),
            std::vector<std::string>{});
}

// The overlay over an in-memory folder, whose files the test lays out.
class OverlayEnvTest : public ::testing::Test {
 protected:
  OverlayEnvTest() : overlay_(base_) {}

  MemEnv base_;
  OverlayEnv overlay_;
};

TEST_F(OverlayEnvTest, ChangesStayInTheOverlay) {
  base_.Put("F16.DAT", "old");
  base_.Put("F16R0.DAT", "new");
  base_.Put("REG/REGFE.DAT", "fe");
  const auto before = base_.Snapshot();

  // A rename never replaces a file of the base.
  EXPECT_EQ(overlay_.Rename("F16.DAT", "f16r0.dat"), EEXIST);
  EXPECT_EQ(ReadAll(overlay_, "F16R0.DAT"), "new");

  // A removed file is gone from listings; a new one takes its spelling.
  EXPECT_EQ(overlay_.Remove("f16r0.dat"), 0);
  EXPECT_FALSE(overlay_.Exists("F16R0.DAT"));
  EXPECT_EQ(overlay_.Rename("f16.dat", "F16r0.DAT"), 0);
  std::vector<std::string> names;
  for (const DirEntry& e : overlay_.List("*.DAT", 0)) names.push_back(e.name);
  EXPECT_EQ(names, std::vector<std::string>{"F16r0.DAT"});
  EXPECT_EQ(ReadAll(overlay_, "F16R0.DAT"), "old");

  // A base file written through another spelling, and a folder retired.
  auto file = overlay_.Open("reg\\regfe.dat", OpenMode::kAppend);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "+", 1));
  std::int64_t size = 0;
  EXPECT_TRUE(overlay_.FileSize("REG\\REGFE.DAT", &size));
  EXPECT_EQ(size, 3);
  ASSERT_EQ(overlay_.MakeDir("/tmp/Nelk"), 0);
  EXPECT_EQ(overlay_.Move("REG", "/tmp/Nelk/REG"), 0);
  EXPECT_TRUE(file->WriteAt(0, "!", 1));
  EXPECT_EQ(ReadAll(overlay_, "/tmp/Nelk/REG/REGFE.DAT"), "fe+!");
  EXPECT_FALSE(overlay_.Exists("REG"));

  EXPECT_EQ(base_.Snapshot(), before);
}

TEST_F(OverlayEnvTest, ReadOnlyBaseFileRefusesUpdateUntilMadeWritable) {
  base_.Put("F34.DAT", "counters");
  base_.SetReadOnly("F34.DAT", true);
  EXPECT_FALSE(overlay_.Open("f34.dat", OpenMode::kUpdate));
  EXPECT_EQ(overlay_.Remove("F34.DAT"), EACCES);
  ASSERT_TRUE(overlay_.MakeWritable("F34.DAT"));
  EXPECT_TRUE(overlay_.IsWritable("F34.DAT"));
  auto file = overlay_.Open("F34.DAT", OpenMode::kUpdate);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "C", 1));
  EXPECT_EQ(ReadAll(overlay_, "F34.DAT"), "Counters");
  EXPECT_FALSE(base_.IsWritable("F34.DAT"));
  std::string bytes;
  ASSERT_TRUE(base_.Get("F34.DAT", &bytes));
  EXPECT_EQ(bytes, "counters");
}

}  // namespace
}  // namespace labrena
