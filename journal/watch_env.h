// An Env wrapper that passes every call on to the wrapped Env and notes each
// change that succeeds in a RunReport: files created, written (at their
// first write), cut, renamed, moved, copied and removed, folders made and
// removed. A move is noted once, however the wrapped Env makes it.
#ifndef LABRENA_JOURNAL_WATCH_ENV_H_
#define LABRENA_JOURNAL_WATCH_ENV_H_

#include <memory>
#include <string>
#include <vector>

#include "journal/report.h"
#include "platform/env.h"

namespace labrena {

class WatchEnv : public Env {
 public:
  WatchEnv(Env& base, RunReport& report) : base_(base), report_(report) {}

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override { return base_.Exists(name); }
  bool IsDirectory(const std::string& name) override {
    return base_.IsDirectory(name);
  }
  bool IsWritable(const std::string& name) override {
    return base_.IsWritable(name);
  }
  bool MakeReadOnly(const std::string& name) override {
    return base_.MakeReadOnly(name);
  }
  std::string StoredName(const std::string& name) override {
    return base_.StoredName(name);
  }
  void SetLiteralNames(bool on) override { base_.SetLiteralNames(on); }
  // The attribute is no change of content: not noted.
  bool MakeWritable(const std::string& name) override {
    return base_.MakeWritable(name);
  }
  bool FileSize(const std::string& name, std::int64_t* size) override {
    return base_.FileSize(name, size);
  }
  int Rename(const std::string& from, const std::string& to) override;
  int Move(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override;
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override {
    return base_.List(pattern, attribute_mask);
  }
  bool OpenDenyWrite(const std::string& name) override {
    return base_.OpenDenyWrite(name);
  }
  std::string SystemTempPath() override { return base_.SystemTempPath(); }
  std::string FallbackTempPath() override { return base_.FallbackTempPath(); }
  void SleepMs(int ms) override { base_.SleepMs(ms); }
  LocalTime Now() override { return base_.Now(); }

 private:
  // A file that was there, open for updating or appending: its first write
  // is noted.
  class WatchedFile;

  // A rename or move that succeeded (0) is noted.
  int Moved(const std::string& from, const std::string& to, int result);

  Env& base_;
  RunReport& report_;
};

}  // namespace labrena

#endif  // LABRENA_JOURNAL_WATCH_ENV_H_
