#include "shell/journaled_run.h"

#include <cstdio>

#include "journal/journal.h"
#include "journal/journal_env.h"
#include "journal/overlay_env.h"
#include "journal/watch_env.h"
#include "records/retire.h"
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

// The steps in env; with a report, watched by it.
void RunSteps(Env& env, Ui& ui, const std::vector<int>& steps,
              const std::function<void(int step)>& on_step,
              RunReport* report) {
  if (!report) {
    Context ctx{env, ui};
    RunConversion(ctx, steps, on_step);
    return;
  }
  WatchEnv watched(env, *report);
  Context ctx{watched, ui};
  RunConversion(ctx, steps, [&](int step) {
    report->StepStarted(step);
    if (on_step) on_step(step);
  });
  report->Finished();
}

ReportTexts TextsOf(const RunReport& report, Env& env) {
  std::vector<FileOutcome> outcomes = report.Outcomes(env);
  return {report.Summary(outcomes), report.Json(outcomes)};
}

// The conversion marks that the steps make, in their order.
constexpr const char* kConversionTags[] = {"590", "617", "618", "619", "620",
                                           "622", "624", "627", "628"};

}  // namespace

bool RunJournaled(const JournaledRun& run) {
  std::unique_ptr<RecordingUi> recording;
  if (run.report) recording = std::make_unique<RecordingUi>(run.ui, *run.report);
  Ui& ui = recording ? *recording : run.ui;
  if (!run.home.env) {
    ShowError(ui, Format(kNoJournalText, run.home.path));
    return false;
  }
  Journal journal(*run.home.env, run.home.folder);
  if (!UndoInterrupted(run.data_env, run.home, journal, ui)) return false;
  if (!run.journal_on) {
    // A finished run's journal would undo to a folder older than this run.
    if (!journal.Remove()) {
      ShowError(ui, Format(kNoJournalText, run.home.path));
      return false;
    }
    RunSteps(run.data_env, ui, run.steps, run.on_step, run.report);
    if (run.report && run.texts) {
      *run.texts = TextsOf(*run.report, run.data_env);
    }
    return true;
  }
  if (!journal.Start()) {
    ShowError(ui, Format(kNoJournalText, run.home.path));
    return false;
  }
  JournalEnv env(run.data_env, journal);
  RunSteps(env, ui, run.steps, run.on_step, run.report);
  if (!journal.Finish()) ShowError(ui, Format(kNotClosedText, run.home.path));
  if (run.report) {
    ReportTexts texts = TextsOf(*run.report, run.data_env);
    journal.WriteFile("REPORT.TXT", texts.summary);
    journal.WriteFile("REPORT.JSON", texts.json);
    if (run.texts) *run.texts = std::move(texts);
  }
  return true;
}

Journal::State LookAtJournal(JournalHome& home) {
  if (!home.env) return Journal::State::kNone;
  Journal journal(*home.env, home.folder);
  return journal.Look();
}

ReportTexts DryRun(Env& data_env, Ui& ui, RunReport& report,
                   const std::vector<int>& steps) {
  OverlayEnv overlay(data_env);
  RecordingUi recording(ui, report);
  RunSteps(overlay, recording, steps, nullptr, &report);
  return TextsOf(report, overlay);
}

std::vector<int> StepsWithWork(Env& data_env, Ui& ui) {
  OverlayEnv overlay(data_env);
  // A step may undo what an earlier one did (empty registers made by one
  // and removed by another): a run that changes nothing leaves no work.
  RunReport whole;
  WatchEnv run(overlay, whole);
  RunNotes notes;
  std::vector<int> with_work;
  for (const ConversionStep& step : ConversionSteps()) {
    RunReport report;
    WatchEnv watched(run, report);
    Context ctx{watched, ui, notes};
    RunConversion(ctx, {step.number});
    notes = ctx.notes;
    if (!report.Outcomes(overlay).empty()) with_work.push_back(step.number);
  }
  if (whole.Outcomes(overlay).empty()) with_work.clear();
  return with_work;
}

std::vector<std::string> TagsLeft(Env& env) {
  std::vector<std::string> left;
  for (const char* tag : kConversionTags) {
    if (!IsConverted(env, tag)) left.push_back(tag);
  }
  return left;
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
