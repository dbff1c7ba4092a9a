#include "check/check_testdata.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "input/system.h"
#include "run/companion.h"
#include "run/output_buffer.h"
#include "words/words.h"

namespace krobelnik {

int CheckTestData(int argc, const char* const* argv) {
  Wording wording = WordingFromLocale();
  const char* name = nullptr;
  bool sound = true;
  bool kattis = false;
  const char* unknownLanguage = nullptr;
  for (int a = 1; a < argc; ++a) {
    if (std::string_view(argv[a]) == "--lang") {
      const bool known = a + 1 < argc && ParseLanguage(argv[a + 1], wording.language);
      if (!known && a + 1 < argc) unknownLanguage = argv[a + 1];
      sound = known && sound;
      ++a;
    } else if (std::string_view(argv[a]) == "--kattis") {
      kattis = true;
    } else {
      sound = name == nullptr && sound;
      name = argv[a];
    }
  }
  const Language l = wording.language;
  const ProgramTexts texts = TextsOf(wording, W("checkUsage"), W("checkDescription"));
  const std::string& usage = texts.usage;
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-check-testdata", usage, texts.description))
    return 0;
  // As an input validator the test data comes on standard input, and the
  // statuses are the judges' own: 42 sound, 43 faulty.
  const int statusSound = kattis ? 42 : 0;
  const int statusFaulty = kattis ? 43 : 1;
  const int statusFailed = kattis ? 1 : 2;
  if (!sound || (name == nullptr) != kattis) {
    if (unknownLanguage != nullptr)
      std::fprintf(
          stderr, "%s\n",
          Written(wording, Say(l, W("unknownLanguage"), {{"name", unknownLanguage}})).c_str());
    std::fputs(usage.c_str(), stderr);
    return statusFailed;
  }
  HeldInput testData;
  std::string problem;
  const std::string standardInput = Say(l, W("standardInput"));
  if (kattis) name = standardInput.c_str();
  if (!(kattis ? testData.OpenStandardInput(problem) : testData.Open(name, problem))) {
    std::fprintf(
        stderr, "Zelvor20Krobelnik-check-testdata: %s\n",
        Written(wording, Say(l, W("cannotOpen"), {{"name", name}, {"reason", problem}})).c_str());
    return statusFailed;
  }
  Explanation e;
  if (!Explain(Input::Held(testData), Input::Text(HeaderOnlySubmission), true, e)) {
    std::fprintf(stderr, "%s\n", Written(wording, Say(l, W("noVouchedReport"))).c_str());
    return statusFailed;
  }
  if (e.verdict == Verdict::Accepted) {
    std::printf("%s\n", Written(wording, Say(l, W("sound"), {{"name", name}})).c_str());
  } else {
    // The report's first line; of a long one its start, a note for what
    // was left out, and its end.
    OutputBuffer out(stdout);
    if (e.reportLeftOut == 0) {
      out.Put(std::string_view(e.report).substr(0, e.report.find('\n') + 1));
    } else {
      PutKept(out, e.report, e.reportLeftOut,
              std::string_view(e.reportTail).substr(0, e.reportTail.find('\n') + 1), l);
    }
    out.Finish();
  }
  // A verdict that did not reach standard output is none.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "%s\n", Written(wording, Say(l, W("verdictNotWritten"))).c_str());
    return statusFailed;
  }
  if (e.verdict == Verdict::Accepted) return statusSound;
  // A file that could not be read to its end is no verdict on the test data.
  return e.verdict == Verdict::TestData ? statusFaulty : statusFailed;
}

}  // namespace krobelnik
