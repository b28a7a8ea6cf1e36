// Third step: the job register F35.DAT and the work-schedule register F36.DAT
// gathered from the worker register F16.DAT, whose records then carry the
// codes of their job and schedule; the same pass moves several other fields
// of the worker record to their new places.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "convert/report.h"
#include "convert/steps.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/counters.h"
#include "records/key_index.h"
#include "records/record_file.h"

namespace labrena {
namespace {

constexpr const char* kWorkerFile = "F16.DAT";
constexpr std::int64_t kWorkerRecord = 1955;

// Job register F35.DAT, record length 240: code ("%05d" and 6 blanks), job
// title, group field, occupation code. Title and group field are the key.
constexpr const char* kJobFile = "F35.DAT";
constexpr int kJobWidths[] = {11, 40, 10, 179};
constexpr std::int64_t kJobRecord = 240;
constexpr int kJobKeyOffset = 11;
constexpr int kJobKeyLength = 50;

// Work-schedule register F36.DAT, record length 250: code, description, and
// the key (group field and hours, 30 characters) padded to 199.
constexpr const char* kScheduleFile = "F36.DAT";
constexpr int kScheduleWidths[] = {11, 40, 199};
constexpr std::int64_t kScheduleRecord = 250;
constexpr int kScheduleKeyOffset = 51;
constexpr int kScheduleKeyLength = 30;

constexpr std::size_t kGroupWidth = 10;
constexpr std::size_t kTitleWidth = 40;
constexpr std::size_t kHoursWidth = 20;
constexpr std::size_t kOccupationDigits = 6;
// Worker records hold the codes in five digits; beyond the last one a new
// job or schedule gets no code.
constexpr std::int64_t kLastCode = 99999;

// A record made of its fields, each left-justified in its width.
template <std::size_t N>
std::string MakeRecord(const int (&widths)[N], const std::string (&fields)[N]) {
  std::string record;
  for (std::size_t i = 0; i < N; ++i) {
    record += PadText(fields[i], static_cast<std::size_t>(widths[i]));
  }
  return record;
}

// "08:00 \xE0s 12:00 / 13:00 \xE0s 18:00" from the right-trimmed hours: start,
// end, break start and break end, 5 characters each; a piece that lies
// wholly beyond the end of the hours is empty.
std::string ScheduleDescription(const std::string& hours) {
  auto piece = [&hours](std::size_t i) {
    return i * 5 < hours.size() ? hours.substr(i * 5, 5) : std::string();
  };
  std::string start = piece(0), end = piece(1);
  std::string break_start = piece(2), break_end = piece(3);
  if (break_start.empty() && break_end.empty()) {
    return Format("%5s \xE0s %5s", start.c_str(), end.c_str());
  }
  return Format("%5s \xE0s %5s / %5s \xE0s %5s", start.c_str(),
                break_start.c_str(), break_end.c_str(), end.c_str());
}

// A register this run builds: created empty, appended to, and searched
// through an index of its key.
class Register {
 public:
  Register(const char* name, std::int64_t record_length, int key_offset,
           int key_length)
      : name_(name),
        record_length_(record_length),
        key_offset_(key_offset),
        key_length_(key_length) {}

  const char* name() const { return name_; }
  bool building() const { return index_ != nullptr; }
  std::int64_t count() const { return count_; }
  // True when a record could not be written.
  bool failed() const { return failed_; }

  // Creates the file, which does not exist, and indexes it. False when it
  // cannot be created or read.
  bool Create(Env& env) {
    out_ = OpenText(env, name_, OpenMode::kAppend);
    if (!out_) return false;
    created_ = true;
    File in = OpenRead(env, name_);
    if (!in) return false;
    index_ = std::make_unique<KeyIndex>(in.get(), record_length_, key_offset_,
                                        key_length_);
    CloseFile(in);
    return true;
  }

  // Closes the file and deletes it when this run created it.
  void Discard(Env& env) {
    CloseFile(out_);
    if (created_) env.Remove(name_);
  }

  // Closes the file; false when a record could not be written.
  bool Close() {
    bool written = !out_ || out_->Close();
    CloseFile(out_);
    return written && !failed_;
  }

  // The code of the record with this key; a new key gets the next code and
  // the record that make_record builds for it. 0 when no code can be given.
  std::int64_t Code(
      const std::string& key,
      const std::function<std::string(std::int64_t)>& make_record) {
    std::int64_t n = index_->Find(key);
    // The register started empty, so record n holds the code n + 1.
    if (n >= 0) return n + 1;
    if (full_ || count_ >= kLastCode) return 0;
    std::string record = make_record(count_ + 1);
    // Flushed at once, so that the next search sees the record.
    if (!out_->Write(record) || !out_->Flush()) {
      // Nothing more is appended after a failed write: the records after it
      // would no longer lie where their numbers say.
      full_ = true;
      failed_ = true;
      return 0;
    }
    index_->Add(count_, record);
    return ++count_;
  }

 private:
  const char* name_;
  std::int64_t record_length_;
  int key_offset_;
  int key_length_;
  File out_;
  std::unique_ptr<KeyIndex> index_;
  bool created_ = false;
  bool full_ = false;
  bool failed_ = false;
  std::int64_t count_ = 0;
};

// Reads and writes at offsets of one worker record. Each is positioned
// first; one whose position lies outside the file is skipped.
class WorkerRecord {
 public:
  WorkerRecord(FileStream* file, std::int64_t start)
      : file_(file), start_(start) {}

  // At most width characters at offset; false when not positioned (*out is
  // then empty).
  bool Read(int offset, std::size_t width, std::string* out) {
    out->clear();
    if (!At(offset)) return false;
    ReadChars(file_, out, width);
    return true;
  }
  std::string Read(int offset, std::size_t width) {
    std::string out;
    Read(offset, width, &out);
    return out;
  }
  int ReadChar(int offset) {
    return At(offset) ? file_->Getc() : FileStream::kEof;
  }
  void Write(int offset, const std::string& bytes) {
    if (At(offset)) file_->Write(bytes);
  }

 private:
  bool At(int offset) { return SeekInside(file_, start_ + offset) == 0; }

  FileStream* file_;
  std::int64_t start_;
};

// Gives the worker the codes of its job and work schedule, gathering new
// ones into the registers being built.
void GatherCodes(WorkerRecord& worker, Register& jobs, Register& schedules) {
  std::string group;
  if (!worker.Read(291, kGroupWidth, &group)) return;
  // A group field cut short by a line feed is padded, so that the registers
  // keep their layout.
  group = PadText(group, kGroupWidth);
  std::string occupation =
      NormalizeDigits(worker.Read(647, 10), kOccupationDigits);
  // Six significant digits with leading zeros; the number 0 is no code.
  if (ReadLong(occupation) == 0) occupation.clear();

  if (jobs.building()) {
    std::string title = TrimRight(worker.Read(426, 30));
    if (!title.empty()) {
      std::int64_t code = jobs.Code(
          PadText(title, kTitleWidth) + group, [&](std::int64_t next) {
            return MakeRecord(kJobWidths,
                              {Format("%05d", static_cast<int>(next)), title,
                               group, occupation});
          });
      // The 30-character job title becomes the 5-digit job code.
      if (code > 0) {
        worker.Write(426, Format("%05d%25s", static_cast<int>(code), ""));
      }
    }
  }

  if (schedules.building()) {
    std::string hours = TrimRight(worker.Read(560, kHoursWidth));
    if (!hours.empty()) {
      std::string key = group + PadText(hours, kHoursWidth);
      std::int64_t code = schedules.Code(key, [&](std::int64_t next) {
        return MakeRecord(kScheduleWidths,
                          {Format("%05d", static_cast<int>(next)),
                           ScheduleDescription(hours), key});
      });
      if (code > 0) worker.Write(431, Format("%05d", static_cast<int>(code)));
    }
  }
}

// Clears the old occupation code and hours, and moves other fields of the
// worker record to their new places.
void MoveFields(WorkerRecord& worker) {
  worker.Write(647, std::string(10, ' '));
  worker.Write(560, std::string(20, ' '));

  // The complement moves from 101 (20) to 96 (18); a longer one is whole.
  std::string complement = TrimRight(worker.Read(101, 20));
  if (!complement.empty()) {
    worker.Write(96, Format("%-18s", complement.c_str()));
  }

  // The text at 415 moves to 419.
  std::string text = TrimRight(worker.Read(415, 5));
  if (!text.empty()) worker.Write(415, Format("    %-5s", text.c_str()));

  // A PIS number longer than 12 keeps only its digits, at most 12.
  std::string pis = TrimRight(worker.Read(580, 18));
  if (pis.size() > 12) {
    worker.Write(580, Format("%-18s", KeepDigits(pis, 12).c_str()));
  }

  // 3 becomes 5 and 4 becomes 3, each character changed once.
  int kind = worker.ReadChar(847);
  if (kind == '3') {
    worker.Write(847, "5");
  } else if (kind == '4') {
    worker.Write(847, "3");
  }

  // P (405, 5), Q (410, 9), S (419, 5) and R (424, 2) become R, P and S
  // from 404 on, in 12, 5 and 5; Q goes to 281 in 10.
  std::string p = worker.Read(405, 5);
  std::string q = worker.Read(410, 9);
  std::string s = worker.Read(419, 5);
  std::string r = worker.Read(424, 2);
  worker.Write(404, Format("%-12s%-5s%-5s", r.c_str(), p.c_str(), s.c_str()));
  worker.Write(281, Format("%-10s", q.c_str()));
}

// The worker register is edited in a copy, which takes its place only once
// every register record, worker edit and counter is written: a failure then
// leaves F16.DAT as it was and no register behind, and the next run does the
// whole step again.
constexpr const char* kWorkCopy = "F16.TMP";
constexpr const char* kOldCopy = "F16.OLD";

// Edits every worker record of the open worker register.
void EditWorkers(FileStream* workers, Register& jobs, Register& schedules) {
  std::string head;
  for (std::int64_t n = 0;; ++n) {
    if (!workers->Seek(n * kWorkerRecord) || !ReadChars(workers, &head, 10)) {
      break;
    }
    WorkerRecord worker(workers, n * kWorkerRecord);
    GatherCodes(worker, jobs, schedules);
    MoveFields(worker);
  }
}

// Sets the counters of the registers built; false when one was not set.
bool SetCounters(Context& ctx, const Register& jobs,
                 const Register& schedules) {
  return (jobs.count() == 0 || SetCounter(ctx, "", "35", jobs.count())) &&
         (schedules.count() == 0 ||
          SetCounter(ctx, "", "36", schedules.count()));
}

}  // namespace

void ConvertJobsAndSchedules(Context& ctx) {
  Env& env = ctx.env;
  // When an earlier step of this run failed to give the worker register,
  // registers built now would stay empty and make the next run pass over
  // the workers for good.
  if (ctx.notes.any_kept() && !env.Exists(kWorkerFile)) return;
  // The old register left by an earlier run whose last removal failed.
  RemoveOldCopy(env, kWorkerFile);
  Register jobs(kJobFile, kJobRecord, kJobKeyOffset, kJobKeyLength);
  Register schedules(kScheduleFile, kScheduleRecord, kScheduleKeyOffset,
                     kScheduleKeyLength);
  Register* const registers[] = {&jobs, &schedules};

  // The counters file's length, to take back what this step adds to it.
  std::int64_t counters_size = -1;
  env.FileSize(kCountersFile, &counters_size);

  // A register that exists already is left alone. Worker records are only
  // edited when every register still missing could be created.
  bool building = false;
  bool failed = false;
  for (Register* reg : registers) {
    if (env.Exists(reg->name())) continue;
    if (reg->Create(env)) {
      building = true;
    } else {
      failed = true;
    }
  }
  // Without a worker register there is nothing to lose, and the empty
  // registers stay.
  if (!failed && (!building || !env.Exists(kWorkerFile))) return;

  WaitCursor wait(ctx.ui);
  File workers;
  if (!failed) {
    if (env.Exists(kWorkCopy)) env.Remove(kWorkCopy);
    if (env.CopyFile(kWorkerFile, kWorkCopy, true)) {
      workers = OpenText(env, kWorkCopy, OpenMode::kUpdate);
    }
    failed = !workers;
  }
  if (!failed) {
    EditWorkers(workers.get(), jobs, schedules);
    failed = !workers->Close();
    for (Register* reg : registers) failed = !reg->Close() || failed;
    failed = failed || !SetCounters(ctx, jobs, schedules) ||
             !ReplaceByCopy(env, kWorkerFile, kWorkCopy, kOldCopy);
  }
  if (!failed) return;

  // Everything goes back as it was: the registers begun here, the copy,
  // and the counters file's new records.
  CloseFile(workers);
  for (Register* reg : registers) reg->Discard(env);
  if (env.Exists(kWorkCopy)) env.Remove(kWorkCopy);
  std::int64_t size = 0;
  if (counters_size < 0 && env.FileSize(kCountersFile, &size)) {
    env.Remove(kCountersFile);
  } else if (counters_size >= 0 && env.FileSize(kCountersFile, &size) &&
             size > counters_size) {
    env.Truncate(kCountersFile, counters_size);
  }
  const char* target = jobs.building() ? kJobFile : kScheduleFile;
  ReportFailure(ctx, kWorkerFile, target);
  ctx.notes.Kept(kWorkerFile);
}

}  // namespace labrena
