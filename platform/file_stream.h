// A buffered open file with the C runtime's semantics, on top of an OsFile:
// the product's routines read with fgets/fgetc and write formatted text, and
// this class gives them exactly that behaviour on every system.
//
// Positions are byte offsets in the file. In text mode reads translate as the
// product's runtime does: CR LF reads as LF, and a 0x1A byte (the DOS
// end-of-file mark) reads as the end of the file. Writes are never translated.
#ifndef LABRENA_PLATFORM_FILE_STREAM_H_
#define LABRENA_PLATFORM_FILE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace labrena {

class FileStream {
 public:
  static constexpr int kEof = -1;
  // The cache: a large file's size up to the most, so that it is read and
  // written in few calls; never less than the least.
  static constexpr std::size_t kLeastBuffer = 64 * 1024;
  static constexpr std::size_t kMostBuffer = 1024 * 1024;

  FileStream(std::unique_ptr<OsFile> file, OpenMode mode, bool text,
             std::int64_t size);
  ~FileStream();
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Next character (0 to 255), or kEof.
  int Getc();
  // Reads at most n characters, stopping after a line feed (fgets with a
  // buffer of n + 1). False when nothing could be read. The value is C text:
  // it ends at the first zero byte read.
  bool Gets(std::string* out, std::size_t n);
  // Reads at most n characters (fread); returns the count.
  std::size_t Read(char* buf, std::size_t n);

  // Writes the bytes at the current position (at the end in append mode).
  bool Write(std::string_view bytes);
  // Writes text left-justified and blank-padded to width ("%-*s"); a longer
  // text is written whole. The text ends at its first zero byte, as C text.
  bool WritePadded(std::string_view text, std::size_t width);

  // Absolute positioning; false for a negative offset.
  bool Seek(std::int64_t offset);
  bool SeekEnd();
  std::int64_t Tell() const { return pos_; }
  std::int64_t Size() const { return size_; }

  // Writes pending bytes to the file.
  bool Flush();
  // Flushes and closes; false when any write failed.
  bool Close();

  bool eof() const { return eof_; }
  bool error() const { return error_; }

 private:
  // Makes the byte at pos_ available in the cache; false at the end.
  bool Fill();
  bool WriteRaw(const char* data, std::size_t n);
  void RefreshSize();
  // Doubles the cache, up to the most, when the next window follows a full
  // one.
  void GrowIfSequential();
  int RawByteAt(std::int64_t offset);

  std::unique_ptr<OsFile> file_;
  OpenMode mode_;
  bool text_;
  std::int64_t size_;  // the file's size including unwritten bytes
  std::int64_t pos_ = 0;
  // The cache holds the file's bytes from cache_start_ on; the bytes from
  // dirty_lo_ to dirty_hi_ (file offsets) are not yet written.
  // Not cleared when allocated: only the bytes read or written are used.
  std::size_t capacity_;
  std::unique_ptr<char[]> cache_;
  std::int64_t cache_start_ = 0;
  std::size_t cache_len_ = 0;
  std::int64_t dirty_lo_ = 0, dirty_hi_ = 0;
  bool eof_ = false;
  bool error_ = false;
  bool closed_ = false;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_FILE_STREAM_H_
