// labrena-conv: the command-line converter used by support staff on copies
// of customers' data folders.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/console_ui.h"
#include "platform/cp1252.h"
#include "platform/system_env.h"
#include "shell/run.h"

namespace labrena {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitErrorShown = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "uso: labrena-conv convert [--data PASTA] [--step N]... [--yes|--no]\n"
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
    "\n"
    "Os arquivos antigos v\xC3\xA3o para $TMPDIR/Nelk/Labrena (sen\xC3\xA3o "
    "/tmp/Nelk/Labrena).\n"
    "Mensagens de erro saem em stderr como \"T\xC3\xADtulo: texto\".\n"
    "Sa\xC3\xAD" "da: 0 sem mensagem de erro, 1 quando houve uma, 2 para uso "
    "incorreto\nou pasta inexistente.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "labrena-conv: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

int Convert(int argc, char** argv) {
  std::string data = ".";
  std::vector<int> steps;
  ConsoleUi::Policy policy = ConsoleUi::Policy::kAsk;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      data = argv[++i];
    } else if (arg == "--step" && i + 1 < argc) {
      std::string n = argv[++i];
      if (n.size() != 1 || n[0] < '1' || n[0] > '6') {
        return Usage("--step espera um n\xC3\xBAmero de 1 a 6");
      }
      steps.push_back(n[0] - '0');
    } else if (arg == "--yes") {
      policy = ConsoleUi::Policy::kYes;
    } else if (arg == "--no") {
      policy = ConsoleUi::Policy::kNo;
    } else {
      return Usage(("argumento desconhecido: " + arg).c_str());
    }
  }
  auto env = NewSystemEnv(data);
  if (data.empty() || !env->IsDirectory(".")) {
    std::fprintf(stderr, "labrena-conv: a pasta de dados n\xC3\xA3o existe: %s\n",
                 data.c_str());
    return kExitUsage;
  }
  ConsoleUi ui(policy, stderr, stdin);
  Context ctx{*env, ui};
  RunConversion(ctx, steps, [&ui](int step) { ui.ShowProgress(step); });
  std::printf("%s\n", Cp1252ToUtf8(kFinalMessage).c_str());
  std::fflush(stdout);
  return ui.error_shown() ? kExitErrorShown : kExitOk;
}

}  // namespace
}  // namespace labrena

int main(int argc, char** argv) {
  using namespace labrena;
  if (argc < 2) return Usage(nullptr);
  std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("labrena-conv 6.28\n");
    return kExitOk;
  }
  if (command == "convert") return Convert(argc, argv);
  return Usage(("comando desconhecido: " + command).c_str());
}
