// The second conversion step: the worker register and its payroll-item
// blocks, the receipts per year and per worker, the other registers, the
// counters and the final renames.
#include "convert/step2_internal.h"
#include "convert/steps.h"
#include "platform/names.h"

namespace labrena {

std::string BuildRecord(std::string_view old_record,
                        std::span<const NewField> fields,
                        std::initializer_list<std::string_view> computed) {
  std::string record;
  auto next = computed.begin();
  for (const NewField& field : fields) {
    std::string_view value;
    if (field.from == kComputed) {
      if (next != computed.end()) value = *next++;
    } else if (field.length > 0 &&
               static_cast<std::size_t>(field.from) < old_record.size()) {
      value = old_record.substr(static_cast<std::size_t>(field.from),
                                static_cast<std::size_t>(field.length));
    }
    std::size_t width = static_cast<std::size_t>(field.width);
    std::size_t start = record.size();
    record.append(CText(value).substr(0, width));
    record.resize(start + width, ' ');
  }
  return record;
}

bool RecordReader::Next(std::string* record) {
  if (done_) return false;
  record->assign(length_, ' ');
  std::size_t got = file_->Read(record->data(), length_);
  if (got < length_) done_ = true;
  std::size_t end = record->find('\x1A');
  if (end < got) {
    got = end;
    done_ = true;
  }
  bool has_text = false;
  for (std::size_t i = 0; i < length_; ++i) {
    char& c = (*record)[i];
    if (i >= got || c == '\r' || c == '\n') c = ' ';
    if (c != ' ' && c != '\0') has_text = true;
  }
  if (got == 0) return false;
  // A remnant of line ends or blanks after the last record is no record.
  return got == length_ || has_text;
}

FileStream* Outputs::Get(const std::string& name) {
  std::string key = UpperAscii(name);
  auto it = open_.find(key);
  if (it != open_.end()) return it->second.get();
  if (open_.size() >= kMaxOpen) CloseAll();
  bool existed = env_.Exists(name);
  File file = OpenText(env_, name, OpenMode::kAppend);
  if (!file) return nullptr;
  if (!existed) created_.push_back(name);
  std::size_t partial = static_cast<std::size_t>(file->Size()) % record_length_;
  if (partial != 0 &&
      !file->Write(std::string(record_length_ - partial, ' '))) {
    failed_ = true;
  }
  return open_.emplace(key, std::move(file)).first->second.get();
}

bool Outputs::Write(FileStream* file, std::string_view record) {
  if (!failed_ && !file->Write(record)) failed_ = true;
  return !failed_;
}

void Outputs::CloseAll() {
  for (auto& [key, file] : open_) {
    if (!file->Close()) failed_ = true;
  }
  open_.clear();
}

bool Outputs::Finish() {
  CloseAll();
  if (!failed_) return true;
  for (const std::string& name : created_) env_.Remove(name);
  created_.clear();
  return false;
}

bool IsFile(Env& env, const std::string& name) {
  return env.Exists(name) && !env.IsDirectory(name);
}

void ConvertSecondStep(Context& ctx) {
  // The worker register goes first: it takes its next-period dates from
  // F310.DAT, which the yearly receipts then retire. After a failure the
  // step ends, so nothing that a later run still needs is retired.
  if (!ConvertWorkerRegister(ctx) || !ConvertYearReceipts(ctx)) return;
  RetireOldReceipts(ctx);
  if (!ConvertWorkerReceipts(ctx) || !ConvertTaxGuides(ctx) ||
      !ConvertUnionRegister(ctx) || !ConvertF07Register(ctx) ||
      !ConvertResponsible(ctx) || !ConvertF02Register(ctx)) {
    return;
  }
  MoveCounters(ctx);
  RenameConvertedFiles(ctx);
}

}  // namespace labrena
