#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "input/growing_array.h"
#include "input/line_reader.h"
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

  std::string fileName;
  bool inMemory;
  std::string text;
};

// The guarded part of a run: reads the whole test data, then the submission,
// and writes exactly one form of the report into the open report. Returns
// whether every byte of it was written.
bool WriteVerdict(std::FILE* report, const Input& testData, const Input& submission);

// The report WriteVerdict writes for the two inputs, into a scratch file and
// back into text; false when no sound report exists.
bool VerdictText(const Input& testData, const Input& submission, std::string& text);

// Checks the submission's header and scores each of its sections against
// testCases, appending one entry per section; raises EAssertion at a fault.
void ReadSubmission(LineReader& submission, const TestCases& testCases,
                    GrowingArray<ResultEntry>& results);

}  // namespace krobelnik
