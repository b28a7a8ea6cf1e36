// The new files of one conversion, written so that a failure loses nothing:
// until the conversion stands, every file it created can be removed and
// every file it appended to cut back to its old length.
#ifndef LABRENA_RECORDS_OUTPUTS_H_
#define LABRENA_RECORDS_OUTPUTS_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_file.h"

namespace labrena {

class Outputs {
 public:
  // Files are opened for appending in text mode (a missing file is
  // created); a file whose last record is cut short is first completed with
  // blanks.
  Outputs(Env& env, std::size_t record_length)
      : env_(env), record_length_(record_length) {}
  ~Outputs() { CloseAll(); }
  Outputs(const Outputs&) = delete;
  Outputs& operator=(const Outputs&) = delete;

  // The open file of that name; nullptr when it cannot be opened or
  // created, which fails the conversion.
  FileStream* Get(const std::string& name);
  // Writes a record; false once anything has failed.
  bool Write(FileStream* file, std::string_view record);
  // Closes every file; false when one could not be opened or written (the
  // conversion is then undone).
  bool Finish();
  // Removes the files created and cuts the others back to the length they
  // had before the conversion.
  void Undo();

 private:
  static constexpr std::size_t kMaxOpen = 32;

  void CloseAll();

  Env& env_;
  std::size_t record_length_;
  std::map<std::string, File> open_;  // by upper-cased name
  std::vector<std::string> created_;
  // The length each file had before the conversion, by upper-cased name.
  struct OldFile {
    std::string name;
    std::int64_t size;
  };
  std::map<std::string, OldFile> old_files_;
  bool failed_ = false;
};

}  // namespace labrena

#endif  // LABRENA_RECORDS_OUTPUTS_H_
