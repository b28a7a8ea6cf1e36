#include "records/key_index.h"

#include <algorithm>

#include "fields/text.h"
#include "platform/names.h"
#include "records/record_file.h"

namespace labrena {
namespace {

// FindKey compares at most this many characters.
constexpr int kLongestKey = 50;

}  // namespace

KeyIndex::KeyIndex(FileStream* file, std::int64_t record_length, int key_offset,
                   int key_length)
    : record_length_(record_length),
      key_offset_(key_offset),
      key_length_(
          static_cast<std::size_t>(std::clamp(key_length, 0, kLongestKey))),
      usable_(file != nullptr && record_length > 0 && key_offset >= 0 &&
              key_length > 0) {
  if (!usable_) return;
  std::string read;
  for (;; ++stop_) {
    if (!file->Seek(stop_ * record_length_ + key_offset_) ||
        !ReadChars(file, &read, key_length_)) {
      break;
    }
    Take(stop_, read,
         read.size() == key_length_ &&
             IsDeleted(file, stop_, record_length_) == 1);
  }
}

void KeyIndex::Take(std::int64_t n, const std::string& read, bool deleted) {
  if (deleted || read.size() != key_length_) return;
  // emplace keeps the earlier record when the key is taken already.
  first_.emplace(UpperAscii(read), n);
}

std::int64_t KeyIndex::Find(std::string_view key) const {
  if (!usable_ || !HasText(key)) return -1;
  auto it =
      first_.find(UpperAscii(PadText(CutText(key, key_length_), key_length_)));
  return it == first_.end() ? -1 : it->second;
}

void KeyIndex::Add(std::int64_t n, std::string_view record) {
  if (!usable_ || n != stop_) return;
  std::size_t offset = static_cast<std::size_t>(key_offset_);
  if (offset >= record.size()) return;  // the search stops at this record
  // A read stops after a line feed. (Its text also ends at a zero byte, but
  // a key field holding one matches no key either way.)
  std::string_view field = record.substr(offset, key_length_);
  std::size_t line_end = field.find('\n');
  if (line_end != std::string_view::npos) field = field.substr(0, line_end + 1);
  ++stop_;
  bool deleted = static_cast<std::int64_t>(record.size()) == record_length_ &&
                 record.back() == '+';
  Take(n, std::string(field), deleted);
}

}  // namespace labrena
