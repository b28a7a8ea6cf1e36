// The renumbering of the fifth conversion step: the used-code map and the
// free-code allocator CodFree, the origin flags of F07R0.DAT, the merge of
// F02R1.DAT into F07R0.DAT under new codes, and the job and work-schedule
// registers F35R0.DAT and F36R0.DAT.
#include <string>
#include <vector>

#include "convert/layout.h"
#include "convert/patch.h"
#include "convert/report.h"
#include "convert/step5_internal.h"
#include "fields/hours.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/counters.h"
#include "records/damaged.h"
#include "records/key_index.h"
#include "records/retire.h"

namespace labrena {

std::string CodFree(Context& ctx, const UsedCodes& map, CodeRange* range) {
  long result;  // NOLINT(runtime/int)
  if (range->next <= 0) {
    result = -1;
  } else if (range->next > range->highest) {
    result = range->highest + 1;
  } else {
    while (range->next <= range->highest &&
           map.At(range->start + static_cast<int>(range->next) - 1) == '1') {
      ++range->next;
    }
    result = range->next++;
  }
  if (result >= 1 && result <= range->highest) return Format("%05ld", result);
  ctx.ui.MessageBox(
      "CodFree",
      Format("C\xF3" "digo livre %d fora do limite de 1 a %d.\n\nIn\xED"
             "cio: %d\nContador: %ld",
             static_cast<int>(result), range->highest, range->start,
             range->next),
      Icon::kError, Buttons::kOk);
  return "";
}

namespace {

constexpr const char* kMerged = "F07R0.DAT";
constexpr const char* kMergedBackup = "F07R0.BAK";
constexpr const char* kOldMerged = "F07.DAT";
constexpr const char* kResponsibles = "F02R1.DAT";
constexpr const char* kWorkers = "F16R0.DAT";
constexpr const char* kOldJobs = "F35.DAT";
constexpr const char* kJobs = "F35R0.DAT";
constexpr const char* kOldSchedules = "F36.DAT";
constexpr const char* kSchedules = "F36R0.DAT";

constexpr std::int64_t kOldJobLength = 240;
constexpr std::int64_t kOldScheduleLength = 250;
constexpr std::int64_t kResponsibleLength = 1000;

// F07R0.DAT: the origin flag ("1" for a record merged from F02R1.DAT).
constexpr std::size_t kOriginOffset = 238;
// F16R0.DAT: the worker's employer code, and the code of its F02R1 entry,
// later of its F07R0 entry.
constexpr std::size_t kEmployerOffset = 874;
constexpr std::size_t kEntryOffset = 963;
constexpr std::size_t kEntryWidth = 5;

// Marks the codes of an old register in the map: the first 10 characters of
// each live record, when they are a code of exactly 5 characters from 1 to
// 49999. False when the file could not be read.
bool MarkUsedCodes(Context& ctx, const char* name, const char* target,
                   std::int64_t length, int start, UsedCodes* map) {
  bool failed = false;
  File file = OpenSource(ctx, name, target, &failed);
  if (!file) return !failed;
  RecordReader reader(file.get(), static_cast<std::size_t>(length));
  std::string record;
  while (reader.Next(&record)) {
    std::string code = TrimRight(record.substr(0, 10));
    if (record.back() == '+' || code.size() != 5) continue;
    std::int64_t number = ReadLong(code);
    if (number >= 1 && number < kHighestCode) {
      map->Use(start + static_cast<int>(number) - 1);
    }
  }
  if (!reader.failed()) return true;
  ReportFailure(ctx, name, target);
  ctx.notes.Kept(name);
  return false;
}

// The origin flags: a blank becomes "0"; a "1" tells that F02R1.DAT was
// merged before. Then F07R0.DAT is copied to F07R0.BAK, the sign that this
// was done. False after a failure.
bool SetOriginFlags(Context& ctx, bool* merged_before) {
  if (!IsFile(ctx.env, kMerged)) return true;
  Patch patch(ctx);
  if (FileStream* file = patch.Edit(kMerged)) {
    RecordReader reader(file, kMergedLength5);
    std::string record;
    for (std::int64_t start = 0; reader.Next(&record);
         start += kMergedLength5) {
      if (record[kOriginOffset] == '1') *merged_before = true;
      if (record[kOriginOffset] != ' ') continue;
      record[kOriginOffset] = '0';
      WriteBack(file, start, record, {{kOriginOffset, 1}});
    }
    if (reader.failed() || file->error()) patch.Fail(kMerged);
  }
  if (!patch.Commit()) return false;
  // The backup comes into being whole or not at all.
  const std::string copy = "F07R0.TMP";
  if (ctx.env.CopyFile(kMerged, copy, false) &&
      ctx.env.Rename(copy, kMergedBackup) == 0) {
    return true;
  }
  if (ctx.env.Exists(copy)) RemoveFile(ctx.env, copy);
  ReportFailure(ctx, kMerged, kMergedBackup);
  ctx.notes.Kept(kMerged);
  return false;
}

// The F07R0 record merged from an F02R1 record under a new code, for a
// worker of employer (10 characters).
std::string MergedRecord(std::string entry, const std::string& code,
                         const std::string& employer) {
  entry.replace(0, code.size(), code);
  const std::string number = TrimRight(entry.substr(250, 18));
  entry.replace(502, 10, PadText(employer, 10));
  entry[kOriginOffset] = '1';
  entry.replace(268, 18, entry.substr(250, 18));
  // Offset 250 keeps only a formatted CNPJ; the old value stays at 268.
  if (number.size() != 18) entry.replace(250, 18, std::string(18, ' '));
  entry.replace(666, 4, entry.substr(639, 4));
  entry.replace(638, 2, number.size() == 13 ? "02" : "04");
  entry.replace(640, 3, std::string(3, ' '));
  return PadText(CleanText(entry.substr(0, kMergedLength5)), kMergedLength5);
}

// Merges the F02R1 entry of every worker into F07R0.DAT under a code of its
// own, which the worker then names; then retires F02R1.DAT.
bool MergeResponsibles(Context& ctx, const UsedCodes& map, bool merged_before,
                       CodeRange* range) {
  if (!IsFile(ctx.env, kResponsibles)) return true;
  Patch patch(ctx);
  bool read_failed = false;
  File entries = merged_before
                     ? nullptr
                     : OpenSource(ctx, kResponsibles, kMerged, &read_failed);
  if (read_failed) return false;
  FileStream* workers = entries ? patch.Edit(kWorkers) : nullptr;
  FileStream* merged =
      workers ? patch.Append(kMerged, kMergedLength5) : nullptr;
  long last_code = 0;  // NOLINT(runtime/int)
  if (merged) {
    KeyIndex index(entries.get(), kResponsibleLength, 0, 10);
    RecordReader reader(workers, kWorkerLength5);
    std::string worker;
    for (std::int64_t start = 0; reader.Next(&worker);
         start += kWorkerLength5) {
      std::string key = TrimRight(worker.substr(kEntryOffset, kEntryWidth));
      if (key.empty() || worker.back() == '+') continue;
      std::int64_t n = index.Find(key);
      std::string entry(kResponsibleLength, ' ');
      if (n < 0 || !entries->Seek(n * kResponsibleLength) ||
          entries->Read(entry.data(), entry.size()) == 0) {
        continue;
      }
      std::string code = CodFree(ctx, map, range);
      if (code.empty()) continue;
      last_code = static_cast<long>(ReadLong(code));  // NOLINT(runtime/int)
      std::string employer = TrimRight(worker.substr(kEmployerOffset, 10));
      if (employer.empty()) continue;
      merged->Write(MergedRecord(entry, code, employer));
      worker.replace(kEntryOffset, kEntryWidth, PadText(code, kEntryWidth));
      WriteBack(workers, start, worker, {{kEntryOffset, kEntryWidth}});
    }
    if (reader.failed() || workers->error()) patch.Fail(kWorkers);
    if (entries->error()) patch.Fail(kResponsibles);
    if (merged->error()) patch.Fail(kMerged);
    // A counter that cannot be read is not one that is lower.
    std::int64_t highest = 0;
    if (!ReadCounter(ctx, "", "7", &highest)) patch.Fail(kCountersFile);
    if (last_code > highest) patch.SetCounter("7", last_code);
    if (last_code > 0) patch.SetCounter("2", 0);
  }
  CloseFile(entries);
  patch.Backup(kResponsibles);
  return patch.Commit();
}

// F35.DAT to F35R0.DAT: every live job, with kind "0".
bool ConvertJobs(Context& ctx) {
  if (!IsFile(ctx.env, kOldJobs)) return true;
  Patch patch(ctx);
  SourceRead read;
  if (!IsFile(ctx.env, kJobs)) {
    File old_file = OpenSource(ctx, kOldJobs, kJobs, &read.failed);
    if (read.failed) return false;
    FileStream* jobs = old_file ? patch.Create(kJobs) : nullptr;
    if (jobs) {
      RecordReader reader(old_file.get(), kOldJobLength);
      std::string old;
      while (reader.Next(&old)) {
        if (old.back() == '+') continue;
        // Code (11) and title (40); kind; group field (an employer code,
        // 10) and occupation code (10), then blanks to the deletion mark.
        jobs->Write(Format("%-51s%d%-198s", old.substr(0, 51).c_str(), 0,
                           old.substr(51, 20).c_str()));
      }
      if (reader.failed()) patch.Fail(kOldJobs);
      read.repaired = reader.repaired();
    }
  }
  patch.Backup(kOldJobs);
  if (!patch.Commit()) return false;
  ReportRepaired(ctx, kOldJobs, read.repaired);
  return true;
}

// F36.DAT to F36R0.DAT: every live schedule as a kind "0" record and, when
// it has a start time, a schedule record (kind "1") under a new code, with
// its worked hours and break length.
bool ConvertSchedules(Context& ctx, const UsedCodes& map, CodeRange* range) {
  if (!IsFile(ctx.env, kOldSchedules)) return true;
  Patch patch(ctx);
  SourceRead read;
  if (!IsFile(ctx.env, kSchedules)) {
    File old_file = OpenSource(ctx, kOldSchedules, kSchedules, &read.failed);
    if (read.failed) return false;
    FileStream* schedules = old_file ? patch.Create(kSchedules) : nullptr;
    long last_code = 0;  // NOLINT(runtime/int)
    if (schedules) {
      RecordReader reader(old_file.get(), kOldScheduleLength);
      std::string old;
      while (reader.Next(&old)) {
        if (old.back() == '+') continue;
        std::string code;
        if (old[61] != ' ') {
          code = CodFree(ctx, map, range);
          if (!code.empty()) last_code = static_cast<long>(ReadLong(code));
        }
        std::string start = old.substr(61, 5), end = old.substr(66, 5);
        std::string break_start = old.substr(71, 5);
        std::string break_end = old.substr(76, 5);
        std::string worked, break_length;
        ShiftHours(&start, &end, &break_start, &break_end, &worked,
                   &break_length);
        std::string description = old.substr(11, 40);
        std::string group = old.substr(51, 10);
        // Kind "0": the old code, description, group field, and the code
        // of its schedule record five times (offsets 85 to 109).
        schedules->Write(PadText(
            CleanText(Format("%-11s%-40s%d%-33s%5s%5s%5s%5s%-s",
                             old.substr(0, 11).c_str(), description.c_str(), 0,
                             group.c_str(),
                             code.c_str(), code.c_str(), code.c_str(),
                             code.c_str(), code.c_str())),
            kScheduleLength5));
        if (code.empty()) continue;
        // Kind "1": the new code, description, group field and the times.
        schedules->Write(PadText(
            CleanText(Format("%-11s%-40s%d%-28s%-5s%-5s%-5s%-5s%-5s%-5s",
                             code.c_str(), description.c_str(), 1,
                             group.c_str(), start.c_str(), end.c_str(),
                             worked.c_str(), break_start.c_str(),
                             break_end.c_str(), break_length.c_str())),
            kScheduleLength5));
      }
      if (reader.failed()) patch.Fail(kOldSchedules);
      read.repaired = reader.repaired();
      std::int64_t highest = 0;
      if (!ReadCounter(ctx, "", "36", &highest)) patch.Fail(kCountersFile);
      if (last_code > highest) patch.SetCounter("36", last_code);
    }
  }
  patch.Backup(kOldSchedules);
  if (!patch.Commit()) return false;
  ReportRepaired(ctx, kOldSchedules, read.repaired);
  return true;
}

// What the patches of an earlier run left when a removal failed or the run
// was cut off: the copies and old copies of the tables this step patches.
void RecoverPatchedFiles(Context& ctx) {
  for (const char* name :
       {"CONV.DAT", "F00R0.DAT", "F01R0.DAT", "F04R0.DAT", "F07R0.DAT",
        "F08R1.DAT", "F16R0.DAT", "F21R1.DAT", "F31R0.DAT", "F34.DAT",
        "F35R0.DAT", "F36R0.DAT", "R69\\F692018.DAT"}) {
    RecoverPatchedFile(ctx.env, name);
  }
  for (const char* pattern : {"R62\\*.TMP", "R63\\*.TMP", "R63\\*.OLD"}) {
    for (const DirEntry& entry : ctx.env.List(pattern, AllFilesAttribute())) {
      if (entry.is_dir) continue;
      std::string name = std::string(pattern).substr(0, 4) + entry.name;
      RecoverPatchedFile(ctx.env, name.substr(0, name.size() - 3) + "DAT");
    }
  }
}

}  // namespace

bool RenumberCodes(Context& ctx) {
  Env& env = ctx.env;
  RecoverPatchedFiles(ctx);
  for (int i = 0; i < 8; ++i) RemoveFile(env, Format("F31R0.BAK%d", i));

  // The map answers from memory what the product's temporary map file
  // answered; nothing of it is left in the folder.
  UsedCodes map;
  if ((IsFile(env, kResponsibles) || IsFile(env, kOldSchedules)) &&
      (!MarkUsedCodes(ctx, kOldMerged, kMerged, kMergedLength5, kMergedStart,
                      &map) ||
       !MarkUsedCodes(ctx, kOldSchedules, kSchedules, kOldScheduleLength,
                      kScheduleStart, &map))) {
    return false;
  }
  CodeRange merged_codes{kMergedStart, kHighestCode};
  CodeRange schedule_codes{kScheduleStart, kHighestCode};

  bool merged_before = false;
  if (!env.Exists(kMergedBackup) && !SetOriginFlags(ctx, &merged_before)) {
    return false;
  }
  if (!MergeResponsibles(ctx, map, merged_before, &merged_codes) ||
      !ConvertJobs(ctx) || !ConvertSchedules(ctx, map, &schedule_codes)) {
    return false;
  }
  for (const char* work_file : {"Acc001.dat", "Accnew.001"}) {
    if (env.Exists(work_file)) env.Remove(work_file);
  }
  return true;
}

}  // namespace labrena
