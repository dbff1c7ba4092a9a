#include "testdata/number_line.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

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
