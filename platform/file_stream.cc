#include "platform/file_stream.h"

#include <algorithm>
#include <cstring>

namespace labrena {

FileStream::FileStream(std::unique_ptr<OsFile> file, OpenMode mode, bool text,
                       std::int64_t size)
    : file_(std::move(file)),
      mode_(mode),
      text_(text),
      size_(size),
      capacity_(static_cast<std::size_t>(std::clamp<std::int64_t>(
          size, kLeastBuffer, kMostBuffer))),
      cache_(new char[capacity_]) {
  if (mode_ == OpenMode::kAppend) pos_ = size_;
}

FileStream::~FileStream() { Close(); }

bool FileStream::Fill() {
  if (pos_ >= cache_start_ &&
      pos_ < cache_start_ + static_cast<std::int64_t>(cache_len_)) {
    return true;
  }
  if (!Flush()) return false;
  if (pos_ >= size_) RefreshSize();
  if (pos_ >= size_) return false;
  GrowIfSequential();
  cache_start_ = pos_;
  cache_len_ = 0;
  std::size_t got = 0;
  if (!file_->ReadAt(pos_, cache_.get(), capacity_, &got)) {
    error_ = true;
    return false;
  }
  cache_len_ = got;
  return got > 0;
}

int FileStream::RawByteAt(std::int64_t offset) {
  std::int64_t saved = pos_;
  pos_ = offset;
  int c = Fill() ? static_cast<unsigned char>(cache_[pos_ - cache_start_])
                 : kEof;
  pos_ = saved;
  return c;
}

int FileStream::Getc() {
  if (!Fill()) {
    eof_ = true;
    return kEof;
  }
  int c = static_cast<unsigned char>(cache_[pos_ - cache_start_]);
  if (text_) {
    if (c == 0x1A) {
      eof_ = true;
      return kEof;
    }
    if (c == '\r' && RawByteAt(pos_ + 1) == '\n') {
      pos_ += 2;
      return '\n';
    }
  }
  ++pos_;
  return c;
}

bool FileStream::Gets(std::string* out, std::size_t n) {
  out->clear();
  std::size_t count = 0;
  bool cut = false;
  while (count < n) {
    int c = Getc();
    if (c == kEof) break;
    ++count;
    if (c == 0) cut = true;
    if (!cut) out->push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return count > 0;
}

std::size_t FileStream::Read(char* buf, std::size_t n) {
  std::size_t count = 0;
  if (!text_) {
    while (count < n && Fill()) {
      std::size_t avail =
          cache_len_ - static_cast<std::size_t>(pos_ - cache_start_);
      std::size_t take = std::min(avail, n - count);
      std::memcpy(buf + count, cache_.get() + (pos_ - cache_start_), take);
      count += take;
      pos_ += static_cast<std::int64_t>(take);
    }
    if (count < n) eof_ = true;
    return count;
  }
  while (count < n) {
    int c = Getc();
    if (c == kEof) break;
    buf[count++] = static_cast<char>(c);
  }
  return count;
}

bool FileStream::WriteRaw(const char* data, std::size_t n) {
  if (closed_) return false;
  if (n == 0) return true;
  if (mode_ == OpenMode::kRead) {
    error_ = true;
    return false;
  }
  if (mode_ == OpenMode::kAppend) pos_ = size_;
  std::int64_t cache_end = cache_start_ + static_cast<std::int64_t>(cache_len_);
  bool fits = pos_ >= cache_start_ && pos_ <= cache_end &&
              pos_ + static_cast<std::int64_t>(n) <=
                  cache_start_ + static_cast<std::int64_t>(capacity_);
  if (!fits) {
    if (!Flush()) return false;
    if (n > capacity_) {
      cache_len_ = 0;  // the cache would hold stale bytes
      if (!file_->WriteAt(pos_, data, n)) {
        error_ = true;
        return false;
      }
      pos_ += static_cast<std::int64_t>(n);
      size_ = std::max(size_, pos_);
      return true;
    }
    GrowIfSequential();
    cache_start_ = pos_;
    cache_len_ = 0;
  }
  std::size_t at = static_cast<std::size_t>(pos_ - cache_start_);
  std::memcpy(cache_.get() + at, data, n);
  cache_len_ = std::max(cache_len_, at + n);
  std::int64_t lo = pos_, hi = pos_ + static_cast<std::int64_t>(n);
  if (dirty_hi_ <= dirty_lo_) {
    dirty_lo_ = lo;
    dirty_hi_ = hi;
  } else {
    dirty_lo_ = std::min(dirty_lo_, lo);
    dirty_hi_ = std::max(dirty_hi_, hi);
  }
  pos_ = hi;
  size_ = std::max(size_, pos_);
  eof_ = false;
  return true;
}

bool FileStream::Write(std::string_view bytes) {
  return WriteRaw(bytes.data(), bytes.size());
}

bool FileStream::WritePadded(std::string_view text, std::size_t width) {
  std::size_t len = text.find('\0');
  if (len == std::string_view::npos) len = text.size();
  std::string field(text.substr(0, len));
  if (field.size() < width) field.append(width - field.size(), ' ');
  return WriteRaw(field.data(), field.size());
}

bool FileStream::Seek(std::int64_t offset) {
  if (offset < 0 || closed_) return false;
  pos_ = offset;
  eof_ = false;
  return true;
}

bool FileStream::SeekEnd() {
  RefreshSize();
  return Seek(size_);
}

void FileStream::RefreshSize() {
  // Another open file of the same name may have made the file longer.
  std::int64_t os_size = 0;
  if (file_->Size(&os_size) && os_size > size_) size_ = os_size;
}

void FileStream::GrowIfSequential() {
  // A file gone through from one full cache to the next takes fewer calls
  // with a larger one.
  if (capacity_ < kMostBuffer && cache_len_ == capacity_ &&
      pos_ == cache_start_ + static_cast<std::int64_t>(cache_len_)) {
    capacity_ = std::min(capacity_ * 2, kMostBuffer);
    cache_.reset(new char[capacity_]);
    cache_len_ = 0;
  }
}

bool FileStream::Flush() {
  if (dirty_hi_ <= dirty_lo_) return !error_;
  const char* data = cache_.get() + (dirty_lo_ - cache_start_);
  std::size_t n = static_cast<std::size_t>(dirty_hi_ - dirty_lo_);
  if (!file_->WriteAt(dirty_lo_, data, n)) error_ = true;
  dirty_lo_ = dirty_hi_ = 0;
  return !error_;
}

bool FileStream::Close() {
  if (closed_) return !error_;
  Flush();
  if (!file_->Close()) error_ = true;
  closed_ = true;
  return !error_;
}

}  // namespace labrena
