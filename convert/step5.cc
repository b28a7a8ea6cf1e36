// The fifth conversion step: the code renumbering, the tagged patches "617"
// to "622", the F21 conversion and the tagged patches "624" to "628", in
// this fixed order.
#include "convert/step5_internal.h"
#include "convert/steps.h"
#include "fields/text.h"

namespace labrena {

RegistrationMatch MatchRegistration(std::string_view stored,
                                    std::string_view earlier) {
  std::string a = TrimRight(stored), b = TrimRight(earlier);
  auto same = [&](std::size_t from, std::size_t n) {
    std::string_view x(a), y(b);
    x = from < x.size() ? x.substr(from, n) : std::string_view();
    y = from < y.size() ? y.substr(from, n) : std::string_view();
    return EqualNoCase(x, y);
  };
  if (b.size() == 14) {
    return same(0, 14) ? RegistrationMatch::kFull : RegistrationMatch::kNone;
  }
  if (b.empty() || !same(0, 10)) return RegistrationMatch::kNone;
  return same(10, 8) ? RegistrationMatch::kFull : RegistrationMatch::kSameRoot;
}

std::string RecordEdit::Text(std::size_t offset, std::size_t width) const {
  return std::string(CText(std::string_view(record).substr(offset, width)));
}

std::string RecordEdit::Value(std::size_t offset, std::size_t width) const {
  return TrimRight(Text(offset, width));
}

void RecordEdit::Put(std::size_t offset, std::size_t width,
                     std::string_view text) {
  record.replace(offset, width, PadText(text, width));
  WriteBack(file, start, record, {{offset, width}});
}

void ConvertFifthStep(Context& ctx) {
  // After a failure earlier in the run, the tables this step renumbers and
  // patches may not all be converted yet: it waits for the next run. Each
  // group that fails leaves the later ones, which build on it, for the next
  // run too.
  if (ctx.notes.any_kept()) return;
  RenumberCodes(ctx) && PatchTablesTo622(ctx) && ConvertLeaves(ctx) &&
      PatchTablesTo628(ctx);
}

}  // namespace labrena
