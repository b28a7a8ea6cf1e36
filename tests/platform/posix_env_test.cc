#include "platform/posix_env.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace labrena
