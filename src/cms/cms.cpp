#include "cms/cms.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "run/companion.h"
#include "verdict/judgement.h"
#include "words/language.h"

namespace krobelnik {

namespace {

constexpr const char* Usage =
    "usage: Zelvor20Krobelnik-cms TESTDATA CORRECT_OUTPUT CONTESTANT_OUTPUT [outputonly | "
    "batch]\n";

constexpr const char* Description =
    "The checker of the task Krobelnik for CMS, in any task type that runs a checker\n"
    "(OutputOnly, Batch, and BatchAndOutput, which adds outputonly or batch): evaluates the\n"
    "contestant's output against the test data (the task's input) with the evaluator's own\n"
    "checks, and measures its scores against the jury's answer (the task's correct output).\n"
    "Writes the outcome, from 0.0 to 1.0, on standard output, and on standard error the\n"
    "message for the contestant, then ADMIN_MESSAGE: and the same for the administrators\n"
    "with the numbers.\n"
    "\n"
    "Exit status: 0 judged, 1 the check itself failed (faulty test data, a jury's answer that\n"
    "the evaluator rejects, a file that cannot be read), 2 a wrong command line.\n";

// The contestant's message for an accepted output, in the words CMS
// translates for each contestant where it has them.
std::string AcceptedMessage(const Judgement& judgement) {
  const double points = judgement.points.points;
  if (points >= 1) return "translate:success";
  if (points > 0) return "translate:partial";
  return TeamMessage(judgement);
}

}  // namespace

int CmsMain(int argc, const char* const* argv) {
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-cms", Usage, Description)) return 0;
  // BatchAndOutput says how the output was made; both are judged alike.
  const bool kindGiven = argc == 5 && (std::string_view(argv[4]) == "outputonly" ||
                                       std::string_view(argv[4]) == "batch");
  if (argc != 4 && !kindGiven) {
    std::fputs(Usage, stderr);
    return 2;
  }
  HeldInput testData, jury, output;
  std::string problem;
  if (!HoldInput(testData, "test data", argv[1], problem) ||
      !HoldInput(jury, "jury's answer", argv[2], problem) ||
      !HoldInput(output, "contestant's output", argv[3], problem)) {
    std::fprintf(stderr, "the check failed: %s\n", problem.c_str());
    return 1;
  }
  const Judgement judgement = JudgeSubmission(Input::Held(testData), Input::Held(jury),
                                              Input::Held(output), WordingFromLocale());
  if (judgement.judged == Judged::JudgeError) {
    std::fprintf(stderr, "%s\n", Summary(judgement).c_str());
    return 1;
  }
  const bool accepted = judgement.judged == Judged::Accepted;
  const std::string outcome = accepted ? PointsText(judgement.points.points) : "0.0";
  const std::string message = accepted ? AcceptedMessage(judgement) : TeamMessage(judgement);
  std::printf("%s\n", outcome.c_str());
  std::fprintf(stderr, "%s\nADMIN_MESSAGE: %s\n", message.c_str(), Summary(judgement).c_str());
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

}  // namespace krobelnik
