#include "records/key_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "records/key_search.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

struct Shape {
  std::int64_t length;
  int offset, key_length;
};

// Few distinct texts, so that duplicates are common: letters in both cases,
// accented letters that differ only in bit 0x20 (E7/C7), blanks, and now and
// then a line feed or a zero byte, which cut a read short.
std::string RandomText(std::mt19937& rng, int n) {
  static const char kBytes[] = {'a', 'A', 'b', 'B', ' ', '\xE7', '\xC7'};
  std::string text(rng() % (n + 1), ' ');
  for (char& c : text) {
    int pick = static_cast<int>(rng() % 61);
    c = pick == 0 ? '\n' : pick == 1 ? '\0' : kBytes[pick % 7];
  }
  return text;
}

// A record holding a pool key in random case; a quarter of them deleted.
std::string RandomRecord(std::mt19937& rng, const Shape& shape,
                         const std::vector<std::string>& pool) {
  std::string record(shape.length, 'x');
  std::string key = pool[rng() % pool.size()];
  for (char& c : key) {
    if (rng() % 2 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  key.resize(shape.key_length, ' ');
  record.replace(shape.offset, key.size(), key);
  if (rng() % 4 == 0) record.back() = '+';
  return record;
}

// The index gives, for every key, what FindKey gives on the file as it is.
void ExpectAsFindKey(ScratchFolder& s, const KeyIndex& index,
                     const Shape& shape, const std::vector<std::string>& keys,
                     bool text = false) {
  for (const std::string& key : keys) {
    File file = text ? OpenText(s.env(), "K.DAT", OpenMode::kRead)
                     : OpenRead(s.env(), "K.DAT");
    std::int64_t n = 0;
    FindKey(s.ctx(), file.get(), "K.DAT", shape.length, &n, key, shape.offset,
            shape.key_length);
    ASSERT_EQ(index.Find(key), n) << "key of " << key.size() << " bytes";
  }
}

TEST(KeyIndexTest, AnswersAsTheLinearSearchWhileRecordsAreAppended) {
  // The third shape has a key of 60, compared over 50.
  const Shape shapes[] = {{20, 3, 10}, {12, 1, 11}, {70, 0, 60}, {250, 51, 30}};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    const Shape& shape = shapes[seed % 4];
    std::vector<std::string> pool, keys = {"", "   ", "zz"};
    for (int i = 0; i < 6; ++i) {
      pool.push_back(RandomText(rng, shape.key_length));
      std::string lower = pool.back();
      for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      }
      keys.insert(keys.end(), {pool.back(), lower, lower.substr(0, 3),
                               pool.back() + std::string(40, 'B'),
                               pool.back() + '\0' + "A", RandomText(rng, 12)});
    }
    ScratchFolder s;
    std::string bytes;
    int records = static_cast<int>(rng() % 40);
    for (int i = 0; i < records; ++i) bytes += RandomRecord(rng, shape, pool);
    s.Write("K.DAT", bytes);
    File in = OpenRead(s.env(), "K.DAT");
    KeyIndex index(in.get(), shape.length, shape.offset, shape.key_length);
    ExpectAsFindKey(s, index, shape, keys);

    File out = OpenAppend(s.env(), "K.DAT");
    for (int i = 0; i < 15; ++i) {
      std::string record = RandomRecord(rng, shape, pool);
      ASSERT_TRUE(out->Write(record) && out->Flush());
      index.Add(records + i, record);
      ExpectAsFindKey(s, index, shape, keys);
    }
  }
}

TEST(KeyIndexTest, TextModeAndPartialRecordsAsTheLinearSearch) {
  const Shape shape{8, 2, 4};
  // A CR LF in the key of record 1; the key of record 3 starts with the DOS
  // end-of-file mark, where a text-mode search stops for good.
  std::vector<std::string> keys = {"AB", "ab", "A\n", "A\r\nB", "CD", "EF"};
  for (bool text : {false, true}) {
    ScratchFolder s;
    s.Write("K.DAT", "xxAB  x xxA\r\nBx xxAB  x+xx\032B  x xxCD  x ");
    File in = text ? OpenText(s.env(), "K.DAT", OpenMode::kRead)
                   : OpenRead(s.env(), "K.DAT");
    KeyIndex index(in.get(), shape.length, shape.offset, shape.key_length);
    ExpectAsFindKey(s, index, shape, keys, text);
    File out = OpenAppend(s.env(), "K.DAT");
    ASSERT_TRUE(out->Write("xxEF  x ") && out->Flush());
    index.Add(5, "xxEF  x ");
    ExpectAsFindKey(s, index, shape, keys, text);
    EXPECT_EQ(index.Find("ef"), text ? -1 : 5);
  }

  // The file ends inside the key of record 1.
  ScratchFolder s;
  s.Write("K.DAT", "xxAB  x xxC");
  File in = OpenRead(s.env(), "K.DAT");
  KeyIndex index(in.get(), shape.length, shape.offset, shape.key_length);
  ExpectAsFindKey(s, index, shape, {"AB", "C", "C   "});
  EXPECT_EQ(KeyIndex(in.get(), 8, 2, 0).Find("AB"), -1);
  EXPECT_EQ(KeyIndex(in.get(), 0, 2, 4).Find("AB"), -1);
}

}  // namespace
}  // namespace labrena
