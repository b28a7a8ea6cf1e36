// Fixed-width text fields: Windows-1252 bytes, blank-padded; a blank is 0x20
// only. Texts are C texts: where a buffer would hold a zero byte, the text
// ends there.
#ifndef LABRENA_FIELDS_TEXT_H_
#define LABRENA_FIELDS_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace labrena {

// The C text of a view: it ends at its first zero byte.
std::string_view CText(std::string_view text);

bool IsDigit(char c);
// Digits and the ASCII letters only; bytes 128 to 255 are not letters.
bool IsAlnum(char c);
// A longer text is cut to n characters; a shorter one is unchanged.
std::string CutText(std::string_view text, std::size_t n);
// Exactly n bytes of a record buffer (the source provides n bytes).
std::string CopyFixed(const char* source, std::size_t n);
// Cut at n, or filled with blanks up to n.
std::string PadText(std::string_view text, std::size_t n);
// Removes trailing blanks (0x20 only).
std::string TrimRight(std::string_view text);
// True when any character is not a blank.
bool HasText(std::string_view text);
// True when both texts are equal with ASCII letters A-Z compared without
// regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);
// True when text begins with prefix, compared as EqualNoCase does.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Two-byte UTF-8 sequences of U+0080 to U+00FF become single bytes.
std::string DecodeUtf8Latin(std::string_view text);
// DecodeUtf8Latin, then every byte from 1 to 31 becomes a blank.
std::string CleanText(std::string_view text);

}  // namespace labrena

#endif  // LABRENA_FIELDS_TEXT_H_
