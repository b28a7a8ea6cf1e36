// An Env wrapper that makes the system fail on purpose: the Nth open, write,
// rename, copy, delete, folder creation or truncation fails, or the Nth of
// all of them together, or the disk fills after a number of bytes, or the
// temporary folder lies on another file system. Every other call goes to the
// wrapped Env.
#ifndef LABRENA_PLATFORM_FAULT_ENV_H_
#define LABRENA_PLATFORM_FAULT_ENV_H_

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/env.h"

namespace labrena {

class FaultEnv : public Env {
 public:
  enum class Op { kOpen, kWrite, kRename, kCopy, kRemove, kMakeDir, kTruncate };

  explicit FaultEnv(Env& base) : base_(base) {}

  // Makes the nth call (from 1, counted from now) of op fail.
  void FailNth(Op op, int n);
  // Makes every call of op fail until cleared.
  void FailAll(Op op, bool on = true);
  // Makes the nth operation of any kind (from 1, counted from now) fail.
  void FailNthOperation(int n) { fail_any_at_ = operations_ + n; }
  // From the nth operation on (from 1, counted from now), every change
  // fails, as if the process had been killed there: nothing more reaches
  // the disk. n = 0 ends the crash.
  void CrashAt(int n) { crash_at_ = n > 0 ? operations_ + n : 0; }
  // Flushes to disk are skipped (tests that stop runs do not need them, and
  // they are slow).
  void SkipSyncs(bool on) { skip_syncs_ = on; }
  bool skip_syncs() const { return skip_syncs_; }
  // Operations of any kind so far.
  int operations() const { return operations_; }
  // Renames between the data folder and an absolute name (the temporary
  // folder) fail as between two file systems.
  void SetOtherFileSystem(bool on) { other_file_system_ = on; }
  // Opens of this name (as the core spells it, any case) fail.
  void FailOpenOf(const std::string& name, bool on = true);
  // After this many more bytes, every write fails (the disk is full).
  void DiskFullAfter(std::int64_t bytes) { disk_left_ = bytes; }
  int calls(Op op) const;

  std::unique_ptr<OsFile> Open(const std::string& name,
                               OpenMode mode) override;
  bool Exists(const std::string& name) override { return base_.Exists(name); }
  bool IsDirectory(const std::string& name) override {
    return base_.IsDirectory(name);
  }
  bool IsWritable(const std::string& name) override {
    return base_.IsWritable(name);
  }
  bool MakeWritable(const std::string& name) override {
    return !Crashed() && base_.MakeWritable(name);
  }
  bool MakeReadOnly(const std::string& name) override {
    return !Crashed() && base_.MakeReadOnly(name);
  }
  std::string StoredName(const std::string& name) override {
    return base_.StoredName(name);
  }
  void SetLiteralNames(bool on) override { base_.SetLiteralNames(on); }
  bool FileSize(const std::string& name, std::int64_t* size) override {
    return base_.FileSize(name, size);
  }
  int Rename(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override {
    return Crashed() ? EIO : base_.RemoveDir(name);
  }
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override {
    return base_.List(pattern, attribute_mask);
  }
  bool OpenDenyWrite(const std::string& name) override;
  std::string SystemTempPath() override { return base_.SystemTempPath(); }
  std::string FallbackTempPath() override { return base_.FallbackTempPath(); }
  void SleepMs(int ms) override { slept_ms_ += ms; }
  LocalTime Now() override { return now_set_ ? now_ : base_.Now(); }

  // Test controls for the system services.
  void SetBusy(const std::string& name) { busy_.insert(name); }
  void SetNow(const LocalTime& now) {
    now_ = now;
    now_set_ = true;
  }
  int slept_ms() const { return slept_ms_; }

  // Called by the files it opened, for every write.
  bool AllowWrite(std::size_t n);

 private:
  bool Fails(Op op);
  bool Crashed() const { return crash_at_ > 0 && operations_ >= crash_at_; }

  Env& base_;
  std::map<Op, int> calls_;
  std::map<Op, std::set<int>> fail_at_;
  std::set<Op> fail_all_;
  std::set<std::string> fail_open_;
  std::set<std::string> busy_;
  std::int64_t disk_left_ = -1;
  int operations_ = 0;
  int fail_any_at_ = 0;
  int crash_at_ = 0;
  bool skip_syncs_ = false;
  bool other_file_system_ = false;
  int slept_ms_ = 0;
  LocalTime now_;
  bool now_set_ = false;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_FAULT_ENV_H_
