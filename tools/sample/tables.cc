// Tables of the sample folder: the old counters (CONFIGA.DAT), the rubric
// table (C04B.DAT) with the product's template of the new one (F31R0.DA3),
// leaves (F308.DAT), holidays (F309.DAT), the Temp folder, D11.DEN and the
// files of earlier versions that no longer have any use.
#include <cstdio>
#include <iterator>

#include "tools/sample/builders.h"
#include "tools/sample/vocabulary.h"
#include "tools/template/rubric_template.h"

namespace labrena {
namespace sample {
namespace {

std::string Number11(std::size_t value) {
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%011zu", value);
  return buf;
}

void BuildCounters(SampleFolder* folder) {
  // Last codes given, by table: employers, workers, dependants, service
  // takers, unions, departments; the seventh was never used.
  folder->counters = {Number11(folder->employers.size()),
                      Number11(folder->workers.size()),
                      Number11(folder->dependants.size()),
                      Number11(folder->service_takers.size()),
                      Number11(folder->unions.size()),
                      Number11(folder->departments.size()),
                      std::string(11, ' ')};
}

void BuildRubrics(Random& random, SampleFolder* folder) {
  // The one-character flags and the two-digit number as users left them:
  // the codes the current version knows, and some it does not.
  static constexpr const char* kFirstFlags[] = {"1", "2", "S", "N"};
  static constexpr const char* kOtherFlags[] = {"1", "2", "3", "S", "N"};
  static constexpr const char* kNumbers[] = {"00", "01", "02", "05", "07",
                                             "10", "30", "35", "99", "04"};
  for (const RubricText& rubric : kRubrics) {
    char code[48];
    std::snprintf(code, sizeof(code), "%04d", rubric.code);
    RecordText r(80);
    r.Put(0, 4, code)
        .Put(4, 30, rubric.text)
        .Put(34, 1, std::string(1, rubric.sign))
        .Put(35, 1, random.Pick(kFirstFlags))
        .Put(36, 1, random.Pick(kOtherFlags))
        .Put(37, 1, random.Pick(kOtherFlags))
        .Put(38, 1, "N")
        .Put(39, 1, "1")
        .Put(41, 2, rubric.code == 61 ? "01" : random.Pick(kNumbers))
        .Put(43, 14, rubric.factor);
    std::string text = r.text();
    if (rubric.code == 215) text.back() = '+';
    folder->rubrics.push_back(text);
  }
}

std::string Leave(const std::string& worker, const std::string& start,
                  const char* code, const std::string& end, const char* last) {
  return RecordText(46)
      .Put(0, 11, worker)
      .Put(11, 10, start)
      .Put(21, 2, code)
      .Put(23, 10, end)
      .Put(33, 12, "F\xC9RIAS")
      .Put(45, 1, last)
      .text();
}

void BuildLeaves(Random& random, SampleFolder* folder) {
  // Leave codes, those the current version knows and others, taken in turn
  // so that a small folder meets the common ones.
  static constexpr const char* kLeaveCodes[] = {
      "O2", "P1", "U3", "Q2", "Q5", "X1", "W1", "R1", "O1",
      "P2", "Q1", "Q3", "Q4", "Q6", "F1", "A1", "p2", "o1"};
  const std::vector<Register>& workers = folder->workers;
  int last_year = folder->options.last_year;
  for (std::size_t w = 0; w < workers.size(); w += 5) {
    int month = random.Range(1, 11);
    int day = random.Range(1, 20);
    folder->leaves.push_back(
        Leave(workers[w].Field(kCode), DateText(day, month, last_year),
              kLeaveCodes[w / 5 % std::size(kLeaveCodes)],
              DateText(day + random.Range(1, 8), month, last_year),
              random.OneIn(2) ? "0" : "1"));
  }
  if (workers.empty()) return;
  auto worker = [&workers](std::size_t k) {
    return workers[k % workers.size()].Field(kCode);
  };
  // Across the turn of the year, the code in small letters; without a
  // start; ending before it starts; and a deleted one.
  folder->leaves.push_back(Leave(worker(1), DateText(31, 12, last_year - 1),
                                 "p2", DateText(8, 1, last_year), "0"));
  folder->leaves.push_back(
      Leave(worker(2), "", "Q1", DateText(10, 3, last_year), "1"));
  folder->leaves.push_back(Leave(worker(3), DateText(20, 6, last_year), "F1",
                                 DateText(18, 6, last_year), "0"));
  folder->leaves.push_back(Leave(worker(6), DateText(2, 2, last_year), "A1",
                                 DateText(6, 2, last_year), "+"));
}

void BuildHolidays(SampleFolder* folder) {
  for (const char* holiday : kHolidays) {
    folder->holidays.push_back(RecordText(60).Put(0, 59, holiday).text());
  }
}

// The name as some earlier version or a copy from a floppy disk spelled it.
std::string MixedCase(const std::string& name, int variant) {
  std::string out = name;
  for (std::size_t i = 0; i < out.size(); ++i) {
    char& c = out[i];
    bool upper =
        variant == 1 || (variant == 2 && (i == 0 || out[i - 1] == '\\'));
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

void BuildObsoleteFiles(SampleFolder* folder) {
  int variant = 0;
  for (const char* name : kObsoleteFiles) {
    std::string spelled = MixedCase(name, variant);
    variant = (variant + 1) % 3;
    std::string file = spelled;
    if (file.rfind("r61\\", 0) == 0) file = "R61\\" + file.substr(4);
    std::string bytes;
    if (std::string(name).ends_with(".exe")) {
      bytes = "MZ" + std::string(126, '\0') + "Labrena 4.0 (c) Nelk Sistemas";
    } else {
      bytes = "Labrena 4 - " + spelled + "\r\n" +
              "Arquivo de vers\xE3o anterior; n\xE3o \xE9 mais usado.\r\n";
    }
    folder->obsolete_files.push_back({file, bytes});
  }
}

void BuildTempFiles(SampleFolder* folder) {
  folder->temp_files.push_back(
      {"Temp\\LAB00017.TMP",
       "RELAT\xD3RIO DE F\xC9RIAS\r\n" + std::string(200, '=')});
  folder->temp_files.push_back(
      {"Temp\\FOLHA01.PRN", "\x1B@FOLHA DE PAGAMENTO\r\n\x0C"});
}

}  // namespace

void BuildTables(const SampleOptions& options, SampleFolder* folder) {
  Random random = FamilyRandom(options, 3);
  BuildCounters(folder);
  BuildRubrics(random, folder);
  folder->rubric_template = tmpl::RubricTemplate();
  folder->d11 = "Labrena 4 - D11.DEN\r\nDenomina\xE7\xF5\x65s de 1999.\r\n";
  BuildLeaves(random, folder);
  BuildHolidays(folder);
  BuildTempFiles(folder);
  BuildObsoleteFiles(folder);
}

}  // namespace sample
}  // namespace labrena
