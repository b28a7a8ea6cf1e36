// The end of the fifth conversion step: the leave table F21R0.DAT in the
// layout of F21R1.DAT, and the tagged patches "624", "627" and "628" of the
// current tables, the yearly files of R62 and R63 and the guides of R27.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "convert/item_block.h"
#include "convert/layout.h"
#include "convert/patch.h"
#include "convert/report.h"
#include "convert/step5_internal.h"
#include "fields/dates.h"
#include "fields/numbers.h"
#include "fields/regnum.h"
#include "fields/text.h"
#include "platform/names.h"
#include "records/damaged.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

constexpr const char* kOldLeaves = "F21R0.DAT";
constexpr const char* kLeaves = "F21R1.DAT";
constexpr const char* kEmployers = "F00R0.DAT";
constexpr const char* kRegisters = "F01R0.DAT";
constexpr const char* kResponsible = "F08R1.DAT";
constexpr const char* kWorkers = "F16R0.DAT";

constexpr std::size_t kOldLeaveLength = 46;
constexpr std::size_t kResponsibleLength = 1000;
constexpr std::size_t kYearLength = 652;     // R63\F63yyyy.DAT
constexpr std::size_t kReceiptLength = 850;  // R62\yyyy.DAT, R62\F62yyyy.DAT

// The years 1000 to 2100 of the files of a folder named prefix, four digits
// and ".DAT" (without regard to case), in ascending order.
std::set<int> YearFiles(Env& env, const std::string& folder,
                        const std::string& prefix) {
  std::set<int> years;
  for (const DirEntry& entry :
       env.List(folder + "\\" + prefix + "*.DAT", AllFilesAttribute())) {
    std::string name = UpperAscii(entry.name);
    if (entry.is_dir || name.size() != prefix.size() + 8 ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(prefix.size() + 4, 4, ".DAT") != 0) {
      continue;
    }
    std::string digits = name.substr(prefix.size(), 4);
    if (!std::all_of(digits.begin(), digits.end(), IsDigit)) continue;
    int year = static_cast<int>(ReadLong(digits));
    if (year >= kFirstYear && year <= kLastYear) years.insert(year);
  }
  return years;
}

std::string YearFile(int year) { return Format("R63\\F63%04d.DAT", year); }

// ---- F21R0.DAT to F21R1.DAT ----

// The new code of an old leave code: the first row that fits, by its first
// character or by the whole code, without regard to case.
struct LeaveCode {
  const char* old_code;
  bool first_character;
  const char* new_code;
};
constexpr LeaveCode kLeaveCodes[] = {
    {"O", true, "01"},   {"P", true, "03"},   {"U3", false, "06"},
    {"Q1", false, "17"}, {"Q2", false, "35"}, {"Q3", false, "19"},
    {"Q4", false, "20"}, {"Q5", false, "20"}, {"Q6", false, "20"},
    {"X", true, "21"},   {"W", true, "24"},   {"R", true, "29"},
};

std::string NewLeaveCode(std::string_view old_code) {
  for (const LeaveCode& row : kLeaveCodes) {
    std::string_view part =
        row.first_character ? old_code.substr(0, 1) : old_code;
    if (EqualNoCase(part, row.old_code)) return row.new_code;
  }
  return "";
}

// F21R1.DAT as the conversion writes it (record length 500); tag "627"
// later inserts the sequence number at 13 for records with a start date.
constexpr NewField kLeaveFields[] = {
    {3, kComputed, 0},   // "100"
    {10, 0, 10},         // key: the worker code
    {2, kComputed, 0},   // new code
    {10, kComputed, 0},  // start date, the day after the old one
    {5, kComputed, 0},   // number of days
    {10, kComputed, 0},  // end date
    {1, kComputed, 0},   // flag
    {458, 0, 0},         // blanks
    {1, 45, 1},          // deletion mark, the old last character
};
static_assert(RecordLength(kLeaveFields) == kLeaveLength5);

std::string LeaveRecord(std::string_view old) {
  Date start = ParseDate(old.substr(11, 10));
  if (start.year > 0) NextDay(&start);
  Date end = ParseDate(old.substr(23, 10));
  int days = DayNumber(end) - DayNumber(start) + 1;
  // A count that does not fit its 5 characters (no start date) is left out
  // like one below 1.
  std::string days_text = days >= 1 && days <= 99999 ? Format("%d", days) : "";
  std::string_view code = CText(old.substr(21, 2));
  bool flag = EqualNoCase(code, "O2") || EqualNoCase(code, "P2");
  return BuildRecord(old, kLeaveFields,
                     {"100", NewLeaveCode(code), FormatDate(start), days_text,
                      FormatDate(end), flag ? "1" : "0"});
}

// ---- Tag "624" ----

// The employers that can head a branch (live, branch flag neither "1" nor
// "9"), found by registration number as a scan from record 0 finds them:
// w matches v when their first 14 characters are equal and v has 14, or
// their first 10 otherwise, letters A-Z without case (so an empty v matches
// an empty w only). Records only ever become heads, never stop being one.
class Heads {
 public:
  void Add(int n, std::string_view number, std::string code) {
    by_root_[Key(number, 10)].insert(n);
    by_whole_[Key(number, 14)].insert(n);
    if (codes_.size() <= static_cast<std::size_t>(n)) codes_.resize(n + 1);
    codes_[n] = std::move(code);
  }
  // The code of the first head that number matches; empty for none.
  std::string Find(std::string_view number) const {
    bool whole = number.size() == 14;
    const auto& index = whole ? by_whole_ : by_root_;
    auto it = index.find(Key(number, whole ? 14 : 10));
    return it == index.end() ? "" : codes_[*it->second.begin()];
  }

 private:
  static std::string Key(std::string_view number, std::size_t n) {
    return UpperAscii(number.substr(0, n));
  }

  std::unordered_map<std::string, std::set<int>> by_root_, by_whole_;
  std::vector<std::string> codes_;
};

// Employer references redirected from branches to their heads, applied to
// a field as applying them one by one in their order would: a later
// redirection sees what an earlier one wrote.
class Redirections {
 public:
  void Add(std::string from, std::string to) {
    by_from_[std::move(from)].push_back(to_.size());
    to_.push_back(std::move(to));
  }
  bool empty() const { return to_.empty(); }
  // True when *value was redirected at least once.
  bool Apply(std::string* value) const {
    std::size_t next = 0;
    bool moved = false;
    for (auto it = by_from_.find(*value); it != by_from_.end();
         it = by_from_.find(*value)) {
      auto at = std::lower_bound(it->second.begin(), it->second.end(), next);
      if (at == it->second.end()) break;
      *value = to_[*at];
      next = *at + 1;
      moved = true;
    }
    return moved;
  }

 private:
  std::vector<std::string> to_;
  std::unordered_map<std::string, std::vector<std::size_t>> by_from_;
};

// The employer fields that name an employer (10 characters).
struct EmployerReference {
  const char* file;
  std::size_t length;
  std::size_t offset;
};
constexpr EmployerReference kEmployerReferences[] = {
    {"F04R0.DAT", kBranchLength5, 939},
    {"F07R0.DAT", kMergedLength5, 502},
    {"F35R0.DAT", kJobLength5, 52},
    {"F36R0.DAT", kScheduleLength5, 52},
};

// F00R0.DAT: every branch (flag "9") gets flag "1" and is redirected to its
// head when it has one, "0" otherwise; then offsets 641 and 638 of every
// record are recoded.
void MarkBranches(Patch& patch, Redirections* redirections) {
  Heads heads;
  int n = 0;
  EditRecords(patch, kEmployers, kEmployerLength5, [&](RecordEdit& e) {
    char flag = e.At(701);
    if (!e.deleted() && flag != '1' && flag != '9') {
      heads.Add(n, e.Value(250, 18), e.Value(0, 11));
    }
    ++n;
  });
  n = 0;
  EditRecords(patch, kEmployers, kEmployerLength5, [&](RecordEdit& e) {
    if (e.At(701) == '9') {
      std::string head = heads.Find(e.Value(250, 18));
      e.Put(701, 1, head.empty() ? "0" : "1");
      if (!head.empty()) {
        redirections->Add(e.Value(0, 11), TrimRight(CutText(head, 10)));
      } else if (!e.deleted()) {
        heads.Add(n, e.Value(250, 18), e.Value(0, 11));
      }
    }
    std::int64_t s = ReadLong(e.Text(641, 1));
    e.Put(641, 1, " ");
    if (e.Value(638, 2).empty() && (s == 2 || s == 3)) e.Put(638, 2, "01");
    ++n;
  });
}

// F01R0.DAT: the codes at 232 and 239 by the record kind at 238.
void PatchRegisters(Patch& patch) {
  EditRecords(patch, kRegisters, kRegisterLength5, [](RecordEdit& e) {
    std::int64_t kind = ReadLong(e.Text(238, 1));
    if (!e.Value(232, 3).empty()) return;
    if (kind == 0) {
      e.Put(232, 3, e.At(239) == '0' ? "100" : "101");
      e.Put(239, 1, " ");
    } else if (kind == 2) {
      e.Put(232, 3, "100");
    }
  });
}

// F08R1.DAT, its single record: the CEI moves from 250 to 268, the CPF at
// 268 fills an empty 354, and the flag at 645 is inverted.
void PatchResponsible(Patch& patch) {
  FileStream* file = patch.Edit(kResponsible);
  if (!file) return;
  RecordReader reader(file, kResponsibleLength);
  RecordEdit e{file, 0, std::string(), 0};
  if (reader.Next(&e.record)) {
    std::string a = e.Value(250, 18), b = e.Value(268, 18);
    bool cei = CheckCei(&a) != 0;
    if (cei) e.Put(250, 18, "");
    e.Put(268, 18, cei ? a : "");
    if (e.Value(354, 18).empty() && CheckCpf(&b)) e.Put(354, 18, b);
    if (e.At(645) == '0') {
      e.Put(645, 1, "1");
    } else if (e.At(645) == '1') {
      e.Put(645, 1, "0");
    }
  }
  if (reader.failed() || file->error()) patch.Fail(kResponsible);
}

// F16R0.DAT: valid CPF (345) and PIS (359) numbers in their display forms.
void FormatWorkerNumbers(Patch& patch) {
  EditRecords(patch, kWorkers, kWorkerLength5, [](RecordEdit& e) {
    std::string cpf = e.Value(345, 14);
    if (CheckCpf(&cpf)) e.Put(345, 14, cpf);
    std::string pis = e.Value(359, 12);
    if (CheckPis(&pis)) e.Put(359, 12, pis);
  });
}

// R63 yearly files: records of the old form (kind beginning with "0") take
// the new one; every value is read before any write.
void RewriteYearFiles(Context& ctx, Patch& patch) {
  for (int year : YearFiles(ctx.env, "R63", "F63")) {
    EditRecords(patch, YearFile(year), kYearLength, [](RecordEdit& e) {
      if (e.At(0) != '0') return;
      std::string date = e.Text(40, 10), number = e.Text(21, 10);
      std::string rest = PadText(e.Text(50, 40), 40);
      if (rest[20] == '8') rest[20] = '9';
      e.Put(0, 3, "100");
      e.Put(3, 10, date);
      e.Put(37, 13, number);
      e.Put(50, 42, "  " + rest);
    });
  }
}

bool PatchTo624(Context& ctx, Patch& patch) {
  Redirections redirections;
  MarkBranches(patch, &redirections);
  if (!redirections.empty()) {
    for (const EmployerReference& reference : kEmployerReferences) {
      EditRecords(patch, reference.file, reference.length,
                  [&](RecordEdit& e) {
                    std::string value = e.Value(reference.offset, 10);
                    if (!e.deleted() && redirections.Apply(&value)) {
                      e.Put(reference.offset, 10, value);
                    }
                  });
    }
  }
  PatchRegisters(patch);
  PatchResponsible(patch);
  FormatWorkerNumbers(patch);
  RewriteYearFiles(ctx, patch);
  return patch.Commit();
}

// ---- Tag "627" ----

// R62\F62yyyy.DAT (record length 850) from R62\yyyy.DAT (850).
constexpr NewField kReceiptFields[] = {
    {10, 0, 10},          // worker code
    {10, 0, 0},           // blanks
    {10, kComputed, 0},   // sequence number
    {10, 33, 10},
    {10, 44, 10},         // date of the old head
    {3, 55, 3},
    {10, 11, 10},
    {10, 22, 10},
    {2, kComputed, 0},    // value of item "364"
    {10, 58, 10},
    {145, 0, 0},          // blanks
    {19, 230, 19},        // amount
    {600, kComputed, 0},  // item block
    {1, 849, 1},          // deletion mark
};
static_assert(RecordLength(kReceiptFields) == kReceiptLength);

// Goes through the items of a block up to the code "000": returns the value
// of the first item "364" when it is 0 to 30 (else 0), and recodes the
// first item "500" as "502".
int RecodeItems(std::string* block) {
  int value = 0;
  bool found = false, recoded = false;
  for (std::size_t at = 0; at + kItemEntryLength <= block->size();
       at += kItemEntryLength) {
    std::string_view code = std::string_view(*block).substr(at + 1, 3);
    if (code == "000") break;
    if (code == "364" && !found) {
      std::int64_t number = ReadLong(CText(block->substr(at + 4, 5)));
      value = number >= 0 && number <= 30 ? static_cast<int>(number) : 0;
      found = true;
    } else if (code == "500" && !recoded) {
      block->replace(at + 1, 3, "502");
      recoded = true;
    }
  }
  return value;
}

std::string ReceiptRecord(std::string_view old, std::int64_t sequence) {
  std::string block(old.substr(249, 600));
  int value = RecodeItems(&block);
  return BuildRecord(old, kReceiptFields,
                     {Format("%lld", static_cast<long long>(sequence)),
                      Format("%d", value), block});
}

// F21R1.DAT: the records with a start date get their sequence number.
void NumberLeaves(Patch& patch) {
  std::int64_t sequence = 0;
  EditRecords(patch, kLeaves, kLeaveLength5, [&](RecordEdit& e) {
    if (e.At(17) != '/') return;
    ++sequence;
    e.Put(13, 53,
          Format("%-10lld%-43s", static_cast<long long>(sequence),
                 e.Text(13, 43).c_str()));
  });
  if (sequence > 0) patch.SetCounter("21", sequence);
}

// R63 yearly files: the records of kind 100 are numbered across the years.
void NumberYearFiles(Context& ctx, Patch& patch) {
  std::int64_t sequence = 0;
  for (int year : YearFiles(ctx.env, "R63", "F63")) {
    EditRecords(patch, YearFile(year), kYearLength, [&](RecordEdit& e) {
      if (ReadLong(e.Text(0, 3)) != 100) return;
      e.Put(14, 23, Format("%lld", static_cast<long long>(++sequence)));
    });
  }
  if (sequence > 0) patch.SetCounter("63", sequence);
}

// R62\yyyy.DAT to R62\F62yyyy.DAT, numbered across the years, unless the
// new file exists; the old file is backed up in both cases. Adds the
// repaired records of each old file to *repaired.
void ConvertReceipts(Context& ctx, Patch& patch,
                     std::vector<std::pair<std::string, std::int64_t>>*
                         repaired) {
  std::int64_t sequence = 0;
  for (int year : YearFiles(ctx.env, "R62", "")) {
    std::string old_name = Format("R62\\%04d.DAT", year);
    std::string new_name = Format("R62\\F62%04d.DAT", year);
    if (!ctx.env.Exists(new_name)) {
      File old_file = OpenRead(ctx.env, old_name);
      if (!old_file) patch.Fail(old_name);
      FileStream* receipts = old_file ? patch.Create(new_name) : nullptr;
      if (!receipts) return;
      RecordReader reader(old_file.get(), kReceiptLength);
      std::string old;
      while (reader.Next(&old)) receipts->Write(ReceiptRecord(old, ++sequence));
      if (reader.failed()) patch.Fail(old_name);
      repaired->emplace_back(old_name, reader.repaired());
    }
    patch.Backup(old_name);
  }
  if (sequence > 0) patch.SetCounter("62", sequence);
}

// The guides of R27 whose names have 8 characters take the prefix "F27"; a
// name that is taken leaves both files.
void RenameGuides(Context& ctx, Patch& patch) {
  for (const DirEntry& entry :
       ctx.env.List("R27\\*.DAT", AllFilesAttribute())) {
    if (entry.is_dir || entry.name.size() != 8) continue;
    std::string name = "R27\\" + entry.name;
    // The old copy that the guide patch left when its removal failed goes
    // before the guide takes its new name.
    RemoveOldCopy(ctx.env, name);
    patch.Rename(name, "R27\\F27" + entry.name);
  }
}

bool PatchTo627(Context& ctx, Patch& patch) {
  NumberLeaves(patch);
  NumberYearFiles(ctx, patch);
  std::vector<std::pair<std::string, std::int64_t>> repaired;
  ConvertReceipts(ctx, patch, &repaired);
  RenameGuides(ctx, patch);
  if (!patch.Commit()) return false;
  for (const auto& [name, records] : repaired) {
    ReportRepaired(ctx, name, records);
  }
  return true;
}

// ---- Tag "628" ----

bool PatchTo628(Context&, Patch& patch) {
  // F16R0.DAT: the hour at 983 becomes "hh:00", the digit after it moves
  // to 1379, and 1026 is cleared; a record with ":" at 985 has the new form.
  EditRecords(patch, kWorkers, kWorkerLength5, [](RecordEdit& e) {
    char third = e.At(985);
    if (third == ':') return;
    std::string hour = e.Text(983, 2);
    if (HasText(hour)) {
      std::int64_t number = ReadLong(hour);
      if (number < 0 || number > 99) number = 0;
      e.Put(983, 5, Format("%02d:00", static_cast<int>(number)));
    } else if (third != ' ') {
      e.Put(983, 5, "");
    }
    if (IsDigit(third)) e.Put(1379, 1, std::string(1, third));
    e.Put(1026, 10, "");
  });
  EditRecords(patch, kLeaves, kLeaveLength5,
              [](RecordEdit& e) { e.Put(0, 3, "100"); });
  return patch.Commit();
}

}  // namespace

bool ConvertLeaves(Context& ctx) {
  if (!IsFile(ctx.env, kOldLeaves)) return true;
  Patch patch(ctx);
  std::int64_t repaired = 0;
  if (!ctx.env.Exists(kLeaves)) {
    bool failed = false;
    File old_file = OpenSource(ctx, kOldLeaves, kLeaves, &failed);
    if (failed) return false;
    FileStream* leaves = old_file ? patch.Create(kLeaves) : nullptr;
    if (leaves) {
      RecordReader reader(old_file.get(), kOldLeaveLength);
      std::string old;
      while (reader.Next(&old)) leaves->Write(LeaveRecord(old));
      if (reader.failed()) patch.Fail(kOldLeaves);
      repaired = reader.repaired();
    }
  }
  patch.Backup(kOldLeaves);
  if (!patch.Commit()) return false;
  ReportRepaired(ctx, kOldLeaves, repaired);
  return true;
}

bool PatchTablesTo628(Context& ctx) {
  auto make = [&ctx](bool (*fill)(Context&, Patch&)) {
    return [&ctx, fill](Patch& patch) { return fill(ctx, patch); };
  };
  // With "628" recorded, the step has nothing more to do.
  return MakeTaggedPatch(ctx, "624", make(PatchTo624)) &&
         MakeTaggedPatch(ctx, "627", make(PatchTo627)) &&
         MakeTaggedPatch(ctx, "628", make(PatchTo628));
}

}  // namespace labrena
