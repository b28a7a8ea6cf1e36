// An Env for the dry run: it answers as the wrapped Env would after the
// run's changes, and keeps every change in memory. The wrapped Env is only
// ever read (opened for reading, asked about names and sizes, listed), so
// neither the data folder nor the temporary folder changes.
//
// Each folder's entries are read from the wrapped Env once, when a name in
// it is first looked up; from then on the overlay answers for the folder as
// the POSIX Env and MemEnv do: names resolved without regard to ASCII case
// (of case twins the first spelling in byte order), listings in the order
// of their upper-cased names, renames and moves that never replace, read-only
// files that refuse writing and deletion. A file's bytes are read from the
// wrapped Env until the run first changes it; it is then held whole in
// memory. A copy of an unchanged file, and a file renamed or moved (also to
// the temporary folder), keeps reading the wrapped Env's bytes.
//
// What the overlay cannot know through the wrapped Env: of two case twins
// only the first can be opened there, so the second reads as the first; an
// entry that no listing returns (a name holding '\' on POSIX) is not seen,
// so a folder holding only such entries can be removed here but not for
// real; and a relative symbolic link that the run moves still reads what it
// led to before.
#ifndef LABRENA_JOURNAL_OVERLAY_ENV_H_
#define LABRENA_JOURNAL_OVERLAY_ENV_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace labrena {

class OverlayEnv : public Env {
 public:
  explicit OverlayEnv(Env& base);
  ~OverlayEnv() override;
  OverlayEnv(const OverlayEnv&) = delete;
  OverlayEnv& operator=(const OverlayEnv&) = delete;

  std::unique_ptr<OsFile> Open(const std::string& name, OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
  bool FileSize(const std::string& name, std::int64_t* size) override;
  // A rename never fails across file systems here, so Env::Move is one
  // rename and moves stay in memory too.
  int Rename(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override;
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override;
  // The wrapped Env's answer for a file that still reads its bytes there;
  // true for one held in memory (no other program can hold it), false for
  // anything else.
  bool OpenDenyWrite(const std::string& name) override;
  std::string SystemTempPath() override { return base_.SystemTempPath(); }
  std::string FallbackTempPath() override { return base_.FallbackTempPath(); }
  void SleepMs(int ms) override { base_.SleepMs(ms); }
  LocalTime Now() override { return base_.Now(); }

 private:
  struct Node;
  struct FileData;
  struct Root;
  struct Place;
  class OverlayFile;

  // Where a name leads, as MemEnv finds it, the folders on the way read
  // from the wrapped Env when first met.
  Place Find(const std::string& name);
  // The temporary folders, as the wrapped Env reports them.
  std::vector<Root>& Roots();
  // Reads a folder's entries from the wrapped Env, once.
  void Fill(Node& folder);
  // A new entry of a folder, with its bytes in memory.
  Node* AddFile(Node& folder, const std::string& name);
  // True when node is folder or lies below it.
  static bool Holds(const Node& folder, const Node* node);

  Env& base_;
  std::unique_ptr<Node> data_;  // the data folder
  std::vector<Root> roots_;
  bool roots_known_ = false;
};

}  // namespace labrena

#endif  // LABRENA_JOURNAL_OVERLAY_ENV_H_
