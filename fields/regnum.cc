#include "fields/regnum.h"

#include "fields/numbers.h"
#include "fields/text.h"

namespace labrena {

namespace {

// Every digit of a text, in order.
std::string Digits(std::string_view text) {
  return KeepDigits(text, text.size());
}

// Lays digits into a pattern whose 'd' positions take one digit each.
std::string Lay(std::string_view digits, std::string_view pattern) {
  std::string out;
  std::size_t next = 0;
  for (char p : pattern) out += p == 'd' ? digits[next++] : p;
  return out;
}

// The display form of a number whose check digits are all right, or empty.
std::string CheckedCpf(const std::string& d) {
  if (d.size() != 11) return std::string();
  if (CheckDigit11(d.substr(0, 9), 11) != d[9] ||
      CheckDigit11(d.substr(0, 10), 11) != d[10]) {
    return std::string();
  }
  return Lay(d, "ddd.ddd.ddd-dd");
}

std::string CheckedCnpj(const std::string& d) {
  if (d.size() != 14) return std::string();
  if (CheckDigit11(d.substr(0, 12), 9) != d[12] ||
      CheckDigit11(d.substr(0, 13), 9) != d[13]) {
    return std::string();
  }
  return Lay(d, "dd.ddd.ddd/dddd-dd");
}

std::string CheckedPis(const std::string& d) {
  if (d.size() != 11) return std::string();
  if (CheckDigit11(d.substr(0, 10), 9) != d[10]) return std::string();
  return Lay(d, "dddddddddd-d");
}

std::string CheckedCei(const std::string& d) {
  if (d.size() != 12) return std::string();
  static constexpr int kWeights[11] = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};
  int sum = 0;
  for (int i = 0; i < 11; ++i) sum += (d[i] - '0') * kWeights[i];
  int units = (sum / 10 % 10 + sum % 10) % 10;
  char check = static_cast<char>('0' + (units == 0 ? 0 : 10 - units));
  if (check != d[11]) return std::string();
  return Lay(d, "ddddddddddd-d");
}

// Replaces *text by the display form when there is one.
int Apply(std::string* text, std::string (*checked)(const std::string&)) {
  std::string display = checked(Digits(*text));
  if (display.empty()) return 0;
  *text = display;
  return 1;
}

// Reads a control, checks it, and writes back the display form or, when the
// number is wrong and clear is set, an empty text.
int CheckControl(Context& ctx, int control_id, int clear,
                 int (*check)(std::string*)) {
  std::string text = CutText(ctx.ui.GetControlText(control_id, 18), 18);
  int ok = check(&text);
  if (ok) {
    ctx.ui.SetControlText(control_id, text);
  } else if (clear != 0) {
    ctx.ui.SetControlText(control_id, std::string());
  }
  return ok;
}

}  // namespace

char CheckDigit11(std::string_view digits, int highest_weight) {
  std::string trimmed = TrimRight(digits);
  int sum = 0;
  int weight = 2;
  for (std::size_t i = trimmed.size(); i-- > 0;) {
    sum += (trimmed[i] - '0') * weight;
    if (++weight > highest_weight) weight = 2;
  }
  // Non-negative even for characters below '0' in a text that is not digits.
  int r = (sum % 11 + 11) % 11;
  return r <= 1 ? '0' : static_cast<char>('0' + 11 - r);
}

int CheckCpf(std::string* text) { return Apply(text, CheckedCpf); }

int CheckCnpj(std::string* text) { return Apply(text, CheckedCnpj); }

int CheckPis(std::string* text) { return Apply(text, CheckedPis); }

int CheckCei(std::string* text) { return Apply(text, CheckedCei); }

int CheckCeiPrefixed(std::string* text) {
  std::string c_text = CutText(*text, text->size());
  if (c_text.compare(0, 2, "00") != 0) return 0;
  std::string rest = c_text.substr(2);
  if (!CheckCei(&rest)) return 0;
  *text = "00" + rest;
  return 1;
}

int FormatCaepf(std::string* text) {
  std::string d = Digits(*text);
  if (d.size() != 14) return 0;
  *text = Lay(d, "ddd.ddd.ddd/ddd-dd");
  return 1;
}

int NumberKind(std::string_view text) {
  std::size_t length = CutText(text, text.size()).size();
  if (length == 0) return 0;
  return length == 14 ? 1 : 2;
}

int CheckCpfControl(Context& ctx, int control_id, int clear) {
  return CheckControl(ctx, control_id, clear, CheckCpf);
}

int CheckCnpjControl(Context& ctx, int control_id, int clear) {
  return CheckControl(ctx, control_id, clear, CheckCnpj);
}

int CheckPisControl(Context& ctx, int control_id, int clear) {
  return CheckControl(ctx, control_id, clear, CheckPis);
}

void FormatCepControl(Context& ctx, int control_id) {
  std::string digits = KeepDigits(ctx.ui.GetControlText(control_id, 9), 8);
  if (digits.empty()) {
    ctx.ui.SetControlText(control_id, std::string());
    return;
  }
  digits.resize(8, '0');
  ctx.ui.SetControlText(control_id, Lay(digits, "ddddd-ddd"));
}

}  // namespace labrena
