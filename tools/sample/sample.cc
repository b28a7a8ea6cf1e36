#include "tools/sample/sample.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/sample/builders.h"

namespace labrena {
namespace sample {
namespace {

// A record of a separated file: each field at its full width, then the
// separator.
template <std::size_t N>
std::string SeparatedText(const Register& r, const int (&widths)[N]) {
  std::string text;
  for (std::size_t i = 0; i < N; ++i) {
    text += Pad(r.fields[i], widths[i]);
    text += kFieldSeparator;
  }
  return text + r.items.text;
}

// Hands every file of the folder to a sink, record by record, so that a
// large folder is never held in memory as bytes.
template <typename Sink>
void EmitFiles(const SampleFolder& f, Sink& sink) {
  for (const char* folder : {"R27", "R61", "R62"}) sink.Folder(folder);

  sink.Begin("FX0.DAT");
  for (const Register& r : f.employers)
    sink.Write(SeparatedText(r, kFx0Widths));
  if (f.dos_end_mark) sink.Write("\x1A");
  sink.End();
  sink.Begin("FW0.DAT");
  for (const Register& r : f.service_takers)
    sink.Write(SeparatedText(r, kFw0Widths));
  sink.End();
  sink.Begin("FY0.DAT");
  for (const Register& r : f.workers) sink.Write(SeparatedText(r, kFy0Widths));
  sink.End();

  auto records = [&sink](const char* name, const auto& texts) {
    sink.Begin(name);
    for (const std::string& text : texts) sink.Write(text);
    sink.End();
  };
  records("FZ0.DAT", f.dependants);
  records("RESP.DAT", f.responsibles);

  sink.Begin("REG\\REGFE.DAT");
  for (std::size_t i = 0; i < f.receipts.size(); ++i) {
    std::string text = f.receipts[i].Text();
    if (i + 1 == f.receipts.size()) text.resize(f.last_receipt_bytes);
    sink.Write(text);
  }
  sink.End();
  records("REG\\REGRE.DAT", f.terminations);
  for (const ExtraReceiptFile& file : f.extra_receipts) {
    sink.Begin("REG\\" + file.name);
    for (const ExtraReceipt& r : file.records) sink.Write(r.Text());
    sink.End();
  }
  for (const GuideFile& file : f.guides) {
    sink.Begin(file.Name());
    for (const Guide& g : file.records) sink.Write(g.Text());
    sink.End();
  }

  records("F306.DAT", f.unions);
  records("F307.DAT", f.departments);
  records("CONFIGA.DAT", f.counters);
  records("F308.DAT", f.leaves);
  records("F309.DAT", f.holidays);
  records("C04B.DAT", f.rubrics);
  for (const NamedFile& file : f.temp_files) {
    sink.Begin(file.name);
    sink.Write(file.bytes);
    sink.End();
  }
  for (const NamedFile& file : f.obsolete_files) {
    sink.Begin(file.name);
    sink.Write(file.bytes);
    sink.End();
  }
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
    if (ec) Fail(dir);
  }
  void Folder(const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories(PathOf(name), ec);
    if (ec) Fail(name);
  }
  void Begin(const std::string& name) {
    std::filesystem::path path = PathOf(name);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    name_ = name;
    out_.open(path, std::ios::binary | std::ios::trunc);
  }
  void Write(const std::string& bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void End() {
    out_.close();
    if (!out_) Fail(name_);
    out_.clear();
  }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path PathOf(std::string name) const {
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    return dir_ / name;
  }
  void Fail(const std::string& name) {
    if (error_.empty()) error_ = "cannot write " + (dir_ / name).string();
  }

  std::filesystem::path dir_;
  std::ofstream out_;
  std::string name_;
  std::string error_;
};

}  // namespace

SampleFolder BuildSampleFolder(const SampleOptions& options) {
  SampleFolder folder;
  folder.options = options;
  BuildRegisters(options, &folder);
  BuildReceipts(options, &folder);
  BuildTables(options, &folder);
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
  if (sink.error().empty()) EmitFiles(folder, sink);
  *error = sink.error();
  return error->empty();
}

}  // namespace sample
}  // namespace labrena
