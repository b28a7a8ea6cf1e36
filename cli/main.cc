// labrena-conv: the command-line converter used by support staff on copies
// of customers' data folders.
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
    "                          [--no-journal]\n"
    "     labrena-conv undo [--data PASTA] [--yes|--no]\n"
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
    "\n"
    "  undo               desfaz a \xC3\xBAltima convers\xC3\xA3o da pasta "
    "de dados, do seu\n"
    "                     di\xC3\xA1rio (a pasta PASTA.labrena-journal ao "
    "lado dela)\n"
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

int Convert(const std::vector<std::string>& args) {
  std::string data = ".";
  std::vector<int> steps;
  bool journal_on = true;
  ConsoleUi::Policy policy = ConsoleUi::Policy::kAsk;
  const std::size_t argc = args.size();
  for (std::size_t i = 2; i < argc; ++i) {
    const std::string& arg = args[i];
    if (arg == "--data" && i + 1 < argc) {
      data = args[++i];
    } else if (arg == "--step" && i + 1 < argc) {
      const std::string& n = args[++i];
      if (n.size() != 1 || n[0] < '1' || n[0] > '6') {
        return Usage("--step espera um n\xC3\xBAmero de 1 a 6");
      }
      steps.push_back(n[0] - '0');
    } else if (arg == "--yes") {
      policy = ConsoleUi::Policy::kYes;
    } else if (arg == "--no") {
      policy = ConsoleUi::Policy::kNo;
    } else if (arg == "--no-journal") {
      journal_on = false;
    } else {
      return Usage(("argumento desconhecido: " + Shown(arg)).c_str());
    }
  }
  auto env = DataFolderEnv(data);
  if (!env) return kExitUsage;
  ConsoleUi ui(policy, stderr, stdin);
  JournalHome home = JournalHomeOf(data);
  JournaledRun run{*env, home, ui, journal_on, steps,
                   [&ui](int step) { ui.ShowProgress(step); }};
  if (!RunJournaled(run)) return kExitErrorShown;
  std::printf("%s\n", Cp1252ToUtf8(kFinalMessage).c_str());
  std::fflush(stdout);
  return ui.error_shown() ? kExitErrorShown : kExitOk;
}

int Undo(const std::vector<std::string>& args) {
  std::string data = ".";
  ConsoleUi::Policy policy = ConsoleUi::Policy::kAsk;
  const std::size_t argc = args.size();
  for (std::size_t i = 2; i < argc; ++i) {
    const std::string& arg = args[i];
    if (arg == "--data" && i + 1 < argc) {
      data = args[++i];
    } else if (arg == "--yes") {
      policy = ConsoleUi::Policy::kYes;
    } else if (arg == "--no") {
      policy = ConsoleUi::Policy::kNo;
    } else {
      return Usage(("argumento desconhecido: " + Shown(arg)).c_str());
    }
  }
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

int Rais(const std::vector<std::string>& args) {
#ifdef _WIN32
  std::string folder = kRaisFolder;
  std::string cbo = kCboPage;
#else
  std::string folder = ".";
  std::string cbo;
#endif
  ConsoleUi::Policy policy = ConsoleUi::Policy::kAsk;
  const std::size_t argc = args.size();
  for (std::size_t i = 2; i < argc; ++i) {
    const std::string& arg = args[i];
    if (arg == "--folder" && i + 1 < argc) {
      folder = args[++i];
    } else if (arg == "--cbo" && i + 1 < argc) {
      cbo = args[++i];
    } else if (arg == "--yes") {
      policy = ConsoleUi::Policy::kYes;
    } else if (arg == "--no") {
      policy = ConsoleUi::Policy::kNo;
    } else {
      return Usage(("argumento desconhecido: " + Shown(arg)).c_str());
    }
  }
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
  const std::string& command = args[1];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("labrena-conv 6.28\n");
    return kExitOk;
  }
  if (command == "convert") return Convert(args);
  if (command == "rais") return Rais(args);
  if (command == "undo") return Undo(args);
  return Usage(("comando desconhecido: " + Shown(command)).c_str());
}
