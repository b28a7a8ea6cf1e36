// The sub-step groups of the fifth conversion step and what they share: the
// tables they name, the registration match and the yearly files.
#ifndef LABRENA_CONVERT_STEP5_INTERNAL_H_
#define LABRENA_CONVERT_STEP5_INTERNAL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/context.h"

namespace labrena {

inline constexpr std::int64_t kEmployerLength5 = 1000;  // F00R0.DAT
inline constexpr std::int64_t kRegisterLength5 = 814;   // F01R0.DAT
inline constexpr std::int64_t kBranchLength5 = 950;     // F04R0.DAT
inline constexpr std::int64_t kMergedLength5 = 809;     // F07R0.DAT
inline constexpr std::int64_t kWorkerLength5 = 2000;    // F16R0.DAT
inline constexpr std::int64_t kLeaveLength5 = 500;      // F21R1.DAT
inline constexpr std::int64_t kRubricLength5 = 300;     // F31R0.DAT
inline constexpr std::int64_t kJobLength5 = 250;        // F35R0.DAT
inline constexpr std::int64_t kScheduleLength5 = 250;   // F36R0.DAT

// The used-code map: one character a code of each range, "1" for a code in
// use. It starts as the number 0 right-justified in 100000 characters.
class UsedCodes {
 public:
  static constexpr int kSize = 100000;
  UsedCodes() : map_(kSize - 1, ' ') { map_ += '0'; }
  void Use(int position) { map_[static_cast<std::size_t>(position)] = '1'; }
  char At(int position) const {
    return map_[static_cast<std::size_t>(position)];
  }

 private:
  std::string map_;
};

// A range of the map: its start, its highest code, and the next code that
// has not been examined yet.
struct CodeRange {
  int start;
  int highest;
  long next = 1;  // NOLINT(runtime/int): shown with "%ld"
};
inline constexpr int kMergedStart = 0;
inline constexpr int kScheduleStart = 50000;
inline constexpr int kHighestCode = 50000;


// The lowest free code of a range as five digits, or an empty text after
// the CodFree message. A code handed out is not marked: the counter moving
// past it keeps it from being handed out again.
std::string CodFree(Context& ctx, const UsedCodes& map, CodeRange* range);

// Sub-steps 1 to 9: the used-code map, the origin flags, the merge of
// F02R1.DAT into F07R0.DAT and the job and schedule registers. False when a
// failure was told and the rest of the step must wait for the next run.
bool RenumberCodes(Context& ctx);
// The tagged patches "617", "618", "619", "620" and "622", in that order;
// false at the first that failed (the later ones wait for the next run).
bool PatchTablesTo622(Context& ctx);
// F21R0.DAT to F21R1.DAT; false after a failure.
bool ConvertLeaves(Context& ctx);
// The tagged patches "624", "627" and "628"; false after a failure.
bool PatchTablesTo628(Context& ctx);

// How a stored registration number matches an earlier one: equal first 14
// characters when the earlier one is 14 characters long; otherwise, when it
// is not empty, equal first 10 characters, a full match when characters 11
// to 18 are equal too. Letters A-Z compare without case; both numbers are
// taken with trailing blanks removed.
enum class RegistrationMatch { kNone, kFull, kSameRoot };
RegistrationMatch MatchRegistration(std::string_view stored,
                                    std::string_view earlier);

}  // namespace labrena

#endif  // LABRENA_CONVERT_STEP5_INTERNAL_H_
