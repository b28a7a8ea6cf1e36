#include "fields/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "fields/text.h"

namespace labrena {

namespace {

// The C text of a view: it ends at its first zero byte.
std::string_view CText(std::string_view text) {
  std::size_t end = text.find('\0');
  return end == std::string_view::npos ? text : text.substr(0, end);
}

// White space as the C locale's isspace sees it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Skips white space and reads an optional sign; returns the index after them.
std::size_t SkipSpaceAndSign(std::string_view text, bool* negative) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  *negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    *negative = text[i] == '-';
    ++i;
  }
  return i;
}

}  // namespace

double ReadDouble(std::string_view text) {
  text = CText(text);
  bool negative;
  std::size_t i = SkipSpaceAndSign(text, &negative);
  std::string number;  // "digits.digits", at least one digit on each side
  bool any_digit = false;
  bool nonzero_integer = false;
  while (i < text.size() && IsDigit(text[i])) {
    nonzero_integer |= text[i] != '0';
    number += text[i++];
    any_digit = true;
  }
  if (number.empty()) number = "0";
  number += '.';
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      any_digit = true;
    }
  }
  if (!any_digit) return 0.0;  // no conversion: strtod gives 0
  number += '0';
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(),
                                value, std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // strtod's answers: HUGE_VAL on overflow, zero on underflow.
    value = nonzero_integer ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

std::int64_t ReadLong(std::string_view text) {
  text = CText(text);
  bool negative;
  std::size_t i = SkipSpaceAndSign(text, &negative);
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  // Accumulates towards the sign's side so that the minimum is reachable.
  std::int64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (saturated) continue;
    int digit = text[i] - '0';
    if (negative) {
      if (value < (kMin + digit) / 10) {
        value = kMin;
        saturated = true;
      } else {
        value = value * 10 - digit;
      }
    } else {
      if (value > (kMax - digit) / 10) {
        value = kMax;
        saturated = true;
      } else {
        value = value * 10 + digit;
      }
    }
  }
  return value;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string out;
  if (n < 0) {
    va_end(again);
    return out;
  }
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(n));
  } else {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return out;
}

}  // namespace labrena
