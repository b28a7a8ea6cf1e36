// The RAIS import: the hidden command of the conversion dialog that builds a
// fresh set of employer, union, worker, job and schedule registers from a
// RAIS declaration file, naming the jobs from the CBO 2002 page.
#ifndef LABRENA_RAIS_RAIS_IMPORT_H_
#define LABRENA_RAIS_RAIS_IMPORT_H_

#include <string>

#include "platform/context.h"

namespace labrena {

// Where the dialog imports: the import folder and the CBO page.
inline constexpr const char* kRaisFolder = "c:\\Nelk3\\Temp\\Nelk\\Labrena";
inline constexpr const char* kCboFolder = "c:\\Nelk\\Site\\finan";
inline constexpr const char* kCboPageName = "cod-cbo2002.htm";
inline constexpr const char* kCboPage =
    "c:\\Nelk\\Site\\finan\\cod-cbo2002.htm";

// The import folder holds Rais.txt and receives the registers; the CBO page
// may lie anywhere.
void ImportRais(Context& ctx, const std::string& cbo_page);
// The same with the CBO page named in an Env of its own (rooted at the
// page's folder, which may lie outside the import folder).
void ImportRais(Context& ctx, Env& cbo_env, const std::string& cbo_page);

}  // namespace labrena

#endif  // LABRENA_RAIS_RAIS_IMPORT_H_
