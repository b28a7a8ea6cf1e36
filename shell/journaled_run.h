// The conversion run under its journal, and the undo of the last run.
//
// Before a run, a journal left by a run that did not finish (a power cut, a
// killed process) is undone, and the user told; then the run goes through
// the journaling Env, and the finished run's journal is kept, so that the
// user can undo the whole conversion.
#ifndef LABRENA_SHELL_JOURNALED_RUN_H_
#define LABRENA_SHELL_JOURNALED_RUN_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/context.h"
#include "platform/system_env.h"

namespace labrena {

struct JournaledRun {
  Env& data_env;
  JournalHome& home;
  Ui& ui;
  // Off: the run is not journaled, and a finished run's journal is removed
  // (an interrupted one is still undone first).
  bool journal_on = true;
  std::vector<int> steps = {};
  std::function<void(int step)> on_step = nullptr;
};

// Runs the conversion. False when it could not start (an interrupted run
// that could not be undone, a journal that cannot be read or made): the user
// was told why, and nothing was converted.
bool RunJournaled(const JournaledRun& run);

enum class UndoResult { kUndone, kNothing, kFailed };
// Puts the data folder (and the retirement folder) back as they were before
// the last conversion, from its journal. kFailed was told to the user.
UndoResult UndoLastConversion(Env& data_env, JournalHome& home, Ui& ui);

}  // namespace labrena

#endif  // LABRENA_SHELL_JOURNALED_RUN_H_
