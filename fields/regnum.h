// Brazilian registration numbers: CPF, CNPJ, PIS, CEI, CAEPF, and the postal
// code CEP. Every routine first collects the digits of its text in order.
#ifndef LABRENA_FIELDS_REGNUM_H_
#define LABRENA_FIELDS_REGNUM_H_

#include <string>
#include <string_view>

#include "platform/context.h"

namespace labrena {

// Modulus-11 check digit character of a digit text (trailing blanks ignored):
// weights 2 up to h from the last digit, then 2 again; "0" for remainders 0
// and 1, else 11 - remainder.
char CheckDigit11(std::string_view digits, int highest_weight);
// Each returns 1 and rewrites the text in its display form when the number
// is valid; otherwise 0 and the text is unchanged.
int CheckCpf(std::string* text);
int CheckCnpj(std::string* text);
int CheckPis(std::string* text);
int CheckCei(std::string* text);
// 0 unless the text begins with "00"; CheckCei behind that prefix.
int CheckCeiPrefixed(std::string* text);
// 14 digits: ddd.ddd.ddd/ddd-dd, with no check digit.
int FormatCaepf(std::string* text);
// 0 for an empty text, 1 for exactly 14 characters, 2 otherwise.
int NumberKind(std::string_view text);
// The dialog-control variants, on a control of ctx.ui: read at most 18
// characters, write the display form back when valid, empty the control when
// invalid and clear is not 0.
int CheckCpfControl(Context& ctx, int control_id, int clear);
int CheckCnpjControl(Context& ctx, int control_id, int clear);
int CheckPisControl(Context& ctx, int control_id, int clear);
// Reads at most 9 characters; no digit empties the control, otherwise the
// first 8 digits, completed with "0", are written as ddddd-ddd.
void FormatCepControl(Context& ctx, int control_id);

}  // namespace labrena

#endif  // LABRENA_FIELDS_REGNUM_H_
