#include "input/leading_int.h"

#include <limits>

#include "input/text.h"

namespace krobelnik {

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
          ++blanks_;
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

}  // namespace krobelnik
