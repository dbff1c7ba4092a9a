#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "answer/answer_block.h"
#include "input/growing_array.h"
#include "input/line_reader.h"
#include "input/system.h"
#include "run/report.h"
#include "testdata/test_data.h"

namespace krobelnik {

// The line printed when the command line is not a run.
inline constexpr const char* UsageLine =
    "Uporaba: Zelvor20Krobelnik eval input.txt submission.txt report.txt\n";

// Exit status when the report could not be opened, written or closed, or
// would overwrite an input: the report is then not to be trusted.
inline constexpr int ReportFailureStatus = 2;

// The program: with "eval" as the first argument a run, otherwise the usage
// line and status 0. Returns the exit status.
int Main(int argc, const char* const* argv);

// One evaluation run: argv[2] test data, argv[3] submission, argv[4] report.
// Returns 0 once a true report is written (whatever its verdict), 1 after
// the usage line when file names are missing, 2 when no sound report exists.
int RunEval(int argc, const char* const* argv);

// Where an input's lines come from: the file of that name, or a text held
// in memory.
struct Input {
  static Input File(std::string fileName) { return Input{std::move(fileName), false, {}}; }
  static Input Text(std::string text) { return Input{{}, true, std::move(text)}; }
  // An input held open by a program around the evaluator; it must outlive
  // the reading.
  static Input Held(const HeldInput& held) {
    return held.InMemory() ? Text(held.Text()) : File(held.Path());
  }

  std::string fileName;
  bool inMemory;
  std::string text;
};

// Opens input in stream.
void OpenInput(LineReader& stream, const Input& input);

// The options of a run, as each layer takes them: the test data's (whose
// longest line quoted from memory holds for the submission's lines too) and
// the answer sections'. Only the tests, the fuzz targets and the
// explanations change them.
struct ReadOptions {
  TestDataOptions testData;
  AnswerOptions answers;

  // The same sizes for both files, for the tests.
  static ReadOptions Sized(std::size_t numberBatch,
                           std::size_t quoteInMemory = DefaultQuoteInMemory,
                           bool alwaysIndex = false) {
    ReadOptions options;
    options.testData = {numberBatch, quoteInMemory};
    options.answers.numberBatch = numberBatch;
    options.answers.alwaysIndex = alwaysIndex;
    return options;
  }
};

// The line buffer an input needs: no more than its size and a byte, when
// that is known, so that small inputs cost little memory.
std::size_t BufferSizeFor(const Input& input);

// The guarded part of a run: reads the whole test data, then the submission,
// and writes exactly one form of the report into out (the open report, or a
// text). Returns whether every byte of it was written.
bool WriteVerdict(OutputBuffer& out, const Input& testData, const Input& submission,
                  const ReadOptions& options = {});
bool WriteVerdict(std::FILE* report, const Input& testData, const Input& submission);

// The report WriteVerdict writes for the two inputs, as text; false when no
// sound report exists.
bool VerdictText(const Input& testData, const Input& submission, std::string& text,
                 const ReadOptions& options = {});

// Told of each accepted section as the submission is read: the line of its
// number line and its block.
using SectionObserver = std::function<void(std::int64_t firstLine, const AnswerBlock& block)>;

// Checks the submission's header and scores each of its sections against
// testCases, appending one entry per section; raises EAssertion at a fault.
void ReadSubmission(LineReader& submission, const TestCases& testCases,
                    GrowingArray<ResultEntry>& results, const ReadOptions& options = {},
                    const SectionObserver& observer = {});

// Reads the whole test data into testCases, then the submission, as a run
// does, appending an entry per accepted section; raises EAssertion (or
// anything else that stops reading) at the first fault.
void ReadInputs(const Input& testData, const Input& submission, TestCases& testCases,
                GrowingArray<ResultEntry>& results, const ReadOptions& options = {},
                const SectionObserver& observer = {});

// Writes the report of a run that read both inputs to their end (failure
// empty) or stopped with failure: the success form of results, the failure
// form of an EAssertion, the unexpected-failure form of anything else.
// Returns whether every byte of it was written.
bool WriteOutcome(OutputBuffer& out, const std::exception_ptr& failure,
                  std::span<const ResultEntry> results);

}  // namespace krobelnik
