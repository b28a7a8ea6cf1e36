// The journal of a conversion run: before the run first changes a name, the
// name's state before the run is written to the journal and flushed to disk.
// A run that did not finish leaves its journal behind, and the next run
// undoes it first; a finished run keeps its journal, so that the user can
// undo the whole conversion.
//
// The journal is a folder beside the data folder (never inside it, so no
// step ever lists it): the log, one line an entry, and the copies of files
// that the run rewrote or deleted. A log line is the entry's fields, a blank
// and the CRC-32 of the fields in hex, then a line feed; a last line cut
// short by a crash (no line feed, or a wrong CRC) is an entry whose change
// never began, and is passed over.
#ifndef LABRENA_JOURNAL_JOURNAL_H_
#define LABRENA_JOURNAL_JOURNAL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace labrena {

// What a name was before the run first changed it, and so how to undo it.
struct JournalEntry {
  enum class Kind : char {
    kCreated = 'C',       // did not exist: undo removes it (a folder whole)
    kAppended = 'A',      // was `number` bytes long: undo cuts it back
    kSaved = 'S',         // bytes kept in copy `number`: undo writes them back
    kRenamed = 'R',       // renamed to new_name: undo renames it back
    kMoved = 'M',         // copied to new_name on another file system, then
                          // removed: undo moves it back
    kRemovedDir = 'D',    // an empty folder removed: undo makes it again
    kMadeWritable = 'W',  // was read-only: undo makes it read-only again
    kListed = 'P',        // a folder's entries (names) when the run first
                          // made a file in it: undo removes every other
  };
  Kind kind = Kind::kCreated;
  std::string name;
  std::string new_name;
  std::int64_t number = 0;
  std::vector<std::string> names;  // kListed: upper-cased, "." for the root
};

// The suffix of the name under which a move to another file system copies
// a file before the copy takes the target's name: the target exists only
// when whole.
inline constexpr const char* kStagingSuffix = "~lbj";
// The suffix under which the undo of such a move puts the target aside
// before removing it, so that a removal cut short leaves no half target.
inline constexpr const char* kDiscardSuffix = "~lbd";

// Copies a file, or a folder with everything below it, under the name
// to + kStagingSuffix, flushed, and then renames the copy to `to`: `to`
// exists only when whole. 0 on success; on failure no copy is left.
int CopyStaged(Env& env, const std::string& from, const std::string& to);

class Journal {
 public:
  enum class State {
    kNone,         // no journal: nothing to undo
    kInterrupted,  // a run that did not finish
    kFinished,     // a finished run, kept for undo
    kDamaged,      // a log that cannot be read (a bad line before good ones)
  };

  // folder_env reaches the journal folder by the name folder.
  Journal(Env& folder_env, std::string folder);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Reads the log and tells what it holds.
  State Look();
  // Begins the journal of a new run: every earlier file of the folder is
  // removed, and a log with its header alone is written and flushed.
  bool Start();
  // Writes an entry and flushes it to disk; false when it could not be (the
  // change must then not go ahead).
  bool Append(const JournalEntry& entry);
  // Appends entries with one flush: none of their changes begins before all
  // of them are on the disk.
  bool AppendAll(const std::vector<JournalEntry>& entries);
  // Copies a file of data_env into the journal and flushes the copy; its
  // number goes into a kSaved entry. False when the copy failed.
  bool Save(Env& data_env, const std::string& name, std::int64_t* number);
  // Marks the run finished.
  bool Finish();
  // Undoes every entry of the log, last first, in data_env, marking each as
  // undone in the log, so that an undo cut short goes on where it stopped.
  // Then removes the journal. On failure the journal stays and *failed
  // names the file that could not be put back.
  bool Undo(Env& data_env, std::string* failed);
  // Removes the log, then the copies and the folder; true once the log is
  // gone.
  bool Remove();

  // Writes a file of the journal folder (the run's report), replacing it.
  bool WriteFile(const std::string& name, const std::string& bytes);
  const std::string& folder() const { return folder_; }

 private:
  std::string PathOf(const std::string& name) const;
  bool WriteLine(const std::string& fields);
  // Writes whole lines at the end of the log and flushes them.
  bool WriteLines(const std::string& lines);
  bool UndoEntry(Env& data_env, const JournalEntry& entry);

  Env& env_;
  std::string folder_;
  std::unique_ptr<OsFile> log_;
  std::int64_t log_size_ = 0;
  std::int64_t copies_ = 0;
  // What Look() read: the entries, and how many of the last are undone.
  std::vector<JournalEntry> entries_;
  std::size_t undone_ = 0;
};

// Parses a log; the entries, how many of the last are already undone, and
// whether it ended with the finish mark. False for a log that is damaged
// (a bad line before good ones, or no header).
bool ParseJournal(const std::string& bytes, std::vector<JournalEntry>* entries,
                  std::size_t* undone, bool* finished);
// The log line of an entry, with its CRC and line feed.
std::string JournalLine(const JournalEntry& entry);

}  // namespace labrena

#endif  // LABRENA_JOURNAL_JOURNAL_H_
