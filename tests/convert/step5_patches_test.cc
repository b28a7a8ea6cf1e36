// The tagged patches "617" to "622", each run alone (the tags of the others
// are in CONV.DAT), and a patch that fails part-way.
#include <gtest/gtest.h>

#include <string>

#include "convert/patch.h"
#include "convert/step5_internal.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// CONV.DAT holding every tag but the one under test.
std::string TagsBut(const std::string& tag) {
  std::string text;
  for (std::string t : {"617", "618", "619", "620", "622"}) {
    if (t != tag) text += t + "\r\n";
  }
  return text;
}

std::string Deleted(std::string record) {
  record.back() = '+';
  return record;
}

std::string Counter(const std::string& name, const std::string& value) {
  return Rec(30).Put(10, 10, name).Put(20, 10, value).str();
}

// F00R0 (1000): code, registration numbers 250 and 268, 642, 651, branch
// flag 701, 739.
std::string Employer(const std::string& code, const std::string& number,
                     const std::string& second, const std::string& branch,
                     const std::string& f642 = "", const std::string& f651 = "",
                     const std::string& f739 = "") {
  return Rec(1000).Put(0, 11, code).Put(250, 18, number).Put(268, 18, second)
      .Put(642, 1, f642).Put(651, 1, f651).Put(701, 1, branch)
      .Put(739, 5, f739).str();
}

// F07R0 (809): code, origin flag 238, numbers 250 and 268, employer 502.
std::string Merged(const std::string& code, const std::string& origin,
                   const std::string& number, const std::string& second,
                   const std::string& employer) {
  return Rec(809).Put(0, 11, code).Put(238, 1, origin).Put(250, 18, number)
      .Put(268, 18, second).Put(502, 10, employer).str();
}

// An F40.DAT record (1000) of distinct characters with kind at 238.
std::string OldRegister(char kind) {
  std::string record = Pattern(0, 1000);
  record[238] = kind;
  record.back() = ' ';
  return record;
}

// R69\F692018.DAT (500): table number at 107, and 130.
std::string Year(const std::string& table, const std::string& f130) {
  return Rec(500).Put(107, 3, table).Put(130, 1, f130).str();
}

void Fill617(ScratchFolder& s) {
  s.Write("CONV.DAT", TagsBut("617"));
  s.Write("F00R0.DAT", Employer("E1", "", "", "", "", "2", "2XYZ") +
                           Employer("E2", "", "", "", "", "4", "9") +
                           Deleted(Employer("E3", "", "", "", "1", "3", "1")));
  s.Write("F01R0.DAT", Rec(814).str() + Rec(814).Put(238, 1, "5").str());
  s.Write("F40.DAT", OldRegister('0') + Deleted(OldRegister('0')) +
                         OldRegister('7'));
  s.Write("F34.DAT", Counter("7", "120") + Counter("71", "3") +
                         Counter("40", "5") + Counter("1", "9") +
                         Counter("36", "0") + Counter("35", "4"));
  s.Write("R69/F692018.DAT", Year("7", "") + Year("35", "") +
                                 Year("36", "X") + Year("12", ""));
}

TEST(Step5PatchesTest, Patch617) {
  ScratchFolder s;
  Fill617(s);
  s.Write("F40.BAK", "older");
  const std::string old_registers = s.Read("F40.DAT");
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));

  EXPECT_EQ(s.Read("F00R0.DAT"),
            Employer("E1", "", "", "", "2", "1", "") +
                Employer("E2", "", "", "", "", "3", "") +
                Deleted(Employer("E3", "", "", "", "1", "2", "1")));
  auto appended = [](char kind) {
    std::string record = Pattern(0, 814);
    record[238] = kind;
    return record;
  };
  EXPECT_EQ(s.Read("F01R0.DAT"), Rec(814).Put(238, 1, "0").str() +
                                     Rec(814).Put(238, 1, "5").str() +
                                     appended('1') + appended('2'));
  EXPECT_FALSE(s.Exists("F40.DAT"));
  EXPECT_EQ(s.Read("F40.BAK"), old_registers);
  EXPECT_EQ(s.ReadRetired("F40.BAK"), "older");
  // "71" is not "7"; "36" had no value above 0 to give "36-1".
  EXPECT_EQ(s.Read("F34.DAT"),
            Counter("7-0", "120") + Counter("71", "3") + Counter("1-1", "5") +
                Counter("1-0", "9") + Counter("36-0", "0") +
                Counter("35-0", "4") + Counter("7-1", "120") +
                Counter("1-2", "5"));
  EXPECT_EQ(s.Read("R69/F692018.DAT"), Year("7", "1") + Year("35", "0") +
                                           Year("36", "X") + Year("12", ""));
  EXPECT_EQ(s.Read("CONV.DAT"), TagsBut("617") + "617\r\n");
  EXPECT_TRUE(s.ui().boxes().empty());

  auto once = SnapshotOf(s.data());
  s.NextRun();
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));
  EXPECT_EQ(SnapshotOf(s.data()), once);
}

// F36R0 (250): kind, start, end, worked hours, break start and end.
std::string Schedule(const std::string& kind, const std::string& start,
                     const std::string& end, const std::string& worked,
                     const std::string& from = "",
                     const std::string& to = "") {
  return Rec(250).Put(0, 11, "00001").Put(51, 1, kind).Put(80, 5, start)
      .Put(85, 5, end).Put(90, 5, worked).Put(95, 5, from).Put(100, 5, to)
      .str();
}

TEST(Step5PatchesTest, Patch618) {
  ScratchFolder s;
  s.Write("CONV.DAT", TagsBut("618"));
  s.Write("F40.DAT", OldRegister('0'));
  s.Write("F31R0.DAT", Rec(300).str() + Rec(300).Put(77, 2, "12").str());
  // The last record, already right, is cut short: it is not written, so it
  // is not completed either.
  std::string cut = Schedule("1", "04:30", "22:30", "18:08").substr(0, 120);
  s.Write("F36R0.DAT",
          Schedule("1", "08:00", "17:00", "07:00", "12:00", "13:00") +
              Deleted(Schedule("1", "22:00", "05:00", "")) +
              Schedule("0", "", "00003", "00003") +
              Schedule("1", "08:00", "", "09:99") + cut);
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));
  EXPECT_EQ(s.Read("F31R0.DAT"),
            Rec(300).Put(77, 2, "00").str() + Rec(300).Put(77, 2, "12").str());
  EXPECT_EQ(s.Read("F36R0.DAT"),
            Schedule("1", "08:00", "17:00", "08:00", "12:00", "13:00") +
                Deleted(Schedule("1", "22:00", "05:00", "08:00")) +
                Schedule("0", "", "00003", "00003") +
                Schedule("1", "08:00", "", "09:99") + cut);
  // With "617" recorded, F40.DAT is not retired.
  EXPECT_TRUE(s.Exists("F40.DAT"));
}

std::string Worker(const std::string& entry) {
  return Rec(2000).Put(963, 5, entry).str();
}

TEST(Step5PatchesTest, Patch619MergesDuplicatesIntoTheFirst) {
  ScratchFolder s;
  s.Write("CONV.DAT", TagsBut("619"));
  const std::string cnpj = "11.222.333/0001-81";
  s.Write("F07R0.DAT", Merged("00001", "0", cnpj, "abc", "E1") +
                           Merged("00003", "1", cnpj, "abc", "E1") +
                           Merged("00005", "1", cnpj, "ABC", "E1") +
                           Merged("00006", "1", cnpj, "abc", "E1") +
                           Merged("00007", "1", cnpj, "abc", "E2"));
  s.Write("F16R0.DAT", Worker("00005") + Worker("00006") + Worker("00007") +
                           Deleted(Worker("00005")) + Worker(""));
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));
  EXPECT_EQ(s.Read("F07R0.DAT"),
            Merged("00001", "0", cnpj, "abc", "E1") +
                Merged("00003", "1", cnpj, "abc", "E1") +
                Deleted(Merged("00005", "1", cnpj, "ABC", "E1")) +
                Deleted(Merged("00006", "1", cnpj, "abc", "E1")) +
                Merged("00007", "1", cnpj, "abc", "E2"));
  EXPECT_EQ(s.Read("F16R0.DAT"), Worker("00003") + Worker("00003") +
                                     Worker("00007") +
                                     Deleted(Worker("00005")) + Worker(""));
}

// F04R0 (950): 938 and the employer reference at 939.
std::string Branch(const std::string& f938, const std::string& employer) {
  return Rec(950).Put(938, 1, f938).Put(939, 10, employer).str();
}

std::string Group(const std::string& employer) {
  return Rec(250).Put(52, 10, employer).str();
}

TEST(Step5PatchesTest, Patch619MarksBranchesAndRedirectsTheirReferences) {
  ScratchFolder s;
  s.Write("CONV.DAT", TagsBut("619"));
  // E2 has E1's root with another branch part, E6 the CPF of E3; E4 is
  // flagged already; the numbers of the deleted E5 are formatted, its flag
  // is left. E8 matches E7's 14 characters and, earlier, E1's root.
  const std::string cpf = "111.444.777-35";
  s.Write("F00R0.DAT",
          Employer("E1", "11.222.333/0001-81", "11144477735", "") +
              Employer("E2", "11222333000262", "123456789010", "") +
              Employer("E3", cpf, "", "") +
              Employer("E4", "11.222.333/0001-81", "", "X") +
              Deleted(Employer("E5", "44555666000181", "", "")) +
              Employer("E6", "11144477735", "", "") +
              Employer("E7", "11.222.333/000", "", "") +
              Employer("E8", "11.222.333/0009-99", "", ""));
  s.Write("F04R0.DAT", Branch("", "E2") + Branch("7", "E6"));
  s.Write("F07R0.DAT", Merged("00001", "0", "", "", "E2"));
  s.Write("F35R0.DAT", Group("E2") + Deleted(Group("E2")));
  s.Write("F36R0.DAT", Group("E8"));
  for (const char* junk : {"123456.dat", "12345.dat", "1234567.dat"}) {
    s.Write(junk, "junk");
  }
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));

  EXPECT_EQ(s.Read("F00R0.DAT"),
            Employer("E1", "11.222.333/0001-81", "", "0") +
                Employer("E2", "11.222.333/0002-62", "12345678901-0", "1") +
                Employer("E3", cpf, "", "0") +
                Employer("E4", "11.222.333/0001-81", "", "X") +
                Deleted(Employer("E5", "44.555.666/0001-81", "", "")) +
                Employer("E6", cpf, "", "1") +
                Employer("E7", "11.222.333/000", "", "1") +
                Employer("E8", "11.222.333/0009-99", "", "1"));
  EXPECT_EQ(s.Read("F04R0.DAT"), Branch("0", "E1") + Branch("7", "E3"));
  EXPECT_EQ(s.Read("F07R0.DAT"), Merged("00001", "0", "", "", "E1"));
  EXPECT_EQ(s.Read("F35R0.DAT"), Group("E1") + Deleted(Group("E2")));
  EXPECT_EQ(s.Read("F36R0.DAT"), Group("E1"));
  EXPECT_TRUE(s.IsRetired("123456.dat"));
  EXPECT_FALSE(s.Exists("123456.dat"));
  EXPECT_TRUE(s.Exists("12345.dat") && s.Exists("1234567.dat"));
}

// F16R0 (2000): 590, 591, 939, and the two old codes at 953 and 955.
std::string Recoded(const std::string& f590, const std::string& f591,
                    const std::string& f939, const std::string& codes) {
  return Rec(2000).Put(590, 1, f590).Put(591, 1, f591).Put(939, 1, f939)
      .Put(953, 4, codes).str();
}

TEST(Step5PatchesTest, Patches620And622) {
  ScratchFolder s;
  s.Write("CONV.DAT", "617\r\n618\r\n619\r\n");
  // A last record that ends before 590 is left as it is.
  const std::string cut = Rec(2000).Put(0, 11, "W").str().substr(0, 500);
  s.Write("F16R0.DAT", Recoded("8", "5", "", "1307") +
                           Deleted(Recoded("X", "4", "2", "04ab")) +
                           Recoded("1", "", "1", " 4 6") + cut);
  // A CNPJ at 268 fills an empty 250; one equal to 250 is cleared.
  const std::string cnpj = "11.222.333/0001-81";
  s.Write("F00R0.DAT", Employer("E1", "", "11222333000181", "") +
                           Employer("E2", cnpj, "44555666000181", ""));
  s.Write("F07R0.DAT", Merged("00001", "1", cnpj, cnpj, "E1"));
  ASSERT_TRUE(PatchTablesTo622(s.ctx()));
  EXPECT_EQ(s.Read("F16R0.DAT"), Recoded("1", "8", "", "7013") +
                                     Deleted(Recoded("X", "5", "2", "1050")) +
                                     Recoded("4", "", "1", "1112") + cut);
  EXPECT_EQ(s.Read("F00R0.DAT"),
            Employer("E1", cnpj, "", "") +
                Employer("E2", cnpj, "44555666000181", ""));
  EXPECT_EQ(s.Read("F07R0.DAT"), Merged("00001", "1", cnpj, "", "E1"));
}

// A failure at any file operation of patch "617" leaves the folder as it
// was and is told (a failure after it stood stops the next patch);
// the next run gives the bytes of one clean run.
TEST(Step5PatchesTest, AFailedPatchChangesNothingAndIsMadeNextTime) {
  ScratchFolder clean;
  Fill617(clean);
  ASSERT_TRUE(PatchTablesTo622(clean.ctx()));
  auto after = SnapshotOf(clean.data());

  for (int n = 1;; ++n) {
    ScratchFolder s;
    Fill617(s);
    auto before = SnapshotOf(s.data());
    s.faults().FailNthOperation(n);
    const int start = s.faults().operations();
    bool stood = PatchTablesTo622(s.ctx());
    if (s.faults().operations() - start < n) break;  // nothing failed
    if (!stood) {
      if (s.Read("CONV.DAT") == before["CONV.DAT"]) {
        EXPECT_EQ(SnapshotOf(s.data()), before) << "operation " << n;
      }
      EXPECT_FALSE(s.ui().boxes().empty()) << "operation " << n;
      s.NextRun();
      EXPECT_TRUE(PatchTablesTo622(s.ctx())) << "operation " << n;
    } else {
      // An old copy whose removal failed goes on the next run.
      for (const char* name : {"F00R0.DAT", "F01R0.DAT", "F34.DAT",
                               "R69\\F692018.DAT", "CONV.DAT"}) {
        RecoverPatchedFile(s.env(), name);
      }
    }
    EXPECT_EQ(SnapshotOf(s.data()), after) << "operation " << n;
  }
}

}  // namespace
}  // namespace labrena
