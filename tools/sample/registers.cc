// Registers of the sample folder: employers (FX0.DAT), service takers
// (FW0.DAT), workers (FY0.DAT), dependants (FZ0.DAT), the responsible
// accountant (RESP.DAT), unions (F306.DAT) and departments (F307.DAT).
#include <cstdio>
#include <iterator>

#include "tools/sample/builders.h"
#include "tools/sample/registration.h"
#include "tools/sample/vocabulary.h"

namespace labrena {
namespace sample {
namespace {

// Cuts every field to its width, so that the model holds what is written.
template <std::size_t N>
void FitFields(const int (&widths)[N], std::vector<Register>* registers) {
  for (Register& r : *registers) {
    for (std::size_t i = 0; i < N; ++i) {
      r.fields[i] = r.fields[i].substr(0, widths[i]);
    }
  }
}

std::string Code5(int n) {
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%05d", n);
  return buf;
}

Register EmptyRegister(std::size_t fields) {
  Register r;
  r.fields.assign(fields, "");
  return r;
}

// What a worker of one employer may be: its jobs and its working hours.
struct EmployerPlan {
  std::string code;
  std::vector<const JobTitle*> jobs;
  std::vector<const WorkHours*> hours;
};

std::string LongNote(Random& random, std::size_t width) {
  static constexpr const char* kNotes[] = {
      "TRANSFERIDO DA FILIAL DE CAMPINAS EM 1996. ",
      "Recebe adicional de insalubridade grau m\xE9\x64io. ",
      "CONTRATO DE EXPERI\xCANCIA PRORROGADO. ",
      "Afastado pelo INSS de 03/1999 a 07/1999. ",
  };
  std::string note;
  while (note.size() < width) note += random.Pick(kNotes);
  return note.substr(0, width);
}

void BuildUnions(Random& random, SampleFolder* folder) {
  int n = 0;
  for (const char* name : kUnions) {
    ++n;
    Address a = RandomAddress(random);
    RecordText r(654);
    r.Put(0, 11, Code5(n))
        .Put(11, 40, name)
        .Put(51, 40, a.street)
        .Put(91, 10, a.number)
        .Put(101, 20, a.complement)
        .Put(121, 30, a.district)
        .Put(151, 9, a.cep)
        .Put(160, 30, a.city)
        .Put(190, 2, a.state)
        .Put(192, 40, "SINDICATO " + std::to_string(n))
        .Put(232, 29, "(" + a.area + ") " + RandomPhone(random))
        .Put(261, 30, "Data-base: 01/05")
        .Put(291, 18, RandomCnpj(random))
        .Put(327, 12,
             "00" + RandomDigits(random, 3) + "." + RandomDigits(random, 3) +
                 "." + RandomDigits(random, 2))
        .Put(339, 60, "sindicato" + std::to_string(n) + "@sind.org.br");
    std::string text = r.text();
    if (n == 3) text.back() = '+';  // a union that was deleted
    folder->unions.push_back(text);
  }
}

void BuildDepartments(Random& random, SampleFolder* folder) {
  int n = 0;
  for (const char* name : kDepartments) {
    ++n;
    RecordText r(212);
    char cost_centre[48];
    std::snprintf(cost_centre, sizeof(cost_centre), "CC %d.%02d",
                  random.Range(1, 3), n);
    r.Put(0, 11, Code5(n)).Put(11, 40, name).Put(51, 10, cost_centre);
    std::string text = r.text();
    if (n == 6) text.back() = '+';
    folder->departments.push_back(text);
  }
}

std::vector<EmployerPlan> BuildEmployers(Random& random, int count,
                                         SampleFolder* folder) {
  std::vector<EmployerPlan> plans;
  for (int i = 0; i < count; ++i) {
    Register r = EmptyRegister(std::size(kFx0Widths));
    std::string company = random.Pick(kCompanies);
    Address a = RandomAddress(random);
    r.fields[kCode] = Code5(i + 1);
    r.fields[kName] = Upper(company);
    PutAddress(a, &r);
    r.fields[kSecondName] = company.substr(0, company.find(' ', 8));
    r.fields[kPhone] = RandomPhone(random);
    r.fields[kContact] = PersonName(random).substr(0, 30);
    bool person = random.OneIn(4);
    r.fields[kEmployerCei] = person || random.OneIn(3) ? RandomCei(random) : "";
    r.fields[kEmployerTaxId] = person ? RandomCpf(random) : RandomCnpj(random);
    // Municipal registration (14), then a one-character flag.
    r.fields[kEmployerRegistrations] =
        Pad(RandomDigits(random, 3) + "." + RandomDigits(random, 3) + "-" +
                RandomDigits(random, 1),
            14) +
        (random.OneIn(2) ? "S" : "N");
    r.fields[16] = "S";
    r.fields[17] = "N";
    r.fields[18] = random.OneIn(2) ? "1" : "2";
    r.fields[20] = "001";
    r.fields[21] = random.OneIn(2) ? "0515" : "0507";
    r.fields[22] = "0115";
    r.fields[24] = "01";
    static constexpr const char* kCnae[] = {"4711302", "47.11-3",  "4120400",
                                            "5611201", "1091-1/0", "8630503"};
    r.fields[kEmployerCnae] = random.Pick(kCnae);
    r.fields[26] = Code5(random.Range(1, 9));
    r.fields[27] = "01";
    r.fields[28] = "1";
    r.fields[29] = "00000";
    static constexpr const char* kRegime[] = {"1", "2", "4", " ", "3"};
    r.fields[30] = random.Pick(kRegime);
    // Bank details of the old version, dropped by the new one.
    r.fields[31] = "BANCO DO BRASIL S.A.";
    r.fields[32] = "AG\xCANCIA " + RandomDigits(random, 4);
    r.fields[33] =
        "C/C " + RandomDigits(random, 6) + "-" + RandomDigits(random, 1);
    r.fields[34] = RandomDigits(random, 15);
    r.fields[35] = "00" + RandomDigits(random, 3);
    r.fields[36] = RandomDigits(random, 5);
    r.fields[37] = "X";
    r.fields[38] = RandomDate(random, 1970, 1999);
    r.fields[39] = RandomDigits(random, 7);
    r.fields[40] = RandomDigits(random, 7);
    r.fields[41] = "S";
    r.fields[42] = "N";
    r.fields[43] = "1";
    r.fields[kEmployerNotes] =
        i == 0 ? LongNote(random, 160) : "Contador: escrit\xF3rio central";
    folder->employers.push_back(r);

    EmployerPlan plan;
    plan.code = r.fields[kCode];
    std::vector<int> jobs(std::size(kJobs));
    for (std::size_t k = 0; k < jobs.size(); ++k) jobs[k] = static_cast<int>(k);
    for (int k = random.Range(3, 6); k > 0; --k) {
      int pick = random.Uniform(static_cast<int>(jobs.size()));
      plan.jobs.push_back(&kJobs[jobs[pick]]);
      jobs.erase(jobs.begin() + pick);
    }
    for (int k = random.Range(2, 3); k > 0; --k) {
      plan.hours.push_back(&random.Pick(kWorkHours));
    }
    plans.push_back(plan);
  }
  return plans;
}

void BuildServiceTakers(Random& random, SampleFolder* folder) {
  int count = random.Range(2, 4);
  for (int i = 0; i < count; ++i) {
    Register r = EmptyRegister(std::size(kFw0Widths));
    Address a = RandomAddress(random);
    if (i == 0) {
      // A street that fills its field: the joined address line must cut it.
      a.street = "Avenida Coronel Ant\xF4nio Pr\xF3spero Filho";
      a.number = "1234";
      a.complement = "Galp\xE3o 3";
    }
    r.fields[kCode] = Code5(i + 1);
    r.fields[kName] = Upper(random.Pick(kCompanies));
    PutAddress(a, &r);
    r.fields[kPhone] = RandomPhone(random);
    r.fields[kContact] = "Obra " + std::to_string(random.Range(1, 40));
    r.fields[kEmployerCei] =
        random.OneIn(2) ? RandomCei(random) : RandomCnpj(random);
    r.fields[kTakerFpas] = random.OneIn(2) ? "0507" : "0620";
    r.fields[16] = "Tomador de servi\xE7o - cess\xE3o de m\xE3o de obra";
    r.fields[17] = "S";
    r.fields[18] = "N";
    r.fields[19] = "N";
    r.fields[20] = "1";
    folder->service_takers.push_back(r);
  }
}

std::string Cbo(Random& random, const JobTitle& job) {
  std::string code = job.cbo;
  switch (random.Uniform(8)) {
    case 0:
      return "0" + code;
    case 1:
      return code.substr(0, 4) + "-" + code.substr(4);
    case 2:
      return random.OneIn(2) ? "0000000" : "";
    default:
      return code;
  }
}

void BuildWorkers(Random& random, const SampleOptions& options,
                  const std::vector<EmployerPlan>& plans,
                  SampleFolder* folder) {
  static constexpr const char* kCategories[] = {"10", "20", "25", "30", "31",
                                                "50", "70", "75", "90", "95"};
  // Unions of the workers: the third was deleted.
  static constexpr int kUnionCodes[] = {1, 1, 1, 2, 4, 5};
  for (int i = 0; i < options.workers; ++i) {
    const EmployerPlan& plan =
        plans[i < static_cast<int>(plans.size())
                  ? i
                  : random.Uniform(static_cast<int>(plans.size()))];
    Register r = EmptyRegister(std::size(kFy0Widths));
    Address a = RandomAddress(random);
    std::string name = PersonName(random);
    r.fields[kCode] = Code5(i + 1);
    r.fields[kName] = name;
    PutAddress(a, &r);
    r.fields[kPhone] = RandomPhone(random);
    if (random.OneIn(4)) r.fields[kContact] = "recado c/ vizinha";
    r.fields[kWorkerEmployer] = plan.code;
    r.fields[15] = "S";
    r.fields[16] = random.OneIn(2) ? "S" : "N";
    r.fields[17] = "1";
    r.fields[18] = "0";
    // Departments 1 to 5: the sixth was deleted.
    r.fields[kWorkerDepartment] = Code5(random.Range(1, 5));
    if (random.OneIn(5)) r.fields[kWorkerOldNotes] = LongNote(random, 146);
    r.fields[21] = "1";

    const JobTitle& job =
        *plan.jobs[random.Uniform(static_cast<int>(plan.jobs.size()))];
    if (!random.OneIn(12)) {
      // Some titles were typed again in small letters: without accents the
      // same job, with accents another one.
      r.fields[kWorkerJob] = random.OneIn(6) ? TitleCase(job.title) : job.title;
    }
    r.fields[kWorkerUnion] = Code5(random.Pick(kUnionCodes));
    r.fields[kWorkerCpf] = RandomCpf(random);
    r.fields[kWorkerCtps] = RandomDigits(random, 5) +
                            (random.OneIn(2) ? "-" : "") +
                            RandomDigits(random, 2);
    r.fields[26] = "0" + RandomDigits(random, 2);
    r.fields[27] = a.state;
    r.fields[kWorkerRg] =
        RandomDigits(random, 2) + "." + RandomDigits(random, 3) + "." +
        RandomDigits(random, 3) + "-" + RandomDigits(random, 1);
    r.fields[29] = "SSP";
    r.fields[31] = a.state;
    if (!random.OneIn(15)) {
      const WorkHours& h =
          *plan.hours[random.Uniform(static_cast<int>(plan.hours.size()))];
      r.fields[kWorkerStart] = h.start;
      r.fields[kWorkerStart + 1] = h.end;
      r.fields[kWorkerStart + 2] = h.break_start;
      r.fields[kWorkerStart + 3] = h.break_end;
    }
    std::string pis = RandomPis(random);
    if (random.OneIn(4)) {
      // The dotted form of the PIS card: 14 characters.
      std::string d = DigitsOf(pis);
      pis = d.substr(0, 3) + "." + d.substr(3, 5) + "." + d.substr(8, 2) + "-" +
            d.substr(10);
    }
    r.fields[kWorkerPis] = pis;
    r.fields[38] = RandomDigits(random, 8);
    r.fields[39] = "0" + RandomDigits(random, 3);
    r.fields[40] = RandomDigits(random, 2);
    r.fields[41] = "1";
    r.fields[42] = "0" + std::to_string(random.Range(1, 9));
    std::string admission = RandomDate(random, 1985, options.last_year);
    r.fields[kWorkerAdmission] = admission;
    r.fields[kWorkerBirth] = RandomDate(random, 1950, 1990);
    r.fields[45] = random.OneIn(2) ? "1" : "2";
    r.fields[46] = admission;
    r.fields[kWorkerCbo] = Cbo(random, job);
    r.fields[kWorkerCategory] = random.Pick(kCategories);
    r.fields[50] = random.OneIn(3) ? "10" : (random.OneIn(2) ? "20" : "30");
    if (random.OneIn(10))
      r.fields[51] = std::to_string(random.Range(1970, 2000));
    r.fields[53] = "01";
    r.fields[54] = a.city;
    r.fields[55] = a.state;
    r.fields[56] = "01";
    r.fields[58] = random.OneIn(2) ? "1" : "2";
    if (random.OneIn(4)) r.fields[62] = LongNote(random, 176);
    r.fields[kWorkerFather] = PersonName(random, Gender::kMale);
    r.fields[kWorkerMother] = PersonName(random, Gender::kFemale);
    // Nationality, then the schooling digit in the field's last character.
    r.fields[kWorkerSchooling] =
        Pad("BRASILEIRA", 19) + std::to_string(random.Range(1, 9));
    r.fields[67] = random.OneIn(2) ? "1" : "0";
    r.fields[68] = random.OneIn(2) ? "1" : "0";
    // Children kept in the worker record by the oldest version.
    for (int k = 0, n = random.Range(0, 2); k < n; ++k) {
      r.fields[71 + 2 * k] = PersonName(random);
      r.fields[72 + 2 * k] = RandomDate(random, 1985, 2005);
    }
    r.fields[kWorkerAmount] = AmountText(random, random.Range(62000, 900000));
    bool full = i == 1 || random.OneIn(10);
    r.items = RandomItems(random, 20, 20, kWorkerItemDefaults, full);
    folder->workers.push_back(r);
  }
}

void BuildDependants(Random& random, int count, SampleFolder* folder) {
  if (folder->workers.empty()) return;
  static constexpr const char kKinship[] = "1112236";
  for (int i = 0; i < count; ++i) {
    const Register& worker =
        folder
            ->workers[random.Uniform(static_cast<int>(folder->workers.size()))];
    std::string surname =
        worker.Field(kName).substr(worker.Field(kName).rfind(' ') + 1);
    RecordText r(204);
    r.Put(0, 11, Code5(i + 1))
        .Put(11, 40,
             std::string(random.OneIn(2) ? random.Pick(kMaleNames)
                                         : random.Pick(kFemaleNames)) +
                 " " + surname)
        .Put(52, 10, RandomDate(random, 1990, 2010))
        .Put(62, 1, std::string(1, kKinship[random.Uniform(7)]))
        .Put(63, 1, random.OneIn(3) ? "6" : "1")
        .Put(64, 10, RandomDate(random, 1995, 2010))
        .Put(74, 10, RandomDigits(random, 10))
        .Put(86, 10, worker.Field(kCode))
        .Put(96, 9, worker.Field(kPostalCode))
        .Put(105, 6,
             "L" + RandomDigits(random, 3) + "F" + RandomDigits(random, 1))
        .Put(111, 5, RandomDigits(random, 5))
        .Put(116, 20, "Cart\xF3rio 2\xBA Of\xED\x63io")
        .Put(136, 20, worker.Field(kCity));
    std::string text = r.text();
    if (i % 10 == 4) text.back() = '+';
    folder->dependants.push_back(text);
  }
}

void BuildResponsibles(Random& random, SampleFolder* folder) {
  for (int i = 0; i < 2; ++i) {
    Address a = RandomAddress(random);
    RecordText r(354);
    r.Put(0, 40, PersonName(random))
        .Put(40, 40, a.street)
        .Put(80, 10, a.number)
        .Put(90, 20, a.complement)
        .Put(110, 30, a.district)
        .Put(140, 9, a.cep)
        .Put(149, 30, a.city)
        .Put(179, 2, a.state)
        .Put(181, 8, RandomDigits(random, 4) + "-" + RandomDigits(random, 3))
        .Put(189, 19, "(" + a.area + ") " + RandomPhone(random))
        .Put(208, 60, "contabil" + std::to_string(i + 1) + "@escritorio.com.br")
        .Put(268, 18, RandomCpf(random))
        .Put(286, 40, "Escrit\xF3rio Cont\xE1\x62il Concei\xE7\xE3o")
        .Put(326, 18,
             a.state + "-0" + RandomDigits(random, 5) + "/O-" +
                 RandomDigits(random, 1))
        .Put(344, 10, RandomDate(random, 1980, 2000));
    folder->responsibles.push_back(r.text());
  }
}

}  // namespace

void PutAddress(const Address& a, Register* r) {
  r->fields[kStreet] = a.street;
  r->fields[kNumber] = a.number;
  r->fields[kComplement] = a.complement;
  r->fields[kDistrict] = a.district;
  r->fields[kPostalCode] = a.cep;
  r->fields[kCity] = a.city;
  r->fields[kState] = a.state;
  r->fields[kAreaCode] = a.area;
}

void BuildRegisters(const SampleOptions& options, SampleFolder* folder) {
  Random random = FamilyRandom(options, 1);
  BuildUnions(random, folder);
  BuildDepartments(random, folder);
  std::vector<EmployerPlan> plans =
      BuildEmployers(random, options.employers, folder);
  BuildServiceTakers(random, folder);
  if (!plans.empty()) BuildWorkers(random, options, plans, folder);
  FitFields(kFx0Widths, &folder->employers);
  FitFields(kFw0Widths, &folder->service_takers);
  FitFields(kFy0Widths, &folder->workers);
  BuildDependants(random, options.dependants, folder);
  BuildResponsibles(random, folder);
}

}  // namespace sample
}  // namespace labrena
