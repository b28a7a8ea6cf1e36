#include "tests/testing/scratch.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/system_env.h"

namespace labrena {
namespace fs = std::filesystem;

namespace {

std::string NewBase() {
  std::random_device rd;
  fs::path root = fs::temp_directory_path();
  for (;;) {
    fs::path dir = root / ("labrena-test-" + std::to_string(rd()));
    if (fs::create_directory(dir)) return dir.string();
  }
}

std::string Slashed(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

}  // namespace

std::map<std::string, std::string> SnapshotOf(const std::string& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  if (!fs::exists(root, ec)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) {
      files[name + "/"] = "";
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    files[name] = content.str();
  }
  return files;
}

ScratchFolder::ScratchFolder()
    : base_(NewBase()),
      data_((fs::path(base_) / "data").string()),
      temp_((fs::path(base_) / "tmp").string() +
            static_cast<char>(fs::path::preferred_separator)),
      env_(nullptr),
      faults_(*(env_ = NewSystemEnv(data_, temp_))),
      ctx_{faults_, ui_} {
  fs::create_directories(data_);
  fs::create_directories(temp_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  // Read-only files must not stop the clean-up.
  for (auto it = fs::recursive_directory_iterator(base_, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                    ec);
  }
  fs::remove_all(base_, ec);
}

std::string ScratchFolder::Path(const std::string& name) const {
  return (fs::path(data_) / Slashed(name)).string();
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) {
  fs::path path = Path(name);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {
std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

std::string ScratchFolder::Read(const std::string& name) const {
  return ReadAll(Path(name));
}

bool ScratchFolder::Exists(const std::string& name) const {
  return fs::exists(Path(name));
}

void ScratchFolder::MakeDir(const std::string& name) {
  fs::create_directories(Path(name));
}

void ScratchFolder::SetReadOnly(const std::string& name, bool read_only) {
  fs::permissions(Path(name), fs::perms::owner_write,
                  read_only ? fs::perm_options::remove
                            : fs::perm_options::add);
}

std::string ScratchFolder::RetiredPath(const std::string& name) const {
  return (fs::path(temp_) / "Nelk" / "Labrena" / Slashed(name)).string();
}

std::string ScratchFolder::ReadRetired(const std::string& name) const {
  return ReadAll(RetiredPath(name));
}

bool ScratchFolder::IsRetired(const std::string& name) const {
  return fs::exists(RetiredPath(name));
}

}  // namespace labrena
