// The Env of the system the program runs on, rooted at a data folder.
#ifndef LABRENA_PLATFORM_SYSTEM_ENV_H_
#define LABRENA_PLATFORM_SYSTEM_ENV_H_

#include <memory>
#include <string>

#include "platform/env.h"

namespace labrena {

// temp_folder, when not empty, stands in for the system's temporary folder
// (tests use it so that they never touch the real one).
std::unique_ptr<Env> NewSystemEnv(const std::string& data_folder,
                                  const std::string& temp_folder = "");

// Where the journal of a data folder's conversions lives: a folder beside
// the data folder (never inside it, where a step would list it), reached by
// name through an Env of the folder above. env is nullptr when the data
// folder's full path cannot be had.
inline constexpr const char* kJournalSuffix = ".labrena-journal";

struct JournalHome {
  std::unique_ptr<Env> owned;
  Env* env = nullptr;
  std::string folder;  // the journal folder's name in env
  std::string path;    // its full path, to show the user
};
JournalHome JournalHomeOf(const std::string& data_folder);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_SYSTEM_ENV_H_
