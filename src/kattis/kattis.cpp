#include "kattis/kattis.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "failure/assertion.h"
#include "input/system.h"
#include "run/companion.h"
#include "verdict/judgement.h"
#include "words/language.h"
#include "words/words.h"

namespace krobelnik {

namespace {

constexpr int AcceptedStatus = 42;
constexpr int RejectedStatus = 43;
constexpr int JudgeErrorStatus = 1;

// What the validator flags ask for beside the verdict.
enum class ScoreFile { None, Points, Multiplier, Raw };

// The file name of the feedback folder, which should end with a separator.
std::string FeedbackFile(std::string folder, std::string_view name) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder.append(name);
}

// The files a run may write or remove in the feedback folder.
constexpr const char* FeedbackNames[] = {"judgemessage.txt", "teammessage.txt", "score.txt",
                                         "score_multiplier.txt"};

// Reports that the check itself failed, in the judges' message and on
// standard error.
int CheckFailed(const std::string& feedback, const std::string& reason, const Wording& wording) {
  const std::string message =
      Written(wording, Say(wording.language, W("checkFailedLine"), {{"why", reason}})) + "\n";
  std::fputs(message.c_str(), stderr);
  WriteTextFile(FeedbackFile(feedback, "judgemessage.txt"), message);
  return JudgeErrorStatus;
}

}  // namespace

int KattisMain(int argc, const char* const* argv) {
  const Wording wording = WordingFromLocale();
  const Language l = wording.language;
  const ProgramTexts texts = TextsOf(wording, W("kattisUsage"), W("kattisDescription"));
  const std::string& usage = texts.usage;
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-kattis", usage, texts.description)) return 0;
  if (argc < 4) {
    std::fputs(usage.c_str(), stderr);
    return JudgeErrorStatus;
  }
  const std::string feedback = argv[3];
  // Every file the feedback folder gets is written anew (or removed): never
  // one of the inputs, which stay as they are, and then nothing is written.
  const std::string inputs[] = {argv[1], argv[2]};
  for (const char* name : FeedbackNames) {
    const std::string file = FeedbackFile(feedback, name);
    if (const std::string* input = InputNamedBy(file, inputs)) {
      const std::string why = Say(l, W("feedbackIsInput"), {{"file", file}, {"input", *input}});
      std::fprintf(stderr, "%s\n",
                   Written(wording, Say(l, W("checkFailedLine"), {{"why", why}})).c_str());
      return JudgeErrorStatus;
    }
  }
  ScoreFile scoreFile = ScoreFile::None;
  for (int a = 4; a < argc; ++a) {
    const std::string_view flag = argv[a];
    const ScoreFile asked = flag == "score"              ? ScoreFile::Points
                            : flag == "score_multiplier" ? ScoreFile::Multiplier
                            : flag == "raw"              ? ScoreFile::Raw
                                                         : ScoreFile::None;
    if (asked == ScoreFile::None || (scoreFile != ScoreFile::None && scoreFile != asked))
      return CheckFailed(feedback, Say(l, W("badFlag"), {{"flag", flag}}), wording);
    scoreFile = asked;
  }
  // A feedback folder may be used again: a score left from an earlier run
  // must not stand beside this run's verdict.
  for (const char* name : {"score.txt", "score_multiplier.txt"}) {
    std::error_code ignored;
    std::filesystem::remove(NativePath(FeedbackFile(feedback, name)), ignored);
  }
  // Each file is opened once; the submission arrives on standard input,
  // often from a pipe, and is kept whole so that a line can be read twice.
  HeldInput testData, jury, submission;
  std::string problem;
  if (!HoldInput(testData, W("roleTestData"), argv[1], problem, l) ||
      !HoldInput(jury, W("roleJury"), argv[2], problem, l))
    return CheckFailed(feedback, problem, wording);
  if (!submission.OpenStandardInput(problem))
    return CheckFailed(feedback, Say(l, W("cannotReadStandardInput"), {{"reason", problem}}),
                       wording);
  const Judgement judgement =
      JudgeSubmission(Input::Held(testData), Input::Held(jury), Input::Held(submission), wording);
  if (judgement.judged == Judged::JudgeError)
    return CheckFailed(feedback, judgement.error, wording);
  bool written =
      WriteTextFile(FeedbackFile(feedback, "judgemessage.txt"), JudgeMessage(judgement)) &&
      WriteTextFile(FeedbackFile(feedback, "teammessage.txt"), TeamMessage(judgement) + "\n");
  const bool accepted = judgement.judged == Judged::Accepted;
  // A score goes with an accepted submission only.
  if (accepted && scoreFile != ScoreFile::None) {
    const PointsTable& points = judgement.points;
    const std::string score =
        scoreFile == ScoreFile::Raw ? IntToStr(points.rawTotal) : PointsText(points.points);
    const char* name = scoreFile == ScoreFile::Multiplier ? "score_multiplier.txt" : "score.txt";
    written = written && WriteTextFile(FeedbackFile(feedback, name), score + "\n");
  }
  if (!written)
    return CheckFailed(feedback, Say(l, W("feedbackNotWritten"), {{"folder", feedback}}), wording);
  return accepted ? AcceptedStatus : RejectedStatus;
}

}  // namespace krobelnik
