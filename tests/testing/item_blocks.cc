#include "tests/testing/item_blocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace labrena {
namespace {

using sample::Pad;

constexpr std::size_t kEntry = 25;
constexpr std::size_t kEntries = 24;
constexpr std::size_t kAmountField = 19;

std::string Code3(int code) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%03d", code);
  return buf;
}

// The second step's code mapping, in its three stages; codes 14 and 15
// with a reference of 220 take another reference.
int MappedCode(int code, std::string* reference) {
  if (code == 12 || code == 13) {
    code += 21;
  } else if (code >= 18 && code <= 21) {
    code += 22;
  } else if (code >= 1 && code <= 6) {
    static constexpr int kFirst[] = {2, 3, 180, 181, 10, 4};
    code = kFirst[code - 1];
  } else if (code == 14) {
    bool twenty = ReadAmount(*reference) == 220;
    code = twenty ? 35 : 36;
    if (twenty) *reference = "20";
  }
  if (code == 15) {
    bool twenty_five = ReadAmount(*reference) == 220;
    code = twenty_five ? 35 : 37;
    if (twenty_five) *reference = "25";
  }
  static constexpr int kThird[][2] = {
      {57, 58},   {58, 103},  {190, 151}, {191, 183}, {193, 155},
      {194, 154}, {196, 152}, {197, 182}, {198, 189}, {199, 184}};
  for (const auto& pair : kThird) {
    if (pair[0] == code) return pair[1];
  }
  return code;
}

std::string EntryText(const BlockItem& item) {
  return (std::to_string(item.group) + Code3(item.code) +
          Pad(item.reference, 7) + Pad(Money(item.cents), 14))
      .substr(0, kEntry);
}

// The fourth step's standard code map: old rubric code to new, 0 where the
// old rubric has no standard counterpart.
constexpr int kStandardCodes[][2] = {
    {1, 1},     {2, 11},    {3, 21},    {4, 23},    {5, 25},    {33, 90},
    {34, 92},   {35, 60},   {36, 64},   {37, 66},   {40, 30},   {41, 0},
    {42, 36},   {43, 0},    {50, 500},  {51, 501},  {52, 502},  {53, 540},
    {54, 541},  {55, 542},  {56, 600},  {57, 601},  {58, 670},  {59, 0},
    {60, 0},    {61, 560},  {63, 628},  {64, 580},  {65, 583},  {66, 581},
    {67, 582},  {100, 340}, {101, 411}, {102, 350}, {103, 680}, {120, 360},
    {121, 364}, {122, 361}, {123, 685}, {130, 418}, {131, 424}, {132, 430},
    {133, 420}, {140, 405}, {141, 0},   {142, 691}, {150, 300}, {151, 234},
    {152, 962}, {153, 325}, {154, 994}, {155, 988}, {156, 0},   {157, 0},
    {158, 996}, {159, 990}, {180, 251}, {181, 242}, {182, 934}, {183, 0},
    {184, 930}, {187, 343}, {189, 0}};

int StandardCode(int old_code) {
  for (const auto& pair : kStandardCodes) {
    if (pair[0] == old_code) return pair[1];
  }
  return 0;
}

// The old rubric code of a live F31.DAT record; 0 for a deleted one.
int RubricCode(const std::string& old) {
  return old[79] == '+' ? 0 : std::atoi(old.substr(0, 4).c_str());
}

// The user rubric table: the old rubric table's own rubrics first, then the
// codes that receipts use and no table knows, entry i under the code
// 700 + i.
class UserRubrics {
 public:
  explicit UserRubrics(const std::vector<std::string>& old_rubrics) {
    for (const std::string& old : old_rubrics) {
      int code = RubricCode(old);
      if (code == 0 || !IsUserRubric(code, old)) continue;
      codes_.push_back(code);
      used_.push_back(false);
    }
  }

  int NewCode(int old_code) {
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      if (codes_[i] == old_code) {
        used_[i] = true;
        return 700 + static_cast<int>(i);
      }
    }
    int code = StandardCode(old_code);
    if (code != 0) return code;
    if (codes_.size() == 200) return 899;
    codes_.push_back(old_code);
    used_.push_back(true);
    return 700 + static_cast<int>(codes_.size()) - 1;
  }

  std::vector<std::pair<std::size_t, int>> Used(
      const std::vector<std::string>& old_rubrics) const {
    std::vector<std::pair<std::size_t, int>> used;
    for (std::size_t n = 0; n < old_rubrics.size(); ++n) {
      int code = RubricCode(old_rubrics[n]);
      for (std::size_t i = 0; code != 0 && i < codes_.size(); ++i) {
        if (codes_[i] == code && used_[i]) {
          used.push_back({n, 700 + static_cast<int>(i)});
          break;
        }
      }
    }
    return used;
  }

 private:
  // Rubrics 40 and 42 are standard at their standard factors 1,50 and
  // 2,00; some others are the user's whatever the standard map says.
  static bool IsUserRubric(int code, const std::string& old) {
    if (code == 40 || code == 42) {
      auto factor =
          static_cast<std::int64_t>(ReadAmount(old.substr(43, 14)) * 100);
      return factor != (code == 40 ? 150 : 200);
    }
    if (code == 41 || code == 43 || code == 59 || code == 60 || code == 141 ||
        code == 156 || code == 157 || code >= 200) {
      return true;
    }
    if (code == 183 || code == 189) return false;
    return StandardCode(code) == 0;
  }

  std::vector<int> codes_;
  std::vector<bool> used_;
};

// An item of a receipt while the fourth step converts it.
struct Item {
  int kind = 0;  // 0 for an empty item
  int old_code = 0;
  int new_code = 0;
  std::string reference;
  double value = 0;
  int SortKind() const { return kind == 0 ? 9 : kind; }
};

std::string NewEntry(const Item& item) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%1d%03d%-7s%-14.2f", item.kind,
                item.new_code, item.reference.c_str(), item.value);
  return buf;
}

// The contribution item (152) settles the deductions 50 and 51 beside it
// and turns into its base.
void Settle(std::vector<Item>& items, Item& contribution) {
  double rest = contribution.value;
  int codes = 0;
  for (Item& other : items) {
    if (rest <= 0) break;
    if (other.old_code != 50 && other.old_code != 51) continue;
    codes += other.old_code;
    if (rest > other.value) {
      rest -= other.value;
      other = Item();
    } else {
      other.value -= rest;
      rest = 0;
    }
  }
  if (codes == 51) contribution.new_code = 963;
  double rate = ReadAmount(contribution.reference);
  if (!(rate > 0)) rate = 11;
  contribution.value = 100 / rate * contribution.value;
}

std::string Region(const ReceiptFile& file, const ReceiptFile::Record& record,
                   UserRubrics& rubrics, std::vector<std::string>* pensions) {
  double amount = ReadAmount(record.amount);
  std::vector<Item> items(kEntries);
  std::vector<BlockItem> written =
      SecondStepItems(record.items, file.group1, file.defaults);
  for (std::size_t j = 0; j < written.size(); ++j) {
    const BlockItem& w = written[j];
    Item& item = items[j];
    item.old_code = w.code;
    item.kind = w.code == 152 || w.code == 182 || w.code == 184 ? 3 : w.group;
    // The reference as the entry holds it, leading blanks dropped.
    std::string reference = Pad(w.reference, 5);
    item.reference = reference.substr(
        std::min(reference.find_first_not_of(' '), reference.size()));
    item.value = static_cast<double>(w.cents) / 100.0;
  }
  for (Item& item : items) {
    if (item.old_code <= 0) continue;
    if (item.old_code == 183 || item.old_code == 189) {
      item = Item();
      continue;
    }
    item.new_code = rubrics.NewCode(item.old_code);
    if (item.old_code == 152) Settle(items, item);
    if (file.worker_register && item.old_code == 2 && item.value == amount) {
      item.new_code = 1;
      item.reference = "1";
    }
    if (file.worker_register && item.old_code == 61) {
      pensions->push_back(item.reference);
    }
  }
  // Kind 1, 2, 3, then the empty items; by code within a kind; each
  // position exchanged with every later item that sorts before it.
  for (std::size_t i = 0; i < kEntries; ++i) {
    for (std::size_t j = i + 1; j < kEntries; ++j) {
      if (items[j].SortKind() < items[i].SortKind() ||
          (items[j].SortKind() == items[i].SortKind() &&
           items[j].new_code < items[i].new_code)) {
        std::swap(items[i], items[j]);
      }
    }
  }
  std::string region = Pad(DisplayAmount(amount), kAmountField);
  for (const Item& item : items) region += NewEntry(item);
  return region;
}

// A pension beneficiary of F13R1.DAT: number, name, kind of person 1, the
// worker's key, pension type 35, the share and a flag.
std::string PensionRecord(std::size_t number, const std::string& key,
                          const std::string& reference) {
  char code[16];
  std::snprintf(code, sizeof(code), "%05zu", number);
  std::string record(1000, ' ');
  for (auto [at, text] : {std::pair<std::size_t, std::string>{0, code},
                          {11, "BENEFICI\xC1RIO PENS\xC3O"},
                          {238, "1"},
                          {502, key},
                          {671, "35"},
                          {673, reference},
                          {692, "1"}}) {
    record.replace(at, text.size(), text);
  }
  return record;
}

}  // namespace

const int kWorkerItemCodes[40] = {1,   2,   3,  18, 19, 200, 102, 100, 14, 12,
                                  201, 202, 0,  0,  0,  0,   0,   0,   0,  0,
                                  50,  51,  53, 54, 61, 56,  57,  59,  60, 64,
                                  62,  63,  0,  0,  0,  0,   0,   0,   0,  0};
const int kMonthlyItemCodes[15] = {120, 122, 3, 18, 19, 0,  14, 12,
                                   -1,  121, 0, 50, 53, -1, 0};

std::string Money(std::int64_t cents) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.2f", static_cast<double>(cents) / 100.0);
  return buf;
}

double ReadAmount(const std::string& text) {
  std::string number;
  bool point = false;
  std::string head = text.substr(0, 30);
  for (std::size_t i = head.size(); i-- > 0;) {
    char c = head[i];
    if (c == '.' || c == ',') {
      if (!point) number += '.';
      point = true;
    } else if (c != 'e' && c != 'E') {
      number += c;
    }
  }
  std::reverse(number.begin(), number.end());
  return std::strtod(number.c_str(), nullptr);
}

std::string DisplayAmount(double amount) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%.2f", std::fabs(amount));
  std::string fixed = buf;
  std::size_t digits = fixed.find('.');
  std::string out = amount < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) out += '.';
    out += fixed[i];
  }
  return out + "," + fixed.substr(digits + 1);
}

std::vector<BlockItem> SecondStepItems(const sample::ItemBlock& items,
                                       std::size_t group1,
                                       const int* defaults) {
  std::vector<BlockItem> written;
  for (std::size_t i = 0; i < items.cents.size() && written.size() < kEntries;
       ++i) {
    if (items.cents[i] <= 0) continue;
    // Old item: reference 5, value 12, code 3.
    std::string code = items.text.substr(20 * i + 17, 3);
    std::string reference = items.text.substr(20 * i, 5);
    int old_code = code == "   " ? defaults[i] : std::atoi(code.c_str());
    written.push_back({i < group1 ? 1 : 2, MappedCode(old_code, &reference),
                       reference, items.cents[i]});
  }
  return written;
}

void ExpectItemBlock(const std::string& block, const sample::ItemBlock& items,
                     std::size_t group1, const int* defaults,
                     const std::string& where) {
  ASSERT_EQ(block.size(), 601u) << where;
  std::string want;
  for (const BlockItem& item : SecondStepItems(items, group1, defaults)) {
    want += EntryText(item);
  }
  want.resize(601, ' ');
  for (std::size_t at = 0; at < block.size(); at += kEntry) {
    if (block.compare(at, kEntry, want, at, kEntry) != 0) {
      ADD_FAILURE() << where << ", entry " << at / kEntry << ": \""
                    << block.substr(at, kEntry) << "\", expected \""
                    << want.substr(at, kEntry) << "\"";
      return;
    }
  }
}

std::vector<ReceiptFile> ReceiptFiles(const sample::SampleFolder& folder) {
  ReceiptFile workers{"F16R0.DAT", 2000, 1399, 20, kWorkerItemCodes, true, {}};
  for (const sample::Register& w : folder.workers) {
    workers.records.push_back({Pad(w.Field(sample::kCode), 10),
                               w.Field(sample::kWorkerAmount), w.items});
  }
  std::vector<ReceiptFile> files = {workers};

  std::vector<ReceiptFile> yearly;
  for (const sample::ExtraReceiptFile& extra : folder.extra_receipts) {
    ReceiptFile file{"R61\\" + extra.name.substr(1),
                     701,
                     100,
                     20,
                     kWorkerItemCodes,
                     false,
                     {}};
    for (const sample::ExtraReceipt& r : extra.records) {
      file.records.push_back({r.code.substr(0, 10), r.amount, r.items});
    }
    yearly.push_back(file);
  }
  std::sort(yearly.begin(), yearly.end(),
            [](const ReceiptFile& a, const ReceiptFile& b) {
              return a.name < b.name;
            });
  files.insert(files.end(), yearly.begin(), yearly.end());

  std::map<int, ReceiptFile> monthly;
  for (const sample::Receipt& r : folder.receipts) {
    auto [it, fresh] = monthly.try_emplace(
        r.year, ReceiptFile{"R62\\" + std::to_string(r.year) + ".DAT",
                            850,
                            249,
                            11,
                            kMonthlyItemCodes,
                            false,
                            {}});
    it->second.records.push_back({r.head.substr(0, 10), r.amount, r.items});
  }
  for (const auto& [year, file] : monthly) files.push_back(file);
  return files;
}

ConvertedReceipts ConvertReceipts(const std::vector<ReceiptFile>& files,
                                  const std::vector<std::string>& old_rubrics,
                                  std::size_t dependants) {
  ConvertedReceipts converted;
  UserRubrics rubrics(old_rubrics);
  for (const ReceiptFile& file : files) {
    std::vector<std::string>& regions = converted.regions[file.name];
    for (const ReceiptFile::Record& record : file.records) {
      std::vector<std::string> references;
      regions.push_back(Region(file, record, rubrics, &references));
      for (const std::string& reference : references) {
        converted.pensions.push_back(PensionRecord(
            dependants + converted.pensions.size() + 1, record.key, reference));
      }
    }
  }
  converted.user_rubrics = rubrics.Used(old_rubrics);
  return converted;
}

void ExpectRegion(const std::string& got, const std::string& want,
                  const std::string& where) {
  ASSERT_EQ(got.size(), kAmountField + kEntries * kEntry) << where;
  EXPECT_EQ(got.substr(0, kAmountField), want.substr(0, kAmountField))
      << where << ": amount";
  for (std::size_t n = 0; n < kEntries; ++n) {
    std::size_t at = kAmountField + n * kEntry;
    if (got.compare(at, kEntry, want, at, kEntry) != 0) {
      ADD_FAILURE() << where << ", item " << n << ": \""
                    << got.substr(at, kEntry) << "\", expected \""
                    << want.substr(at, kEntry) << "\"";
      return;
    }
  }
}

}  // namespace labrena
