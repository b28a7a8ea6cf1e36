#include "tools/sample/registration.h"

namespace labrena {
namespace sample {

char Modulus11Digit(const std::string& digits, int highest_weight) {
  int sum = 0;
  int weight = 2;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == highest_weight ? 2 : weight + 1;
  }
  int rest = sum % 11;
  return rest < 2 ? '0' : static_cast<char>('0' + 11 - rest);
}

char CeiDigit(const std::string& digits) {
  static constexpr int kWeights[11] = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};
  int sum = 0;
  for (int i = 0; i < 11; ++i) sum += (digits[i] - '0') * kWeights[i];
  int units = (sum / 10 % 10 + sum % 10) % 10;
  return static_cast<char>('0' + (10 - units) % 10);
}

std::string CpfFromBase(const std::string& nine_digits) {
  std::string d = nine_digits;
  d += Modulus11Digit(d, 11);
  d += Modulus11Digit(d, 11);
  return d.substr(0, 3) + "." + d.substr(3, 3) + "." + d.substr(6, 3) + "-" +
         d.substr(9, 2);
}

std::string CnpjFromBase(const std::string& twelve_digits) {
  std::string d = twelve_digits;
  d += Modulus11Digit(d, 9);
  d += Modulus11Digit(d, 9);
  return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "/" +
         d.substr(8, 4) + "-" + d.substr(12, 2);
}

std::string PisFromBase(const std::string& ten_digits) {
  return ten_digits + "-" + Modulus11Digit(ten_digits, 9);
}

std::string CeiFromBase(const std::string& eleven_digits) {
  return eleven_digits + "-" + CeiDigit(eleven_digits);
}

std::string RandomDigits(Random& random, int count) {
  std::string digits;
  for (int i = 0; i < count; ++i) digits += random.Digit();
  return digits;
}

namespace {

// A base whose digits are not all equal (such numbers are rejected by the
// tax authorities even with right check digits).
std::string VariedDigits(Random& random, int count) {
  for (;;) {
    std::string digits = RandomDigits(random, count);
    if (digits.find_first_not_of(digits[0]) != std::string::npos) return digits;
  }
}

}  // namespace

std::string RandomCpf(Random& random) {
  return CpfFromBase(VariedDigits(random, 9));
}

std::string RandomCnpj(Random& random) {
  return CnpjFromBase(VariedDigits(random, 8) + "0001");
}

std::string RandomPis(Random& random) {
  // PIS numbers of workers start with 1 (1xx) in practice.
  return PisFromBase("1" + VariedDigits(random, 9));
}

std::string RandomCei(Random& random) {
  return CeiFromBase(VariedDigits(random, 11));
}

std::string DigitsOf(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

bool IsValidCpf(const std::string& text) {
  std::string d = DigitsOf(text);
  return d.size() == 11 && DigitsOf(CpfFromBase(d.substr(0, 9))) == d;
}

bool IsValidCnpj(const std::string& text) {
  std::string d = DigitsOf(text);
  return d.size() == 14 && DigitsOf(CnpjFromBase(d.substr(0, 12))) == d;
}

bool IsValidPis(const std::string& text) {
  std::string d = DigitsOf(text);
  return d.size() == 11 && d[10] == Modulus11Digit(d.substr(0, 10), 9);
}

bool IsValidCei(const std::string& text) {
  std::string d = DigitsOf(text);
  return d.size() == 12 && d[11] == CeiDigit(d.substr(0, 11));
}

}  // namespace sample
}  // namespace labrena
