#include "shell/journaled_run.h"

#include <cstdio>

#include "journal/journal.h"
#include "journal/journal_env.h"
#include "shell/run.h"

namespace labrena {
namespace {

constexpr const char* kRecoveredText =
    "A \xFAltima convers\xE3o foi interrompida antes do fim e foi desfeita: "
    "os arquivos voltaram a ser como eram antes dela.\n"
    "A convers\xE3o ser\xE1 feita agora.";
constexpr const char* kNotUndoneText =
    "A \xFAltima convers\xE3o foi interrompida e n\xE3o p\xF4" "de ser "
    "desfeita: erro no arquivo %s.\n"
    "Nenhuma convers\xE3o foi feita; o di\xE1rio da convers\xE3o fica em %s.";
constexpr const char* kUndoFailedText =
    "A convers\xE3o n\xE3o p\xF4" "de ser desfeita: erro no arquivo %s.\n"
    "O di\xE1rio da convers\xE3o fica em %s; desfazer de novo continua de "
    "onde parou.";
constexpr const char* kDamagedText =
    "O di\xE1rio da \xFAltima convers\xE3o em %s n\xE3o p\xF4" "de ser lido.\n"
    "Nenhuma convers\xE3o foi feita.";
constexpr const char* kNotClosedText =
    "A convers\xE3o foi feita, mas o di\xE1rio em %s n\xE3o p\xF4" "de ser "
    "fechado: a pr\xF3xima convers\xE3o a desfar\xE1 e a far\xE1 de novo.";
constexpr const char* kNoJournalText =
    "N\xE3o foi poss\xEDvel criar o di\xE1rio da convers\xE3o em %s.\n"
    "Nenhuma convers\xE3o foi feita.";

std::string Format(const char* format, const std::string& a,
                   const std::string& b = "") {
  int length = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str());
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str());
  text.pop_back();
  return text;
}

void ShowError(Ui& ui, const std::string& text) {
  ui.MessageBox(kFinalTitle, text, Icon::kError, Buttons::kOk);
}

// Looks at the journal and undoes an interrupted run. False when the
// journal stands in the way of a new run (the user was told).
bool UndoInterrupted(Env& data_env, JournalHome& home, Journal& journal,
                     Ui& ui) {
  switch (journal.Look()) {
    case Journal::State::kNone:
    case Journal::State::kFinished:
      return true;
    case Journal::State::kDamaged:
      ShowError(ui, Format(kDamagedText, home.path));
      return false;
    case Journal::State::kInterrupted:
      break;
  }
  std::string failed;
  if (!journal.Undo(data_env, &failed)) {
    ShowError(ui, Format(kNotUndoneText, failed, home.path));
    return false;
  }
  ui.MessageBox(kFinalTitle, kRecoveredText, Icon::kInformation, Buttons::kOk);
  return true;
}

}  // namespace

bool RunJournaled(const JournaledRun& run) {
  if (!run.home.env) {
    ShowError(run.ui, Format(kNoJournalText, run.home.path));
    return false;
  }
  Journal journal(*run.home.env, run.home.folder);
  if (!UndoInterrupted(run.data_env, run.home, journal, run.ui)) return false;
  if (!run.journal_on) {
    // A finished run's journal would undo to a folder older than this run.
    if (!journal.Remove()) {
      ShowError(run.ui, Format(kNoJournalText, run.home.path));
      return false;
    }
    Context ctx{run.data_env, run.ui};
    RunConversion(ctx, run.steps, run.on_step);
    return true;
  }
  if (!journal.Start()) {
    ShowError(run.ui, Format(kNoJournalText, run.home.path));
    return false;
  }
  JournalEnv env(run.data_env, journal);
  Context ctx{env, run.ui};
  RunConversion(ctx, run.steps, run.on_step);
  if (!journal.Finish()) ShowError(run.ui, Format(kNotClosedText, run.home.path));
  return true;
}

UndoResult UndoLastConversion(Env& data_env, JournalHome& home, Ui& ui) {
  if (!home.env) return UndoResult::kNothing;
  Journal journal(*home.env, home.folder);
  switch (journal.Look()) {
    case Journal::State::kNone:
      return UndoResult::kNothing;
    case Journal::State::kDamaged:
      ShowError(ui, Format(kDamagedText, home.path));
      return UndoResult::kFailed;
    case Journal::State::kInterrupted:
    case Journal::State::kFinished:
      break;
  }
  std::string failed;
  if (!journal.Undo(data_env, &failed)) {
    ShowError(ui, Format(kUndoFailedText, failed, home.path));
    return UndoResult::kFailed;
  }
  return UndoResult::kUndone;
}

}  // namespace labrena
