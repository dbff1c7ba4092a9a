#include "run/explain.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <span>
#include <string_view>

#include "run/assertion.h"
#include "run/locate.h"
#include "run/output_buffer.h"

namespace krobelnik {

namespace {

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

int ExplainMain(int argc, const char* const* argv) {
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

}  // namespace krobelnik
