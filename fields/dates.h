// Dates and times with the product's own calendar rules: every year divisible
// by 4 is a leap year (1900 and 2100 included), and month 13 is accepted by
// some routines as a month of 31 days.
#ifndef LABRENA_FIELDS_DATES_H_
#define LABRENA_FIELDS_DATES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/context.h"

namespace labrena {

struct Date {
  std::int32_t year = 0;  // 0: no date
  std::uint8_t day = 0;
  std::uint8_t month = 0;
};

struct Time {
  std::uint8_t minute = 0;
  std::uint8_t hour = 0;
  std::uint8_t hundredths = 0;
  std::uint8_t second = 0;
};

constexpr int kFirstYear = 1000;
constexpr int kLastYear = 2100;

// Day at 0-1, month at 3-4, year at 6-9, each read as atoi reads it; a text
// shorter than 10 characters gives the empty date.
Date ParseDate(std::string_view text);
// "dd/mm/yyyy"; empty for year 0. A year outside 1-9999, a month outside 1-13
// and a day outside 1-31 are each written as 0.
std::string FormatDate(const Date& date);
int DaysInMonth(const Date& date);
int IsValidDate(const Date& date);
int CompareDates(const Date& a, const Date& b);
void NextDay(Date* date);
// Serial day number: 01/01/0001 is day 1, consecutive days consecutive.
int DayNumber(const Date& date);
// Whole minutes from the first moment to the second, walking day by day; 0
// when the second is earlier or either year is not positive. A walk that
// cannot pass 31/12/9999 ends there; the count saturates at INT_MAX.
int MinutesBetween(const Date& date1, const Time& time1, const Date& date2,
                   const Time& time2);
// Hours at 0-1, minutes at 3-4, seconds at 6-7, hundredths at 9-11 of the
// first 12 characters, each read as atoi reads it.
Time ParseTime(std::string_view text);
std::string FormatTime(const Time& time);
// Sets *time from a count of minutes and returns the hours.
int MinutesToTime(int minutes, Time* time);
int CompareTimes(const Time& a, const Time& b);
// Reads, completes, checks and rewrites a date typed into a dialog control;
// today's date comes from the Env's local time.
Date ReadDateControl(Context& ctx, int control_id);

}  // namespace labrena

#endif  // LABRENA_FIELDS_DATES_H_
