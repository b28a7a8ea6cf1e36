// Building expected records in tests from a layout: blank-padded fields at
// their offsets, distinct characters that show a range copied from the wrong
// place, and the payroll items of the old and new item blocks.
#ifndef LABRENA_TESTS_TESTING_LAYOUT_H_
#define LABRENA_TESTS_TESTING_LAYOUT_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace labrena {

inline std::string Pad(std::string_view text, std::size_t width) {
  std::string s(text);
  s.resize(width, ' ');
  return s;
}

// Distinct characters for the range [offset, offset + width) of a record.
inline std::string Pattern(std::size_t offset, std::size_t width) {
  static const char kChars[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string s;
  for (std::size_t i = offset; i < offset + width; ++i) s += kChars[i % 62];
  return s;
}

// A record of blanks with texts placed at (offset, width).
class Rec {
 public:
  explicit Rec(std::size_t length) : bytes_(length, ' ') {}
  Rec& Put(std::size_t offset, std::size_t width, std::string_view text) {
    EXPECT_LE(text.size(), width);
    EXPECT_LE(offset + width, bytes_.size());
    bytes_.replace(offset, text.size(), text);
    return *this;
  }
  // The pattern characters of the range, as an old record holds them.
  Rec& Copy(std::size_t offset, std::size_t width) {
    return Put(offset, width, Pattern(offset, width));
  }
  const std::string& str() const { return bytes_; }

 private:
  std::string bytes_;
};

// Old payroll item: reference 5, value 12, code 3.
inline std::string OldItem(std::string_view reference, std::string_view value,
                           std::string_view code) {
  return Pad(reference, 5) + Pad(value, 12) + Pad(code, 3);
}

// New payroll item: kind 1, code 3, reference 7, value 14.
inline std::string Entry(char kind, std::string_view code,
                         std::string_view reference, std::string_view value) {
  return std::string(1, kind) + std::string(code) + Pad(reference, 7) +
         Pad(value, 14);
}

}  // namespace labrena

#endif  // LABRENA_TESTS_TESTING_LAYOUT_H_
