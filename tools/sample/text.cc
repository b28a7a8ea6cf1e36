// Text helpers of the sample folder's builders.
#include <cstdio>

#include "tools/sample/builders.h"
#include "tools/sample/registration.h"
#include "tools/sample/vocabulary.h"

namespace labrena {
namespace sample {

Random FamilyRandom(const SampleOptions& options, std::uint64_t family) {
  Random mix(options.seed * 0x100000001B3ull + family);
  return Random(mix.Next());
}

std::string Pad(const std::string& text, std::size_t width) {
  std::string padded = text.substr(0, width);
  padded.resize(width, ' ');
  return padded;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  std::string cut = text.substr(0, width);
  return std::string(width - cut.size(), ' ') + cut;
}

std::string RightTrim(const std::string& text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

std::string DateText(int day, int month, int year) {
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%02d/%02d/%04d", day, month, year);
  return buf;
}

int DaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30,
                                    31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

namespace {

bool IsLowerLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}
bool IsUpperLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

}  // namespace

std::string Upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (IsLowerLetter(static_cast<unsigned char>(c)))
      c = static_cast<char>(c - 0x20);
  }
  return out;
}

std::string TitleCase(const std::string& text) {
  std::string out = text;
  bool word_start = true;
  for (char& c : out) {
    auto u = static_cast<unsigned char>(c);
    if (word_start && IsLowerLetter(u)) {
      c = static_cast<char>(c - 0x20);
    } else if (!word_start && IsUpperLetter(u)) {
      c = static_cast<char>(c + 0x20);
    }
    word_start = c == ' ';
  }
  return out;
}

std::string AmountText(Random& random, std::int64_t cents) {
  std::int64_t a = cents < 0 ? -cents : cents;
  long long units = a / 100;
  long long decimals = a % 100;
  std::string digits = std::to_string(units);
  auto grouped = [&digits](char separator) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
      out += digits[i];
    }
    return out;
  };
  char tail[48];
  std::snprintf(tail, sizeof(tail), "%02lld", decimals);
  std::string text;
  switch (random.Uniform(5)) {
    case 0:  // Brazilian display form
      text = grouped('.') + "," + tail;
      break;
    case 1:
      text = digits + "," + tail;
      break;
    case 2:
      text = digits + "." + tail;
      break;
    case 3:  // typed on a machine set up in English
      text = grouped(',') + "." + tail;
      break;
    default:  // whole amounts typed without decimals
      text = decimals == 0 ? digits : digits + "," + tail;
      break;
  }
  return cents < 0 ? "-" + text : text;
}

std::string PersonName(Random& random, Gender gender) {
  if (gender == Gender::kAny)
    gender = random.OneIn(2) ? Gender::kMale : Gender::kFemale;
  auto first = [&random, gender]() -> std::string {
    return gender == Gender::kMale ? random.Pick(kMaleNames)
                                   : random.Pick(kFemaleNames);
  };
  std::string name = first();
  if (random.OneIn(3)) name += " " + first();
  name += std::string(" ") + random.Pick(kSurnames);
  if (random.OneIn(3)) name += " de";
  name += std::string(" ") + random.Pick(kSurnames);
  // Half of the old registers were typed in capitals.
  return random.OneIn(2) ? Upper(name) : name;
}

Address RandomAddress(Random& random) {
  Address a;
  const City& city = random.Pick(kCities);
  a.street = Pad(
      std::string(random.Pick(kStreetKinds)) + " " + random.Pick(kStreetNames),
      40);
  a.street = RightTrim(a.street);
  a.number = random.OneIn(12) ? "S/N" : std::to_string(random.Range(1, 4999));
  a.complement = random.Pick(kComplements);
  a.district = random.Pick(kDistricts);
  char cep[48];
  std::snprintf(cep, sizeof(cep), "%05d-%03d",
                city.cep_prefix * 100 + random.Range(0, 99),
                random.Range(0, 999));
  a.cep = cep;
  a.city = random.OneIn(2) ? Upper(city.name) : city.name;
  a.state = city.state;
  a.area = city.area_code;
  return a;
}

std::string RandomPhone(Random& random) {
  char buf[48];
  if (random.OneIn(3)) {
    std::snprintf(buf, sizeof(buf), "9%04d-%04d", random.Range(1000, 9999),
                  random.Range(0, 9999));
  } else {
    std::snprintf(buf, sizeof(buf), "%d%03d-%04d", random.Range(2, 3),
                  random.Range(0, 999), random.Range(0, 9999));
  }
  return buf;
}

std::string RandomDate(Random& random, int first_year, int last_year) {
  int year = random.Range(first_year, last_year);
  int month = random.Range(1, 12);
  return DateText(random.Range(1, DaysInMonth(month, year)), month, year);
}

namespace {

// Item codes of the old payroll: codes the second step maps to others, and
// codes it keeps: standard rubrics, 183 and 189 (which the fourth step
// drops), user rubrics of C04B.DAT, and 71 and 72, which no table holds.
constexpr int kItemCodes[] = {
    1,   2,   3,   4,   5,   6,   12,  13,  14,  15,  18,  19,  20,  21,
    41,  43,  50,  51,  53,  57,  58,  59,  60,  61,  64,  70,  71,  72,
    90,  100, 102, 141, 152, 156, 157, 183, 189, 190, 191, 193, 194, 196,
    197, 198, 199, 201, 202, 203, 204, 205, 207, 210, 220, 230};
constexpr const char* kReferences[] = {"",  "",     "",   "30", "220",
                                       "8", "10,5", "44", "1",  "12,00"};
// The share of a pension (rubric 61) and the rate of an INSS contribution
// (152, 196 before the second step), as users typed them; a blank rate
// counts as 11.
constexpr const char* kPensionShares[] = {"30", "20", "15,5", "1", "33.3"};
constexpr const char* kInssRates[] = {"11.0", "11,0", "11", "", "8", "9"};

std::string ItemText(const std::string& reference, const std::string& value,
                     int code) {
  std::string code_text = "   ";
  if (code > 0) {
    char buf[48];
    std::snprintf(buf, sizeof(buf), code % 2 ? "%3d" : "%03d", code);
    code_text = buf;
  }
  return Pad(reference, 5) + value + code_text;
}

std::string ValueField(Random& random, std::int64_t cents) {
  std::string text = AmountText(random, cents);
  return random.OneIn(2) ? PadLeft(text, 12) : Pad(text, 12);
}

void PutItem(Random& random, int i, const std::string& reference,
             std::int64_t cents, int code, ItemBlock* block) {
  block->text.replace(20 * static_cast<std::size_t>(i), 20,
                      ItemText(reference, ValueField(random, cents), code));
  block->cents[static_cast<std::size_t>(i)] = cents;
}

// An INSS contribution in group 2, and beside it, as old receipts hold it,
// the deduction of the same amount (50, or 51 on the thirteenth salary), one
// that holds more, one that holds part of it, or none.
void PutContribution(Random& random, int group1, int group2, ItemBlock* block) {
  int at = group1 + random.Uniform(group2);
  int cents = random.Range(1000, 60000);
  PutItem(random, at, random.Pick(kInssRates), cents,
          random.OneIn(2) ? 152 : 196, block);
  int beside = group1 + (at - group1 + 1 + random.Uniform(group2 - 1)) % group2;
  int deduction = random.OneIn(2) ? 50 : 51;
  switch (random.Uniform(4)) {
    case 0:
      PutItem(random, beside, "", cents, deduction, block);
      break;
    case 1:
      PutItem(random, beside, "", cents + random.Range(100, 20000), deduction,
              block);
      break;
    case 2:
      PutItem(random, beside, "", random.Range(100, cents - 1), deduction,
              block);
      break;
    default:
      break;
  }
}

}  // namespace

ItemBlock RandomItems(Random& random, int group1, int group2,
                      const int* defaults, bool fill_all) {
  ItemBlock block;
  int count = group1 + group2;
  for (int i = 0; i < count; ++i) {
    int code = random.Pick(kItemCodes);
    std::string reference = random.Pick(kReferences);
    if (code == 14 || code == 15) reference = random.OneIn(2) ? "220" : "110";
    if (code == 61) reference = random.Pick(kPensionShares);
    if (code == 152 || code == 196) reference = random.Pick(kInssRates);
    std::int64_t cents = random.Range(100, 450000);
    int kind = fill_all ? random.Range(60, 91) : random.Uniform(100);
    if (kind < 60) {  // an unused item: all blank
      block.text += std::string(20, ' ');
      block.cents.push_back(0);
      continue;
    }
    if (kind < 84 || defaults[i] <= 0) {
      // A valued item with its code (the default tables have no usable
      // code at this position).
    } else {
      code = 0;  // blank code field: the default of the position applies
    }
    if (!fill_all && kind >= 92) {
      // A zero or negative value: the conversion drops the item.
      cents = kind >= 96 ? -cents : 0;
    }
    block.text += ItemText(reference, ValueField(random, cents), code);
    block.cents.push_back(cents);
  }
  if (group2 > 1 && random.OneIn(3)) {
    PutContribution(random, group1, group2, &block);
  }
  return block;
}

int ItemBlock::ValuedCount() const {
  int n = 0;
  for (std::int64_t c : cents) n += c > 0;
  return n;
}

RecordText& RecordText::Put(std::size_t offset, std::size_t width,
                            const std::string& value) {
  text_.replace(offset, width, Pad(value, width));
  return *this;
}

}  // namespace sample
}  // namespace labrena
