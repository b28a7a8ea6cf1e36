#include "records/record_file.h"

#include "fields/numbers.h"

namespace labrena {
namespace {

constexpr const char* kTitle = "FOpen2";
constexpr const char* kSharingText =
    "Erro ao abrir o arquivo.\nO compartilhamento de arquivos no servidor "
    "precisa ter permiss\xE3o para grava\xE7\xE3o.";

File OpenStream(Env& env, const std::string& name, OpenMode mode, bool text) {
  auto os_file = env.Open(name, mode);
  if (!os_file) return nullptr;
  std::int64_t size = 0;
  if (mode != OpenMode::kWrite && !os_file->Size(&size)) return nullptr;
  return std::make_unique<FileStream>(std::move(os_file), mode, text, size);
}

void ShowError(Context& ctx, const std::string& text) {
  ctx.ui.MessageBox(kTitle, text, Icon::kError, Buttons::kOk);
}

}  // namespace

void MakeWritable(Env& env, const std::string& name) {
  if (!env.IsWritable(name)) env.MakeWritable(name);
}

File OpenRead(Env& env, const std::string& name) {
  return OpenStream(env, name, OpenMode::kRead, false);
}

File OpenUpdate(Env& env, const std::string& name) {
  MakeWritable(env, name);
  return OpenStream(env, name, OpenMode::kUpdate, false);
}

File OpenWrite(Env& env, const std::string& name) {
  MakeWritable(env, name);
  return OpenStream(env, name, OpenMode::kWrite, false);
}

File OpenAppend(Env& env, const std::string& name) {
  MakeWritable(env, name);
  return OpenStream(env, name, OpenMode::kAppend, false);
}

File OpenText(Env& env, const std::string& name, OpenMode mode) {
  return OpenStream(env, name, mode, true);
}

void CloseFile(File& file) {
  if (file) file->Close();
  file.reset();
}

int SeekInside(FileStream* file, std::int64_t offset) {
  if (!file) return 1;
  // The size known to the stream answers without asking the system, unless
  // the offset lies beyond it.
  if (offset >= 0 && offset < file->Size()) return file->Seek(offset) ? 0 : 1;
  file->SeekEnd();
  if (offset < 0 || offset >= file->Tell()) return 1;
  return file->Seek(offset) ? 0 : 1;
}

bool ReadChars(FileStream* file, std::string* out, std::size_t n) {
  out->clear();
  return file && file->Gets(out, n);
}

int IsDeleted(FileStream* file, std::int64_t n, std::int64_t l) {
  if (!file || n < 0 || l <= 0) return 0;
  if (!file->Seek(n * l + l - 1)) return 0;
  return file->Getc() == '+' ? 1 : 0;
}

int MarkDeleted(FileStream* file, std::int64_t n, std::int64_t l) {
  if (!file || n < 0 || l <= 0) return 0;
  if (SeekInside(file, n * l + l - 1) != 0) return 0;
  return file->Write("+") ? 1 : 0;
}

int FileBusy(Context& ctx, const std::string& name, int mode) {
  WaitCursor wait(ctx.ui);
  // 21 tries, 50 milliseconds apart: about one second.
  for (int attempts = 0;; ++attempts) {
    if (!ctx.env.Exists(name) || ctx.env.OpenDenyWrite(name)) return 0;
    if (attempts == 20) break;
    ctx.env.SleepMs(50);
  }
  if (mode == 1) {
    ctx.ui.MessageBox("FileBusy", "Sistema ocupado, tente novamente.",
                      Icon::kWarning, Buttons::kOk);
  }
  return mode == 2 ? 0 : 1;
}

void ReportOpenError(Context& ctx) { ShowError(ctx, kSharingText); }

File FOpen2(Context& ctx, const std::string& name, std::int64_t l,
            std::int64_t* n, int intent, int /*slot_search*/) {
  Env& env = ctx.env;
  if (intent != kAddRecord) {
    File file = OpenUpdate(env, name);
    if (!file) {
      ShowError(ctx, env.Exists(name) ? kSharingText : "Arquivo inexistente.");
      return nullptr;
    }
    if (SeekInside(file.get(), *n * l) == 0) return file;
    file->Close();
    ShowError(ctx, "Erro ao posicionar arquivo (r+t).");
    return nullptr;
  }

  std::int64_t size = 0;
  if (env.FileSize(name, &size)) {
    std::string shown = FormatNumber(static_cast<double>(size), 0);
    if (size > kGrowLimit) {
      ShowError(ctx, Format("O arquivo ultrapassou o limite permitido (2 GB)."
                            "\nTamanho: %s bytes",
                            shown.c_str()));
      return nullptr;
    }
    if (size > kAskLimit &&
        ctx.ui.MessageBox(kTitle,
                          Format("O arquivo j\xE1 possui mais de 384 MB.\n"
                                 "Tamanho: %s bytes\n\nAvise o suporte "
                                 "t\xE9" "cnico.\n\nDeseja continuar?",
                                 shown.c_str()),
                          Icon::kQuestion, Buttons::kYesNo, 1) != Answer::kYes) {
      return nullptr;
    }
  }
  *n = -1;
  FileBusy(ctx, name, 2);
  File file = OpenAppend(env, name);
  if (!file) {
    ReportOpenError(ctx);
    return nullptr;
  }
  file->SeekEnd();
  std::int64_t end = file->Tell();
  if (end < 0) {
    file->Close();
    ShowError(ctx, "Erro ao conferir posi\xE7\xF5" "es dos registros (at).");
    return nullptr;
  }
  if (l > 0) {
    if (end % l == 0) {
      *n = end / l;
    } else {
      // A partial last record is completed with blanks first.
      file->Write(std::string(static_cast<std::size_t>(l - end % l), ' '));
      *n = end / l + 1;
    }
  }
  return file;
}

}  // namespace labrena
