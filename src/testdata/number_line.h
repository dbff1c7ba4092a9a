#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "failure/fault_place.h"
#include "input/byte_scan.h"
#include "input/room.h"
#include "input/text.h"

namespace krobelnik {

// Raise 55 (a byte that is neither white space nor a digit) and 61 (a digit
// that would take value past 2147483647) with their messages, at the byte's
// column (from 1) of the line that context describes.
[[noreturn]] void FailNotDigit(char c, std::int64_t column, const LineContext& context);
[[noreturn]] void FailTooLarge(std::uint32_t value, char digit, std::int64_t column,
                               const LineContext& context);

// How many numbers a NumberLineParser hands on at most in one batch. The
// tests and fuzz targets ask for batches as small as ConverterSlots, the most
// that one block stores at once, so that short lines cross batch boundaries
// with every kind of block.
inline constexpr std::size_t MaxNumberBatch = 1024;

// Parses a line of non-negative decimal integers separated by white space,
// fed in one or more consecutive pieces, and hands the numbers in order to
// sink(values, count, from) in batches, each batch before Feed or Finish
// returns. from is a byte of the line (from 0) before which every number of
// earlier batches ends and at or after which every number of this one
// starts: counting the starts of numbers from there finds the batch's
// numbers in order. Raises EAssertion 55 at a byte that is neither white
// space nor a digit and 61 at a digit that would take a number above
// 2147483647, placed on the line of context; the numbers before the fault
// may or may not have been handed on.
template <class Sink>
class NumberLineParser {
 public:
  // batch: at most MaxNumberBatch, at least ConverterSlots.
  NumberLineParser(Sink sink, const LineContext& context, std::size_t batch = MaxNumberBatch)
      : sink_(sink), context_(context), fill_(batch_), batchEnd_(batch_ + batch) {}
  NumberLineParser(const NumberLineParser&) = delete;
  NumberLineParser& operator=(const NumberLineParser&) = delete;

  void Feed(const char* data, std::size_t size);
  // Ends the line: a number that reaches the end of the line is complete.
  void Finish() {
    if (inNumber_) PutAt(value_, pendingStart_);
    inNumber_ = false;
    Flush(fed_);
  }
  // How many numbers the line has held so far (exact for any line length).
  std::int64_t Count() const { return count_; }

 private:
  // Reads the piece from p with the scan level's number conversion, block by
  // block; returns where it stopped, never in the middle of a number.
  const char* FeedBlocks(const char* p, const char* end);

  // Reads one number or one other byte at p, end - p >= 1, as the byte loop
  // does; returns where it stopped. Short lines are read by it alone, so it
  // is kept inline in Feed.
  [[gnu::always_inline]] const char* FeedToken(const char* p, const char* end);

  // The byte of the line (from 0) at p, a byte of the current piece.
  std::int64_t ByteOf(const char* p) const { return pieceStart_ + (p - piece_); }

  // value * 10 + the digit at p, refusing to pass 2147483647.
  std::uint32_t AddDigit(std::uint32_t value, const char* p) const {
    const char digit = *p;
    if (value > 214748364U || (value == 214748364U && digit > '7'))
      FailTooLarge(value, digit, ByteOf(p) + 1, context_);
    return value * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  // Stores value, a number that starts at p, in the batch.
  void Put(std::uint32_t value, const char* p) {
    if (fill_ == batchEnd_) Flush(ByteOf(p));
    Store(value);
  }
  // Stores value, a number that starts at byte start of the line.
  void PutAt(std::uint32_t value, std::int64_t start) {
    if (fill_ == batchEnd_) Flush(start);
    Store(value);
  }
  // Room is made before the store, never after it, so that no path into a
  // store can find the batch full.
  void Store(std::uint32_t value) {
    KROBELNIK_ASSERT_ROOM(fill_, batchEnd_, 1);
    *fill_++ = value;
  }
  // Hands on the numbers of the batch and starts it again; the numbers
  // stored from now on start at or after byte next.
  void Flush(std::int64_t next) {
    const auto size = static_cast<std::size_t>(fill_ - batch_);
    count_ += static_cast<std::int64_t>(size);
    fill_ = batch_;
    const std::int64_t from = batchFrom_;
    batchFrom_ = next;
    if (size > 0) sink_(static_cast<const std::uint32_t*>(batch_), size, from);
  }

  Sink sink_;
  const LineContext& context_;
  std::int64_t count_ = 0;
  // A number that the previous piece left open: its value and first byte.
  bool inNumber_ = false;
  std::uint32_t value_ = 0;
  std::int64_t pendingStart_ = 0;
  // The piece being fed, the byte of the line it starts at, and the bytes
  // fed before the current piece ended.
  const char* piece_ = nullptr;
  std::int64_t pieceStart_ = 0;
  std::int64_t fed_ = 0;
  // Where the numbers of the batch being filled start, at the earliest.
  std::int64_t batchFrom_ = 0;
  // Empty between calls: each call hands on what it gathered before it returns.
  std::uint32_t batch_[MaxNumberBatch];
  std::uint32_t* fill_;
  std::uint32_t* const batchEnd_;
};

template <class Sink>
void NumberLineParser<Sink>::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* const end = data + size;
  piece_ = data;
  pieceStart_ = fed_;
  fed_ += static_cast<std::int64_t>(size);
  if (inNumber_) {
    // A number that the previous piece left open continues here.
    while (p < end && IsDigit(*p)) value_ = AddDigit(value_, p++);
    if (p == end) return;
    inNumber_ = false;
    PutAt(value_, pendingStart_);
  }
  while (p < end) {
    if (end - p >= NumberBlockReach) {
      p = FeedBlocks(p, end);
      if (end - p >= NumberBlockReach) {
        // The scan level stopped at a block it does not convert: a byte that
        // is neither a digit nor white space, or a long number. The byte loop
        // reads that block before blocks are tried again.
        const char* const blockEnd = p + 64;
        while (p < blockEnd) p = FeedToken(p, end);
        continue;
      }
    }
    p = FeedToken(p, end);
  }
  // A number left open starts before the end of the piece.
  Flush(inNumber_ ? pendingStart_ : fed_);
}

template <class Sink>
inline const char* NumberLineParser<Sink>::FeedToken(const char* p, const char* end) {
  if (!IsDigit(*p)) {
    if (!IsWhiteSpace(*p)) FailNotDigit(*p, ByteOf(p) + 1, context_);
    return p + 1;
  }
  if (end - p >= 8) {
    // A number of fewer than eight digits is read from one 8-byte load.
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t nonDigits = NonDigitBytes(word);
    if (nonDigits != 0) {
      const int length = std::countr_zero(nonDigits) >> 3;
      Put(ShortNumber(word, length), p);
      return p + length;
    }
  }
  const char* const start = p;
  std::uint32_t value = 0;
  for (; p < end && IsDigit(*p); ++p) value = AddDigit(value, p);
  if (p == end) {
    // The number may go on in the next piece.
    inNumber_ = true;
    value_ = value;
    pendingStart_ = ByteOf(start);
  } else {
    Put(value, start);
  }
  return p;
}

template <class Sink>
const char* NumberLineParser<Sink>::FeedBlocks(const char* p, const char* end) {
  const auto convert = ActiveScanners().convertNumbers;
  while (end - p >= NumberBlockReach) {
    // The conversion may store all of its slots, however few numbers it finds.
    if (batchEnd_ - fill_ < static_cast<std::ptrdiff_t>(ConverterSlots)) Flush(ByteOf(p));
    const NumberRun run = convert(p, end, fill_, static_cast<std::size_t>(batchEnd_ - fill_));
    fill_ += run.count;
    if (run.stop == p) break;
    p = run.stop;
  }
  return p;
}

// Finds where the parser's nth number from byte from of a line starts, as a
// batch's from is counted: a number starts at a digit that does not follow
// a digit. Fed the line's bytes from byte from on, in pieces.
class NumberStart {
 public:
  NumberStart(std::int64_t nth, std::int64_t from) : left_(nth), at_(from) {}
  void Feed(const char* data, std::size_t size) {
    for (std::size_t b = 0; b < size && found_ < 0; ++b, ++at_) {
      const bool digit = IsDigit(data[b]);
      if (digit && !inNumber_ && --left_ == 0) found_ = at_;
      inNumber_ = digit;
    }
  }
  // The byte (from 0) where it starts; -1 while the bytes fed hold fewer.
  std::int64_t Found() const { return found_; }

 private:
  std::int64_t left_;
  std::int64_t at_;
  bool inNumber_ = false;
  std::int64_t found_ = -1;
};

// The first Size numbers of a line, kept without allocating.
template <std::size_t Size>
struct FirstNumbers {
  std::array<std::int32_t, Size> values{};
  std::size_t kept = 0;
  // The sink that keeps them.
  auto Keep() {
    return [this](const std::uint32_t* batch, std::size_t count, std::int64_t) {
      for (std::size_t v = 0; v < count && kept < Size; ++v)
        values[kept++] = static_cast<std::int32_t>(batch[v]);
    };
  }
};

}  // namespace krobelnik
