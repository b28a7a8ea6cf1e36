// The first conversion step: the oldest register files FX0.DAT, FW0.DAT and
// FY0.DAT, whose fields are each followed by one separator character, become
// the fixed-width record files F301.DAT, F302.DAT and F303.DAT; then four old
// files get the names under which the later steps look for them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>

#include "convert/report.h"
#include "convert/steps.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"
#include "records/retire.h"

namespace labrena {
namespace {

// FX0.DAT: 45 separated fields.
constexpr int kFx0Widths[] = {
    10,  40, 40, 10, 20,  30, 9, 30, 2,  40, 4, 25, 30, 18, 18,    //  0-14
    100, 1,  1,  1,  194, 3,  4, 4,  8,  2,  7, 5,  2,  1,  5,     // 15-29
    1,   20, 20, 20, 15,  5,  5, 1,  10, 7,  7, 1,  1,  1,  160};  // 30-44
// F301.DAT: fields 0, 23, 25 and 44 widened.
constexpr int kF301Widths[] = {
    11,  40, 40, 10, 20,  30, 9, 30, 2,  40, 4,  25, 30, 18, 18,    //  0-14
    100, 1,  1,  1,  194, 3,  4, 4,  9,  2,  10, 5,  2,  1,  5,     // 15-29
    1,   20, 20, 20, 15,  5,  5, 1,  10, 7,  7,  1,  1,  1,  200};  // 30-44
constexpr int kF301Blank[] = {31, 32, 33, 34, 37, 39, 40};

// FW0.DAT: 22 separated fields.
constexpr int kFw0Widths[] = {
    10, 40,  40, 10, 20, 30, 9, 30, 2, 40, 4, 25, 30, 18, 18,  //  0-14
    4,  100, 1,  1,  1,  1,  197};                             // 15-21
// F302.DAT: fields 0 and 21 widened.
constexpr int kF302Widths[] = {
    11, 40,  40, 10, 20, 30, 9, 30, 2, 40, 4, 25, 30, 18, 18,  //  0-14
    4,  100, 1,  1,  1,  1,  218};                             // 15-21

// FY0.DAT: 86 separated fields, then the item block.
constexpr int kFy0Widths[] = {
    10, 40, 40,  10, 20, 30,  9,  30, 2,  40, 4,  25, 30, 10, 100,  //  0-14
    1,  1,  1,   1,  10, 146, 1,  30, 30, 14, 11, 3,  2,  14, 3,    // 15-29
    4,  2,  3,   5,  5,  5,   5,  14, 8,  5,  2,  1,  2,  10, 10,   // 30-44
    1,  10, 7,   2,  1,  2,   4,  10, 2,  20, 7,  2,  2,  10, 2,    // 45-59
    10, 2,  176, 40, 40, 20,  40, 1,  1,  6,  92, 40, 10, 40, 10,   // 60-74
    40, 10, 40,  10, 40, 10,  40, 10, 40, 10, 13};                  // 75-85
// F303.DAT: fields 0, 20, 25, 26, 28, 37, 47, 54, 55, 62 and 85 resized.
constexpr int kF303Widths[] = {
    11, 40, 40, 10, 20, 30, 9,  30, 2,  40, 4,  25, 30, 10, 100,  //  0-14
    1,  1,  1,  1,  10, 10, 1,  30, 30, 14, 18, 10, 2,  18, 3,    // 15-29
    4,  2,  3,  5,  5,  5,  5,  18, 8,  5,  2,  1,  2,  10, 10,   // 30-44
    1,  10, 10, 2,  1,  2,  4,  10, 2,  30, 2,  2,  2,  10, 2,    // 45-59
    10, 2,  10, 40, 40, 20, 40, 1,  1,  6,  92, 40, 10, 40, 10,   // 60-74
    40, 10, 40, 10, 40, 10, 40, 10, 40, 10, 14};                  // 75-85
constexpr int kF303Blank[] = {20, 54, 55, 62, 69, 70, 71, 72, 73, 74,
                              75, 76, 77, 78, 79, 80, 81, 82, 83, 84};

// The item block after each FY0.DAT record: four pieces of 200 characters,
// with no separator.
constexpr int kItemPieces = 4;
constexpr std::size_t kItemPiece = 200;

constexpr int Sum(std::span<const int> widths) {
  return std::accumulate(widths.begin(), widths.end(), 0);
}
constexpr int Offset(std::span<const int> widths, std::size_t field) {
  return Sum(widths.first(field));
}

static_assert(std::size(kFx0Widths) == 45 && Sum(kFx0Widths) == 938);
static_assert(std::size(kF301Widths) == 45 && Sum(kF301Widths) == 983);
static_assert(std::size(kFw0Widths) == 22 && Sum(kFw0Widths) == 631);
static_assert(std::size(kF302Widths) == 22 && Sum(kF302Widths) == 653);
static_assert(std::size(kFy0Widths) == 86 && Sum(kFy0Widths) == 1622);
static_assert(std::size(kF303Widths) == 86 && Sum(kF303Widths) == 1352);
// Offsets that the later steps read.
static_assert(Offset(kF302Widths, 13) == 291 && Offset(kF302Widths, 15) == 327);
static_assert(Offset(kF303Widths, 62) == 738 &&
              Offset(kF303Widths, 85) == 1338);

struct RegisterFormat {
  const char* old_name;
  int number;  // of the new file, "F3%02d.DAT"
  std::span<const int> old_widths;
  std::span<const int> new_widths;
  std::span<const int> blank_fields;  // read, but written as blanks
  int item_pieces;                    // pieces of 200 after the fields
};

constexpr RegisterFormat kFormats[] = {
    {"FX0.DAT", 1, kFx0Widths, kF301Widths, kF301Blank, 0},
    {"FW0.DAT", 2, kFw0Widths, kF302Widths, {}, 0},
    {"FY0.DAT", 3, kFy0Widths, kF303Widths, kF303Blank, kItemPieces},
};

// The old files that later steps read under new names.
struct NewName {
  const char* old_name;
  const char* new_name;
};
constexpr NewName kNewNames[] = {
    {"FZ0.DAT", "F304.DAT"},
    {"RESP.DAT", "F305.DAT"},
    {"REG\\REGFE.DAT", "F310.DAT"},
    {"REG\\REGRE.DAT", "F311.DAT"},
};

// Copies every record of the old file into the new one, until the data
// ends or a write fails. Fields are read at full width; a record cut short
// by the end of the data keeps the fields read so far.
void CopyRecords(SeparatedReader& in, Outputs& outputs, FileStream* out,
                 const RegisterFormat& format) {
  std::string value;
  while (!in.AtEnd()) {
    for (std::size_t i = 0; i < format.old_widths.size(); ++i) {
      if (!in.Field(format.old_widths[i], &value)) return;
      bool blank =
          std::ranges::find(format.blank_fields, static_cast<int>(i)) !=
          format.blank_fields.end();
      if (!outputs.Write(out, PadText(blank ? "" : CText(value),
                                      format.new_widths[i]))) {
        return;
      }
      in.Separator();
    }
    // Pieces missing at the end of the file are written as blanks, so that
    // a record whose fields are all there is written whole.
    for (int k = 0; k < format.item_pieces; ++k) {
      in.Field(kItemPiece, &value);
      if (!outputs.Write(out, PadText(CText(value), kItemPiece))) return;
    }
    in.EndRecord();
  }
}

void ConvertRegisterFile(Context& ctx, const RegisterFormat& format) {
  Env& env = ctx.env;
  std::string new_name = Format("F3%02d.DAT", format.number);
  // An existing new file is kept as it is; the old file is retired anyway.
  if (env.Exists(new_name)) {
    if (env.Exists(format.old_name)) RetireOld(ctx, format.old_name);
    return;
  }
  bool failed = false;
  File in = OpenSource(ctx, format.old_name, new_name, &failed);
  if (!in) return;
  Outputs outputs(env, 1);
  FileStream* out = outputs.Get(new_name);
  SeparatedReader reader(in.get());
  if (out != nullptr) CopyRecords(reader, outputs, out, format);
  SourceRead read{reader.failed(), reader.repaired()};
  CloseFile(in);
  Settle(ctx, outputs, format.old_name, new_name, read);
}

}  // namespace

void ConvertRegisterFiles(Context& ctx) {
  for (const RegisterFormat& format : kFormats) {
    ConvertRegisterFile(ctx, format);
  }
  for (const NewName& name : kNewNames) {
    RenameOldFile(ctx, name.old_name, name.new_name);
  }
}

}  // namespace labrena
