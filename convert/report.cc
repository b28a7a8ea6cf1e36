#include "convert/report.h"

#include "fields/numbers.h"
#include "records/damaged.h"
#include "records/retire.h"

namespace labrena {

void ReportFailure(Context& ctx, const std::string& source,
                   const std::string& target) {
  ctx.ui.MessageBox("Convers\xE3o",
                    Format("Erro na convers\xE3o de %s para %s.\n"
                           "O arquivo %s continua na pasta de dados.",
                           source.c_str(), target.c_str(), source.c_str()),
                    Icon::kError, Buttons::kOk);
}

bool RetireOld(Context& ctx, const std::string& name) {
  if (RetireFile(ctx.env, name) == 0) return true;
  std::string folder = TempFolder(ctx.env) + kRetireFolder;
  ctx.ui.MessageBox(
      "Convers\xE3o",
      Format("N\xE3o foi poss\xEDvel retirar %s da pasta de dados para %s.\n"
             "%s continua na pasta de dados e ser\xE1 convertido na "
             "pr\xF3xima vez.",
             name.c_str(), folder.c_str(), name.c_str()),
      Icon::kError, Buttons::kOk);
  ctx.notes.Kept(name);
  return false;
}

bool RenameOldFile(Context& ctx, const std::string& from,
                   const std::string& to) {
  Env& env = ctx.env;
  if (!env.Exists(from) || env.Exists(to) || env.Rename(from, to) == 0) {
    return true;
  }
  ReportFailure(ctx, from, to);
  ctx.notes.Kept(from);
  return false;
}

bool ReplaceByCopy(Env& env, const std::string& name, const std::string& copy,
                   const std::string& old_copy) {
  if (env.Rename(name, old_copy) != 0) return false;
  if (env.Rename(copy, name) != 0) {
    env.Rename(old_copy, name);
    return false;
  }
  env.Remove(old_copy);
  return true;
}

std::string WithExtension(const std::string& name, const char* extension) {
  return name.substr(0, name.rfind('.') + 1) + extension;
}

void RemoveOldCopy(Env& env, const std::string& name) {
  std::string old_copy = WithExtension(name, "OLD");
  if (env.Exists(old_copy) && env.Exists(name)) env.Remove(old_copy);
}

bool EditInCopy(Env& env, const std::string& name,
                const std::function<bool(FileStream* copy)>& edit) {
  if (!env.Exists(name)) return false;
  std::string copy = WithExtension(name, "TMP");
  std::string old_copy = WithExtension(name, "OLD");
  for (const std::string& left : {copy, old_copy}) {
    if (env.Exists(left)) env.Remove(left);
  }
  if (!env.CopyFile(name, copy, true)) return false;
  File file = OpenUpdate(env, copy);
  bool edited = file && edit(file.get()) && file->Close();
  if (edited && ReplaceByCopy(env, name, copy, old_copy)) return true;
  CloseFile(file);
  env.Remove(copy);
  return false;
}

File OpenSource(Context& ctx, const std::string& source,
                const std::string& target, bool* failed) {
  File file = OpenRead(ctx.env, source);
  *failed = !file && ctx.env.Exists(source);
  if (*failed) {
    ReportFailure(ctx, source, target);
    ctx.notes.Kept(source);
  }
  return file;
}

bool Settle(Context& ctx, Outputs& outputs, const std::string& source,
            const std::string& target, const SourceRead& read,
            const std::function<int()>& put_away) {
  if (!outputs.Finish() || read.failed) {
    outputs.Undo();
    ReportFailure(ctx, source, target);
    ctx.notes.Kept(source);
    return false;
  }
  // Converting it again next time must not find its records already
  // written.
  if (!put_away && !RetireOld(ctx, source)) {
    outputs.Undo();
    return false;
  }
  if (put_away && put_away() != 0) {
    outputs.Undo();
    ReportFailure(ctx, source, target);
    ctx.notes.Kept(source);
    return false;
  }
  ReportRepaired(ctx, source, read.repaired);
  return true;
}

}  // namespace labrena
