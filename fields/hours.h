// Worked hours of a shift, with night minutes (22:00 to 05:00) weighted so
// that 52 and a half minutes of night work count as one hour.
#ifndef LABRENA_FIELDS_HOURS_H_
#define LABRENA_FIELDS_HOURS_H_

#include <string>

#include "fields/dates.h"

namespace labrena {

// Minutes from t1 to t2, across midnight when t1 is not earlier than t2,
// each night minute divided by 0.875. Only hours and minutes count.
double NightWeightedMinutes(const Time& t1, const Time& t2);

// The worked hours and break length, "hh:mm" or empty, of a shift given by
// its start, end, break start and break end times (trailing blanks are
// removed from the four in place). A break that does not end after it
// starts ends on the following day; a shift without a start or an end has
// no worked hours.
void ShiftHours(std::string* start, std::string* end, std::string* break_start,
                std::string* break_end, std::string* worked,
                std::string* break_length);

}  // namespace labrena

#endif  // LABRENA_FIELDS_HOURS_H_
