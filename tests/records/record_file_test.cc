#include "records/record_file.h"

#include <gtest/gtest.h>

#include "tests/testing/scratch.h"

namespace labrena {
namespace {

using Op = FaultEnv::Op;

constexpr const char* kSharing =
    "Erro ao abrir o arquivo.\nO compartilhamento de arquivos no servidor "
    "precisa ter permiss\xE3o para grava\xE7\xE3o.";

TEST(RecordFileTest, AddCompletesPartialLastRecord) {
  ScratchFolder s;
  s.Write("A.DAT", std::string(45, 'x'));
  std::int64_t n = 7;
  File f = FOpen2(s.ctx(), "A.DAT", 30, &n, kAddRecord, 0);
  ASSERT_TRUE(f);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(f->Tell(), 60);
  f->Write(std::string(30, 'y'));
  f->Close();
  EXPECT_EQ(s.Read("A.DAT"),
            std::string(45, 'x') + std::string(15, ' ') + std::string(30, 'y'));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(RecordFileTest, AddToMissingFileCreatesIt) {
  ScratchFolder s;
  std::int64_t n = 5;
  File f = FOpen2(s.ctx(), "NEW.DAT", 30, &n, kAddRecord, 0);
  ASSERT_TRUE(f);
  EXPECT_EQ(n, 0);
  f->Close();
  EXPECT_TRUE(s.Exists("NEW.DAT"));
  EXPECT_TRUE(s.ui().boxes().empty());
}

TEST(RecordFileTest, AddToWholeRecordsAndZeroLength) {
  ScratchFolder s;
  s.Write("A.DAT", std::string(90, 'x'));
  std::int64_t n = 0;
  File f = FOpen2(s.ctx(), "A.DAT", 30, &n, kAddRecord, 0);
  ASSERT_TRUE(f);
  EXPECT_EQ(n, 3);
  f->Close();
  f = FOpen2(s.ctx(), "A.DAT", 0, &n, kAddRecord, 0);
  ASSERT_TRUE(f);
  EXPECT_EQ(n, -1);
}

TEST(RecordFileTest, RewriteRecordInPlace) {
  ScratchFolder s;
  s.Write("A.DAT", "aaabbbccc");
  std::int64_t n = 1;
  File f = FOpen2(s.ctx(), "A.DAT", 3, &n, 0, 0);
  ASSERT_TRUE(f);
  f->Write("XYZ");
  f->Close();
  EXPECT_EQ(s.Read("A.DAT"), "aaaXYZccc");
}

TEST(RecordFileTest, RewriteFailures) {
  ScratchFolder s;
  s.Write("A.DAT", "aaabbb");
  std::int64_t n = 2;  // n * L equals the size
  EXPECT_FALSE(FOpen2(s.ctx(), "A.DAT", 3, &n, 0, 0));
  n = 0;
  EXPECT_FALSE(FOpen2(s.ctx(), "NONE.DAT", 3, &n, 0, 0));
  s.faults().FailOpenOf("A.DAT");
  EXPECT_FALSE(FOpen2(s.ctx(), "A.DAT", 3, &n, 0, 0));
  ASSERT_EQ(s.ui().boxes().size(), 3u);
  EXPECT_EQ(s.ui().boxes()[0].text, "Erro ao posicionar arquivo (r+t).");
  EXPECT_EQ(s.ui().boxes()[1].text, "Arquivo inexistente.");
  EXPECT_EQ(s.ui().boxes()[2].text, kSharing);
  for (const ShownBox& box : s.ui().boxes()) {
    EXPECT_EQ(box.title, "FOpen2");
    EXPECT_EQ(box.icon, Icon::kError);
  }
  EXPECT_EQ(s.Read("A.DAT"), "aaabbb");
}

TEST(RecordFileTest, AddFailsWhenAppendCannotOpen) {
  ScratchFolder s;
  s.faults().FailOpenOf("A.DAT");
  std::int64_t n = 0;
  EXPECT_FALSE(FOpen2(s.ctx(), "A.DAT", 30, &n, kAddRecord, 0));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].text, kSharing);
}

// A sparse file gives the sizes of the limits without writing them.
void MakeSparse(ScratchFolder& s, const std::string& name, std::int64_t size) {
  auto f = s.env().Open(name, OpenMode::kWrite);
  ASSERT_TRUE(f);
  ASSERT_TRUE(f->WriteAt(size - 1, "x", 1));
  f->Close();
}

TEST(RecordFileTest, SizeLimitsOfAdding) {
  ScratchFolder s;
  MakeSparse(s, "A.DAT", kAskLimit);
  std::int64_t n = 0;
  EXPECT_TRUE(FOpen2(s.ctx(), "A.DAT", 1, &n, kAddRecord, 0));
  EXPECT_TRUE(s.ui().boxes().empty());

  MakeSparse(s, "B.DAT", kAskLimit + 1);
  s.ui().Script(Answer::kNo);
  EXPECT_FALSE(FOpen2(s.ctx(), "B.DAT", 1, &n, kAddRecord, 0));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  const ShownBox& ask = s.ui().boxes()[0];
  EXPECT_EQ(ask.text,
            "O arquivo j\xE1 possui mais de 384 MB.\nTamanho: 384.000.001 bytes"
            "\n\nAvise o suporte t\xE9" "cnico.\n\nDeseja continuar?");
  EXPECT_EQ(ask.icon, Icon::kQuestion);
  EXPECT_EQ(ask.buttons, Buttons::kYesNo);
  EXPECT_EQ(ask.default_button, 1);
  s.ui().Script(Answer::kYes);
  EXPECT_TRUE(FOpen2(s.ctx(), "B.DAT", 1, &n, kAddRecord, 0));
  EXPECT_EQ(n, kAskLimit + 1);

  MakeSparse(s, "C.DAT", 2147483648LL);
  s.ui().ClearBoxes();
  EXPECT_FALSE(FOpen2(s.ctx(), "C.DAT", 1, &n, kAddRecord, 0));
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].text,
            "O arquivo ultrapassou o limite permitido (2 GB).\nTamanho: "
            "2.147.483.648 bytes");
  // Rewriting a record of a file over the limit is still allowed.
  n = 0;
  EXPECT_TRUE(FOpen2(s.ctx(), "C.DAT", 1, &n, 0, 0));
}

TEST(RecordFileTest, WritingOpenersMakeReadOnlyFileWritable) {
  ScratchFolder s;
  for (const char* name : {"U.DAT", "W.DAT", "A.DAT"}) {
    s.Write(name, "abc");
    s.SetReadOnly(name, true);
  }
  EXPECT_FALSE(s.env().Open("U.DAT", OpenMode::kUpdate));
  EXPECT_TRUE(OpenUpdate(s.env(), "U.DAT"));
  EXPECT_TRUE(OpenWrite(s.env(), "W.DAT"));
  EXPECT_TRUE(OpenAppend(s.env(), "A.DAT"));
  EXPECT_TRUE(s.env().IsWritable("U.DAT"));
  // A missing file stays missing.
  MakeWritable(s.env(), "NONE.DAT");
  EXPECT_FALSE(s.Exists("NONE.DAT"));
}

TEST(RecordFileTest, SeekInsideAndDeletionMarks) {
  ScratchFolder s;
  s.Write("A.DAT", "ab ab+ab ");
  File f = OpenUpdate(s.env(), "A.DAT");
  ASSERT_TRUE(f);
  EXPECT_EQ(SeekInside(f.get(), 8), 0);
  EXPECT_EQ(SeekInside(f.get(), 9), 1);
  EXPECT_EQ(f->Tell(), 9);
  EXPECT_EQ(SeekInside(f.get(), -1), 1);
  EXPECT_EQ(IsDeleted(f.get(), 0, 3), 0);
  EXPECT_EQ(IsDeleted(f.get(), 1, 3), 1);
  EXPECT_EQ(IsDeleted(f.get(), 3, 3), 0);  // past the end
  EXPECT_EQ(IsDeleted(nullptr, 1, 3), 0);
  EXPECT_EQ(MarkDeleted(f.get(), 2, 3), 1);
  EXPECT_EQ(MarkDeleted(f.get(), 3, 3), 0);
  f->Close();
  EXPECT_EQ(s.Read("A.DAT"), "ab ab+ab+");
}

TEST(RecordFileTest, ReadCharsStopsAfterLineFeed) {
  ScratchFolder s;
  s.Write("A.DAT", "abc\ndefgh");
  File f = OpenRead(s.env(), "A.DAT");
  std::string out;
  ASSERT_TRUE(ReadChars(f.get(), &out, 10));
  EXPECT_EQ(out, "abc\n");
  ASSERT_TRUE(ReadChars(f.get(), &out, 3));
  EXPECT_EQ(out, "def");
  ASSERT_TRUE(ReadChars(f.get(), &out, 10));
  EXPECT_EQ(out, "gh");
  EXPECT_FALSE(ReadChars(f.get(), &out, 10));
  EXPECT_FALSE(ReadChars(nullptr, &out, 10));
}

TEST(RecordFileTest, FileBusyWaitsAboutOneSecond) {
  ScratchFolder s;
  s.Write("A.DAT", "x");
  s.faults().SetBusy("A.DAT");
  EXPECT_EQ(FileBusy(s.ctx(), "A.DAT", 0), 1);
  EXPECT_EQ(s.faults().slept_ms(), 20 * 50);
  EXPECT_TRUE(s.ui().boxes().empty());
  EXPECT_EQ(FileBusy(s.ctx(), "A.DAT", 1), 1);
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].title, "FileBusy");
  EXPECT_EQ(s.ui().boxes()[0].text, "Sistema ocupado, tente novamente.");
  EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kWarning);
  EXPECT_EQ(FileBusy(s.ctx(), "A.DAT", 2), 0);
  EXPECT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_FALSE(s.ui().wait_cursor());
  // Free and missing files pass at once.
  EXPECT_EQ(FileBusy(s.ctx(), "NONE.DAT", 1), 0);
  EXPECT_EQ(s.faults().slept_ms(), 3 * 20 * 50);
}

TEST(RecordFileTest, TextModeReads) {
  ScratchFolder s;
  s.Write("T.DAT", std::string("ab\r\ncd\re\x1A" "fg", 10));
  File f = OpenText(s.env(), "T.DAT", OpenMode::kRead);
  std::string out;
  ASSERT_TRUE(f->Gets(&out, 20));
  EXPECT_EQ(out, "ab\n");
  ASSERT_TRUE(f->Gets(&out, 20));
  EXPECT_EQ(out, "cd\re");
  EXPECT_FALSE(f->Gets(&out, 20));
  // Binary reads see every byte.
  File b = OpenRead(s.env(), "T.DAT");
  ASSERT_TRUE(b->Gets(&out, 20));
  EXPECT_EQ(out, "ab\r\n");
}

TEST(RecordFileTest, FolderWhereFileExpected) {
  ScratchFolder s;
  s.MakeDir("D.DAT");
  EXPECT_FALSE(OpenRead(s.env(), "D.DAT"));
  EXPECT_FALSE(OpenAppend(s.env(), "D.DAT"));
  std::int64_t n = 0;
  EXPECT_FALSE(FOpen2(s.ctx(), "D.DAT", 30, &n, kAddRecord, 0));
}

}  // namespace
}  // namespace labrena
