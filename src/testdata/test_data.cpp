#include "testdata/test_data.h"

#include <algorithm>
#include <string>

#include "failure/assertion.h"
#include "input/leading_int.h"
#include "input/quote.h"
#include "input/text.h"
#include "testdata/number_line.h"

namespace krobelnik {

namespace {

// Where line of the test data starts (or would start).
LineContext TestDataLine(std::int64_t line, std::int64_t offset, std::int32_t block = 0) {
  return LineContext{{InputRole::TestData, line, offset, 0}, block, {}};
}

[[noreturn]] void FailMissingLine(std::int32_t location, const LineContext& context) {
  Fail(location, "manjka " + IntToStr(context.line.line) + ". vrstica", context.Missing());
}

// The number a block carries, and where its line starts.
struct BlockNumber {
  std::int32_t number;
  std::int64_t lineOffset;
};

// Reads the three lines of block k (separator, number, s), appending s to
// testCases, and returns the block's number; advances lineNumber by one for
// each line attempted.
BlockNumber ReadTestCase(LineReader& stream, std::int64_t& lineNumber, TestCases& testCases,
                         std::int32_t k, const TestDataOptions& options) {
  QuotableLine separator;
  // Each read counts before its outcome is examined, so a missing line is
  // named by the number it would have had.
  // The places of the separator and the string line are made only for a
  // fault; the number line's parser needs its own from the start.
  const bool haveSeparator =
      ReadQuotableLine(stream, separator, IgnoreBytes, options.quoteInMemory);
  ++lineNumber;
  if (!haveSeparator) FailMissingLine(78, TestDataLine(lineNumber, separator.offset, k));
  if (separator.length != 0)
    FailQuoting(
        stream, 79, "vrstica " + IntToStr(lineNumber) + " bi morala biti prazna, ne pa \"",
        separator, "\"",
        TestDataLine(lineNumber, separator.offset, k).At(1).AddFact("length", separator.length));

  const LineContext numberLine = TestDataLine(lineNumber + 1, stream.Offset(), k);
  FirstNumbers<1> number;
  NumberLineParser parser(number.Keep(), numberLine, options.numberBatch);
  const bool haveNumber =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineNumber;
  if (!haveNumber) FailMissingLine(80, numberLine);
  parser.Finish();
  if (parser.Count() != 1)
    Fail(81,
         "v " + IntToStr(lineNumber) +
             ". vrstica bi moralo biti 1 stevilo (stevilka testnega primera), ne pa " +
             IntToStr(parser.Count()),
         (parser.Count() == 0 ? numberLine.At() : numberLine.AtNumber(2))
             .AddFact("count", parser.Count()));

  // s goes straight to its place among the letters; a line longer than s
  // may be is counted to its end but not kept.
  const std::int64_t stringOffset = stream.Offset();
  const auto stringLine = [&] { return TestDataLine(lineNumber, stringOffset, k); };
  std::int64_t length = 0;
  const bool haveString = stream.ReadLinePieces([&](const char* data, std::size_t size) {
    // s has at most MaxStringLength letters: its room never grows past them.
    const std::int64_t before = length;
    length += static_cast<std::int64_t>(size);
    if (length <= MaxStringLength)
      testCases.AddLetters(data, size, static_cast<std::size_t>(MaxStringLength - before));
  });
  ++lineNumber;
  if (!haveString) FailMissingLine(83, stringLine());
  if (length < 1 || length > MaxStringLength)
    Fail(84, "niz s je dolg " + IntToStr(length) + " znakov, ne pa med 1 in 10000000",
         stringLine()
             .At(length > MaxStringLength ? MaxStringLength + 1 : 0)
             .AddFact("length", length));
  const std::string_view s = testCases.Pending();
  const std::size_t bad = FindNonLetter(s.data(), s.size());
  if (bad != s.size()) {
    const auto index = static_cast<std::int64_t>(bad);
    const auto code = static_cast<unsigned char>(s[bad]);
    Fail(85,
         "znak s[" + IntToStr(index) + "] bi moral biti mala crka angleske abecede, ne pa (char) " +
             IntToStr(code),
         stringLine()
             .At(index + 1)
             .AddFact("length", length)
             .AddFact("index", index)
             .AddFact("byte", code));
  }
  testCases.EndTestCase();
  return {number.values[0], numberLine.line.offset};
}

}  // namespace

std::int64_t TaskNameColumn(std::string_view head) {
  const std::size_t common = std::min(head.size(), TaskName.size());
  std::size_t q = 0;
  while (q < common && head[q] == TaskName[q]) ++q;
  return static_cast<std::int64_t>(q) + 1;
}

void ReadTestData(LineReader& stream, TestCases& testCases, const TestDataOptions& options) {
  QuotableLine line;
  LineHead head;
  if (!ReadQuotableLine(stream, line, head, options.quoteInMemory))
    Fail(94, "manjka prva vrstica z imenom naloge", TestDataLine(1, line.offset).Missing());
  if (!line.kept || line.text != TaskName)
    FailQuoting(stream, 95,
                "v prvi vrstici bi moral biti niz \"" + std::string(TaskName) + "\", ne pa \"",
                line, "\"", TestDataLine(1, line.offset).At(TaskNameColumn(head.View())));
  // Only the start of line 2 is looked at; the rest is read past, not kept.
  LeadingIntParser countParser;
  if (!ReadQuotableLine(
          stream, line, [&](const char* data, std::size_t size) { countParser.Feed(data, size); },
          options.quoteInMemory))
    Fail(98, "manjka druga vrstica s stevilom testnih primerov",
         TestDataLine(2, line.offset).Missing());
  std::int32_t count = 0;
  if (!countParser.Result(count) || count < 1)
    FailQuoting(stream, 101, "v drugi vrstici bi moralo biti stevilo testnih primerov, ne pa \"",
                line, "\"", TestDataLine(2, line.offset).At(1));

  // The count is only a claim of the file: nothing is reserved for it, and
  // the blocks themselves decide how far reading gets.
  testCases.Clear();
  std::int64_t lineNumber = 2;
  std::int64_t blockStart = 2;
  for (std::int64_t k = 1; k <= count; ++k) {
    const auto block = static_cast<std::int32_t>(k);
    const BlockNumber read = ReadTestCase(stream, lineNumber, testCases, block, options);
    if (read.number != k)
      Fail(108,
           "v vrsticah " + IntToStr(blockStart) + ".." + IntToStr(lineNumber) +
               " bi moral biti testni primer stevilka " + IntToStr(k) + ", ne pa " +
               IntToStr(read.number),
           TestDataLine(lineNumber - 1, read.lineOffset, block)
               .AtNumber(1)
               .AddFact("expected", k)
               .AddFact("number", read.number));
    blockStart = lineNumber;
  }
}

}  // namespace krobelnik
