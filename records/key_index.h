// An in-memory index of one key field of a record file, for a step that
// searches the same file again and again. It answers exactly as FindKey
// (key_search.h) would on the same file: the first record in use whose key
// field equals the key cut or padded to the key length (at most 50), A-Z
// compared without case, other bytes exact.
#ifndef LABRENA_RECORDS_KEY_INDEX_H_
#define LABRENA_RECORDS_KEY_INDEX_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/file_stream.h"

namespace labrena {

class KeyIndex {
 public:
  // Reads the key field of every record that the search reaches in the open
  // file, from record 0 on; the file is left positioned anywhere.
  KeyIndex(FileStream* file, std::int64_t record_length, int key_offset,
           int key_length);
  KeyIndex(const KeyIndex&) = delete;
  KeyIndex& operator=(const KeyIndex&) = delete;

  // The number of the record FindKey would give, or -1.
  std::int64_t Find(std::string_view key) const;

  // Takes in record n, whose record_length bytes were just appended to a
  // file of whole records; records must be added in file order, none left
  // out. The key field, which lies inside the record, is taken as a binary
  // read (OpenRead) gives it.
  void Add(std::int64_t n, std::string_view record);

 private:
  // Takes in record n when its key field could be read as `read`.
  void Take(std::int64_t n, const std::string& read, bool deleted);

  std::int64_t record_length_;
  int key_offset_;
  std::size_t key_length_;
  bool usable_;  // false for arguments with which FindKey finds nothing
  // The search stops at the first record whose key field it cannot read:
  // the end of the file, which an added record moves along, or in text mode
  // a 0x1A byte, beyond which no record is ever found.
  std::int64_t stop_ = 0;
  // Key field with A-Z folded to capitals -> first record in use holding it.
  std::unordered_map<std::string, std::int64_t> first_;
};

}  // namespace labrena

#endif  // LABRENA_RECORDS_KEY_INDEX_H_
