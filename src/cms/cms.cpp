#include "cms/cms.h"

#include <cstdio>
#include <string>

#include "run/companion.h"
#include "verdict/judgement.h"

namespace krobelnik {

namespace {

constexpr const char* Usage =
    "usage: Zelvor20Krobelnik-cms TESTDATA CORRECT_OUTPUT CONTESTANT_OUTPUT\n";

constexpr const char* Description =
    "The checker of the output-only task Krobelnik for CMS: evaluates the contestant's output\n"
    "against the test data (the task's input) with the evaluator's own checks, and measures\n"
    "its scores against the jury's answer (the task's correct output). Writes the outcome,\n"
    "from 0.0 to 1.0, on standard output, and on standard error the message for the\n"
    "contestant, then ADMIN_MESSAGE: and the same for the administrators with the numbers.\n"
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
  if (argc != 4) {
    std::fputs(Usage, stderr);
    return 2;
  }
  const Judgement judgement = JudgeSubmission(argv[1], argv[2], argv[3]);
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
