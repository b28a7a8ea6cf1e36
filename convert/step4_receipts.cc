// The receipt conversion of the fourth step: the item blocks of the worker
// register and of every receipt in R61 and R62 are rewritten in place in the
// current layout, with new rubric codes, sorted, behind the amount written as
// formatted money. A record is converted whole or not at all: its amount
// field, whose first character is a blank only in the old layout, tells the
// two apart.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/report.h"
#include "convert/step4_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "platform/names.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

struct CodePair {
  int old_code;
  int new_code;
};

// The standard code map: old rubric code to new; 0 means no counterpart.
constexpr CodePair kStandardCodes[] = {
    {1, 1},     {2, 11},    {3, 21},    {4, 23},    {5, 25},    {33, 90},
    {34, 92},   {35, 60},   {36, 64},   {37, 66},   {40, 30},   {41, 0},
    {42, 36},   {43, 0},    {50, 500},  {51, 501},  {52, 502},  {53, 540},
    {54, 541},  {55, 542},  {56, 600},  {57, 601},  {58, 670},  {59, 0},
    {60, 0},    {61, 560},  {63, 628},  {64, 580},  {65, 583},  {66, 581},
    {67, 582},  {100, 340}, {101, 411}, {102, 350}, {103, 680}, {120, 360},
    {121, 364}, {122, 361}, {123, 685}, {130, 418}, {131, 424}, {132, 430},
    {133, 420}, {140, 405}, {141, 0},   {142, 691}, {150, 300}, {151, 234},
    {152, 962}, {153, 325}, {154, 994}, {155, 988}, {156, 0},   {157, 0},
    {158, 996}, {159, 990}, {180, 251}, {181, 242}, {182, 934}, {183, 0},
    {184, 930}, {187, 343}, {189, 0},
};
static_assert(std::size(kStandardCodes) == 63);

// Rubrics that vanish from the item blocks.
bool Vanishes(int old_code) { return old_code == 183 || old_code == 189; }

struct Item {
  int kind = 0;  // 1, 2, 3; 0 for an empty item
  int old_code = 0;
  int new_code = 0;
  std::string reference;  // at most 5 characters
  double value = 0;

  void Clear() { *this = Item(); }
  // Empty items sort after all others.
  int SortKind() const { return kind == 0 ? 9 : kind; }
  bool Before(const Item& other) const {
    return SortKind() != other.SortKind() ? SortKind() < other.SortKind()
                                          : new_code < other.new_code;
  }
};

// Old item: group digit 0, code 1..3, reference 4..8, value 11..24.
Item ReadOldItem(std::string_view old) {
  Item item;
  std::string_view value = old.substr(11, 14);
  if (value.find_first_not_of(' ') != std::string_view::npos) {
    item.value = ParseAmount(CText(value));
  }
  std::string_view reference = CText(old.substr(4, 5));
  std::size_t first = reference.find_first_not_of(' ');
  item.reference =
      first == std::string_view::npos ? "" : std::string(reference.substr(first));
  item.old_code = static_cast<int>(ReadLong(CText(old.substr(1, 3))));
  if (item.old_code == 0) {
    item.kind = 0;
  } else if (item.old_code == 152 || item.old_code == 182 ||
             item.old_code == 184) {
    item.kind = 3;
  } else {
    item.kind = old[0] == '1' ? 1 : 2;
  }
  return item;
}

// The new code of an item from the user table, the standard map, or a new
// user entry (899 once the table is full).
int NewCode(int old_code, ReceiptState& state) {
  RubricTable& table = state.table;
  for (int i = 0; i <= table.count && i < RubricTable::kEntries; ++i) {
    if (table.codes[i] == old_code) {
      table.Use(i);
      return RubricTable::kFirstCode + i;
    }
  }
  int code = StandardCode(old_code);
  if (code != 0) return code;
  if (!table.Add(old_code)) {
    table.Overflow();
    return RubricTable::kFirstCode + RubricTable::kEntries - 1;
  }
  table.Use(table.count);
  return RubricTable::kFirstCode + table.count;
}

// A contribution item (152) takes its value from the items 50 and 51 it
// covers, and turns into its base.
using Items = std::array<Item, kReceiptItems>;

void ConvertContribution(Items& items, Item& item) {
  double rest = item.value;
  int sum = 0;
  for (Item& other : items) {
    if (rest <= 0) break;
    if (other.old_code != 50 && other.old_code != 51) continue;
    sum += other.old_code;
    if (rest > other.value) {
      rest -= other.value;
      other.Clear();
    } else {
      other.value -= rest;
      rest = 0;
    }
  }
  if (sum == 51) item.new_code = 963;
  double percent = ParseAmount(item.reference);
  if (!(percent > 0)) percent = 11;
  item.value = 100 / percent * item.value;
}

// The 25 characters of a new item ("%1d%03d%-7s%-14.2lf"); false when it
// does not fit.
bool WriteItem(const Item& item, std::string* out) {
  if (item.new_code < 0 || item.new_code > 999) return false;
  if (item.kind == 0 && item.new_code == 0 && item.reference.empty() &&
      item.value == 0) {
    out->append("0000       0.00          ");
    return true;
  }
  std::string value = FormatCents(item.value);
  if (item.kind < 0 || item.kind > 9 || item.reference.size() > 7 ||
      value.size() > 14) {
    return false;
  }
  out->push_back(static_cast<char>('0' + item.kind));
  out->push_back(static_cast<char>('0' + item.new_code / 100));
  out->push_back(static_cast<char>('0' + item.new_code / 10 % 10));
  out->push_back(static_cast<char>('0' + item.new_code % 10));
  out->append(item.reference);
  out->append(7 - item.reference.size(), ' ');
  out->append(value);
  out->append(14 - value.size(), ' ');
  return true;
}

// R61\R000000.DAT is a note of an earlier version, not a receipt (receipts
// take their names from REG\R*.DAT less the R); the clean-up step deletes it.
bool IsOldNote(std::string_view folder, const std::string& name) {
  return folder == "R61" && UpperAscii(name) == "R000000.DAT";
}

// Converts the records of one open receipt file in place; false when a
// record could not be converted or the file could not be read or written.
// The pension beneficiaries of the worker register go to *pensions.
// *settled tells whether a second reading would find every record converted:
// the file read whole and clean, and every region written begins as a
// converted one does.
bool ConvertRecords(Context& ctx, ReceiptState& state, RubricLog& log,
                    FileStream* file, const std::string& name,
                    const ReceiptLayout& layout, Outputs* pensions,
                    bool* old_layout, bool* settled) {
  const std::int64_t total =
      (file->Size() + layout.length - 1) / layout.length;
  // "Etapa %d/2 - Recibo %s %-10ld", the record number added to the
  // file's part.
  const std::string status =
      Format("Etapa %d/2 - Recibo %s ", state.attempt,
             name.size() >= 40 ? "" : name.c_str());
  const std::size_t region_at =
      static_cast<std::size_t>(layout.block) - kAmountWidth;
  RecordReader reader(file, static_cast<std::size_t>(layout.length));
  bool fits = true;
  bool reads_converted = true;
  std::int64_t repaired = 0;
  std::string record, region;
  std::vector<std::string> references;
  for (std::int64_t n = 0;; ++n) {
    std::int64_t before = reader.repaired();
    if (!reader.Next(&record)) break;
    ctx.ui.ShowCount(n + 1, total);
    std::string number = std::to_string(n);
    if (number.size() < 10) number.resize(10, ' ');
    ctx.ui.SetStatus(status + number);
    ctx.ui.PeekMessage2();
    if (record.back() == '+') continue;
    references.clear();
    RegionResult result =
        ConvertReceiptRegion(std::string_view(record).substr(region_at),
                             layout, state, &region, &references);
    if (result == RegionResult::kAlreadyConverted) continue;
    *old_layout = true;
    // The table's changes are kept before a receipt uses them.
    if (!log.Save(state.table)) return false;
    if (result == RegionResult::kNoFit) {
      fits = false;
      continue;
    }
    if (reader.repaired() > before) ++repaired;
    // Its bytes come from a record that reads clean unless the reader says
    // otherwise, and a blank first would read as the old layout.
    if (region[0] == ' ') reads_converted = false;
    record.replace(region_at, kReceiptRegion, region);
    WriteBack(file, n * layout.length, record, {{region_at, kReceiptRegion}});
    for (const std::string& reference : references) {
      FileStream* out = pensions->Get(kDependantRegister);
      if (out) {
        pensions->Write(out,
                        PensionRecord(++state.dependants, record, reference));
      }
    }
    if (file->error()) return false;
  }
  if (state.attempt == 1) ReportRepaired(ctx, name, repaired);
  *settled = reads_converted && reader.clean();
  return fits && !reader.failed();
}

// Converts one receipt file and raises the attempt's result; false when it
// could not be converted whole. The worker register is converted in a copy
// in the first attempt, so that it and the pension beneficiaries it adds to
// F13R1.DAT stand or fall together.
bool ConvertReceiptFile(Context& ctx, ReceiptState& state, RubricLog& log,
                        const std::string& name, const ReceiptLayout& layout) {
  Env& env = ctx.env;
  bool old_layout = false;
  bool settled = false;
  bool whole = false;
  if (layout.worker_register && state.attempt == 1) {
    Outputs pensions(env, kDependantLength);
    std::int64_t dependants = state.dependants;
    whole = EditInCopy(env, name, [&](FileStream* copy) {
      return ConvertRecords(ctx, state, log, copy, name, layout, &pensions,
                            &old_layout, &settled) &&
             pensions.Finish();
    });
    if (!whole) {
      pensions.Undo();
      state.dependants = dependants;
    }
  } else {
    File file = OpenUpdate(env, name);
    whole = file &&
            ConvertRecords(ctx, state, log, file.get(), name, layout,
                           nullptr, &old_layout, &settled) &&
            file->Close();
  }
  if (!whole) {
    state.result = 2;
  } else if (old_layout && state.result != 2) {
    state.result = 1;
  }
  if (whole && settled && state.attempt == 1) state.settled.insert(name);
  return whole;
}

}  // namespace

int StandardCode(int old_code) {
  for (const CodePair& pair : kStandardCodes) {
    if (pair.old_code == old_code) return pair.new_code;
  }
  return 0;
}

bool IsStandardRubric(int old_code) { return StandardCode(old_code) != 0; }

RegionResult ConvertReceiptRegion(std::string_view region,
                                  const ReceiptLayout& layout,
                                  ReceiptState& state, std::string* out,
                                  std::vector<std::string>* pensions) {
  std::string_view amount_field = region.substr(0, kAmountWidth);
  if (amount_field[0] != ' ') return RegionResult::kAlreadyConverted;
  double amount = ParseAmount(CText(amount_field));
  Items items;
  for (int j = 0; j < kReceiptItems; ++j) {
    items[j] = ReadOldItem(
        region.substr(kAmountWidth + j * kReceiptItemWidth, kReceiptItemWidth));
  }
  for (Item& item : items) {
    if (item.old_code <= 0) continue;
    if (Vanishes(item.old_code)) {
      item.Clear();
      continue;
    }
    item.new_code = NewCode(item.old_code, state);
    if (item.old_code == 152) ConvertContribution(items, item);
    if (layout.worker_register && item.old_code == 2 && item.value == amount) {
      item.new_code = 1;
      item.reference = "1";
    }
    if (layout.worker_register && state.attempt == 1 && item.old_code == 61) {
      pensions->push_back(item.reference);
    }
  }
  // An exchange sort: each position against every later one.
  for (int i = 0; i < kReceiptItems; ++i) {
    for (int j = i + 1; j < kReceiptItems; ++j) {
      if (items[j].Before(items[i])) std::swap(items[i], items[j]);
    }
  }
  std::string converted = PadText(CutText(FormatNumber(amount, 2), 19), 19);
  converted.reserve(kReceiptRegion);
  for (const Item& item : items) {
    if (!WriteItem(item, &converted)) return RegionResult::kNoFit;
  }
  *out = std::move(converted);
  return RegionResult::kConverted;
}

bool RunReceiptAttempts(Context& ctx, ReceiptState& state, RubricLog& log) {
  Env& env = ctx.env;
  constexpr ReceiptLayout kWorkers = {kWorkerLength, 1399, true};
  constexpr ReceiptLayout kYearly = {701, 100, false};
  constexpr ReceiptLayout kMonthly = {850, 249, false};
  for (state.attempt = 1; state.attempt <= 2; ++state.attempt) {
    state.result = 0;
    std::vector<std::string> failed;
    auto convert = [&](const std::string& name, const ReceiptLayout& layout) {
      if (state.attempt == 2 && state.settled.count(name)) return;
      if (!ConvertReceiptFile(ctx, state, log, name, layout)) {
        failed.push_back(name);
      }
    };
    if (env.Exists(kWorkerRegister)) convert(kWorkerRegister, kWorkers);
    for (const char* folder : {"R61", "R62"}) {
      const ReceiptLayout& layout = folder[2] == '1' ? kYearly : kMonthly;
      for (const DirEntry& entry :
           env.List(std::string(folder) + "\\*.DAT", AllFilesAttribute())) {
        if (entry.is_dir || IsOldNote(folder, entry.name)) continue;
        convert(std::string(folder) + "\\" + entry.name, layout);
      }
    }
    for (const std::string& name : failed) {
      ctx.ui.MessageBox(
          "Convers\xE3o",
          Format("N\xE3o foi poss\xEDvel converter todos os recibos do "
                 "arquivo %s.\nOs que faltam ser\xE3o convertidos na "
                 "pr\xF3xima convers\xE3o.",
                 name.c_str()),
          Icon::kError, Buttons::kOk);
    }
    if (state.result == 0) return true;
    if (state.result == 2 || state.attempt == 2) {
      ctx.ui.MessageBox("Convers\xE3o",
                        state.result == 2
                            ? "Erro na convers\xE3o da tabela."
                            : "Erro na convers\xE3o da tabela na segunda "
                              "tentativa.",
                        Icon::kError, Buttons::kOk);
      ctx.ui.DestroyDialog();
      return false;
    }
  }
  return true;
}

}  // namespace labrena
