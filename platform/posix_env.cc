#include "platform/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>

#include "platform/names.h"

namespace labrena {
namespace {

class PosixFile : public OsFile {
 public:
  PosixFile(int fd, bool append) : fd_(fd), append_(append) {}
  ~PosixFile() override { Close(); }

  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    *got = 0;
    while (*got < n) {
      ssize_t r = pread(fd_, buf + *got, n - *got,
                        static_cast<off_t>(offset + *got));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return false;
      if (r == 0) break;
      *got += static_cast<std::size_t>(r);
    }
    return true;
  }

  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      ssize_t r = append_ ? write(fd_, buf + done, n - done)
                          : pwrite(fd_, buf + done, n - done,
                                   static_cast<off_t>(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      done += static_cast<std::size_t>(r);
    }
    return true;
  }

  bool Sync() override { return fsync(fd_) == 0; }

  bool Size(std::int64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return false;
    *size = st.st_size;
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return true;
    int r = close(fd_);
    fd_ = -1;
    return r == 0;
  }

 private:
  int fd_;
  bool append_;
};

std::string Slashes(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool StatOf(const std::string& path, struct stat* st) {
  return stat(path.c_str(), st) == 0;
}

bool OwnerWritable(const struct stat& st) { return (st.st_mode & S_IWUSR); }

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

}  // namespace

PosixEnv::PosixEnv(std::string root, std::string temp)
    : root_(std::move(root)), temp_(std::move(temp)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

const PosixEnv::Listing& PosixEnv::ListingOf(const std::string& dir) {
  auto it = listings_.find(dir);
  if (it != listings_.end()) return it->second;
  Listing listing;
  if (DIR* d = opendir(dir.c_str())) {
    while (struct dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      listing[UpperAscii(name)].insert(name);
    }
    closedir(d);
  }
  return listings_.emplace(dir, std::move(listing)).first->second;
}

void PosixEnv::Forget(const std::string& path) {
  auto it = listings_.find(ParentOf(path));
  if (it != listings_.end()) {
    auto entry = it->second.find(UpperAscii(LastOf(path)));
    if (entry != it->second.end()) {
      entry->second.erase(LastOf(path));
      if (entry->second.empty()) it->second.erase(entry);
    }
  }
  // A moved or removed folder takes what is known below it along.
  auto below = [&path](const std::string& known) {
    return known == path ||
           (known.size() > path.size() &&
            known.compare(0, path.size(), path) == 0 &&
            known[path.size()] == '/');
  };
  for (auto i = listings_.begin(); i != listings_.end();) {
    i = below(i->first) ? listings_.erase(i) : std::next(i);
  }
  for (auto i = inside_.begin(); i != inside_.end();) {
    i = below(i->first) ? inside_.erase(i) : std::next(i);
  }
}

void PosixEnv::Learn(const std::string& path) {
  auto it = listings_.find(ParentOf(path));
  if (it != listings_.end()) {
    it->second[UpperAscii(LastOf(path))].insert(LastOf(path));
  }
}

std::string PosixEnv::Resolve(const std::string& name) {
  struct stat st;
  return Lookup(name, &st);
}

std::string PosixEnv::Lookup(const std::string& name, struct stat* st,
                             bool* found) {
  bool dummy;
  bool& exists = found ? *found : dummy;
  exists = false;
  std::string path = Slashes(name);
  const bool absolute = !path.empty() && path[0] == '/';
  // Names stay inside the data folder, absolute ones inside the temporary
  // folder.
  if (ClimbsOut(path)) return "";
  if (absolute && !IsBelow(path, Slashes(SystemTempPath()), false) &&
      !IsBelow(path, FallbackTempPath(), false)) {
    return "";
  }

  // Each component takes the first stored spelling, in byte order, of the
  // names that match it without regard to case. A name the cached listing
  // does not know may have been made since by another program.
  std::string base = absolute ? "" : root_;
  bool missing = false;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    std::string candidate = base + "/" + part;
    if (!missing) {
      const Listing& listing = ListingOf(base.empty() ? "/" : base);
      auto it = listing.find(UpperAscii(part));
      struct stat part_st;
      if (it != listing.end()) {
        candidate = base + "/" + *it->second.begin();
      } else if (lstat(candidate.c_str(), &part_st) != 0) {
        missing = true;
      }
    }
    base = candidate;
  }
  if (base.empty()) base = "/";
  if (!missing) exists = stat(base.c_str(), st) == 0;
  return base;
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
  struct stat st;
  bool exists = false;
  std::string path = Lookup(name, &st, &exists);
  if (path.empty() || (exists && S_ISDIR(st.st_mode))) return nullptr;
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
  if (mode != OpenMode::kRead) {
    // A read-only file refuses every writing mode, for root too.
    if (exists && !OwnerWritable(st)) return nullptr;
    if (!StaysInside(path)) return nullptr;
  }
  int fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  if (!exists) Learn(path);
  return std::make_unique<PosixFile>(fd, mode == OpenMode::kAppend);
}

bool PosixEnv::Exists(const std::string& name) {
  struct stat st;
  bool exists = false;
  Lookup(name, &st, &exists);
  return exists;
}

bool PosixEnv::IsDirectory(const std::string& name) {
  struct stat st;
  bool exists = false;
  Lookup(name, &st, &exists);
  return exists && S_ISDIR(st.st_mode);
}

bool PosixEnv::IsWritable(const std::string& name) {
  struct stat st;
  bool exists = false;
  Lookup(name, &st, &exists);
  return exists && OwnerWritable(st);
}

bool PosixEnv::MakeWritable(const std::string& name) {
  struct stat st;
  bool exists = false;
  std::string path = Lookup(name, &st, &exists);
  if (!exists || !StaysInside(path)) return false;
  return chmod(path.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
}

bool PosixEnv::FileSize(const std::string& name, std::int64_t* size) {
  struct stat st;
  bool exists = false;
  Lookup(name, &st, &exists);
  if (!exists || S_ISDIR(st.st_mode)) return false;
  *size = st.st_size;
  return true;
}

int PosixEnv::Rename(const std::string& from, const std::string& to) {
  struct stat st;
  bool exists = false;
  std::string src = Lookup(from, &st, &exists);
  if (!exists) return ENOENT;
  std::string dst = Lookup(to, &st, &exists);
  if (dst.empty()) return EACCES;
  if (exists) return EEXIST;
  if (!StaysInside(src, false) || !StaysInside(dst, false)) return EACCES;
  if (rename(src.c_str(), dst.c_str()) != 0) return errno ? errno : 1;
  Forget(src);
  Learn(dst);
  return 0;
}

int PosixEnv::Truncate(const std::string& name, std::int64_t size) {
  struct stat st;
  bool exists = false;
  std::string path = Lookup(name, &st, &exists);
  if (!exists) return ENOENT;
  if (S_ISDIR(st.st_mode) || !OwnerWritable(st) || !StaysInside(path)) {
    return EACCES;
  }
  if (truncate(path.c_str(), static_cast<off_t>(size)) != 0) {
    return errno ? errno : 1;
  }
  return 0;
}

int PosixEnv::Remove(const std::string& name) {
  struct stat st;
  bool exists = false;
  std::string path = Lookup(name, &st, &exists);
  if (!exists) return ENOENT;
  if (S_ISDIR(st.st_mode) || !OwnerWritable(st)) return EACCES;
  if (!StaysInside(path, false)) return EACCES;
  if (unlink(path.c_str()) != 0) return errno ? errno : 1;
  Forget(path);
  return 0;
}

int PosixEnv::MakeDir(const std::string& name) {
  std::string path = Resolve(name);
  if (path.empty() || !StaysInside(path, false)) return EACCES;
  if (mkdir(path.c_str(), 0777) != 0) return errno ? errno : 1;
  Learn(path);
  return 0;
}

int PosixEnv::RemoveDir(const std::string& name) {
  std::string path = Resolve(name);
  if (path.empty() || !StaysInside(path, false)) return EACCES;
  if (rmdir(path.c_str()) != 0) return errno ? errno : 1;
  Forget(path);
  return 0;
}

bool PosixEnv::CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) {
  if (fail_if_exists && Exists(to)) return false;
  auto src = Open(from, OpenMode::kRead);
  if (!src) return false;
  auto dst = Open(to, OpenMode::kWrite);
  if (!dst) return false;
  std::vector<char> buf(64 * 1024);
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
  std::string dir = Resolve(folder);
  std::vector<DirEntry> out;
  if (dir.empty()) return out;
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (struct dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || !IsPlainComponent(name) ||
        !WildcardMatch(last, name)) {
      continue;
    }
    struct stat st;
    if (!StatOf(dir + "/" + name, &st)) continue;
    DirEntry entry;
    entry.name = name;
    entry.is_dir = S_ISDIR(st.st_mode);
    entry.read_only = !OwnerWritable(st);
    entry.size = st.st_size;
    if (PassesMask(entry, attribute_mask)) out.push_back(entry);
  }
  closedir(d);
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

}  // namespace labrena
