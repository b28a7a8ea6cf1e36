#include "fields/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "fields/text.h"

namespace labrena {

namespace {


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
  // "digits.digits0", at least one digit on each side; built on the stack
  // unless the text is long.
  char stack[64];
  std::string heap;
  char* number = stack;
  if (text.size() + 3 > sizeof stack) {
    heap.resize(text.size() + 3);
    number = heap.data();
  }
  std::size_t length = 0;
  bool any_digit = false;
  bool nonzero_integer = false;
  while (i < text.size() && IsDigit(text[i])) {
    nonzero_integer |= text[i] != '0';
    number[length++] = text[i++];
    any_digit = true;
  }
  if (length == 0) number[length++] = '0';
  number[length++] = '.';
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      number[length++] = text[i++];
      any_digit = true;
    }
  }
  if (!any_digit) return 0.0;  // no conversion: strtod gives 0
  number[length++] = '0';
  double value = 0.0;
  auto result = std::from_chars(number, number + length, value,
                                std::chars_format::fixed);
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

double ParseAmount(std::string_view text) {
  text = CText(text).substr(0, 30);
  // The rightmost separator is the decimal point, the others are thousands
  // separators; exponent letters are dropped.
  std::size_t point = std::string_view::npos;
  for (std::size_t i = text.size(); i-- > 0;) {
    if (text[i] == '.' || text[i] == ',') {
      point = i;
      break;
    }
  }
  char number[30];
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (i == point) {
      number[length++] = '.';
    } else if (c != '.' && c != ',' && c != 'e' && c != 'E') {
      number[length++] = c;
    }
  }
  return ReadDouble(std::string_view(number, length));
}

std::string FormatCents(double x) {
  // A value within a millionth of a cent of a whole number of cents is far
  // from the half cents where "%.2f" rounds (the product of x and 100 is
  // off by far less below 10^13), so that number of cents is the answer.
  double cents = x * 100;
  double whole = std::nearbyint(cents);
  if (!(std::fabs(cents) < 1e13) || std::fabs(cents - whole) >= 1e-6 ||
      (whole == 0 && std::signbit(x))) {
    return Format("%.2f", x);
  }
  auto n = static_cast<std::int64_t>(std::fabs(whole));
  std::string out = whole < 0 ? "-" : "";
  out += std::to_string(n / 100);
  out += '.';
  out += static_cast<char>('0' + n / 10 % 10);
  out += static_cast<char>('0' + n % 10);
  return out;
}

std::string FormatNumber(double x, int decimals) {
  if (!(std::fabs(x) < 1e15)) x = 0.0;  // NaN counts as 0 too
  if (decimals > 6) decimals = 6;
  if (decimals < 0) decimals = 0;
  std::string fixed = decimals == 2 ? FormatCents(std::fabs(x))
                                    : Format("%.*f", decimals, std::fabs(x));
  std::size_t integer_digits = fixed.find('.');
  if (integer_digits == std::string::npos) integer_digits = fixed.size();
  std::string out;
  if (x < 0) out += '-';
  for (std::size_t i = 0; i < integer_digits; ++i) {
    if (i > 0 && (integer_digits - i) % 3 == 0) out += '.';
    out += fixed[i];
  }
  if (decimals > 0) {
    out += ',';
    out += fixed.substr(integer_digits + 1);
  }
  return out;
}

std::string FormatNumberTrim(double x, int fewest, int most) {
  std::string out = FormatNumber(x, most);
  for (int removed = 0; removed < most - fewest && !out.empty() &&
                        out.back() == '0';
       ++removed) {
    out.pop_back();
  }
  if (!out.empty() && out.back() == ',') out.pop_back();
  return out;
}

double RoundCents(double x) {
  if (!std::isfinite(x)) return x;
  // Callers pass non-negative amounts; a negative one rounds as its absolute
  // value does, half away from zero.
  if (x < 0) return -RoundCents(-x);
  std::string text = Format("%.6f", x);
  std::size_t point = text.rfind('.');
  bool round_up = text[point + 3] >= '5';
  text.resize(point + 3);
  double rounded = ReadDouble(text);
  return round_up ? rounded + 0.01 : rounded;
}

std::string KeepDigits(std::string_view text, std::size_t n) {
  std::string out;
  for (char c : CText(text)) {
    if (out.size() >= n) break;
    if (IsDigit(c)) out += c;
  }
  return out;
}

std::string KeepAlnum(std::string_view text, std::size_t n) {
  std::string out;
  for (char c : CText(text)) {
    if (out.size() >= n) break;
    if (IsAlnum(c)) out += c;
  }
  return out;
}

std::string ZeroPadDigits(std::string_view text, std::size_t n) {
  std::string digits = KeepDigits(text, n);
  return std::string(n - digits.size(), '0') + digits;
}

std::string DropLeadingZeros(std::string_view text, std::size_t n) {
  text = CText(text);
  std::size_t first = text.find_first_not_of('0');
  if (first == std::string_view::npos) first = text.size();
  return KeepDigits(text.substr(first), n);
}

std::string NormalizeDigits(std::string_view text, std::size_t n) {
  return ZeroPadDigits(DropLeadingZeros(text, n), n);
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
