#include "testdata/number_line.h"

#include <string>

#include "run/assertion.h"

namespace krobelnik {

void FailNotDigit(char c) {
  Fail(55, "namesto stevke se pojavlja znak s kodo " + IntToStr(static_cast<unsigned char>(c)));
}

void FailTooLarge(std::uint32_t value, char digit) {
  Fail(61, "stevilo " + IntToStr(value) + std::string(1, digit) + " je preveliko");
}

void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers) {
  numbers.clear();
  NumberLineParser parser(KeepNumbers{&numbers, std::numeric_limits<std::size_t>::max()});
  parser.Feed(line.data(), line.size());
  parser.Finish();
}

bool LeadingInt(std::string_view line, std::int32_t& value) {
  std::size_t p = 0;
  while (p < line.size() && IsWhiteSpace(line[p])) ++p;
  bool negative = false;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) {
    negative = line[p] == '-';
    ++p;
  }
  if (p == line.size() || !IsDigit(line[p])) return false;
  // The magnitude stops growing once it is past every 32-bit value, so it
  // never overflows however many digits follow.
  constexpr std::int64_t Cap = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (; p < line.size() && IsDigit(line[p]); ++p) {
    if (magnitude < Cap) magnitude = magnitude * 10 + (line[p] - '0');
  }
  if (negative) {
    value = magnitude >= Cap ? std::numeric_limits<std::int32_t>::min()
                             : static_cast<std::int32_t>(-magnitude);
  } else {
    value = magnitude > std::numeric_limits<std::int32_t>::max()
                ? std::numeric_limits<std::int32_t>::max()
                : static_cast<std::int32_t>(magnitude);
  }
  return true;
}

}  // namespace krobelnik
