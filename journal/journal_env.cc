#include "journal/journal_env.h"

#include <cerrno>

namespace labrena {

namespace {

// Drops what a map knows below a folder.
template <typename Map>
void EraseBelow(const std::string& folder, Map* map) {
  const std::string prefix = folder + '\\';
  for (auto it = map->lower_bound(prefix);
       it != map->end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
    it = map->erase(it);
  }
}

}  // namespace

std::string JournalEnv::Key(const std::string& name) {
  std::string key = name;
  for (char& c : key) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

JournalEnv::Kept JournalEnv::KeptOf(const std::string& name) const {
  std::string key = Key(name);
  auto file = files_.find(key);
  if (file != files_.end()) return file->second;
  // A name its listed folder did not hold is the run's.
  std::size_t last = key.rfind('\\');
  std::size_t start = last == std::string::npos ? 0 : last + 1;
  auto listed = listed_.find(start == 0 ? "" : key.substr(0, last));
  if (listed != listed_.end() && !listed->second.count(key.substr(start))) {
    return Kept::kAll;
  }
  // The nearest folder the journal knows decides.
  for (std::size_t at = key.rfind('\\'); at != std::string::npos && at > 0;
       at = key.rfind('\\', at - 1)) {
    auto folder = folders_.find(key.substr(0, at));
    if (folder != folders_.end()) {
      return folder->second ? Kept::kAll : Kept::kNothing;
    }
  }
  return Kept::kNothing;
}

void JournalEnv::SetKept(const std::string& name, Kept kept) {
  std::string key = Key(name);
  files_.erase(key);
  // Only what differs from what the folders tell is kept: a run may touch
  // tens of thousands of names.
  if (KeptOf(name) != kept) files_[key] = kept;
}

bool JournalEnv::Note(JournalEntry::Kind kind, const std::string& name,
                      const std::string& new_name, std::int64_t number) {
  JournalEntry entry;
  entry.kind = kind;
  entry.name = name;
  entry.new_name = new_name;
  entry.number = number;
  return journal_.Append(entry);
}

bool JournalEnv::BeforeWrite(const std::string& name, OpenMode mode) {
  Kept kept = KeptOf(name);
  if (kept == Kept::kAll) return true;
  if (!base_.Exists(name)) {
    // A new name of a listed folder is the run's; a name that the run
    // renamed away, or that the listing holds, needs its own entry: the
    // undo of the renames after it must find it gone.
    if (!ListFolderOf(name) ||
        (KeptOf(name) != Kept::kAll &&
         !Note(JournalEntry::Kind::kCreated, name))) {
      return false;
    }
    SetKept(name, Kept::kAll);
    return true;
  }
  // A folder, or a file the system will refuse to write: nothing changes.
  if (base_.IsDirectory(name) || !base_.IsWritable(name)) return true;
  if (mode == OpenMode::kAppend) {
    if (kept == Kept::kLength) return true;
    std::int64_t size = 0;
    if (!base_.FileSize(name, &size) ||
        !Note(JournalEntry::Kind::kAppended, base_.StoredName(name), "",
              size)) {
      return false;
    }
    SetKept(name, Kept::kLength);
    return true;
  }
  std::int64_t copy = 0;
  if (!journal_.Save(base_, name, &copy) ||
      !Note(JournalEntry::Kind::kSaved, base_.StoredName(name), "", copy)) {
    return false;
  }
  SetKept(name, Kept::kAll);
  return true;
}

bool JournalEnv::ListFolderOf(const std::string& name) {
  std::size_t last = name.find_last_of("\\/");
  std::string folder = last == std::string::npos ? "" : name.substr(0, last);
  std::string key = Key(folder);
  if (listed_.count(key)) return true;
  // Where the system will refuse the file, the caller journals it alone.
  if (!base_.IsDirectory(folder.empty() ? "." : folder)) return true;
  JournalEntry entry;
  entry.kind = JournalEntry::Kind::kListed;
  entry.name = folder.empty() ? "." : folder;
  std::set<std::string> names;
  constexpr int kEveryEntry = kAttrReadOnly | kAttrHidden | kAttrSystem |
                              kAttrSubdir | kAttrArchive;
  for (const DirEntry& found :
       base_.List(folder.empty() ? "*" : folder + "\\*", kEveryEntry)) {
    names.insert(Key(found.name));
    entry.names.push_back(Key(found.name));
  }
  if (!journal_.Append(entry)) return false;
  listed_[key] = std::move(names);
  return true;
}

std::unique_ptr<OsFile> JournalEnv::Open(const std::string& name,
                                         OpenMode mode) {
  if (mode != OpenMode::kRead) {
    Touch(name);
    if (!BeforeWrite(name, mode)) return nullptr;
  }
  return base_.Open(name, mode);
}

bool JournalEnv::MakeWritable(const std::string& name) {
  Touch(name);
  if (KeptOf(name) != Kept::kAll && base_.Exists(name) &&
      !base_.IsWritable(name) &&
      !Note(JournalEntry::Kind::kMadeWritable, base_.StoredName(name))) {
    return false;
  }
  return base_.MakeWritable(name);
}

void JournalEnv::Renamed(const std::string& from, const std::string& to) {
  std::string from_key = Key(from);
  std::string to_key = Key(to);
  if (base_.IsDirectory(to)) {
    auto folder = folders_.find(from_key);
    bool made = folder != folders_.end() ? folder->second
                                         : KeptOf(from) == Kept::kAll;
    // What the journal knew of either name and below it no longer holds.
    for (const std::string& key : {from_key, to_key}) {
      listed_.erase(key);
      folders_.erase(key);
      EraseBelow(key, &files_);
      EraseBelow(key, &folders_);
      EraseBelow(key, &listed_);
    }
    folders_[to_key] = made;
    // A folder made again under the old name needs its own entry.
    SetKept(from, Kept::kNothing);
    return;
  }
  SetKept(to, KeptOf(from));
  SetKept(from, Kept::kNothing);
}

bool JournalEnv::Foreseen(const std::string& from, const std::string& to) {
  auto it = foreseen_.find(Key(from));
  if (it == foreseen_.end()) return false;
  bool stands = it->second.to == to &&
                base_.StoredName(from) == it->second.name &&
                base_.Exists(from) && !base_.Exists(to);
  foreseen_targets_.erase(Key(it->second.to));
  foreseen_.erase(it);
  return stands;
}

void JournalEnv::Touch(const std::string& name) {
  if (foreseen_.empty()) return;
  const std::string key = Key(name);
  if (foreseen_folder_.compare(0, key.size(), key) == 0 &&
      (foreseen_folder_.size() == key.size() ||
       foreseen_folder_[key.size()] == '\\')) {
    // The folder itself, or one above it.
    foreseen_.clear();
    foreseen_targets_.clear();
    return;
  }
  auto source = foreseen_.find(key);
  if (source != foreseen_.end()) {
    foreseen_targets_.erase(Key(source->second.to));
    foreseen_.erase(source);
  }
  auto target = foreseen_targets_.find(key);
  if (target != foreseen_targets_.end()) {
    foreseen_.erase(target->second);
    foreseen_targets_.erase(target);
  }
}

namespace {

// A name's folder part (with its separator), stem and extension.
struct NameParts {
  std::string folder, stem, extension;
};

NameParts PartsOf(const std::string& name) {
  NameParts parts;
  std::size_t slash = name.find_last_of("\\/");
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  parts.folder = name.substr(0, start);
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) {
    parts.stem = name.substr(start);
  } else {
    parts.stem = name.substr(start, dot - start);
    parts.extension = name.substr(dot + 1);
  }
  return parts;
}

}  // namespace

bool JournalEnv::NoteRename(const std::string& from, const std::string& to) {
  JournalEntry own;
  own.kind = JournalEntry::Kind::kRenamed;
  own.name = base_.StoredName(from);
  own.new_name = to;
  NameParts source = PartsOf(from);
  NameParts target = PartsOf(to);
  const std::string folder = source.folder.empty()
                                 ? ""
                                 : Key(source.folder.substr(
                                       0, source.folder.size() - 1));
  const std::string foresight = folder + '|' + Key(source.extension) + '|' +
                                Key(target.extension);
  if (Key(source.folder) != Key(target.folder) ||
      Key(source.stem) != Key(target.stem) || source.extension.empty() ||
      target.extension.empty() ||
      Key(source.extension) == Key(target.extension) ||
      foresights_.count(foresight) || base_.IsDirectory(from)) {
    return journal_.Append(own);
  }
  // The run goes on with the folder's other files of that extension: their
  // renames go ahead in the same flush.
  foresights_.insert(foresight);
  std::vector<JournalEntry> entries{own};
  std::map<std::string, Foresight> foreseen;
  constexpr int kFiles = kAttrReadOnly | kAttrHidden | kAttrSystem |
                         kAttrArchive;
  for (const DirEntry& found :
       base_.List(source.folder + "*." + source.extension, kFiles)) {
    NameParts parts = PartsOf(found.name);
    std::string name = source.folder + found.name;
    std::string renamed =
        target.folder + parts.stem + "." + target.extension;
    if (found.is_dir || Key(parts.extension) != Key(source.extension) ||
        Key(name) == Key(from) || KeptOf(name) == Kept::kAll ||
        foreseen.count(Key(name)) || base_.Exists(renamed)) {
      continue;
    }
    JournalEntry entry = own;
    entry.name = base_.StoredName(name);
    entry.new_name = renamed;
    entries.push_back(entry);
    foreseen[Key(name)] = Foresight{entry.name, renamed};
  }
  if (!journal_.AppendAll(entries)) return false;
  foreseen_ = std::move(foreseen);
  foreseen_targets_.clear();
  for (const auto& [key, sight] : foreseen_) {
    foreseen_targets_[Key(sight.to)] = key;
  }
  foreseen_folder_ = folder;
  return true;
}

int JournalEnv::Rename(const std::string& from, const std::string& to) {
  if (!Foreseen(from, to)) {
    Touch(from);
    Touch(to);
    // A rename that the system will refuse (no source, a target in the
    // way) is not journaled: its undo would rename what the run did not.
    if (base_.Exists(from) && !base_.Exists(to) && !NoteRename(from, to)) {
      return EIO;
    }
  }
  int renamed = base_.Rename(from, to);
  if (renamed == 0) Renamed(from, to);
  return renamed;
}

int JournalEnv::Move(const std::string& from, const std::string& to) {
  int renamed = Rename(from, to);
  if (renamed != EXDEV) return renamed;
  if (base_.Exists(to)) return EEXIST;
  bool folder = base_.IsDirectory(from);
  // A read-only source is unprotected first, so that its undo comes last.
  if (!folder && !base_.IsWritable(from) && !MakeWritable(from)) return EIO;
  if (!Note(JournalEntry::Kind::kMoved, base_.StoredName(from), to)) {
    return EIO;
  }
  if (int copied = CopyStaged(base_, from, to)) return copied;
  // A file that cannot be removed stays whole where it was; a folder half
  // removed stays whole at the target, and the undo takes it from there.
  int removed = folder ? RemoveTree(base_, from) : base_.Remove(from);
  if (removed != 0) {
    if (!folder) base_.Remove(to);
    return removed;
  }
  Renamed(from, to);
  return 0;
}

int JournalEnv::Truncate(const std::string& name, std::int64_t size) {
  Touch(name);
  if (!BeforeWrite(name, OpenMode::kWrite)) return EIO;
  return base_.Truncate(name, size);
}

int JournalEnv::Remove(const std::string& name) {
  Touch(name);
  if (base_.Exists(name) && !BeforeWrite(name, OpenMode::kWrite)) return EIO;
  return base_.Remove(name);
}

int JournalEnv::MakeDir(const std::string& name) {
  Touch(name);
  if (!base_.Exists(name) && KeptOf(name) != Kept::kAll &&
      !Note(JournalEntry::Kind::kCreated, name)) {
    return EIO;
  }
  int made = base_.MakeDir(name);
  if (made == 0) folders_[Key(name)] = true;
  return made;
}

int JournalEnv::RemoveDir(const std::string& name) {
  Touch(name);
  auto folder = folders_.find(Key(name));
  bool made = folder != folders_.end() ? folder->second
                                       : KeptOf(name) == Kept::kAll;
  if (base_.IsDirectory(name) && !made &&
      !Note(JournalEntry::Kind::kRemovedDir, base_.StoredName(name))) {
    return EIO;
  }
  return base_.RemoveDir(name);
}

bool JournalEnv::CopyFile(const std::string& from, const std::string& to,
                          bool fail_if_exists) {
  Touch(to);
  if (!(fail_if_exists && base_.Exists(to)) &&
      !BeforeWrite(to, OpenMode::kWrite)) {
    return false;
  }
  return base_.CopyFile(from, to, fail_if_exists);
}

}  // namespace labrena
