#include "records/retire.h"

#include "fields/numbers.h"
#include "fields/text.h"
#include "platform/names.h"
#include "records/record_file.h"

namespace labrena {
namespace {

constexpr const char* kMarkerFile = "CONV.DAT";
constexpr std::size_t kLongestTempPath = 156;
constexpr int kRetireAttempts = 101;
// A marker line of up to 7 characters and its CR LF come in one piece.
constexpr std::size_t kMarkerPiece = 9;

}  // namespace

std::string TempFolder(Env& env) {
  std::string path = env.SystemTempPath();
  if (path.empty() || path.size() >= kLongestTempPath) {
    path = env.FallbackTempPath();
    env.MakeDir(path);
    return path;
  }
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

int RetireFile(Env& env, const std::string& name, const std::string& folder) {
  if (!env.Exists(name)) return 1;
  int result = 1;
  for (int attempt = 0; attempt < kRetireAttempts; ++attempt) {
    std::string temp = TempFolder(env);
    std::string target =
        temp + Format("%s\\%s", folder.c_str(), name.c_str());
    if (attempt > 0) target += Format(".%03d", attempt);
    // A name the Env knows to be taken is passed over without a move. One
    // that another program took since fails the move, and the next is tried.
    if (env.Exists(target)) continue;
    // Every folder on the way below the temporary folder comes into being.
    for (std::size_t i = temp.size(); i < target.size(); ++i) {
      if (target[i] == '\\' && !env.Exists(target.substr(0, i))) {
        env.MakeDir(target.substr(0, i));
      }
    }
    result = env.Move(name, target);
    if (result == 0) return 0;
  }
  return result;
}

int IsConverted(Env& env, const std::string& tag) {
  bool unreadable = false;
  return IsConverted(env, tag, &unreadable);
}

int IsConverted(Env& env, const std::string& tag, bool* unreadable) {
  File file = OpenText(env, kMarkerFile, OpenMode::kRead);
  *unreadable = !file && env.Exists(kMarkerFile);
  if (!file) return 0;
  std::string piece;
  while (file->Gets(&piece, kMarkerPiece)) {
    if (StartsWithNoCase(piece, tag)) return 1;
  }
  *unreadable = file->error();
  return 0;
}

int MarkConverted(Context& ctx, const std::string& tag) {
  if (int marked = IsConverted(ctx.env, tag)) return marked;
  File file = OpenAppend(ctx.env, kMarkerFile);
  bool written = file && file->Write(tag + "\r\n");
  if (file && !file->Close()) written = false;
  if (!written) {
    // A mark that is not recorded lets a once-only conversion run again on
    // the next run: the user must know.
    ctx.ui.MessageBox(
        "Convers\xE3o",
        Format("Erro ao gravar o arquivo %s.\nA convers\xE3o %s n\xE3o ficou "
               "registrada e ser\xE1 feita de novo na pr\xF3xima vez.",
               kMarkerFile, tag.c_str()),
        Icon::kError, Buttons::kOk);
    // The patches recorded after it would stand before it in CONV.DAT.
    ctx.notes.Kept(kMarkerFile);
  }
  return 0;
}

bool CopyOver(Env& env, const std::string& source, const std::string& target,
              bool fail_if_exists) {
  if (env.Exists(target) && !env.IsWritable(target)) env.MakeWritable(target);
  return env.CopyFile(source, target, fail_if_exists);
}

int RemoveFile(Env& env, const std::string& name) {
  MakeWritable(env, name);
  return env.Remove(name);
}

std::string TempFileName(Env& env) {
  LocalTime now = env.Now();
  std::string digits = Format("%02d%02d%02d%03d", now.hour, now.minute,
                              now.second, now.hundredths);
  return CutText(digits, 9) + ".tmp";
}

int AllFilesAttribute() {
  return kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrSubdir |
         kAttrArchive;
}

}  // namespace labrena
