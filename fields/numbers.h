// Numbers and money: reading texts in either separator convention, the
// Brazilian display form, rounding to cents, and digit strings.
#ifndef LABRENA_FIELDS_NUMBERS_H_
#define LABRENA_FIELDS_NUMBERS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace labrena {

// Reads a number as the product's runtime strtod does, decimal only: leading
// white space skipped, an optional sign, digits, one decimal point, stop at
// the first other character; no hex, exponent, inf or nan. 0 when none.
double ReadDouble(std::string_view text);
// Reads an integer as atol does: leading white space, an optional sign,
// digits, stop at the first other character. Saturates at the int64 range.
std::int64_t ReadLong(std::string_view text);

// A number in either convention (1.234,56 or 1,234.56) from the first 30
// characters: the rightmost "." or "," is the decimal point, the others and
// "e"/"E" are dropped, then ReadDouble.
double ParseAmount(std::string_view text);
// Display form: "-" when negative, integer digits grouped by ".", then ","
// and at most 6 decimals. An absolute value of 10^15 or more (or NaN) counts
// as 0, so every int64 file size can be passed.
std::string FormatNumber(double x, int decimals);
// Exactly what "%.2f" writes, faster for the amounts of whole cents that
// receipts hold.
std::string FormatCents(double x);
// FormatNumber with the most decimals, trailing zeros dropped down to the
// fewest, and a comma left at the end dropped.
std::string FormatNumberTrim(double x, int fewest, int most);
// Half up to cents, from the amount written with six decimals. A negative
// amount rounds as its absolute value does (callers pass none).
double RoundCents(double x);
// The digits of a text in order, at most n of them.
std::string KeepDigits(std::string_view text, std::size_t n);
// The ASCII letters and digits of a text in order, at most n of them.
std::string KeepAlnum(std::string_view text, std::size_t n);
// KeepDigits, right-aligned in exactly n positions behind "0"s.
std::string ZeroPadDigits(std::string_view text, std::size_t n);
// The leading "0" characters removed, then KeepDigits.
std::string DropLeadingZeros(std::string_view text, std::size_t n);
// The significant digits right-aligned in n positions: "0000012345" to 6
// gives "012345".
std::string NormalizeDigits(std::string_view text, std::size_t n);

// snprintf into a std::string, for the product's format strings.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace labrena

#endif  // LABRENA_FIELDS_NUMBERS_H_
