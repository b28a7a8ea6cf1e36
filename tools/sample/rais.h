// A RAIS declaration for the import, drawn from a seed: Rais.txt, records of
// 551 characters and a CR LF (a declarant record of type 0, employers of type
// 1 each followed by its workers of type 2, a closing record of type 9), and
// beside it the CBO page that ships with the product.
//
// The employers hold every kind of number the import tells apart, simplified
// and rural employers, unions, a duplicate and a refused one; the workers
// every salary type, occupation codes on and off the page, dismissals, and
// missing PIS and CPF numbers. The model keeps each record as written and
// what the import is meant to make of each employer.
#ifndef LABRENA_TOOLS_SAMPLE_RAIS_H_
#define LABRENA_TOOLS_SAMPLE_RAIS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace labrena {
namespace sample {

inline constexpr std::size_t kRaisRecordLength = 551;  // without the CR LF
inline constexpr const char kRaisFileName[] = "Rais.txt";
inline constexpr const char kCboPageName[] = "cod-cbo2002.htm";

struct RaisOptions {
  std::uint64_t seed = 1;
  int workers = 40;  // drawn workers, besides those of the fixed cases
  int base_year = 2018;
};

// The number of an employer record (offset 6, 14 characters).
enum class RaisNumber {
  kCnpj,       // a valid CNPJ, not a valid CEI
  kZeros,      // "00000000000000": the import asks whether a natural person
  kCei,        // "00" and a valid CEI, not a valid CNPJ
  kCaepf,      // 14 digits, neither a valid CNPJ nor a valid CEI
  kCnpjOrCei,  // valid as both: the import asks which
  kInvalid,    // not 14 digits: refused
};

struct RaisEmployer {
  std::size_t record;  // its index in RaisSample::records
  RaisNumber number;
  bool duplicate = false;   // the number of an employer before it: refused
  bool simplified = false;  // a company with the simplified-tax option
  bool rural = false;       // activity code 01 to 03
  std::vector<std::size_t> workers;  // the records of its workers
};

struct RaisSample {
  RaisOptions options;
  std::vector<std::string> records;  // kRaisRecordLength characters each
  std::vector<RaisEmployer> employers;
};

RaisSample BuildRaisSample(const RaisOptions& options);

// Rais.txt: every record followed by CR LF.
std::string RaisFileText(const RaisSample& sample);

// The CBO page that ships with the product, byte for byte.
std::string CboPage();

// Writes Rais.txt and the CBO page into dir, creating it. False, with *error
// set, when a file cannot be written.
bool WriteRaisFolder(const RaisSample& sample, const std::string& dir,
                     std::string* error);

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_RAIS_H_
