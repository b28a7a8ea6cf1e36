#include "tools/template/rubric_template.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace labrena {
namespace {

// The new codes of the standard code map, those of 0 left out.
constexpr int kStandardCodes[] = {
    1,   11,  21,  23,  25,  90,  92,  60,  64,  66,  30,  36,  500, 501,
    502, 540, 541, 542, 600, 601, 670, 560, 628, 580, 583, 581, 582, 340,
    411, 350, 680, 360, 364, 361, 685, 418, 424, 430, 420, 405, 691, 300,
    234, 962, 325, 994, 988, 996, 990, 251, 242, 934, 930, 343};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rubric record, 300 bytes: code 0 (3 digits and a blank), description 4
// (40), kind 44 (1), fields 4 to 6 at 45 (5), flags 50 to 80, field 13 at 77
// (2), fields 16 and 17 at 81 (2), overtime class 83 (6) and its table 89
// (3), blanks from 92 up to the deletion mark at 299.
TEST(RubricTemplateTest, OneRecordPerStandardCodeInTheRubricLayout) {
  const std::string bytes = tmpl::RubricTemplate();
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(bytes.size() % 300, 0u) << "300-byte records";
  EXPECT_EQ(bytes.find_first_of("\r\n\x1A"), std::string::npos);

  std::set<int> codes;
  int previous = -1;
  for (std::size_t at = 0; at < bytes.size(); at += 300) {
    const std::string r = bytes.substr(at, 300);
    const std::string where = "record " + r.substr(0, 3);
    ASSERT_TRUE(IsDigit(r[0]) && IsDigit(r[1]) && IsDigit(r[2])) << where;
    EXPECT_EQ(r[3], ' ') << where;
    int code = std::atoi(r.substr(0, 3).c_str());
    EXPECT_GT(code, previous) << where << ": codes ascend";
    previous = code;
    codes.insert(code);

    EXPECT_NE(r.substr(4, 40), std::string(40, ' ')) << where;
    EXPECT_TRUE(r[44] == '1' || r[44] == '2') << where;
    EXPECT_EQ(r.substr(45, 5), "     ") << where;
    EXPECT_EQ(r.substr(77, 2), "  ") << where;
    EXPECT_EQ(r.substr(81, 2), "  ") << where;
    const std::string overtime = r.substr(83, 9);
    // Overtime: 030 and 036, the rubrics of old 40 and 42.
    if (code == 30 || code == 36) {
      EXPECT_EQ(overtime, "56    004") << where;
    } else {
      EXPECT_TRUE(overtime == std::string(9, ' ') || overtime == "56    004" ||
                  overtime == "77    018")
          << where << ": " << overtime;
    }
    EXPECT_EQ(r.substr(92), std::string(208, ' ')) << where;
  }
  for (int code : kStandardCodes) EXPECT_EQ(codes.count(code), 1u) << code;
  EXPECT_EQ(codes.count(963), 1u) << "the base of a thirteenth's contribution";
}

}  // namespace
}  // namespace labrena
