// Payroll-item blocks. An old block is a run of 20-character items (reference
// 5, value 12, code 3) in two groups; the new block holds up to 24 entries of
// 25 characters (kind 1, code 3, reference 7, value 14) and ends in the
// record's deletion-mark position, written blank: 601 characters.
#ifndef LABRENA_CONVERT_ITEM_BLOCK_H_
#define LABRENA_CONVERT_ITEM_BLOCK_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace labrena {

// Where an old block comes from: worker records (F303.DAT) and REG\R*.DAT
// records hold 20 + 20 items, F310.DAT records 11 + 4. The two also differ
// in their default codes.
enum class ItemSource { kWorker, kF310 };

constexpr std::size_t kOldItemLength = 20;
constexpr std::size_t kItemEntryLength = 25;
constexpr int kMaxItemEntries = 24;
constexpr std::size_t kItemBlockLength = kMaxItemEntries * kItemEntryLength + 1;

int ItemsPerGroup(ItemSource source, int group);
std::size_t OldItemBlockLength(ItemSource source);

// The code of an item whose code field is blank but whose value is not zero;
// -1 marks a position that has no code of its own.
int DefaultItemCode(ItemSource source, int group, int position);

// Maps an item code to the current code table. Codes 14 and 15 with the
// reference 220 replace the reference ("20", "25").
int MapItemCode(int code, std::string* reference);

// The new 601-character block of an old block; missing characters of a
// short block count as blanks.
std::string ConvertItemBlock(std::string_view old_block, ItemSource source);

}  // namespace labrena

#endif  // LABRENA_CONVERT_ITEM_BLOCK_H_
