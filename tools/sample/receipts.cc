// Receipts of the sample folder: the monthly receipts (REG\REGFE.DAT), the
// terminations (REG\REGRE.DAT), the per-worker receipt files (REG\R*.DAT) and
// the tax guides of the folders R01, R02 and R03.
#include <cstdio>
#include <cstdlib>

#include "tools/sample/builders.h"

namespace labrena {
namespace sample {
namespace {

constexpr int kMonthlyDefaults[15] = {120, 122, 3, 18, 19, 0,  14, 12,
                                      -1,  121, 0, 50, 53, -1, 0};

struct Day {
  int day, month, year;
};

Day ParseDay(const std::string& text) {
  return {std::atoi(text.substr(0, 2).c_str()),
          std::atoi(text.substr(3, 2).c_str()),
          std::atoi(text.substr(6, 4).c_str())};
}

// True when the worker was admitted by the end of the month.
bool Employed(const Register& worker, int month, int year) {
  Day admission = ParseDay(worker.Field(kWorkerAdmission));
  return admission.year * 12 + admission.month <= year * 12 + month;
}

Receipt MakeReceipt(Random& random, const Register& worker, const char* kind,
                    const char* description, int month, int year, Day paid) {
  Receipt r;
  r.worker_code = worker.Field(kCode);
  r.year = year;
  r.month = month;
  r.paid_day = paid.day;
  r.paid_month = paid.month;
  r.paid_year = paid.year;
  char period[48];
  std::snprintf(period, sizeof(period), "%02d/%04d", month, year);
  r.head = RecordText(55)
               .Put(0, 10, r.worker_code)
               .Put(10, 2, kind)
               .Put(14, 7, period)
               .Put(21, 23, description)
               .Put(44, 10, DateText(paid.day, paid.month, paid.year))
               .Put(54, 1, "1")
               .text();
  r.items = RandomItems(random, 11, 4, kMonthlyDefaults, random.OneIn(15));
  r.amount = Pad(AmountText(random, random.Range(50000, 850000)), 14);
  char dependants[48];
  std::snprintf(dependants, sizeof(dependants), "%03d", random.Range(0, 3));
  r.field3 = dependants;
  r.tail = RecordText(83).Put(0, 10, worker.Field(kWorkerEmployer)).text();
  return r;
}

void BuildMonthlyReceipts(Random& random, const SampleOptions& options,
                          SampleFolder* folder) {
  const std::vector<Register>& workers = folder->workers;
  std::vector<bool> paid(workers.size());
  for (std::size_t w = 0; w < workers.size(); ++w) paid[w] = !random.OneIn(15);
  int first_year = options.last_year - options.years + 1;
  for (int year = first_year; year <= options.last_year; ++year) {
    for (int month = 1; month <= options.receipts; ++month) {
      for (std::size_t w = 0; w < workers.size(); ++w) {
        if (!paid[w] || !Employed(workers[w], month, year)) continue;
        // Paid on the month's last day, now and then on the fifth of the
        // next month (December's then in January of the next year).
        Day day{DaysInMonth(month, year), month, year};
        if (random.OneIn(8)) {
          day = month == 12 ? Day{5, 1, year + 1} : Day{5, month + 1, year};
        }
        folder->receipts.push_back(MakeReceipt(
            random, workers[w], "01", "FOLHA MENSAL", month, year, day));
      }
    }
  }
  // Complementary payrolls of an early month, written last: not the
  // latest date of their workers.
  if (options.receipts == 0 || options.years == 0) return;
  for (std::size_t w = 0; w < workers.size(); ++w) {
    if (!paid[w] || !random.OneIn(8) || !Employed(workers[w], 1, first_year)) {
      continue;
    }
    Day day{20, 1, first_year};
    folder->receipts.push_back(MakeReceipt(
        random, workers[w], "02", "FOLHA COMPLEMENTAR", 1, first_year, day));
  }
  // The last record was cut short by an interrupted write, after its amount
  // and the three-character field.
  folder->last_receipt_bytes = 400;
}

void BuildTerminations(Random& random, const SampleOptions& options,
                       SampleFolder* folder) {
  for (std::size_t w = 0; w < folder->workers.size(); w += 20) {
    const Register& worker = folder->workers[w];
    int month = random.Range(1, 12);
    Receipt r = MakeReceipt(random, worker, "03", "RESCIS\xC3O DE CONTRATO",
                            month, options.last_year,
                            Day{random.Range(1, 28), month, options.last_year});
    folder->terminations.push_back(r.Text());
  }
}

void BuildExtraReceipts(Random& random, const SampleOptions& options,
                        SampleFolder* folder) {
  int first_year = options.last_year - options.years + 1;
  for (std::size_t w = 0; w < folder->workers.size(); ++w) {
    const Register& worker = folder->workers[w];
    if (random.OneIn(6)) continue;
    for (int year = first_year; year <= options.last_year; ++year) {
      if (!Employed(worker, 12, year)) continue;
      ExtraReceiptFile file;
      char name[64];
      std::snprintf(name, sizeof(name), "R%s%02d.DAT",
                    worker.Field(kCode).c_str(), year % 100);
      file.name = name;
      // Vacation, then the two instalments of the thirteenth salary.
      for (int k = random.Range(1, 3); k > 0; --k) {
        ExtraReceipt r;
        r.code = Pad(worker.Field(kCode), 11);
        r.amount = Pad(AmountText(random, random.Range(30000, 900000)), 14);
        r.items =
            RandomItems(random, 20, 20, kWorkerItemDefaults, random.OneIn(8));
        file.records.push_back(r);
      }
      folder->extra_receipts.push_back(file);
    }
  }
}

std::string GuideAmount(Random& random, std::int64_t cents) {
  if (cents == 0) return random.OneIn(2) ? "" : "0,00";
  std::string text = AmountText(random, cents);
  return random.OneIn(2) ? PadLeft(text, 18) : text;
}

GuideFile MakeGuides(Random& random, int folder_number, int year,
                     const std::vector<Register>& employers) {
  static constexpr const char* kTaxCodes[] = {"0561", "1708", "5952"};
  static constexpr const char* kTexts[] = {
      "IRRF S/ SAL\xC1RIOS", "IRRF AUT\xD4NOMOS", "PIS/COFINS/CSLL RETIDOS"};
  GuideFile file;
  file.folder = folder_number;
  file.year = year;
  for (const Register& employer : employers) {
    for (int month = 1; month <= 12; ++month) {
      Guide g;
      g.code = Pad(employer.Field(kCode), 10);
      g.month = month;
      g.tax_code = kTaxCodes[folder_number - 1];
      g.text = kTexts[folder_number - 1];
      std::int64_t principal, fine = 0, interest = 0;
      if (random.Uniform(10) < 4) {
        // Below the smallest amount that may be paid: carried forward.
        principal = random.Range(1, 2800);
        if (random.OneIn(3)) fine = random.Range(1, 150);
        if (random.OneIn(3)) interest = random.Range(1, 90);
      } else {
        principal = random.Range(5000, 900000);
      }
      g.total_cents = principal + fine + interest;
      // A total right at the threshold would depend on the rounding of
      // the sum; keep clear of it.
      if (g.total_cents == file.ThresholdCents()) {
        ++principal;
        ++g.total_cents;
      }
      g.amounts = {GuideAmount(random, principal), GuideAmount(random, fine),
                   GuideAmount(random, interest)};
      file.records.push_back(g);
    }
  }
  return file;
}

void BuildGuides(Random& random, const SampleOptions& options,
                 SampleFolder* folder) {
  int first_year = options.last_year - options.years + 1;
  for (int year = first_year; year <= options.last_year; ++year) {
    folder->guides.push_back(MakeGuides(random, 1, year, folder->employers));
  }
  if (options.years > 0) {
    folder->guides.push_back(
        MakeGuides(random, 2, first_year, folder->employers));
    folder->guides.push_back(
        MakeGuides(random, 3, options.last_year, folder->employers));
  }
}

}  // namespace

void BuildReceipts(const SampleOptions& options, SampleFolder* folder) {
  Random random = FamilyRandom(options, 2);
  BuildMonthlyReceipts(random, options, folder);
  BuildTerminations(random, options, folder);
  BuildExtraReceipts(random, options, folder);
  BuildGuides(random, options, folder);
}

std::string Receipt::Text() const {
  return head + items.text + amount + field3 + tail;
}

std::string ExtraReceipt::Text() const { return code + amount + items.text; }

std::string Guide::Text() const {
  char month_text[48];
  std::snprintf(month_text, sizeof(month_text), "%02d", month);
  return RecordText(467)
      .Put(0, 10, code)
      .Put(10, 2, month_text)
      .Put(12, 4, tax_code)
      .Put(16, 25, text)
      .Put(41, 18, amounts[0])
      .Put(59, 18, amounts[1])
      .Put(77, 18, amounts[2])
      .text();
}

std::string GuideFile::Name() const {
  char name[64];
  std::snprintf(name, sizeof(name), "R%02d\\%04d.DAT", folder, year);
  return name;
}

std::int64_t GuideFile::ThresholdCents() const {
  return folder == 1 && year <= 2011 ? 2900 : 1000;
}

}  // namespace sample
}  // namespace labrena
