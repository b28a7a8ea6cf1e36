#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/steps.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// The obsolete files as an old data folder may spell them.
const std::vector<std::string> kObsolete = {
    "CONF30.BAK",      "conf30a.bak",  "Conf30b.bak", "conf30c.BAK",
    "conf0.sat",       "c01.dat",      "C10.DAT",     "LAB01.TXT",
    "lab02.txt",       "lab03.txt",    "lab04.txt",   "PTRA00.TXT",
    "ptra00a.txt",     "ptra00b.txt",  "ptra00c.txt", "ptra01.txt",
    "ptra02.txt",      "ptra03a.txt",  "ptra03b.txt", "ptra040.txt",
    "ptra041.txt",     "ptra042.txt",  "PTRA04M.TXT", "ptra07.txt",
    "ptra08.txt",      "ptra09.txt",   "ptra10.txt",  "ptra12.txt",
    "ptra13.txt",      "ptra14.txt",   "SIND.DAT",    "tab1r0.dat",
    "R61/R000000.DAT", "LABRENA4.EXE", "la0.hlp",     "LA0.GID",
    "la02.hlp",        "La02.Gid"};

TEST(Step6CleanupTest, DeletesObsoleteFilesAndRetiresOldFolders) {
  ScratchFolder s;
  for (const std::string& name : kObsolete) s.Write(name, "old");
  s.Write("R61/000001.DAT", "worker");
  s.Write("R61/R000001.DAT", "worker");
  s.Write("F00R0.DAT", "employers");
  s.Write("REG/R01.tmp", "converted");
  s.Write("REG/R02.DAT", "not converted");
  s.Write("Temp/x.txt", "scratch");
  s.SetReadOnly("ptra07.txt", true);
  CleanUpObsoleteFiles(s.ctx());

  for (const std::string& name : kObsolete) {
    EXPECT_EQ(s.Exists(name), name == "ptra07.txt") << name;
  }
  EXPECT_EQ(s.Read("R61/000001.DAT"), "worker");
  EXPECT_EQ(s.Read("R61/R000001.DAT"), "worker");
  EXPECT_EQ(s.Read("F00R0.DAT"), "employers");
  EXPECT_FALSE(s.Exists("REG") || s.Exists("Temp"));
  EXPECT_EQ(s.ReadRetired("REG/R01.tmp"), "converted");
  EXPECT_EQ(s.ReadRetired("REG/R02.DAT"), "not converted");
  EXPECT_EQ(s.ReadRetired("Temp/x.txt"), "scratch");
  EXPECT_TRUE(s.ui().boxes().empty());

  // A second run finds nothing more to do.
  CleanUpObsoleteFiles(s.ctx());
  EXPECT_EQ(s.Read("ptra07.txt"), "old");
  EXPECT_EQ(s.Read("R61/000001.DAT"), "worker");
  EXPECT_FALSE(s.IsRetired("REG.001") || s.IsRetired("Temp.001"));
}

TEST(Step6CleanupTest, FolderWithAnObsoleteNameStaysAndNothingElseMoves) {
  ScratchFolder s;
  s.MakeDir("sind.dat");
  s.Write("F16R0.DAT", "workers");
  CleanUpObsoleteFiles(s.ctx());
  EXPECT_TRUE(s.Exists("sind.dat"));
  EXPECT_EQ(s.Read("F16R0.DAT"), "workers");
  EXPECT_FALSE(s.IsRetired("REG") || s.IsRetired("Temp"));
}

}  // namespace
}  // namespace labrena
