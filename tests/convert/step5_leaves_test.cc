// The end of the fifth step: F21R0.DAT to F21R1.DAT and the tagged patches
// "624", "627" and "628", each alone (CONV.DAT holds the other tags), and
// runs that fail part-way.
#include <gtest/gtest.h>

#include <functional>
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

// Old F21R0.DAT record (46).
std::string OldLeave(const std::string& key, const std::string& start,
                     const std::string& code, const std::string& end,
                     const std::string& last = " ") {
  return Rec(46).Put(0, 11, key).Put(11, 10, start).Put(21, 2, code)
      .Put(23, 10, end).Put(33, 12, "DROPPED").Put(45, 1, last).str();
}

// F21R1.DAT record (500) as the conversion writes it, and in its final
// form with the sequence number at 13.
std::string Leave(const std::string& key, const std::string& code,
                  const std::string& start, const std::string& days,
                  const std::string& end, const std::string& flag,
                  const std::string& last = " ") {
  return Rec(500).Put(0, 3, "100").Put(3, 10, key).Put(13, 2, code)
      .Put(15, 10, start).Put(25, 5, days).Put(30, 10, end).Put(40, 1, flag)
      .Put(499, 1, last).str();
}
std::string NumberedLeave(const std::string& key, const std::string& sequence,
                          const std::string& code, const std::string& start,
                          const std::string& days, const std::string& end,
                          const std::string& flag) {
  return Rec(500).Put(0, 3, "100").Put(3, 10, key).Put(13, 10, sequence)
      .Put(23, 2, code).Put(25, 10, start).Put(35, 5, days).Put(40, 10, end)
      .Put(50, 1, flag).str();
}

TEST(Step5LeavesTest, LeavesTakeTheIntermediateForm) {
  ScratchFolder s;
  std::string old = OldLeave("00001", "14/03/2005", "P1", "20/03/2005") +
                    OldLeave("00002", "14/03/2005", "p2", "20/03/2005") +
                    OldLeave("00003", "31/12/2005", "Q4", "01/01/2006") +
                    OldLeave("00004", "10/05/2005", "x9", "01/05/2005") +
                    OldLeave("00005", "", "ZZ", "20/03/2005", "+") +
                    OldLeave("00006", "01/02/2005", "U3", "");
  s.Write("F21R0.DAT", old);
  ASSERT_TRUE(ConvertLeaves(s.ctx()));
  EXPECT_EQ(s.Read("F21R1.DAT"),
            Leave("00001", "03", "15/03/2005", "6", "20/03/2005", "0") +
                Leave("00002", "03", "15/03/2005", "6", "20/03/2005", "1") +
                Leave("00003", "20", "01/01/2006", "1", "01/01/2006", "0") +
                Leave("00004", "21", "11/05/2005", "", "01/05/2005", "0") +
                Leave("00005", "", "", "", "20/03/2005", "0", "+") +
                Leave("00006", "06", "02/02/2005", "", "", "0"));
  EXPECT_EQ(s.Read("F21R0.BAK"), old);
  EXPECT_FALSE(s.Exists("F21R0.DAT"));

  // With F21R1.DAT present the old file is only backed up, the earlier
  // backup going to the retirement folder.
  ScratchFolder t;
  t.Write("F21R1.DAT", "CONVERTED");
  t.Write("F21R0.BAK", "EARLIER");
  t.Write("F21R0.DAT", old);
  ASSERT_TRUE(ConvertLeaves(t.ctx()));
  EXPECT_EQ(t.Read("F21R1.DAT"), "CONVERTED");
  EXPECT_EQ(t.Read("F21R0.BAK"), old);
  EXPECT_EQ(t.ReadRetired("F21R0.BAK"), "EARLIER");
  EXPECT_FALSE(t.Exists("F21R0.DAT"));
}

// F00R0.DAT record (1000): code, registration number, branch flag, and
// the two fields recoded at 638 and 641.
std::string Employer(const std::string& code, const std::string& number,
                     const std::string& flag, const std::string& at638 = "",
                     const std::string& at641 = "", bool deleted = false) {
  return Rec(1000).Put(0, 11, code).Put(250, 18, number).Put(638, 2, at638)
      .Put(641, 1, at641).Put(701, 1, flag).Put(999, 1, deleted ? "+" : "")
      .str();
}

std::string Reference(std::size_t length, std::size_t offset,
                      const std::string& code, bool deleted = false) {
  return Rec(length).Put(0, 5, "R").Put(offset, 10, code)
      .Put(length - 1, 1, deleted ? "+" : "").str();
}

TEST(Step5LeavesTest, BranchesAreRedirectedToTheirHeads) {
  ScratchFolder s;
  s.Write("CONV.DAT", "627\r\n628\r\n");
  s.Write("F00R0.DAT",
          Employer("00001", "11.222.333/0001-81", "0", "", "2") +
          Employer("00002", "11.222.333/0002-62", "9", "05", "3") +
          // A 14-character number: the first 14 characters, without case;
          // a head with flag "1" or deleted does not count.
          Employer("00003", "AB345678901234", "9", "", "7") +
          Employer("00004", "AB345678901234", "1") +
          Employer("00005", "AB345678901234", " ", "", "", true) +
          Employer("00006", "ab345678901234XX", " ") +
          // An empty number heads by an empty one.
          Employer("00007", "", "9") + Employer("00008", "", " ") +
          // A branch without a head gets "0" and heads a later one.
          Employer("00009", "99.999.999/0001-91", "9") +
          Employer("00010", "99.999.999/0005-00", "9") +
          // Redirected after 00002 went to 00001: 00002 ends at 00011.
          Employer("00001", "55.555.555/0001-00", "9") +
          Employer("00011", "55.555.555/0009-99", "2"));
  s.Write("F04R0.DAT", Reference(950, 939, "00002") +
                           Reference(950, 939, "00010") +
                           Reference(950, 939, "00002", true) +
                           Reference(950, 939, "00012"));
  s.Write("F07R0.DAT", Reference(809, 502, "00001"));
  s.Write("F35R0.DAT", Reference(250, 52, "00007"));
  s.Write("F36R0.DAT", Reference(250, 52, "00003"));
  ASSERT_TRUE(PatchTablesTo628(s.ctx()));
  EXPECT_EQ(s.Read("F00R0.DAT"),
            Employer("00001", "11.222.333/0001-81", "0", "01") +
                Employer("00002", "11.222.333/0002-62", "1", "05") +
                Employer("00003", "AB345678901234", "1") +
                Employer("00004", "AB345678901234", "1") +
                Employer("00005", "AB345678901234", " ", "", "", true) +
                Employer("00006", "ab345678901234XX", " ") +
                Employer("00007", "", "1") + Employer("00008", "", " ") +
                Employer("00009", "99.999.999/0001-91", "0") +
                Employer("00010", "99.999.999/0005-00", "1") +
                Employer("00001", "55.555.555/0001-00", "1") +
                Employer("00011", "55.555.555/0009-99", "2"));
  EXPECT_EQ(s.Read("F04R0.DAT"), Reference(950, 939, "00011") +
                                     Reference(950, 939, "00009") +
                                     Reference(950, 939, "00002", true) +
                                     Reference(950, 939, "00012"));
  EXPECT_EQ(s.Read("F07R0.DAT"), Reference(809, 502, "00011"));
  EXPECT_EQ(s.Read("F35R0.DAT"), Reference(250, 52, "00008"));
  EXPECT_EQ(s.Read("F36R0.DAT"), Reference(250, 52, "00006"));
  EXPECT_EQ(s.Read("CONV.DAT"), "627\r\n628\r\n624\r\n");
}

// R63 yearly file record (652) of the old form: distinct characters, kind
// "0", "8" as the 21st character of 50-89.
std::string OldYearRecord() {
  std::string record = Pattern(0, 652);
  record[0] = '0';
  record[70] = '8';
  return record;
}

TEST(Step5LeavesTest, Patch624RecodesTheOtherTables) {
  ScratchFolder s;
  s.Write("CONV.DAT", "627\r\n628\r\n");
  auto registers = [](const std::string& kind, const std::string& at232,
                      const std::string& at239) {
    return Rec(814).Put(232, 3, at232).Put(238, 1, kind).Put(239, 1, at239)
        .str();
  };
  s.Write("F01R0.DAT", registers("0", "", "0") + registers(" ", "", "5") +
                           registers("2", "", "0") + registers("1", "", "0") +
                           registers("0", "7", "0"));
  auto responsible = [](const std::string& at250, const std::string& at268,
                        const std::string& at354, const std::string& at645) {
    return Rec(1000).Put(250, 18, at250).Put(268, 18, at268)
        .Put(354, 18, at354).Put(645, 1, at645).str();
  };
  std::string second = responsible("123456789010", "11144477735", "", "1");
  s.Write("F08R1.DAT",
          responsible("123456789010", "11144477735", "", "0") + second);
  auto worker = [](const std::string& cpf, const std::string& pis) {
    return Rec(2000).Put(345, 14, cpf).Put(359, 12, pis).str();
  };
  s.Write("F16R0.DAT", worker("11144477735", "12055310773") +
                           worker("11144477736", "12055310774"));
  std::string current = Rec(652).Put(0, 3, "100").Put(40, 10, "X").str();
  s.Write("R63/F632004.DAT", OldYearRecord() + current);
  s.Write("R63/F630999.DAT", OldYearRecord());
  ASSERT_TRUE(PatchTablesTo628(s.ctx()));

  EXPECT_EQ(s.Read("F01R0.DAT"),
            registers("0", "100", " ") + registers(" ", "101", " ") +
                registers("2", "100", "0") + registers("1", "", "0") +
                registers("0", "7", "0"));
  EXPECT_EQ(s.Read("F08R1.DAT"),
            responsible("", "12345678901-0", "111.444.777-35", "1") + second);
  EXPECT_EQ(s.Read("F16R0.DAT"),
            worker("111.444.777-35", "1205531077-3") +
                worker("11144477736", "12055310774"));
  std::string old = OldYearRecord();
  std::string rest = old.substr(50, 40);
  rest[20] = '9';
  std::string expected = old;
  expected.replace(0, 3, "100");
  expected.replace(3, 10, old.substr(40, 10));
  expected.replace(37, 13, Pad(old.substr(21, 10), 13));
  expected.replace(50, 42, "  " + rest);
  EXPECT_EQ(s.Read("R63/F632004.DAT"), expected + current);
  EXPECT_EQ(s.Read("R63/F630999.DAT"), OldYearRecord());
}

// One item of a receipt's item block: kind, code, then its value.
std::string Item(const std::string& code, const std::string& value) {
  return Pad("1" + code + value, 25);
}

// Old R62 receipt (850): distinct characters around an item block.
std::string OldReceipt(const std::string& items, char mark = ' ') {
  std::string record = Pattern(0, 850);
  record.replace(249, 600, Pad(items, 600));
  record[849] = mark;
  return record;
}

std::string NewReceipt(const std::string& old, const std::string& sequence,
                       const std::string& value, const std::string& items) {
  return Rec(850).Put(0, 10, old.substr(0, 10)).Put(20, 10, sequence)
      .Put(30, 10, old.substr(33, 10)).Put(40, 10, old.substr(44, 10))
      .Put(50, 3, old.substr(55, 3)).Put(53, 10, old.substr(11, 10))
      .Put(63, 10, old.substr(22, 10)).Put(73, 2, value)
      .Put(75, 10, old.substr(58, 10)).Put(230, 19, old.substr(230, 19))
      .Put(249, 600, items).Put(849, 1, old.substr(849, 1)).str();
}

TEST(Step5LeavesTest, Patch627NumbersAndConverts) {
  ScratchFolder s;
  s.Write("CONV.DAT", "624\r\n628\r\n");
  s.Write("F21R1.DAT",
          Leave("00001", "03", "15/03/2005", "6", "20/03/2005", "0") +
              Leave("00002", "", "", "", "20/03/2005", "0") +
              Leave("00003", "20", "01/01/2006", "1", "01/01/2006", "1"));
  std::string kind100 = Rec(652).Put(0, 3, "100").str();
  s.Write("R63/F632004.DAT", kind100 + Rec(652).Put(0, 3, "0").str());
  s.Write("R63/F632005.DAT", kind100);

  std::string first = OldReceipt(Item("100", "1") + Item("364", "45") +
                                 Item("500", "9") + Item("500", "8") +
                                 Item("000", "") + Item("500", ""));
  std::string second = OldReceipt(Item("364", "12") + Item("364", "20"), '+');
  std::string third = OldReceipt(Item("000", "") + Item("364", "5"));
  s.Write("R62/2004.DAT", first + second);
  s.Write("R62/2005.DAT", third);
  s.Write("R62/2006.DAT", third);
  s.Write("R62/F622006.DAT", "KEPT");
  s.Write("R27/0001.DAT", "1");
  s.Write("R27/F270002.DAT", "2");
  s.Write("R27/0003.DAT", "3");
  s.Write("R27/F270003.DAT", "taken");
  ASSERT_TRUE(PatchTablesTo628(s.ctx()));

  EXPECT_EQ(s.Read("F21R1.DAT"),
            NumberedLeave("00001", "1", "03", "15/03/2005", "6", "20/03/2005",
                          "0") +
                Leave("00002", "", "", "", "20/03/2005", "0") +
                NumberedLeave("00003", "2", "20", "01/01/2006", "1",
                              "01/01/2006", "1"));
  EXPECT_EQ(s.Read("R63/F632004.DAT"),
            Rec(652).Put(0, 3, "100").Put(14, 23, "1").str() +
                Rec(652).Put(0, 3, "0").str());
  EXPECT_EQ(s.Read("R63/F632005.DAT"),
            Rec(652).Put(0, 3, "100").Put(14, 23, "2").str());
  EXPECT_EQ(s.Read("R62/F622004.DAT"),
            NewReceipt(first, "1", "0",
                       Item("100", "1") + Item("364", "45") +
                           Item("502", "9") + Item("500", "8") +
                           Item("000", "") + Item("500", "")) +
                NewReceipt(second, "2", "12",
                           Item("364", "12") + Item("364", "20")));
  EXPECT_EQ(s.Read("R62/F622005.DAT"),
            NewReceipt(third, "3", "0", Item("000", "") + Item("364", "5")));
  EXPECT_EQ(s.Read("R62/F622006.DAT"), "KEPT");
  EXPECT_EQ(s.Read("R62/2004.BAK"), first + second);
  EXPECT_EQ(s.Read("R62/2006.BAK"), third);
  EXPECT_FALSE(s.Exists("R62/2004.DAT") || s.Exists("R62/2006.DAT"));
  EXPECT_EQ(s.Read("F34.DAT"),
            Counter("21", 2) + Counter("63", 2) + Counter("62", 3));
  EXPECT_EQ(s.Read("R27/F270001.DAT"), "1");
  EXPECT_EQ(s.Read("R27/F270002.DAT"), "2");
  EXPECT_FALSE(s.Exists("R27/F27F270002.DAT") || s.Exists("R27/0001.DAT"));
  EXPECT_EQ(s.Read("R27/0003.DAT"), "3");
  EXPECT_EQ(s.Read("R27/F270003.DAT"), "taken");
}

TEST(Step5LeavesTest, Patch628SetsTheHours) {
  ScratchFolder s;
  s.Write("CONV.DAT", "624\r\n627\r\n");
  auto worker = [](const std::string& at983, const std::string& at1026,
                   const std::string& at1379) {
    return Rec(2000).Put(983, 5, at983).Put(1026, 10, at1026)
        .Put(1379, 1, at1379).str();
  };
  s.Write("F16R0.DAT", worker("081ZZ", "OLD", "") + worker("08:00", "OLD", "") +
                           worker("  x", "OLD", "7") + worker("1", "OLD", "") +
                           worker("", "OLD", ""));
  s.Write("F21R1.DAT", Rec(500).Put(0, 3, "XYZ").str());
  ASSERT_TRUE(PatchTablesTo628(s.ctx()));
  EXPECT_EQ(s.Read("F16R0.DAT"),
            worker("08:00", "", "1") + worker("08:00", "OLD", "") +
                worker("", "", "7") + worker("01:00", "", "") +
                worker("", "", ""));
  EXPECT_EQ(s.Read("F21R1.DAT"), Rec(500).Put(0, 3, "100").str());
  EXPECT_EQ(s.Read("CONV.DAT"), "624\r\n627\r\n628\r\n");
}

// A failure at a file operation of one patch leaves the folder as it was
// (or the patch standing whole), and the next run gives the bytes of one
// clean run. The reads of CONV.DAT for the tags recorded beforehand, the
// first `before` and last `after` operations, are not failed: an unreadable
// marker is not this patch's matter.
void SweepFaults(const std::function<void(ScratchFolder&)>& fill,
                 const std::function<bool(Context&)>& run, int before,
                 int after) {
  ScratchFolder clean;
  fill(clean);
  const int start = clean.faults().operations();
  ASSERT_TRUE(run(clean.ctx()));
  const int total = clean.faults().operations() - start;
  auto done = SnapshotOf(clean.data());
  auto retired = SnapshotOf(clean.temp());
  ASSERT_TRUE(run(clean.ctx()));
  EXPECT_EQ(SnapshotOf(clean.data()), done);  // a second run changes nothing

  for (int n = before + 1; n <= total - after; ++n) {
    ScratchFolder s;
    fill(s);
    auto was = SnapshotOf(s.data());
    s.faults().FailNthOperation(n);
    bool stands = run(s.ctx());
    EXPECT_EQ(stands, s.ui().boxes().empty()) << "operation " << n;
    if (!stands) {
      EXPECT_EQ(SnapshotOf(s.data()), was) << "operation " << n;
    }
    s.NextRun();
    // The step recovers what a patch cut off left before its patches run.
    ASSERT_TRUE(RenumberCodes(s.ctx()) && run(s.ctx())) << "operation " << n;
    EXPECT_EQ(SnapshotOf(s.data()), done) << "operation " << n;
    EXPECT_EQ(SnapshotOf(s.temp()), retired) << "operation " << n;
  }
}

TEST(Step5LeavesTest, AFailedConversionIsRedoneWhole) {
  SweepFaults(
      [](ScratchFolder& s) {
        s.Write("F21R0.DAT", OldLeave("00001", "14/03/2005", "P1", "") +
                                 OldLeave("00002", "", "Q1", ""));
      },
      ConvertLeaves, 0, 0);
}

TEST(Step5LeavesTest, AFailedPatchIsRedoneWhole) {
  SweepFaults(
      [](ScratchFolder& s) {
        s.Write("CONV.DAT", "624\r\n628\r\n");
        s.Write("F21R1.DAT",
                Leave("00001", "03", "15/03/2005", "6", "20/03/2005", "0"));
        s.Write("R63/F632004.DAT", Rec(652).Put(0, 3, "100").str());
        s.Write("R62/2004.DAT", OldReceipt(Item("500", "1")));
        s.Write("R62/2005.DAT", OldReceipt(Item("364", "3")));
        s.Write("R27/0001.DAT", "1");
        s.Write("R27/0002.DAT", "2");
      },
      PatchTablesTo628, 1, 1);
}

}  // namespace
}  // namespace labrena
