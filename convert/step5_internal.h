// The sub-step groups of the fifth conversion step and what they share: the
// tables they name, the registration match and the yearly files.
#ifndef LABRENA_CONVERT_STEP5_INTERNAL_H_
#define LABRENA_CONVERT_STEP5_INTERNAL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/patch.h"
#include "platform/context.h"
#include "records/damaged.h"

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

// A field of a record: its offset and its width.
struct Field {
  std::size_t offset;
  std::size_t width;
};

// One record of a table that a patch edits in its copy: reads give the
// record as read (a record cut short completed with blanks), writes go to
// the copy at once.
struct RecordEdit {
  FileStream* file;
  std::int64_t start;
  std::string record;
  std::int64_t present;  // the characters of the record that the data holds

  bool deleted() const { return record.back() == '+'; }
  bool live() const { return !deleted(); }
  char At(std::size_t offset) const { return record[offset]; }
  // The field as the product reads it: text up to a zero byte.
  std::string Text(std::size_t offset, std::size_t width) const;
  // The same without its trailing blanks.
  std::string Value(std::size_t offset, std::size_t width) const;
  std::string Get(Field field) const {
    return Value(field.offset, field.width);
  }
  // True when the record's data goes as far as the field.
  bool Reaches(Field field) const {
    return static_cast<std::int64_t>(field.offset) < present;
  }
  // Writes text left-justified and blank-padded into the field.
  void Put(std::size_t offset, std::size_t width, std::string_view text);
  void Set(Field field, std::string_view text) {
    Put(field.offset, field.width, text);
  }
  // A deleted record ends in '+'.
  void MarkDeleted() { Put(record.size() - 1, 1, "+"); }
};

// Calls edit for every record of the patch's copy of a file, from the
// first. Nothing happens to a file that does not exist, or once the patch
// has failed; a copy that cannot be read to its end fails the patch.
template <typename Fn>
void EditRecords(Patch& patch, const std::string& name, std::size_t length,
                 Fn edit) {
  FileStream* file = patch.failed() ? nullptr : patch.Edit(name);
  if (!file || !file->Seek(0)) return;
  RecordReader reader(file, length);
  RecordEdit e{file, 0, std::string(), 0};
  for (; reader.Next(&e.record);
       e.start += static_cast<std::int64_t>(length)) {
    e.present = file->Size() - e.start;
    edit(e);
  }
  if (reader.failed() || file->error()) patch.Fail(name);
}

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
