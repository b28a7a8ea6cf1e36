// The second step's worker register, yearly receipts and per-worker receipts:
// old files with known bytes, expected records built from the layouts.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "convert/steps.h"
#include "fields/numbers.h"
#include "tests/testing/call_budget.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// Worker items: one at group 1 position 3 with a blank code (default 18,
// mapped to 40) and one at group 2 position 0 with code 57 (mapped to 58).
std::string WorkerItems() {
  Rec items(800);
  items.Put(3 * 20, 20, OldItem("", "100,00", "   "));
  items.Put(20 * 20, 20, OldItem("5", "1.234,5", "057"));
  return items.str();
}
std::string WorkerBlock() {
  return Pad(
      Entry('1', "040", "", "100.00") + Entry('2', "058", "5", "1234.50"), 601);
}

// F303.DAT record (2152).
std::string OldWorker(std::string_view code, std::string_view amount) {
  Rec r(2152);
  r.Put(0, 11, code).Copy(11, 727).Copy(748, 590);
  r.Put(1338, 14, amount).Put(1352, 800, WorkerItems());
  return r.str();
}

// F16.DAT record (1955), by the worker register's layout.
std::string NewWorker(std::string_view code, std::string_view date,
                      std::string_view amount) {
  Rec r(1955);
  r.Put(0, 11, code);
  r.Put(11, 127, Pattern(11, 127));
  r.Put(138, 600, Pattern(138, 600));
  r.Put(738, 10, date);
  r.Put(748, 190, Pattern(748, 190));
  r.Put(938, 400, Pattern(938, 400));
  r.Put(1338, 16, amount);
  r.Put(1354, 601, WorkerBlock());
  return r.str();
}

// F310.DAT record (455): head with code, year at 17 and date at 44.
std::string Head(std::string_view code, std::string_view year,
                 std::string_view date) {
  Rec r(55);
  r.Put(0, 10, code).Put(10, 7, "-------").Put(17, 5, year);
  r.Put(22, 22, Pattern(22, 22)).Put(44, 10, date).Put(54, 1, "#");
  return r.str();
}
std::string F310Items() {
  Rec items(300);
  items.Put(0, 20, OldItem("", "50", ""));         // default 120
  items.Put(11 * 20, 20, OldItem("", "7,5", ""));  // group 2: default 50
  return items.str();
}
std::string F310Block() {
  return Pad(Entry('1', "120", "", "50.00") + Entry('2', "050", "", "7.50"),
             601);
}
std::string OldReceipt(std::string_view head, std::string_view amount) {
  Rec r(455);
  r.Put(0, 55, head).Put(55, 300, F310Items()).Put(355, 14, amount);
  r.Put(369, 3, "ABC").Copy(372, 83);
  return r.str();
}
// "R62\%04d.DAT" record (850).
std::string YearReceipt(std::string_view head, std::string_view amount) {
  Rec r(850);
  r.Put(0, 55, head).Put(55, 3, "ABC").Put(233, 16, amount);
  r.Put(249, 601, F310Block());
  return r.str();
}

// REG\R*.DAT record (825) and R61 record (701).
std::string OldRegRecord(std::string_view code, std::string_view amount) {
  return Pad(code, 11) + Pad(amount, 14) + WorkerItems();
}
std::string R61Record(std::string_view code, std::string_view amount) {
  Rec r(701);
  r.Put(0, 84, code).Put(84, 16, amount).Put(100, 601, WorkerBlock());
  return r.str();
}

TEST(Step2WorkersTest, WorkerRegisterLayoutAndLatestDate) {
  ScratchFolder s;
  s.Write("F303.DAT", OldWorker("00000000001", "1.234,56"));
  s.Write("F310.DAT",
          OldReceipt(Head("0000000000", "2004", "10/01/2004"), "1") +
              OldReceipt(Head("0000000000", "2005", "15/03/2005"), "2") +
              OldReceipt(Head("0000000000", "2005", "01/02/2005"), "3"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F16.DAT"),
            NewWorker("00000000001", "16/03/2005", "1.234,56"));
  EXPECT_FALSE(s.Exists("F303B.DAT"));
  EXPECT_EQ(s.ReadRetired("F303.DAT"), OldWorker("00000000001", "1.234,56"));
  EXPECT_TRUE(s.IsRetired("F310.DAT"));
  EXPECT_FALSE(s.Exists("F303.DAT"));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(Step2WorkersTest, NextPeriodDates) {
  ScratchFolder s;
  s.Write("F303.DAT",
          OldWorker("AB00000001 ", "1") + OldWorker("AB00000002 ", "2") +
              OldWorker("ab00000003x", "3") + OldWorker("AB00000004 ", "4") +
              OldWorker("AB00000005 ", "5"));
  s.Write("F310.DAT",
          OldReceipt(Head("AB00000001", "2005", "31/12/2005"), "") +
              OldReceipt(Head("AB00000002", "2004", "28/02/2004"), "") +
              OldReceipt(Head("AB00000003", "2005", "30/06/2005"), "") +
              OldReceipt(Head("AB00000005", "", ""), ""));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F16.DAT"), NewWorker("AB00000001", "01/01/2006", "1") +
                                   NewWorker("AB00000002", "29/02/2004", "2") +
                                   NewWorker("ab00000003x", "01/07/2005", "3") +
                                   NewWorker("AB00000004", "", "4") +
                                   NewWorker("AB00000005", "", "5"));
}

TEST(Step2WorkersTest, ExistingTargetLeavesWorkersAlone) {
  ScratchFolder s;
  s.Write("F303.DAT", OldWorker("1", "9"));
  s.Write("F303B.DAT", "earlier");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F303.DAT"), OldWorker("1", "9"));
  EXPECT_EQ(s.Read("F16.DAT"), "earlier");
}

TEST(Step2WorkersTest, NoWorkerFileCreatesNoRegister) {
  ScratchFolder s;
  s.Write("F310.DAT", OldReceipt(Head("1", "2005", "01/01/2005"), ""));
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("F303B.DAT"));
  EXPECT_FALSE(s.Exists("F16.DAT"));
}

TEST(Step2WorkersTest, YearReceiptFiles) {
  ScratchFolder s;
  s.MakeDir("R62");
  std::string head1 = Head("0001", "2005", "01/01/2005");
  std::string head2 = Head("0002", " 2004", "01/01/2004");
  std::string head3 = Head("0003", "2005x", "01/01/2005");
  s.Write("R62/2004.DAT", YearReceipt(head1, "earlier"));
  s.Write("F310.DAT", OldReceipt(head1, "10,00") + OldReceipt(head2, "20") +
                          OldReceipt(head3, "30"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R62/2005.DAT"),
            YearReceipt(head1, "10,00") + YearReceipt(head3, "30"));
  EXPECT_EQ(s.Read("R62/2004.DAT"),
            YearReceipt(head1, "earlier") + YearReceipt(head2, "20"));
  EXPECT_TRUE(s.IsRetired("F310.DAT"));
}

TEST(Step2WorkersTest, YearFileCutShortIsCompletedFirst) {
  ScratchFolder s;
  s.MakeDir("R62");
  std::string head = Head("0001", "2005", "01/01/2005");
  s.Write("R62/2005.DAT", std::string(100, 'x'));
  s.Write("F310.DAT", OldReceipt(head, "1"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R62/2005.DAT"),
            Pad(std::string(100, 'x'), 850) + YearReceipt(head, "1"));
}

TEST(Step2WorkersTest, WithoutFolderR62F310IsRetiredUnconverted) {
  ScratchFolder s;
  std::string old = OldReceipt(Head("1", "2005", "01/01/2005"), "");
  s.Write("F310.DAT", old);
  s.Write("F311.DAT", "old receipts");
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("F310.DAT"));
  EXPECT_EQ(s.ReadRetired("F310.DAT"), old);
  EXPECT_FALSE(s.Exists("F311.DAT"));
  EXPECT_EQ(s.ReadRetired("F311.DAT"), "old receipts");
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(Step2WorkersTest, FolderNamedF311IsPassedOver) {
  ScratchFolder s;
  s.MakeDir("F311.DAT");
  ConvertSecondStep(s.ctx());
  EXPECT_TRUE(s.Exists("F311.DAT"));
  EXPECT_FALSE(s.IsRetired("F311.DAT"));
}

TEST(Step2WorkersTest, WorkerReceiptFiles) {
  ScratchFolder s;
  s.MakeDir("R61");
  std::string old = OldRegRecord("00000000001", "1.000,00") +
                    OldRegRecord("00000000002", "2,5");
  s.Write("REG/R2005.DAT", old);
  s.Write("REG/R2006.DAT", OldRegRecord("3", "3"));
  s.Write("R61/2006.DAT", "existing");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R61/2005.DAT"), R61Record("00000000001", "1.000,00") +
                                        R61Record("00000000002", "2,5"));
  EXPECT_FALSE(s.Exists("REG/R2005.DAT"));
  EXPECT_EQ(s.Read("REG/R2005.tmp"), old);
  EXPECT_EQ(s.Read("REG/R2006.DAT"), OldRegRecord("3", "3"));
  EXPECT_EQ(s.Read("R61/2006.DAT"), "existing");
}

// The Env calls of the second step over a folder of n REG\R*.DAT files of
// two records each.
CallCounts CallsToConvert(int n) {
  ScratchFolder s;
  s.MakeDir("R61");
  for (int i = 1; i <= n; ++i) {
    s.Write(Format("REG/R%07d.DAT", i),
            OldRegRecord(Format("%d", i), "1") + OldRegRecord("0", "2"));
  }
  CallCounts counts = CountCalls(s, ConvertSecondStep);
  EXPECT_EQ(s.Read(Format("R61/%07d.DAT", n)),
            R61Record(Format("%d", n), "1") + R61Record("0", "2"));
  return counts;
}

// Each receipt file is opened, read and closed, its R61 file made, written
// and closed, and it is renamed, with a few questions on the way.
TEST(Step2WorkersTest, EachReceiptFileKeepsToItsBudgetOfCalls) {
  constexpr int kFew = 2, kMore = 12;
  ExpectCallsPerFile(CallsToConvert(kFew), kFew, CallsToConvert(kMore), kMore,
                     12);
}

TEST(Step2WorkersTest, WithoutFolderR61RegFilesStay) {
  ScratchFolder s;
  s.Write("REG/R2005.DAT", OldRegRecord("1", "1"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("REG/R2005.DAT"), OldRegRecord("1", "1"));
  EXPECT_FALSE(s.Exists("REG/R2005.tmp"));
}

TEST(Step2WorkersTest, LineEndsInsideRecordsShiftNothing) {
  ScratchFolder s;
  std::string first = OldWorker("1", "1");
  first[20] = '\n';
  first[30] = '\r';
  first[31] = '\n';
  s.Write("F303.DAT", first + OldWorker("2", "2") + "\r\n\x1A");
  ConvertSecondStep(s.ctx());
  std::string expected = NewWorker("1", "", "1");
  expected[20] = expected[30] = expected[31] = ' ';
  EXPECT_EQ(s.Read("F16.DAT"), expected + NewWorker("2", "", "2"));
}

TEST(Step2WorkersTest, DataEndsAtEndOfFileMarkOnlyWhenNothingFollows) {
  ScratchFolder s;
  s.MakeDir("R61");
  std::string first = OldRegRecord("1", "1");
  first[5] = '\x1A';
  first[7] = '\n';
  s.Write("REG/R1.DAT", first + OldRegRecord("2", "2") + "\x1A\r\n\x1A");
  ConvertSecondStep(s.ctx());
  std::string expected = R61Record("1", "1");
  expected[5] = expected[7] = ' ';
  EXPECT_EQ(s.Read("R61/1.DAT"), expected + R61Record("2", "2"));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_NE(s.ui().boxes()[0].text.find("REG\\R1.DAT tinha 1 registro(s)"),
            std::string::npos);
}

TEST(Step2WorkersTest, RecordCutShortIsCompletedWithBlanks) {
  ScratchFolder s;
  s.MakeDir("R61");
  // The second worker ends inside its first item's code; the REG record
  // ends inside its amount.
  std::string cut = OldWorker("2", "2").substr(0, 1352 + 3 * 20 + 18);
  s.Write("F303.DAT", OldWorker("1", "1") + cut);
  s.Write("REG/R1.DAT", OldRegRecord("1", "1") + "0000000000212,");
  ConvertSecondStep(s.ctx());
  // The cut item lacks the last character of its blank code field, which
  // still reads blank: its default code applies.
  Rec second(1955);
  second.Put(0, 1955, NewWorker("2", "", "2"));
  second.Put(1354, 601, Pad(Entry('1', "040", "", "100.00"), 601));
  EXPECT_EQ(s.Read("F16.DAT"), NewWorker("1", "", "1") + second.str());
  Rec reg(701);
  reg.Put(0, 84, "00000000002").Put(84, 16, "12,");
  EXPECT_EQ(s.Read("R61/1.DAT"), R61Record("1", "1") + reg.str());
}

TEST(Step2WorkersTest, FailedWriteKeepsOldFilesAndIsReported) {
  ScratchFolder s;
  std::string workers = OldWorker("1", "1") + OldWorker("2", "2");
  std::string receipts = OldReceipt(Head("1", "2005", "09/09/2005"), "");
  s.Write("F303.DAT", workers);
  s.Write("F310.DAT", receipts);
  s.Write("F306.DAT", std::string(654, 'u'));
  s.faults().DiskFullAfter(1955 + 100);
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("F303B.DAT"));
  EXPECT_FALSE(s.Exists("F16.DAT"));
  EXPECT_EQ(s.Read("F303.DAT"), workers);
  EXPECT_EQ(s.Read("F310.DAT"), receipts);
  EXPECT_TRUE(s.Exists("F306.DAT"));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].title, "Convers\xE3o");
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kError);

  // With room on the disk the next run converts everything.
  s.faults().DiskFullAfter(-1);
  s.NextRun();
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F16.DAT"),
            NewWorker("1", "10/09/2005", "1") + NewWorker("2", "", "2"));
  EXPECT_TRUE(s.IsRetired("F310.DAT"));
  EXPECT_TRUE(s.Exists("F01R0.DAT"));
}

TEST(Step2WorkersTest, FailedYearFileWriteKeepsF310) {
  ScratchFolder s;
  s.MakeDir("R62");
  std::string receipts = OldReceipt(Head("1", "2004", "01/01/2004"), "") +
                         OldReceipt(Head("1", "2005", "01/01/2005"), "");
  s.Write("F310.DAT", receipts);
  s.faults().DiskFullAfter(850 + 10);
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("R62/2004.DAT"));
  EXPECT_FALSE(s.Exists("R62/2005.DAT"));
  EXPECT_EQ(s.Read("F310.DAT"), receipts);
  EXPECT_EQ(s.ui().boxes().size(), 1u);
}

TEST(Step2WorkersTest, FailedReceiptWriteKeepsRegFile) {
  ScratchFolder s;
  s.MakeDir("R61");
  s.Write("REG/R1.DAT", OldRegRecord("1", "1"));
  s.Write("REG/R2.DAT", OldRegRecord("2", "2"));
  s.faults().DiskFullAfter(701 + 10);
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R61/1.DAT"), R61Record("1", "1"));
  EXPECT_TRUE(s.Exists("REG/R1.tmp"));
  EXPECT_FALSE(s.Exists("R61/2.DAT"));
  EXPECT_EQ(s.Read("REG/R2.DAT"), OldRegRecord("2", "2"));
  EXPECT_EQ(s.ui().boxes().size(), 1u);
}

TEST(Step2WorkersTest, UnopenableTargetIsReportedAndKeepsTheOldFile) {
  ScratchFolder s;
  s.Write("F303.DAT", OldWorker("1", "1"));
  s.faults().FailOpenOf("F303B.DAT");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F303.DAT"), OldWorker("1", "1"));
  EXPECT_FALSE(s.Exists("F16.DAT") || s.Exists("F303B.DAT"));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].text,
            "Erro na convers\xE3o de F303.DAT para F303B.DAT.\n"
            "O arquivo F303.DAT continua na pasta de dados.");
}

}  // namespace
}  // namespace labrena
