#include "platform/env.h"

#include <cerrno>

namespace labrena {
namespace {

constexpr int kEveryEntry = kAttrReadOnly | kAttrHidden | kAttrSystem |
                            kAttrSubdir | kAttrArchive;

}  // namespace

int CopyTree(Env& env, const std::string& from, const std::string& to) {
  if (int made = env.MakeDir(to)) return made;
  for (const DirEntry& entry : env.List(from + "\\*", kEveryEntry)) {
    std::string source = from + "\\" + entry.name;
    std::string target = to + "\\" + entry.name;
    if (entry.is_dir) {
      if (int copied = CopyTree(env, source, target)) return copied;
    } else if (!env.CopyFile(source, target, true)) {
      return EIO;
    }
  }
  return 0;
}

std::string WithLastComponent(const std::string& name,
                              const std::string& last) {
  std::size_t at = name.find_last_of("\\/");
  return at == std::string::npos ? last : name.substr(0, at + 1) + last;
}

int RemoveTree(Env& env, const std::string& folder) {
  for (const DirEntry& entry : env.List(folder + "\\*", kEveryEntry)) {
    std::string name = folder + "\\" + entry.name;
    int removed;
    if (entry.is_dir) {
      removed = RemoveTree(env, name);
    } else {
      if (entry.read_only) env.MakeWritable(name);
      removed = env.Remove(name);
    }
    if (removed != 0) return removed;
  }
  return env.RemoveDir(folder);
}

int Env::Move(const std::string& from, const std::string& to) {
  int renamed = Rename(from, to);
  if (renamed != EXDEV) return renamed;
  // Another file system: the source goes only once its copy is complete.
  if (Exists(to)) return EEXIST;
  if (IsDirectory(from)) {
    if (int copied = CopyTree(*this, from, to)) {
      RemoveTree(*this, to);
      return copied;
    }
    return RemoveTree(*this, from);
  }
  if (!CopyFile(from, to, true)) {
    if (Exists(to)) Remove(to);
    return EIO;
  }
  if (!IsWritable(from)) MakeWritable(from);
  if (int removed = Remove(from)) {
    Remove(to);
    return removed;
  }
  return 0;
}

}  // namespace labrena
