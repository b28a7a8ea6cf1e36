// An Env that keeps the data folder and the temporary folder in memory, for
// tests and fuzzers. It answers as the POSIX Env does over a case-sensitive
// file system: names resolved component by component without regard to
// case (of case twins the first spelling in byte order), listings in the
// order of their upper-cased names, renames that never replace, read-only
// files that refuse writing, truncation and deletion, and names that would
// leave the data folder or the temporary folders refused as missing.
#ifndef LABRENA_PLATFORM_MEM_ENV_H_
#define LABRENA_PLATFORM_MEM_ENV_H_

#include <map>
#include <memory>
#include <string>

#include "platform/env.h"

namespace labrena {

// A file or folder of a MemEnv.
struct MemNode;

class MemEnv : public Env {
 public:
  // temp: what SystemTempPath() reports; it and the fallback temporary
  // folder "/tmp/" exist from the start.
  explicit MemEnv(std::string temp = "/tmp/");
  ~MemEnv() override;
  MemEnv(const MemEnv&) = delete;
  MemEnv& operator=(const MemEnv&) = delete;

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
  bool MakeReadOnly(const std::string& name) override;
  std::string StoredName(const std::string& name) override;
  bool FileSize(const std::string& name, std::int64_t* size) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override;
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override;
  bool OpenDenyWrite(const std::string& name) override;
  std::string SystemTempPath() override { return temp_; }
  std::string FallbackTempPath() override;
  void SleepMs(int) override {}
  LocalTime Now() override { return now_; }

  void SetNow(const LocalTime& now) { now_ = now; }

  // Put and Get name a file exactly as stored, as a test lays out the files
  // of a real folder: no case folding, so case twins can be made, and any
  // absolute name. Put makes the folders on the way and replaces the bytes
  // of an existing file (also a read-only one); a name with a ".." component,
  // or one that names a folder or runs into a file, is passed over.
  void Put(const std::string& name, std::string bytes);
  bool Get(const std::string& name, std::string* bytes) const;
  // Sets or clears the read-only attribute of a file as the Env resolves
  // its name; false when it does not exist.
  bool SetReadOnly(const std::string& name, bool read_only);
  // Every file by its stored path with '/' separators, relative to the data
  // folder or, for absolute names, beginning with '/'; every folder likewise
  // with a trailing '/' and no bytes.
  std::map<std::string, std::string> Snapshot() const;

 private:
  struct Place;

  // Where a name leads: the folder its last component lies in and the entry,
  // when they exist.
  Place Find(const std::string& name) const;
  // True when a name would leave the data folder or the temporary folders.
  bool Refused(const std::string& name) const;
  MemNode& RootOf(const std::string& name) const;

  std::unique_ptr<MemNode> data_;  // the data folder
  std::unique_ptr<MemNode> top_;   // the root of absolute names
  std::string temp_;
  LocalTime now_ = {2006, 1, 16, 9, 30, 0, 0};
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_MEM_ENV_H_
