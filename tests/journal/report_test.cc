// What a run report makes of the changes a run makes through WatchEnv: the
// net effect on each file, whatever way the run took to it.
#include "journal/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/step4_internal.h"
#include "convert/step5_internal.h"
#include "journal/watch_env.h"
#include "platform/fake_ui.h"
#include "platform/mem_env.h"
#include "records/counters.h"
#include "records/retire.h"

namespace labrena {
namespace {

using Kind = FileOutcome::Kind;

class RunReportTest : public ::testing::Test {
 protected:
  RunReportTest() : watch_(base_, report_) {}

  void Write(const std::string& name, OpenMode mode, const std::string& bytes) {
    auto file = watch_.Open(name, mode);
    ASSERT_TRUE(file) << name;
    ASSERT_TRUE(file->WriteAt(0, bytes.data(), bytes.size()));
  }

  // "kind name > new_name bytes/records @step", one per outcome.
  std::vector<std::string> Outcomes() {
    static const char* const kKinds[] = {"created", "rewritten", "renamed",
                                         "retired", "deleted"};
    std::vector<std::string> lines;
    for (const FileOutcome& o : report_.Outcomes(base_)) {
      std::string line = kKinds[static_cast<int>(o.kind)] + (" " + o.name);
      if (!o.new_name.empty()) line += " > " + o.new_name;
      if (o.rewritten) line += " (rewritten)";
      if (o.folder) line += " (folder)";
      line += " " + std::to_string(o.bytes) + "/" + std::to_string(o.records) +
              " @" + std::to_string(o.step);
      lines.push_back(line);
    }
    return lines;
  }

  MemEnv base_;
  RunReport report_;
  WatchEnv watch_;
  FakeUi fake_ui_;
};

TEST_F(RunReportTest, OutcomesAreTheNetEffectPerFile) {
  base_.Put("F35R0.DAT", std::string(500, 'j'));
  base_.Put("F40.DAT", "registers");
  base_.Put("FX0.DAT", "employers");
  base_.Put("REG/REGFE.DAT", "receipts");
  base_.Put("REG/REGRE.DAT", "terminations");
  base_.Put("lab01.txt", "junk");

  report_.StepStarted(1);
  // Edited through a copy that takes its place.
  ASSERT_TRUE(watch_.CopyFile("F35R0.DAT", "F35R0.TMP", true));
  Write("f35r0.tmp", OpenMode::kAppend, std::string(250, 'n'));
  ASSERT_EQ(watch_.Rename("F35R0.DAT", "F35R0.OLD"), 0);
  ASSERT_EQ(watch_.Rename("F35R0.TMP", "F35R0.DAT"), 0);
  ASSERT_EQ(watch_.Remove("F35R0.OLD"), 0);
  // Renamed, then written.
  ASSERT_EQ(watch_.Rename("F40.DAT", "F40.BAK"), 0);
  Write("F40.BAK", OpenMode::kUpdate, "R");
  // Made and removed: nothing to tell.
  Write("F31R0.TAB", OpenMode::kWrite, "work");
  ASSERT_EQ(watch_.Remove("F31R0.TAB"), 0);
  report_.StepStarted(2);
  report_.StepStarted(3);
  // Retired; and a folder retired with a file written before it left.
  ASSERT_EQ(RetireFile(watch_, "FX0.DAT"), 0);
  Write("REG\\REGFE.DAT", OpenMode::kAppend, "+");
  ASSERT_EQ(RetireFile(watch_, "REG"), 0);
  ASSERT_EQ(watch_.Remove("LAB01.TXT"), 0);
  ASSERT_EQ(watch_.MakeDir("R27"), 0);
  Write("R27\\F272011.DAT", OpenMode::kWrite, std::string(600, 'g'));
  report_.Finished();

  EXPECT_EQ(Outcomes(),
            (std::vector<std::string>{
                "rewritten F35R0.DAT 750/3 @1",
                "renamed F40.DAT > F40.BAK (rewritten) 9/-1 @1",
                "retired FX0.DAT > /tmp/Nelk\\Labrena\\FX0.DAT 9/-1 @3",
                "deleted LAB01.TXT -1/-1 @3",
                "created R27 (folder) -1/-1 @3",
                "created R27\\F272011.DAT 600/2 @3",
                "retired REG > /tmp/Nelk\\Labrena\\REG (folder) -1/-1 @3",
                "retired REG\\REGFE.DAT > /tmp/Nelk\\Labrena\\REG\\REGFE.DAT "
                "(rewritten) 9/-1 @3",
            }));
  EXPECT_EQ(report_.StepsWithChanges(), (std::vector<int>{1, 3}));
}

TEST_F(RunReportTest, RecordLengthsAreTheLayouts) {
  EXPECT_EQ(RecordLength("F00R0.DAT"), kEmployerLength5);
  EXPECT_EQ(RecordLength("F01R0.DAT"), kRegisterLength5);
  EXPECT_EQ(RecordLength("F04R0.DAT"), kBranchLength5);
  EXPECT_EQ(RecordLength("f07r0.dat"), kMergedLength5);
  EXPECT_EQ(RecordLength("F13R1.DAT"), kDependantLength);
  EXPECT_EQ(RecordLength("F16R0.DAT"), kWorkerLength5);
  EXPECT_EQ(RecordLength("F21R1.DAT"), kLeaveLength5);
  EXPECT_EQ(RecordLength("F31R0.DAT"), kRubricLength5);
  EXPECT_EQ(RecordLength("F34.DAT"), kCounterRecord);
  EXPECT_EQ(RecordLength("F35R0.DAT"), kJobLength5);
  EXPECT_EQ(RecordLength("F36R0.DAT"), kScheduleLength5);
  // Lengths the layouts' comments give, backups, and retired names.
  EXPECT_EQ(RecordLength("R61\\0000111.DAT"), 701);
  EXPECT_EQ(RecordLength("R62/2011.BAK"), 850);
  EXPECT_EQ(RecordLength("/tmp/Nelk\\Labrena\\F13.DAT.001"), 204);
  EXPECT_EQ(RecordLength("/tmp/Nelk\\Labrena\\R61\\0000111.DAT"), 701);
  EXPECT_EQ(RecordLength("CONV.DAT"), -1);
  EXPECT_EQ(RecordLength("FX0.DAT"), -1);
}

TEST_F(RunReportTest, SummaryIsShortAndJsonEscapesNames) {
  ASSERT_EQ(base_.MakeDir("R61"), 0);
  report_.StepStarted(1);
  for (int i = 0; i < 30; ++i) {
    Write("R61\\" + std::to_string(1000000 + i) + ".DAT", OpenMode::kWrite,
          std::string(701, 'r'));
  }
  Write("R61\\A\"\xC7.DAT", OpenMode::kWrite, "x");
  RecordingUi ui(fake_ui_, report_);
  EXPECT_EQ(ui.MessageBox("Convers\xE3o", "Erro em\n\"A\"\x01.", Icon::kError,
                          Buttons::kYesNo, 1),
            Answer::kNo);
  report_.Finished();

  std::string summary = report_.Summary(report_.Outcomes(base_));
  EXPECT_NE(summary.find("Arquivos criados: 31\n"), std::string::npos);
  EXPECT_NE(summary.find("R61\\1000019.DAT: 1 registro\n"), std::string::npos);
  EXPECT_EQ(summary.find("R61\\1000020.DAT"), std::string::npos);
  EXPECT_NE(summary.find("... e mais 11 arquivos\n"), std::string::npos);
  EXPECT_NE(summary.find("Convers\xE3o: Erro em \"A\"\x01.\n"),
            std::string::npos);

  std::string json = report_.Json(report_.Outcomes(base_));
  EXPECT_NE(json.find("{\"change\":\"created\",\"name\":\"R61\\\\A\\\"\xC3\x87"
                      ".DAT\",\"new_name\":null,\"bytes\":1,\"records\":null,"
                      "\"step\":1,"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"title\":\"Convers\xC3\xA3o\",\"text\":\"Erro em\\n"
                      "\\\"A\\\"\\u0001.\",\"icon\":\"error\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"step\":1,\"seconds\":"), std::string::npos);
}

}  // namespace
}  // namespace labrena
