#include "verdict/judgement.h"

#include <cstdio>
#include <exception>
#include <span>
#include <utility>

#include "explain/explain_output.h"
#include "failure/assertion.h"
#include "input/system.h"
#include "run/output_buffer.h"
#include "words/words.h"

namespace krobelnik {

namespace {

// The first line of a report as a message shows it: at most most
// characters, and how many bytes more it has.
std::string ReportLine(const Explanation& e, std::size_t most) {
  return FirstLineShown(e.report, e.reportLeftOut, e.reportTail, most, Language::English);
}
std::string ReportLine(const Judgement& j, std::size_t most) {
  return FirstLineShown(j.report, j.reportLeftOut, j.reportTail, most, j.wording.language);
}

// A judgement that the check itself failed, for the reason given.
Judgement Error(std::string reason) {
  Judgement judgement;
  judgement.error = std::move(reason);
  return judgement;
}

// Why a run stopped without a verdict on input (a sentence of the
// catalogue's that names it).
std::string Unfinished(const Explanation& e, Word input, Language l) {
  return Say(l, e.memoryRanOut ? W("memoryRanOutWhile") : W("notToItsEnd"),
             {{"input", Say(l, input)}});
}

// The jury's answer, explained; empty when it is sound and answers every
// test case, else why not, in l.
std::string CheckJury(const Input& testData, const Input& jury, Explanation& e, Language l) {
  if (!Explain(testData, jury, false, e))
    return Say(l, W("memoryRanOutWhile"), {{"input", Say(l, W("whileJury"))}});
  switch (e.verdict) {
    case Verdict::Accepted: {
      const std::int64_t missing =
          FirstUnanswered(std::span(e.results.Data(), e.results.Size()), e.testCases.Count());
      if (missing == 0) return {};
      return Say(l, W("juryMissing"), {{"testCase", missing}});
    }
    case Verdict::TestData:
      return Say(l, W("testDataFaulty"), {{"line", ReportLine(e, 1000)}});
    case Verdict::Rejected:
      return Say(l, W("juryRejected"), {{"line", ReportLine(e, 1000)}});
    case Verdict::Unexpected:
      break;
  }
  return Unfinished(e, W("whileJury"), l);
}

Judgement Judge(const Input& testData, const Input& juryAnswer, const Input& submission,
                const Wording& wording) {
  GrowingArray<ResultEntry> juryResults;
  {
    // The jury's explanation and its test cases go before the submission's
    // are read, so that only one copy of the test data is kept at a time.
    Explanation jury;
    std::string problem = CheckJury(testData, juryAnswer, jury, wording.language);
    if (!problem.empty()) return Error(std::move(problem));
    juryResults = std::move(jury.results);
  }
  Explanation e;
  const Language l = wording.language;
  if (!Explain(testData, submission, false, e))
    return Error(Say(l, W("memoryRanOutWhile"), {{"input", Say(l, W("whileSubmission"))}}));
  Judgement judgement;
  judgement.report = e.report;
  judgement.reportTail = e.reportTail;
  judgement.reportLeftOut = e.reportLeftOut;
  if (e.verdict == Verdict::Rejected) {
    OutputBuffer text(judgement.explanation);
    if (!PrintText(text, e, {wording, false})) judgement.explanation.clear();
  }
  switch (e.verdict) {
    case Verdict::Accepted:
      judgement.points = Points(std::span(juryResults.Data(), juryResults.Size()),
                                std::span(e.results.Data(), e.results.Size()), e.testCases);
      judgement.judged = Judged::Accepted;
      return judgement;
    case Verdict::Rejected:
      judgement.judged = Judged::Rejected;
      return judgement;
    case Verdict::TestData:
      return Error(Say(l, W("testDataFaulty"), {{"line", ReportLine(e, 1000)}}));
    case Verdict::Unexpected:
      break;
  }
  return Error(Unfinished(e, W("whileSubmission"), l));
}

}  // namespace

bool HoldInput(HeldInput& held, Word role, const std::string& path, std::string& problem,
               Language language) {
  std::string reason;
  if (held.Open(path, reason)) return true;
  problem = Say(language, W("cannotRead"),
                {{"role", Say(language, role)}, {"path", path}, {"reason", reason}});
  return false;
}

Judgement JudgeSubmission(const Input& testData, const Input& jury, const Input& submission,
                          const Wording& wording) {
  Judgement judgement;
  try {
    judgement = Judge(testData, jury, submission, wording);
  } catch (...) {
    judgement = Error(Say(wording.language, W("memoryRanOut")));
  }
  judgement.wording = wording;
  return judgement;
}

std::string Summary(const Judgement& judgement) {
  const PointsTable& points = judgement.points;
  const Language l = judgement.wording.language;
  std::string summary;
  switch (judgement.judged) {
    case Judged::Accepted:
      summary = Say(l, W("judgedAccepted"),
                    {{"points", PointsText(points.points)},
                     {"answered", points.answered},
                     {"testCases", points.testCases.size()},
                     {"total", points.rawTotal},
                     {"jury", points.juryTotal}});
      break;
    case Judged::Rejected:
      summary = Say(l, W("judgedRejected"), {{"line", ReportLine(judgement, 1000)}});
      break;
    case Judged::JudgeError:
      summary = Say(l, W("judgeFailed"), {{"why", judgement.error}});
      break;
  }
  return Written(judgement.wording, summary);
}

std::string TeamMessage(const Judgement& judgement) {
  if (judgement.judged == Judged::Accepted) {
    const std::string message = Say(judgement.wording.language, W("teamAccepted"),
                                    {{"points", PointsText(judgement.points.points)}});
    return Written(judgement.wording, message);
  }
  return Written(judgement.wording, ReportLine(judgement, 2000));
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
  const Language l = judgement.wording.language;
  message += "\n";
  message += Say(l, W("pointsColumns"));
  message += "\n";
  constexpr std::size_t Shown = 100;
  const std::vector<TestCasePoints>& rows = judgement.points.testCases;
  for (std::size_t k = 0; k < rows.size() && k < Shown; ++k) {
    message += IntToStr(static_cast<std::int64_t>(k) + 1) + "  " + IntToStr(rows[k].jury) + "  " +
               (rows[k].best > 0 ? IntToStr(rows[k].best) : "-") + "  " +
               PointsText(rows[k].points) + "\n";
  }
  if (rows.size() > Shown)
    message += Say(l, W("morePoints"), {{"count", rows.size() - Shown}}) + "\n";
  return Written(judgement.wording, message);
}

}  // namespace krobelnik
