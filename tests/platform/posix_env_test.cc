#include "platform/posix_env.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/names.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

TEST(PosixEnvTest, NamesResolveWithoutCaseAndNewFilesKeepTheirSpelling) {
  ScratchFolder s;
  s.Write("r62/f00.dat", "x");
  PosixEnv env(s.data());
  EXPECT_TRUE(env.Exists("R62\\F00.DAT"));
  EXPECT_EQ(env.Resolve("R62\\F00.DAT"), s.data() + "/r62/f00.dat");
  auto f = env.Open("R62\\NEW.DAT", OpenMode::kAppend);
  ASSERT_TRUE(f);
  f->Close();
  EXPECT_TRUE(s.Exists("r62/NEW.DAT"));
  // The cached listing knows the new file, under any case.
  EXPECT_TRUE(env.Exists("r62\\new.dat"));
  EXPECT_EQ(env.Rename("r62\\new.dat", "R62\\Other.DAT"), 0);
  EXPECT_FALSE(env.Exists("R62\\NEW.DAT"));
  EXPECT_TRUE(env.Exists("R62\\OTHER.DAT"));
  EXPECT_EQ(env.Remove("R62\\other.dat"), 0);
  EXPECT_FALSE(env.Exists("R62\\Other.DAT"));
}

TEST(PosixEnvTest, RenameNeverReplaces) {
  ScratchFolder s;
  s.Write("RESP.DAT", "resp");
  s.Write("f305.dat", "old");
  PosixEnv env(s.data());
  EXPECT_NE(env.Rename("RESP.DAT", "F305.DAT"), 0);
  EXPECT_EQ(s.Read("RESP.DAT"), "resp");
  EXPECT_EQ(s.Read("f305.dat"), "old");
  EXPECT_NE(env.Rename("NONE.DAT", "X.DAT"), 0);
}

TEST(PosixEnvTest, ReadOnlyFilesRefuseWritingAndDeleting) {
  ScratchFolder s;
  s.Write("RO.DAT", "x");
  s.SetReadOnly("RO.DAT", true);
  PosixEnv env(s.data());
  EXPECT_FALSE(env.IsWritable("RO.DAT"));
  EXPECT_TRUE(env.Open("RO.DAT", OpenMode::kRead));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kUpdate));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kWrite));
  EXPECT_FALSE(env.Open("RO.DAT", OpenMode::kAppend));
  EXPECT_NE(env.Remove("RO.DAT"), 0);
  EXPECT_TRUE(env.MakeWritable("RO.DAT"));
  EXPECT_EQ(env.Remove("RO.DAT"), 0);
  EXPECT_FALSE(env.MakeWritable("RO.DAT"));
}

TEST(PosixEnvTest, ListingSortedByUpperCaseWithWildcards) {
  ScratchFolder s;
  for (const char* name : {"reg/r2005.dat", "reg/R2004.DAT", "reg/Rb.dat",
                           "reg/ra.DAT", "reg/REGFE.TXT", "reg/x.dat"}) {
    s.Write(name, "");
  }
  s.MakeDir("reg/R9.DAT");
  PosixEnv env(s.data());
  std::vector<std::string> names;
  for (const DirEntry& e : env.List("REG\\R*.DAT", 0)) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"R2004.DAT", "r2005.dat",
                                             "ra.DAT", "Rb.dat"}));
  names.clear();
  for (const DirEntry& e : env.List("REG\\R?.DAT", kAttrSubdir)) {
    names.push_back(e.name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"R9.DAT", "ra.DAT", "Rb.dat"}));
  EXPECT_TRUE(env.List("NONE\\*.*", 0x37).empty());
}

TEST(PosixEnvTest, CopyFileAndFolders) {
  ScratchFolder s;
  s.Write("A.DAT", std::string(100000, 'q'));
  PosixEnv env(s.data());
  EXPECT_TRUE(env.CopyFile("a.dat", "B.DAT", true));
  EXPECT_EQ(s.Read("B.DAT"), std::string(100000, 'q'));
  EXPECT_FALSE(env.CopyFile("A.DAT", "B.DAT", true));
  EXPECT_EQ(env.MakeDir("NEW"), 0);
  EXPECT_NE(env.MakeDir("new"), 0);
  EXPECT_TRUE(env.IsDirectory("New"));
  EXPECT_EQ(env.RemoveDir("NEW"), 0);
  EXPECT_FALSE(env.Exists("NEW"));
}

TEST(NamesTest, Wildcards) {
  EXPECT_TRUE(WildcardMatch("*.DAT", "f00.dat"));
  EXPECT_TRUE(WildcardMatch("R*.DAT", "R.DAT"));
  EXPECT_FALSE(WildcardMatch("R*.DAT", "R2005.DA"));
  EXPECT_TRUE(WildcardMatch("?*.dat", "1234567890.DAT"));
  EXPECT_TRUE(WildcardMatch("*.*", "noext"));
  EXPECT_FALSE(WildcardMatch("R?.DAT", "R10.DAT"));
  EXPECT_EQ(UpperAscii("a\xE7z"), "A\xE7Z");
}

TEST(PosixEnvTest, NamesNeverLeaveTheDataFolder) {
  ScratchFolder s;
  s.Write("REG/R1.DAT", "in");
  s.Write("../outside.DAT", "sentinel");
  PosixEnv env(s.data(), s.temp());
  // A ".." component, or an absolute name outside the temporary folder, is
  // no name at all.
  EXPECT_FALSE(env.Exists("REG\\..\\..\\outside.DAT"));
  EXPECT_FALSE(env.Open("..\\outside.DAT", OpenMode::kRead));
  EXPECT_FALSE(env.Open("REG\\..\\..\\x.DAT", OpenMode::kAppend));
  EXPECT_NE(env.Rename("..\\outside.DAT", "IN.DAT"), 0);
  EXPECT_NE(env.Rename("REG\\R1.DAT", "..\\R1.DAT"), 0);
  EXPECT_NE(env.Remove("..\\outside.DAT"), 0);
  EXPECT_NE(env.MakeDir("..\\made"), 0);
  EXPECT_FALSE(env.Exists(s.data() + "/../outside.DAT"));
  EXPECT_TRUE(env.List("..\\*.*", 0x37).empty());
  EXPECT_EQ(s.Read("../outside.DAT"), "sentinel");
  EXPECT_EQ(s.Read("REG/R1.DAT"), "in");
}

TEST(PosixEnvTest, ListingsPassOverNamesThatCouldLeave) {
  ScratchFolder s;
  s.Write("REG/R\\..\\..\\x.DAT", "hostile");
  s.Write("REG/R\x01.DAT", "control");
  s.Write("REG/R2.DAT", "plain");
  PosixEnv env(s.data());
  std::vector<DirEntry> found = env.List("REG\\R*.DAT", 0x37);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "R2.DAT");
}

TEST(PosixEnvTest, SymbolicLinksAreNeverWrittenThroughToOutside) {
  ScratchFolder s;
  s.Write("../outside.DAT", "sentinel");
  s.MakeDir("../outdir");
  s.MakeDir("R61");
  ASSERT_EQ(symlink((s.data() + "/../outside.DAT").c_str(),
                    (s.data() + "/LINK.DAT").c_str()), 0);
  ASSERT_EQ(symlink((s.data() + "/../outdir").c_str(),
                    (s.data() + "/R62").c_str()), 0);
  s.Write("INSIDE.DAT", "inside");
  ASSERT_EQ(symlink("INSIDE.DAT", (s.data() + "/NEAR.DAT").c_str()), 0);
  PosixEnv env(s.data(), s.temp());
  // Reading through a link is harmless; writing through it is refused.
  EXPECT_TRUE(env.Open("LINK.DAT", OpenMode::kRead));
  for (OpenMode mode :
       {OpenMode::kUpdate, OpenMode::kWrite, OpenMode::kAppend}) {
    EXPECT_FALSE(env.Open("LINK.DAT", mode));
    EXPECT_FALSE(env.Open("R62\\2005.DAT", mode));
  }
  EXPECT_NE(env.Truncate("LINK.DAT", 0), 0);
  EXPECT_NE(env.MakeDir("R62\\SUB"), 0);
  EXPECT_NE(env.Rename("INSIDE.DAT", "R62\\MOVED.DAT"), 0);
  EXPECT_EQ(s.Read("../outside.DAT"), "sentinel");
  EXPECT_FALSE(s.Exists("../outdir/2005.DAT"));
  // A link that stays inside the data folder works as the file it names.
  auto near = env.Open("NEAR.DAT", OpenMode::kAppend);
  ASSERT_TRUE(near);
  EXPECT_TRUE(near->WriteAt(0, "!", 1));
  near->Close();
  EXPECT_EQ(s.Read("INSIDE.DAT"), "inside!");
}

TEST(PosixEnvTest, CaseTwinsResolveToTheFirstSpellingInByteOrder) {
  for (bool upper_first : {true, false}) {
    ScratchFolder s;
    if (upper_first) {
      s.Write("F308.DAT", "upper");
      s.Write("f308.dat", "lower");
    } else {
      s.Write("f308.dat", "lower");
      s.Write("F308.DAT", "upper");
    }
    s.Write("R/b.DAT", "");
    s.Write("R/B.DAT", "");
    s.Write("R/A.DAT", "");
    PosixEnv env(s.data());
    for (const char* asked : {"F308.DAT", "f308.dat", "F308.dat"}) {
      EXPECT_EQ(env.Resolve(asked), s.data() + "/F308.DAT") << asked;
    }
    std::vector<DirEntry> found = env.List("R\\*.DAT", 0x37);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name + found[1].name + found[2].name,
              "A.DATB.DATb.DAT");
    // Once the first is gone, the other stands for the name.
    EXPECT_EQ(env.Rename("F308.DAT", "F21R0.DAT"), 0);
    EXPECT_EQ(s.Read("F21R0.DAT"), "upper");
    EXPECT_EQ(env.Resolve("F308.DAT"), s.data() + "/f308.dat");
  }
}

// During a run the Env answers from the folders as it read them and from its
// own changes. What another program changes meanwhile is seen only once met,
// and is never replaced.
TEST(PosixEnvTest, AnotherProgramsChangesAreNeverReplaced) {
  ScratchFolder s;
  s.Write("R62/OLD.DAT", "old");
  s.Write("R62/GONE.DAT", "gone");
  s.Write("R62/ASKED.DAT", "asked");
  PosixEnv env(s.data(), s.temp());
  EXPECT_TRUE(env.Exists("R62\\GONE.DAT"));
  EXPECT_TRUE(env.IsWritable("R62\\ASKED.DAT"));
  for (const char* name : {"R62/NEW.DAT", "R62/COPY.DAT", "R62/MOVED.DAT",
                           "R62/LOCKED.DAT"}) {
    s.Write(name, "theirs");
  }
  s.SetReadOnly("R62/LOCKED.DAT", true);
  for (const char* name : {"/R62/GONE.DAT", "/R62/ASKED.DAT"}) {
    ASSERT_EQ(unlink((s.data() + name).c_str()), 0);
  }

  EXPECT_FALSE(env.Exists("R62\\new.dat"));
  EXPECT_FALSE(env.Open("R62\\NEW.DAT", OpenMode::kRead));
  EXPECT_TRUE(env.Exists("R62\\GONE.DAT"));
  EXPECT_TRUE(env.IsWritable("R62\\ASKED.DAT"));
  // A file made there is added to, not cut, and keeps its read-only mark;
  // a copy or a rename onto a name taken since fails.
  auto file = env.Open("R62\\NEW.DAT", OpenMode::kAppend);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "+ours", 5));
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(env.Open("R62\\LOCKED.DAT", OpenMode::kWrite));
  EXPECT_FALSE(env.CopyFile("R62\\OLD.DAT", "R62\\COPY.DAT", true));
  EXPECT_EQ(env.Rename("R62\\OLD.DAT", "R62\\MOVED.DAT"), EEXIST);
  EXPECT_EQ(s.Read("R62/NEW.DAT"), "theirs+ours");
  EXPECT_EQ(s.Read("R62/COPY.DAT"), "theirs");
  EXPECT_EQ(s.Read("R62/MOVED.DAT"), "theirs");
  EXPECT_EQ(s.Read("R62/OLD.DAT"), "old");
  EXPECT_EQ(s.Read("R62/LOCKED.DAT"), "theirs");

  // Names met that way are known from then on; so is a file removed
  // meanwhile, once the Env has found it missing.
  EXPECT_TRUE(env.Exists("R62\\COPY.DAT"));
  EXPECT_TRUE(env.Exists("R62\\MOVED.DAT"));
  for (const char* name : {"R62\\GONE.DAT", "R62\\ASKED.DAT"}) {
    EXPECT_FALSE(env.Open(name, OpenMode::kRead)) << name;
    EXPECT_FALSE(env.Exists(name)) << name;
  }
  // A search reads the folder again.
  s.Write("R62/LISTED.DAT", "");
  EXPECT_EQ(env.List("R62\\*.DAT", 0).size(), 6u);
  EXPECT_TRUE(env.Exists("R62\\LISTED.DAT"));
}

// A folder reached through a link that stays in the data folder, and by its
// own name, is one folder: a change through either name shows through the
// other.
TEST(PosixEnvTest, AFolderLinkedFromInsideIsOneFolder) {
  ScratchFolder s;
  s.MakeDir("R61");
  ASSERT_EQ(symlink("R61", (s.data() + "/R63").c_str()), 0);
  PosixEnv env(s.data(), s.temp());
  EXPECT_FALSE(env.Exists("R63\\A.DAT"));
  EXPECT_FALSE(env.Exists("R61\\A.DAT"));
  auto file = env.Open("r61\\A.DAT", OpenMode::kWrite);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Close());
  EXPECT_TRUE(env.Exists("r63\\a.dat"));
  EXPECT_EQ(env.Rename("R63\\A.DAT", "R63\\B.DAT"), 0);
  EXPECT_FALSE(env.Exists("R61\\A.DAT"));
  EXPECT_TRUE(env.Exists("R61\\B.DAT"));
  EXPECT_EQ(env.Remove("R61\\B.DAT"), 0);
  EXPECT_FALSE(env.Exists("R63\\B.DAT"));
  EXPECT_TRUE(env.IsDirectory("R63"));
  EXPECT_FALSE(s.Exists("R61/B.DAT"));
}

TEST(PosixEnvTest, TruncateCutsBack) {
  ScratchFolder s;
  s.Write("R62/2005.DAT", "0123456789");
  s.Write("R62/2006.DAT", "0123456789");
  s.SetReadOnly("R62/2006.DAT", true);
  PosixEnv env(s.data());
  EXPECT_EQ(env.Truncate("r62\\2005.dat", 4), 0);
  EXPECT_EQ(s.Read("R62/2005.DAT"), "0123");
  EXPECT_NE(env.Truncate("R62\\NONE.DAT", 0), 0);
  EXPECT_NE(env.Truncate("R62\\2006.DAT", 0), 0);
  EXPECT_EQ(s.Read("R62/2006.DAT"), "0123456789");
}

// Sizes are kept across calls, so every way a file can grow or shrink under
// another name must make the Env ask again.
TEST(PosixEnvTest, KeptSizesFollowEveryNameOfAFile) {
  ScratchFolder s;
  s.Write("A.DAT", "0123");
  s.Write("LINKED.DAT", "0123");
  ASSERT_EQ(link((s.data() + "/LINKED.DAT").c_str(),
                 (s.data() + "/HARD.DAT").c_str()), 0);
  ASSERT_EQ(symlink("A.DAT", (s.data() + "/SOFT.DAT").c_str()), 0);
  PosixEnv env(s.data());
  env.List("*.*", kAttrHidden | kAttrSystem);  // keeps every size
  auto size_of = [&env](const char* name) {
    std::int64_t size = -1;
    EXPECT_TRUE(env.FileSize(name, &size)) << name;
    return size;
  };
  auto grow = [&env](const char* name, const char* bytes, OpenMode mode) {
    auto file = env.Open(name, mode);
    ASSERT_TRUE(file) << name;
    std::int64_t size = 0;
    ASSERT_TRUE(file->Size(&size));
    ASSERT_TRUE(file->WriteAt(size, bytes, std::strlen(bytes)));
    ASSERT_TRUE(file->Close());
  };
  // A second hard link, and a symbolic link.
  grow("HARD.DAT", "45", OpenMode::kUpdate);
  EXPECT_EQ(size_of("LINKED.DAT"), 6);
  grow("SOFT.DAT", "456", OpenMode::kAppend);
  EXPECT_EQ(size_of("A.DAT"), 7);
  // Two open files on one name: each sees what the other wrote.
  auto reader = env.Open("A.DAT", OpenMode::kRead);
  ASSERT_TRUE(reader);
  std::int64_t size = 0;
  ASSERT_TRUE(reader->Size(&size));
  grow("A.DAT", "78", OpenMode::kUpdate);
  ASSERT_TRUE(reader->Size(&size));
  EXPECT_EQ(size, 9);
  reader->Close();
  // A file renamed while open, and a new one made under its name.
  auto old = env.Open("A.DAT", OpenMode::kUpdate);
  ASSERT_TRUE(old);
  ASSERT_EQ(env.Rename("A.DAT", "B.DAT"), 0);
  grow("A.DAT", "x", OpenMode::kAppend);
  ASSERT_TRUE(old->Size(&size));
  ASSERT_TRUE(old->WriteAt(size, "9", 1));
  old->Close();
  EXPECT_EQ(size_of("A.DAT"), 1);
  EXPECT_EQ(size_of("B.DAT"), 10);
  // A file made here, grown and then cut by a fresh write.
  grow("NEW.DAT", "0123456789", OpenMode::kAppend);
  EXPECT_EQ(size_of("NEW.DAT"), 10);
  grow("NEW.DAT", "01", OpenMode::kWrite);
  EXPECT_EQ(size_of("new.dat"), 2);
  EXPECT_EQ(s.Read("NEW.DAT"), "01");
}

}  // namespace
}  // namespace labrena
