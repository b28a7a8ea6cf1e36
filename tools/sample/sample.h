// A deterministic data folder of the oldest product version, drawn from a
// seed and a size: the model of every record it holds, and the writer of its
// files. The model is what tests and benchmarks compare a converted folder
// with, so it keeps each record as it was written.
//
// Each family of old files has its builder (registers.cc, receipts.cc,
// tables.cc) and its entry in the file list of sample.cc; inputs of other
// versions are added the same way: a model member, a builder, an entry
// (step5_inputs.cc: the files of later versions that the fifth step meets).
// With the damage option, damage.cc spoils the folder as years of use spoil
// customers' folders, and the model tells what it did where.
#ifndef LABRENA_TOOLS_SAMPLE_SAMPLE_H_
#define LABRENA_TOOLS_SAMPLE_SAMPLE_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace labrena {
namespace sample {

struct SampleOptions {
  std::uint64_t seed = 1;
  int employers = 3;
  int workers = 40;
  int dependants = 30;
  int receipts = 12;  // monthly receipts per worker and year, 0 to 12
  int years = 2;      // receipt years, ending with last_year
  int last_year = 2012;
  // Service takers, every worker naming one of them as its entry (the fifth
  // step merges a record for each); 0 for the sample's own cases: those
  // drawn, at least three, some workers naming none and one of no employer.
  int service_takers = 0;
  bool damage = false;  // line ends, end marks, cut records, hostile names
};

// Field widths of the separated register files; each field is followed by a
// separator (the DOS line end CR LF), and FY0.DAT records by their item block.
inline constexpr int kFx0Widths[] = {
    10,  40, 40, 10, 20,  30, 9, 30, 2,  40, 4, 25, 30, 18, 18,
    100, 1,  1,  1,  194, 3,  4, 4,  8,  2,  7, 5,  2,  1,  5,
    1,   20, 20, 20, 15,  5,  5, 1,  10, 7,  7, 1,  1,  1,  160};
inline constexpr int kFw0Widths[] = {10,  40, 40, 10, 20, 30, 9,  30,
                                     2,   40, 4,  25, 30, 18, 18, 4,
                                     100, 1,  1,  1,  1,  197};
inline constexpr int kFy0Widths[] = {
    10, 40, 40,  10, 20, 30, 9,  30, 2,   40, 4,  25, 30, 10, 100, 1, 1,  1,
    1,  10, 146, 1,  30, 30, 14, 11, 3,   2,  14, 3,  4,  2,  3,   5, 5,  5,
    5,  14, 8,   5,  2,  1,  2,  10, 10,  1,  10, 7,  2,  1,  2,   4, 10, 2,
    20, 7,  2,   2,  10, 2,  10, 2,  176, 40, 40, 20, 40, 1,  1,   6, 92, 40,
    10, 40, 10,  40, 10, 40, 10, 40, 10,  40, 10, 40, 10, 13};
inline constexpr const char kFieldSeparator[] = "\r\n";

// Fields of the registers shared by FX0.DAT, FW0.DAT and FY0.DAT.
enum RegisterField {
  kCode = 0,
  kName = 1,
  kStreet = 2,
  kNumber = 3,
  kComplement = 4,
  kDistrict = 5,
  kPostalCode = 6,
  kCity = 7,
  kState = 8,
  kSecondName = 9,
  kAreaCode = 10,
  kPhone = 11,
  kContact = 12,
};

// FX0.DAT (employers) and FW0.DAT (service takers).
enum EmployerField {
  kEmployerCei = 13,
  kEmployerTaxId = 14,  // CNPJ, or CPF of a person
  kEmployerRegistrations = 15,
  kEmployerCnae = 25,
  kEmployerNotes = 44,
  kTakerFpas = 15,
};

// FY0.DAT (workers).
enum WorkerField {
  kWorkerEmployer = 13,
  kWorkerDepartment = 19,  // the department's code, then blanks
  kWorkerOldNotes = 20,
  kWorkerJob = 22,
  kWorkerUnion = 23,
  kWorkerCpf = 24,
  kWorkerCtps = 25,
  kWorkerRg = 28,
  kWorkerStart = 33,  // then end, break start and break end
  kWorkerPis = 37,
  kWorkerAdmission = 43,
  kWorkerBirth = 44,
  kWorkerCbo = 47,
  kWorkerCategory = 48,
  kWorkerFather = 63,
  kWorkerMother = 64,
  kWorkerSchooling = 65,  // its last character is the schooling digit
  kWorkerAmount = 85,
};

// An old item block: items of 20 characters, reference (5), value (12) and
// code (3), group 1 then group 2.
struct ItemBlock {
  std::string text;
  std::vector<std::int64_t> cents;  // what each item's value stands for
  // Items with a value above zero: the ones the conversion keeps.
  int ValuedCount() const;
};

struct Register {
  std::vector<std::string> fields;  // each at most its width
  ItemBlock items;                  // FY0.DAT only: 20 + 20
  const std::string& Field(int i) const { return fields[i]; }
};

// REG\REGFE.DAT, 455 characters: the worker's monthly receipts.
struct Receipt {
  std::string worker_code;
  int year;
  int month;
  int paid_day, paid_month, paid_year;  // the date at offset 44
  std::string head;                     // 55 characters
  ItemBlock items;                      // 11 + 4
  std::string amount;                   // 14 characters
  std::string field3;                   // 3 characters
  std::string tail;                     // 83 characters
  std::string Text() const;
};

// REG\R*.DAT, 825 characters per record.
struct ExtraReceipt {
  std::string code;    // 11 characters
  std::string amount;  // 14 characters
  ItemBlock items;     // 20 + 20
  std::string Text() const;
};

struct ExtraReceiptFile {
  std::string name;  // "R0000711.DAT", in REG
  std::vector<ExtraReceipt> records;
};

// R01, R02 and R03 tax guides, 467 characters per record.
struct Guide {
  std::string code;  // 10 characters: the employer
  int month;
  std::string tax_code;                // 4 characters
  std::string text;                    // 25 characters
  std::array<std::string, 3> amounts;  // 18 characters each
  std::int64_t total_cents;
  std::string Text() const;
};

struct GuideFile {
  int folder;  // 1, 2 or 3
  int year;
  std::vector<Guide> records;
  std::string Name() const;  // "R01\2011.DAT"
  // Cents below which a guide is carried into the R27 folder.
  std::int64_t ThresholdCents() const;
};

struct NamedFile {
  std::string name;  // relative, with '\' between folders
  std::string bytes;
};

// A yearly file of records of one length.
struct YearFile {
  std::string name;  // "R63\F632011.DAT"
  int year;
  std::vector<std::string> records;
};

// What the damage option did to a record, or after the last record of a
// file.
enum class DamageKind {
  kCr,       // a CR in place of one character
  kLf,       // an LF in place of one character
  kCrLf,     // a CR LF typed into a separated field: one character, two bytes
  kEndMark,  // a 0x1A in place of one character, more records after it
  kCut,      // the file's last record ends after offset bytes
  kEndMarkAfter,            // "\x1A" after the last record
  kLineEndAndEndMarkAfter,  // "\r\n\x1A" after the last record
};

struct Damage {
  std::string file;    // as written: "REG\R0000711.DAT"
  std::size_t record;  // from 0; for the kinds after the last, the count
  int field;           // of a separated file's record, else -1
  std::size_t offset;  // in the field, else in the record as written
  DamageKind kind;
  // A line end or end mark inside a record: the record reads with a blank
  // there.
  bool InRecord() const;
};

// A file whose name holds backslashes: one name on POSIX, where a converter
// that took them for folders would leave the data folder.
struct BackslashFile {
  std::string folder;  // below the data folder
  std::string name;    // "R\..\..\x.DAT"
  std::string bytes;
};

struct SymbolicLink {
  std::string name;    // relative, with '\' between folders
  std::string target;  // as the link holds it, with '/'
};

struct SampleFolder {
  SampleOptions options;
  std::vector<Register> employers;               // FX0.DAT
  std::vector<Register> service_takers;          // FW0.DAT
  std::vector<Register> workers;                 // FY0.DAT
  std::vector<std::string> dependants;           // FZ0.DAT, 204 each
  std::vector<std::string> responsibles;         // RESP.DAT, 354 each
  std::vector<Receipt> receipts;                 // REG\REGFE.DAT, in file order
  std::int64_t last_receipt_bytes = 455;         // the last record is cut here
  std::vector<std::string> terminations;         // REG\REGRE.DAT, 455 each
  std::vector<ExtraReceiptFile> extra_receipts;  // REG\R*.DAT
  std::vector<GuideFile> guides;                 // R01, R02, R03
  std::vector<std::string> unions;               // F306.DAT, 654 each
  std::vector<std::string> departments;          // F307.DAT, 212 each
  std::array<std::string, 7> counters;           // CONFIGA.DAT, 11 each
  std::vector<std::string> rubrics;              // C04B.DAT, 80 each
  std::string rubric_template;                   // F31R0.DA3, as shipped
  std::string d11;                               // D11.DEN, a few bytes
  std::vector<std::string> leaves;               // F308.DAT, 46 each
  std::vector<std::string> holidays;             // F309.DAT, 60 each
  std::vector<NamedFile> temp_files;             // below Temp
  std::vector<NamedFile> obsolete_files;         // files of earlier versions
  bool dos_end_mark = true;                      // FX0.DAT ends with 0x1A

  // Files of later versions that the fifth step reads, patches or deletes.
  std::vector<std::string> old_f07;    // F07.DAT, 809 each: its codes
  std::vector<std::string> f40;        // F40.DAT, 1000 each
  std::vector<std::string> f04r0;      // F04R0.DAT, 950 each
  std::vector<YearFile> r63;           // R63\F63%04d.DAT, 652 each
  std::vector<YearFile> r69;           // R69\F69%04d.DAT, 500 each
  std::vector<NamedFile> digit_files;  // "%d*.dat" beside the registers
  std::vector<NamedFile> work_files;   // the product's leftovers

  // What the damage option added; all empty without it. The records above
  // stay as they were drawn: the damage is put into the bytes as they are
  // written.
  std::vector<Damage> damage;
  std::vector<BackslashFile> backslash_files;
  std::vector<SymbolicLink> links;      // to files beside the data folder
  std::vector<NamedFile> beside_files;  // beside the data folder
  std::vector<NamedFile> leaves_twins;  // "f308.dat": other leaves
  bool twins_first = false;             // the twin is created before F308.DAT
};

SampleFolder BuildSampleFolder(const SampleOptions& options);

// Every file of the folder with its bytes, in writing order; the folders the
// steps write into (R27, R61, R62) come first, named with a trailing '\'.
// The entries only a POSIX disk holds (names with backslashes, links, case
// twins, the files beside the folder) are not among them.
std::vector<NamedFile> SampleFiles(const SampleFolder& folder);

// Writes the files below dir, creating it, and on POSIX the entries of
// damaged names, with the files beside dir in its parent folder. False,
// with *error set, when a file cannot be written.
bool WriteSampleFolder(const SampleFolder& folder, const std::string& dir,
                       std::string* error);

// Text helpers shared by the builders and the tests.
std::string Pad(const std::string& text, std::size_t width);
std::string PadLeft(const std::string& text, std::size_t width);
std::string RightTrim(const std::string& text);
std::string DateText(int day, int month, int year);
int DaysInMonth(int month, int year);

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_SAMPLE_H_
