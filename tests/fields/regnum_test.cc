#include "fields/regnum.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

using namespace std::string_literals;

// An independent validator: the published rules with explicit weights,
// written without the code under test.
namespace reference {

int Digit(char c) { return c - '0'; }

int WeightedSum(const std::string& digits, const std::vector<int>& weights) {
  int sum = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    sum += Digit(digits[i]) * weights[i];
  }
  return sum;
}

// CPF: sum times ten, modulo eleven; a remainder of ten is written 0.
char CpfDigit(const std::string& digits, const std::vector<int>& weights) {
  return static_cast<char>('0' + WeightedSum(digits, weights) * 10 % 11 % 10);
}

// CNPJ and PIS: eleven minus the remainder; 0 for remainders 0 and 1.
char ElevenMinus(const std::string& digits, const std::vector<int>& weights) {
  int r = WeightedSum(digits, weights) % 11;
  return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

const std::vector<int> kCpf1 = {10, 9, 8, 7, 6, 5, 4, 3, 2};
const std::vector<int> kCpf2 = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
const std::vector<int> kCnpj1 = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
const std::vector<int> kCnpj2 = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
const std::vector<int> kPis = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
const std::vector<int> kCei = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};

std::string CompleteCpf(std::string base9) {
  base9 += CpfDigit(base9, kCpf1);
  base9 += CpfDigit(base9, kCpf2);
  return base9;
}

std::string CompleteCnpj(std::string base12) {
  base12 += ElevenMinus(base12, kCnpj1);
  base12 += ElevenMinus(base12, kCnpj2);
  return base12;
}

std::string CompletePis(std::string base10) {
  return base10 + ElevenMinus(base10, kPis);
}

// CEI: the last two decimal digits of the weighted sum added; ten minus the
// units digit of that, 0 for 10.
std::string CompleteCei(std::string base11) {
  std::string sum = "00" + std::to_string(WeightedSum(base11, kCei));
  int added = Digit(sum[sum.size() - 2]) + Digit(sum[sum.size() - 1]);
  int check = (10 - added % 10) % 10;
  return base11 + static_cast<char>('0' + check);
}

bool ValidCpf(const std::string& d) {
  return d.size() == 11 && CompleteCpf(d.substr(0, 9)) == d;
}
bool ValidCnpj(const std::string& d) {
  return d.size() == 14 && CompleteCnpj(d.substr(0, 12)) == d;
}
bool ValidPis(const std::string& d) {
  return d.size() == 11 && CompletePis(d.substr(0, 10)) == d;
}
bool ValidCei(const std::string& d) {
  return d.size() == 12 && CompleteCei(d.substr(0, 11)) == d;
}

// Display forms, cut from the digits by position.
std::string CpfForm(const std::string& d) {
  return d.substr(0, 3) + "." + d.substr(3, 3) + "." + d.substr(6, 3) + "-" +
         d.substr(9, 2);
}
std::string CnpjForm(const std::string& d) {
  return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "/" +
         d.substr(8, 4) + "-" + d.substr(12, 2);
}
std::string PisForm(const std::string& d) {
  return d.substr(0, 10) + "-" + d.substr(10, 1);
}
std::string CeiForm(const std::string& d) {
  return d.substr(0, 11) + "-" + d.substr(11, 1);
}

}  // namespace reference

// Random digits and ways of writing them, from a fixed seed so that every
// run and every system sees the same numbers.
class Generator {
 public:
  std::string Digits(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += static_cast<char>('0' + rng_() % 10);
    return out;
  }
  // The same digit string with one digit replaced by a different one.
  std::string Corrupt(const std::string& digits) {
    std::string out = digits;
    std::size_t at = rng_() % out.size();
    out[at] = static_cast<char>('0' + (Digit(out[at]) + 1 + rng_() % 9) % 10);
    return out;
  }
  // Two neighbouring digits swapped (when they differ).
  std::string Swap(const std::string& digits) {
    std::string out = digits;
    std::size_t at = rng_() % (out.size() - 1);
    std::swap(out[at], out[at + 1]);
    return out;
  }
  // The digits as a user or an old file may have written them: bare, in a
  // display form, or with blanks, letters and punctuation between them.
  std::string Decorate(const std::string& digits, const std::string& form) {
    switch (rng_() % 4) {
      case 0:
        return digits;
      case 1:
        return form;
      case 2: {
        std::string out = " ";
        for (char c : digits) {
          out += c;
          if (rng_() % 3 == 0) out += "-./ x"[rng_() % 5];
        }
        return out + "  ";
      }
      default:
        return "N\xBA " + form + " \xC3";
    }
  }

 private:
  static int Digit(char c) { return c - '0'; }
  std::mt19937 rng_{20240615};
};

constexpr int kSamples = 3000;

// Runs a check on a text; on failure the text must be unchanged.
template <typename Check>
int RunCheck(Check check, const std::string& typed, std::string* out) {
  *out = typed;
  int ok = check(out);
  if (!ok) {
    EXPECT_EQ(*out, typed);
  }
  return ok;
}

TEST(CheckDigit11Test, Examples) {
  EXPECT_EQ(CheckDigit11("111444777", 11), '3');
  EXPECT_EQ(CheckDigit11("1114447773", 11), '5');
  EXPECT_EQ(CheckDigit11("111444777   ", 11), '3');
  EXPECT_EQ(CheckDigit11("112223330001", 9), '8');
  EXPECT_EQ(CheckDigit11("1122233300018", 9), '1');
  EXPECT_EQ(CheckDigit11("1205531077", 9), '3');
  EXPECT_EQ(CheckDigit11("", 11), '0');
  EXPECT_EQ(CheckDigit11("0000000000", 9), '0');
  // Remainders 0 and 1 both give "0": 6 * 2 = 12, remainder 1.
  EXPECT_EQ(CheckDigit11("6", 9), '0');
  // 5 * 2 = 10, remainder 10: 11 - 10 = 1.
  EXPECT_EQ(CheckDigit11("5", 9), '1');
}

TEST(CheckDigit11Test, WeightsStartAgainAfterTheHighest) {
  Generator gen;
  for (int i = 0; i < kSamples; ++i) {
    int length = 1 + i % 20;
    int highest = 2 + i % 10;
    std::string digits = gen.Digits(length);
    int sum = 0;
    for (int k = 0; k < length; ++k) {
      int weight = 2 + k % (highest - 1);
      sum += (digits[length - 1 - k] - '0') * weight;
    }
    int r = sum % 11;
    char expected = static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
    ASSERT_EQ(CheckDigit11(digits, highest), expected) << digits << " " << highest;
  }
}

TEST(CheckCpfTest, Examples) {
  std::string text = "111.444.777-35";
  EXPECT_EQ(CheckCpf(&text), 1);
  EXPECT_EQ(text, "111.444.777-35");
  text = "11144477735";
  EXPECT_EQ(CheckCpf(&text), 1);
  EXPECT_EQ(text, "111.444.777-35");
  text = "CPF 111 444 777 / 35";
  EXPECT_EQ(CheckCpf(&text), 1);
  EXPECT_EQ(text, "111.444.777-35");
}

TEST(CheckCpfTest, AnyChangedDigitFails) {
  const std::string good = "11144477735";
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (char c = '0'; c <= '9'; ++c) {
      if (c == good[at]) continue;
      std::string typed = good;
      typed[at] = c;
      std::string text;
      EXPECT_EQ(RunCheck(CheckCpf, typed, &text), 0) << typed;
      typed = reference::CpfForm(typed);
      EXPECT_EQ(RunCheck(CheckCpf, typed, &text), 0) << typed;
    }
  }
}

TEST(CheckCpfTest, WrongDigitCountFails) {
  std::string text;
  EXPECT_EQ(RunCheck(CheckCpf, "1114447773", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "111444777350", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "011144477735", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "111.444.777-3S", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "abc.def.ghi-jk", &text), 0);
  EXPECT_EQ(RunCheck(CheckCpf, "111.444.777-35\xC3", &text), 1);
  EXPECT_EQ(text, "111.444.777-35");
  EXPECT_EQ(RunCheck(CheckCpf, "111.444.777-3\0" "5"s, &text), 0);
}

TEST(CheckCpfTest, VeryLongText) {
  std::string typed = std::string(5000, 'x') + "111444777" +
                      std::string(5000, ' ') + "35" + std::string(5000, '.');
  std::string text = typed;
  EXPECT_EQ(CheckCpf(&text), 1);
  EXPECT_EQ(text, "111.444.777-35");
  text = typed + "0";
  EXPECT_EQ(CheckCpf(&text), 0);
}

TEST(CheckCpfTest, AgreesWithIndependentValidator) {
  Generator gen;
  int valid = 0, invalid = 0;
  for (int i = 0; i < kSamples; ++i) {
    std::string number = reference::CompleteCpf(gen.Digits(9));
    ASSERT_TRUE(reference::ValidCpf(number));
    for (const std::string& digits :
         {number, gen.Corrupt(number), gen.Swap(number), gen.Digits(11)}) {
      bool expected = reference::ValidCpf(digits);
      std::string typed = gen.Decorate(digits, reference::CpfForm(digits));
      std::string text;
      ASSERT_EQ(RunCheck(CheckCpf, typed, &text), expected ? 1 : 0) << typed;
      if (expected) {
        EXPECT_EQ(text, reference::CpfForm(digits));
      }
      (expected ? valid : invalid)++;
    }
  }
  EXPECT_GT(valid, kSamples);
  EXPECT_GT(invalid, kSamples);
}

TEST(CheckCnpjTest, Examples) {
  std::string text = "11222333000181";
  EXPECT_EQ(CheckCnpj(&text), 1);
  EXPECT_EQ(text, "11.222.333/0001-81");
  text = "11.222.333/0001-81";
  EXPECT_EQ(CheckCnpj(&text), 1);
  EXPECT_EQ(text, "11.222.333/0001-81");
  EXPECT_EQ(RunCheck(CheckCnpj, "11222333000182", &text), 0);
  EXPECT_EQ(RunCheck(CheckCnpj, "1122233300018", &text), 0);
  EXPECT_EQ(RunCheck(CheckCnpj, "112223330001810", &text), 0);
  EXPECT_EQ(RunCheck(CheckCnpj, "11144477735", &text), 0);
  EXPECT_EQ(RunCheck(CheckCnpj, "", &text), 0);
  EXPECT_EQ(RunCheck(CheckCnpj, "AB.CDE.FGH/IJKL-MN", &text), 0);
}

TEST(CheckCnpjTest, AgreesWithIndependentValidator) {
  Generator gen;
  int valid = 0, invalid = 0;
  for (int i = 0; i < kSamples; ++i) {
    std::string number = reference::CompleteCnpj(gen.Digits(12));
    ASSERT_TRUE(reference::ValidCnpj(number));
    for (const std::string& digits :
         {number, gen.Corrupt(number), gen.Swap(number), gen.Digits(14)}) {
      bool expected = reference::ValidCnpj(digits);
      std::string typed = gen.Decorate(digits, reference::CnpjForm(digits));
      std::string text;
      ASSERT_EQ(RunCheck(CheckCnpj, typed, &text), expected ? 1 : 0) << typed;
      if (expected) {
        EXPECT_EQ(text, reference::CnpjForm(digits));
      }
      (expected ? valid : invalid)++;
    }
  }
  EXPECT_GT(valid, kSamples);
  EXPECT_GT(invalid, kSamples);
}

TEST(CheckPisTest, Examples) {
  std::string text = "12055310773";
  EXPECT_EQ(CheckPis(&text), 1);
  EXPECT_EQ(text, "1205531077-3");
  text = "120.55310.77-3";
  EXPECT_EQ(CheckPis(&text), 1);
  EXPECT_EQ(text, "1205531077-3");
  EXPECT_EQ(RunCheck(CheckPis, "12055310774", &text), 0);
  EXPECT_EQ(RunCheck(CheckPis, "1205531077", &text), 0);
  EXPECT_EQ(RunCheck(CheckPis, "120553107730", &text), 0);
  EXPECT_EQ(RunCheck(CheckPis, "", &text), 0);
  EXPECT_EQ(RunCheck(CheckPis, "PIS", &text), 0);
}

TEST(CheckPisTest, AgreesWithIndependentValidator) {
  Generator gen;
  int valid = 0, invalid = 0;
  for (int i = 0; i < kSamples; ++i) {
    std::string number = reference::CompletePis(gen.Digits(10));
    ASSERT_TRUE(reference::ValidPis(number));
    for (const std::string& digits :
         {number, gen.Corrupt(number), gen.Swap(number), gen.Digits(11)}) {
      bool expected = reference::ValidPis(digits);
      std::string typed = gen.Decorate(digits, reference::PisForm(digits));
      std::string text;
      ASSERT_EQ(RunCheck(CheckPis, typed, &text), expected ? 1 : 0) << typed;
      if (expected) {
        EXPECT_EQ(text, reference::PisForm(digits));
      }
      (expected ? valid : invalid)++;
    }
  }
  EXPECT_GT(valid, kSamples);
  EXPECT_GT(invalid, kSamples);
}

TEST(CheckCeiTest, Examples) {
  std::string text = "123456789010";
  EXPECT_EQ(CheckCei(&text), 1);
  EXPECT_EQ(text, "12345678901-0");
  text = "12.345.67890/1-0";
  EXPECT_EQ(CheckCei(&text), 1);
  EXPECT_EQ(text, "12345678901-0");
  EXPECT_EQ(RunCheck(CheckCei, "123456789011", &text), 0);
  EXPECT_EQ(RunCheck(CheckCei, "12345678901", &text), 0);
  EXPECT_EQ(RunCheck(CheckCei, "1234567890100", &text), 0);
  EXPECT_EQ(RunCheck(CheckCei, "", &text), 0);
}

TEST(CheckCeiTest, AgreesWithIndependentValidator) {
  Generator gen;
  int valid = 0, invalid = 0;
  for (int i = 0; i < kSamples; ++i) {
    std::string number = reference::CompleteCei(gen.Digits(11));
    ASSERT_TRUE(reference::ValidCei(number));
    for (const std::string& digits :
         {number, gen.Corrupt(number), gen.Swap(number), gen.Digits(12)}) {
      bool expected = reference::ValidCei(digits);
      std::string typed = gen.Decorate(digits, reference::CeiForm(digits));
      std::string text;
      ASSERT_EQ(RunCheck(CheckCei, typed, &text), expected ? 1 : 0) << typed;
      if (expected) {
        EXPECT_EQ(text, reference::CeiForm(digits));
      }
      (expected ? valid : invalid)++;
      // The same number behind the "00" prefix.
      std::string prefixed = "00" + reference::CeiForm(digits);
      ASSERT_EQ(RunCheck(CheckCeiPrefixed, prefixed, &text), expected ? 1 : 0)
          << prefixed;
      if (expected) {
        EXPECT_EQ(text, "00" + reference::CeiForm(digits));
      }
    }
  }
  EXPECT_GT(valid, kSamples);
  EXPECT_GT(invalid, kSamples);
}

TEST(CheckCeiPrefixedTest, Examples) {
  std::string text = "00123456789010";
  EXPECT_EQ(CheckCeiPrefixed(&text), 1);
  EXPECT_EQ(text, "0012345678901-0");
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "123456789010", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "0 0123456789010", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, " 00123456789010", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "00123456789011", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "00", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "0", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "", &text), 0);
  EXPECT_EQ(RunCheck(CheckCeiPrefixed, "\0" "0123456789010"s, &text), 0);
}

TEST(FormatCaepfTest, FourteenDigitsWithoutCheck) {
  std::string text = "12345678901234";
  EXPECT_EQ(FormatCaepf(&text), 1);
  EXPECT_EQ(text, "123.456.789/012-34");
  text = "123.456.789/012-34";
  EXPECT_EQ(FormatCaepf(&text), 1);
  EXPECT_EQ(text, "123.456.789/012-34");
  text = "11.222.333/0001-81";
  EXPECT_EQ(FormatCaepf(&text), 1);
  EXPECT_EQ(text, "112.223.330/001-81");
  EXPECT_EQ(RunCheck(FormatCaepf, "1234567890123", &text), 0);
  EXPECT_EQ(RunCheck(FormatCaepf, "123456789012345", &text), 0);
  EXPECT_EQ(RunCheck(FormatCaepf, "", &text), 0);
  EXPECT_EQ(RunCheck(FormatCaepf, "caepf", &text), 0);
}

TEST(NumberKindTest, ByLength) {
  EXPECT_EQ(NumberKind(""), 0);
  EXPECT_EQ(NumberKind("11144477735xyz"), 1);
  EXPECT_EQ(NumberKind("111.444.777-35"), 1);
  EXPECT_EQ(NumberKind("11.222.333/0001-81"), 2);
  EXPECT_EQ(NumberKind(" "), 2);
  EXPECT_EQ(NumberKind("\0" "11144477735xyz"s), 0);
  EXPECT_EQ(NumberKind("111.444.777-35\0" "9"s), 1);
}

class ControlTest : public ::testing::Test {
 protected:
  static constexpr int kControl = kScratchControl;

  void Type(const std::string& text) {
    scratch_.ui().SetControlText(kControl, text);
  }
  std::string Control() {
    return scratch_.ui().GetControlText(kControl, 100000);
  }
  Context& ctx() { return scratch_.ctx(); }

  ScratchFolder scratch_;
};

TEST_F(ControlTest, CheckCpfControl) {
  Type("11144477735");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 1), 1);
  EXPECT_EQ(Control(), "111.444.777-35");
  Type("11144477736");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 0), 0);
  EXPECT_EQ(Control(), "11144477736");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 1), 0);
  EXPECT_EQ(Control(), "");
  Type("");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 0), 0);
  EXPECT_EQ(Control(), "");
}

TEST_F(ControlTest, ControlsReadEighteenCharactersAtMost) {
  // The digits past the 18th character are not read.
  Type("   111.444.777-35 9");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 1), 1);
  EXPECT_EQ(Control(), "111.444.777-35");
  Type("    111.444.777-35");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 1), 1);
  Type("     111.444.777-35");
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 0), 0);
  EXPECT_EQ(Control(), "     111.444.777-35");
  Type(std::string(100000, 'x'));
  EXPECT_EQ(CheckCpfControl(ctx(), kControl, 1), 0);
  EXPECT_EQ(Control(), "");
}

TEST_F(ControlTest, CheckCnpjControl) {
  Type("11222333000181");
  EXPECT_EQ(CheckCnpjControl(ctx(), kControl, 1), 1);
  EXPECT_EQ(Control(), "11.222.333/0001-81");
  Type("11.222.333/0001-81");
  EXPECT_EQ(CheckCnpjControl(ctx(), kControl, 1), 1);
  EXPECT_EQ(Control(), "11.222.333/0001-81");
  Type("11.222.333/0001-80");
  EXPECT_EQ(CheckCnpjControl(ctx(), kControl, 0), 0);
  EXPECT_EQ(Control(), "11.222.333/0001-80");
  EXPECT_EQ(CheckCnpjControl(ctx(), kControl, 7), 0);
  EXPECT_EQ(Control(), "");
}

TEST_F(ControlTest, CheckPisControl) {
  Type("120.55310.77-3");
  EXPECT_EQ(CheckPisControl(ctx(), kControl, 0), 1);
  EXPECT_EQ(Control(), "1205531077-3");
  Type("120.55310.77-4");
  EXPECT_EQ(CheckPisControl(ctx(), kControl, 0), 0);
  EXPECT_EQ(Control(), "120.55310.77-4");
  EXPECT_EQ(CheckPisControl(ctx(), kControl, 1), 0);
  EXPECT_EQ(Control(), "");
}

TEST_F(ControlTest, FormatCepControl) {
  Type("1234");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "12340-000");
  Type("01310-100");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "01310-100");
  Type("01310100");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "01310-100");
  Type("");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "");
  Type("CEP");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "");
  Type("1.2");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "12000-000");
  // At most 9 characters read, at most 8 digits kept.
  Type("123456789");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "12345-678");
  Type("12-34-56-78");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "12345-600");
  Type("\xC3" "9");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "90000-000");
  Type("7\xC3");
  FormatCepControl(ctx(), kControl);
  EXPECT_EQ(Control(), "70000-000");
}

}  // namespace
}  // namespace labrena
