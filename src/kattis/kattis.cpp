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

namespace krobelnik {

namespace {

constexpr const char* Usage =
    "usage: Zelvor20Krobelnik-kattis TESTDATA JURY_ANSWER FEEDBACK_DIR [score | "
    "score_multiplier | raw] < SUBMISSION\n";

constexpr const char* Description =
    "The output validator of the task Krobelnik for judges that run the problem package\n"
    "format (Kattis, DOMjudge): evaluates the submission on standard input against the test\n"
    "data with the evaluator's own checks, and measures its scores against the jury's answer.\n"
    "Writes judgemessage.txt and teammessage.txt to the feedback folder; with the flag\n"
    "score also score.txt (the points, 0 to 1), with score_multiplier score_multiplier.txt,\n"
    "with raw score.txt holding the raw total score (lower is better).\n"
    "\n"
    "Exit status: 42 accepted, 43 rejected, 1 the check itself failed (faulty test data, a\n"
    "jury's answer that the evaluator rejects, a file that cannot be read).\n";

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
int CheckFailed(const std::string& feedback, const std::string& reason) {
  const std::string message = "the check failed: " + reason + "\n";
  std::fputs(message.c_str(), stderr);
  WriteTextFile(FeedbackFile(feedback, "judgemessage.txt"), message);
  return JudgeErrorStatus;
}

}  // namespace

int KattisMain(int argc, const char* const* argv) {
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-kattis", Usage, Description)) return 0;
  if (argc < 4) {
    std::fputs(Usage, stderr);
    return JudgeErrorStatus;
  }
  const std::string feedback = argv[3];
  // Every file the feedback folder gets is written anew (or removed): never
  // one of the inputs, which stay as they are, and then nothing is written.
  const std::string inputs[] = {argv[1], argv[2]};
  for (const char* name : FeedbackNames) {
    const std::string file = FeedbackFile(feedback, name);
    if (const std::string* input = InputNamedBy(file, inputs)) {
      std::fprintf(stderr, "the check failed: the feedback file %s is the input %s\n", file.c_str(),
                   input->c_str());
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
      return CheckFailed(feedback,
                         "a validator flag that is none of score, score_multiplier "
                         "and raw, or two of them: " +
                             std::string(flag));
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
  if (!HoldInput(testData, "test data", argv[1], problem) ||
      !HoldInput(jury, "jury's answer", argv[2], problem))
    return CheckFailed(feedback, problem);
  if (!submission.OpenStandardInput(problem))
    return CheckFailed(feedback, "cannot read the submission on standard input: " + problem);
  const Judgement judgement = JudgeSubmission(Input::Held(testData), Input::Held(jury),
                                              Input::Held(submission), WordingFromLocale());
  if (judgement.judged == Judged::JudgeError) return CheckFailed(feedback, judgement.error);
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
    return CheckFailed(feedback, "the feedback folder " + feedback + " cannot be written");
  return accepted ? AcceptedStatus : RejectedStatus;
}

}  // namespace krobelnik
