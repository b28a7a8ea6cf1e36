// A patch of the current tables stands whole or not at all: its edits, new
// files, counters, tag and backups, under a failure at any file operation.
#include "convert/patch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

std::string Counter(const std::string& name, const std::string& value) {
  std::string record = std::string(10, ' ') + name;
  record.resize(20, ' ');
  record += value;
  record.resize(30, ' ');
  return record;
}

// The retired files by content: a later attempt may add ".001" to a name.
std::multiset<std::string> Retired(ScratchFolder& s) {
  std::multiset<std::string> contents;
  for (const auto& [name, bytes] : SnapshotOf(s.temp())) {
    if (name.back() != '/') contents.insert(bytes);
  }
  return contents;
}

void Fill(ScratchFolder& s) {
  s.Write("A.DAT", "aaaa");
  s.Write("F34.DAT", Counter("7", "5"));
  s.Write("CONV.DAT", "590\r\n");
  s.Write("OLD.DAT", "old");
  s.Write("OLD.BAK", "older");
  s.Write("MADE.DAT", "made before");
}

// Changes A.DAT, makes NEW.DAT and MADE.DAT anew, sets counters "7" and "9", records tag
// "617" and backs OLD.DAT up.
bool RunPatch(Context& ctx) {
  Patch patch(ctx, "617");
  if (FileStream* a = patch.Edit("A.DAT")) {
    a->Seek(1);
    a->Write("b");
  }
  if (FileStream* made = patch.Create("NEW.DAT")) made->Write("new");
  if (FileStream* made = patch.Create("MADE.DAT")) made->Write("anew");
  EXPECT_EQ(patch.Edit("MISSING.DAT"), nullptr);
  patch.SetCounter("7", 12);
  patch.SetCounter("9", 3);
  patch.Backup("OLD.DAT");
  return patch.Commit();
}

TEST(PatchTest, EverythingTakesItsPlaceAtCommit) {
  ScratchFolder s;
  Fill(s);
  EXPECT_TRUE(RunPatch(s.ctx()));
  EXPECT_EQ(s.Read("A.DAT"), "abaa");
  EXPECT_EQ(s.Read("NEW.DAT"), "new");
  EXPECT_EQ(s.Read("MADE.DAT"), "anew");
  EXPECT_EQ(s.Read("F34.DAT"), Counter("7", "12") + Counter("9", "3"));
  EXPECT_EQ(s.Read("CONV.DAT"), "590\r\n617\r\n");
  EXPECT_EQ(s.Read("OLD.BAK"), "old");
  EXPECT_EQ(s.ReadRetired("OLD.BAK"), "older");
  EXPECT_FALSE(s.Exists("OLD.DAT"));
  for (const char* left : {"A.TMP", "A.OLD", "NEW.TMP", "F34.TMP", "F34.OLD",
                           "CONV.TMP", "CONV.OLD"}) {
    EXPECT_FALSE(s.Exists(left)) << left;
  }
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(PatchTest, AnUncommittedPatchLeavesNothing) {
  ScratchFolder s;
  Fill(s);
  auto before = SnapshotOf(s.data());
  {
    Patch patch(s.ctx(), "617");
    patch.Edit("A.DAT")->Write("x");
    patch.Create("NEW.DAT");
  }
  EXPECT_EQ(SnapshotOf(s.data()), before);
}

// Fails each file operation of the patch in turn: the patch then either
// stands whole or leaves the folder as it was (the earlier backup may have
// gone to the retirement folder), and the next run gives the bytes of one
// clean run.
TEST(PatchTest, AFailureAnywhereLeavesTheFolderAsItWas) {
  ScratchFolder clean;
  Fill(clean);
  RunPatch(clean.ctx());
  auto after = SnapshotOf(clean.data());
  auto retired = Retired(clean);

  for (int n = 1;; ++n) {
    ScratchFolder s;
    Fill(s);
    auto before = SnapshotOf(s.data());
    s.faults().FailNthOperation(n);
    const int start = s.faults().operations();
    bool stood = RunPatch(s.ctx());
    if (s.faults().operations() - start < n) break;  // nothing failed
    if (!stood) {
      auto now = SnapshotOf(s.data());
      if (!now.count("OLD.BAK")) before.erase("OLD.BAK");
      EXPECT_EQ(now, before) << "operation " << n;
      EXPECT_FALSE(s.ui().boxes().empty()) << "operation " << n;
      s.NextRun();
      EXPECT_TRUE(RunPatch(s.ctx())) << "operation " << n;
    } else {
      // An old copy whose removal failed goes on the next run.
      for (const char* name : {"A.DAT", "MADE.DAT", "F34.DAT", "CONV.DAT"}) {
        RecoverPatchedFile(s.env(), name);
      }
    }
    EXPECT_EQ(SnapshotOf(s.data()), after) << "operation " << n;
    EXPECT_EQ(Retired(s), retired) << "operation " << n;
  }
}

}  // namespace
}  // namespace labrena
