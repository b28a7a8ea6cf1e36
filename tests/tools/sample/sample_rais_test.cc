// The sample RAIS declaration and the CBO page beside it: records of 551
// characters and CR LF with the fields where the import reads them, the
// cases the import tells apart, and page rows in the form it searches.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/testing/scratch.h"
#include "tools/sample/rais.h"

namespace labrena {
namespace {

constexpr std::size_t kRecord = 553;  // with the CR LF
constexpr char kRowPrefix[] = "<tr bgcolor=\"#FFFFFF\"><td>";

// Check digits as the tax authorities define them, from the digits only.
char Mod11(const std::string& digits, int highest) {
  int sum = 0, weight = 2;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == highest ? 2 : weight + 1;
  }
  return sum % 11 < 2 ? '0' : static_cast<char>('0' + 11 - sum % 11);
}

bool AllDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

bool IsCnpj(const std::string& d) {
  return d.size() == 14 && AllDigits(d) && Mod11(d.substr(0, 12), 9) == d[12] &&
         Mod11(d.substr(0, 13), 9) == d[13];
}

bool IsCei(const std::string& d) {  // "00" and 12 digits
  if (d.size() != 14 || !AllDigits(d) || d.compare(0, 2, "00") != 0) {
    return false;
  }
  static constexpr int kWeights[] = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};
  int sum = 0;
  for (int i = 0; i < 11; ++i) sum += (d[2 + i] - '0') * kWeights[i];
  int units = (sum / 10 % 10 + sum % 10) % 10;
  return d[13] == static_cast<char>('0' + (10 - units) % 10);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

class SampleRaisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(
        sample::WriteRaisFolder(sample::BuildRaisSample(sample::RaisOptions()),
                                scratch_.data(), &error))
        << error;
    rais_ = scratch_.Read("Rais.txt");
    page_ = scratch_.Read("cod-cbo2002.htm");
  }

  ScratchFolder scratch_;
  std::string rais_;
  std::string page_;
};

TEST_F(SampleRaisTest, RecordsOfFixedLength) {
  ASSERT_FALSE(rais_.empty());
  ASSERT_EQ(rais_.size() % kRecord, 0u);
  std::string types;
  for (std::size_t at = 0; at < rais_.size(); at += kRecord) {
    std::string r = rais_.substr(at, kRecord);
    EXPECT_EQ(r.substr(551), "\r\n") << at;
    EXPECT_EQ(r.find_first_of("\r\n"), 551u) << at;
    EXPECT_EQ(std::stoi(r.substr(0, 6)), static_cast<int>(at / kRecord) + 1);
    types += r[22];
  }
  // A declarant, employers each before their workers, a closing record.
  EXPECT_EQ(types.front(), '0');
  EXPECT_EQ(types.back(), '9');
  EXPECT_EQ(types[1], '1');
  EXPECT_EQ(types.find_first_not_of("12", 1), types.size() - 1);
}

TEST_F(SampleRaisTest, EmployersAndWorkersHoldTheCases) {
  std::map<std::string, int> kinds;  // of employer numbers
  std::set<std::string> numbers, salary_types, occupations, pis, cpf, sexes;
  std::string employer;
  int duplicates = 0, dismissed = 0, unions = 0, rural = 0, simplified = 0;
  bool hourly_without_hours = false;
  for (std::size_t at = 0; at < rais_.size(); at += kRecord) {
    std::string r = rais_.substr(at, kRecord);
    if (r[22] == '1') {
      employer = r.substr(6, 14);
      bool cnpj = IsCnpj(employer), cei = IsCei(employer);
      if (employer == std::string(14, '0')) {
        ++kinds["zeros"];
      } else if (cnpj && cei) {
        ++kinds["both"];
      } else if (cnpj || cei) {
        ++kinds[cnpj ? "cnpj" : "cei"];
      } else {
        ++kinds[AllDigits(employer) ? "caepf" : "invalid"];
      }
      duplicates += !numbers.insert(employer).second;
      rural += r[264] == '0' && r[265] < '4';
      simplified += r[302] == '1';
      for (int k = 0; k < 4; ++k) {
        std::string union_cnpj = r.substr(343 + 23 * k, 14);
        if (union_cnpj == std::string(14, '0')) continue;
        EXPECT_TRUE(IsCnpj(union_cnpj)) << union_cnpj;
        ++unions;
      }
    } else if (r[22] == '2') {
      EXPECT_EQ(r.substr(6, 14), employer) << at;
      salary_types.insert(r.substr(145, 1));
      hourly_without_hours |= r[145] == '5' && r.substr(146, 2) == "00";
      occupations.insert(r.substr(148, 6));
      pis.insert(r.substr(23, 11));
      cpf.insert(r.substr(102, 11));
      sexes.insert(r.substr(305, 1));
      if (r.substr(156, 2) != "00") {
        ++dismissed;
        int day = std::stoi(r.substr(158, 2)),
            month = std::stoi(r.substr(160, 2));
        EXPECT_TRUE(day >= 1 && day <= 31 && month >= 1 && month <= 12) << at;
      }
      for (int k = 0; k < 5; ++k) {
        std::string union_cnpj = r.substr(385 + 22 * k, 14);
        if (union_cnpj != std::string(14, '0')) {
          EXPECT_TRUE(IsCnpj(union_cnpj)) << union_cnpj;
        }
      }
    }
  }
  for (const char* kind :
       {"cnpj", "zeros", "cei", "caepf", "both", "invalid"}) {
    EXPECT_GE(kinds[kind], 1) << kind;
  }
  EXPECT_EQ(duplicates, 1);
  EXPECT_GE(rural, 2);
  EXPECT_GE(simplified, 1);
  EXPECT_GE(unions, 3);
  EXPECT_GE(dismissed, 3);
  EXPECT_EQ(salary_types,
            (std::set<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_TRUE(hourly_without_hours);
  EXPECT_EQ(sexes, (std::set<std::string>{"1", "2"}));
  for (const std::string missing : {"           ", "00000000000"}) {
    EXPECT_TRUE(pis.count(missing)) << "PIS '" << missing << "'";
    EXPECT_TRUE(cpf.count(missing)) << "CPF '" << missing << "'";
  }
  int on_page = 0, off_page = 0, rural_codes = 0;
  for (const std::string& code : occupations) {
    bool listed = page_.find(kRowPrefix + code) != std::string::npos;
    (listed ? on_page : off_page)++;
    rural_codes += code.compare(0, 2, "62") == 0;
  }
  EXPECT_GE(on_page, 10);
  EXPECT_GE(off_page, 1);
  EXPECT_GE(rural_codes, 1);
}

// The import takes a row's line by its prefix and code, and the job name
// from its 42nd character up to the first '<', reading lines of up to 139
// characters.
TEST_F(SampleRaisTest, PageRowsInTheFormSearched) {
  std::map<std::string, int> codes;
  const std::size_t prefix = sizeof(kRowPrefix) - 1;
  for (const std::string& line : Lines(page_)) {
    if (line.compare(0, prefix, kRowPrefix) != 0) continue;
    EXPECT_LT(line.size() + 1, 140u) << line;
    std::string code = line.substr(prefix, 6);
    EXPECT_TRUE(AllDigits(code) && code.size() == 6) << line;
    EXPECT_EQ(line.substr(prefix + 6, 9), "</td><td>") << line;
    std::size_t name_end = line.find('<', 41);
    ASSERT_NE(name_end, std::string::npos) << line;
    EXPECT_GT(name_end, 41u) << line;
    EXPECT_EQ(line.substr(name_end), "</td></tr>") << line;
    ++codes[code];
  }
  EXPECT_GE(codes.size(), 50u);
  for (const auto& [code, count] : codes) {
    EXPECT_EQ(count, 1) << code;
  }
  // Windows-1252, not UTF-8: no lead byte of a two-byte accent before a
  // continuation byte.
  for (std::size_t i = 0; i + 1 < page_.size(); ++i) {
    auto lead = static_cast<unsigned char>(page_[i]);
    auto next = static_cast<unsigned char>(page_[i + 1]);
    EXPECT_FALSE(lead >= 0xC2 && lead <= 0xDF && next >= 0x80 && next <= 0xBF)
        << i;
  }
}

}  // namespace
}  // namespace labrena
