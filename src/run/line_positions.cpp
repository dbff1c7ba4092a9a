#include "run/line_positions.h"

#include <algorithm>
#include <bit>

#include "input/byte_scan.h"
#include "input/text.h"

namespace krobelnik {

void NumberPositions::Step(char c) {
  ++column_;
  if (IsDigit(c)) {
    const int digit = c - '0';
    if (!inNumber_) {
      inNumber_ = true;
      value_ = digit;
      ++count;
      if (count == wanted_) wantedColumn = column_;
    } else {
      if (tooLarge_ && (value_ > 214748364 || (value_ == 214748364 && digit >= 8))) {
        fault = 61;
        faultColumn = column_;
        faultByte = static_cast<unsigned char>(c);
        return;
      }
      // Without the value check a number may run long; it stays above
      // 2147483647 and never wraps.
      value_ = std::min<std::int64_t>(value_ * 10 + digit, std::int64_t{1} << 40);
    }
    if (count == wanted_) wantedValue = value_;
  } else if (IsWhiteSpace(c)) {
    inNumber_ = false;
  } else {
    fault = 55;
    faultColumn = column_;
    faultByte = static_cast<unsigned char>(c);
  }
}

void NumberPositions::Feed(const char* data, std::size_t size) {
  const auto numberBytes = ActiveScanners().numberBytes;
  std::size_t at = 0;
  while (at < size && fault == 0) {
    if (size - at >= 64 && !tooLarge_) {
      // A block passes whole when it holds no fault, the wanted number
      // neither starts in it nor is being read.
      const ByteClasses classes = numberBytes(data + at);
      const std::uint64_t starts = classes.digits & ~((classes.digits << 1) | (inNumber_ ? 1 : 0));
      const int started = std::popcount(starts);
      const bool wantedHere = count < wanted_ && count + started >= wanted_;
      const bool readingWanted = inNumber_ && count == wanted_;
      if ((classes.digits | classes.spaces) == ~std::uint64_t{0} && !wantedHere && !readingWanted) {
        count += started;
        inNumber_ = (classes.digits >> 63) != 0;
        column_ += 64;
        at += 64;
        continue;
      }
      const std::size_t blockEnd = at + 64;
      for (; at < blockEnd && fault == 0; ++at) Step(data[at]);
      continue;
    }
    Step(data[at]);
    ++at;
  }
}

void LetterPositions::Feed(const char* data, std::size_t size) {
  if (nonLetterColumn == 0) {
    const std::size_t q = FindNonLetter(data, size);
    if (q < size) {
      nonLetterColumn = length + static_cast<std::int64_t>(q) + 1;
      nonLetter = static_cast<unsigned char>(data[q]);
    }
  }
  length += static_cast<std::int64_t>(size);
}

}  // namespace krobelnik
