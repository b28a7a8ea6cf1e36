// A whole journaled run of the sample folder stopped at one operation, as a
// killed process stops, or with one operation failing: the next run undoes
// what the stopped one did and gives, byte for byte, the data folder and
// retirement folder of one uninterrupted run; an undo after a failed run
// gives back the folder as it was before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "journal/journal.h"
#include "platform/fake_ui.h"
#include "platform/system_env.h"
#include "shell/journaled_run.h"
#include "tests/testing/scratch.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace {

using Files = std::map<std::string, std::string>;

#ifdef _WIN32
constexpr int kPoints = 10;  // file calls are slow under Wine
#else
constexpr int kPoints = 60;
#endif

struct Folders {
  Files data;
  Files temp;  // the whole temporary folder but the journal
  bool operator==(const Folders&) const = default;
};

// The Env of a new process on a scratch folder (flushes skipped; the
// temporary folder on another file system or not).
struct Fresh {
  Fresh(ScratchFolder& s, bool other_file_system)
      : system(NewSystemEnv(s.data(), s.temp())), env(*system) {
    env.SkipSyncs(true);
    env.SetOtherFileSystem(other_file_system);
  }
  std::unique_ptr<Env> system;
  FaultEnv env;
};

// With the temporary folder, where the run retires old files, on the data
// folder's file system or on another.
class CrashSweepTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    sample::SampleOptions options;
    options.employers = 1;
    options.workers = 5;
    options.dependants = 3;
    options.receipts = 2;
    options.years = 2;
    model_ = sample::BuildSampleFolder(options);
    ScratchFolder s;
    Write(s);
    before_ = Snapshot(s);
    int start = s.faults().operations();
    ASSERT_TRUE(Run(s, s.faults(), s.ui()));
    ASSERT_TRUE(s.ui().boxes().empty());
    operations_ = s.faults().operations() - start;
    clean_ = Snapshot(s);
  }

  void Write(ScratchFolder& s) {
    std::string error;
    ASSERT_TRUE(sample::WriteSampleFolder(model_, s.data(), &error)) << error;
    s.faults().SetOtherFileSystem(GetParam());
  }

  // The journal lives in the temporary folder here, beside the retirement
  // folder, reached through the same Env as the data folder.
  static JournalHome HomeIn(ScratchFolder& s, Env& env) {
    JournalHome home;
    home.env = &env;
    home.folder = s.temp() + "journal";
    home.path = home.folder;
    return home;
  }

  static bool Run(ScratchFolder& s, Env& env, Ui& ui) {
    JournalHome home = HomeIn(s, env);
    return RunJournaled(JournaledRun{env, home, ui});
  }

  static Folders Snapshot(ScratchFolder& s) {
    Folders folders{SnapshotOf(s.data()), SnapshotOf(s.temp())};
    std::erase_if(folders.temp, [](const auto& file) {
      return file.first.rfind("journal/", 0) == 0;
    });
    return folders;
  }

  static bool ErrorShown(const FakeUi& ui) {
    return std::any_of(ui.boxes().begin(), ui.boxes().end(),
                       [](const ShownBox& box) {
                         return box.icon == Icon::kError;
                       });
  }

  // What differs between two folders, for the failure message.
  static std::string Differences(const Files& got, const Files& want) {
    std::string out;
    for (const auto& [name, bytes] : got) {
      auto it = want.find(name);
      if (it == want.end()) out += " +" + name;
      else if (it->second != bytes) out += " ~" + name;
    }
    for (const auto& [name, bytes] : want) {
      if (!got.count(name)) out += " -" + name;
    }
    return out;
  }

  void ExpectFolders(const Folders& got, const Folders& want, int n) {
    EXPECT_TRUE(got.data == want.data)
        << "data folder at operation " << n << ":"
        << Differences(got.data, want.data);
    EXPECT_TRUE(got.temp == want.temp)
        << "temporary folder at operation " << n << ":"
        << Differences(got.temp, want.temp);
  }

  sample::SampleFolder model_;
  Folders before_;
  Folders clean_;
  int operations_ = 0;
};

TEST_P(CrashSweepTest, AStoppedRunIsUndoneAndTheNextGivesOneRunsBytes) {
  ASSERT_GT(operations_, 100);
  int step = std::max(1, operations_ / kPoints);
  int recovered = 0;
  int stops = 0;
  for (int n = 1; n <= operations_ + 1; n += step, ++stops) {
    ScratchFolder s;
    Write(s);
    s.faults().CrashAt(n);
    Run(s, s.faults(), s.ui());

    // A new process: its own Env, nothing known of the last one.
    Fresh fresh(s, GetParam());
    FakeUi ui;
    ASSERT_TRUE(Run(s, fresh.env, ui)) << "at operation " << n;
    EXPECT_FALSE(ErrorShown(ui)) << "at operation " << n;
    recovered += !ui.boxes().empty();
    ExpectFolders(Snapshot(s), clean_, n);
  }
  EXPECT_GT(recovered, stops / 2);
}

TEST_P(CrashSweepTest, AFailedRunIsUndoneToTheFolderBeforeIt) {
  int step = std::max(1, operations_ / kPoints);
  int told = 0;
  for (int n = 1; n <= operations_; n += step) {
    ScratchFolder s;
    Write(s);
    s.faults().FailNthOperation(n);
    bool ran = Run(s, s.faults(), s.ui());
    told += ErrorShown(s.ui());
    if (!ran) {
      // Even the journal could not start: nothing changed.
      ExpectFolders(Snapshot(s), before_, n);
      continue;
    }

    Fresh fresh(s, GetParam());
    JournalHome home = HomeIn(s, fresh.env);
    FakeUi ui;
    ASSERT_EQ(UndoLastConversion(fresh.env, home, ui), UndoResult::kUndone)
        << "at operation " << n;
    ExpectFolders(Snapshot(s), before_, n);

    ASSERT_TRUE(Run(s, fresh.env, ui));
    EXPECT_FALSE(ErrorShown(ui)) << "at operation " << n;
    ExpectFolders(Snapshot(s), clean_, n);
  }
  EXPECT_GT(told, 0);
}

TEST_P(CrashSweepTest, AnUndoStoppedHalfwayGoesOnWhereItStopped) {
  ScratchFolder s;
  Write(s);
  ASSERT_TRUE(Run(s, s.faults(), s.ui()));
  for (int n = 1;; n += 7) {
    // Each attempt stops a little later, until one gets through.
    Fresh fresh(s, GetParam());
    fresh.env.CrashAt(n);
    JournalHome home = HomeIn(s, fresh.env);
    FakeUi ui;
    if (UndoLastConversion(fresh.env, home, ui) == UndoResult::kUndone) break;
    ASSERT_LT(n, 100000);
  }
  ExpectFolders(Snapshot(s), before_, 0);
}

INSTANTIATE_TEST_SUITE_P(RetirementFolder, CrashSweepTest, ::testing::Bool());

// A damaged folder (case twins, names with backslashes, links, cut records)
// converted and undone: every file is back under its own name, also one
// whose case twin stayed.
TEST(JournaledDamagedFolderTest, UndoGivesBackEveryFileByItsOwnName) {
  sample::SampleOptions options;
  options.workers = 5;
  options.damage = true;
  sample::SampleFolder model = sample::BuildSampleFolder(options);
  ScratchFolder s;
  std::string error;
  ASSERT_TRUE(sample::WriteSampleFolder(model, s.data(), &error)) << error;
  s.faults().SkipSyncs(true);
  Files before = SnapshotOf(s.data());
  JournalHome home;
  home.env = &s.faults();
  home.folder = s.temp() + "journal";
  ASSERT_TRUE(RunJournaled(JournaledRun{s.faults(), home, s.ui()}));
  ASSERT_NE(SnapshotOf(s.data()), before);
  std::unique_ptr<Env> fresh = NewSystemEnv(s.data(), s.temp());
  home.env = fresh.get();
  FakeUi ui;
  ASSERT_EQ(UndoLastConversion(*fresh, home, ui), UndoResult::kUndone);
  EXPECT_EQ(SnapshotOf(s.data()), before);
}

}  // namespace
}  // namespace labrena
