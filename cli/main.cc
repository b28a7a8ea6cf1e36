// labrena-conv: the command-line converter used by support staff on copies
// of customers' data folders.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <csignal>
#endif

#include "platform/console_ui.h"
#include "platform/cp1252.h"
#include "platform/fake_ui.h"
#include "platform/system_env.h"
#include "rais/rais_import.h"
#include "shell/journaled_run.h"
#include "shell/run.h"

namespace labrena {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitErrorShown = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "uso: labrena-conv convert [--data PASTA] [--step N]... [--yes|--no]\n"
    "                          [--no-journal] [--dry-run] [--report ARQUIVO]\n"
    "     labrena-conv undo [--data PASTA]\n"
    "     labrena-conv status [--data PASTA]\n"
    "     labrena-conv rais [--folder PASTA] [--cbo ARQUIVO] [--yes|--no]\n"
    "     labrena-conv --help | --version\n";

constexpr const char* kHelp =
    "Converte a pasta de dados do Labrena das vers\xC3\xB5" "es anteriores para "
    "a 6.28.\n"
    "\n"
    "  convert            executa os seis passos da convers\xC3\xA3o, na ordem\n"
    "  --data PASTA       a pasta de dados (padr\xC3\xA3o: a pasta atual)\n"
    "  --step N           executa s\xC3\xB3 o passo N (1 a 6); pode repetir, na "
    "ordem dada\n"
    "  --yes, --no        responde Sim ou N\xC3\xA3o a toda pergunta (sem isso: "
    "pergunta no\n"
    "                     terminal, ou usa o bot\xC3\xA3o padr\xC3\xA3o)\n"
    "  --no-journal       converte sem o di\xC3\xA1rio (sem ele, n\xC3\xA3o "
    "h\xC3\xA1 como desfazer)\n"
    "  --dry-run          s\xC3\xB3 mostra o que a convers\xC3\xA3o faria, "
    "sem mudar nada\n"
    "  --report ARQUIVO   grava em ARQUIVO, em JSON, o que a convers\xC3\xA3o "
    "fez\n"
    "\n"
    "  undo               desfaz a \xC3\xBAltima convers\xC3\xA3o da pasta "
    "de dados, do seu\n"
    "                     di\xC3\xA1rio (a pasta PASTA.labrena-journal ao "
    "lado dela)\n"
    "  status             diz se a pasta precisa de convers\xC3\xA3o, que "
    "passos e marcas\n"
    "                     faltam, e se h\xC3\xA1 uma convers\xC3\xA3o "
    "interrompida ou a desfazer\n"
    "\n"
    "  rais               importa Rais.txt nos cadastros de empregadores, "
    "sindicatos,\n"
    "                     trabalhadores, cargos e jornadas\n"
    "  --folder PASTA     a pasta de importa\xC3\xA7\xC3\xA3o (padr\xC3\xA3o: "
#ifdef _WIN32
    "c:\\Nelk3\\Temp\\Nelk\\Labrena)\n"
    "  --cbo ARQUIVO      a p\xC3\xA1gina dos c\xC3\xB3" "digos CBO (padr\xC3\xA3o:\n"
    "                     c:\\Nelk\\Site\\finan\\cod-cbo2002.htm)\n"
#else
    "a pasta atual)\n"
    "  --cbo ARQUIVO      a p\xC3\xA1gina dos c\xC3\xB3" "digos CBO (padr\xC3\xA3o:\n"
    "                     PASTA/cod-cbo2002.htm)\n"
#endif
    "\n"
    "Os arquivos antigos v\xC3\xA3o para $TMPDIR/Nelk/Labrena (sen\xC3\xA3o "
    "/tmp/Nelk/Labrena).\n"
    "Mensagens de erro saem em stderr como \"T\xC3\xADtulo: texto\".\n"
    "Sa\xC3\xAD" "da: 0 sem mensagem de erro, 1 quando houve uma, 2 para uso "
    "incorreto\nou pasta inexistente.\n";

// An argument as the terminal shows it (UTF-8).
std::string Shown(const std::string& arg) {
#ifdef _WIN32
  return Cp1252ToUtf8(arg);
#else
  return arg;
#endif
}

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "labrena-conv: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// Writes the run's JSON report to a file named on the command line.
bool WriteReport(const std::string& file, const std::string& json) {
#ifdef _WIN32
  std::FILE* out = _wfopen(reinterpret_cast<const wchar_t*>(
                               Cp1252ToUtf16(file).c_str()), L"wb");
#else
  std::FILE* out = std::fopen(file.c_str(), "wb");
#endif
  bool written = out && std::fwrite(json.data(), 1, json.size(), out) ==
                            json.size();
  if (out && std::fclose(out) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "labrena-conv: n\xC3\xA3o foi poss\xC3\xADvel "
                 "gravar o relat\xC3\xB3rio em %s\n", Shown(file).c_str());
  }
  return written;
}

// The Env of an existing data folder; nullptr, told, when there is none.
std::unique_ptr<Env> DataFolderEnv(const std::string& data) {
  auto env = NewSystemEnv(data);
  if (data.empty() || !env->IsDirectory(".")) {
    std::fprintf(stderr, "labrena-conv: a pasta de dados n\xC3\xA3o existe: %s\n",
                 Shown(data).c_str());
    return nullptr;
  }
  return env;
}

// What the command line asks for.
struct Options {
  std::string data = ".";
  std::vector<int> steps;
  ConsoleUi::Policy policy = ConsoleUi::Policy::kAsk;
  bool journal_on = true;
  bool dry_run = false;
  std::string report_file;
#ifdef _WIN32
  std::string folder = kRaisFolder;
  std::string cbo = kCboPage;
#else
  std::string folder = ".";
  std::string cbo;
#endif
};

int Convert(const Options& options) {
  const std::string& data = options.data;
  const std::vector<int>& steps = options.steps;
  const ConsoleUi::Policy policy = options.policy;
  const bool journal_on = options.journal_on;
  const bool dry_run = options.dry_run;
  const std::string& report_file = options.report_file;
  auto env = DataFolderEnv(data);
  if (!env) return kExitUsage;
  ConsoleUi ui(policy, stderr, stdin);
  RunReport report;
  if (dry_run) {
    ReportTexts dry = DryRun(*env, ui, report, steps);
    std::fputs(Cp1252ToUtf8(dry.summary).c_str(), stdout);
    if (!report_file.empty() && !WriteReport(report_file, dry.json)) {
      return kExitErrorShown;
    }
    return ui.error_shown() ? kExitErrorShown : kExitOk;
  }
  JournalHome home = JournalHomeOf(data);
  // The report is kept in the journal, shown at a terminal and written for
  // --report; a run that needs it for none of these goes without it.
  const bool reported =
      journal_on || ui.at_terminal() || !report_file.empty();
  ReportTexts texts;
  JournaledRun run{*env, home, ui, journal_on, steps,
                   [&ui](int step) { ui.ShowProgress(step); },
                   reported ? &report : nullptr, &texts};
  if (!RunJournaled(run)) return kExitErrorShown;
  // The summary is for a person at a terminal; scripts take --report.
  if (ui.at_terminal()) {
    std::fputs(Cp1252ToUtf8(texts.summary).c_str(), stderr);
  }
  std::printf("%s\n", Cp1252ToUtf8(kFinalMessage).c_str());
  std::fflush(stdout);
  if (!report_file.empty() && !WriteReport(report_file, texts.json)) {
    return kExitErrorShown;
  }
  return ui.error_shown() ? kExitErrorShown : kExitOk;
}

int Status(const Options& options) {
  const std::string& data = options.data;
  auto env = DataFolderEnv(data);
  if (!env) return kExitUsage;
  JournalHome home = JournalHomeOf(data);
  switch (LookAtJournal(home)) {
    case Journal::State::kInterrupted:
      std::printf("Convers\xC3\xA3o interrompida: sim; a pr\xC3\xB3xima "
                  "convers\xC3\xA3o a desfaz primeiro (%s)\n",
                  Shown(home.path).c_str());
      break;
    case Journal::State::kFinished:
      std::printf("Di\xC3\xA1rio da \xC3\xBAltima convers\xC3\xA3o: "
                  "%s (labrena-conv undo a desfaz)\n",
                  Shown(home.path).c_str());
      break;
    case Journal::State::kDamaged:
      std::printf("Di\xC3\xA1rio da \xC3\xBAltima convers\xC3\xA3o: "
                  "%s, danificado\n",
                  Shown(home.path).c_str());
      break;
    case Journal::State::kNone:
      std::printf("Di\xC3\xA1rio: nenhum\n");
      break;
  }
  // What a run would do, found by running it against an overlay, with
  // every question answered by its default button and no box shown.
  FakeUi quiet;
  std::vector<int> steps = StepsWithWork(*env, quiet);
  std::string shown;
  for (int step : steps) {
    shown += (shown.empty() ? "" : ", ") + std::to_string(step);
  }
  std::string tags;
  for (const std::string& tag : TagsLeft(*env)) {
    tags += (tags.empty() ? "" : ", ") + tag;
  }
  if (steps.empty()) {
    std::printf("A pasta est\xC3\xA1 convertida: nenhum passo tem trabalho.\n");
  } else {
    std::printf("A pasta precisa de convers\xC3\xA3o: passos %s.\n",
                shown.c_str());
  }
  std::printf("Marcas de convers\xC3\xA3o que faltam em CONV.DAT: %s\n",
              tags.empty() ? "nenhuma" : tags.c_str());
  return kExitOk;
}

int Undo(const Options& options) {
  const std::string& data = options.data;
  const ConsoleUi::Policy policy = options.policy;
  auto env = DataFolderEnv(data);
  if (!env) return kExitUsage;
  ConsoleUi ui(policy, stderr, stdin);
  JournalHome home = JournalHomeOf(data);
  switch (UndoLastConversion(*env, home, ui)) {
    case UndoResult::kNothing:
      std::fprintf(stderr,
                   "labrena-conv: n\xC3\xA3o h\xC3\xA1 convers\xC3\xA3o a "
                   "desfazer em %s\n",
                   Shown(data).c_str());
      return kExitErrorShown;
    case UndoResult::kFailed:
      return kExitErrorShown;
    case UndoResult::kUndone:
      break;
  }
  std::printf("A convers\xC3\xA3o foi desfeita.\n");
  return kExitOk;
}

// Splits a file's path into its folder and its name.
void SplitPath(const std::string& path, std::string* folder,
               std::string* name) {
#ifdef _WIN32
  std::size_t at = path.find_last_of("\\/");
#else
  std::size_t at = path.find_last_of('/');
#endif
  if (at == std::string::npos) {
    *folder = ".";
    *name = path;
    return;
  }
  // Keep the separator of a root ("/", "C:\").
  bool root = at == 0 || (at == 2 && path[1] == ':');
  *folder = path.substr(0, root ? at + 1 : at);
  *name = path.substr(at + 1);
}

int Rais(const Options& options) {
  const std::string& folder = options.folder;
  std::string cbo = options.cbo;
  const ConsoleUi::Policy policy = options.policy;
  if (cbo.empty()) cbo = folder + "/" + kCboPageName;
  auto env = NewSystemEnv(folder);
  if (folder.empty() || !env->IsDirectory(".")) {
    std::fprintf(stderr,
                 "labrena-conv: a pasta de importa\xC3\xA7\xC3\xA3o n\xC3\xA3o "
                 "existe: %s\n",
                 Shown(folder).c_str());
    return kExitUsage;
  }
  // The page may lie outside the import folder: it is named in an Env of
  // its own folder.
  std::string cbo_folder, cbo_name;
  SplitPath(cbo, &cbo_folder, &cbo_name);
  auto cbo_env = NewSystemEnv(cbo_folder);
  ConsoleUi ui(policy, stderr, stdin);
  Context ctx{*env, ui};
  ImportRais(ctx, *cbo_env, cbo_name);
  return ui.error_shown() ? kExitErrorShown : kExitOk;
}

// The arguments: on Windows as Windows-1252 texts from the UTF-16 command
// line (the Win32 Env takes names in the product's character set); elsewhere
// the bytes as given, which is what the file system takes.
std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) {
      std::u16string arg(reinterpret_cast<const char16_t*>(wide[i]));
      args.push_back(Utf16ToCp1252(arg));
    }
    LocalFree(wide);
  }
  // The messages are UTF-8.
  SetConsoleOutputCP(CP_UTF8);
#else
  for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
#endif
  return args;
}

// What went wrong in the command line, in the program's words.
std::string Problem(const CLI::ParseError& error) {
  std::string what = error.what();
  if (what.find("--step") != std::string::npos) {
    return "--step espera um n\xC3\xBAmero de 1 a 6";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
    return "falta o valor de " + Shown(what.substr(0, what.find(':')));
  }
  return "argumentos inv\xC3\xA1lidos: " + Shown(what);
}

// Parses the command line and runs the command it names. The help, the
// version and every complaint are the program's own, in Portuguese.
int Run(std::vector<std::string> args) {
  Options options;
  CLI::App app("labrena-conv");
  app.set_help_flag();
  app.allow_extras();
  bool help = false;
  bool version = false;
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  int answer = 0;
  auto command = [&](const char* name) {
    CLI::App* sub = app.add_subcommand(name);
    sub->set_help_flag();
    sub->allow_extras();
    return sub;
  };
  auto questions = [&](CLI::App* sub) {
    sub->add_flag("--yes{1},--no{2}", answer)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  };
  CLI::App* convert = command("convert");
  convert->add_option("--data", options.data);
  convert->add_option("--step", options.steps)->check(CLI::Range(1, 6));
  questions(convert);
  convert->add_flag("!--no-journal", options.journal_on);
  convert->add_flag("--dry-run", options.dry_run);
  convert->add_option("--report", options.report_file);
  CLI::App* undo = command("undo");
  undo->add_option("--data", options.data);
  CLI::App* status = command("status");
  status->add_option("--data", options.data);
  CLI::App* rais = command("rais");
  rais->add_option("--folder", options.folder);
  rais->add_option("--cbo", options.cbo);
  questions(rais);

  // The parser takes the arguments last first, without the program's name.
  std::reverse(args.begin(), args.end());
  args.pop_back();
  try {
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    return Usage(Problem(error).c_str());
  }
  if (answer == 1) options.policy = ConsoleUi::Policy::kYes;
  if (answer == 2) options.policy = ConsoleUi::Policy::kNo;
  for (CLI::App* sub : app.get_subcommands()) {
    if (!sub->remaining().empty()) {
      return Usage(
          ("argumento desconhecido: " + Shown(sub->remaining().front()))
              .c_str());
    }
  }
  if (app.get_subcommands().empty()) {
    if (help) {
      std::fputs(kUsage, stdout);
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (version) {
      std::printf("labrena-conv 6.28\n");
      return kExitOk;
    }
    std::vector<std::string> rest = app.remaining();
    return Usage(rest.empty() ? nullptr
                              : ("comando desconhecido: " + Shown(rest.front()))
                                    .c_str());
  }
  if (!app.remaining().empty()) {
    return Usage(
        ("argumento desconhecido: " + Shown(app.remaining().front())).c_str());
  }
  if (convert->parsed()) return Convert(options);
  if (undo->parsed()) return Undo(options);
  if (status->parsed()) return Status(options);
  return Rais(options);
}

}  // namespace
}  // namespace labrena

int main(int argc, char** argv) {
  using namespace labrena;
#ifndef _WIN32
  // A reader of the messages that goes away (labrena-conv ... | head) must
  // not stop a conversion half done: the messages are then lost instead.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::vector<std::string> args = Arguments(argc, argv);
  if (args.size() < 2) return Usage(nullptr);
  return Run(args);
}
