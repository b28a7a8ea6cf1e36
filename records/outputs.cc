#include "records/outputs.h"

#include "platform/names.h"

namespace labrena {

FileStream* Outputs::Get(const std::string& name) {
  std::string key = UpperAscii(name);
  auto it = open_.find(key);
  if (it != open_.end()) return it->second.get();
  if (open_.size() >= kMaxOpen) CloseAll();
  bool known = old_files_.count(key) > 0;
  bool existed = env_.Exists(name);
  File file = OpenText(env_, name, OpenMode::kAppend);
  if (!file) {
    failed_ = true;
    return nullptr;
  }
  if (!known) {
    old_files_.emplace(key, OldFile{name, existed ? file->Size() : 0});
    if (!existed) created_.push_back(name);
  }
  std::size_t partial = static_cast<std::size_t>(file->Size()) % record_length_;
  if (partial != 0 &&
      !file->Write(std::string(record_length_ - partial, ' '))) {
    failed_ = true;
  }
  return open_.emplace(key, std::move(file)).first->second.get();
}

bool Outputs::Write(FileStream* file, std::string_view record) {
  if (!failed_ && !file->Write(record)) failed_ = true;
  return !failed_;
}

void Outputs::CloseAll() {
  for (auto& [key, file] : open_) {
    if (!file->Close()) failed_ = true;
  }
  open_.clear();
}

bool Outputs::Finish() {
  CloseAll();
  if (!failed_) return true;
  Undo();
  return false;
}

void Outputs::Undo() {
  CloseAll();
  for (const std::string& name : created_) {
    env_.Remove(name);
    old_files_.erase(UpperAscii(name));
  }
  created_.clear();
  for (const auto& [key, old] : old_files_) env_.Truncate(old.name, old.size);
  old_files_.clear();
}

}  // namespace labrena
