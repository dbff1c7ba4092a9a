// Checks the number-line parser and the leading-integer conversion against
// plain reference readings of the same bytes, whole and split into pieces.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "failure/assertion.h"
#include "fuzz_checks.h"
#include "input/byte_scan.h"
#include "input/leading_int.h"
#include "reading_support.h"
#include "testdata/number_line.h"

namespace {

using krobelnik::fuzz::Require;

bool Space(char c) { return c == ' ' || (c >= 9 && c <= 13); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// The outcome of parsing a line: its numbers, or the failure's location,
// message and column.
struct Outcome {
  std::vector<std::int32_t> numbers;
  std::int32_t location = 0;
  std::string message;
  std::int64_t column = 0;
  bool operator==(const Outcome& o) const {
    return numbers == o.numbers && location == o.location && message == o.message &&
           column == o.column;
  }
};

Outcome Reference(std::string_view line) {
  Outcome outcome;
  std::size_t p = 0;
  while (p < line.size()) {
    if (Space(line[p])) {
      ++p;
    } else if (Digit(line[p])) {
      std::int64_t value = 0;
      for (; p < line.size() && Digit(line[p]); ++p) {
        const std::int64_t next = value * 10 + (line[p] - '0');
        if (next > 2147483647) {
          outcome.numbers.clear();
          outcome.location = 61;
          outcome.message =
              "stevilo " + std::to_string(value) + std::string(1, line[p]) + " je preveliko";
          outcome.column = static_cast<std::int64_t>(p) + 1;
          return outcome;
        }
        value = next;
      }
      outcome.numbers.push_back(static_cast<std::int32_t>(value));
    } else {
      outcome.numbers.clear();
      outcome.location = 55;
      outcome.message = "namesto stevke se pojavlja znak s kodo " +
                        std::to_string(static_cast<unsigned char>(line[p]));
      outcome.column = static_cast<std::int64_t>(p) + 1;
      return outcome;
    }
  }
  return outcome;
}

// Parses line in two pieces, cut at cut, in batches of batch numbers; each
// batch must start where counting numbers from its first byte finds it
// (starts: where each number of the line starts).
Outcome Parse(std::string_view line, const std::vector<std::size_t>& starts, std::size_t cut,
              std::size_t batch) {
  Outcome outcome;
  const auto sink = [&](const std::uint32_t* values, std::size_t count, std::int64_t from) {
    const auto first = static_cast<std::size_t>(
        std::lower_bound(starts.begin(), starts.end(), static_cast<std::size_t>(from)) -
        starts.begin());
    Require(first == outcome.numbers.size(), "a batch does not start where it says");
    outcome.numbers.insert(outcome.numbers.end(), values, values + count);
  };
  try {
    const krobelnik::LineContext context;
    krobelnik::NumberLineParser parser(sink, context, batch);
    parser.Feed(line.data(), cut);
    parser.Feed(line.data() + cut, line.size() - cut);
    parser.Finish();
    Require(parser.Count() == static_cast<std::int64_t>(outcome.numbers.size()), "count");
  } catch (const krobelnik::EAssertion& failure) {
    outcome.numbers.clear();
    outcome.location = failure.location;
    outcome.message = failure.message;
    outcome.column = failure.place.at.column;
  }
  return outcome;
}

bool ReferenceLeadingInt(std::string_view line, std::int64_t& value) {
  std::size_t p = 0;
  while (p < line.size() && Space(line[p])) ++p;
  bool negative = false;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) negative = line[p++] == '-';
  if (p == line.size() || !Digit(line[p])) return false;
  value = 0;
  for (; p < line.size() && Digit(line[p]); ++p)
    value = std::min<std::int64_t>(value * 10 + (line[p] - '0'), std::int64_t{1} << 40);
  if (negative) value = -value;
  value = std::max<std::int64_t>(std::min<std::int64_t>(value, 2147483647), -2147483648LL);
  return true;
}

// Tokens that a dense line holds now and then.
constexpr std::string_view LongTokens[] = {
    "000000001",
    "123456789",
    "2147483647",
    "2147483648",
    "99999999999",
    "12345678",
    "0000000000000000000000000000000000000000000000000000000000000000000007",
    "1a"};

// The input read as the recipe of a dense number line, so that few bytes
// reach a batch boundary with every kind of block: the first byte gives the
// count of leading spaces (the line's alignment to the blocks), each further
// byte a one-digit number and one white space byte, or, from 0xF0 on, a
// long token.
std::string DenseLine(std::string_view input) {
  if (input.empty()) return {};
  std::string line(static_cast<unsigned char>(input[0]) % 64, ' ');
  for (const char c : input.substr(1)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0xF0) {
      line += LongTokens[byte % 8];
      line += ' ';
    } else {
      line += static_cast<char>('0' + byte % 10);
      line += byte % 16 == 15 ? '\t' : ' ';
    }
  }
  return line;
}

// A scan level, the plain one included, reads the line as the reference
// does, whole and in two pieces, with one of batches: the full batch, and
// batches small enough that short lines cross their boundaries with every
// kind of block (a block of 32 numbers fills a batch of 32 or 64 exactly).
// choice picks the level and the batch, so that inputs take every pair in
// turn while each costs only a few parses.
void CheckNumberLine(std::string_view line, std::initializer_list<std::size_t> batches,
                     std::size_t choice) {
  const Outcome expected = Reference(line);
  const std::vector<std::size_t> starts = krobelnik::testing::NumberStarts(line);
  const std::size_t batch = *(batches.begin() + choice % batches.size());
  const std::size_t levels = std::size(krobelnik::ScanLevels);
  const krobelnik::ScanLevel level = krobelnik::ScanLevels[choice / batches.size() % levels].level;
  krobelnik::SetScanLevel(level);
  Require(Parse(line, starts, 0, batch) == expected, "NumberLine differs from the reference");
  const std::size_t cut = line.size() / (level == krobelnik::ScanLevel::Avx2 ? 3 : 2);
  Require(Parse(line, starts, cut, batch) == expected, "NumberLine in two pieces differs");
}

// Every level's operations classify every byte as a plain reading does;
// checked once a process, so that builds without the unit tests check it too.
void CheckClassificationOnce() {
  static const bool checked = [] {
    for (const krobelnik::ScanLevelName& level : krobelnik::ScanLevels) {
      krobelnik::SetScanLevel(level.level);
      Require(krobelnik::testing::ClassificationFault().empty(),
              "a scan level classifies a byte otherwise than a plain reading");
    }
    return true;
  }();
  static_cast<void>(checked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckClassificationOnce();
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::size_t choice = size + (size > 0 ? data[size - 1] : 0U);
  CheckNumberLine(line, {krobelnik::MaxNumberBatch, 32}, choice);
  CheckNumberLine(DenseLine(line), {krobelnik::MaxNumberBatch, 32, 64}, choice);

  std::int64_t want = 0;
  std::int32_t got = 0;
  const bool found = krobelnik::testing::LeadingInt(line, got);
  Require(found == ReferenceLeadingInt(line, want), "LeadingInt finds a number or not");
  Require(!found || got == want, "LeadingInt value");
  krobelnik::LeadingIntParser split;
  split.Feed(line.data(), size / 2);
  split.Feed(line.data() + size / 2, size - size / 2);
  std::int32_t inPieces = 0;
  Require(split.Result(inPieces) == found && (!found || inPieces == got),
          "LeadingInt in two pieces differs");
  return 0;
}
