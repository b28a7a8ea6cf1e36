#include "platform/names.h"

#include <algorithm>

namespace labrena {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  std::string p = UpperAscii(pattern), n = UpperAscii(name);
  // Iterative matcher with one backtrack point for the last '*'.
  std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

void SortListing(std::vector<DirEntry>* entries) {
  std::stable_sort(entries->begin(), entries->end(),
                   [](const DirEntry& a, const DirEntry& b) {
                     return UpperAscii(a.name) < UpperAscii(b.name);
                   });
}

void SplitPattern(const std::string& pattern, std::string* folder,
                  std::string* last) {
  std::size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string::npos) {
    folder->clear();
    *last = pattern;
  } else {
    *folder = pattern.substr(0, cut);
    *last = pattern.substr(cut + 1);
  }
}

bool PassesMask(const DirEntry& entry, int attribute_mask) {
  if (entry.is_dir && !(attribute_mask & kAttrSubdir)) return false;
  if (entry.hidden && !(attribute_mask & kAttrHidden)) return false;
  if (entry.system && !(attribute_mask & kAttrSystem)) return false;
  return true;
}

}  // namespace labrena
