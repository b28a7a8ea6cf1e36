// The sample folder holds what the conversion of rubrics and receipt items
// must meet: the template, the old rubric table's cases, and receipt items
// whose codes, after the second step's mapping, reach every rule.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "convert/item_block.h"
#include "tools/sample/sample.h"
#include "tools/template/rubric_template.h"

namespace labrena {
namespace {

struct Item {
  int code;  // after the second step
  std::string reference;
};

// The items of an old block that the second step keeps (a value above zero,
// the first 24), those with a code field of their own.
std::vector<Item> CodedItems(const sample::ItemBlock& block) {
  std::vector<Item> items;
  int kept = 0;
  for (std::size_t i = 0; i < block.cents.size() && kept < 24; ++i) {
    if (block.cents[i] <= 0) continue;
    ++kept;
    std::string item = block.text.substr(20 * i, 20);
    if (item.substr(17, 3) == "   ") continue;
    std::string reference = sample::RightTrim(item.substr(0, 5));
    int code = MapItemCode(std::stoi(item.substr(17, 3)), &reference);
    items.push_back({code, reference});
  }
  return items;
}

TEST(SampleRubricsTest, TemplateAndOldRubricTable) {
  sample::SampleFolder model =
      sample::BuildSampleFolder(sample::SampleOptions());
  std::map<std::string, std::string> files;
  for (const sample::NamedFile& f : sample::SampleFiles(model)) {
    files[f.name] = f.bytes;
  }
  EXPECT_EQ(files["F31R0.DA3"], tmpl::RubricTemplate());
  EXPECT_FALSE(files["D11.DEN"].empty());

  // C04B.DAT: code 0 (4), description 4 (30), factor 43 (14), mark 79.
  const std::string& table = files["C04B.DAT"];
  ASSERT_EQ(table.size() % 80, 0u);
  std::map<int, std::string> rubrics;
  for (std::size_t at = 0; at < table.size(); at += 80) {
    rubrics[std::stoi(table.substr(at, 4))] = table.substr(at, 80);
  }
  EXPECT_EQ(rubrics[40].substr(43, 14), sample::Pad("1,50", 14));
  EXPECT_EQ(rubrics[42].substr(43, 14), sample::Pad("2,00", 14));
  EXPECT_EQ(rubrics[215][79], '+');
  for (int code : {41, 43, 59, 60, 70, 90, 141, 156, 157, 201, 203, 204}) {
    ASSERT_TRUE(rubrics.count(code)) << code;
    EXPECT_EQ(rubrics[code][79], ' ') << code;
  }
  EXPECT_EQ(rubrics[203].substr(4, 10), "HORA EXTRA");
  EXPECT_EQ(rubrics[204].substr(4, 12), "horas extras");
}

TEST(SampleRubricsTest, ReceiptItemsAfterTheSecondStep) {
  sample::SampleFolder model =
      sample::BuildSampleFolder(sample::SampleOptions());
  std::vector<const sample::ItemBlock*> blocks;
  for (const sample::Register& w : model.workers) blocks.push_back(&w.items);
  for (const sample::Receipt& r : model.receipts) blocks.push_back(&r.items);
  for (const sample::ExtraReceiptFile& file : model.extra_receipts) {
    for (const sample::ExtraReceipt& r : file.records) {
      blocks.push_back(&r.items);
    }
  }

  std::set<int> codes;
  bool pension_share = false;
  std::set<std::string> beside_contribution;  // "", "50", "51", "50 51"
  for (const sample::ItemBlock* block : blocks) {
    std::vector<Item> items = CodedItems(*block);
    bool contribution = false, with50 = false, with51 = false;
    for (const Item& item : items) {
      codes.insert(item.code);
      pension_share |= item.code == 61 && !item.reference.empty();
      contribution |= item.code == 152;
      with50 |= item.code == 50;
      with51 |= item.code == 51;
    }
    if (contribution) {
      beside_contribution.insert(std::string(with50 ? "50" : "") +
                                 (with50 && with51 ? " " : "") +
                                 (with51 ? "51" : ""));
    }
  }
  EXPECT_TRUE(pension_share) << "an item 61 with its share";
  EXPECT_TRUE(beside_contribution.count("")) << "a contribution alone";
  EXPECT_TRUE(beside_contribution.count("50")) << "a contribution with 50";
  EXPECT_TRUE(beside_contribution.count("51")) << "a contribution with 51";
  // Dropped, user rubrics of C04B.DAT, and in neither table.
  for (int code :
       {183, 189, 41, 43, 59, 60, 70, 90, 141, 156, 157, 203, 204, 71, 72}) {
    EXPECT_TRUE(codes.count(code)) << code;
  }
}

}  // namespace
}  // namespace labrena
