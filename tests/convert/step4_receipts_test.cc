// The fourth step's receipts and rubric table: item blocks built from the
// old and new item layouts, whole folders converted and converted again.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "convert/step4_internal.h"
#include "convert/steps.h"
#include "fields/numbers.h"
#include "tests/testing/call_budget.h"
#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

// Old item: group 1, code 3, reference 5, 2 unread, value 14.
std::string Old(char group, const std::string& code, const std::string& ref,
                const std::string& value) {
  return std::string(1, group) + Pad(code, 3) + Pad(ref, 5) + "xx" +
         Pad(value, 14);
}
const std::string kNoItem = Old(' ', "", "", "");
const std::string kEmpty = Entry('0', "000", "", "0.00");

// An old region: the amount behind a blank, then 24 items.
std::string OldRegion(const std::string& amount,
                      std::vector<std::string> items) {
  items.resize(24, kNoItem);
  std::string region = Pad(" " + amount, 19);
  for (const std::string& item : items) region += item;
  return region;
}

std::string NewRegion(const std::string& amount,
                      std::vector<std::string> items) {
  items.resize(24, kEmpty);
  std::string region = Pad(amount, 19);
  for (const std::string& item : items) region += item;
  return region;
}

constexpr ReceiptLayout kWorker = {2000, 1399, true};
constexpr ReceiptLayout kReceipt = {701, 100, false};

struct Converted {
  RegionResult result;
  std::string region;
  std::vector<std::string> pensions;
};

Converted Convert(const std::string& region, const ReceiptLayout& layout,
                  ReceiptState& state) {
  Converted c;
  c.result = ConvertReceiptRegion(region, layout, state, &c.region,
                                  &c.pensions);
  return c;
}

ReceiptState FirstAttempt() {
  ReceiptState state;
  state.attempt = 1;
  return state;
}

TEST(ReceiptItemsTest, MapsSortsAndFormats) {
  ReceiptState state = FirstAttempt();
  std::string region = OldRegion(
      "1.234,56", {Old('2', "184", "  3", "10,00"), Old('1', "183", "", "1"),
                   Old('1', "  3", " 7.5", "5.25"), Old('2', "  2", "", "1,5"),
                   Old('1', "189", "", "2"), Old('1', "  1", "30", "1234.56"),
                   Old('1', "  2", "", "1234,56")});
  Converted c = Convert(region, kReceipt, state);
  ASSERT_EQ(c.result, RegionResult::kConverted);
  // Kind 1 by code, then kind 2, then kind 3; 183 and 189 vanish.
  EXPECT_EQ(c.region,
            NewRegion("1.234,56", {Entry('1', "001", "30", "1234.56"),
                                   Entry('1', "011", "", "1234.56"),
                                   Entry('1', "021", "7.5", "5.25"),
                                   Entry('2', "011", "", "1.50"),
                                   Entry('3', "930", "3", "10.00")}));
  EXPECT_TRUE(c.pensions.empty());
  EXPECT_EQ(state.table.count, -1);
}

TEST(ReceiptItemsTest, WorkerRegisterRules) {
  ReceiptState state = FirstAttempt();
  std::string region =
      OldRegion("800,00", {Old('1', "  2", "", "800,00"),
                           Old('1', " 61", "12,5", "100"),
                           Old('1', "  2", "", "799,99")});
  Converted c = Convert(region, kWorker, state);
  EXPECT_EQ(c.region,
            NewRegion("800,00", {Entry('1', "001", "1", "800.00"),
                                 Entry('1', "011", "", "799.99"),
                                 Entry('1', "560", "12,5", "100.00")}));
  EXPECT_EQ(c.pensions, std::vector<std::string>{"12,5 "});
  // In the receipts code 2 keeps its standard code; no beneficiary there,
  // nor in the second attempt.
  c = Convert(region, kReceipt, state);
  EXPECT_EQ(c.region.substr(19, 25), Entry('1', "011", "", "800.00"));
  EXPECT_TRUE(c.pensions.empty());
  state.attempt = 2;
  EXPECT_TRUE(Convert(region, kWorker, state).pensions.empty());
}

TEST(ReceiptItemsTest, ContributionTurnsIntoItsBase) {
  ReceiptState state = FirstAttempt();
  auto contribution = [&state](std::vector<std::string> others) {
    others.push_back(Old('1', "152", "11.0", "22,00"));
    return Convert(OldRegion("0", others), kReceipt, state).region;
  };
  EXPECT_EQ(contribution({}),
            NewRegion("0,00", {Entry('3', "962", "11.0", "200.00")}));
  EXPECT_EQ(contribution({Old('1', " 51", "", "5,00")}),
            NewRegion("0,00", {Entry('3', "963", "11.0", "200.00")}));
  EXPECT_EQ(contribution({Old('1', " 50", "", "30,00")}),
            NewRegion("0,00", {Entry('1', "500", "", "8.00"),
                               Entry('3', "962", "11.0", "200.00")}));
  // A reference of 0 or blank counts as 11.
  EXPECT_EQ(Convert(OldRegion("0", {Old('1', "152", "  0", "22")}), kReceipt,
                    state)
                .region,
            NewRegion("0,00", {Entry('3', "962", "0", "200.00")}));
}

TEST(ReceiptItemsTest, UserCodesAndTheirLimits) {
  ReceiptState state = FirstAttempt();
  for (int code : {77, 90, 250}) state.table.Add(code);
  Converted c = Convert(
      OldRegion("1", {Old('1', " 70", "", "1"), Old('1', " 90", "", "2"),
                      Old('1', " 70", "", "3")}),
      kReceipt, state);
  EXPECT_EQ(c.region, NewRegion("1,00", {Entry('1', "701", "", "2.00"),
                                         Entry('1', "703", "", "1.00"),
                                         Entry('1', "703", "", "3.00")}));
  EXPECT_FALSE(state.table.used[0]);
  EXPECT_TRUE(state.table.used[1] && state.table.used[3]);
  // A full table gives 899 and notes the overflow.
  while (state.table.count < RubricTable::kEntries - 1) state.table.Add(1000);
  c = Convert(OldRegion("1", {Old('1', " 71", "", "1")}), kReceipt, state);
  EXPECT_EQ(c.region.substr(19, 25), Entry('1', "899", "", "1.00"));
  EXPECT_TRUE(state.table.overflow);
  // A converted record is left alone; a value that does not fit in 14
  // characters leaves the record unconverted.
  EXPECT_EQ(Convert(NewRegion("1,00", {}), kReceipt, state).result,
            RegionResult::kAlreadyConverted);
  EXPECT_EQ(
      Convert(OldRegion("1", {Old('1', "  1", "", "99999999999999")}),
              kReceipt, state)
          .result,
      RegionResult::kNoFit);
}

// A folder with the template, the old rubric table, a worker and receipts.
struct RubricFolder {
  static std::string Template() {
    return Pad("001 SALARIO", 300) + Pad("011 HORAS NORMAIS", 300);
  }
  // Old rubric record (80): code, description, sign, flags, incidence,
  // factor.
  static std::string OldRubric(const std::string& code,
                               const std::string& text, char sign,
                               const std::string& flags,
                               const std::string& incidence,
                               const std::string& factor = "") {
    return Pad(Pad(code, 4) + Pad(text, 30) + sign + Pad(flags, 6) +
                   Pad(incidence, 2) + Pad(factor, 14),
               79) +
           " ";
  }
  static std::string Rubrics() {
    return OldRubric("0040", "HORA EXTRA 50%", '+', "111SN1", "01", "1,50") +
           OldRubric("0077", "HORA EXTRA NOTURNA", '+', "123NS2", "07") +
           OldRubric("0156", "ADICIONAL", '-', "234SN3", "99") +
           OldRubric("0090", "GRATIFICACAO", '+', "3  SN ", "50") +
           OldRubric("0250", "NAO USADA", '+', "      ", "  ") +
           OldRubric("0300", "APAGADA", '+', "      ", "  ").substr(0, 79) +
           "+";
  }
  // A worker of F16R0.DAT in the old item layout; 1046 "1", 1092 "15".
  static std::string Worker(const std::string& key, const std::string& items) {
    Rec r(2000);
    r.Put(0, 10, key).Put(1046, 1, "1").Put(1092, 2, "15").Put(1380, 619, items);
    return r.str();
  }
  static std::string Receipt(const std::string& items) {
    return Rec(701).Put(0, 5, "00001").Put(81, 619, items).str();
  }

  void Write(ScratchFolder& s) const {
    s.Write("F31R0.DA3", Template());
    s.Write("F31.DAT", Rubrics());
    s.Write("F16R0.DAT", worker);
    s.Write("F13R1.DAT", Pad("00001", 1000) + Pad("00005", 1000));
    s.MakeDir("R61");
    s.MakeDir("R62");
    s.Write("R61/0001.DAT", receipt);
  }

  std::string worker = Worker(
      "0000000007", OldRegion("100", {Old('1', " 61", "2", "50"),
                                      Old('1', " 77", "", "10")}));
  std::string receipt = Receipt(OldRegion(
      "5", {Old('2', "156", "", "1"), Old('1', " 70", "", "2"),
            Old('1', " 90", "", "3")}));
};

std::string Counter(const std::string& name, const std::string& value) {
  return std::string(10, ' ') + Pad(name, 10) + Pad(value, 10);
}

TEST(RubricTableTest, ConvertsTheFolderOnce) {
  ScratchFolder s;
  RubricFolder folder;
  folder.Write(s);
  ConvertFourthStep(s.ctx());
  EXPECT_TRUE(s.ui().boxes().empty());

  std::string worker = RubricFolder::Worker(
      "0000000007", NewRegion("100,00", {Entry('1', "560", "2", "50.00"),
                                         Entry('1', "700", "", "10.00")}));
  worker[1046] = '5';
  EXPECT_EQ(s.Read("F16R0.DAT"), worker);
  EXPECT_EQ(s.Read("R61/0001.DAT"),
            RubricFolder::Receipt(NewRegion(
                "5,00", {Entry('1', "702", "", "3.00"),
                         Entry('1', "704", "", "2.00"),
                         Entry('2', "701", "", "1.00")})));
  // The beneficiary goes on after the highest number in F13R1.DAT.
  Rec pension(1000);
  pension.Put(0, 5, "00006")
      .Put(11, 19, "BENEFICI\xC1RIO PENS\xC3O")
      .Put(238, 1, "1")
      .Put(502, 10, "0000000007")
      .Put(671, 2, "35")
      .Put(673, 1, "2")
      .Put(692, 1, "1");
  EXPECT_EQ(s.Read("F13R1.DAT"),
            Pad("00001", 1000) + Pad("00005", 1000) + pension.str());
  // Used user rubrics in the order of F31.DAT: 77, 156, 90 (250 unused).
  auto rubric = [](const std::string& code, const std::string& text,
                   const std::string& sign, const std::string& flags) {
    return Rec(300)
        .Put(0, 4, code)
        .Put(4, 40, text)
        .Put(44, 1, sign)
        .Put(50, 71, flags)
        .str();
  };
  // Fields from 50: old 40, incidence, factor (18), three flags, 2 blanks,
  // old 39, old 38, 2 blanks, overtime class (6) and code.
  EXPECT_EQ(
      s.Read("F31R0.DAT"),
      RubricFolder::Template() +
          rubric("700", "HORA EXTRA NOTURNA", "1",
                 "235" + std::string(18, ' ') + "111213  SN  56    004") +
          rubric("701", "ADICIONAL", "2",
                 "395" + std::string(18, ' ') + "121300  NS  77    018") +
          rubric("702", "GRATIFICACAO", "1",
                 " 80" + std::string(18, ' ') + "000000  NS"));
  EXPECT_EQ(s.Read("F34.DAT"), Counter("13", "6") + Counter("31", "702"));
  EXPECT_TRUE(s.IsRetired("F31.DAT"));
  EXPECT_FALSE(s.Exists("F31R0.DA3") || s.Exists("F31R0.TAB") ||
               s.Exists("F16R0.TMP") || s.Exists("F16R0.OLD"));

  auto before = SnapshotOf(s.data());
  s.NextRun();
  ConvertFourthStep(s.ctx());
  EXPECT_EQ(SnapshotOf(s.data()), before);
}


// A line end in a receipt's items reads as a blank, a last receipt cut
// short is completed, and an end mark after the last one is no receipt.
TEST(RubricTableTest, DamagedReceiptsAreReadAsBlanks) {
  ScratchFolder s;
  RubricFolder folder;
  folder.Write(s);
  std::string damaged = folder.receipt;
  damaged[100 + 25 + 11 + 1] = '\n';  // the second item's value: "2" read
  std::string cut = folder.receipt.substr(0, 150);
  s.Write("R61/0001.DAT", damaged + cut + "\x1A");
  ConvertFourthStep(s.ctx());
  std::string converted = s.Read("R61/0001.DAT");
  ASSERT_EQ(converted.size(), 2 * 701u);
  std::string region = NewRegion("5,00", {Entry('1', "702", "", "3.00"),
                                          Entry('1', "704", "", "2.00"),
                                          Entry('2', "701", "", "1.00")});
  EXPECT_EQ(converted.substr(81, 619), region);
  // Its items from offset 150 on were cut: 156 and 70 remain.
  EXPECT_EQ(converted.substr(701 + 81, 619),
            NewRegion("5,00", {Entry('1', "704", "", "2.00"),
                               Entry('2', "701", "", "1.00")}));
  EXPECT_EQ(converted.substr(701 + 700), " ");
}

// The Env calls of the fourth step over the rubric folder with n more
// receipt files of two receipts each.
CallCounts CallsToConvertReceipts(int n) {
  ScratchFolder s;
  RubricFolder folder;
  folder.Write(s);
  for (int i = 1; i <= n; ++i) {
    s.Write(Format("R61/%07d.DAT", i), folder.receipt + folder.receipt);
  }
  CallCounts counts = CountCalls(s, ConvertFourthStep);
  std::string converted = s.Read(Format("R61/%07d.DAT", n));
  EXPECT_EQ(converted.substr(81, 619), converted.substr(701 + 81, 619));
  EXPECT_EQ(converted.substr(81, 4), "5,00");
  return counts;
}

// A receipt file is opened, read, written and closed once: the second
// attempt passes by a file that the first converted whole.
TEST(RubricTableTest, EachReceiptFileKeepsToItsBudgetOfCalls) {
  constexpr int kFew = 1, kMore = 11;
  ExpectCallsPerFile(CallsToConvertReceipts(kFew), kFew,
                     CallsToConvertReceipts(kMore), kMore, 8);
}

// After a fatal error the step stops with the product's message; once the
// cause is gone, the next run ends with the bytes of a run that never met
// it, and user codes already written keep naming the same rubrics.
class FatalErrorTest : public ::testing::Test {
 protected:
  // The folder converted in one run without the cause.
  std::map<std::string, std::string> Clean(const RubricFolder& folder) {
    ScratchFolder s;
    folder.Write(s);
    ConvertFourthStep(s.ctx());
    EXPECT_TRUE(s.ui().boxes().empty());
    return SnapshotOf(s.data());
  }

  static void ExpectFatal(ScratchFolder& s, const std::string& text) {
    ASSERT_FALSE(s.ui().boxes().empty());
    EXPECT_EQ(s.ui().boxes().back().text, text);
    EXPECT_EQ(s.ui().boxes().back().icon, Icon::kError);
    EXPECT_TRUE(s.ui().destroyed());
  }
};

TEST_F(FatalErrorTest, AnItemThatDoesNotFitStopsTheStepUntilItIsMended) {
  RubricFolder folder;
  std::string too_big = RubricFolder::Receipt(
      OldRegion("1", {Old('1', " 71", "", "99999999999999")}));
  std::string mended = RubricFolder::Receipt(
      OldRegion("1", {Old('1', " 71", "", "9999")}));
  // The code 71 first met in the mended receipt takes entry 5 in both runs.
  std::string later = RubricFolder::Receipt(
      OldRegion("2", {Old('1', " 72", "", "1")}));
  ScratchFolder s;
  folder.Write(s);
  s.Write("R61/0002.DAT", too_big + later);
  ConvertFourthStep(s.ctx());
  ExpectFatal(s, "Erro na convers\xE3o da tabela.");
  EXPECT_EQ(s.Read("F31R0.DAT"), RubricFolder::Template());
  EXPECT_EQ(s.Read("R61/0002.DAT").substr(0, 701), too_big);
  EXPECT_TRUE(s.Exists("F31.DAT") && s.Exists("F31R0.DA3"));

  s.Write("R61/0002.DAT", mended + s.Read("R61/0002.DAT").substr(701));
  s.NextRun();
  FakeUi ui;
  Context again{s.faults(), ui};
  ConvertFourthStep(again);
  EXPECT_TRUE(ui.boxes().empty());
  auto expected = [&]() {
    ScratchFolder c;
    folder.Write(c);
    c.Write("R61/0002.DAT", mended + later);
    ConvertFourthStep(c.ctx());
    return SnapshotOf(c.data());
  }();
  EXPECT_EQ(SnapshotOf(s.data()), expected);
}

TEST_F(FatalErrorTest, TooManyUserRubricsConvertNothingUntilMended) {
  RubricFolder folder;
  ScratchFolder s;
  folder.Write(s);
  std::string many;
  for (int code = 1000; code < 1200; ++code) {
    many += RubricFolder::OldRubric(std::to_string(code), "R", '+', "", "");
  }
  s.Write("F31.DAT", RubricFolder::Rubrics() + many);
  ConvertFourthStep(s.ctx());
  ExpectFatal(s,
              "A tabela de vencimentos e descontos do usu\xE1rio ultrapassou "
              "os limites.\nA convers\xE3o n\xE3o ser\xE1 feita.\nEntre em "
              "contato com o suporte t\xE9" "cnico.");
  EXPECT_EQ(s.Read("R61/0001.DAT"), folder.receipt);
  EXPECT_EQ(s.Read("F31R0.DAT"), RubricFolder::Template());
  // The worker field is recoded once, not again by the next run.
  EXPECT_EQ(s.Read("F16R0.DAT")[1046], '5');

  s.Write("F31.DAT", RubricFolder::Rubrics());
  s.NextRun();
  FakeUi ui;
  Context again{s.faults(), ui};
  ConvertFourthStep(again);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(SnapshotOf(s.data()), Clean(folder));
}

TEST_F(FatalErrorTest, ReceiptsBeyondTheTableGet899AndAreTold) {
  RubricFolder folder;
  ScratchFolder s;
  folder.Write(s);
  std::string many;
  for (int code = 1000; code < 1196; ++code) {
    many += RubricFolder::OldRubric(std::to_string(code), "R", '+', "", "");
  }
  s.Write("F31.DAT", RubricFolder::Rubrics() + many);
  ConvertFourthStep(s.ctx());
  ASSERT_EQ(s.ui().boxes().size(), 1u);
  EXPECT_EQ(s.ui().boxes()[0].text,
            "Alguns c\xF3" "digos de rubricas n\xE3o foram convertidos.\nNos "
            "recibos eles atingiram o limite da tabela.");
  // 77, 156, 90, 250 and 196 more fill the table: 70 is one too many.
  EXPECT_EQ(s.Read("R61/0001.DAT").substr(100, 75),
            Entry('1', "702", "", "3.00") + Entry('1', "899", "", "2.00") +
                Entry('2', "701", "", "1.00"));
  EXPECT_FALSE(s.ui().destroyed());
}

}  // namespace
}  // namespace labrena
