// Sub-step 5 of the fourth conversion step: the rubric table F31R0.DAT from
// its template, the recode of one worker field, the user rubric table built
// from the old table F31.DAT, the receipt conversion, and the user rubrics
// that receipts use appended to F31R0.DAT under their new codes.
//
// F31R0.DAT existing means the sub-step is done, except while the work file
// F31R0.TAB exists: it is created with the template's copy and removed once
// the user rubrics are in F31R0.DAT. A run that stops before (a receipt that
// could not be converted, too many user rubrics, a failing disk) leaves it
// holding the user rubric table, so that the next run goes on where this one
// stopped and codes 700 to 899 already written into receipts keep naming
// the same rubrics.
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/layout.h"
#include "convert/report.h"
#include "convert/step4_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/counters.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

constexpr std::size_t kOldRubricLength = 80;

// The worker field at 1046, recoded by the number at 1092..1093.
constexpr std::size_t kRecodedField = 1046;

char RecodedWorkerField(char c, std::int64_t number) {
  bool column = number == 11 || number == 15;
  if (c == '1') return column ? '5' : '1';
  if (c == '2') return column ? '7' : '4';
  return ' ';
}

// Recodes the field of every live worker record (in a copy of the register
// that then takes its place, so that it is recoded whole or not at all).
bool RecodeWorkers(FileStream* file) {
  RecordReader reader(file, kWorkerLength);
  std::string record;
  for (std::int64_t start = 0; reader.Next(&record); start += kWorkerLength) {
    char c = record[kRecodedField];
    if (record.back() == '+' || c == ' ') continue;
    record[kRecodedField] = RecodedWorkerField(
        c, ReadLong(CText(std::string_view(record).substr(1092, 2))));
    WriteBack(file, start, record, {{kRecodedField, 1}});
  }
  return !reader.failed() && !file->error();
}

// The old rubric code of a live F31.DAT record; 0 for a deleted one.
int RubricCode(std::string_view old) {
  if (old.back() == '+') return 0;
  return static_cast<int>(ReadLong(CText(old.substr(0, 4))));
}

// True when the user's rubric of this old record goes into the table.
bool IsUserRubric(int code, std::string_view old) {
  if (code == 40 || code == 42) {
    auto factor = static_cast<std::int64_t>(
        ParseAmount(CText(old.substr(43, 14))) * 100);
    return !(code == 40 && factor == 150) && !(code == 42 && factor == 200);
  }
  if (code == 41 || code == 43 || code == 59 || code == 60 || code == 141 ||
      code == 156 || code == 157 || code >= 200) {
    return true;
  }
  if (code == 183 || code == 189) return false;
  return !IsStandardRubric(code);
}

enum class TableBuild { kBuilt, kNoOldTable, kFailed, kOverflow };

TableBuild BuildTable(Env& env, RubricTable* table) {
  File file = OpenRead(env, kOldRubricTable);
  if (!file) {
    return env.Exists(kOldRubricTable) ? TableBuild::kFailed
                                       : TableBuild::kNoOldTable;
  }
  RecordReader reader(file.get(), kOldRubricLength);
  std::string old;
  while (reader.Next(&old)) {
    int code = RubricCode(old);
    if (code != 0 && IsUserRubric(code, old) && !table->Add(code)) {
      return TableBuild::kOverflow;
    }
  }
  return reader.failed() ? TableBuild::kFailed : TableBuild::kBuilt;
}

// The highest record number in the dependant register: the pension
// beneficiaries go on after it.
// -1 when the register cannot be read.
std::int64_t HighestDependant(Env& env) {
  File file = OpenRead(env, kDependantRegister);
  if (!file) return env.Exists(kDependantRegister) ? -1 : 0;
  RecordReader reader(file.get(), kDependantLength);
  std::string record;
  std::int64_t highest = 0;
  while (reader.Next(&record)) {
    highest = std::max(highest, ReadLong(CText(record.substr(0, 5))));
  }
  return reader.failed() ? -1 : highest;
}

// Table A: old 41..42 into field 8.
int Incidence(std::int64_t old) {
  switch (old) {
    case 1: return 1;
    case 2: return 10;
    case 5: return 39;
    case 6: return 23;
    case 7: return 35;
    case 9: return 57;
    case 10: case 21: case 99: return 95;
    case 30: return 53;
    case 35: return 50;
    case 50: return 80;
    default: return 0;
  }
}

// Tables B (35) and C (36, 37): "1" 11, "2" 12, "3" 13 (table C only).
const char* Flag(char c, bool three) {
  if (c == '1') return "11";
  if (c == '2') return "12";
  if (c == '3' && three) return "13";
  return "00";
}

bool StartsWithoutCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != start[i]) return false;
  }
  return true;
}

// F31R0.DAT user rubric (record length 300) from F31.DAT (80).
constexpr NewField kRubricFields[] = {
    {4, kComputed, 0},   // 1 the new code
    {40, 4, 30},         // 2 description
    {1, kComputed, 0},   // 3 earning 1, deduction 2
    {5, 0, 0},           // 4 to 6
    {1, 40, 1},          // 7
    {2, kComputed, 0},   // 8 table A
    {18, 43, 14},        // 9
    {2, kComputed, 0},   // 10 table B
    {2, kComputed, 0},   // 11 table C
    {2, kComputed, 0},   // 12 table C
    {2, 0, 0},           // 13
    {1, 39, 1},          // 14
    {1, 38, 1},          // 15
    {2, 0, 0},           // 16, 17
    {6, kComputed, 0},   // 18 overtime class
    {3, kComputed, 0},   // 19 its code
    {207, 0, 0},         // 20 to 26
    {1, 0, 0},           // 27 deletion mark
};
static_assert(RecordLength(kRubricFields) == kRubricLength);

std::string RubricRecord(std::string_view old, int code, int new_code) {
  std::string_view description = CText(old.substr(4, 30));
  const char* overtime = "";
  const char* overtime_code = "";
  if (code == 40 || code == 41 || code == 42 || code == 43 ||
      StartsWithoutCase(description, "hora extra") ||
      StartsWithoutCase(description, "horas extras")) {
    overtime = "56";
    overtime_code = "004";
  } else if (code == 156 || code == 157) {
    overtime = "77";
    overtime_code = "018";
  }
  std::string incidence =
      Format("%02d", Incidence(ReadLong(CText(old.substr(41, 2)))));
  return BuildRecord(old, kRubricFields,
                     {Format("%03d", new_code), old[34] == '+' ? "1" : "2",
                      incidence, Flag(old[35], false), Flag(old[36], true),
                      Flag(old[37], true), overtime, overtime_code});
}

// Appends the used user rubrics to F31R0.DAT (cut back first to the
// template's copy) in the order of F31.DAT and sets counter "31"; false
// when that failed.
bool WriteUserRubrics(Context& ctx, const RubricTable& table,
                      std::int64_t base) {
  Env& env = ctx.env;
  std::int64_t size = 0;
  if (!env.FileSize(kRubricTable, &size) ||
      (size > base && env.Truncate(kRubricTable, base) != 0)) {
    return false;
  }
  File file = OpenRead(env, kOldRubricTable);
  if (!file) return false;
  Outputs outputs(env, kRubricLength);
  FileStream* out = outputs.Get(kRubricTable);
  RecordReader reader(file.get(), kOldRubricLength);
  std::string old;
  int highest = 0;
  while (out && reader.Next(&old)) {
    int code = RubricCode(old);
    if (code == 0) continue;
    for (int i = 0; i <= table.count && i < RubricTable::kEntries; ++i) {
      if (table.codes[i] != code || !table.used[i]) continue;
      int new_code = RubricTable::kFirstCode + i;
      outputs.Write(out, RubricRecord(old, code, new_code));
      highest = std::max(highest, new_code);
      break;
    }
  }
  return !reader.failed() && outputs.Finish() &&
         (highest == 0 || SetCounter(ctx, "", "31", highest));
}

void ShowFatal(Context& ctx, const char* text) {
  ctx.ui.MessageBox("Convers\xE3o", text, Icon::kError, Buttons::kOk);
  ctx.ui.DestroyDialog();
}

// Tells that the rubric table could not be converted now; the next run
// goes on from the work file.
void Postpone(Context& ctx) {
  ReportFailure(ctx, kOldRubricTable, kRubricTable);
  ctx.notes.Kept(kOldRubricTable);
}

}  // namespace

void ConvertRubricsAndReceipts(Context& ctx) {
  Env& env = ctx.env;
  // After a failure earlier in the run, receipts or registers this
  // sub-step converts may still be missing; it waits for the next run.
  if (ctx.notes.any_kept()) return;
  RemoveOldCopy(env, kWorkerRegister);
  RubricLog log(env);
  ReceiptState state;
  std::int64_t base = 0;
  if (!log.Exists() || !env.Exists(kRubricTable)) {
    if (env.Exists(kRubricTable) ||
        !CopyOver(env, kRubricTemplate, kRubricTable, true)) {
      return;
    }
    if (!env.FileSize(kRubricTable, &base) || !log.Create(base) ||
        (env.Exists(kWorkerRegister) &&
         !EditInCopy(env, kWorkerRegister, RecodeWorkers))) {
      log.Remove();
      RemoveFile(env, kRubricTable);
      Postpone(ctx);
      return;
    }
  } else if (!log.Load(&base, &state.table)) {
    Postpone(ctx);
    return;
  }
  if (state.table.count < 0) {
    switch (BuildTable(env, &state.table)) {
      case TableBuild::kBuilt:
        break;
      case TableBuild::kNoOldTable:
        // Without the old table no receipt is converted; F31R0.DAT stays
        // the template's copy.
        log.Remove();
        return;
      case TableBuild::kFailed:
        Postpone(ctx);
        return;
      case TableBuild::kOverflow:
        ShowFatal(ctx,
                  "A tabela de vencimentos e descontos do usu\xE1rio "
                  "ultrapassou os limites.\nA convers\xE3o n\xE3o ser\xE1 "
                  "feita.\nEntre em contato com o suporte t\xE9" "cnico.");
        ctx.notes.Kept(kOldRubricTable);
        return;
    }
    if (!log.Save(state.table)) {
      Postpone(ctx);
      return;
    }
  }
  state.dependants = HighestDependant(env);
  if (state.dependants < 0) {
    Postpone(ctx);
    return;
  }
  if (!RunReceiptAttempts(ctx, state, log)) {
    ctx.notes.Kept(kOldRubricTable);
    return;
  }
  // Each of these can be done again: the next run goes on from the work
  // file until F31.DAT is retired. Without the work file F31R0.DAT is done.
  if (state.dependants > 0 && !SetCounter(ctx, "", "13", state.dependants)) {
    Postpone(ctx);
    return;
  }
  if (env.Exists(kOldRubricTable)) {
    if (!WriteUserRubrics(ctx, state.table, base) ||
        (env.Exists(kRubricTemplate) &&
         RemoveFile(env, kRubricTemplate) != 0)) {
      Postpone(ctx);
      return;
    }
    if (!RetireOld(ctx, kOldRubricTable)) return;
  }
  log.Remove();
  if (state.table.overflow) {
    ctx.ui.MessageBox("Convers\xE3o",
                      "Alguns c\xF3" "digos de rubricas n\xE3o foram "
                      "convertidos.\nNos recibos eles atingiram o limite da "
                      "tabela.",
                      Icon::kError, Buttons::kOk);
  }
}

}  // namespace labrena
