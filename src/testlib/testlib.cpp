#include "testlib/testlib.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "run/companion.h"
#include "verdict/judgement.h"

namespace krobelnik {

namespace {

constexpr const char* Usage =
    "usage: Zelvor20Krobelnik-testlib TESTDATA OUTPUT ANSWER [RESULT_FILE [-appes]]\n";

constexpr const char* Description =
    "The checker of the task Krobelnik for judges built on the testlib convention: evaluates\n"
    "the contestant's output against the test data (the test's input) with the evaluator's\n"
    "own checks, and measures its scores against the jury's answer. The verdict goes to\n"
    "standard error (\"ok\", \"points P\", \"wrong answer\" or \"FAIL\" and a message) and to\n"
    "the result file when one is named, as XML with -appes.\n"
    "\n"
    "Exit status: 0 accepted with full points, 7 accepted with points P below 1 (from 0 to\n"
    "1, the first word of the message), 1 rejected, 3 the check itself failed.\n";

// A verdict as the convention gives it: the exit status, the word that
// starts the line on standard error, the outcome of the XML result, the
// points (empty but for partial points) and the message, which starts with
// the points where there are any.
struct Outcome {
  int status;
  const char* word;
  const char* xml;
  std::string points;
  std::string message;
};

Outcome OutcomeOf(const Judgement& judgement) {
  switch (judgement.judged) {
    case Judged::Accepted: {
      if (judgement.points.points >= 1) return {0, "ok", "accepted", {}, Summary(judgement)};
      std::string points = PointsText(judgement.points.points);
      return {7, "points", "points", points, points + " " + Summary(judgement)};
    }
    case Judged::Rejected:
      return {1, "wrong answer", "wrong-answer", {}, TeamMessage(judgement)};
    case Judged::JudgeError:
      break;
  }
  return {3, "FAIL", "fail", {}, Summary(judgement)};
}

// The message inside the XML result: its markup characters as entities.
std::string XmlText(std::string_view text) {
  std::string xml;
  for (const char c : text) {
    if (c == '&') {
      xml += "&amp;";
    } else if (c == '<') {
      xml += "&lt;";
    } else if (c == '>') {
      xml += "&gt;";
    } else if (c == '"') {
      xml += "&quot;";
    } else {
      xml += c;
    }
  }
  return xml;
}

}  // namespace

int TestlibMain(int argc, const char* const* argv) {
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-testlib", Usage, Description)) return 0;
  if (argc < 4 || argc > 6 || (argc == 6 && std::string_view(argv[5]) != "-appes")) {
    std::fputs(Usage, stderr);
    return 3;
  }
  const Outcome outcome = OutcomeOf(JudgeSubmission(argv[1], argv[3], argv[2]));
  std::fprintf(stderr, "%s %s\n", outcome.word, outcome.message.c_str());
  if (argc >= 5) {
    std::string result = outcome.message;
    if (argc == 6) {
      const std::string points =
          outcome.points.empty() ? "" : " points = \"" + outcome.points + "\"";
      result = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = \"" +
               std::string(outcome.xml) + "\"" + points + ">" + XmlText(outcome.message) +
               "</result>\n";
    }
    if (!WriteTextFile(argv[4], result)) {
      std::fprintf(stderr, "FAIL the result file %s cannot be written\n", argv[4]);
      return 3;
    }
  }
  return outcome.status;
}

}  // namespace krobelnik
