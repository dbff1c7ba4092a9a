#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "input/byte_scan.h"
#include "input/room.h"
#include "input/text.h"

namespace krobelnik {

// Raise 55 (a byte that is neither white space nor a digit) and 61 (a digit
// that would take value past 2147483647) with their messages.
[[noreturn]] void FailNotDigit(char c);
[[noreturn]] void FailTooLarge(std::uint32_t value, char digit);

// How many numbers a NumberLineParser hands on at most in one batch; it may
// be set as low as ConverterSlots, the most that one block stores at once.
inline constexpr std::size_t MaxNumberBatch = 1024;

// The batch size of the parsers made from now on: MaxNumberBatch unless set.
// The tests and fuzz targets set it small, so that short lines cross batch
// boundaries with every kind of block.
std::size_t NumberBatchSize();
// Sets it, within ConverterSlots ... MaxNumberBatch.
void SetNumberBatchSize(std::size_t size);

// Parses a line of non-negative decimal integers separated by white space,
// fed in one or more consecutive pieces, and hands the numbers in order to
// sink(values, count) in batches, each batch before Feed or Finish returns.
// Raises EAssertion 55 at a byte that is neither white space nor a digit and
// 61 at a digit that would take a number above 2147483647; the numbers before
// the fault may or may not have been handed on.
template <class Sink>
class NumberLineParser {
 public:
  explicit NumberLineParser(Sink sink)
      : sink_(sink), fill_(batch_), batchEnd_(batch_ + NumberBatchSize()) {}
  NumberLineParser(const NumberLineParser&) = delete;
  NumberLineParser& operator=(const NumberLineParser&) = delete;

  void Feed(const char* data, std::size_t size);
  // Ends the line: a number that reaches the end of the line is complete.
  void Finish() {
    if (inNumber_) Put(value_);
    inNumber_ = false;
    Flush();
  }
  // How many numbers the line has held so far (exact for any line length).
  std::int64_t Count() const { return count_; }

 private:
  // The fast path needs this many bytes ahead: a block of 64, and 8 more so
  // that a number starting in the block's last byte can be loaded whole.
  static constexpr std::ptrdiff_t BlockReach = 72;

  // Reads blocks of 64 bytes from p while at least BlockReach bytes remain;
  // returns where it stopped, never in the middle of a number. It stops early
  // at a block with a byte that is neither a digit nor white space, and
  // before a number of 64 digits or more, which the byte loop then reads.
  const char* FeedBlocks(const char* p, const char* end);

  // Reads one number or one other byte at p, end - p >= 1, as the byte loop
  // does; returns where it stopped.
  const char* FeedToken(const char* p, const char* end);

  // The value of the `length` >= 9 digits at p.
  static std::uint32_t LongNumber(const char* p, int length) {
    std::uint64_t first;
    std::memcpy(&first, p, 8);
    // Nine digits never pass 2147483647; from the tenth on each is checked.
    std::uint32_t value = ShortNumber(first, 8) * 10 + static_cast<std::uint32_t>(p[8] - '0');
    for (int d = 9; d < length; ++d) value = AddDigit(value, p[d]);
    return value;
  }

  // value * 10 + digit, refusing to pass 2147483647.
  static std::uint32_t AddDigit(std::uint32_t value, char digit) {
    if (value > 214748364U || (value == 214748364U && digit > '7')) FailTooLarge(value, digit);
    return value * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  // Stores value in the batch. Room is made before the store, never after
  // it, so that no path into a store can find the batch full.
  void Put(std::uint32_t value) {
    if (fill_ == batchEnd_) Flush();
    KROBELNIK_ASSERT_ROOM(fill_, batchEnd_, 1);
    *fill_++ = value;
  }
  // Hands on the numbers of the batch, and starts it again.
  void Flush() {
    const auto size = static_cast<std::size_t>(fill_ - batch_);
    count_ += static_cast<std::int64_t>(size);
    fill_ = batch_;
    if (size > 0) sink_(batch_, size);
  }

  Sink sink_;
  std::int64_t count_ = 0;
  bool inNumber_ = false;
  std::uint32_t value_ = 0;
  // Empty between calls: each call hands on what it gathered before it returns.
  std::uint32_t batch_[MaxNumberBatch];
  std::uint32_t* fill_;
  std::uint32_t* const batchEnd_;
};

template <class Sink>
void NumberLineParser<Sink>::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* const end = data + size;
  if (inNumber_) {
    // A number that the previous piece left open continues here.
    while (p < end && IsDigit(*p)) value_ = AddDigit(value_, *p++);
    if (p == end) return;
    inNumber_ = false;
    Put(value_);
  }
  while (p < end) {
    if (end - p >= BlockReach) {
      p = FeedBlocks(p, end);
      if (p == end) break;
    }
    p = FeedToken(p, end);
  }
  Flush();
}

template <class Sink>
const char* NumberLineParser<Sink>::FeedToken(const char* p, const char* end) {
  if (!IsDigit(*p)) {
    if (!IsWhiteSpace(*p)) FailNotDigit(*p);
    return p + 1;
  }
  if (end - p >= 8) {
    // A number of fewer than eight digits is read from one 8-byte load.
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t nonDigits = NonDigitBytes(word);
    if (nonDigits != 0) {
      const int length = std::countr_zero(nonDigits) >> 3;
      Put(ShortNumber(word, length));
      return p + length;
    }
  }
  std::uint32_t value = 0;
  for (; p < end && IsDigit(*p); ++p) value = AddDigit(value, *p);
  if (p == end) {
    // The number may go on in the next piece.
    inNumber_ = true;
    value_ = value;
  } else {
    Put(value);
  }
  return p;
}

template <class Sink>
const char* NumberLineParser<Sink>::FeedBlocks(const char* p, const char* end) {
  const Scanners& scanners = ActiveScanners();
  while (end - p >= BlockReach) {
    const ByteClasses classes = scanners.numberBytes(p);
    if ((classes.digits | classes.spaces) != ~std::uint64_t{0}) break;
    const std::uint64_t digits = classes.digits;
    // p never stands inside a number, so a digit in byte 0 starts one.
    std::uint64_t starts = digits & ~(digits << 1);
    std::ptrdiff_t advance = 64;
    if ((digits >> 63) != 0) {
      // The last number may go on past the block: the next block starts with it.
      const int last = 63 - std::countl_zero(starts);
      if (last == 0) break;
      starts &= ~(std::uint64_t{1} << last);
      advance = last;
    }
    // A run of nine digits or more, which the converter does not take.
    std::uint64_t long9 = digits;
    for (int d = 1; d < 9; ++d) long9 &= digits >> d;
    if (long9 == 0) {
      // The last digit of each number that ends in the block.
      std::uint64_t ends = digits & ~(digits >> 1);
      if (advance < 64) ends &= (std::uint64_t{1} << advance) - 1;
      // The converter may store all its slots, however few numbers it finds.
      if (batchEnd_ - fill_ < static_cast<std::ptrdiff_t>(ConverterSlots)) Flush();
      KROBELNIK_ASSERT_ROOM(fill_, batchEnd_, ConverterSlots);
      fill_ += scanners.blockNumbers(p, starts, ends, fill_);
      p += advance;
      continue;
    }
    const std::uint64_t others = ~digits;
    while (starts != 0) {
      const int a = std::countr_zero(starts);
      starts &= starts - 1;
      const int length = std::countr_zero(others >> a);
      if (length <= 8) {
        std::uint64_t word;
        std::memcpy(&word, p + a, 8);
        Put(SmallNumber(word, length));
      } else {
        Put(LongNumber(p + a, length));
      }
    }
    p += advance;
  }
  return p;
}

// The first Size numbers of a line, kept without allocating.
template <std::size_t Size>
struct FirstNumbers {
  std::array<std::int32_t, Size> values{};
  std::size_t kept = 0;
  // The sink that keeps them.
  auto Keep() {
    return [this](const std::uint32_t* batch, std::size_t count) {
      for (std::size_t v = 0; v < count && kept < Size; ++v)
        values[kept++] = static_cast<std::int32_t>(batch[v]);
    };
  }
};

}  // namespace krobelnik
