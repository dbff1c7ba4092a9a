#include "run/explain.h"

#include <algorithm>
#include <exception>
#include <span>
#include <string_view>

#include "input/text.h"
#include "run/assertion.h"
#include "run/line_positions.h"
#include "run/line_source.h"

namespace krobelnik {

namespace {

// How many bytes of the fault's line an excerpt shows, and how many of them
// before the column.
constexpr std::size_t ExcerptLength = 100;
constexpr std::int64_t ExcerptBefore = 50;

// Places a failure of a run in its input after the run: finds the fault's
// line by counting lines on from a place the run remembered, and its column
// and facts by one more pass over that line with the rules of its check.
class Locator {
 public:
  Locator(const Input& testData, const Input& submission, const RunPlace& place, Explanation& out)
      : testData_(testData), submission_(submission), place_(place), out_(out) {}

  void Locate(std::int32_t location);

 private:
  void LocateInTestData(std::int32_t location);
  void LocateInHeader(std::int32_t location);
  void LocateInSection(std::int32_t location);
  void LocateInIndexLine(std::int32_t location);

  // The fault lies on line, counted on from line fromLine at offset
  // fromOffset; false (and the line missing) when the input ends before it.
  bool AtLine(FaultFile file, std::int64_t line, std::int64_t fromLine = 1,
              std::int64_t fromOffset = 0);
  // The fault lies on a line the input does not have.
  void AtMissingLine(FaultFile file, std::int64_t line) {
    out_.file = file;
    out_.line = line;
  }
  const Input& InputOf(FaultFile file) const {
    return file == FaultFile::TestData ? testData_ : submission_;
  }
  // Feeds the fault's line to scan.
  template <class Scan>
  void ScanLine(Scan& scan) {
    LineSource source(InputOf(out_.file), lineOffset_);
    source.ReadLine([&scan](const char* data, std::size_t size) { scan.Feed(data, size); });
  }
  NumberPositions ScanNumbers(std::int64_t wanted, bool tooLarge = false) {
    NumberPositions scan(wanted, tooLarge);
    ScanLine(scan);
    return scan;
  }
  // The column of the first byte where the line differs from TaskName.
  std::int64_t NameColumn();
  // Puts the fault of a number line (55, 61) at its byte.
  void NumberLineFault(std::int32_t location);
  void Fact(const char* name, std::int64_t value) { out_.detail.push_back({name, value, {}}); }
  void TextFact(const char* name, std::string text) {
    out_.detail.push_back({name, 0, std::move(text)});
  }
  void Excerpt();

  const Input& testData_;
  const Input& submission_;
  const RunPlace& place_;
  Explanation& out_;
  std::int64_t lineOffset_ = -1;
};

bool Locator::AtLine(FaultFile file, std::int64_t line, std::int64_t fromLine,
                     std::int64_t fromOffset) {
  out_.file = file;
  out_.line = line;
  LineSource source(InputOf(file), fromOffset);
  if (!source.SkipLines(line - fromLine)) return false;
  // A line is there when a byte is.
  if (source.AtEnd()) return false;
  lineOffset_ = source.Offset();
  return true;
}

std::int64_t Locator::NameColumn() {
  std::string start;
  LineSource source(InputOf(out_.file), lineOffset_);
  source.ReadLineStart(TaskName.size() + 1, start);
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
  LineSource source(InputOf(out_.file), lineOffset_ + out_.excerptStart - 1);
  out_.excerptGoesOn = source.ReadLineStart(ExcerptLength, out_.excerpt);
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
      LetterPositions scan;
      ScanLine(scan);
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
      LetterPositions scan;
      ScanLine(scan);
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
      LetterPositions scan;
      ScanLine(scan);
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

void Locator::LocateInSection(std::int32_t location) {
  const FaultFile file = FaultFile::Submission;
  const std::int64_t first = place_.sectionLine;
  const std::int64_t offset = place_.sectionOffset;
  if (location == 198 || location == 200) {
    AtLine(file, first, first, offset);
    if (location == 198) {
      out_.column = 1;
      out_.why = "A section must start with the number of the test case it answers.";
      return;
    }
    // The integer starts after the white space at the line's start.
    struct LeadingSpace {
      std::int64_t length = 0;
      bool ended = false;
      void Feed(const char* data, std::size_t size) {
        for (std::size_t q = 0; q < size && !ended; ++q) {
          ended = !IsWhiteSpace(data[q]);
          if (!ended) ++length;
        }
      }
    } space;
    ScanLine(space);
    out_.column = space.length + 1;
    Fact("testCases", static_cast<std::int64_t>(out_.testCases.Count()));
    out_.why = "A section must name a test case of the test data, from 1 to their count.";
    return;
  }
  out_.sectionTestCase = place_.testCase;
  out_.sectionLine = first;
  const AnswerBlock& block = place_.block;
  const auto n = static_cast<std::int64_t>(block.testCase.s.size());
  // The string line last read, for the faults of a string.
  const std::int64_t stringLine = place_.line - 1;
  const std::int64_t j = stringLine - first - 1;
  switch (location) {
    case 127:
      AtMissingLine(file, first + 1);
      out_.why = "The submission ends right after the section's number line.";
      return;
    case 129:
    case 132:
    case 133: {
      AtLine(file, first + 1, first, offset);
      const NumberPositions scan = ScanNumbers(location == 129 ? 3 : location == 132 ? 1 : 2);
      out_.column = location == 129 && scan.count < 2 ? 0 : scan.wantedColumn;
      if (location == 129) {
        Fact("count", scan.count);
        out_.why = "The line after the section's number must hold exactly two numbers, k and r.";
      } else {
        Fact(location == 132 ? "k" : "r", location == 132 ? block.k : block.r);
        Fact("n", n);
        out_.why = location == 132 ? "k, the number of strings, must be 1 to n, the length of s."
                                   : "r, the number of indices, must be 1 to n, the length of s.";
      }
      return;
    }
    case 139:
      AtMissingLine(file, stringLine);
      Fact("j", j);
      Fact("k", block.k);
      out_.why = "The submission ends before the section's k strings do.";
      return;
    case 140:
    case 141:
    case 142: {
      AtLine(file, stringLine, first, offset);
      LetterPositions scan;
      ScanLine(scan);
      Fact("j", j);
      Fact("length", scan.length);
      if (location == 140) {
        out_.column = scan.length > n ? n + 1 : 0;
        Fact("n", n);
        out_.why = "Each string must hold 1 to n letters, n the length of s.";
      } else if (location == 141) {
        out_.column = scan.nonLetterColumn;
        Fact("q", scan.nonLetterColumn - 1);
        Fact("byte", scan.nonLetter);
        out_.why = "Strings may hold lowercase letters a to z only.";
      } else {
        out_.why = "With this string's letters the score would pass 2147483647.";
      }
      return;
    }
    default:
      LocateInIndexLine(location);
      return;
  }
}

void Locator::LocateInIndexLine(std::int32_t location) {
  const FaultFile file = FaultFile::Submission;
  const AnswerBlock& block = place_.block;
  const std::int64_t first = place_.sectionLine;
  const auto n = static_cast<std::int64_t>(block.testCase.s.size());
  // A number line fault before k is known lies on the k-and-r line.
  const std::int64_t indexLine = block.k == 0 ? first + 1 : first + block.k + 2;
  if (location == 144) {
    AtMissingLine(file, indexLine);
    out_.why = "The submission ends before the section's index line.";
    return;
  }
  // The index line is found at once when its start is known.
  if (block.k > 0 && block.indexLineOffset >= 0) {
    AtLine(file, indexLine, indexLine, block.indexLineOffset);
  } else {
    AtLine(file, indexLine, first, place_.sectionOffset);
  }
  if (location == 55 || location == 61) {
    NumberLineFault(location);
    return;
  }
  const WalkStop& stop = block.walk;
  switch (location) {
    case 145: {
      const NumberPositions scan = ScanNumbers(std::int64_t{block.r} + 1);
      out_.column = scan.wantedColumn;
      Fact("count", scan.count);
      Fact("r", block.r);
      out_.why = "The index line must hold exactly r indices.";
      return;
    }
    case 158:
      Fact("matched", static_cast<std::int64_t>(stop.at));
      Fact("n", n);
      out_.why = "The strings the indices select, one after another, end before s does.";
      return;
    default:
      break;
  }
  out_.column = ScanNumbers(stop.p).wantedColumn;
  Fact("p", stop.p);
  Fact("x", stop.x);
  if (location == 149) {
    Fact("k", block.k);
    out_.why = "Index i_p selects no string: it must be 1 to k.";
    return;
  }
  const auto start = static_cast<std::int64_t>(stop.start);
  const auto at = static_cast<std::int64_t>(stop.at);
  Fact("stringLine", first + 1 + stop.x);
  Fact("stringOffset", at - start + 1);
  Fact("position", at + 1);
  Fact("sLine", 3 * std::int64_t{block.testCaseNumber} + 2);
  if (location == 153) {
    out_.why = "The string t_x that index i_p selects runs past the end of s.";
    return;
  }
  const std::string_view tx = block.t.View()[stop.x - 1];
  TextFact("got", std::string(1, tx[static_cast<std::size_t>(at - start)]));
  TextFact("expected", std::string(1, block.testCase.s[stop.at]));
  out_.why = "A letter of the string t_x that index i_p selects differs from s at that place.";
}

// The location and message of a failure form of the report.
void ReadFailureForm(const std::exception_ptr& failure, Explanation& out) {
  try {
    std::rethrow_exception(failure);
  } catch (const EAssertion& assertion) {
    out.location = assertion.location;
  } catch (...) {
    return;
  }
  const std::string_view report = out.report;
  const std::size_t from = report.find("]: ") + 3;
  out.message =
      std::string(report.substr(from, report.size() - std::string_view("\n-1\n").size() - from));
}

}  // namespace

bool Explain(const Input& testData, const Input& submission, bool testDataOnly, Explanation& out) {
  out.testDataOnly = testDataOnly;
  RunPlace place;
  place.accepted = &out.sections;
  std::exception_ptr failure;
  try {
    ReadInputs(testData, submission, out.testCases, out.results, place);
  } catch (...) {
    failure = std::current_exception();
  }
  // The report is written as the evaluator writes it, into text; a success
  // report takes at most 23 bytes a section.
  if (!failure) out.report.reserve(32 + 23 * out.results.Size());
  OutputBuffer report(out.report);
  if (!WriteOutcome(report, failure, std::span(out.results.Data(), out.results.Size())))
    return false;
  if (out.report.starts_with("OK\n")) {
    out.verdict = Verdict::Accepted;
    return true;
  }
  if (!out.report.starts_with("Napaka [")) {
    out.verdict = Verdict::Unexpected;
    return true;
  }
  ReadFailureForm(failure, out);
  out.verdict = place.inSubmission ? Verdict::Rejected : Verdict::TestData;
  Locator(testData, submission, place, out).Locate(out.location);
  return true;
}

}  // namespace krobelnik
