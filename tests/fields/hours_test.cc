#include "fields/hours.h"

#include <string>

#include <gtest/gtest.h>

namespace labrena {
namespace {

struct Shift {
  std::string worked;
  std::string break_length;
};

Shift Compute(std::string start, std::string end, std::string break_start,
              std::string break_end) {
  Shift shift{"stale", "stale"};
  ShiftHours(&start, &end, &break_start, &break_end, &shift.worked,
             &shift.break_length);
  return shift;
}

Time T(int hour, int minute) {
  Time t;
  t.hour = static_cast<std::uint8_t>(hour);
  t.minute = static_cast<std::uint8_t>(minute);
  return t;
}

TEST(NightWeightedMinutesTest, NightMinutesCountMore) {
  EXPECT_DOUBLE_EQ(NightWeightedMinutes(T(8, 0), T(17, 0)), 540);
  // 420 night minutes across midnight.
  EXPECT_DOUBLE_EQ(NightWeightedMinutes(T(22, 0), T(5, 0)), 480);
  EXPECT_DOUBLE_EQ(NightWeightedMinutes(T(4, 30), T(22, 30)),
                   30 / 0.875 + 1020 + 30 / 0.875);
  // Equal times: the whole day, 7 night hours and 17 day hours.
  EXPECT_DOUBLE_EQ(NightWeightedMinutes(T(12, 0), T(12, 0)), 480 + 1020);
  EXPECT_DOUBLE_EQ(NightWeightedMinutes(T(23, 15), T(23, 45)), 30 / 0.875);
}

TEST(ShiftHoursTest, WorkedHoursAndBreak) {
  Shift day = Compute("08:00", "17:00", "12:00", "13:00");
  EXPECT_EQ(day.worked, "08:00");
  EXPECT_EQ(day.break_length, "01:00");

  Shift night = Compute("22:00", "05:00", "", "");
  EXPECT_EQ(night.worked, "08:00");
  EXPECT_EQ(night.break_length, "");

  // 1088.57 minutes, the fraction dropped.
  EXPECT_EQ(Compute("04:30", "22:30", "", "").worked, "18:08");

  // A break across midnight: 23:30 to 00:30 is 60 minutes; worked
  // 20:00-23:30 (120 day + 90 night) and 00:30-04:00 (210 night).
  Shift late = Compute("20:00", "04:00", "23:30", "00:30");
  EXPECT_EQ(late.break_length, "01:00");
  EXPECT_EQ(late.worked, "07:42");  // 120 + 300 / 0.875 = 462.86
}

TEST(ShiftHoursTest, IncompleteTimes) {
  EXPECT_EQ(Compute("08:00", "17:00", "12:00", "12:00").break_length,
            "24:00");

  Shift no_end = Compute("08:00", "     ", "12:00", "13:00");
  EXPECT_EQ(no_end.worked, "");
  EXPECT_EQ(no_end.break_length, "01:00");

  Shift half_break = Compute("08:00", "17:00", "12:00", "");
  EXPECT_EQ(half_break.worked, "09:00");
  EXPECT_EQ(half_break.break_length, "");
}

TEST(ShiftHoursTest, TrimsTheInputsInPlace) {
  std::string start = "08:00 ", end = "12:00", pause = "     ", resume = " ";
  std::string worked, break_length;
  ShiftHours(&start, &end, &pause, &resume, &worked, &break_length);
  EXPECT_EQ(start, "08:00");
  EXPECT_EQ(pause, "");
  EXPECT_EQ(resume, "");
  EXPECT_EQ(worked, "04:00");
}

}  // namespace
}  // namespace labrena
