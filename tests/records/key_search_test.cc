#include "records/key_search.h"

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// Records of 12: key (10 at offset 1), a flag byte at 0, the mark at 11.
std::string Rec(char flag, const std::string& key, char mark = ' ') {
  std::string r(12, ' ');
  r[0] = flag;
  r.replace(1, key.size(), key);
  r[11] = mark;
  return r;
}

TEST(KeySearchTest, FindsFirstLiveRecordIgnoringAsciiCase) {
  ScratchFolder s;
  s.Write("K.DAT", Rec('a', "OTHER") + Rec('b', "MOTORISTA", '+') +
                       Rec('c', "MOTORISTA") + Rec('d', "MOTORISTA"));
  std::int64_t n = 99;
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "motorista", 1, 10), 1);
  EXPECT_EQ(n, 2);  // the deleted record 1 is skipped
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "MOTOR", 1, 10), 0);
  EXPECT_EQ(n, -1);
  EXPECT_FALSE(s.ui().wait_cursor());
}

TEST(KeySearchTest, AccentedLettersMustBeEqual) {
  ScratchFolder s;
  s.Write("K.DAT", Rec('a', "JO\xC3O") + Rec('b', "jo\xE3o"));
  std::int64_t n = 0;
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "jo\xE3o", 1, 10), 1);
  EXPECT_EQ(n, 1);
}

TEST(KeySearchTest, BlankKeyAndMissingFileFindNothing) {
  ScratchFolder s;
  s.Write("K.DAT", Rec('a', ""));
  std::int64_t n = 5;
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "   ", 1, 10), 0);
  EXPECT_EQ(n, -1);
  n = 5;
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "", 1, 10), 0);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(FindKeyByName(s.ctx(), "NONE.DAT", 12, &n, "A", 1, 10), 0);
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 0, &n, "A", 1, 10), 0);
}

TEST(KeySearchTest, LongKeyComparedOverFifty) {
  ScratchFolder s;
  std::string key60 = std::string(50, 'A') + std::string(10, 'B');
  // Records of 70: the key field of 60 at 0, holding 50 A and 10 C.
  std::string rec = std::string(50, 'A') + std::string(10, 'C') +
                    std::string(10, ' ');
  s.Write("K.DAT", rec);
  std::int64_t n = 0;
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 70, &n, key60, 0, 60), 1);
  EXPECT_EQ(n, 0);
}

TEST(KeySearchTest, KeyCutOrPaddedToLength) {
  ScratchFolder s;
  s.Write("K.DAT", Rec('a', "AB") + Rec('b', "ABCDEFGHIJ"));
  std::int64_t n = 0;
  // Padded with blanks: finds the record holding AB and blanks.
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "ab", 1, 10), 1);
  EXPECT_EQ(n, 0);
  // Cut to the key length.
  EXPECT_EQ(FindKeyByName(s.ctx(), "K.DAT", 12, &n, "ABCDEFGHIJKLM", 1, 10),
            1);
  EXPECT_EQ(n, 1);
}

TEST(KeySearchTest, GivenFileStaysOpenAndTruncatedLastRecord) {
  ScratchFolder s;
  s.Write("K.DAT", Rec('a', "X") + Rec('b', "Y").substr(0, 6));
  File f = OpenRead(s.env(), "K.DAT");
  std::int64_t n = 0;
  EXPECT_EQ(FindKey(s.ctx(), f.get(), "", 12, &n, "Y", 1, 10), 0);
  EXPECT_EQ(FindKey(s.ctx(), f.get(), "", 12, &n, "X", 1, 10), 1);
  EXPECT_EQ(n, 0);
}

TEST(ReadFieldTest, ReadsThroughWidthTable) {
  ScratchFolder s;
  const std::vector<int> widths = {3, 5, 4};  // L = 12
  s.Write("R.DAT", "001JOSE 12,5" "002  AB     ");
  std::string v;
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 0, &v, 1, 0, "R.DAT", 12, widths), 1);
  EXPECT_EQ(v, "JOSE");
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 1, &v, 1, 0, "R.DAT", 12, widths), 1);
  EXPECT_EQ(v, "  AB");  // leading blanks stay
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 1, &v, 2, 0, "R.DAT", 12, widths), 1);
  EXPECT_EQ(v, "");  // all blanks
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 2, &v, 0, 0, "R.DAT", 12, widths), 0);
  EXPECT_EQ(v, "");
  EXPECT_EQ(ReadField(s.ctx(), nullptr, -1, &v, 0, 0, "R.DAT", 12, widths), 0);
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 0, &v, 3, 0, "R.DAT", 12, widths), 0);
}

TEST(ReadFieldTest, FieldOutsideRecordAndControl) {
  ScratchFolder s;
  s.Write("R.DAT", "0123456789");
  s.ui().SetControlText(kScratchControl, "old");
  std::string v;
  // Fields 0 and 1 already fill L = 8: field 2 lies outside.
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 0, &v, 2, kScratchControl, "R.DAT", 8,
                      {4, 4, 2}),
            0);
  EXPECT_EQ(s.ui().GetControlText(kScratchControl, 99), "");
  EXPECT_EQ(ReadField(s.ctx(), nullptr, 0, &v, 1, kScratchControl, "R.DAT", 8,
                      {4, 4, 2}),
            1);
  EXPECT_EQ(s.ui().GetControlText(kScratchControl, 99), "4567");
}

}  // namespace
}  // namespace labrena
