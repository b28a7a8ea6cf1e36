// The conversion steps, each taking the dialog (through the context).
#ifndef LABRENA_CONVERT_STEPS_H_
#define LABRENA_CONVERT_STEPS_H_

#include "platform/context.h"

namespace labrena {

// Step 1: FX0.DAT, FW0.DAT, FY0.DAT to F301.DAT, F302.DAT, F303.DAT.
void ConvertRegisterFiles(Context& ctx);
// Step 2: worker register, item blocks, other registers, counters, renames.
void ConvertSecondStep(Context& ctx);
// Step 3: job and work-schedule registers from the worker register.
void ConvertJobsAndSchedules(Context& ctx);
// Step 4: tax-guide patch, employer, worker and dependant registers,
// receipts and the rubric table.
void ConvertFourthStep(Context& ctx);
// Step 5: code renumbering, the job and schedule registers, the tagged
// patches of the current tables and the F21 conversion.
void ConvertFifthStep(Context& ctx);
// Step 6: clean-up of obsolete files.
void CleanUpObsoleteFiles(Context& ctx);

}  // namespace labrena

#endif  // LABRENA_CONVERT_STEPS_H_
