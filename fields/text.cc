#include "fields/text.h"

namespace labrena {

namespace {

constexpr char kBlank = ' ';


}  // namespace

std::string_view CText(std::string_view text) {
  std::size_t end = text.find('\0');
  return end == std::string_view::npos ? text : text.substr(0, end);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAlnum(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string CutText(std::string_view text, std::size_t n) {
  text = CText(text);
  return std::string(text.substr(0, n));
}

std::string CopyFixed(const char* source, std::size_t n) {
  return std::string(CText(std::string_view(source, n)));
}

std::string PadText(std::string_view text, std::size_t n) {
  std::string out = CutText(text, n);
  out.resize(n, kBlank);
  return out;
}

std::string TrimRight(std::string_view text) {
  text = CText(text);
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == kBlank) --end;
  return std::string(text.substr(0, end));
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool HasText(std::string_view text) {
  return CText(text).find_first_not_of(kBlank) != std::string_view::npos;
}

std::string DecodeUtf8Latin(std::string_view text) {
  text = CText(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned char d =
        i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((c == 0xC2 || c == 0xC3) && d >= 0x80 && d <= 0xBF) {
      if (c == 0xC3) {
        out += static_cast<char>(d + 0x40);
      } else if (d >= 0xA1) {
        out += static_cast<char>(d);
      } else {
        // U+0080 to U+009F (control characters) and U+00A0 (no-break space).
        out += kBlank;
      }
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string CleanText(std::string_view text) {
  std::string out = DecodeUtf8Latin(text);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 1 && u <= 31) c = kBlank;
  }
  return out;
}

}  // namespace labrena
