#include "records/retire.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/system_env.h"
#include "records/record_file.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

using Op = FaultEnv::Op;

TEST(RetireTest, NumbersLaterCopies) {
  ScratchFolder s;
  for (const char* content : {"one", "two", "three"}) {
    // Each run, with an Env of its own, finds a new F00.DAT.
    s.Write("F00.DAT", content);
    std::unique_ptr<Env> env = NewSystemEnv(s.data(), s.temp());
    EXPECT_EQ(RetireFile(*env, "F00.DAT"), 0);
    EXPECT_FALSE(s.Exists("F00.DAT"));
  }
  EXPECT_EQ(s.ReadRetired("F00.DAT"), "one");
  EXPECT_EQ(s.ReadRetired("F00.DAT.001"), "two");
  EXPECT_EQ(s.ReadRetired("F00.DAT.002"), "three");
}

// The Env answers from the retirement folder's listing as it read it; a
// name that another program took since is never replaced.
TEST(RetireTest, ANameTakenSinceTheListingIsPassedOver) {
  ScratchFolder s;
  s.Write("F00.DAT", "zero");
  s.Write("F01.DAT", "one");
  EXPECT_EQ(RetireFile(s.env(), "F00.DAT"), 0);
  std::ofstream(s.RetiredPath("F01.DAT"), std::ios::binary) << "theirs";
  EXPECT_EQ(RetireFile(s.env(), "F01.DAT"), 0);
  EXPECT_FALSE(s.Exists("F01.DAT"));
  EXPECT_EQ(s.ReadRetired("F01.DAT"), "theirs");
  EXPECT_EQ(s.ReadRetired("F01.DAT.001"), "one");
  EXPECT_EQ(s.ReadRetired("F00.DAT"), "zero");

  // Names known to be taken are passed over without trying them.
  File again = OpenWrite(s.faults(), "F01.DAT");
  ASSERT_TRUE(again && again->Write("again") && again->Close());
  int renames = s.faults().calls(Op::kRename);
  EXPECT_EQ(RetireFile(s.faults(), "F01.DAT"), 0);
  EXPECT_EQ(s.faults().calls(Op::kRename) - renames, 1);
  EXPECT_EQ(s.ReadRetired("F01.DAT.002"), "again");
}

TEST(RetireTest, MissingNameTouchesNothing) {
  ScratchFolder s;
  EXPECT_NE(RetireFile(s.env(), "NONE.DAT"), 0);
  EXPECT_FALSE(s.IsRetired(""));
}

TEST(RetireTest, SubfolderAndWholeFolder) {
  ScratchFolder s;
  s.Write("REG\\REGFE.DAT", "fe");
  s.Write("Temp/a.txt", "a");
  EXPECT_EQ(RetireFile(s.env(), "REG\\REGFE.DAT"), 0);
  EXPECT_EQ(s.ReadRetired("REG/REGFE.DAT"), "fe");
  EXPECT_EQ(RetireFile(s.env(), "Temp"), 0);
  EXPECT_FALSE(s.Exists("Temp"));
  EXPECT_EQ(s.ReadRetired("Temp/a.txt"), "a");
}

TEST(RetireTest, AllHundredAndOneNamesTaken) {
  ScratchFolder s;
  s.Write("X.DAT", "x");
  s.faults().FailAll(Op::kRename);
  EXPECT_NE(RetireFile(s.faults(), "X.DAT"), 0);
  EXPECT_EQ(s.faults().calls(Op::kRename), 101);
  EXPECT_EQ(s.Read("X.DAT"), "x");
}

TEST(RetireTest, TemporaryFolderRules) {
  ScratchFolder s;
  std::string temp = TempFolder(s.env());
  EXPECT_EQ(temp, s.temp());

  class ReportingEnv : public FaultEnv {
   public:
    ReportingEnv(Env& base, std::string reported)
        : FaultEnv(base), reported_(std::move(reported)) {}
    std::string SystemTempPath() override { return reported_; }

   private:
    std::string reported_;
  };
  // Without a trailing separator one is added before the folder text.
  std::string bare = s.temp().substr(0, s.temp().size() - 1);
  ReportingEnv no_slash(s.env(), bare);
  EXPECT_EQ(TempFolder(no_slash), bare + "\\");
  s.Write("A.DAT", "a");
  EXPECT_EQ(RetireFile(no_slash, "A.DAT"), 0);
  EXPECT_EQ(s.ReadRetired("A.DAT"), "a");
  // Nothing reported, or a path of 156 characters or more: the fallback.
  ReportingEnv empty(s.env(), "");
  EXPECT_EQ(TempFolder(empty), s.env().FallbackTempPath());
  ReportingEnv long_path(s.env(), "/" + std::string(155, 'x'));
  EXPECT_EQ(TempFolder(long_path), s.env().FallbackTempPath());
}

TEST(MarkerTest, MarkAndTest) {
  ScratchFolder s;
  EXPECT_EQ(IsConverted(s.env(), "617"), 0);
  EXPECT_EQ(MarkConverted(s.ctx(), "617"), 0);
  EXPECT_EQ(s.Read("CONV.DAT"), "617\r\n");
  EXPECT_EQ(IsConverted(s.env(), "617"), 1);
  EXPECT_NE(MarkConverted(s.ctx(), "617"), 0);
  EXPECT_EQ(s.Read("CONV.DAT"), "617\r\n");
  EXPECT_EQ(MarkConverted(s.ctx(), "590"), 0);
  EXPECT_EQ(s.Read("CONV.DAT"), "617\r\n590\r\n");
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(MarkerTest, TagsMatchAsLinePrefixWithoutCase) {
  ScratchFolder s;
  s.Write("CONV.DAT", "6171\r\nabc\r\n");
  EXPECT_EQ(IsConverted(s.env(), "617"), 1);
  EXPECT_EQ(IsConverted(s.env(), "ABC"), 1);
  EXPECT_EQ(IsConverted(s.env(), "171"), 0);
  EXPECT_EQ(IsConverted(s.env(), "618"), 0);
}

TEST(MarkerTest, ReadOnlyMarkerIsStillAppended) {
  ScratchFolder s;
  s.Write("CONV.DAT", "590\r\n");
  s.SetReadOnly("CONV.DAT", true);
  EXPECT_EQ(MarkConverted(s.ctx(), "617"), 0);
  EXPECT_EQ(s.Read("CONV.DAT"), "590\r\n617\r\n");
}

TEST(MarkerTest, UnrecordedMarkIsReported) {
  ScratchFolder s;
  s.faults().FailOpenOf("CONV.DAT");
  EXPECT_EQ(MarkConverted(s.ctx(), "617"), 0);
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kError);
  s.faults().FailAll(Op::kOpen, false);
}

TEST(FileRoutinesTest, CopyRemoveTempName) {
  ScratchFolder s;
  s.Write("A.DAT", "new");
  s.Write("B.DAT", "old");
  s.SetReadOnly("B.DAT", true);
  EXPECT_FALSE(CopyOver(s.env(), "A.DAT", "B.DAT", true));
  EXPECT_TRUE(CopyOver(s.env(), "A.DAT", "B.DAT", false));
  EXPECT_EQ(s.Read("B.DAT"), "new");
  s.SetReadOnly("B.DAT", true);
  EXPECT_EQ(RemoveFile(s.env(), "B.DAT"), 0);
  EXPECT_FALSE(s.Exists("B.DAT"));
  EXPECT_NE(RemoveFile(s.env(), "B.DAT"), 0);

  LocalTime t;
  t.hour = 14;
  t.minute = 5;
  t.second = 9;
  t.hundredths = 37;
  s.faults().SetNow(t);
  EXPECT_EQ(TempFileName(s.faults()), "140509037.tmp");
  EXPECT_EQ(AllFilesAttribute(), 55);
}

TEST(RetireTest, AnotherFileSystemCopiesThenRemoves) {
  ScratchFolder s;
  s.faults().SetOtherFileSystem(true);
  s.Write("F310.DAT", "receipts");
  s.Write("REG/R1.tmp", "one");
  s.Write("REG/SUB/R2.DAT", "two");
  s.SetReadOnly("REG/SUB/R2.DAT", true);
  EXPECT_EQ(RetireFile(s.faults(), "F310.DAT"), 0);
  EXPECT_EQ(RetireFile(s.faults(), "REG"), 0);
  EXPECT_FALSE(s.Exists("F310.DAT") || s.Exists("REG"));
  EXPECT_EQ(s.ReadRetired("F310.DAT"), "receipts");
  EXPECT_EQ(s.ReadRetired("REG/R1.tmp"), "one");
  EXPECT_EQ(s.ReadRetired("REG/SUB/R2.DAT"), "two");
}

TEST(RetireTest, AFailedCopyKeepsTheSourceWhole) {
  ScratchFolder s;
  s.faults().SetOtherFileSystem(true);
  s.Write("REG/R1.DAT", "one");
  s.Write("REG/R2.DAT", "two");
  s.faults().FailAll(Op::kCopy);
  EXPECT_NE(RetireFile(s.faults(), "REG"), 0);
  EXPECT_EQ(s.Read("REG/R1.DAT"), "one");
  EXPECT_EQ(s.Read("REG/R2.DAT"), "two");
  EXPECT_FALSE(s.IsRetired("REG"));
  // Nor is the source removed when its removal would be the only copy.
  s.faults().FailAll(Op::kCopy, false);
  s.Write("F310.DAT", "receipts");
  s.faults().FailAll(Op::kRemove);
  EXPECT_NE(RetireFile(s.faults(), "F310.DAT"), 0);
  EXPECT_EQ(s.Read("F310.DAT"), "receipts");
}

}  // namespace
}  // namespace labrena
