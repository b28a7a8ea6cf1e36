// Sub-steps 2 to 4 of the fourth conversion step: the employer register
// F00.DAT into F00R0.DAT, the worker register F16.DAT into F16R0.DAT and the
// dependant register F13.DAT into F13R1.DAT. Deleted records are left out.
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/layout.h"
#include "convert/report.h"
#include "convert/step4_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

bool IsDeletedRecord(std::string_view old) {
  return !old.empty() && old.back() == '+';
}

// The old characters at [from, from + length) as C text.
std::string_view Old(std::string_view old, std::size_t from,
                     std::size_t length) {
  return CText(old.substr(from, length));
}

// F00R0.DAT (record length 1000) from F00.DAT (983).
constexpr std::size_t kOldEmployerLength = 983;
constexpr NewField kEmployerFields[] = {
    {11, 0, 11},         // 1 employer code
    {40, 11, 40},        // 2
    {40, 192, 40},       // 3
    {40, 51, 40},        // 4
    {5, 91, 5},          // 5
    {18, 101, 18},       // 6
    {7, 0, 0},           // 7
    {30, 121, 30},       // 8
    {9, 151, 9},         // 9
    {30, 160, 30},       // 10
    {2, 190, 2},         // 11
    {3, 0, 0},           // 12
    {3, 0, 0},           // 13
    {1, 0, 0},           // 14
    {1, 341, 1},         // 15
    {10, 0, 0},          // 16
    {18, 309, 18},       // 17 registration number
    {18, 291, 18},       // 18 second registration number
    {4, 232, 4},         // 19
    {41, 236, 15},       // 20
    {23, 0, 0},          // 21
    {18, 327, 14},       // 22
    {60, 0, 0},          // 23
    {60, 0, 0},          // 24
    {10, 0, 0},          // 25
    {10, 0, 0},          // 26
    {40, 0, 0},          // 27
    {10, 756, 10},       // 28
    {51, 0, 0},          // 29
    {18, 0, 0},          // 30
    {7, kComputed, 0},   // 31 the digits of 646..655, at most 7
    {2, 0, 0},           // 32
    {1, kComputed, 0},   // 33 recoded from 669
    {1, 663, 1},         // 34
    {1, 0, 0},           // 35
    {1, 780, 1},         // 36
    {4, 0, 0},           // 37 to 40
    {1, 755, 1},         // 41
    {1, 782, 1},         // 42
    {1, 781, 1},         // 43
    {1, 670, 1},         // 44
    {2, 644, 2},         // 45
    {4, 661, 2},         // 46
    {5, 656, 5},         // 47
    {3, 624, 3},         // 48
    {4, 627, 4},         // 49
    {4, 631, 4},         // 50
    {4, 0, 0},           // 51
    {4, 0, 0},           // 52
    {5, 0, 0},           // 53
    {10, 0, 0},          // 54
    {2, 0, 0},           // 55
    {5, 0, 0},           // 56 to 60 (58: branch flag)
    {30, 0, 0},          // 61
    {5, 745, 5},         // 62
    {5, 664, 5},         // 63
    {6, 739, 6},         // 64
    {5, 750, 5},         // 65
    {30, 0, 0},          // 66
    {3, 0, 0},           // 67 to 69
    {211, 0, 0},         // 70
    {1, 0, 0},           // 71 deletion mark
};
static_assert(RecordLength(kEmployerFields) == 1000);

// Table A: old 669 into one digit.
char EmployerKind(char old) {
  switch (old) {
    case '1': return '2';
    case '2': return '3';
    case '4': return '1';
    default: return '9';
  }
}

bool EmployerRecord(std::string_view old, std::string* record) {
  if (IsDeletedRecord(old)) return false;
  std::string digits = KeepDigits(Old(old, 646, 10), 7);
  char kind[] = {EmployerKind(old[669]), '\0'};
  *record = BuildRecord(old, kEmployerFields, {digits, kind});
  return true;
}

// F16R0.DAT (record length 2000) from F16.DAT (1955).
constexpr std::size_t kOldWorkerLength = 1955;
constexpr NewField kWorkerFields[] = {
    {11, 0, 11},         // 1 worker code
    {45, 11, 40},        // 2
    {35, 0, 0},          // 3
    {40, 51, 40},        // 4
    {5, 91, 5},          // 5
    {18, 96, 18},        // 6
    {7, 114, 7},         // 7
    {30, 121, 30},       // 8
    {9, 151, 9},         // 9
    {30, 160, 30},       // 10
    {2, 190, 2},         // 11
    {8, 0, 0},           // 12 to 15
    {4, 232, 4},         // 16
    {41, 236, 15},       // 17
    {60, 0, 0},          // 18
    {14, 486, 14},       // 19 CPF
    {12, 580, 12},       // 20 PIS
    {11, 598, 8},        // 21
    {5, 606, 5},         // 22
    {2, 611, 2},         // 23
    {10, 0, 0},          // 24
    {14, kComputed, 0},  // 25 the letters and digits of 500..517
    {20, 518, 10},       // 26
    {2, 528, 2},         // 27
    {11, 0, 0},          // 28, 29
    {10, 616, 10},       // 30
    {30, 678, 30},       // 31
    {2, 708, 2},         // 32
    {8, 0, 0},           // 33, 34
    {1, kComputed, 0},   // 35 table A
    {10, kComputed, 0},  // 36 rule B
    {2, 0, 0},           // 37
    {40, 748, 40},       // 38
    {40, 788, 40},       // 39
    {1, 403, 1},         // 40
    {1, 401, 1},         // 41
    {1, 402, 1},         // 42
    {2, 404, 2},         // 43
    {1, 847, 1},         // 44
    {40, 848, 40},       // 45
    {189, 0, 0},         // 46 to 56
    {14, 530, 14},       // 57
    {4, 544, 4},         // 58
    {6, 0, 0},           // 59, 60
    {3, 914, 3},         // 61
    {4, 890, 4},         // 62
    {1, 894, 1},         // 63
    {13, 899, 13},       // 64
    {2, 912, 2},         // 65
    {3, 896, 3},         // 66
    {10, 291, 10},       // 67 the employer's code
    {10, 281, 10},       // 68
    {10, 626, 10},       // 69
    {10, 637, 10},       // 70
    {2, 0, 0},           // 71, 72
    {2, kComputed, 0},   // 73 "0" and 636
    {10, 647, 10},       // 74
    {11, 0, 0},          // 75, 76
    {1, kComputed, 0},   // 77 table C
    {10, 0, 0},          // 78
    {1, kComputed, 0},   // 79 table D
    {2, 0, 0},           // 80, 81
    {3, 710, 3},         // 82
    {1, 713, 1},         // 83
    {1, kComputed, 0},   // 84 table E
    {5, 456, 5},         // 85
    {5, 416, 5},         // 86 the worker's entry in F07R0.DAT
    {5, 421, 5},         // 87
    {5, 426, 5},         // 88
    {5, 431, 5},         // 89
    {5, kComputed, 0},   // 90 614..615 then 613
    {15, 0, 0},          // 91 to 93
    {23, 0, 0},          // 94, 95
    {10, 728, 10},       // 96
    {10, 738, 10},       // 97
    {1, 714, 1},         // 98 recoded later in the step
    {10, 715, 10},       // 99
    {25, 0, 0},          // 100
    {10, 666, 10},       // 101
    {2, 676, 2},         // 102
    {1, kComputed, 0},   // 103 table F
    {16, 828, 16},       // 104
    {5, 0, 0},           // 105 to 109
    {263, 0, 0},         // 110 to 113
    {1, 0, 0},           // 114
    {3, 0, 0},           // 115: three blanks before
    {15, 1338, 15},      //      the old amount
    {601, 1353, 601},    // 116 the amount's last character and the items
    {1, 0, 0},           // 117 deletion mark
};
static_assert(RecordLength(kWorkerFields) == kWorkerLength);

// Old numbers read as atol reads them, a field without digits as 0.
std::int64_t OldNumber(std::string_view old, std::size_t from,
                       std::size_t length) {
  return ReadLong(Old(old, from, length));
}

bool WorkerRecord(std::string_view old, std::string* record) {
  if (IsDeletedRecord(old)) return false;
  std::int64_t kind = OldNumber(old, 660, 2);
  const char* table_a = kind == 10 ? "0" : kind == 20 ? "2" : "3";
  std::int64_t year = OldNumber(old, 662, 4);
  std::string since =
      year > 0 ? Format("01/01/%04lld", static_cast<long long>(year)) : "";
  std::int64_t c = OldNumber(old, 657, 2);
  const char* table_c =
      c == 50 || c == 60 || c == 65 || c == 70 || c == 75 || c >= 90 ? "3"
                                                                       : "1";
  const char* table_d = c == 30 || c == 31 ? "2" : "1";
  const char* table_e = c == 20 || c == 25 || c == 70 || c == 75 ? "2" : "1";
  char x = old[888], y = old[889];
  const char* table_f = x == '1' && y == '1' ? "2"
                        : y == '1'           ? "1"
                        : y == '0'           ? "0"
                                             : "";
  std::string zero_636 = "0" + std::string(Old(old, 636, 1));
  std::string field_90 =
      std::string(Old(old, 614, 2)) + std::string(Old(old, 613, 1));
  *record = BuildRecord(
      old, kWorkerFields,
      {KeepAlnum(Old(old, 500, 18), 14), table_a, since, zero_636, table_c,
       table_d, table_e, field_90, table_f});
  return true;
}

// F13R1.DAT (record length 1000) from F13.DAT (204).
constexpr std::size_t kOldDependantLength = 204;
constexpr NewField kDependantFields[] = {
    {5, kComputed, 0},   // the record number
    {6, 0, 0},           //
    {80, 11, 40},        // name
    {109, 0, 0},         //
    {38, 136, 20},       //
    {2, kComputed, 0},   // kind of person
    {252, 74, 10},       //
    {10, 52, 10},        //
    {10, 86, 10},        // the worker's key
    {40, 116, 20},       //
    {63, 64, 10},        //
    {1, kComputed, 0},   // 62, "6" made "9"
    {33, kComputed, 0},  // 63, "6" made "9"
    {9, 96, 9},          //
    {6, 105, 6},         //
    {336, 111, 5},       // the last byte is the deletion mark
};
static_assert(RecordLength(kDependantFields) == kDependantLength);

std::string SixToNine(std::string_view old, std::size_t at) {
  std::string code(Old(old, at, 1));
  if (code == "6") code = "9";
  return code;
}

}  // namespace

std::string PensionRecord(std::int64_t number, std::string_view worker,
                          std::string_view reference) {
  // Offsets: number 0, name 11, kind 238, worker key 502, pension type 671,
  // reference 673, flag 692; the last byte is the deletion mark.
  std::string record(kDependantLength, ' ');
  auto put = [&record](std::size_t at, std::string_view text) {
    record.replace(at, text.size(), text);
  };
  put(0, Format("%05lld", static_cast<long long>(number)));
  put(11, "BENEFICI\xC1RIO PENS\xC3O");
  put(238, "1");
  put(502, CText(worker.substr(0, 10)));
  put(671, "35");
  put(673, CText(reference.substr(0, 5)));
  put(692, "1");
  return record;
}

void ConvertEmployers(Context& ctx) {
  // When F00.DAT had records, the responsible's 7-digit field (offsets 154
  // to 160 of F08R1.DAT) is cleared; without F08R1.DAT nothing happens.
  auto clear_responsible = [&ctx](std::int64_t records) {
    if (records == 0 || !IsFile(ctx.env, "F08R1.DAT")) return true;
    File responsible = OpenUpdate(ctx.env, "F08R1.DAT");
    return responsible && responsible->Seek(154) &&
           responsible->WritePadded("", 7) && responsible->Close();
  };
  ConvertRegister(ctx, {"F00.DAT", kOldEmployerLength, kEmployerRegister,
                        RecordLength(kEmployerFields), EmployerRecord, 0,
                        "Empregador", clear_responsible});
  RemoveFile(ctx.env, "D11.DEN");
}

void ConvertWorkers(Context& ctx) {
  // The third step edits F16.DAT in a copy too.
  RemoveOldCopy(ctx.env, "F16.DAT");
  ConvertRegister(ctx, {"F16.DAT", kOldWorkerLength, kWorkerRegister,
                        kWorkerLength, WorkerRecord, 0, "Trabalhador"});
}

void ConvertDependants(Context& ctx) {
  std::int64_t number = 0;
  auto convert = [&number](std::string_view old, std::string* record) {
    if (IsDeletedRecord(old)) return false;
    *record = BuildRecord(
        old, kDependantFields,
        {Format("%05lld", static_cast<long long>(++number)), "0",
         SixToNine(old, 62), SixToNine(old, 63)});
    return true;
  };
  ConvertRegister(ctx, {"F13.DAT", kOldDependantLength, kDependantRegister,
                        kDependantLength, convert, 0, "Dependente"});
}

}  // namespace labrena
