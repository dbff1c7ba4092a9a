#pragma once

// Test-only conveniences over the reading layer and the number-line parser,
// shared by the unit tests and the fuzz targets.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "input/byte_scan.h"
#include "input/leading_int.h"
#include "input/line_reader.h"
#include "testdata/number_line.h"

namespace krobelnik::testing {

// Keeps the first `keep` numbers of a line in a list.
struct KeepNumbers {
  std::vector<std::int32_t>* numbers;
  std::size_t keep;
  void operator()(const std::uint32_t* values, std::size_t count, std::int64_t) const {
    for (std::size_t v = 0; v < count && numbers->size() < keep; ++v)
      numbers->push_back(static_cast<std::int32_t>(values[v]));
  }
};

// Empties numbers and appends the integers of line in order; raises
// EAssertion 55 or 61 as NumberLineParser does.
inline void NumberLine(std::string_view line, std::vector<std::int32_t>& numbers) {
  numbers.clear();
  const LineContext context;
  NumberLineParser parser(KeepNumbers{&numbers, std::numeric_limits<std::size_t>::max()}, context);
  parser.Feed(line.data(), line.size());
  parser.Finish();
}

// Where each number of a line starts (from 0), up to the line's first byte
// that is neither white space nor a digit.
inline std::vector<std::size_t> NumberStarts(std::string_view line) {
  std::vector<std::size_t> starts;
  for (std::size_t p = 0; p < line.size(); ++p) {
    const auto u = static_cast<unsigned char>(line[p]);
    const bool digit = u >= '0' && u <= '9';
    if (!digit && u != ' ' && (u < 9 || u > 13)) break;
    if (digit && (p == 0 || line[p - 1] < '0' || line[p - 1] > '9')) starts.push_back(p);
  }
  return starts;
}

// Where the active scan level's operations classify a byte value at a
// place of a block otherwise than a byte-by-byte reading does, whatever its
// neighbours (a carry or borrow leaking between bytes would show with some
// of them); empty when nowhere.
inline std::string ClassificationFault() {
  const Scanners& scanners = ActiveScanners();
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const auto isSpace = [](char c) { return c == ' ' || (c >= 9 && c <= 13); };
  for (const char neighbour : {'\0', '0', '9', 'a', 'z', '\n', ' ', '\x7f', '\x80', '\xff'}) {
    for (int value = 0; value < 256; ++value) {
      std::string block(64, neighbour);
      // A line of one-digit numbers with the same byte at the same places.
      std::string numbers;
      for (int n = 0; n < 32; ++n) numbers += "1 ";
      for (std::size_t at = 0; at < 64; at += 7) block[at] = numbers[at] = static_cast<char>(value);
      std::uint64_t feeds = 0, others = 0;
      for (std::size_t b = 0; b < 64; ++b) {
        const auto u = static_cast<unsigned char>(block[b]);
        feeds |= std::uint64_t{u == '\n'} << b;
        others |= std::uint64_t{u < 'a' || u > 'z'} << b;
      }
      const std::string where = " of byte " + std::to_string(value) + " among " +
                                std::to_string(static_cast<unsigned char>(neighbour));
      const std::size_t firstOther =
          others == 0 ? 64 : static_cast<std::size_t>(std::countr_zero(others));
      const LineFeedWindow window = scanners.findLineFeeds(block.data(), 64);
      if (scanners.lineFeeds(block.data()) != feeds || window.mask != feeds ||
          window.base != (feeds == 0 ? 64U : 0U))
        return "line feeds" + where;
      if (scanners.nonLetters(block.data()) != others ||
          scanners.findNonLetter(block.data(), 64) != firstOther)
        return "letters" + where;
      // The conversion takes the block exactly when every byte is a digit
      // or white space, and then finds what a byte-by-byte reading finds.
      const std::string line = numbers + std::string(8, ' ');
      std::uint32_t out[ConverterSlots];
      const NumberRun run =
          scanners.convertNumbers(line.data(), line.data() + line.size(), out, ConverterSlots);
      const bool convertible = std::all_of(numbers.begin(), numbers.end(),
                                           [&](char c) { return isDigit(c) || isSpace(c); });
      if (!convertible) {
        if (run.stop != line.data()) return "a block converted that holds other bytes" + where;
        continue;
      }
      // A number that reaches the block's end is left to the next block.
      std::size_t end = 64;
      if (isDigit(numbers[63]))
        while (end > 0 && isDigit(numbers[end - 1])) --end;
      const auto stop = static_cast<std::size_t>(run.stop - line.data());
      std::vector<std::int32_t> expected;
      NumberLine(numbers.substr(0, stop), expected);
      if (stop != end || std::vector<std::int32_t>(out, out + run.count) != expected)
        return "numbers" + where;
    }
  }
  return {};
}

// LeadingIntParser on a whole line.
inline bool LeadingInt(std::string_view line, std::int32_t& value) {
  LeadingIntParser parser;
  parser.Feed(line.data(), line.size());
  return parser.Result(value);
}

// A reader of text held in memory, with a buffer of at most bufferSize
// bytes and no larger than the text needs.
inline std::unique_ptr<LineReader> TextReader(
    std::string text, std::size_t bufferSize = LineReader::DefaultBufferSize) {
  auto reader = std::make_unique<LineReader>(std::min(bufferSize, text.size() + 1));
  reader->OpenText(std::move(text));
  return reader;
}

// A reader of the file at path.
inline std::unique_ptr<LineReader> FileReader(
    const std::string& path, std::size_t bufferSize = LineReader::DefaultBufferSize) {
  auto reader = std::make_unique<LineReader>(bufferSize);
  reader->Open(path);
  return reader;
}

// Reads the next line whole; false when there is none.
inline bool ReadWholeLine(LineReader& reader, std::string_view& line) {
  CountedLine counted;
  if (!reader.ReadLineView(std::string::npos, counted)) return false;
  line = counted.bytes;
  return true;
}

}  // namespace krobelnik::testing
