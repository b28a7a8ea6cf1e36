// The sub-steps of the second conversion step and what they share: reading
// old record files, building new records from layout tables, and writing the
// new files so that a failed write loses nothing.
#ifndef LABRENA_CONVERT_STEP2_INTERNAL_H_
#define LABRENA_CONVERT_STEP2_INTERNAL_H_

#include <cstddef>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/report.h"
#include "fields/text.h"
#include "platform/context.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"

namespace labrena {


// One field of a new record: its width, and the characters of the old record
// it holds (from, length), left-justified and blank-padded. A length of 0
// gives blanks; from == kComputed takes the next value the step works out.
struct NewField {
  int width;
  int from;
  int length;
};
constexpr int kComputed = -1;

template <std::size_t N>
constexpr int RecordLength(const NewField (&fields)[N]) {
  int length = 0;
  for (const NewField& field : fields) length += field.width;
  return length;
}

// Builds a new record from an old one through a layout table. Every value is
// C text (it ends at a zero byte), cut or padded to its field's width.
std::string BuildRecord(std::string_view old_record,
                        std::span<const NewField> fields,
                        std::initializer_list<std::string_view> computed = {});

// True when the name is a file of the data folder (not a folder).
bool IsFile(Env& env, const std::string& name);

// The sub-steps, in the order the step runs them. Those that write return
// false after a failure they have reported; the step then ends, and the old
// files not yet converted wait in the data folder for the next run.
// The worker register reads F310.DAT for its dates and leaves it open in
// *receipt_heads; the yearly receipts read it again from there, or open it
// themselves when the worker register did not read it.
bool ConvertWorkerRegister(Context& ctx, File* receipt_heads);
bool ConvertYearReceipts(Context& ctx, File receipt_heads);
void RetireOldReceipts(Context& ctx);
bool ConvertWorkerReceipts(Context& ctx);
bool ConvertTaxGuides(Context& ctx);
bool ConvertUnionRegister(Context& ctx);
bool ConvertF07Register(Context& ctx);
bool ConvertResponsible(Context& ctx);
bool ConvertF02Register(Context& ctx);
bool MoveCounters(Context& ctx);
void RenameConvertedFiles(Context& ctx);

}  // namespace labrena

#endif  // LABRENA_CONVERT_STEP2_INTERNAL_H_
