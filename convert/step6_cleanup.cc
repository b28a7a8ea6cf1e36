// The last conversion step: deletes the files of earlier versions that have
// no use any more and retires the old folders REG and Temp.
#include <iterator>

#include "convert/report.h"
#include "convert/steps.h"
#include "records/retire.h"

namespace labrena {
namespace {

// In the order of deletion; names are resolved without regard to case.
constexpr const char* kObsoleteFiles[] = {
    "conf30.bak",       "conf30a.bak", "conf30b.bak", "conf30c.bak",
    "CONF0.SAT",        "C01.DAT",     "C10.DAT",     "lab01.txt",
    "lab02.txt",        "lab03.txt",   "lab04.txt",   "ptra00.txt",
    "ptra00a.txt",      "ptra00b.txt", "ptra00c.txt", "ptra01.txt",
    "ptra02.txt",       "ptra03a.txt", "ptra03b.txt", "ptra040.txt",
    "ptra041.txt",      "ptra042.txt", "ptra04m.txt", "ptra07.txt",
    "ptra08.txt",       "ptra09.txt",  "ptra10.txt",  "ptra12.txt",
    "ptra13.txt",       "ptra14.txt",  "sind.dat",    "tab1r0.dat",
    "r61\\r000000.dat",
    "labrena4.exe",  // the old program
    "La0.hlp",          "La0.gid",     "la02.hlp",    "la02.gid",
};
static_assert(std::size(kObsoleteFiles) == 38);

// Retired whole, in this order, after the deletions.
constexpr const char* kObsoleteFolders[] = {"REG", "Temp"};

// True when REG still holds old files that the first two steps convert.
bool HoldsUnconverted(Env& env) {
  for (const DirEntry& entry : env.List("REG\\R*.DAT", AllFilesAttribute())) {
    if (!entry.is_dir) return true;
  }
  return env.Exists("REG\\REGFE.DAT") || env.Exists("REG\\REGRE.DAT");
}

}  // namespace

void CleanUpObsoleteFiles(Context& ctx) {
  Env& env = ctx.env;
  // A missing file, or one that cannot be deleted (read-only), is passed
  // over; the next one is tried.
  for (const char* name : kObsoleteFiles) env.Remove(name);
  for (const std::string folder : kObsoleteFolders) {
    if (!env.Exists(folder)) continue;
    // After a failure earlier in this run, the old files still in REG wait
    // there for the next run.
    if (folder == "REG" && ctx.notes.any_kept() && HoldsUnconverted(env)) {
      ctx.ui.MessageBox(
          "Convers\xE3o",
          "A pasta REG ainda cont\xE9m arquivos que n\xE3o foram "
          "convertidos.\nEla continua na pasta de dados e ser\xE1 convertida "
          "na pr\xF3xima vez.",
          Icon::kWarning, Buttons::kOk);
      continue;
    }
    RetireOld(ctx, folder);
  }
}

}  // namespace labrena
