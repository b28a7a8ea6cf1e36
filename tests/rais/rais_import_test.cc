// The RAIS import: RAIS records and expected register records placed by
// offset from the layouts.
#include "rais/rais_import.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/testing/layout.h"
#include "tests/testing/scratch.h"

namespace labrena {
namespace {

using Fields = std::vector<std::pair<std::size_t, std::string>>;

// A RAIS record: 551 characters of the type at 22 and the fields given,
// then CR LF.
std::string Rais(char type, const Fields& fields) {
  std::string record(551, ' ');
  record[22] = type;
  for (const auto& [at, text] : fields) record.replace(at, text.size(), text);
  return record + "\r\n";
}

// An employer with a number and a name; the rest of the fields as given.
std::string Employer(const std::string& number, const std::string& name,
                     Fields more = {}) {
  more.insert(more.begin(), {{6, number}, {23, name}});
  return Rais('1', more);
}

constexpr const char* kPage =
    "<html><body><table>\r\n"
    "<tr bgcolor=\"#FFFFFF\"><td>411010</td><td>Assistente administrativo"
    "</td></tr>\r\n"
    "<tr bgcolor=\"#FFFFFF\"><td>411010</td><td>Outro nome</td></tr>\r\n"
    "<tr bgcolor=\"#FFFFFF\"><td>622010</td><td>Trabalhador agr\xED" "cola"
    "</td></tr>\r\n"
    "</table></body></html>\r\n";

std::string Records(const std::vector<std::string>& records) {
  std::string all;
  for (const std::string& r : records) all += r;
  return all;
}

std::string Counter(const std::string& name, const std::string& value) {
  return Rec(30).Put(10, 10, name).Put(20, 10, value).str();
}

std::string Items(const std::string& first, const std::string& second) {
  std::string block = first + second;
  for (int i = 0; i < 22; ++i) block += Entry('1', "000", "", "0.00");
  return block + " ";
}

std::string FinalMessage(int employers, int workers) {
  return "Foram convertidos " + std::to_string(employers) +
         " empregadores e " + std::to_string(workers) + " trabalhadores.";
}

TEST(RaisImportTest, CompanyWithThreeWorkers) {
  ScratchFolder s;
  s.Write("cod-cbo2002.htm", kPage);
  std::string employer = Employer(
      "11222333000181", "Padaria Boa Vista Ltda",
      {{75, "Rua das Flores"}, {115, "000123"}, {121, "Sala 1234567"},
       {142, "Centro"}, {161, "01310100"}, {176, "Sao Paulo"}, {206, "sp"},
       {208, "11"}, {210, "003456789"}, {219, "Contato@Padaria.com.br"},
       {264, "1091101"}, {271, "2062"}, {275, "0000"}, {279, "03"},
       {297, "2023"}, {301, "1"}, {302, "1"}, {335, "15032023"},
       {343, "11444777000161"}, {366, "33000167000101"}, {453, "3"}});
  std::string maria = Rais(
      '2', {{23, "12055310773"}, {34, "Maria da Silva"}, {86, "01021990"},
            {94, "10"}, {96, "0000"}, {100, "07"}, {102, "11144477735"},
            {113, "00012345"}, {121, "00123"}, {126, "01022020"}, {134, "03"},
            {136, "000150000"}, {145, "1"}, {146, "44"}, {148, "411010"},
            {154, "10"}, {156, "11"}, {158, "3112"}, {292, "2"}, {294, "0"},
            {305, "2"}, {385, "11444777000161"}});
  // No PIS or CPF; paid by the hour with no weekly hours; a new union.
  std::string jose = Rais(
      '2', {{23, "00000000000"}, {34, "Jose Souza"}, {136, "000001000"},
            {145, "5"}, {146, "00"}, {148, "622010"}, {154, "70"},
            {473, "11222333000181"}});
  std::string ana = Rais(
      '2', {{23, "12055310773"}, {34, "Ana Lima"}, {94, "30"}, {96, "2015"},
            {100, "10"}, {102, "11144477735"}, {136, "000200000"},
            {145, "3"}, {148, "411010"}, {154, "70"}, {292, "8"}, {294, "6"},
            {305, "1"}});
  s.Write("Rais.txt", employer + maria + jose + ana);
  ImportRais(s.ctx(), "cod-cbo2002.htm");

  std::string company =
      Rec(1000)
          .Put(0, 11, "00001").Put(11, 40, "PADARIA BOA VISTA LTDA")
          .Put(91, 40, "RUA DAS FLORES").Put(131, 5, "123")
          .Put(136, 25, "SALA 123").Put(161, 30, "CENTRO")
          .Put(191, 9, "01310-100").Put(200, 30, "SAO PAULO")
          .Put(230, 9, "SP").Put(239, 11, "0")
          .Put(250, 18, "11.222.333/0001-81").Put(286, 4, "11")
          .Put(290, 82, "3456789").Put(372, 180, "contato@padaria.com.br")
          .Put(552, 61, "15/03/2023").Put(631, 7, "1091101")
          .Put(638, 2, "01").Put(640, 2, "20").Put(642, 9, "8000  000")
          .Put(651, 1, "2").Put(652, 2, "03").Put(654, 4, "1")
          .Put(658, 5, "206-2").Put(663, 3, "787").Put(666, 4, "2003")
          .Put(670, 12, "0000").Put(682, 15, "00002").Put(697, 4, "0000")
          .Put(701, 33, "0").Put(734, 10, "0,00").Put(744, 6, "1,0000")
          .Put(750, 250, "0,00")
          .str();
  EXPECT_EQ(s.Read("F00R0.DAT"), company);

  auto union_record = [](const char* code, const char* name,
                         const char* group, const char* cnpj) {
    return Rec(814).Put(0, 11, code).Put(11, 221, name).Put(232, 6, group)
        .Put(238, 1, "0").Put(239, 11, "0").Put(250, 18, cnpj).str();
  };
  EXPECT_EQ(s.Read("F01R0.DAT"),
            Records({union_record("00001", "SINDICATO PATRONAL", "100",
                                  "11.444.777/0001-61"),
                     union_record("00002", "SINDICATO PATRONAL", "100",
                                  "33.000.167/0001-01"),
                     union_record("00003", "SINDICATO TRAB", "101",
                                  "11.222.333/0001-81")}));

  auto day = [](const char* code, const char* name) {
    return Rec(250).Put(0, 11, code).Put(11, 40, name).Put(51, 1, "1")
        .Put(52, 10, "00001").Put(62, 18, "00");
  };
  Rec pattern(250);
  pattern.Put(0, 11, "00001").Put(11, 40, "JORNADA 44 HORAS").Put(51, 1, "0")
      .Put(52, 10, "00001").Put(62, 18, "110").Put(110, 140, "00002");
  for (std::size_t at = 85; at <= 105; at += 5) pattern.Put(at, 5, "00001");
  EXPECT_EQ(s.Read("F36R0.DAT"),
            Records({pattern.str(),
                     day("00001", "SEGUNDA A SEXTA").Put(80, 5, "07:00")
                         .Put(85, 5, "17:00").Put(90, 5, "08:00")
                         .Put(95, 5, "11:00").Put(100, 5, "13:00")
                         .Put(105, 5, "02:00").str(),
                     day("00002", "S\xC1" "BADO").Put(80, 5, "07:00")
                         .Put(85, 5, "11:00").Put(90, 5, "04:00").str()}));

  auto job = [](const char* code, const char* name, const char* key) {
    return Rec(250).Put(0, 11, code).Put(11, 40, name).Put(51, 21, key)
        .Put(72, 178, "0").str();
  };
  // The first row of a code names the job; 62... is rural work.
  EXPECT_EQ(s.Read("F35R0.DAT"),
            job("00001", "ASSISTENTE ADMINISTRATIVO", "000001     411010") +
                job("00002", "TRABALHADOR RURAL", "000001     622010"));

  std::string workers = s.Read("F16R0.DAT");
  ASSERT_EQ(workers.size(), 3u * 2000);
  std::string first =
      Rec(2000)
          .Put(0, 11, "00001").Put(11, 80, "MARIA DA SILVA")
          .Put(91, 40, "RUA DAS FLORES").Put(131, 5, "123")
          .Put(136, 25, "SALA 123").Put(161, 30, "CENTRO")
          .Put(191, 9, "01310-100").Put(200, 30, "SAO PAULO")
          .Put(230, 10, "SP").Put(345, 14, "111.444.777-35")
          .Put(359, 12, "1205531077-3").Put(371, 11, "12345")
          .Put(382, 64, "123").Put(446, 50, "01/02/1990").Put(496, 1, "0")
          .Put(589, 1, "F").Put(590, 1, "0").Put(591, 1, "0")
          .Put(592, 256, "07").Put(874, 5, "00001")
          .Put(894, 10, "01/02/2020").Put(904, 10, "01/02/2020")
          .Put(914, 2, "1").Put(916, 2, "03").Put(918, 21, "01/02/2020")
          .Put(939, 11, "1").Put(950, 3, "1").Put(953, 3, "101")
          .Put(956, 1, "0").Put(957, 11, "1").Put(968, 5, "00001")
          .Put(973, 5, "00001").Put(978, 5, "00001").Put(983, 99, "44:00")
          .Put(1082, 10, "31/12/2023").Put(1092, 2, "01")
          .Put(1094, 285, "1").Put(1379, 1, "1").Put(1380, 19, "1.500,00")
          .Put(1399, 601,
               Items(Entry('1', "001", "1", "1500.00"),
                     Entry('2', "500", "8.00", "12000.00")))
          .str();
  EXPECT_EQ(workers.substr(0, 2000), first);

  std::string second = workers.substr(2000, 2000);
  EXPECT_EQ(second.substr(345, 26), Pad("", 14) + "0000000000-0");
  EXPECT_EQ(second.substr(939, 29), Rec(29).Put(0, 11, "3").Put(11, 3, "1")
                                        .Put(14, 3, "101").Put(17, 1, "0")
                                        .Put(18, 11, "2").str());
  EXPECT_EQ(second.substr(968, 15), "0000300002" + Pad("00001", 5));
  EXPECT_EQ(second.substr(1082, 12), Pad("", 12));  // no dismissal
  EXPECT_EQ(second.substr(1379, 20), "5" + Pad("10,00", 19));
  // Hourly: five times 44 hours.
  EXPECT_EQ(second.substr(1399, 601),
            Items(Entry('1', "001", "220", "2200.00"),
                  Entry('2', "500", "8.00", "80.00")));

  std::string third = workers.substr(4000, 2000);
  EXPECT_EQ(third.substr(496, 2), "30");
  EXPECT_EQ(third.substr(497, 10), "01/01/2015");
  EXPECT_EQ(third.substr(589, 5), "M19" "11");
  EXPECT_EQ(third.substr(968, 10), Pad("", 5) + "00001");  // shares the job
  EXPECT_EQ(third.substr(1379, 20), "3" + Pad("2.000,00", 19));
  EXPECT_EQ(third.substr(1399, 50),
            Entry('1', "001", "4,28", "8560.00") +
                Entry('2', "500", "9.00", "18000.00"));

  EXPECT_EQ(s.Read("F34.DAT"),
            Counter("0", "1") + Counter("1-0", "3") + Counter("16", "3") +
                Counter("35-0", "2") + Counter("36-0", "1") +
                Counter("36-1", "2"));

  const auto& boxes = s.ui().boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].title, "Trab");
  EXPECT_EQ(boxes[0].text, "PIS n\xE3o informado");
  EXPECT_EQ(boxes[1].text, "CPF n\xE3o informado");
  EXPECT_EQ(boxes[2].title, "Rais");
  EXPECT_EQ(boxes[2].text, FinalMessage(1, 3));
  EXPECT_EQ(boxes[2].icon, Icon::kInformation);
}

TEST(RaisImportTest, EmployerKindsQuestionsAndRefusals) {
  ScratchFolder s;
  s.Write("cod-cbo2002.htm", kPage);
  s.Write("Rais.txt",
          Employer("00000000000000", "Joao Pereira") +
              Employer("00000000000000", "Sem Numero") +
              Employer("00123456789010", "Obra Um") +
              Employer("12345678901234", "Fazenda Rio", {{264, "0133401"}}) +
              Rais('2', {{34, "Pedro"}, {148, "411010"}}) +
              Rais('2', {{34, "Paulo"}, {148, "999999"}}) +
              Employer("ABC", "Errado") +
              Employer("00100000004150", "Dupla") +
              Employer("00123456789010", "Obra Dois") +
              Employer("12345678901234", "Fazenda Dois") +
              Employer("11222333000181", "Empresa") +
              Employer("11222333000181", "Empresa Dois"));
  s.ui().Script(Answer::kYes);  // a natural person
  s.ui().Script(Answer::kNo);   // a company without a number
  s.ui().Script(Answer::kNo);   // the CEI rather than the CNPJ
  ImportRais(s.ctx(), "cod-cbo2002.htm");

  std::string employers = s.Read("F00R0.DAT");
  ASSERT_EQ(employers.size(), 6u * 1000);
  auto field = [&](int n, std::size_t at, std::size_t width) {
    return employers.substr(n * 1000 + at, width);
  };
  // A natural person: the name twice, no number, "21", "90", "2208".
  EXPECT_EQ(field(0, 51, 40), Pad("JOAO PEREIRA", 40));
  EXPECT_EQ(field(0, 250, 36), Pad("", 36));
  EXPECT_EQ(field(0, 638, 4), "2190");
  EXPECT_EQ(field(0, 666, 4), "2208");
  // A company without a number.
  EXPECT_EQ(field(1, 51, 40), Pad("", 40));
  EXPECT_EQ(field(1, 638, 4), "  90");
  EXPECT_EQ(field(1, 666, 4), "2100");
  // CEI without its prefix.
  EXPECT_EQ(field(2, 250, 36), Pad("", 18) + Pad("12345678901-0", 18));
  EXPECT_EQ(field(2, 638, 2), "21");
  // CAEPF, a rural employer.
  EXPECT_EQ(field(3, 613, 18), "123.456.789/012-34");
  EXPECT_EQ(field(3, 642, 9), "8000  000");
  EXPECT_EQ(field(3, 663, 19), "6042208" + Pad("0003", 12));
  EXPECT_EQ(field(3, 734, 10), Pad("0,00", 10));
  EXPECT_EQ(field(3, 750, 4), "2,70");
  // Valid as CNPJ and as CEI, answered as a CEI.
  EXPECT_EQ(field(4, 250, 36), Pad("", 18) + Pad("10000000415-0", 18));
  EXPECT_EQ(field(5, 250, 18), "11.222.333/0001-81");

  // The rural employer's day schedules are flagged "11".
  std::string schedules = s.Read("F36R0.DAT");
  ASSERT_EQ(schedules.size(), 6u * 3 * 250);
  EXPECT_EQ(schedules.substr(3 * 750 + 250 + 52, 12), "00004     11");

  // Jobs are per employer; a code not on the page gets "CARGO".
  std::string jobs = s.Read("F35R0.DAT");
  EXPECT_EQ(jobs, Rec(250).Put(0, 11, "00001")
                          .Put(11, 40, "ASSISTENTE ADMINISTRATIVO")
                          .Put(51, 21, "000004     411010").Put(72, 178, "0")
                          .str() +
                      Rec(250).Put(0, 11, "00002").Put(11, 40, "CARGO 999999")
                          .Put(51, 21, "000004     999999").Put(72, 178, "0")
                          .str());
  std::string workers = s.Read("F16R0.DAT");
  EXPECT_EQ(workers.substr(874, 5), "00004");
  EXPECT_EQ(workers.substr(91, 40), Pad("", 40));  // no street given

  std::vector<std::pair<std::string, std::string>> shown;
  for (const ShownBox& box : s.ui().boxes()) shown.push_back({box.title, box.text});
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"00000000000000",
       "CNPJ/CEI/CAEPF n\xE3o informado.\n\nImportar como pessoa f\xEDsica?"},
      {"00000000000000",
       "CNPJ/CEI/CAEPF n\xE3o informado.\n\nImportar como pessoa f\xEDsica?"},
      {"Trab", "PIS n\xE3o informado"},
      {"Trab", "CPF n\xE3o informado"},
      {"Trab", "PIS n\xE3o informado"},
      {"Trab", "CPF n\xE3o informado"},
      {"ABC", "CNPJ/CEI/CAEPF inv\xE1lido."},
      {"00100000004150", "Pode ser CNPJ ou CEI.\n\nUsar CNPJ?"},
      {"00123456789010", "Empregador com CEI j\xE1 cadastrado"},
      {"12345678901234", "Empregador com CAEPF j\xE1 cadastrado"},
      {"11222333000181", "Empregador com CPF/CNPJ j\xE1 cadastrado"},
      {"Rais", FinalMessage(6, 2)}};
  EXPECT_EQ(shown, expected);
}

// What a folder holds before an import that must change nothing.
void WriteOldRegisters(ScratchFolder& s) {
  for (const char* name : {"F00R0.DAT", "F01R0.DAT", "F16R0.DAT", "F35R0.DAT",
                           "F36R0.DAT", "F34.DAT"}) {
    s.Write(name, std::string("old ") + name);
  }
}

std::string OneEmployerRais() {
  return Employer("11222333000181", "Empresa") +
         Rais('2', {{23, "12055310773"}, {34, "Ana"}, {102, "11144477735"},
                    {148, "411010"}});
}

TEST(RaisImportTest, MissingInputsChangeNothing) {
  for (bool page : {false, true}) {
    ScratchFolder s;
    WriteOldRegisters(s);
    if (page) {
      s.Write("cod-cbo2002.htm", kPage);
    } else {
      s.Write("Rais.txt", OneEmployerRais());
    }
    auto before = SnapshotOf(s.data());
    ImportRais(s.ctx(), "cod-cbo2002.htm");
    EXPECT_EQ(SnapshotOf(s.data()), before);
    ASSERT_EQ(s.ui().boxes().size(), 2u);
    EXPECT_EQ(s.ui().boxes()[0].text, page
                                          ? "Arquivo Rais n\xE3o encontrado."
                                          : "CBO n\xE3o encontrado.");
    EXPECT_EQ(s.ui().boxes()[1].text, FinalMessage(0, 0));
  }
}

TEST(RaisImportTest, FailureLeavesOldRegistersAndRerunIsClean) {
  ScratchFolder clean;
  clean.Write("cod-cbo2002.htm", kPage);
  clean.Write("Rais.txt", OneEmployerRais());
  ImportRais(clean.ctx(), "cod-cbo2002.htm");
  auto one_run = SnapshotOf(clean.data());

  // The disk fills while writing; then a register cannot be put in place.
  for (int attempt = 0; attempt < 2; ++attempt) {
    ScratchFolder s;
    WriteOldRegisters(s);
    s.Write("cod-cbo2002.htm", kPage);
    s.Write("Rais.txt", OneEmployerRais());
    auto before = SnapshotOf(s.data());
    if (attempt == 0) {
      s.faults().DiskFullAfter(3000);
    } else {
      s.faults().FailNth(FaultEnv::Op::kRename, 5);
    }
    ImportRais(s.ctx(), "cod-cbo2002.htm");
    EXPECT_EQ(SnapshotOf(s.data()), before) << attempt;
    ASSERT_EQ(s.ui().boxes().size(), 2u);
    EXPECT_EQ(s.ui().boxes()[0].icon, Icon::kError);
    EXPECT_EQ(s.ui().boxes()[1].text, FinalMessage(0, 0));

    s.faults().DiskFullAfter(-1);
    ImportRais(s.ctx(), "cod-cbo2002.htm");
    EXPECT_EQ(SnapshotOf(s.data()), one_run) << attempt;
  }
}

TEST(RaisImportTest, DamagedRaisFile) {
  ScratchFolder s;
  s.Write("cod-cbo2002.htm", kPage);
  std::string worker = Rais('2', {{23, "12055310773"}, {34, "Ana\nLima"},
                                  {102, "11144477735"}, {148, "411010"}});
  // A last record cut short after the worker's name, then an end mark.
  std::string cut =
      Rais('2', {{23, "12055310773"}, {34, "Rui"}}).substr(0, 60) + "\x1A";
  s.Write("Rais.txt", Employer("11222333000181", "Empresa") + worker + cut);
  ImportRais(s.ctx(), "cod-cbo2002.htm");
  std::string workers = s.Read("F16R0.DAT");
  ASSERT_EQ(workers.size(), 2u * 2000);
  EXPECT_EQ(workers.substr(11, 80), Pad("ANA LIMA", 80));
  EXPECT_EQ(workers.substr(2000 + 11, 80), Pad("RUI", 80));
  // One warning for the record with a line end inside a field; the CR LF
  // that ends every record is no damage.
  const auto& boxes = s.ui().boxes();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_NE(boxes[boxes.size() - 2].text.find(
                "O arquivo Rais.txt tinha 1 registro(s)"),
            std::string::npos);
  EXPECT_EQ(boxes.back().text, FinalMessage(1, 2));
}

}  // namespace
}  // namespace labrena
