// An Env wrapper that journals every change of a run before it goes ahead:
// the first time the run creates, writes, appends to, cuts, renames, moves,
// deletes or unprotects a name, the name's state before the run goes into
// the journal, flushed to disk. Later changes of a name whose state is kept
// add nothing, and neither do the files of a folder the run made. A change
// whose entry cannot be written is refused, as the system refuses it.
#ifndef LABRENA_JOURNAL_JOURNAL_ENV_H_
#define LABRENA_JOURNAL_JOURNAL_ENV_H_

#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "platform/env.h"

namespace labrena {

class JournalEnv : public Env {
 public:
  // The journal must be started.
  JournalEnv(Env& base, Journal& journal) : base_(base), journal_(journal) {}

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override { return base_.Exists(name); }
  bool IsDirectory(const std::string& name) override {
    return base_.IsDirectory(name);
  }
  bool IsWritable(const std::string& name) override {
    return base_.IsWritable(name);
  }
  bool MakeWritable(const std::string& name) override;
  bool FileSize(const std::string& name, std::int64_t* size) override {
    return base_.FileSize(name, size);
  }
  int Rename(const std::string& from, const std::string& to) override;
  int Move(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override;
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override {
    return base_.List(pattern, attribute_mask);
  }
  std::string StoredName(const std::string& name) override {
    return base_.StoredName(name);
  }
  void SetLiteralNames(bool on) override { base_.SetLiteralNames(on); }
  bool OpenDenyWrite(const std::string& name) override {
    return base_.OpenDenyWrite(name);
  }
  std::string SystemTempPath() override { return base_.SystemTempPath(); }
  std::string FallbackTempPath() override { return base_.FallbackTempPath(); }
  void SleepMs(int ms) override { base_.SleepMs(ms); }
  LocalTime Now() override { return base_.Now(); }

 private:
  // How much of a name's state before the run the journal holds.
  enum class Kept {
    kNothing,
    kLength,  // its length: appends need nothing more
    kAll,     // its bytes, or that it did not exist: nothing more is needed
  };

  // The key of a name: separators as backslashes, letters upper-cased.
  static std::string Key(const std::string& name);
  Kept KeptOf(const std::string& name) const;
  void SetKept(const std::string& name, Kept kept);
  // Journals a file's state before it is written in the given mode; false
  // when the entry could not be written.
  bool BeforeWrite(const std::string& name, OpenMode mode);
  bool Note(JournalEntry::Kind kind, const std::string& name,
            const std::string& new_name = "", std::int64_t number = 0);
  // Journals the names a file's folder holds, once per folder, so that the
  // files the run makes in it need no entry each.
  bool ListFolderOf(const std::string& name);
  // A rename done: the target holds what the source held.
  void Renamed(const std::string& from, const std::string& to);
  // Journals a rename, and when it gives a file of a folder another
  // extension, the same rename of every other such file of the folder, in
  // one flush; false when the entries could not be written.
  bool NoteRename(const std::string& from, const std::string& to);
  // True when the rename was foreseen and still stands as it was journaled;
  // the foresight is used up either way.
  bool Foreseen(const std::string& from, const std::string& to);
  // A change to a name: a rename foreseen of it, to it or below it no
  // longer holds.
  void Touch(const std::string& name);

  Env& base_;
  Journal& journal_;
  std::map<std::string, Kept> files_;
  // Folders by key: true for one the run made (all below it is the run's),
  // false for one renamed in from outside such a folder.
  std::map<std::string, bool> folders_;
  // Folders that held files before the run made one in them, by key, with
  // the (upper-cased) names they held then: every other entry is the run's.
  std::map<std::string, std::set<std::string>> listed_;
  // Renames journaled ahead, in one folder at a time. Where the run never
  // makes one, its entry undoes nothing: the source is still there. The
  // source's key -> its name as journaled and the target.
  struct Foresight {
    std::string name;
    std::string to;
  };
  std::map<std::string, Foresight> foreseen_;
  std::map<std::string, std::string> foreseen_targets_;  // target -> source
  std::string foreseen_folder_;                          // its key
  // Folders and extensions already foreseen, so as never to twice.
  std::set<std::string> foresights_;
};

}  // namespace labrena

#endif  // LABRENA_JOURNAL_JOURNAL_ENV_H_
