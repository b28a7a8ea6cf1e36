// The user rubric table of the fourth step and its work file F31R0.TAB.
#include <cstdint>
#include <string>

#include "convert/step4_internal.h"
#include "fields/numbers.h"
#include "fields/text.h"
#include "records/damaged.h"
#include "records/record_file.h"

namespace labrena {
namespace {

constexpr const char* kWorkFile = "F31R0.TAB";
constexpr std::size_t kLineLength = 12;

std::string Line(char kind, std::int64_t value) {
  return Format("%c%011lld", kind, static_cast<long long>(value));
}

}  // namespace

bool RubricTable::Add(int code) {
  changes += Line('A', code);
  if (++count >= kEntries) return false;
  codes[count] = code;
  used[count] = false;
  return true;
}

void RubricTable::Use(int i) {
  if (used[i]) return;
  used[i] = true;
  changes += Line('U', i);
}

void RubricTable::Overflow() {
  if (!overflow) changes += Line('O', 0);
  overflow = true;
}

bool RubricLog::Exists() { return env_.Exists(kWorkFile); }

bool RubricLog::Create(std::int64_t base) {
  File file = OpenWrite(env_, kWorkFile);
  return file && file->Write(Line('B', base)) && file->Close();
}

bool RubricLog::Save(RubricTable& table) {
  if (table.changes.empty()) return true;
  File file = OpenAppend(env_, kWorkFile);
  if (!file || !file->Write(table.changes) || !file->Close()) return false;
  table.changes.clear();
  return true;
}

bool RubricLog::Load(std::int64_t* base, RubricTable* table) {
  File file = OpenRead(env_, kWorkFile);
  if (!file) return false;
  RecordReader reader(file.get(), kLineLength);
  std::string line;
  bool has_base = false;
  while (reader.Next(&line)) {
    std::int64_t value = ReadLong(CText(std::string_view(line).substr(1)));
    switch (line[0]) {
      case 'B':
        *base = value;
        has_base = true;
        break;
      case 'A':
        table->Add(static_cast<int>(value));
        break;
      case 'U':
        if (value >= 0 && value < RubricTable::kEntries) table->Use(value);
        break;
      case 'O':
        table->overflow = true;
        break;
    }
  }
  table->changes.clear();
  return has_base && !reader.failed();
}

int RubricLog::Remove() { return env_.Remove(kWorkFile); }

}  // namespace labrena
