#include "run/locate.h"

#include <algorithm>
#include <string_view>

namespace krobelnik {

namespace {

// How many bytes of the fault's line an excerpt shows, and how many of them
// before the column.
constexpr std::size_t ExcerptLength = 100;
constexpr std::int64_t ExcerptBefore = 50;

}  // namespace

bool Locator::AtLine(FaultFile file, std::int64_t line, std::int64_t fromLine,
                     std::int64_t fromOffset) {
  out_.file = file;
  out_.line = line;
  LineReader reader(BufferSizeFor(InputOf(file)));
  OpenAt(reader, file, fromOffset);
  if (!reader.SkipLines(line - fromLine)) return false;
  // A line is there when a byte is.
  if (reader.AtEnd()) return false;
  lineOffset_ = reader.Offset();
  return true;
}

bool Locator::LineStart(std::int64_t column, std::size_t most, std::string& bytes) {
  LineReader reader(BufferSizeFor(InputOf(out_.file)));
  OpenAt(reader, out_.file, lineOffset_ + column - 1);
  return reader.ReadLineStart(most, bytes);
}

std::int64_t Locator::NameColumn() {
  std::string start;
  LineStart(1, TaskName.size() + 1, start);
  std::size_t q = 0;
  while (q < start.size() && q < TaskName.size() && start[q] == TaskName[q]) ++q;
  return static_cast<std::int64_t>(q) + 1;
}

void Locator::NumberLineFault(std::int32_t location) {
  const NumberPositions scan = ScanNumbers(0, location == 61);
  out_.column = scan.faultColumn;
  if (location == 55) {
    Fact("byte", scan.faultByte);
    out_.why = "A number line may hold only digits and white space; this byte is neither.";
  } else {
    Fact("digit", scan.faultByte - '0');
    out_.why = "With this digit the number would pass 2147483647, the largest number allowed.";
  }
}

void Locator::Excerpt() {
  if (lineOffset_ < 0) return;
  out_.hasExcerpt = true;
  out_.excerptStart = std::max<std::int64_t>(1, out_.column - ExcerptBefore);
  out_.excerptGoesOn = LineStart(out_.excerptStart, ExcerptLength, out_.excerpt);
}

void Locator::Locate(std::int32_t location) {
  if (!place_.inSubmission) {
    LocateInTestData(location);
  } else if (location >= 185 && location <= 190) {
    LocateInHeader(location);
  } else {
    LocateInSection(location);
  }
  Excerpt();
}

void Locator::LocateInTestData(std::int32_t location) {
  const FaultFile file = FaultFile::TestData;
  switch (location) {
    case 94:
      AtMissingLine(file, 1);
      out_.why = "The test data has no first line (or could not be opened).";
      return;
    case 95:
      if (AtLine(file, 1)) out_.column = NameColumn();
      out_.why = "The first line of the test data must be exactly the task's name, Krobelnik.";
      return;
    case 98:
      AtMissingLine(file, 2);
      out_.why =
          "The test data ends after its first line; the second gives the number of test cases.";
      return;
    case 101:
      if (AtLine(file, 2)) out_.column = 1;
      out_.why = "The second line must start with the number of test cases, at least 1.";
      return;
    default:
      break;
  }
  // Block k holds lines 3k (empty), 3k + 1 (its number) and 3k + 2 (s).
  const auto stored = static_cast<std::int64_t>(out_.testCases.Count());
  const std::int64_t k = location == 108 ? stored : stored + 1;
  Fact("testCase", k);
  const std::int64_t first = 3 * k;
  switch (location) {
    case 78:
    case 80:
    case 83:
      AtLine(file, first + (location - 78) / 2);
      out_.why = "The test data ends within the block of this test case.";
      return;
    case 79: {
      if (AtLine(file, first)) out_.column = 1;
      const LetterPositions scan = ScanLetters();
      Fact("length", scan.length);
      out_.why = "The line before each test case's number must be empty.";
      return;
    }
    case 55:
    case 61:
      AtLine(file, first + 1);
      NumberLineFault(location);
      return;
    case 81: {
      AtLine(file, first + 1);
      const NumberPositions scan = ScanNumbers(2);
      out_.column = scan.wantedColumn;
      Fact("count", scan.count);
      out_.why = "The number line of a test case must hold exactly one number.";
      return;
    }
    case 84:
    case 85: {
      AtLine(file, first + 2);
      const LetterPositions scan = ScanLetters();
      Fact("length", scan.length);
      if (location == 84) {
        out_.column = scan.length > MaxStringLength ? MaxStringLength + 1 : 0;
        out_.why = "s must hold 1 to 10000000 letters.";
      } else {
        out_.column = scan.nonLetterColumn;
        Fact("index", scan.nonLetterColumn - 1);
        Fact("byte", scan.nonLetter);
        out_.why = "s may hold lowercase letters a to z only.";
      }
      return;
    }
    case 108: {
      AtLine(file, first + 1);
      const NumberPositions scan = ScanNumbers(1);
      out_.column = scan.wantedColumn;
      Fact("expected", k);
      Fact("number", scan.wantedValue);
      out_.why = "Test cases must be numbered 1, 2, 3, ... in the order of the file.";
      return;
    }
    default:
      return;
  }
}

void Locator::LocateInHeader(std::int32_t location) {
  const FaultFile file = FaultFile::Submission;
  switch (location) {
    case 185:
    case 189:
      AtMissingLine(file, location == 185 ? 1 : 2);
      out_.why = "The submission ends before its header: the contestant's number, then Krobelnik.";
      return;
    case 186: {
      AtLine(file, 1);
      const LetterPositions scan = ScanLetters();
      Fact("length", scan.length);
      out_.column = scan.length > 6 ? 7 : 0;
      out_.why = "The first line must be the contestant's number of exactly six digits.";
      return;
    }
    case 188:
      if (AtLine(file, 1)) out_.column = 1;
      out_.why = "The first line must start with the contestant's number.";
      return;
    default:
      if (AtLine(file, 2)) out_.column = NameColumn();
      out_.why = "The second line of the submission must be exactly the task's name, Krobelnik.";
      return;
  }
}

}  // namespace krobelnik
