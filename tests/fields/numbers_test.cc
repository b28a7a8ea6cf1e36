#include "fields/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace labrena {
namespace {

using namespace std::string_literals;

TEST(ReadDoubleTest, ReadsDecimalNumbers) {
  EXPECT_EQ(ReadDouble("0"), 0.0);
  EXPECT_EQ(ReadDouble("12"), 12.0);
  EXPECT_EQ(ReadDouble("12.5"), 12.5);
  EXPECT_EQ(ReadDouble("-12.5"), -12.5);
  EXPECT_EQ(ReadDouble("+7"), 7.0);
  EXPECT_EQ(ReadDouble(".5"), 0.5);
  EXPECT_EQ(ReadDouble("5."), 5.0);
  EXPECT_EQ(ReadDouble("-.25"), -0.25);
  EXPECT_EQ(ReadDouble("1234567.89"), 1234567.89);
  EXPECT_EQ(ReadDouble("0.1"), 0.1);
  EXPECT_EQ(ReadDouble("2.675"), 2.675);
}

TEST(ReadDoubleTest, SkipsLeadingWhiteSpaceAndStopsAtOtherCharacters) {
  EXPECT_EQ(ReadDouble("  \t\n\v\f\r42"), 42.0);
  EXPECT_EQ(ReadDouble("42abc"), 42.0);
  EXPECT_EQ(ReadDouble("1.2.3"), 1.2);
  EXPECT_EQ(ReadDouble("3,5"), 3.0);
  EXPECT_EQ(ReadDouble("12 34"), 12.0);
  EXPECT_EQ(ReadDouble("- 5"), 0.0);
  EXPECT_EQ(ReadDouble("+-5"), 0.0);
}

TEST(ReadDoubleTest, NoNumberGivesZero) {
  EXPECT_EQ(ReadDouble(""), 0.0);
  EXPECT_EQ(ReadDouble("   "), 0.0);
  EXPECT_EQ(ReadDouble("abc"), 0.0);
  EXPECT_EQ(ReadDouble("."), 0.0);
  EXPECT_EQ(ReadDouble("-"), 0.0);
  EXPECT_EQ(ReadDouble("-."), 0.0);
  EXPECT_EQ(ReadDouble("R$ 10"), 0.0);
}

TEST(ReadDoubleTest, DecimalOnly) {
  EXPECT_EQ(ReadDouble("0x1A"), 0.0);
  EXPECT_EQ(ReadDouble("1e5"), 1.0);
  EXPECT_EQ(ReadDouble("1E5"), 1.0);
  EXPECT_EQ(ReadDouble("2.5e-3"), 2.5);
  EXPECT_EQ(ReadDouble("inf"), 0.0);
  EXPECT_EQ(ReadDouble("-infinity"), 0.0);
  EXPECT_EQ(ReadDouble("nan"), 0.0);
  EXPECT_EQ(ReadDouble("NAN(1)"), 0.0);
}

TEST(ReadDoubleTest, TextEndsAtZeroByte) {
  EXPECT_EQ(ReadDouble("12\0" "34"s), 12.0);
  EXPECT_EQ(ReadDouble("\0" "5"s), 0.0);
}

TEST(ReadDoubleTest, LongTexts) {
  EXPECT_EQ(ReadDouble(std::string(400, '0') + "1.5"), 1.5);
  EXPECT_EQ(ReadDouble("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(ReadDouble(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(ReadDouble("-" + std::string(400, '9')), -HUGE_VAL);
  EXPECT_EQ(ReadDouble("123456789012345678901234567890"),
            123456789012345678901234567890.0);
}

TEST(ReadLongTest, ReadsIntegers) {
  EXPECT_EQ(ReadLong("0"), 0);
  EXPECT_EQ(ReadLong("123"), 123);
  EXPECT_EQ(ReadLong("-123"), -123);
  EXPECT_EQ(ReadLong("+9"), 9);
  EXPECT_EQ(ReadLong("  \t42xyz"), 42);
  EXPECT_EQ(ReadLong("0012"), 12);
  EXPECT_EQ(ReadLong("12.9"), 12);
  EXPECT_EQ(ReadLong("0x10"), 0);
  EXPECT_EQ(ReadLong("1e3"), 1);
  EXPECT_EQ(ReadLong(""), 0);
  EXPECT_EQ(ReadLong("abc"), 0);
  EXPECT_EQ(ReadLong("- 1"), 0);
  EXPECT_EQ(ReadLong("7\0" "8"s), 7);
}

TEST(ReadLongTest, Saturates) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(ReadLong("9223372036854775807"), kMax);
  EXPECT_EQ(ReadLong("9223372036854775808"), kMax);
  EXPECT_EQ(ReadLong("-9223372036854775808"), kMin);
  EXPECT_EQ(ReadLong("-9223372036854775809"), kMin);
  EXPECT_EQ(ReadLong(std::string(300, '9')), kMax);
  EXPECT_EQ(ReadLong("-" + std::string(300, '9')), kMin);
  EXPECT_EQ(ReadLong("2147483648"), 2147483648LL);
}

TEST(FormatTest, WritesThroughPrintfFormats) {
  EXPECT_EQ(Format("%-10ld|", 42L), "42        |");
  EXPECT_EQ(Format("%.2lf", 1234.5), "1234.50");
  EXPECT_EQ(Format("%.2lf", 2.675), "2.67");
  EXPECT_EQ(Format("%.0f", 0.5), "0");
  EXPECT_EQ(Format("%.0f", 2.5), "2");
  EXPECT_EQ(Format("%02d/%02d/%04d", 7, 8, 2021), "07/08/2021");
  EXPECT_EQ(Format("%s", ""), "");
  EXPECT_EQ(Format("%lld", 9223372036854775807LL), "9223372036854775807");
}

TEST(FormatTest, LongOutput) {
  std::string long_text(1000, 'x');
  EXPECT_EQ(Format("<%s>", long_text.c_str()), "<" + long_text + ">");
  EXPECT_EQ(Format("%.6f", 1e300).size(), 301u + 7u);
}

TEST(ParseAmountTest, EitherSeparatorConvention) {
  EXPECT_DOUBLE_EQ(ParseAmount("1.234,56"), 1234.56);
  EXPECT_DOUBLE_EQ(ParseAmount("1,234.56"), 1234.56);
  EXPECT_DOUBLE_EQ(ParseAmount("1.234.567,89"), 1234567.89);
  EXPECT_DOUBLE_EQ(ParseAmount("1,234,567.89"), 1234567.89);
  EXPECT_DOUBLE_EQ(ParseAmount("12,5"), 12.5);
  EXPECT_DOUBLE_EQ(ParseAmount("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ParseAmount("-1.234,56"), -1234.56);
  EXPECT_DOUBLE_EQ(ParseAmount("  12,50  "), 12.5);
  EXPECT_DOUBLE_EQ(ParseAmount("100"), 100.0);
}

TEST(ParseAmountTest, LoneSeparatorIsTheDecimalPoint) {
  EXPECT_DOUBLE_EQ(ParseAmount("1.234"), 1.234);
  EXPECT_DOUBLE_EQ(ParseAmount("1,234"), 1.234);
  EXPECT_DOUBLE_EQ(ParseAmount(",5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseAmount("5,"), 5.0);
}

TEST(ParseAmountTest, ExponentLettersAreDropped) {
  EXPECT_DOUBLE_EQ(ParseAmount("1e5"), 15.0);
  EXPECT_DOUBLE_EQ(ParseAmount("2,5E3"), 2.53);
  EXPECT_DOUBLE_EQ(ParseAmount("e7"), 7.0);
}

TEST(ParseAmountTest, BadInput) {
  EXPECT_EQ(ParseAmount(""), 0.0);
  EXPECT_EQ(ParseAmount("   "), 0.0);
  EXPECT_EQ(ParseAmount("abc"), 0.0);
  EXPECT_EQ(ParseAmount("R$ 10,00"), 0.0);
  EXPECT_EQ(ParseAmount(","), 0.0);
  EXPECT_DOUBLE_EQ(ParseAmount("12abc,5"), 12.0);
  EXPECT_DOUBLE_EQ(ParseAmount("12,5\xC3"), 12.5);
  EXPECT_DOUBLE_EQ(ParseAmount("0x1A"), 0.0);
  EXPECT_DOUBLE_EQ(ParseAmount("inf"), 0.0);
  EXPECT_DOUBLE_EQ(ParseAmount("1,5\0" "99"s), 1.5);
}

TEST(ParseAmountTest, LooksAtThirtyCharactersAtMost) {
  EXPECT_DOUBLE_EQ(ParseAmount(std::string(29, ' ') + "7,5"), 7.0);
  EXPECT_DOUBLE_EQ(ParseAmount(std::string(27, ' ') + "7,5"), 7.5);
  // The separator beyond the first 30 characters is not seen.
  EXPECT_DOUBLE_EQ(ParseAmount("1.234.567.890.123.456.789.012,34"),
                   1234567890123456789012.0);
  EXPECT_DOUBLE_EQ(ParseAmount(std::string(5000, '9')),
                   999999999999999999999999999999.0);
}

TEST(FormatNumberTest, DisplayForm) {
  EXPECT_EQ(FormatNumber(0, 2), "0,00");
  EXPECT_EQ(FormatNumber(999, 0), "999");
  EXPECT_EQ(FormatNumber(1000, 0), "1.000");
  EXPECT_EQ(FormatNumber(-1234.5, 1), "-1.234,5");
  EXPECT_EQ(FormatNumber(1234567.891, 2), "1.234.567,89");
  EXPECT_EQ(FormatNumber(12, 0), "12");
  EXPECT_EQ(FormatNumber(123456, 0), "123.456");
  EXPECT_EQ(FormatNumber(0.5, 3), "0,500");
  EXPECT_EQ(FormatNumber(-7, 0), "-7");
}

TEST(FormatNumberTest, RoundsToNearest) {
  EXPECT_EQ(FormatNumber(999.996, 2), "1.000,00");
  EXPECT_EQ(FormatNumber(2.675, 2), "2,67");  // 2.675 is 2.67499... in binary
  EXPECT_EQ(FormatNumber(0.125, 2), "0,12");  // exact tie to even
  EXPECT_EQ(FormatNumber(0.5, 0), "0");
  EXPECT_EQ(FormatNumber(1.5, 0), "2");
}

TEST(FormatNumberTest, NegativeBelowHalfACentKeepsItsSign) {
  EXPECT_EQ(FormatNumber(-0.001, 2), "-0,00");
}

TEST(FormatNumberTest, AtMostSixDecimals) {
  EXPECT_EQ(FormatNumber(1.123456789, 9), "1,123457");
  EXPECT_EQ(FormatNumber(1, 7), "1,000000");
  EXPECT_EQ(FormatNumber(1.5, -1), "2");
}

TEST(FormatNumberTest, LargeNumbers) {
  EXPECT_EQ(FormatNumber(2147483648.0, 0), "2.147.483.648");
  EXPECT_EQ(FormatNumber(static_cast<double>(std::int64_t{4294967296}), 0),
            "4.294.967.296");
  EXPECT_EQ(FormatNumber(999999999999999.0, 0), "999.999.999.999.999");
  EXPECT_EQ(FormatNumber(-999999999999999.0, 0), "-999.999.999.999.999");
  EXPECT_EQ(FormatNumber(1e15, 0), "0");
  EXPECT_EQ(FormatNumber(1e15, 2), "0,00");
  EXPECT_EQ(FormatNumber(-1e15, 2), "0,00");
  EXPECT_EQ(FormatNumber(9223372036854775807.0, 0), "0");
  EXPECT_EQ(FormatNumber(HUGE_VAL, 0), "0");
  EXPECT_EQ(FormatNumber(-HUGE_VAL, 1), "0,0");
  EXPECT_EQ(FormatNumber(std::nan(""), 2), "0,00");
}

TEST(FormatNumberTest, FileSizesUpToTwoToTheSixtyThird) {
  for (int bits = 0; bits <= 63; ++bits) {
    std::uint64_t size = std::uint64_t{1} << bits;
    double x = static_cast<double>(size);
    std::string text = FormatNumber(x, 0);
    if (x >= 1e15) {
      EXPECT_EQ(text, "0") << bits;
      continue;
    }
    // Independent grouping of the decimal digits.
    std::string digits = std::to_string(size);
    std::string expected;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) expected += '.';
      expected += digits[i];
    }
    EXPECT_EQ(text, expected) << bits;
  }
}

// The fast path must write what printf writes, for amounts read from text
// and for any double, near half cents and at the limits too.
TEST(FormatCentsTest, WritesWhatPrintfWrites) {
  std::uint64_t state = 7;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return state >> 11;
  };
  std::vector<double> values = {0.0,    -0.0,     0.005,   -0.005,  0.015,
                                1.005,  2.675,    -2.675,  0.125,   1e11,
                                -1e10,  99999999999.995,   1e13,    -1e13,
                                1e-9,   -1e-9,    123456789.125};
  for (int i = 0; i < 200000; ++i) {
    std::int64_t cents = static_cast<std::int64_t>(next() % 10000000000000ULL);
    std::string text = std::to_string(cents / 100) + "," +
                       std::to_string(cents % 100 / 10) +
                       std::to_string(cents % 10);
    values.push_back(ParseAmount(text) * (i % 2 ? 1 : -1));
    values.push_back(ParseAmount(text) * 100 / (1 + static_cast<int>(next() % 40)));
    std::uint64_t bits = next() | (next() << 53);
    double any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) values.push_back(any);
  }
  for (double x : values) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.2f", x);
    ASSERT_EQ(FormatCents(x), expected) << x;
  }
}

TEST(FormatNumberTrimTest, DropsTrailingZeros) {
  EXPECT_EQ(FormatNumberTrim(1.5, 0, 6), "1,5");
  EXPECT_EQ(FormatNumberTrim(2, 0, 2), "2");
  EXPECT_EQ(FormatNumberTrim(2, 2, 2), "2,00");
  EXPECT_EQ(FormatNumberTrim(2, 1, 3), "2,0");
  EXPECT_EQ(FormatNumberTrim(1000, 0, 2), "1.000");
  EXPECT_EQ(FormatNumberTrim(100, 0, 0), "100");
  EXPECT_EQ(FormatNumberTrim(0, 0, 6), "0");
  EXPECT_EQ(FormatNumberTrim(1.25, 0, 6), "1,25");
  EXPECT_EQ(FormatNumberTrim(-1234.5, 0, 3), "-1.234,5");
  EXPECT_EQ(FormatNumberTrim(100, 0, 9), "100");
  EXPECT_EQ(FormatNumberTrim(1e15, 0, 2), "0");
}

TEST(RoundCentsTest, HalfUpFromTheSixDecimalText) {
  EXPECT_DOUBLE_EQ(RoundCents(1.234999), 1.23);
  EXPECT_DOUBLE_EQ(RoundCents(1.235), 1.24);
  EXPECT_DOUBLE_EQ(RoundCents(2.675), 2.68);
  EXPECT_DOUBLE_EQ(RoundCents(0.0), 0.0);
  EXPECT_DOUBLE_EQ(RoundCents(0.004), 0.0);
  EXPECT_DOUBLE_EQ(RoundCents(0.005), 0.01);
  EXPECT_DOUBLE_EQ(RoundCents(10.0), 10.0);
  EXPECT_DOUBLE_EQ(RoundCents(1.2349999), 1.24);  // "1.235000" at six decimals
  EXPECT_DOUBLE_EQ(RoundCents(999999.995), 1000000.0);
  EXPECT_EQ(FormatNumber(RoundCents(1.235), 2), "1,24");
  EXPECT_EQ(FormatNumber(RoundCents(1234567.125), 2), "1.234.567,13");
}

TEST(RoundCentsTest, NegativeAmountsRoundLikeTheirAbsoluteValue) {
  EXPECT_DOUBLE_EQ(RoundCents(-1.235), -1.24);
  EXPECT_DOUBLE_EQ(RoundCents(-1.234), -1.23);
}

TEST(DigitStringTest, KeepDigits) {
  EXPECT_EQ(KeepDigits("12-3.4/5", 10), "12345");
  EXPECT_EQ(KeepDigits("12-3.4/5", 3), "123");
  EXPECT_EQ(KeepDigits("abc", 5), "");
  EXPECT_EQ(KeepDigits("", 5), "");
  EXPECT_EQ(KeepDigits("123", 0), "");
  EXPECT_EQ(KeepDigits("1\xB2" "2\xC3", 5), "12");  // superscript two is no digit
  EXPECT_EQ(KeepDigits("12\0" "34"s, 5), "12");
  EXPECT_EQ(KeepDigits(std::string(10000, '7'), 4), "7777");
}

TEST(DigitStringTest, KeepAlnum) {
  EXPECT_EQ(KeepAlnum("A-1/b", 2), "A1");
  EXPECT_EQ(KeepAlnum("A-1/b", 10), "A1b");
  EXPECT_EQ(KeepAlnum("S\xC3" "O PAULO", 10), "SOPAULO");
  EXPECT_EQ(KeepAlnum("\xE7\xE3o", 5), "o");
  EXPECT_EQ(KeepAlnum("", 5), "");
}

TEST(DigitStringTest, ZeroPadDigits) {
  EXPECT_EQ(ZeroPadDigits("12-3", 6), "000123");
  EXPECT_EQ(ZeroPadDigits("0000012345", 6), "000001");
  EXPECT_EQ(ZeroPadDigits("", 3), "000");
  EXPECT_EQ(ZeroPadDigits("abc", 2), "00");
  EXPECT_EQ(ZeroPadDigits("123", 3), "123");
  EXPECT_EQ(ZeroPadDigits("123", 0), "");
}

TEST(DigitStringTest, DropLeadingZeros) {
  EXPECT_EQ(DropLeadingZeros("000", 5), "");
  EXPECT_EQ(DropLeadingZeros("0012", 5), "12");
  EXPECT_EQ(DropLeadingZeros("00102", 2), "10");
  EXPECT_EQ(DropLeadingZeros("0-012", 5), "012");  // only the leading '0' go
  EXPECT_EQ(DropLeadingZeros(" 012", 5), "012");
  EXPECT_EQ(DropLeadingZeros("", 5), "");
}

TEST(DigitStringTest, NormalizeDigits) {
  EXPECT_EQ(NormalizeDigits("0000012345", 6), "012345");
  EXPECT_EQ(NormalizeDigits("000", 3), "000");
  EXPECT_EQ(NormalizeDigits("12-3", 6), "000123");
  EXPECT_EQ(NormalizeDigits("1234567", 6), "123456");
  EXPECT_EQ(NormalizeDigits("", 4), "0000");
  EXPECT_EQ(NormalizeDigits("x7y", 2), "07");
}

}  // namespace
}  // namespace labrena
