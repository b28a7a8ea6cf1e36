// Words the sample folder is made of: Brazilian names, places, companies,
// jobs with their CBO occupation codes, schedules and payroll texts, all in
// Windows-1252.
#ifndef LABRENA_TOOLS_SAMPLE_VOCABULARY_H_
#define LABRENA_TOOLS_SAMPLE_VOCABULARY_H_

namespace labrena {
namespace sample {

inline constexpr const char* kMaleNames[] = {
    "Jo\xE3o",   "Jos\xE9",   "Ant\xF4nio",    "Francisco",    "Carlos",
    "Paulo",     "Pedro",     "Lucas",         "Lu\xEDs",      "Marcos",
    "Gabriel",   "Rafael",    "Andr\xE9",      "Fernando",     "S\xE9rgio",
    "M\xE1rcio", "Ot\xE1vio", "Ign\xE1\x63io", "Sebasti\xE3o",
};

inline constexpr const char* kFemaleNames[] = {
    "Maria",          "Ana",        "Francisca",       "Ant\xF4nia",
    "Adriana",        "Juliana",    "M\xE1rcia",       "Fernanda",
    "Patr\xED\x63ia", "Aline",      "Concei\xE7\xE3o", "F\xE1tima",
    "Let\xED\x63ia",  "B\xE1rbara", "Cec\xEDlia",      "In\xEAs",
    "Ros\xE2ngela",
};

inline constexpr const char* kSurnames[] = {
    "Silva",           "Santos",          "Oliveira",
    "Souza",           "Rodrigues",       "Ferreira",
    "Alves",           "Pereira",         "Lima",
    "Gomes",           "Ribeiro",         "Carvalho",
    "Ara\xFAjo",       "Gon\xE7\x61lves", "Sim\xF5\x65s",
    "Magalh\xE3\x65s", "Assun\xE7\xE3o",  "Concei\xE7\xE3o",
    "Falc\xE3o",       "Brand\xE3o",      "Rom\xE3o",
    "Guimar\xE3\x65s", "Louren\xE7o",     "Mendon\xE7\x61",
    "Nogueira",        "Barbosa",         "Teixeira",
    "Cardoso",         "Rocha",           "Dias",
    "Bragan\xE7\x61",  "Le\xE3o",
};

struct City {
  const char* name;
  const char* state;
  int cep_prefix;  // first three digits of the city's postal codes
  const char* area_code;
};

inline constexpr City kCities[] = {
    {"S\xE3o Paulo", "SP", 10, "011"},
    {"Campinas", "SP", 130, "019"},
    {"Ribeir\xE3o Preto", "SP", 140, "016"},
    {"Santos", "SP", 110, "013"},
    {"S\xE3o Jos\xE9 dos Campos", "SP", 122, "012"},
    {"Rio de Janeiro", "RJ", 200, "021"},
    {"Niter\xF3i", "RJ", 240, "021"},
    {"Belo Horizonte", "MG", 300, "031"},
    {"Uberl\xE2ndia", "MG", 384, "034"},
    {"Curitiba", "PR", 800, "041"},
    {"Maring\xE1", "PR", 870, "044"},
    {"Londrina", "PR", 860, "043"},
    {"Florian\xF3polis", "SC", 880, "048"},
    {"Joinville", "SC", 892, "047"},
    {"Porto Alegre", "RS", 900, "051"},
    {"Caxias do Sul", "RS", 950, "054"},
    {"Goi\xE2nia", "GO", 740, "062"},
    {"Bras\xEDlia", "DF", 700, "061"},
    {"Salvador", "BA", 400, "071"},
    {"Recife", "PE", 500, "081"},
    {"Fortaleza", "CE", 600, "085"},
    {"Bel\xE9m", "PA", 660, "091"},
    {"Vit\xF3ria", "ES", 290, "027"},
    {"S\xE3o Lu\xEDs", "MA", 650, "098"},
    {"Cuiab\xE1", "MT", 780, "065"},
    {"Jo\xE3o Pessoa", "PB", 580, "083"},
};

inline constexpr const char* kStreetKinds[] = {"Rua", "Avenida", "Travessa",
                                               "Alameda", "Pra\xE7\x61"};

inline constexpr const char* kStreetNames[] = {
    "Dom Pedro II",
    "Tiradentes",
    "Sete de Setembro",
    "XV de Novembro",
    "Marechal Deodoro",
    "Get\xFAlio Vargas",
    "Jo\xE3o Pessoa",
    "Santos Dumont",
    "das Ac\xE1\x63ias",
    "Bar\xE3o do Rio Branco",
    "Volunt\xE1rios da P\xE1tria",
    "Concei\xE7\xE3o",
    "S\xE3o Jos\xE9",
    "Ipiranga",
    "Rui Barbosa",
    "Floriano Peixoto",
    "Duque de Caxias",
    "Padre Anchieta",
    "Coronel Ant\xF4nio Pr\xF3spero de Magalh\xE3\x65s Filho",
};

inline constexpr const char* kComplements[] = {
    "",
    "",
    "",
    "APTO 12",
    "Sala 305",
    "Fundos",
    "Casa 2",
    "Loja 3",
    "Bloco B Apto 41",
    "2\xBA andar",
    "Bloco C Apartamento 1",
};

inline constexpr const char* kDistricts[] = {
    "Centro",
    "Jardim Am\xE9rica",
    "Vila Mariana",
    "Bela Vista",
    "S\xE3o Crist\xF3v\xE3o",
    "Boa Vista",
    "Santa Cec\xEDlia",
    "Jardim Paulista",
    "Vila Nova",
    "Ipiranga",
    "Distrito Industrial",
    "Cidade Alta",
    "Jardim Bot\xE2nico",
    "Vila Concei\xE7\xE3o",
};

inline constexpr const char* kCompanies[] = {
    "Padaria P\xE3o Dourado Ltda",
    "Transportadora Ribeir\xE3o Ltda",
    "Constru\xE7\xF5\x65s Andrade & Filhos Ltda",
    "Supermercado Bom Pre\xE7o S.A.",
    "Cl\xEDnica S\xE3o Lucas S/S Ltda",
    "Metal\xFArgica Tri\xE2ngulo Ltda - ME",
    "Confec\xE7\xF5\x65s Maring\xE1 Ltda",
    "Restaurante Sabor Mineiro Ltda",
    "Escrit\xF3rio Cont\xE1\x62il Concei\xE7\xE3o",
    "Farm\xE1\x63ia Popular do Povo Ltda",
    "Auto Pe\xE7\x61s Goi\xE2nia Ltda",
    "Ind\xFAstria de M\xF3veis Serra Ga\xFA\x63ha",
    "Com\xE9rcio de Cereais S\xE3o Jo\xE3o",
    "A\xE7ougue e Mercearia Irm\xE3os Le\xE3o",
};

struct JobTitle {
  const char* title;
  const char* cbo;  // CBO 2002 occupation code
};

inline constexpr JobTitle kJobs[] = {
    {"MOTORISTA", "782510"},
    {"AUXILIAR ADMINISTRATIVO", "411010"},
    {"AUXILIAR DE PRODU\xC7\xC3O", "784205"},
    {"VENDEDOR", "521110"},
    {"OPERADOR DE CAIXA", "421125"},
    {"COZINHEIRO", "513205"},
    {"PEDREIRO", "715210"},
    {"SERVENTE DE OBRAS", "717020"},
    {"ELETRICISTA", "715615"},
    {"FAXINEIRA", "514320"},
    {"VIGIA", "517420"},
    {"RECEPCIONISTA", "422105"},
    {"T\xC9\x43NICO DE ENFERMAGEM", "322205"},
    {"ASSISTENTE CONT\xC1\x42IL", "413110"},
    {"GERENTE ADMINISTRATIVO", "142105"},
    {"SOLDADOR", "724315"},
    {"TORNEIRO MEC\xC2NICO", "721215"},
    {"COSTUREIRA", "763215"},
    {"PADEIRO", "848305"},
    {"A\xC7OUGUEIRO", "848505"},
    {"REPOSITOR DE MERCADORIAS", "521125"},
    {"OPERADOR DE EMPILHADEIRA", "782220"},
};

// Working hours: start, end, break start, break end ("" for none).
struct WorkHours {
  const char* start;
  const char* end;
  const char* break_start;
  const char* break_end;
};

inline constexpr WorkHours kWorkHours[] = {
    {"08:00", "18:00", "12:00", "13:00"}, {"08:00", "17:00", "12:00", "13:00"},
    {"07:00", "16:00", "11:00", "12:00"}, {"07:30", "17:18", "11:30", "13:00"},
    {"14:00", "22:00", "18:00", "19:00"}, {"22:00", "06:00", "", ""},
    {"08:00", "12:00", "", ""},           {"06:00", "14:20", "10:00", "10:20"},
};

inline constexpr const char* kDepartments[] = {
    "ADMINISTRA\xC7\xC3O", "PRODU\xC7\xC3O", "VENDAS",
    "MANUTEN\xC7\xC3O",    "LOG\xCDSTICA",   "FINANCEIRO",
    "EXPEDI\xC7\xC3O",
};

inline constexpr const char* kUnions[] = {
    "SIND EMPREG COM\xC9RCIO", "SIND TRAB IND CONSTRU\xC7\xC3O CIVIL",
    "SIND METAL\xDARGICOS",    "SIND TRAB HOT\xC9IS REST BARES",
    "SIND RODOVI\xC1RIOS",
};

// Rubrics of the old rubric table: code, text, sign and the factor of
// overtime. The standard ones, the user's own (41, 43, 59, 60, 141, 156, 157,
// those of 200 and more, and 12, 14, 18, 70 and 90, which the current version
// does not know), and 40 and 42 with the factors that make them standard.
struct RubricText {
  int code;
  const char* text;
  char sign;
  const char* factor = "";
};

inline constexpr RubricText kRubrics[] = {
    {1, "SAL\xC1RIO", '+'},
    {2, "HORAS EXTRAS 50%", '+'},
    {3, "ADICIONAL NOTURNO", '+'},
    {12, "INSS", '-'},
    {14, "HORAS EXTRAS", '+'},
    {18, "VALE TRANSPORTE", '-'},
    {40, "HORAS EXTRAS 50% DOMINGO", '+', "1,50"},
    {41, "HORAS EXTRAS 70%", '+', "1,70"},
    {42, "HORAS EXTRAS 100%", '+', "2,00"},
    {43, "HORAS EXTRAS 150%", '+', "2,50"},
    {59, "FALTAS INJUSTIFICADAS", '-'},
    {60, "ATRASOS", '-'},
    {61, "PENS\xC3O ALIMENT\xCD\x43IA", '-'},
    {70, "BOLSA DE ESTUDOS", '+'},
    {90, "SEGURO DE VIDA EM GRUPO", '-'},
    {141, "AUX\xCDLIO CRECHE", '+'},
    {156, "HORAS DE SOBREAVISO", '+'},
    {157, "HORAS DE PRONTID\xC3O", '+'},
    {201, "GRATIFICA\xC7\xC3O", '+'},
    {202, "ADIANTAMENTO QUINZENAL", '-'},
    {203, "HORA EXTRA NOTURNA", '+'},
    {204, "horas extras feriados", '+'},
    {205, "CESTA B\xC1SICA", '-'},
    {207, "PLANO DE SA\xDA\x44\x45", '-'},
    {210, "COMISS\xD5\x45S S/ VENDAS", '+'},
    {215, "PR\xCAMIO ASSIDUIDADE", '+'},
    {220, "CONV\xCANIO FARM\xC1\x43IA", '-'},
    {230, "Hora extra banco de horas", '+'},
};

inline constexpr const char* kHolidays[] = {
    "01/01 CONFRATERNIZA\xC7\xC3O UNIVERSAL",
    "21/04 TIRADENTES",
    "01/05 DIA DO TRABALHO",
    "07/09 INDEPEND\xCANCIA DO BRASIL",
    "12/10 NOSSA SENHORA APARECIDA",
    "02/11 FINADOS",
    "15/11 PROCLAMA\xC7\xC3O DA REP\xDA\x42LICA",
    "25/12 NATAL",
};

inline constexpr const char* kObsoleteFiles[] = {
    "conf30.bak",       "conf30a.bak",  "conf30b.bak", "conf30c.bak",
    "CONF0.SAT",        "C01.DAT",      "C10.DAT",     "lab01.txt",
    "lab02.txt",        "lab03.txt",    "lab04.txt",   "ptra00.txt",
    "ptra00a.txt",      "ptra00b.txt",  "ptra00c.txt", "ptra01.txt",
    "ptra02.txt",       "ptra03a.txt",  "ptra03b.txt", "ptra040.txt",
    "ptra041.txt",      "ptra042.txt",  "ptra04m.txt", "ptra07.txt",
    "ptra08.txt",       "ptra09.txt",   "ptra10.txt",  "ptra12.txt",
    "ptra13.txt",       "ptra14.txt",   "sind.dat",    "tab1r0.dat",
    "r61\\r000000.dat", "labrena4.exe", "La0.hlp",     "La0.gid",
    "la02.hlp",         "la02.gid",
};

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_VOCABULARY_H_
