// What every routine of the core works with: the data folder's file system
// and the dialog. Passing it explicitly keeps two runs in one process apart.
#ifndef LABRENA_PLATFORM_CONTEXT_H_
#define LABRENA_PLATFORM_CONTEXT_H_

#include "platform/env.h"
#include "platform/ui.h"

namespace labrena {

struct Context {
  Env& env;
  Ui& ui;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_CONTEXT_H_
