// A journal's log taken from the input: it is read without a crash, every
// entry it yields is written back to a line that reads as the same entry,
// and undoing it in a small folder in memory ends, whatever the entries
// name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "platform/mem_env.h"

namespace labrena {
namespace {

bool Same(const JournalEntry& a, const JournalEntry& b) {
  return a.kind == b.kind && a.name == b.name && a.new_name == b.new_name &&
         a.number == b.number && a.names == b.names;
}

void Run(const std::uint8_t* data, std::size_t size) {
  std::string log(reinterpret_cast<const char*>(data), size);
  std::vector<JournalEntry> entries;
  std::size_t undone = 0;
  bool finished = false;
  if (ParseJournal(log, &entries, &undone, &finished)) {
    if (undone > entries.size()) __builtin_trap();
    const std::string header = "LABRENA-JOURNAL 1 0331E9CE\n";
    for (const JournalEntry& entry : entries) {
      std::vector<JournalEntry> again;
      std::size_t none = 0;
      bool ended = false;
      if (!ParseJournal(header + JournalLine(entry), &again, &none, &ended) ||
          again.size() != 1 || !Same(again[0], entry)) {
        __builtin_trap();
      }
    }
  }

  MemEnv env;
  env.Put("F00R0.DAT", "registro");
  env.Put("REG\\R0000111.DAT", "recibo");
  env.Put("/tmp/Nelk/Labrena/FX0.DAT", "retirado");
  env.Put("/tmp/j/JOURNAL.LOG", log);
  env.Put("/tmp/j/00000001.SAV", "copia");
  Journal journal(env, "/tmp/j");
  Journal::State state = journal.Look();
  if (state == Journal::State::kInterrupted ||
      state == Journal::State::kFinished) {
    std::string failed;
    journal.Undo(env, &failed);
  }
}

}  // namespace
}  // namespace labrena

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  labrena::Run(data, size);
  return 0;
}
