#include "testdata/number_line.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "input/byte_scan.h"
#include "reading_support.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ExpectFailure;
using testing::KeepNumbers;
using testing::LeadingInt;
using testing::NumberLine;
using Numbers = std::vector<std::int32_t>;

// Restores the scan level in force when it was made.
class RestoreLevel {
 public:
  RestoreLevel() : level_(ActiveScanLevel()) {}
  ~RestoreLevel() { SetScanLevel(level_); }
  RestoreLevel(const RestoreLevel&) = delete;
  RestoreLevel& operator=(const RestoreLevel&) = delete;

 private:
  ScanLevel level_;
};

TEST(NumberLine, AcceptsNonNegativeNumbersBetweenWhiteSpace) {
  const struct {
    std::string line;
    Numbers numbers;
  } cases[] = {
      {"", {}},
      {"   \t", {}},
      {" 12\t 34 ", {12, 34}},
      {"007", {7}},
      {"0", {0}},
      {"5\r", {5}},
      {"\t1\n2\v3\f4\r5 6", {1, 2, 3, 4, 5, 6}},
      {"2147483647", {2147483647}},
      {"0002147483647 0", {2147483647, 0}},
  };
  for (const auto& c : cases) {
    Numbers numbers{99};
    NumberLine(c.line, numbers);
    EXPECT_EQ(numbers, c.numbers) << c.line;
  }
}

TEST(NumberLine, RejectsOtherBytesAndTooLargeValuesAtTheirColumn) {
  const struct {
    std::string line;
    std::int32_t location;
    std::string message;
    std::int64_t column;
  } cases[] = {
      {"2147483648", 61, "stevilo 2147483648 je preveliko", 10},
      {"2147483649", 61, "stevilo 2147483649 je preveliko", 10},
      {"21474836470", 61, "stevilo 21474836470 je preveliko", 11},
      {"99999999999", 61, "stevilo 9999999999 je preveliko", 10},
      {"0002147483648", 61, "stevilo 2147483648 je preveliko", 13},
      {"1 3000000000", 61, "stevilo 3000000000 je preveliko", 12},
      {"-1", 55, "namesto stevke se pojavlja znak s kodo 45", 1},
      {"+1", 55, "namesto stevke se pojavlja znak s kodo 43", 1},
      {"3.5", 55, "namesto stevke se pojavlja znak s kodo 46", 2},
      {"1,2", 55, "namesto stevke se pojavlja znak s kodo 44", 2},
      {"12a", 55, "namesto stevke se pojavlja znak s kodo 97", 3},
      {"\xe8", 55, "namesto stevke se pojavlja znak s kodo 232", 1},
      {"1 \xa0", 55, "namesto stevke se pojavlja znak s kodo 160", 3},
      {std::string("1\0", 2), 55, "namesto stevke se pojavlja znak s kodo 0", 2},
      {"1 2 x 2147483648", 55, "namesto stevke se pojavlja znak s kodo 120", 5},
      {"2147483648 x", 61, "stevilo 2147483648 je preveliko", 10},
  };
  for (const auto& c : cases) {
    Numbers numbers;
    ExpectFailure(c.location, c.message, [&] { NumberLine(c.line, numbers); });
    const EAssertion failure = testing::Caught([&] { NumberLine(c.line, numbers); });
    EXPECT_EQ(failure.place.at.column, c.column) << c.line;
  }
}

TEST(NumberLine, NumbersOfEveryLengthInLongLines) {
  // Lines long enough that numbers are read eight bytes at a time.
  Numbers numbers;
  NumberLine("1 12 123 1234 12345 123456 1234567 12345678 123456789 1234567890 0000001 9", numbers);
  EXPECT_EQ(numbers, (Numbers{1, 12, 123, 1234, 12345, 123456, 1234567, 12345678, 123456789,
                              1234567890, 1, 9}));
  NumberLine("9999999\t0000000\r7654321         ", numbers);
  EXPECT_EQ(numbers, (Numbers{9999999, 0, 7654321}));
}

TEST(NumberLine, EveryByteAfterADigitInALongLine) {
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const std::string line = std::string("123") + c + "45678901";
    Numbers numbers;
    if (byte >= '0' && byte <= '9') {
      ExpectFailure(61, "stevilo 123" + std::string(1, c) + "4567890 je preveliko",
                    [&] { NumberLine(line, numbers); });
      continue;
    }
    if (byte == 32 || (byte >= 9 && byte <= 13)) {
      NumberLine(line, numbers);
      EXPECT_EQ(numbers, (Numbers{123, 45678901})) << byte;
    } else {
      ExpectFailure(55, "namesto stevke se pojavlja znak s kodo " + std::to_string(byte),
                    [&] { NumberLine(line, numbers); });
    }
  }
}

TEST(NumberLineParser, NumbersMaySpanPieces) {
  Numbers numbers;
  const LineContext line{{InputRole::Submission, 9, 70, 0}, 0, {}};
  NumberLineParser parser(KeepNumbers{&numbers, 100}, line);
  for (const char* piece : {"1", "2", " 3", "4", " ", "", "5"})
    parser.Feed(piece, std::strlen(piece));
  parser.Finish();
  EXPECT_EQ(numbers, (Numbers{12, 34, 5}));
  EXPECT_EQ(parser.Count(), 3);

  // A fault is placed on the parser's line, at its column across pieces.
  Numbers more;
  NumberLineParser overflowing(KeepNumbers{&more, 100}, line);
  const EAssertion failure = testing::Caught([&] {
    overflowing.Feed(" 21474", 6);
    overflowing.Feed("83648", 5);
  });
  EXPECT_EQ(failure.location, 61);
  EXPECT_EQ(failure.message, "stevilo 2147483648 je preveliko");
  EXPECT_EQ(failure.place.line.line, 9);
  EXPECT_EQ(failure.place.line.offset, 70);
  EXPECT_EQ(failure.place.at.column, 11);
}

// A line's numbers, or its failure as "location: message".
struct Parsed {
  Numbers numbers;
  std::string failure;
  bool operator==(const Parsed&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Parsed& parsed) {
    out << parsed.numbers.size() << " numbers";
    return parsed.failure.empty() ? out : out << ", " << parsed.failure;
  }
};

// The line fed in three pieces, cut at cut1 and cut2, by a parser with
// batches of batch numbers; a batch of no numbers or more than batch, or one
// that does not start where it says, is a failure too, and so is a fault
// placed off its byte.
Parsed ParseInPieces(const std::string& line, std::size_t cut1, std::size_t cut2,
                     std::size_t batch) {
  Parsed parsed;
  const std::vector<std::size_t> starts = testing::NumberStarts(line);
  bool batchesFit = true;
  try {
    const LineContext context;
    NumberLineParser parser(
        [&](const std::uint32_t* values, std::size_t count, std::int64_t from) {
          const auto first =
              std::lower_bound(starts.begin(), starts.end(), static_cast<std::size_t>(from));
          batchesFit = batchesFit && count > 0 && count <= batch &&
                       first - starts.begin() == static_cast<std::ptrdiff_t>(parsed.numbers.size());
          parsed.numbers.insert(parsed.numbers.end(), values, values + count);
        },
        context, batch);
    parser.Feed(line.data(), cut1);
    parser.Feed(line.data() + cut1, cut2 - cut1);
    parser.Feed(line.data() + cut2, line.size() - cut2);
    parser.Finish();
    if (parser.Count() != static_cast<std::int64_t>(parsed.numbers.size()))
      parsed.failure = "count";
  } catch (const EAssertion& failure) {
    // The numbers before a fault may or may not have been handed on.
    parsed.numbers.clear();
    parsed.failure = std::to_string(failure.location) + ": " + failure.message + " at " +
                     std::to_string(failure.place.at.column);
  }
  if (!batchesFit) parsed.failure += " (a batch of the wrong size or start)";
  return parsed;
}

// Every level is compared at a small batch with the plain one at the full
// batch: the byte loop crosses batch boundaries too.

// Numbers padded with zeros to nine digits and more, between runs of
// spaces and tabs, at every alignment to the blocks of 64 bytes: values
// that are short once their zeros go, a zero of zeros only, and values of
// nine and ten digits, on every scan level, whole and in small batches,
// against values worked out here.
TEST(NumberLine, ZeroPaddedNumbersAtEveryAlignment) {
  const RestoreLevel restore;
  const std::uint32_t values[] = {1, 26, 0, 7, 12345678, 123456789, 2147483647, 100000000, 5, 10};
  const char* const gaps[] = {" ", "\t", "  ", " \t ", "\t\t", "   \t"};
  for (const std::size_t lead : {0U, 1U, 5U, 13U, 31U, 63U}) {
    for (const std::size_t width : {9U, 10U, 12U, 16U, 20U}) {
      std::string line(lead, ' ');
      Numbers expected;
      for (std::size_t v = 0; v < 60; ++v) {
        const std::uint32_t value = values[(v * 7 + width) % std::size(values)];
        std::string digits = std::to_string(value);
        line += std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
        line += gaps[(v + lead) % std::size(gaps)];
        expected.push_back(static_cast<std::int32_t>(value));
      }
      for (const ScanLevelName& level : ScanLevels) {
        SetScanLevel(level.level);
        Numbers numbers;
        NumberLine(line, numbers);
        ASSERT_EQ(numbers, expected) << level.name << ", lead " << lead << ", width " << width;
        // In small batches, which the line's 60 numbers cross, and cut
        // inside its numbers.
        for (const std::size_t batch : {32U, 33U, 45U}) {
          const Parsed parsed = ParseInPieces(line, line.size() / 3, line.size() / 2, batch);
          ASSERT_EQ(parsed.numbers, expected)
              << level.name << ", batch " << batch << ", lead " << lead << ", width " << width;
        }
      }
    }
  }
}

// Lines of one-digit numbers that fill blocks of 64 bytes, a batch or more
// of them, with one long token at and around each batch boundary: nine
// digits or more (too large or not), a number of 64 digits and more that the
// byte loop reads, a byte that is no digit. Every level reads them as the
// plain path does with the full batch, at several batch sizes and byte
// alignments, whole and cut right before, inside and after the token.
TEST(NumberLineParser, LongTokensAtEveryBatchBoundary) {
  const std::string tokens[] = {"000000001",  "123456789",   "2147483647",
                                "2147483648", "99999999999", std::string(70, '0') + "7",
                                "12345678",   "1a",          "\xe8"};
  const RestoreLevel restore;
  std::size_t lines = 0;
  for (const std::size_t batch : {32U, 33U, 45U, 64U, 1024U}) {
    for (const std::size_t lead : {0U, 1U, 7U, 8U, 31U, 63U}) {
      for (std::size_t boundary = batch; boundary <= 3 * batch && boundary <= 2048;
           boundary += batch) {
        for (std::size_t before = boundary - 2; before <= boundary + 2; ++before) {
          for (const std::string& token : tokens) {
            for (const std::size_t after : {0U, 1U, 40U}) {
              std::string line(lead, ' ');
              for (std::size_t v = 0; v < before; ++v) {
                line += static_cast<char>('0' + (v * 7 + lead) % 10);
                line += v % 97 == 96 ? '\t' : ' ';
              }
              const std::size_t at = line.size();
              line += token;
              for (std::size_t v = 0; v < after; ++v) line += " 1";
              SetScanLevel(ScanLevel::Plain);
              const Parsed expected = ParseInPieces(line, 0, 0, MaxNumberBatch);
              for (const ScanLevelName& level : ScanLevels) {
                SetScanLevel(level.level);
                ASSERT_EQ(ParseInPieces(line, 0, 0, batch), expected)
                    << "batch " << batch << ", lead " << lead << ", token " << token << " after "
                    << before << " numbers, " << after << " after it";
                ASSERT_EQ(ParseInPieces(line, at, at + token.size() / 2, batch), expected);
                ASSERT_EQ(ParseInPieces(line, at - 1, std::min(at + token.size() + 1, line.size()),
                                        batch),
                          expected);
              }
              ++lines;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(lines, 4000U);
}

TEST(NumberLineParser, EveryScanLevelReadsRandomLinesAlike) {
  std::mt19937 random(20261209);
  const auto pick = [&](int limit) {
    return static_cast<int>(random() % static_cast<unsigned>(limit));
  };
  const std::string spaces = "\t\n\v\f\r ";
  const RestoreLevel restore;
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    // Some lines are as dense as lines get, one-digit numbers between single
    // spaces, and longer than a small batch.
    const bool dense = pick(3) == 0;
    const int tokens = dense ? 30 + pick(100) : pick(200);
    for (int token = 0; token < tokens; ++token) {
      const int separator = dense ? 1 : pick(10) == 0 ? 70 : 1 + pick(3);
      for (int b = 0; b < separator; ++b) line += spaces[static_cast<std::size_t>(pick(6))];
      const int zeros = pick(dense ? 40 : 8) == 0 ? pick(70) : 0;
      line += std::string(static_cast<std::size_t>(zeros), '0');
      const int digits = 1 + (pick(dense ? 30 : 4) == 0 ? pick(11) : dense ? 0 : pick(4));
      for (int d = 0; d < digits; ++d) line += static_cast<char>('0' + pick(10));
    }
    // A dense line starting with a digit has blocks of 32 numbers.
    if (dense && pick(2) == 0) line.erase(0, 1);
    // Now and then a byte that is not allowed, or a number of ten digits
    // that may be too large.
    if (pick(6) == 0 && !line.empty())
      line[static_cast<std::size_t>(pick(static_cast<int>(line.size())))] =
          "a-+.\x80\xff\x00"[pick(7)];
    if (pick(6) == 0) line += " 214748364" + std::string(1, static_cast<char>('5' + pick(5)));
    SetScanLevel(ScanLevel::Plain);
    const Parsed expected = ParseInPieces(line, 0, 0, MaxNumberBatch);
    // A block fills a batch exactly only where the batch is a multiple of 32
    // numbers or was not empty when the block began.
    const std::size_t batches[] = {32, 64, 32 + static_cast<std::size_t>(pick(40)), MaxNumberBatch};
    const std::size_t batch = batches[pick(4)];
    for (const ScanLevelName& level : ScanLevels) {
      SetScanLevel(level.level);
      const std::size_t cut1 = static_cast<std::size_t>(pick(static_cast<int>(line.size()) + 1));
      const std::size_t cut2 =
          cut1 + static_cast<std::size_t>(pick(static_cast<int>(line.size() - cut1) + 1));
      EXPECT_EQ(ParseInPieces(line, 0, 0, batch), expected) << line;
      EXPECT_EQ(ParseInPieces(line, cut1, cut2, batch), expected) << line;
    }
  }
}

TEST(NumberLineParser, KeepsOnlyTheFirstNumbersButCountsAll) {
  Numbers numbers;
  const LineContext context;
  NumberLineParser parser(KeepNumbers{&numbers, 2}, context);
  parser.Feed("1 2 3 4", 7);
  parser.Finish();
  EXPECT_EQ(numbers, (Numbers{1, 2}));
  EXPECT_EQ(parser.Count(), 4);
}

// LeadingIntParser on line fed one byte at a time and cut into two pieces at
// each position (a few of them for a long line); the value when every reading
// agrees with the whole line, -2 when none finds an integer, -1 otherwise.
std::int64_t LeadingIntInPieces(const std::string& line) {
  std::int32_t whole = 0;
  const bool found = LeadingInt(line, whole);
  LeadingIntParser bytes;
  for (const char c : line) bytes.Feed(&c, 1);
  std::vector<LeadingIntParser> readings{bytes};
  const std::size_t step = line.size() <= 64 ? 1 : line.size() / 3;
  for (std::size_t cut = 0; cut <= line.size(); cut += step) {
    LeadingIntParser& split = readings.emplace_back();
    split.Feed(line.data(), cut);
    split.Feed(line.data() + cut, line.size() - cut);
  }
  for (const LeadingIntParser& reading : readings) {
    std::int32_t value = 0;
    if (reading.Result(value) != found || (found && value != whole)) return -1;
  }
  return found ? whole : -2;
}

TEST(LeadingInt, ReadsTheIntegerAtTheStartOfTheLine) {
  const struct {
    std::string line;
    std::int32_t value;
  } cases[] = {
      {"3 trailing words", 3},
      {" +3", 3},
      {"-5", -5},
      {"-0", 0},
      {"\t\v\f\r 7x", 7},
      {"12345a", 12345},
      {"007", 7},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-99999999999999999999999", -2147483647 - 1},
      {std::string(100000, ' ') + "42" + std::string(100000, '\t'), 42},
  };
  for (const auto& c : cases) {
    std::int32_t value = 0;
    EXPECT_TRUE(LeadingInt(c.line, value)) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
    EXPECT_EQ(LeadingIntInPieces(c.line), c.value) << c.line;
  }
}

TEST(LeadingInt, FindsNoIntegerWithoutADigit) {
  for (const char* line : {"", "   ", "a1", "+", "-", "- 3", "+-3", "\xa0\x35", "x"}) {
    std::int32_t value = 0;
    EXPECT_FALSE(LeadingInt(line, value)) << line;
    EXPECT_EQ(LeadingIntInPieces(line), -2) << line;
  }
}

}  // namespace
}  // namespace krobelnik
