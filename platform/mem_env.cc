#include "platform/mem_env.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/names.h"

namespace labrena {

struct MemNode {
  bool is_dir = false;
  bool read_only = false;
  // A file's bytes, shared with the open handles of the file.
  std::shared_ptr<std::string> bytes;
  // A folder's entries by (upper-cased name, stored name): the first key of
  // an upper-cased name is its first spelling in byte order, and the map's
  // order is the listing order.
  std::map<std::pair<std::string, std::string>, std::unique_ptr<MemNode>>
      entries;
};

struct MemEnv::Place {
  bool refused = false;
  MemNode* folder = nullptr;  // the folder of the last component, if any
  std::string name;           // the last component: as stored, or as given
  MemNode* node = nullptr;    // the entry itself, if it exists
};

namespace {

constexpr const char* kFallbackTemp = "/tmp/";

using NodePtr = std::unique_ptr<MemNode>;

class MemFile : public OsFile {
 public:
  MemFile(std::shared_ptr<std::string> bytes, OpenMode mode)
      : bytes_(std::move(bytes)),
        readable_(mode == OpenMode::kRead || mode == OpenMode::kUpdate),
        writable_(mode != OpenMode::kRead),
        append_(mode == OpenMode::kAppend) {}

  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    *got = 0;
    if (!bytes_ || !readable_ || offset < 0) return false;
    std::size_t at = static_cast<std::size_t>(offset);
    if (at < bytes_->size()) {
      *got = std::min(n, bytes_->size() - at);
      std::copy_n(bytes_->data() + at, *got, buf);
    }
    return true;
  }

  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    if (!bytes_ || !writable_ || offset < 0) return false;
    std::size_t at =
        append_ ? bytes_->size() : static_cast<std::size_t>(offset);
    // A write beyond the end fills the gap with zero bytes.
    if (at + n > bytes_->size()) bytes_->resize(at + n);
    std::copy_n(buf, n, bytes_->data() + at);
    return true;
  }

  bool Size(std::int64_t* size) override {
    if (!bytes_) return false;
    *size = static_cast<std::int64_t>(bytes_->size());
    return true;
  }

  bool Close() override {
    bytes_.reset();
    return true;
  }

 private:
  std::shared_ptr<std::string> bytes_;  // null once closed
  bool readable_;
  bool writable_;
  bool append_;
};


NodePtr NewEntry(bool is_dir) {
  NodePtr node = std::make_unique<MemNode>();
  node->is_dir = is_dir;
  if (!is_dir) node->bytes = std::make_shared<std::string>();
  return node;
}

// The entry that a component stands for: the first spelling in byte order
// of those that match it without regard to case.
auto FindEntry(MemNode& folder, const std::string& part) {
  std::string upper = UpperAscii(part);
  auto it = folder.entries.lower_bound({upper, std::string()});
  if (it != folder.entries.end() && it->first.first != upper) {
    it = folder.entries.end();
  }
  return it;
}

MemNode* Attach(MemNode& folder, const std::string& name, NodePtr node) {
  NodePtr& slot = folder.entries[{UpperAscii(name), name}];
  slot = std::move(node);
  return slot.get();
}

// The entry of that exact spelling, made (a folder or a file) when missing.
MemNode* ExactEntry(MemNode& folder, const std::string& name, bool is_dir) {
  NodePtr& slot = folder.entries[{UpperAscii(name), name}];
  if (!slot) slot = NewEntry(is_dir);
  return slot.get();
}

// True when node is folder or lies below it.
bool Holds(const MemNode& folder, const MemNode* node) {
  if (&folder == node) return true;
  for (const auto& [key, entry] : folder.entries) {
    if (entry->is_dir && Holds(*entry, node)) return true;
  }
  return false;
}

void AddTree(const MemNode& folder, const std::string& prefix,
             std::map<std::string, std::string>* out) {
  for (const auto& [key, entry] : folder.entries) {
    std::string path = prefix + key.second;
    if (entry->is_dir) {
      (*out)[path + "/"];
      AddTree(*entry, path + "/", out);
    } else {
      (*out)[path] = *entry->bytes;
    }
  }
}

}  // namespace

MemEnv::MemEnv(std::string temp)
    : data_(NewEntry(true)), top_(NewEntry(true)), temp_(std::move(temp)) {
  for (const std::string& folder : {temp_, std::string(kFallbackTemp)}) {
    if (folder.empty()) continue;
    MemNode* at = &RootOf(folder);
    for (const std::string& part : Components(folder)) {
      at = ExactEntry(*at, part, true);
    }
  }
}

MemEnv::~MemEnv() = default;

MemNode& MemEnv::RootOf(const std::string& name) const {
  return IsAbsolute(name) ? *top_ : *data_;
}

bool MemEnv::Refused(const std::string& name) const {
  if (ClimbsOut(name)) return true;
  if (!IsAbsolute(name)) return false;
  bool in_temp = !temp_.empty() && IsBelow(name, temp_, false);
  return !in_temp && !IsBelow(name, kFallbackTemp, false);
}

MemEnv::Place MemEnv::Find(const std::string& name) const {
  Place place;
  if (Refused(name)) {
    place.refused = true;
    return place;
  }
  place.node = &RootOf(name);
  for (const std::string& part : Components(name)) {
    // Below a missing entry or a file, nothing exists and nothing can be
    // made.
    place.folder = place.node && place.node->is_dir ? place.node : nullptr;
    place.node = nullptr;
    place.name = part;
    if (place.folder == nullptr) continue;
    auto it = FindEntry(*place.folder, part);
    if (it != place.folder->entries.end()) {
      place.node = it->second.get();
      place.name = it->first.second;
    }
  }
  return place;
}

std::unique_ptr<OsFile> MemEnv::Open(const std::string& name, OpenMode mode) {
  Place place = Find(name);
  if (place.node) {
    if (place.node->is_dir) return nullptr;
    // A read-only file refuses every writing mode.
    if (mode != OpenMode::kRead && place.node->read_only) return nullptr;
    if (mode == OpenMode::kWrite) place.node->bytes->clear();
  } else {
    if (mode == OpenMode::kRead || mode == OpenMode::kUpdate ||
        place.folder == nullptr) {
      return nullptr;
    }
    place.node = Attach(*place.folder, place.name, NewEntry(false));
  }
  return std::make_unique<MemFile>(place.node->bytes, mode);
}

bool MemEnv::Exists(const std::string& name) {
  return Find(name).node != nullptr;
}

bool MemEnv::IsDirectory(const std::string& name) {
  MemNode* node = Find(name).node;
  return node && node->is_dir;
}

bool MemEnv::IsWritable(const std::string& name) {
  MemNode* node = Find(name).node;
  return node && !node->read_only;
}

bool MemEnv::MakeWritable(const std::string& name) {
  return SetReadOnly(name, false);
}

std::string MemEnv::StoredName(const std::string& name) {
  Place place = Find(name);
  return place.node ? WithLastComponent(name, place.name) : name;
}

bool MemEnv::MakeReadOnly(const std::string& name) {
  return SetReadOnly(name, true);
}

bool MemEnv::FileSize(const std::string& name, std::int64_t* size) {
  MemNode* node = Find(name).node;
  if (!node || node->is_dir) return false;
  *size = static_cast<std::int64_t>(node->bytes->size());
  return true;
}

int MemEnv::Rename(const std::string& from, const std::string& to) {
  Place source = Find(from);
  if (!source.node) return ENOENT;
  Place target = Find(to);
  if (target.refused) return EACCES;
  if (target.node) return EEXIST;
  // The data folder itself, or a target whose folder is missing.
  if (!source.folder || !target.folder) return EACCES;
  if (Holds(*source.node, target.folder)) return EINVAL;
  auto it = source.folder->entries.find({UpperAscii(source.name), source.name});
  NodePtr moved = std::move(it->second);
  source.folder->entries.erase(it);
  Attach(*target.folder, target.name, std::move(moved));
  return 0;
}

int MemEnv::Truncate(const std::string& name, std::int64_t size) {
  MemNode* node = Find(name).node;
  if (!node) return ENOENT;
  if (node->is_dir || node->read_only) return EACCES;
  if (size < 0) return EINVAL;
  node->bytes->resize(static_cast<std::size_t>(size));
  return 0;
}

int MemEnv::Remove(const std::string& name) {
  Place place = Find(name);
  if (!place.node) return ENOENT;
  if (place.node->is_dir || place.node->read_only) return EACCES;
  place.folder->entries.erase({UpperAscii(place.name), place.name});
  return 0;
}

int MemEnv::MakeDir(const std::string& name) {
  Place place = Find(name);
  if (place.refused) return EACCES;
  if (place.node) return EEXIST;
  // As on POSIX, a folder whose parent is missing is refused.
  if (!place.folder) return EACCES;
  Attach(*place.folder, place.name, NewEntry(true));
  return 0;
}

int MemEnv::RemoveDir(const std::string& name) {
  Place place = Find(name);
  if (place.refused) return EACCES;
  if (!place.node) return ENOENT;
  if (!place.node->is_dir) return ENOTDIR;
  if (!place.folder) return EACCES;
  if (!place.node->entries.empty()) return ENOTEMPTY;
  place.folder->entries.erase({UpperAscii(place.name), place.name});
  return 0;
}

bool MemEnv::CopyFile(const std::string& from, const std::string& to,
                      bool fail_if_exists) {
  if (fail_if_exists && Exists(to)) return false;
  MemNode* source = Find(from).node;
  if (!source || source->is_dir) return false;
  // Taken before the target is opened: the two may be one file.
  std::string bytes = *source->bytes;
  auto target = Open(to, OpenMode::kWrite);
  return target && target->WriteAt(0, bytes.data(), bytes.size()) &&
         target->Close();
}

std::vector<DirEntry> MemEnv::List(const std::string& pattern,
                                   int attribute_mask) {
  std::string folder, last;
  SplitPattern(pattern, &folder, &last);
  std::vector<DirEntry> out;
  MemNode* dir = Find(folder).node;
  if (!dir || !dir->is_dir) return out;
  for (const auto& [key, node] : dir->entries) {
    const std::string& name = key.second;
    if (!IsPlainComponent(name) || !WildcardMatch(last, name)) continue;
    DirEntry entry;
    entry.name = name;
    entry.is_dir = node->is_dir;
    entry.read_only = node->read_only;
    if (!node->is_dir) {
    }
    if (PassesMask(entry, attribute_mask)) out.push_back(entry);
  }
  return out;
}

bool MemEnv::OpenDenyWrite(const std::string&) {
  // Nothing outside holds a file open.
  return true;
}

std::string MemEnv::FallbackTempPath() { return kFallbackTemp; }

void MemEnv::Put(const std::string& name, std::string bytes) {
  if (ClimbsOut(name)) return;
  std::vector<std::string> parts = Components(name);
  if (parts.empty()) return;
  MemNode* at = &RootOf(name);
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    at = ExactEntry(*at, parts[i], true);
    if (!at->is_dir) return;
  }
  at = ExactEntry(*at, parts.back(), false);
  if (!at->is_dir) *at->bytes = std::move(bytes);
}

bool MemEnv::Get(const std::string& name, std::string* bytes) const {
  const MemNode* at = &RootOf(name);
  for (const std::string& part : Components(name)) {
    if (!at->is_dir) return false;
    auto it = at->entries.find({UpperAscii(part), part});
    if (it == at->entries.end()) return false;
    at = it->second.get();
  }
  if (at->is_dir) return false;
  *bytes = *at->bytes;
  return true;
}

bool MemEnv::SetReadOnly(const std::string& name, bool read_only) {
  MemNode* node = Find(name).node;
  if (!node) return false;
  node->read_only = read_only;
  return true;
}

std::map<std::string, std::string> MemEnv::Snapshot() const {
  std::map<std::string, std::string> out;
  AddTree(*data_, "", &out);
  AddTree(*top_, "/", &out);
  return out;
}

}  // namespace labrena
