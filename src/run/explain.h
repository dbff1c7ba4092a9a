#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "input/growing_array.h"
#include "run/report.h"
#include "run/run_eval.h"
#include "testdata/test_data.h"

namespace krobelnik {

// An explanation of a run's verdict for people: the report the evaluator
// writes for the same inputs and, for a rejection, where the fault lies and
// the facts that its message leaves out; for an accepted submission its
// sections, and for test data checked alone its test cases.

// How the report came out.
enum class Verdict { Accepted, Rejected, TestData, Unexpected };

// The input a fault lies in.
enum class FaultFile { None, TestData, Submission };

// One fact about a fault: a number, or a text when text is not empty.
struct Fact {
  std::string name;
  std::int64_t value = 0;
  std::string text;
};

struct Explanation {
  bool testDataOnly = false;
  std::string report;
  Verdict verdict = Verdict::Unexpected;
  // For a failure form: its location and message (0 and empty otherwise).
  std::int32_t location = 0;
  std::string message;
  // Where the fault lies: line and column from 1, 0 for none. The excerpt
  // holds bytes of that line from column excerptStart on; hasExcerpt is
  // false for a missing line.
  FaultFile file = FaultFile::None;
  std::int64_t line = 0;
  std::int64_t column = 0;
  bool hasExcerpt = false;
  std::string excerpt;
  std::int64_t excerptStart = 1;
  bool excerptGoesOn = false;
  // The section a rejection in the submission falls in (testCase 0: none).
  std::int32_t sectionTestCase = 0;
  std::int64_t sectionLine = 0;
  // Why, in a sentence, and the facts behind it.
  std::string why;
  std::vector<Fact> detail;
  // What an accepted run read.
  TestCases testCases;
  GrowingArray<ResultEntry> results;
  GrowingArray<SectionLines> sections;
};

// The submission that test data checked alone is evaluated with: its two
// header lines and no section, accepted exactly when the test data is sound.
inline constexpr const char* HeaderOnlySubmission = "000000\nKrobelnik\n";

// Runs the evaluation of submission against testData and explains it (with
// testDataOnly, submission is HeaderOnlySubmission); false when no sound
// report could be made (memory ran out).
bool Explain(const Input& testData, const Input& submission, bool testDataOnly, Explanation& out);

// The explanation as text for people, and as one JSON object. Both return
// whether every byte was written.
bool PrintText(std::FILE* out, const Explanation& explanation);
bool PrintJson(std::FILE* out, const Explanation& explanation);

// The explain program: argv[1] the test data, argv[2] the submission when
// given, --json anywhere. Returns 0 accepted (or sound test data), 1
// rejected, 3 test data at fault, 2 usage or no sound report.
int ExplainMain(int argc, const char* const* argv);

// The line a wrong command line prints to standard error.
inline constexpr const char* ExplainUsageLine =
    "usage: Zelvor20Krobelnik-explain TESTDATA [SUBMISSION] [--json]\n";

}  // namespace krobelnik
