#include "convert/item_block.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/testing/layout.h"

namespace labrena {
namespace {

// An old block of blank items with some items set, by (group, position).
class OldBlock {
 public:
  explicit OldBlock(ItemSource source)
      : source_(source), bytes_(OldItemBlockLength(source), ' ') {}
  OldBlock& Set(int group, int position, const std::string& item) {
    std::size_t index = static_cast<std::size_t>(
        (group == 0 ? 0 : ItemsPerGroup(source_, 0)) + position);
    bytes_.replace(index * 20, 20, item);
    return *this;
  }
  const std::string& str() const { return bytes_; }

 private:
  ItemSource source_;
  std::string bytes_;
};

// The new block: the entries, then blanks up to 601.
std::string Block(const std::string& entries) { return Pad(entries, 601); }

TEST(ItemBlockTest, EntryFields) {
  OldBlock old(ItemSource::kWorker);
  old.Set(0, 0, OldItem("10", "1.234,5", "005"));
  old.Set(1, 3, OldItem("2,5", "100", "030"));
  EXPECT_EQ(ConvertItemBlock(old.str(), ItemSource::kWorker),
            Block(Entry('1', "010", "10", "1234.50") +
                  Entry('2', "030", "2,5", "100.00")));
}

TEST(ItemBlockTest, EmptyBlockIsAllBlanks) {
  EXPECT_EQ(ConvertItemBlock(std::string(800, ' '), ItemSource::kWorker),
            std::string(601, ' '));
  EXPECT_EQ(ConvertItemBlock(std::string(300, ' '), ItemSource::kF310),
            std::string(601, ' '));
}

TEST(ItemBlockTest, CodeMapping) {
  struct Case {
    int code;
    int mapped;
  };
  const Case cases[] = {
      {12, 33},   {13, 34},   {18, 40},   {19, 41},   {20, 42},   {21, 43},
      {1, 2},     {2, 3},     {3, 180},   {4, 181},   {5, 10},    {6, 4},
      {14, 36},   {15, 37},   {57, 58},   {58, 103},  {190, 151}, {191, 183},
      {193, 155}, {194, 154}, {196, 152}, {197, 182}, {198, 189}, {199, 184},
      {0, 0},     {7, 7},     {11, 11},   {22, 22},   {192, 192}, {195, 195},
      {200, 200}};
  for (const Case& c : cases) {
    std::string reference = "110";
    EXPECT_EQ(MapItemCode(c.code, &reference), c.mapped) << c.code;
    EXPECT_EQ(reference, "110") << c.code;
  }
}

TEST(ItemBlockTest, HoursCodesWithReference220) {
  std::string reference = "220";
  EXPECT_EQ(MapItemCode(14, &reference), 35);
  EXPECT_EQ(reference, "20");
  reference = "220  ";
  EXPECT_EQ(MapItemCode(15, &reference), 35);
  EXPECT_EQ(reference, "25");

  OldBlock old(ItemSource::kWorker);
  old.Set(0, 0, OldItem("220", "10", "014"));
  old.Set(0, 1, OldItem("110", "10", "014"));
  old.Set(0, 2, OldItem("220", "10", "015"));
  EXPECT_EQ(ConvertItemBlock(old.str(), ItemSource::kWorker),
            Block(Entry('1', "035", "20", "10.00") +
                  Entry('1', "036", "110", "10.00") +
                  Entry('1', "035", "25", "10.00")));
}

TEST(ItemBlockTest, DefaultCodesFromBlankCodeField) {
  OldBlock worker(ItemSource::kWorker);
  worker.Set(0, 3, OldItem("", "100,00", "   "));  // 18, then 40
  worker.Set(0, 5, OldItem("", "1", "   "));       // 200
  worker.Set(1, 6, OldItem("", "2", "   "));       // 57, then 58
  worker.Set(1, 12, OldItem("", "3", "   "));      // 0
  worker.Set(0, 4, OldItem("", "4", "0  "));       // not blank: code 0
  EXPECT_EQ(
      ConvertItemBlock(worker.str(), ItemSource::kWorker),
      Block(Entry('1', "040", "", "100.00") + Entry('1', "000", "", "4.00") +
            Entry('1', "200", "", "1.00") + Entry('2', "058", "", "2.00") +
            Entry('2', "000", "", "3.00")));
}

TEST(ItemBlockTest, F310GroupsAndDefaults) {
  OldBlock old(ItemSource::kF310);
  old.Set(0, 0, OldItem("", "1", ""));   // 120
  old.Set(0, 6, OldItem("", "2", ""));   // 14: 36
  old.Set(0, 10, OldItem("", "3", ""));  // 0
  old.Set(1, 0, OldItem("", "4", ""));   // 50, the 12th item of the block
  old.Set(1, 3, OldItem("", "5", "199"));
  EXPECT_EQ(
      ConvertItemBlock(old.str(), ItemSource::kF310),
      Block(Entry('1', "120", "", "1.00") + Entry('1', "036", "", "2.00") +
            Entry('1', "000", "", "3.00") + Entry('2', "050", "", "4.00") +
            Entry('2', "184", "", "5.00")));
}

TEST(ItemBlockTest, PositionsWithoutDefaultCodeAreDropped) {
  OldBlock old(ItemSource::kF310);
  old.Set(0, 8, OldItem("", "10", "   "));
  old.Set(1, 2, OldItem("", "20", "   "));
  old.Set(1, 3, OldItem("", "30", "   "));
  EXPECT_EQ(ConvertItemBlock(old.str(), ItemSource::kF310),
            Block(Entry('2', "000", "", "30.00")));
  // With a code of its own the item is kept.
  old.Set(0, 8, OldItem("", "10", "003"));
  EXPECT_EQ(
      ConvertItemBlock(old.str(), ItemSource::kF310),
      Block(Entry('1', "180", "", "10.00") + Entry('2', "000", "", "30.00")));
}

TEST(ItemBlockTest, ZeroNegativeAndUnreadableValuesAreDropped) {
  OldBlock old(ItemSource::kWorker);
  old.Set(0, 0, OldItem("1", "0,00", "005"));
  old.Set(0, 1, OldItem("1", "-5,00", "005"));
  old.Set(0, 2, OldItem("1", "", "005"));
  old.Set(0, 3, OldItem("1", "abc", "   "));
  old.Set(0, 4, OldItem("1", "7", "x1 "));  // letters in the code: 0
  EXPECT_EQ(ConvertItemBlock(old.str(), ItemSource::kWorker),
            Block(Entry('1', "000", "1", "7.00")));
}

TEST(ItemBlockTest, AtMost24EntriesAndReadingStaysInStep) {
  OldBlock old(ItemSource::kWorker);
  std::string expected;
  for (int group = 0; group < 2; ++group) {
    for (int position = 0; position < 20; ++position) {
      std::string value = std::to_string(group * 100 + position + 1);
      old.Set(group, position, OldItem("", value, "100"));
      if (expected.size() < 24 * 25) {
        expected +=
            Entry(static_cast<char>('1' + group), "100", "", value + ".00");
      }
    }
  }
  std::string block = ConvertItemBlock(old.str(), ItemSource::kWorker);
  EXPECT_EQ(block, expected + " ");
  EXPECT_EQ(block.size(), 601u);
}

TEST(ItemBlockTest, LongValueIsCutTo25) {
  OldBlock old(ItemSource::kWorker);
  old.Set(0, 0, OldItem("REF12", "999999999999", "100"));
  std::string entry = std::string("1") + "100" + "REF12  " + "999999999999.00";
  EXPECT_EQ(ConvertItemBlock(old.str(), ItemSource::kWorker),
            Block(entry.substr(0, 25)));
}

TEST(ItemBlockTest, ShortBlockCountsAsBlanks) {
  std::string old = OldItem("1", "5", "100") + "  ";
  EXPECT_EQ(ConvertItemBlock(old, ItemSource::kWorker),
            Block(Entry('1', "100", "1", "5.00")));
}

}  // namespace
}  // namespace labrena
