#include "verdict/judgement.h"

#include <cstdio>
#include <exception>
#include <span>
#include <utility>

#include "explain/explain_output.h"
#include "failure/assertion.h"
#include "input/system.h"
#include "run/output_buffer.h"

namespace krobelnik {

namespace {

// The first line of a report, without its line feed.
std::string_view FirstLine(std::string_view report) { return report.substr(0, report.find('\n')); }

// A judgement that the check itself failed, for the reason given.
Judgement Error(std::string reason) {
  Judgement judgement;
  judgement.error = std::move(reason);
  return judgement;
}

// The reason one of the three files cannot be read, or nothing.
std::string OpenProblemOf(const char* role, const std::string& path) {
  const std::string problem = OpenProblem(path);
  return problem.empty() ? problem
                         : "cannot open the " + std::string(role) + " " + path + ": " + problem;
}

// The jury's answer, explained; empty when it is sound, else why not.
std::string CheckJury(const Input& testData, const Input& jury, Explanation& e) {
  if (!Explain(testData, jury, false, e)) return "memory ran out while the jury's answer was read";
  switch (e.verdict) {
    case Verdict::Accepted:
      return {};
    case Verdict::TestData:
      return "the test data is faulty: " + Escaped(FirstLine(e.report), 1000);
    case Verdict::Rejected:
      return "the evaluator rejects the jury's answer: " + Escaped(FirstLine(e.report), 1000);
    case Verdict::Unexpected:
      break;
  }
  return "the jury's answer could not be read to its end";
}

Judgement Judge(const std::string& testDataPath, const std::string& juryPath,
                const std::string& submissionPath) {
  for (const auto& [role, path] :
       {std::pair{"test data", &testDataPath}, std::pair{"jury's answer", &juryPath},
        std::pair{"submission", &submissionPath}}) {
    std::string problem = OpenProblemOf(role, *path);
    if (!problem.empty()) return Error(std::move(problem));
  }
  const Input testData = Input::File(testDataPath);
  GrowingArray<ResultEntry> juryResults;
  {
    // The jury's explanation and its test cases go before the submission's
    // are read, so that only one copy of the test data is kept at a time.
    Explanation jury;
    std::string problem = CheckJury(testData, Input::File(juryPath), jury);
    if (!problem.empty()) return Error(std::move(problem));
    juryResults = std::move(jury.results);
  }
  Explanation e;
  if (!Explain(testData, Input::File(submissionPath), false, e))
    return Error("memory ran out while the submission was read");
  Judgement judgement;
  judgement.report = e.report;
  if (e.verdict == Verdict::Rejected) {
    OutputBuffer text(judgement.explanation);
    if (!PrintText(text, e)) judgement.explanation.clear();
  }
  switch (e.verdict) {
    case Verdict::Accepted:
      judgement.points = Points(std::span(juryResults.Data(), juryResults.Size()),
                                std::span(e.results.Data(), e.results.Size()), e.testCases);
      if (judgement.points.juryMissing != 0)
        return Error("the jury's answer does not answer test case " +
                     IntToStr(judgement.points.juryMissing));
      judgement.judged = Judged::Accepted;
      return judgement;
    case Verdict::Rejected:
      judgement.judged = Judged::Rejected;
      return judgement;
    case Verdict::TestData:
      return Error("the test data is faulty: " + Escaped(FirstLine(e.report), 1000));
    case Verdict::Unexpected:
      break;
  }
  return Error("the submission could not be read to its end");
}

}  // namespace

Judgement JudgeSubmission(const std::string& testData, const std::string& jury,
                          const std::string& submission) {
  try {
    return Judge(testData, jury, submission);
  } catch (...) {
    return Error("memory ran out");
  }
}

std::string Summary(const Judgement& judgement) {
  const PointsTable& points = judgement.points;
  switch (judgement.judged) {
    case Judged::Accepted:
      return "accepted, points " + PointsText(points.points) + ": " + IntToStr(points.answered) +
             " of " + IntToStr(static_cast<std::int64_t>(points.testCases.size())) +
             " test cases answered, total score " + IntToStr(points.rawTotal) +
             " against the jury's " + IntToStr(points.juryTotal) + " (lower is better)";
    case Judged::Rejected:
      return "rejected: " + Escaped(FirstLine(judgement.report), 1000);
    case Judged::JudgeError:
      break;
  }
  return "the check failed: " + judgement.error;
}

std::string TeamMessage(const Judgement& judgement) {
  if (judgement.judged == Judged::Accepted)
    return "OK, points " + PointsText(judgement.points.points);
  return Escaped(FirstLine(judgement.report), 2000);
}

bool WriteTextFile(const std::string& path, std::string_view text) {
  std::FILE* file = OpenForWriting(path);
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

std::string JudgeMessage(const Judgement& judgement) {
  std::string message = Summary(judgement) + "\n";
  if (judgement.judged == Judged::JudgeError) return message;
  if (judgement.judged == Judged::Rejected) return message + "\n" + judgement.explanation;
  message += "\ntest case  jury  submission  points\n";
  constexpr std::size_t Shown = 100;
  const std::vector<TestCasePoints>& rows = judgement.points.testCases;
  for (std::size_t k = 0; k < rows.size() && k < Shown; ++k) {
    message += IntToStr(static_cast<std::int64_t>(k) + 1) + "  " + IntToStr(rows[k].jury) + "  " +
               (rows[k].best > 0 ? IntToStr(rows[k].best) : "-") + "  " +
               PointsText(rows[k].points) + "\n";
  }
  if (rows.size() > Shown)
    message += "(and " + IntToStr(static_cast<std::int64_t>(rows.size() - Shown)) + " more)\n";
  return message;
}

}  // namespace krobelnik
