// End to end: a generated data folder of the oldest version goes through
// the six steps; the new files are checked against the generator's model of
// what it wrote, field by field from the layouts. The registers that the
// fourth step converts are retired in the layouts the steps before it wrote,
// and are checked there too; what the first four steps wrote is checked as
// the folder stood before the fifth, which renumbers, converts and patches
// it, and whose outputs are checked after the whole run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/names.h"
#include "shell/run.h"
#include "tests/testing/item_blocks.h"
#include "tests/testing/scratch.h"
#include "tools/sample/registration.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace {

namespace fs = std::filesystem;
using sample::Pad;
using sample::RightTrim;

// Relative path with '/', upper-cased (the Env resolves names without
// regard to case), to the file's bytes.
using Snapshot = std::map<std::string, std::string>;

std::string Key(const std::string& name) {
  std::string key = UpperAscii(name);
  std::replace(key.begin(), key.end(), '\\', '/');
  return key;
}

Snapshot TakeSnapshot(const std::string& root) {
  Snapshot files;
  std::error_code ec;
  if (!fs::exists(root, ec)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[Key(fs::relative(entry.path(), root).generic_string())] = bytes.str();
  }
  return files;
}

std::string Code5(int n) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%05d", n);
  return buf;
}

// The PIS of a worker as the registers hold it: the 14-character dotted
// form keeps only its digits.
std::string WorkerPis(const sample::Register& w) {
  std::string pis = RightTrim(w.Field(sample::kWorkerPis));
  return pis.size() > 12 ? sample::DigitsOf(pis) : pis;
}

// The schooling digit, recoded by the second step.
char WorkerSchooling(const sample::Register& w) {
  char schooling = w.Field(sample::kWorkerSchooling).back();
  return schooling == '3' ? '5' : schooling == '4' ? '3' : schooling;
}

// A-Z compared without case, every other byte as it is: the key searches'
// rule.
std::string FoldAz(const std::string& text) { return UpperAscii(text); }

struct Day {
  int day, month, year;
  bool operator<(const Day& o) const {
    return std::tie(year, month, day) < std::tie(o.year, o.month, o.day);
  }
};

Day NextDay(Day d) {
  if (++d.day > sample::DaysInMonth(d.month, d.year)) {
    d.day = 1;
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  return d;
}

// What step 3 should make of the workers: job and schedule codes in the
// order the keys are first met.
struct Gathered {
  std::vector<std::string> job_records;       // F35.DAT
  std::vector<std::string> schedule_records;  // F36.DAT
  std::vector<int> job_of_worker;             // 0: none
  std::vector<int> schedule_of_worker;
};

std::string NormalizedCbo(const std::string& field) {
  std::size_t start = field.find_first_not_of('0');
  std::string digits =
      sample::DigitsOf(start == std::string::npos ? "" : field.substr(start));
  digits = digits.substr(0, 6);
  if (digits.empty()) return "";
  return std::string(6 - digits.size(), '0') + digits;
}

std::string ScheduleDescription(const std::string& hours) {
  auto piece = [&hours](std::size_t at) {
    return at < hours.size() ? hours.substr(at, 5) : std::string();
  };
  char buf[64];
  if (piece(10).empty() && piece(15).empty()) {
    std::snprintf(buf, sizeof(buf), "%5s \xE0s %5s", piece(0).c_str(),
                  piece(5).c_str());
  } else {
    std::snprintf(buf, sizeof(buf), "%5s \xE0s %5s / %5s \xE0s %5s",
                  piece(0).c_str(), piece(10).c_str(), piece(15).c_str(),
                  piece(5).c_str());
  }
  return buf;
}

Gathered Gather(const sample::SampleFolder& model) {
  Gathered g;
  std::map<std::string, int> jobs, schedules;
  for (const sample::Register& w : model.workers) {
    std::string group = Pad(w.Field(sample::kWorkerEmployer), 10);
    std::string title = RightTrim(w.Field(sample::kWorkerJob));
    int job = 0;
    if (!title.empty()) {
      std::string key = Pad(title, 40) + group;
      auto [it, fresh] =
          jobs.emplace(FoldAz(key), static_cast<int>(jobs.size()) + 1);
      job = it->second;
      if (fresh) {
        g.job_records.push_back(
            Code5(job) + std::string(6, ' ') + key +
            Pad(NormalizedCbo(w.Field(sample::kWorkerCbo)), 179));
      }
    }
    std::string hours;
    for (int k = 0; k < 4; ++k)
      hours += Pad(w.Field(sample::kWorkerStart + k), 5);
    hours = RightTrim(hours);
    int schedule = 0;
    if (!hours.empty()) {
      std::string key = group + Pad(hours, 20);
      auto [it, fresh] = schedules.emplace(
          FoldAz(key), static_cast<int>(schedules.size()) + 1);
      schedule = it->second;
      if (fresh) {
        g.schedule_records.push_back(Code5(schedule) + std::string(6, ' ') +
                                     Pad(ScheduleDescription(hours), 40) +
                                     Pad(key, 199));
      }
    }
    g.job_of_worker.push_back(job);
    g.schedule_of_worker.push_back(schedule);
  }
  return g;
}

// What the fifth step makes of the folder, from its layouts.

// A day/month/year text as a day; year 0 when it holds no date.
Day ParseDay(const std::string& text) {
  return {std::atoi(text.substr(0, 2).c_str()),
          std::atoi(text.substr(3, 2).c_str()),
          std::atoi(text.substr(6, 4).c_str())};
}

// Days from a fixed day: the difference of two counts the days between.
int DayNumber(const Day& d) {
  int y = d.month <= 2 ? d.year - 1 : d.year;
  int m = d.month <= 2 ? d.month + 9 : d.month - 3;
  return 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + d.day;
}

// The codes of an old register: those of live records with exactly five
// characters, from 1 to 49999.
std::set<long> UsedCodes(const std::vector<std::string>& records) {
  std::set<long> used;
  for (const std::string& r : records) {
    std::string code = RightTrim(r.substr(0, 10));
    long number = std::atol(code.c_str());
    if (r.back() != '+' && code.size() == 5 && number >= 1 && number < 50000) {
      used.insert(number);
    }
  }
  return used;
}

// Hands out the lowest code above the last that the register does not use.
class FreeCodes {
 public:
  explicit FreeCodes(std::set<long> used) : used_(std::move(used)) {}
  std::string Next() {
    while (used_.count(next_)) ++next_;
    last_ = next_++;
    return Code5(static_cast<int>(last_));
  }
  long last() const { return last_; }

 private:
  std::set<long> used_;
  long next_ = 1;
  long last_ = 0;
};

// Where references to each employer lead once branches are marked: to the
// first earlier employer whose registration number (offset 250) has the
// same root, its first 10 characters (all of a 14-character number), else
// to itself. By trimmed code.
class BranchHeads {
 public:
  explicit BranchHeads(const std::vector<std::string>& employers) {
    for (std::size_t n = 0; n < employers.size(); ++n) {
      std::string v = FoldAz(RightTrim(employers[n].substr(250, 18)));
      for (std::size_t m = 0; m < n && !v.empty(); ++m) {
        std::string w = FoldAz(RightTrim(employers[m].substr(250, 18)));
        std::size_t compared = w.size() == 14 ? 14 : 10;
        if (w.empty() || v.substr(0, compared) != w.substr(0, compared)) {
          continue;
        }
        heads_[RightTrim(employers[n].substr(0, 10))] =
            RightTrim(employers[m].substr(0, 10));
        break;
      }
    }
  }
  bool IsBranch(const std::string& code) const {
    return heads_.count(RightTrim(code)) > 0;
  }
  // A 10-character employer field after the redirection.
  std::string Of(const std::string& field) const {
    auto it = heads_.find(RightTrim(field));
    return it == heads_.end() ? field : Pad(it->second, 10);
  }

 private:
  std::map<std::string, std::string> heads_;
};

// Worked hours and break length of the sample's schedules, worked out by
// hand: a minute from 22:00 to 05:00 counts 8/7 of a day minute, and the
// total is cut to whole minutes.
struct Shift {
  const char* start;
  const char* end;
  const char* break_start;
  const char* break_end;
  const char* worked;
  const char* break_length;
};
constexpr Shift kShifts[] = {
    {"08:00", "18:00", "12:00", "13:00", "09:00", "01:00"},
    {"08:00", "17:00", "12:00", "13:00", "08:00", "01:00"},
    {"07:00", "16:00", "11:00", "12:00", "08:00", "01:00"},
    {"07:30", "17:18", "11:30", "13:00", "08:18", "01:30"},
    {"14:00", "22:00", "18:00", "19:00", "07:00", "01:00"},
    {"22:00", "06:00", "", "", "09:00", ""},  // 420 night minutes, 60 day
    {"08:00", "12:00", "", "", "04:00", ""},
    {"06:00", "14:20", "10:00", "10:20", "08:00", "00:20"},
    {"22:00", "05:00", "", "", "08:00", ""},  // 420 night minutes
    // 360 night minutes, 60 day
    {"22:00", "06:00", "02:00", "03:00", "07:51", "01:00"},
};

const Shift* FindShift(const std::string& hours) {
  for (const Shift& s : kShifts) {
    if (Pad(s.start, 5) + Pad(s.end, 5) + Pad(s.break_start, 5) +
            Pad(s.break_end, 5) ==
        hours) {
      return &s;
    }
  }
  return nullptr;
}

// The new code of an old leave code: the first row that fits, case aside.
std::string NewLeaveCode(const std::string& old) {
  struct Row {
    const char* old;
    bool first_only;  // the first character decides
    const char* code;
  };
  static constexpr Row kRows[] = {
      {"O", true, "01"},   {"P", true, "03"},   {"U3", false, "06"},
      {"Q1", false, "17"}, {"Q2", false, "35"}, {"Q3", false, "19"},
      {"Q4", false, "20"}, {"Q5", false, "20"}, {"Q6", false, "20"},
      {"X", true, "21"},   {"W", true, "24"},   {"R", true, "29"},
  };
  std::string code = FoldAz(old);
  for (const Row& row : kRows) {
    if (row.first_only ? code[0] == row.old[0] : code == row.old) {
      return row.code;
    }
  }
  return "  ";
}

// A number left-justified in width characters ("%-*ld").
std::string Left(long number, int width) {
  return Pad(std::to_string(number), width);
}

class ConvertE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = sample::BuildSampleFolder(sample::SampleOptions());
    std::string error;
    ASSERT_TRUE(sample::WriteSampleFolder(model_, scratch_.data(), &error))
        << error;
    before_ = TakeSnapshot(scratch_.data());
    RunSteps();
    after_ = TakeSnapshot(scratch_.data());
    retired_ = TakeSnapshot(scratch_.temp() + "Nelk/Labrena");
    for (const std::string& d : model_.dependants) {
      if (d.back() != '+') live_dependants_.push_back(d);
    }
    receipts_ = ConvertReceipts(ReceiptFiles(model_), model_.rubrics,
                                live_dependants_.size());
  }

  // The six steps in their order, keeping the folder as the first four
  // left it: the fifth changes their files in place.
  void RunSteps() {
    RunConversion(scratch_.ctx(), {1, 2, 3, 4});
    fourth_ = TakeSnapshot(scratch_.data());
    RunConversion(scratch_.ctx(), {5, 6});
  }

  // The records of a file as the first four steps left it, which must hold
  // whole records of the length.
  ::testing::AssertionResult Records(const std::string& name,
                                     std::size_t length,
                                     std::vector<std::string>* records) const {
    return RecordsIn(fourth_, name, length, records);
  }

  // The records of a file of the converted folder.
  ::testing::AssertionResult FinalRecords(
      const std::string& name, std::size_t length,
      std::vector<std::string>* records) const {
    return RecordsIn(after_, name, length, records);
  }

  // The records of a file as the fourth step retired it.
  ::testing::AssertionResult RetiredRecords(
      const std::string& name, std::size_t length,
      std::vector<std::string>* records) const {
    return RecordsIn(retired_, name, length, records);
  }

  ::testing::AssertionResult RecordsIn(
      const Snapshot& files, const std::string& name, std::size_t length,
      std::vector<std::string>* records) const {
    records->clear();
    auto it = files.find(Key(name));
    if (it == files.end()) {
      return ::testing::AssertionFailure()
             << name
             << (&files == &retired_
                     ? " was not retired"
                     : " was not written (is its conversion step still a "
                       "stub?)");
    }
    const std::string& bytes = it->second;
    if (bytes.size() % length != 0) {
      return ::testing::AssertionFailure()
             << name << ": " << bytes.size() << " bytes, not a multiple of "
             << length;
    }
    for (std::size_t at = 0; at < bytes.size(); at += length) {
      records->push_back(bytes.substr(at, length));
    }
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult Count(const std::string& name, std::size_t length,
                                   std::size_t expected,
                                   bool final = false) const {
    std::vector<std::string> records;
    ::testing::AssertionResult read =
        RecordsIn(final ? after_ : fourth_, name, length, &records);
    if (!read) return read;
    if (records.size() != expected) {
      return ::testing::AssertionFailure() << name << ": " << records.size()
                                           << " records, expected " << expected;
    }
    return ::testing::AssertionSuccess();
  }

  std::vector<int> ReceiptYears() const {
    std::set<int> years;
    for (const sample::Receipt& r : model_.receipts) years.insert(r.year);
    return {years.begin(), years.end()};
  }

  // Guides of a year below their threshold, R01 to R03 in order.
  std::vector<std::pair<const sample::GuideFile*, const sample::Guide*>>
  CarriedGuides(int year) const {
    std::vector<std::pair<const sample::GuideFile*, const sample::Guide*>>
        carried;
    for (int folder = 1; folder <= 3; ++folder) {
      for (const sample::GuideFile& file : model_.guides) {
        if (file.folder != folder || file.year != year) continue;
        for (const sample::Guide& g : file.records) {
          if (g.total_cents < file.ThresholdCents())
            carried.push_back({&file, &g});
        }
      }
    }
    return carried;
  }

  std::set<int> GuideYears() const {
    std::set<int> years;
    for (const sample::GuideFile& file : model_.guides) years.insert(file.year);
    return years;
  }

  // The code counters by "first name/second name".
  std::map<std::string, std::string> Counters(bool final = false) const {
    std::map<std::string, std::string> counters;
    std::vector<std::string> records;
    if (!RecordsIn(final ? after_ : fourth_, "F34.DAT", 30, &records)) {
      return counters;
    }
    for (const std::string& r : records) {
      counters[RightTrim(r.substr(0, 10)) + "/" + RightTrim(r.substr(10, 10))] =
          RightTrim(r.substr(20, 10));
    }
    return counters;
  }

  std::size_t TemplateRecords() const {
    return model_.rubric_template.size() / 300;
  }

  ScratchFolder scratch_;
  sample::SampleFolder model_;
  Snapshot before_;
  Snapshot fourth_;  // the folder as the first four steps left it
  Snapshot after_;
  Snapshot retired_;
  std::vector<std::string> live_dependants_;  // FZ0.DAT, deleted ones left out
  ConvertedReceipts receipts_;  // the fourth step's, from the model
};

TEST_F(ConvertE2eTest, OutputFilesHoldWholeRecordsOfTheirLength) {
  Gathered g = Gather(model_);
  // Every employer and worker of the sample is live.
  EXPECT_TRUE(Count("F00R0.DAT", 1000, model_.employers.size()));
  EXPECT_TRUE(Count("F16R0.DAT", 2000, model_.workers.size()));
  ASSERT_FALSE(receipts_.pensions.empty()) << "no worker item of rubric 61";
  EXPECT_TRUE(Count("F13R1.DAT", 1000,
                    live_dependants_.size() + receipts_.pensions.size()));
  ASSERT_FALSE(receipts_.user_rubrics.empty()) << "no user rubric used";
  EXPECT_TRUE(Count("F31R0.DAT", 300,
                    TemplateRecords() + receipts_.user_rubrics.size()));
  EXPECT_TRUE(Count("F35.DAT", 240, g.job_records.size()));
  EXPECT_TRUE(Count("F36.DAT", 250, g.schedule_records.size()));
  EXPECT_TRUE(Count("F01R0.DAT", 814, model_.unions.size()));
  EXPECT_TRUE(Count("F07R0.DAT", 809, model_.departments.size()));
  EXPECT_TRUE(Count("F08R1.DAT", 1000, 1));
  EXPECT_TRUE(Count("F02R1.DAT", 1000, model_.service_takers.size()));
  // Jobs, schedules and user rubrics, and the dependants' when the old
  // counters had none.
  std::size_t counters = 3 + (std::atol(model_.counters[2].c_str()) <= 0);
  for (const std::string& c : model_.counters)
    counters += std::atol(c.c_str()) > 0;
  EXPECT_TRUE(Count("F34.DAT", 30, counters));
  for (int year : ReceiptYears()) {
    std::size_t n = std::count_if(
        model_.receipts.begin(), model_.receipts.end(),
        [year](const sample::Receipt& r) { return r.year == year; });
    EXPECT_TRUE(Count("R62\\" + std::to_string(year) + ".DAT", 850, n));
  }
  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    EXPECT_TRUE(Count("R61\\" + file.name.substr(1), 701, file.records.size()));
  }
  for (int year : GuideYears()) {
    EXPECT_TRUE(Count("R27\\" + std::to_string(year) + ".DAT", 300,
                      CarriedGuides(year).size()));
  }

  // The fifth step's files: a job record for each job; a record for each
  // schedule and one more for each with a start time; a leave for each old
  // one; the yearly receipts under their new names; the unions, then the
  // live records of F40.DAT.
  std::size_t schedules = 0, entities = 0;
  for (const std::string& r : g.schedule_records) {
    schedules += r[61] == ' ' ? 1 : 2;
  }
  for (const std::string& r : model_.f40) entities += r.back() != '+';
  EXPECT_TRUE(Count("F35R0.DAT", 250, g.job_records.size(), true));
  EXPECT_TRUE(Count("F36R0.DAT", 250, schedules, true));
  EXPECT_TRUE(Count("F21R1.DAT", 500, model_.leaves.size(), true));
  EXPECT_TRUE(Count("F01R0.DAT", 814, model_.unions.size() + entities, true));
  for (int year : ReceiptYears()) {
    std::size_t n = std::count_if(
        model_.receipts.begin(), model_.receipts.end(),
        [year](const sample::Receipt& r) { return r.year == year; });
    EXPECT_TRUE(
        Count("R62\\F62" + std::to_string(year) + ".DAT", 850, n, true));
  }
}

TEST_F(ConvertE2eTest, RegistersKeepCodesNamesAndRegistrationNumbers) {
  using sample::Register;
  std::vector<std::string> records;
  // F00.DAT as the first step wrote it, retired by the fourth.
  ASSERT_TRUE(RetiredRecords("F00.DAT", 983, &records));
  ASSERT_EQ(records.size(), model_.employers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Register& e = model_.employers[i];
    const std::string& r = records[i];
    EXPECT_EQ(r.substr(0, 11), Pad(e.Field(sample::kCode), 11))
        << "employer " << i;
    EXPECT_EQ(r.substr(11, 40), Pad(e.Field(sample::kName), 40))
        << "employer " << i;
    EXPECT_EQ(r.substr(291, 18), Pad(e.Field(sample::kEmployerCei), 18));
    EXPECT_EQ(r.substr(309, 18), Pad(e.Field(sample::kEmployerTaxId), 18));
    EXPECT_EQ(r.substr(670, 75), std::string(75, ' '))
        << "old bank fields stay";
    EXPECT_EQ(r.substr(783, 200), Pad(e.Field(sample::kEmployerNotes), 200));
  }
  // F00R0.DAT: the two registration numbers change places; the notes are
  // dropped.
  ASSERT_TRUE(Records("F00R0.DAT", 1000, &records));
  ASSERT_EQ(records.size(), model_.employers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Register& e = model_.employers[i];
    const std::string& r = records[i];
    std::string where = "F00R0.DAT record " + std::to_string(i);
    EXPECT_EQ(r.substr(0, 11), Pad(e.Field(sample::kCode), 11)) << where;
    EXPECT_EQ(r.substr(11, 40), Pad(e.Field(sample::kName), 40)) << where;
    EXPECT_EQ(r.substr(250, 18), Pad(e.Field(sample::kEmployerTaxId), 18))
        << where;
    EXPECT_EQ(r.substr(268, 18), Pad(e.Field(sample::kEmployerCei), 18))
        << where;
    EXPECT_EQ(r.substr(788), std::string(212, ' ')) << where;
  }

  // F16.DAT as the third step left it, retired by the fourth.
  ASSERT_TRUE(RetiredRecords("F16.DAT", 1955, &records));
  ASSERT_EQ(records.size(), model_.workers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Register& w = model_.workers[i];
    const std::string& r = records[i];
    std::string where = "worker " + w.Field(sample::kCode);
    EXPECT_EQ(r.substr(0, 11), Pad(w.Field(sample::kCode), 11)) << where;
    EXPECT_EQ(r.substr(11, 40), Pad(w.Field(sample::kName), 40)) << where;
    EXPECT_EQ(r.substr(291, 10), Pad(w.Field(sample::kWorkerEmployer), 10))
        << where;
    EXPECT_EQ(r.substr(486, 14), w.Field(sample::kWorkerCpf)) << where;
    EXPECT_EQ(r.substr(580, 18), Pad(WorkerPis(w), 18)) << where;
    EXPECT_EQ(r[847], WorkerSchooling(w)) << where;
    EXPECT_EQ(r.substr(1338, 16), Pad(w.Field(sample::kWorkerAmount), 16))
        << where;
    ExpectItemBlock(r.substr(1354), w.items, 20, kWorkerItemCodes, where);
  }
  // F16R0.DAT: the same fields at their new offsets (the amount and items
  // are the receipts' test's).
  ASSERT_TRUE(Records("F16R0.DAT", 2000, &records));
  ASSERT_EQ(records.size(), model_.workers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Register& w = model_.workers[i];
    const std::string& r = records[i];
    std::string where = "F16R0.DAT, worker " + w.Field(sample::kCode);
    EXPECT_EQ(r.substr(0, 11), Pad(w.Field(sample::kCode), 11)) << where;
    EXPECT_EQ(r.substr(11, 45), Pad(w.Field(sample::kName), 45)) << where;
    EXPECT_EQ(r.substr(874, 10), Pad(w.Field(sample::kWorkerEmployer), 10))
        << where;
    EXPECT_EQ(r.substr(345, 14), w.Field(sample::kWorkerCpf)) << where;
    EXPECT_EQ(r.substr(359, 12), Pad(WorkerPis(w), 12)) << where;
    EXPECT_EQ(r[594], WorkerSchooling(w)) << where;
    EXPECT_EQ(r.back(), ' ') << where;
  }

  // F13R1.DAT: the live dependants numbered from 1, each field of the old
  // record at its new offset; the pension beneficiaries follow them.
  ASSERT_TRUE(Records("F13R1.DAT", 1000, &records));
  ASSERT_GE(records.size(), live_dependants_.size());
  auto six_to_nine = [](char c) { return std::string(1, c == '6' ? '9' : c); };
  for (std::size_t i = 0; i < live_dependants_.size(); ++i) {
    const std::string& o = live_dependants_[i];
    std::string expected =
        Code5(static_cast<int>(i) + 1) + std::string(6, ' ') +
        Pad(o.substr(11, 40), 80) + std::string(109, ' ') +
        Pad(o.substr(136, 20), 38) + "0 " + Pad(o.substr(74, 10), 252) +
        o.substr(52, 10) + o.substr(86, 10) + Pad(o.substr(116, 20), 40) +
        Pad(o.substr(64, 10), 63) + six_to_nine(o[62]) +
        Pad(six_to_nine(o[63]), 33) + o.substr(96, 9) + o.substr(105, 6) +
        Pad(o.substr(111, 5), 336);
    EXPECT_EQ(records[i], expected) << "F13R1.DAT record " << i;
  }

  ASSERT_TRUE(Records("F02R1.DAT", 1000, &records));
  ASSERT_EQ(records.size(), model_.service_takers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Register& t = model_.service_takers[i];
    std::string street = RightTrim(t.Field(sample::kStreet));
    std::string number = RightTrim(t.Field(sample::kNumber));
    std::string complement = RightTrim(t.Field(sample::kComplement));
    std::size_t keep = std::min<std::size_t>(
        street.size(), 38 - number.size() - complement.size());
    std::string line = street.substr(0, keep) + " " + number + " " + complement;
    ASSERT_LE(line.size(), 40u);
    std::string expected =
        Pad(Pad(t.Field(sample::kCode), 11) + Pad(t.Field(sample::kName), 40),
            91) +
        Pad(line, 70) +
        Pad(Pad(t.Field(sample::kDistrict), 30) +
                Pad(t.Field(sample::kPostalCode), 9) +
                Pad(t.Field(sample::kCity), 30) +
                Pad(t.Field(sample::kState), 2),
            89) +
        Pad(t.Field(sample::kEmployerCei), 389) +
        Pad(t.Field(sample::kTakerFpas), 361);
    EXPECT_EQ(records[i], expected) << "service taker " << i;
  }

  ASSERT_TRUE(Records("F01R0.DAT", 814, &records));
  ASSERT_EQ(records.size(), model_.unions.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& o = model_.unions[i];
    std::string expected =
        o.substr(0, 51) + o.substr(192, 40) + Pad(o.substr(51, 141), 159) +
        o.substr(291, 18) + Pad(o.substr(327, 12), 18) +
        Pad(o.substr(232, 29), 86) + Pad(o.substr(339, 60), 442);
    EXPECT_EQ(records[i], expected) << "union " << i;
  }

  ASSERT_TRUE(Records("F07R0.DAT", 809, &records));
  ASSERT_EQ(records.size(), model_.departments.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& o = model_.departments[i];
    EXPECT_EQ(records[i],
              Pad(o.substr(0, 51), 502) + Pad(o.substr(51, 10), 307));
  }

  // The 7-digit field at 154 is cleared once employers were converted.
  ASSERT_TRUE(Records("F08R1.DAT", 1000, &records));
  ASSERT_EQ(records.size(), 1u);
  const std::string& o = model_.responsibles[0];
  std::string expected =
      Pad("00001", 11) + o.substr(0, 40) + o.substr(286, 40) +
      o.substr(40, 45) + Pad(o.substr(90, 8), 18) + std::string(7, ' ') +
      Pad(o.substr(110, 71), 89) + o.substr(268, 18) + o.substr(326, 18) +
      Pad(o.substr(189, 19), 86) + Pad(o.substr(208, 60), 120) +
      Pad(o.substr(344, 10), 508);
  EXPECT_EQ(records[0], expected);

  // Registers that only change their names keep every byte, also those
  // the fourth step converts and retires.
  auto bytes = [this](const char* name) { return before_.at(Key(name)); };
  EXPECT_EQ(retired_[Key("F13.DAT")], bytes("FZ0.DAT"));
  EXPECT_EQ(after_[Key("F17R1.DAT")], bytes("F309.DAT"));
  EXPECT_EQ(fourth_[Key("F21R0.DAT")], bytes("F308.DAT"));
  EXPECT_EQ(retired_[Key("F31.DAT")], bytes("C04B.DAT"));

  std::map<std::string, std::string> counters = Counters();
  static constexpr const char* kCounterCodes[7] = {"0", "16", "13", "2",
                                                   "1", "7",  "4"};
  for (int i = 0; i < 7; ++i) {
    long value = std::atol(model_.counters[i].c_str());
    // The dependants' counter counts the new dependant records.
    if (i == 2) {
      value = static_cast<long>(live_dependants_.size() +
                                receipts_.pensions.size());
    }
    auto it = counters.find(std::string("/") + kCounterCodes[i]);
    if (value > 0) {
      ASSERT_NE(it, counters.end()) << "counter " << kCounterCodes[i];
      EXPECT_EQ(it->second, std::to_string(value))
          << "counter " << kCounterCodes[i];
    } else {
      EXPECT_EQ(it, counters.end()) << "counter " << kCounterCodes[i];
    }
  }
}

TEST_F(ConvertE2eTest, JobsAndSchedulesAreGatheredOncePerEmployer) {
  Gathered g = Gather(model_);
  // The sample must exercise the gathering: jobs shared by several workers.
  ASSERT_LT(g.job_records.size() * 2, model_.workers.size());

  std::vector<std::string> records;
  ASSERT_TRUE(Records("F35.DAT", 240, &records));
  EXPECT_EQ(records, g.job_records);
  ASSERT_TRUE(Records("F36.DAT", 250, &records));
  EXPECT_EQ(records, g.schedule_records);
  // The third step's codes reach F16R0.DAT at 973 and 978; the old job
  // title and hours that it cleared in F16.DAT are dropped there.
  std::vector<std::string> old_records;
  ASSERT_TRUE(RetiredRecords("F16.DAT", 1955, &old_records));
  ASSERT_EQ(old_records.size(), model_.workers.size());
  ASSERT_TRUE(Records("F16R0.DAT", 2000, &records));
  ASSERT_EQ(records.size(), model_.workers.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    int job = g.job_of_worker[i];
    int schedule = g.schedule_of_worker[i];
    std::string where = "worker " + std::to_string(i);
    EXPECT_EQ(records[i].substr(973, 5), job ? Code5(job) : std::string(5, ' '))
        << where;
    EXPECT_EQ(records[i].substr(978, 5),
              schedule ? Code5(schedule) : std::string(5, ' '))
        << where;
    EXPECT_EQ(records[i].substr(918, 10), std::string(10, ' '))
        << where << ": old CBO";
    EXPECT_EQ(old_records[i].substr(436, 20), std::string(20, ' ')) << where;
    EXPECT_EQ(old_records[i].substr(560, 20), std::string(20, ' '))
        << where << ": old hours";
  }
  std::map<std::string, std::string> counters = Counters();
  EXPECT_EQ(counters["/35"], std::to_string(g.job_records.size()));
  EXPECT_EQ(counters["/36"], std::to_string(g.schedule_records.size()));
}

// Every receipt of the worker register, R61 and R62 in the current layout:
// the amount as formatted money, the items under their new codes, sorted.
// The worker items of rubric 61 add pension beneficiaries to F13R1.DAT, and
// the user rubrics that receipts use follow the template in F31R0.DAT.
TEST_F(ConvertE2eTest, ReceiptsKeepTheirHeadsAmountsAndItems) {
  std::map<std::string, Day> latest;
  for (const sample::Receipt& r : model_.receipts) {
    Day paid{r.paid_day, r.paid_month, r.paid_year};
    auto [it, fresh] = latest.emplace(r.worker_code, paid);
    if (!fresh && it->second < paid) it->second = paid;
  }
  std::vector<std::string> records;
  ASSERT_TRUE(Records("F16R0.DAT", 2000, &records));
  ASSERT_EQ(records.size(), model_.workers.size());
  const std::vector<std::string>& workers = receipts_.regions.at("F16R0.DAT");
  for (std::size_t i = 0; i < records.size(); ++i) {
    auto it = latest.find(model_.workers[i].Field(sample::kCode));
    std::string next = std::string(10, ' ');
    if (it != latest.end()) {
      Day d = NextDay(it->second);
      next = sample::DateText(d.day, d.month, d.year);
    }
    std::string where = "F16R0.DAT record " + std::to_string(i);
    EXPECT_EQ(records[i].substr(1036, 10), next) << where << ": next period";
    ExpectRegion(records[i].substr(1380, 619), workers[i], where);
  }

  for (int year : ReceiptYears()) {
    std::string name = "R62\\" + std::to_string(year) + ".DAT";
    ASSERT_TRUE(Records(name, 850, &records));
    const std::vector<std::string>& regions = receipts_.regions.at(name);
    std::size_t n = 0;
    for (const sample::Receipt& r : model_.receipts) {
      if (r.year != year) continue;
      ASSERT_LT(n, records.size()) << name;
      const std::string& got = records[n];
      std::string where = name + " record " + std::to_string(n);
      EXPECT_EQ(got.substr(0, 55), r.head) << where;
      EXPECT_EQ(got.substr(55, 3), r.field3) << where;
      EXPECT_EQ(got.substr(58, 172), std::string(172, ' ')) << where;
      ExpectRegion(got.substr(230, 619), regions[n], where);
      EXPECT_EQ(got.back(), ' ') << where;
      ++n;
    }
  }

  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    std::string name = "R61\\" + file.name.substr(1);
    ASSERT_TRUE(Records(name, 701, &records));
    ASSERT_EQ(records.size(), file.records.size()) << name;
    const std::vector<std::string>& regions = receipts_.regions.at(name);
    for (std::size_t k = 0; k < records.size(); ++k) {
      std::string where = name + " record " + std::to_string(k);
      EXPECT_EQ(records[k].substr(0, 81), Pad(file.records[k].code, 81))
          << where;
      ExpectRegion(records[k].substr(81, 619), regions[k], where);
      EXPECT_EQ(records[k].back(), ' ') << where;
    }
  }

  // The pension beneficiaries follow the dependants, numbered on.
  ASSERT_TRUE(Records("F13R1.DAT", 1000, &records));
  ASSERT_EQ(records.size(),
            live_dependants_.size() + receipts_.pensions.size());
  for (std::size_t k = 0; k < receipts_.pensions.size(); ++k) {
    EXPECT_EQ(records[live_dependants_.size() + k], receipts_.pensions[k])
        << "pension beneficiary " << k;
  }

  // F31R0.DAT: the template, then the user rubrics that receipts use, in
  // the order of F31.DAT; counter 31 holds the highest code.
  auto table = fourth_.find(Key("F31R0.DAT"));
  ASSERT_NE(table, fourth_.end());
  EXPECT_EQ(table->second.substr(0, model_.rubric_template.size()),
            model_.rubric_template);
  ASSERT_TRUE(Records("F31R0.DAT", 300, &records));
  ASSERT_EQ(records.size(), TemplateRecords() + receipts_.user_rubrics.size());
  int highest = 0;
  for (std::size_t k = 0; k < receipts_.user_rubrics.size(); ++k) {
    auto [index, code] = receipts_.user_rubrics[k];
    const std::string& o = model_.rubrics[index];
    const std::string& r = records[TemplateRecords() + k];
    std::string where = "F31R0.DAT, user rubric " + std::to_string(code);
    EXPECT_EQ(r.substr(0, 4), std::to_string(code) + " ") << where;
    EXPECT_EQ(r.substr(4, 40), Pad(o.substr(4, 30), 40)) << where;
    EXPECT_EQ(r[44], o[34] == '+' ? '1' : '2') << where;
    // The overtime class and its code.
    int old_code = std::atoi(o.substr(0, 4).c_str());
    std::string text = FoldAz(o.substr(4, 12));
    bool overtime = (old_code >= 40 && old_code <= 43) ||
                    text.rfind("HORA EXTRA", 0) == 0 ||
                    text.rfind("HORAS EXTRAS", 0) == 0;
    std::string kind = overtime                             ? "56    004"
                       : old_code == 156 || old_code == 157 ? "77    018"
                                                            : "         ";
    EXPECT_EQ(r.substr(83, 9), kind) << where;
    EXPECT_EQ(r.back(), ' ') << where;
    highest = std::max(highest, code);
  }
  EXPECT_EQ(Counters()["/31"], std::to_string(highest));
}

// Carried by the second step with the period's first and last days, then
// patched by the fourth to the period's month and year, the code 01 and the
// form: GPS for the kind 70 of R01, DARF for the others.
TEST_F(ConvertE2eTest, SmallTaxGuidesAreCarriedIntoR27) {
  static constexpr const char* kGuideCodes[4] = {"", "270", "235", "265"};
  static constexpr const char* kForms[4] = {"", "GPS", "DARF", "DARF"};
  for (int year : GuideYears()) {
    std::string name = "R27\\" + std::to_string(year) + ".DAT";
    std::vector<std::string> records;
    ASSERT_TRUE(Records(name, 300, &records));
    auto carried = CarriedGuides(year);
    ASSERT_EQ(records.size(), carried.size()) << name;
    for (std::size_t k = 0; k < records.size(); ++k) {
      const sample::Guide& g = *carried[k].second;
      int folder = carried[k].first->folder;
      std::string expected =
          Pad(g.code, 10) + sample::DateText(1, g.month, year).substr(3) +
          Pad("01", 13) + kGuideCodes[folder] +
          Pad(Pad(g.tax_code, 32) + kForms[folder], 162) +
          Pad(g.amounts[0], 18) + Pad(g.amounts[1], 18) + Pad(g.amounts[2], 69);
      EXPECT_EQ(records[k], expected) << name << " record " << k;
    }
  }
  // The patch is recorded once, under the tag 590.
  EXPECT_EQ(fourth_.at(Key("CONV.DAT")), "590\r\n");
}

// The merge of F02R1.DAT into F07R0.DAT: one record under a free code for
// each worker whose entry names a service taker, unless the worker has no
// employer; the worker then names its record. Records with the same
// registration numbers and employer are merged into the first, and their
// workers follow.
TEST_F(ConvertE2eTest, MergedRecordsTakeFreeCodesAndTheirWorkersNameThem) {
  std::vector<std::string> workers, entries, employers, old_table, table;
  ASSERT_TRUE(Records("F16R0.DAT", 2000, &workers));
  ASSERT_TRUE(Records("F02R1.DAT", 1000, &entries));
  ASSERT_TRUE(Records("F00R0.DAT", 1000, &employers));
  ASSERT_TRUE(Records("F07R0.DAT", 809, &old_table));
  const BranchHeads heads(employers);

  struct Merged {
    std::string code;
    const std::string* entry;
    std::string employer;
    std::string first;  // the code of the first with the same fields
  };
  std::vector<Merged> merged;
  std::vector<std::string> entry_of_worker;
  std::map<std::string, std::string> first_of_fields;
  FreeCodes codes(UsedCodes(model_.old_f07));
  bool used_up = false;
  for (const std::string& w : workers) {
    entry_of_worker.push_back(w.substr(963, 5));
    std::string key = FoldAz(RightTrim(w.substr(963, 5)));
    if (key.empty()) continue;
    auto entry = std::find_if(
        entries.begin(), entries.end(), [&key](const std::string& e) {
          return e.back() != '+' && FoldAz(RightTrim(e.substr(0, 10))) == key;
        });
    if (entry == entries.end()) continue;
    std::string code = codes.Next();
    std::string employer = RightTrim(w.substr(874, 10));
    if (employer.empty()) {
      used_up = true;
      continue;
    }
    std::string fields = FoldAz(entry->substr(250, 18) + "/" + employer);
    auto [first, fresh] = first_of_fields.emplace(fields, code);
    merged.push_back({code, &*entry, employer, first->second});
    entry_of_worker.back() = first->second;
  }
  // The sample meets every case.
  ASSERT_TRUE(used_up) << "no worker without employer names a taker";
  std::set<std::size_t> forms;
  std::size_t duplicates = 0;
  for (const Merged& m : merged) {
    forms.insert(RightTrim(m.entry->substr(250, 18)).size());
    duplicates += m.first != m.code;
  }
  ASSERT_EQ(forms, (std::set<std::size_t>{13, 14, 18}));
  ASSERT_GT(duplicates, 0u);
  // The codes handed out pass F07.DAT's codes after the gap, the code of
  // its deleted record and the one of two characters ("12").
  ASSERT_GT(codes.last(), 12);

  ASSERT_TRUE(FinalRecords("F07R0.DAT", 809, &table));
  ASSERT_EQ(table.size(), old_table.size() + merged.size());
  // The table's own records are marked as such, and so was its backup.
  std::string backup;
  for (std::string r : old_table) {
    if (r[238] == ' ') r[238] = '0';
    backup += r;
  }
  EXPECT_EQ(after_[Key("F07R0.BAK")], backup);
  for (std::size_t i = 0; i < old_table.size(); ++i) {
    EXPECT_EQ(table[i], backup.substr(809 * i, 809)) << "F07R0 record " << i;
  }
  for (std::size_t k = 0; k < merged.size(); ++k) {
    const Merged& m = merged[k];
    const std::string& r = table[old_table.size() + k];
    std::string where = "merged record " + m.code;
    std::string number = RightTrim(m.entry->substr(250, 18));
    // A formatted CNPJ stays at 250; a CNPJ's bare digits come back there
    // formatted; a CNPJ at 268 is cleared as a repeat.
    std::string cnpj = number.size() == 18 ? number
                       : number.size() == 14
                           ? sample::CnpjFromBase(number.substr(0, 12))
                           : "";
    EXPECT_EQ(r.substr(0, 11), Pad(m.code, 11)) << where;
    EXPECT_EQ(r.substr(11, 40), m.entry->substr(11, 40)) << where;
    EXPECT_EQ(r[238], '1') << where;
    EXPECT_EQ(r.substr(250, 18), Pad(cnpj, 18)) << where;
    EXPECT_EQ(r.substr(268, 18), Pad(cnpj.empty() ? number : "", 18)) << where;
    // Live records follow a branch to its head.
    bool live = m.first == m.code;
    EXPECT_EQ(r.substr(502, 10),
              live ? heads.Of(Pad(m.employer, 10)) : Pad(m.employer, 10))
        << where;
    EXPECT_EQ(r.substr(638, 2), number.size() == 13 ? "02" : "04") << where;
    EXPECT_EQ(r.substr(640, 3), "   ") << where;
    EXPECT_EQ(r.substr(666, 4), m.entry->substr(639, 4)) << where;
    EXPECT_EQ(r.back(), live ? ' ' : '+') << where;
  }

  std::vector<std::string> final_workers;
  ASSERT_TRUE(FinalRecords("F16R0.DAT", 2000, &final_workers));
  ASSERT_EQ(final_workers.size(), workers.size());
  for (std::size_t i = 0; i < workers.size(); ++i) {
    EXPECT_EQ(final_workers[i].substr(963, 5), entry_of_worker[i])
        << "worker " << i;
  }
  std::map<std::string, std::string> before = Counters(),
                                     after = Counters(true);
  long highest = std::max(std::atol(before["/7"].c_str()), codes.last());
  EXPECT_EQ(after["/7-0"], std::to_string(highest));
  EXPECT_EQ(after["/7-1"], std::to_string(highest));
  EXPECT_EQ(after["/2"], "0");
}

// F35.DAT and F36.DAT in their current layouts: every schedule with a start
// time gets a schedule record under a new code, with its worked hours, and
// its old record names the new code. Branches' jobs and schedules move to
// their head employer.
TEST_F(ConvertE2eTest, JobsAndSchedulesTakeTheirCurrentLayout) {
  std::vector<std::string> employers, jobs, schedules, records;
  ASSERT_TRUE(Records("F00R0.DAT", 1000, &employers));
  ASSERT_TRUE(Records("F35.DAT", 240, &jobs));
  ASSERT_TRUE(Records("F36.DAT", 250, &schedules));
  const BranchHeads heads(employers);

  std::vector<std::string> expected;
  for (const std::string& o : jobs) {
    if (o.back() == '+') continue;
    expected.push_back(o.substr(0, 51) + "0" + heads.Of(o.substr(51, 10)) +
                       Pad(o.substr(61, 10), 188));
  }
  ASSERT_TRUE(FinalRecords("F35R0.DAT", 250, &records));
  EXPECT_EQ(records, expected);

  expected.clear();
  FreeCodes codes(UsedCodes(schedules));
  std::set<std::string> kinds;
  for (const std::string& o : schedules) {
    if (o.back() == '+') continue;
    std::string hours = o.substr(61, 20);
    std::string group = heads.Of(o.substr(51, 10));
    if (o[61] == ' ') {
      kinds.insert("no start");
      expected.push_back(Pad(o.substr(0, 51) + "0" + group, 250));
      continue;
    }
    const Shift* shift = FindShift(hours);
    ASSERT_NE(shift, nullptr) << "no hours worked out for " << hours;
    kinds.insert(*shift->break_start ? "break" : "no break");
    if (std::string(shift->start) > shift->end) kinds.insert("night");
    std::string code = codes.Next();
    expected.push_back(Pad(o.substr(0, 51) + "0" + Pad(group, 33) + code +
                               code + code + code + code,
                           250));
    expected.push_back(
        Pad(Pad(code, 11) + o.substr(11, 40) + "1" + Pad(group, 28) +
                Pad(shift->start, 5) + Pad(shift->end, 5) + shift->worked +
                Pad(shift->break_start, 5) + Pad(shift->break_end, 5) +
                Pad(shift->break_length, 5),
            250));
  }
  ASSERT_EQ(kinds,
            (std::set<std::string>{"break", "night", "no break", "no start"}));
  ASSERT_TRUE(FinalRecords("F36R0.DAT", 250, &records));
  EXPECT_EQ(records, expected);
  std::map<std::string, std::string> before = Counters(),
                                     after = Counters(true);
  long highest = std::max(std::atol(before["/36"].c_str()), codes.last());
  EXPECT_EQ(after["/36-0"], std::to_string(highest));
  EXPECT_EQ(after["/36-1"], std::to_string(highest));
  EXPECT_EQ(after["/35-0"], before["/35"]);
}

// F21R0.DAT to F21R1.DAT: the start advanced by a day, the new code, the
// days between, the flag; then a sequence number for each record with a
// start date, and "100" in front of all.
TEST_F(ConvertE2eTest, LeavesTakeTheirFinalFormWithSequenceNumbers) {
  std::vector<std::string> old_records, records;
  ASSERT_TRUE(Records("F21R0.DAT", 46, &old_records));
  ASSERT_TRUE(FinalRecords("F21R1.DAT", 500, &records));
  ASSERT_EQ(records.size(), old_records.size());
  long sequence = 0;
  std::set<std::string> cases;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& o = old_records[i];
    const std::string& r = records[i];
    std::string where = "F21R1 record " + std::to_string(i);
    std::string code = NewLeaveCode(o.substr(21, 2));
    if (code == "  ") cases.insert("other code");
    std::string flag =
        FoldAz(o.substr(21, 2)) == "O2" || FoldAz(o.substr(21, 2)) == "P2"
            ? "1"
            : "0";
    Day end = ParseDay(o.substr(23, 10));
    std::string end_text = sample::DateText(end.day, end.month, end.year);
    EXPECT_EQ(r.substr(0, 13), "100" + o.substr(0, 10)) << where;
    EXPECT_EQ(r.back(), o.back()) << where;
    Day start = ParseDay(o.substr(11, 10));
    if (start.year == 0) {
      // No start date: the intermediate form, without a sequence number
      // (what stands for the days is left open).
      cases.insert("no start");
      EXPECT_EQ(r.substr(13, 12), code + std::string(10, ' ')) << where;
      EXPECT_EQ(r.substr(30, 11), end_text + flag) << where;
      EXPECT_EQ(r.substr(41, 458), std::string(458, ' ')) << where;
      continue;
    }
    if (start.day == 31 && start.month == 12) cases.insert("new year");
    start = NextDay(start);
    int days = DayNumber(end) - DayNumber(start) + 1;
    if (days < 1) cases.insert("no days");
    if (flag == "1") cases.insert("flag");
    std::string expected =
        "100" + o.substr(0, 10) + Left(++sequence, 10) + code +
        sample::DateText(start.day, start.month, start.year) +
        Pad(days >= 1 ? std::to_string(days) : "", 5) + end_text + flag;
    EXPECT_EQ(r, Pad(expected, 499) + o.back()) << where;
  }
  EXPECT_EQ(cases, (std::set<std::string>{"flag", "new year", "no days",
                                          "no start", "other code"}));
  EXPECT_EQ(Counters(true)["/21"], std::to_string(sequence));
}

// The yearly receipts "R62\%04d.DAT" become "R62\F62%04d.DAT", numbered on
// across the years; the old file stays as .BAK. The guide files of R27 take
// the prefix F27.
TEST_F(ConvertE2eTest, YearFilesTakeTheirNewNamesAndLayouts) {
  long sequence = 0;
  bool day_items = false;
  for (int year : ReceiptYears()) {
    std::string name = "R62\\" + std::to_string(year) + ".DAT";
    std::vector<std::string> old_records, records;
    ASSERT_TRUE(Records(name, 850, &old_records));
    ASSERT_TRUE(FinalRecords("R62\\F62" + std::to_string(year) + ".DAT", 850,
                             &records));
    ASSERT_EQ(records.size(), old_records.size()) << name;
    for (std::size_t k = 0; k < records.size(); ++k) {
      const std::string& o = old_records[k];
      // The value of the first item "364", up to the end of the list, when
      // it lies from 0 to 30; the first item "500" becomes "502".
      std::string items = o.substr(249, 600);
      long days = 0;
      for (std::size_t at = 0; at < items.size(); at += 25) {
        std::string item_code = items.substr(at + 1, 3);
        if (item_code == "000") break;
        if (item_code != "364") continue;
        days = std::atol(items.substr(at + 4, 5).c_str());
        day_items = true;
        if (days < 0 || days > 30) days = 0;
        break;
      }
      for (std::size_t at = 0; at < items.size(); at += 25) {
        if (items.substr(at + 1, 3) != "500") continue;
        items.replace(at + 1, 3, "502");
        break;
      }
      std::string expected =
          Pad(o.substr(0, 10), 20) + Left(++sequence, 10) + o.substr(33, 10) +
          o.substr(44, 10) + o.substr(55, 3) + o.substr(11, 10) +
          o.substr(22, 10) + Left(days, 2) + Pad(o.substr(58, 10), 155) +
          o.substr(230, 19) + items + o.substr(849);
      EXPECT_EQ(records[k], expected) << name << " record " << k;
    }
    EXPECT_EQ(after_[Key("R62\\" + std::to_string(year) + ".BAK")],
              fourth_.at(Key(name)));
  }
  EXPECT_TRUE(day_items) << "no receipt item 364";
  EXPECT_EQ(Counters(true)["/62"], std::to_string(sequence));

  for (int year : GuideYears()) {
    std::string name = "R27\\" + std::to_string(year) + ".DAT";
    EXPECT_EQ(after_[Key("R27\\F27" + std::to_string(year) + ".DAT")],
              fourth_.at(Key(name)));
    EXPECT_FALSE(after_.count(Key(name))) << name;
  }
}

// The once-only patches of the current tables, each case the sample holds.
TEST_F(ConvertE2eTest, PatchesRecodeTheCurrentTablesOnce) {
  std::vector<std::string> old_records, records;
  ASSERT_TRUE(Records("F00R0.DAT", 1000, &old_records));
  const BranchHeads heads(old_records);
  ASSERT_TRUE(FinalRecords("F00R0.DAT", 1000, &records));
  ASSERT_EQ(records.size(), old_records.size());
  ASSERT_GE(records.size(), 3u);
  ASSERT_TRUE(heads.IsBranch(old_records[1].substr(0, 10)));
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& o = old_records[i];
    const std::string& r = records[i];
    std::string where = "F00R0 record " + std::to_string(i);
    // The branch flag; the first digit of 739 moved to 642 when it is 1, 2
    // or 3; 641 cleared, giving "01" at 638 when it was 2 or 3.
    EXPECT_EQ(r[701], heads.IsBranch(o.substr(0, 10)) ? '1' : '0') << where;
    char moved = o[739] >= '1' && o[739] <= '3' ? o[739] : ' ';
    EXPECT_EQ(r.substr(739, 5), "     ") << where;
    EXPECT_EQ(r[642], moved) << where;
    EXPECT_EQ(r[641], ' ') << where;
    EXPECT_EQ(r.substr(638, 2), o[641] == '2' || o[641] == '3' ? "01" : "  ")
        << where;
    // The second registration number: a CPF is cleared, and so is a CNPJ
    // that repeats the first.
    std::string second = RightTrim(o.substr(268, 18));
    bool cleared = sample::IsValidCpf(second) ||
                   (sample::IsValidCnpj(second) &&
                    FoldAz(second) == FoldAz(RightTrim(o.substr(250, 18))));
    EXPECT_EQ(r.substr(250, 18), o.substr(250, 18)) << where;
    EXPECT_EQ(r.substr(268, 18),
              cleared ? std::string(18, ' ') : o.substr(268, 18))
        << where;
  }

  // F01R0.DAT: the union register's records of kind "0" get 101 at 232,
  // and the live records of F40.DAT follow it, of kind "1" or "2".
  ASSERT_TRUE(Records("F01R0.DAT", 814, &old_records));
  std::vector<std::string> expected;
  for (std::string r : old_records) {
    r.replace(232, 3, "101");
    r[238] = '0';
    expected.push_back(r);
  }
  for (const std::string& f : model_.f40) {
    if (f.back() == '+') continue;
    std::string r = f.substr(0, 814);
    r[238] = f[238] == '0' ? '1' : '2';
    if (r[238] == '2' && r.substr(232, 3) == "   ") r.replace(232, 3, "100");
    expected.push_back(r);
  }
  ASSERT_TRUE(FinalRecords("F01R0.DAT", 814, &records));
  EXPECT_EQ(records, expected);

  // F04R0.DAT: live records name the head of a branch, and a blank flag
  // becomes "0".
  ASSERT_TRUE(FinalRecords("F04R0.DAT", 950, &records));
  ASSERT_EQ(records.size(), model_.f04r0.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string r = model_.f04r0[i];
    if (r.back() == '+') {
      EXPECT_EQ(records[i].substr(939), r.substr(939)) << "F04R0 record " << i;
      continue;
    }
    if (r[938] == ' ') r[938] = '0';
    r.replace(939, 10, heads.Of(r.substr(939, 10)));
    EXPECT_EQ(records[i], r) << "F04R0 record " << i;
  }

  // R69\F692018.DAT: a blank mark at 130 becomes "1" for the tables 7 and
  // 36, "0" for 35; the file of 2017 stays as it was.
  for (const sample::YearFile& file : model_.r69) {
    ASSERT_TRUE(FinalRecords(file.name, 500, &records));
    ASSERT_EQ(records.size(), file.records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string r = file.records[i];
      int table = std::atoi(r.substr(107, 3).c_str());
      if (file.year == 2018 && r.substr(130, 3) == "   ") {
        if (table == 7 || table == 36) r[130] = '1';
        if (table == 35) r[130] = '0';
      }
      EXPECT_EQ(records[i], r) << file.name << " record " << i;
    }
  }

  // R63: records of the old form take the new one, all of the new form are
  // numbered on across the years.
  long sequence = 0;
  int eights = 0;
  for (const sample::YearFile& file : model_.r63) {
    ASSERT_TRUE(FinalRecords(file.name, 652, &records));
    ASSERT_EQ(records.size(), file.records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      const std::string& o = file.records[i];
      std::string r = o;
      if (o[0] == '0') {
        std::string text = o.substr(50, 40);
        eights += text[20] == '8';
        if (text[20] == '8') text[20] = '9';
        r.replace(0, 3, "100");
        r.replace(3, 10, o.substr(40, 10));
        r.replace(37, 13, Pad(o.substr(21, 10), 13));
        r.replace(50, 42, "  " + text);
      }
      if (std::atoi(r.substr(0, 3).c_str()) == 100) {
        r.replace(14, 23, Left(++sequence, 23));
      }
      EXPECT_EQ(records[i], r) << file.name << " record " << i;
    }
  }
  EXPECT_GT(eights, 0);
  EXPECT_EQ(Counters(true)["/63"], std::to_string(sequence));

  // F16R0.DAT: hours at 983 as hh:00 with the digit after them moved to
  // 1379; the PIS formatted.
  ASSERT_TRUE(Records("F16R0.DAT", 2000, &old_records));
  ASSERT_TRUE(FinalRecords("F16R0.DAT", 2000, &records));
  ASSERT_EQ(records.size(), old_records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& o = old_records[i];
    const std::string& r = records[i];
    std::string where = "F16R0 record " + std::to_string(i);
    ASSERT_NE(o[985], ':') << where;
    std::string hours = "     ";
    if (o.substr(983, 2) != "  ") {
      int n = std::atoi(o.substr(983, 2).c_str());
      char buf[16];
      std::snprintf(buf, sizeof(buf), "%02d:00", n >= 0 && n <= 99 ? n : 0);
      hours = buf;
    }
    EXPECT_EQ(r.substr(983, 5),
              o.substr(983, 3) == "   " ? o.substr(983, 5) : hours)
        << where;
    EXPECT_EQ(r[1379], o[985] >= '0' && o[985] <= '9' ? o[985] : o[1379])
        << where;
    EXPECT_EQ(r.substr(1026, 10), std::string(10, ' ')) << where;
    std::string pis = sample::DigitsOf(o.substr(359, 12));
    if (sample::IsValidPis(pis)) {
      EXPECT_EQ(r.substr(359, 12), sample::PisFromBase(pis.substr(0, 10)))
          << where;
    }
  }

  // The counters the job, schedule and register tables had are renamed.
  std::map<std::string, std::string> before = Counters(),
                                     after = Counters(true);
  ASSERT_FALSE(before["/1"].empty());
  EXPECT_EQ(after["/1-0"], before["/1"]);
  for (const char* name : {"/1", "/7", "/35", "/36"}) {
    EXPECT_FALSE(after.count(name)) << name;
  }

  // Each tag once, in the order of the patches.
  EXPECT_EQ(after_[Key("CONV.DAT")],
            "590\r\n617\r\n618\r\n619\r\n620\r\n622\r\n624\r\n627\r\n"
            "628\r\n");
}

TEST_F(ConvertE2eTest, NothingOfTheDataFolderIsLost) {
  ASSERT_TRUE(after_.count("F16R0.DAT"))
      << "the conversion did nothing: steps still stubs?";
  std::set<std::string> deleted;
  for (const sample::NamedFile& f : model_.obsolete_files)
    deleted.insert(Key(f.name));
  // D11.DEN has no use once the employers are converted; the fifth step
  // deletes the product's work files. Names of a digit and nine characters
  // leave the data folder too, deleted or retired.
  deleted.insert("D11.DEN");
  for (const sample::NamedFile& f : model_.work_files) {
    deleted.insert(Key(f.name));
  }
  std::set<std::string> gone, kept_digit_files;
  for (const sample::NamedFile& f : model_.digit_files) {
    (f.name.size() == 10 ? gone : kept_digit_files).insert(Key(f.name));
  }
  // Tables of the current version that the fifth step patches in place.
  std::set<std::string> patched = {"F04R0.DAT"};
  for (const sample::YearFile& file : model_.r63)
    patched.insert(Key(file.name));
  for (const sample::YearFile& file : model_.r69)
    patched.insert(Key(file.name));

  // Every old file is in the data folder or the retirement folder, under
  // its name or another, except the deleted ones, the old counters, which
  // now live in F34.DAT, and the rubric template, which F31R0.DAT begins
  // with.
  std::multiset<std::string> contents;
  for (const auto& [name, bytes] : after_) contents.insert(bytes);
  for (const auto& [name, bytes] : retired_) contents.insert(bytes);
  for (const auto& [name, bytes] : before_) {
    if (deleted.count(name) || name == "CONFIGA.DAT") continue;
    if (patched.count(name)) {
      EXPECT_TRUE(after_.count(name)) << name << " was lost";
      continue;
    }
    if (name == "F31R0.DA3") {
      // Its blank field at 77 now reads "00".
      std::string patched_template = bytes;
      for (std::size_t at = 0; at < bytes.size(); at += 300) {
        if (bytes.substr(at + 77, 2) == "  ") {
          patched_template.replace(at + 77, 2, "00");
        }
      }
      auto table = after_.find("F31R0.DAT");
      EXPECT_TRUE(table != after_.end() &&
                  table->second.rfind(patched_template, 0) == 0)
          << "the rubric template was lost";
      continue;
    }
    if (gone.count(name)) continue;
    EXPECT_TRUE(contents.count(bytes)) << name << " was lost";
  }
  for (const std::string& name : deleted) {
    EXPECT_FALSE(after_.count(name)) << name << " should have been deleted";
    EXPECT_FALSE(retired_.count(name)) << name << " was retired, not deleted";
  }
  for (const std::string& name : gone) {
    EXPECT_FALSE(after_.count(name)) << name << " left in the data folder";
  }
  EXPECT_FALSE(retired_.count("F31R0.DA3"));

  // Converted sources are retired under the names the steps give them.
  auto retired = [this](const std::string& name) {
    auto it = retired_.find(Key(name));
    return it == retired_.end() ? std::string("(missing)") : it->second;
  };
  EXPECT_EQ(retired("FX0.DAT"), before_.at("FX0.DAT"));
  EXPECT_EQ(retired("FW0.DAT"), before_.at("FW0.DAT"));
  EXPECT_EQ(retired("FY0.DAT"), before_.at("FY0.DAT"));
  EXPECT_EQ(retired("F310.DAT"), before_.at("REG/REGFE.DAT"));
  EXPECT_EQ(retired("F311.DAT"), before_.at("REG/REGRE.DAT"));
  EXPECT_EQ(retired("F305.DAT"), before_.at("RESP.DAT"));
  EXPECT_EQ(retired("F306.DAT"), before_.at("F306.DAT"));
  EXPECT_EQ(retired("F307.DAT"), before_.at("F307.DAT"));
  EXPECT_EQ(retired("F13.DAT"), before_.at("FZ0.DAT"));
  EXPECT_EQ(retired("F31.DAT"), before_.at("C04B.DAT"));
  // What the steps before made of FX0.DAT and FY0.DAT; their records are
  // the registers' test's.
  EXPECT_TRUE(retired_.count("F00.DAT"));
  EXPECT_TRUE(retired_.count("F16.DAT"));
  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    std::string stem = file.name.substr(0, file.name.size() - 4);
    EXPECT_EQ(retired("REG\\" + stem + ".tmp"),
              before_.at(Key("REG\\" + file.name)));
  }
  for (const sample::GuideFile& file : model_.guides) {
    EXPECT_EQ(retired(file.Name()), before_.at(Key(file.Name())));
  }
  for (const sample::NamedFile& file : model_.temp_files) {
    EXPECT_EQ(retired(file.name), file.bytes);
  }
  // The fifth step keeps what it converted as .BAK.
  EXPECT_EQ(after_[Key("F02R1.BAK")], fourth_.at(Key("F02R1.DAT")));
  EXPECT_EQ(after_[Key("F35.BAK")], fourth_.at(Key("F35.DAT")));
  EXPECT_EQ(after_[Key("F36.BAK")], fourth_.at(Key("F36.DAT")));
  EXPECT_EQ(after_[Key("F21R0.BAK")], before_.at(Key("F308.DAT")));
  EXPECT_EQ(after_[Key("F40.BAK")], before_.at(Key("F40.DAT")));

  // What the data folder holds now, and nothing else.
  std::set<std::string> expected = {
      "CONV.DAT",  "F00R0.DAT", "F01R0.DAT", "F02R1.BAK", "F04R0.DAT",
      "F07.DAT",   "F07R0.BAK", "F07R0.DAT", "F08R1.DAT", "F13R1.DAT",
      "F16R0.DAT", "F17R1.DAT", "F21R0.BAK", "F21R1.DAT", "F31R0.DAT",
      "F34.DAT",   "F35.BAK",   "F35R0.DAT", "F36.BAK",   "F36R0.DAT",
      "F40.BAK"};
  for (int year : ReceiptYears()) {
    expected.insert("R62/F62" + std::to_string(year) + ".DAT");
    expected.insert("R62/" + std::to_string(year) + ".BAK");
  }
  for (int year : GuideYears())
    expected.insert("R27/F27" + std::to_string(year) + ".DAT");
  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    expected.insert(Key("R61/" + file.name.substr(1)));
  }
  expected.insert(patched.begin(), patched.end());
  expected.insert(kept_digit_files.begin(), kept_digit_files.end());
  std::set<std::string> found;
  for (const auto& [name, bytes] : after_) found.insert(name);
  for (const std::string& name : found) {
    EXPECT_TRUE(expected.count(name)) << name << " left in the data folder";
  }
  for (const std::string& name : expected) {
    EXPECT_TRUE(found.count(name)) << name << " missing from the data folder";
  }
  for (const char* folder : {"REG", "Temp", "R01", "R02", "R03"}) {
    EXPECT_FALSE(fs::exists(fs::path(scratch_.data()) / folder)) << folder;
  }
}

TEST_F(ConvertE2eTest, NoMessageAndASecondRunChangesNothing) {
  ASSERT_TRUE(after_.count("F16R0.DAT"))
      << "the conversion did nothing: steps still stubs?";
  EXPECT_TRUE(scratch_.ui().boxes().empty())
      << scratch_.ui().boxes().front().title << ": "
      << scratch_.ui().boxes().front().text;
  RunConversion(scratch_.ctx());
  Snapshot again = TakeSnapshot(scratch_.data());
  for (const auto& [name, bytes] : after_) {
    auto it = again.find(name);
    EXPECT_TRUE(it != again.end() && it->second == bytes) << name << " changed";
  }
  for (const auto& [name, bytes] : again) {
    EXPECT_TRUE(after_.count(name)) << name << " appeared";
  }
  EXPECT_TRUE(TakeSnapshot(scratch_.temp() + "Nelk/Labrena") == retired_)
      << "the second run retired files";
  EXPECT_TRUE(scratch_.ui().boxes().empty());
}

// The generator itself: what the end-to-end checks rely on.
TEST(SampleFolderTest, CheckDigitsAreTheTaxAuthoritiesOnes) {
  EXPECT_EQ(sample::CpfFromBase("111444777"), "111.444.777-35");
  EXPECT_EQ(sample::CnpjFromBase("112223330001"), "11.222.333/0001-81");
  EXPECT_EQ(sample::PisFromBase("1205531077"), "1205531077-3");
  EXPECT_EQ(sample::CeiFromBase("12345678901"), "12345678901-0");
  EXPECT_FALSE(sample::IsValidCpf("111.444.777-36"));
  EXPECT_FALSE(sample::IsValidPis("1205531077-4"));

  sample::SampleFolder model =
      sample::BuildSampleFolder(sample::SampleOptions());
  for (const sample::Register& w : model.workers) {
    EXPECT_TRUE(sample::IsValidCpf(w.Field(sample::kWorkerCpf)))
        << w.Field(sample::kWorkerCpf);
    EXPECT_TRUE(sample::IsValidPis(w.Field(sample::kWorkerPis)))
        << w.Field(sample::kWorkerPis);
  }
  for (const sample::Register& e : model.employers) {
    const std::string& id = e.Field(sample::kEmployerTaxId);
    EXPECT_TRUE(sample::IsValidCnpj(id) || sample::IsValidCpf(id)) << id;
    // The second number is a CEI, or as the fifth step meets it a CPF or
    // the employer's own CNPJ.
    const std::string& second = e.Field(sample::kEmployerCei);
    EXPECT_TRUE(second.empty() || sample::IsValidCei(second) ||
                sample::IsValidCpf(second) || sample::IsValidCnpj(second))
        << second;
  }
}

TEST(SampleFolderTest, HoldsTheCasesTheConversionMustMeet) {
  sample::SampleOptions options;
  sample::SampleFolder model = sample::BuildSampleFolder(options);
  std::vector<sample::NamedFile> files = sample::SampleFiles(model);
  std::map<std::string, std::string> bytes;
  for (const sample::NamedFile& f : files) bytes[f.name] = f.bytes;

  // Same seed, same bytes; another seed, another folder.
  EXPECT_EQ(sample::SampleFiles(sample::BuildSampleFolder(options)).size(),
            files.size());
  EXPECT_EQ(sample::SampleFiles(sample::BuildSampleFolder(options))[4].bytes,
            files[4].bytes);
  options.seed = 2;
  EXPECT_NE(sample::SampleFiles(sample::BuildSampleFolder(options))[4].bytes,
            files[4].bytes);

  EXPECT_EQ(bytes["FX0.DAT"].size(),
            model.employers.size() * (938 + 2 * 45) + 1);
  EXPECT_EQ(bytes["FX0.DAT"].back(), '\x1A');
  EXPECT_EQ(bytes["FY0.DAT"].size(),
            model.workers.size() * (1622 + 2 * 86 + 800));
  EXPECT_EQ(bytes["REG\\REGFE.DAT"].size() % 455, 400u)
      << "last record cut short";

  int full_blocks = 0, blank_codes = 0;
  for (const sample::Register& w : model.workers) {
    full_blocks += w.items.ValuedCount() > 24;
    for (std::size_t i = 0; i < w.items.cents.size(); ++i) {
      blank_codes +=
          w.items.cents[i] > 0 && w.items.text.substr(20 * i + 17, 3) == "   ";
    }
  }
  EXPECT_GT(full_blocks, 0);
  EXPECT_GT(blank_codes, 0);
  EXPECT_EQ(bytes["FZ0.DAT"][4 * 204 + 203], '+') << "a deleted dependant";

  // F07.DAT: a deleted record and codes that are not of five characters.
  int deleted = 0, odd = 0;
  for (const std::string& r : model.old_f07) {
    deleted += r.back() == '+';
    odd += RightTrim(r.substr(0, 10)).size() != 5;
  }
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(odd, 2);
  EXPECT_EQ(bytes["F07.DAT"].size(), model.old_f07.size() * 809);
  EXPECT_EQ(bytes["F40.DAT"].size(), model.f40.size() * 1000);
  EXPECT_EQ(bytes["F04R0.DAT"].size(), model.f04r0.size() * 950);
  EXPECT_EQ(bytes["R69\\F692018.DAT"].size(),
            model.r69[1].records.size() * 500);
}

}  // namespace
}  // namespace labrena
