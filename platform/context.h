// What every routine of the core works with: the data folder's file system
// and the dialog. Passing it explicitly keeps two runs in one process apart.
#ifndef LABRENA_PLATFORM_CONTEXT_H_
#define LABRENA_PLATFORM_CONTEXT_H_

#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/ui.h"

namespace labrena {

// What the steps of one run tell the later ones: the old files that a
// failure left unconverted in the data folder. A later step of the same run
// then leaves alone what those files still need.
class RunNotes {
 public:
  void Kept(const std::string& name) { kept_.push_back(name); }
  bool any_kept() const { return !kept_.empty(); }

 private:
  std::vector<std::string> kept_;
};

struct Context {
  Env& env;
  Ui& ui;
  RunNotes notes = {};
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_CONTEXT_H_
