#include "journal/overlay_env.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <utility>

#include "platform/names.h"

namespace labrena {

// A file's bytes: the wrapped Env's file of base_name until the first
// change, then the bytes in memory. Shared by the file's entry and its open
// handles, so a handle sees every change made through another.
struct OverlayEnv::FileData {
  explicit FileData(Env& env, std::string name = std::string())
      : base(env), base_name(std::move(name)), in_memory(base_name.empty()) {}

  // The wrapped Env's file, opened for reading while it is read.
  bool OpenBase() {
    if (!base_file) base_file = base.Open(base_name, OpenMode::kRead);
    return base_file != nullptr;
  }

  // Reads the wrapped Env's bytes into memory; false when they cannot be
  // read, and the file is then as it was.
  bool Materialize() {
    if (in_memory) return true;
    if (!OpenBase()) return false;
    std::string read;
    char buf[64 * 1024];
    for (;;) {
      std::size_t got = 0;
      if (!base_file->ReadAt(static_cast<std::int64_t>(read.size()), buf,
                             sizeof(buf), &got)) {
        if (handles == 0) base_file.reset();
        return false;
      }
      if (got == 0) break;
      read.append(buf, got);
    }
    SetBytes(std::move(read));
    return true;
  }

  void SetBytes(std::string content) {
    bytes = std::move(content);
    in_memory = true;
    base_name.clear();
    base_file.reset();
  }

  // The bytes become those of another file of the wrapped Env.
  void SetBase(const std::string& name) {
    bytes.clear();
    in_memory = false;
    base_name = name;
    base_file.reset();
  }

  void Release() {
    if (--handles == 0) base_file.reset();
  }

  Env& base;
  std::string base_name;
  bool in_memory;
  std::string bytes;
  std::unique_ptr<OsFile> base_file;
  int handles = 0;
};

struct OverlayEnv::Node {
  bool is_dir = false;
  bool read_only = false;
  bool hidden = false;
  bool system = false;
  // A folder whose entries are still to be read from the wrapped Env's
  // folder base_folder.
  bool unread = false;
  std::string base_folder;
  std::shared_ptr<FileData> data;  // a file's bytes
  // A folder's entries by (upper-cased name, stored name): the map's order
  // is the listing order, and the first key of an upper-cased name is its
  // first spelling in byte order.
  std::map<std::pair<std::string, std::string>, std::unique_ptr<Node>> entries;
};

// A temporary folder: the absolute names below it resolve from its node,
// which is missing while the folder does not exist.
struct OverlayEnv::Root {
  std::string path;  // as the wrapped Env reports it, without the separator
  std::unique_ptr<Node> node;
};

struct OverlayEnv::Place {
  bool refused = false;
  Node* folder = nullptr;  // the folder of the last component, if any
  std::string name;        // the last component: as stored, or as given
  Node* node = nullptr;    // the entry itself, if it exists
  Root* root = nullptr;    // when the name is a temporary folder itself
};

class OverlayEnv::OverlayFile : public OsFile {
 public:
  OverlayFile(std::shared_ptr<FileData> data, OpenMode mode)
      : data_(std::move(data)),
        readable_(mode == OpenMode::kRead || mode == OpenMode::kUpdate),
        writable_(mode != OpenMode::kRead),
        append_(mode == OpenMode::kAppend) {
    ++data_->handles;
  }
  ~OverlayFile() override { Close(); }

  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    *got = 0;
    if (!data_ || !readable_ || offset < 0) return false;
    if (!data_->in_memory) {
      return data_->OpenBase() && data_->base_file->ReadAt(offset, buf, n, got);
    }
    const std::string& bytes = data_->bytes;
    std::size_t at = static_cast<std::size_t>(offset);
    if (at < bytes.size()) {
      *got = std::min(n, bytes.size() - at);
      std::copy_n(bytes.data() + at, *got, buf);
    }
    return true;
  }

  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    if (!data_ || !writable_ || offset < 0 || !data_->Materialize()) {
      return false;
    }
    std::string& bytes = data_->bytes;
    std::size_t at = append_ ? bytes.size() : static_cast<std::size_t>(offset);
    // A write beyond the end fills the gap with zero bytes.
    if (at + n > bytes.size()) bytes.resize(at + n);
    std::copy_n(buf, n, bytes.data() + at);
    return true;
  }

  bool Size(std::int64_t* size) override {
    if (!data_) return false;
    if (!data_->in_memory) {
      return data_->OpenBase() && data_->base_file->Size(size);
    }
    *size = static_cast<std::int64_t>(data_->bytes.size());
    return true;
  }

  bool Close() override {
    if (data_) {
      data_->Release();
      data_.reset();
    }
    return true;
  }

 private:
  std::shared_ptr<FileData> data_;  // null once closed
  bool readable_;
  bool writable_;
  bool append_;
};

namespace {

constexpr int kEveryEntry =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrSubdir | kAttrArchive;


std::string WithoutSeparator(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

// A name of the wrapped Env below one of its folders.
std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

}  // namespace

OverlayEnv::OverlayEnv(Env& base) : base_(base), data_(new Node) {
  data_->is_dir = true;
  data_->unread = true;
}

OverlayEnv::~OverlayEnv() = default;

std::vector<OverlayEnv::Root>& OverlayEnv::Roots() {
  if (roots_known_) return roots_;
  roots_known_ = true;
  for (const std::string& reported :
       {base_.SystemTempPath(), base_.FallbackTempPath()}) {
    std::string path = WithoutSeparator(reported);
    if (path.empty() ||
        std::any_of(roots_.begin(), roots_.end(),
                    [&path](const Root& root) { return root.path == path; })) {
      continue;
    }
    Root root{path, nullptr};
    if (base_.IsDirectory(path)) {
      root.node = std::make_unique<Node>();
      root.node->is_dir = true;
      root.node->unread = true;
      root.node->base_folder = path;
    }
    roots_.push_back(std::move(root));
  }
  return roots_;
}

void OverlayEnv::Fill(Node& folder) {
  if (!folder.unread) return;
  folder.unread = false;
  for (const DirEntry& entry :
       base_.List(Join(folder.base_folder, "*"), kEveryEntry)) {
    auto node = std::make_unique<Node>();
    node->is_dir = entry.is_dir;
    node->read_only = entry.read_only;
    node->hidden = entry.hidden;
    node->system = entry.system;
    std::string name = Join(folder.base_folder, entry.name);
    if (entry.is_dir) {
      node->unread = true;
      node->base_folder = name;
    } else {
      node->data = std::make_shared<FileData>(base_, name);
    }
    folder.entries.emplace(std::make_pair(UpperAscii(entry.name), entry.name),
                           std::move(node));
  }
}

OverlayEnv::Node* OverlayEnv::AddFile(Node& folder, const std::string& name) {
  auto node = std::make_unique<Node>();
  node->data = std::make_shared<FileData>(base_);
  Node* added = node.get();
  folder.entries[{UpperAscii(name), name}] = std::move(node);
  return added;
}

OverlayEnv::Place OverlayEnv::Find(const std::string& name) {
  Place place;
  if (ClimbsOut(name)) {
    place.refused = true;
    return place;
  }
  std::vector<std::string> parts;
  if (IsAbsolute(name)) {
    // Absolute names resolve below the longest temporary folder that holds
    // them; any other is refused, as the wrapped Env refuses it.
    Root* root = nullptr;
    for (Root& candidate : Roots()) {
      if (IsBelow(name, candidate.path, false) &&
          (!root || candidate.path.size() > root->path.size())) {
        root = &candidate;
      }
    }
    if (!root) {
      place.refused = true;
      return place;
    }
    parts = Components(name.substr(root->path.size()));
    place.node = root->node.get();
    if (parts.empty()) place.root = root;
  } else {
    parts = Components(name);
    place.node = data_.get();
  }
  for (const std::string& part : parts) {
    // Below a missing entry or a file, nothing exists and nothing can be
    // made.
    place.folder = place.node && place.node->is_dir ? place.node : nullptr;
    place.node = nullptr;
    place.name = part;
    if (!place.folder) continue;
    Fill(*place.folder);
    auto it = place.folder->entries.lower_bound({UpperAscii(part), ""});
    if (it != place.folder->entries.end() &&
        it->first.first == UpperAscii(part)) {
      place.node = it->second.get();
      place.name = it->first.second;
    }
  }
  return place;
}

std::unique_ptr<OsFile> OverlayEnv::Open(const std::string& name,
                                         OpenMode mode) {
  Place place = Find(name);
  Node* node = place.node;
  if (node) {
    if (node->is_dir) return nullptr;
    // A read-only file refuses every writing mode.
    if (mode != OpenMode::kRead && node->read_only) return nullptr;
    FileData& data = *node->data;
    bool ready = true;
    switch (mode) {
      case OpenMode::kRead:
        ready = data.in_memory || data.OpenBase();
        break;
      case OpenMode::kWrite:
        data.SetBytes(std::string());
        break;
      case OpenMode::kUpdate:
      case OpenMode::kAppend:
        ready = data.Materialize();
        break;
    }
    if (!ready) return nullptr;
  } else {
    if (mode == OpenMode::kRead || mode == OpenMode::kUpdate || !place.folder) {
      return nullptr;
    }
    node = AddFile(*place.folder, place.name);
  }
  return std::make_unique<OverlayFile>(node->data, mode);
}

bool OverlayEnv::Exists(const std::string& name) {
  return Find(name).node != nullptr;
}

bool OverlayEnv::IsDirectory(const std::string& name) {
  Node* node = Find(name).node;
  return node && node->is_dir;
}

bool OverlayEnv::IsWritable(const std::string& name) {
  Node* node = Find(name).node;
  return node && !node->read_only;
}

bool OverlayEnv::MakeWritable(const std::string& name) {
  Node* node = Find(name).node;
  if (!node) return false;
  node->read_only = false;
  return true;
}

bool OverlayEnv::FileSize(const std::string& name, std::int64_t* size) {
  Node* node = Find(name).node;
  if (!node || node->is_dir) return false;
  if (!node->data->in_memory) {
    return base_.FileSize(node->data->base_name, size);
  }
  *size = static_cast<std::int64_t>(node->data->bytes.size());
  return true;
}

bool OverlayEnv::Holds(const Node& folder, const Node* node) {
  if (&folder == node) return true;
  for (const auto& [key, entry] : folder.entries) {
    if (entry->is_dir && Holds(*entry, node)) return true;
  }
  return false;
}

int OverlayEnv::Rename(const std::string& from, const std::string& to) {
  Place source = Find(from);
  if (!source.node) return ENOENT;
  Place target = Find(to);
  if (target.refused) return EACCES;
  if (target.node) return EEXIST;
  // The data folder or a temporary folder itself, or a target whose folder
  // is missing.
  if (!source.folder || !target.folder) return EACCES;
  if (Holds(*source.node, target.folder)) return EINVAL;
  auto it = source.folder->entries.find({UpperAscii(source.name), source.name});
  std::unique_ptr<Node> moved = std::move(it->second);
  source.folder->entries.erase(it);
  target.folder->entries[{UpperAscii(target.name), target.name}] =
      std::move(moved);
  return 0;
}

int OverlayEnv::Truncate(const std::string& name, std::int64_t size) {
  Node* node = Find(name).node;
  if (!node) return ENOENT;
  if (node->is_dir || node->read_only) return EACCES;
  if (size < 0) return EINVAL;
  if (!node->data->Materialize()) return EIO;
  node->data->bytes.resize(static_cast<std::size_t>(size));
  return 0;
}

int OverlayEnv::Remove(const std::string& name) {
  Place place = Find(name);
  if (!place.node) return ENOENT;
  if (place.node->is_dir || place.node->read_only || !place.folder) {
    return EACCES;
  }
  place.folder->entries.erase({UpperAscii(place.name), place.name});
  return 0;
}

int OverlayEnv::MakeDir(const std::string& name) {
  Place place = Find(name);
  if (place.refused) return EACCES;
  if (place.node) return EEXIST;
  auto folder = std::make_unique<Node>();
  folder->is_dir = true;
  if (place.root) {
    // A temporary folder that does not exist yet.
    place.root->node = std::move(folder);
    return 0;
  }
  // As on POSIX, a folder whose parent is missing is refused.
  if (!place.folder) return EACCES;
  place.folder->entries[{UpperAscii(place.name), place.name}] =
      std::move(folder);
  return 0;
}

int OverlayEnv::RemoveDir(const std::string& name) {
  Place place = Find(name);
  if (place.refused) return EACCES;
  if (!place.node) return ENOENT;
  if (!place.node->is_dir) return ENOTDIR;
  if (!place.folder) return EACCES;
  Fill(*place.node);
  if (!place.node->entries.empty()) return ENOTEMPTY;
  place.folder->entries.erase({UpperAscii(place.name), place.name});
  return 0;
}

bool OverlayEnv::CopyFile(const std::string& from, const std::string& to,
                          bool fail_if_exists) {
  if (fail_if_exists && Exists(to)) return false;
  Node* source = Find(from).node;
  if (!source || source->is_dir) return false;
  // Held before the target is made: the two may be one file.
  std::shared_ptr<FileData> bytes = source->data;
  Place target = Find(to);
  Node* node = target.node;
  if (node) {
    if (node->is_dir || node->read_only) return false;
  } else {
    if (!target.folder) return false;
    node = AddFile(*target.folder, target.name);
  }
  if (node->data == bytes) return true;
  // A copy of a file the run has not changed reads the wrapped Env's bytes.
  if (bytes->in_memory) {
    node->data->SetBytes(bytes->bytes);
  } else {
    node->data->SetBase(bytes->base_name);
  }
  return true;
}

std::vector<DirEntry> OverlayEnv::List(const std::string& pattern,
                                       int attribute_mask) {
  std::string folder, last;
  SplitPattern(pattern, &folder, &last);
  std::vector<DirEntry> out;
  Node* dir = Find(folder).node;
  if (!dir || !dir->is_dir) return out;
  Fill(*dir);
  for (const auto& [key, node] : dir->entries) {
    const std::string& name = key.second;
    if (!IsPlainComponent(name) || !WildcardMatch(last, name)) continue;
    DirEntry entry;
    entry.name = name;
    entry.is_dir = node->is_dir;
    entry.read_only = node->read_only;
    entry.hidden = node->hidden;
    entry.system = node->system;
    if (PassesMask(entry, attribute_mask)) out.push_back(entry);
  }
  return out;
}

bool OverlayEnv::OpenDenyWrite(const std::string& name) {
  Node* node = Find(name).node;
  if (!node || node->is_dir) return false;
  if (node->data->in_memory) return true;
  return base_.OpenDenyWrite(node->data->base_name);
}

}  // namespace labrena
