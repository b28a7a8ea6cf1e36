// The code counters file F34.DAT: records of 30 bytes, first name (10),
// counter name (10) and the last code handed out ("%-10ld").
#ifndef LABRENA_RECORDS_COUNTERS_H_
#define LABRENA_RECORDS_COUNTERS_H_

#include <cstdint>
#include <string>

#include "platform/context.h"
#include "platform/file_stream.h"

namespace labrena {

inline constexpr const char* kCountersFile = "F34.DAT";
constexpr std::int64_t kCounterRecord = 30;
constexpr std::int64_t kCounterMax = 999999999;

// Mode 0 reads the counter into *value, mode 2 sets it to *value, in the
// counters file (a patch sets counters in its copy of it).
int MacroCodeCad(Context& ctx, const std::string& first_name,
                 const std::string& counter_name, std::int64_t* value,
                 int digits, int mode,
                 const std::string& file_name = kCountersFile);
int ReadCounter(Context& ctx, const std::string& first_name,
                const std::string& counter_name, std::int64_t* value);
int SetCounter(Context& ctx, const std::string& first_name,
               const std::string& counter_name, std::int64_t value,
               const std::string& file_name = kCountersFile);
// Record n of a file of width-character records, read as a decimal number;
// 0 when unreadable, negative, or 999,999,999 or more.
std::int64_t ReadNumberRecord(Env& env, const std::string& name,
                              std::int64_t n, int width);
// The same, from a file already open for reading.
std::int64_t ReadNumberRecord(FileStream* file, std::int64_t n, int width);

}  // namespace labrena

#endif  // LABRENA_RECORDS_COUNTERS_H_
