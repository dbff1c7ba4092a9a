#include "testdata/test_data.h"

#include "input/leading_int.h"
#include "input/quote.h"
#include "input/text.h"
#include "run/assertion.h"
#include "testdata/number_line.h"

namespace krobelnik {

namespace {

[[noreturn]] void FailMissingLine(std::int32_t location, std::int64_t lineNumber) {
  Fail(location, "manjka " + IntToStr(lineNumber) + ". vrstica");
}

// Reads the three lines of one block (separator, number, s), appending s to
// testCases, and returns the block's number; advances lineNumber by one for
// each line attempted.
std::int32_t ReadTestCase(LineReader& stream, std::int64_t& lineNumber, TestCases& testCases) {
  QuotableLine separator;
  // Each read counts before its outcome is examined, so a missing line is
  // named by the number it would have had.
  const bool haveSeparator = ReadQuotableLine(stream, separator, IgnoreBytes);
  ++lineNumber;
  if (!haveSeparator) FailMissingLine(78, lineNumber);
  if (separator.length != 0)
    FailQuoting(stream, 79, "vrstica " + IntToStr(lineNumber) + " bi morala biti prazna, ne pa \"",
                separator, "\"");

  FirstNumbers<1> number;
  NumberLineParser parser(number.Keep());
  const bool haveNumber =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineNumber;
  if (!haveNumber) FailMissingLine(80, lineNumber);
  parser.Finish();
  if (parser.Count() != 1)
    Fail(81, "v " + IntToStr(lineNumber) +
                 ". vrstica bi moralo biti 1 stevilo (stevilka testnega primera), ne pa " +
                 IntToStr(parser.Count()));

  // s goes straight to its place among the letters; a line longer than s
  // may be is counted to its end but not kept.
  std::int64_t length = 0;
  const bool haveString = stream.ReadLinePieces([&](const char* data, std::size_t size) {
    length += static_cast<std::int64_t>(size);
    if (length <= MaxStringLength) testCases.AddLetters(data, size);
  });
  ++lineNumber;
  if (!haveString) FailMissingLine(83, lineNumber);
  if (length < 1 || length > MaxStringLength)
    Fail(84, "niz s je dolg " + IntToStr(length) + " znakov, ne pa med 1 in " + "10000000");
  const std::string_view s = testCases.Pending();
  const std::size_t bad = FindNonLetter(s.data(), s.size());
  if (bad != s.size())
    Fail(85, "znak s[" + IntToStr(static_cast<std::int64_t>(bad)) +
                 "] bi moral biti mala crka angleske abecede, ne pa (char) " +
                 IntToStr(static_cast<unsigned char>(s[bad])));
  testCases.EndTestCase();
  return number.values[0];
}

}  // namespace

void ReadTestData(LineReader& stream, TestCases& testCases) {
  QuotableLine line;
  if (!ReadQuotableLine(stream, line, IgnoreBytes)) Fail(94, "manjka prva vrstica z imenom naloge");
  if (!line.kept || line.text != TaskName)
    FailQuoting(stream, 95,
                "v prvi vrstici bi moral biti niz \"" + std::string(TaskName) + "\", ne pa \"",
                line, "\"");
  // Only the start of line 2 is looked at; the rest is read past, not kept.
  LeadingIntParser countParser;
  if (!ReadQuotableLine(stream, line,
                        [&](const char* data, std::size_t size) { countParser.Feed(data, size); }))
    Fail(98, "manjka druga vrstica s stevilom testnih primerov");
  std::int32_t count = 0;
  if (!countParser.Result(count) || count < 1)
    FailQuoting(stream, 101, "v drugi vrstici bi moralo biti stevilo testnih primerov, ne pa \"",
                line, "\"");

  // The count is only a claim of the file: nothing is reserved for it, and
  // the blocks themselves decide how far reading gets.
  testCases.Clear();
  std::int64_t lineNumber = 2;
  std::int64_t blockStart = 2;
  for (std::int64_t k = 1; k <= count; ++k) {
    const std::int32_t number = ReadTestCase(stream, lineNumber, testCases);
    if (number != k)
      Fail(108, "v vrsticah " + IntToStr(blockStart) + ".." + IntToStr(lineNumber) +
                    " bi moral biti testni primer stevilka " + IntToStr(k) + ", ne pa " +
                    IntToStr(number));
    blockStart = lineNumber;
  }
}

}  // namespace krobelnik
