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
                     std::string ua = UpperAscii(a.name);
                     std::string ub = UpperAscii(b.name);
                     return ua != ub ? ua < ub : a.name < b.name;
                   });
}

bool ClimbsOut(std::string_view name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

bool IsPlainComponent(std::string_view name) {
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '/' || u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

bool IsBelow(std::string_view path, std::string_view folder, bool fold_case) {
  auto same = [fold_case](char a, char b) {
    if (a == '\\') a = '/';
    if (b == '\\') b = '/';
    if (fold_case) {
      if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
      if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    }
    return a == b;
  };
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
    folder.remove_suffix(1);
  }
  if (path.size() < folder.size()) return false;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (!same(path[i], folder[i])) return false;
  }
  return path.size() == folder.size() || path[folder.size()] == '/' ||
         path[folder.size()] == '\\' || folder.empty();
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

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "/...", "\..." and "C:..." are absolute, as the systems read them.
bool IsAbsolute(const std::string& name) {
  return (!name.empty() && IsSeparator(name[0])) ||
         (name.size() >= 2 && name[1] == ':');
}

std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

}  // namespace labrena
