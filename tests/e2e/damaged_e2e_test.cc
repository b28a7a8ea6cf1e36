// End to end on a damaged data folder: line ends and end marks typed into
// fields, records cut short, end marks after the last record, names that
// could lead out of the data folder, case twins, and a disk that fills up.
// The generator's model tells what it damaged where. The rule: every old
// record is converted, its damaged characters read as blanks, or an error
// box names its file and the file stays in the data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake_ui.h"
#include "shell/run.h"
#include "tests/testing/item_blocks.h"
#include "tests/testing/scratch.h"
#include "tools/sample/registration.h"
#include "tools/sample/sample.h"

namespace labrena {
namespace {

namespace fs = std::filesystem;
using sample::Damage;
using sample::DamageKind;
using sample::Pad;

std::string ReadPath(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every file below a folder by its relative path with '/', spelled as it is
// (case twins are two files); a symbolic link by its target, not followed.
using Files = std::map<std::string, std::string>;

Files FolderFiles(const std::string& root) {
  Files files;
  std::error_code ec;
  if (!fs::exists(root, ec)) return files;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::string name = fs::relative(it->path(), root).generic_string();
    if (it->is_symlink()) {
      files[name] = "link to " + fs::read_symlink(it->path()).string();
    } else if (it->is_regular_file()) {
      files[name] = ReadPath(it->path());
    }
  }
  return files;
}

std::string Slashed(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

// The retired files, each folder and file name without the ".001" to
// ".100" that a second retirement of the same name adds.
std::multiset<std::string> RetiredNames(const ScratchFolder& s) {
  std::multiset<std::string> names;
  for (const auto& [name, bytes] : FolderFiles(s.temp() + "Nelk/Labrena")) {
    std::string bare;
    std::stringstream parts(name);
    for (std::string part; std::getline(parts, part, '/');) {
      std::size_t dot = part.rfind('.');
      if (dot != std::string::npos && part.size() - dot == 4 &&
          part.find_first_not_of("0123456789", dot + 1) == std::string::npos) {
        part.erase(dot);
      }
      bare += (bare.empty() ? "" : "/") + part;
    }
    names.insert(bare);
  }
  return names;
}

sample::SampleFolder DamagedModel() {
  sample::SampleOptions options;
  options.damage = true;
  return sample::BuildSampleFolder(options);
}

void WriteModel(const sample::SampleFolder& model, const ScratchFolder& s) {
  std::string error;
  ASSERT_TRUE(sample::WriteSampleFolder(model, s.data(), &error)) << error;
}

#ifndef _WIN32
// A file beside the data folder, where the generator puts the file its link
// points to.
fs::path BesidePath(const ScratchFolder& s, const std::string& name) {
  return fs::path(s.data()).parent_path() / name;
}
#endif

// The items a record cut short after bytes still holds, its block starting
// at offset: the items wholly before the cut.
sample::ItemBlock ItemsBefore(sample::ItemBlock items, std::size_t offset,
                              std::size_t bytes) {
  std::size_t kept = bytes > offset ? (bytes - offset) / 20 : 0;
  for (std::size_t i = kept; i < items.cents.size(); ++i) items.cents[i] = 0;
  return items;
}

using RecordDamage = std::vector<const Damage*>;

// An old fixed-length record as the converter must read it: each line end
// or end mark a blank, a record cut short completed with blanks.
std::string ReadAs(std::string text, const RecordDamage& damage) {
  for (const Damage* d : damage) {
    if (d->kind == DamageKind::kCut) {
      text.replace(d->offset, std::string::npos, text.size() - d->offset, ' ');
    } else if (d->InRecord()) {
      text[d->offset] = ' ';
    }
  }
  return text;
}

// A field of a separated record read at its width, each damaged character
// a blank.
std::string ReadField(const sample::Register& r, int field, int width,
                      const RecordDamage& damage) {
  std::string text = Pad(r.Field(field), width);
  for (const Damage* d : damage) {
    if (d->field == field && d->InRecord()) text[d->offset] = ' ';
  }
  return text;
}

// Where register fields land in the new files (offset and width there),
// from the layouts: the first step widens only the code, the second keeps
// the worker's and employer's fields in place and puts the service taker's
// district and city after its joined address line; the fourth moves the
// employer's and worker's address behind a second name field and drops the
// worker's second name.
struct Landing {
  const char* old_file;
  const char* target;
  int field;
  std::size_t offset;
  std::size_t width;
};
constexpr Landing kLandings[] = {
    {"FX0.DAT", "F00.DAT", sample::kCode, 0, 11},
    {"FX0.DAT", "F00.DAT", sample::kName, 11, 40},
    {"FX0.DAT", "F00.DAT", sample::kStreet, 51, 40},
    {"FX0.DAT", "F00.DAT", sample::kDistrict, 121, 30},
    {"FX0.DAT", "F00.DAT", sample::kCity, 160, 30},
    {"FX0.DAT", "F00R0.DAT", sample::kCode, 0, 11},
    {"FX0.DAT", "F00R0.DAT", sample::kName, 11, 40},
    {"FX0.DAT", "F00R0.DAT", sample::kStreet, 91, 40},
    {"FX0.DAT", "F00R0.DAT", sample::kDistrict, 161, 30},
    {"FX0.DAT", "F00R0.DAT", sample::kCity, 200, 30},
    {"FW0.DAT", "F02R1.DAT", sample::kCode, 0, 11},
    {"FW0.DAT", "F02R1.DAT", sample::kName, 11, 40},
    {"FW0.DAT", "F02R1.DAT", sample::kDistrict, 161, 30},
    {"FW0.DAT", "F02R1.DAT", sample::kCity, 200, 30},
    {"FY0.DAT", "F16.DAT", sample::kCode, 0, 11},
    {"FY0.DAT", "F16.DAT", sample::kName, 11, 40},
    {"FY0.DAT", "F16.DAT", sample::kStreet, 51, 40},
    {"FY0.DAT", "F16.DAT", sample::kDistrict, 121, 30},
    {"FY0.DAT", "F16.DAT", sample::kCity, 160, 30},
    {"FY0.DAT", "F16.DAT", sample::kSecondName, 192, 40},
    {"FY0.DAT", "F16R0.DAT", sample::kCode, 0, 11},
    {"FY0.DAT", "F16R0.DAT", sample::kName, 11, 45},
    {"FY0.DAT", "F16R0.DAT", sample::kStreet, 91, 40},
    {"FY0.DAT", "F16R0.DAT", sample::kDistrict, 161, 30},
    {"FY0.DAT", "F16R0.DAT", sample::kCity, 200, 30},
};

// The registers of the steps before the fourth, which it converts and
// retires.
bool IsRetiredRegister(const std::string& name) {
  return name == "F00.DAT" || name == "F16.DAT";
}

// The worker record's fields and separators before its item block.
constexpr std::size_t kFy0FieldBytes =
    std::accumulate(std::begin(sample::kFy0Widths),
                    std::end(sample::kFy0Widths), std::size_t{0}) +
    std::size(sample::kFy0Widths) * (std::size(sample::kFieldSeparator) - 1);

// The old files the first step converts into files the second step reads,
// or only renames, and the registers the fourth step reads; under those
// names they are kept when a later step fails, and a file the first step
// renames is told under its new name.
struct SecondName {
  const char* old_file;
  const char* name;
  bool renamed;
};
constexpr SecondName kSecondNames[] = {
    {"FX0.DAT", "F301.DAT", false}, {"FW0.DAT", "F302.DAT", false},
    {"FY0.DAT", "F303.DAT", false}, {"REG\\REGFE.DAT", "F310.DAT", true},
    {"RESP.DAT", "F305.DAT", true}, {"FX0.DAT", "F00.DAT", false},
    {"FY0.DAT", "F16.DAT", false},  {"FZ0.DAT", "F13.DAT", false},
    {"C04B.DAT", "F31.DAT", false},
};

std::vector<std::string> NamesOf(const std::string& file) {
  std::vector<std::string> names = {file};
  for (const SecondName& second : kSecondNames) {
    if (file == second.old_file) names.push_back(second.name);
  }
  return names;
}

// The name the conversion tells an old file by.
std::string ToldName(const std::string& file) {
  for (const SecondName& second : kSecondNames) {
    if (file == second.old_file && second.renamed) return second.name;
  }
  return file;
}

bool ShowsError(const FakeUi& ui, const std::string& name) {
  for (const ShownBox& box : ui.boxes()) {
    if (box.icon == Icon::kError && box.text.find(name) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::string BoxesText(const FakeUi& ui) {
  std::string text;
  for (const ShownBox& box : ui.boxes()) {
    text += "\n  [" +
            std::string(box.icon == Icon::kError     ? "error"
                        : box.icon == Icon::kWarning ? "warning"
                                                     : "other") +
            "] " + box.text.substr(0, box.text.find('\n'));
  }
  return text.empty() ? "\n  (no message box)" : text;
}

// Lists what differs between two folders by name, not by bytes.
void ExpectSameFiles(const Files& got, const Files& want,
                     const std::string& where) {
  for (const auto& [name, bytes] : want) {
    auto it = got.find(name);
    if (it == got.end()) {
      ADD_FAILURE() << where << ": " << name << " missing";
    } else if (it->second != bytes) {
      ADD_FAILURE() << where << ": " << name << " differs ("
                    << it->second.size() << " bytes, " << bytes.size()
                    << " expected)";
    }
  }
  for (const auto& [name, bytes] : got) {
    if (!want.count(name)) ADD_FAILURE() << where << ": " << name << " extra";
  }
}

// The guides a year's R27 file carries, R01 to R03 in order: those below
// their file's threshold.
std::vector<std::pair<const sample::GuideFile*, std::size_t>> CarriedGuides(
    const sample::SampleFolder& model, int year) {
  std::vector<std::pair<const sample::GuideFile*, std::size_t>> carried;
  for (int folder = 1; folder <= 3; ++folder) {
    for (const sample::GuideFile& file : model.guides) {
      if (file.folder != folder || file.year != year) continue;
      for (std::size_t k = 0; k < file.records.size(); ++k) {
        if (file.records[k].total_cents < file.ThresholdCents()) {
          carried.push_back({&file, k});
        }
      }
    }
  }
  return carried;
}

class DamagedE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = DamagedModel();
    for (const Damage& d : model_.damage) {
      damage_[{d.file, d.record}].push_back(&d);
    }
    WriteModel(model_, scratch_);
    // The records checked here are those of the steps that read old files;
    // the fifth goes on to renumber and patch them.
    RunConversion(scratch_.ctx(), {1, 2, 3, 4, 6}, nullptr);
    after_ = FolderFiles(scratch_.data());
    retired_ = FolderFiles(scratch_.temp() + "Nelk/Labrena");
    for (const std::string& d : model_.dependants) {
      dependants_ += d.back() != '+';
    }
    receipts_ =
        ConvertReceipts(ReceiptFilesAsRead(), model_.rubrics, dependants_);
  }

  // The receipt files the fourth step converts, their records as the steps
  // read them: damaged characters blanks, records cut short without the
  // items after the cut.
  std::vector<ReceiptFile> ReceiptFilesAsRead() const {
    std::vector<ReceiptFile> files = ReceiptFiles(model_);
    std::map<std::string, ReceiptFile*> by_name;
    for (ReceiptFile& file : files) by_name[file.name] = &file;
    ReceiptFile& workers = *by_name.at("F16R0.DAT");
    for (const Damage* d : DamageOf("FY0.DAT", model_.workers.size() - 1)) {
      if (d->kind != DamageKind::kCut) continue;
      workers.records.back().items =
          ItemsBefore(model_.workers.back().items, kFy0FieldBytes, d->offset);
    }
    for (const sample::ExtraReceiptFile& extra : model_.extra_receipts) {
      ReceiptFile& file = *by_name.at("R61\\" + extra.name.substr(1));
      for (std::size_t k = 0; k < extra.records.size(); ++k) {
        const RecordDamage damage = DamageOf("REG\\" + extra.name, k);
        std::string read = ReadAs(extra.records[k].Text(), damage);
        file.records[k].key = read.substr(0, 10);
        file.records[k].amount = read.substr(11, 14);
        for (const Damage* d : damage) {
          if (d->kind != DamageKind::kCut) continue;
          file.records[k].items =
              ItemsBefore(extra.records[k].items, 25, d->offset);
        }
      }
    }
    std::map<int, std::size_t> read_in_year;
    for (std::size_t i = 0; i < model_.receipts.size(); ++i) {
      const sample::Receipt& r = model_.receipts[i];
      ReceiptFile& file =
          *by_name.at("R62\\" + std::to_string(r.year) + ".DAT");
      std::string read = ReadAs(ReceiptText(i), DamageOf("REG\\REGFE.DAT", i));
      file.records[read_in_year[r.year]++].amount = read.substr(355, 14);
    }
    return files;
  }

  // A record of REG\REGFE.DAT as written, the last one cut short.
  std::string ReceiptText(std::size_t i) const {
    std::string text = model_.receipts[i].Text();
    if (i + 1 == model_.receipts.size()) {
      text.replace(model_.last_receipt_bytes, std::string::npos,
                   text.size() - model_.last_receipt_bytes, ' ');
    }
    return text;
  }

  RecordDamage DamageOf(const std::string& file, std::size_t record) const {
    auto it = damage_.find({file, record});
    return it == damage_.end() ? RecordDamage() : it->second;
  }

  // True when an error box names the old file, under one of its names, and
  // the data folder still holds it under that name.
  bool KeptAndTold(const std::string& file) {
    for (const std::string& name : NamesOf(file)) {
      if (ShowsError(scratch_.ui(), name) && scratch_.Exists(name)) {
        return true;
      }
    }
    return false;
  }

  // The records of a new file; false, with why, when the file is missing
  // or not whole records of the length. The registers that the fourth step
  // converts are read where it retired them.
  bool Records(const std::string& name, std::size_t length,
               std::vector<std::string>* records, std::string* why) const {
    records->clear();
    const Files& files = IsRetiredRegister(name) ? retired_ : after_;
    auto it = files.find(Slashed(name));
    if (it == files.end()) {
      *why = name + (IsRetiredRegister(name) ? " was not retired"
                                             : " was not written");
      return false;
    }
    if (it->second.size() % length != 0) {
      *why = name + " holds " + std::to_string(it->second.size()) +
             " bytes, not whole records of " + std::to_string(length);
      return false;
    }
    for (std::size_t at = 0; at < it->second.size(); at += length) {
      records->push_back(it->second.substr(at, length));
    }
    return true;
  }

  // A new file, the records it must hold, and the old files they come from.
  struct NewFile {
    std::string name;
    std::size_t length;
    std::size_t records;
    std::vector<std::string> old_files;
  };

  // Every new file that receives records, from the model.
  std::vector<NewFile> NewFiles() const {
    std::vector<NewFile> files = {
        {"F00R0.DAT", 1000, model_.employers.size(), {"FX0.DAT"}},
        {"F02R1.DAT", 1000, model_.service_takers.size(), {"FW0.DAT"}},
        {"F16R0.DAT", 2000, model_.workers.size(), {"FY0.DAT"}},
        {"F13R1.DAT",
         1000,
         dependants_ + receipts_.pensions.size(),
         {"FZ0.DAT", "C04B.DAT"}},
        {"F31R0.DAT",
         300,
         model_.rubric_template.size() / 300 + receipts_.user_rubrics.size(),
         {"C04B.DAT"}},
        {"F01R0.DAT", 814, model_.unions.size(), {"F306.DAT"}},
        {"F07R0.DAT", 809, model_.departments.size(), {"F307.DAT"}},
        {"F08R1.DAT", 1000, 1, {"RESP.DAT"}},
    };
    std::map<int, std::size_t> receipts;
    for (const sample::Receipt& r : model_.receipts) ++receipts[r.year];
    for (const auto& [year, count] : receipts) {
      files.push_back({"R62\\" + std::to_string(year) + ".DAT",
                       850,
                       count,
                       {"REG\\REGFE.DAT"}});
    }
    for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
      files.push_back({"R61\\" + file.name.substr(1),
                       701,
                       file.records.size(),
                       {"REG\\" + file.name}});
    }
    std::map<int, std::vector<std::string>> guide_files;
    for (const sample::GuideFile& file : model_.guides) {
      guide_files[file.year].push_back(file.Name());
    }
    for (const auto& [year, names] : guide_files) {
      files.push_back({"R27\\" + std::to_string(year) + ".DAT", 300,
                       CarriedGuides(model_, year).size(), names});
    }
    return files;
  }

  // Why a new file does not hold its records; empty when it does.
  std::string Shortfall(const NewFile& file) const {
    std::vector<std::string> records;
    std::string why;
    if (!Records(file.name, file.length, &records, &why)) return why;
    if (records.size() == file.records) return "";
    return file.name + " holds " + std::to_string(records.size()) +
           " records, " + std::to_string(file.records) + " expected";
  }

  // The records of a new file that the checks of damaged records read;
  // false when the old file was kept and told instead, or when it is
  // missing, which is then a failure.
  bool Converted(const std::string& target, std::size_t length,
                 const std::string& old_file,
                 std::vector<std::string>* records) {
    std::string why;
    if (Records(target, length, records, &why)) return true;
    if (!KeptAndTold(old_file)) ADD_FAILURE() << why;
    return false;
  }

  template <std::size_t N>
  void ExpectSeparatedFields(const char* old_file, const char* target,
                             std::size_t length,
                             const std::vector<sample::Register>& registers,
                             const int (&widths)[N]) {
    std::vector<std::string> records;
    if (!Converted(target, length, old_file, &records)) return;
    ASSERT_EQ(records.size(), registers.size()) << target;
    for (std::size_t i = 0; i < records.size(); ++i) {
      const RecordDamage damage = DamageOf(old_file, i);
      for (const Landing& landing : kLandings) {
        if (std::string(landing.old_file) != old_file ||
            std::string(landing.target) != target) {
          continue;
        }
        std::string want = Pad(ReadField(registers[i], landing.field,
                                         widths[landing.field], damage),
                               landing.width);
        EXPECT_EQ(records[i].substr(landing.offset, landing.width), want)
            << target << " record " << i << ", field " << landing.field
            << " of " << old_file << (damage.empty() ? "" : " (damaged)");
      }
    }
  }

  ScratchFolder scratch_;
  sample::SampleFolder model_;
  std::map<std::pair<std::string, std::size_t>, RecordDamage> damage_;
  Files after_;
  Files retired_;
  std::size_t dependants_ = 0;  // live ones in FZ0.DAT
  ConvertedReceipts receipts_;  // the fourth step's, from the damaged model
};

TEST_F(DamagedE2eTest, EveryRecordIsConvertedOrItsFileIsKeptAndTold) {
  for (const NewFile& file : NewFiles()) {
    std::string why = Shortfall(file);
    if (why.empty()) continue;
    std::string names;
    bool kept = false;
    for (const std::string& old_file : file.old_files) {
      kept = kept || KeptAndTold(old_file);
      for (const std::string& name : NamesOf(old_file)) names += " " + name;
    }
    EXPECT_TRUE(kept) << why << "; no error box names one of" << names
                      << " kept in the data folder. Boxes:"
                      << BoxesText(scratch_.ui());
  }
}

TEST_F(DamagedE2eTest, DamagedCharactersReadAsBlanksAndTheRestKeepsInStep) {
  // Separated registers: every field that keeps its place, in every record,
  // as the first steps wrote them (F00.DAT and F16.DAT retired by the
  // fourth step) and in the registers of the current version.
  ExpectSeparatedFields("FX0.DAT", "F00.DAT", 983, model_.employers,
                        sample::kFx0Widths);
  ExpectSeparatedFields("FX0.DAT", "F00R0.DAT", 1000, model_.employers,
                        sample::kFx0Widths);
  ExpectSeparatedFields("FW0.DAT", "F02R1.DAT", 1000, model_.service_takers,
                        sample::kFw0Widths);
  ExpectSeparatedFields("FY0.DAT", "F16.DAT", 1955, model_.workers,
                        sample::kFy0Widths);
  ExpectSeparatedFields("FY0.DAT", "F16R0.DAT", 2000, model_.workers,
                        sample::kFy0Widths);
  std::vector<std::string> records;
  std::string why;
  for (const Damage* d : DamageOf("FY0.DAT", model_.workers.size() - 1)) {
    if (d->kind != DamageKind::kCut) continue;
    if (Records("F16.DAT", 1955, &records, &why) &&
        records.size() == model_.workers.size()) {
      ExpectItemBlock(
          records.back().substr(1354),
          ItemsBefore(model_.workers.back().items, kFy0FieldBytes, d->offset),
          20, kWorkerItemCodes, "F16.DAT, the worker cut short");
    }
  }

  // The receipts of the worker register in the current layout, the worker
  // cut short among them.
  if (Converted("F16R0.DAT", 2000, "FY0.DAT", &records)) {
    const std::vector<std::string>& regions = receipts_.regions.at("F16R0.DAT");
    ASSERT_EQ(records.size(), regions.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      ExpectRegion(records[i].substr(1380, 619), regions[i],
                   "F16R0.DAT record " + std::to_string(i));
    }
  }

  // REG\REGFE.DAT: head, the three-character field, the amount and the
  // items of every receipt, in the year files.
  std::map<int, std::vector<std::string>> years;
  for (const sample::Receipt& r : model_.receipts) years[r.year];
  for (auto it = years.begin(); it != years.end();) {
    std::string name = "R62\\" + std::to_string(it->first) + ".DAT";
    it = Converted(name, 850, "REG\\REGFE.DAT", &it->second) ? std::next(it)
                                                             : years.erase(it);
  }
  std::map<int, std::size_t> read_in_year;
  for (std::size_t i = 0; i < model_.receipts.size(); ++i) {
    const sample::Receipt& r = model_.receipts[i];
    std::size_t n = read_in_year[r.year]++;
    auto year = years.find(r.year);
    if (year == years.end()) continue;
    if (n >= year->second.size()) {
      ADD_FAILURE() << "R62 " << r.year << " lacks REG\\REGFE.DAT record " << i;
      continue;
    }
    const std::string& got = year->second[n];
    const RecordDamage damage = DamageOf("REG\\REGFE.DAT", i);
    std::string read = ReadAs(ReceiptText(i), damage);
    std::string where = "R62 " + std::to_string(r.year) + " record " +
                        std::to_string(n) + " (REG\\REGFE.DAT record " +
                        std::to_string(i) +
                        (damage.empty() ? ")" : ", damaged)");
    EXPECT_EQ(got.substr(0, 55), read.substr(0, 55)) << where;
    EXPECT_EQ(got.substr(55, 3), read.substr(369, 3)) << where;
    ExpectRegion(
        got.substr(230, 619),
        receipts_.regions.at("R62\\" + std::to_string(r.year) + ".DAT")[n],
        where);
  }

  // REG\R*.DAT: code, amount and items of every record, those of a record
  // cut short among them.
  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    std::string old_file = "REG\\" + file.name;
    std::string target = "R61\\" + file.name.substr(1);
    if (!Converted(target, 701, old_file, &records)) continue;
    ASSERT_EQ(records.size(), file.records.size()) << target;
    for (std::size_t k = 0; k < records.size(); ++k) {
      const RecordDamage damage = DamageOf(old_file, k);
      std::string read = ReadAs(file.records[k].Text(), damage);
      std::string where = target + " record " + std::to_string(k) +
                          (damage.empty() ? "" : " (damaged)");
      EXPECT_EQ(records[k].substr(0, 81), Pad(read.substr(0, 11), 81)) << where;
      ExpectRegion(records[k].substr(81, 619), receipts_.regions.at(target)[k],
                   where);
    }
  }

  // R01 to R03: every guide carried into R27, from the old bytes, and
  // patched to its period's month and year and its form.
  static constexpr const char* kGuideCodes[4] = {"", "270", "235", "265"};
  static constexpr const char* kForms[4] = {"", "GPS", "DARF", "DARF"};
  std::set<int> guide_years;
  for (const sample::GuideFile& file : model_.guides) {
    guide_years.insert(file.year);
  }
  for (int year : guide_years) {
    std::string target = "R27\\" + std::to_string(year) + ".DAT";
    auto carried = CarriedGuides(model_, year);
    // A file missing or short is for the test of counts to tell.
    if (!Records(target, 300, &records, &why) ||
        records.size() != carried.size()) {
      continue;
    }
    for (std::size_t k = 0; k < records.size(); ++k) {
      const sample::GuideFile& file = *carried[k].first;
      const sample::Guide& g = file.records[carried[k].second];
      const RecordDamage damage = DamageOf(file.Name(), carried[k].second);
      std::string read = ReadAs(g.Text(), damage);
      std::string expected =
          read.substr(0, 10) + sample::DateText(1, g.month, year).substr(3) +
          Pad("01", 13) + kGuideCodes[file.folder] +
          Pad(Pad(read.substr(12, 4), 32) + kForms[file.folder], 162) +
          read.substr(41, 36) + Pad(read.substr(77, 18), 69);
      EXPECT_EQ(records[k], expected)
          << target << " record " << k << " (" << file.Name() << " record "
          << carried[k].second << (damage.empty() ? ")" : ", damaged)");
    }
  }

  // F306.DAT, F307.DAT and RESP.DAT: whole records from the layouts.
  if (Converted("F01R0.DAT", 814, "F306.DAT", &records)) {
    ASSERT_EQ(records.size(), model_.unions.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string o = ReadAs(model_.unions[i], DamageOf("F306.DAT", i));
      EXPECT_EQ(records[i], o.substr(0, 51) + o.substr(192, 40) +
                                Pad(o.substr(51, 141), 159) +
                                o.substr(291, 18) + Pad(o.substr(327, 12), 18) +
                                Pad(o.substr(232, 29), 86) +
                                Pad(o.substr(339, 60), 442))
          << "F01R0.DAT record " << i;
    }
  }
  if (Converted("F07R0.DAT", 809, "F307.DAT", &records)) {
    ASSERT_EQ(records.size(), model_.departments.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string o = ReadAs(model_.departments[i], DamageOf("F307.DAT", i));
      EXPECT_EQ(records[i],
                Pad(o.substr(0, 51), 502) + Pad(o.substr(51, 10), 307))
          << "F07R0.DAT record " << i;
    }
  }
  if (Converted("F08R1.DAT", 1000, "RESP.DAT", &records)) {
    ASSERT_EQ(records.size(), 1u);
    std::string o = ReadAs(model_.responsibles[0], DamageOf("RESP.DAT", 0));
    // The 7-digit field at 154 is cleared once employers were converted.
    EXPECT_EQ(records[0], Pad("00001", 11) + o.substr(0, 40) +
                              o.substr(286, 40) + o.substr(40, 45) +
                              Pad(o.substr(90, 8), 18) + std::string(7, ' ') +
                              Pad(o.substr(110, 71), 89) + o.substr(268, 18) +
                              o.substr(326, 18) + Pad(o.substr(189, 19), 86) +
                              Pad(o.substr(208, 60), 120) +
                              Pad(o.substr(344, 10), 508));
  }
}

TEST_F(DamagedE2eTest, EachRepairedFileIsToldOnceWithItsCount) {
  // Records with a line end or an end mark inside, by the name told.
  std::map<std::string, std::set<std::size_t>> repaired;
  for (const Damage& d : model_.damage) {
    if (d.InRecord()) repaired[ToldName(d.file)].insert(d.record);
  }
  ASSERT_GE(repaired.size(), 8u) << "the sample must damage many files";
  std::map<std::string, std::string> want;
  for (const auto& [name, records] : repaired) {
    want[name] = std::to_string(records.size());
  }

  const std::string kHead = "O arquivo ";
  const std::string kCount = " registro(s) com quebras de linha";
  std::map<std::string, std::string> told;
  for (const ShownBox& box : scratch_.ui().boxes()) {
    if (box.text.rfind(kHead, 0) != 0 ||
        box.text.find(kCount) == std::string::npos) {
      continue;
    }
    EXPECT_EQ(box.icon, Icon::kWarning) << box.text;
    std::size_t name_end = box.text.find(" tinha ");
    ASSERT_NE(name_end, std::string::npos) << box.text;
    std::string name = box.text.substr(kHead.size(), name_end - kHead.size());
    std::size_t count_at = name_end + 7;
    std::string count =
        box.text.substr(count_at, box.text.find(kCount) - count_at);
    EXPECT_FALSE(told.count(name)) << name << " told twice";
    told[name] = count;
  }
  for (const auto& [name, count] : want) {
    auto it = told.find(name);
    if (it == told.end()) {
      // A file the run could not convert is told by an error box instead.
      EXPECT_TRUE(ShowsError(scratch_.ui(), name) && scratch_.Exists(name))
          << name << ": its " << count
          << " repaired record(s) were not told. Boxes:"
          << BoxesText(scratch_.ui());
    } else {
      EXPECT_EQ(it->second, count) << name;
    }
  }
  for (const auto& [name, count] : told) {
    EXPECT_TRUE(want.count(name))
        << name << " told with " << count << " repaired record(s), none made";
  }
}

TEST_F(DamagedE2eTest, TheRunNeverEndsSilentWhileARecordIsMissing) {
  std::vector<std::string> missing;
  for (const NewFile& file : NewFiles()) {
    std::string why = Shortfall(file);
    if (!why.empty()) missing.push_back(why);
  }
  if (missing.empty()) return;
  bool error_shown = false;
  for (const ShownBox& box : scratch_.ui().boxes()) {
    error_shown = error_shown || box.icon == Icon::kError;
  }
  EXPECT_TRUE(error_shown) << missing.size() << " new files short ("
                           << missing.front() << ") and no error box";
}

#ifndef _WIN32
TEST_F(DamagedE2eTest, NamesThatCouldLeaveTheFolderAreNeverFollowed) {
  ASSERT_FALSE(model_.beside_files.empty());
  ASSERT_FALSE(model_.links.empty());
  ASSERT_GE(model_.backslash_files.size(), 2u);
  // The sentinel the link points to is untouched, and nothing but the data
  // folder, the temporary folder and the sentinel lies beside them.
  std::set<std::string> beside;
  for (const auto& entry :
       fs::directory_iterator(fs::path(scratch_.data()).parent_path())) {
    beside.insert(entry.path().filename().string());
  }
  std::set<std::string> want = {"data", "tmp"};
  for (const sample::NamedFile& file : model_.beside_files) {
    want.insert(file.name);
    EXPECT_EQ(ReadPath(BesidePath(scratch_, file.name)), file.bytes)
        << file.name << " was changed through the link";
  }
  EXPECT_EQ(beside, want);

  // Files named with backslashes keep their bytes, in the data folder or
  // retired with their folder, and none of them was converted.
  Files retired = FolderFiles(scratch_.temp() + "Nelk/Labrena");
  for (const sample::BackslashFile& file : model_.backslash_files) {
    int found = 0;
    for (const Files* files : {&after_, &retired}) {
      for (const auto& [name, bytes] : *files) {
        if (fs::path(name).filename() != file.name) continue;
        ++found;
        EXPECT_EQ(bytes, file.bytes) << name;
      }
    }
    EXPECT_EQ(found, 1) << file.folder << "/" << file.name;
  }
  std::set<std::string> allowed;
  for (const sample::ExtraReceiptFile& file : model_.extra_receipts) {
    allowed.insert("R61/" + file.name.substr(1));
  }
  // Reading through the link is no harm: its records may land in R61.
  for (const sample::SymbolicLink& link : model_.links) {
    std::string name = Slashed(link.name);
    allowed.insert("R61/" + name.substr(name.rfind('/') + 2));
  }
  for (const sample::GuideFile& file : model_.guides) {
    allowed.insert("R27/" + std::to_string(file.year) + ".DAT");
  }
  for (const auto& [name, bytes] : after_) {
    if (name.rfind("R61/", 0) == 0 || name.rfind("R27/", 0) == 0) {
      EXPECT_TRUE(allowed.count(name)) << name << " written";
    }
  }
  for (const char* stray : {"x.DAT", "guide.DAT", "X.DAT", "GUIDE.DAT"}) {
    EXPECT_FALSE(after_.count(stray)) << stray << " written";
  }
}
#endif

// A folder whose F308.DAT has a twin f308.dat: the one first in byte order
// is F308.DAT, the one the conversion renames, whichever was created first.
TEST(DamagedNamesTest, TheTwinFirstInByteOrderBecomesTheNewLeaveRegister) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows holds no two names that differ only in case";
#endif
  sample::SampleFolder model = DamagedModel();
  ASSERT_EQ(model.leaves_twins.size(), 1u);
  std::string leaves;
  for (const std::string& leave : model.leaves) leaves += leave;
  ASSERT_NE(model.leaves_twins[0].bytes, leaves);
  for (bool twins_first : {true, false}) {
    model.twins_first = twins_first;
    ScratchFolder s;
    WriteModel(model, s);
    ASSERT_EQ(s.Read("F308.DAT"), leaves);
    ASSERT_EQ(s.Read("f308.dat"), model.leaves_twins[0].bytes);
    RunConversion(s.ctx(), {}, nullptr);
    std::string where =
        twins_first ? "twin created first" : "twin created last";
    // The fifth step converts it and keeps it as F21R0.BAK.
    ASSERT_TRUE(s.Exists("F21R0.BAK")) << where << BoxesText(s.ui());
    EXPECT_EQ(s.Read("F21R0.BAK"), leaves) << where;
    EXPECT_EQ(s.Read("f308.dat"), model.leaves_twins[0].bytes) << where;
  }
}

TEST(DamagedDiskFullTest, NothingIsLostAndARerunGivesTheBytesOfOneCleanRun) {
  sample::SampleFolder model = DamagedModel();
  ScratchFolder clean;
  WriteModel(model, clean);
  const Files old = FolderFiles(clean.data());
  RunConversion(clean.ctx(), {}, nullptr);
  const Files clean_data = FolderFiles(clean.data());
  const std::multiset<std::string> clean_retired = RetiredNames(clean);
  std::set<std::string> clean_errors;
  for (const ShownBox& box : clean.ui().boxes()) {
    if (box.icon == Icon::kError) clean_errors.insert(box.text);
  }

  // Old files the run may delete: those of earlier versions, the old
  // counters once in F34.DAT, and D11.DEN once the employers are converted.
  // The rubric template may go once F31R0.DAT begins with it.
  std::set<std::string> deletable = {"CONFIGA.DAT", "D11.DEN"};
  for (const sample::NamedFile& file : model.obsolete_files) {
    deletable.insert(Slashed(file.name));
  }
  // The bytes of the run, roughly: what the files it made hold, those it
  // left in the data folder and those it made and then retired.
  std::multiset<std::string> old_bytes;
  for (const auto& [name, bytes] : old) old_bytes.insert(bytes);
  std::int64_t written = 0;
  for (const Files& files :
       {clean_data, FolderFiles(clean.temp() + "Nelk/Labrena")}) {
    for (const auto& [name, bytes] : files) {
      if (!old_bytes.count(bytes)) {
        written += static_cast<std::int64_t>(bytes.size());
      }
    }
  }
  ASSERT_GT(written, 100000);

  // Denser towards the end, where the run writes many small files.
  for (double share :
       {0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.97, 0.99, 0.995, 0.998}) {
    std::int64_t room = static_cast<std::int64_t>(written * share);
    std::string where = "disk full after " + std::to_string(room) + " bytes";
    ScratchFolder s;
    WriteModel(model, s);
    s.faults().DiskFullAfter(room);
    RunConversion(s.ctx(), {}, nullptr);
    bool told = false;
    for (const ShownBox& box : s.ui().boxes()) {
      told =
          told || (box.icon == Icon::kError && !clean_errors.count(box.text));
    }
    EXPECT_TRUE(told) << where << ": no error box of its own."
                      << BoxesText(s.ui());

    const Files data = FolderFiles(s.data());
    std::multiset<std::string> kept;
    for (const auto& [name, bytes] : data) kept.insert(bytes);
    for (const auto& [name, bytes] : FolderFiles(s.temp() + "Nelk/Labrena")) {
      kept.insert(bytes);
    }
    for (const auto& [name, bytes] : old) {
      if (deletable.count(name)) continue;
      bool in_table = name == "F31R0.DA3" && data.count("F31R0.DAT") &&
                      data.at("F31R0.DAT").rfind(bytes, 0) == 0;
      EXPECT_TRUE(kept.count(bytes) || in_table)
          << where << ": " << name << " lost";
    }

    s.faults().DiskFullAfter(-1);
    FakeUi ui;
    Context again{s.faults(), ui};
    RunConversion(again, {}, nullptr);
    ExpectSameFiles(FolderFiles(s.data()), clean_data,
                    where + ", then a rerun");
    EXPECT_EQ(RetiredNames(s), clean_retired) << where << ", then a rerun";
  }
}

// The generator: the damage lies where the model says, and the records it
// damages are those of the undamaged folder.
TEST(DamagedSampleTest, TheDamageLiesWhereTheModelSays) {
  sample::SampleFolder damaged = DamagedModel();
  sample::SampleFolder clean = sample::BuildSampleFolder({});
  std::map<std::string, std::string> damaged_files, clean_files;
  for (const sample::NamedFile& f : sample::SampleFiles(damaged)) {
    damaged_files[f.name] = f.bytes;
  }
  for (const sample::NamedFile& f : sample::SampleFiles(clean)) {
    clean_files[f.name] = f.bytes;
  }
  ASSERT_EQ(damaged_files.size(), clean_files.size());

  std::set<DamageKind> kinds;
  std::map<std::string, std::vector<const Damage*>> by_file;
  for (const Damage& d : damaged.damage) {
    kinds.insert(d.kind);
    by_file[d.file].push_back(&d);
  }
  EXPECT_EQ(kinds.size(), 7u) << "every kind of damage";
  for (const auto& [name, bytes] : clean_files) {
    if (!by_file.count(name)) {
      EXPECT_EQ(damaged_files[name], bytes) << name << " undamaged";
    }
  }

  // Fixed-length files: the damaged byte and nothing else differs, the ends
  // follow the last record, a cut shortens the last record.
  const std::map<std::string, std::size_t> lengths = {{"REG\\REGFE.DAT", 455},
                                                      {"F306.DAT", 654},
                                                      {"F307.DAT", 212},
                                                      {"RESP.DAT", 354}};
  for (const auto& [name, damage] : by_file) {
    std::size_t length = 0;
    if (lengths.count(name)) length = lengths.at(name);
    if (name.rfind("REG\\R0", 0) == 0) length = 825;
    if (name.rfind("R0", 0) == 0) length = 467;
    if (length == 0) continue;
    std::string want = clean_files[name];
    std::size_t records = (want.size() + length - 1) / length;
    for (const Damage* d : damage) {
      std::size_t at = d->record * length + d->offset;
      switch (d->kind) {
        case DamageKind::kCr:
          want[at] = '\r';
          break;
        case DamageKind::kLf:
          want[at] = '\n';
          break;
        case DamageKind::kEndMark:
          EXPECT_LT(d->record + 1, records) << name << ": records follow";
          want[at] = '\x1A';
          break;
        case DamageKind::kCut:
          EXPECT_EQ(d->record + 1, records) << name;
          want.resize(at);
          break;
        case DamageKind::kEndMarkAfter:
          want += "\x1A";
          break;
        case DamageKind::kLineEndAndEndMarkAfter:
          want += "\r\n\x1A";
          break;
        case DamageKind::kCrLf:
          ADD_FAILURE() << name << ": a CR LF in a fixed-length record";
          break;
      }
    }
    EXPECT_EQ(damaged_files[name], want) << name;
  }

  // Separated files: a CR LF is one character of two bytes; a field's
  // damage stays inside it.
  std::size_t crlf = 0;
  std::size_t cut = 0;
  for (const Damage* d : by_file["FY0.DAT"]) {
    if (d->kind == DamageKind::kCrLf) ++crlf;
    if (d->kind == DamageKind::kCut) {
      cut =
          kFy0FieldBytes + damaged.workers.back().items.text.size() - d->offset;
      EXPECT_EQ(d->record + 1, damaged.workers.size());
    }
    if (d->field >= 0) {
      EXPECT_LT(d->offset,
                static_cast<std::size_t>(sample::kFy0Widths[d->field]));
    }
  }
  EXPECT_GT(crlf, 0u);
  EXPECT_GT(cut, 0u);
  EXPECT_EQ(damaged_files["FY0.DAT"].size(),
            clean_files["FY0.DAT"].size() + crlf - cut);

#ifndef _WIN32
  // The names only a POSIX disk holds.
  ScratchFolder s;
  WriteModel(damaged, s);
  EXPECT_TRUE(fs::is_symlink(fs::path(s.data()) / "REG" / "RLINK.DAT"));
  EXPECT_EQ(ReadPath(fs::path(s.data()) / "REG" / "RLINK.DAT"),
            damaged.beside_files[0].bytes);
  for (const sample::BackslashFile& file : damaged.backslash_files) {
    EXPECT_EQ(ReadPath(fs::path(s.data()) / file.folder / file.name),
              file.bytes);
  }
  EXPECT_NE(s.Read("F308.DAT"), s.Read("f308.dat"));
#endif
}

}  // namespace
}  // namespace labrena
