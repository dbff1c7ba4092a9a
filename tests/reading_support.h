#pragma once

// Test-only conveniences over the reading layer and the number-line parser,
// shared by the unit tests and the fuzz targets.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
