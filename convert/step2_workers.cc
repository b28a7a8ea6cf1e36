// Sub-steps 1 to 4 of the second conversion step: the worker register with
// its next-period dates, the receipts per year (F310.DAT) and per worker
// (REG\R*.DAT), and the retiring of F311.DAT.
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "convert/item_block.h"
#include "convert/step2_internal.h"
#include "fields/dates.h"
#include "fields/numbers.h"
#include "platform/names.h"
#include "records/retire.h"

namespace labrena {

namespace {

constexpr const char* kOldWorkers = "F303.DAT";
constexpr const char* kNewWorkers = "F303B.DAT";
constexpr const char* kReceiptHeads = "F310.DAT";
constexpr const char* kOldReceipts = "F311.DAT";

constexpr std::size_t kOldWorkerLength = 2152;
constexpr std::size_t kOldWorkerItems = 1352;

// F310.DAT records: the head (worker code at 0, year at 17, date at 44), the
// old item block (11 + 4 items), the amount at 355 and a field at 369.
constexpr std::size_t kF310Length = 455;
constexpr std::size_t kHeadLength = 55;
constexpr std::size_t kHeadYear = 17;
constexpr std::size_t kHeadDate = 44;
constexpr std::size_t kF310Items = 55;

// REG\R*.DAT records: code 11, amount 14, old item block 800.
constexpr std::size_t kRegLength = 825;
constexpr std::size_t kRegItems = 25;

// Worker codes are compared over their first 10 characters.
constexpr std::size_t kWorkerKey = 10;

// F303B.DAT (record length 1955) from F303.DAT.
constexpr NewField kWorkerFields[] = {
    {11, 0, 11},          // the worker's code
    {127, 11, 127},       // 11..137
    {200, 138, 200},      // 138..737, copied as three pieces of 200
    {200, 338, 200},      // 338..537
    {200, 538, 200},      // 538..737
    {10, kComputed, 0},   // next-period date (738..747 are blank)
    {190, 748, 190},      // 748..937
    {200, 938, 200},      // 938..1337, copied as two pieces of 200
    {200, 1138, 200},     // 1138..1337
    {16, 1338, 14},       // the amount
    {601, kComputed, 0},  // item block, from 1352 (20 + 20 items)
};
static_assert(RecordLength(kWorkerFields) == 1955);

// "R62\%04d.DAT" (record length 850) from one F310.DAT record.
constexpr NewField kYearReceiptFields[] = {
    {55, 0, 55},          // the head
    {3, 369, 3},          // 369..371
    {175, 0, 0},          // blanks
    {16, 355, 14},        // the amount
    {601, kComputed, 0},  // item block, from 55 (11 + 4 items)
};
static_assert(RecordLength(kYearReceiptFields) == 850);

// R61\*.DAT (record length 701) from one REG\R*.DAT record.
constexpr NewField kWorkerReceiptFields[] = {
    {84, 0, 11},          // the code
    {16, 11, 14},         // the amount
    {601, kComputed, 0},  // item block, from 25 (20 + 20 items)
};
static_assert(RecordLength(kWorkerReceiptFields) == 701);

// The latest F310.DAT date of each worker. Each worker appears once, so a
// hash by the upper-cased first 10 characters answers as a search of the
// list of heads from its first entry would.
class LatestDates {
 public:
  // Keeps the head's date when it is later than the one held for its worker.
  void Add(std::string_view head) {
    Date date = ParseDate(head.substr(kHeadDate, 10));
    auto [it, added] = dates_.try_emplace(Key(head), date);
    if (!added && CompareDates(date, it->second) > 0) it->second = date;
  }

  // The latest date of a worker, or nullptr when F310.DAT has none.
  const Date* Find(std::string_view code) const {
    auto it = dates_.find(Key(code));
    return it == dates_.end() ? nullptr : &it->second;
  }

 private:
  static std::string Key(std::string_view text) {
    return UpperAscii(text.substr(0, kWorkerKey));
  }

  std::unordered_map<std::string, Date> dates_;
};

// The latest dates of F310.DAT, from the file opened for them; false when
// it exists but cannot be read whole, so that no worker would get a wrong
// date.
bool ReadLatestDates(Env& env, FileStream* file, LatestDates* latest) {
  if (!file) return !env.Exists(kReceiptHeads);
  RecordReader reader(file, kF310Length);
  std::string record;
  while (reader.Next(&record)) {
    latest->Add(std::string_view(record).substr(0, kHeadLength));
  }
  return !reader.failed();
}

// The day after the worker's latest date; blanks when there is none. A date
// without a year is no date and gives blanks too.
std::string NextPeriod(const LatestDates& latest, std::string_view worker) {
  const Date* date = latest.Find(worker);
  if (date == nullptr) return std::string();
  Date next = *date;
  NextDay(&next);
  return FormatDate(next);
}

// The year of an F310.DAT head: its digits at offset 17, after blanks.
int HeadYear(std::string_view head) {
  std::size_t at = kHeadYear;
  while (at < head.size() && head[at] == ' ') ++at;
  int year = 0;
  for (; at < head.size() && head[at] >= '0' && head[at] <= '9'; ++at) {
    if (year < 100000000) year = year * 10 + (head[at] - '0');
  }
  return year;
}

}  // namespace

bool ConvertWorkerRegister(Context& ctx, File* receipt_heads) {
  Env& env = ctx.env;
  if (env.Exists(kNewWorkers)) return true;
  bool failed = false;
  File old_file = OpenSource(ctx, kOldWorkers, kNewWorkers, &failed);
  if (!old_file) return !failed;
  Outputs outputs(env, RecordLength(kWorkerFields));
  FileStream* out = outputs.Get(kNewWorkers);
  LatestDates latest;
  SourceRead read;
  *receipt_heads = OpenRead(env, kReceiptHeads);
  read.failed = !ReadLatestDates(env, receipt_heads->get(), &latest);
  RecordReader reader(old_file.get(), kOldWorkerLength);
  std::string old;
  while (out != nullptr && !read.failed && reader.Next(&old)) {
    std::string_view view(old);
    std::string record = BuildRecord(
        view, kWorkerFields,
        {NextPeriod(latest, view.substr(0, kWorkerKey)),
         ConvertItemBlock(view.substr(kOldWorkerItems), ItemSource::kWorker)});
    if (!outputs.Write(out, record)) break;
  }
  read.failed = read.failed || reader.failed();
  read.repaired = reader.repaired();
  CloseFile(old_file);
  return Settle(ctx, outputs, kOldWorkers, kNewWorkers, read);
}

bool ConvertYearReceipts(Context& ctx, File receipt_heads) {
  Env& env = ctx.env;
  File old_file = std::move(receipt_heads);
  if (old_file) {
    // The second pass over the file that the worker register read.
    old_file->Seek(0);
  } else {
    bool failed = false;
    old_file = OpenSource(ctx, kReceiptHeads, "R62", &failed);
    if (!old_file) return !failed;
  }
  Outputs outputs(env, RecordLength(kYearReceiptFields));
  // The year files land in R62 only when the folder exists; without it the
  // records stay in the retired F310.DAT. Any other year file that cannot be
  // opened fails the whole conversion, and F310.DAT stays.
  const bool has_folder = env.IsDirectory("R62");
  RecordReader reader(old_file.get(), kF310Length);
  std::string old;
  while (reader.Next(&old)) {
    if (!has_folder) continue;
    std::string_view view(old);
    FileStream* out = outputs.Get(Format("R62\\%04d.DAT", HeadYear(view)));
    if (out == nullptr) break;
    std::string record = BuildRecord(
        view, kYearReceiptFields,
        {ConvertItemBlock(view.substr(kF310Items), ItemSource::kF310)});
    if (!outputs.Write(out, record)) break;
  }
  SourceRead read{reader.failed(), reader.repaired()};
  CloseFile(old_file);
  return Settle(ctx, outputs, kReceiptHeads, "R62", read);
}

void RetireOldReceipts(Context& ctx) {
  if (IsFile(ctx.env, kOldReceipts)) RetireOld(ctx, kOldReceipts);
}

bool ConvertWorkerReceipts(Context& ctx) {
  Env& env = ctx.env;
  // Without the folder R61 the REG files stay as they are.
  if (!env.IsDirectory("R61")) return true;
  for (const DirEntry& entry : env.List("REG\\R*.DAT", AllFilesAttribute())) {
    if (entry.is_dir) continue;
    std::string source = "REG\\" + entry.name;
    std::string target = "R61\\" + entry.name.substr(1);
    // A file whose target exists stays as it is, and leaves with REG.
    if (env.Exists(target)) continue;
    bool failed = false;
    File old_file = OpenSource(ctx, source, target, &failed);
    if (failed) return false;
    if (!old_file) continue;
    Outputs outputs(env, RecordLength(kWorkerReceiptFields));
    FileStream* out = outputs.Get(target);
    RecordReader reader(old_file.get(), kRegLength);
    std::string old;
    while (out != nullptr && reader.Next(&old)) {
      std::string_view view(old);
      std::string record = BuildRecord(
          view, kWorkerReceiptFields,
          {ConvertItemBlock(view.substr(kRegItems), ItemSource::kWorker)});
      if (!outputs.Write(out, record)) break;
    }
    SourceRead read{reader.failed(), reader.repaired()};
    CloseFile(old_file);
    // The converted file leaves the pattern REG\R*.DAT.
    std::string stem = entry.name.substr(0, entry.name.size() - 4);
    auto put_away = [&env, &stem] {
      return env.Rename("reg\\" + stem + ".dat", "reg\\" + stem + ".tmp");
    };
    if (!Settle(ctx, outputs, source, target, read, put_away)) return false;
  }
  return true;
}

}  // namespace labrena
