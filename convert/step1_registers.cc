#include "convert/steps.h"

namespace labrena {

void ConvertRegisterFiles(Context&) {}

}  // namespace labrena
