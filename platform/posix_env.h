// The Env of POSIX systems (Linux, macOS), rooted at the data folder.
//
// A run asks about the same names again and again, and most of what it asks
// about does not exist. The Env reads each folder once and answers from that
// listing, which it keeps right across every change made through it:
//  - a name the listing does not hold, in any letter case, does not exist;
//  - the type, permissions and size of a name, once asked, are kept until
//    the name is changed through the Env; a size is also forgotten when a
//    file that another name may reach (a second hard link, a symbolic link)
//    grows or is cut through the Env;
//  - a name is created only where nothing is (O_EXCL), and renamed only onto
//    a free name (RENAME_NOREPLACE), so a name that another program made
//    since the listing was read is never replaced: the call fails, and the
//    Env then learns the name.
// A folder reached through a symbolic link that stays in the data folder is
// named by its plain path, so both names share what is known of it. Below a
// link that leads out of it, or a folder that cannot be listed, the Env asks
// the system about each name.
#ifndef LABRENA_PLATFORM_POSIX_ENV_H_
#define LABRENA_PLATFORM_POSIX_ENV_H_

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/env.h"

namespace labrena {

class PosixEnv : public Env {
 public:
  // What the Env and its open files share of the sizes they know.
  struct Changes {
    // Grown or cut files so far: a size known while the count stood still
    // is known still. Writes that stay within a file's size change none.
    std::uint64_t sizes = 0;
    // Open files by path, and those opened through a name that may be a
    // symbolic link: a file with no other name changes no other size while
    // it is the only one open on its name and no link is open.
    std::unordered_map<std::string, int> open;
    int open_links = 0;
    // Names taken (renamed or removed) from under files open on them: such
    // a file is known by its name no more.
    std::unordered_map<std::string, std::uint64_t> renamed;
    // The sizes that files with no other name were closed with, until
    // their names are next asked about: path -> size, and the count it
    // stood at.
    std::unordered_map<std::string, std::pair<std::int64_t, std::uint64_t>>
        closed;
  };

  // root: the data folder; relative names resolve below it. temp, when not
  // empty, is reported as the system's temporary folder instead of $TMPDIR.
  explicit PosixEnv(std::string root, std::string temp = "");

  std::unique_ptr<OsFile> Open(const std::string& name,
                               OpenMode mode) override;
  bool Exists(const std::string& name) override;
  bool IsDirectory(const std::string& name) override;
  bool IsWritable(const std::string& name) override;
  bool MakeWritable(const std::string& name) override;
  bool MakeReadOnly(const std::string& name) override;
  void SetLiteralNames(bool on) override { literal_ = on; }
  std::string StoredName(const std::string& name) override;
  bool FileSize(const std::string& name, std::int64_t* size) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Truncate(const std::string& name, std::int64_t size) override;
  int Remove(const std::string& name) override;
  int MakeDir(const std::string& name) override;
  int RemoveDir(const std::string& name) override;
  bool CopyFile(const std::string& from, const std::string& to,
                bool fail_if_exists) override;
  std::vector<DirEntry> List(const std::string& pattern,
                             int attribute_mask) override;
  bool OpenDenyWrite(const std::string& name) override;
  std::string SystemTempPath() override;
  std::string FallbackTempPath() override;
  void SleepMs(int ms) override;
  LocalTime Now() override;

  // The real path that a product name stands for: backslashes mapped, each
  // component matched without regard to case when the exact one is missing.
  std::string Resolve(const std::string& name);

 private:
  // What a folder's listing tells of an entry, or kUnknown until asked.
  enum class Kind { kUnknown, kPlain, kLink };
  static Kind KindOf(unsigned char dirent_type);
  // One stored spelling of a name in a folder.
  struct Entry {
    Kind kind = Kind::kUnknown;
    // Its type and permission bits once asked (plain entries only); 0 while
    // not known.
    mode_t mode = 0;
    // Its size as last asked, while Changes::sizes still stands at size_at;
    // negative while not known.
    std::int64_t size = -1;
    std::uint64_t size_at = 0;
    // A plain file with no other name (one hard link), or one this Env made.
    bool solo = false;
  };
  // The names as stored that differ only in case, in byte order.
  using Spellings = std::map<std::string, Entry>;
  // Upper-cased name -> its spellings, for one folder.
  using Listing = std::map<std::string, Spellings>;

  // What a name stands for.
  struct Found {
    std::string path;  // the real path; empty for a name that would leave
    bool exists = false;
    mode_t mode = 0;         // when it exists and the status was asked for
    std::int64_t size = -1;  // when known (plain listed entries only)
    bool solo = false;       // a plain listed file with no other name
    bool maybe_link = true;  // false when known to be no symbolic link
  };

  // Resolves a name. With status, the mode of an existing name is filled
  // in; without, a name that the listings answer for is not asked about. A
  // name that would leave the data folder or the temporary folder resolves
  // to "" and does not exist.
  Found Lookup(const std::string& name, bool status);
  // The listing of a folder, read once; nullptr when it cannot be read.
  Listing* ListingOf(const std::string& dir);
  // The plain path (one without links) of the folder that a symbolic link
  // leads to, when it lies in the data folder; "" otherwise.
  std::string Follow(const std::string& link);
  // A name removed or renamed away: its entry, and all that is known below
  // it, is dropped.
  void Forget(const std::string& path);
  // A name made; kind kPlain when this Env made it.
  void Learn(const std::string& path, Kind kind);
  // Permissions changed: through a link or a second hard link, another
  // name's kept mode may have changed too.
  void ForgetModes();
  // What an entry tells of a name's size and other names.
  void Tell(const Entry& entry, Found* found) const;
  // Keeps what a status tells of the plain entry at path.
  void Keep(const std::string& path, const struct stat& st, Entry* entry);
  // The listed entry at a real path; nullptr when not listed.
  Entry* EntryAt(const std::string& path);
  // Takes the size a file with no other name was closed with into its
  // entry.
  void TakeClosed(const std::string& path, Entry* entry);
  // Adds and clears permission bits of an existing name.
  bool ChangeMode(const std::string& name, mode_t add, mode_t clear);
  // Open; with only_new, a name that is taken is not opened (a copy that
  // must not replace).
  std::unique_ptr<OsFile> OpenFile(const std::string& name, OpenMode mode,
                                   bool only_new);
  // True when a change at path (a resolved name) stays inside the folder its
  // name was given in: its folder, and with write_through the file that a
  // symbolic link at path points to, are really inside the data folder
  // (relative names) or the temporary folder (absolute names). Renaming or
  // removing a link changes the link only.
  bool StaysInside(const std::string& path, bool write_through);
  bool RealInside(const std::string& path, bool absolute);

  std::string root_;
  std::string temp_;
  std::unordered_map<std::string, Listing> listings_;
  // Symbolic links on the way to folders -> what Follow found.
  std::unordered_map<std::string, std::string> links_;
  // Folders already known to lie inside (true) or outside (false).
  std::unordered_map<std::string, bool> inside_;
  std::shared_ptr<Changes> changes_ = std::make_shared<Changes>();
  bool literal_ = false;
  // The type and permissions of a file that this Env makes (0666 less the
  // process's umask).
  mode_t made_mode_ = 0;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_POSIX_ENV_H_
