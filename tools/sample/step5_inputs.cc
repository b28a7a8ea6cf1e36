// What the fifth step meets in a data folder.
//
// In the registers that the steps before it convert: workers naming the
// service takers that it merges into the F07R0 table, the three forms of a
// taker's registration number, an employer's branch, the employer fields
// its patches recode, and schedules by night, with a break after midnight
// and without a start.
//
// The files of later versions: F07.DAT, whose codes the merge passes over;
// F40.DAT, which joins the union register; F04R0.DAT, which names
// employers; the yearly files of R63 and R69; and files it deletes: names
// of a digit and nine characters, and the product's work files.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "tools/sample/builders.h"
#include "tools/sample/registration.h"
#include "tools/sample/vocabulary.h"

namespace labrena {
namespace sample {
namespace {

std::string Code5(std::size_t n) {
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%05zu", n);
  return buf;
}

// A service taker beyond those drawn with the registers.
Register NewTaker(Random& random, std::size_t i) {
  Register r;
  r.fields.assign(std::size(kFw0Widths), "");
  PutAddress(RandomAddress(random), &r);
  r.fields[kCode] = Code5(i + 1);
  r.fields[kName] = Upper(random.Pick(kCompanies));
  r.fields[kPhone] = RandomPhone(random);
  r.fields[kContact] = "Obra " + std::to_string(random.Range(1, 40));
  r.fields[kEmployerCei] = RandomCnpj(random);
  r.fields[kTakerFpas] = "0507";
  r.fields[16] = "Tomador de servi\xE7o";
  r.fields[17] = "S";
  r.fields[18] = "N";
  r.fields[19] = "N";
  r.fields[20] = "1";
  for (std::size_t f = 0; f < r.fields.size(); ++f) {
    r.fields[f] = r.fields[f].substr(0, kFw0Widths[f]);
  }
  return r;
}

// The registration number of taker i in one of the forms users typed, made
// from the digits drawn: a CNPJ, a CEI, or a CNPJ's bare digits.
std::string TakerNumber(std::size_t i, const std::string& drawn) {
  std::string digits = DigitsOf(drawn) + std::string(11, '1');
  std::string cnpj = CnpjFromBase(digits.substr(0, 8) + "0001");
  switch (i % 3) {
    case 0:
      return cnpj;
    case 1:
      return CeiFromBase(digits.substr(0, 11));
    default:
      return DigitsOf(cnpj);
  }
}

void BuildTakerCases(Random& random, const SampleOptions& options,
                     SampleFolder* f) {
  std::vector<Register>& takers = f->service_takers;
  std::size_t count = options.service_takers > 0
                          ? static_cast<std::size_t>(options.service_takers)
                          : std::max<std::size_t>(takers.size(), 3);
  if (takers.size() > count) takers.resize(count);
  while (takers.size() < count) {
    takers.push_back(NewTaker(random, takers.size()));
  }
  for (std::size_t i = 0; i < takers.size(); ++i) {
    takers[i].fields[kEmployerCei] =
        TakerNumber(i, takers[i].fields[kEmployerCei]);
  }
}

// The entry each worker names: the code of a service taker, which the
// worker register carries to offset 963. In the sample's own folder the
// code after the last taker's names none, the third worker has no employer
// (the merge uses up a code for it and writes nothing) and the fourth
// names no entry.
void NameTakers(const SampleOptions& options, SampleFolder* f) {
  std::vector<Register>& workers = f->workers;
  const bool own = options.service_takers == 0;
  const std::size_t entries = f->service_takers.size() + (own ? 1 : 0);
  for (std::size_t k = 0; k < workers.size(); ++k) {
    workers[k].fields[kWorkerDepartment] = Code5(k % entries + 1);
  }
  if (!own) return;
  if (workers.size() > 2) workers[2].fields[kWorkerEmployer] = "";
  if (workers.size() > 3) workers[3].fields[kWorkerDepartment] = "";
}

// Working hours of the workers after those above: a night shift, one with
// a break after midnight, one without a start and a morning without a
// break.
void PutShiftCases(SampleFolder* f) {
  static constexpr WorkHours kShifts[] = {
      {"22:00", "05:00", "", ""},
      {"22:00", "06:00", "02:00", "03:00"},
      {"", "17:00", "12:00", "13:00"},
      {"08:00", "12:00", "", ""},
  };
  constexpr std::size_t kFirst = 4;
  for (std::size_t i = 0; i < std::size(kShifts); ++i) {
    if (kFirst + i >= f->workers.size()) return;
    std::vector<std::string>& fields = f->workers[kFirst + i].fields;
    fields[kWorkerStart] = kShifts[i].start;
    fields[kWorkerStart + 1] = kShifts[i].end;
    fields[kWorkerStart + 2] = kShifts[i].break_start;
    fields[kWorkerStart + 3] = kShifts[i].break_end;
  }
}

// The second employer is a branch of the first: the same CNPJ root. The
// second registration numbers hold a CEI, a CPF (which the patches clear)
// and the third employer's own CNPJ (cleared as a repeat). The first
// employer's fields 28 and 29 (offsets 641 and 739 of F00R0.DAT) hold
// values that the patches recode.
void BuildEmployerCases(SampleFolder* f) {
  std::vector<Register>& e = f->employers;
  if (e.empty()) return;
  auto digits = [&e](std::size_t i) {
    return DigitsOf(e[i].Field(kEmployerTaxId)) + std::string(11, '1');
  };
  const std::string root = digits(0).substr(0, 8);
  e[0].fields[kEmployerTaxId] = CnpjFromBase(root + "0001");
  e[0].fields[kEmployerCei] = CeiFromBase(digits(0).substr(0, 11));
  e[0].fields[28] = "2";
  e[0].fields[29] = "20000";
  if (e.size() > 1) {
    e[1].fields[kEmployerCei] = CpfFromBase(digits(1).substr(0, 9));
    e[1].fields[kEmployerTaxId] = CnpjFromBase(root + "0002");
  }
  if (e.size() > 2) {
    e[2].fields[kEmployerTaxId] = CnpjFromBase(digits(2).substr(0, 8) + "0001");
    e[2].fields[kEmployerCei] = e[2].fields[kEmployerTaxId];
  }
}

// F07.DAT (809 characters a record, its code in the first 10): the
// departments under their codes, two codes given since after a gap, a
// deleted record, and two codes that are not of five characters.
void BuildOldF07(SampleFolder* f) {
  auto record = [](const std::string& code, const std::string& name) {
    return RecordText(809).Put(0, 11, code).Put(11, 40, name).text();
  };
  const std::size_t n = f->departments.size();
  for (std::size_t i = 0; i < n; ++i) {
    f->old_f07.push_back(
        record(Code5(i + 1), f->departments[i].substr(11, 40)));
  }
  f->old_f07.push_back(record(Code5(n + 2), "OBRA CENTRO"));
  f->old_f07.push_back(record(Code5(n + 3), "OBRA ZONA NORTE"));
  std::string closed = record(Code5(n + 4), "OBRA ENCERRADA");
  closed.back() = '+';
  f->old_f07.push_back(closed);
  f->old_f07.push_back(record("12", "LOTA\xC7\xC3O SEM C\xD3\x44IGO"));
  f->old_f07.push_back(record("123456", "LOTA\xC7\xC3O IMPORTADA"));
}

// F40.DAT (1000 characters a record, the first 814 in the union register's
// layout): entities numbered after the unions, their kind at 238 as the
// product left it ("0", another value or none), one with the field at 232
// set, and a deleted one.
void BuildF40(Random& random, SampleFolder* f) {
  struct Entity {
    const char* name;
    const char* kind;
    const char* field;
  };
  static constexpr Entity kEntities[] = {
      {"FEDERA\xC7\xC3O DOS EMPREGADOS NO COM\xC9RCIO", "0", ""},
      {"ASSOCIA\xC7\xC3O COMERCIAL DE SANTOS", "3", "205"},
      {"SINDICATO RURAL DE CAMPINAS", "", ""},
      {"CONFEDERA\xC7\xC3O NACIONAL DA IND\xDASTRIA", "0", ""},
  };
  const std::size_t first = f->unions.size() + 1;
  for (std::size_t i = 0; i < std::size(kEntities); ++i) {
    Address a = RandomAddress(random);
    RecordText r(1000);
    r.Put(0, 11, Code5(first + i))
        .Put(11, 40, kEntities[i].name)
        .Put(91, 40, a.street)
        .Put(131, 10, a.number)
        .Put(141, 20, a.complement)
        .Put(161, 30, a.district)
        .Put(191, 9, a.cep)
        .Put(200, 30, a.city)
        .Put(230, 2, a.state)
        .Put(232, 3, kEntities[i].field)
        .Put(238, 1, kEntities[i].kind)
        .Put(250, 18, RandomCnpj(random))
        .Put(814, 60, "Cadastro da vers\xE3o 5, n\xE3o levado adiante.");
    std::string text = r.text();
    if (i + 1 == std::size(kEntities)) text.back() = '+';
    f->f40.push_back(text);
  }
}

// F04R0.DAT (950 characters a record): one for each employer, naming it at
// 939 (10) with the flag at 938 set or not, and two more of the second
// employer (the branch), the last one deleted.
void BuildF04R0(SampleFolder* f) {
  const std::vector<Register>& employers = f->employers;
  if (employers.empty()) return;
  auto record = [](std::size_t n, const Register& employer, const char* flag) {
    return RecordText(950)
        .Put(0, 11, Code5(n))
        .Put(11, 40, "ESTABELECIMENTO " + employer.Field(kCode))
        .Put(51, 30, employer.Field(kCity))
        .Put(938, 1, flag)
        .Put(939, 10, employer.Field(kCode))
        .text();
  };
  for (std::size_t i = 0; i < employers.size(); ++i) {
    f->f04r0.push_back(record(i + 1, employers[i], i % 2 ? "1" : ""));
  }
  const Register& branch = employers[employers.size() > 1 ? 1 : 0];
  f->f04r0.push_back(record(employers.size() + 1, branch, ""));
  std::string deleted = record(employers.size() + 2, branch, "");
  deleted.back() = '+';
  f->f04r0.push_back(deleted);
}

// R63\F63%04d.DAT (652 characters a record) for the last three years: a
// record for every fourth worker in the old form (its kind beginning with
// "0", a date at 21, the worker at 40, a text at 50 whose 21st character
// is a code, now and then "8"), and one of another kind.
void BuildR63(Random& random, const SampleOptions& options, SampleFolder* f) {
  static constexpr const char* kCodes[] = {"1", "5", "8"};
  for (int year = options.last_year - 2; year <= options.last_year; ++year) {
    char name[48];
    std::snprintf(name, sizeof(name), "R63\\F63%04d.DAT", year);
    YearFile file{name, year, {}};
    for (std::size_t w = 0; w < f->workers.size(); w += 4) {
      const Register& worker = f->workers[w];
      int month = random.Range(1, 12);
      file.records.push_back(
          RecordText(652)
              .Put(0, 3, "0")
              .Put(3, 10, worker.Field(kWorkerEmployer))
              .Put(21, 10, DateText(random.Range(1, 28), month, year))
              .Put(40, 10, worker.Field(kCode))
              .Put(50, 20, "AFASTAMENTO")
              .Put(70, 1, kCodes[w / 4 % std::size(kCodes)])
              .Put(71, 19, random.OneIn(2) ? "DOEN\xC7\x41" : "ACIDENTE")
              .text());
    }
    file.records.push_back(RecordText(652)
                               .Put(0, 3, "2")
                               .Put(3, 10, "RESUMO")
                               .Put(21, 10, DateText(31, 12, year))
                               .text());
    f->r63.push_back(file);
  }
}

// R69\F69%04d.DAT (500 characters a record) for 2018, which the patches
// recode, and 2017, which they leave: a table number at 107 (3) and its
// mark at 130 (3), blank or not.
void BuildR69(SampleFolder* f) {
  struct Row {
    const char* table;
    const char* name;
    const char* mark;
  };
  static constexpr Row kRows[] = {
      {"7", "LOTA\xC7\xD5\x45S", ""}, {"35", "CARGOS", ""},
      {"36", "HOR\xC1RIOS", ""},      {"40", "ENTIDADES", ""},
      {"1", "SINDICATOS", ""},        {"7", "LOTA\xC7\xD5\x45S", "0"},
      {"35", "CARGOS", "1"},          {"36", "HOR\xC1RIOS", "X"},
  };
  for (int year : {2017, 2018}) {
    char name[48];
    std::snprintf(name, sizeof(name), "R69\\F69%04d.DAT", year);
    YearFile file{name, year, {}};
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
      file.records.push_back(RecordText(500)
                                 .Put(0, 11, Code5(i + 1))
                                 .Put(11, 40, kRows[i].name)
                                 .Put(107, 3, kRows[i].table)
                                 .Put(130, 3, kRows[i].mark)
                                 .text());
    }
    f->r69.push_back(file);
  }
}

// Files named by a digit: those of ten characters go with the fifth step,
// the others stay; and the work files the product leaves behind.
void BuildLeftovers(SampleFolder* f) {
  const std::string report = "RELAT\xD3RIO TEMPOR\xC1RIO\r\n";
  f->digit_files = {{"311299.dat", report},
                    {"0912AB.DAT", report},
                    {"1234567.dat", report},
                    {"12345.dat", report}};
  f->work_files = {{"Acc001.dat", "ACC"},
                   {"Accnew.001", "ACC"},
                   {"F31R0.BAK3", std::string(300, ' ')}};
}

}  // namespace

void BuildFifthStepInputs(const SampleOptions& options, SampleFolder* folder) {
  Random random = FamilyRandom(options, 5);
  BuildTakerCases(random, options, folder);
  NameTakers(options, folder);
  PutShiftCases(folder);
  BuildEmployerCases(folder);
  BuildOldF07(folder);
  BuildF40(random, folder);
  BuildF04R0(folder);
  BuildR63(random, options, folder);
  BuildR69(folder);
  BuildLeftovers(folder);
}

}  // namespace sample
}  // namespace labrena
