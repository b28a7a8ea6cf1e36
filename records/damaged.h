// Reading old record files as customers' folders hold them: with a line end
// or a DOS end-of-file mark (0x1A) typed into a field, and cut short by a
// crash. Every reader of old records goes through here, so that all of them
// keep in step the same way and tell the user what they repaired.
//
// The rule: records are read by position at their full width; CR, LF and a
// 0x1A that is followed by more data read as blanks; the data ends at a 0x1A
// only when nothing but end marks and line ends follows it.
#ifndef LABRENA_RECORDS_DAMAGED_H_
#define LABRENA_RECORDS_DAMAGED_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/context.h"
#include "platform/file_stream.h"

namespace labrena {

constexpr char kEndMark = '\x1A';

// Tells, for bytes of one file opened in binary, where its data ends.
class DataEnd {
 public:
  explicit DataEnd(FileStream* file) : file_(file) {}
  // True when nothing but end marks and line ends follows the offset (the
  // byte at offset itself is not looked at). The position is kept.
  bool After(std::int64_t offset);

 private:
  FileStream* file_;
  // Data is known to follow every offset before this one.
  std::int64_t data_before_ = -1;
};

// Reads a file of fixed-length records (opened in binary) record by record,
// each from its own position, so a stray byte never shifts the records after
// it. A last record cut short is completed with blanks, unless it holds
// nothing but blanks (a remnant of line ends after the last record).
class RecordReader {
 public:
  RecordReader(FileStream* file, std::size_t length)
      : file_(file), length_(length), data_length_(length), end_(file) {}
  // Records that end in a line end of terminator characters (CR LF), which
  // read as blanks without counting as a repair.
  RecordReader(FileStream* file, std::size_t length, std::size_t terminator)
      : file_(file),
        length_(length),
        data_length_(length - terminator),
        end_(file) {}

  // The next record, exactly length characters; false at the end of data.
  bool Next(std::string* record);
  // True when the file could not be read (as opposed to ending).
  bool failed() const { return file_->error(); }
  // Records in which a line end or an end mark was read as blanks.
  std::int64_t repaired() const { return repaired_; }
  // True while every record read was whole and held no line end and no end
  // mark: the bytes read back after an edit in place split the same way.
  bool clean() const { return clean_; }

 private:
  FileStream* file_;
  std::size_t length_;
  std::size_t data_length_;  // the characters before the terminator
  DataEnd end_;
  bool done_ = false;
  bool clean_ = true;
  std::int64_t repaired_ = 0;
};

// One range of a record that an edit in place changed.
struct Changed {
  std::size_t from;
  std::size_t length;
};

// Writes the changed ranges of a record that a RecordReader read at start
// back into the file, and positions the file at the next record. A record
// cut short by the end of the file is written whole, completed with blanks.
void WriteBack(FileStream* file, std::int64_t start, const std::string& record,
               std::initializer_list<Changed> changed);

// Reads a file whose records are fields each followed by one separator
// character (opened in binary; CR LF counts as one character, as the text
// mode that wrote it made it). Fields are read at their full width.
class SeparatedReader {
 public:
  explicit SeparatedReader(FileStream* file) : file_(file), end_(file) {}

  // True when only line ends and end marks remain: no record follows.
  bool AtEnd();
  // Reads a field of width characters; false when the data had ended
  // before its first character. A field cut short by the end of the data
  // holds what was there.
  bool Field(std::size_t width, std::string* value);
  // Reads and throws away the separator.
  void Separator();
  // Counts the record just read when one of its fields was repaired.
  void EndRecord();

  bool failed() const { return file_->error(); }
  std::int64_t repaired() const { return repaired_; }

 private:
  // The next character with CR LF folded into LF; kEof at the end of the
  // data.
  int Next();

  FileStream* file_;
  DataEnd end_;
  bool ended_ = false;
  bool record_repaired_ = false;
  std::int64_t repaired_ = 0;
};

// Tells the user, once per file, how many of its records were repaired, so
// that they can check them.
void ReportRepaired(Context& ctx, const std::string& name,
                    std::int64_t records);

}  // namespace labrena

#endif  // LABRENA_RECORDS_DAMAGED_H_
