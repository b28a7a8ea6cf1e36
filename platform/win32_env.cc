#include "platform/win32_env.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/names.h"
#include "platform/system_env.h"
#include "platform/win32_text.h"
#include "platform/win32_windows.h"

namespace labrena {
namespace {

int LastError() {
  DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : 1;
}

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED ov = {};
  ov.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  ov.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return ov;
}

// The largest piece one ReadFile or WriteFile call moves.
constexpr std::size_t kMaxPiece = 1 << 30;

class Win32File : public OsFile {
 public:
  Win32File(HANDLE handle, bool append) : handle_(handle), append_(append) {}
  ~Win32File() override { Close(); }

  bool ReadAt(std::int64_t offset, char* buf, std::size_t n,
              std::size_t* got) override {
    *got = 0;
    while (*got < n) {
      DWORD want = static_cast<DWORD>(std::min(n - *got, kMaxPiece));
      DWORD read = 0;
      OVERLAPPED ov = At(offset + static_cast<std::int64_t>(*got));
      if (!ReadFile(handle_, buf + *got, want, &read, &ov)) {
        return GetLastError() == ERROR_HANDLE_EOF;
      }
      if (read == 0) break;
      *got += read;
    }
    return true;
  }

  bool WriteAt(std::int64_t offset, const char* buf, std::size_t n) override {
    if (append_) {
      // As the C runtime's append mode does: every write goes to the end.
      LARGE_INTEGER end;
      if (!GetFileSizeEx(handle_, &end)) return false;
      offset = end.QuadPart;
    }
    std::size_t done = 0;
    while (done < n) {
      DWORD want = static_cast<DWORD>(std::min(n - done, kMaxPiece));
      DWORD written = 0;
      OVERLAPPED ov = At(offset + static_cast<std::int64_t>(done));
      if (!WriteFile(handle_, buf + done, want, &written, &ov) ||
          written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  bool Size(std::int64_t* size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(handle_, &value)) return false;
    *size = value.QuadPart;
    return true;
  }

  bool Sync() override { return FlushFileBuffers(handle_) != 0; }

  bool Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    BOOL ok = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok != 0;
  }

 private:
  HANDLE handle_;
  bool append_;
};

bool AttributesOf(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, data) != 0;
}

}  // namespace

Win32Env::Win32Env(std::string root, std::string temp)
    : root_(std::move(root)), temp_(std::move(temp)) {
  // Keep the separator of a drive's root ("C:\").
  while (root_.size() > 1 && IsSeparator(root_.back()) &&
         root_[root_.size() - 2] != ':') {
    root_.pop_back();
  }
}

std::wstring Win32Env::Resolve(const std::string& name) {
  if (ClimbsOut(name)) return L"";
  if (IsAbsolute(name)) {
    if (!IsBelow(name, SystemTempPath(), true) &&
        !IsBelow(name, FallbackTempPath(), true)) {
      return L"";
    }
    return WideFromCp1252(name);
  }
  if (root_.empty()) return WideFromCp1252(name);
  if (name.empty()) return WideFromCp1252(root_);
  bool joined = IsSeparator(root_.back()) || root_.back() == ':';
  return WideFromCp1252(joined ? root_ + name : root_ + "\\" + name);
}

std::unique_ptr<OsFile> Win32Env::Open(const std::string& name, OpenMode mode) {
  DWORD access = 0;
  DWORD disposition = 0;
  switch (mode) {
    case OpenMode::kRead:
      access = GENERIC_READ;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::kUpdate:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::kWrite:
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::kAppend:
      access = GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  std::wstring path = Resolve(name);
  // Windows refuses to write a read-only file; Wine run by root would not.
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (mode != OpenMode::kRead && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    return nullptr;
  }
  // The sharing of the C runtime's fopen: others may read and write.
  HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(handle, mode == OpenMode::kAppend);
}

bool Win32Env::Exists(const std::string& name) {
  return GetFileAttributesW(Resolve(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Env::IsDirectory(const std::string& name) {
  DWORD attributes = GetFileAttributesW(Resolve(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Env::IsWritable(const std::string& name) {
  DWORD attributes = GetFileAttributesW(Resolve(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool Win32Env::MakeWritable(const std::string& name) {
  std::wstring path = Resolve(name);
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(path.c_str(), attributes) != 0;
}

std::string Win32Env::StoredName(const std::string& name) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Resolve(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return name;
  FindClose(search);
  return WithLastComponent(name, Cp1252FromWide(found.cFileName));
}

bool Win32Env::MakeReadOnly(const std::string& name) {
  std::wstring path = Resolve(name);
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
  return SetFileAttributesW(path.c_str(),
                            attributes | FILE_ATTRIBUTE_READONLY) != 0;
}

bool Win32Env::FileSize(const std::string& name, std::int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!AttributesOf(Resolve(name), &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  *size = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
      data.nFileSizeLow);
  return true;
}

int Win32Env::Rename(const std::string& from, const std::string& to) {
  // No MOVEFILE_REPLACE_EXISTING: an existing target is never replaced. No
  // MOVEFILE_COPY_ALLOWED: a move to another volume fails instead of copying.
  if (MoveFileExW(Resolve(from).c_str(), Resolve(to).c_str(), 0)) return 0;
  if (GetLastError() == ERROR_NOT_SAME_DEVICE) return EXDEV;
  return LastError();
}

int Win32Env::Move(const std::string& from, const std::string& to) {
  // A file goes to another volume as a copy written through to the disk,
  // and the source is deleted only after it; a folder cannot, and is moved
  // file by file.
  if (IsDirectory(from)) return Env::Move(from, to);
  if (MoveFileExW(Resolve(from).c_str(), Resolve(to).c_str(),
                  MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return LastError();
}

int Win32Env::Truncate(const std::string& name, std::int64_t size) {
  HANDLE handle = CreateFileW(Resolve(name).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  LARGE_INTEGER at;
  at.QuadPart = size;
  bool cut = SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) &&
             SetEndOfFile(handle);
  int error = cut ? 0 : LastError();
  CloseHandle(handle);
  return error;
}

int Win32Env::Remove(const std::string& name) {
  if (DeleteFileW(Resolve(name).c_str())) return 0;
  return LastError();
}

int Win32Env::MakeDir(const std::string& name) {
  if (CreateDirectoryW(Resolve(name).c_str(), nullptr)) return 0;
  return LastError();
}

int Win32Env::RemoveDir(const std::string& name) {
  if (RemoveDirectoryW(Resolve(name).c_str())) return 0;
  return LastError();
}

bool Win32Env::CopyFile(const std::string& from, const std::string& to,
                        bool fail_if_exists) {
  std::wstring target = Resolve(to);
  if (!CopyFileW(Resolve(from).c_str(), target.c_str(),
                 fail_if_exists ? TRUE : FALSE)) {
    return false;
  }
  // The copy reaches the disk before anyone relies on it; a read-only copy
  // is made writable for the flush and read-only again after it.
  DWORD attributes = GetFileAttributesW(target.c_str());
  bool read_only = attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_READONLY);
  if (read_only) {
    SetFileAttributesW(target.c_str(),
                       attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  HANDLE handle = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  bool flushed = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (read_only) SetFileAttributesW(target.c_str(), attributes);
  return flushed;
}

std::vector<DirEntry> Win32Env::List(const std::string& pattern,
                                     int attribute_mask) {
  std::string folder, last;
  SplitPattern(pattern, &folder, &last);
  std::wstring search = Resolve(folder);
  if (search.empty() && !folder.empty()) return {};
  if (!search.empty() && search.back() != L'\\' && search.back() != L'/' &&
      search.back() != L':') {
    search += L'\\';
  }
  search += L'*';
  // Every entry is read and matched here rather than by the system, whose
  // patterns also match the short 8.3 names ("*.DAT" would find "A.DATA").
  std::vector<DirEntry> out;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(search.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = Cp1252FromWide(found.cFileName);
    if (name == "." || name == ".." || !WildcardMatch(last, name)) continue;
    DirEntry entry;
    entry.name = name;
    entry.is_dir = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    entry.read_only = found.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    entry.hidden = found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
    entry.system = found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM;
    if (PassesMask(entry, attribute_mask)) out.push_back(entry);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  SortListing(&out);
  return out;
}

bool Win32Env::OpenDenyWrite(const std::string& name) {
  // Fails while any other handle holds the file open for writing.
  HANDLE handle =
      CreateFileW(Resolve(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

std::string Win32Env::SystemTempPath() {
  if (!temp_.empty()) return temp_;
  DWORD needed = GetTempPathW(0, nullptr);
  if (needed == 0) return "";
  std::vector<wchar_t> buf(needed + 1);
  DWORD got = GetTempPathW(static_cast<DWORD>(buf.size()), buf.data());
  if (got == 0 || got >= buf.size()) return "";
  return Cp1252FromWide(buf.data());
}

std::string Win32Env::FallbackTempPath() { return "C:\\Temp\\"; }

void Win32Env::SleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

LocalTime Win32Env::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.hundredths = st.wMilliseconds / 10;
  return t;
}

std::unique_ptr<Env> NewSystemEnv(const std::string& data_folder,
                                  const std::string& temp_folder) {
  return std::make_unique<Win32Env>(data_folder, temp_folder);
}

JournalHome JournalHomeOf(const std::string& data_folder) {
  JournalHome home;
  std::wstring wide = WideFromCp1252(data_folder);
  wchar_t full[MAX_PATH + 1];
  DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH + 1, full, nullptr);
  if (length == 0 || length > MAX_PATH) return home;
  std::wstring path(full, length);
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
    path.pop_back();
  }
  std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == path.size()) return home;
  std::wstring parent = path.substr(0, slash == 2 ? 3 : slash);
  home.folder = Cp1252FromWide(path.substr(slash + 1)) + kJournalSuffix;
  home.path = Cp1252FromWide(path.substr(0, slash + 1)) + home.folder;
  home.owned = std::make_unique<Win32Env>(Cp1252FromWide(parent), "");
  home.env = home.owned.get();
  return home;
}

}  // namespace labrena
