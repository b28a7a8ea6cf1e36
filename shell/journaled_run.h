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

#include "journal/journal.h"
#include "journal/report.h"
#include "platform/context.h"
#include "platform/system_env.h"

namespace labrena {

// A run's report as text: the summary for a person, the JSON for scripts.
struct ReportTexts {
  std::string summary;
  std::string json;
};

struct JournaledRun {
  Env& data_env;
  JournalHome& home;
  Ui& ui;
  // Off: the run is not journaled, and a finished run's journal is removed
  // (an interrupted one is still undone first).
  bool journal_on = true;
  std::vector<int> steps = {};
  std::function<void(int step)> on_step = nullptr;
  // What the run did, when given: the files it changed, the boxes it showed,
  // the time of each step. A journaled run also keeps it in its journal.
  RunReport* report = nullptr;
  // With a report, its texts once the run is over, when given.
  ReportTexts* texts = nullptr;
};

// Runs the conversion. False when it could not start (an interrupted run
// that could not be undone, a journal that cannot be read or made): the user
// was told why, and nothing was converted.
bool RunJournaled(const JournaledRun& run);

enum class UndoResult { kUndone, kNothing, kFailed };
// The state of a data folder's journal.
Journal::State LookAtJournal(JournalHome& home);

// Runs the conversion against an overlay of the data folder: what it would
// do goes into the report, and neither the data folder nor the temporary
// folder changes.
ReportTexts DryRun(Env& data_env, Ui& ui, RunReport& report,
                   const std::vector<int>& steps = {});

// The steps that would leave a file changed, found by a dry run of one step
// after the other, each one's net changes told apart (none when the whole
// run would change nothing); questions are put to ui.
std::vector<int> StepsWithWork(Env& data_env, Ui& ui);

// The conversion marks (CONV.DAT) that the steps still have to make.
std::vector<std::string> TagsLeft(Env& env);

// Puts the data folder (and the retirement folder) back as they were before
// the last conversion, from its journal. kFailed was told to the user.
UndoResult UndoLastConversion(Env& data_env, JournalHome& home, Ui& ui);

}  // namespace labrena

#endif  // LABRENA_SHELL_JOURNALED_RUN_H_
