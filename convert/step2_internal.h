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

#include "convert/layout.h"
#include "convert/report.h"
#include "fields/text.h"
#include "platform/context.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"

namespace labrena {

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
