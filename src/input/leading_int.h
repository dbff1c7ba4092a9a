#pragma once

#include <cstddef>
#include <cstdint>

namespace krobelnik {

// The "%d" conversion of a line fed in one or more consecutive pieces: skips
// white space, takes an optional sign and at least one digit, and ignores the
// rest, which then costs nothing however long it is.
class LeadingIntParser {
 public:
  void Feed(const char* data, std::size_t size);
  // False when no integer stood at the start of the line; a value beyond 32
  // bits saturates to 2147483647 or -2147483648.
  bool Result(std::int32_t& value) const;
  // How many white space bytes come before the integer's sign or first digit.
  std::int64_t Blanks() const { return blanks_; }

 private:
  enum class State { Blank, Sign, Digits, Done, NoInteger };
  State state_ = State::Blank;
  bool negative_ = false;
  std::int64_t magnitude_ = 0;
  std::int64_t blanks_ = 0;
};

}  // namespace krobelnik
