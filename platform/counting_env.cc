#include "platform/counting_env.h"

#include <numeric>
#include <utility>

namespace labrena {

class CountingEnv::CountingFile : public OsFile {
 public:
  CountingFile(CountingEnv& env, std::unique_ptr<OsFile> base)
      : env_(env), base_(std::move(base)) {}
  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    env_.Count(Call::kReadAt);
    return base_->ReadAt(offset, buf, n, got);
  }
  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    env_.Count(Call::kWriteAt);
    return base_->WriteAt(offset, buf, n);
  }
  bool Size(std::int64_t* size) override {
    env_.Count(Call::kSize);
    return base_->Size(size);
  }
  bool Sync() override {
    env_.Count(Call::kSync);
    return base_->Sync();
  }
  bool Close() override {
    env_.Count(Call::kClose);
    return base_->Close();
  }

 private:
  CountingEnv& env_;
  std::unique_ptr<OsFile> base_;
};

std::int64_t CountingEnv::total() const {
  return std::accumulate(counts_.begin(), counts_.end(), std::int64_t{0});
}

const char* CountingEnv::Name(Call call) {
  switch (call) {
    case Call::kOpen:
      return "Open";
    case Call::kExists:
      return "Exists";
    case Call::kIsDirectory:
      return "IsDirectory";
    case Call::kIsWritable:
      return "IsWritable";
    case Call::kMakeWritable:
      return "MakeWritable";
    case Call::kFileSize:
      return "FileSize";
    case Call::kRename:
      return "Rename";
    case Call::kTruncate:
      return "Truncate";
    case Call::kRemove:
      return "Remove";
    case Call::kMakeDir:
      return "MakeDir";
    case Call::kRemoveDir:
      return "RemoveDir";
    case Call::kCopyFile:
      return "CopyFile";
    case Call::kList:
      return "List";
    case Call::kOpenDenyWrite:
      return "OpenDenyWrite";
    case Call::kReadAt:
      return "ReadAt";
    case Call::kWriteAt:
      return "WriteAt";
    case Call::kSize:
      return "Size";
    case Call::kSync:
      return "Sync";
    case Call::kClose:
      return "Close";
  }
  return "";
}

std::unique_ptr<OsFile> CountingEnv::Open(const std::string& name,
                                          OpenMode mode) {
  Count(Call::kOpen);
  auto file = base_.Open(name, mode);
  if (!file) return nullptr;
  return std::make_unique<CountingFile>(*this, std::move(file));
}

bool CountingEnv::Exists(const std::string& name) {
  Count(Call::kExists);
  return base_.Exists(name);
}

bool CountingEnv::IsDirectory(const std::string& name) {
  Count(Call::kIsDirectory);
  return base_.IsDirectory(name);
}

bool CountingEnv::IsWritable(const std::string& name) {
  Count(Call::kIsWritable);
  return base_.IsWritable(name);
}

bool CountingEnv::MakeWritable(const std::string& name) {
  Count(Call::kMakeWritable);
  return base_.MakeWritable(name);
}

bool CountingEnv::FileSize(const std::string& name, std::int64_t* size) {
  Count(Call::kFileSize);
  return base_.FileSize(name, size);
}

int CountingEnv::Rename(const std::string& from, const std::string& to) {
  Count(Call::kRename);
  return base_.Rename(from, to);
}

int CountingEnv::Truncate(const std::string& name, std::int64_t size) {
  Count(Call::kTruncate);
  return base_.Truncate(name, size);
}

int CountingEnv::Remove(const std::string& name) {
  Count(Call::kRemove);
  return base_.Remove(name);
}

int CountingEnv::MakeDir(const std::string& name) {
  Count(Call::kMakeDir);
  return base_.MakeDir(name);
}

int CountingEnv::RemoveDir(const std::string& name) {
  Count(Call::kRemoveDir);
  return base_.RemoveDir(name);
}

bool CountingEnv::CopyFile(const std::string& from, const std::string& to,
                           bool fail_if_exists) {
  Count(Call::kCopyFile);
  return base_.CopyFile(from, to, fail_if_exists);
}

std::vector<DirEntry> CountingEnv::List(const std::string& pattern,
                                        int attribute_mask) {
  Count(Call::kList);
  return base_.List(pattern, attribute_mask);
}

bool CountingEnv::OpenDenyWrite(const std::string& name) {
  Count(Call::kOpenDenyWrite);
  return base_.OpenDenyWrite(name);
}

}  // namespace labrena
