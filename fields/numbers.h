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

double ParseAmount(std::string_view text);
std::string FormatNumber(double x, int decimals);
std::string FormatNumberTrim(double x, int fewest, int most);
double RoundCents(double x);
std::string KeepDigits(std::string_view text, std::size_t n);
std::string KeepAlnum(std::string_view text, std::size_t n);
std::string ZeroPadDigits(std::string_view text, std::size_t n);
std::string DropLeadingZeros(std::string_view text, std::size_t n);
std::string NormalizeDigits(std::string_view text, std::size_t n);

// snprintf into a std::string, for the product's format strings.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace labrena

#endif  // LABRENA_FIELDS_NUMBERS_H_
