#include "records/damaged.h"

#include <cstring>
#include <string_view>

#include "fields/numbers.h"

namespace labrena {
namespace {

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

}  // namespace

bool DataEnd::After(std::int64_t offset) {
  if (offset < data_before_) return false;
  std::int64_t kept = file_->Tell();
  bool only_marks = file_->Seek(offset + 1);
  for (int c = file_->Getc(); only_marks && c != FileStream::kEof;
       c = file_->Getc()) {
    if (c != kEndMark && !IsLineEnd(c)) {
      only_marks = false;
      data_before_ = file_->Tell() - 1;
    }
  }
  file_->Seek(kept);
  return only_marks;
}

bool RecordReader::Next(std::string* record) {
  if (done_) return false;
  record->assign(length_, ' ');
  std::int64_t start = file_->Tell();
  std::size_t got = file_->Read(record->data(), length_);
  if (got < length_) done_ = true;
  if (got == 0) return false;
  // Most records hold no line end and no end mark: three scans of the
  // whole record find that out faster than a look at every character.
  const char* data = record->data();
  bool clean = !std::memchr(data, '\r', got) && !std::memchr(data, '\n', got) &&
               !std::memchr(data, kEndMark, got);
  if (!clean || got < length_) clean_ = false;
  bool repaired = false;
  for (std::size_t i = 0; !clean && i < got; ++i) {
    char& c = (*record)[i];
    if (c == kEndMark && end_.After(start + static_cast<std::int64_t>(i))) {
      // Only end marks and line ends follow: the data ends here.
      record->replace(i, length_ - i, length_ - i, ' ');
      got = i;
      done_ = true;
      break;
    }
    if (c == kEndMark || IsLineEnd(c)) {
      c = ' ';
      repaired = repaired || i < data_length_;
    }
  }
  if (got == 0) return false;
  // A remnant of line ends or blanks after the last record is no record.
  if (got < length_ &&
      record->find_first_not_of(std::string_view(" \0", 2)) >= got) {
    return false;
  }
  if (repaired) ++repaired_;
  return true;
}

void WriteBack(FileStream* file, std::int64_t start, const std::string& record,
               std::initializer_list<Changed> changed) {
  std::int64_t length = static_cast<std::int64_t>(record.size());
  if (start + length > file->Size()) {
    file->Seek(start);
    file->Write(record);
  } else {
    std::string_view bytes(record);
    for (const Changed& range : changed) {
      file->Seek(start + static_cast<std::int64_t>(range.from));
      file->Write(bytes.substr(range.from, range.length));
    }
  }
  file->Seek(start + length);
}

int SeparatedReader::Next() {
  if (ended_) return FileStream::kEof;
  int c = file_->Getc();
  if (c == '\r') {
    std::int64_t after = file_->Tell();
    if (file_->Getc() != '\n') file_->Seek(after);
    // A CR, or a CR LF, is one line end.
    return '\n';
  }
  if (c == kEndMark && end_.After(file_->Tell() - 1)) {
    ended_ = true;
    return FileStream::kEof;
  }
  if (c == FileStream::kEof) ended_ = true;
  return c;
}

bool SeparatedReader::AtEnd() {
  if (ended_) return true;
  std::int64_t at = file_->Tell();
  int c = file_->Getc();
  if (c == FileStream::kEof) return true;
  file_->Seek(at);
  return (IsLineEnd(c) || c == kEndMark) && end_.After(at);
}

bool SeparatedReader::Field(std::size_t width, std::string* value) {
  value->clear();
  while (value->size() < width) {
    int c = Next();
    if (c == FileStream::kEof) return !value->empty();
    if (IsLineEnd(c) || c == kEndMark) {
      c = ' ';
      record_repaired_ = true;
    }
    value->push_back(static_cast<char>(c));
  }
  return true;
}

void SeparatedReader::Separator() { Next(); }

void SeparatedReader::EndRecord() {
  if (record_repaired_) ++repaired_;
  record_repaired_ = false;
}

void ReportRepaired(Context& ctx, const std::string& name,
                    std::int64_t records) {
  if (records <= 0) return;
  ctx.ui.MessageBox(
      "Convers\xE3o",
      Format("O arquivo %s tinha %lld registro(s) com quebras de linha ou "
             "marcas de fim de arquivo no meio dos campos.\nEsses caracteres "
             "foram lidos como espa\xE7os e os registros foram convertidos. "
             "Confira-os.",
             name.c_str(), static_cast<long long>(records)),
      Icon::kWarning, Buttons::kOk);
}

}  // namespace labrena
