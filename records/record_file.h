// Opening the product's record files: fixed-length records written back to
// back, no separator, no line terminator. A deleted record ends in '+'.
#ifndef LABRENA_RECORDS_RECORD_FILE_H_
#define LABRENA_RECORDS_RECORD_FILE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/context.h"
#include "platform/file_stream.h"

namespace labrena {

// An open file, or none (nullptr).
using File = std::unique_ptr<FileStream>;

// The openers: binary, byte for byte. The writing ones make a read-only file
// writable first.
File OpenRead(Env& env, const std::string& name);     // "rb"
File OpenUpdate(Env& env, const std::string& name);   // "r+b"
File OpenWrite(Env& env, const std::string& name);    // "wb"
File OpenAppend(Env& env, const std::string& name);   // "ab"
// A plain fopen in text mode ("rt", "r+t", "wt", "at"): reads translate
// CR LF and stop at 0x1A; nothing is made writable first.
File OpenText(Env& env, const std::string& name, OpenMode mode);
void CloseFile(File& file);
void MakeWritable(Env& env, const std::string& name);

// 0 when the file was positioned at offset (which lies inside the file),
// 1 otherwise (the position is then at the end).
int SeekInside(FileStream* file, std::int64_t offset);
// Reads at most n characters, stopping after a line feed; false at the end.
bool ReadChars(FileStream* file, std::string* out, std::size_t n);
// 1 when record n (length l) carries the deletion mark.
int IsDeleted(FileStream* file, std::int64_t n, std::int64_t l);
// 1 when the deletion mark was written into record n.
int MarkDeleted(FileStream* file, std::int64_t n, std::int64_t l);

// Waits for a file that another workstation holds open for writing.
// Modes: 0 give up silently, 1 give up with a warning, 2 wait then go on.
// 0 when the caller may go on, 1 when the file stays busy.
int FileBusy(Context& ctx, const std::string& name, int mode);

constexpr int kAddRecord = 1;
constexpr std::int64_t kGrowLimit = 2000000000;
constexpr std::int64_t kAskLimit = 384000000;

// Tells the user that a record file could not be opened for writing (the
// message of FOpen2).
void ReportOpenError(Context& ctx);

// Prepares a file for adding a record (intent 1) or rewriting record *n.
// On success the file is positioned for the record and *n holds its number.
File FOpen2(Context& ctx, const std::string& name, std::int64_t l,
            std::int64_t* n, int intent, int slot_search);

}  // namespace labrena

#endif  // LABRENA_RECORDS_RECORD_FILE_H_
