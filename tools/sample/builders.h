// The builders of the sample folder's families of files and the text helpers
// they share. Each family draws from a random source of its own, so that one
// size option does not reshuffle the others.
#ifndef LABRENA_TOOLS_SAMPLE_BUILDERS_H_
#define LABRENA_TOOLS_SAMPLE_BUILDERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sample/random.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace sample {

// Registers: employers, service takers, workers, dependants, the responsible
// accountant, unions and departments.
void BuildRegisters(const SampleOptions& options, SampleFolder* folder);
// What the fifth step meets: its cases in the registers the steps before it
// convert (set there without drawing from the registers' random source, so
// that the rest stays as drawn), and the files of later versions it reads,
// patches or deletes. Needs the registers; the receipts and tables drawn
// after it see the registers as it leaves them.
void BuildFifthStepInputs(const SampleOptions& options, SampleFolder* folder);
// Monthly receipts, terminations, per-worker receipt files and tax guides.
// Needs the workers and employers.
void BuildReceipts(const SampleOptions& options, SampleFolder* folder);
// Counters, rubrics, leaves, holidays, the Temp folder and obsolete files.
// Needs the registers.
void BuildTables(const SampleOptions& options, SampleFolder* folder);
// The damage of the folder, recorded in the model. Needs every other family.
void BuildDamage(const SampleOptions& options, SampleFolder* folder);

// A random source for one family of files.
Random FamilyRandom(const SampleOptions& options, std::uint64_t family);

// Windows-1252 letter case.
std::string Upper(const std::string& text);
std::string TitleCase(const std::string& text);

// An amount as a DOS program or a user typed it: decimal comma or point,
// with or without thousands separators ("1.234,56", "1234.56", "1,234.56").
std::string AmountText(Random& random, std::int64_t cents);

enum class Gender { kAny, kMale, kFemale };
std::string PersonName(Random& random, Gender gender = Gender::kAny);

struct Address {
  std::string street, number, complement, district, cep, city, state, area;
};
Address RandomAddress(Random& random);
// Puts the address into the fields that FX0.DAT, FW0.DAT and FY0.DAT share.
void PutAddress(const Address& a, Register* r);
std::string RandomPhone(Random& random);
// A day/month/year text of a random day between two years.
std::string RandomDate(Random& random, int first_year, int last_year);

// Default codes of the items of worker records and REG\R*.DAT records whose
// code field is blank, by position: group 1, then group 2.
inline constexpr int kWorkerItemDefaults[40] = {
    1,  2,  3,  18, 19, 200, 102, 100, 14, 12, 201, 202, 0,  0,
    0,  0,  0,  0,  0,  0,   50,  51,  53, 54, 61,  56,  57, 59,
    60, 64, 62, 63, 0,  0,   0,   0,   0,  0,  0,   0};

// A random item block of group1 + group2 items. defaults[i] is the default
// code of item i when its code field is blank (0 or less: no usable default,
// so every valued item there gets a code). With fill_all every item has a
// positive value, more than the 24 entries a new block holds. Now and then
// group 2 holds an INSS contribution with the deduction it settles.
ItemBlock RandomItems(Random& random, int group1, int group2,
                      const int* defaults, bool fill_all);

// Fixed-length record text with fields put at offsets.
class RecordText {
 public:
  explicit RecordText(std::size_t length) : text_(length, ' ') {}
  // Puts the value left-justified in width characters at offset (cut).
  RecordText& Put(std::size_t offset, std::size_t width,
                  const std::string& value);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_BUILDERS_H_
