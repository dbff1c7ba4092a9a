#pragma once

#include <cstddef>
#include <cstdint>

namespace krobelnik {

// Where things stand on one line, found in one pass over its bytes as a
// LineReader hands them out in pieces.
// Columns count the line's bytes from 1; 0 stands for none. Long stretches
// without anything sought are passed 64 bytes at a time.

// A line of numbers, by the number-line parser's rules: how many numbers it
// holds up to its first fault, where a wanted number starts and its value,
// and the first fault: a byte that is neither white space nor a digit (55),
// or, when asked for, a digit that would take a number past 2147483647 (61).
// Nothing after the first fault counts.
class NumberPositions {
 public:
  // wanted: the number (from 1) whose first digit is sought, or 0.
  // tooLarge: whether to check the numbers' values, which goes byte by byte.
  NumberPositions(std::int64_t wanted, bool tooLarge) : wanted_(wanted), tooLarge_(tooLarge) {}
  void Feed(const char* data, std::size_t size);

  std::int64_t count = 0;
  std::int64_t wantedColumn = 0;
  std::int64_t wantedValue = 0;
  std::int32_t fault = 0;
  std::int64_t faultColumn = 0;
  unsigned char faultByte = 0;

 private:
  void Step(char c);

  const std::int64_t wanted_;
  const bool tooLarge_;
  std::int64_t column_ = 0;
  bool inNumber_ = false;
  std::int64_t value_ = 0;
};

// A line that should hold lowercase letters only: its length and its first
// other byte.
class LetterPositions {
 public:
  void Feed(const char* data, std::size_t size);

  std::int64_t length = 0;
  std::int64_t nonLetterColumn = 0;
  unsigned char nonLetter = 0;
};

}  // namespace krobelnik
