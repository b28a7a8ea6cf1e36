// Brazilian registration numbers: CPF, CNPJ, PIS, CEI, CAEPF, and the postal
// code CEP. Every routine first collects the digits of its text in order.
#ifndef LABRENA_FIELDS_REGNUM_H_
#define LABRENA_FIELDS_REGNUM_H_

#include <string>
#include <string_view>

#include "platform/context.h"

namespace labrena {

// Modulus-11 check digit character of a digit text, weights 2 up to h.
char CheckDigit11(std::string_view digits, int highest_weight);
// Each returns 1 and rewrites the text in its display form when the number
// is valid; otherwise 0 and the text is unchanged.
int CheckCpf(std::string* text);
int CheckCnpj(std::string* text);
int CheckPis(std::string* text);
int CheckCei(std::string* text);
int CheckCeiPrefixed(std::string* text);
int FormatCaepf(std::string* text);
// 0 for an empty text, 1 for exactly 14 characters, 2 otherwise.
int NumberKind(std::string_view text);
// The dialog-control variants, on a control of ctx.ui.
int CheckCpfControl(Context& ctx, int control_id, int clear);
int CheckCnpjControl(Context& ctx, int control_id, int clear);
int CheckPisControl(Context& ctx, int control_id, int clear);
void FormatCepControl(Context& ctx, int control_id);

}  // namespace labrena

#endif  // LABRENA_FIELDS_REGNUM_H_
