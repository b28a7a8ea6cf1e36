#include "records/counters.h"

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

std::string CounterRecord(const std::string& name, const std::string& value) {
  return std::string(10, ' ') + name + std::string(10 - name.size(), ' ') +
         value + std::string(10 - value.size(), ' ');
}

TEST(CountersTest, SetCreatesThenRewritesInPlace) {
  ScratchFolder s;
  ASSERT_EQ(SetCounter(s.ctx(), "", "35", 120), 1);
  EXPECT_EQ(s.Read("F34.DAT"), CounterRecord("35", "120"));
  ASSERT_EQ(SetCounter(s.ctx(), "", "35", 130), 1);
  EXPECT_EQ(s.Read("F34.DAT"), CounterRecord("35", "130"));
  std::int64_t v = -1;
  EXPECT_EQ(ReadCounter(s.ctx(), "", "35", &v), 1);
  EXPECT_EQ(v, 130);
  EXPECT_EQ(ReadCounter(s.ctx(), "", "99", &v), 1);
  EXPECT_EQ(v, 0);
  ASSERT_EQ(SetCounter(s.ctx(), "", "7-1", 5), 1);
  EXPECT_EQ(s.Read("F34.DAT"),
            CounterRecord("35", "130") + CounterRecord("7-1", "5"));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(CountersTest, MissingFileReadsZero) {
  ScratchFolder s;
  std::int64_t v = 7;
  EXPECT_EQ(ReadCounter(s.ctx(), "", "35", &v), 1);
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(s.Exists("F34.DAT"));
}

TEST(CountersTest, AppendCompletesPartialFile) {
  ScratchFolder s;
  s.Write("F34.DAT", CounterRecord("1", "4") + std::string(15, 'z'));
  ASSERT_EQ(SetCounter(s.ctx(), "", "2", 9), 1);
  EXPECT_EQ(s.Read("F34.DAT"), CounterRecord("1", "4") + std::string(15, 'z') +
                                   std::string(15, ' ') +
                                   CounterRecord("2", "9"));
}

TEST(CountersTest, OutOfRangeValuesReadAsZero) {
  ScratchFolder s;
  s.Write("F34.DAT", CounterRecord("1", "1234567890") +
                         CounterRecord("2", "-5") + CounterRecord("3", "12ab") +
                         CounterRecord("4", "999999999"));
  std::int64_t v = 1;
  EXPECT_EQ(ReadCounter(s.ctx(), "", "1", &v), 1);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(ReadCounter(s.ctx(), "", "2", &v), 1);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(ReadCounter(s.ctx(), "", "3", &v), 1);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(ReadCounter(s.ctx(), "", "4", &v), 1);
  EXPECT_EQ(v, 999999999);
}

TEST(CountersTest, DeletedRecordIsNotTheCounter) {
  ScratchFolder s;
  std::string dead = CounterRecord("35", "50");
  dead[29] = '+';
  s.Write("F34.DAT", dead);
  std::int64_t v = 1;
  EXPECT_EQ(ReadCounter(s.ctx(), "", "35", &v), 1);
  EXPECT_EQ(v, 0);
  ASSERT_EQ(SetCounter(s.ctx(), "", "35", 3), 1);
  EXPECT_EQ(s.Read("F34.DAT"), dead + CounterRecord("35", "3"));
}

TEST(CountersTest, FirstNameAndCleaning) {
  ScratchFolder s;
  ASSERT_EQ(SetCounter(s.ctx(), "EMP\t", "6", 1), 1);
  EXPECT_EQ(s.Read("F34.DAT"), std::string("EMP       6         1         "));
}

TEST(CountersTest, FailedWriteIsReported) {
  ScratchFolder s;
  s.faults().FailAll(FaultEnv::Op::kWrite);
  EXPECT_EQ(SetCounter(s.ctx(), "", "35", 1), 0);
  s.faults().FailAll(FaultEnv::Op::kWrite, false);
  s.faults().FailAll(FaultEnv::Op::kOpen);
  EXPECT_EQ(SetCounter(s.ctx(), "", "35", 1), 0);
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].title, "FOpen2");
}

TEST(CountersTest, ReadNumberRecord) {
  ScratchFolder s;
  s.Write("N.DAT", "00000000001" "00000000002" "  -12345678" "999999999  "
                   "00000000125");
  // Record 2 of 11-character records is bytes 22 to 32.
  s.Write("M.DAT", std::string(22, '9') + "00000000042" + "7");
  EXPECT_EQ(ReadNumberRecord(s.env(), "N.DAT", 1, 11), 2);
  EXPECT_EQ(ReadNumberRecord(s.env(), "N.DAT", 2, 11), 0);  // negative
  EXPECT_EQ(ReadNumberRecord(s.env(), "N.DAT", 3, 11), 0);  // too large
  EXPECT_EQ(ReadNumberRecord(s.env(), "N.DAT", 4, 11), 125);
  EXPECT_EQ(ReadNumberRecord(s.env(), "N.DAT", 5, 11), 0);  // past the end
  EXPECT_EQ(ReadNumberRecord(s.env(), "NONE.DAT", 0, 11), 0);
  EXPECT_EQ(ReadNumberRecord(s.env(), "M.DAT", 2, 11), 42);
}

}  // namespace
}  // namespace labrena
