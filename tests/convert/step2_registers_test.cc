// The second step's other registers, counters and final renames: old files
// with known bytes, expected records built from the layouts.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "convert/steps.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// An old record of distinct characters, so that every copied range shows.
std::string Patterned(std::size_t length) { return Pattern(0, length); }

// Old guide record (467): code, month, 4-character field, three amounts.
std::string OldGuide(std::string_view code, std::string_view month,
                     std::string_view a1, std::string_view a2,
                     std::string_view a3) {
  Rec r(467);
  r.Put(0, 467, Patterned(467));
  r.Put(0, 10, Pad(code, 10)).Put(10, 2, month).Put(12, 4, "F4F4");
  r.Put(41, 18, Pad(a1, 18)).Put(59, 18, Pad(a2, 18)).Put(77, 18, Pad(a3, 18));
  return r.str();
}

// R27 record (300).
std::string Guide(std::string_view code, std::string_view first,
                  std::string_view last, std::string_view guide_code,
                  std::string_view a1, std::string_view a2,
                  std::string_view a3) {
  Rec r(300);
  r.Put(0, 10, code).Put(10, 10, first).Put(20, 10, last);
  r.Put(30, 3, guide_code).Put(33, 162, "F4F4");
  r.Put(195, 18, a1).Put(213, 18, a2).Put(231, 69, a3);
  return r.str();
}

std::string CounterRecord(std::string_view name, std::string_view value) {
  return std::string(10, ' ') + Pad(name, 10) + Pad(value, 10);
}

std::string Counters(const std::vector<std::string>& values) {
  std::string s;
  for (const std::string& v : values) s += Pad(v, 11);
  return s;
}

TEST(Step2RegistersTest, GuideThresholds) {
  ScratchFolder s;
  s.MakeDir("R27");
  std::string sum23 = OldGuide("G1", "03", "10,00", "8,00", "5,00");
  s.Write("R01/2011.DAT", sum23 + OldGuide("G2", "03", "20,00", "8,99", "") +
                              OldGuide("G3", "03", "20,00", "9,00", ""));
  s.Write("R01/2012.DAT", sum23);
  s.Write("R02/2011.DAT", sum23 + OldGuide("G4", "04", "9,99", "", ""));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(
      s.Read("R27/2011.DAT"),
      Guide("G1", "01/03/2011", "31/03/2011", "270", "10,00", "8,00", "5,00") +
          Guide("G2", "01/03/2011", "31/03/2011", "270", "20,00", "8,99", "") +
          Guide("G4", "01/04/2011", "30/04/2011", "235", "9,99", "", ""));
  EXPECT_EQ(s.Read("R27/2012.DAT"), "");
  EXPECT_EQ(s.ReadRetired("R01/2011.DAT").size(), 3 * 467u);
  EXPECT_TRUE(s.IsRetired("R01/2012.DAT"));
  EXPECT_TRUE(s.IsRetired("R02/2011.DAT"));
  EXPECT_FALSE(s.Exists("R01"));
  EXPECT_FALSE(s.Exists("R02"));
}

TEST(Step2RegistersTest, GuideMonthDatesAndFoldersMeet) {
  ScratchFolder s;
  s.MakeDir("R27");
  s.Write("R02/2004.DAT", OldGuide("A", "02", "1", "", ""));
  s.Write("R01/2005.DAT", OldGuide("B", "02", "1", "", ""));
  s.Write("R03/2005.DAT", OldGuide("C", "12", "1", "", ""));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2004.DAT"),
            Guide("A", "01/02/2004", "29/02/2004", "235", "1", "", ""));
  EXPECT_EQ(s.Read("R27/2005.DAT"),
            Guide("B", "01/02/2005", "28/02/2005", "270", "1", "", "") +
                Guide("C", "01/12/2005", "31/12/2005", "265", "1", "", ""));
}

TEST(Step2RegistersTest, GuideWithLettersInNumberFields) {
  ScratchFolder s;
  s.MakeDir("R27");
  s.Write("R03/2006.DAT", OldGuide("X", "ab", "abc", "1x", "") + "\r\n\x1A");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2006.DAT"),
            Guide("X", "01/00/2006", "00/00/2006", "265", "abc", "1x", ""));
}

TEST(Step2RegistersTest, WithoutFolderR27GuidesAreRetiredUnconverted) {
  ScratchFolder s;
  std::string old = OldGuide("A", "01", "1", "", "");
  s.Write("R01/2005.DAT", old);
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.ReadRetired("R01/2005.DAT"), old);
  EXPECT_FALSE(s.Exists("R27"));
  EXPECT_FALSE(s.Exists("R01"));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(Step2RegistersTest, FailedGuideWriteKeepsEverySource) {
  ScratchFolder s;
  s.MakeDir("R27");
  std::string old = OldGuide("A", "01", "1", "", "");
  s.Write("R01/2005.DAT", old);
  s.Write("R03/2005.DAT", old);
  s.Write("R03/2006.DAT", old);
  s.faults().DiskFullAfter(300 + 10);
  ConvertSecondStep(s.ctx());
  // The file that was converted whole stands; the one cut short by the
  // full disk is taken out of R27\2005.DAT again and stays, as do the rest.
  std::string guide = s.Read("R27/2005.DAT");
  EXPECT_EQ(guide.size(), 300u);
  EXPECT_TRUE(s.IsRetired("R01/2005.DAT"));
  EXPECT_FALSE(s.Exists("R27/2006.DAT"));
  EXPECT_EQ(s.Read("R03/2005.DAT"), old);
  EXPECT_EQ(s.Read("R03/2006.DAT"), old);
  EXPECT_EQ(s.ui().boxes().size(), 1u);
  // Once there is room, the next run gives what one run would have.
  s.faults().DiskFullAfter(-1);
  s.NextRun();
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("R27/2005.DAT").substr(300, 30), guide.substr(0, 30));
  EXPECT_TRUE(s.IsRetired("R03/2005.DAT") && s.IsRetired("R03/2006.DAT"));
}

TEST(Step2RegistersTest, UnionRegister) {
  ScratchFolder s;
  std::string old = Patterned(654);
  s.Write("F306.DAT", old + old);
  ConvertSecondStep(s.ctx());
  Rec r(814);
  r.Put(0, 51, old.substr(0, 51)).Put(51, 40, old.substr(192, 40));
  r.Put(91, 159, old.substr(51, 141)).Put(250, 18, old.substr(291, 18));
  r.Put(268, 18, old.substr(327, 12)).Put(286, 86, old.substr(232, 29));
  r.Put(372, 442, old.substr(339, 60));
  EXPECT_EQ(s.Read("F01R0.DAT"), r.str() + r.str());
  EXPECT_TRUE(s.IsRetired("F306.DAT"));
}

TEST(Step2RegistersTest, ExistingTargetStillRetiresOldFile) {
  ScratchFolder s;
  s.Write("F306.DAT", Patterned(654));
  s.Write("F01R0.DAT", "current");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F01R0.DAT"), "current");
  EXPECT_EQ(s.ReadRetired("F306.DAT"), Patterned(654));
}

TEST(Step2RegistersTest, F07Register) {
  ScratchFolder s;
  std::string old = Patterned(212);
  s.Write("F307.DAT", old);
  ConvertSecondStep(s.ctx());
  Rec r(809);
  r.Put(0, 502, old.substr(0, 51)).Put(502, 307, old.substr(51, 10));
  EXPECT_EQ(s.Read("F07R0.DAT"), r.str());
  EXPECT_TRUE(s.IsRetired("F307.DAT"));
}

TEST(Step2RegistersTest, ResponsibleFromFirstRecordOnly) {
  ScratchFolder s;
  Rec first(354);
  first.Put(0, 354, Patterned(354)).Put(181, 8, "12-34.5x");
  std::string old = first.str();
  s.Write("F305.DAT", old + Patterned(354) + Patterned(354));
  ConvertSecondStep(s.ctx());
  Rec r(1000);
  r.Put(0, 11, "00001").Put(11, 40, old.substr(0, 40));
  r.Put(51, 40, old.substr(286, 40)).Put(91, 45, old.substr(40, 45));
  r.Put(136, 18, old.substr(90, 8)).Put(154, 7, "12345");
  r.Put(161, 89, old.substr(110, 71)).Put(250, 18, old.substr(268, 18));
  r.Put(268, 18, old.substr(326, 18)).Put(286, 86, old.substr(189, 19));
  r.Put(372, 120, old.substr(208, 60)).Put(492, 508, old.substr(344, 10));
  EXPECT_EQ(s.Read("F08R1.DAT"), r.str());
  EXPECT_TRUE(s.IsRetired("F305.DAT"));

  // At most seven digits.
  ScratchFolder s2;
  s2.Write("F305.DAT", Rec(354).Put(181, 8, "98765432").str());
  ConvertSecondStep(s2.ctx());
  EXPECT_EQ(s2.Read("F08R1.DAT").substr(154, 7), "9876543");
}

// F302.DAT record (653) with a street, number and complement.
std::string OldF302(std::string_view street, std::string_view number,
                    std::string_view complement) {
  Rec r(653);
  r.Put(0, 653, Patterned(653));
  r.Put(51, 40, Pad(street, 40)).Put(91, 10, Pad(number, 10));
  r.Put(101, 20, Pad(complement, 20));
  return r.str();
}

std::string NewF02(const std::string& old, std::string_view address) {
  Rec r(1000);
  r.Put(0, 91, old.substr(0, 51)).Put(91, 70, address);
  r.Put(161, 89, old.substr(121, 71)).Put(250, 389, old.substr(291, 18));
  r.Put(639, 361, old.substr(327, 4));
  return r.str();
}

TEST(Step2RegistersTest, F02AddressLine) {
  ScratchFolder s;
  std::string street40 = Pattern(0, 40);
  std::string long_line = OldF302(street40, "123", "APTO 1");
  std::string short_line = OldF302("RUA A", "", "");
  std::string middle = OldF302("AV. BRASIL   ", "1500", "");
  s.Write("F302.DAT", long_line + short_line + middle);
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F02R1.DAT"),
            NewF02(long_line, street40.substr(0, 29) + " 123 APTO 1") +
                NewF02(short_line, "RUA A  ") +
                NewF02(middle, "AV. BRASIL 1500 "));
  EXPECT_TRUE(s.IsRetired("F302.DAT"));
}

TEST(Step2RegistersTest, FailedRegisterWriteKeepsOldFile) {
  ScratchFolder s;
  s.Write("F306.DAT", Patterned(654));
  s.Write("F307.DAT", Patterned(212));
  s.faults().DiskFullAfter(100);
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("F01R0.DAT"));
  EXPECT_EQ(s.Read("F306.DAT"), Patterned(654));
  EXPECT_EQ(s.Read("F307.DAT"), Patterned(212));
  EXPECT_EQ(s.ui().boxes().size(), 1u);
}

TEST(Step2RegistersTest, CountersTakenOver) {
  ScratchFolder s;
  s.Write("CONFIGA.DAT", Counters({"00000000000", "00000000125", "", "7", "abc",
                                   "-5", "999999999"}));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F34.DAT"),
            CounterRecord("16", "125") + CounterRecord("2", "7"));
  EXPECT_FALSE(s.Exists("CONFIGA.DAT"));
}

TEST(Step2RegistersTest, CountersFilePresentLeavesOldCountersAlone) {
  ScratchFolder s;
  std::string old = Counters({"1", "2", "3", "4", "5", "6", "7"});
  s.Write("CONFIGA.DAT", old);
  s.Write("F34.DAT", CounterRecord("35", "9"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("CONFIGA.DAT"), old);
  EXPECT_EQ(s.Read("F34.DAT"), CounterRecord("35", "9"));
}

TEST(Step2RegistersTest, FailedCounterKeepsOldCounters) {
  ScratchFolder s;
  std::string old = Counters({"1", "2", "3", "4", "5", "6", "7"});
  s.Write("CONFIGA.DAT", old);
  s.faults().DiskFullAfter(3 * 30);
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("CONFIGA.DAT"), old);
  EXPECT_FALSE(s.Exists("F34.DAT"));
  ASSERT_FALSE(s.ui().boxes().empty());
  EXPECT_EQ(s.ui().boxes().back().title, "Convers\xE3o");

  s.faults().DiskFullAfter(-1);

  s.NextRun();
  ConvertSecondStep(s.ctx());
  EXPECT_FALSE(s.Exists("CONFIGA.DAT"));
  EXPECT_EQ(s.Read("F34.DAT"),
            CounterRecord("0", "1") + CounterRecord("16", "2") +
                CounterRecord("13", "3") + CounterRecord("2", "4") +
                CounterRecord("1", "5") + CounterRecord("7", "6") +
                CounterRecord("4", "7"));
}

TEST(Step2RegistersTest, FinalRenames) {
  ScratchFolder s;
  s.Write("F301.DAT", "employers");
  s.Write("F304.DAT", "dependants");
  s.Write("F309.DAT", "f17");
  s.Write("F308.DAT", "f21");
  s.Write("C04B.DAT", "rubrics");
  s.Write("F31.DAT", "current rubrics");
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(s.Read("F00.DAT"), "employers");
  EXPECT_EQ(s.Read("F13.DAT"), "dependants");
  EXPECT_EQ(s.Read("F17R1.DAT"), "f17");
  EXPECT_EQ(s.Read("F21R0.DAT"), "f21");
  EXPECT_FALSE(s.Exists("F301.DAT"));
  EXPECT_EQ(s.Read("C04B.DAT"), "rubrics");
  EXPECT_EQ(s.Read("F31.DAT"), "current rubrics");
}

// Every file and folder below the data folder with its content.

TEST(Step2RegistersTest, SecondRunChangesNothing) {
  ScratchFolder s;
  for (const char* dir : {"R27", "R61", "R62"}) s.MakeDir(dir);
  s.Write("F303.DAT", Patterned(2152));
  s.Write("F310.DAT", Patterned(455));
  s.Write("F311.DAT", "x");
  s.Write("REG/R1.DAT", Patterned(825));
  s.Write("REG/R2.DAT", Patterned(825));
  s.Write("R61/2.DAT", "existing");
  s.Write("R01/2005.DAT", OldGuide("A", "01", "1", "", ""));
  s.Write("R02/2005.DAT", OldGuide("B", "01", "1", "", ""));
  s.Write("F306.DAT", Patterned(654));
  s.Write("F307.DAT", Patterned(212));
  s.Write("F305.DAT", Patterned(354));
  s.Write("F302.DAT", Patterned(653));
  s.Write("CONFIGA.DAT", Counters({"1", "2"}));
  s.Write("F301.DAT", "employers");
  s.Write("F16.DAT", "newer workers");
  ConvertSecondStep(s.ctx());
  auto first = SnapshotOf(s.data());
  EXPECT_TRUE(first.count("F16.DAT") && first.count("R27/2005.DAT") &&
              first.count("F00.DAT") && first.count("F34.DAT"));
  ConvertSecondStep(s.ctx());
  EXPECT_EQ(SnapshotOf(s.data()), first);
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(Step2RegistersTest, ArbitraryBytesAreHandled) {
  // Old files of every size around their record lengths, holding bytes of
  // every value: the step must neither crash nor leave them unaccounted.
  const char* kOldFiles[] = {
      "F303.DAT", "F310.DAT", "REG/R1.DAT",   "F306.DAT",  "F307.DAT",
      "F305.DAT", "F302.DAT", "R01/2005.DAT", "R02/1.DAT", "CONFIGA.DAT"};
  std::uint32_t seed = 12345;
  for (std::size_t size : {0u, 1u, 11u, 454u, 2153u, 5000u}) {
    ScratchFolder s;
    for (const char* dir : {"R27", "R61", "R62"}) s.MakeDir(dir);
    for (const char* name : kOldFiles) {
      std::string bytes;
      for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245 + 12345;
        bytes += static_cast<char>(seed >> 16);
      }
      s.Write(name, bytes);
    }
    ConvertSecondStep(s.ctx());
    ConvertSecondStep(s.ctx());
    // Converted files are retired (a REG file is renamed, CONFIGA.DAT is
    // deleted once its counters are in F34.DAT).
    for (std::string name : kOldFiles) {
      if (name == "CONFIGA.DAT") continue;
      if (name == "REG/R1.DAT") name = s.Exists(name) ? name : "REG/R1.tmp";
      EXPECT_TRUE(s.IsRetired(name) || s.Exists(name)) << name << size;
    }
    // Damage is told as a warning; nothing fails.
    for (const ShownBox& box : s.ui().boxes()) {
      EXPECT_EQ(box.icon, Icon::kWarning) << box.text;
    }
  }
}

}  // namespace
}  // namespace labrena
