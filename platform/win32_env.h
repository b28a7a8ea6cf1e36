// The Env of Windows, rooted at the data folder. Names are Windows-1252
// bytes; every system call takes them as UTF-16 (the ...W functions), so the
// result does not depend on the system's ANSI code page.
#ifndef LABRENA_PLATFORM_WIN32_ENV_H_
#define LABRENA_PLATFORM_WIN32_ENV_H_

#include <memory>
#include <string>

#include "platform/env.h"

namespace labrena {

class Win32Env : public Env {
 public:
  // root: the data folder; relative names resolve below it ("." for the
  // process's current directory). temp, when not empty, is reported as the
  // system's temporary folder instead of GetTempPath's answer.
  explicit Win32Env(std::string root, std::string temp = "");

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
  bool MakeReadOnly(const std::string& name) override;
  std::string StoredName(const std::string& name) override;
  bool FileSize(const std::string& name, std::int64_t* size) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Move(const std::string& from, const std::string& to) override;
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

  // The path that a product name stands for, as the ...W calls take it:
  // absolute names ("C:\...", "\\server\...", "\...") as they are, relative
  // ones below the root.
  // The system path of a product name; empty for a name that would leave
  // the data folder or the temporary folder.
  std::wstring Resolve(const std::string& name);

 private:
  std::string root_;
  std::string temp_;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_WIN32_ENV_H_
