#include "convert/steps.h"

namespace labrena {

void ConvertJobsAndSchedules(Context&) {}

}  // namespace labrena
