// Reading fields through width tables, and finding a record by a key field.
#ifndef LABRENA_RECORDS_KEY_SEARCH_H_
#define LABRENA_RECORDS_KEY_SEARCH_H_

#include <cstdint>
#include <string>
#include <vector>

#include "records/record_file.h"

namespace labrena {

// Reads field i of record n through a width table into *out (trailing blanks
// removed). With no file the file is opened by name and closed again; a given
// file stays open, positioned after the field. When control_id is not 0 the
// value (also an empty one) is put into that control. 1 when read; on
// failure *out is empty.
int ReadField(Context& ctx, FileStream* file, std::int64_t n, std::string* out,
              int i, int control_id, const std::string& name, std::int64_t l,
              const std::vector<int>& widths);

// Finds the first record in use whose key field (offset, length; length at
// most 50) equals the key cut or padded to that length, A-Z compared without
// case. *n is the record's number, or -1. 1 when found.
int FindKey(Context& ctx, FileStream* file, const std::string& name,
            std::int64_t l, std::int64_t* n, const std::string& key,
            int key_offset, int key_length);
int FindKeyByName(Context& ctx, const std::string& name, std::int64_t l,
                  std::int64_t* n, const std::string& key, int key_offset,
                  int key_length);

}  // namespace labrena

#endif  // LABRENA_RECORDS_KEY_SEARCH_H_
