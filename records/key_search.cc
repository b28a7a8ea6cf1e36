#include "records/key_search.h"

#include <algorithm>

#include "fields/text.h"

namespace labrena {
namespace {

constexpr int kLongestKey = 50;

char FoldAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equal over the search key's length, A-Z without case; a shorter read (the
// end of the file inside the key) never matches.
bool SameKey(const std::string& read, const std::string& search) {
  if (read.size() != search.size()) return false;
  for (std::size_t i = 0; i < search.size(); ++i) {
    if (FoldAscii(read[i]) != FoldAscii(search[i])) return false;
  }
  return true;
}

}  // namespace

int ReadField(Context& ctx, FileStream* file, std::int64_t n, std::string* out,
              int i, int control_id, const std::string& name, std::int64_t l,
              const std::vector<int>& widths) {
  out->clear();
  bool ok = false;
  File owned;
  if (n >= 0 && i >= 0 && static_cast<std::size_t>(i) < widths.size()) {
    FileStream* f = file;
    if (!f) {
      owned = OpenRead(ctx.env, name);
      f = owned.get();
    }
    if (f) {
      std::int64_t offset = 0;
      bool outside = false;
      for (int k = 0; k < i && !outside; ++k) {
        offset += widths[k];
        outside = l > 0 && offset >= l;
      }
      std::string value;
      if (!outside && widths[i] >= 0 && f->Seek(n * l + offset) &&
          ReadChars(f, &value, static_cast<std::size_t>(widths[i]))) {
        *out = TrimRight(value);
        ok = true;
      }
    }
  }
  CloseFile(owned);
  if (!ok) out->clear();
  if (control_id != 0) ctx.ui.SetControlText(control_id, *out);
  return ok ? 1 : 0;
}

int FindKey(Context& ctx, FileStream* file, const std::string& name,
            std::int64_t l, std::int64_t* n, const std::string& key,
            int key_offset, int key_length) {
  *n = -1;
  if (!HasText(key)) return 0;
  key_length = std::min(key_length, kLongestKey);
  if (l <= 0 || key_length <= 0 || key_offset < 0) return 0;
  File owned;
  FileStream* f = file;
  if (!f) {
    owned = OpenRead(ctx.env, name);
    f = owned.get();
  }
  if (!f) return 0;
  WaitCursor wait(ctx.ui);
  const std::size_t length = static_cast<std::size_t>(key_length);
  const std::string search = PadText(CutText(key, length), length);
  std::string read;
  for (std::int64_t record = 0;; ++record) {
    if (!f->Seek(record * l + key_offset) || !ReadChars(f, &read, length)) {
      break;
    }
    if (SameKey(read, search) && !IsDeleted(f, record, l)) {
      *n = record;
      break;
    }
  }
  CloseFile(owned);
  return *n >= 0 ? 1 : 0;
}

int FindKeyByName(Context& ctx, const std::string& name, std::int64_t l,
                  std::int64_t* n, const std::string& key, int key_offset,
                  int key_length) {
  return FindKey(ctx, nullptr, name, l, n, key, key_offset, key_length);
}

}  // namespace labrena
