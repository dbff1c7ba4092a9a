#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace krobelnik {

// Parses a line of non-negative decimal integers separated by white space,
// fed in one or more consecutive pieces. Raises EAssertion 55 at a byte that is
// neither white space nor a digit and 61 at a digit that would take a number
// above 2147483647. Keeps the first `keep` numbers in `numbers` and counts all.
class NumberLineParser {
 public:
  NumberLineParser(std::vector<std::int32_t>& numbers, std::size_t keep)
      : numbers_(numbers), keep_(keep) {
    numbers_.clear();
  }

  void Feed(const char* data, std::size_t size);
  // Ends the line: a number that reaches the end of the line is complete.
  void Finish();
  // How many numbers the line holds (exact for any line length).
  std::int64_t Count() const { return count_; }

 private:
  void Emit(std::uint32_t value) {
    if (static_cast<std::uint64_t>(count_) < keep_)
      numbers_.push_back(static_cast<std::int32_t>(value));
    ++count_;
  }

  std::vector<std::int32_t>& numbers_;
  std::size_t keep_;
  std::int64_t count_ = 0;
  bool inNumber_ = false;
  std::uint32_t value_ = 0;
};

// Empties numbers and appends the integers of line in order; an empty or
// blank line yields none. Raises EAssertion 55 or 61 as NumberLineParser does.
void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers);

// The "%d" conversion of a line: skips white space, takes an optional sign and
// at least one digit, ignores the rest. Returns false when no integer stands
// there; a value beyond 32 bits saturates to 2147483647 or -2147483648.
bool LeadingInt(std::string_view line, std::int32_t& value);

}  // namespace krobelnik
