#include "cms/cms.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "run/companion.h"
#include "verdict/judgement.h"
#include "words/language.h"
#include "words/words.h"

namespace krobelnik {

namespace {

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
  const Wording wording = WordingFromLocale();
  const Language l = wording.language;
  const ProgramTexts texts = TextsOf(wording, W("cmsUsage"), W("cmsDescription"));
  const std::string& usage = texts.usage;
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-cms", usage, texts.description)) return 0;
  // BatchAndOutput says how the output was made; both are judged alike.
  const bool kindGiven = argc == 5 && (std::string_view(argv[4]) == "outputonly" ||
                                       std::string_view(argv[4]) == "batch");
  if (argc != 4 && !kindGiven) {
    std::fputs(usage.c_str(), stderr);
    return 2;
  }
  HeldInput testData, jury, output;
  std::string problem;
  if (!HoldInput(testData, W("roleTestData"), argv[1], problem, l) ||
      !HoldInput(jury, W("roleJury"), argv[2], problem, l) ||
      !HoldInput(output, W("roleOutput"), argv[3], problem, l)) {
    std::fprintf(stderr, "%s\n",
                 Written(wording, Say(l, W("checkFailedLine"), {{"why", problem}})).c_str());
    return 1;
  }
  const Judgement judgement =
      JudgeSubmission(Input::Held(testData), Input::Held(jury), Input::Held(output), wording);
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
