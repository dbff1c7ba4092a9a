#include "testlib/testlib.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "failure/assertion.h"
#include "input/system.h"
#include "run/companion.h"
#include "verdict/judgement.h"
#include "words/language.h"
#include "words/words.h"

namespace krobelnik {

namespace {

// testlib's exit statuses.
constexpr int OkStatus = 0;
constexpr int WrongAnswerStatus = 1;
constexpr int PresentationErrorStatus = 2;
constexpr int FailStatus = 3;
constexpr int PointsStatus = 7;

// A verdict as testlib gives it: the exit status, the words that start its
// line on standard error, the outcome of the XML result, the points as the
// XML result and the line on standard error write them (empty but for
// partial points), and the message.
struct Outcome {
  int status;
  const char* words;
  const char* xml;
  std::string points;
  std::string message;
  // The points from 0 to 1.
  double fraction = 0;
};

// The points as testlib's checkers print them: ten decimals, then the
// zeros at the end taken off down to one.
std::string TestlibPoints(double points) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.10f", points);
  std::string value = text;
  while (value.size() > 2 && value.back() == '0' && value[value.size() - 2] != '.')
    value.pop_back();
  return value;
}

Outcome OutcomeOf(const Judgement& judgement) {
  switch (judgement.judged) {
    case Judged::Accepted: {
      if (judgement.points.points >= 1) return {OkStatus, "ok", "accepted", {}, Summary(judgement)};
      const double points = judgement.points.points;
      return {PointsStatus, "points", "points", TestlibPoints(points), Summary(judgement), points};
    }
    case Judged::Rejected:
      return {WrongAnswerStatus, "wrong answer", "wrong-answer", {}, TeamMessage(judgement)};
    case Judged::JudgeError:
      break;
  }
  return {FailStatus, "FAIL", "fail", {}, Summary(judgement)};
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

// A whole number of at most nine digits, as a test case's value; 0 for
// anything else.
std::int64_t WholeNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return 0;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The command line after testlib's options are taken out.
struct CommandLine {
  std::vector<std::string> files;
  // The test case's value for whole points, 0 without --points-out-of.
  std::int64_t pointsOutOf = 0;
  bool sound = true;
};

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  for (int a = 1; a < argc; ++a) {
    const std::string_view argument = argv[a];
    const bool valued =
        argument == "--testset" || argument == "--group" || argument == "--points-out-of";
    if (!valued) {
      line.files.emplace_back(argument);
      continue;
    }
    if (a + 1 >= argc) {
      line.sound = false;
      break;
    }
    const std::string_view value = argv[++a];
    if (argument == "--testset" && value.empty()) line.sound = false;
    if (argument == "--points-out-of") {
      line.pointsOutOf = WholeNumber(value);
      if (line.pointsOutOf == 0) line.sound = false;
    }
  }
  const std::size_t count = line.files.size();
  if (count < 3 || count > 5) line.sound = false;
  if (count == 5 && line.files[4] != "-appes" && line.files[4] != "-APPES") line.sound = false;
  return line;
}

// Writes the result file: the message, or the XML form with -appes.
bool WriteResult(const CommandLine& line, const Outcome& outcome) {
  if (line.files.size() < 4) return true;
  std::string result = (outcome.points.empty() ? "" : outcome.points + " ") + outcome.message;
  if (line.files.size() == 5) {
    const std::string points = outcome.points.empty() ? "" : " points = \"" + outcome.points + "\"";
    result = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = \"" +
             std::string(outcome.xml) + "\"" + points + ">" + XmlText(result) + "</result>\n";
  }
  return WriteTextFile(line.files[3], result);
}

}  // namespace

int TestlibMain(int argc, const char* const* argv) {
  // What testlib writes is ASCII (its result file declares windows-1251).
  const Wording wording{WordingFromLocale().language, false};
  const Language l = wording.language;
  const ProgramTexts texts = TextsOf(wording, W("testlibUsage"), W("testlibDescription"));
  const std::string& usage = texts.usage;
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-testlib", usage, texts.description)) return 0;
  const CommandLine line = ParseCommandLine(argc, argv);
  if (!line.sound) {
    std::fputs(usage.c_str(), stderr);
    return FailStatus;
  }
  // Writing the result file truncates it: never when it is one of the
  // inputs, which stay as they are.
  if (line.files.size() >= 4) {
    const std::span<const std::string> inputs(line.files.data(), 3);
    if (const std::string* input = InputNamedBy(line.files[3], inputs)) {
      std::fprintf(
          stderr, "%s\n",
          Written(wording, Say(l, W("resultIsInput"), {{"file", line.files[3]}, {"input", *input}}))
              .c_str());
      return FailStatus;
    }
  }
  HeldInput testData, output, answer;
  std::string problem;
  Outcome outcome{FailStatus, "FAIL", "fail", {}, {}};
  if (!output.Open(line.files[1], problem)) {
    // As in testlib, an output that is not there is the contestant's.
    outcome = {PresentationErrorStatus,
               "wrong output format",
               "presentation-error",
               {},
               "Output file not found: \"" + line.files[1] + "\""};
  } else if (!HoldInput(testData, W("roleTestData"), line.files[0], problem, l) ||
             !HoldInput(answer, W("roleJury"), line.files[2], problem, l)) {
    outcome.message = Written(wording, Say(l, W("checkFailedLine"), {{"why", problem}}));
  } else {
    outcome = OutcomeOf(
        JudgeSubmission(Input::Held(testData), Input::Held(answer), Input::Held(output), wording));
  }
  // The points of the test case's value V, rounded down to a whole number,
  // a fraction of a point short of V never reaching it.
  if (line.pointsOutOf > 0 && outcome.status == PointsStatus) {
    const double points = outcome.fraction * static_cast<double>(line.pointsOutOf);
    const auto whole = static_cast<std::int64_t>(std::floor(points + 1e-9));
    outcome.points = IntToStr(std::min(whole, line.pointsOutOf));
  }
  // The result file first: one that cannot be written is the check's
  // failure alone, with no verdict before it.
  if (!WriteResult(line, outcome)) {
    std::fprintf(stderr, "FAIL the result file %s cannot be written\n", line.files[3].c_str());
    return FailStatus;
  }
  if (line.pointsOutOf > 0) {
    if (outcome.status == PointsStatus) {
      std::fprintf(stderr, "points %s\n", outcome.points.c_str());
    } else {
      std::fprintf(stderr, "%s %s\n", outcome.words, outcome.message.c_str());
    }
    std::printf("%s\n", outcome.message.c_str());
  } else if (line.files.size() < 4) {
    const std::string points = outcome.points.empty() ? "" : outcome.points + " ";
    std::fprintf(stderr, "%s %s%s\n", outcome.words, points.c_str(), outcome.message.c_str());
  } else {
    // The verdict is in the file; standard error says where, as testlib's
    // checkers do.
    std::fputs("\n", stderr);
  }
  if (line.files.size() >= 4) std::fputs("See file to check exit message\n", stderr);
  return outcome.status;
}

}  // namespace krobelnik
