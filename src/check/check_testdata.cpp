#include "check/check_testdata.h"

#include <cstdio>
#include <string>

#include "explain/explain.h"
#include "input/system.h"
#include "run/companion.h"

namespace krobelnik {

namespace {

constexpr const char* Description =
    "Checks an official test data file of the task Krobelnik before a contest: evaluates a\n"
    "submission of just the two header lines against it, which the evaluator accepts exactly\n"
    "when the test data is sound. Prints \"sound: TESTDATA\", or the report's failure line.\n"
    "\n"
    "Exit status: 0 sound, 1 faulty, 2 a wrong command line or a file that cannot be read.\n";

}  // namespace

int CheckTestData(int argc, const char* const* argv) {
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-check-testdata", CheckUsageLine, Description))
    return 0;
  if (argc != 2) {
    std::fputs(CheckUsageLine, stderr);
    return 2;
  }
  HeldInput testData;
  std::string problem;
  if (!testData.Open(argv[1], problem)) {
    std::fprintf(stderr, "Zelvor20Krobelnik-check-testdata: cannot open %s: %s\n", argv[1],
                 problem.c_str());
    return 2;
  }
  Explanation e;
  if (!Explain(Input::Held(testData), Input::Text(HeaderOnlySubmission), true, e)) {
    std::fputs("the evaluator wrote no report it vouches for\n", stderr);
    return 2;
  }
  if (e.verdict == Verdict::Accepted) {
    std::printf("sound: %s\n", argv[1]);
    return 0;
  }
  const std::string line = e.report.substr(0, e.report.find('\n') + 1);
  std::fwrite(line.data(), 1, line.size(), stdout);
  // A file that could not be read to its end is no verdict on the test data.
  return e.verdict == Verdict::TestData ? 1 : 2;
}

}  // namespace krobelnik
