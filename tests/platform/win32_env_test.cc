#include "platform/win32_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32_text.h"
#include "platform/win32_windows.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  return names;
}

std::wstring WidePath(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

class Win32EnvTest : public ::testing::Test {
 protected:
  Win32EnvTest() : env_(scratch_.data(), scratch_.temp()) {}

  std::string Full(const std::string& name) const {
    return scratch_.data() + "\\" + name;
  }
  void SetAttribute(const std::string& name, DWORD attribute) {
    std::wstring path = WidePath(Full(name));
    DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes | attribute));
  }

  ScratchFolder scratch_;
  Win32Env env_;
};

TEST_F(Win32EnvTest, BusyWhileAnotherHandleWrites) {
  scratch_.Write("F00.DAT", "record");
  EXPECT_TRUE(env_.OpenDenyWrite("F00.DAT"));
  {
    auto writer = env_.Open("F00.DAT", OpenMode::kUpdate);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(env_.OpenDenyWrite("F00.DAT"));
    // Plain opens share reading and writing, as the C runtime's do.
    EXPECT_TRUE(env_.Open("F00.DAT", OpenMode::kRead));
    EXPECT_TRUE(env_.Open("F00.DAT", OpenMode::kUpdate));
  }
  EXPECT_TRUE(env_.OpenDenyWrite("F00.DAT"));
  {
    auto appender = env_.Open("F00.DAT", OpenMode::kAppend);
    ASSERT_TRUE(appender);
    EXPECT_FALSE(env_.OpenDenyWrite("F00.DAT"));
  }
  {
    // Readers do not make a file busy.
    auto reader = env_.Open("F00.DAT", OpenMode::kRead);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(env_.OpenDenyWrite("F00.DAT"));
  }
  EXPECT_FALSE(env_.OpenDenyWrite("MISSING.DAT"));
}

TEST_F(Win32EnvTest, TemporaryFolders) {
  EXPECT_EQ(env_.SystemTempPath(), scratch_.temp());
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  ASSERT_GT(n, 0u);
  std::string system = Cp1252FromWide(std::wstring(buf, n));
  Win32Env plain(scratch_.data());
  EXPECT_EQ(plain.SystemTempPath(), system);
  EXPECT_EQ(plain.SystemTempPath().back(), '\\');
  EXPECT_EQ(plain.FallbackTempPath(), "C:\\Temp\\");
}

TEST_F(Win32EnvTest, ListingFollowsTheAttributeMask) {
  scratch_.Write("plain.dat", "12345");
  scratch_.Write("HIDDEN.DAT", "");
  scratch_.Write("SYSTEM.DAT", "");
  scratch_.Write("READONLY.DAT", "");
  scratch_.MakeDir("FOLDER.DAT");
  SetAttribute("HIDDEN.DAT", FILE_ATTRIBUTE_HIDDEN);
  SetAttribute("SYSTEM.DAT", FILE_ATTRIBUTE_SYSTEM);
  SetAttribute("READONLY.DAT", FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(Names(env_.List("*.DAT", 0)),
            (std::vector<std::string>{"plain.dat", "READONLY.DAT"}));
  EXPECT_EQ(
      Names(env_.List("*.DAT", kAttrHidden)),
      (std::vector<std::string>{"HIDDEN.DAT", "plain.dat", "READONLY.DAT"}));
  EXPECT_EQ(
      Names(env_.List("*.DAT", kAttrSubdir)),
      (std::vector<std::string>{"FOLDER.DAT", "plain.dat", "READONLY.DAT"}));
  std::vector<DirEntry> all = env_.List("*.*", 0x37);
  ASSERT_EQ(Names(all),
            (std::vector<std::string>{"FOLDER.DAT", "HIDDEN.DAT", "plain.dat",
                                      "READONLY.DAT", "SYSTEM.DAT"}));
  EXPECT_TRUE(all[0].is_dir);
  EXPECT_TRUE(all[1].hidden);
  EXPECT_FALSE(all[2].read_only);
  EXPECT_TRUE(all[3].read_only);
  EXPECT_TRUE(all[4].system);
}

TEST_F(Win32EnvTest, ListingOrderAndPatterns) {
  for (const char* name : {"b.dat", "_x.dat", "A2.DAT", "a.DAT", "c.data"}) {
    scratch_.Write(name, "");
  }
  scratch_.Write("R62\\2005.DAT", "");
  scratch_.Write("R62\\f622005.dat", "");
  // Upper-cased byte order ('_' sorts after the letters); the system's own
  // matching would also let "*.DAT" find c.data by its short name.
  EXPECT_EQ(Names(env_.List("*.DAT", 0)),
            (std::vector<std::string>{"a.DAT", "A2.DAT", "b.dat", "_x.dat"}));
  EXPECT_EQ(Names(env_.List("?.dat", 0)),
            (std::vector<std::string>{"a.DAT", "b.dat"}));
  EXPECT_EQ(Names(env_.List("r62\\F62*.DAT", 0)),
            (std::vector<std::string>{"f622005.dat"}));
  EXPECT_TRUE(env_.List("NOFOLDER\\*.*", 0x37).empty());
}

TEST_F(Win32EnvTest, RenameNeverReplaces) {
  scratch_.Write("OLD.DAT", "old");
  scratch_.Write("NEW.DAT", "new");
  EXPECT_NE(env_.Rename("OLD.DAT", "NEW.DAT"), 0);
  EXPECT_NE(env_.Rename("OLD.DAT", "new.dat"), 0);
  EXPECT_EQ(scratch_.Read("OLD.DAT"), "old");
  EXPECT_EQ(scratch_.Read("NEW.DAT"), "new");

  EXPECT_EQ(env_.Rename("OLD.DAT", "OTHER.DAT"), 0);
  EXPECT_FALSE(scratch_.Exists("OLD.DAT"));
  EXPECT_EQ(scratch_.Read("OTHER.DAT"), "old");
  EXPECT_NE(env_.Rename("OLD.DAT", "THIRD.DAT"), 0);

  // Folders move too, into the temporary folder (an absolute name).
  scratch_.Write("REG\\REGFE.DAT", "fe");
  EXPECT_EQ(env_.Rename("REG", scratch_.temp() + "REG"), 0);
  EXPECT_FALSE(scratch_.Exists("REG"));
  EXPECT_TRUE(env_.Exists(scratch_.temp() + "REG\\REGFE.DAT"));
}

TEST_F(Win32EnvTest, CopyWithFailIfExists) {
  scratch_.Write("A.DAT", "source");
  scratch_.Write("B.DAT", "target");
  EXPECT_FALSE(env_.CopyFile("A.DAT", "B.DAT", true));
  EXPECT_EQ(scratch_.Read("B.DAT"), "target");
  EXPECT_TRUE(env_.CopyFile("A.DAT", "B.DAT", false));
  EXPECT_EQ(scratch_.Read("B.DAT"), "source");
  EXPECT_TRUE(env_.CopyFile("A.DAT", "C.DAT", true));
  EXPECT_EQ(scratch_.Read("C.DAT"), "source");
  EXPECT_FALSE(env_.CopyFile("MISSING.DAT", "D.DAT", false));
}

TEST_F(Win32EnvTest, NamesIgnoreLetterCase) {
  scratch_.Write("f00.dat", "abc");
  EXPECT_TRUE(env_.Exists("F00.DAT"));
  std::int64_t size = 0;
  EXPECT_TRUE(env_.FileSize("F00.Dat", &size));
  EXPECT_EQ(size, 3);
  auto file = env_.Open("F00.DAT", OpenMode::kRead);
  ASSERT_TRUE(file);
  char buf[8];
  std::size_t got = 0;
  EXPECT_TRUE(file->ReadAt(1, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "bc");
  file->Close();
  EXPECT_EQ(Names(env_.List("F00.DAT", 0)),
            (std::vector<std::string>{"f00.dat"}));
  EXPECT_EQ(env_.Remove("F00.DAT"), 0);
  EXPECT_FALSE(scratch_.Exists("f00.dat"));
}

TEST_F(Win32EnvTest, NamesAreWindows1252) {
  // The bytes C3 (A with tilde) and C7 (C with cedilla) name the same
  // letters on disk whatever the system's ANSI code page.
  const std::string folder = "A\xC7\xC3O";
  const std::string name = folder + "\\CONVERS\xC3O.DAT";
  ASSERT_EQ(env_.MakeDir(folder), 0);
  auto file = env_.Open(name, OpenMode::kWrite);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "x", 1));
  file->Close();
  std::wstring wide =
      WidePath(scratch_.data()) + L"\\A\u00C7\u00C3O\\CONVERS\u00C3O.DAT";
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Names(env_.List(folder + "\\*.DAT", 0)),
            (std::vector<std::string>{"CONVERS\xC3O.DAT"}));
  EXPECT_TRUE(env_.Exists("a\xC7\xC3o\\convers\xC3o.dat"));
}

TEST_F(Win32EnvTest, ReadOnlyAttribute) {
  scratch_.Write("F16.DAT", "worker");
  scratch_.SetReadOnly("F16.DAT", true);
  EXPECT_FALSE(env_.IsWritable("F16.DAT"));
  EXPECT_FALSE(env_.Open("F16.DAT", OpenMode::kUpdate));
  EXPECT_FALSE(env_.Open("F16.DAT", OpenMode::kWrite));
  EXPECT_FALSE(env_.Open("F16.DAT", OpenMode::kAppend));
  EXPECT_NE(env_.Remove("F16.DAT"), 0);
  EXPECT_TRUE(env_.Open("F16.DAT", OpenMode::kRead));
  EXPECT_TRUE(env_.MakeWritable("F16.DAT"));
  EXPECT_TRUE(env_.IsWritable("F16.DAT"));
  EXPECT_FALSE(env_.MakeWritable("MISSING.DAT"));
  EXPECT_FALSE(env_.IsWritable("MISSING.DAT"));
  EXPECT_EQ(env_.Remove("F16.DAT"), 0);
}

TEST_F(Win32EnvTest, AppendWritesAtTheEnd) {
  scratch_.Write("F34.DAT", "abc");
  auto file = env_.Open("F34.DAT", OpenMode::kAppend);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(0, "de", 2));
  EXPECT_TRUE(file->WriteAt(1, "f", 1));
  file->Close();
  EXPECT_EQ(scratch_.Read("F34.DAT"), "abcdef");
  // Missing files are created by append and write, not by read and update.
  EXPECT_FALSE(env_.Open("NEW.DAT", OpenMode::kRead));
  EXPECT_FALSE(env_.Open("NEW.DAT", OpenMode::kUpdate));
  EXPECT_TRUE(env_.Open("NEW.DAT", OpenMode::kAppend));
  EXPECT_TRUE(scratch_.Exists("NEW.DAT"));
}

TEST_F(Win32EnvTest, SizesBeyondFourGigabytes) {
  constexpr std::int64_t kOffset = (std::int64_t{1} << 32) + 10;
  {
    auto file = env_.Open("BIG.DAT", OpenMode::kWrite);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->WriteAt(kOffset, "+", 1));
    std::int64_t size = 0;
    EXPECT_TRUE(file->Size(&size));
    EXPECT_EQ(size, kOffset + 1);
  }
  std::int64_t size = 0;
  EXPECT_TRUE(env_.FileSize("BIG.DAT", &size));
  EXPECT_EQ(size, kOffset + 1);
  ASSERT_EQ(env_.List("BIG.DAT", 0).size(), 1u);
  auto file = env_.Open("BIG.DAT", OpenMode::kRead);
  ASSERT_TRUE(file);
  char buf[4];
  std::size_t got = 0;
  EXPECT_TRUE(file->ReadAt(kOffset - 1, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), std::string("\0+", 2));
  EXPECT_TRUE(file->ReadAt(kOffset + 5, buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  file->Close();
  EXPECT_EQ(env_.Remove("BIG.DAT"), 0);
}

TEST_F(Win32EnvTest, FoldersAndTheSystemEnv) {
  EXPECT_EQ(env_.MakeDir("R61"), 0);
  EXPECT_NE(env_.MakeDir("R61"), 0);
  EXPECT_TRUE(env_.IsDirectory("r61"));
  std::int64_t size = 0;
  EXPECT_FALSE(env_.FileSize("R61", &size));
  EXPECT_NE(env_.Remove("R61"), 0);
  scratch_.Write("R61\\0001.DAT", "");
  EXPECT_NE(env_.RemoveDir("R61"), 0);
  EXPECT_EQ(env_.Remove("R61\\0001.DAT"), 0);
  EXPECT_EQ(env_.RemoveDir("R61"), 0);
  EXPECT_FALSE(env_.Exists("R61"));

  // The fixture's system Env is this one.
  scratch_.Write("CONV.DAT", "590\r\n");
  EXPECT_TRUE(scratch_.env().Exists("conv.dat"));
  EXPECT_EQ(scratch_.env().SystemTempPath(), scratch_.temp());
  LocalTime now = scratch_.env().Now();
  EXPECT_GE(now.year, 2000);
  EXPECT_LT(now.hundredths, 100);
}

}  // namespace
}  // namespace labrena
