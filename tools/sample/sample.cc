#include "tools/sample/sample.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "tools/sample/builders.h"
#include "tools/template/rubric_template.h"

namespace labrena {
namespace sample {
namespace {

using RecordDamage = std::vector<const Damage*>;

// The bytes a damage puts in place of one character, or after the last
// record; a cut puts none.
const char* DamageBytes(DamageKind kind) {
  switch (kind) {
    case DamageKind::kCr:
      return "\r";
    case DamageKind::kLf:
      return "\n";
    case DamageKind::kCrLf:
      return "\r\n";
    case DamageKind::kLineEndAndEndMarkAfter:
      return "\r\n\x1A";
    case DamageKind::kCut:
      return "";
    case DamageKind::kEndMark:
    case DamageKind::kEndMarkAfter:
      break;
  }
  return "\x1A";
}

// Puts the damage of one record into its bytes: in place of a character, or
// cutting the record short.
void PutDamage(const RecordDamage& damage, std::string* text) {
  for (const Damage* d : damage) {
    if (d->kind == DamageKind::kCut) {
      text->resize(d->offset);
    } else {
      text->replace(d->offset, 1, DamageBytes(d->kind));
    }
  }
}

// The damage of the folder by file and record.
class DamageMap {
 public:
  explicit DamageMap(const std::vector<Damage>& damage) {
    for (const Damage& d : damage) {
      if (d.InRecord() || d.kind == DamageKind::kCut) {
        records_[{d.file, d.record}].push_back(&d);
      } else {
        ends_[d.file] += DamageBytes(d.kind);
      }
    }
  }

  // The damage of one record; empty for most.
  const RecordDamage& Of(const std::string& file, std::size_t record) const {
    if (records_.empty()) return none_;
    auto it = records_.find({file, record});
    return it == records_.end() ? none_ : it->second;
  }
  // What follows the last record of a file.
  std::string End(const std::string& file) const {
    auto it = ends_.find(file);
    return it == ends_.end() ? std::string() : it->second;
  }

 private:
  std::map<std::pair<std::string, std::size_t>, RecordDamage> records_;
  std::map<std::string, std::string> ends_;
  const RecordDamage none_;
};

// A record of a separated file: each field at its full width, then the
// separator. A line end typed into a field is one of its characters.
template <std::size_t N>
std::string SeparatedText(const Register& r, const int (&widths)[N],
                          const RecordDamage& damage) {
  std::string text;
  for (std::size_t i = 0; i < N; ++i) {
    std::string field = Pad(r.fields[i], widths[i]);
    for (const Damage* d : damage) {
      if (d->field == static_cast<int>(i)) PutDamage({d}, &field);
    }
    text += field;
    text += kFieldSeparator;
  }
  text += r.items.text;
  for (const Damage* d : damage) {
    if (d->field < 0) PutDamage({d}, &text);
  }
  return text;
}

// Hands every file of the folder to a sink, record by record, so that a
// large folder is never held in memory as bytes.
template <typename Sink>
void EmitFiles(const SampleFolder& f, Sink& sink) {
  const DamageMap damage(f.damage);
  auto record = [&sink, &damage](const std::string& file, std::size_t i,
                                 const std::string& text) {
    const RecordDamage& d = damage.Of(file, i);
    if (d.empty()) {
      sink.Write(text);
      return;
    }
    std::string damaged = text;
    PutDamage(d, &damaged);
    sink.Write(damaged);
  };
  auto end = [&sink, &damage](const std::string& file) {
    std::string bytes = damage.End(file);
    if (!bytes.empty()) sink.Write(bytes);
    sink.End();
  };
  auto separated = [&sink, &damage](const char* file,
                                    const std::vector<Register>& rs,
                                    const auto& widths) {
    sink.Begin(file);
    for (std::size_t i = 0; i < rs.size(); ++i) {
      sink.Write(SeparatedText(rs[i], widths, damage.Of(file, i)));
    }
  };
  auto records = [&sink, &record, &end](const std::string& file,
                                        const auto& texts) {
    sink.Begin(file);
    std::size_t i = 0;
    for (const std::string& text : texts) record(file, i++, text);
    end(file);
  };

  auto whole = [&sink](const std::string& file, const std::string& bytes) {
    sink.Begin(file);
    sink.Write(bytes);
    sink.End();
  };

  for (const char* folder : {"R27", "R61", "R62"}) sink.Folder(folder);

  separated("FX0.DAT", f.employers, kFx0Widths);
  if (f.dos_end_mark) sink.Write("\x1A");
  end("FX0.DAT");
  separated("FW0.DAT", f.service_takers, kFw0Widths);
  end("FW0.DAT");
  separated("FY0.DAT", f.workers, kFy0Widths);
  end("FY0.DAT");

  records("FZ0.DAT", f.dependants);
  records("RESP.DAT", f.responsibles);

  const std::string monthly = "REG\\REGFE.DAT";
  sink.Begin(monthly);
  for (std::size_t i = 0; i < f.receipts.size(); ++i) {
    std::string text = f.receipts[i].Text();
    if (i + 1 == f.receipts.size()) text.resize(f.last_receipt_bytes);
    record(monthly, i, text);
  }
  end(monthly);
  records("REG\\REGRE.DAT", f.terminations);
  for (const ExtraReceiptFile& file : f.extra_receipts) {
    std::string name = "REG\\" + file.name;
    sink.Begin(name);
    for (std::size_t i = 0; i < file.records.size(); ++i) {
      record(name, i, file.records[i].Text());
    }
    end(name);
  }
  for (const GuideFile& file : f.guides) {
    std::string name = file.Name();
    sink.Begin(name);
    for (std::size_t i = 0; i < file.records.size(); ++i) {
      record(name, i, file.records[i].Text());
    }
    end(name);
  }

  records("F306.DAT", f.unions);
  records("F307.DAT", f.departments);
  records("CONFIGA.DAT", f.counters);
  records("F308.DAT", f.leaves);
  records("F309.DAT", f.holidays);
  records("C04B.DAT", f.rubrics);
  whole(tmpl::kRubricTemplateName, f.rubric_template);
  whole("D11.DEN", f.d11);
  for (const NamedFile& file : f.temp_files) whole(file.name, file.bytes);
  for (const NamedFile& file : f.obsolete_files) whole(file.name, file.bytes);

  records("F07.DAT", f.old_f07);
  records("F40.DAT", f.f40);
  records("F04R0.DAT", f.f04r0);
  for (const YearFile& file : f.r63) records(file.name, file.records);
  for (const YearFile& file : f.r69) records(file.name, file.records);
  for (const NamedFile& file : f.digit_files) whole(file.name, file.bytes);
  for (const NamedFile& file : f.work_files) whole(file.name, file.bytes);
}

class MemorySink {
 public:
  void Folder(const std::string& name) { files_.push_back({name + "\\", ""}); }
  void Begin(const std::string& name) { files_.push_back({name, ""}); }
  void Write(const std::string& bytes) { files_.back().bytes += bytes; }
  void End() {}
  std::vector<NamedFile> Take() { return std::move(files_); }

 private:
  std::vector<NamedFile> files_;
};

class DiskSink {
 public:
  explicit DiskSink(const std::string& dir) : dir_(dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    if (ec) Fail(dir_);
  }
  void Folder(const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories(PathOf(name), ec);
    if (ec) Fail(PathOf(name));
  }
  void Begin(const std::string& name) {
    std::filesystem::path path = PathOf(name);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    path_ = path;
    out_.open(path, std::ios::binary | std::ios::trunc);
  }
  void Write(const std::string& bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void End() {
    out_.close();
    if (!out_) Fail(path_);
    out_.clear();
  }
  const std::string& error() const { return error_; }

  // A file at a path of the system's own: on POSIX a '\' in it is part of
  // a name, not a separator.
  void Put(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    path_ = path;
    out_.open(path, std::ios::binary | std::ios::trunc);
    Write(bytes);
    End();
  }
  // A symbolic link, in place of whatever had the name.
  void Link(const std::string& name, const std::string& target) {
    std::filesystem::path path = PathOf(name);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::filesystem::create_symlink(target, path, ec);
    if (ec) Fail(path);
  }
  const std::filesystem::path& dir() const { return dir_; }
  // A file in the folder that holds dir.
  std::filesystem::path Beside(const std::string& name) const {
    std::error_code ec;
    std::filesystem::path dir =
        std::filesystem::absolute(dir_, ec).lexically_normal();
    if (!dir.has_filename()) dir = dir.parent_path();
    return dir.parent_path() / name;
  }

 private:
  std::filesystem::path PathOf(std::string name) const {
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    return dir_ / name;
  }
  void Fail(const std::filesystem::path& path) {
    if (error_.empty()) error_ = "cannot write " + path.string();
  }

  std::filesystem::path dir_;
  std::ofstream out_;
  std::filesystem::path path_;
  std::string error_;
};

// The damaged names are POSIX folders' own: Windows holds no name with a
// backslash nor two names that differ only in letter case, and makes
// symbolic links for administrators only.
#ifdef _WIN32
constexpr bool kDamagedNames = false;
#else
constexpr bool kDamagedNames = true;
#endif

void WriteTwins(const SampleFolder& folder, DiskSink& sink) {
  for (const NamedFile& file : folder.leaves_twins) {
    sink.Begin(file.name);
    sink.Write(file.bytes);
    sink.End();
  }
}

void WriteDamagedNames(const SampleFolder& folder, DiskSink& sink) {
  for (const BackslashFile& file : folder.backslash_files) {
    sink.Put(sink.dir() / file.folder / file.name, file.bytes);
  }
  for (const NamedFile& file : folder.beside_files) {
    sink.Put(sink.Beside(file.name), file.bytes);
  }
  for (const SymbolicLink& link : folder.links) {
    sink.Link(link.name, link.target);
  }
}

}  // namespace

SampleFolder BuildSampleFolder(const SampleOptions& options) {
  SampleFolder folder;
  folder.options = options;
  BuildRegisters(options, &folder);
  BuildFifthStepInputs(options, &folder);
  BuildReceipts(options, &folder);
  BuildTables(options, &folder);
  if (options.damage) BuildDamage(options, &folder);
  return folder;
}

std::vector<NamedFile> SampleFiles(const SampleFolder& folder) {
  MemorySink sink;
  EmitFiles(folder, sink);
  return sink.Take();
}

bool WriteSampleFolder(const SampleFolder& folder, const std::string& dir,
                       std::string* error) {
  DiskSink sink(dir);
  if (sink.error().empty()) {
    // Either twin may be created first: the order of creation is what a
    // listing in raw order would follow.
    if (kDamagedNames && folder.twins_first) WriteTwins(folder, sink);
    EmitFiles(folder, sink);
    if (kDamagedNames && !folder.twins_first) WriteTwins(folder, sink);
    if (kDamagedNames) WriteDamagedNames(folder, sink);
  }
  *error = sink.error();
  return error->empty();
}

}  // namespace sample
}  // namespace labrena
