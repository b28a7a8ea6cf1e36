#include "journal/journal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/names.h"

namespace labrena {
namespace {

constexpr const char* kHeader = "LABRENA-JOURNAL 1";
constexpr const char* kFinishMark = "END";
constexpr const char* kUndoneMark = "UNDONE ";
constexpr const char* kLogName = "JOURNAL.LOG";
constexpr std::size_t kCopyBuffer = 64 * 1024;
constexpr int kEveryEntry = kAttrReadOnly | kAttrHidden | kAttrSystem |
                            kAttrSubdir | kAttrArchive;

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

// Names may hold any byte but a control character; blanks, '%' and the
// bytes below them are written as %XX so that fields split on blanks.
std::string Escape(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    if (c <= ' ' || c == '%' || c == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool Unescape(const std::string& field, std::string* name) {
  name->clear();
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      *name += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return false;
    char hex[3] = {field[i + 1], field[i + 2], 0};
    char* end = nullptr;
    long value = std::strtol(hex, &end, 16);
    if (end != hex + 2) return false;
    *name += static_cast<char>(value);
    i += 2;
  }
  return true;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t blank = line.find(' ', start);
    if (blank == std::string::npos) blank = line.size();
    fields.push_back(line.substr(start, blank - start));
    start = blank + 1;
  }
  return fields;
}

bool ParseNumber(const std::string& field, std::int64_t* value) {
  if (field.empty()) return false;
  *value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return true;
}

bool HasNewName(JournalEntry::Kind kind) {
  return kind == JournalEntry::Kind::kRenamed ||
         kind == JournalEntry::Kind::kMoved;
}

bool HasNumber(JournalEntry::Kind kind) {
  return kind == JournalEntry::Kind::kAppended ||
         kind == JournalEntry::Kind::kSaved;
}

bool ParseEntry(const std::string& fields, JournalEntry* entry) {
  std::vector<std::string> parts = Split(fields);
  if (parts.size() < 2 || parts[0].size() != 1) return false;
  entry->kind = static_cast<JournalEntry::Kind>(parts[0][0]);
  if (entry->kind == JournalEntry::Kind::kListed) {
    if (!Unescape(parts[1], &entry->name)) return false;
    for (std::size_t i = 2; i < parts.size(); ++i) {
      std::string name;
      if (!Unescape(parts[i], &name)) return false;
      entry->names.push_back(name);
    }
    return true;
  }
  switch (entry->kind) {
    case JournalEntry::Kind::kCreated:
    case JournalEntry::Kind::kAppended:
    case JournalEntry::Kind::kSaved:
    case JournalEntry::Kind::kRenamed:
    case JournalEntry::Kind::kMoved:
    case JournalEntry::Kind::kRemovedDir:
    case JournalEntry::Kind::kMadeWritable:
      break;
    default:
      return false;
  }
  std::size_t want = 2 + (HasNewName(entry->kind) ? 1 : 0) +
                     (HasNumber(entry->kind) ? 1 : 0);
  if (parts.size() != want || !Unescape(parts[1], &entry->name)) return false;
  if (HasNewName(entry->kind) && !Unescape(parts[2], &entry->new_name)) {
    return false;
  }
  return !HasNumber(entry->kind) || ParseNumber(parts[2], &entry->number);
}

std::string Line(const std::string& fields) {
  char crc[16];
  std::snprintf(crc, sizeof crc, " %08X\n",
                static_cast<unsigned>(Crc32(fields)));
  return fields + crc;
}

// The fields of a well-formed line, or false for a line cut short or
// garbled.
bool CheckLine(const std::string& line, std::string* fields) {
  std::size_t blank = line.rfind(' ');
  if (blank == std::string::npos || line.size() - blank != 9) return false;
  *fields = line.substr(0, blank);
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(Crc32(*fields)));
  return line.compare(blank + 1, 8, crc) == 0;
}

std::string CopyName(std::int64_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "%08lld.SAV",
                static_cast<long long>(number));
  return name;
}

// Copies a file from one Env to another and flushes the copy to disk.
bool CopyBetween(Env& from_env, const std::string& from, Env& to_env,
                 const std::string& to) {
  std::unique_ptr<OsFile> source = from_env.Open(from, OpenMode::kRead);
  if (!source) return false;
  std::unique_ptr<OsFile> target = to_env.Open(to, OpenMode::kWrite);
  if (!target) return false;
  std::vector<char> buffer(kCopyBuffer);
  std::int64_t offset = 0;
  for (;;) {
    std::size_t got = 0;
    if (!source->ReadAt(offset, buffer.data(), buffer.size(), &got)) {
      return false;
    }
    if (got == 0) break;
    if (!target->WriteAt(offset, buffer.data(), got)) return false;
    offset += static_cast<std::int64_t>(got);
  }
  bool synced = target->Sync();
  return target->Close() && synced;
}

// Removes a file, read-only or not; true when it is gone.
bool RemoveIfThere(Env& env, const std::string& name) {
  if (!env.Exists(name)) return true;
  if (env.IsDirectory(name)) return RemoveTree(env, name) == 0;
  if (!env.IsWritable(name)) env.MakeWritable(name);
  return env.Remove(name) == 0;
}

std::string EntryFields(const JournalEntry& entry) {
  std::string fields(1, static_cast<char>(entry.kind));
  fields += ' ' + Escape(entry.name);
  if (HasNewName(entry.kind)) fields += ' ' + Escape(entry.new_name);
  if (HasNumber(entry.kind)) fields += ' ' + std::to_string(entry.number);
  for (const std::string& name : entry.names) fields += ' ' + Escape(name);
  return fields;
}

}  // namespace

int CopyStaged(Env& env, const std::string& from, const std::string& to) {
  std::string staged = to + kStagingSuffix;
  if (!RemoveIfThere(env, staged)) return EIO;
  int copied = env.IsDirectory(from) ? CopyTree(env, from, staged)
               : env.CopyFile(from, staged, true) ? 0
                                                  : EIO;
  if (copied == 0) copied = env.Rename(staged, to);
  if (copied != 0) RemoveIfThere(env, staged);
  return copied;
}

std::string JournalLine(const JournalEntry& entry) {
  return Line(EntryFields(entry));
}

bool ParseJournal(const std::string& bytes, std::vector<JournalEntry>* entries,
                  std::size_t* undone, bool* finished) {
  entries->clear();
  *undone = 0;
  *finished = false;
  std::size_t at = 0;
  bool header = false;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    std::string fields;
    if (end == std::string::npos ||
        !CheckLine(bytes.substr(at, end - at), &fields)) {
      // A torn last line: its change never began. Anything after it means
      // the log was garbled instead.
      return end == std::string::npos || end + 1 == bytes.size();
    }
    at = end + 1;
    if (!header) {
      if (fields != kHeader) return false;
      header = true;
      continue;
    }
    if (fields == kFinishMark) {
      *finished = true;
      continue;
    }
    if (fields.rfind(kUndoneMark, 0) == 0) {
      std::int64_t count = 0;
      if (!ParseNumber(fields.substr(std::string(kUndoneMark).size()),
                       &count) ||
          static_cast<std::size_t>(count) > entries->size()) {
        return false;
      }
      if (static_cast<std::size_t>(count) > *undone) *undone = count;
      continue;
    }
    JournalEntry entry;
    if (!ParseEntry(fields, &entry)) return false;
    entries->push_back(entry);
  }
  return header || bytes.empty();
}

Journal::Journal(Env& folder_env, std::string folder)
    : env_(folder_env), folder_(std::move(folder)) {}

Journal::~Journal() {
  if (log_) log_->Close();
}

std::string Journal::PathOf(const std::string& name) const {
  return folder_ + "\\" + name;
}

Journal::State Journal::Look() {
  entries_.clear();
  undone_ = 0;
  std::string log = PathOf(kLogName);
  std::unique_ptr<OsFile> file = env_.Open(log, OpenMode::kRead);
  if (!file) return env_.Exists(log) ? State::kDamaged : State::kNone;
  std::string bytes;
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    std::size_t got = 0;
    if (!file->ReadAt(static_cast<std::int64_t>(bytes.size()), buffer.data(),
                      buffer.size(), &got)) {
      return State::kDamaged;
    }
    if (got == 0) break;
    bytes.append(buffer.data(), got);
  }
  file->Close();
  bool finished = false;
  if (!ParseJournal(bytes, &entries_, &undone_, &finished)) {
    return State::kDamaged;
  }
  // Appends go after the last whole line: a torn line is cut off first.
  log_size_ = static_cast<std::int64_t>(bytes.rfind('\n') + 1);
  if (bytes.empty()) log_size_ = 0;
  return finished ? State::kFinished : State::kInterrupted;
}

bool Journal::Start() {
  if (!Remove() ||
      (env_.Exists(folder_) && RemoveTree(env_, folder_) != 0) ||
      env_.MakeDir(folder_) != 0) {
    return false;
  }
  log_ = env_.Open(PathOf(kLogName), OpenMode::kWrite);
  log_size_ = 0;
  copies_ = 0;
  return log_ && WriteLine(kHeader);
}

bool Journal::WriteLine(const std::string& fields) {
  return WriteLines(Line(fields));
}

bool Journal::WriteLines(const std::string& lines) {
  if (!log_ || !log_->WriteAt(log_size_, lines.data(), lines.size()) ||
      !log_->Sync()) {
    // A line written in part would garble the lines after it.
    env_.Truncate(PathOf(kLogName), log_size_);
    return false;
  }
  log_size_ += static_cast<std::int64_t>(lines.size());
  return true;
}

bool Journal::Append(const JournalEntry& entry) {
  return WriteLine(EntryFields(entry));
}

bool Journal::AppendAll(const std::vector<JournalEntry>& entries) {
  std::string lines;
  for (const JournalEntry& entry : entries) lines += Line(EntryFields(entry));
  return WriteLines(lines);
}

bool Journal::Save(Env& data_env, const std::string& name,
                   std::int64_t* number) {
  *number = ++copies_;
  return CopyBetween(data_env, name, env_, PathOf(CopyName(*number)));
}

bool Journal::Finish() { return WriteLine(kFinishMark); }

bool Journal::Undo(Env& data_env, std::string* failed) {
  std::string log = PathOf(kLogName);
  if (log_) log_->Close();
  if (env_.Truncate(log, log_size_) != 0) {
    *failed = log;
    return false;
  }
  log_ = env_.Open(log, OpenMode::kUpdate);
  // The entries name files as the folder spelled them: a file goes back
  // under its own name, also beside a case twin.
  struct Literal {
    explicit Literal(Env& env) : env(env) { env.SetLiteralNames(true); }
    ~Literal() { env.SetLiteralNames(false); }
    Env& env;
  } literal(data_env);
  for (std::size_t left = entries_.size() - undone_; left > 0; --left) {
    const JournalEntry& entry = entries_[left - 1];
    if (!UndoEntry(data_env, entry)) {
      *failed = entry.name;
      return false;
    }
    if (!WriteLine(kUndoneMark + std::to_string(entries_.size() - left + 1))) {
      *failed = log;
      return false;
    }
  }
  if (!Remove()) {
    *failed = log;
    return false;
  }
  return true;
}

bool Journal::UndoEntry(Env& data_env, const JournalEntry& entry) {
  Env& env = data_env;
  const std::string& name = entry.name;
  switch (entry.kind) {
    case JournalEntry::Kind::kCreated:
      return RemoveIfThere(env, name);
    case JournalEntry::Kind::kAppended: {
      std::int64_t size = 0;
      if (!env.FileSize(name, &size) || size <= entry.number) return true;
      return env.Truncate(name, entry.number) == 0;
    }
    case JournalEntry::Kind::kSaved:
      return CopyBetween(env_, PathOf(CopyName(entry.number)), env, name);
    case JournalEntry::Kind::kRenamed:
      if (!env.Exists(entry.new_name) || env.Exists(name)) return true;
      return env.Rename(entry.new_name, name) == 0;
    case JournalEntry::Kind::kMoved: {
      // The target exists only when whole; the source may be half removed
      // (a folder), so the target is the one kept.
      const std::string& target = entry.new_name;
      std::string discard = target + kDiscardSuffix;
      if (!RemoveIfThere(env, target + kStagingSuffix) ||
          !RemoveIfThere(env, name + kStagingSuffix) ||
          !RemoveIfThere(env, discard)) {
        return false;
      }
      if (!env.Exists(target)) return true;
      return RemoveIfThere(env, name) && CopyStaged(env, target, name) == 0 &&
             env.Rename(target, discard) == 0 && RemoveIfThere(env, discard);
    }
    case JournalEntry::Kind::kRemovedDir:
      return env.IsDirectory(name) || env.MakeDir(name) == 0;
    case JournalEntry::Kind::kMadeWritable:
      return !env.Exists(name) || !env.IsWritable(name) ||
             env.MakeReadOnly(name);
    case JournalEntry::Kind::kListed: {
      std::set<std::string> listed(entry.names.begin(), entry.names.end());
      std::string folder = name == "." ? "" : name + "\\";
      for (const DirEntry& found : env.List(folder + "*", kEveryEntry)) {
        if (!listed.count(UpperAscii(found.name)) &&
            !RemoveIfThere(env, folder + found.name)) {
          return false;
        }
      }
      return true;
    }
  }
  return false;
}

bool Journal::Remove() {
  if (log_) {
    log_->Close();
    log_.reset();
  }
  // The log goes first: without it, what is left is no journal, and copies
  // left behind go with the next journal's start.
  if (!RemoveIfThere(env_, PathOf(kLogName))) return false;
  if (env_.Exists(folder_)) RemoveTree(env_, folder_);
  return true;
}

bool Journal::WriteFile(const std::string& name, const std::string& bytes) {
  std::unique_ptr<OsFile> file = env_.Open(PathOf(name), OpenMode::kWrite);
  if (!file) return false;
  bool written = file->WriteAt(0, bytes.data(), bytes.size());
  return file->Close() && written;
}

}  // namespace labrena
