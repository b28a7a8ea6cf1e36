// The CBO page that ships with the product (resources/cod-cbo2002.htm), as
// the build compiles it in, so that the generator writes it wherever it runs.
#ifndef LABRENA_TOOLS_SAMPLE_CBO_PAGE_H_
#define LABRENA_TOOLS_SAMPLE_CBO_PAGE_H_

#include <cstddef>

namespace labrena {
namespace sample {

extern const char kCboPage[];
extern const std::size_t kCboPageSize;

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_CBO_PAGE_H_
