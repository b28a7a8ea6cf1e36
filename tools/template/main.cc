// labrena-template: writes the rubric template F31R0.DA3 that ships with the
// product.
//
//   labrena-template --out FILE
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/template/rubric_template.h"

namespace {

constexpr const char* kUsage = "usage: labrena-template --out FILE\n";

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
      continue;
    }
    std::fprintf(stderr, "labrena-template: bad argument %s\n%s", arg.c_str(),
                 kUsage);
    return 2;
  }
  if (out.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string bytes = labrena::tmpl::RubricTemplate();
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "labrena-template: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
