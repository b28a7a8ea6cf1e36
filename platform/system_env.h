// The Env of the system the program runs on, rooted at a data folder.
#ifndef LABRENA_PLATFORM_SYSTEM_ENV_H_
#define LABRENA_PLATFORM_SYSTEM_ENV_H_

#include <memory>
#include <string>

#include "platform/env.h"

namespace labrena {

std::unique_ptr<Env> NewSystemEnv(const std::string& data_folder);

}  // namespace labrena

#endif  // LABRENA_PLATFORM_SYSTEM_ENV_H_
