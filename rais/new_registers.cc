#include "rais/new_registers.h"

#include "convert/patch.h"
#include "records/retire.h"

namespace labrena {
namespace {

std::string WithExtension(const std::string& name, const char* extension) {
  return name.substr(0, name.rfind('.') + 1) + extension;
}

}  // namespace

NewRegisters::~NewRegisters() {
  if (placed_) return;
  for (Register& r : registers_) {
    CloseFile(r.file);
    if (env_.Exists(r.temporary)) RemoveFile(env_, r.temporary);
  }
}

void NewRegisters::Fail(const std::string& name) {
  if (failed_name_.empty()) failed_name_ = name;
}

FileStream* NewRegisters::Create(const std::string& name) {
  // Same names as a patch uses: the same recovery puts back a register
  // that an interrupted placing left under its old name.
  RecoverPatchedFile(env_, name);
  Register& r = registers_.emplace_back();
  r.name = name;
  r.temporary = WithExtension(name, "TMP");
  r.old = WithExtension(name, "OLD");
  if (env_.Exists(r.temporary)) RemoveFile(env_, r.temporary);
  r.file = OpenWrite(env_, r.temporary);
  if (!r.file) Fail(name);
  return r.file.get();
}

bool NewRegisters::Write(FileStream* file, std::string_view record) {
  if (failed()) return false;
  if (!file->Write(record)) {
    for (const Register& r : registers_) {
      if (r.file.get() == file) Fail(r.name);
    }
  }
  return !failed();
}

bool NewRegisters::PlaceOne(Register& r) {
  r.had_old = env_.Exists(r.name);
  if (r.had_old && env_.Rename(r.name, r.old) != 0) return false;
  if (env_.Rename(r.temporary, r.name) != 0) {
    if (r.had_old) env_.Rename(r.old, r.name);
    return false;
  }
  r.placed = true;
  return true;
}

void NewRegisters::PutBack(Register& r) {
  env_.Rename(r.name, r.temporary);
  if (r.had_old) env_.Rename(r.old, r.name);
  r.placed = false;
}

bool NewRegisters::Place() {
  for (Register& r : registers_) {
    if (r.file && !r.file->Close()) Fail(r.name);
    r.file.reset();
  }
  for (Register& r : registers_) {
    if (failed()) break;
    if (!PlaceOne(r)) Fail(r.name);
  }
  if (failed()) {
    for (auto it = registers_.rbegin(); it != registers_.rend(); ++it) {
      if (it->placed) PutBack(*it);
    }
    return false;
  }
  placed_ = true;
  for (Register& r : registers_) {
    if (r.had_old) RemoveFile(env_, r.old);
  }
  return true;
}

}  // namespace labrena
