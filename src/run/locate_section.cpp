#include <string>
#include <string_view>

#include "input/text.h"
#include "run/locate.h"

namespace krobelnik {

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
      const LetterPositions scan = ScanLetters();
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

}  // namespace krobelnik
