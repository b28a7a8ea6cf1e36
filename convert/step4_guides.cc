// Sub-step 1 of the fourth conversion step: the tax-payment guides of R27
// get the month and year of their period in place of its two dates, and the
// name of their form ("GPS" or "DARF"). It runs once per data folder, under
// the conversion marker "590".
#include <cstdint>
#include <string>

#include "convert/report.h"
#include "convert/step4_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/damaged.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

constexpr std::int64_t kGuideLength = 300;
constexpr std::size_t kPeriodOffset = 10;  // first date 10, second date 20
constexpr std::size_t kFormOffset = 65;

// Patches one guide file; false when it could not be read or written. The
// patch stops at the first record whose second date is blank: the rest of
// the file has been patched already. A last record cut short is completed
// with blanks.
bool PatchGuideFile(FileStream* file) {
  RecordReader reader(file, kGuideLength);
  std::string record;
  for (std::int64_t start = 0; reader.Next(&record); start += kGuideLength) {
    // Offsets 10 to 29 hold the two dates, 31 and 32 the guide's kind.
    if (record[20] == ' ') break;
    std::int64_t kind = ReadLong(CText(std::string_view(record).substr(31, 2)));
    std::string form = kind == 70 ? "GPS" : "DARF";
    std::string patched = record;
    patched.replace(kPeriodOffset, 20,
                    PadText(CText(record.substr(23, 7)), 7) + PadText("01", 13));
    patched.replace(kFormOffset, form.size(), form);
    WriteBack(file, start, patched,
              {{kPeriodOffset, 20}, {kFormOffset, form.size()}});
  }
  return !file->error() && !reader.failed();
}

}  // namespace

void PatchTaxGuides(Context& ctx) {
  Env& env = ctx.env;
  for (const DirEntry& entry : env.List("R27\\*.OLD", AllFilesAttribute())) {
    std::string name = "R27\\" + entry.name;
    RemoveOldCopy(env, name.substr(0, name.size() - 3) + "DAT");
  }
  if (IsConverted(env, "590")) return;
  // The marker is written once every guide file has been patched, so that a
  // file that could not be patched now is patched by the next run.
  bool patched = true;
  for (const DirEntry& entry : env.List("R27\\*.DAT", AllFilesAttribute())) {
    if (entry.is_dir) continue;
    std::string name = "R27\\" + entry.name;
    // Patched in a copy, so that a file is patched whole or not at all.
    if (!EditInCopy(env, name, PatchGuideFile)) {
      ctx.ui.MessageBox(
          "Convers\xE3o",
          Format("N\xE3o foi poss\xEDvel atualizar as guias do arquivo %s.\n"
                 "Elas ser\xE3o atualizadas na pr\xF3xima convers\xE3o.",
                 name.c_str()),
          Icon::kError, Buttons::kOk);
      // The patches of the next step are recorded after this one.
      ctx.notes.Kept(name);
      patched = false;
    }
  }
  if (patched) MarkConverted(ctx, "590");
}

}  // namespace labrena
