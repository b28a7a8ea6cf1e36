#include "convert/patch.h"

#include "convert/report.h"
#include "fields/numbers.h"
#include "platform/names.h"
#include "records/counters.h"
#include "records/retire.h"

namespace labrena {
namespace {

constexpr const char* kMarker = "CONV.DAT";

}  // namespace

void RecoverPatchedFile(Env& env, const std::string& name) {
  std::string copy = WithExtension(name, "TMP");
  std::string old = WithExtension(name, "OLD");
  if (!env.Exists(name) && env.Exists(old)) env.Rename(old, name);
  for (const std::string& left : {copy, old}) {
    if (env.Exists(left) && env.Exists(name)) RemoveFile(env, left);
  }
  if (env.Exists(copy)) RemoveFile(env, copy);
}

Patch::Patch(Context& ctx, std::string tag) : ctx_(ctx), tag_(std::move(tag)) {}

Patch::~Patch() {
  if (!committed_) Discard();
}

Patch::Copy* Patch::Find(const std::string& name) {
  std::string key = UpperAscii(name);
  for (Copy& copy : copies_) {
    if (UpperAscii(copy.name) == key) return &copy;
  }
  return nullptr;
}

Patch::Copy& Patch::Add(const std::string& name, bool created) {
  Copy& copy = copies_.emplace_back();
  copy.name = name;
  copy.copy = WithExtension(name, "TMP");
  copy.old = WithExtension(name, "OLD");
  copy.created = created;
  return copy;
}

FileStream* Patch::Edit(const std::string& name) {
  if (Copy* known = Find(name)) return known->stream.get();
  if (failed()) return nullptr;
  RecoverPatchedFile(ctx_.env, name);
  if (!ctx_.env.Exists(name) || ctx_.env.IsDirectory(name)) return nullptr;
  Copy& copy = Add(name, false);
  if (ctx_.env.CopyFile(name, copy.copy, true)) {
    copy.stream = OpenUpdate(ctx_.env, copy.copy);
  }
  if (!copy.stream) Fail(name);
  return copy.stream.get();
}

FileStream* Patch::Create(const std::string& name) {
  if (Copy* known = Find(name)) return known->stream.get();
  if (failed()) return nullptr;
  RecoverPatchedFile(ctx_.env, name);
  Copy& copy = Add(name, !ctx_.env.Exists(name));
  copy.stream = OpenWrite(ctx_.env, copy.copy);
  if (!copy.stream) Fail(name);
  return copy.stream.get();
}

FileStream* Patch::Append(const std::string& name,
                          std::int64_t record_length) {
  FileStream* file = Open(name);
  if (!file || !file->SeekEnd()) return nullptr;
  std::int64_t partial = file->Size() % record_length;
  if (partial != 0) {
    file->Write(
        std::string(static_cast<std::size_t>(record_length - partial), ' '));
  }
  return file;
}

void Patch::SetCounter(const std::string& counter_name, std::int64_t value) {
  counters_.emplace_back(counter_name, value);
}

void Patch::Backup(const std::string& name) {
  moves_.push_back({name, WithExtension(name, "BAK"), true});
}

void Patch::Rename(const std::string& from, const std::string& to) {
  moves_.push_back({from, to, false});
}

void Patch::Fail(const std::string& name) {
  if (failed_name_.empty()) failed_name_ = name;
}

FileStream* Patch::Open(const std::string& name) {
  return ctx_.env.Exists(name) && !ctx_.env.IsDirectory(name) ? Edit(name)
                                                               : Create(name);
}

// Writes the counters and the tag into their copies and closes every copy.
bool Patch::Stage() {
  if (!counters_.empty() && Open(kCountersFile)) {
    Copy* counters = Find(kCountersFile);
    if (!counters->stream->Close()) Fail(kCountersFile);
    counters->stream.reset();
    for (const auto& [counter_name, value] : counters_) {
      if (failed()) break;
      if (labrena::SetCounter(ctx_, "", counter_name, value, counters->copy) ==
          0) {
        Fail(kCountersFile);
      }
    }
  }
  if (!tag_.empty()) {
    FileStream* marker = Open(kMarker);
    if (marker && !(marker->SeekEnd() && marker->Write(tag_ + "\r\n"))) {
      Fail(kMarker);
    }
  }
  for (Copy& copy : copies_) {
    if (copy.stream && !copy.stream->Close()) Fail(copy.name);
    copy.stream.reset();
  }
  return !failed();
}

bool Patch::PlaceCopy(Copy& copy) {
  Env& env = ctx_.env;
  if (!copy.created && env.Rename(copy.name, copy.old) != 0) return false;
  if (env.Rename(copy.copy, copy.name) != 0) {
    if (!copy.created) env.Rename(copy.old, copy.name);
    return false;
  }
  copy.placed = true;
  return true;
}

void Patch::Restore(Copy& copy) {
  Env& env = ctx_.env;
  env.Rename(copy.name, copy.copy);
  if (!copy.created) env.Rename(copy.old, copy.name);
  copy.placed = false;
}

void Patch::Discard() {
  for (Copy& copy : copies_) {
    if (copy.stream) copy.stream->Close();
    copy.stream.reset();
    if (ctx_.env.Exists(copy.copy)) RemoveFile(ctx_.env, copy.copy);
  }
}

bool Patch::Place() {
  if (committed_) return !failed();
  bool stands = !failed() && Stage();
  for (std::size_t i = 0; stands && i < copies_.size(); ++i) {
    if (!PlaceCopy(copies_[i])) {
      Fail(copies_[i].name);
      stands = false;
    }
  }
  std::vector<const Move*> moved;
  for (const Move& move : moves_) {
    if (!stands) break;
    Env& env = ctx_.env;
    if (!env.Exists(move.from) || (!move.backup && env.Exists(move.to))) {
      continue;
    }
    // An empty file beside its backup holds nothing to keep (the third step
    // of a later run leaves empty registers): it just goes.
    std::int64_t size = -1;
    if (move.backup && env.Exists(move.to) && env.FileSize(move.from, &size) &&
        size == 0) {
      if (RemoveFile(env, move.from) != 0) {
        Fail(move.from);
        stands = false;
      }
      continue;
    }
    // An earlier backup is kept in the retirement folder rather than lost.
    if ((move.backup && env.Exists(move.to) && RetireFile(env, move.to) != 0) ||
        env.Rename(move.from, move.to) != 0) {
      Fail(move.from);
      stands = false;
    } else {
      moved.push_back(&move);
    }
  }
  if (!stands) {
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
      ctx_.env.Rename((*it)->to, (*it)->from);
    }
    for (std::size_t i = copies_.size(); i-- > 0;) {
      if (copies_[i].placed) Restore(copies_[i]);
    }
    Discard();
    committed_ = true;
    return false;
  }
  for (Copy& copy : copies_) {
    if (!copy.created) RemoveFile(ctx_.env, copy.old);
  }
  committed_ = true;
  return true;
}

bool Patch::Commit() {
  if (committed_) return !failed();
  if (Place()) return true;
  ctx_.ui.MessageBox(
      "Convers\xE3o",
      tag_.empty()
          ? Format("Erro no arquivo %s.\nNenhum arquivo foi alterado; a "
                   "convers\xE3o ser\xE1 feita na pr\xF3xima vez.",
                   failed_name_.c_str())
          : Format("Erro no arquivo %s na convers\xE3o %s.\nNenhum arquivo "
                   "foi alterado; a convers\xE3o ser\xE1 feita na "
                   "pr\xF3xima vez.",
                   failed_name_.c_str(), tag_.c_str()),
      Icon::kError, Buttons::kOk);
  ctx_.notes.Kept(failed_name_);
  return false;
}

bool MakeTaggedPatch(Context& ctx, const std::string& tag,
                     const std::function<bool(Patch& patch)>& make) {
  bool unreadable = false;
  if (IsConverted(ctx.env, tag, &unreadable)) return true;
  Patch patch(ctx, tag);
  if (!unreadable) return make(patch);
  patch.Fail(kMarker);
  return patch.Commit();
}

}  // namespace labrena
