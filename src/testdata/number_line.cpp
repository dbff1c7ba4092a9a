#include "testdata/number_line.h"

#include <string>

#include "run/assertion.h"
#include "testdata/text.h"

namespace krobelnik {

namespace {

constexpr std::uint32_t Int32Max = 2147483647U;

[[noreturn]] void FailNotDigit(char c) {
  Fail(55, "namesto stevke se pojavlja znak s kodo " + IntToStr(static_cast<unsigned char>(c)));
}

[[noreturn]] void FailTooLarge(std::uint32_t value, char digit) {
  Fail(61, "stevilo " + IntToStr(value) + std::string(1, digit) + " je preveliko");
}

// Appends digit to value, refusing to pass 2147483647.
inline std::uint32_t AddDigit(std::uint32_t value, char digit) {
  const auto d = static_cast<std::uint32_t>(digit - '0');
  if (value > Int32Max / 10 || (value == Int32Max / 10 && d > Int32Max % 10))
    FailTooLarge(value, digit);
  return value * 10 + d;
}

}  // namespace

void NumberLineParser::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* const end = data + size;
  if (inNumber_) {
    // A number that the previous piece left open continues here.
    while (p < end && IsDigit(*p)) value_ = AddDigit(value_, *p++);
    if (p == end) return;
    inNumber_ = false;
    Emit(value_);
  }
  while (p < end) {
    const char c = *p;
    if (IsDigit(c)) {
      std::uint32_t value = static_cast<std::uint32_t>(c - '0');
      ++p;
      while (p < end && IsDigit(*p)) value = AddDigit(value, *p++);
      if (p == end) {
        inNumber_ = true;
        value_ = value;
        return;
      }
      Emit(value);
    } else if (IsWhiteSpace(c)) {
      ++p;
    } else {
      FailNotDigit(c);
    }
  }
}

void NumberLineParser::Finish() {
  if (inNumber_) {
    inNumber_ = false;
    Emit(value_);
  }
}

void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers) {
  NumberLineParser parser(numbers, std::numeric_limits<std::size_t>::max());
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
    value = magnitude > Int32Max ? std::numeric_limits<std::int32_t>::max()
                                 : static_cast<std::int32_t>(magnitude);
  }
  return true;
}

}  // namespace krobelnik
