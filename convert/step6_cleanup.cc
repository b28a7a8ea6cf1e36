// The last conversion step: deletes the files of earlier versions that have
// no use any more and retires the old folders REG and Temp.
#include <iterator>

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

}  // namespace

void CleanUpObsoleteFiles(Context& ctx) {
  // A missing file, or one that cannot be deleted (read-only), is passed
  // over; the next one is tried.
  for (const char* name : kObsoleteFiles) ctx.env.Remove(name);
  for (const char* folder : kObsoleteFolders) RetireFile(ctx.env, folder);
}

}  // namespace labrena
