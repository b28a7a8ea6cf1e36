// The journal's log and the journaling Env: what a torn or garbled log
// means, that each name is journaled once, and that a change whose entry
// cannot be written does not happen.
#include "journal/journal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/journal_env.h"
#include "platform/fault_env.h"
#include "platform/mem_env.h"

namespace labrena {
namespace {

using Kind = JournalEntry::Kind;

JournalEntry Entry(Kind kind, std::string name, std::string new_name = "",
                   std::int64_t number = 0) {
  JournalEntry entry;
  entry.kind = kind;
  entry.name = std::move(name);
  entry.new_name = std::move(new_name);
  entry.number = number;
  return entry;
}

// Lines as the format gives them: the fields, a blank and their CRC-32
// (zlib's) in hex.
constexpr const char* kHeader = "LABRENA-JOURNAL 1 0331E9CE\n";
constexpr const char* kFinish = "END 965B713B\n";

TEST(JournalLogTest, ATornLastLineIsAChangeThatNeverBegan) {
  std::string log = std::string(kHeader) + JournalLine(Entry(Kind::kCreated, "F301.DAT")) +
                    JournalLine(Entry(Kind::kAppended, "CONV.DAT", "", 45));
  std::string torn = JournalLine(Entry(Kind::kRenamed, "FX0.DAT", "/t/FX0"));
  for (std::size_t cut = 0; cut < torn.size(); ++cut) {
    std::vector<JournalEntry> entries;
    std::size_t undone = 0;
    bool finished = true;
    ASSERT_TRUE(ParseJournal(log + torn.substr(0, cut), &entries, &undone,
                             &finished))
        << cut;
    ASSERT_EQ(entries.size(), 2u) << cut;
    EXPECT_FALSE(finished);
    EXPECT_EQ(entries[1].name, "CONV.DAT");
    EXPECT_EQ(entries[1].number, 45);
  }
}

TEST(JournalLogTest, AGarbledLineBeforeGoodOnesIsADamagedLog) {
  std::string bad = JournalLine(Entry(Kind::kCreated, "F301.DAT"));
  bad[2] = 'G';  // the CRC no longer matches
  std::string log = std::string(kHeader) + bad + JournalLine(Entry(Kind::kCreated, "A"));
  std::vector<JournalEntry> entries;
  std::size_t undone = 0;
  bool finished = false;
  EXPECT_FALSE(ParseJournal(log, &entries, &undone, &finished));
}

TEST(JournalLogTest, NamesWithBlanksAndPercentsComeBackWhole) {
  const std::string name = "R62\\A 100%\x01\xE7.DAT";
  std::string log = std::string(kHeader) +
                    JournalLine(Entry(Kind::kRenamed, name, "/tmp/N L\\x")) +
                    JournalLine(Entry(Kind::kSaved, name, "", 7)) + kFinish;
  std::vector<JournalEntry> entries;
  std::size_t undone = 0;
  bool finished = false;
  ASSERT_TRUE(ParseJournal(log, &entries, &undone, &finished));
  EXPECT_TRUE(finished);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, name);
  EXPECT_EQ(entries[0].new_name, "/tmp/N L\\x");
  EXPECT_EQ(entries[1].number, 7);
}

class JournalEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.Put("F00.DAT", "old bytes");
    data_.Put("CONV.DAT", "580\r\n");
    ASSERT_TRUE(journal_.Start());
  }

  // The entries written so far.
  std::vector<JournalEntry> Entries() {
    std::string log;
    EXPECT_TRUE(data_.Get("/tmp/j/JOURNAL.LOG", &log));
    std::vector<JournalEntry> entries;
    std::size_t undone = 0;
    bool finished = false;
    EXPECT_TRUE(ParseJournal(log, &entries, &undone, &finished));
    return entries;
  }

  static void Write(Env& env, const std::string& name, OpenMode mode,
                    const std::string& bytes) {
    auto file = env.Open(name, mode);
    ASSERT_TRUE(file) << name;
    ASSERT_TRUE(file->WriteAt(0, bytes.data(), bytes.size()));
    ASSERT_TRUE(file->Close());
  }

  MemEnv data_;
  FaultEnv faults_{data_};
  Journal journal_{faults_, "/tmp/j"};
  JournalEnv env_{faults_, journal_};
};

TEST_F(JournalEnvTest, EachNameIsJournaledOnceAndFilesOfANewFolderNever) {
  Write(env_, "F00.DAT", OpenMode::kUpdate, "new");
  Write(env_, "F00.DAT", OpenMode::kWrite, "newer");
  Write(env_, "CONV.DAT", OpenMode::kAppend, "590\r\n");
  Write(env_, "CONV.DAT", OpenMode::kAppend, "617\r\n");
  ASSERT_EQ(env_.MakeDir("R61"), 0);
  Write(env_, "R61\\F0001.DAT", OpenMode::kWrite, "x");
  ASSERT_EQ(env_.Rename("R61\\F0001.DAT", "R61\\F0002.DAT"), 0);
  std::vector<JournalEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].kind, Kind::kSaved);
  EXPECT_EQ(entries[1].kind, Kind::kAppended);
  EXPECT_EQ(entries[1].number, 5);
  EXPECT_EQ(entries[2].kind, Kind::kCreated);
  EXPECT_EQ(entries[2].name, "R61");
  EXPECT_EQ(entries[3].kind, Kind::kRenamed);

  std::string failed;
  ASSERT_TRUE(journal_.Look() == Journal::State::kInterrupted);
  ASSERT_TRUE(journal_.Undo(data_, &failed)) << failed;
  std::string bytes;
  ASSERT_TRUE(data_.Get("F00.DAT", &bytes));
  EXPECT_EQ(bytes, "old bytes");
  ASSERT_TRUE(data_.Get("CONV.DAT", &bytes));
  EXPECT_EQ(bytes, "580\r\n");
  EXPECT_FALSE(data_.Exists("R61"));
  EXPECT_FALSE(data_.Exists("/tmp/j"));
}

TEST_F(JournalEnvTest, AChangeWhoseEntryCannotBeWrittenDoesNotHappen) {
  faults_.FailAll(FaultEnv::Op::kWrite);
  EXPECT_FALSE(env_.Open("F00.DAT", OpenMode::kUpdate));
  EXPECT_FALSE(env_.Open("NEW.DAT", OpenMode::kWrite));
  EXPECT_NE(env_.Rename("F00.DAT", "F00.BAK"), 0);
  EXPECT_NE(env_.Remove("CONV.DAT"), 0);
  faults_.FailAll(FaultEnv::Op::kWrite, false);
  std::string bytes;
  ASSERT_TRUE(data_.Get("F00.DAT", &bytes));
  EXPECT_EQ(bytes, "old bytes");
  EXPECT_FALSE(data_.Exists("NEW.DAT"));
  EXPECT_TRUE(data_.Exists("CONV.DAT"));
  // A refused entry left nothing half written: the log reads whole.
  EXPECT_TRUE(Entries().empty());
}

// A rename that gives a file another extension journals the same rename of
// the folder's other such files ahead, in one flush: those the run then
// makes need no entry, and the undo renames back only what was renamed,
// whatever else the run did to those names.
TEST_F(JournalEnvTest, RenamesJournaledAheadUndoOnlyWhatTheRunDid) {
  const std::vector<std::string> names = {"R1.DAT", "R2.DAT", "R3.DAT",
                                          "R4.DAT", "R5.DAT", "R9.DAT",
                                          "R9.tmp"};
  for (const std::string& name : names) data_.Put("REG\\" + name, name);
  ASSERT_EQ(env_.Rename("reg\\R1.dat", "reg\\R1.tmp"), 0);
  // R2 to R5 go ahead with it; R9.DAT's target is taken.
  EXPECT_EQ(Entries().size(), 5u);
  ASSERT_EQ(env_.Rename("reg\\R2.dat", "reg\\R2.tmp"), 0);
  EXPECT_EQ(Entries().size(), 5u);
  Write(env_, "REG\\R2.tmp", OpenMode::kUpdate, "changed");
  Write(env_, "REG\\R3.DAT", OpenMode::kUpdate, "changed");
  ASSERT_EQ(env_.Rename("reg\\R3.dat", "reg\\R3.tmp"), 0);
  ASSERT_EQ(env_.Rename("reg\\R4.dat", "reg\\R4.BAK"), 0);
  ASSERT_NE(env_.Rename("reg\\R9.dat", "reg\\R9.tmp"), 0);
  ASSERT_EQ(env_.Rename("REG", "OLDREG"), 0);
  ASSERT_EQ(env_.Rename("OLDREG\\R5.DAT", "OLDREG\\R5.tmp"), 0);
  // Two copies, the renames of R3, REG and R5 on their own, and R4's with
  // R5's and R9's to .BAK ahead.
  EXPECT_EQ(Entries().size(), 13u);

  std::string failed;
  ASSERT_TRUE(journal_.Look() == Journal::State::kInterrupted);
  ASSERT_TRUE(journal_.Undo(data_, &failed)) << failed;
  std::vector<DirEntry> left = data_.List("REG\\*", kAttrSubdir);
  ASSERT_EQ(left.size(), names.size());
  for (const std::string& name : names) {
    std::string bytes;
    ASSERT_TRUE(data_.Get("REG\\" + name, &bytes)) << name;
    EXPECT_EQ(bytes, name);
  }
  EXPECT_FALSE(data_.Exists("OLDREG"));
}

}  // namespace
}  // namespace labrena
