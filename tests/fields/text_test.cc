#include "fields/text.h"

#include <string>

#include <gtest/gtest.h>

namespace labrena {
namespace {

using namespace std::string_literals;

TEST(IsDigitTest, OnlyZeroToNine) {
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(IsDigit(static_cast<char>(c)), c >= '0' && c <= '9') << c;
  }
}

TEST(IsAlnumTest, OnlyAsciiLettersAndDigits) {
  for (int c = 0; c < 256; ++c) {
    bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                    (c >= 'a' && c <= 'z');
    EXPECT_EQ(IsAlnum(static_cast<char>(c)), expected) << c;
  }
  EXPECT_FALSE(IsAlnum('\xE7'));
  EXPECT_FALSE(IsAlnum('\xC9'));
  EXPECT_FALSE(IsAlnum('\xAA'));
  EXPECT_FALSE(IsAlnum('_'));
}

TEST(CutTextTest, CutsLongerTextsOnly) {
  EXPECT_EQ(CutText("ABCDEFG", 5), "ABCDE");
  EXPECT_EQ(CutText("ABC", 5), "ABC");
  EXPECT_EQ(CutText("ABCDE", 5), "ABCDE");
  EXPECT_EQ(CutText("ABC", 0), "");
  EXPECT_EQ(CutText("", 3), "");
  EXPECT_EQ(CutText("AB\0" "CDEF"s, 5), "AB");
  EXPECT_EQ(CutText(std::string(100000, 'x'), 3), "xxx");
}

TEST(CopyFixedTest, CopiesExactlyNBytes) {
  const char record[] = "JOAO      SILVA     +";
  EXPECT_EQ(CopyFixed(record, 10), "JOAO      ");
  EXPECT_EQ(CopyFixed(record + 10, 10), "SILVA     ");
  EXPECT_EQ(CopyFixed(record, 0), "");
  const char with_zero[] = {'A', 'B', '\0', 'C', 'D'};
  EXPECT_EQ(CopyFixed(with_zero, 5), "AB");
  const char no_terminator[] = {'1', '2', '3'};
  EXPECT_EQ(CopyFixed(no_terminator, 3), "123");
}

TEST(PadTextTest, PadsOrCuts) {
  EXPECT_EQ(PadText("ABC", 5), "ABC  ");
  EXPECT_EQ(PadText("ABCDEFG", 5), "ABCDE");
  EXPECT_EQ(PadText("ABCDE", 5), "ABCDE");
  EXPECT_EQ(PadText("", 4), "    ");
  EXPECT_EQ(PadText("ABC", 0), "");
  EXPECT_EQ(PadText("A\0" "BC"s, 4), "A   ");
  EXPECT_EQ(PadText("\xC3", 3), "\xC3  ");
  EXPECT_EQ(PadText("x", 10000), "x" + std::string(9999, ' '));
}

TEST(TrimRightTest, RemovesTrailingBlanksOnly) {
  EXPECT_EQ(TrimRight("  A  "), "  A");
  EXPECT_EQ(TrimRight("ABC"), "ABC");
  EXPECT_EQ(TrimRight("    "), "");
  EXPECT_EQ(TrimRight(""), "");
  EXPECT_EQ(TrimRight("A\t"), "A\t");
  EXPECT_EQ(TrimRight("A \t "), "A \t");
  EXPECT_EQ(TrimRight("A\xA0"), "A\xA0");
  EXPECT_EQ(TrimRight("A  \0" "B"s), "A");
  EXPECT_EQ(TrimRight("B" + std::string(100000, ' ')), "B");
}

TEST(HasTextTest, AnyNonBlank) {
  EXPECT_FALSE(HasText(""));
  EXPECT_FALSE(HasText("     "));
  EXPECT_TRUE(HasText("  x "));
  EXPECT_TRUE(HasText("\t"));
  EXPECT_TRUE(HasText("\xA0"));
  EXPECT_FALSE(HasText("  \0" "x"s));
  EXPECT_FALSE(HasText("\0" "x"s));
}

TEST(DecodeUtf8LatinTest, AccentedLetters) {
  EXPECT_EQ(DecodeUtf8Latin("\xC3\xA7"), "\xE7");
  EXPECT_EQ(DecodeUtf8Latin("\xC3\x89"), "\xC9");
  EXPECT_EQ(DecodeUtf8Latin("S\xC3\x83O JO\xC3\x83O"), "S\xC3O JO\xC3O");
  EXPECT_EQ(DecodeUtf8Latin("a\xC3\xA7\xC3\xA3o"), "a\xE7\xE3o");
  EXPECT_EQ(DecodeUtf8Latin("a\xC3\xA7\xC3\xA3o").size(), 4u);
}

TEST(DecodeUtf8LatinTest, C2Range) {
  EXPECT_EQ(DecodeUtf8Latin("\xC2\xA0"), " ");
  EXPECT_EQ(DecodeUtf8Latin("\xC2\x85"), " ");
  EXPECT_EQ(DecodeUtf8Latin("\xC2\xBA"), "\xBA");
  EXPECT_EQ(DecodeUtf8Latin("N\xC2\xBA 5"), "N\xBA 5");
}

TEST(DecodeUtf8LatinTest, FullMappingOfBothLeadBytes) {
  for (int d = 0x80; d <= 0xBF; ++d) {
    std::string c2 = {'\xC2', static_cast<char>(d)};
    std::string c3 = {'\xC3', static_cast<char>(d)};
    std::string expected_c2 = d <= 0xA0 ? " " : std::string(1, static_cast<char>(d));
    EXPECT_EQ(DecodeUtf8Latin(c2), expected_c2) << d;
    EXPECT_EQ(DecodeUtf8Latin(c3), std::string(1, static_cast<char>(d + 0x40)))
        << d;
  }
}

TEST(DecodeUtf8LatinTest, LeavesOtherBytes) {
  EXPECT_EQ(DecodeUtf8Latin("a\xE7\xE3o"), "a\xE7\xE3o");
  EXPECT_EQ(DecodeUtf8Latin("ABC\xC3"), "ABC\xC3");
  EXPECT_EQ(DecodeUtf8Latin("ABC\xC2"), "ABC\xC2");
  EXPECT_EQ(DecodeUtf8Latin("\xC3"), "\xC3");
  EXPECT_EQ(DecodeUtf8Latin("\xC3" "A"), "\xC3" "A");
  EXPECT_EQ(DecodeUtf8Latin("\xC3\xC3\xA7"), "\xC3\xE7");
  EXPECT_EQ(DecodeUtf8Latin("\xC3\xC0"), "\xC3\xC0");
  // Other lead bytes are not decoded: U+20AC (euro sign) stays three bytes.
  EXPECT_EQ(DecodeUtf8Latin("\xE2\x82\xAC"), "\xE2\x82\xAC");
  EXPECT_EQ(DecodeUtf8Latin("\xC4\x80"), "\xC4\x80");
  EXPECT_EQ(DecodeUtf8Latin(""), "");
}

TEST(DecodeUtf8LatinTest, TextEndsAtZeroByte) {
  EXPECT_EQ(DecodeUtf8Latin("A\xC3\0\xA7"s), "A\xC3");
}

TEST(DecodeUtf8LatinTest, VeryLongText) {
  std::string utf8;
  std::string latin;
  for (int i = 0; i < 50000; ++i) {
    utf8 += "\xC3\xA9x";
    latin += "\xE9x";
  }
  EXPECT_EQ(DecodeUtf8Latin(utf8), latin);
}

TEST(CleanTextTest, ControlCharactersBecomeBlanks) {
  EXPECT_EQ(CleanText("\x41\x09\x42\x0D\x0A"), "\x41\x20\x42\x20\x20");
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string cleaned = CleanText(all);
  ASSERT_EQ(cleaned.size(), all.size());
  for (int c = 1; c < 256; ++c) {
    char expected = c < 32 ? ' ' : static_cast<char>(c);
    EXPECT_EQ(cleaned[c - 1], expected) << c;
  }
}

TEST(CleanTextTest, DecodesFirst) {
  EXPECT_EQ(CleanText("Jos\xC3\xA9\r\n"), "Jos\xE9  ");
  EXPECT_EQ(CleanText("A\xC2\x85" "B"), "A B");
  EXPECT_EQ(CleanText("\x7F"), "\x7F");
  EXPECT_EQ(CleanText("X\xC3"), "X\xC3");
  EXPECT_EQ(CleanText(""), "");
}

}  // namespace
}  // namespace labrena
