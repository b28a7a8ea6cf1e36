// The parts of the RAIS import: one import's registers, counters and
// lookups, shared by the employer and the worker records.
#ifndef LABRENA_RAIS_RAIS_INTERNAL_H_
#define LABRENA_RAIS_RAIS_INTERNAL_H_

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/context.h"
#include "platform/file_stream.h"
#include "convert/patch.h"

namespace labrena {

// RAIS records: 551 characters and a line end. The record type is at 22.
constexpr std::size_t kRaisRecordLength = 553;
constexpr std::size_t kRaisTypeOffset = 22;

inline constexpr const char* kRaisFile = "Rais.txt";
inline constexpr const char* kRaisTitle = "Rais";

// What a worker record takes from the employer record before it (RAIS gives
// no address for workers). Before any employer: number 00000, the rest
// blank.
struct LastEmployer {
  std::string number = "00000";
  std::string street, street_number, complement, district, postal_code, city,
      state;
  std::string base_year;
  std::string pattern;  // the code of its work-week pattern
};

// One register being rebuilt, and the codes written into it so far.
struct RaisRegister {
  const char* name;
  FileStream* file = nullptr;
  std::set<std::string> codes = {};
};

class RaisImport {
 public:
  // The registers are written as new files of the patch, which puts them
  // in place all together or not at all.
  RaisImport(Context& ctx, Patch& registers, FileStream* cbo_page)
      : ctx_(ctx), registers_(registers), cbo_page_(cbo_page) {}

  // Creates the five registers; false (after telling) when one cannot be.
  bool Open();
  void Employer(std::string_view record);
  void Worker(std::string_view record);
  // The counters of the import, written into the counters file.
  void WriteCounters();
  // False when the CBO page could not be read to its end.
  bool cbo_page_read() const { return !cbo_failed_; }

  long employers() const { return employers_; }
  long workers() const { return workers_; }

 private:
  // Writes a new record with a code of its own: a code that the register
  // holds already is told, and the record is written all the same.
  void Append(RaisRegister& target, const std::string& code,
              const std::string& record);
  // Writes a record into a register (named for a failure).
  void Write(FileStream* file, const char* name, std::string_view record);
  void WriteSchedules(bool rural);
  // The code of the union of a CNPJ field, created when new; empty when the
  // field holds no number above 0.
  std::string Union(std::string_view cnpj, const char* name,
                    const char* group);
  std::string Job(std::string_view occupation);
  std::string CboName(const std::string& occupation);

  Context& ctx_;
  Patch& registers_;
  FileStream* cbo_page_;
  bool cbo_failed_ = false;
  RaisRegister employer_register_{"F00R0.DAT"};
  RaisRegister union_register_{"F01R0.DAT"};
  RaisRegister worker_register_{"F16R0.DAT"};
  RaisRegister job_register_{"F35R0.DAT"};
  RaisRegister schedule_register_{"F36R0.DAT"};
  FileStream* counters_ = nullptr;
  long employers_ = 0, unions_ = 0, workers_ = 0, jobs_ = 0, patterns_ = 0,
       days_ = 0;
  LastEmployer last_;
  // The registration numbers of the employers written, by kind.
  std::set<std::string> cnpjs_, ceis_, caepfs_;
  // Union CNPJ (19) and job key (17) -> code.
  std::map<std::string, std::string> union_codes_, job_codes_;
  // Occupation code -> job name, the first row of the CBO page that names
  // it; filled on the first search.
  std::map<std::string, std::string> cbo_names_;
  bool cbo_indexed_ = false;
};

// Formatting through the dialog's scratch control: a text put in and read
// back cut to n characters.
std::string ThroughScratch(Context& ctx, std::string_view text, std::size_t n);
// ddmmyyyy as dd/mm/yyyy; empty when it is no valid date.
std::string ScratchDate(Context& ctx, std::string_view ddmmyyyy);
// A CNPJ checked in the scratch control: its display form when valid (1),
// else the text as given (0).
int ScratchCnpj(Context& ctx, std::string_view number, std::string* out);

// A field of a RAIS record.
std::string_view RaisField(std::string_view record, std::size_t offset,
                           std::size_t width);
std::string LowerAscii(std::string_view text);
// A code of a register: "%05ld".
std::string Code(long n);

}  // namespace labrena

#endif  // LABRENA_RAIS_RAIS_INTERNAL_H_
