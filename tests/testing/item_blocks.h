// Payroll-item blocks and receipt amounts built from the generator's model
// as the conversion must write them, shared by the end-to-end tests: the
// entries the second step writes from an old block, and what the fourth
// step makes of every receipt file (new rubric codes, sorted items, the
// amount as formatted money, the pension beneficiaries and the user
// rubrics), from the layouts and code maps of the current version.
#ifndef LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_
#define LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/sample/sample.h"

namespace labrena {

// An amount in cents as an item entry writes it: two decimals, a point.
std::string Money(std::int64_t cents);

// An amount text as the conversion reads it: the last "." or "," is the
// decimal point, the others are dropped, the number ends at the first other
// character (a blank included).
double ReadAmount(const std::string& text);

// An amount in the display form: "." between thousands, "," before the two
// decimals.
std::string DisplayAmount(double amount);

// The second step's default codes of an item whose code field is blank, by
// position, group 1 then group 2: worker register and per-worker receipts
// (20 + 20 items), monthly receipts (11 + 4).
extern const int kWorkerItemCodes[40];
extern const int kMonthlyItemCodes[15];

// An entry the second step writes from an old item.
struct BlockItem {
  int group;              // 1 or 2
  int code;               // the position's default when blank, then mapped
  std::string reference;  // 5 characters
  std::int64_t cents;
};

// The entries the second step writes from an old block: the items valued
// above zero, at most 24.
std::vector<BlockItem> SecondStepItems(const sample::ItemBlock& items,
                                       std::size_t group1, const int* defaults);

// The 601 characters of a block as the second step writes it.
void ExpectItemBlock(const std::string& block, const sample::ItemBlock& items,
                     std::size_t group1, const int* defaults,
                     const std::string& where);

// A receipt file that the fourth step converts in place, and what its
// records held before: the key (first 10 characters), the amount text and
// the old item block.
struct ReceiptFile {
  struct Record {
    std::string key;
    std::string amount;
    sample::ItemBlock items;
  };
  std::string name;  // relative, with '\'
  std::size_t length;
  std::size_t block;  // the item block; the amount field is the 19 before
  std::size_t group1;
  const int* defaults;
  bool worker_register;  // F16R0.DAT: the amount and rubric 61 rules
  std::vector<Record> records;
};

// The receipt files of a sample folder in the order in which the fourth
// step converts them: F16R0.DAT, then R61 and R62 by name.
std::vector<ReceiptFile> ReceiptFiles(const sample::SampleFolder& folder);

// What the fourth step writes into the receipt files, and the records it
// adds to F13R1.DAT and F31R0.DAT.
struct ConvertedReceipts {
  // By file name: the amount field and the 24 items of each record, 619
  // characters.
  std::map<std::string, std::vector<std::string>> regions;
  // F13R1.DAT after the dependants: one pension beneficiary per item of
  // rubric 61 in the worker register.
  std::vector<std::string> pensions;
  // The user rubrics some receipt uses, in the order of the old rubric
  // table: the index of its record there and its new code (700 to 899).
  std::vector<std::pair<std::size_t, int>> user_rubrics;
};

// old_rubrics: the records of F31.DAT (80 characters); dependants: the
// records F13R1.DAT holds before the pension beneficiaries.
ConvertedReceipts ConvertReceipts(const std::vector<ReceiptFile>& files,
                                  const std::vector<std::string>& old_rubrics,
                                  std::size_t dependants);

// A converted amount field and item block against the expected one, item by
// item.
void ExpectRegion(const std::string& got, const std::string& want,
                  const std::string& where);

}  // namespace labrena

#endif  // LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_
