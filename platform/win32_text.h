// Windows-1252 texts at the edge of the ...W calls of Windows.
#ifndef LABRENA_PLATFORM_WIN32_TEXT_H_
#define LABRENA_PLATFORM_WIN32_TEXT_H_

#include <string>
#include <string_view>

namespace labrena {

std::wstring WideFromCp1252(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string Cp1252FromWide(std::wstring_view text);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_WIN32_TEXT_H_
