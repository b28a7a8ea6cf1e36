#include "convert/steps.h"

namespace labrena {

void CleanUpObsoleteFiles(Context&) {}

}  // namespace labrena
