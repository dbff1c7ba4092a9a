#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krobelnik {

// Where a failing check stood when it raised, as it knew it then: which
// input, which line and where that line starts, the byte at fault, the
// section, and the values it compared. Checks build a place on the failure
// path only; whatever explains a failure later reads it and derives nothing.

// The two inputs of a run.
enum class InputRole : std::uint8_t { TestData, Submission };

// A line of an input: its number (every line counts, from 1) and where it
// starts. With linesAfter 0 the line starts at offset; otherwise offset is
// where the line linesAfter lines before it starts, and the line begins
// after that many more line feeds. A check that does not keep the start of
// every line it reads names a line it knows only by an earlier one so.
struct LinePlace {
  InputRole input = InputRole::Submission;
  std::int64_t line = 0;
  std::int64_t offset = 0;
  std::int64_t linesAfter = 0;
};

// The answer section a fault lies in: the test case it answers (0 for none),
// the line of its number and where its k-and-r line starts.
struct SectionPlace {
  std::int32_t testCase = 0;
  std::int64_t line = 0;
  std::int64_t bodyOffset = 0;
};

// A value a check knew when it failed, by name: a number, or a text when
// text is not empty.
struct Fact {
  const char* name = "";
  std::int64_t value = 0;
  std::string text;
};

// A byte on a line, from 1, or a number on it that the check counted rather
// than measured: the nth number (from 1) that starts at or after byte from.
struct ColumnPlace {
  std::int64_t column = 0;
  std::int64_t nthNumber = 0;
  std::int64_t numbersFrom = 1;
};

// A letter of a string line that a fault found elsewhere comes from.
struct LetterPlace {
  LinePlace line;
  std::int64_t column = 0;
};

struct FaultPlace {
  LinePlace line;
  // The input ends before the line: it is named by the number it would have.
  bool missing = false;
  // The byte at fault; column 0 and nthNumber 0 where the check names none.
  ColumnPlace at;
  SectionPlace section;
  std::optional<LetterPlace> letter;
  std::vector<Fact> facts;

  FaultPlace& AddFact(const char* name, std::int64_t value) {
    facts.push_back({name, value, {}});
    return *this;
  }
  FaultPlace& AddTextFact(const char* name, std::string text) {
    facts.push_back({name, 0, std::move(text)});
    return *this;
  }
};

// What a check reading one line knows of it, to place a fault there: the
// line, and the test data block (its number, 0 for none) or the answer
// section it belongs to. Made once per line where a check may need it.
struct LineContext {
  LinePlace line;
  std::int32_t block = 0;
  SectionPlace section;

  // The place of a fault on this line at column (0 for none); a block's
  // faults name the block's test case first.
  FaultPlace At(std::int64_t column = 0) const {
    FaultPlace place{line, false, {column, 0, 1}, section, std::nullopt, {}};
    if (block != 0) place.AddFact("testCase", block);
    return place;
  }
  // The place of a fault at the nth number from byte from of this line.
  FaultPlace AtNumber(std::int64_t nth, std::int64_t from = 1) const {
    FaultPlace place = At();
    place.at = {0, nth, from};
    return place;
  }
  // The place of this line when the input ends before it.
  FaultPlace Missing() const {
    FaultPlace place = At();
    place.missing = true;
    return place;
  }
};

}  // namespace krobelnik
