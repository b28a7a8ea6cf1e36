// The second conversion step: the worker register and its payroll-item
// blocks, the receipts per year and per worker, the other registers, the
// counters and the final renames.
#include "convert/step2_internal.h"

#include <utility>

#include "convert/steps.h"

namespace labrena {

void ConvertSecondStep(Context& ctx) {
  // After a failure in the first step its old files wait for the next run,
  // and so does this step: the worker register needs both FY0.DAT and the
  // receipts that F310.DAT holds.
  if (ctx.notes.any_kept()) return;
  // The worker register goes first: it takes its next-period dates from
  // F310.DAT, which the yearly receipts then retire. After a failure the
  // step ends, so nothing that a later run still needs is retired.
  File receipt_heads;
  if (!ConvertWorkerRegister(ctx, &receipt_heads) ||
      !ConvertYearReceipts(ctx, std::move(receipt_heads))) {
    return;
  }
  RetireOldReceipts(ctx);
  if (!ConvertWorkerReceipts(ctx) || !ConvertTaxGuides(ctx) ||
      !ConvertUnionRegister(ctx) || !ConvertF07Register(ctx) ||
      !ConvertResponsible(ctx) || !ConvertF02Register(ctx) ||
      !MoveCounters(ctx)) {
    return;
  }
  RenameConvertedFiles(ctx);
}

}  // namespace labrena
