// What one conversion run did: the files it created, rewrote, renamed,
// retired and deleted, the message boxes it showed and the time each step
// took. WatchEnv notes the changes and RecordingUi the boxes; the command
// line prints the summary and writes the JSON.
//
// Changes are followed by content, not by name: a file edited in a copy
// that takes its place (X.DAT copied to X.TMP, X.DAT renamed X.OLD, X.TMP
// renamed X.DAT, X.OLD removed) is X.DAT rewritten; a file renamed and then
// written is renamed (and rewritten); one moved to an absolute name (the
// retirement folder) is retired there; one that was there before and whose
// name is gone is deleted; a new file at a name nothing held before is
// created, and one created and removed in the same run is not told. Names
// are compared without regard to ASCII case, '/' read as '\'.
#ifndef LABRENA_JOURNAL_REPORT_H_
#define LABRENA_JOURNAL_REPORT_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/ui.h"

namespace labrena {

// The net effect of a run on one file or folder.
struct FileOutcome {
  enum class Kind { kCreated, kRewritten, kRenamed, kRetired, kDeleted } kind;
  std::string name;         // as the core named it; the old name when it moved
  std::string new_name;     // where it was renamed or retired to, else empty
  std::int64_t bytes = -1;  // its size at the end; -1 when not known
  std::int64_t records = -1;  // bytes / record length, when that is exact
  int step = 0;               // the step of its last change
  bool rewritten = false;     // renamed or retired, and written as well
  bool folder = false;
};

// The record length of a file that the steps write or keep, by its name in
// the data folder ("R61\0000111.DAT", a backup "F35.BAK" as "F35.DAT") or
// in the retirement folder (its tail, a ".001" dropped); -1 for a file of no
// fixed-length records.
std::int64_t RecordLength(const std::string& name);

class RunReport {
 public:
  RunReport() = default;
  RunReport(const RunReport&) = delete;
  RunReport& operator=(const RunReport&) = delete;

  // A step starts; the previous step's time stops.
  void StepStarted(int step);
  // The run ends; the last step's time stops.
  void Finished();
  void Message(const std::string& title, const std::string& text, Icon icon);

  // Change notes, each made after the call succeeded. existed: the name
  // held a file (or folder) before the call.
  //
  // A file opened for writing, updating or appending; the number it returns
  // stands for the file, for Written, while the file is open (it keeps
  // standing for it across renames).
  std::size_t Opened(const std::string& name, bool existed);
  void Written(std::size_t file);
  // A file cut by Truncate.
  void Written(const std::string& name);
  void Renamed(const std::string& from, const std::string& to, bool folder);
  void Removed(const std::string& name, bool folder);
  void MadeDir(const std::string& name);
  // A copy made at to: a new file, whatever the name held before.
  void Copied(const std::string& to, bool existed);

  // The net effect per file and folder, in listing order of the names:
  // upper-cased, in byte order. Sizes are read through env.
  std::vector<FileOutcome> Outcomes(Env& env) const;
  // The steps during which anything changed, in the order they ran.
  std::vector<int> StepsWithChanges() const;

  // For the terminal: Windows-1252 text in Portuguese, the files by kind of
  // change (at most a screenful of each), the boxes shown, the time of each
  // step.
  // Both take the outcomes of Outcomes(), which reads every file's size:
  // asked once for both.
  std::string Summary(const std::vector<FileOutcome>& outcomes) const;
  // The whole report as UTF-8 JSON:
  // {"version":1,"steps":[{"step":1,"seconds":0.125,"changes":3}],
  //  "files":[{"change":"created","name":..,"new_name":..|null,
  //            "bytes":..|null,"records":..|null,"step":..,
  //            "rewritten":false,"folder":false}],
  //  "messages":[{"title":..,"text":..,"icon":"error","step":..}]}
  std::string Json(const std::vector<FileOutcome>& outcomes) const;

 private:
  using Clock = std::chrono::steady_clock;

  // A file or folder followed through the run by its content.
  struct Item {
    std::string origin;   // its name before the run; empty when made in it
    std::string current;  // its name now; empty once removed
    bool folder = false;
    bool written = false;
    int step = 0;  // of its last change
  };
  struct StepTime {
    int step;
    Clock::time_point start;
    double seconds = -1;  // while running
    int changes = 0;
  };
  struct Shown {
    std::string title;
    std::string text;
    Icon icon;
    int step;
  };

  // The item that a name stands for now; a name not seen yet that existed
  // is a file of the folder as it was (or one moved with a folder).
  std::size_t ItemOf(const std::string& name, bool existed, bool folder);
  // A new item at a name.
  std::size_t Add(const std::string& name, bool folder);
  // Every change is counted for the step it happens in.
  void Changed(std::size_t item);
  void Detach(std::size_t item);
  int step() const { return steps_.empty() ? 0 : steps_.back().step; }

  std::vector<Item> items_;
  std::map<std::string, std::size_t> at_;  // by folded current name
  std::vector<StepTime> steps_;
  std::vector<Shown> messages_;
};

// A Ui that notes every message box in a report and passes everything on.
class RecordingUi : public Ui {
 public:
  RecordingUi(Ui& base, RunReport& report) : base_(base), report_(report) {}

  Answer MessageBox(const std::string& title, const std::string& text,
                    Icon icon, Buttons buttons,
                    int default_button = 0) override;
  void SetStatus(const std::string& text) override { base_.SetStatus(text); }
  void ShowCount(std::int64_t done, std::int64_t total) override {
    base_.ShowCount(done, total);
  }
  int PeekMessage2() override { return base_.PeekMessage2(); }
  int SetWaitCursor() override { return base_.SetWaitCursor(); }
  void RestoreCursor(int token) override { base_.RestoreCursor(token); }
  std::string GetControlText(int control_id, std::size_t max_chars) override {
    return base_.GetControlText(control_id, max_chars);
  }
  void SetControlText(int control_id, const std::string& text) override {
    base_.SetControlText(control_id, text);
  }
  void DestroyDialog() override { base_.DestroyDialog(); }

 private:
  Ui& base_;
  RunReport& report_;
};

}  // namespace labrena

#endif  // LABRENA_JOURNAL_REPORT_H_
