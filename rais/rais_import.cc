#include "rais/rais_import.h"

#include "convert/layout.h"
#include "fields/dates.h"
#include "fields/numbers.h"
#include "fields/regnum.h"
#include "fields/text.h"
#include "platform/names.h"
#include "rais/rais_internal.h"
#include "records/counters.h"
#include "records/damaged.h"

namespace labrena {
namespace {

// A row of the CBO page: the prefix, the six-digit code right after it, and
// the title from the 42nd character up to the next tag.
constexpr std::string_view kCboRowPrefix = "<tr bgcolor=\"#FFFFFF\"><td>";
constexpr std::size_t kCboCodeLength = 6;
constexpr std::size_t kCboTitleOffset = 41;
constexpr std::size_t kCboTitleLength = 40;
// The page is read in lines of at most this many characters.
constexpr std::size_t kCboLineLength = 139;

// The counters of the import, in the counters file's record layout.
constexpr NewField kCounterFields[] = {
    {10, kComputed, 0},  // first name: blank
    {10, kComputed, 0},  // counter name
    {10, kComputed, 0},  // value, "%-10ld"
};
static_assert(RecordLength(kCounterFields) == kCounterRecord);

void Tell(Context& ctx, const std::string& text) {
  ctx.ui.MessageBox(kRaisTitle, text, Icon::kError, Buttons::kOk);
}

}  // namespace

std::string ThroughScratch(Context& ctx, std::string_view text,
                           std::size_t n) {
  ctx.ui.SetControlText(kScratchControl, std::string(text));
  return ctx.ui.GetControlText(kScratchControl, n);
}

std::string ScratchDate(Context& ctx, std::string_view ddmmyyyy) {
  // The control takes today's month or year for a part that is zero: such
  // a date is no date here.
  std::string digits = KeepDigits(ddmmyyyy, 8);
  if (digits.size() != 8 || ReadLong(digits.substr(2, 2)) == 0 ||
      ReadLong(digits.substr(4, 4)) == 0) {
    return std::string();
  }
  ctx.ui.SetControlText(kScratchControl, std::string(ddmmyyyy));
  ReadDateControl(ctx, kScratchControl);
  return ctx.ui.GetControlText(kScratchControl, 10);
}

int ScratchCnpj(Context& ctx, std::string_view number, std::string* out) {
  ctx.ui.SetControlText(kScratchControl, std::string(number));
  int valid = CheckCnpjControl(ctx, kScratchControl, 0);
  *out = ctx.ui.GetControlText(kScratchControl, 18);
  return valid;
}

std::string_view RaisField(std::string_view record, std::size_t offset,
                           std::size_t width) {
  return record.substr(offset, width);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string Code(long n) { return Format("%05ld", n); }

bool RaisImport::Open() {
  for (RaisRegister* r : {&employer_register_, &union_register_,
                          &worker_register_, &job_register_,
                          &schedule_register_}) {
    r->file = registers_.Create(r->name);
    if (!r->file) {
      Tell(ctx_, Format("N\xE3o foi poss\xEDvel criar o arquivo %s.", r->name));
      return false;
    }
  }
  counters_ = registers_.Create(kCountersFile);
  if (!counters_) {
    Tell(ctx_, Format("N\xE3o foi poss\xEDvel criar o arquivo %s.",
                      kCountersFile));
    return false;
  }
  return true;
}

void RaisImport::Append(RaisRegister& target, const std::string& code,
                        const std::string& record) {
  // The registers start empty, so a code repeats only when the numbering
  // does.
  if (!target.codes.insert(PadText(code, 10)).second) {
    ctx_.ui.MessageBox(code,
                       Format("C\xF3" "digo j\xE1 cadastrado\n\n%s",
                              target.name),
                       Icon::kError, Buttons::kOk);
  }
  Write(target.file, target.name, record);
}

void RaisImport::Write(FileStream* file, const char* name,
                       std::string_view record) {
  if (!registers_.failed() && !file->Write(record)) registers_.Fail(name);
}

void RaisImport::WriteCounters() {
  const std::pair<const char*, long> counters[] = {
      {"0", employers_}, {"1-0", unions_},    {"16", workers_},
      {"35-0", jobs_},   {"36-0", patterns_}, {"36-1", days_}};
  for (const auto& [name, value] : counters) {
    std::string record =
        BuildRecord("", kCounterFields, {"", name, Format("%ld", value)});
    Write(counters_, kCountersFile, record);
  }
}

std::string RaisImport::CboName(const std::string& occupation) {
  if (!cbo_indexed_) {
    // Every row of the page, in lines as the page is searched: the first
    // row of a code is the one a search from the start finds.
    cbo_indexed_ = true;
    std::string line;
    while (cbo_page_->Gets(&line, kCboLineLength)) {
      if (line.compare(0, kCboRowPrefix.size(), kCboRowPrefix) != 0 ||
          line.size() < kCboRowPrefix.size() + kCboCodeLength) {
        continue;
      }
      std::string code =
          line.substr(kCboRowPrefix.size(), kCboCodeLength);
      std::string title = line.size() > kCboTitleOffset
                              ? line.substr(kCboTitleOffset, kCboTitleLength)
                              : std::string();
      title = title.substr(0, title.find_first_of("<\r\n"));
      cbo_names_.emplace(code, UpperAscii(title));
    }
    cbo_failed_ = cbo_page_->error();
  }
  auto found = cbo_names_.find(occupation);
  return found == cbo_names_.end() ? std::string() : found->second;
}

void ImportRais(Context& ctx, const std::string& cbo_page) {
  ImportRais(ctx, ctx.env, cbo_page);
}

namespace {

// The import itself; the counts of employers and workers imported, 0 and 0
// when nothing was.
std::pair<long, long> Import(Context& ctx, Env& cbo_env,
                             const std::string& cbo_page) {
  Patch registers(ctx);
  File cbo = OpenText(cbo_env, cbo_page, OpenMode::kRead);
  RaisImport import(ctx, registers, cbo.get());
  if (!import.Open()) return {0, 0};
  if (!cbo) {
    Tell(ctx, "CBO n\xE3o encontrado.");
    return {0, 0};
  }
  File rais = OpenRead(ctx.env, kRaisFile);
  if (!rais) {
    Tell(ctx, "Arquivo Rais n\xE3o encontrado.");
    return {0, 0};
  }
  // Each record ends in CR LF.
  RecordReader reader(rais.get(), kRaisRecordLength, 2);
  std::string record;
  while (!registers.failed() && reader.Next(&record)) {
    if (record[kRaisTypeOffset] == '1') {
      import.Employer(record);
    } else if (record[kRaisTypeOffset] == '2') {
      import.Worker(record);
    }
  }
  if (reader.failed() || !import.cbo_page_read()) {
    Tell(ctx, Format("Erro ao ler o arquivo %s.\nNenhum registro foi "
                     "importado.",
                     reader.failed() ? kRaisFile : cbo_page.c_str()));
    return {0, 0};
  }
  import.WriteCounters();
  if (!registers.Place()) {
    Tell(ctx, Format("Erro ao gravar o arquivo %s.\nNenhum registro foi "
                     "importado.",
                     registers.failed_name().c_str()));
    return {0, 0};
  }
  ReportRepaired(ctx, kRaisFile, reader.repaired());
  return {import.employers(), import.workers()};
}

}  // namespace

void ImportRais(Context& ctx, Env& cbo_env, const std::string& cbo_page) {
  auto [employers, workers] = Import(ctx, cbo_env, cbo_page);
  ctx.ui.MessageBox(
      kRaisTitle,
      Format("Foram convertidos %d empregadores e %d trabalhadores.",
             static_cast<int>(employers), static_cast<int>(workers)),
      Icon::kInformation, Buttons::kOk);
}

}  // namespace labrena
