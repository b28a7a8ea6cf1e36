// Name rules shared by every Env: case folding, wildcards, listing order.
#ifndef LABRENA_PLATFORM_NAMES_H_
#define LABRENA_PLATFORM_NAMES_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace labrena {

// ASCII A-Z folding, the only case folding the product knows.
std::string UpperAscii(std::string_view text);

// True when name matches a pattern of '*' and '?' without regard to ASCII
// letter case, as a Windows directory search matches ("*.*" matches all).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Sorts entries by their upper-cased names in byte order, as NTFS lists them;
// names that differ only in case follow each other in byte order.
void SortListing(std::vector<DirEntry>* entries);

// True when a name has a ".." component: it could leave its folder.
bool ClimbsOut(std::string_view name);

// True when a name found in a listing can be used as one component of a
// product name: it holds no '\', no '/' and no control character.
bool IsPlainComponent(std::string_view name);

// True when path (any separators) is folder or lies below it, with ASCII
// letter case ignored when fold_case is set.
bool IsBelow(std::string_view path, std::string_view folder, bool fold_case);

// Splits "R0%d\*.DAT" into its folder ("R01") and last component ("*.DAT").
void SplitPattern(const std::string& pattern, std::string* folder,
                  std::string* last);

// True when an entry passes a directory search's attribute mask: plain files
// always, folders, hidden and system entries only when their bits are set.
bool PassesMask(const DirEntry& entry, int attribute_mask);

// '\' and '/' both separate the components of a name.
bool IsSeparator(char c);
// "/...", "\..." and "C:..." are absolute, as the systems read them.
bool IsAbsolute(const std::string& name);
// The components of a name, without empty and "." ones.
std::vector<std::string> Components(const std::string& name);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_NAMES_H_
