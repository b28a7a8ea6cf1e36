// An Env wrapper that counts the file operations made through it, by kind,
// the calls on the files it opened included, and passes each one on to the
// wrapped Env. The benchmark prints the counts per old file; tests hold a
// conversion to a budget of calls. The system services (temporary folder,
// clock, sleep) are passed on uncounted.
#ifndef LABRENA_PLATFORM_COUNTING_ENV_H_
#define LABRENA_PLATFORM_COUNTING_ENV_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace labrena {

class CountingEnv : public Env {
 public:
  // The calls of the Env, then those of its open files.
  enum class Call {
    kOpen,
    kExists,
    kIsDirectory,
    kIsWritable,
    kMakeWritable,
    kFileSize,
    kRename,
    kTruncate,
    kRemove,
    kMakeDir,
    kRemoveDir,
    kCopyFile,
    kList,
    kOpenDenyWrite,
    kReadAt,
    kWriteAt,
    kSize,
    kSync,
    kClose,
  };
  static constexpr int kKinds = static_cast<int>(Call::kClose) + 1;

  explicit CountingEnv(Env& base) : base_(base) {}

  // The calls of one kind so far, and of all kinds.
  std::int64_t count(Call call) const {
    return counts_[static_cast<std::size_t>(call)];
  }
  std::int64_t total() const;
  // The call's name as the Env spells it ("Open", "ReadAt").
  static const char* Name(Call call);

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
  bool MakeReadOnly(const std::string& name) override {
    return base_.MakeReadOnly(name);
  }
  std::string StoredName(const std::string& name) override {
    return base_.StoredName(name);
  }
  void SetLiteralNames(bool on) override { base_.SetLiteralNames(on); }
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
  std::string SystemTempPath() override { return base_.SystemTempPath(); }
  std::string FallbackTempPath() override { return base_.FallbackTempPath(); }
  void SleepMs(int ms) override { base_.SleepMs(ms); }
  LocalTime Now() override { return base_.Now(); }

 private:
  // An open file, counting its calls with the Env's.
  class CountingFile;

  void Count(Call call) { ++counts_[static_cast<std::size_t>(call)]; }

  Env& base_;
  std::array<std::int64_t, kKinds> counts_{};
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_COUNTING_ENV_H_
