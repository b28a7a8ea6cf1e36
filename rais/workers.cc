// Worker records of a RAIS file: the worker register, the workers' unions
// and jobs, and the two payroll items of every worker.
#include <algorithm>

#include "convert/item_block.h"
#include "convert/layout.h"
#include "fields/numbers.h"
#include "fields/regnum.h"
#include "fields/text.h"
#include "platform/names.h"
#include "rais/rais_internal.h"

namespace labrena {
namespace {

// F16R0.DAT, 2000 characters; every value is worked out from the RAIS
// record and the employer record before it.
constexpr NewField kWorkerFields[] = {
    {11, kComputed, 0},   //    0 worker number
    {80, kComputed, 0},   //   11 name
    {40, kComputed, 0},   //   91 the employer's street
    {5, kComputed, 0},    //  131 number
    {25, kComputed, 0},   //  136 complement
    {30, kComputed, 0},   //  161 district
    {9, kComputed, 0},    //  191 postal code
    {30, kComputed, 0},   //  200 city
    {10, kComputed, 0},   //  230 state
    {4, kComputed, 0},    //  240 blanks
    {101, kComputed, 0},  //  244 blanks
    {14, kComputed, 0},   //  345 CPF
    {12, kComputed, 0},   //  359 PIS
    {11, kComputed, 0},   //  371 work-card number
    {64, kComputed, 0},   //  382 work-card series
    {50, kComputed, 0},   //  446 birth date
    {1, kComputed, 0},    //  496 nationality
    {92, kComputed, 0},   //  497 arrival
    {1, kComputed, 0},    //  589 sex
    {1, kComputed, 0},    //  590 race
    {1, kComputed, 0},    //  591 disability
    {256, kComputed, 0},  //  592 schooling
    {26, kComputed, 0},   //  848 blanks
    {5, kComputed, 0},    //  874 employer number
    {15, kComputed, 0},   //  879 blanks
    {10, kComputed, 0},   //  894 admission date
    {10, kComputed, 0},   //  904 admission date again
    {2, kComputed, 0},    //  914 "1"
    {2, kComputed, 0},    //  916 admission type
    {21, kComputed, 0},   //  918 admission date of a transfer
    {11, kComputed, 0},   //  939 from the employment type
    {3, kComputed, 0},    //  950
    {3, kComputed, 0},    //  953 category
    {1, kComputed, 0},    //  956 "0"
    {11, kComputed, 0},   //  957
    {5, kComputed, 0},    //  968 union code
    {5, kComputed, 0},    //  973 job code
    {5, kComputed, 0},    //  978 work-week pattern
    {99, kComputed, 0},   //  983 weekly hours
    {10, kComputed, 0},   // 1082 dismissal date
    {2, kComputed, 0},    // 1092 dismissal cause
    {285, kComputed, 0},  // 1094 "1" for a cause 11
    {1, kComputed, 0},    // 1379 salary type
    {19, kComputed, 0},   // 1380 salary
    {601, kComputed, 0},  // 1399 item block; ends in the deletion mark
};
static_assert(RecordLength(kWorkerFields) == 2000);

// F35R0.DAT, 250 characters.
constexpr NewField kJobFields[] = {
    {11, kComputed, 0},   //   0 code
    {40, kComputed, 0},   //  11 name
    {21, kComputed, 0},   //  51 key: "0", employer, blanks, occupation
    {178, kComputed, 0},  //  72 "0"
};
static_assert(RecordLength(kJobFields) == 250);

// RAIS worker record (type 2).
constexpr std::size_t kUnionAt = 385, kUnionStep = 22;
constexpr int kWorkerUnions = 5;

// Payroll items: a salary entry for the salary type and the social
// security entry with its rate by salary band.
constexpr int kSalaryItem = 1;
constexpr int kSocialSecurityItem = 500;
constexpr double kFirstBand = 1693.72, kSecondBand = 2822.90;
constexpr double kSocialSecurityCap = 5645.80;

std::string ItemEntry(int group, int code, const std::string& reference,
                      double value) {
  return CutText(Format("%d%03d%-7s%-14.2f", group, code, reference.c_str(),
                        value),
                 kItemEntryLength);
}

// The reference of the salary entry: the salary's multiple for a month.
std::string SalaryReference(long salary_type, long hours) {
  switch (salary_type) {
    case 2: return "2";
    case 3: return "4,28";
    case 4: return "30";
    case 5: return Format("%ld", 5 * (hours == 0 ? 44 : hours));
    default: return "1";
  }
}

std::string ItemBlock(long salary_type, long hours, double salary) {
  std::string reference = SalaryReference(salary_type, hours);
  int rate = salary <= kFirstBand ? 8 : salary <= kSecondBand ? 9 : 11;
  std::string block =
      ItemEntry(1, kSalaryItem, reference, ParseAmount(reference) * salary) +
      ItemEntry(2, kSocialSecurityItem, Format("%.2f", static_cast<double>(rate)),
                rate * std::min(salary, kSocialSecurityCap));
  for (int i = 2; i < kMaxItemEntries; ++i) block += ItemEntry(1, 0, "", 0);
  return PadText(block, kItemBlockLength);
}

// The dismissal cause of the register for a RAIS cause.
const char* DismissalCause(long cause) {
  switch (cause) {
    case 10: return "05";
    case 11: return "01";
    case 12: return "20";
    case 20: return "15";
    case 21: return "11";
    case 30: case 31: return "40";
    case 33: return "44";
    case 60: case 64: return "70";
    case 62: case 63: return "71";
    case 70: case 71: return "53";
    case 72: case 78: return "55";
    case 73: case 74: case 76: return "50";
    case 75: return "57";
    case 79: case 80: return "58";
    default: return "99";
  }
}

const char* Category(long employment) {
  switch (employment) {
    case 55: return "103";
    case 90: return "105";
    case 40: return "201";
    case 31: return "301";
    case 35: return "302";
    case 80: return "721";
    default: return "101";
  }
}

const char* Race(char code) {
  switch (code) {
    case '2': return "0";
    case '8': return "1";
    case '4': return "2";
    case '6': return "3";
    case '1': return "4";
    default: return "9";
  }
}

long Number(std::string_view record, std::size_t offset, std::size_t width) {
  return static_cast<long>(ReadLong(RaisField(record, offset, width)));
}

// A number as "%ld", blank when 0.
std::string UnlessZero(long n) { return n == 0 ? "" : Format("%ld", n); }

bool IsOneOf(long n, std::initializer_list<long> values) {
  return std::find(values.begin(), values.end(), n) != values.end();
}

}  // namespace

std::string RaisImport::Job(std::string_view occupation) {
  std::string key = "0" + last_.number + "     " + std::string(occupation);
  std::string folded = UpperAscii(key);
  auto found = job_codes_.find(folded);
  if (found != job_codes_.end()) return found->second;
  std::string name;
  if (occupation.substr(0, 2) == "62") {
    name = "TRABALHADOR RURAL";
  } else {
    name = CboName(std::string(occupation));
    if (name.empty()) {
      name = Format("CARGO %s", TrimRight(occupation).c_str());
    }
  }
  std::string code = Code(++jobs_);
  Append(job_register_, code, BuildRecord("", kJobFields, {code, name, key, "0"}));
  job_codes_.emplace(folded, code);
  return code;
}

void RaisImport::Worker(std::string_view r) {
  // A missing PIS or CPF is told; the worker is imported all the same.
  auto number = [&](std::size_t offset, const char* missing,
                    int (*check)(Context&, int, int), std::size_t width) {
    std::string_view field = RaisField(r, offset, 11);
    if (!HasText(field) || field == "00000000000") {
      ctx_.ui.MessageBox("Trab", missing, Icon::kError, Buttons::kOk);
    }
    ctx_.ui.SetControlText(kScratchControl, std::string(field));
    check(ctx_, kScratchControl, 0);
    return ctx_.ui.GetControlText(kScratchControl, width);
  };
  std::string pis = number(23, "PIS n\xE3o informado", CheckPisControl, 12);
  std::string cpf = number(102, "CPF n\xE3o informado", CheckCpfControl, 14);

  std::string union_code;
  for (int k = 0; k < kWorkerUnions; ++k) {
    std::string code = Union(RaisField(r, kUnionAt + kUnionStep * k, 14),
                             "SINDICATO TRAB", "101");
    if (!code.empty()) union_code = code;
  }
  std::string job = Job(RaisField(r, 148, 6));

  long nationality = Number(r, 94, 2);
  long arrival = Number(r, 96, 4);
  long schooling = Number(r, 100, 2);
  long admission_type = Number(r, 134, 2);
  long salary_type = Number(r, 145, 1);
  long hours = Number(r, 146, 2);
  long employment = Number(r, 154, 2);
  long cause = Number(r, 156, 2);
  double salary = static_cast<double>(ReadLong(RaisField(r, 136, 9))) / 100;
  std::string admission = ScratchDate(ctx_, RaisField(r, 126, 8));
  std::string dismissal =
      ScratchDate(ctx_, std::string(RaisField(r, 158, 4)) + last_.base_year);
  char sex = r[305];
  char disability = r[294];

  std::string worker_number = Code(++workers_);
  std::string record = BuildRecord(
      "", kWorkerFields,
      {worker_number,
       ThroughScratch(ctx_, UpperAscii(RaisField(r, 34, 52)), 40),
       last_.street, last_.street_number, last_.complement, last_.district,
       last_.postal_code, last_.city, last_.state, "", "", cpf, pis,
       UnlessZero(Number(r, 113, 8)), UnlessZero(Number(r, 121, 5)),
       ScratchDate(ctx_, RaisField(r, 86, 8)),
       nationality == 20 ? "2" : nationality > 20 ? "3" : "0",
       arrival > 1000 ? Format("01/01/%04ld", arrival) : "",
       sex == '1' ? "M" : sex == '2' ? "F" : "", Race(r[292]),
       disability == '6' ? "9" : std::string(1, disability),
       schooling == 10   ? "11"
       : schooling > 10 ? "12"
                        : TrimRight(RaisField(r, 100, 2)),
       "", last_.number, "", admission, admission, "1",
       TrimRight(RaisField(r, 134, 2)), admission_type == 3 ? admission : "",
       IsOneOf(employment, {60, 65, 70, 75}) || employment > 89 ? "3" : "1",
       IsOneOf(employment, {30, 31, 35}) ? "2" : "1", Category(employment),
       "0", IsOneOf(employment, {20, 25, 70, 75}) ? "2" : "1", union_code,
       job, last_.pattern, hours == 0 ? "" : Format("%02ld:00", hours),
       dismissal, dismissal.empty() || cause == 0 ? "" : DismissalCause(cause),
       cause == 11 ? "1" : "", salary_type > 5 ? "" : std::string(1, r[145]),
       FormatNumber(salary, 2), ItemBlock(salary_type, hours, salary)});
  Append(worker_register_, worker_number, record);
}

}  // namespace labrena
