// The tagged patches "617", "618", "619", "620" and "622" of the fifth
// conversion step: once-only changes of the current tables, in this order.
// Each is one Patch: its tables are changed in copies that take their places
// together with its tag in CONV.DAT, or none of them does, and the patches
// after a failed one wait for the next run.
//
// The loops of a patch visit the records of a table in order while the field
// they look at can still be read: a last record that the data ends before
// that field is left as it is; one cut short after it is completed with
// blanks when a field of it is written.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>

#include "convert/layout.h"
#include "convert/patch.h"
#include "convert/step5_internal.h"
#include "fields/hours.h"
#include "fields/numbers.h"
#include "fields/regnum.h"
#include "fields/text.h"
#include "platform/names.h"
#include "records/counters.h"
#include "records/damaged.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {



// F00R0.DAT, the employer register.
constexpr const char* kEmployers = "F00R0.DAT";
constexpr Field kEmployerCode{0, 11};
constexpr Field kNumber{250, 18};  // registration number, also in F07R0
constexpr Field kSecondNumber{268, 18};  // also in F07R0
constexpr Field kEmployer642{642, 1};
constexpr Field kEmployer651{651, 1};
constexpr Field kBranchFlag{701, 1};
constexpr Field kEmployer739{739, 5};

// F01R0.DAT, and the old register F40.DAT whose records of 1000 characters
// begin with an F01R0 record.
constexpr const char* kRegisters = "F01R0.DAT";
constexpr const char* kOldRegisters = "F40.DAT";
constexpr std::int64_t kOldRegisterLength = 1000;
constexpr Field kRegisterKind{238, 1};

// F34.DAT, the code counters.
constexpr const char* kCounters = "F34.DAT";
constexpr Field kCounterName{10, 10};
constexpr Field kCounterValue{20, 10};

// The yearly file of 2018 (record length 500).
constexpr const char* kYearFile = "R69\\F692018.DAT";
constexpr std::int64_t kYearLength = 500;
constexpr Field kTableNumber{107, 3};
constexpr Field kYear130{130, 1};

// F31R0.DAT, the rubric table.
constexpr const char* kRubrics = "F31R0.DAT";
constexpr Field kRubric77{77, 2};

// F36R0.DAT, the schedules; F35R0.DAT, the jobs. The group field of both is
// an employer code.
constexpr const char* kSchedules = "F36R0.DAT";
constexpr const char* kJobs = "F35R0.DAT";
constexpr Field kScheduleKind{51, 1};
constexpr Field kGroup{52, 10};
constexpr Field kStart{80, 5};
constexpr Field kEnd{85, 5};
constexpr Field kWorked{90, 5};
constexpr Field kBreakStart{95, 5};
constexpr Field kBreakEnd{100, 5};

// F07R0.DAT, the responsibles; the registration numbers are at kNumber and
// kSecondNumber.
constexpr const char* kMerged = "F07R0.DAT";
constexpr Field kMergedCode{0, 11};
constexpr Field kOrigin{238, 1};  // "1" for a record merged from F02R1
constexpr Field kMergedEmployer{502, 10};

// F16R0.DAT, the worker register.
constexpr const char* kWorkers = "F16R0.DAT";
constexpr Field kWorker590{590, 1};
constexpr Field kWorker591{591, 1};
constexpr Field kWorker939{939, 1};
constexpr Field kOldFirstCode{953, 2};
constexpr Field kOldSecondCode{955, 2};
constexpr Field kNewCodes{953, 4};  // three digits, then one
constexpr Field kEntry{963, 5};     // the worker's F07R0 code

// F04R0.DAT.
constexpr const char* kBranches = "F04R0.DAT";
constexpr Field kBranch938{938, 1};
constexpr Field kBranchEmployer{939, 10};

// Visits every record of the patch's copy of a table whose data reaches the
// field: a last record that the data ends before it is left as it is.
template <typename Visit>
void EachRecord(Patch& patch, const char* name, std::int64_t length,
                Field field, Visit visit) {
  EditRecords(patch, name, static_cast<std::size_t>(length),
              [&](RecordEdit& t) {
                if (t.Reaches(field)) visit(t);
              });
}

// A one-character value found in from becomes the character at the same
// place in to; any other value stays.
std::string Recode(const std::string& value, std::string_view from,
                   std::string_view to) {
  std::size_t at = value.size() == 1 ? from.find(value[0]) : from.npos;
  return at == from.npos ? value : std::string(1, to[at]);
}

// The kind of a registration number: the first check that accepts it, which
// rewrites it in its display form.
enum class NumberCheck { kNone, kCpf, kCnpj, kCei };

NumberCheck CheckNumber(std::string* number) {
  if (CheckCpf(number)) return NumberCheck::kCpf;
  if (CheckCnpj(number)) return NumberCheck::kCnpj;
  if (CheckCei(number)) return NumberCheck::kCei;
  return NumberCheck::kNone;
}

// Second names of code counters renamed, and the counters set to the value
// of the renamed one when it is above 0.
struct CounterRename {
  std::string_view name;  // the first 3 characters of the second name
  std::string_view renamed;
  const char* counter;  // nullptr: no counter is set
};
constexpr CounterRename kCounterRenames[] = {
    {"1  ", "1-0", nullptr},
    {"7  ", "7-0", "7-1"},
    {"35 ", "35-0", nullptr},
    {"36 ", "36-0", "36-1"},
    {"40 ", "1-1", "1-2"},
};

// Appends the live records of F40.DAT to F01R0.DAT, their kind "0" as "1"
// and any other as "2", and backs F40.DAT up; *repaired counts the records
// read with blanks for damage.
void AppendOldRegisters(Context& ctx, Patch& patch, std::int64_t* repaired) {
  if (patch.failed() || !IsFile(ctx.env, kOldRegisters)) return;
  File old = OpenRead(ctx.env, kOldRegisters);
  FileStream* registers =
      old ? patch.Append(kRegisters, kRegisterLength5) : nullptr;
  if (!registers) {
    patch.Fail(old ? kRegisters : kOldRegisters);
    return;
  }
  RecordReader reader(old.get(), kOldRegisterLength);
  std::string record;
  while (reader.Next(&record)) {
    char& kind = record[kRegisterKind.offset];
    kind = kind == '0' ? '1' : '2';
    if (record.back() == '+') continue;
    registers->Write(PadText(
        CText(std::string_view(record).substr(0, kRegisterLength5)),
        kRegisterLength5));
  }
  if (reader.failed()) patch.Fail(kOldRegisters);
  if (registers->error()) patch.Fail(kRegisters);
  *repaired = reader.repaired();
  patch.Backup(kOldRegisters);
}

// Tag "617": employer fields 642, 651 and 739, the kinds of F01R0.DAT and
// the old register F40.DAT appended to it, the counter names of F34.DAT, and
// field 130 of the yearly file of 2018.
bool Patch617(Context& ctx, Patch& patch) {
  EachRecord(patch, kEmployers, kEmployerLength5, kEmployer642, [](RecordEdit& t) {
    std::string moved = t.Get(kEmployer739);
    if (t.Get(kEmployer642).empty() && !moved.empty()) {
      if (moved[0] >= '1' && moved[0] <= '3') {
        t.Set(kEmployer642, moved.substr(0, 1));
      }
      t.Set(kEmployer739, "");
    }
    std::string value = t.Get(kEmployer651);
    std::string recoded = Recode(value, "234", "123");
    if (recoded != value) t.Set(kEmployer651, recoded);
  });
  EachRecord(patch, kRegisters, kRegisterLength5, kRegisterKind, [](RecordEdit& t) {
    if (t.Get(kRegisterKind).empty()) t.Set(kRegisterKind, "0");
  });
  std::int64_t repaired = 0;
  AppendOldRegisters(ctx, patch, &repaired);

  std::int64_t values[std::size(kCounterRenames)] = {};
  EachRecord(patch, kCounters, kCounterRecord, kCounterName, [&](RecordEdit& t) {
    std::string name = PadText(t.Get(kCounterName), 3);
    for (std::size_t i = 0; i < std::size(kCounterRenames); ++i) {
      const CounterRename& rename = kCounterRenames[i];
      if (!EqualNoCase(name, rename.name)) continue;
      t.Set({kCounterName.offset, rename.renamed.size()}, rename.renamed);
      values[i] = ReadLong(t.Get(kCounterValue));
      break;
    }
  });
  // Set in the copy of F34.DAT once the renames are written.
  for (std::size_t i = 0; i < std::size(kCounterRenames); ++i) {
    const char* counter = kCounterRenames[i].counter;
    if (counter && values[i] > 0) patch.SetCounter(counter, values[i]);
  }

  EachRecord(patch, kYearFile, kYearLength, kYear130, [](RecordEdit& t) {
    if (!t.Get(kYear130).empty()) return;
    std::int64_t table = ReadLong(t.Get(kTableNumber));
    if (table == 7 || table == 36) t.Set(kYear130, "1");
    if (table == 35) t.Set(kYear130, "0");
  });
  if (!patch.Commit()) return false;
  ReportRepaired(ctx, kOldRegisters, repaired);
  return true;
}

// Tag "618": the rubric field at 77, and the worked hours of every schedule
// record computed again.
bool Patch618(Context&, Patch& patch) {
  EachRecord(patch, kRubrics, kRubricLength5, kRubric77, [](RecordEdit& t) {
    if (t.Get(kRubric77).empty()) t.Set(kRubric77, "00");
  });
  EachRecord(patch, kSchedules, kScheduleLength5, kScheduleKind, [](RecordEdit& t) {
    if (t.Get(kScheduleKind) != "1") return;
    std::string start = t.Get(kStart), end = t.Get(kEnd);
    std::string break_start = t.Get(kBreakStart);
    std::string break_end = t.Get(kBreakEnd);
    std::string worked, break_length;
    ShiftHours(&start, &end, &break_start, &break_end, &worked,
               &break_length);
    if (!worked.empty() && worked != t.Get(kWorked)) t.Set(kWorked, worked);
  });
  return patch.Commit();
}

// A code remap as the product kept it in a work file, one line for each
// record merged away or marked as a branch: its code ("%-11s"), then the
// code it stands for now ("%-10s"). A reference is looked up as a scan of
// the lines from the start found it: the first line whose first 10
// characters, trailing blanks removed, equal it exactly.
class CodeRemap {
 public:
  void Add(std::string_view code, std::string_view to) {
    lines_.emplace(TrimRight(CutText(code, 10)), PadText(to, 10));
  }
  // The code (10 characters) that the reference stands for, or nullptr.
  const std::string* Find(const std::string& reference) const {
    auto it = lines_.find(reference);
    return it == lines_.end() ? nullptr : &it->second;
  }
  bool empty() const { return lines_.empty(); }

 private:
  std::unordered_map<std::string, std::string> lines_;
};

// The registration numbers of the live employers (offset 250, not empty) in
// file order, as the product listed them in a work file, for the
// registration match: a number matches an earlier one of 14 characters when
// its first 14 characters are that one, and any other earlier one when their
// first 10 characters are equal (A-Z without case). FindEarlier answers as a
// scan of the list from its start: the first listed employer matched.
class RegistrationList {
 public:
  void Add(const std::string& number, const std::string& code) {
    bool whole = number.size() == 14;
    std::string_view key = std::string_view(number).substr(0, whole ? 14 : 10);
    (whole ? whole_ : roots_).emplace(UpperAscii(key), Listed{count_++, code});
  }
  // The code of the first listed employer that number matches, or nullptr.
  const std::string* FindEarlier(std::string_view number) const {
    const Listed* first = nullptr;
    if (number.size() >= 14) first = Find(whole_, number.substr(0, 14));
    const Listed* root = Find(roots_, number.substr(0, 10));
    if (!first || (root && root->order < first->order)) first = root;
    return first ? &first->code : nullptr;
  }

 private:
  struct Listed {
    std::int64_t order;
    std::string code;
  };
  using Index = std::unordered_map<std::string, Listed>;
  static const Listed* Find(const Index& index, std::string_view key) {
    auto it = index.find(UpperAscii(key));
    return it == index.end() ? nullptr : &it->second;
  }

  Index whole_;  // by the whole number, for numbers of 14 characters
  Index roots_;  // by the first 10 characters, for the others
  std::int64_t count_ = 0;
};

// Writes the code that a live record's employer reference stands for.
void Redirect(RecordEdit& t, Field field, const CodeRemap& remap) {
  if (!t.live()) return;
  if (const std::string* to = remap.Find(t.Get(field))) t.Set(field, *to);
}

// Work files that an earlier version left in the data folder: a digit and
// nine more characters, "*.dat". A customer's file may have such a name, so
// they go to the retirement folder rather than being deleted; one that
// cannot be moved stays.
void RetireWorkFiles(Env& env) {
  for (int digit = 0; digit <= 9; ++digit) {
    for (const DirEntry& entry :
         env.List(Format("%d*.dat", digit), AllFilesAttribute())) {
      if (!entry.is_dir && entry.name.size() == 10) {
        RetireFile(env, entry.name);
      }
    }
  }
}

// Tag "619": duplicate responsibles merged, registration numbers in their
// display form, branches marked and the references to them redirected, and
// the work files of an earlier version put away.
bool Patch619(Context& ctx, Patch& patch) {
  // Merged responsibles with the same numbers and employer are one: every
  // later one is deleted, and the workers that name it name the first.
  std::unordered_map<std::string, std::string> first_codes;
  CodeRemap merged;
  EachRecord(patch, kMerged, kMergedLength5, kOrigin, [&](RecordEdit& t) {
    if (!t.live() || t.Get(kOrigin) != "1") return;
    std::string key = UpperAscii(PadText(t.Get(kNumber), 20) +
                                 PadText(t.Get(kSecondNumber), 20) +
                                 PadText(t.Get(kMergedEmployer), 10));
    auto [first, added] = first_codes.emplace(key, t.Get(kMergedCode));
    if (added) return;
    merged.Add(t.Get(kMergedCode), first->second);
    t.MarkDeleted();
  });
  if (!merged.empty()) {
    EachRecord(patch, kWorkers, kWorkerLength5, kEntry, [&](RecordEdit& t) {
      std::string entry = t.Get(kEntry);
      if (!t.live() || entry.empty()) return;
      if (const std::string* to = merged.Find(entry)) {
        t.Set(kEntry, to->substr(0, kEntry.width));
      }
    });
  }

  // Registration numbers in their display form. A live employer whose
  // number matches an earlier one's is a branch of it: its flag is "1" and
  // the references to it name the earlier one.
  RegistrationList numbers;
  CodeRemap branches;
  EachRecord(patch, kEmployers, kEmployerLength5, kNumber, [&](RecordEdit& t) {
    std::string number = t.Get(kNumber);
    if (CheckCpf(&number) || CheckCnpj(&number)) t.Set(kNumber, number);
    std::string second = t.Get(kSecondNumber);
    switch (CheckNumber(&second)) {
      case NumberCheck::kCpf:
        t.Set(kSecondNumber, "");
        break;
      case NumberCheck::kCnpj:
      case NumberCheck::kCei:
        t.Set(kSecondNumber, second);
        break;
      case NumberCheck::kNone:
        break;
    }
    if (!t.live()) return;
    if (t.Reaches(kBranchFlag) && t.Get(kBranchFlag).empty()) {
      const std::string* head =
          number.empty() ? nullptr : numbers.FindEarlier(number);
      t.Set(kBranchFlag, head ? "1" : "0");
      if (head) branches.Add(t.Get(kEmployerCode), *head);
    }
    if (!number.empty()) numbers.Add(number, t.Get(kEmployerCode));
  });
  EachRecord(patch, kBranches, kBranchLength5, kBranch938, [&](RecordEdit& t) {
    if (t.Reaches(kBranchEmployer)) Redirect(t, kBranchEmployer, branches);
    if (t.Get(kBranch938).empty()) t.Set(kBranch938, "0");
  });
  if (!branches.empty()) {
    EachRecord(patch, kMerged, kMergedLength5, kMergedEmployer,
               [&](RecordEdit& t) { Redirect(t, kMergedEmployer, branches); });
    EachRecord(patch, kJobs, kJobLength5, kGroup,
               [&](RecordEdit& t) { Redirect(t, kGroup, branches); });
    EachRecord(patch, kSchedules, kScheduleLength5, kGroup,
               [&](RecordEdit& t) { Redirect(t, kGroup, branches); });
  }
  if (!patch.Commit()) return false;
  RetireWorkFiles(ctx.env);
  return true;
}

// Tag "620": worker codes of the old tables in the new ones.

// The new three-digit code of the old two-digit code at 953; t is the
// number at 939.
int NewFirstCode(std::int64_t old, std::int64_t t) {
  if (old <= 1) return 101;
  switch (old) {
    case 2: return 201;
    case 3: return 101;
    case 4: return t <= 1 ? 111 : 105;
    case 5: return 721;
    case 6: case 76: return 104;
    case 7: return 103;
    case 11: return 723;
    case 12: return 309;
    case 13: return 701;
    case 15: return 711;
    case 17: return 731;
    case 18: return 734;
    case 19: return 303;
    case 20: return 302;
    case 21: return 301;
    case 22: return 701;
    case 23: return 711;
    case 24: return 731;
    case 25: return 734;
    case 26: return 401;
    case 60: return 901;
    case 91: return 991;
    default: return 995;
  }
}

// The new one-digit code of the old two-digit code at 955.
int NewSecondCode(std::int64_t old) {
  switch (old) {
    case 1: return 1;
    case 2: case 6: return 2;
    case 3: case 7: return 3;
    case 4: case 8: return 4;
    default: return 0;
  }
}

bool Patch620(Context&, Patch& patch) {
  EachRecord(patch, kWorkers, kWorkerLength5, kWorker590, [](RecordEdit& t) {
    t.Set(kWorker590, Recode(t.Get(kWorker590), "28461", "01234"));
    t.Set(kWorker591, Recode(t.Get(kWorker591), "456", "589"));
    int first = NewFirstCode(ReadLong(t.Get(kOldFirstCode)),
                             ReadLong(t.Get(kWorker939)));
    int second = NewSecondCode(ReadLong(t.Get(kOldSecondCode)));
    t.Set(kNewCodes, Format("%-3d%d", first, second));
  });
  return patch.Commit();
}

// Tag "622": a CNPJ kept only as the second registration number becomes the
// first, and a second number equal to the first is cleared.
void MoveCnpj(RecordEdit& t) {
  std::string second = t.Get(kSecondNumber);
  if (CheckNumber(&second) != NumberCheck::kCnpj) return;
  std::string number = t.Get(kNumber);
  if (number.empty()) {
    t.Set(kNumber, second);
    number = second;
  }
  if (EqualNoCase(second, number)) t.Set(kSecondNumber, "");
}

bool Patch622(Context&, Patch& patch) {
  EachRecord(patch, kEmployers, kEmployerLength5, kSecondNumber, MoveCnpj);
  EachRecord(patch, kMerged, kMergedLength5, kSecondNumber, MoveCnpj);
  return patch.Commit();
}

}  // namespace

bool PatchTablesTo622(Context& ctx) {
  static constexpr struct {
    const char* tag;
    bool (*make)(Context&, Patch&);
  } kPatches[] = {{"617", Patch617},
                  {"618", Patch618},
                  {"619", Patch619},
                  {"620", Patch620},
                  {"622", Patch622}};
  for (const auto& [tag, make] : kPatches) {
    auto fill = [&ctx, make = make](Patch& patch) { return make(ctx, patch); };
    if (!MakeTaggedPatch(ctx, tag, fill)) return false;
  }
  return true;
}

}  // namespace labrena
