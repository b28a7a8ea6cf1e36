#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "records/record_file.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// A file written from nothing in pieces of every size, its cache growing on
// the way, then random reads, writes and seeks in update mode agree with a
// plain string standing for the file, across the cache's edges.
TEST(FileStreamTest, UpdateModeAgreesWithModel) {
  ScratchFolder s;
  std::mt19937 rng(42);
  std::string model(3 * FileStream::kMostBuffer + 17, '.');
  for (std::size_t i = 0; i < model.size(); ++i) {
    model[i] = static_cast<char>('a' + i % 26);
  }
  {
    File w = OpenWrite(s.env(), "M.DAT");
    ASSERT_TRUE(w);
    for (std::size_t at = 0; at < model.size();) {
      std::size_t n = std::min<std::size_t>(rng() % 100000,
                                            model.size() - at);
      ASSERT_TRUE(w->Write(std::string_view(model).substr(at, n)));
      at += n;
    }
    ASSERT_TRUE(w->Close());
  }
  ASSERT_TRUE(s.Read("M.DAT") == model);
  File f = OpenUpdate(s.env(), "M.DAT");
  ASSERT_TRUE(f);
  std::int64_t pos = 0;
  for (int step = 0; step < 5000; ++step) {
    int op = static_cast<int>(rng() % 4);
    std::size_t len = rng() % 3 == 0 ? rng() % 70000 : rng() % 300;
    if (op == 0) {
      pos = static_cast<std::int64_t>(rng() % (model.size() + 100));
      ASSERT_TRUE(f->Seek(pos));
    } else if (op == 1) {
      std::string data(len, static_cast<char>('A' + step % 26));
      ASSERT_TRUE(f->Write(data));
      if (pos > static_cast<std::int64_t>(model.size())) {
        model.resize(static_cast<std::size_t>(pos), '\0');
      }
      if (pos + len > model.size()) model.resize(pos + len);
      model.replace(static_cast<std::size_t>(pos), len, data);
      pos += static_cast<std::int64_t>(len);
    } else {
      std::string got(len, '\0');
      std::size_t n = f->Read(got.data(), len);
      std::size_t expect_n =
          pos >= static_cast<std::int64_t>(model.size())
              ? 0
              : std::min(len, model.size() - static_cast<std::size_t>(pos));
      ASSERT_EQ(n, expect_n) << "step " << step;
      ASSERT_TRUE(got.substr(0, n) ==
                  model.substr(static_cast<std::size_t>(pos), expect_n))
          << "step " << step;
      pos += static_cast<std::int64_t>(n);
    }
    ASSERT_EQ(f->Tell(), pos);
    ASSERT_EQ(f->Size(), static_cast<std::int64_t>(model.size()));
  }
  ASSERT_TRUE(f->Close());
  EXPECT_TRUE(s.Read("M.DAT") == model);
}

TEST(FileStreamTest, AppendGoesToTheEndWhateverThePosition) {
  ScratchFolder s;
  s.Write("A.DAT", "abc");
  File f = OpenAppend(s.env(), "A.DAT");
  EXPECT_EQ(f->Tell(), 3);
  f->Seek(0);
  f->Write("de");
  f->Seek(1);
  f->Write(std::string(70000, 'z'));
  f->Write("!");
  ASSERT_TRUE(f->Close());
  EXPECT_EQ(s.Read("A.DAT"), "abcde" + std::string(70000, 'z') + "!");
}

TEST(FileStreamTest, TextModeAcrossCacheEdge) {
  ScratchFolder s;
  // A CR as the last byte of the cache, its LF the first of the next fill.
  std::string bytes(FileStream::kMostBuffer - 1, 'x');
  bytes += "\r\nyz\r";
  s.Write("T.DAT", bytes);
  File f = OpenText(s.env(), "T.DAT", OpenMode::kRead);
  std::string line;
  ASSERT_TRUE(f->Gets(&line, FileStream::kMostBuffer + 10));
  EXPECT_EQ(line.size(), FileStream::kMostBuffer);
  EXPECT_EQ(line.back(), '\n');
  ASSERT_TRUE(f->Gets(&line, 10));
  EXPECT_EQ(line, "yz\r");  // a lone CR stays
}

TEST(FileStreamTest, EndMarkStopsTextReadsUntilASeek) {
  ScratchFolder s;
  s.Write("T.DAT", std::string("ab\x1A" "cd", 5));
  File f = OpenText(s.env(), "T.DAT", OpenMode::kRead);
  EXPECT_EQ(f->Getc(), 'a');
  EXPECT_EQ(f->Getc(), 'b');
  EXPECT_EQ(f->Getc(), FileStream::kEof);
  EXPECT_EQ(f->Getc(), FileStream::kEof);
  EXPECT_TRUE(f->eof());
  f->Seek(3);
  EXPECT_EQ(f->Getc(), 'c');
}

TEST(FileStreamTest, TextEndsAtZeroByte) {
  ScratchFolder s;
  s.Write("Z.DAT", std::string("ab\0cd\nef", 8));
  File f = OpenRead(s.env(), "Z.DAT");
  std::string line;
  ASSERT_TRUE(f->Gets(&line, 10));
  EXPECT_EQ(line, "ab");  // the bytes up to the line feed are consumed
  EXPECT_EQ(f->Tell(), 6);
  File w = OpenWrite(s.env(), "W.DAT");
  w->WritePadded(std::string("xy\0z", 4), 5);
  w->WritePadded("longer", 3);
  w->Close();
  EXPECT_EQ(s.Read("W.DAT"), "xy   longer");
}

TEST(FileStreamTest, WriteFailuresSurfaceAtClose) {
  ScratchFolder s;
  s.faults().DiskFullAfter(10);
  File f = OpenWrite(s.faults(), "F.DAT");
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->Write(std::string(20, 'x')));  // buffered
  EXPECT_FALSE(f->Close());
  EXPECT_TRUE(f->error());
}

// A reader sees records that another open file appended after it opened,
// as two C streams on one file do.
TEST(FileStreamTest, ReaderSeesAppendsOfAnotherStream) {
  ScratchFolder s;
  File writer = OpenAppend(s.env(), "J.DAT");
  File reader = OpenRead(s.env(), "J.DAT");
  writer->Write("abc");
  writer->Flush();
  std::string got;
  ASSERT_TRUE(reader->Gets(&got, 10));
  EXPECT_EQ(got, "abc");
  writer->Write("de");
  writer->Flush();
  ASSERT_TRUE(reader->Gets(&got, 10));
  EXPECT_EQ(got, "de");
  reader->SeekEnd();
  EXPECT_EQ(reader->Tell(), 5);
}

TEST(FileStreamTest, ReadOnlyStreamRefusesWrites) {
  ScratchFolder s;
  s.Write("R.DAT", "abc");
  File f = OpenRead(s.env(), "R.DAT");
  EXPECT_FALSE(f->Write("x"));
  f->Close();
  EXPECT_EQ(s.Read("R.DAT"), "abc");
}

}  // namespace
}  // namespace labrena
