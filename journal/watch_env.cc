#include "journal/watch_env.h"

#include <utility>

namespace labrena {

class WatchEnv::WatchedFile : public OsFile {
 public:
  WatchedFile(std::unique_ptr<OsFile> base, RunReport& report, std::size_t file)
      : base_(std::move(base)), report_(report), file_(file) {}

  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    return base_->ReadAt(offset, buf, n, got);
  }
  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    bool written = base_->WriteAt(offset, buf, n);
    if (written && !noted_) {
      report_.Written(file_);
      noted_ = true;
    }
    return written;
  }
  bool Size(std::int64_t* size) override { return base_->Size(size); }
  bool Sync() override { return base_->Sync(); }
  bool Close() override { return base_->Close(); }

 private:
  std::unique_ptr<OsFile> base_;
  RunReport& report_;
  std::size_t file_;
  bool noted_ = false;
};

std::unique_ptr<OsFile> WatchEnv::Open(const std::string& name, OpenMode mode) {
  if (mode == OpenMode::kRead) return base_.Open(name, mode);
  const bool existed = mode == OpenMode::kUpdate || base_.Exists(name);
  auto file = base_.Open(name, mode);
  if (!file) return nullptr;
  std::size_t noted = report_.Opened(name, existed);
  // A file made by the open is told already, whatever is written to it.
  if (!existed) return file;
  // Opening for writing empties the file.
  if (mode == OpenMode::kWrite) {
    report_.Written(noted);
    return file;
  }
  return std::make_unique<WatchedFile>(std::move(file), report_, noted);
}

int WatchEnv::Moved(const std::string& from, const std::string& to,
                    int result) {
  if (result == 0) report_.Renamed(from, to, base_.IsDirectory(to));
  return result;
}

int WatchEnv::Rename(const std::string& from, const std::string& to) {
  return Moved(from, to, base_.Rename(from, to));
}

int WatchEnv::Move(const std::string& from, const std::string& to) {
  return Moved(from, to, base_.Move(from, to));
}

int WatchEnv::Truncate(const std::string& name, std::int64_t size) {
  int result = base_.Truncate(name, size);
  if (result == 0) report_.Written(name);
  return result;
}

int WatchEnv::Remove(const std::string& name) {
  int result = base_.Remove(name);
  if (result == 0) report_.Removed(name, false);
  return result;
}

int WatchEnv::MakeDir(const std::string& name) {
  int result = base_.MakeDir(name);
  if (result == 0) report_.MadeDir(name);
  return result;
}

int WatchEnv::RemoveDir(const std::string& name) {
  int result = base_.RemoveDir(name);
  if (result == 0) report_.Removed(name, true);
  return result;
}

bool WatchEnv::CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) {
  const bool existed = base_.Exists(to);
  bool copied = base_.CopyFile(from, to, fail_if_exists);
  if (copied) report_.Copied(to, existed);
  return copied;
}

}  // namespace labrena
