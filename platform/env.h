// The operating system as the core sees it: files, folders and a few system
// services. Every file operation of the core goes through an Env, so that a
// wrapper can add behaviour (fault injection in tests) without touching a step.
//
// Names are the product's own: relative to the data folder, with backslashes
// ("R62\2005.DAT"), or absolute (the temporary folder). On POSIX the Env maps
// backslashes to slashes and resolves each component without regard to ASCII
// letter case; of two spellings that differ only in case, the first in byte
// order is the one a name stands for.
//
// Names never leave the data folder or the temporary folder: a name with a
// ".." component, or an absolute one outside the temporary folder, is refused
// (as a missing file), and a symbolic link is never written through to a file
// outside them.
#ifndef LABRENA_PLATFORM_ENV_H_
#define LABRENA_PLATFORM_ENV_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace labrena {

// How a file is opened at the OS level; always binary.
enum class OpenMode {
  kRead,    // "rb": existing file, read only
  kUpdate,  // "r+b": existing file, read and write in place
  kWrite,   // "wb": create or truncate, then write
  kAppend,  // "ab": create if missing, every write goes to the end
};

// An open file at the OS level: unbuffered positional reads and writes.
// FileStream (file_stream.h) adds buffering and the C runtime's semantics.
class OsFile {
 public:
  virtual ~OsFile() = default;
  // Reads up to n bytes at offset; *got receives the count (0 at the end).
  virtual bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
                      std::size_t* got) = 0;
  // Writes all n bytes at offset (in append mode the offset is ignored and the
  // bytes go to the end). False when not every byte was written.
  virtual bool WriteAt(std::int64_t offset, const char* buf,
                       std::size_t n) = 0;
  virtual bool Size(std::int64_t* size) = 0;
  // Flushes what was written to the disk itself.
  virtual bool Sync() { return true; }
  virtual bool Close() = 0;
};

struct DirEntry {
  std::string name;  // the entry's name as stored, without the folder
  bool is_dir = false;
  bool read_only = false;
  bool hidden = false;
  bool system = false;
};

// Attribute bits of a directory search, as the product's runtime names them.
constexpr int kAttrReadOnly = 0x01;
constexpr int kAttrHidden = 0x02;
constexpr int kAttrSystem = 0x04;
constexpr int kAttrSubdir = 0x10;
constexpr int kAttrArchive = 0x20;

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, hundredths = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // Opens a file; nullptr when the system refuses (missing, a folder,
  // read-only for a writing mode, no permission).
  virtual std::unique_ptr<OsFile> Open(const std::string& name,
                                       OpenMode mode) = 0;
  // True when a file or folder of that name exists.
  virtual bool Exists(const std::string& name) = 0;
  virtual bool IsDirectory(const std::string& name) = 0;
  // True when the file exists and is not read-only.
  virtual bool IsWritable(const std::string& name) = 0;
  // Makes an existing file readable and writable; false when it is missing.
  virtual bool MakeWritable(const std::string& name) = 0;
  // The name with its last component spelled as the folder stores it (the
  // file "Ptra00.txt" that the name "PTRA00.TXT" stands for); the name
  // itself when nothing of that name exists.
  virtual std::string StoredName(const std::string& name) { return name; }
  // With on, the last component of every name is taken as spelled, never
  // for a name that differs only in case (the undo of a conversion puts a
  // file back beside its case twin). Only a case-sensitive file system
  // needs it.
  virtual void SetLiteralNames(bool /*on*/) {}
  // Makes an existing file read-only again (undoing MakeWritable); false
  // when it is missing or the Env cannot.
  virtual bool MakeReadOnly(const std::string& /*name*/) { return false; }
  // Size of a file in bytes; false when it does not exist.
  virtual bool FileSize(const std::string& name, std::int64_t* size) = 0;

  // Renames or moves a file or folder. Never replaces an existing target;
  // fails across file systems with EXDEV. Returns 0 on success, non-zero
  // otherwise.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Moves a file or folder, also to another file system: where a rename
  // cannot do it, the file (every file of the folder) is copied and flushed
  // to disk, and only then is the source removed. Never replaces an existing
  // target. 0 on success; on failure the source is whole where it was.
  virtual int Move(const std::string& from, const std::string& to);
  // Cuts a file back to size bytes (a failed append is undone this way).
  // 0 on success.
  virtual int Truncate(const std::string& name, std::int64_t size) = 0;
  // Deletes a file (not a folder). 0 on success.
  virtual int Remove(const std::string& name) = 0;
  // Creates one folder; 0 on success.
  virtual int MakeDir(const std::string& name) = 0;
  // Removes an empty folder; 0 on success.
  virtual int RemoveDir(const std::string& name) = 0;
  // Copies a file and flushes the copy to disk. With fail_if_exists an
  // existing target is not touched.
  virtual bool CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) = 0;

  // Lists the entries of a folder that match a pattern ("REG\R*.DAT": folder
  // part, then a last component with '*' and '?' compared without regard to
  // case), sorted by their upper-cased names in byte order, names that differ
  // only in case in byte order. Entries are kept when they are plain files or
  // when all their attribute bits (hidden, system, folder) are in the mask;
  // "." and ".." and names that could leave the folder (holding a '\', a '/'
  // or a control character) are never returned.
  virtual std::vector<DirEntry> List(const std::string& pattern,
                                     int attribute_mask) = 0;

  // The busy test: opens the file for reading while denying write access to
  // others. False while another process holds it open for writing.
  virtual bool OpenDenyWrite(const std::string& name) = 0;

  // The system's temporary folder as the system reports it (may be empty or
  // lack a trailing separator; the caller applies the product's rules).
  virtual std::string SystemTempPath() = 0;
  // Absolute path of the product's fallback temporary folder ("C:\Temp\").
  virtual std::string FallbackTempPath() = 0;

  virtual void SleepMs(int ms) = 0;
  virtual LocalTime Now() = 0;
};

// A name with its last component replaced by last.
std::string WithLastComponent(const std::string& name, const std::string& last);

// Copies a folder and everything below it (each file flushed); 0 when every
// file was copied.
int CopyTree(Env& env, const std::string& from, const std::string& to);
// Removes a folder and everything below it, read-only files too; 0 when all
// of it is gone.
int RemoveTree(Env& env, const std::string& folder);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_ENV_H_
