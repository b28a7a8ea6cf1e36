#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "convert/steps.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// Worker record F16.DAT (1955) and the offsets of the fields the step reads.
constexpr std::size_t kWorker = 1955, kGroup = 291, kTitle = 426, kHours = 560,
                      kOccupation = 647;
const std::string kG1 = "0000000001", kG2 = "0000000002";

// A blank worker record with the given fields.
std::string Worker(std::vector<std::pair<std::size_t, std::string>> fields) {
  std::string record(kWorker, ' ');
  for (const auto& [offset, text] : fields)
    record.replace(offset, text.size(), text);
  return record;
}
std::string Job(const std::string& title, const std::string& group = kG1,
                const std::string& occupation = "") {
  return Worker({{kGroup, group}, {kTitle, title}, {kOccupation, occupation}});
}
std::string Shift(const std::string& hours, const std::string& group = kG1) {
  return Worker({{kGroup, group}, {kHours, hours}});
}

// F35.DAT: code (11), title (40), group field (10), occupation code (179).
std::string JobRecord(const std::string& code, const std::string& title,
                      const std::string& group, const std::string& cbo = "") {
  return Pad(code, 11) + Pad(title, 40) + Pad(group, 10) + Pad(cbo, 179);
}
// F36.DAT: code (11), description (40), group field and hours (199).
std::string ScheduleRecord(const std::string& code, const std::string& text,
                           const std::string& key) {
  return Pad(code, 11) + Pad(text, 40) + Pad(key, 199);
}
// F34.DAT: first name (10), counter name (10), value (10).
std::string Counter(const std::string& name, const std::string& value) {
  return Pad("", 10) + Pad(name, 10) + Pad(value, 10);
}
// Field of worker record n.
std::string At(const std::string& f16, std::size_t n, std::size_t offset,
               std::size_t width) {
  return f16.substr(n * kWorker + offset, width);
}

TEST(JobsAndSchedulesTest, OneWorkerRecordByteForByte) {
  ScratchFolder s;
  std::string old = Worker({{11, "JOSE DA SILVA"},
                            {96, "N 123"},
                            {101, "APTO 12"},
                            {281, "OLD-281"},
                            {kGroup, kG1},
                            {405, "P1234Q1234AB"},
                            {424, "R9"},
                            {kTitle, "MOTORISTA"},
                            {kHours, "08:0018:0012:0013:00"},
                            {580, "123.45678.90-1"},
                            {kOccupation, "0012345"},
                            {847, "4"}});
  s.Write("F16.DAT", old);
  ConvertJobsAndSchedules(s.ctx());

  std::string expected = old;
  for (const auto& [offset, text] :
       std::vector<std::pair<std::size_t, std::string>>{
           {96, Pad("APTO 12", 18)},
           {281, Pad("Q1234", 10)},
           // R in 12, P in 5, then the text of 415 (moved to 419) in 5.
           {404, Pad("R9", 12) + "P1234" + Pad("AB", 5)},
           {kTitle, Pad("00001", 30)},
           {431, "00001"},
           {kHours, Pad("", 20)},
           {580, Pad("12345678901", 18)},
           {kOccupation, Pad("", 10)},
           {847, "3"}}) {
    expected.replace(offset, text.size(), text);
  }
  EXPECT_EQ(s.Read("F16.DAT"), expected);
  EXPECT_EQ(s.Read("F35.DAT"), JobRecord("00001", "MOTORISTA", kG1, "012345"));
  EXPECT_EQ(s.Read("F36.DAT"),
            ScheduleRecord("00001", "08:00 \xE0s 12:00 / 13:00 \xE0s 18:00",
                           kG1 + "08:0018:0012:0013:00"));
  EXPECT_EQ(s.Read("F34.DAT"), Counter("35", "1") + Counter("36", "1"));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(JobsAndSchedulesTest, JobAndScheduleCodesByKey) {
  ScratchFolder s;
  s.Write("F34.DAT", Counter("35", "120"));
  s.Write("F16.DAT", Job("MOTORISTA", kG1, "0000000") + Job("motorista") +
                         Job("MOTORISTA", kG2, "123456") + Job("") +
                         Job("MOTORISTA") + Shift("08:0018:00") +
                         Shift("08:0018:0012") + Shift("08:0018:00"));
  ConvertJobsAndSchedules(s.ctx());
  std::string f16 = s.Read("F16.DAT");
  const char* jobs[] = {"00001", "00001", "00002", "", "00001"};
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(At(f16, n, kTitle, 30), Pad(jobs[n], 30)) << n;
  }
  EXPECT_EQ(At(f16, 5, 431, 5) + At(f16, 6, 431, 5) + At(f16, 7, 431, 5),
            "000010000200001");
  EXPECT_EQ(s.Read("F35.DAT"),
            JobRecord("00001", "MOTORISTA", kG1) +
                JobRecord("00002", "MOTORISTA", kG2, "123456"));
  // A break start cut short is printed right-justified in 5; the break end
  // beyond the hours is empty.
  EXPECT_EQ(s.Read("F36.DAT"),
            ScheduleRecord("00001", "08:00 \xE0s 18:00", kG1 + "08:0018:00") +
                ScheduleRecord("00002", "08:00 \xE0s    12 /       \xE0s 18:00",
                               kG1 + "08:0018:0012"));
  // Set to the count, not added to.
  EXPECT_EQ(s.Read("F34.DAT"), Counter("35", "2") + Counter("36", "2"));
}

TEST(JobsAndSchedulesTest, KindPisAndComplement) {
  ScratchFolder s;
  s.Write("F16.DAT", Worker({{847, "3"}, {580, "1234567890-1"}}) +
                         Worker({{847, "5"},
                                 {580, "1234567890123456"},
                                 {101, "RUA DAS FLORES 1234X"}}));
  ConvertJobsAndSchedules(s.ctx());
  std::string f16 = s.Read("F16.DAT");
  EXPECT_EQ(At(f16, 0, 847, 1) + At(f16, 1, 847, 1), "55");
  EXPECT_EQ(At(f16, 0, 580, 18), Pad("1234567890-1", 18));
  EXPECT_EQ(At(f16, 1, 580, 18), Pad("123456789012", 18));
  // A complement of 20 is written whole at 96.
  EXPECT_EQ(At(f16, 1, 96, 25), "RUA DAS FLORES 1234X1234X");
}

TEST(JobsAndSchedulesTest, ExistingRegistersLeaveWorkersUntouched) {
  ScratchFolder s;
  std::string f16 = Job("MOTORISTA") + Worker({{kHours, "08:0018:00"}});
  s.Write("F16.DAT", f16);
  s.Write("F35.DAT", JobRecord("00007", "PEDREIRO", kG1));
  s.Write("F36.DAT", "");
  ConvertJobsAndSchedules(s.ctx());
  EXPECT_EQ(s.Read("F16.DAT"), f16);
  EXPECT_EQ(s.Read("F35.DAT"), JobRecord("00007", "PEDREIRO", kG1));
  EXPECT_FALSE(s.Exists("F34.DAT"));
}

TEST(JobsAndSchedulesTest, FailuresLeaveNothingHalfDone) {
  // A worker register that cannot be read: no empty registers stay behind,
  // the user is told, and the next run does the work.
  ScratchFolder s;
  s.Write("F16.DAT", Job("MOTORISTA"));
  s.faults().FailAll(FaultEnv::Op::kCopy);
  ConvertJobsAndSchedules(s.ctx());
  EXPECT_FALSE(s.Exists("F35.DAT") || s.Exists("F36.DAT"));
  EXPECT_EQ(s.ui().boxes().size(), 1u);
  s.faults().FailAll(FaultEnv::Op::kCopy, false);
  EXPECT_EQ(s.Read("F16.DAT"), Job("MOTORISTA"));
  ConvertJobsAndSchedules(s.ctx());
  EXPECT_EQ(s.Read("F35.DAT"), JobRecord("00001", "MOTORISTA", kG1));

  ScratchFolder folder;
  folder.MakeDir("F16.DAT");
  ConvertJobsAndSchedules(folder.ctx());
  EXPECT_FALSE(folder.Exists("F35.DAT") || folder.Exists("F36.DAT"));

  // A register that cannot be created: the other is removed again.
  ScratchFolder f36;
  f36.Write("F16.DAT", Job("MOTORISTA"));
  f36.faults().FailOpenOf("F36.DAT");
  ConvertJobsAndSchedules(f36.ctx());
  EXPECT_FALSE(f36.Exists("F35.DAT"));
  EXPECT_EQ(f36.Read("F16.DAT"), Job("MOTORISTA"));

  // No worker register at all: the empty registers stay.
  ScratchFolder none;
  ConvertJobsAndSchedules(none.ctx());
  EXPECT_TRUE(none.Exists("F35.DAT") && none.Exists("F36.DAT"));
  EXPECT_EQ(none.Read("F35.DAT") + none.Read("F36.DAT"), "");
  EXPECT_FALSE(none.Exists("F34.DAT"));
}

TEST(JobsAndSchedulesTest, AnyFailedWriteUndoesTheStep) {
  const std::string f16 = Job("A") + Job("B") + Job("C") +
                          Worker({{kGroup, kG1}, {kTitle, "A"}, {847, "4"}});
  ScratchFolder clean;
  clean.Write("F16.DAT", f16);
  ConvertJobsAndSchedules(clean.ctx());
  ASSERT_TRUE(clean.ui().boxes().empty());
  // Every write of the step in turn fails once: the step is told, leaves
  // the folder as it was, and the next run gives the clean result.
  for (int n = 1;; ++n) {
    ScratchFolder s;
    s.Write("F16.DAT", f16);
    s.faults().FailNth(FaultEnv::Op::kWrite, n);
    ConvertJobsAndSchedules(s.ctx());
    if (s.ui().boxes().empty()) break;
    EXPECT_NE(s.ui().boxes()[0].text.find("de F16.DAT para F3"),
              std::string::npos);
    EXPECT_EQ(s.Read("F16.DAT"), f16) << n;
    EXPECT_FALSE(s.Exists("F35.DAT") || s.Exists("F36.DAT") ||
                 s.Exists("F34.DAT") || s.Exists("F16.TMP"))
        << n;
    ConvertJobsAndSchedules(s.ctx());
    for (const char* name : {"F16.DAT", "F35.DAT", "F36.DAT", "F34.DAT"}) {
      EXPECT_EQ(s.Read(name), clean.Read(name)) << name << n;
    }
  }
}

TEST(JobsAndSchedulesTest, OddWorkerFilesLoseNothing) {
  ScratchFolder s;
  s.Write("F16.DAT", "");
  ConvertJobsAndSchedules(s.ctx());
  EXPECT_EQ(s.Read("F16.DAT") + s.Read("F35.DAT"), "");
  EXPECT_FALSE(s.Exists("F34.DAT"));

  // A record cut off at 500 keeps its length; what lies inside is converted.
  ScratchFolder cut;
  cut.Write("F16.DAT", Job("MOTORISTA") + Job("PEDREIRO").substr(0, 500));
  ConvertJobsAndSchedules(cut.ctx());
  std::string f16 = cut.Read("F16.DAT");
  EXPECT_EQ(f16.size(), kWorker + 500);
  EXPECT_EQ(At(f16, 1, kTitle, 30), Pad("00002", 30));

  // Text mode: a CR LF cuts the group field short, which the registers pad;
  // a record that starts with the end-of-file mark ends the step.
  ScratchFolder text;
  std::string last = "\x1A" + Job("PEDREIRO").substr(1);
  text.Write("F16.DAT", Job("MOTORISTA", "AB\r\nCDEFGH") +
                            Shift("08:0018:00", "AB\r\nCDEFGH") + last);
  ConvertJobsAndSchedules(text.ctx());
  EXPECT_EQ(text.Read("F35.DAT"), JobRecord("00001", "MOTORISTA", "AB\n"));
  EXPECT_EQ(text.Read("F36.DAT"),
            ScheduleRecord("00001", "08:00 \xE0s 18:00",
                           Pad("AB\n", 10) + "08:0018:00"));
  EXPECT_EQ(text.Read("F16.DAT").substr(2 * kWorker), last);
}

}  // namespace
}  // namespace labrena
