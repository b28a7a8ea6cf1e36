// Windows-1252, the product's character set, converted at the front ends'
// edge: to UTF-8 for a POSIX terminal, to UTF-16 for the Win32 ...W calls.
#ifndef LABRENA_PLATFORM_CP1252_H_
#define LABRENA_PLATFORM_CP1252_H_

#include <string>
#include <string_view>

namespace labrena {

// The Unicode code point of a Windows-1252 byte. The five bytes that
// Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) map to the C1 control of
// the same value, as Windows does.
char32_t Cp1252ToUnicode(unsigned char byte);

std::string Cp1252ToUtf8(std::string_view text);
std::u16string Cp1252ToUtf16(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string Utf16ToCp1252(std::u16string_view text);
std::string Utf8ToCp1252(std::string_view text);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_CP1252_H_
