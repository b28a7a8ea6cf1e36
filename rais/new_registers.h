// The registers an import rebuilds, written so that a failure loses nothing
// and leaves nothing partial: each is written under a temporary name (the
// extension TMP) and only when all of them are written do they take the
// places of the old registers, all or none.
#ifndef LABRENA_RAIS_NEW_REGISTERS_H_
#define LABRENA_RAIS_NEW_REGISTERS_H_

#include <deque>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "records/record_file.h"

namespace labrena {

class NewRegisters {
 public:
  explicit NewRegisters(Env& env) : env_(env) {}
  // Registers that were not placed are dropped: the old ones stay.
  ~NewRegisters();
  NewRegisters(const NewRegisters&) = delete;
  NewRegisters& operator=(const NewRegisters&) = delete;

  // The new register of that name, empty and open for writing; nullptr when
  // it cannot be created. What an earlier, interrupted import left of the
  // register is put back first.
  FileStream* Create(const std::string& name);
  // Writes a record; false once any write has failed.
  bool Write(FileStream* file, std::string_view record);
  bool failed() const { return !failed_name_.empty(); }
  // The register whose writing or placing failed.
  const std::string& failed_name() const { return failed_name_; }

  // Closes the new registers and puts them in the places of the old ones;
  // when one cannot be placed, every old register is put back. True when
  // all of them stand.
  bool Place();

 private:
  struct Register {
    std::string name;
    std::string temporary;  // the new register until it is placed
    std::string old;        // the old register while the new ones are placed
    File file;
    bool had_old = false;
    bool placed = false;
  };

  void Fail(const std::string& name);
  bool PlaceOne(Register& r);
  void PutBack(Register& r);

  Env& env_;
  std::deque<Register> registers_;
  std::string failed_name_;
  bool placed_ = false;
};

}  // namespace labrena

#endif  // LABRENA_RAIS_NEW_REGISTERS_H_
