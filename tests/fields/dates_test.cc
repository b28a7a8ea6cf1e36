#include "fields/dates.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

using namespace std::string_literals;

Date D(int day, int month, int year) {
  return Date{year, static_cast<std::uint8_t>(day),
              static_cast<std::uint8_t>(month)};
}

Time T(int hour, int minute, int second = 0, int hundredths = 0) {
  Time t;
  t.hour = static_cast<std::uint8_t>(hour);
  t.minute = static_cast<std::uint8_t>(minute);
  t.second = static_cast<std::uint8_t>(second);
  t.hundredths = static_cast<std::uint8_t>(hundredths);
  return t;
}

void ExpectDate(const Date& date, int day, int month, int year) {
  EXPECT_EQ(date.day, day);
  EXPECT_EQ(date.month, month);
  EXPECT_EQ(date.year, year);
}

TEST(DaysInMonthTest, EveryYearDivisibleByFourIsLeap) {
  EXPECT_EQ(DaysInMonth(D(1, 2, 1900)), 29);
  EXPECT_EQ(DaysInMonth(D(1, 2, 2100)), 29);
  EXPECT_EQ(DaysInMonth(D(1, 2, 1800)), 29);
  EXPECT_EQ(DaysInMonth(D(1, 2, 2000)), 29);
  EXPECT_EQ(DaysInMonth(D(1, 2, 2024)), 29);
  EXPECT_EQ(DaysInMonth(D(1, 2, 2023)), 28);
  EXPECT_EQ(DaysInMonth(D(1, 2, 1901)), 28);
}

TEST(DaysInMonthTest, Months) {
  const int expected[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31};
  for (int month = 0; month <= 13; ++month) {
    EXPECT_EQ(DaysInMonth(D(1, month, 2023)), expected[month]) << month;
  }
  EXPECT_EQ(DaysInMonth(D(1, 14, 2023)), 0);
  EXPECT_EQ(DaysInMonth(D(1, 255, 2023)), 0);
}

TEST(IsValidDateTest, RejectsImpossibleDates) {
  EXPECT_TRUE(IsValidDate(D(7, 8, 2021)));
  EXPECT_TRUE(IsValidDate(D(29, 2, 2020)));
  EXPECT_TRUE(IsValidDate(D(1, 1, 1000)));
  EXPECT_TRUE(IsValidDate(D(31, 12, 2100)));
  EXPECT_FALSE(IsValidDate(D(31, 4, 2020)));
  EXPECT_FALSE(IsValidDate(D(29, 2, 2023)));
  EXPECT_FALSE(IsValidDate(D(1, 13, 2020)));
  EXPECT_FALSE(IsValidDate(D(31, 13, 2020)));
  EXPECT_FALSE(IsValidDate(D(1, 1, 999)));
  EXPECT_FALSE(IsValidDate(D(1, 1, 2101)));
  EXPECT_FALSE(IsValidDate(D(0, 1, 2020)));
  EXPECT_FALSE(IsValidDate(D(1, 0, 2020)));
  EXPECT_FALSE(IsValidDate(D(32, 1, 2020)));
  EXPECT_FALSE(IsValidDate(Date{}));
}

TEST(IsValidDateTest, CenturyLeapDaysDifferFromTheCivilCalendar) {
  EXPECT_TRUE(IsValidDate(D(29, 2, 1900)));
  EXPECT_TRUE(IsValidDate(D(29, 2, 2100)));
  EXPECT_TRUE(IsValidDate(D(29, 2, 1700)));
}

TEST(CompareDatesTest, YearThenMonthThenDay) {
  EXPECT_EQ(CompareDates(D(1, 1, 2020), D(1, 1, 2020)), 0);
  EXPECT_EQ(CompareDates(D(31, 12, 2019), D(1, 1, 2020)), -1);
  EXPECT_EQ(CompareDates(D(1, 1, 2020), D(31, 12, 2019)), 1);
  EXPECT_EQ(CompareDates(D(31, 1, 2020), D(1, 2, 2020)), -1);
  EXPECT_EQ(CompareDates(D(2, 3, 2020), D(1, 3, 2020)), 1);
  EXPECT_EQ(CompareDates(D(1, 13, 2020), D(31, 12, 2020)), 1);
}

TEST(NextDayTest, Steps) {
  Date d = D(31, 12, 2020);
  NextDay(&d);
  ExpectDate(d, 1, 1, 2021);
  d = D(31, 13, 2020);
  NextDay(&d);
  ExpectDate(d, 1, 1, 2021);
  d = D(30, 13, 2020);
  NextDay(&d);
  ExpectDate(d, 31, 12, 2020);
  d = D(31, 12, 9999);
  NextDay(&d);
  ExpectDate(d, 1, 1, 9999);
  d = D(31, 12, 9998);
  NextDay(&d);
  ExpectDate(d, 1, 1, 9999);
  d = D(28, 2, 2023);
  NextDay(&d);
  ExpectDate(d, 1, 3, 2023);
  d = D(15, 6, 2023);
  NextDay(&d);
  ExpectDate(d, 16, 6, 2023);
  d = D(30, 4, 2023);
  NextDay(&d);
  ExpectDate(d, 1, 5, 2023);
}

TEST(NextDayTest, ProductCalendarHasTheTwentyNinthOfFebruary1900) {
  Date d = D(28, 2, 1900);
  NextDay(&d);
  ExpectDate(d, 29, 2, 1900);
  NextDay(&d);
  ExpectDate(d, 1, 3, 1900);
  d = D(28, 2, 2100);
  NextDay(&d);
  ExpectDate(d, 29, 2, 2100);
}

TEST(NextDayTest, OutOfRangeDays) {
  Date d = D(40, 1, 2020);  // past the month's end: the next month begins
  NextDay(&d);
  ExpectDate(d, 1, 2, 2020);
  d = D(5, 0, 2020);  // month 0 has no days
  NextDay(&d);
  ExpectDate(d, 1, 1, 2020);
  d = D(5, 20, 2020);
  NextDay(&d);
  ExpectDate(d, 1, 1, 2021);
}

TEST(DayNumberTest, Anchors) {
  EXPECT_EQ(DayNumber(D(1, 1, 1)), 1);
  EXPECT_EQ(DayNumber(D(2, 1, 1)), 2);
  EXPECT_EQ(DayNumber(D(1, 1, 2)), 366);
  EXPECT_EQ(DayNumber(D(1, 1, 5)), 4 * 365 + 2);  // year 4 is leap
  EXPECT_EQ(DayNumber(D(1, 3, 2000)), DayNumber(D(29, 2, 2000)) + 1);
  // 730135 where the civil (Gregorian) ordinal of 2000-01-01 is 730120: the
  // 15 century years from 100 to 1900 that are not civil leap years.
  EXPECT_EQ(DayNumber(D(1, 1, 2000)), 730135);
  EXPECT_EQ(DayNumber(D(1, 3, 1900)) - DayNumber(D(28, 2, 1900)), 2);
}

TEST(DayNumberTest, Normalises) {
  EXPECT_EQ(DayNumber(D(0, 1, 2020)), DayNumber(D(1, 1, 2020)));
  EXPECT_EQ(DayNumber(D(5, 0, 2020)), DayNumber(D(5, 1, 2020)));
  EXPECT_EQ(DayNumber(D(5, 13, 2020)), DayNumber(D(5, 12, 2020)));
  EXPECT_EQ(DayNumber(D(1, 1, 0)), 1);
  EXPECT_EQ(DayNumber(D(1, 1, -40)), 1);
  EXPECT_EQ(DayNumber(Date{}), 1);
}

TEST(DayNumberTest, ConsecutiveDaysHaveConsecutiveNumbers) {
  Date d = D(1, 1, 1);
  int number = DayNumber(d);
  ASSERT_EQ(number, 1);
  int days = 0;
  while (d.year <= kLastYear) {
    NextDay(&d);
    ++days;
    ASSERT_EQ(DayNumber(d), number + 1)
        << int{d.day} << "/" << int{d.month} << "/" << d.year;
    number = DayNumber(d);
  }
  // Every fourth year is leap: 2100 years of 365.25 days.
  EXPECT_EQ(days, 2100 * 365 + 525);
}

TEST(FormatDateTest, Texts) {
  EXPECT_EQ(FormatDate(D(7, 8, 2021)), "07/08/2021");
  EXPECT_EQ(FormatDate(D(31, 12, 999)), "31/12/0999");
  EXPECT_EQ(FormatDate(Date{}), "");
  EXPECT_EQ(FormatDate(D(15, 6, 0)), "");
  EXPECT_EQ(FormatDate(D(32, 1, 2020)), "00/01/2020");
  EXPECT_EQ(FormatDate(D(0, 1, 2020)), "00/01/2020");
  EXPECT_EQ(FormatDate(D(1, 13, 2020)), "01/13/2020");
  EXPECT_EQ(FormatDate(D(1, 14, 2020)), "01/00/2020");
  EXPECT_EQ(FormatDate(D(1, 1, 10000)), "01/01/0000");
  EXPECT_EQ(FormatDate(D(1, 1, -5)), "01/01/0000");
  EXPECT_EQ(FormatDate(D(255, 255, 9999)), "00/00/9999");
}

TEST(ParseDateTest, Texts) {
  ExpectDate(ParseDate("07/08/2021"), 7, 8, 2021);
  ExpectDate(ParseDate("07-08-2021 and more"), 7, 8, 2021);
  ExpectDate(ParseDate("31/13/2020"), 31, 13, 2020);
  ExpectDate(ParseDate("0708/2021x"), 7, 8, 21);  // fixed positions
  ExpectDate(ParseDate("1a/0b/20cd"), 1, 0, 20);
  ExpectDate(ParseDate("ab/cd/efgh"), 0, 0, 0);
  ExpectDate(ParseDate("          "), 0, 0, 0);
}

TEST(ParseDateTest, ShorterThanTenCharactersIsNoDate) {
  ExpectDate(ParseDate("07/08/202"), 0, 0, 0);
  ExpectDate(ParseDate(""), 0, 0, 0);
  ExpectDate(ParseDate("07/08/2021"s.substr(0, 9)), 0, 0, 0);
  ExpectDate(ParseDate("07/08\0/2021"s), 0, 0, 0);
  ExpectDate(ParseDate("07/08/202\xC3"), 7, 8, 202);
}

TEST(ParseDateTest, VeryLongAndBadTexts) {
  ExpectDate(ParseDate("07/08/2021" + std::string(100000, 'x')), 7, 8, 2021);
  ExpectDate(ParseDate("07/08/2021\xC3"), 7, 8, 2021);
  ExpectDate(ParseDate("\xC3\xA7/08/2021"), 0, 8, 2021);
  ExpectDate(ParseDate("dd/mm/aaaa"), 0, 0, 0);
}

TEST(ParseDateTest, RoundTrip) {
  for (Date d = D(1, 1, 1999); d.year < 2002; NextDay(&d)) {
    Date back = ParseDate(FormatDate(d));
    ASSERT_EQ(CompareDates(back, d), 0) << FormatDate(d);
  }
}

TEST(MinutesBetweenTest, AcrossMidnight) {
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(22, 30), D(2, 5, 2020), T(1, 15)),
            165);
}

TEST(MinutesBetweenTest, SameDayAndLongerSpans) {
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(8, 0), D(1, 5, 2020), T(12, 30)),
            270);
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(8, 0), D(1, 5, 2020), T(8, 0)), 0);
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(8, 0), D(3, 5, 2020), T(8, 0)),
            2 * 1440);
  EXPECT_EQ(MinutesBetween(D(31, 12, 2020), T(23, 0), D(1, 1, 2021), T(1, 0)),
            120);
  // Seconds and hundredths are ignored.
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(8, 0, 59, 99), D(1, 5, 2020),
                           T(8, 1, 0, 0)),
            1);
}

TEST(MinutesBetweenTest, ProductCalendar) {
  EXPECT_EQ(MinutesBetween(D(28, 2, 1900), T(0, 0), D(1, 3, 1900), T(0, 0)),
            2 * 1440);
  EXPECT_EQ(MinutesBetween(D(28, 2, 2023), T(0, 0), D(1, 3, 2023), T(0, 0)),
            1440);
}

TEST(MinutesBetweenTest, BackwardsOrNoDateGivesZero) {
  EXPECT_EQ(MinutesBetween(D(2, 5, 2020), T(1, 0), D(1, 5, 2020), T(23, 0)), 0);
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(12, 0), D(1, 5, 2020), T(8, 0)), 0);
  EXPECT_EQ(MinutesBetween(Date{}, T(0, 0), D(1, 5, 2020), T(8, 0)), 0);
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(0, 0), Date{}, T(8, 0)), 0);
  EXPECT_EQ(MinutesBetween(D(1, 5, -1), T(0, 0), D(1, 5, 2020), T(8, 0)), 0);
}

TEST(MinutesBetweenTest, NegativeDaysAreNotAdded) {
  // On the first day the start is after the end of the day's window: only
  // the second day counts.
  EXPECT_EQ(MinutesBetween(D(1, 5, 2020), T(25, 0), D(2, 5, 2020), T(1, 0)),
            60);
}

TEST(MinutesBetweenTest, WalkPastTheLastYearEnds) {
  EXPECT_EQ(MinutesBetween(D(30, 12, 9999), T(0, 0), D(1, 1, 10000), T(0, 0)),
            2 * 1440);
}

TEST(TimeTest, ParseTime) {
  Time t = ParseTime("08:30");
  EXPECT_EQ(t.hour, 8);
  EXPECT_EQ(t.minute, 30);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.hundredths, 0);
  t = ParseTime("23:59:58.75");
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 58);
  EXPECT_EQ(t.hundredths, 75);
  t = ParseTime("12h45m10s05 and more");
  EXPECT_EQ(t.hour, 12);
  EXPECT_EQ(t.minute, 45);
  EXPECT_EQ(t.second, 10);
  EXPECT_EQ(t.hundredths, 5);
  t = ParseTime("");
  EXPECT_EQ(CompareTimes(t, T(0, 0)), 0);
  t = ParseTime("ab:cd");
  EXPECT_EQ(CompareTimes(t, T(0, 0)), 0);
  t = ParseTime("7");
  EXPECT_EQ(t.hour, 7);
  EXPECT_EQ(t.minute, 0);
  t = ParseTime("10:2\0" "5"s);
  EXPECT_EQ(t.hour, 10);
  EXPECT_EQ(t.minute, 2);
}

TEST(TimeTest, ParseTimeOfVeryLongAndBadTexts) {
  Time t = ParseTime("08:30:15.5" + std::string(100000, 'x'));
  EXPECT_EQ(t.hour, 8);
  EXPECT_EQ(t.minute, 30);
  EXPECT_EQ(t.second, 15);
  EXPECT_EQ(t.hundredths, 5);
  t = ParseTime("08:30:15.05" + std::string(100000, '7'));
  EXPECT_EQ(t.hundredths, 57);  // "057": positions 9 to 11 only
  t = ParseTime("hh:mm\xC3");
  EXPECT_EQ(CompareTimes(t, T(0, 0)), 0);
}

TEST(TimeTest, FormatTime) {
  EXPECT_EQ(FormatTime(T(2, 15)), "02:15");
  EXPECT_EQ(FormatTime(T(0, 0, 59, 99)), "00:00");
  EXPECT_EQ(FormatTime(T(23, 59)), "23:59");
  EXPECT_EQ(FormatTime(T(100, 5)), "100:05");
}

TEST(TimeTest, MinutesToTime) {
  Time t = T(9, 9, 9, 9);
  EXPECT_EQ(MinutesToTime(135, &t), 2);
  EXPECT_EQ(FormatTime(t), "02:15");
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.hundredths, 0);
  EXPECT_EQ(MinutesToTime(-5, &t), 0);
  EXPECT_EQ(FormatTime(t), "00:00");
  EXPECT_EQ(MinutesToTime(0, &t), 0);
  EXPECT_EQ(MinutesToTime(1440, &t), 24);
  EXPECT_EQ(FormatTime(t), "24:00");
  EXPECT_EQ(MinutesToTime(59, &t), 0);
  EXPECT_EQ(FormatTime(t), "00:59");
}

TEST(TimeTest, CompareTimes) {
  EXPECT_EQ(CompareTimes(T(8, 0), T(8, 0)), 0);
  EXPECT_EQ(CompareTimes(T(7, 59), T(8, 0)), -1);
  EXPECT_EQ(CompareTimes(T(8, 1), T(8, 0)), 1);
  EXPECT_EQ(CompareTimes(T(8, 0, 1), T(8, 0, 0, 99)), 1);
  EXPECT_EQ(CompareTimes(T(8, 0, 0, 1), T(8, 0, 0, 2)), -1);
  EXPECT_EQ(CompareTimes(T(9, 0), T(8, 59, 59, 99)), 1);
}

class ReadDateControlTest : public ::testing::Test {
 protected:
  static constexpr int kControl = kScratchControl;

  ReadDateControlTest() {
    LocalTime now;
    now.year = 2024;
    now.month = 6;
    now.day = 15;
    now.hour = 10;
    scratch_.faults().SetNow(now);
  }

  // Types a text into the control and reads it back as a date.
  Date Read(const std::string& typed) {
    scratch_.ui().SetControlText(kControl, typed);
    return ReadDateControl(scratch_.ctx(), kControl);
  }
  std::string Control() {
    return scratch_.ui().GetControlText(kControl, 1000);
  }

  ScratchFolder scratch_;
};

TEST_F(ReadDateControlTest, FullDates) {
  ExpectDate(Read("7/8/2021"), 7, 8, 2021);
  EXPECT_EQ(Control(), "07/08/2021");
  ExpectDate(Read("07/08/2021"), 7, 8, 2021);
  EXPECT_EQ(Control(), "07/08/2021");
  ExpectDate(Read("07082021"), 7, 8, 2021);
  EXPECT_EQ(Control(), "07/08/2021");
  ExpectDate(Read("7.8.2021"), 7, 8, 2021);
  ExpectDate(Read("31-12-2100"), 31, 12, 2100);
  ExpectDate(Read("01/01/1000"), 1, 1, 1000);
}

TEST_F(ReadDateControlTest, TwoDigitYearIsBelowTheFirstYear) {
  ExpectDate(Read("7/8/21"), 0, 0, 0);
  EXPECT_EQ(Control(), "");
}

TEST_F(ReadDateControlTest, MissingPartsComeFromToday) {
  ExpectDate(Read("5/3"), 5, 3, 2024);
  EXPECT_EQ(Control(), "05/03/2024");
  ExpectDate(Read("5"), 5, 6, 2024);
  EXPECT_EQ(Control(), "05/06/2024");
  ExpectDate(Read("12/5"), 12, 5, 2024);
  ExpectDate(Read("12"), 12, 6, 2024);
  ExpectDate(Read("12/00/0000"), 12, 6, 2024);
  ExpectDate(Read("1205"), 12, 5, 2024);
}

TEST_F(ReadDateControlTest, InvalidDatesEmptyTheControl) {
  for (const char* typed : {"", "abc", "31/02/2020", "31/04/2021",
                            "7/13/2021", "00/01/2020", "1/1/999", "1/1/2101",
                            "/1/2020", "  7/8/2021", "\xC3\xA7"}) {
    ExpectDate(Read(typed), 0, 0, 0);
    EXPECT_EQ(Control(), "") << typed;
  }
}

TEST_F(ReadDateControlTest, ProductCalendar) {
  ExpectDate(Read("29/02/1900"), 29, 2, 1900);
  EXPECT_EQ(Control(), "29/02/1900");
  ExpectDate(Read("29/2/2100"), 29, 2, 2100);
  ExpectDate(Read("29/02/2023"), 0, 0, 0);
}

TEST_F(ReadDateControlTest, ReadsTenCharactersAtMost) {
  ExpectDate(Read("07/08/2021 and more"), 7, 8, 2021);
  EXPECT_EQ(Control(), "07/08/2021");
  ExpectDate(Read("7/8/202145"), 7, 8, 2021);
  ExpectDate(Read(std::string(100000, '1')), 11, 11, 1111);
}

TEST_F(ReadDateControlTest, BadBytes) {
  ExpectDate(Read("7/8/2021\xC3"), 7, 8, 2021);
  ExpectDate(Read("7/8/20\xC3"), 0, 0, 0);
  ExpectDate(Read("7/8\0/2021"s), 7, 8, 2024);
  // A letter where the month begins: no month part and no year part, so
  // today's month and year.
  ExpectDate(Read("7/a/2021"), 7, 6, 2024);
  EXPECT_EQ(Control(), "07/06/2024");
}

}  // namespace
}  // namespace labrena
