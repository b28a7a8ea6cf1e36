// What the fuzz targets share: the input cut into the files of a data
// folder held in memory, and checks that abort when a run lost an old file.
//
// An input is the bytes of several files, one after the other, each
// separated from the next by kFileSeparator; each target names the files.
#ifndef LABRENA_TESTS_FUZZ_FUZZ_FOLDER_H_
#define LABRENA_TESTS_FUZZ_FUZZ_FOLDER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mem_env.h"

namespace labrena {

inline constexpr std::string_view kFileSeparator("\0FILE\0", 6);

// Where the run retires old files: the MemEnv's temporary folder, then the
// retirement folder.
inline constexpr const char* kRetired = "/tmp/Nelk/Labrena/";

// The input cut at each separator into at most max_parts files; the last
// one keeps the rest of the input, separators and all.
inline std::vector<std::string> SplitInput(const std::uint8_t* data,
                                           std::size_t size,
                                           std::size_t max_parts) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() + 1 < max_parts) {
    std::size_t cut = rest.find(kFileSeparator);
    if (cut == std::string_view::npos) break;
    parts.emplace_back(rest.substr(0, cut));
    rest.remove_prefix(cut + kFileSeparator.size());
  }
  parts.emplace_back(rest);
  return parts;
}

// Aborts, naming the file, when a check fails: the fuzzer keeps the input.
inline void Check(bool holds, const char* what, const std::string& name) {
  if (holds) return;
  std::fprintf(stderr, "%s: %s\n", what, name.c_str());
  std::abort();
}

// True when the file of that stored name holds exactly these bytes.
inline bool Holds(const MemEnv& env, const std::string& name,
                  const std::string& bytes) {
  std::string found;
  return env.Get(name, &found) && found == bytes;
}

// True when some file, in the data folder or retired, holds exactly these
// bytes: wherever a run moved or renamed an old file, it is still whole.
inline bool AnyFileHolds(const MemEnv& env, const std::string& bytes) {
  for (const auto& [path, found] : env.Snapshot()) {
    if (path.back() != '/' && found == bytes) return true;
  }
  return false;
}

// Checks that the file of that stored name ("F16.DAT"), or every file of
// the folder named with a trailing '/' ("R61/"), holds whole records.
inline void CheckWholeRecords(const MemEnv& env, const std::string& name,
                              std::size_t record_length) {
  const bool folder = name.back() == '/';
  for (const auto& [path, found] : env.Snapshot()) {
    bool in =
        folder ? path.back() != '/' && path.compare(0, name.size(), name) == 0
               : path == name;
    if (in) Check(found.size() % record_length == 0, "record cut short", path);
  }
}

}  // namespace labrena

#endif  // LABRENA_TESTS_FUZZ_FUZZ_FOLDER_H_
