// The second conversion step: the worker register and its payroll-item
// blocks, the receipts per year and per worker, the other registers, the
// counters and the final renames.
#include "convert/step2_internal.h"

#include <utility>

#include "convert/steps.h"

namespace labrena {

std::string BuildRecord(std::string_view old_record,
                        std::span<const NewField> fields,
                        std::initializer_list<std::string_view> computed) {
  std::string record;
  auto next = computed.begin();
  for (const NewField& field : fields) {
    std::string_view value;
    if (field.from == kComputed) {
      if (next != computed.end()) value = *next++;
    } else if (field.length > 0 &&
               static_cast<std::size_t>(field.from) < old_record.size()) {
      value = old_record.substr(static_cast<std::size_t>(field.from),
                                static_cast<std::size_t>(field.length));
    }
    std::size_t width = static_cast<std::size_t>(field.width);
    std::size_t start = record.size();
    record.append(CText(value).substr(0, width));
    record.resize(start + width, ' ');
  }
  return record;
}

bool IsFile(Env& env, const std::string& name) {
  return env.Exists(name) && !env.IsDirectory(name);
}

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
