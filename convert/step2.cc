#include "convert/steps.h"

namespace labrena {

void ConvertSecondStep(Context&) {}

}  // namespace labrena
