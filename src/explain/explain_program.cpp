#include "explain/explain_program.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

bool ExplainFiles(const char* testDataName, const char* submissionName, Explanation& e) {
  // Each input is opened once and read from there; one that cannot be
  // opened reads as empty, as the evaluator reads it, and is named.
  HeldInput held[2];
  std::vector<UnopenedInput> unopened;
  const auto input = [&](int n, const char* name, InputRole role) {
    std::string reason;
    if (held[n].Open(name, reason)) return Input::Held(held[n]);
    unopened.push_back({role, name, std::move(reason)});
    return Input::Text("");
  };
  const bool testDataOnly = submissionName == nullptr;
  const Input testData = input(0, testDataName, InputRole::TestData);
  const Input submission = testDataOnly ? Input::Text(HeaderOnlySubmission)
                                        : input(1, submissionName, InputRole::Submission);
  if (!Explain(testData, submission, testDataOnly, e)) return false;
  for (UnopenedInput& closed : unopened) NoteUnopened(e, std::move(closed));
  return true;
}

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
  Explanation e;
  // Memory that runs out after the run (for the explanation or its text)
  // ends the program with a message rather than a crash.
  try {
    if (!ExplainFiles(names[0], names[1], e)) {
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
