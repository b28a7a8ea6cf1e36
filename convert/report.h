// The message a conversion step shows when writing a new file failed (a full
// disk, a file that could not be written): the old file was kept.
#ifndef LABRENA_CONVERT_REPORT_H_
#define LABRENA_CONVERT_REPORT_H_

#include <string>

#include "platform/context.h"

namespace labrena {

// Tells the user that converting source into target failed and that the
// source stays in the data folder.
void ReportFailure(Context& ctx, const std::string& source,
                   const std::string& target);

}  // namespace labrena

#endif  // LABRENA_CONVERT_REPORT_H_
