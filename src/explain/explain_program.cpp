#include "explain/explain_program.h"

#include <cstdio>
#include <cstring>

#include "explain/explain.h"
#include "run/companion.h"

namespace krobelnik {

namespace {

constexpr const char* Description =
    "Runs the evaluator Zelvor20Krobelnik on the test data and a submission and prints its\n"
    "report, then where and why it rejected the submission: the file, line and column the\n"
    "failing check recorded, an excerpt of that line and the facts its message leaves out;\n"
    "for an accepted submission its sections. With the test data alone it checks the test\n"
    "data and lists its test cases. --json prints one JSON object instead. It writes no file.\n"
    "\n"
    "Exit status: 0 accepted (or sound test data), 1 rejected, 3 the test data is at fault,\n"
    "2 a wrong command line, an input that cannot be opened, or no report could be made.\n";

int StatusOf(const Explanation& e) {
  if (!e.unopened.empty()) return 2;
  switch (e.verdict) {
    case Verdict::Accepted:
      return 0;
    case Verdict::Rejected:
      return 1;
    case Verdict::TestData:
      return 3;
    case Verdict::Unexpected:
      break;
  }
  return 2;
}

}  // namespace

int ExplainMain(int argc, const char* const* argv) {
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-explain", ExplainUsageLine, Description))
    return 0;
  bool json = false;
  const char* names[2] = {nullptr, nullptr};
  int count = 0;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--json") == 0) {
      json = true;
    } else if (count < 2) {
      names[count++] = argv[a];
    } else {
      count = 3;
    }
  }
  if (count < 1 || count > 2) {
    std::fputs(ExplainUsageLine, stderr);
    return 2;
  }
  const bool testDataOnly = count == 1;
  const Input testData = Input::File(names[0]);
  const Input submission = testDataOnly ? Input::Text(HeaderOnlySubmission) : Input::File(names[1]);
  Explanation e;
  // Memory that runs out after the run (for the explanation or its text)
  // ends the program with a message rather than a crash.
  try {
    if (!Explain(testData, submission, testDataOnly, e)) {
      std::fputs("no report could be made: memory ran out\n", stderr);
      return 2;
    }
    if (!(json ? PrintJson(stdout, e) : PrintText(stdout, e))) {
      std::fputs("the explanation could not be written to standard output\n", stderr);
      return 2;
    }
  } catch (...) {
    std::fputs("the explanation could not be made: memory ran out\n", stderr);
    return 2;
  }
  return StatusOf(e);
}

}  // namespace krobelnik
