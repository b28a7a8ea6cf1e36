// The renumbering of the fifth step: free codes, the merge of F02R1.DAT into
// F07R0.DAT, the job and schedule registers, and a run that fails part-way.
#include <gtest/gtest.h>

#include <string>

#include "convert/step5_internal.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

std::string Counter(const std::string& name, long value) {  // NOLINT
  return Pad(std::string(10, ' ') + name, 20) +
         Pad(std::to_string(value), 10);
}

std::string Deleted(std::string record) {
  record.back() = '+';
  return record;
}

// An old F07.DAT record (809) whose first 10 characters are code.
std::string OldMerged(const std::string& code) {
  return Rec(809).Put(0, 10, code).Put(11, 20, "EMPRESA").str();
}

// An F02R1.DAT record (1000) with key and registration number (250, 18).
std::string Entry(const std::string& key, const std::string& number) {
  std::string record = Pattern(0, 1000);
  record.replace(0, 10, Pad(key, 10));
  record.replace(250, 18, Pad(number, 18));
  record.back() = ' ';
  return record;
}

// A worker record (2000) naming an F02R1 entry (963, 5) and an employer
// (874, 10).
std::string Worker(const std::string& entry, const std::string& employer) {
  return Rec(2000).Put(0, 11, "W").Put(874, 10, employer).Put(963, 5, entry)
      .str();
}

// The F07R0 record merged from an entry: the new code over its first 5
// characters, the employer at 502, origin "1" at 238, the registration number
// moved to 268 and kept at 250 only when it is an 18-character CNPJ, 639-642
// moved to 666, "02" for a 13-character CEI (else "04") at 638, blanks at
// 640-642.
std::string Merged(const std::string& entry, const std::string& code,
                   const std::string& employer) {
  std::string number = entry.substr(250, 18);
  std::size_t length = number.find_last_not_of(' ') + 1;
  std::string record = entry.substr(0, 809);
  record.replace(0, 5, code);
  record.replace(502, 10, Pad(employer, 10));
  record[238] = '1';
  record.replace(268, 18, number);
  if (length != 18) record.replace(250, 18, std::string(18, ' '));
  record.replace(666, 4, entry.substr(639, 4));
  record.replace(638, 2, length == 13 ? "02" : "04");
  record.replace(640, 3, "   ");
  return record;
}

TEST(Step5CodesTest, CodesAreHandedOutAroundTheUsedOnes) {
  ScratchFolder s;
  UsedCodes map;
  for (int code : {1, 2, 4}) map.Use(kMergedStart + code - 1);
  CodeRange range{kMergedStart, kHighestCode};
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "00003");
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "00005");
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "00006");

  // The last code of a range, then the message for every later request.
  for (int code = 1; code < kHighestCode; ++code) map.Use(code - 1);
  range.next = 49990;
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "50000");
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "");
  EXPECT_EQ(CodFree(s.ctx(), map, &range), "");
  EXPECT_EQ(range.next, 50001);
  ASSERT_EQ(s.ui().boxes().size(), 2u);
  EXPECT_EQ(s.ui().boxes()[0].title, "CodFree");
  EXPECT_EQ(s.ui().boxes()[0].text,
            "C\xF3" "digo livre 50001 fora do limite de 1 a 50000.\n\nIn\xED"
            "cio: 0\nContador: 50001");

  // A scan that runs past the highest code shows the counter beyond it.
  for (int code = 1; code <= kHighestCode; ++code) {
    map.Use(kScheduleStart + code - 1);
  }
  CodeRange schedules{kScheduleStart, kHighestCode};
  EXPECT_EQ(CodFree(s.ctx(), map, &schedules), "");
  EXPECT_EQ(s.ui().boxes()[2].text,
            "C\xF3" "digo livre 50001 fora do limite de 1 a 50000.\n\nIn\xED"
            "cio: 50000\nContador: 50002");
}

// F07.DAT uses 1, 2 and 4 ("12", "123456" and a deleted 3 leave no mark);
// two workers name entry A, one B, one B without an employer, one A but is
// deleted.
void FillMergeFolder(ScratchFolder& s) {
  s.Write("F07.DAT", OldMerged("00001") + OldMerged("00002") +
                         Deleted(OldMerged("00003")) + OldMerged("12") +
                         OldMerged("123456") + OldMerged("00004"));
  s.Write("F07R0.DAT", Rec(809).Put(0, 11, "00001").Put(238, 1, " ").str() +
                           Rec(809).Put(0, 11, "00002").Put(238, 1, "0").str());
  s.Write("F02R1.DAT", Entry("B", "1234567890123") +
                           Entry("A", "12.345.678/0001-95"));
  s.Write("F16R0.DAT", Worker("A", "E1") + Worker("A", "E2") +
                           Worker("B", "E3") + Worker("B", "") +
                           Deleted(Worker("A", "E4")) + Worker("", "E5"));
  s.Write("F34.DAT", Counter("7", 4) + Counter("2", 9));
}

TEST(Step5CodesTest, ResponsiblesAreMergedUnderNewCodes) {
  ScratchFolder s;
  FillMergeFolder(s);
  const std::string entries = s.Read("F02R1.DAT");
  const std::string a = entries.substr(1000), b = entries.substr(0, 1000);
  ASSERT_TRUE(RenumberCodes(s.ctx()));

  std::string flagged = Rec(809).Put(0, 11, "00001").Put(238, 1, "0").str() +
                        Rec(809).Put(0, 11, "00002").Put(238, 1, "0").str();
  EXPECT_EQ(s.Read("F07R0.BAK"), flagged);
  EXPECT_EQ(s.Read("F07R0.DAT"), flagged + Merged(a, "00003", "E1") +
                                     Merged(a, "00005", "E2") +
                                     Merged(b, "00006", "E3"));
  // The worker without an employer used up 00007 and keeps its old entry.
  EXPECT_EQ(s.Read("F16R0.DAT"),
            Worker("00003", "E1") + Worker("00005", "E2") +
                Worker("00006", "E3") + Worker("B", "") +
                Deleted(Worker("A", "E4")) + Worker("", "E5"));
  EXPECT_EQ(s.Read("F34.DAT"), Counter("7", 7) + Counter("2", 0));
  EXPECT_EQ(s.Read("F02R1.BAK"), entries);
  EXPECT_FALSE(s.Exists("F02R1.DAT"));
  EXPECT_TRUE(s.ui().boxes().empty());

  // The next run finds F07R0.BAK and no F02R1.DAT: nothing changes.
  auto once = SnapshotOf(s.data());
  s.NextRun();
  ASSERT_TRUE(RenumberCodes(s.ctx()));
  EXPECT_EQ(SnapshotOf(s.data()), once);
}

TEST(Step5CodesTest, AnEarlierMergeIsNotRepeated) {
  ScratchFolder s;
  s.Write("F07R0.DAT", Rec(809).Put(238, 1, "1").str());
  s.Write("F02R1.DAT", Entry("A", ""));
  s.Write("F02R1.BAK", "earlier");
  s.Write("F16R0.DAT", Worker("A", "E1"));
  ASSERT_TRUE(RenumberCodes(s.ctx()));
  EXPECT_EQ(s.Read("F07R0.DAT"), Rec(809).Put(238, 1, "1").str());
  EXPECT_EQ(s.Read("F16R0.DAT"), Worker("A", "E1"));
  // The backup of an earlier run is kept, in the retirement folder.
  EXPECT_EQ(s.Read("F02R1.BAK"), Entry("A", ""));
  EXPECT_EQ(s.ReadRetired("F02R1.BAK"), "earlier");
}

// An old schedule (250): code, description, group field, start, end, break
// start and break end.
std::string OldSchedule(const std::string& code, const std::string& start,
                        const std::string& end, const std::string& from,
                        const std::string& to) {
  return Rec(250).Put(0, 11, code).Put(11, 40, "TURNO " + code)
      .Put(51, 10, "E1").Put(61, 5, start).Put(66, 5, end).Put(71, 5, from)
      .Put(76, 5, to).str();
}

TEST(Step5CodesTest, JobsAndSchedulesTakeTheCurrentLayout) {
  ScratchFolder s;
  std::string job = Pattern(0, 240);
  job.back() = ' ';
  s.Write("F35.DAT", job + Deleted(job));
  s.Write("F36.DAT", OldSchedule("00001", "08:00", "17:00", "12:00", "13:00") +
                         OldSchedule("00002", "", "", "", "") +
                         Deleted(OldSchedule("00003", "", "", "", "")) +
                         OldSchedule("00004", "22:00", "05:00", "", ""));
  s.Write("F34.DAT", Counter("36", 2));
  ASSERT_TRUE(RenumberCodes(s.ctx()));

  EXPECT_EQ(s.Read("F35R0.DAT"), Rec(250)
                                     .Put(0, 51, job.substr(0, 51))
                                     .Put(51, 1, "0")
                                     .Put(52, 20, job.substr(51, 20))
                                     .str());
  auto head = [](const std::string& code, const std::string& schedule) {
    Rec r(250);
    r.Put(0, 11, code).Put(11, 40, "TURNO " + code).Put(51, 1, "0")
        .Put(52, 10, "E1");
    if (!schedule.empty()) {
      for (std::size_t at : {85, 90, 95, 100}) r.Put(at, 5, schedule);
      r.Put(105, 5, schedule);
    }
    return r.str();
  };
  auto times = [](const std::string& code, const std::string& old_code,
                  const std::string& start, const std::string& end,
                  const std::string& worked, const std::string& from,
                  const std::string& to, const std::string& length) {
    return Rec(250).Put(0, 11, code).Put(11, 40, "TURNO " + old_code)
        .Put(51, 1, "1").Put(52, 10, "E1").Put(80, 5, start).Put(85, 5, end)
        .Put(90, 5, worked).Put(95, 5, from).Put(100, 5, to)
        .Put(105, 5, length).str();
  };
  // Codes 1, 2 and 4 of F36.DAT are taken (3 is deleted): 00003, 00005.
  EXPECT_EQ(s.Read("F36R0.DAT"),
            head("00001", "00003") +
                times("00003", "00001", "08:00", "17:00", "08:00", "12:00",
                      "13:00", "01:00") +
                head("00002", "") + head("00004", "00005") +
                times("00005", "00004", "22:00", "05:00", "08:00", "", "",
                      ""));
  EXPECT_EQ(s.Read("F34.DAT"), Counter("36", 5));
  EXPECT_EQ(s.Read("F35.BAK"), job + Deleted(job));
  EXPECT_TRUE(s.Exists("F36.BAK"));
  EXPECT_FALSE(s.Exists("F35.DAT"));
  EXPECT_FALSE(s.Exists("F36.DAT"));
}

// A failure at any file operation of the renumbering leaves work that the
// next run completes to the bytes of one clean run.
TEST(Step5CodesTest, ARunThatFailedPartWayIsCompletedByTheNext) {
  ScratchFolder clean;
  FillMergeFolder(clean);
  clean.Write("F35.DAT", Rec(240).Put(0, 11, "00001").str());
  clean.Write("F36.DAT", OldSchedule("00001", "08:00", "12:00", "", ""));
  ASSERT_TRUE(RenumberCodes(clean.ctx()));
  auto after = SnapshotOf(clean.data());
  auto retired = SnapshotOf(clean.temp());

  for (int n = 1;; ++n) {
    ScratchFolder s;
    FillMergeFolder(s);
    s.Write("F35.DAT", Rec(240).Put(0, 11, "00001").str());
    s.Write("F36.DAT", OldSchedule("00001", "08:00", "12:00", "", ""));
    s.faults().FailNthOperation(n);
    const int start = s.faults().operations();
    bool done = RenumberCodes(s.ctx());
    if (s.faults().operations() - start < n) break;  // nothing failed
    EXPECT_EQ(done, s.ui().boxes().empty()) << "operation " << n;
    s.NextRun();
    ASSERT_TRUE(RenumberCodes(s.ctx())) << "operation " << n;
    EXPECT_EQ(SnapshotOf(s.data()), after) << "operation " << n;
    EXPECT_EQ(SnapshotOf(s.temp()), retired) << "operation " << n;
  }
}

}  // namespace
}  // namespace labrena
