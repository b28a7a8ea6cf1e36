// New records built from old ones through layout tables: each field of the
// new record is a run of old characters, left-justified and padded with
// blanks to its width, or a value the step works out.
#ifndef LABRENA_CONVERT_LAYOUT_H_
#define LABRENA_CONVERT_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/context.h"

namespace labrena {

// One field of a new record: its width, and the characters of the old record
// it holds (from, length), left-justified and blank-padded. A length of 0
// gives blanks; from == kComputed takes the next value the step works out.
struct NewField {
  int width;
  int from;
  int length;
};
constexpr int kComputed = -1;

template <std::size_t N>
constexpr int RecordLength(const NewField (&fields)[N]) {
  int length = 0;
  for (const NewField& field : fields) length += field.width;
  return length;
}

// Builds a new record from an old one through a layout table. Every value is
// C text (it ends at a zero byte), cut or padded to its field's width.
std::string BuildRecord(std::string_view old_record,
                        std::span<const NewField> fields,
                        std::initializer_list<std::string_view> computed = {});

// True when the name is a file of the data folder (not a folder).
bool IsFile(Env& env, const std::string& name);

// Converting an old register file into a new one, record by record.
struct RegisterConversion {
  const char* source;
  std::size_t old_length;
  const char* target;
  std::size_t new_length;
  // The new record of an old one; false when the old record gives none.
  std::function<bool(std::string_view old, std::string* record)> convert;
  int limit = 0;                // records read at most; 0 for all
  const char* status = nullptr;  // shown on the status line for each record
  // Work that stands or falls with the conversion, given the count of old
  // records read; false fails the conversion.
  std::function<bool(std::int64_t records)> complete = nullptr;
};
constexpr int kFirstRecordOnly = 1;

// Converts the records of source into target when target does not exist
// yet, then retires source also when target existed (the retired copy keeps
// its content). A failure is told, undone and noted (false).
bool ConvertRegister(Context& ctx, const RegisterConversion& conversion);

// The new record of every old record, through fn (for conversions that
// write one record for each old one).
template <typename Fn>
auto EveryRecord(Fn fn) {
  return [fn](std::string_view old, std::string* record) {
    *record = fn(old);
    return true;
  };
}

}  // namespace labrena

#endif  // LABRENA_CONVERT_LAYOUT_H_
