// The fourth conversion step: the tax-guide patch, the employer, worker and
// dependant registers of the current version, and then the receipts and the
// rubric table, in this fixed order.
#include "convert/step4_internal.h"
#include "convert/steps.h"

namespace labrena {

void ConvertFourthStep(Context& ctx) {
  // After a failure earlier in the run, the registers and receipts this
  // step converts may not all be there yet: it waits for the next run,
  // which converts them all at once.
  if (ctx.notes.any_kept()) return;
  PatchTaxGuides(ctx);
  ConvertEmployers(ctx);
  ConvertWorkers(ctx);
  ConvertDependants(ctx);
  ConvertRubricsAndReceipts(ctx);
}

}  // namespace labrena
