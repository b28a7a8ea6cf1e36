#include "tools/template/rubric_template.h"

#include <array>
#include <cstdio>

namespace labrena {
namespace tmpl {
namespace {

// The widths of the 27 fields of a rubric record, in order.
constexpr std::size_t kFieldWidths[27] = {4, 40, 1,  1,  3,  1,  1, 2,  18,
                                          2, 2,  2,  2,  1,  1,  1, 1,  6,
                                          3, 4,  10, 10, 14, 80, 1, 88, 1};

constexpr std::size_t RecordLength() {
  std::size_t length = 0;
  for (std::size_t width : kFieldWidths) length += width;
  return length;
}
static_assert(RecordLength() == kRubricRecordLength);

enum class Kind {
  kEarning,    // field 3 "1", on the receipt
  kDeduction,  // field 3 "2", on the receipt
  kBase,       // field 3 "2", kept beside the receipt (bases, FGTS)
};

// Incidence codes of fields 10 to 12: the social security (INSS), income
// tax (IRRF) and FGTS bases the rubric enters; 11 the month's, 12 the
// thirteenth salary's, 13 the vacation's, 00 none.
constexpr const char kMonth[] = "111111";
constexpr const char kThirteenth[] = "121212";
constexpr const char kVacation[] = "111311";
constexpr const char kNoBase[] = "000000";

struct StandardRubric {
  int code;
  const char* description;
  Kind kind;
  const char* group;      // field 8: its group in the yearly reports
  const char* incidence;  // fields 10 to 12
  const char* factor;     // field 9: the hour factor of overtime, else ""
  bool hours;             // field 15: the item's reference counts hours
};

// Every new code of the standard code map, and 963, the base of a
// thirteenth salary's contribution. Overtime is what has a factor.
constexpr StandardRubric kStandardRubrics[] = {
    {1, "SAL\xC1RIO", Kind::kEarning, "01", kMonth, "", false},
    {11, "HORAS NORMAIS", Kind::kEarning, "01", kMonth, "", true},
    {21, "DESCANSO SEMANAL REMUNERADO", Kind::kEarning, "01", kMonth, "",
     false},
    {23, "ADICIONAL DE PERICULOSIDADE", Kind::kEarning, "95", kMonth, "",
     false},
    {25, "ADICIONAL DE INSALUBRIDADE", Kind::kEarning, "95", kMonth, "", false},
    {30, "HORAS EXTRAS 50%", Kind::kEarning, "10", kMonth, "1,50", true},
    {36, "HORAS EXTRAS 100%", Kind::kEarning, "10", kMonth, "2,00", true},
    {60, "ADICIONAL NOTURNO", Kind::kEarning, "23", kMonth, "", false},
    {64, "HORAS NOTURNAS", Kind::kEarning, "23", kMonth, "", true},
    {66, "HORAS NOTURNAS RURAIS", Kind::kEarning, "23", kMonth, "", true},
    {90, "F\xC9RIAS", Kind::kEarning, "35", kVacation, "", false},
    {92, "1/3 CONSTITUCIONAL DE F\xC9RIAS", Kind::kEarning, "35", kVacation, "",
     false},
    {234, "SAL\xC1RIO FAM\xCDLIA", Kind::kEarning, "95", kNoBase, "", false},
    {242, "AJUDA DE CUSTO", Kind::kEarning, "95", kNoBase, "", false},
    {251, "COMISS\xD5\x45S", Kind::kEarning, "01", kMonth, "", false},
    {300, "13\xBA SAL\xC1RIO", Kind::kEarning, "39", kThirteenth, "", false},
    {325, "13\xBA SAL\xC1RIO INDENIZADO", Kind::kEarning, "39", "001212", "",
     false},
    {340, "AVISO PR\xC9VIO INDENIZADO", Kind::kEarning, "95", "000011", "",
     false},
    {343, "F\xC9RIAS INDENIZADAS", Kind::kEarning, "35", kNoBase, "", false},
    {350, "F\xC9RIAS PROPORCIONAIS", Kind::kEarning, "35", kNoBase, "", false},
    {360, "SALDO DE SAL\xC1RIO", Kind::kEarning, "01", kMonth, "", false},
    {361, "1/3 F\xC9RIAS RESCIS\xC3O", Kind::kEarning, "35", kNoBase, "",
     false},
    {364, "INDENIZA\xC7\xC3O ADICIONAL", Kind::kEarning, "95", kNoBase, "",
     false},
    {405, "GRATIFICA\xC7\xC3O", Kind::kEarning, "95", kMonth, "", false},
    {411, "PR\xCAMIO PRODUTIVIDADE", Kind::kEarning, "95", kMonth, "", false},
    {418, "DIFEREN\xC7\x41 SALARIAL", Kind::kEarning, "01", kMonth, "", false},
    {420, "QUEBRA DE CAIXA", Kind::kEarning, "95", kMonth, "", false},
    {424, "ADICIONAL POR TEMPO DE SERVI\xC7O", Kind::kEarning, "95", kMonth, "",
     false},
    {430, "DI\xC1RIAS PARA VIAGEM", Kind::kEarning, "95", kNoBase, "", false},
    {500, "INSS", Kind::kDeduction, "50", kNoBase, "", false},
    {501, "INSS S/ 13\xBA SAL\xC1RIO", Kind::kDeduction, "50", kNoBase, "",
     false},
    {502, "INSS S/ F\xC9RIAS", Kind::kDeduction, "50", kNoBase, "", false},
    {540, "IRRF", Kind::kDeduction, "53", kNoBase, "", false},
    {541, "IRRF S/ 13\xBA SAL\xC1RIO", Kind::kDeduction, "53", kNoBase, "",
     false},
    {542, "IRRF S/ F\xC9RIAS", Kind::kDeduction, "53", kNoBase, "", false},
    {560, "PENS\xC3O ALIMENT\xCD\x43IA", Kind::kDeduction, "57", kNoBase, "",
     false},
    {580, "VALE TRANSPORTE", Kind::kDeduction, "95", kNoBase, "", false},
    {581, "VALE REFEI\xC7\xC3O", Kind::kDeduction, "95", kNoBase, "", false},
    {582, "VALE ALIMENTA\xC7\xC3O", Kind::kDeduction, "95", kNoBase, "", false},
    {583, "ASSIST\xCANCIA M\xC9\x44ICA", Kind::kDeduction, "95", kNoBase, "",
     false},
    {600, "CONTRIBUI\xC7\xC3O SINDICAL", Kind::kDeduction, "95", kNoBase, "",
     false},
    {601, "CONTRIBUI\xC7\xC3O ASSISTENCIAL", Kind::kDeduction, "95", kNoBase,
     "", false},
    {628, "MENSALIDADE SINDICAL", Kind::kDeduction, "95", kNoBase, "", false},
    {670, "ADIANTAMENTO SALARIAL", Kind::kDeduction, "80", kNoBase, "", false},
    {680, "ADIANTAMENTO 13\xBA SAL\xC1RIO", Kind::kDeduction, "80", kNoBase, "",
     false},
    {685, "ADIANTAMENTO DE F\xC9RIAS", Kind::kDeduction, "80", kNoBase, "",
     false},
    {691, "FALTAS E ATRASOS", Kind::kDeduction, "01", kMonth, "", true},
    {930, "BASE FGTS", Kind::kBase, "00", kNoBase, "", false},
    {934, "BASE IRRF", Kind::kBase, "00", kNoBase, "", false},
    {962, "BASE INSS", Kind::kBase, "00", kNoBase, "", false},
    {963, "BASE INSS 13\xBA SAL\xC1RIO", Kind::kBase, "00", kNoBase, "", false},
    {988, "FGTS DO M\xCAS", Kind::kBase, "00", kNoBase, "", false},
    {990, "FGTS S/ 13\xBA SAL\xC1RIO", Kind::kBase, "00", kNoBase, "", false},
    {994, "FGTS RESCIS\xD3RIO", Kind::kBase, "00", kNoBase, "", false},
    {996, "MULTA RESCIS\xD3RIA FGTS", Kind::kBase, "00", kNoBase, "", false},
};

std::string RubricRecord(const StandardRubric& rubric) {
  std::array<std::string, 27> fields;
  char code[16];
  std::snprintf(code, sizeof(code), "%03d", rubric.code);
  fields[0] = code;
  fields[1] = rubric.description;
  fields[2] = rubric.kind == Kind::kEarning ? "1" : "2";
  fields[6] = rubric.kind == Kind::kBase ? "N" : "S";  // shown on receipts
  fields[7] = rubric.group;
  fields[8] = rubric.factor;
  std::string incidence = rubric.incidence;
  fields[9] = incidence.substr(0, 2);
  fields[10] = incidence.substr(2, 2);
  fields[11] = incidence.substr(4, 2);
  // Field 13 stays blank: a later step writes "00" there.
  fields[13] = "1";
  fields[14] = rubric.hours ? "S" : "N";
  // Overtime hours are paid in the overtime class 56, whose table is 004.
  if (*rubric.factor != '\0') {
    fields[17] = "56";
    fields[18] = "004";
  }
  // Field 27, the deletion mark, stays blank.
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string field = fields[i].substr(0, kFieldWidths[i]);
    field.resize(kFieldWidths[i], ' ');
    record += field;
  }
  return record;
}

}  // namespace

std::string RubricTemplate() {
  std::string bytes;
  for (const StandardRubric& rubric : kStandardRubrics) {
    bytes += RubricRecord(rubric);
  }
  return bytes;
}

}  // namespace tmpl
}  // namespace labrena
