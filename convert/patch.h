// A once-only change of the current tables that stands whole or not at all.
// Every file it changes is changed in a copy (the name with the extension
// TMP), every file it makes is made under that name too, and only when all
// of them are written do they take their places, together with the tag's
// line in CONV.DAT and the backups of the old files it used up. A failure
// anywhere puts every file back as it was: the change is told, noted, and
// made whole on the next run.
#ifndef LABRENA_CONVERT_PATCH_H_
#define LABRENA_CONVERT_PATCH_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/context.h"
#include "records/record_file.h"

namespace labrena {

class Patch {
 public:
  // A patch without a tag records nothing in CONV.DAT.
  explicit Patch(Context& ctx, std::string tag = "");
  // A patch that was not committed leaves the folder as it was.
  ~Patch();
  Patch(const Patch&) = delete;
  Patch& operator=(const Patch&) = delete;

  // The copy of a file of the folder, open for update ("r+b") at offset 0;
  // the same stream for every call with the same name. nullptr when the file
  // does not exist (that part of the patch does nothing), or when the copy
  // cannot be made (the patch has then failed). Read the file only through
  // this stream: the file under its own name is the old one until Commit.
  FileStream* Edit(const std::string& name);
  // A new file, open for writing, that takes its name at Commit (replacing
  // a file of that name); nullptr (the patch has failed) when it cannot be
  // created.
  FileStream* Create(const std::string& name);
  // The copy of a file of records positioned for appending, its last record
  // completed with blanks when cut short; a new file when it is missing.
  FileStream* Append(const std::string& name, std::int64_t record_length);
  // Sets a code counter (empty first name) in the copy of F34.DAT at Commit.
  void SetCounter(const std::string& counter_name, std::int64_t value);
  // At Commit, renames an old file X.DAT to X.BAK; an earlier X.BAK is first
  // moved to the retirement folder, so that no copy is ever lost.
  void Backup(const std::string& name);
  // At Commit, renames a file of the folder; a file already under the new
  // name is left as it is, and so is the old one.
  void Rename(const std::string& from, const std::string& to);
  // Fails the patch (a copy could not be read to its end, say); name is the
  // file the user is told about.
  void Fail(const std::string& name);
  bool failed() const { return !failed_name_.empty(); }
  // The file the failure is told about.
  const std::string& failed_name() const { return failed_name_; }

  // Puts every copy and new file in its place, records the tag and makes the
  // backups, all or none. On failure the user is told, the run notes it and
  // the folder is as it was. True when the patch stands.
  bool Commit();
  // The same, leaving the telling to the caller.
  bool Place();

 private:
  struct Copy {
    std::string name;  // the file as the folder knows it
    std::string copy;  // its copy (TMP)
    std::string old;   // where the old file waits until the patch stands
    File stream;
    bool created = false;  // no file had the name before
    bool placed = false;   // in its place during Commit
  };

  Copy* Find(const std::string& name);
  Copy& Add(const std::string& name, bool created);
  FileStream* Open(const std::string& name);
  bool Stage();
  bool PlaceCopy(Copy& copy);
  void Restore(Copy& copy);
  void Discard();

  Context& ctx_;
  std::string tag_;
  std::deque<Copy> copies_;
  std::vector<std::pair<std::string, std::int64_t>> counters_;
  // The renames and backups, in order.
  struct Move {
    std::string from;
    std::string to;
    bool backup;  // an earlier file under the new name is retired first
  };
  std::vector<Move> moves_;
  std::string failed_name_;
  bool committed_ = false;
};

// Makes a tagged patch when CONV.DAT does not record its tag yet: make fills
// the patch and commits it. A CONV.DAT that cannot be read fails the patch,
// as a patch made twice would change its fields twice. False when the patch
// failed.
bool MakeTaggedPatch(Context& ctx, const std::string& tag,
                     const std::function<bool(Patch& patch)>& make);

// Puts back what a patch that was cut off left of a file: its old copy when
// the file itself is missing; then removes its copy and old copy.
void RecoverPatchedFile(Env& env, const std::string& name);

}  // namespace labrena

#endif  // LABRENA_CONVERT_PATCH_H_
