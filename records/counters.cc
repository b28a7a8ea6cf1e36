#include "records/counters.h"

#include <algorithm>

#include "fields/numbers.h"
#include "fields/text.h"
#include "records/key_search.h"
#include "records/record_file.h"

namespace labrena {
namespace {

constexpr int kKeyLength = 20;
constexpr int kValueOffset = 20;
constexpr std::size_t kValueWidth = 10;
constexpr int kLongestNumber = 35;

std::int64_t InRange(std::int64_t value) {
  return value < 0 || value > kCounterMax ? 0 : value;
}

}  // namespace

int MacroCodeCad(Context& ctx, const std::string& first_name,
                 const std::string& counter_name, std::int64_t* value,
                 int /*digits*/, int mode, const std::string& file_name) {
  std::string key =
      Format("%-10s%-10s", first_name.c_str(), counter_name.c_str());
  std::int64_t n = -1;
  // A counters file that cannot be read is not one without the counter:
  // adding the counter again would give it twice.
  File counters;
  if (ctx.env.Exists(file_name)) {
    counters = OpenRead(ctx.env, file_name);
    if (!counters) {
      ReportOpenError(ctx);
      return 0;
    }
  }
  FindKey(ctx, counters.get(), file_name, kCounterRecord, &n, key, 0,
          kKeyLength);
  CloseFile(counters);

  if (mode == 2) {
    std::string record =
        Format("%-10s%-10s%-10lld", first_name.c_str(), counter_name.c_str(),
               static_cast<long long>(*value));
    record = PadText(CleanText(CutText(record, kCounterRecord)),
                     kCounterRecord);
    File file = FOpen2(ctx, file_name, kCounterRecord, &n,
                       n >= 0 ? 0 : kAddRecord, 0);
    if (!file) return 0;
    file->Write(record);
    // A counter that did not reach the disk would hand out codes again.
    return file->Close() ? 1 : 0;
  }

  *value = 0;
  if (n < 0) return 1;
  File file = OpenRead(ctx.env, file_name);
  if (!file) return 0;
  std::string text;
  if (file->Seek(n * kCounterRecord + kValueOffset) &&
      ReadChars(file.get(), &text, kValueWidth)) {
    *value = InRange(ReadLong(text));
    return 1;
  }
  ctx.ui.MessageBox("MacroCodeCad",
                    "Erro ao abrir ou posicionar arquivo de contadores.",
                    Icon::kError, Buttons::kOk);
  return 0;
}

int ReadCounter(Context& ctx, const std::string& first_name,
                const std::string& counter_name, std::int64_t* value) {
  return MacroCodeCad(ctx, first_name, counter_name, value, 0, 0);
}

int SetCounter(Context& ctx, const std::string& first_name,
               const std::string& counter_name, std::int64_t value,
               const std::string& file_name) {
  return MacroCodeCad(ctx, first_name, counter_name, &value, 0, 2, file_name);
}

std::int64_t ReadNumberRecord(Env& env, const std::string& name,
                              std::int64_t n, int width) {
  File file = OpenRead(env, name);
  return file ? ReadNumberRecord(file.get(), n, width) : 0;
}

std::int64_t ReadNumberRecord(FileStream* file, std::int64_t n, int width) {
  width = std::min(width, kLongestNumber);
  if (n < 0 || width <= 0) return 0;
  std::string text;
  if (!file->Seek(n * width) ||
      !ReadChars(file, &text, static_cast<std::size_t>(width))) {
    return 0;
  }
  std::int64_t value = ReadLong(text);
  return value < 0 || value >= kCounterMax ? 0 : value;
}

}  // namespace labrena
