#include "fields/hours.h"

#include "fields/numbers.h"
#include "fields/text.h"

namespace labrena {

namespace {

constexpr int kNightEndHour = 5;
constexpr int kNightStartHour = 22;
constexpr double kNightFactor = 0.875;
constexpr double kDayFactor = 1.0;

struct Window {
  int start_hour;
  int end_hour;
  double factor;
};
constexpr Window kWindows[] = {
    {0, kNightEndHour, kNightFactor},
    {kNightEndHour, kNightStartHour, kDayFactor},
    {kNightStartHour, 24, kNightFactor},
};

// A moment as minutes of its day, clamped into [start_hour, end_hour] by its
// hour alone.
int ClampedMinutes(int hour, int minute, const Window& window) {
  if (hour < window.start_hour) return window.start_hour * 60;
  if (hour < window.end_hour) return hour * 60 + minute;
  return window.end_hour * 60;
}

// The weighted minutes from a to b of one day (b may be 24:00).
double WeighPart(int a_hour, int a_minute, int b_hour, int b_minute) {
  double sum = 0;
  for (const Window& window : kWindows) {
    int minutes = ClampedMinutes(b_hour, b_minute, window) -
                  ClampedMinutes(a_hour, a_minute, window);
    if (minutes > 0) sum += minutes / window.factor;
  }
  return sum;
}

// "hh:mm" of a count of minutes, kept to its five characters.
std::string HoursText(int minutes) {
  return CutText(Format("%02d:%02d", minutes / 60, minutes % 60), 5);
}

}  // namespace

double NightWeightedMinutes(const Time& t1, const Time& t2) {
  if (CompareTimes(t1, t2) >= 0) {
    return WeighPart(t1.hour, t1.minute, 24, 0) +
           WeighPart(0, 0, t2.hour, t2.minute);
  }
  return WeighPart(t1.hour, t1.minute, t2.hour, t2.minute);
}

void ShiftHours(std::string* start, std::string* end, std::string* break_start,
                std::string* break_end, std::string* worked,
                std::string* break_length) {
  worked->clear();
  break_length->clear();
  *start = TrimRight(*start);
  *end = TrimRight(*end);
  *break_start = TrimRight(*break_start);
  *break_end = TrimRight(*break_end);

  bool has_break = !break_start->empty() && !break_end->empty();
  Time from = ParseTime(*start), to = ParseTime(*end);
  Time pause = ParseTime(*break_start), resume = ParseTime(*break_end);
  if (has_break) {
    const Date day{2000, 1, 1};
    Date resume_day = day;
    if (CompareTimes(pause, resume) >= 0) NextDay(&resume_day);
    *break_length = HoursText(MinutesBetween(day, pause, resume_day, resume));
  }
  if (start->empty() || end->empty()) return;

  double total = has_break ? NightWeightedMinutes(from, pause) +
                                 NightWeightedMinutes(resume, to)
                           : NightWeightedMinutes(from, to);
  *worked = HoursText(static_cast<int>(total));
}

}  // namespace labrena
