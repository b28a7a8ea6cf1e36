// Damage of the sample folder, as years of use leave it in customers'
// folders: line ends and end marks typed into fields, files that end in DOS
// end marks, last records cut short by a crash, and names that would lead a
// careless converter out of the data folder. Every piece goes into the
// model, so that a test knows how each record must read.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <numeric>
#include <utility>

#include "tools/sample/builders.h"

namespace labrena {
namespace sample {
namespace {

// Register fields users type free text into. The street of FW0.DAT is left
// out: the new register joins it with the number into one line, where a
// blank would no longer show where it was read.
constexpr int kTypedFields[] = {kName, kStreet, kDistrict, kCity};
constexpr int kTakerTypedFields[] = {kName, kDistrict, kCity};

// A field of a fixed-length record.
struct Spot {
  std::size_t offset;
  std::size_t width;
};
constexpr Spot kReceiptDescription = {21, 23};  // REG\REGFE.DAT
constexpr Spot kReceiptAmount = {355, 14};
constexpr Spot kReceiptTail = {372, 83};
constexpr Spot kExtraCode = {0, 11};  // REG\R*.DAT
constexpr Spot kExtraAmount = {11, 14};
constexpr std::size_t kExtraItems = 25;
constexpr std::size_t kItemLength = 20;
constexpr Spot kGuideCode = {0, 10};  // R01, R02, R03
constexpr Spot kGuideText = {16, 25};
constexpr std::size_t kGuideAmountsEnd = 95;
constexpr Spot kUnionStreet = {51, 40};          // F306.DAT
constexpr Spot kDepartmentName = {11, 40};       // F307.DAT
constexpr Spot kResponsibleName = {0, 40};       // RESP.DAT
constexpr std::size_t kLeaveYears[] = {17, 29};  // F308.DAT: two dates

// The character a user typed over in a field of the width: just after its
// text when there is room, or one of its characters.
std::size_t TypedAt(Random& random, const std::string& text,
                    std::size_t width) {
  std::size_t length = std::min(RightTrim(text).size(), width);
  if (length < width && (length == 0 || random.OneIn(2))) return length;
  return static_cast<std::size_t>(random.Uniform(static_cast<int>(length)));
}

std::size_t TypedAt(Random& random, const std::string& record, Spot spot) {
  return spot.offset +
         TypedAt(random, record.substr(spot.offset, spot.width), spot.width);
}

std::size_t Index(Random& random, std::size_t count) {
  return static_cast<std::size_t>(random.Uniform(static_cast<int>(count)));
}

// Up to n distinct numbers below count, in the order drawn.
std::vector<std::size_t> Distinct(Random& random, std::size_t count,
                                  std::size_t n) {
  std::vector<std::size_t> all(count);
  std::iota(all.begin(), all.end(), 0);
  n = std::min(n, count);
  for (std::size_t i = 0; i < n; ++i) {
    std::swap(all[i], all[i + Index(random, count - i)]);
  }
  all.resize(n);
  return all;
}

// Collects the damage of the folder in the order it is drawn.
class Damager {
 public:
  void Record(const std::string& file, std::size_t record, std::size_t offset,
              DamageKind kind) {
    damage_.push_back({file, record, -1, offset, kind});
  }
  void Field(const std::string& file, std::size_t record, int field,
             std::size_t offset, DamageKind kind) {
    damage_.push_back({file, record, field, offset, kind});
  }
  // The file's last record, of records in all, ends after bytes.
  void Cut(const std::string& file, std::size_t records, std::size_t bytes) {
    Record(file, records - 1, bytes, DamageKind::kCut);
  }
  void End(const std::string& file, std::size_t records, DamageKind kind) {
    Record(file, records, 0, kind);
  }
  std::vector<Damage> Take() { return std::move(damage_); }

 private:
  std::vector<Damage> damage_;
};

template <std::size_t N>
void DamageTypedField(Random& random, Damager& damager, const char* file,
                      const std::vector<Register>& registers,
                      std::size_t record, const int (&widths)[N], int field,
                      DamageKind kind) {
  damager.Field(file, record, field,
                TypedAt(random, registers[record].Field(field),
                        static_cast<std::size_t>(widths[field])),
                kind);
}

void DamageRegisters(Random& random, const SampleFolder& f, Damager& damager) {
  // FX0.DAT: Enter pressed in one employer's field. The file ends with its
  // end mark already.
  if (!f.employers.empty()) {
    std::size_t record = Index(random, f.employers.size());
    DamageTypedField(random, damager, "FX0.DAT", f.employers, record,
                     kFx0Widths, random.Pick(kTypedFields), DamageKind::kCrLf);
  }
  // FW0.DAT: a lone LF in a service taker's field, and a line end and an end
  // mark after the last record.
  if (!f.service_takers.empty()) {
    std::size_t record = Index(random, f.service_takers.size());
    DamageTypedField(random, damager, "FW0.DAT", f.service_takers, record,
                     kFw0Widths, random.Pick(kTakerTypedFields),
                     DamageKind::kLf);
    damager.End("FW0.DAT", f.service_takers.size(),
                DamageKind::kLineEndAndEndMarkAfter);
  }
  // FY0.DAT: each kind of line end and an end mark in workers before the
  // last; the first of them has Enter pressed in its empty second name too,
  // two repairs of one record. The last record is cut after half of its
  // item block.
  std::size_t n = f.workers.size();
  if (n == 0) return;
  static constexpr DamageKind kKinds[] = {DamageKind::kCrLf, DamageKind::kCr,
                                          DamageKind::kLf,
                                          DamageKind::kEndMark};
  std::vector<std::size_t> picked = Distinct(random, n - 1, std::size(kKinds));
  for (std::size_t i = 0; i < picked.size(); ++i) {
    DamageTypedField(random, damager, "FY0.DAT", f.workers, picked[i],
                     kFy0Widths, random.Pick(kTypedFields), kKinds[i]);
  }
  if (!picked.empty()) {
    DamageTypedField(random, damager, "FY0.DAT", f.workers, picked[0],
                     kFy0Widths, kSecondName, DamageKind::kLf);
  }
  std::size_t fields = std::accumulate(std::begin(kFy0Widths),
                                       std::end(kFy0Widths), std::size_t{0}) +
                       std::size(kFy0Widths) * (std::size(kFieldSeparator) - 1);
  damager.Cut("FY0.DAT", n, fields + f.workers.back().items.text.size() / 2);
}

void DamageReceipts(Random& random, const SampleFolder& f, Damager& damager) {
  // REG\REGFE.DAT: a CR in a description, an LF in an amount, an end mark
  // in a description and a CR in the part the new version drops, each in a
  // record before the last (which is cut short already).
  const char* monthly = "REG\\REGFE.DAT";
  struct Typing {
    DamageKind kind;
    Spot spot;
  };
  static constexpr Typing kTypings[] = {
      {DamageKind::kCr, kReceiptDescription},
      {DamageKind::kLf, kReceiptAmount},
      {DamageKind::kEndMark, kReceiptDescription},
      {DamageKind::kCr, kReceiptTail},
  };
  if (!f.receipts.empty()) {
    std::vector<std::size_t> picked =
        Distinct(random, f.receipts.size() - 1, std::size(kTypings));
    for (std::size_t i = 0; i < picked.size(); ++i) {
      damager.Record(
          monthly, picked[i],
          TypedAt(random, f.receipts[picked[i]].Text(), kTypings[i].spot),
          kTypings[i].kind);
    }
  }

  // REG\R*.DAT, each damage in a file of its own: an end mark in the amount
  // of a record with more after it, a CR in a code, an LF in an amount, the
  // two legitimate ends, and a last record cut between two items.
  const std::vector<ExtraReceiptFile>& files = f.extra_receipts;
  std::vector<std::size_t> order = Distinct(random, files.size(), files.size());
  auto several = std::find_if(order.begin(), order.end(), [&](std::size_t i) {
    return files[i].records.size() >= 2;
  });
  if (several != order.end()) {
    const ExtraReceiptFile& file = files[*several];
    std::size_t record = Index(random, file.records.size() - 1);
    damager.Record("REG\\" + file.name, record,
                   TypedAt(random, file.records[record].Text(), kExtraAmount),
                   DamageKind::kEndMark);
    order.erase(several);
  }
  auto name = [&](std::size_t i) { return "REG\\" + files[order[i]].name; };
  auto records = [&](std::size_t i) { return files[order[i]].records.size(); };
  auto typed = [&](std::size_t i, Spot spot, DamageKind kind) {
    std::size_t record = Index(random, records(i));
    damager.Record(
        name(i), record,
        TypedAt(random, files[order[i]].records[record].Text(), spot), kind);
  };
  if (order.size() > 0) typed(0, kExtraCode, DamageKind::kCr);
  if (order.size() > 1) typed(1, kExtraAmount, DamageKind::kLf);
  if (order.size() > 2) {
    damager.End(name(2), records(2), DamageKind::kEndMarkAfter);
  }
  if (order.size() > 3) {
    damager.End(name(3), records(3), DamageKind::kLineEndAndEndMarkAfter);
  }
  if (order.size() > 4) {
    damager.Cut(name(4), records(4),
                kExtraItems + kItemLength * random.Range(1, 39));
  }

  // R01, R02, R03: line ends in the code of a guide small enough to be
  // carried forward and in the text of another in the first file, an end
  // mark in R02, a line end and an end mark after R03's last record, and
  // R01's second year cut after the amounts of its last record.
  const std::vector<GuideFile>& guides = f.guides;
  if (guides.size() < 3) return;
  const GuideFile& first = guides.front();
  std::vector<std::size_t> small;
  for (std::size_t i = 0; i < first.records.size(); ++i) {
    if (first.records[i].total_cents < first.ThresholdCents()) {
      small.push_back(i);
    }
  }
  std::size_t carried = first.records.size();
  if (!small.empty()) {
    carried = small[Index(random, small.size())];
    damager.Record(first.Name(), carried,
                   TypedAt(random, first.records[carried].Text(), kGuideCode),
                   DamageKind::kLf);
  }
  std::size_t other =
      first.records.empty() ? carried : Index(random, first.records.size());
  if (other != carried) {
    damager.Record(first.Name(), other,
                   TypedAt(random, first.records[other].Text(), kGuideText),
                   DamageKind::kCr);
  }
  const GuideFile& r02 = guides[guides.size() - 2];
  if (r02.records.size() >= 2) {
    std::size_t record = Index(random, r02.records.size() - 1);
    damager.Record(r02.Name(), record,
                   TypedAt(random, r02.records[record].Text(), kGuideText),
                   DamageKind::kEndMark);
  }
  damager.End(guides.back().Name(), guides.back().records.size(),
              DamageKind::kLineEndAndEndMarkAfter);
  if (f.options.years >= 2 && !guides[1].records.empty()) {
    damager.Cut(guides[1].Name(), guides[1].records.size(), kGuideAmountsEnd);
  }
}

void DamageTables(Random& random, const SampleFolder& f, Damager& damager) {
  // A line end typed into a union's street, a department's name and the
  // first responsible's name; F306.DAT ends with an end mark, F307.DAT with
  // a line end and one.
  if (!f.unions.empty()) {
    std::size_t i = Index(random, f.unions.size());
    damager.Record("F306.DAT", i, TypedAt(random, f.unions[i], kUnionStreet),
                   DamageKind::kCr);
    damager.End("F306.DAT", f.unions.size(), DamageKind::kEndMarkAfter);
  }
  if (!f.departments.empty()) {
    std::size_t i = Index(random, f.departments.size());
    damager.Record("F307.DAT", i,
                   TypedAt(random, f.departments[i], kDepartmentName),
                   DamageKind::kLf);
    damager.End("F307.DAT", f.departments.size(),
                DamageKind::kLineEndAndEndMarkAfter);
  }
  if (!f.responsibles.empty()) {
    damager.Record("RESP.DAT", 0,
                   TypedAt(random, f.responsibles[0], kResponsibleName),
                   DamageKind::kCr);
  }
}

// Names: files whose names hold backslashes, with valid records in them; a
// link from REG to a file beside the data folder; and F308.DAT's name in
// small letters on a copy that holds the year before's leaves.
void DamageNames(Random& random, SampleFolder* f) {
  ExtraReceipt receipt;
  receipt.code = Pad("00001", 11);
  receipt.amount = Pad("100,00", 14);
  receipt.items.text = std::string(800, ' ');
  f->backslash_files.push_back({"REG", "R\\..\\..\\x.DAT", receipt.Text()});
  Guide guide;
  guide.code = Pad("00001", 10);
  guide.month = 1;
  guide.tax_code = "0561";
  guide.text = "IRRF S/ SAL\xC1RIOS";
  guide.amounts = {"1,00", "", ""};
  guide.total_cents = 100;
  f->backslash_files.push_back(
      {"R01", "2005\\..\\..\\guide.DAT", guide.Text()});

  // No line end in it: read through the link, it holds no damage the model
  // does not tell.
  f->beside_files.push_back(
      {"outside-sentinel.DAT",
       "Arquivo fora da pasta de dados: nenhuma convers\xE3o pode "
       "alter\xE1-lo."});
  f->links.push_back({"REG\\RLINK.DAT", "../../outside-sentinel.DAT"});

  char year[48];
  std::snprintf(year, sizeof(year), "%04d", f->options.last_year - 1);
  std::string twin;
  for (std::string leave : f->leaves) {
    for (std::size_t at : kLeaveYears) leave.replace(at, 4, year);
    twin += leave;
  }
  f->leaves_twins.push_back({"f308.dat", twin});
  f->twins_first = random.OneIn(2);
}

}  // namespace

void BuildDamage(const SampleOptions& options, SampleFolder* folder) {
  Random random = FamilyRandom(options, 4);
  Damager damager;
  DamageRegisters(random, *folder, damager);
  DamageReceipts(random, *folder, damager);
  DamageTables(random, *folder, damager);
  folder->damage = damager.Take();
  DamageNames(random, folder);
}

bool Damage::InRecord() const {
  return kind == DamageKind::kCr || kind == DamageKind::kLf ||
         kind == DamageKind::kCrLf || kind == DamageKind::kEndMark;
}

}  // namespace sample
}  // namespace labrena
