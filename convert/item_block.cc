#include "convert/item_block.h"

#include "convert/step2_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"

namespace labrena {

namespace {

// Default codes by position, per group.
constexpr int kWorkerDefaults[2][20] = {
    {1, 2, 3, 18, 19, 200, 102, 100, 14, 12, 201, 202, 0, 0, 0, 0, 0, 0, 0, 0},
    {50, 51, 53, 54, 61, 56, 57, 59, 60, 64, 62, 63, 0, 0, 0, 0, 0, 0, 0, 0}};
constexpr int kF310Group1Defaults[11] = {120, 122, 3,  18,  19, 0,
                                         14,  12,  -1, 121, 0};
constexpr int kF310Group2Defaults[4] = {50, 53, -1, 0};

struct CodePair {
  int from;
  int to;
};

// The first stage's plain pairs (12, 13, 18 to 21 and 14 are handled apart).
constexpr CodePair kFirstStagePairs[] = {{1, 2},   {2, 3},  {3, 180},
                                         {4, 181}, {5, 10}, {6, 4}};
constexpr CodePair kThirdStagePairs[] = {
    {57, 58},   {58, 103},  {190, 151}, {191, 183}, {193, 155},
    {194, 154}, {196, 152}, {197, 182}, {198, 189}, {199, 184}};

// Old item: reference, value, code.
constexpr std::size_t kReferenceWidth = 5;
constexpr std::size_t kValueOffset = 5;
constexpr std::size_t kValueWidth = 12;
constexpr std::size_t kCodeOffset = 17;
constexpr std::size_t kCodeWidth = 3;

// The first pair whose old code matches decides; other codes stay.
template <std::size_t N>
int MapByPairs(const CodePair (&pairs)[N], int code) {
  for (const CodePair& pair : pairs) {
    if (pair.from == code) return pair.to;
  }
  return code;
}

// Codes 14 and 15 mean 35 when the reference reads as 220, with a new
// reference; otherwise their own new code.
int MapHoursCode(std::string* reference, const char* new_reference,
                 int other_code) {
  if (ReadDouble(*reference) == 220.0) {
    *reference = new_reference;
    return 35;
  }
  return other_code;
}

}  // namespace

int ItemsPerGroup(ItemSource source, int group) {
  if (source == ItemSource::kWorker) return 20;
  return group == 0 ? 11 : 4;
}

std::size_t OldItemBlockLength(ItemSource source) {
  return static_cast<std::size_t>(ItemsPerGroup(source, 0) +
                                  ItemsPerGroup(source, 1)) *
         kOldItemLength;
}

int DefaultItemCode(ItemSource source, int group, int position) {
  if (position < 0 || position >= ItemsPerGroup(source, group)) return 0;
  if (source == ItemSource::kWorker) return kWorkerDefaults[group][position];
  return group == 0 ? kF310Group1Defaults[position]
                    : kF310Group2Defaults[position];
}

int MapItemCode(int code, std::string* reference) {
  if (code == 12 || code == 13) {
    code += 21;
  } else if (code >= 18 && code <= 21) {
    code += 22;
  } else if (code == 14) {
    code = MapHoursCode(reference, "20", 36);
  } else {
    code = MapByPairs(kFirstStagePairs, code);
  }
  if (code == 15) code = MapHoursCode(reference, "25", 37);
  return MapByPairs(kThirdStagePairs, code);
}

namespace {

// Converts the old item at (group, position) and appends its entry to *block,
// counting it in *entries. Items whose value is not above zero, items without
// a code, and items after the 24th entry are dropped. The item is whole: its
// block comes padded and cut at its first NUL.
void ConvertItem(std::string_view view, ItemSource source, int group,
                 int position, int* entries, std::string* block) {
  std::string_view value_field = view.substr(kValueOffset, kValueWidth);
  // Most items are empty: a blank value is 0, and an item of value 0 is
  // dropped.
  if (value_field.find_first_not_of(' ') == std::string_view::npos) return;
  std::string reference(CText(view.substr(0, kReferenceWidth)));
  double value = ParseAmount(CText(value_field));
  std::string_view code_field = view.substr(kCodeOffset, kCodeWidth);
  int code = static_cast<int>(ReadLong(CText(code_field)));
  if (value != 0 && code_field == "   ") {
    code = DefaultItemCode(source, group, position);
  }
  if (!(value > 0) || *entries >= kMaxItemEntries) return;
  // A negative code (the default -1) names no payroll item; written as "-01"
  // it would become a bogus item in the later code conversion.
  if (code < 0) return;
  code = MapItemCode(code, &reference);
  // "%d%03d%-7s%-14.2f" of the group, code, reference and value.
  std::string entry = std::to_string(group + 1);
  std::string digits = std::to_string(code);
  if (digits.size() < 3) entry.append(3 - digits.size(), '0');
  entry += digits;
  entry += reference;
  if (reference.size() < 7) entry.append(7 - reference.size(), ' ');
  std::string amount = FormatCents(value);
  entry += amount;
  if (amount.size() < 14) entry.append(14 - amount.size(), ' ');
  block->append(PadText(entry, kItemEntryLength));
  ++*entries;
}

}  // namespace

std::string ConvertItemBlock(std::string_view old_block, ItemSource source) {
  std::string old = PadText(old_block, OldItemBlockLength(source));
  std::string_view view(old);
  std::string block;
  block.reserve(kItemBlockLength);
  int entries = 0;
  std::size_t at = 0;
  for (int group = 0; group < 2; ++group) {
    for (int position = 0; position < ItemsPerGroup(source, group);
         ++position) {
      ConvertItem(view.substr(at, kOldItemLength), source, group, position,
                  &entries, &block);
      at += kOldItemLength;
    }
  }
  block.resize(kItemBlockLength, ' ');
  return block;
}

}  // namespace labrena
