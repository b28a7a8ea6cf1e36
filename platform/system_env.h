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

}  // namespace labrena

#endif  // LABRENA_PLATFORM_SYSTEM_ENV_H_
