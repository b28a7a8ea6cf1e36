// The Env of POSIX systems (Linux, macOS), rooted at the data folder.
#ifndef LABRENA_PLATFORM_POSIX_ENV_H_
#define LABRENA_PLATFORM_POSIX_ENV_H_

#include <sys/stat.h>

#include <map>
#include <set>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/env.h"

namespace labrena {

class PosixEnv : public Env {
 public:
  // root: the data folder; relative names resolve below it. temp, when not
  // empty, is reported as the system's temporary folder instead of $TMPDIR.
  explicit PosixEnv(std::string root, std::string temp = "");

  std::unique_ptr<OsFile> Open(const std::string& name,
                               OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
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
  std::string SystemTempPath() override;
  std::string FallbackTempPath() override;
  void SleepMs(int ms) override;
  LocalTime Now() override;

  // The real path that a product name stands for: backslashes mapped, each
  // component matched without regard to case when the exact one is missing.
  std::string Resolve(const std::string& name);

 private:
  // Resolve, telling whether the name exists (*found) and its status (*st).
  // A name that would leave the data folder or the temporary folder
  // resolves to "" and is not found.
  std::string Lookup(const std::string& name, struct stat* st,
                     bool* found = nullptr);
  // Upper-cased name -> the names as stored, in byte order, for one folder.
  using Listing = std::map<std::string, std::set<std::string>>;
  const Listing& ListingOf(const std::string& dir);
  void Forget(const std::string& path);
  void Learn(const std::string& path);
  // True when a change at path (a resolved name) stays inside the folder its
  // name was given in: its folder, and with write_through the file that a
  // symbolic link at path points to, are really inside the data folder
  // (relative names) or the temporary folder (absolute names). Renaming or
  // removing a link changes the link only.
  bool StaysInside(const std::string& path, bool write_through = true);
  bool RealInside(const std::string& path, bool absolute);

  std::string root_;
  std::string temp_;
  std::unordered_map<std::string, Listing> listings_;
  // Folders already known to lie inside (true) or outside (false).
  std::unordered_map<std::string, bool> inside_;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_POSIX_ENV_H_
