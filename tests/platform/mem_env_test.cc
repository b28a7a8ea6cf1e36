// The same behaviours asked of the in-memory Env and of the POSIX Env over a
// scratch folder, so that tests and fuzzers that run on the first see what
// the second would do.
#include "platform/mem_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#ifndef _WIN32
#include "platform/posix_env.h"
#include "tests/testing/scratch.h"
#endif

namespace labrena {
namespace {

constexpr int kEveryEntry =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrSubdir | kAttrArchive;

// Each folder lays out its files without going through the Env under test.
class MemFolder {
 public:
  MemFolder() : env_("/work/temp/") {}
  Env& env() { return env_; }
  std::string temp() const { return "/work/temp/"; }
  void Put(const std::string& name, const std::string& bytes) {
    env_.Put(name, bytes);
  }
  void MakeDir(const std::string& name) { ASSERT_EQ(env_.MakeDir(name), 0); }
  void SetReadOnly(const std::string& name) {
    ASSERT_TRUE(env_.SetReadOnly(name, true));
  }
  // An existing file that an absolute name outside the temporary folders
  // names.
  std::string Outside() {
    env_.Put("/etc/passwd", "root");
    return "/etc/passwd";
  }

 private:
  MemEnv env_;
};

#ifndef _WIN32
class PosixFolder {
 public:
  PosixFolder() : env_(scratch_.data(), scratch_.temp()) {}
  Env& env() { return env_; }
  std::string temp() const { return scratch_.temp(); }
  void Put(const std::string& name, const std::string& bytes) {
    scratch_.Write(name, bytes);
  }
  void MakeDir(const std::string& name) { scratch_.MakeDir(name); }
  void SetReadOnly(const std::string& name) {
    scratch_.SetReadOnly(name, true);
  }
  std::string Outside() { return "/etc/passwd"; }

 private:
  ScratchFolder scratch_;
  PosixEnv env_;
};
#endif

template <typename Folder>
class EnvBehaviourTest : public ::testing::Test {
 protected:
  Env& env() { return folder_.env(); }

  // The whole file through the Env, or "<none>" when it does not open.
  std::string Read(const std::string& name) {
    auto file = env().Open(name, OpenMode::kRead);
    if (!file) return "<none>";
    std::int64_t size = 0;
    EXPECT_TRUE(file->Size(&size));
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    EXPECT_TRUE(file->ReadAt(0, bytes.data(), bytes.size(), &got));
    bytes.resize(got);
    return bytes;
  }

  void Write(const std::string& name, OpenMode mode, const std::string& bytes,
             std::int64_t offset = 0) {
    auto file = env().Open(name, mode);
    ASSERT_TRUE(file) << name;
    EXPECT_TRUE(file->WriteAt(offset, bytes.data(), bytes.size()));
    EXPECT_TRUE(file->Close());
  }

  std::vector<std::string> Names(const std::string& pattern,
                                 int attribute_mask) {
    std::vector<std::string> names;
    for (const DirEntry& e : env().List(pattern, attribute_mask)) {
      names.push_back(e.name);
    }
    return names;
  }

  Folder folder_;
};

#ifdef _WIN32
using Folders = ::testing::Types<MemFolder>;
#else
using Folders = ::testing::Types<MemFolder, PosixFolder>;
#endif

class FolderNames {
 public:
  template <typename T>
  static std::string GetName(int) {
    return std::is_same_v<T, MemFolder> ? "Mem" : "Posix";
  }
};

TYPED_TEST_SUITE(EnvBehaviourTest, Folders, FolderNames);

TYPED_TEST(EnvBehaviourTest, NamesResolveWithoutCaseAndNewFilesKeepSpelling) {
  this->folder_.Put("r62/f00.dat", "x");
  Env& env = this->env();
  EXPECT_TRUE(env.Exists("R62\\F00.DAT"));
  EXPECT_TRUE(env.IsDirectory("R62"));
  EXPECT_FALSE(env.IsDirectory("R62\\F00.DAT"));
  EXPECT_EQ(this->Read("R62/F00.dat"), "x");
  std::int64_t size = 0;
  EXPECT_TRUE(env.FileSize("r62\\F00.DAT", &size));
  EXPECT_EQ(size, 1);

  this->Write("R62\\New.DAT", OpenMode::kAppend, "ab");
  EXPECT_EQ(this->Names("r62\\*.*", 0),
            (std::vector<std::string>{"f00.dat", "New.DAT"}));
  EXPECT_EQ(this->Read("r62\\NEW.dat"), "ab");
  EXPECT_EQ(env.Rename("r62\\new.dat", "R62\\Other.DAT"), 0);
  EXPECT_EQ(this->Names("R62\\*", 0),
            (std::vector<std::string>{"f00.dat", "Other.DAT"}));

  // Below a file or a missing folder nothing exists and nothing is made.
  EXPECT_FALSE(env.Exists("R62\\F00.DAT\\X"));
  EXPECT_FALSE(env.Open("R62\\F00.DAT\\X", OpenMode::kWrite));
  EXPECT_FALSE(env.Open("NONE\\X.DAT", OpenMode::kAppend));
  EXPECT_FALSE(env.Exists("NONE"));
}

TYPED_TEST(EnvBehaviourTest, CaseTwinsStandForTheFirstSpellingInByteOrder) {
  this->folder_.Put("a.dat", "lower");
  this->folder_.Put("A.DAT", "upper");
  this->folder_.Put("Reg/R1.DAT", "1");
  this->folder_.Put("REG/R2.DAT", "2");
  Env& env = this->env();
  EXPECT_EQ(this->Read("a.dat"), "upper");
  EXPECT_EQ(this->Read("A.dat"), "upper");
  // Each component resolves by itself: "Reg" stands for "REG".
  EXPECT_EQ(this->Read("reg\\r2.dat"), "2");
  EXPECT_FALSE(env.Exists("Reg\\R1.DAT"));
  EXPECT_EQ(this->Names("*", kAttrSubdir),
            (std::vector<std::string>{"A.DAT", "a.dat", "REG", "Reg"}));

  // Once the first twin is gone, the name stands for the next one.
  EXPECT_EQ(env.Remove("a.dat"), 0);
  EXPECT_EQ(this->Read("A.DAT"), "lower");
  EXPECT_EQ(this->Names("*.dat", 0), (std::vector<std::string>{"a.dat"}));
}

TYPED_TEST(EnvBehaviourTest, ListingSortedByUpperCaseAndFiltered) {
  for (const char* name : {"reg/r2005.dat", "reg/R_.DAT", "reg/Rb.dat",
                           "reg/ra.DAT", "reg/REGFE.TXT", "reg/x.dat"}) {
    this->folder_.Put(name, "");
  }
  this->folder_.Put("reg/R2004.DAT", "abc");
  this->folder_.Put("reg/R\x01.DAT", "");
  this->folder_.MakeDir("reg/R9.DAT");
  this->folder_.SetReadOnly("reg/Rb.dat");
  Env& env = this->env();

  // '_' lies between 'Z' and 'a': only upper-cased names put it last.
  std::vector<DirEntry> entries = env.List("REG\\R*.DAT", 0);
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"R2004.DAT", "r2005.dat", "ra.DAT",
                                             "Rb.dat", "R_.DAT"}));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_FALSE(entries[0].read_only);
  EXPECT_TRUE(entries[3].read_only);
  EXPECT_FALSE(entries[3].is_dir);

  EXPECT_EQ(this->Names("REG\\R?.DAT", kAttrSubdir),
            (std::vector<std::string>{"R9.DAT", "ra.DAT", "Rb.dat", "R_.DAT"}));
  EXPECT_EQ(this->Names("reg\\*.txt", kEveryEntry),
            (std::vector<std::string>{"REGFE.TXT"}));
  // Never "." or "..", nor a name holding a control character.
  EXPECT_EQ(this->Names("*", kEveryEntry), (std::vector<std::string>{"reg"}));
  EXPECT_EQ(this->Names("reg\\*", kEveryEntry).size(), 8u);
  EXPECT_TRUE(env.List("NONE\\*.*", kEveryEntry).empty());
  EXPECT_TRUE(env.List("REG\\X.DAT\\*.*", kEveryEntry).empty());
}

TYPED_TEST(EnvBehaviourTest, RenameNeverReplaces) {
  this->folder_.Put("RESP.DAT", "resp");
  this->folder_.Put("f305.dat", "old");
  this->folder_.Put("REG/REGFE.DAT", "fe");
  this->folder_.MakeDir("R61");
  Env& env = this->env();
  EXPECT_EQ(env.Rename("RESP.DAT", "F305.DAT"), EEXIST);
  EXPECT_EQ(env.Rename("f305.dat", "F305.DAT"), EEXIST);
  EXPECT_EQ(env.Rename("RESP.DAT", "R61"), EEXIST);
  EXPECT_EQ(env.Rename("NONE.DAT", "X.DAT"), ENOENT);
  EXPECT_NE(env.Rename("RESP.DAT", "NONE\\X.DAT"), 0);
  EXPECT_EQ(this->Read("RESP.DAT"), "resp");
  EXPECT_EQ(this->Read("F305.DAT"), "old");

  EXPECT_EQ(env.Rename("resp.dat", "F304.DAT"), 0);
  EXPECT_EQ(this->Read("F304.DAT"), "resp");
  EXPECT_FALSE(env.Exists("RESP.DAT"));

  // A folder moves with what it holds, also into the temporary folder, but
  // not into itself.
  EXPECT_NE(env.Rename("REG", "REG\\SUB"), 0);
  std::string retired = this->folder_.temp() + "Nelk";
  ASSERT_EQ(env.MakeDir(retired), 0);
  EXPECT_EQ(env.Rename("reg", retired + "\\REG"), 0);
  EXPECT_EQ(this->Read(retired + "\\reg\\regfe.dat"), "fe");
  EXPECT_FALSE(env.Exists("REG"));
  EXPECT_EQ(env.Rename(retired + "\\REG", "REG"), 0);
  EXPECT_EQ(this->Read("REG\\REGFE.DAT"), "fe");
}

TYPED_TEST(EnvBehaviourTest, ReadOnlyFilesRefuseWritingTruncatingDeleting) {
  this->folder_.Put("RO.DAT", "keep");
  this->folder_.Put("W.DAT", "w");
  this->folder_.SetReadOnly("RO.DAT");
  Env& env = this->env();
  EXPECT_FALSE(env.IsWritable("ro.dat"));
  EXPECT_TRUE(env.IsWritable("W.DAT"));
  EXPECT_FALSE(env.IsWritable("NONE.DAT"));
  EXPECT_TRUE(env.Open("RO.DAT", OpenMode::kRead));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kUpdate));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kWrite));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kAppend));
  EXPECT_EQ(env.Truncate("RO.DAT", 0), EACCES);
  EXPECT_EQ(env.Remove("RO.DAT"), EACCES);
  EXPECT_FALSE(env.CopyFile("W.DAT", "RO.DAT", false));
  EXPECT_EQ(env.Rename("W.DAT", "RO.DAT"), EEXIST);
  EXPECT_EQ(this->Read("RO.DAT"), "keep");

  EXPECT_TRUE(env.MakeWritable("RO.DAT"));
  EXPECT_TRUE(env.IsWritable("RO.DAT"));
  EXPECT_EQ(env.Remove("RO.DAT"), 0);
  EXPECT_FALSE(env.MakeWritable("RO.DAT"));
  EXPECT_EQ(env.Remove("RO.DAT"), ENOENT);
}

TYPED_TEST(EnvBehaviourTest, TruncateCutsAndExtendsFilesOnly) {
  this->folder_.Put("A.DAT", "abcdef");
  this->folder_.MakeDir("R62");
  Env& env = this->env();
  EXPECT_EQ(env.Truncate("a.dat", 3), 0);
  EXPECT_EQ(this->Read("A.DAT"), "abc");
  EXPECT_EQ(env.Truncate("A.DAT", 5), 0);
  EXPECT_EQ(this->Read("A.DAT"), std::string("abc\0\0", 5));
  EXPECT_EQ(env.Truncate("NONE.DAT", 0), ENOENT);
  EXPECT_EQ(env.Truncate("R62", 0), EACCES);
  EXPECT_EQ(env.Remove("R62"), EACCES);
}

TYPED_TEST(EnvBehaviourTest, NamesThatLeaveTheirFoldersAreRefusedAsMissing) {
  this->folder_.Put("F00.DAT", "x");
  this->folder_.MakeDir("R62");
  Env& env = this->env();
  const std::string outside = this->folder_.Outside();
  for (const std::string& name : {std::string("R62\\..\\F00.DAT"),
                                  std::string("R62/../F00.DAT"), outside}) {
    EXPECT_FALSE(env.Exists(name)) << name;
    EXPECT_FALSE(env.Open(name, OpenMode::kRead)) << name;
    EXPECT_FALSE(env.Open(name, OpenMode::kAppend)) << name;
    EXPECT_EQ(env.Remove(name), ENOENT) << name;
    EXPECT_EQ(env.Rename(name, "G.DAT"), ENOENT) << name;
    EXPECT_EQ(env.Truncate(name, 0), ENOENT) << name;
  }
  EXPECT_EQ(env.Rename("F00.DAT", "R62\\..\\..\\F00.DAT"), EACCES);
  EXPECT_EQ(env.Rename("F00.DAT", outside + ".new"), EACCES);
  EXPECT_FALSE(env.CopyFile("F00.DAT", "..\\F00.DAT", false));
  EXPECT_EQ(env.MakeDir("..\\OUT"), EACCES);
  EXPECT_EQ(env.MakeDir("R62\\.."), EACCES);
  EXPECT_FALSE(env.Open("R62\\..", OpenMode::kWrite));
  EXPECT_TRUE(env.List("R62\\*", kEveryEntry).empty());
  EXPECT_TRUE(env.List("R62\\..\\*", kEveryEntry).empty());
  EXPECT_EQ(this->Read("F00.DAT"), "x");

  // The temporary folder and the fallback one are open to absolute names.
  this->Write(this->folder_.temp() + "T.DAT", OpenMode::kWrite, "t");
  EXPECT_EQ(this->Read(this->folder_.temp() + "t.dat"), "t");
  EXPECT_TRUE(env.IsDirectory(env.FallbackTempPath()));
}

TYPED_TEST(EnvBehaviourTest, FilesReadAndWriteByPositionAndShareTheirBytes) {
  Env& env = this->env();
  auto file = env.Open("A.DAT", OpenMode::kWrite);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "hello", 5));
  EXPECT_TRUE(file->WriteAt(7, "X", 1));
  std::int64_t size = 0;
  EXPECT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 8);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(this->Read("A.DAT"), std::string("hello\0\0X", 8));

  auto reader = env.Open("a.dat", OpenMode::kRead);
  ASSERT_TRUE(reader);
  char buf[16];
  std::size_t got = 0;
  EXPECT_TRUE(reader->ReadAt(3, buf, sizeof(buf), &got));
  EXPECT_EQ(std::string(buf, got), std::string("lo\0\0X", 5));
  EXPECT_TRUE(reader->ReadAt(100, buf, sizeof(buf), &got));
  EXPECT_EQ(got, 0u);
  EXPECT_FALSE(reader->WriteAt(0, "z", 1));

  // Appends go to the end whatever the offset; a reader sees them, and sees
  // the file cut back.
  auto appender = env.Open("A.DAT", OpenMode::kAppend);
  ASSERT_TRUE(appender);
  EXPECT_TRUE(appender->WriteAt(0, "yz", 2));
  EXPECT_TRUE(reader->Size(&size));
  EXPECT_EQ(size, 10);
  EXPECT_EQ(env.Truncate("A.DAT", 2), 0);
  EXPECT_TRUE(reader->Size(&size));
  EXPECT_EQ(size, 2);
  EXPECT_TRUE(appender->WriteAt(0, "!", 1));
  EXPECT_EQ(this->Read("A.DAT"), "he!");

  // An open file follows its rename.
  EXPECT_EQ(env.Rename("A.DAT", "B.DAT"), 0);
  EXPECT_TRUE(appender->WriteAt(0, "?", 1));
  EXPECT_EQ(this->Read("B.DAT"), "he!?");

  auto update = env.Open("b.dat", OpenMode::kUpdate);
  ASSERT_TRUE(update);
  EXPECT_TRUE(update->WriteAt(1, "E", 1));
  EXPECT_TRUE(update->ReadAt(0, buf, 2, &got));
  EXPECT_EQ(std::string(buf, got), "hE");
  this->Write("B.DAT", OpenMode::kWrite, "new");
  EXPECT_EQ(this->Read("B.DAT"), "new");

  EXPECT_FALSE(env.Open("NONE.DAT", OpenMode::kRead));
  EXPECT_FALSE(env.Open("NONE.DAT", OpenMode::kUpdate));
  EXPECT_FALSE(env.Exists("NONE.DAT"));
}

TYPED_TEST(EnvBehaviourTest, FoldersAndCopies) {
  this->folder_.Put("A.DAT", std::string(100000, 'q'));
  this->folder_.Put("B.DAT", "b");
  Env& env = this->env();
  EXPECT_FALSE(env.CopyFile("a.dat", "b.dat", true));
  EXPECT_EQ(this->Read("B.DAT"), "b");
  EXPECT_TRUE(env.CopyFile("a.dat", "C.DAT", true));
  EXPECT_EQ(this->Read("C.DAT"), std::string(100000, 'q'));
  EXPECT_TRUE(env.CopyFile("B.DAT", "c.dat", false));
  EXPECT_EQ(this->Read("C.DAT"), "b");
  EXPECT_FALSE(env.CopyFile("NONE.DAT", "D.DAT", false));
  EXPECT_FALSE(env.Exists("D.DAT"));

  EXPECT_EQ(env.MakeDir("NEW"), 0);
  EXPECT_EQ(env.MakeDir("new"), EEXIST);
  EXPECT_EQ(env.MakeDir("A.DAT"), EEXIST);
  EXPECT_NE(env.MakeDir("NONE\\SUB"), 0);
  EXPECT_TRUE(env.IsDirectory("New"));
  EXPECT_FALSE(env.Open("NEW", OpenMode::kRead));
  EXPECT_FALSE(env.Open("NEW", OpenMode::kWrite));
  this->Write("NEW\\F.DAT", OpenMode::kWrite, "f");
  EXPECT_NE(env.RemoveDir("NEW"), 0);
  EXPECT_TRUE(env.IsDirectory("NEW"));
  EXPECT_NE(env.RemoveDir("A.DAT"), 0);
  EXPECT_NE(env.RemoveDir("NONE"), 0);
  EXPECT_EQ(env.Remove("new\\f.dat"), 0);
  EXPECT_EQ(env.RemoveDir("new"), 0);
  EXPECT_FALSE(env.Exists("NEW"));
}

TEST(MemEnvTest, PutGetAndSnapshotNameFilesAsStored) {
  MemEnv env;
  env.Put("REG\\R2005.DAT", "r");
  env.Put("reg/r2006.dat", "s");
  env.Put("/tmp/Nelk/x", "t");
  env.Put("..\\OUT.DAT", "o");
  std::string bytes;
  EXPECT_TRUE(env.Get("REG\\R2005.DAT", &bytes));
  EXPECT_EQ(bytes, "r");
  EXPECT_FALSE(env.Get("reg\\R2005.DAT", &bytes));
  EXPECT_FALSE(env.Get("REG", &bytes));
  // The Env resolves names to the first twin, "REG".
  EXPECT_TRUE(env.Exists("reg\\r2005.dat"));
  EXPECT_FALSE(env.Exists("reg\\r2006.dat"));

  EXPECT_TRUE(env.Open("NEW.DAT", OpenMode::kWrite));
  EXPECT_TRUE(env.Get("NEW.DAT", &bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(env.Snapshot(),
            (std::map<std::string, std::string>{{"NEW.DAT", ""},
                                                {"REG/", ""},
                                                {"REG/R2005.DAT", "r"},
                                                {"reg/", ""},
                                                {"reg/r2006.dat", "s"},
                                                {"/tmp/", ""},
                                                {"/tmp/Nelk/", ""},
                                                {"/tmp/Nelk/x", "t"}}));
}

TEST(MemEnvTest, TemporaryFoldersAndSystemServices) {
  MemEnv env("C:\\Users\\ana\\Temp\\");
  EXPECT_EQ(env.SystemTempPath(), "C:\\Users\\ana\\Temp\\");
  EXPECT_EQ(env.FallbackTempPath(), "/tmp/");
  EXPECT_TRUE(env.IsDirectory("C:\\Users\\ana\\Temp"));
  EXPECT_TRUE(env.IsDirectory("/tmp"));
  EXPECT_EQ(env.MakeDir("C:\\Users\\ana\\Temp\\Nelk"), 0);
  EXPECT_TRUE(env.Open("C:\\Users\\ana\\Temp\\Nelk\\F.DAT", OpenMode::kWrite));
  EXPECT_FALSE(env.IsDirectory("C:\\Users\\ana"));
  EXPECT_EQ(env.MakeDir("C:\\Users\\ana\\Docs"), EACCES);

  EXPECT_TRUE(env.OpenDenyWrite("NONE.DAT"));
  env.SleepMs(100000);
  LocalTime now;
  now.year = 2007;
  now.hundredths = 42;
  env.SetNow(now);
  EXPECT_EQ(env.Now().year, 2007);
  EXPECT_EQ(env.Now().hundredths, 42);

  MemEnv no_temp("");
  EXPECT_EQ(no_temp.MakeDir("/tmp/x"), 0);
  EXPECT_EQ(no_temp.MakeDir("/work/x"), EACCES);
}

TEST(MemEnvTest, MovesIntoTheTemporaryFolderAsOneFileSystem) {
  MemEnv env;
  env.Put("R01/2005.DAT", "guide");
  EXPECT_EQ(env.MakeDir("/tmp/Nelk"), 0);
  EXPECT_EQ(env.Move("r01", "/tmp/Nelk/R01"), 0);
  EXPECT_EQ(env.Move("NONE", "/tmp/Nelk/NONE"), ENOENT);
  std::string bytes;
  EXPECT_TRUE(env.Get("/tmp/Nelk/R01/2005.DAT", &bytes));
  EXPECT_EQ(bytes, "guide");
  EXPECT_FALSE(env.Exists("R01"));
}

}  // namespace
}  // namespace labrena
