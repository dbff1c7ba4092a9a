#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "explain/phrases.h"
#include "explain/section_watch.h"
#include "failure/fault_place.h"
#include "input/growing_array.h"
#include "run/output_buffer.h"
#include "run/report.h"
#include "run/run_eval.h"
#include "testdata/test_data.h"
#include "words/language.h"

namespace krobelnik {

// An explanation of a run's verdict for people: the report the evaluator
// writes for the same inputs and, for a rejection, the place its failing
// check recorded, with an excerpt of that line and the facts its message
// leaves out; for an accepted submission its sections, and for test data
// checked alone its test cases.

// How the report came out.
enum class Verdict { Accepted, Rejected, TestData, Unexpected };

// Whose fault a verdict is: nobody's, the submission's, the test data's, or
// that of an input that could not be opened (which the evaluator reads as
// empty, so that the report blames what it did not read).
enum class Fault { None, Submission, TestData, Unopened };

// A line of an input as an explanation shows it: its number, the column at
// fault (from 1, 0 for none) and an excerpt of its bytes around the column.
struct ShownLine {
  InputRole input = InputRole::Submission;
  std::int64_t line = 0;
  std::int64_t column = 0;
  // Whether the column is where a number starts that the check counted.
  bool counted = false;
  // Whether the line was there to show; the excerpt holds its bytes from
  // column excerptStart on, and excerptGoesOn whether more follow.
  bool found = false;
  std::string excerpt;
  std::int64_t excerptStart = 1;
  bool excerptGoesOn = false;
};

// Whether the first lines say that the two files were given the other way
// round: the test data begins as an answer does (its second line is the
// task's name), or the answer as test data does (its first line is).
enum class Swap { None, TestDataLikeAnswer, AnswerLikeTestData };

// For an accepted answer, a test case of the test data: how many sections
// answer it, and the best of them (the lowest score, the first of equals)
// with the line of its number. The best of each counts.
struct TestCaseBest {
  std::int64_t sections = 0;
  std::int64_t score = 0;
  std::int64_t line = 0;
};

// An input that could not be opened: which, its name and the system's reason.
struct UnopenedInput {
  InputRole input;
  std::string name;
  std::string reason;
};

// An accepted section as the run saw it: the line of its number line and
// its counts. Its last line follows from them (firstLine + k + 2).
struct SectionRow {
  std::int64_t firstLine;
  std::int32_t k;
  std::int32_t r;
};

// How many accepted sections an explanation lists; the rest are counted.
inline constexpr std::size_t ShownSections = 1000;

// How many bytes of a report or a message an explanation keeps from its
// start.
inline constexpr std::size_t KeptBytes = std::size_t{64} << 10;

// What a failure form explains: where its check stood when it failed.
struct Rejection {
  // The form's location and message (0 and empty otherwise); a message
  // longer than KeptBytes is kept as a report is (see Explanation).
  std::int32_t location = 0;
  std::string message;
  std::string messageTail;
  std::uint64_t messageLeftOut = 0;
  // Where the fault lies (for a missing line: found is false), and the
  // letter of a string line it comes from.
  ShownLine where;
  std::optional<ShownLine> letter;
  SectionPlace section;
  // Why, in a sentence in English and in Slovenian, and the facts behind it.
  std::string why;
  std::string whySl;
  std::vector<Fact> facts;
  Swap swap = Swap::None;
  // For a fault of the walk (its row shows "alignment"): s and the
  // concatenation side by side around it.
  Alignment alignment;
};

// What an accepted run read: the test data's test cases (all that test
// data checked alone shows), the results of every section, the rows of the
// first ShownSections of them, the best section of each test case, and,
// asked for, where the scores of the first ShownSections sections come
// from.
struct Acceptance {
  TestCases testCases;
  GrowingArray<ResultEntry> results;
  GrowingArray<SectionRow> sections;
  // One for each test case of the test data.
  std::vector<TestCaseBest> best;
  std::vector<SectionStats> stats;
};

// An explanation: how the run came out, with the report and the inputs
// that could not be opened, and what a rejection or an acceptance adds.
struct Explanation : Rejection, Acceptance {
  bool testDataOnly = false;
  // The report's text with line feeds, as the evaluator writes it, for a
  // failure form; the success form is written from results when it is
  // shown (WriteReport), so that it costs no memory of its own.
  // A report or message longer than KeptBytes (a quoted line can be
  // hundreds of MB) is kept as its first KeptBytes, the count of bytes left
  // out, and its last bytes; otherwise whole, and then reportTail and
  // messageTail are empty and nothing is left out.
  std::string report;
  std::string reportTail;
  std::uint64_t reportLeftOut = 0;
  Verdict verdict = Verdict::Unexpected;
  Fault fault = Fault::None;
  std::vector<UnopenedInput> unopened;
  // For a run that could not finish: whether memory ran out.
  bool memoryRanOut = false;
};

// What an explanation works out beyond the verdict: statistics of the
// accepted sections, and with them their pieces, written to a file as they
// are read (at most MostPieces: for each, where it starts in s, from 0, and
// its x, as 32-bit little-endian numbers).
struct ExplainOptions {
  bool stats = false;
  std::FILE* pieces = nullptr;
  // How many numbers of a line the run hands on at once (the tests make it
  // small, so that a few indices cross its batches).
  std::size_t numberBatch = MaxNumberBatch;
};
inline constexpr std::size_t MostPieces = 10000000;

// Writes the report of explanation, with line feeds, as the evaluator
// writes it, but for the bytes left out of a long one, which a note in
// language stands for; returns whether every byte was written.
bool WriteReport(OutputBuffer& out, const Explanation& explanation,
                 Language language = Language::English);

// The submission that test data checked alone is evaluated with: its two
// header lines and no section, accepted exactly when the test data is sound.
inline constexpr const char* HeaderOnlySubmission = "000000\nKrobelnik\n";

// Runs the evaluation of submission against testData and explains it (with
// testDataOnly, submission is HeaderOnlySubmission); false when no sound
// report could be made (memory ran out) or the pieces could not be written.
bool Explain(const Input& testData, const Input& submission, bool testDataOnly, Explanation& out,
             const ExplainOptions& options = {});

// Notes an input that could not be opened, which the run read as empty; a
// fault found in it is the opening's, not its contents'.
void NoteUnopened(Explanation& explanation, UnopenedInput input);

// How an explanation is written: its language and letters, whether it
// shows the statistics of accepted sections (which the run must have
// gathered), and the columns its lines of text may take (0 for any: a
// line is cut around what it points at, never wrapped).
struct Presentation {
  Wording wording;
  bool stats = false;
  std::size_t width = 0;
};

// The explanation as text for people, and as one JSON object (UTF-8, its
// keys English, its sentences in the language chosen and in both under
// "texts"), into a file or an output buffer. All return whether every byte
// was written.
bool PrintText(std::FILE* out, const Explanation& explanation, const Presentation& how = {});
bool PrintJson(std::FILE* out, const Explanation& explanation, const Presentation& how = {});
bool PrintText(OutputBuffer& out, const Explanation& explanation, const Presentation& how = {});
bool PrintJson(OutputBuffer& out, const Explanation& explanation, const Presentation& how = {});

// The why sentence of explanation in language.
const std::string& WhyIn(const Explanation& explanation, Language language);

// The line of t_x in the section that starts at line sectionLine.
constexpr std::int64_t LineOfString(std::int64_t sectionLine, std::int64_t x) {
  return sectionLine + 1 + x;
}

}  // namespace krobelnik
