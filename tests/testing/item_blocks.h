// Checks of converted payroll-item blocks against the generator's model,
// shared by the end-to-end tests.
#ifndef LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_
#define LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/sample/sample.h"

namespace labrena {

// An amount in cents as an item entry writes it: two decimals, a point.
inline std::string Money(std::int64_t cents) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.2f", static_cast<double>(cents) / 100.0);
  return buf;
}

// The item block a conversion writes from an old one: an entry for each
// item with a value above zero, at most 24, then blanks to 601.
inline void ExpectItemBlock(const std::string& block,
                            const sample::ItemBlock& items,
                            std::size_t group1, const std::string& where) {
  ASSERT_EQ(block.size(), 601u) << where;
  std::size_t n = 0;
  for (std::size_t i = 0; i < items.cents.size() && n < 24; ++i) {
    if (items.cents[i] <= 0) continue;
    std::string entry = block.substr(25 * n, 25);
    EXPECT_EQ(entry[0], i < group1 ? '1' : '2') << where << " entry " << n;
    EXPECT_EQ(entry.substr(11, 14), sample::Pad(Money(items.cents[i]), 14))
        << where << " entry " << n;
    ++n;
  }
  EXPECT_EQ(block.substr(25 * n), std::string(601 - 25 * n, ' '))
      << where << ": " << n << " entries expected";
}

}  // namespace labrena

#endif  // LABRENA_TESTS_TESTING_ITEM_BLOCKS_H_
