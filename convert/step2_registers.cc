// Sub-steps 5 to 11 of the second conversion step: the tax-payment guides
// (R01, R02, R03 to R27), the registers F01R0.DAT, F07R0.DAT, F08R1.DAT and
// F02R1.DAT, the old counters, and the final renames.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/step2_internal.h"
#include "fields/dates.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/counters.h"
#include "records/retire.h"

namespace labrena {

namespace {

// Old guide records (R01, R02, R03; length 467): code 0, month 10, a field
// at 12, 25 characters not carried over, three amounts of 18 at 41, 59, 77.
constexpr std::size_t kOldGuideLength = 467;
constexpr std::size_t kGuideMonth = 10;
constexpr std::size_t kGuideAmounts[] = {41, 59, 77};
constexpr std::size_t kGuideAmountWidth = 18;

// R27\*.DAT (record length 300).
constexpr NewField kGuideFields[] = {
    {10, 0, 10},         // code
    {10, kComputed, 0},  // first day of the month
    {10, kComputed, 0},  // last day of the month
    {3, kComputed, 0},   // the guide code of the folder
    {162, 12, 4},        // 12..15
    {18, 41, 18},        // first amount, as text
    {18, 59, 18},        // second amount
    {69, 77, 18},        // third amount
};
static_assert(RecordLength(kGuideFields) == 300);

// Guide codes of the folders R01, R02, R03.
constexpr const char* kGuideCodes[] = {"270", "235", "265"};

// F01R0.DAT (record length 814) from F306.DAT (654).
constexpr NewField kUnionFields[] = {
    {51, 0, 51},     // code 11 and name 40
    {40, 192, 40},   // 192..231
    {159, 51, 141},  // street, number, complement, district, CEP, city, state
    {18, 291, 18},   // 291..308
    {18, 327, 12},   // 327..338
    {86, 232, 29},   // 232..260
    {442, 339, 60},  // 339..398
};
static_assert(RecordLength(kUnionFields) == 814);

// F07R0.DAT (record length 809) from F307.DAT (212).
constexpr NewField kF07Fields[] = {
    {502, 0, 51},   // 0..50
    {307, 51, 10},  // 51..60
};
static_assert(RecordLength(kF07Fields) == 809);

// F08R1.DAT (record length 1000, one record) from F305.DAT (354).
constexpr NewField kResponsibleFields[] = {
    {11, kComputed, 0},  // the code "00001"
    {40, 0, 40},         // 0..39
    {40, 286, 40},       // 286..325
    {45, 40, 45},        // the first 45 of 40..89
    {18, 90, 8},         // the first 8 of 90..109
    {7, kComputed, 0},   // the digits of 181..188, at most 7
    {89, 110, 71},       // 110..180
    {18, 268, 18},       // 268..285
    {18, 326, 18},       // 326..343
    {86, 189, 19},       // 189..207
    {120, 208, 60},      // 208..267
    {508, 344, 10},      // 344..353
};
static_assert(RecordLength(kResponsibleFields) == 1000);
constexpr std::size_t kResponsibleDigits = 181;

// F02R1.DAT (record length 1000) from F302.DAT (653).
constexpr NewField kF02Fields[] = {
    {91, 0, 51},         // code 11 and name 40
    {70, kComputed, 0},  // address line
    {89, 121, 71},       // district, CEP, city, state
    {389, 291, 18},      // field 13
    {361, 327, 4},       // field 15
};
static_assert(RecordLength(kF02Fields) == 1000);

// The address line of F302.DAT: street (51, 40), number (91, 10) and
// complement (101, 20), the street cut so that the line keeps to 40.
std::string AddressLine(std::string_view old) {
  std::string street = TrimRight(CText(old.substr(51, 40)));
  std::string number = TrimRight(CText(old.substr(91, 10)));
  std::string complement = TrimRight(CText(old.substr(101, 20)));
  std::size_t keep =
      std::min(street.size(), 38 - number.size() - complement.size());
  return street.substr(0, keep) + " " + number + " " + complement;
}

std::string UnionRecord(std::string_view old) {
  return BuildRecord(old, kUnionFields);
}

std::string F07Record(std::string_view old) {
  return BuildRecord(old, kF07Fields);
}

std::string ResponsibleRecord(std::string_view old) {
  std::string digits = KeepDigits(CText(old.substr(kResponsibleDigits, 8)), 7);
  return BuildRecord(old, kResponsibleFields, {"00001", digits});
}

std::string F02Record(std::string_view old) {
  return BuildRecord(old, kF02Fields, {AddressLine(old)});
}

// The year at the start of a guide file's name, kept to four digits.
int NameYear(const std::string& name) {
  return static_cast<int>(std::clamp<std::int64_t>(ReadLong(name), -999, 9999));
}

// Appends the guides of one old file whose sum of amounts is below the
// threshold, until a write fails.
void ConvertGuideFile(RecordReader& reader, Outputs& outputs, FileStream* out,
                      int folder, int year) {
  double threshold = folder == 1 && year <= 2011 ? 29.0 : 10.0;
  std::string old;
  while (reader.Next(&old)) {
    std::string_view view(old);
    double sum = 0;
    for (std::size_t at : kGuideAmounts) {
      sum += ParseAmount(CText(view.substr(at, kGuideAmountWidth)));
    }
    if (!(sum < threshold)) continue;
    // Two characters: a month from -9 to 99.
    int month = static_cast<int>(ReadLong(CText(view.substr(kGuideMonth, 2))));
    Date date{year, 1, static_cast<std::uint8_t>(month)};
    int last_day = month >= 1 && month <= 13 ? DaysInMonth(date) : 0;
    std::string record =
        BuildRecord(view, kGuideFields,
                    {Format("%02d/%02d/%04d", 1, month, year),
                     Format("%02d/%02d/%04d", last_day, month, year),
                     kGuideCodes[folder - 1]});
    if (!outputs.Write(out, record)) return;
  }
}

}  // namespace

bool ConvertTaxGuides(Context& ctx) {
  Env& env = ctx.env;
  // The three folders' files of one year meet in one R27 file. Each source
  // stands or falls alone: after a failure its records are cut from the R27
  // file again and it stays in its folder. Without the folder R27 the
  // sources are retired unconverted.
  const bool has_folder = env.IsDirectory("R27");
  for (int folder = 1; folder <= 3; ++folder) {
    std::string dir = Format("R0%d", folder);
    for (const DirEntry& entry :
         env.List(dir + "\\*.DAT", AllFilesAttribute())) {
      if (entry.is_dir) continue;
      std::string source = dir + "\\" + entry.name;
      std::string target = "R27\\" + entry.name;
      if (!has_folder) {
        if (RetireOld(ctx, source)) continue;
        return false;
      }
      bool failed = false;
      File old_file = OpenSource(ctx, source, target, &failed);
      if (failed) return false;
      if (!old_file) continue;
      Outputs outputs(env, RecordLength(kGuideFields));
      FileStream* out = outputs.Get(target);
      RecordReader reader(old_file.get(), kOldGuideLength);
      if (out != nullptr) {
        ConvertGuideFile(reader, outputs, out, folder, NameYear(entry.name));
      }
      SourceRead read{reader.failed(), reader.repaired()};
      CloseFile(old_file);
      if (!Settle(ctx, outputs, source, target, read)) return false;
    }
    env.RemoveDir(dir);
  }
  return true;
}

bool ConvertUnionRegister(Context& ctx) {
  return ConvertRegister(ctx, {"F306.DAT", 654, "F01R0.DAT",
                               RecordLength(kUnionFields), EveryRecord(UnionRecord)});
}

bool ConvertF07Register(Context& ctx) {
  return ConvertRegister(ctx, {"F307.DAT", 212, "F07R0.DAT",
                               RecordLength(kF07Fields), EveryRecord(F07Record)});
}

bool ConvertResponsible(Context& ctx) {
  return ConvertRegister(
      ctx, {"F305.DAT", 354, "F08R1.DAT", RecordLength(kResponsibleFields),
            EveryRecord(ResponsibleRecord), kFirstRecordOnly});
}

bool ConvertF02Register(Context& ctx) {
  return ConvertRegister(ctx, {"F302.DAT", 653, "F02R1.DAT",
                               RecordLength(kF02Fields), EveryRecord(F02Record)});
}

bool MoveCounters(Context& ctx) {
  // CONFIGA.DAT: seven records of 11 characters, the counters of these codes.
  constexpr const char* kOldCounters = "CONFIGA.DAT";
  constexpr int kOldCounterWidth = 11;
  constexpr int kCounterCodes[] = {0, 16, 13, 2, 1, 7, 4};
  Env& env = ctx.env;
  if (!IsFile(env, kOldCounters) || env.Exists(kCountersFile)) return true;
  bool failed = false;
  File old_file = OpenSource(ctx, kOldCounters, kCountersFile, &failed);
  if (!old_file) return !failed;
  bool moved = true;
  for (int i = 0; i < 7 && moved; ++i) {
    std::int64_t value =
        ReadNumberRecord(old_file.get(), i, kOldCounterWidth);
    moved = !old_file->error() &&
            (value <= 0 ||
             SetCounter(ctx, "", Format("%d", kCounterCodes[i]), value));
  }
  CloseFile(old_file);
  if (moved && env.Remove(kOldCounters) == 0) return true;
  // The counters file begun here goes and CONFIGA.DAT stays, so that the
  // next run takes every counter over.
  env.Remove(kCountersFile);
  ReportFailure(ctx, kOldCounters, kCountersFile);
  ctx.notes.Kept(kOldCounters);
  return false;
}

void RenameConvertedFiles(Context& ctx) {
  struct Rename {
    const char* from;
    const char* to;
  };
  constexpr Rename kRenames[] = {
      {"F301.DAT", "F00.DAT"},    // employer register
      {"F304.DAT", "F13.DAT"},    // dependant register
      {"F303B.DAT", "F16.DAT"},   // worker register
      {"F309.DAT", "F17R1.DAT"},  // unchanged
      {"F308.DAT", "F21R0.DAT"},  // unchanged
      {"C04B.DAT", "F31.DAT"},    // unchanged
  };
  for (const Rename& rename : kRenames) {
    RenameOldFile(ctx, rename.from, rename.to);
  }
}

}  // namespace labrena
