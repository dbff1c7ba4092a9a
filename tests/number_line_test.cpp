#include "testdata/number_line.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "testdata/byte_scan.h"

namespace krobelnik {
namespace {

using testing::ExpectFailure;
using Numbers = std::vector<std::int32_t>;

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

TEST(NumberLine, RejectsOtherBytesAndTooLargeValues) {
  const struct {
    std::string line;
    std::int32_t location;
    std::string message;
  } cases[] = {
      {"2147483648", 61, "stevilo 2147483648 je preveliko"},
      {"2147483649", 61, "stevilo 2147483649 je preveliko"},
      {"21474836470", 61, "stevilo 21474836470 je preveliko"},
      {"99999999999", 61, "stevilo 9999999999 je preveliko"},
      {"0002147483648", 61, "stevilo 2147483648 je preveliko"},
      {"1 3000000000", 61, "stevilo 3000000000 je preveliko"},
      {"-1", 55, "namesto stevke se pojavlja znak s kodo 45"},
      {"+1", 55, "namesto stevke se pojavlja znak s kodo 43"},
      {"3.5", 55, "namesto stevke se pojavlja znak s kodo 46"},
      {"1,2", 55, "namesto stevke se pojavlja znak s kodo 44"},
      {"12a", 55, "namesto stevke se pojavlja znak s kodo 97"},
      {"\xe8", 55, "namesto stevke se pojavlja znak s kodo 232"},
      {"1 \xa0", 55, "namesto stevke se pojavlja znak s kodo 160"},
      {std::string("1\0", 2), 55, "namesto stevke se pojavlja znak s kodo 0"},
      {"1 2 x 2147483648", 55, "namesto stevke se pojavlja znak s kodo 120"},
      {"2147483648 x", 61, "stevilo 2147483648 je preveliko"},
  };
  for (const auto& c : cases) {
    Numbers numbers;
    ExpectFailure(c.location, c.message, [&] { NumberLine(c.line, numbers); });
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
      EXPECT_EQ(numbers, Numbers{123}) << byte;
    }
  }
}

TEST(NumberLine, NumbersBeforeAFaultAreAlreadyAppended) {
  Numbers numbers;
  ExpectFailure(55, "namesto stevke se pojavlja znak s kodo 97",
                [&] { NumberLine("12a", numbers); });
  EXPECT_EQ(numbers, Numbers{12});
}

TEST(NumberLineParser, NumbersMaySpanPieces) {
  Numbers numbers;
  NumberLineParser parser(KeepNumbers{&numbers, 100});
  for (const char* piece : {"1", "2", " 3", "4", " ", "", "5"})
    parser.Feed(piece, std::strlen(piece));
  parser.Finish();
  EXPECT_EQ(numbers, (Numbers{12, 34, 5}));
  EXPECT_EQ(parser.Count(), 3);

  Numbers more;
  NumberLineParser overflowing(KeepNumbers{&more, 100});
  ExpectFailure(61, "stevilo 2147483648 je preveliko", [&] {
    overflowing.Feed("21474", 5);
    overflowing.Feed("83648", 5);
  });
}

// A line's numbers, or its failure as "location: message".
struct Parsed {
  Numbers numbers;
  std::string failure;
  bool operator==(const Parsed&) const = default;
};

Parsed ParseInPieces(const std::string& line, std::size_t cut1, std::size_t cut2) {
  Parsed parsed;
  try {
    NumberLineParser parser(KeepNumbers{&parsed.numbers, line.size()});
    parser.Feed(line.data(), cut1);
    parser.Feed(line.data() + cut1, cut2 - cut1);
    parser.Feed(line.data() + cut2, line.size() - cut2);
    parser.Finish();
  } catch (const EAssertion& failure) {
    parsed.failure = std::to_string(failure.location) + ": " + failure.message;
  }
  return parsed;
}

TEST(NumberLineParser, EveryScanLevelReadsRandomLinesAlike) {
  std::mt19937 random(20261209);
  const auto pick = [&](int limit) {
    return static_cast<int>(random() % static_cast<unsigned>(limit));
  };
  const std::string spaces = "\t\n\v\f\r ";
  const ScanLevel before = ActiveScanLevel();
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const int tokens = pick(200);
    for (int token = 0; token < tokens; ++token) {
      const int separator = pick(10) == 0 ? 70 : 1 + pick(3);
      for (int b = 0; b < separator; ++b) line += spaces[static_cast<std::size_t>(pick(6))];
      const int zeros = pick(8) == 0 ? pick(70) : 0;
      line += std::string(static_cast<std::size_t>(zeros), '0');
      const int digits = 1 + (pick(4) == 0 ? pick(11) : pick(4));
      for (int d = 0; d < digits; ++d) line += static_cast<char>('0' + pick(10));
    }
    // Now and then a byte that is not allowed, or a number of ten digits
    // that may be too large.
    if (pick(6) == 0 && !line.empty())
      line[static_cast<std::size_t>(pick(static_cast<int>(line.size())))] =
          "a-+.\x80\xff\x00"[pick(7)];
    if (pick(6) == 0) line += " 214748364" + std::string(1, static_cast<char>('5' + pick(5)));
    SetScanLevel(ScanLevel::Plain);
    const Parsed expected = ParseInPieces(line, 0, 0);
    for (const auto level : {ScanLevel::Sse2, ScanLevel::Avx2, ScanLevel::Avx512}) {
      SetScanLevel(level);
      const std::size_t cut1 = static_cast<std::size_t>(pick(static_cast<int>(line.size()) + 1));
      const std::size_t cut2 =
          cut1 + static_cast<std::size_t>(pick(static_cast<int>(line.size() - cut1) + 1));
      EXPECT_EQ(ParseInPieces(line, 0, 0), expected) << line;
      EXPECT_EQ(ParseInPieces(line, cut1, cut2), expected) << line;
    }
  }
  SetScanLevel(before);
}

TEST(NumberLineParser, KeepsOnlyTheFirstNumbersButCountsAll) {
  Numbers numbers;
  NumberLineParser parser(KeepNumbers{&numbers, 2});
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
