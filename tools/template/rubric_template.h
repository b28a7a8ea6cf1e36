// The rubric template F31R0.DA3 that ships with the product: the standard
// rubrics of the current version, which the new codes of the receipt items
// name. The fourth conversion step copies it to F31R0.DAT and appends the
// user's own rubrics after it.
#ifndef LABRENA_TOOLS_TEMPLATE_RUBRIC_TEMPLATE_H_
#define LABRENA_TOOLS_TEMPLATE_RUBRIC_TEMPLATE_H_

#include <cstddef>
#include <string>

namespace labrena {
namespace tmpl {

inline constexpr const char kRubricTemplateName[] = "F31R0.DA3";
inline constexpr std::size_t kRubricRecordLength = 300;

// The bytes of the whole file: one record per standard rubric in ascending
// code order, with no line ends between them.
std::string RubricTemplate();

}  // namespace tmpl
}  // namespace labrena

#endif  // LABRENA_TOOLS_TEMPLATE_RUBRIC_TEMPLATE_H_
