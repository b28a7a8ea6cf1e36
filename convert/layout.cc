#include "convert/layout.h"

#include "convert/report.h"
#include "fields/text.h"
#include "records/damaged.h"
#include "records/outputs.h"
#include "records/record_file.h"

namespace labrena {

std::string BuildRecord(std::string_view old_record,
                        std::span<const NewField> fields,
                        std::initializer_list<std::string_view> computed) {
  std::string record;
  auto next = computed.begin();
  for (const NewField& field : fields) {
    std::string_view value;
    if (field.from == kComputed) {
      if (next != computed.end()) value = *next++;
    } else if (field.length > 0 &&
               static_cast<std::size_t>(field.from) < old_record.size()) {
      value = old_record.substr(static_cast<std::size_t>(field.from),
                                static_cast<std::size_t>(field.length));
    }
    std::size_t width = static_cast<std::size_t>(field.width);
    std::size_t start = record.size();
    record.append(CText(value).substr(0, width));
    record.resize(start + width, ' ');
  }
  return record;
}

bool IsFile(Env& env, const std::string& name) {
  return env.Exists(name) && !env.IsDirectory(name);
}

bool ConvertRegister(Context& ctx, const RegisterConversion& conversion) {
  Env& env = ctx.env;
  if (!IsFile(env, conversion.source)) return true;
  if (env.Exists(conversion.target)) return RetireOld(ctx, conversion.source);
  bool failed = false;
  File old_file =
      OpenSource(ctx, conversion.source, conversion.target, &failed);
  if (!old_file) return !failed;
  Outputs outputs(env, conversion.new_length);
  FileStream* out = outputs.Get(conversion.target);
  RecordReader reader(old_file.get(), conversion.old_length);
  std::string old, record;
  std::int64_t read = 0;
  while (out != nullptr && (conversion.limit == 0 || read < conversion.limit) &&
         reader.Next(&old)) {
    ++read;
    if (conversion.status) ctx.ui.SetStatus(conversion.status);
    if (conversion.convert(old, &record) && !outputs.Write(out, record)) {
      break;
    }
  }
  SourceRead source_read{reader.failed(), reader.repaired()};
  CloseFile(old_file);
  if (!source_read.failed && conversion.complete &&
      !conversion.complete(read)) {
    source_read.failed = true;
  }
  return Settle(ctx, outputs, conversion.source, conversion.target,
                source_read);
}

}  // namespace labrena
