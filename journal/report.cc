#include "journal/report.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

#include "fields/numbers.h"
#include "platform/cp1252.h"
#include "platform/names.h"

namespace labrena {
namespace {

// The record lengths of the files that the steps write or keep. The
// converter's layouts lie above this layer; each length names where it is
// defined (the tests hold the table against the lengths the headers show).
struct LengthRule {
  const char* pattern;  // relative to the data folder, '*' and '?' allowed
  std::int64_t length;
};
constexpr LengthRule kRecordLengths[] = {
    // The registers and tables of 6.28.
    {"F00R0.DAT", 1000},  // kEmployerLength5, convert/step5_internal.h
    {"F01R0.DAT", 814},   // kRegisterLength5, convert/step5_internal.h
    {"F02R1.DAT", 1000},  // kF02Fields, convert/step2_registers.cc
    {"F04R0.DAT", 950},   // kBranchLength5, convert/step5_internal.h
    {"F07R0.DAT", 809},   // kMergedLength5, convert/step5_internal.h
    {"F07.DAT", 809},     // an earlier F07R0.DAT, convert/step5_codes.cc
    {"F08R1.DAT", 1000},  // kResponsibleFields, convert/step2_registers.cc
    {"F13R1.DAT", 1000},  // kDependantLength, convert/step4_internal.h
    {"F16R0.DAT", 2000},  // kWorkerLength5, convert/step5_internal.h
    {"F17R1.DAT", 60},    // F309.DAT renamed, convert/step2_registers.cc
    {"F21R0.DAT", 46},    // F308.DAT renamed, convert/step5_leaves.cc
    {"F21R1.DAT", 500},   // kLeaveLength5, convert/step5_internal.h
    {"F31R0.DAT", 300},   // kRubricLength5, convert/step5_internal.h
    {"F31R0.DA3", 300},   // kRubricLength, convert/step4_internal.h
    {"F31.DAT", 80},      // C04B.DAT renamed, convert/step4_rubrics.cc
    {"F34.DAT", 30},      // kCounterRecord, records/counters.h
    {"F35R0.DAT", 250},   // kJobLength5, convert/step5_internal.h
    {"F36R0.DAT", 250},   // kScheduleLength5, convert/step5_internal.h
    {"F35.DAT", 240},     // kJobRecord, convert/step3_jobs.cc
    {"F36.DAT", 250},     // kScheduleRecord, convert/step3_jobs.cc
    {"F40.DAT", 1000},    // kOldRegisterLength, convert/step5_patches.cc

    // The folders of yearly files.
    {"R27\\*.DAT", 300},  // kGuideFields, convert/step2_registers.cc
    {"R61\\*.DAT", 701},  // kWorkerReceiptFields, convert/step2_workers.cc
    {"R62\\*.DAT", 850},  // kYearReceiptFields, convert/step2_workers.cc
    {"R63\\*.DAT", 652},  // kYearLength, convert/step5_leaves.cc
    {"R69\\*.DAT", 500},  // kYearLength, convert/step5_patches.cc
    {"R0?\\*.DAT", 467},  // kOldGuideLength, convert/step2_registers.cc

    // What the first steps write for the later ones, and the old files they
    // read, keep under new names or retire.
    {"F00.DAT", 983},     // F301.DAT renamed, convert/step2_registers.cc
    {"F13.DAT", 204},     // kOldDependantLength, convert/step4_registers.cc
    {"F16.DAT", 1955},    // kOldWorkerLength, convert/step4_registers.cc
    {"F301.DAT", 983},    // kF301Widths, convert/step1_registers.cc
    {"F302.DAT", 653},    // kF302Widths, convert/step1_registers.cc
    {"F303.DAT", 2152},   // kOldWorkerLength, convert/step2_workers.cc
    {"F303B.DAT", 1955},  // kWorkerFields, convert/step2_workers.cc
    {"F304.DAT", 204},    // FZ0.DAT renamed, convert/step1_registers.cc
    {"F305.DAT", 354},    // ConvertResponsible, convert/step2_registers.cc
    {"F306.DAT", 654},    // ConvertUnionRegister, convert/step2_registers.cc
    {"F307.DAT", 212},    // ConvertF07Register, convert/step2_registers.cc
    {"F308.DAT", 46},     // kOldLeaveLength, convert/step5_leaves.cc
    {"F309.DAT", 60},     // the holidays, tools/sample/sample.h
    {"F310.DAT", 455},    // kF310Length, convert/step2_workers.cc
    {"F311.DAT", 455},    // kF310Length, convert/step2_workers.cc
    {"FZ0.DAT", 204},     // kOldDependantLength, convert/step4_registers.cc
    {"RESP.DAT", 354},    // ConvertResponsible, convert/step2_registers.cc
    {"C04B.DAT", 80},     // kOldRubricLength, convert/step4_rubrics.cc
    {"REG\\REGFE.DAT", 455},  // kF310Length, convert/step2_workers.cc
    {"REG\\REGRE.DAT", 455},  // kF310Length, convert/step2_workers.cc
    {"REG\\R*.DAT", 825},     // kRegLength, convert/step2_workers.cc
    {"REG\\R*.TMP", 825},     // converted and renamed, the same
};

// More files than this in one kind of change are cut short in the summary.
constexpr std::size_t kMostShown = 25;
constexpr std::size_t kShownWhenCut = 20;

std::string Folded(const std::string& name) {
  std::string key = UpperAscii(name);
  std::replace(key.begin(), key.end(), '/', '\\');
  return key;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* KindName(FileOutcome::Kind kind) {
  switch (kind) {
    case FileOutcome::Kind::kCreated:
      return "created";
    case FileOutcome::Kind::kRewritten:
      return "rewritten";
    case FileOutcome::Kind::kRenamed:
      return "renamed";
    case FileOutcome::Kind::kRetired:
      return "retired";
    case FileOutcome::Kind::kDeleted:
      return "deleted";
  }
  return "";
}

const char* IconName(Icon icon) {
  switch (icon) {
    case Icon::kNone:
      return "none";
    case Icon::kError:
      return "error";
    case Icon::kWarning:
      return "warning";
    case Icon::kQuestion:
      return "question";
    case Icon::kInformation:
      return "information";
  }
  return "";
}

// A Windows-1252 text as a JSON string.
std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (char c : Cp1252ToUtf8(text)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      out += Format("\\u%04x", u);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonNumber(std::int64_t n) {
  return n < 0 ? "null" : Format("%lld", static_cast<long long>(n));
}

// "1 registro", "1.234 registros".
std::string Count(std::int64_t n, const char* one, const char* many) {
  return FormatNumber(static_cast<double>(n), 0) + " " + (n == 1 ? one : many);
}

// A box's text on one line.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    out += c == '\n' ? ' ' : c;
  }
  return out;
}

}  // namespace

std::int64_t RecordLength(const std::string& name) {
  std::string key = Folded(name);
  // A retired file may have a number appended to its name (".001"), and a
  // backup has the records of the file it was.
  std::size_t n = key.size();
  if (n > 4 && key[n - 4] == '.' && IsDigit(key[n - 3]) &&
      IsDigit(key[n - 2]) && IsDigit(key[n - 1]) && key.find('.') < n - 4) {
    key.resize(n - 4);
  }
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".BAK") == 0) {
    key.replace(key.size() - 4, 4, ".DAT");
  }
  // An absolute name is a retired one: its tail is its name in the data
  // folder.
  const bool absolute = IsAbsolute(key);
  for (const LengthRule& rule : kRecordLengths) {
    std::string pattern = rule.pattern;
    if (absolute) pattern = "*\\" + pattern;
    if (WildcardMatch(pattern, key)) return rule.length;
  }
  return -1;
}

void RunReport::StepStarted(int step) {
  Finished();
  steps_.push_back({step, Clock::now()});
}

void RunReport::Finished() {
  if (!steps_.empty() && steps_.back().seconds < 0) {
    steps_.back().seconds =
        std::chrono::duration<double>(Clock::now() - steps_.back().start)
            .count();
  }
}

void RunReport::Message(const std::string& title, const std::string& text,
                        Icon icon) {
  messages_.push_back({title, text, icon, step()});
}

void RunReport::Changed(std::size_t item) {
  items_[item].step = step();
  if (!steps_.empty()) ++steps_.back().changes;
}

void RunReport::Detach(std::size_t item) {
  at_.erase(Folded(items_[item].current));
  items_[item].current.clear();
}

std::size_t RunReport::Add(const std::string& name, bool folder) {
  Item item;
  item.current = name;
  item.folder = folder;
  items_.push_back(item);
  at_[Folded(name)] = items_.size() - 1;
  return items_.size() - 1;
}

std::size_t RunReport::ItemOf(const std::string& name, bool existed,
                              bool folder) {
  const std::string key = Folded(name);
  auto it = at_.find(key);
  if (it != at_.end()) return it->second;
  if (!existed) return Add(name, folder);
  // Not seen yet: it was in its place before the run, unless a folder the
  // run moved or made holds it; then it came with that folder.
  std::string origin = name;
  for (std::size_t cut = key.rfind('\\'); cut != std::string::npos && cut > 0;
       cut = key.rfind('\\', cut - 1)) {
    auto above = at_.find(key.substr(0, cut));
    if (above == at_.end() || !items_[above->second].folder) continue;
    const Item& holder = items_[above->second];
    origin = holder.origin.empty() ? "" : holder.origin + name.substr(cut);
    break;
  }
  std::size_t item = Add(name, folder);
  items_[item].origin = origin;
  return item;
}

std::size_t RunReport::Opened(const std::string& name, bool existed) {
  std::size_t item = ItemOf(name, existed, false);
  if (!existed) Changed(item);
  return item;
}

void RunReport::Written(std::size_t file) {
  items_[file].written = true;
  Changed(file);
}

void RunReport::Written(const std::string& name) {
  Written(ItemOf(name, true, false));
}

void RunReport::Renamed(const std::string& from, const std::string& to,
                        bool folder) {
  std::size_t item = ItemOf(from, true, folder);
  items_[item].folder = folder;
  Detach(item);
  items_[item].current = to;
  at_[Folded(to)] = item;
  Changed(item);
  if (!folder) return;
  // What the folder holds moves with it.
  const std::string below = Folded(from) + "\\";
  std::vector<std::size_t> moved;
  for (auto it = at_.lower_bound(below);
       it != at_.end() && it->first.compare(0, below.size(), below) == 0;) {
    moved.push_back(it->second);
    it = at_.erase(it);
  }
  for (std::size_t inner : moved) {
    std::string& current = items_[inner].current;
    current = to + current.substr(from.size());
    at_[Folded(current)] = inner;
  }
}

void RunReport::Removed(const std::string& name, bool folder) {
  std::size_t item = ItemOf(name, true, folder);
  Detach(item);
  Changed(item);
}

void RunReport::MadeDir(const std::string& name) {
  Changed(ItemOf(name, false, true));
}

void RunReport::Copied(const std::string& to, bool existed) {
  // What the target held is gone.
  if (existed) {
    std::size_t replaced = ItemOf(to, true, false);
    Detach(replaced);
    items_[replaced].step = step();
  }
  std::size_t copy = Add(to, false);
  items_[copy].written = true;
  Changed(copy);
}

std::vector<FileOutcome> RunReport::Outcomes(Env& env) const {
  std::set<std::string> before;
  for (const Item& item : items_) {
    if (!item.origin.empty()) before.insert(Folded(item.origin));
  }
  std::vector<FileOutcome> out;
  for (const Item& item : items_) {
    FileOutcome outcome;
    outcome.kind = FileOutcome::Kind::kCreated;
    outcome.name = item.origin;
    outcome.step = item.step;
    outcome.folder = item.folder;
    if (item.origin.empty()) {
      // Made in the run. The folders on the way to the retirement folder
      // are not the data folder's.
      if (item.current.empty() || (item.folder && IsAbsolute(item.current))) {
        continue;
      }
      outcome.name = item.current;
      if (before.count(Folded(item.current))) {
        // In the place of a file of the same name.
        if (item.folder) continue;
        outcome.kind = FileOutcome::Kind::kRewritten;
      }
    } else if (item.current.empty()) {
      // Gone, but a file made in the run holds its name: it was edited
      // through a copy, told as that file rewritten.
      auto now = at_.find(Folded(item.origin));
      if (now != at_.end() && items_[now->second].origin.empty()) continue;
      outcome.kind = FileOutcome::Kind::kDeleted;
    } else if (Folded(item.current) == Folded(item.origin)) {
      if (!item.written || item.folder) continue;
      outcome.kind = FileOutcome::Kind::kRewritten;
    } else {
      outcome.kind = IsAbsolute(item.current) ? FileOutcome::Kind::kRetired
                                              : FileOutcome::Kind::kRenamed;
      outcome.new_name = item.current;
      outcome.rewritten = item.written;
    }
    if (!item.folder && outcome.kind != FileOutcome::Kind::kDeleted) {
      const std::string& now =
          outcome.new_name.empty() ? outcome.name : outcome.new_name;
      std::int64_t bytes;
      if (env.FileSize(now, &bytes)) {
        outcome.bytes = bytes;
        std::int64_t length = RecordLength(now);
        if (length > 0 && bytes % length == 0) outcome.records = bytes / length;
      }
    }
    out.push_back(std::move(outcome));
  }
  std::vector<std::pair<std::string, FileOutcome>> keyed;
  keyed.reserve(out.size());
  for (FileOutcome& o : out) keyed.emplace_back(Folded(o.name), std::move(o));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first, a.second.name, a.second.new_name) <
           std::tie(b.first, b.second.name, b.second.new_name);
  });
  out.clear();
  for (auto& [key, o] : keyed) out.push_back(std::move(o));
  return out;
}

std::vector<int> RunReport::StepsWithChanges() const {
  std::vector<int> steps;
  for (const StepTime& s : steps_) {
    if (s.changes > 0) steps.push_back(s.step);
  }
  return steps;
}

std::string RunReport::Summary(
    const std::vector<FileOutcome>& outcomes) const {
  struct Category {
    FileOutcome::Kind kind;
    const char* title;
  };
  constexpr Category kCategories[] = {
      {FileOutcome::Kind::kCreated, "criados"},
      {FileOutcome::Kind::kRewritten, "reescritos"},
      {FileOutcome::Kind::kRenamed, "renomeados"},
      {FileOutcome::Kind::kRetired, "retirados"},
      {FileOutcome::Kind::kDeleted, "apagados"},
  };
  std::string out;
  for (const Category& category : kCategories) {
    std::vector<const FileOutcome*> files;
    for (const FileOutcome& o : outcomes) {
      if (o.kind == category.kind) files.push_back(&o);
    }
    if (files.empty()) continue;
    // Retired files are named below the folder that holds them all.
    std::string folder;
    if (category.kind == FileOutcome::Kind::kRetired) {
      folder = files.front()->new_name;
      for (const FileOutcome* o : files) {
        std::size_t same = 0;
        while (same < folder.size() && same < o->new_name.size() &&
               folder[same] == o->new_name[same]) {
          ++same;
        }
        folder.resize(same);
      }
      folder.resize(folder.find_last_of("\\/") + 1);
    }
    out += std::string("Arquivos ") + category.title + ": " +
           FormatNumber(static_cast<double>(files.size()), 0);
    out += folder.empty() ? "\n" : " (para " + folder + ")\n";
    std::size_t shown =
        files.size() > kMostShown ? kShownWhenCut : files.size();
    for (std::size_t i = 0; i < shown; ++i) {
      const FileOutcome& o = *files[i];
      out += "  " + o.name;
      std::string to = o.new_name.substr(folder.size());
      if (!to.empty() && Folded(to) != Folded(o.name)) out += " -> " + to;
      if (o.folder) out += " (pasta)";
      if (o.rewritten) out += " (reescrito)";
      if (o.records >= 0) {
        out += ": " + Count(o.records, "registro", "registros");
      } else if (o.bytes >= 0) {
        out += ": " + Count(o.bytes, "byte", "bytes");
      }
      out += "\n";
    }
    if (shown < files.size()) {
      out += "  ... e mais " +
             Count(static_cast<std::int64_t>(files.size() - shown), "arquivo",
                   "arquivos") +
             "\n";
    }
  }
  if (outcomes.empty()) out += "Nenhum arquivo foi alterado.\n";
  if (!messages_.empty()) {
    out += "Mensagens mostradas: " +
           FormatNumber(static_cast<double>(messages_.size()), 0) + "\n";
    std::size_t shown =
        messages_.size() > kMostShown ? kShownWhenCut : messages_.size();
    for (std::size_t i = 0; i < shown; ++i) {
      out +=
          "  " + messages_[i].title + ": " + OneLine(messages_[i].text) + "\n";
    }
    if (shown < messages_.size()) {
      out += "  ... e mais " +
             Count(static_cast<std::int64_t>(messages_.size() - shown),
                   "mensagem", "mensagens") +
             "\n";
    }
  }
  if (!steps_.empty()) {
    out += "Tempo por etapa:";
    double total = 0;
    for (const StepTime& s : steps_) {
      double seconds =
          s.seconds >= 0
              ? s.seconds
              : std::chrono::duration<double>(Clock::now() - s.start).count();
      total += seconds;
      out += Format(" %d: %s s;", s.step, FormatNumber(seconds, 2).c_str());
    }
    out += " total " + FormatNumber(total, 2) + " s\n";
  }
  return out;
}

std::string RunReport::Json(const std::vector<FileOutcome>& outcomes) const {
  std::string out;
  // A line a file, of about this length: one allocation, not doubling
  // copies of a text of megabytes.
  out.reserve(256 + 170 * outcomes.size() + 200 * messages_.size());
  out += "{\"version\":1,\n\"steps\":[";
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const StepTime& s = steps_[i];
    double seconds =
        s.seconds >= 0
            ? s.seconds
            : std::chrono::duration<double>(Clock::now() - s.start).count();
    out += Format("%s{\"step\":%d,\"seconds\":%.3f,\"changes\":%d}",
                  i ? ",\n" : "\n", s.step, seconds, s.changes);
  }
  out += "],\n\"files\":[";
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    const FileOutcome& o = outcomes[i];
    out += i ? ",\n" : "\n";
    out += std::string("{\"change\":\"") + KindName(o.kind) + "\"";
    out += ",\"name\":" + JsonText(o.name);
    out += ",\"new_name\":" +
           (o.new_name.empty() ? std::string("null") : JsonText(o.new_name));
    out += ",\"bytes\":" + JsonNumber(o.bytes);
    out += ",\"records\":" + JsonNumber(o.records);
    out += Format(",\"step\":%d,\"rewritten\":%s,\"folder\":%s}", o.step,
                  o.rewritten ? "true" : "false", o.folder ? "true" : "false");
  }
  out += "],\n\"messages\":[";
  for (std::size_t i = 0; i < messages_.size(); ++i) {
    const Shown& m = messages_[i];
    out += i ? ",\n" : "\n";
    out += "{\"title\":" + JsonText(m.title) + ",\"text\":" + JsonText(m.text) +
           ",\"icon\":\"" + IconName(m.icon) + "\"" +
           Format(",\"step\":%d}", m.step);
  }
  out += "]}\n";
  return out;
}

Answer RecordingUi::MessageBox(const std::string& title,
                               const std::string& text, Icon icon,
                               Buttons buttons, int default_button) {
  report_.Message(title, text, icon);
  return base_.MessageBox(title, text, icon, buttons, default_button);
}

}  // namespace labrena
