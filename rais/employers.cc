// Employer records of a RAIS file: the employer register, the employers'
// unions and the three schedule records of every employer.
#include <algorithm>

#include "convert/layout.h"
#include "fields/numbers.h"
#include "fields/regnum.h"
#include "fields/text.h"
#include "platform/names.h"
#include "rais/rais_internal.h"

namespace labrena {
namespace {

// F00R0.DAT, 1000 characters; every value is worked out from the RAIS
// record.
constexpr NewField kEmployerFields[] = {
    {11, kComputed, 0},   //   0 employer number
    {40, kComputed, 0},   //  11 name
    {40, kComputed, 0},   //  51 name again, blank for a company
    {40, kComputed, 0},   //  91 street
    {5, kComputed, 0},    // 131 number
    {25, kComputed, 0},   // 136 complement
    {30, kComputed, 0},   // 161 district
    {9, kComputed, 0},    // 191 postal code
    {30, kComputed, 0},   // 200 city
    {9, kComputed, 0},    // 230 state
    {11, kComputed, 0},   // 239 "0"
    {18, kComputed, 0},   // 250 CNPJ
    {18, kComputed, 0},   // 268 CEI
    {4, kComputed, 0},    // 286 area code
    {82, kComputed, 0},   // 290 telephone
    {180, kComputed, 0},  // 372 e-mail
    {61, kComputed, 0},   // 552 date
    {18, kComputed, 0},   // 613 CAEPF
    {7, kComputed, 0},    // 631 activity code
    {2, kComputed, 0},    // 638 tax kind
    {2, kComputed, 0},    // 640 company size, "0"
    {9, kComputed, 0},    // 642 risk digit and zeros
    {1, kComputed, 0},    // 651 RAIS code at 453, less 1
    {2, kComputed, 0},    // 652 base month
    {4, kComputed, 0},    // 654 owners
    {5, kComputed, 0},    // 658 legal nature
    {3, kComputed, 0},    // 663
    {4, kComputed, 0},    // 666
    {12, kComputed, 0},   // 670
    {15, kComputed, 0},   // 682 union code
    {4, kComputed, 0},    // 697 "0000"
    {33, kComputed, 0},   // 701 "0"
    {10, kComputed, 0},   // 734
    {6, kComputed, 0},    // 744 "1,0000"
    {250, kComputed, 0},  // 750 rate; ends in the deletion mark
};
static_assert(RecordLength(kEmployerFields) == 1000);

// F01R0.DAT, 814 characters.
constexpr NewField kUnionFields[] = {
    {11, kComputed, 0},   //   0 code
    {221, kComputed, 0},  //  11 name
    {6, kComputed, 0},    // 232 group
    {1, kComputed, 0},    // 238 "0"
    {11, kComputed, 0},   // 239 "0"
    {18, kComputed, 0},   // 250 CNPJ
    {546, kComputed, 0},  // 268 blanks
};
static_assert(RecordLength(kUnionFields) == 814);
constexpr int kUnionKeyLength = 19;

// F36R0.DAT, 250 characters: a work-week pattern (kind 0) names its day
// schedules; a day schedule (kind 1) holds its times.
constexpr NewField kScheduleFields[] = {
    {11, kComputed, 0},   //   0 code
    {40, kComputed, 0},   //  11 description
    {1, kComputed, 0},    //  51 kind
    {10, kComputed, 0},   //  52 employer number
    {18, kComputed, 0},   //  62 flags
    {5, kComputed, 0},    //  80 start; pattern: blank
    {5, kComputed, 0},    //  85 end; pattern: weekday schedule
    {5, kComputed, 0},    //  90 worked hours; pattern: weekday schedule
    {5, kComputed, 0},    //  95 break start; pattern: weekday schedule
    {5, kComputed, 0},    // 100 break end; pattern: weekday schedule
    {5, kComputed, 0},    // 105 break length; pattern: weekday schedule
    {140, kComputed, 0},  // 110 pattern: Saturday schedule
};
static_assert(RecordLength(kScheduleFields) == 250);

// RAIS employer record (type 1), offsets and widths.
constexpr std::size_t kNumberAt = 6, kNumberWidth = 14;
constexpr std::size_t kUnionAt = 343, kUnionStep = 23;
constexpr int kEmployerUnions = 4;

enum class Kind { kCompany, kPerson, kCei, kCaepf };

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsDigit);
}

}  // namespace

std::string RaisImport::Union(std::string_view cnpj_field, const char* name,
                              const char* group) {
  if (ReadLong(cnpj_field) <= 0) return std::string();
  std::string cnpj;
  ScratchCnpj(ctx_, cnpj_field, &cnpj);
  std::string key = UpperAscii(PadText(cnpj, kUnionKeyLength));
  auto found = union_codes_.find(key);
  if (found != union_codes_.end()) return found->second;
  std::string code = Code(++unions_);
  Append(union_register_, code,
         BuildRecord("", kUnionFields, {code, name, group, "0", "0", cnpj}));
  union_codes_.emplace(key, code);
  return code;
}

void RaisImport::WriteSchedules(bool rural) {
  std::string pattern = Code(++patterns_);
  std::string weekdays = Code(++days_);
  std::string saturday = Code(++days_);
  const char* flags = rural ? "11" : "00";
  const std::string& employer = last_.number;
  for (const std::string& record :
       {BuildRecord("", kScheduleFields,
                    {pattern, "JORNADA 44 HORAS", "0", employer, "110", "",
                     weekdays, weekdays, weekdays, weekdays, weekdays,
                     saturday}),
        BuildRecord("", kScheduleFields,
                    {weekdays, "SEGUNDA A SEXTA", "1", employer, flags,
                     "07:00", "17:00", "08:00", "11:00", "13:00", "02:00"}),
        BuildRecord("", kScheduleFields,
                    {saturday, "S\xC1" "BADO", "1", employer, flags, "07:00",
                     "11:00", "04:00"})}) {
    Write(schedule_register_.file, schedule_register_.name, record);
  }
  last_.pattern = pattern;
}

void RaisImport::Employer(std::string_view r) {
  std::string number(RaisField(r, kNumberAt, kNumberWidth));
  std::string title = TrimRight(number);
  auto ask = [&](const char* question) {
    return ctx_.ui.MessageBox(title, question, Icon::kQuestion,
                              Buttons::kYesNo) == Answer::kYes;
  };
  auto refuse = [&](const char* why) {
    ctx_.ui.MessageBox(title, why, Icon::kError, Buttons::kOk);
  };

  // The kind of employer, from its number.
  Kind kind = Kind::kCompany;
  std::string cnpj, cei, caepf;
  std::string prefixed_cei = number;
  bool is_cei = CheckCeiPrefixed(&prefixed_cei) != 0;
  if (number == "00000000000000") {
    if (ask("CNPJ/CEI/CAEPF n\xE3o informado.\n\nImportar como pessoa "
            "f\xEDsica?")) {
      kind = Kind::kPerson;
    }
  } else if (ScratchCnpj(ctx_, number, &cnpj)) {
    if (is_cei && !ask("Pode ser CNPJ ou CEI.\n\nUsar CNPJ?")) {
      kind = Kind::kCei;
      cnpj.clear();
    }
  } else if (is_cei) {
    kind = Kind::kCei;
    cnpj.clear();
  } else if (AllDigits(number)) {
    kind = Kind::kCaepf;
    caepf = number;
    FormatCaepf(&caepf);
    cnpj.clear();
  } else {
    refuse("CNPJ/CEI/CAEPF inv\xE1lido.");
    return;
  }
  // The CEI is written without its "00" prefix: 11 digits, "-", check.
  if (kind == Kind::kCei) cei = prefixed_cei.substr(2);

  // An employer already imported under the same number is refused.
  auto taken = [](std::set<std::string>& numbers, const std::string& n) {
    return !n.empty() && !numbers.insert(UpperAscii(PadText(n, 18))).second;
  };
  if (taken(cnpjs_, cnpj)) {
    refuse("Empregador com CPF/CNPJ j\xE1 cadastrado");
    return;
  }
  if (taken(ceis_, cei)) {
    refuse("Empregador com CEI j\xE1 cadastrado");
    return;
  }
  if (taken(caepfs_, caepf)) {
    refuse("Empregador com CAEPF j\xE1 cadastrado");
    return;
  }

  const bool company = kind == Kind::kCompany;
  std::string activity = TrimRight(RaisField(r, 264, 7));
  const bool rural = activity.size() >= 2 && activity[0] == '0' &&
                     activity[1] >= '0' && activity[1] <= '3';
  const bool simplified = company && r[302] == '1';
  std::string nature = TrimRight(RaisField(r, 271, 4));
  std::string nature_code = nature.substr(0, std::min<std::size_t>(3, nature.size()));

  // The employer's unions: the last one named goes into its record.
  std::string union_code;
  for (int k = 0; k < kEmployerUnions; ++k) {
    std::string code = Union(RaisField(r, kUnionAt + kUnionStep * k, 14),
                             "SINDICATO PATRONAL", "100");
    if (!code.empty()) union_code = code;
  }

  std::string name = ThroughScratch(ctx_, UpperAscii(RaisField(r, 23, 52)), 40);
  std::string street(RaisField(r, 75, 40));
  long street_number = static_cast<long>(ReadLong(RaisField(r, 115, 6)));
  std::string complement =
      ThroughScratch(ctx_, UpperAscii(TrimRight(RaisField(r, 121, 21))), 8);
  if (StartsWithNoCase(street, complement)) complement.clear();
  ctx_.ui.SetControlText(kScratchControl, std::string(RaisField(r, 161, 8)));
  FormatCepControl(ctx_, kScratchControl);

  last_.number = Code(++employers_);
  last_.postal_code = ctx_.ui.GetControlText(kScratchControl, 9);
  last_.street = ThroughScratch(ctx_, UpperAscii(street), 30);
  last_.street_number = street_number >= 1 ? Format("%ld", street_number) : "";
  last_.complement = complement;
  last_.district = UpperAscii(RaisField(r, 142, 19));
  last_.city = UpperAscii(RaisField(r, 176, 30));
  last_.state = UpperAscii(RaisField(r, 206, 2));
  last_.base_year = std::string(RaisField(r, 297, 4));

  std::string area = TrimRight(RaisField(r, 208, 2));
  if (!area.empty() && area[0] == '0') area.clear();
  std::string phone = DropLeadingZeros(KeepDigits(RaisField(r, 210, 9), 9), 9);

  const char* tax_kind = !company     ? "21"
                         : simplified ? "01"
                         : nature_code == "313" ? "14"
                                                : "";
  char size = r[301];
  const char* size_code = !company      ? "90"
                          : size == '1' ? "20"
                          : size == '2' ? "30"
                                        : "90";
  int risk = activity == "159899" || activity == "6202300" ? 2 : 3;
  if (simplified || rural) risk += 5;
  char code453 = r[453];
  std::string reduced =
      code453 >= '2' && code453 <= '4' ? std::string(1, code453 - 1) : "0";
  long owners = std::max<long>(1, static_cast<long>(ReadLong(RaisField(r, 275, 4))));
  std::string legal_nature;
  if (nature_code == "408") {
    legal_nature = "412-0";
  } else if (!nature.empty()) {
    legal_nature = Format("%-3s-%1s", nature_code.c_str(),
                          nature.size() > 3 ? nature.substr(3, 1).c_str() : "");
  }

  std::string record = BuildRecord(
      "", kEmployerFields,
      {last_.number, name, company ? "" : name, last_.street,
       last_.street_number, complement, last_.district, last_.postal_code,
       last_.city, last_.state, "0", cnpj, cei, area, phone,
       LowerAscii(RaisField(r, 219, 45)), ScratchDate(ctx_, RaisField(r, 335, 8)),
       caepf, activity, tax_kind, size_code, Format("%d00%-3s000", risk, "0"),
       reduced, RaisField(r, 279, 2), Format("%ld", owners), legal_nature,
       rural ? "604" : "787",
       simplified ? "2003" : company ? "2100" : "2208",
       simplified ? "0000" : rural ? "0003" : "0515", union_code, "0000", "0",
       simplified || rural ? "0,00" : "20,00", "1,0000",
       simplified ? "0,00" : rural ? "2,70" : "5,20"});
  Append(employer_register_, last_.number, record);
  WriteSchedules(rural);
}

}  // namespace labrena
