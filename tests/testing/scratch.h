// A fresh data folder and temporary folder for one test, with the system's
// Env rooted at the data folder and a FakeUi. Removed when the test ends.
#ifndef LABRENA_TESTS_TESTING_SCRATCH_H_
#define LABRENA_TESTS_TESTING_SCRATCH_H_

#include <map>
#include <memory>
#include <string>

#include "platform/context.h"
#include "platform/fake_ui.h"
#include "platform/fault_env.h"

namespace labrena {

// Every file below root by its relative path with '/', and every folder with
// a trailing '/'; empty when root does not exist.
std::map<std::string, std::string> SnapshotOf(const std::string& root);

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Absolute paths of the data folder and of the temporary folder (the
  // latter ends in a separator, as the system reports it).
  const std::string& data() const { return data_; }
  const std::string& temp() const { return temp_; }

  Env& env() { return *env_; }
  // The same Env behind a fault injector; ctx() uses it.
  FaultEnv& faults() { return faults_; }
  FakeUi& ui() { return ui_; }
  Context& ctx() { return ctx_; }
  // Starts another run: what the last one noted is forgotten.
  void NextRun() { ctx_.notes = RunNotes(); }

  // Files of the data folder, named with '\' or '/' relative to it.
  void Write(const std::string& name, const std::string& bytes);
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void MakeDir(const std::string& name);
  void SetReadOnly(const std::string& name, bool read_only);
  // The retired copy of a name: temp + "Nelk/Labrena/" + name.
  std::string RetiredPath(const std::string& name) const;
  std::string ReadRetired(const std::string& name) const;
  bool IsRetired(const std::string& name) const;

 private:
  std::string Path(const std::string& name) const;

  std::string base_;
  std::string data_;
  std::string temp_;
  std::unique_ptr<Env> env_;
  FaultEnv faults_;
  FakeUi ui_;
  Context ctx_;
};

}  // namespace labrena

#endif  // LABRENA_TESTS_TESTING_SCRATCH_H_
