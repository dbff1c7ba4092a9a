#include "testdata/number_line.h"

#include <algorithm>
#include <string>

#include "run/assertion.h"

namespace krobelnik {

void FailNotDigit(char c) {
  Fail(55, "namesto stevke se pojavlja znak s kodo " + IntToStr(static_cast<unsigned char>(c)));
}

void FailTooLarge(std::uint32_t value, char digit) {
  Fail(61, "stevilo " + IntToStr(value) + std::string(1, digit) + " je preveliko");
}

namespace {

std::size_t numberBatchSize = MaxNumberBatch;

}  // namespace

std::size_t NumberBatchSize() { return numberBatchSize; }

void SetNumberBatchSize(std::size_t size) {
  numberBatchSize = std::clamp(size, ConverterSlots, MaxNumberBatch);
}

void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers) {
  numbers.clear();
  NumberLineParser parser(KeepNumbers{&numbers, std::numeric_limits<std::size_t>::max()});
  parser.Feed(line.data(), line.size());
  parser.Finish();
}

namespace {

// The magnitude stops growing once it is past every 32-bit value, so it never
// overflows however many digits follow.
constexpr std::int64_t MagnitudeCap = std::int64_t{1} << 31;

}  // namespace

void LeadingIntParser::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    const char c = *p;
    switch (state_) {
      case State::Blank:
        if (IsWhiteSpace(c)) {
          ++p;
          break;
        }
        state_ = State::Sign;
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          ++p;
        }
        break;
      case State::Sign:
        state_ = IsDigit(c) ? State::Digits : State::NoInteger;
        break;
      case State::Digits:
        if (!IsDigit(c)) {
          state_ = State::Done;
          break;
        }
        if (magnitude_ < MagnitudeCap) magnitude_ = magnitude_ * 10 + (c - '0');
        ++p;
        break;
      default:
        return;
    }
  }
}

bool LeadingIntParser::Result(std::int32_t& value) const {
  if (state_ != State::Digits && state_ != State::Done) return false;
  if (negative_) {
    value = magnitude_ >= MagnitudeCap ? std::numeric_limits<std::int32_t>::min()
                                       : static_cast<std::int32_t>(-magnitude_);
  } else {
    value = magnitude_ > std::numeric_limits<std::int32_t>::max()
                ? std::numeric_limits<std::int32_t>::max()
                : static_cast<std::int32_t>(magnitude_);
  }
  return true;
}

bool LeadingInt(std::string_view line, std::int32_t& value) {
  LeadingIntParser parser;
  parser.Feed(line.data(), line.size());
  return parser.Result(value);
}

}  // namespace krobelnik
