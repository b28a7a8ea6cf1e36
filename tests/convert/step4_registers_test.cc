// The fourth step's registers and guide patch: old records of distinct
// characters, expected records placed by new offset from the layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/step4_internal.h"
#include "convert/steps.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// A new-record range copied from the old record: new offset, old offset,
// length.
struct Copied {
  std::size_t to, from, length;
};

std::string Expected(std::size_t length, const std::string& old,
                     const std::vector<Copied>& copied) {
  std::string record(length, ' ');
  for (const Copied& c : copied) {
    record.replace(c.to, c.length, old.substr(c.from, c.length));
  }
  return record;
}

std::string Deleted(std::string record) {
  record.back() = '+';
  return record;
}

// Places texts into a record of distinct characters.
std::string OldRecord(std::size_t length,
                      const std::vector<std::pair<std::size_t, std::string>>&
                          texts = {}) {
  std::string record = Pattern(0, length);
  for (const auto& [at, text] : texts) record.replace(at, text.size(), text);
  record.back() = ' ';
  return record;
}

TEST(Step4RegistersTest, EmployerRecordAndItsCleanUp) {
  ScratchFolder s;
  // 669 "1" gives 2; 646..655 "12.345.678-9" keeps 7 digits.
  std::string old = OldRecord(983, {{646, "12.345.678"}, {669, "1"}});
  std::string second = OldRecord(983, {{0, "00000000002"}, {669, " "}});
  s.Write("F00.DAT", old + Deleted(old) + second);
  s.Write("D11.DEN", "x");
  s.Write("F08R1.DAT", Pattern(0, 1000));
  ConvertFourthStep(s.ctx());

  auto employer = [](const std::string& o, const std::string& digits,
                     const std::string& kind) {
    std::string r = Expected(
        1000, o,
        {{0, 0, 11},    {11, 11, 40},   {51, 192, 40},  {91, 51, 40},
         {131, 91, 5},  {136, 101, 18}, {161, 121, 30}, {191, 151, 9},
         {200, 160, 30}, {230, 190, 2}, {239, 341, 1},  {250, 309, 18},
         {268, 291, 18}, {286, 232, 4}, {290, 236, 15}, {354, 327, 14},
         {552, 756, 10}, {641, 663, 1}, {643, 780, 1},  {648, 755, 1},
         {649, 782, 1}, {650, 781, 1},  {651, 670, 1},  {652, 644, 2},
         {654, 661, 2}, {658, 656, 5},  {663, 624, 3},  {666, 627, 4},
         {670, 631, 4}, {734, 745, 5},  {739, 664, 5},  {744, 739, 6},
         {750, 750, 5}});
    r.replace(631, digits.size(), digits);
    r.replace(640, 1, kind);
    return r;
  };
  EXPECT_EQ(s.Read("F00R0.DAT"),
            employer(old, "1234567", "2") +
                employer(second, "", "9"));  // no digits in 646..655
  EXPECT_EQ(s.ReadRetired("F00.DAT"), old + Deleted(old) + second);
  EXPECT_FALSE(s.Exists("D11.DEN"));
  std::string responsible = Pattern(0, 1000);
  responsible.replace(154, 7, 7, ' ');
  EXPECT_EQ(s.Read("F08R1.DAT"), responsible);
}

// Old worker record with the fields the tables read.
std::string OldWorker(const std::string& kind, const std::string& year,
                      const std::string& c, const std::string& xy) {
  return OldRecord(1955, {{0, "0000000001 "},
                          {500, "1.2-3\xC7" "4a5b6c7d8e9f"},
                          {660, kind},
                          {662, year},
                          {657, c},
                          {888, xy}});
}

std::string Worker(const std::string& o, const std::string& a,
                   const std::string& since, const std::string& cde,
                   const std::string& f) {
  std::string r = Expected(
      2000, o,
      {{0, 0, 11},     {11, 11, 40},    {91, 51, 40},    {131, 91, 5},
       {136, 96, 18},  {154, 114, 7},   {161, 121, 30},  {191, 151, 9},
       {200, 160, 30}, {230, 190, 2},   {240, 232, 4},   {244, 236, 15},
       {345, 486, 14}, {359, 580, 12},  {371, 598, 8},   {382, 606, 5},
       {387, 611, 2},  {413, 518, 10},  {433, 528, 2},   {446, 616, 10},
       {456, 678, 30}, {486, 708, 2},   {509, 748, 40},  {549, 788, 40},
       {589, 403, 1},  {590, 401, 1},   {591, 402, 1},   {592, 404, 2},
       {594, 847, 1},  {595, 848, 40},  {824, 530, 14},  {838, 544, 4},
       {848, 914, 3},  {851, 890, 4},   {855, 894, 1},   {856, 899, 13},
       {869, 912, 2},  {871, 896, 3},   {874, 291, 10},  {884, 281, 10},
       {894, 626, 10}, {904, 637, 10},  {917, 636, 1},   {918, 647, 10},
       {953, 710, 3},  {956, 713, 1},   {958, 456, 5},   {963, 416, 5},
       {968, 421, 5},  {973, 426, 5},   {978, 431, 5},   {983, 614, 2},
       {985, 613, 1},  {1026, 728, 10}, {1036, 738, 10}, {1046, 714, 1},
       {1047, 715, 10}, {1082, 666, 10}, {1092, 676, 2}, {1095, 828, 16},
       {1383, 1338, 15}, {1398, 1353, 601}});
  r.replace(399, 14, "1234a5b6c7d8e9");  // letters and digits, cut at 14
  r.replace(496, 1, a);
  r.replace(497, since.size(), since);
  r.replace(916, 1, "0");
  r.replace(939, 1, cde.substr(0, 1));
  r.replace(950, 1, cde.substr(1, 1));
  r.replace(957, 1, cde.substr(2, 1));
  r.replace(1094, 1, f);
  return r;
}

TEST(Step4RegistersTest, WorkerRecordTables) {
  ScratchFolder s;
  std::string w1 = OldWorker("10", "2005", "70", "11");
  std::string w2 = OldWorker("20", "    ", "31", "01");
  std::string w3 = OldWorker("15", "0099", "95", "10");
  std::string w4 = OldWorker("  ", "-001", "  ", "  ");
  s.Write("F16.DAT", w1 + Deleted(w2) + w2 + w3 + w4);
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(s.Read("F16R0.DAT"),
            Worker(w1, "0", "01/01/2005", "312", "2") +
                Worker(w2, "2", "", "121", "1") +
                Worker(w3, "3", "01/01/0099", "311", "0") +
                Worker(w4, "3", "", "111", " "));
  EXPECT_TRUE(s.IsRetired("F16.DAT"));
}

TEST(Step4RegistersTest, DependantsAreNumberedAndRecoded) {
  ScratchFolder s;
  std::string d1 = OldRecord(204, {{62, "66"}});
  std::string d2 = OldRecord(204, {{62, "12"}});
  s.Write("F13.DAT", d1 + Deleted(d1) + d2 + d1);
  ConvertFourthStep(s.ctx());
  auto dependant = [](const std::string& o, const std::string& number,
                      const std::string& codes) {
    std::string r = Expected(1000, o,
                             {{11, 11, 40},
                              {200, 136, 20},
                              {240, 74, 10},
                              {492, 52, 10},
                              {502, 86, 10},
                              {512, 116, 20},
                              {552, 64, 10},
                              {649, 96, 9},
                              {658, 105, 6},
                              {664, 111, 5}});
    r.replace(0, 5, number);
    r.replace(238, 1, "0");
    r.replace(615, 1, codes.substr(0, 1));
    r.replace(616, 1, codes.substr(1, 1));
    return r;
  };
  EXPECT_EQ(s.Read("F13R1.DAT"), dependant(d1, "00001", "99") +
                                     dependant(d2, "00002", "12") +
                                     dependant(d1, "00003", "99"));
}

TEST(Step4RegistersTest, ExistingRegistersAreKeptAndTheOldOnesRetired) {
  ScratchFolder s;
  for (const char* name : {"F00R0.DAT", "F16R0.DAT", "F13R1.DAT"}) {
    s.Write(name, "kept");
  }
  s.Write("F00.DAT", OldRecord(983));
  s.Write("F16.DAT", OldRecord(1955));
  s.Write("F13.DAT", OldRecord(204));
  s.Write("F08R1.DAT", Pattern(0, 1000));
  ConvertFourthStep(s.ctx());
  for (const char* name : {"F00R0.DAT", "F16R0.DAT", "F13R1.DAT"}) {
    EXPECT_EQ(s.Read(name), "kept") << name;
  }
  for (const char* name : {"F00.DAT", "F16.DAT", "F13.DAT"}) {
    EXPECT_TRUE(s.IsRetired(name)) << name;
  }
  EXPECT_EQ(s.Read("F08R1.DAT"), Pattern(0, 1000));
}

// An employer register that cannot be written leaves F00.DAT and F08R1.DAT
// as they were, and the receipts wait for the next run.
TEST(Step4RegistersTest, AFailedRegisterKeepsItsSourceAndStopsTheReceipts) {
  ScratchFolder s;
  std::string old = OldRecord(983);
  s.Write("F00.DAT", old);
  s.Write("F08R1.DAT", Pattern(0, 1000));
  s.Write("F31R0.DA3", Pad("001 SAL", 300));
  s.faults().FailOpenOf("F00R0.DAT");
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(s.Read("F00.DAT"), old);
  EXPECT_EQ(s.Read("F08R1.DAT"), Pattern(0, 1000));
  EXPECT_FALSE(s.Exists("F00R0.DAT"));
  EXPECT_FALSE(s.Exists("F31R0.DAT"));
  ASSERT_FALSE(s.ui().boxes().empty());
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kError);
}

// A line end typed into a field reads as blanks; a last record cut short is
// completed with blanks; the user is told how many records were repaired.
TEST(Step4RegistersTest, DamagedDependantsAreReadAsBlanks) {
  ScratchFolder s;
  std::string typed = OldRecord(204, {{20, "a\r\nb"}});
  std::string cut = OldRecord(204).substr(0, 120);
  s.Write("F13.DAT", typed + cut + "\x1A");
  ConvertFourthStep(s.ctx());
  std::string records = s.Read("F13R1.DAT");
  ASSERT_EQ(records.size(), 2000u);
  EXPECT_EQ(records.substr(11, 40),
            OldRecord(204, {{20, "a  b"}}).substr(11, 40));
  // Old 136..155, after the cut, reads as blanks.
  EXPECT_EQ(records.substr(1000 + 200, 38), std::string(38, ' '));
  EXPECT_EQ(records.substr(1000 + 552, 10), cut.substr(64, 10));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kWarning);
  EXPECT_NE(s.ui().boxes()[0].text.find("F13.DAT tinha 1 registro"),
            std::string::npos);
}

// A guide of kind 70 and one of 35 (offsets 10..32: dates, "2", kind).
std::string OldGuide(const std::string& kind) {
  return OldRecord(300, {{10, "01/03/200631/03/20062" + kind}});
}

std::string PatchedGuide(const std::string& kind, const std::string& form) {
  std::string r = OldGuide(kind);
  r.replace(10, 20, Pad("03/2006", 7) + Pad("01", 13));
  r.replace(65, form.size(), form);
  return r;
}

TEST(Step4RegistersTest, GuidePatchRunsOnce) {
  ScratchFolder s;
  s.MakeDir("R27");
  s.Write("R27/2006.DAT", OldGuide("70") + OldGuide("35") + OldGuide("65"));
  // Its first record is patched already: the file is left as it is.
  std::string patched_first = PatchedGuide("70", "GPS") + OldGuide("70");
  s.Write("R27/2007.DAT", patched_first);
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2006.DAT"), PatchedGuide("70", "GPS") +
                                        PatchedGuide("35", "DARF") +
                                        PatchedGuide("65", "DARF"));
  EXPECT_EQ(s.Read("R27/2007.DAT"), patched_first);
  EXPECT_EQ(s.Read("CONV.DAT"), "590\r\n");
  // Marked: a new unpatched file is not touched.
  s.Write("R27/2008.DAT", OldGuide("70"));
  s.NextRun();
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2008.DAT"), OldGuide("70"));
  EXPECT_EQ(s.Read("CONV.DAT"), "590\r\n");
}

// A guide file that cannot be patched is told and the marker waits, so that
// the next run patches it (and passes over the files patched already).
TEST(Step4RegistersTest, AGuideFileThatCannotBePatchedIsPatchedNextTime) {
  ScratchFolder s;
  s.MakeDir("R27");
  s.Write("R27/2006.DAT", OldGuide("70"));
  s.Write("R27/2007.DAT", OldGuide("35"));
  s.faults().FailNth(FaultEnv::Op::kCopy, 2);
  ConvertFourthStep(s.ctx());
  EXPECT_FALSE(s.Exists("CONV.DAT"));
  EXPECT_EQ(s.Read("R27/2006.DAT"), PatchedGuide("70", "GPS"));
  EXPECT_EQ(s.Read("R27/2007.DAT"), OldGuide("35"));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  s.NextRun();
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2006.DAT"), PatchedGuide("70", "GPS"));
  EXPECT_EQ(s.Read("R27/2007.DAT"), PatchedGuide("35", "DARF"));
  EXPECT_EQ(s.Read("CONV.DAT"), "590\r\n");
}

}  // namespace
}  // namespace labrena
