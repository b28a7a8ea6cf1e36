// Brazilian registration numbers with valid check digits, in the display
// forms the product stores: CPF, CNPJ, PIS and CEI. The check digits are
// computed here, independently of the converter's own routines.
#ifndef LABRENA_TOOLS_SAMPLE_REGISTRATION_H_
#define LABRENA_TOOLS_SAMPLE_REGISTRATION_H_

#include <string>

#include "tools/sample/random.h"

namespace labrena {
namespace sample {

// Modulus-11 check digit of a digit string: weights 2, 3, ... up to
// highest_weight from the last digit leftwards, then again from 2.
char Modulus11Digit(const std::string& digits, int highest_weight);
// The CEI check digit of 11 digits.
char CeiDigit(const std::string& digits);

// Display forms from the digits before the check digits.
std::string CpfFromBase(const std::string& nine_digits);  // ddd.ddd.ddd-dd
std::string CnpjFromBase(
    const std::string& twelve_digits);                   // dd.ddd.ddd/dddd-dd
std::string PisFromBase(const std::string& ten_digits);  // dddddddddd-d
std::string CeiFromBase(const std::string& eleven_digits);  // ddddddddddd-d

// Fresh numbers drawn from the random source.
std::string RandomDigits(Random& random, int count);
std::string RandomCpf(Random& random);
std::string RandomCnpj(Random& random);  // head office: branch 0001
std::string RandomPis(Random& random);
std::string RandomCei(Random& random);

// True when the text's digits form a valid number of the kind.
bool IsValidCpf(const std::string& text);
bool IsValidCnpj(const std::string& text);
bool IsValidPis(const std::string& text);
bool IsValidCei(const std::string& text);

// The digits of a text, in order.
std::string DigitsOf(const std::string& text);

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_REGISTRATION_H_
