// How a conversion step ends the conversion of one old file, and the
// messages it shows when that fails: the old file is kept in the data folder
// and nothing partial is left.
#ifndef LABRENA_CONVERT_REPORT_H_
#define LABRENA_CONVERT_REPORT_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/context.h"
#include "records/outputs.h"

namespace labrena {

// Tells the user that converting source into target failed and that the
// source stays in the data folder.
void ReportFailure(Context& ctx, const std::string& source,
                   const std::string& target);
// Retires an old file or folder of the data folder. When it cannot be moved
// into the retirement folder, the user is told, it stays and the run notes
// it. True when it was retired.
bool RetireOld(Context& ctx, const std::string& name);

// Gives an old file the name a later step looks for it under. A rename onto
// an existing name leaves both files as they are; a rename that fails for
// any other reason is told and noted, since the later steps would then miss
// the file. False after such a failure.
bool RenameOldFile(Context& ctx, const std::string& from,
                   const std::string& to);

// The name with another extension ("F00R0.DAT", "OLD" gives "F00R0.OLD").
std::string WithExtension(const std::string& name, const char* extension);

// Puts an edited copy in the place of a file, by way of old_copy; false
// when the file is still the one it was.
bool ReplaceByCopy(Env& env, const std::string& name, const std::string& copy,
                   const std::string& old_copy);

// Edits a file in a copy (the name with the extension TMP) that takes its
// place (by way of the extension OLD) only when edit succeeds and the copy
// is written; false when the file is still the one it was. A copy or old
// file that an earlier run left is removed first.
bool EditInCopy(Env& env, const std::string& name,
                const std::function<bool(FileStream* copy)>& edit);

// Removes the old file (extension OLD) that an edit in a copy of name left
// when its last removal failed; the edited file is in place.
void RemoveOldCopy(Env& env, const std::string& name);

// Opens an old file (binary) for reading. A file that exists but cannot be
// opened is told, kept and noted (*failed); a missing one is simply none.
File OpenSource(Context& ctx, const std::string& source,
                const std::string& target, bool* failed);

// How the reading of one old file ended.
struct SourceRead {
  bool failed = false;         // the file could not be read to its end
  std::int64_t repaired = 0;   // records read with blanks for damage
};

// Ends the conversion of source into outputs (target names them for the
// user). When every record was read and written, the source is put away,
// by default retired (put_away returns 0 on success), and its repaired
// records are told. Otherwise, or when it cannot be put away, the outputs
// are undone, the user is told, and the source stays for the next run; the
// run notes it. True when the conversion stands.
bool Settle(Context& ctx, Outputs& outputs, const std::string& source,
            const std::string& target, const SourceRead& read,
            const std::function<int()>& put_away = nullptr);

}  // namespace labrena

#endif  // LABRENA_CONVERT_REPORT_H_
