#include "fields/numbers.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

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

}  // namespace
}  // namespace labrena
