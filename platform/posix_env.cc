#include "platform/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/file_stream.h"
#include "platform/names.h"

namespace labrena {
namespace {

// True when a file's size is reached by no name but its path: a file with
// no other name (solo), not reached through a link, no link open that might
// lead to it, and open there no more than `open` times.
bool OnlyName(const PosixEnv::Changes& changes, const std::string& path,
              bool solo, bool link, int open) {
  auto it = changes.open.find(path);
  return solo && !link && changes.open_links == 0 &&
         (it == changes.open.end() ? 0 : it->second) == open;
}

class PosixFile : public OsFile {
 public:
  using Changes = PosixEnv::Changes;
  // size, when not negative, is the file's size as it was opened; path its
  // real path; solo when the file has no other name; link when its name may
  // be a symbolic link.
  PosixFile(int fd, bool append, std::shared_ptr<Changes> changes,
            std::int64_t size, std::string path, bool solo, bool link)
      : fd_(fd),
        append_(append),
        solo_(solo),
        link_(link),
        changes_(std::move(changes)),
        path_(std::move(path)),
        size_(size),
        size_seen_at_(changes_->sizes),
        renamed_at_(Renamed()) {
    ++changes_->open[path_];
    if (link_) ++changes_->open_links;
  }
  ~PosixFile() override { Close(); }

  // One read: a short count is the end of the file as it is now, and the
  // caller asks again from there when it wants more.
  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    *got = 0;
    ssize_t r;
    do {
      r = pread(fd_, buf, n, static_cast<off_t>(offset));
    } while (r < 0 && errno == EINTR);
    if (r < 0) return false;
    *got = static_cast<std::size_t>(r);
    return true;
  }

  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    const bool known = Known();
    const std::int64_t end = static_cast<std::int64_t>(n) +
                             (append_ ? (known ? size_ : 0) : offset);
    // A write within the file's size changes no size; one that grows a file
    // that another name may reach makes every size known so far doubtful.
    if ((!known || end > size_) && !Alone()) ++changes_->sizes;
    std::size_t done = 0;
    while (done < n) {
      ssize_t r = append_ ? write(fd_, buf + done, n - done)
                          : pwrite(fd_, buf + done, n - done,
                                   static_cast<off_t>(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        size_ = -1;  // some of it may have been written
        return false;
      }
      done += static_cast<std::size_t>(r);
    }
    if (known) {
      size_ = std::max(size_, end);
      size_seen_at_ = changes_->sizes;
    }
    return true;
  }

  bool Sync() override { return fsync(fd_) == 0; }

  // Asked of the system only when a file may have grown or been cut since
  // the size was last known.
  bool Size(std::int64_t* size) override {
    if (!Known()) {
      struct stat st;
      if (fstat(fd_, &st) != 0) return false;
      size_ = st.st_size;
      size_seen_at_ = changes_->sizes;
    }
    *size = size_;
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return true;
    int r = close(fd_);
    fd_ = -1;
    auto it = changes_->open.find(path_);
    if (it != changes_->open.end() && --it->second == 0) {
      changes_->open.erase(it);
      // The last one open on its name leaves the size it knows.
      if (solo_ && !link_ && Known() && Renamed() == renamed_at_) {
        changes_->closed[path_] = {size_, size_seen_at_};
      }
    }
    if (link_) --changes_->open_links;
    return r == 0;
  }

 private:
  bool Known() const {
    return size_ >= 0 && size_seen_at_ == changes_->sizes;
  }
  // How often the name was taken from a file open on it.
  std::uint64_t Renamed() const {
    auto it = changes_->renamed.find(path_);
    return it == changes_->renamed.end() ? 0 : it->second;
  }
  // A file with no other name, open nowhere else, with no link open that
  // might lead to it: its writes change no other name's size.
  bool Alone() const {
    return Renamed() == renamed_at_ &&
           OnlyName(*changes_, path_, solo_, link_, 1);
  }

  int fd_;
  bool append_;
  bool solo_;
  bool link_;
  std::shared_ptr<Changes> changes_;
  std::string path_;
  std::int64_t size_;
  std::uint64_t size_seen_at_;
  std::uint64_t renamed_at_;
};

std::string Slashes(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool OwnerWritable(mode_t mode) { return (mode & S_IWUSR); }

std::string ParentOf(const std::string& path) {
  std::size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

std::string LastOf(const std::string& path) {
  std::size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// True when known is path or lies below it.
bool AtOrBelow(const std::string& known, const std::string& path) {
  return known.compare(0, path.size(), path) == 0 &&
         (known.size() == path.size() || known[path.size()] == '/');
}

// Renames without ever replacing an existing target. Where the system can
// refuse by itself, the test and the rename are one call; elsewhere (other
// systems, file systems without the flag) the target is looked at first.
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return EEXIST;
  if (rename(from.c_str(), to.c_str()) != 0) return errno ? errno : 1;
  return 0;
}

}  // namespace

PosixEnv::Kind PosixEnv::KindOf(unsigned char dirent_type) {
  switch (dirent_type) {
    case DT_REG:
    case DT_DIR:
      return Kind::kPlain;
    case DT_LNK:
      return Kind::kLink;
    default:
      return Kind::kUnknown;
  }
}

PosixEnv::PosixEnv(std::string root, std::string temp)
    : root_(std::move(root)), temp_(std::move(temp)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  mode_t mask = umask(0);
  umask(mask);
  made_mode_ = S_IFREG | (0666 & ~mask);
}

PosixEnv::Listing* PosixEnv::ListingOf(const std::string& dir) {
  auto it = listings_.find(dir);
  if (it != listings_.end()) return &it->second;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return nullptr;
  Listing listing;
  struct dirent* e;
  errno = 0;
  while ((e = readdir(d)) != nullptr) {
    std::string name = e->d_name;
    if (name != "." && name != "..") {
      listing[UpperAscii(name)][name].kind = KindOf(e->d_type);
    }
    errno = 0;
  }
  // A listing cut short by an error would answer wrongly: it is not kept.
  bool whole = errno == 0;
  closedir(d);
  if (!whole) return nullptr;
  return &listings_.emplace(dir, std::move(listing)).first->second;
}

void PosixEnv::Forget(const std::string& path) {
  changes_->closed.erase(path);
  // A file still open under a name that goes is no longer known by it.
  for (const auto& [open_path, count] : changes_->open) {
    if (AtOrBelow(open_path, path)) ++changes_->renamed[open_path];
  }
  auto it = listings_.find(ParentOf(path));
  if (it != listings_.end()) {
    auto entry = it->second.find(UpperAscii(LastOf(path)));
    if (entry != it->second.end()) {
      entry->second.erase(LastOf(path));
      if (entry->second.empty()) it->second.erase(entry);
    }
  }
  // A moved or removed folder takes what is known below it along.
  for (auto i = listings_.begin(); i != listings_.end();) {
    i = AtOrBelow(i->first, path) ? listings_.erase(i) : std::next(i);
  }
  for (auto i = inside_.begin(); i != inside_.end();) {
    i = AtOrBelow(i->first, path) ? inside_.erase(i) : std::next(i);
  }
  // A link may lead elsewhere now.
  links_.clear();
}

void PosixEnv::Learn(const std::string& path, Kind kind) {
  changes_->closed.erase(path);
  auto it = listings_.find(ParentOf(path));
  if (it != listings_.end()) {
    it->second[UpperAscii(LastOf(path))][LastOf(path)] = Entry{kind, 0};
  }
  // Nothing is known yet of what a new name holds, nor where a link that
  // led nowhere leads now.
  for (auto i = listings_.begin(); i != listings_.end();) {
    i = AtOrBelow(i->first, path) ? listings_.erase(i) : std::next(i);
  }
  links_.clear();
}

PosixEnv::Entry* PosixEnv::EntryAt(const std::string& path) {
  auto it = listings_.find(ParentOf(path));
  if (it == listings_.end()) return nullptr;
  auto spellings = it->second.find(UpperAscii(LastOf(path)));
  if (spellings == it->second.end()) return nullptr;
  auto entry = spellings->second.find(LastOf(path));
  return entry == spellings->second.end() ? nullptr : &entry->second;
}

void PosixEnv::ForgetModes() {
  for (auto& [dir, listing] : listings_) {
    for (auto& [upper, spellings] : listing) {
      for (auto& [name, entry] : spellings) entry.mode = 0;
    }
  }
}

void PosixEnv::Keep(const std::string& path, const struct stat& st,
                    Entry* entry) {
  entry->mode = st.st_mode;
  entry->solo = S_ISREG(st.st_mode) && st.st_nlink == 1;
  // The size of a file open here may change without a count: the last one
  // open on it leaves its size when closed.
  if (S_ISREG(st.st_mode) && changes_->open.count(path) == 0) {
    entry->size = st.st_size;
    entry->size_at = changes_->sizes;
  } else {
    entry->size = -1;
  }
}

void PosixEnv::Tell(const Entry& entry, Found* found) const {
  found->size = entry.size >= 0 && entry.size_at == changes_->sizes
                    ? entry.size
                    : -1;
  found->solo = entry.solo;
}

void PosixEnv::TakeClosed(const std::string& path, Entry* entry) {
  auto it = changes_->closed.find(path);
  if (it == changes_->closed.end()) return;
  std::tie(entry->size, entry->size_at) = it->second;
  changes_->closed.erase(it);
}

std::string PosixEnv::Resolve(const std::string& name) {
  return Lookup(name, false).path;
}

std::string PosixEnv::Follow(const std::string& link) {
  auto it = links_.find(link);
  if (it != links_.end()) return it->second;
  std::string plain;
  char* real = realpath(link.c_str(), nullptr);
  char* real_root = realpath(root_.c_str(), nullptr);
  if (real != nullptr && real_root != nullptr &&
      IsBelow(real, real_root, false)) {
    plain = root_ + std::string(real).substr(std::string(real_root).size());
  }
  free(real);
  free(real_root);
  return links_.emplace(link, plain).first->second;
}

PosixEnv::Found PosixEnv::Lookup(const std::string& name, bool status) {
  Found found;
  std::string path = Slashes(name);
  const bool absolute = !path.empty() && path[0] == '/';
  // Names stay inside the data folder, absolute ones inside the temporary
  // folder.
  if (ClimbsOut(path)) return found;
  if (absolute && !IsBelow(path, Slashes(SystemTempPath()), false) &&
      !IsBelow(path, FallbackTempPath(), false)) {
    return found;
  }

  // Each component takes the first stored spelling, in byte order, of the
  // names that match it without regard to case. While the folders on the
  // way are plain, the listings answer alone; below a link that leads out
  // of the data folder (which another name may reach too) or a folder that
  // cannot be listed, the system is asked.
  std::string base = absolute ? "" : root_;
  bool listed = true;
  bool named = false;
  bool follow = false;     // base is a symbolic link to a folder
  Entry* entry = nullptr;  // the last component's, while listed and plain
  bool missing = false;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    named = true;
    if (missing) {
      base += "/" + part;
      continue;
    }
    if (follow) {
      std::string plain = Follow(base);
      if (plain.empty()) {
        listed = false;
      } else {
        base = plain;
      }
      follow = false;
    }
    Listing* listing = ListingOf(base.empty() ? "/" : base);
    Spellings* spellings = nullptr;
    if (listing != nullptr) {
      auto it = listing->find(UpperAscii(part));
      if (it != listing->end()) spellings = &it->second;
    }
    entry = nullptr;
    auto chosen = spellings != nullptr ? spellings->begin()
                                       : Spellings::iterator();
    if (spellings != nullptr && literal_ && j == path.size()) {
      // The last component as spelled: a case twin is another name.
      chosen = spellings->find(part);
      if (chosen == spellings->end()) spellings = nullptr;
    }
    if (spellings != nullptr) {
      auto& [spelling, known] = *chosen;
      base += "/" + spelling;
      if (known.kind == Kind::kUnknown) {
        // The listing did not tell: asked once.
        struct stat link_st;
        if (lstat(base.c_str(), &link_st) != 0) {
          missing = true;
          continue;
        }
        known.kind = S_ISLNK(link_st.st_mode) ? Kind::kLink : Kind::kPlain;
        if (known.kind == Kind::kPlain) Keep(base, link_st, &known);
      }
      if (known.kind == Kind::kLink) {
        follow = true;
      } else if (listed) {
        entry = &known;
      }
    } else if (listing != nullptr && listed) {
      base += "/" + part;
      missing = true;
    } else {
      base += "/" + part;
      listed = false;
      struct stat part_st;
      if (lstat(base.c_str(), &part_st) != 0) missing = true;
    }
  }
  found.path = base.empty() ? "/" : base;
  if (missing) {
    found.maybe_link = false;
    return found;
  }
  if (entry != nullptr || !named) found.maybe_link = false;
  if (entry != nullptr) {
    TakeClosed(found.path, entry);
    Tell(*entry, &found);
  }
  if (entry != nullptr && (entry->mode != 0 || !status)) {
    found.exists = true;
    found.mode = entry->mode;
    return found;
  }
  struct stat st;
  if (stat(found.path.c_str(), &st) != 0) {
    // Gone since the folder was read: known gone from now on.
    if (entry != nullptr && errno == ENOENT) Forget(found.path);
    return found;
  }
  found.exists = true;
  found.mode = st.st_mode;
  if (entry != nullptr) {
    Keep(found.path, st, entry);
    Tell(*entry, &found);
  }
  return found;
}

bool PosixEnv::RealInside(const std::string& path, bool absolute) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  std::string resolved = real;
  free(real);
  auto below = [&resolved](const std::string& folder) {
    char* real_folder = realpath(folder.c_str(), nullptr);
    std::string base = real_folder ? real_folder : folder;
    free(real_folder);
    return IsBelow(resolved, base, false);
  };
  if (!absolute) return below(root_);
  return below(Slashes(SystemTempPath())) || below(FallbackTempPath());
}

bool PosixEnv::StaysInside(const std::string& path, bool write_through) {
  const bool absolute = !IsBelow(path, root_, false);
  std::string dir = ParentOf(path);
  auto known = inside_.find(dir);
  if (known == inside_.end()) {
    // A folder that does not exist yet is not remembered: the change fails
    // there anyway.
    struct stat dir_st;
    if (stat(dir.c_str(), &dir_st) != 0) return false;
    known = inside_.emplace(dir, RealInside(dir, absolute)).first;
  }
  if (!known->second) return false;
  if (!write_through) return true;
  struct stat link_st;
  if (lstat(path.c_str(), &link_st) == 0 && S_ISLNK(link_st.st_mode)) {
    // A link that points nowhere would create its target wherever it names.
    return RealInside(path, absolute);
  }
  return true;
}

std::unique_ptr<OsFile> PosixEnv::Open(const std::string& name,
                                       OpenMode mode) {
  return OpenFile(name, mode, false);
}

std::unique_ptr<OsFile> PosixEnv::OpenFile(const std::string& name,
                                           OpenMode mode, bool only_new) {
  // A second look only when another program made the name since the
  // listing was read.
  for (int look = 0; look < 2; ++look) {
    Found found = Lookup(name, true);
    if (found.path.empty() || (found.exists && S_ISDIR(found.mode))) {
      return nullptr;
    }
    if (found.exists && only_new) return nullptr;
    int flags = 0;
    switch (mode) {
      case OpenMode::kRead:
        flags = O_RDONLY;
        break;
      case OpenMode::kUpdate:
        flags = O_RDWR;
        break;
      case OpenMode::kWrite:
        flags = O_WRONLY | O_CREAT | O_TRUNC;
        break;
      case OpenMode::kAppend:
        flags = O_WRONLY | O_CREAT | O_APPEND;
        break;
    }
    if (!found.exists && !(flags & O_CREAT)) return nullptr;
    if (mode != OpenMode::kRead) {
      // A read-only file refuses every writing mode, for root too.
      if (found.exists && !OwnerWritable(found.mode)) return nullptr;
      if (!StaysInside(found.path, found.maybe_link)) return nullptr;
    }
    // A missing name is created, never opened: whatever took the name since
    // the Env looked (a file, a link) makes the open fail.
    if (!found.exists) flags |= O_EXCL;
    int fd = open(found.path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int error = errno;
      if (found.exists) {
        if (error == ENOENT) Forget(found.path);
        return nullptr;
      }
      if (error != EEXIST) return nullptr;
      Learn(found.path, Kind::kUnknown);
      if (only_new) return nullptr;
      continue;
    }
    if (!found.exists) {
      Learn(found.path, Kind::kPlain);
      // What the open made is known without asking.
      if (Entry* made = EntryAt(found.path)) {
        made->mode = made_mode_;
        made->solo = true;
      }
    } else if (mode == OpenMode::kWrite &&
               !OnlyName(*changes_, found.path, found.solo, found.maybe_link,
                         0)) {
      ++changes_->sizes;  // cut to nothing, with another name on it
    }
    if (found.exists && mode != OpenMode::kRead) {
      // Its size is the open file's until it is closed.
      if (Entry* entry = EntryAt(found.path)) entry->size = -1;
    }
    // A file made or cut by this open holds nothing yet.
    std::int64_t size =
        !found.exists || mode == OpenMode::kWrite ? 0 : found.size;
    return std::make_unique<PosixFile>(fd, mode == OpenMode::kAppend,
                                       changes_, size, found.path,
                                       !found.exists || found.solo,
                                       found.maybe_link);
  }
  return nullptr;
}

bool PosixEnv::Exists(const std::string& name) {
  return Lookup(name, false).exists;
}

bool PosixEnv::IsDirectory(const std::string& name) {
  Found found = Lookup(name, true);
  return found.exists && S_ISDIR(found.mode);
}

bool PosixEnv::IsWritable(const std::string& name) {
  Found found = Lookup(name, true);
  return found.exists && OwnerWritable(found.mode);
}

bool PosixEnv::MakeWritable(const std::string& name) {
  return ChangeMode(name, S_IRUSR | S_IWUSR, 0);
}

std::string PosixEnv::StoredName(const std::string& name) {
  Found found = Lookup(name, false);
  if (!found.exists) return name;
  return WithLastComponent(name, found.path.substr(found.path.rfind('/') + 1));
}

bool PosixEnv::MakeReadOnly(const std::string& name) {
  return ChangeMode(name, 0, S_IWUSR);
}

bool PosixEnv::ChangeMode(const std::string& name, mode_t add, mode_t clear) {
  Found found = Lookup(name, true);
  if (!found.exists || !StaysInside(found.path, found.maybe_link)) {
    return false;
  }
  if (chmod(found.path.c_str(), ((found.mode & 07777) | add) & ~clear) != 0) {
    if (errno == ENOENT) Forget(found.path);
    return false;
  }
  ForgetModes();
  return true;
}

bool PosixEnv::FileSize(const std::string& name, std::int64_t* size) {
  Found found = Lookup(name, false);
  if (found.exists && found.size >= 0) {
    *size = found.size;
    return true;
  }
  struct stat st;
  if (!found.exists || stat(found.path.c_str(), &st) != 0 ||
      S_ISDIR(st.st_mode)) {
    return false;
  }
  *size = st.st_size;
  return true;
}

int PosixEnv::Rename(const std::string& from, const std::string& to) {
  Found src = Lookup(from, false);
  if (!src.exists) return ENOENT;
  Found dst = Lookup(to, false);
  if (dst.path.empty()) return EACCES;
  if (dst.exists) return EEXIST;
  if (!StaysInside(src.path, false) || !StaysInside(dst.path, false)) {
    return EACCES;
  }
  int renamed = RenameNoReplace(src.path, dst.path);
  if (renamed == EEXIST) {
    Learn(dst.path, Kind::kUnknown);
  } else if (renamed == ENOENT) {
    Forget(src.path);
  }
  if (renamed != 0) return renamed;
  // What was known of a plain name, and below a folder, goes along with it.
  const Entry* known = src.maybe_link ? nullptr : EntryAt(src.path);
  Entry carried = known != nullptr ? *known : Entry{Kind::kPlain};
  std::vector<std::pair<std::string, Listing>> below;
  if (!src.maybe_link) {
    for (auto& [dir, listing] : listings_) {
      if (AtOrBelow(dir, src.path)) {
        below.emplace_back(dst.path + dir.substr(src.path.size()),
                           std::move(listing));
      }
    }
  }
  Forget(src.path);
  Learn(dst.path, src.maybe_link ? Kind::kUnknown : Kind::kPlain);
  if (Entry* entry = EntryAt(dst.path); entry != nullptr && !src.maybe_link) {
    *entry = carried;
  }
  for (auto& [dir, listing] : below) listings_[dir] = std::move(listing);
  return 0;
}

int PosixEnv::Truncate(const std::string& name, std::int64_t size) {
  Found found = Lookup(name, true);
  if (!found.exists) return ENOENT;
  if (S_ISDIR(found.mode) || !OwnerWritable(found.mode) ||
      !StaysInside(found.path, found.maybe_link)) {
    return EACCES;
  }
  ++changes_->sizes;
  if (truncate(found.path.c_str(), static_cast<off_t>(size)) != 0) {
    int error = errno ? errno : 1;
    if (error == ENOENT) Forget(found.path);
    return error;
  }
  return 0;
}

int PosixEnv::Remove(const std::string& name) {
  Found found = Lookup(name, true);
  if (!found.exists) return ENOENT;
  if (S_ISDIR(found.mode) || !OwnerWritable(found.mode)) return EACCES;
  if (!StaysInside(found.path, false)) return EACCES;
  if (unlink(found.path.c_str()) != 0) {
    int error = errno ? errno : 1;
    if (error == ENOENT) Forget(found.path);
    return error;
  }
  Forget(found.path);
  return 0;
}

int PosixEnv::MakeDir(const std::string& name) {
  Found found = Lookup(name, false);
  if (found.path.empty() || !StaysInside(found.path, false)) return EACCES;
  if (found.exists) return EEXIST;
  if (mkdir(found.path.c_str(), 0777) != 0) {
    int error = errno ? errno : 1;
    if (error == EEXIST) Learn(found.path, Kind::kUnknown);
    return error;
  }
  Learn(found.path, Kind::kPlain);
  // A folder just made holds nothing.
  listings_.emplace(found.path, Listing());
  return 0;
}

int PosixEnv::RemoveDir(const std::string& name) {
  Found found = Lookup(name, false);
  if (found.path.empty() || !StaysInside(found.path, false)) return EACCES;
  if (rmdir(found.path.c_str()) != 0) {
    int error = errno ? errno : 1;
    if (error == ENOENT) Forget(found.path);
    return error;
  }
  Forget(found.path);
  return 0;
}

bool PosixEnv::CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) {
  auto src = Open(from, OpenMode::kRead);
  if (!src) return false;
  auto dst = OpenFile(to, OpenMode::kWrite, fail_if_exists);
  if (!dst) return false;
  std::vector<char> buf(FileStream::kMostBuffer);
  std::int64_t offset = 0;
  for (;;) {
    std::size_t got = 0;
    if (!src->ReadAt(offset, buf.data(), buf.size(), &got)) return false;
    if (got == 0) break;
    if (!dst->WriteAt(offset, buf.data(), got)) return false;
    offset += static_cast<std::int64_t>(got);
  }
  return dst->Sync() && dst->Close();
}

std::vector<DirEntry> PosixEnv::List(const std::string& pattern,
                                     int attribute_mask) {
  std::string folder, last;
  SplitPattern(pattern, &folder, &last);
  Found dir = Lookup(folder, false);
  std::vector<DirEntry> out;
  if (!dir.exists) return out;
  DIR* d = opendir(dir.path.c_str());
  if (!d) return out;
  // The search reads the whole folder: its listing is renewed on the way,
  // with the status of every entry it looks at. A plain file whose status
  // the last listing knew, and that is a plain file still, keeps it.
  Listing listing;
  struct dirent* e;
  errno = 0;
  while ((e = readdir(d)) != nullptr) {
    std::string name = e->d_name;
    if (name == "." || name == "..") {
      errno = 0;
      continue;
    }
    const std::string upper = UpperAscii(name);
    Entry& entry = listing[upper][name];
    entry.kind = KindOf(e->d_type);
    if (!IsPlainComponent(name) || !WildcardMatch(last, name)) {
      errno = 0;
      continue;
    }
    const std::string path = dir.path + "/" + name;
    const Entry* kept = entry.kind == Kind::kPlain ? EntryAt(path) : nullptr;
    if (kept != nullptr && (kept->kind != Kind::kPlain || kept->mode == 0)) {
      kept = nullptr;
    }
    mode_t mode = 0;
    struct stat st;
    if (kept != nullptr) {
      entry = *kept;
      mode = entry.mode;
      TakeClosed(path, &entry);
    } else if (stat(path.c_str(), &st) == 0) {
      mode = st.st_mode;
      if (entry.kind == Kind::kPlain) Keep(path, st, &entry);
    }
    if (mode != 0) {
      DirEntry found;
      found.name = name;
      found.is_dir = S_ISDIR(mode);
      found.read_only = !OwnerWritable(mode);
      if (PassesMask(found, attribute_mask)) out.push_back(found);
    }
    errno = 0;
  }
  bool whole = errno == 0;
  closedir(d);
  // A folder named through a link is known by its plain path.
  if (whole && !dir.maybe_link) listings_[dir.path] = std::move(listing);
  SortListing(&out);
  return out;
}

bool PosixEnv::OpenDenyWrite(const std::string&) {
  // POSIX has no share modes: a file counts as free.
  return true;
}

std::string PosixEnv::SystemTempPath() {
  if (!temp_.empty()) return temp_;
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir && *dir ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

std::string PosixEnv::FallbackTempPath() { return "/tmp/"; }

void PosixEnv::SleepMs(int ms) {
  struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

LocalTime PosixEnv::Now() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  struct tm tm;
  localtime_r(&secs, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.hundredths = static_cast<int>(tv.tv_usec / 10000);
  return t;
}

}  // namespace labrena

#include "platform/system_env.h"

namespace labrena {

std::unique_ptr<Env> NewSystemEnv(const std::string& data_folder,
                                  const std::string& temp_folder) {
  return std::make_unique<PosixEnv>(data_folder, temp_folder);
}

JournalHome JournalHomeOf(const std::string& data_folder) {
  JournalHome home;
  char* real = realpath(data_folder.c_str(), nullptr);
  if (!real) return home;
  std::string full = real;
  std::free(real);
  std::size_t slash = full.find_last_of('/');
  std::string parent = slash == 0 ? "/" : full.substr(0, slash);
  home.folder = full.substr(slash + 1) + kJournalSuffix;
  home.path = (parent == "/" ? "" : parent) + "/" + home.folder;
  home.owned = std::make_unique<PosixEnv>(parent, "");
  home.env = home.owned.get();
  return home;
}

}  // namespace labrena
