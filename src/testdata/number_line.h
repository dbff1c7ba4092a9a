#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "testdata/byte_scan.h"
#include "testdata/room.h"
#include "testdata/text.h"

namespace krobelnik {

// Raise 55 (a byte that is neither white space nor a digit) and 61 (a digit
// that would take value past 2147483647) with their messages.
[[noreturn]] void FailNotDigit(char c);
[[noreturn]] void FailTooLarge(std::uint32_t value, char digit);

// The high bit of every byte of word (little-endian: byte 0 lowest) that is
// not a digit, and of none below the first such byte. A byte's carry or
// borrow can only reach later bytes, and only from a byte that is no digit.
inline std::uint64_t NonDigitBytes(std::uint64_t word) {
  return ((word + 0x4646464646464646ULL) | (word - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
}

// The value of the first `length` bytes of word (1 to 8 digits, the first
// most significant): they are moved up behind leading '0' bytes and the
// eight digits are combined pairwise in three multiplications.
inline std::uint32_t ShortNumber(std::uint64_t word, int length) {
  const int shift = 8 * length;
  std::uint64_t digits = (word << (64 - shift)) | ((0x3030303030303030ULL >> (shift - 8)) >> 8);
  digits -= 0x3030303030303030ULL;
  digits = digits * 10 + (digits >> 8);
  digits = ((digits & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
            ((digits >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
           32;
  return static_cast<std::uint32_t>(digits);
}

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
// 61 at a digit that would take a number above 2147483647.
template <class Sink>
class NumberLineParser {
 public:
  explicit NumberLineParser(Sink sink) : sink_(sink), batchEnd_(batch_ + NumberBatchSize()) {}
  NumberLineParser(const NumberLineParser&) = delete;
  NumberLineParser& operator=(const NumberLineParser&) = delete;

  void Feed(const char* data, std::size_t size);
  // Ends the line: a number that reaches the end of the line is complete.
  void Finish() {
    std::uint32_t* out = batch_;
    if (inNumber_) Put(out, value_);
    inNumber_ = false;
    FlushFrom(out);
  }
  // How many numbers the line has held so far (exact for any line length).
  std::int64_t Count() const { return count_; }

 private:
  // The fast path needs this many bytes ahead: a block of 64, and 8 more so
  // that a number starting in the block's last byte can be loaded whole.
  static constexpr std::ptrdiff_t BlockReach = 72;

  // Reads blocks of 64 bytes from p while at least BlockReach bytes remain,
  // appending their numbers through out; returns where it stopped, never in
  // the middle of a number. It stops early at a block with a byte that is
  // neither a digit nor white space, and before a number of 64 digits or
  // more, which the byte loop then reads.
  const char* FeedBlocks(const Scanners& scanners, const char* p, const char* end,
                         std::uint32_t*& out);

  // The value of the `length` >= 9 digits at p; at a digit that would take it
  // past 2147483647 the numbers gathered through out are handed on and 61 is
  // raised.
  std::uint32_t LongNumber(const char* p, int length, std::uint32_t*& out) {
    std::uint64_t first;
    std::memcpy(&first, p, 8);
    // Nine digits never pass 2147483647; from the tenth on each is checked.
    std::uint32_t value = ShortNumber(first, 8) * 10 + static_cast<std::uint32_t>(p[8] - '0');
    for (int d = 9; d < length; ++d) value = NextDigit(value, p[d], out);
    return value;
  }

  // Whether value * 10 + digit would pass 2147483647.
  static bool TooLarge(std::uint32_t value, char digit) {
    return value > 214748364U || (value == 214748364U && digit > '7');
  }
  // value * 10 + digit, refusing to pass 2147483647.
  static std::uint32_t AddDigit(std::uint32_t value, char digit) {
    if (TooLarge(value, digit)) FailTooLarge(value, digit);
    return value * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  // AddDigit within Feed, which first hands on the numbers gathered through out.
  std::uint32_t NextDigit(std::uint32_t value, char digit, std::uint32_t*& out) {
    if (TooLarge(value, digit)) {
      FlushFrom(out);
      FailTooLarge(value, digit);
    }
    return value * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  // Stores value through out. Room is made before the store, never after
  // it, so that no path into a store can find the batch full.
  void Put(std::uint32_t*& out, std::uint32_t value) {
    if (out == batchEnd_) FlushFrom(out);
    KROBELNIK_ASSERT_ROOM(out, batchEnd_, 1);
    *out++ = value;
  }
  // Hands on the numbers gathered from batch_ up to out, and starts again.
  void FlushFrom(std::uint32_t*& out) {
    const auto size = static_cast<std::size_t>(out - batch_);
    count_ += static_cast<std::int64_t>(size);
    out = batch_;
    if (size > 0) sink_(batch_, size);
  }

  Sink sink_;
  std::int64_t count_ = 0;
  bool inNumber_ = false;
  std::uint32_t value_ = 0;
  // Empty between calls: each call hands on what it gathered before it
  // returns. Within a call the batch is filled through a local pointer, so
  // the loops keep it in a register.
  std::uint32_t batch_[MaxNumberBatch];
  std::uint32_t* const batchEnd_;
};

template <class Sink>
void NumberLineParser<Sink>::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* const end = data + size;
  std::uint32_t* out = batch_;
  if (inNumber_) {
    // A number that the previous piece left open continues here.
    while (p < end && IsDigit(*p)) value_ = AddDigit(value_, *p++);
    if (p == end) return;
    inNumber_ = false;
    Put(out, value_);
  }
  const Scanners& scanners = ActiveScanners();
  while (p < end) {
    if (scanners.numberBytes != nullptr && end - p >= BlockReach) {
      p = FeedBlocks(scanners, p, end, out);
      if (p == end) break;
    }
    const auto first = static_cast<std::uint32_t>(static_cast<unsigned char>(*p) - '0');
    if (first >= 10) {
      if (!IsWhiteSpace(*p)) {
        FlushFrom(out);
        FailNotDigit(*p);
      }
      ++p;
      continue;
    }
    if (end - p >= 8) {
      // A number of fewer than eight digits is read from one 8-byte load.
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      const std::uint64_t nonDigits = NonDigitBytes(word);
      if (nonDigits != 0) {
        const int length = std::countr_zero(nonDigits) >> 3;
        Put(out, ShortNumber(word, length));
        p += length;
        continue;
      }
    }
    std::uint32_t value = first;
    ++p;
    // Nine digits never pass 2147483647; from the tenth on each is checked.
    int digits = 1;
    for (; p < end && IsDigit(*p); ++p, ++digits) {
      if (digits < 9) {
        value = value * 10 + static_cast<std::uint32_t>(*p - '0');
      } else {
        value = NextDigit(value, *p, out);
      }
    }
    if (p == end) {
      inNumber_ = true;
      value_ = value;
      break;
    }
    Put(out, value);
  }
  FlushFrom(out);
}

template <class Sink>
const char* NumberLineParser<Sink>::FeedBlocks(const Scanners& scanners, const char* p,
                                               const char* end, std::uint32_t*& out) {
  const auto numberBytes = scanners.numberBytes;
  const auto blockNumbers = scanners.blockNumbers;
  while (end - p >= BlockReach) {
    const ByteClasses classes = numberBytes(p);
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
    const std::uint64_t others = ~digits;
    if (blockNumbers != nullptr) {
      // The last digit of each number that ends in the block.
      std::uint64_t ends = digits & ~(digits >> 1);
      if (advance < 64) ends &= (std::uint64_t{1} << advance) - 1;
      // A run of nine digits or more, which the converter does not take.
      std::uint64_t long9 = digits;
      for (int d = 1; d < 9; ++d) long9 &= digits >> d;
      if (long9 == 0) {
        // The converter may store all its slots, however few numbers it finds.
        if (batchEnd_ - out < static_cast<std::ptrdiff_t>(ConverterSlots)) FlushFrom(out);
        KROBELNIK_ASSERT_ROOM(out, batchEnd_, ConverterSlots);
        out += blockNumbers(p, starts, ends, out);
        p += advance;
        continue;
      }
    }
    while (starts != 0) {
      const int a = std::countr_zero(starts);
      starts &= starts - 1;
      const int length = std::countr_zero(others >> a);
      std::uint64_t word;
      std::memcpy(&word, p + a, 8);
      std::uint32_t value;
      if (length <= 2) {
        // Most indices are short: one or two digits need no multiplication tree.
        const auto first = static_cast<std::uint32_t>(word & 0xff) - '0';
        const auto second = static_cast<std::uint32_t>((word >> 8) & 0xff) - '0';
        value = length == 1 ? first : first * 10 + second;
      } else if (length <= 8) {
        value = ShortNumber(word, length);
      } else {
        value = LongNumber(p + a, length, out);
      }
      Put(out, value);
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

// Keeps the first `keep` numbers of a line in a list.
struct KeepNumbers {
  std::vector<std::int32_t>* numbers;
  std::size_t keep;
  void operator()(const std::uint32_t* values, std::size_t count) const {
    for (std::size_t v = 0; v < count && numbers->size() < keep; ++v)
      numbers->push_back(static_cast<std::int32_t>(values[v]));
  }
};

// Empties numbers and appends the integers of line in order; an empty or
// blank line yields none. Raises EAssertion 55 or 61 as NumberLineParser does.
void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers);

// The "%d" conversion of a line fed in one or more consecutive pieces: skips
// white space, takes an optional sign and at least one digit, and ignores the
// rest, which then costs nothing however long it is.
class LeadingIntParser {
 public:
  void Feed(const char* data, std::size_t size);
  // False when no integer stood at the start of the line; a value beyond 32
  // bits saturates to 2147483647 or -2147483648.
  bool Result(std::int32_t& value) const;

 private:
  enum class State { Blank, Sign, Digits, Done, NoInteger };
  State state_ = State::Blank;
  bool negative_ = false;
  std::int64_t magnitude_ = 0;
};

// LeadingIntParser on a whole line.
bool LeadingInt(std::string_view line, std::int32_t& value);

}  // namespace krobelnik
