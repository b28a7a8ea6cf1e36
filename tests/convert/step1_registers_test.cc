#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "convert/steps.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// The old layouts and their changes, as the register formats define them.
struct Layout {
  std::vector<int> old_widths;
  std::map<int, int> new_widths;  // fields whose width changes
  std::set<int> blank;            // fields written as blanks
  bool items = false;             // an 800-character item block follows
};

const Layout kFx0 = {
    {10,  40, 40, 10, 20,  30, 9, 30, 2,  40, 4, 25, 30, 18, 18,
     100, 1,  1,  1,  194, 3,  4, 4,  8,  2,  7, 5,  2,  1,  5,
     1,   20, 20, 20, 15,  5,  5, 1,  10, 7,  7, 1,  1,  1,  160},
    {{0, 11}, {23, 9}, {25, 10}, {44, 200}},
    {31, 32, 33, 34, 37, 39, 40}};
const Layout kFw0 = {{10, 40, 40, 10, 20, 30,  9, 30, 2, 40, 4,
                      25, 30, 18, 18, 4,  100, 1, 1,  1, 1,  197},
                     {{0, 11}, {21, 218}},
                     {}};
const Layout kFy0 = {
    {10, 40, 40,  10, 20, 30, 9,  30, 2,   40, 4,  25, 30, 10, 100, 1, 1,  1,
     1,  10, 146, 1,  30, 30, 14, 11, 3,   2,  14, 3,  4,  2,  3,   5, 5,  5,
     5,  14, 8,   5,  2,  1,  2,  10, 10,  1,  10, 7,  2,  1,  2,   4, 10, 2,
     20, 7,  2,   2,  10, 2,  10, 2,  176, 40, 40, 20, 40, 1,  1,   6, 92, 40,
     10, 40, 10,  40, 10, 40, 10, 40, 10,  40, 10, 40, 10, 13},
    {{0, 11},
     {20, 10},
     {25, 18},
     {26, 10},
     {28, 18},
     {37, 18},
     {47, 10},
     {54, 30},
     {55, 2},
     {62, 10},
     {85, 14}},
    {20, 54, 55, 62, 69, 70, 71, 72, 73, 74,
     75, 76, 77, 78, 79, 80, 81, 82, 83, 84},
    true};

// A full-width value for a field; the seed tells records apart.
std::string Value(int field, int width, int seed) {
  static const std::string kChars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\xC7\xE3\xE9\xFF";
  std::string v;
  for (int j = 0; j < width; ++j) {
    v += kChars[(field * 7 + j + seed * 3) % kChars.size()];
  }
  return v;
}

// 800 characters of every byte from 0x20 to 0xFE.
std::string Items(int seed) {
  std::string block;
  for (int k = 0; k < 800; ++k)
    block += static_cast<char>(0x20 + (k + seed) % 0xDF);
  return block;
}

std::string OldRecord(const Layout& l, int seed, const std::string& sep) {
  std::string r;
  for (int i = 0; i < static_cast<int>(l.old_widths.size()); ++i) {
    r += Value(i, l.old_widths[i], seed) + sep;
  }
  return l.items ? r + Items(seed) : r;
}

int NewWidth(const Layout& l, int i) {
  auto it = l.new_widths.find(i);
  return it == l.new_widths.end() ? l.old_widths[i] : it->second;
}

std::string NewField(const Layout& l, int i, const std::string& value) {
  std::string f = l.blank.count(i) ? "" : value;
  return f + std::string(NewWidth(l, i) - f.size(), ' ');
}

std::string NewFields(const Layout& l, int seed, int count) {
  std::string r;
  for (int i = 0; i < count; ++i) {
    r += NewField(l, i, Value(i, l.old_widths[i], seed));
  }
  return r;
}

std::string NewRecord(const Layout& l, int seed) {
  std::string r = NewFields(l, seed, static_cast<int>(l.old_widths.size()));
  return l.items ? r + Items(seed) : r;
}

TEST(Step1RegistersTest, ConvertsTheThreeFilesAndRetiresThem) {
  ScratchFolder s;
  std::string fx0 = OldRecord(kFx0, 1, "|") + OldRecord(kFx0, 2, "|");
  std::string fw0 = OldRecord(kFw0, 3, "\r\n");  // a field per line
  std::string fy0 = OldRecord(kFy0, 4, "~") + OldRecord(kFy0, 5, "~");
  s.Write("FX0.DAT", fx0);
  s.Write("FW0.DAT", fw0);
  s.Write("FY0.DAT", fy0);
  ConvertRegisterFiles(s.ctx());

  std::string f303 = s.Read("F303.DAT");
  ASSERT_EQ(s.Read("F301.DAT"), NewRecord(kFx0, 1) + NewRecord(kFx0, 2));
  ASSERT_EQ(s.Read("F302.DAT"), NewRecord(kFw0, 3));
  ASSERT_EQ(f303, NewRecord(kFy0, 4) + NewRecord(kFy0, 5));
  // Record lengths and the offsets later steps read.
  EXPECT_EQ(NewRecord(kFx0, 1).size(), 983u);
  EXPECT_EQ(NewRecord(kFw0, 1).size(), 653u);
  EXPECT_EQ(NewRecord(kFw0, 3).substr(291, 18), Value(13, 18, 3));
  EXPECT_EQ(NewRecord(kFw0, 3).substr(327, 4), Value(15, 4, 3));
  EXPECT_EQ(f303.size(), 2u * 2152);
  EXPECT_EQ(f303.substr(2152 + 738, 10), std::string(10, ' '));  // had 176
  EXPECT_EQ(f303.substr(2152 + 1338, 14), Value(85, 13, 5) + " ");
  EXPECT_EQ(f303.substr(2152 + 1352), Items(5));

  const std::map<std::string, std::string> old_files = {
      {"FX0.DAT", fx0}, {"FW0.DAT", fw0}, {"FY0.DAT", fy0}};
  for (const auto& [name, bytes] : old_files) {
    EXPECT_FALSE(s.Exists(name));
    EXPECT_EQ(s.ReadRetired(name), bytes);
  }
  EXPECT_TRUE(s.ui().boxes().empty());

  // Nothing is left to do the second time.
  ConvertRegisterFiles(s.ctx());
  EXPECT_EQ(s.Read("F303.DAT"), f303);
  EXPECT_FALSE(s.IsRetired("FX0.DAT.001"));
}

TEST(Step1RegistersTest, EmptyAndTruncatedFiles) {
  ScratchFolder s;
  s.Write("FX0.DAT", "");
  // The second record ends inside field 3.
  s.Write("FW0.DAT", OldRecord(kFw0, 1, "|") +
                         OldRecord(kFw0, 2, "|").substr(0, 11 + 41 + 41 + 4));
  // The record ends 250 characters into its item block.
  std::string fy0 = OldRecord(kFy0, 3, "|");
  s.Write("FY0.DAT", fy0.substr(0, fy0.size() - 550));
  ConvertRegisterFiles(s.ctx());

  EXPECT_EQ(s.Read("F301.DAT"), "");
  EXPECT_TRUE(s.IsRetired("FX0.DAT"));
  EXPECT_EQ(s.Read("F302.DAT"),
            NewRecord(kFw0, 1) + NewFields(kFw0, 2, 3) +
                NewField(kFw0, 3, Value(3, 10, 2).substr(0, 4)));
  EXPECT_TRUE(s.IsRetired("FW0.DAT"));
  // A record whose fields are all there is written whole: missing item
  // pieces become blanks.
  EXPECT_EQ(
      s.Read("F303.DAT"),
      NewFields(kFy0, 3, 86) + Items(3).substr(0, 250) + std::string(550, ' '));
  EXPECT_TRUE(s.IsRetired("FY0.DAT"));
}

TEST(Step1RegistersTest, ExistingOutputIsKeptAndTheOldFileRetired) {
  ScratchFolder s;
  s.Write("FW0.DAT", OldRecord(kFw0, 1, "|"));
  s.Write("F302.DAT", "KEEP");
  ConvertRegisterFiles(s.ctx());
  EXPECT_EQ(s.Read("F302.DAT"), "KEEP");
  EXPECT_FALSE(s.Exists("FW0.DAT"));
  EXPECT_TRUE(s.IsRetired("FW0.DAT"));
}

TEST(Step1RegistersTest, RenamesOldFilesWithoutReplacing) {
  ScratchFolder s;
  s.Write("FZ0.DAT", "dependants");
  s.Write("RESP.DAT", "old resp");
  s.Write("F305.DAT", "new resp");
  s.Write("REG/REGFE.DAT", "fe");
  s.Write("REG/REGRE.DAT", "re");
  ConvertRegisterFiles(s.ctx());
  EXPECT_EQ(s.Read("F304.DAT"), "dependants");
  EXPECT_EQ(s.Read("F310.DAT"), "fe");
  EXPECT_EQ(s.Read("F311.DAT"), "re");
  EXPECT_FALSE(s.Exists("FZ0.DAT") || s.Exists("REG/REGFE.DAT") ||
               s.Exists("REG/REGRE.DAT"));
  EXPECT_EQ(s.Read("RESP.DAT"), "old resp");
  EXPECT_EQ(s.Read("F305.DAT"), "new resp");
}

TEST(Step1RegistersTest, TextModeEndsAndOddBytes) {
  ScratchFolder s;
  // The DOS end mark and a trailing line end are not data.
  s.Write("FX0.DAT", OldRecord(kFx0, 1, "\r\n") + "\r\n\x1A\x1A");
  // A zero byte ends a value as in C text; the fields after it keep their
  // places.
  std::string fw0 = OldRecord(kFw0, 2, "|");
  fw0[11 + 2] = '\0';
  s.Write("FW0.DAT", fw0);
  ConvertRegisterFiles(s.ctx());
  EXPECT_EQ(s.Read("F301.DAT"), NewRecord(kFx0, 1));
  EXPECT_TRUE(s.IsRetired("FX0.DAT"));
  std::string f302 = NewRecord(kFw0, 2);
  f302.replace(11, 40, NewField(kFw0, 1, Value(1, 40, 2).substr(0, 2)));
  EXPECT_EQ(s.Read("F302.DAT"), f302);
}

// Fields not stored at full width would shift every field after them: the
// old file stays in place, unconverted, and no new file is left behind.
TEST(Step1RegistersTest, LineEndsAndMarksInsideFieldsReadAsBlanks) {
  ScratchFolder s;
  // Field 1 of FX0.DAT starts at 11 (10 characters and a separator).
  std::string fx0 = OldRecord(kFx0, 1, "|") + OldRecord(kFx0, 2, "|");
  fx0.replace(983 + 11 + 5, 2, "\r\n");  // one line end: one character
  fx0.insert(983 + 11 + 7, " ");
  fx0[11 + 3] = '\x1A';  // an end mark with data after it
  std::string fy0 = OldRecord(kFy0, 4, "\r\n");
  fy0[fy0.size() - 300] = '\n';  // inside the item block
  s.Write("FX0.DAT", fx0 + "\r\n\x1A\x1A");
  s.Write("FY0.DAT", fy0);
  ConvertRegisterFiles(s.ctx());

  std::string first = NewRecord(kFx0, 1);
  first[11 + 3] = ' ';
  std::string second = NewRecord(kFx0, 2);
  // Field 1 holds 40 characters: 5, the line end, a blank, then 33 more.
  std::string value1 = Value(1, 40, 2);
  second.replace(11, 40, value1.substr(0, 5) + "  " + value1.substr(7, 33));
  EXPECT_EQ(s.Read("F301.DAT"), first + second);
  std::string f303 = NewRecord(kFy0, 4);
  f303[f303.size() - 300] = ' ';
  EXPECT_EQ(s.Read("F303.DAT"), f303);
  EXPECT_TRUE(s.IsRetired("FX0.DAT") && s.IsRetired("FY0.DAT"));
  // Each repaired file is told once, with its count of records.
  ASSERT_EQ(s.ui().boxes().size(), 2u);
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kWarning);
  EXPECT_NE(s.ui().boxes()[0].text.find("FX0.DAT tinha 2 registro(s)"),
            std::string::npos);
  EXPECT_NE(s.ui().boxes()[1].text.find("FY0.DAT tinha 1 registro(s)"),
            std::string::npos);
}

TEST(Step1RegistersTest, FolderInPlaceOfAnOldFileIsPassedOver) {
  ScratchFolder s;
  s.MakeDir("FX0.DAT");
  s.Write("FW0.DAT", OldRecord(kFw0, 1, "|"));
  ConvertRegisterFiles(s.ctx());
  EXPECT_TRUE(s.Exists("FX0.DAT"));
  EXPECT_FALSE(s.Exists("F301.DAT") || s.IsRetired("FX0.DAT"));
  EXPECT_EQ(s.Read("F302.DAT"), NewRecord(kFw0, 1));
}

// A new file that could not be written whole is removed, and the old file
// stays for the next run.
TEST(Step1RegistersTest, WriteFailuresKeepTheOldFile) {
  ScratchFolder s;
  std::string fy0;
  for (int seed = 0; seed < 40; ++seed) fy0 += OldRecord(kFy0, seed, "|");
  s.Write("FY0.DAT", fy0);
  s.Write("FW0.DAT", OldRecord(kFw0, 1, "|"));
  s.Write("FX0.DAT", OldRecord(kFx0, 1, "|"));
  s.faults().FailOpenOf("F301.DAT");
  s.faults().FailNth(FaultEnv::Op::kWrite, 1);  // F302 on closing
  s.faults().DiskFullAfter(30000);              // F303 while writing
  ConvertRegisterFiles(s.ctx());
  for (const char* name : {"FX0.DAT", "FW0.DAT", "FY0.DAT"}) {
    EXPECT_TRUE(s.Exists(name)) << name;
  }
  EXPECT_FALSE(s.Exists("F301.DAT") || s.Exists("F302.DAT") ||
               s.Exists("F303.DAT"));
  // Every failure is reported: the file that would not open as well.
  ASSERT_EQ(s.ui().boxes().size(), 3u);
  EXPECT_EQ(s.ui().boxes()[0].title, "Convers\xE3o");
  EXPECT_EQ(s.ui().boxes()[0].text,
            "Erro na convers\xE3o de FX0.DAT para F301.DAT.\n"
            "O arquivo FX0.DAT continua na pasta de dados.");
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kError);
  EXPECT_EQ(s.ui().boxes()[1].text,
            "Erro na convers\xE3o de FW0.DAT para F302.DAT.\n"
            "O arquivo FW0.DAT continua na pasta de dados.");
  EXPECT_EQ(s.ui().boxes()[2].text,
            "Erro na convers\xE3o de FY0.DAT para F303.DAT.\n"
            "O arquivo FY0.DAT continua na pasta de dados.");

  ScratchFolder t;
  t.Write("FY0.DAT", fy0);
  t.faults().DiskFullAfter(30000);
  ConvertRegisterFiles(t.ctx());
  t.faults().DiskFullAfter(-1);
  ConvertRegisterFiles(t.ctx());
  std::string f303;
  for (int seed = 0; seed < 40; ++seed) f303 += NewRecord(kFy0, seed);
  EXPECT_EQ(t.Read("F303.DAT"), f303);
  EXPECT_EQ(t.ReadRetired("FY0.DAT"), fy0);
}

}  // namespace
}  // namespace labrena
