#pragma once

// Checks shared by the fuzz targets: a finding aborts with a short reason.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "failure/locations.h"

namespace krobelnik::fuzz {

[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what);
  std::abort();
}

inline void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

// Whether a check uses the location number: the location table has it.
inline bool IsKnownLocation(std::int64_t location) {
  return location > 0 && location <= 1000 &&
         FindLocation(static_cast<std::int32_t>(location)) != nullptr;
}

// Reads a decimal integer at text[p], moving p past it.
inline bool TakeInt(std::string_view text, std::size_t& p, std::int64_t& value) {
  const std::size_t start = p;
  if (p < text.size() && text[p] == '-') ++p;
  value = 0;
  std::size_t digits = 0;
  for (; p < text.size() && text[p] >= '0' && text[p] <= '9' && digits < 19; ++p, ++digits)
    value = value * 10 + (text[p] - '0');
  if (digits == 0) return false;
  if (text[start] == '-') value = -value;
  return true;
}

// What is wrong with a report, or nullptr when it is exactly one form: a
// success form with as many entries as its count says, or a failure form
// with a location number the system uses. The unexpected-failure form is
// wrong too: nothing here exhausts memory.
inline const char* ReportFormProblem(std::string_view report) {
  const std::string_view failure = "Napaka [Zelvor20Krobelnik:";
  if (report.substr(0, 3) == "OK\n") {
    std::size_t p = 3;
    std::int64_t count = 0;
    if (!TakeInt(report, p, count) || count < 0 || p >= report.size() || report[p] != '\n')
      return "success count";
    ++p;
    for (std::int64_t e = 0; e < count; ++e) {
      std::int64_t number = 0, score = 0;
      if (!TakeInt(report, p, number) || number < 1 || p >= report.size() || report[p++] != ' ')
        return "entry number";
      if (!TakeInt(report, p, score) || score < 2 || p >= report.size() || report[p++] != '\n')
        return "entry score";
    }
    return p == report.size() ? nullptr : "success form has more lines than its count";
  }
  if (report.substr(0, failure.size()) == failure) {
    std::size_t p = failure.size();
    std::int64_t location = 0;
    if (!TakeInt(report, p, location) || !IsKnownLocation(location)) return "location number";
    if (report.substr(p, 3) != "]: ") return "failure form";
    const std::size_t lineEnd = report.find('\n', p);
    if (lineEnd == std::string_view::npos || report.substr(lineEnd) != "\n-1\n")
      return "failure form ends with -1";
    return nullptr;
  }
  return "report is neither the success nor the failure form";
}

}  // namespace krobelnik::fuzz
