#include "platform/win32_text.h"

#include "platform/cp1252.h"

namespace labrena {

// wchar_t is UTF-16 on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring WideFromCp1252(std::string_view text) {
  std::u16string utf16 = Cp1252ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Cp1252FromWide(std::wstring_view text) {
  return Utf16ToCp1252(std::u16string(text.begin(), text.end()));
}

}  // namespace labrena
