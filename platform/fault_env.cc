#include "platform/fault_env.h"

#include <cerrno>

#include "platform/names.h"

namespace labrena {
namespace {

class FaultFile : public OsFile {
 public:
  FaultFile(FaultEnv& env, std::unique_ptr<OsFile> base)
      : env_(env), base_(std::move(base)) {}
  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    return base_->ReadAt(offset, buf, n, got);
  }
  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    if (!env_.AllowWrite(n)) return false;
    return base_->WriteAt(offset, buf, n);
  }
  bool Size(std::int64_t* size) override { return base_->Size(size); }
  bool Sync() override { return env_.skip_syncs() || base_->Sync(); }
  bool Close() override { return base_->Close(); }

 private:
  FaultEnv& env_;
  std::unique_ptr<OsFile> base_;
};

}  // namespace

void FaultEnv::FailNth(Op op, int n) { fail_at_[op].insert(calls_[op] + n); }

void FaultEnv::FailAll(Op op, bool on) {
  if (on) {
    fail_all_.insert(op);
  } else {
    fail_all_.erase(op);
  }
}

void FaultEnv::FailOpenOf(const std::string& name, bool on) {
  if (on) {
    fail_open_.insert(UpperAscii(name));
  } else {
    fail_open_.erase(UpperAscii(name));
  }
}

int FaultEnv::calls(Op op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}

bool FaultEnv::Fails(Op op) {
  int n = ++calls_[op];
  bool any = ++operations_ == fail_any_at_;
  return any || Crashed() || fail_all_.count(op) > 0 || fail_at_[op].count(n) > 0;
}

bool FaultEnv::AllowWrite(std::size_t n) {
  if (Fails(Op::kWrite)) return false;
  if (disk_left_ < 0) return true;
  if (static_cast<std::int64_t>(n) > disk_left_) {
    disk_left_ = 0;
    return false;
  }
  disk_left_ -= static_cast<std::int64_t>(n);
  return true;
}

std::unique_ptr<OsFile> FaultEnv::Open(const std::string& name,
                                       OpenMode mode) {
  if (Fails(Op::kOpen) || fail_open_.count(UpperAscii(name)) > 0) {
    return nullptr;
  }
  auto file = base_.Open(name, mode);
  if (!file) return nullptr;
  return std::make_unique<FaultFile>(*this, std::move(file));
}

int FaultEnv::Rename(const std::string& from, const std::string& to) {
  if (Fails(Op::kRename)) return 1;
  auto absolute = [](const std::string& name) {
    return !name.empty() && (name[0] == '/' || name[0] == '\\' ||
                             (name.size() > 1 && name[1] == ':'));
  };
  if (other_file_system_ && absolute(from) != absolute(to)) return EXDEV;
  return base_.Rename(from, to);
}

int FaultEnv::Truncate(const std::string& name, std::int64_t size) {
  if (Fails(Op::kTruncate)) return 1;
  return base_.Truncate(name, size);
}

int FaultEnv::Remove(const std::string& name) {
  if (Fails(Op::kRemove)) return 1;
  return base_.Remove(name);
}

int FaultEnv::MakeDir(const std::string& name) {
  if (Fails(Op::kMakeDir)) return 1;
  return base_.MakeDir(name);
}

bool FaultEnv::CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) {
  if (Fails(Op::kCopy)) return false;
  return base_.CopyFile(from, to, fail_if_exists);
}

bool FaultEnv::OpenDenyWrite(const std::string& name) {
  if (busy_.count(name) > 0) return false;
  return base_.OpenDenyWrite(name);
}

}  // namespace labrena
