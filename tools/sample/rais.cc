#include "tools/sample/rais.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/sample/builders.h"
#include "tools/sample/cbo_page.h"
#include "tools/sample/registration.h"
#include "tools/sample/vocabulary.h"

namespace labrena {
namespace sample {
namespace {

struct Field {
  std::size_t offset;
  std::size_t width;
};

// Every record.
constexpr Field kSequence{0, 6};
constexpr Field kNumber{6, 14};  // the employer's (the declarant's in 0, 9)
constexpr Field kNumberPrefix{20, 2};
constexpr Field kType{22, 1};

// Employer record (type 1); the declarant record (type 0) uses its name and
// address fields.
constexpr Field kEmployerName{23, 52};
constexpr Field kStreet{75, 40};
constexpr Field kStreetNumber{115, 6};
constexpr Field kComplement{121, 21};
constexpr Field kDistrict{142, 19};
constexpr Field kCep{161, 8};
constexpr Field kTownCode{169, 7};  // of the IBGE
constexpr Field kCity{176, 30};
constexpr Field kState{206, 2};
constexpr Field kAreaCode{208, 2};
constexpr Field kPhone{210, 9};
constexpr Field kEmail{219, 45};
constexpr Field kActivity{264, 7};
constexpr Field kLegalNature{271, 4};
constexpr Field kOwners{275, 4};
constexpr Field kBaseMonth{279, 2};
constexpr Field kBaseYear{297, 4};
constexpr Field kSize{301, 1};
constexpr Field kSimplified{302, 1};
constexpr Field kEmployerDate{335, 8};
// Four unions: CNPJ (14) and the contribution in cents (9).
constexpr std::size_t kEmployerUnions = 343;
constexpr std::size_t kEmployerUnionStride = 23;
constexpr Field kEmployerCode{453, 1};

// Worker record (type 2).
constexpr Field kPis{23, 11};
constexpr Field kWorkerName{34, 52};
constexpr Field kBirth{86, 8};
constexpr Field kNationality{94, 2};
constexpr Field kArrival{96, 4};
constexpr Field kSchooling{100, 2};
constexpr Field kCpf{102, 11};
constexpr Field kCardNumber{113, 8};
constexpr Field kCardSeries{121, 5};
constexpr Field kAdmission{126, 8};
constexpr Field kAdmissionType{134, 2};
constexpr Field kSalary{136, 9};
constexpr Field kSalaryType{145, 1};
constexpr Field kWeeklyHours{146, 2};
constexpr Field kOccupation{148, 6};
constexpr Field kEmploymentType{154, 2};
constexpr Field kDismissalCause{156, 2};
constexpr Field kDismissalDay{158, 4};  // ddmm
// Twelve months of pay in cents (9 each).
constexpr std::size_t kMonthlyPay = 162;
constexpr Field kRace{292, 1};
constexpr Field kDisabled{293, 1};  // 1 yes, 2 no
constexpr Field kDisability{294, 1};
constexpr Field kSex{305, 1};
// Five unions: CNPJ (14) and the contribution in cents (8).
constexpr std::size_t kWorkerUnions = 385;
constexpr std::size_t kWorkerUnionStride = 22;

// Closing record (type 9).
constexpr Field kEmployerCount{23, 6};
constexpr Field kWorkerCount{29, 6};

constexpr std::uint64_t kRaisFamily = 6;

struct Town {
  const char* city;
  const char* state;
  const char* ibge;
  const char* area_code;
  const char* cep_prefix;  // five digits
};

constexpr Town kTowns[] = {
    {"S\xC3O PAULO", "SP", "3550308", "11", "01310"},
    {"RIO DE JANEIRO", "RJ", "3304557", "21", "20040"},
    {"BELO HORIZONTE", "MG", "3106200", "31", "30130"},
    {"CURITIBA", "PR", "4106902", "41", "80010"},
    {"PORTO ALEGRE", "RS", "4314902", "51", "90010"},
    {"CAMPINAS", "SP", "3509502", "19", "13010"},
    {"RIBEIR\xC3O PRETO", "SP", "3543402", "16", "14010"},
};

constexpr int kNoUnion = -1;

// The occupations of an employer's drawn workers.
struct Jobs {
  const char* const* codes = nullptr;
  int count = 0;
};

template <std::size_t N>
constexpr Jobs JobsOf(const char* const (&codes)[N]) {
  return {codes, static_cast<int>(N)};
}

struct EmployerCase {
  RaisNumber number;
  const char* name;
  const char* activity;  // CNAE subclass
  const char* nature;    // legal nature and its check digit; blank if absent
  int town;
  bool simplified;
  char size;
  const char* owners;
  const char* base_month;
  int unions[4];  // employers' unions of the pool, by slot
  const char* email;
  bool phone;
  const char* date;  // ddmmyyyy at offset 335
  // The duplicate repeats the number and name of the first employer.
  bool duplicate = false;
  // Address typed by hand (the rural employer): street, number, complement.
  const char* street = nullptr;
  const char* street_number = nullptr;
  const char* complement = nullptr;
  // Occupations of the drawn workers, and their monthly salary range in
  // cents; none for the refused employers and the persons.
  Jobs jobs = {};
  int low = 0;
  int high = 0;
};

constexpr const char* kShopJobs[] = {"421125", "521110", "521125", "521115",
                                     "848510", "848305", "414110", "514320",
                                     "411005", "782310"};
constexpr const char* kRestaurantJobs[] = {"513205", "513405", "513435",
                                           "513505", "513425", "514320"};
constexpr const char* kBuildingJobs[] = {"715210", "717020", "715505",
                                         "716610", "715615", "724110",
                                         "782510", "414105"};
constexpr const char* kOfficeJobs[] = {"212405", "317110", "411010", "422105",
                                       "252405", "413105", "142105"};
constexpr const char* kUnionJobs[] = {"411010", "422105", "412110", "517410",
                                      "514320"};
constexpr const char* kFarmJobs[] = {"621005", "622020", "641015",
                                     "623110", "622005", "782510"};

const EmployerCase kEmployerCases[] = {
    {.number = RaisNumber::kCnpj,
     .name = "SUPERMERCADO BOM PRE\xC7O LTDA",
     .activity = "4711302",
     .nature = "2062",
     .town = 0,
     .simplified = false,
     .size = '3',
     .owners = "0002",
     .base_month = "05",
     .unions = {0, 1, kNoUnion, kNoUnion},
     .email = "RH@BOMPRECO.COM.BR",
     .phone = true,
     .date = "02052005",
     .jobs = JobsOf(kShopJobs),
     .low = 95400,
     .high = 320000},
    {.number = RaisNumber::kCnpj,
     .name = "Restaurante Sabor Mineiro Ltda",
     .activity = "5611201",
     .nature = "2062",
     .town = 2,
     .simplified = true,
     .size = '1',
     .owners = "0001",
     .base_month = "03",
     .unions = {2, kNoUnion, kNoUnion, kNoUnion},
     .email = "contato@sabormineiro.com.br",
     .phone = true,
     .date = "15082011",
     .jobs = JobsOf(kRestaurantJobs),
     .low = 95400,
     .high = 250000},
    {.number = RaisNumber::kZeros,
     .name = "HELENA MARQUES DE ALMEIDA",
     .activity = "9700500",
     .nature = "4081",
     .town = 1,
     .simplified = false,
     .size = '0',
     .owners = "0000",
     .base_month = "01",
     .unions = {kNoUnion, kNoUnion, kNoUnion, kNoUnion},
     .email = "",
     .phone = false,
     .date = "01032014"},
    {.number = RaisNumber::kCei,
     .name = "CONSTRU\xC7\xD5\x45S ANDRADE & FILHOS LTDA - OBRA ED. IPIRANGA",
     .activity = "4120400",
     .nature = "    ",
     .town = 3,
     .simplified = false,
     .size = '2',
     .owners = "0003",
     .base_month = "05",
     .unions = {3, kNoUnion, kNoUnion, kNoUnion},
     .email = "obras@andradefilhos.com.br",
     .phone = true,
     .date = "00000000",
     .jobs = JobsOf(kBuildingJobs),
     .low = 120000,
     .high = 450000},
    {.number = RaisNumber::kCaepf,
     .name = "JOS\xC9 CARLOS FERREIRA",
     .activity = "0151201",
     .nature = "4120",
     .town = 6,
     .simplified = false,
     .size = '0',
     .owners = "0001",
     .base_month = "06",
     .unions = {kNoUnion, kNoUnion, 1, kNoUnion},
     .email = "",
     .phone = true,
     .date = "10012009",
     .street = "FAZENDA BOA ESPERAN\xC7\x41, ESTRADA VICINAL KM 8",
     .street_number = "S/N",
     .complement = "Fazenda"},
    {.number = RaisNumber::kCnpjOrCei,
     .name = "TRI\xC2NGULO SISTEMAS DE INFORM\xC1TICA LTDA",
     .activity = "6202300",
     .nature = "2062",
     .town = 5,
     .simplified = false,
     .size = '2',
     .owners = "0002",
     .base_month = "09",
     .unions = {1, kNoUnion, 3, kNoUnion},
     .email = "dp@trianguloinformatica.com.br",
     .phone = true,
     .date = "20092012",
     .jobs = JobsOf(kOfficeJobs),
     .low = 180000,
     .high = 900000},
    {.number = RaisNumber::kInvalid,
     .name = "AUTO PE\xC7\x41S GOI\xC2NIA LTDA",
     .activity = "4530703",
     .nature = "2062",
     .town = 0,
     .simplified = true,
     .size = '1',
     .owners = "0002",
     .base_month = "05",
     .unions = {0, kNoUnion, kNoUnion, kNoUnion},
     .email = "",
     .phone = true,
     .date = "03022016"},
    {.number = RaisNumber::kCnpj,
     .name = "SUPERMERCADO BOM PRE\xC7O LTDA",
     .activity = "4711302",
     .nature = "2062",
     .town = 0,
     .simplified = false,
     .size = '3',
     .owners = "0002",
     .base_month = "05",
     .unions = {0, 1, kNoUnion, kNoUnion},
     .email = "RH@BOMPRECO.COM.BR",
     .phone = true,
     .date = "02052005",
     .duplicate = true},
    {.number = RaisNumber::kCnpj,
     .name = "SINDICATO DOS EMPREGADOS NO COM\xC9RCIO DE PORTO ALEGRE",
     .activity = "9420100",
     .nature = "3131",
     .town = 4,
     .simplified = false,
     .size = '1',
     .owners = "0000",
     .base_month = "11",
     .unions = {kNoUnion, kNoUnion, kNoUnion, kNoUnion},
     .email = "secretaria@sindecpoa.org.br",
     .phone = true,
     .date = "12041987",
     .jobs = JobsOf(kUnionJobs),
     .low = 120000,
     .high = 400000},
    {.number = RaisNumber::kCnpj,
     .name = "AGROPECU\xC1RIA SERRA AZUL LTDA",
     .activity = "0115600",
     .nature = "2062",
     .town = 6,
     .simplified = false,
     .size = '2',
     .owners = "0004",
     .base_month = "07",
     .unions = {kNoUnion, 2, kNoUnion, kNoUnion},
     .email = "fazenda@serraazul.agr.br",
     .phone = false,
     .date = "01071998",
     .jobs = JobsOf(kFarmJobs),
     .low = 95400,
     .high = 350000},
};

constexpr int kEmployerCaseCount =
    static_cast<int>(sizeof(kEmployerCases) / sizeof(kEmployerCases[0]));

struct WorkerCase {
  int employer;  // in kEmployerCases
  const char* occupation;
  Gender sex;
  int salary_type;  // 1 monthly, 2 fortnightly, 3 weekly, 4 daily, 5 hourly
  int cents;        // the contractual salary
  int hours;        // weekly
  int employment;   // the employment type
  int cause = 0;    // of the dismissal, 0 for none
  int day = 0;      // and its day and month
  int month = 0;
  const char* pis = nullptr;  // nullptr: a valid number drawn
  const char* cpf = nullptr;
  int schooling = 0;  // 0: drawn
  int nationality = 10;
  int disability = 0;
};

constexpr WorkerCase kWorkerCases[] = {
    {0, "421125", Gender::kFemale, 1, 150000, 44, 10},
    {0, "521125", Gender::kMale, 1, 250000, 44, 10, 11, 15, 6},
    {0, "521110", Gender::kFemale, 2, 90000, 44, 10},
    {0, "848510", Gender::kMale, 3, 45000, 44, 10},
    {0, "513505", Gender::kFemale, 4, 8000, 44, 10, 0, 0, 0, "00000000000"},
    {0, "521115", Gender::kMale, 5, 1500, 20, 10, 0, 0, 0, nullptr, ""},
    {0, "421125", Gender::kFemale, 5, 1200, 0, 60},
    {0, "142305", Gender::kMale, 6, 400000, 44, 10},
    {0, "142105", Gender::kFemale, 7, 700000, 44, 80},
    {0, "411005", Gender::kMale, 1, 95400, 30, 55, 0, 0, 0, nullptr, nullptr,
     5},
    {0, "783215", Gender::kMale, 1, 130000, 44, 10},
    {1, "513205", Gender::kMale, 1, 180000, 44, 10, 21, 30, 11},
    {1, "513405", Gender::kMale, 1, 130000, 44, 10},
    {1, "513405", Gender::kFemale, 1, 130000, 44, 10},
    {1, "513505", Gender::kFemale, 1, 110000, 44, 60, 12, 28, 7},
    {2, "512105", Gender::kFemale, 1, 120000, 44, 15, 0, 0, 0, "", nullptr, 4,
     22},
    {2, "516205", Gender::kFemale, 1, 140000, 44, 15, 0, 0, 0, nullptr,
     "00000000000"},
    {3, "715210", Gender::kMale, 1, 220000, 44, 10},
    {3, "717020", Gender::kMale, 1, 140000, 44, 10},
    {3, "717020", Gender::kMale, 1, 140000, 44, 10, 10, 9, 3},
    {3, "715230", Gender::kMale, 1, 200000, 44, 10},
    {3, "710205", Gender::kMale, 1, 450000, 44, 60, 12, 30, 8},
    {4, "621005", Gender::kMale, 1, 120000, 44, 25},
    {4, "641015", Gender::kMale, 1, 190000, 44, 25},
    {4, "622020", Gender::kFemale, 4, 6000, 44, 75},
    {5, "212405", Gender::kFemale, 1, 650000, 40, 10, 0, 0, 0, nullptr, nullptr,
     10},
    {5, "317110", Gender::kMale, 1, 420000, 40, 10, 0, 0, 0, nullptr, nullptr,
     11, 45},
    {5, "411010", Gender::kFemale, 1, 200000, 40, 10, 0, 0, 0, nullptr, nullptr,
     0, 10, 1},
    {5, "411010", Gender::kMale, 1, 210000, 40, 10, 60, 2, 4},
    {6, "521110", Gender::kMale, 1, 140000, 44, 10},
    {7, "421125", Gender::kFemale, 1, 150000, 44, 10},
    {8, "252305", Gender::kFemale, 1, 320000, 40, 10},
    {8, "411030", Gender::kMale, 1, 210000, 40, 10, 0, 0, 0, nullptr, nullptr,
     0, 10, 6},
    {9, "622020", Gender::kMale, 4, 7000, 44, 70},
    {9, "641015", Gender::kMale, 1, 200000, 44, 20},
    {9, "623110", Gender::kMale, 1, 150000, 44, 20, 21, 31, 1},
};

// Dismissal causes of the drawn workers.
constexpr int kCauses[] = {10, 11, 11, 12, 20, 21, 21, 31, 60, 70, 72, 79};
// Race or colour: white, black, brown, yellow, indigenous, not told.
constexpr int kRaces[] = {2, 2, 8, 8, 4, 6, 1, 9};
// Weekly hours of part-time drawn workers.
constexpr int kPartHours[] = {20, 30, 36, 40};
// Salaries of other types than monthly: the monthly salary divided by this.
constexpr int kPerMonth[] = {1, 1, 2, 4, 22, 220, 1, 1};
// Real occupation codes the shipped page leaves out.
constexpr const char* kOffPageJobs[] = {"783215", "715230"};

std::string Digits(int value, int width) {
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%0*d", width, value);
  return buf;
}

std::string DayMonthYear(int day, int month, int year) {
  return Digits(day, 2) + Digits(month, 2) + Digits(year, 4);
}

bool IsCeiNumber(const std::string& digits) {
  return digits.compare(0, 2, "00") == 0 && IsValidCei(digits.substr(2));
}

// Employer numbers of each kind, 14 characters.
std::string CnpjNumber(Random& random) {
  for (;;) {
    std::string d = DigitsOf(RandomCnpj(random));
    if (!IsCeiNumber(d)) return d;
  }
}

std::string CeiNumber(Random& random) {
  for (;;) {
    std::string d = "00" + DigitsOf(RandomCei(random));
    if (!IsValidCnpj(d)) return d;
  }
}

// A CNPJ whose last twelve digits are also a CEI: one in ten CNPJs that
// begin with 00 is.
std::string CnpjAndCeiNumber(Random& random) {
  for (;;) {
    std::string d =
        DigitsOf(CnpjFromBase("00" + RandomDigits(random, 6) + "0001"));
    if (IsCeiNumber(d)) return d;
  }
}

// The person's CPF base, a sequence number and two digits.
std::string CaepfNumber(Random& random) {
  for (;;) {
    std::string d = DigitsOf(RandomCpf(random)).substr(0, 9) + "001" +
                    RandomDigits(random, 2);
    if (!IsValidCnpj(d) && !IsCeiNumber(d)) return d;
  }
}

// A CNPJ typed without its check digits.
std::string InvalidNumber(Random& random) {
  return std::to_string(random.Range(10, 99)) + RandomDigits(random, 6) +
         "0001";
}

class RaisBuilder {
 public:
  RaisBuilder(const RaisOptions& options, RaisSample* sample)
      : options_(options),
        sample_(sample),
        random_(
            FamilyRandom(SampleOptions{.seed = options.seed}, kRaisFamily)) {
    for (int i = 0; i < 4; ++i) employer_unions_[i] = CnpjNumber(random_);
    for (int i = 0; i < 3; ++i) worker_unions_[i] = CnpjNumber(random_);
    declarant_ = CnpjNumber(random_);
  }

  void Build() {
    Declarant();
    // The drawn workers go to the employers that are imported, in turn.
    std::vector<int> drawn(kEmployerCaseCount, 0);
    std::vector<int> takers;
    for (int e = 0; e < kEmployerCaseCount; ++e) {
      if (kEmployerCases[e].jobs.count > 0) takers.push_back(e);
    }
    for (int i = 0; i < options_.workers; ++i) {
      ++drawn[takers[i % static_cast<int>(takers.size())]];
    }
    for (int e = 0; e < kEmployerCaseCount; ++e) {
      Employer(kEmployerCases[e]);
      for (const WorkerCase& w : kWorkerCases) {
        if (w.employer == e) Worker(kEmployerCases[e], w);
      }
      for (int i = 0; i < drawn[e]; ++i) {
        Worker(kEmployerCases[e], DrawnWorker(e));
      }
    }
    Closing();
  }

 private:
  RecordText NewRecord(const std::string& number, char type) {
    RecordText r(kRaisRecordLength);
    Put(r, kSequence, Digits(static_cast<int>(sample_->records.size()) + 1, 6));
    Put(r, kNumber, number);
    Put(r, kNumberPrefix, "00");
    Put(r, kType, std::string(1, type));
    return r;
  }

  static void Put(RecordText& r, Field f, const std::string& value) {
    r.Put(f.offset, f.width, value);
  }

  void PutAddress(RecordText& r, const Town& town) {
    Put(r, kStreet,
        Upper(std::string(random_.Pick(kStreetKinds)) + " " +
              random_.Pick(kStreetNames)));
    Put(r, kStreetNumber, std::to_string(random_.Range(1, 3999)));
    Put(r, kComplement, Upper(random_.Pick(kComplements)));
    Put(r, kDistrict, Upper(random_.Pick(kDistricts)));
    Put(r, kCep, std::string(town.cep_prefix) + RandomDigits(random_, 3));
    Put(r, kTownCode, town.ibge);
    Put(r, kCity, town.city);
    Put(r, kState, town.state);
  }

  void Declarant() {
    RecordText r = NewRecord(declarant_, '0');
    Put(r, kEmployerName, "ESCRIT\xD3RIO CONT\xC1\x42IL CONCEI\xC7\xC3O LTDA");
    PutAddress(r, kTowns[0]);
    Put(r, kAreaCode, "11");
    Put(r, kPhone, "0" + RandomDigits(random_, 8));
    Put(r, kEmail, "folha@contabilconceicao.com.br");
    Put(r, kBaseYear, std::to_string(options_.base_year));
    sample_->records.push_back(r.text());
  }

  std::string EmployerNumber(const EmployerCase& c) {
    switch (c.number) {
      case RaisNumber::kCnpj:
        return CnpjNumber(random_);
      case RaisNumber::kZeros:
        return std::string(14, '0');
      case RaisNumber::kCei:
        return CeiNumber(random_);
      case RaisNumber::kCaepf:
        return CaepfNumber(random_);
      case RaisNumber::kCnpjOrCei:
        return CnpjAndCeiNumber(random_);
      case RaisNumber::kInvalid:
        break;
    }
    return InvalidNumber(random_);
  }

  void Employer(const EmployerCase& c) {
    number_ = c.duplicate ? first_number_ : EmployerNumber(c);
    if (sample_->employers.empty()) first_number_ = number_;
    RecordText r = NewRecord(number_, '1');
    const Town& town = kTowns[c.town];
    Put(r, kEmployerName, c.name);
    PutAddress(r, town);
    if (c.street != nullptr) {
      Put(r, kStreet, c.street);
      Put(r, kStreetNumber, c.street_number);
      Put(r, kComplement, c.complement);
    }
    if (c.phone) {
      Put(r, kAreaCode, town.area_code);
      Put(r, kPhone,
          random_.OneIn(2) ? "9" + RandomDigits(random_, 8)
                           : "0" + std::to_string(random_.Range(2, 3)) +
                                 RandomDigits(random_, 7));
    } else {
      Put(r, kAreaCode, "00");
      Put(r, kPhone, "000000000");
    }
    Put(r, kEmail, c.email);
    Put(r, kActivity, c.activity);
    Put(r, kLegalNature, c.nature);
    Put(r, kOwners, c.owners);
    Put(r, kBaseMonth, c.base_month);
    Put(r, kBaseYear, std::to_string(options_.base_year));
    Put(r, kSize, std::string(1, c.size));
    Put(r, kSimplified, c.simplified ? "1" : "2");
    Put(r, kEmployerDate, c.date);
    for (std::size_t k = 0; k < 4; ++k) {
      std::size_t at = kEmployerUnions + k * kEmployerUnionStride;
      bool some = c.unions[k] != kNoUnion;
      r.Put(at, 14,
            some ? employer_unions_[c.unions[k]] : std::string(14, '0'));
      r.Put(at + 14, 9, Digits(some ? random_.Range(5000, 90000) : 0, 9));
    }
    int index = static_cast<int>(sample_->employers.size());
    Put(r, kEmployerCode, std::to_string(index % 4 + 1));

    RaisEmployer e;
    e.record = sample_->records.size();
    e.number = c.number;
    e.duplicate = c.duplicate;
    e.simplified = c.simplified;
    e.rural = c.activity[0] == '0' && c.activity[1] < '4';
    sample_->employers.push_back(e);
    sample_->records.push_back(r.text());
  }

  WorkerCase DrawnWorker(int employer) {
    const EmployerCase& c = kEmployerCases[employer];
    bool rural = c.activity[0] == '0' && c.activity[1] < '4';
    WorkerCase w{employer, nullptr, Gender::kAny, 1, 0, 44, rural ? 20 : 10};
    w.occupation = c.jobs.codes[random_.Uniform(c.jobs.count)];
    if (random_.OneIn(25)) w.occupation = random_.Pick(kOffPageJobs);
    w.sex = random_.OneIn(2) ? Gender::kMale : Gender::kFemale;
    w.cents = random_.Range(c.low / 100, c.high / 100) * 100;
    if (random_.OneIn(6)) {
      w.salary_type = random_.Range(2, 7);
      w.cents = w.cents / kPerMonth[w.salary_type];
    }
    w.hours = random_.OneIn(5) ? random_.Pick(kPartHours) : 44;
    if (random_.OneIn(8)) w.employment = rural ? 70 : 60;
    if (random_.OneIn(6)) {
      w.cause = random_.Pick(kCauses);
      w.month = random_.Range(1, 12);
      w.day = random_.Range(1, DaysInMonth(w.month, options_.base_year));
    }
    return w;
  }

  // What the worker earned in each month of the base year.
  std::int64_t MonthlyPay(const WorkerCase& w) const {
    std::int64_t cents = w.cents;
    switch (w.salary_type) {
      case 2:
        return cents * 2;
      case 3:
        return cents * 13 / 3;
      case 4:
        return cents * 26;
      case 5:
        return cents * (w.hours > 0 ? w.hours : 44) * 5;
      default:
        return cents;
    }
  }

  void Worker(const EmployerCase& employer, const WorkerCase& w) {
    RecordText r = NewRecord(number_, '2');
    int year = options_.base_year;
    Put(r, kPis, w.pis != nullptr ? w.pis : DigitsOf(RandomPis(random_)));
    Put(r, kWorkerName, PersonName(random_, w.sex));
    int birth_year = random_.Range(1955, year - 18);
    if (w.employment == 55) birth_year = year - random_.Range(15, 19);
    int birth_month = random_.Range(1, 12);
    Put(r, kBirth,
        DayMonthYear(random_.Range(1, DaysInMonth(birth_month, birth_year)),
                     birth_month, birth_year));
    Put(r, kNationality, Digits(w.nationality, 2));
    Put(r, kArrival,
        w.nationality > 10 ? std::to_string(random_.Range(1990, year - 1))
                           : "0000");
    int schooling = w.schooling > 0 ? w.schooling : random_.Range(1, 9);
    Put(r, kSchooling, Digits(schooling, 2));
    Put(r, kCpf, w.cpf != nullptr ? w.cpf : DigitsOf(RandomCpf(random_)));
    Put(r, kCardNumber,
        random_.OneIn(10) ? "00000000" : Digits(random_.Range(1, 9999999), 8));
    Put(r, kCardSeries,
        random_.OneIn(10) ? "00000" : Digits(random_.Range(1, 999), 5));
    int first_year = std::max(birth_year + 16, year - 20);
    int admission_year = random_.Range(first_year, year - 1);
    int admission_month = random_.Range(1, 12);
    Put(r, kAdmission,
        DayMonthYear(
            random_.Range(1, DaysInMonth(admission_month, admission_year)),
            admission_month, admission_year));
    Put(r, kAdmissionType, Digits(random_.Range(1, 4), 2));
    Put(r, kSalary, Digits(w.cents, 9));
    Put(r, kSalaryType, std::to_string(w.salary_type));
    Put(r, kWeeklyHours, Digits(w.hours, 2));
    Put(r, kOccupation, w.occupation);
    Put(r, kEmploymentType, Digits(w.employment, 2));
    Put(r, kDismissalCause, Digits(w.cause, 2));
    Put(r, kDismissalDay,
        w.cause > 0 ? Digits(w.day, 2) + Digits(w.month, 2) : "0000");
    int last_month = w.cause > 0 ? w.month : 12;
    for (int m = 0; m < 12; ++m) {
      r.Put(kMonthlyPay + 9 * static_cast<std::size_t>(m), 9,
            Digits(m < last_month ? static_cast<int>(MonthlyPay(w)) : 0, 9));
    }
    Put(r, kRace, std::to_string(random_.Pick(kRaces)));
    Put(r, kDisabled, w.disability > 0 ? "1" : "2");
    Put(r, kDisability, std::to_string(w.disability));
    Put(r, kSex, w.sex == Gender::kMale ? "1" : "2");
    // Workers of a union pay their contribution to the workers' union of
    // the trade; now and then to a second one as well.
    bool member = employer.unions[0] != kNoUnion && !random_.OneIn(4);
    bool second = member && random_.OneIn(5);
    for (std::size_t k = 0; k < 5; ++k) {
      std::size_t at = kWorkerUnions + k * kWorkerUnionStride;
      std::string cnpj(14, '0');
      if (k == 0 && member) cnpj = worker_unions_[w.employer % 3];
      if (k == 1 && second) cnpj = worker_unions_[(w.employer + 1) % 3];
      bool paid = cnpj != std::string(14, '0');
      r.Put(at, 14, cnpj);
      r.Put(at + 14, 8, Digits(paid ? w.cents / 30 : 0, 8));
    }
    sample_->employers.back().workers.push_back(sample_->records.size());
    sample_->records.push_back(r.text());
  }

  void Closing() {
    RecordText r = NewRecord(declarant_, '9');
    int employers = static_cast<int>(sample_->employers.size());
    int workers = static_cast<int>(sample_->records.size()) - 1 - employers;
    Put(r, kEmployerCount, Digits(employers, 6));
    Put(r, kWorkerCount, Digits(workers, 6));
    sample_->records.push_back(r.text());
  }

  const RaisOptions& options_;
  RaisSample* sample_;
  Random random_;
  std::string employer_unions_[4];
  std::string worker_unions_[3];
  std::string declarant_;
  std::string number_;        // of the employer being written
  std::string first_number_;  // which the duplicate repeats
};

}  // namespace

RaisSample BuildRaisSample(const RaisOptions& options) {
  RaisSample sample;
  sample.options = options;
  RaisBuilder(options, &sample).Build();
  return sample;
}

std::string RaisFileText(const RaisSample& sample) {
  std::string text;
  text.reserve(sample.records.size() * (kRaisRecordLength + 2));
  for (const std::string& record : sample.records) {
    text += record;
    text += "\r\n";
  }
  return text;
}

std::string CboPage() { return std::string(kCboPage, kCboPageSize); }

bool WriteRaisFolder(const RaisSample& sample, const std::string& dir,
                     std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = "cannot write " + dir;
    return false;
  }
  const std::pair<const char*, std::string> files[] = {
      {kRaisFileName, RaisFileText(sample)}, {kCboPageName, CboPage()}};
  for (const auto& [name, bytes] : files) {
    std::filesystem::path path = std::filesystem::path(dir) / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

}  // namespace sample
}  // namespace labrena
