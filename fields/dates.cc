#include "fields/dates.h"

#include <climits>
#include <cstdint>

#include "fields/numbers.h"
#include "fields/text.h"

namespace labrena {

namespace {


// atoi of the characters [pos, pos + n) of a text, as far as they exist.
int NumberAt(std::string_view text, std::size_t pos, std::size_t n) {
  if (pos >= text.size()) return 0;
  std::int64_t value = ReadLong(text.substr(pos, n));
  return static_cast<int>(value);
}

bool IsLeapYear(int year) { return year % 4 == 0; }

// The character at i of a text, or the terminating zero past its end.
char At(std::string_view text, std::size_t i) {
  return i < text.size() ? text[i] : '\0';
}

// One part of a typed date: "d" or "dd", then an optional separator. Sets
// *part to the two-digit text (empty when the text does not start with a
// digit) and returns the rest of the text.
std::string_view SplitDatePart(std::string_view text, std::string* part) {
  part->clear();
  if (!IsDigit(At(text, 0))) return std::string_view();
  if (IsDigit(At(text, 1))) {
    *part = std::string(text.substr(0, 2));
    std::size_t rest = IsDigit(At(text, 2)) ? 2 : 3;
    return rest < text.size() ? text.substr(rest) : std::string_view();
  }
  *part = std::string("0") + text[0];
  return text.size() > 2 ? text.substr(2) : std::string_view();
}

}  // namespace

Date ParseDate(std::string_view text) {
  text = CText(text);
  Date date;
  if (text.size() < 10) return date;
  date.day = static_cast<std::uint8_t>(NumberAt(text, 0, 2));
  date.month = static_cast<std::uint8_t>(NumberAt(text, 3, 2));
  date.year = NumberAt(text, 6, 4);
  return date;
}

std::string FormatDate(const Date& date) {
  if (date.year == 0) return std::string();
  int year = date.year >= 1 && date.year <= 9999 ? date.year : 0;
  int month = date.month >= 1 && date.month <= 13 ? date.month : 0;
  int day = date.day >= 1 && date.day <= 31 ? date.day : 0;
  return Format("%02d/%02d/%04d", day, month, year);
}

int DaysInMonth(const Date& date) {
  switch (date.month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: case 13:
      return 31;
    case 4: case 6: case 9: case 11:
      return 30;
    case 2:
      return IsLeapYear(date.year) ? 29 : 28;
    default:
      return 0;
  }
}

int IsValidDate(const Date& date) {
  return date.day >= 1 && date.day <= DaysInMonth(date) && date.month >= 1 &&
         date.month <= 12 && date.year >= kFirstYear && date.year <= kLastYear;
}

int CompareDates(const Date& a, const Date& b) {
  if (a.year != b.year) return a.year < b.year ? -1 : 1;
  if (a.month != b.month) return a.month < b.month ? -1 : 1;
  if (a.day != b.day) return a.day < b.day ? -1 : 1;
  return 0;
}

void NextDay(Date* date) {
  if (date->month == 13) date->month = 12;
  if (date->day >= DaysInMonth(*date)) {
    date->day = 1;
    if (date->month >= 12) {
      date->month = 1;
      if (date->year <= 9998) ++date->year;
    } else {
      ++date->month;
    }
  } else {
    ++date->day;
  }
}

int DayNumber(const Date& date) {
  Date d = date;
  if (d.day == 0) d.day = 1;
  if (d.month == 0) d.month = 1;
  if (d.month == 13) d.month = 12;
  if (d.year <= 0) d.year = 1;
  std::int64_t day_of_year = d.day;
  for (int month = 1; month < d.month; ++month) {
    day_of_year += DaysInMonth(Date{d.year, 1, static_cast<std::uint8_t>(month)});
  }
  std::int64_t year = d.year;
  return static_cast<int>(year * 365 + (year - 1) / 4 + day_of_year - 365);
}

int MinutesBetween(const Date& date1, const Time& time1, const Date& date2,
                   const Time& time2) {
  if (date1.year <= 0 || date2.year <= 0) return 0;
  std::int64_t total = 0;
  bool first = true;
  for (Date d = date1; CompareDates(d, date2) <= 0;) {
    int start = first ? time1.hour * 60 + time1.minute : 0;
    int end = CompareDates(d, date2) < 0 ? 24 * 60
                                         : time2.hour * 60 + time2.minute;
    if (end - start > 0) total += end - start;
    first = false;
    Date next = d;
    NextDay(&next);
    // The calendar stops at 31/12/9999; a walk that cannot move on ends.
    if (CompareDates(next, d) <= 0) break;
    d = next;
  }
  return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

Time ParseTime(std::string_view text) {
  text = CText(text).substr(0, 12);
  Time time;
  time.hour = static_cast<std::uint8_t>(NumberAt(text, 0, 2));
  time.minute = static_cast<std::uint8_t>(NumberAt(text, 3, 2));
  time.second = static_cast<std::uint8_t>(NumberAt(text, 6, 2));
  time.hundredths = static_cast<std::uint8_t>(NumberAt(text, 9, 3));
  return time;
}

std::string FormatTime(const Time& time) {
  return Format("%02d:%02d", time.hour, time.minute);
}

int MinutesToTime(int minutes, Time* time) {
  if (minutes < 0) minutes = 0;
  int hours = minutes / 60;
  time->hour = static_cast<std::uint8_t>(hours);
  time->minute = static_cast<std::uint8_t>(minutes % 60);
  time->second = 0;
  time->hundredths = 0;
  return hours;
}

int CompareTimes(const Time& a, const Time& b) {
  if (a.hour != b.hour) return a.hour < b.hour ? -1 : 1;
  if (a.minute != b.minute) return a.minute < b.minute ? -1 : 1;
  if (a.second != b.second) return a.second < b.second ? -1 : 1;
  if (a.hundredths != b.hundredths) return a.hundredths < b.hundredths ? -1 : 1;
  return 0;
}

Date ReadDateControl(Context& ctx, int control_id) {
  std::string typed = CutText(ctx.ui.GetControlText(control_id, 10), 10);
  std::string text;
  if (!typed.empty()) {
    std::string padded = PadText(typed, 10);
    std::string day_part, month_part;
    std::string_view rest = SplitDatePart(padded, &day_part);
    rest = SplitDatePart(rest, &month_part);
    std::string_view year_part = rest.substr(0, 4);

    LocalTime now = ctx.env.Now();
    Date date{now.year, static_cast<std::uint8_t>(now.day),
              static_cast<std::uint8_t>(now.month)};
    date.day = static_cast<std::uint8_t>(ReadLong(day_part));
    int month = static_cast<int>(ReadLong(month_part));
    if (month > 0) date.month = static_cast<std::uint8_t>(month);
    int year = static_cast<int>(ReadLong(year_part));
    if (year > 0) date.year = year;
    if (IsValidDate(date)) text = FormatDate(date);
  }
  ctx.ui.SetControlText(control_id, text);
  return ParseDate(text);
}

}  // namespace labrena
