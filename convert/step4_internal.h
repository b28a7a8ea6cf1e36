// The sub-steps of the fourth conversion step and what they share: the
// dependant counter, the user rubric table and the state of the receipt
// conversion's attempts.
#ifndef LABRENA_CONVERT_STEP4_INTERNAL_H_
#define LABRENA_CONVERT_STEP4_INTERNAL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/context.h"

namespace labrena {

// The registers the step writes and the receipt files it converts.
inline constexpr const char* kEmployerRegister = "F00R0.DAT";
inline constexpr const char* kWorkerRegister = "F16R0.DAT";
inline constexpr const char* kDependantRegister = "F13R1.DAT";
inline constexpr const char* kRubricTable = "F31R0.DAT";
inline constexpr const char* kOldRubricTable = "F31.DAT";
inline constexpr const char* kRubricTemplate = "F31R0.DA3";
inline constexpr std::int64_t kWorkerLength = 2000;
inline constexpr std::int64_t kDependantLength = 1000;
inline constexpr std::int64_t kRubricLength = 300;

// The user rubric table: the old codes of the user's own rubrics, entry i
// taking the new code 700 + i, each with a flag set when a receipt uses it.
// Every change is also kept as a line of the work file F31R0.TAB, written
// before any receipt that depends on it, so that a run that stops part-way
// leaves the next one the very table it had.
struct RubricTable {
  static constexpr int kEntries = 200;
  static constexpr int kFirstCode = 700;
  std::array<int, kEntries> codes{};
  std::array<bool, kEntries> used{};
  int count = -1;         // the index of the last filled entry
  bool overflow = false;  // a receipt's rubric found no free entry
  std::string changes;    // work file lines not yet written

  // Adds a code; false when the table is full (count still rises).
  bool Add(int code);
  // Sets the used flag of entry i.
  void Use(int i);
  // Notes that a receipt's rubric found no free entry (code 899).
  void Overflow();
};

// The work file F31R0.TAB: it exists while the rubric conversion is under
// way. Lines of 12 characters: "B" and the length of F31R0.DAT as the
// template's copy, then "A" and an added code, "U" and a used entry, "O"
// when a receipt's rubric found no free entry.
class RubricLog {
 public:
  explicit RubricLog(Env& env) : env_(env) {}
  bool Exists();
  // A new work file for the template's copy of that length.
  bool Create(std::int64_t base);
  // Writes the table's changes; false when they could not be written.
  bool Save(RubricTable& table);
  // The template copy's length and the table as the work file holds them;
  // false when it cannot be read.
  bool Load(std::int64_t* base, RubricTable* table);
  int Remove();

 private:
  Env& env_;
};

// What the attempts of the receipt conversion share.
struct ReceiptState {
  RubricTable table;
  std::int64_t dependants = 0;  // the dependant counter
  int attempt = 0;              // 1 or 2
  int result = 0;               // 0 nothing converted, 1 converted, 2 error
  // Files that the first attempt converted whole and left in a state the
  // second reads as all converted: it passes them by unread.
  std::unordered_set<std::string> settled;
};

// The record of one receipt file: its length and where its item block
// starts; the 19-character amount field lies just before the block.
struct ReceiptLayout {
  std::int64_t length;
  std::int64_t block;
  bool worker_register;  // F16R0.DAT: the amount and rubric 61 rules
};
inline constexpr std::size_t kAmountWidth = 19;
inline constexpr std::size_t kReceiptItemWidth = 25;
inline constexpr int kReceiptItems = 24;
inline constexpr std::size_t kReceiptRegion =
    kAmountWidth + kReceiptItems * kReceiptItemWidth;

// The new code of an old standard rubric; 0 when it has none.
int StandardCode(int old_code);
// True when the old code names a standard rubric.
bool IsStandardRubric(int old_code);

// How converting the amount field and item block of one record went.
enum class RegionResult { kAlreadyConverted, kConverted, kNoFit };

// Converts the amount field and items (region, kReceiptRegion characters)
// of one record in the old layout into *out. The references of its items of
// rubric 61 (worker register, first attempt) go to *pensions. A record whose
// items do not fit the new layout gives kNoFit and *out is not set.
RegionResult ConvertReceiptRegion(std::string_view region,
                                  const ReceiptLayout& layout,
                                  ReceiptState& state, std::string* out,
                                  std::vector<std::string>* pensions);

// The pension-beneficiary record of a worker (key: the first 10 characters
// of the worker record) with the next dependant number.
std::string PensionRecord(std::int64_t number, std::string_view worker,
                          std::string_view reference);

// The sub-steps, in the order the step runs them.
void PatchTaxGuides(Context& ctx);
void ConvertEmployers(Context& ctx);
void ConvertWorkers(Context& ctx);
void ConvertDependants(Context& ctx);
void ConvertRubricsAndReceipts(Context& ctx);

// Runs the attempts of the receipt conversion, keeping the table's changes
// in the work file; false after the fatal error it has shown.
bool RunReceiptAttempts(Context& ctx, ReceiptState& state, RubricLog& log);


}  // namespace labrena

#endif  // LABRENA_CONVERT_STEP4_INTERNAL_H_
