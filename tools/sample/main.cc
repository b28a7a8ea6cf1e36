// labrena-sample: writes a deterministic data folder of the oldest product
// version, for trying the converter and for tests and benchmarks.
//
//   labrena-sample --out DIR [--seed N] [--employers N] [--workers N]
//                  [--dependants N] [--receipts N] [--years N] [--takers N]
//                  [--damage]
//   labrena-sample --rais --out DIR [--seed N] [--workers N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/sample/rais.h"
#include "tools/sample/sample.h"

namespace {

constexpr const char* kUsage =
    "usage: labrena-sample --out DIR [--seed N] [--employers N] [--workers N]\n"
    "                      [--dependants N] [--receipts N] [--years N]\n"
    "                      [--takers N] [--damage]\n"
    "       labrena-sample --rais --out DIR [--seed N] [--workers N]\n"
    "  --receipts N   monthly receipts per worker and year (0 to 12)\n"
    "  --years N      receipt years, ending with 2012\n"
    "  --takers N     service takers, every worker naming one (the fifth\n"
    "                 step merges a record for each); without it, the\n"
    "                 sample's own cases\n"
    "  --damage       line ends and end marks in fields, records cut short,\n"
    "                 names with backslashes, a link to a file beside DIR\n"
    "                 (written there too) and a case twin of F308.DAT\n"
    "  --rais         instead of a data folder, a RAIS declaration to import:\n"
    "                 DIR/Rais.txt and the CBO page DIR/cod-cbo2002.htm\n"
    "                 (--workers N: workers drawn besides the fixed cases)\n";

bool ParseCount(const char* text, long long max, long long* value) {
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  labrena::sample::SampleOptions options;
  std::string out;
  bool rais = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--damage") {
      options.damage = true;
      continue;
    }
    if (arg == "--rais") {
      rais = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "labrena-sample: %s needs a value\n%s", arg.c_str(),
                   kUsage);
      return 2;
    }
    const char* value = argv[++i];
    long long n = 0;
    bool ok = true;
    if (arg == "--out") {
      out = value;
    } else if (arg == "--seed") {
      ok = ParseCount(value, 1LL << 62, &n);
      options.seed = static_cast<std::uint64_t>(n);
    } else if (arg == "--employers") {
      ok = ParseCount(value, 99999, &n) && n > 0;
      options.employers = static_cast<int>(n);
    } else if (arg == "--workers") {
      ok = ParseCount(value, 99999, &n);
      options.workers = static_cast<int>(n);
    } else if (arg == "--dependants") {
      ok = ParseCount(value, 99999, &n);
      options.dependants = static_cast<int>(n);
    } else if (arg == "--receipts") {
      ok = ParseCount(value, 12, &n);
      options.receipts = static_cast<int>(n);
    } else if (arg == "--years") {
      ok = ParseCount(value, 30, &n);
      options.years = static_cast<int>(n);
    } else if (arg == "--takers") {
      ok = ParseCount(value, 99999, &n) && n > 0;
      options.service_takers = static_cast<int>(n);
    } else {
      std::fprintf(stderr, "labrena-sample: unknown argument %s\n%s",
                   arg.c_str(), kUsage);
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "labrena-sample: bad value for %s: %s\n",
                   arg.c_str(), value);
      return 2;
    }
  }
  if (out.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  if (rais) {
    labrena::sample::RaisOptions rais_options;
    rais_options.seed = options.seed;
    rais_options.workers = options.workers;
    if (!labrena::sample::WriteRaisFolder(
            labrena::sample::BuildRaisSample(rais_options), out, &error)) {
      std::fprintf(stderr, "labrena-sample: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (!labrena::sample::WriteSampleFolder(
          labrena::sample::BuildSampleFolder(options), out, &error)) {
    std::fprintf(stderr, "labrena-sample: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
