// Retiring converted files into the retirement folder below the system's
// temporary folder, the conversion marker CONV.DAT, and small file routines
// that the steps use with them.
#ifndef LABRENA_RECORDS_RETIRE_H_
#define LABRENA_RECORDS_RETIRE_H_

#include <string>

#include "platform/context.h"

namespace labrena {

// The folder text every step passes to RetireFile.
inline constexpr const char* kRetireFolder = "Nelk\\Labrena";

// The temporary folder with a trailing separator, by the product's rule: the
// system's, or the fallback (created if missing) when the system reports
// nothing or a path of 156 characters or more.
std::string TempFolder(Env& env);

// Moves a file or folder of the data folder to temp + folder + "\" + name,
// then ".001" to ".100" appended when taken. 0 when moved; non-zero when it
// does not exist or every name failed (the file then stays in place).
int RetireFile(Env& env, const std::string& name,
               const std::string& folder = kRetireFolder);

// 1 when CONV.DAT holds a line beginning with the tag (case ignored).
int IsConverted(Env& env, const std::string& tag);
// The same, telling whether CONV.DAT exists but could not be read (the tag
// then counts as absent).
int IsConverted(Env& env, const std::string& tag, bool* unreadable);
// Non-zero, doing nothing, when the tag is marked already; otherwise appends
// the tag and CR LF to CONV.DAT and returns 0.
int MarkConverted(Context& ctx, const std::string& tag);

// Copies source over target, clearing the target's read-only attribute first.
bool CopyOver(Env& env, const std::string& source, const std::string& target,
              bool fail_if_exists);
// Makes the file writable, then deletes it. 0 on success.
int RemoveFile(Env& env, const std::string& name);
// "hhmmss" and the hundredths as three digits, cut to 9, then ".tmp".
std::string TempFileName(Env& env);
// The directory search mask of every kind but volume labels.
int AllFilesAttribute();

}  // namespace labrena

#endif  // LABRENA_RECORDS_RETIRE_H_
