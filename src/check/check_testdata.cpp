#include "check/check_testdata.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "explain/language.h"
#include "input/system.h"
#include "run/companion.h"
#include "run/output_buffer.h"

namespace krobelnik {

namespace {

constexpr const char* DescriptionEn =
    "Checks an official test data file of the task Krobelnik before a contest: evaluates a\n"
    "submission of just the two header lines against it, which the evaluator accepts exactly\n"
    "when the test data is sound. Prints \"sound: TESTDATA\" (in Slovenian \"v redu:\n"
    "TESTDATA\"), or the report's failure line. --lang sl or en chooses the language; the\n"
    "default follows LC_ALL, LC_MESSAGES and LANG. --kattis, in place of TESTDATA, reads the\n"
    "test data on standard input, as an input validator of Kattis and DOMjudge.\n"
    "\n"
    "Exit status: 0 sound, 1 faulty, 2 a wrong command line or a file that cannot be read;\n"
    "with --kattis 42, 43 and 1.\n";

constexpr const char* DescriptionSl =
    "Pred tekmovanjem preveri datoteko uradnih testnih podatkov naloge Krobelnik: nanjo oceni\n"
    "odgovor z le dvema vrsticama glave, ki ga ocenjevalnik sprejme natanko tedaj, ko so\n"
    "testni podatki v redu. Izpiše \"v redu: TESTNI_PODATKI\" ali vrstico napake iz\n"
    "poročila. --lang sl ali en izbere jezik; privzeti sledi LC_ALL, LC_MESSAGES in LANG.\n"
    "--kattis namesto TESTNI_PODATKI prebere testne podatke s standardnega vhoda, kot\n"
    "preverjalnik vhoda sistemov Kattis in DOMjudge.\n"
    "\n"
    "Izhodni status: 0 v redu, 1 napaka, 2 napačna ukazna vrstica ali datoteka, ki je ni\n"
    "mogoče prebrati; z --kattis 42, 43 in 1.\n";

}  // namespace

int CheckTestData(int argc, const char* const* argv) {
  Wording wording = WordingFromLocale();
  const char* name = nullptr;
  bool sound = true;
  bool kattis = false;
  for (int a = 1; a < argc; ++a) {
    if (std::string_view(argv[a]) == "--lang") {
      sound = a + 1 < argc && ParseLanguage(argv[++a], wording.language) && sound;
    } else if (std::string_view(argv[a]) == "--kattis") {
      kattis = true;
    } else {
      sound = name == nullptr && sound;
      name = argv[a];
    }
  }
  const Language l = wording.language;
  const std::string description = Say(l, DescriptionEn, DescriptionSl);
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-check-testdata", CheckUsageLine,
                       Written(wording, description)))
    return 0;
  // As an input validator the test data comes on standard input, and the
  // statuses are the judges' own: 42 sound, 43 faulty.
  const int statusSound = kattis ? 42 : 0;
  const int statusFaulty = kattis ? 43 : 1;
  const int statusFailed = kattis ? 1 : 2;
  if (!sound || (name == nullptr) != kattis) {
    std::fputs(CheckUsageLine, stderr);
    return statusFailed;
  }
  HeldInput testData;
  std::string problem;
  if (kattis) name = Say(l, "standard input", "standardni vhod");
  if (!(kattis ? testData.OpenStandardInput(problem) : testData.Open(name, problem))) {
    std::fprintf(stderr, "Zelvor20Krobelnik-check-testdata: %s %s: %s\n",
                 Say(l, "cannot open", "ni mogoče odpreti"), name, problem.c_str());
    return statusFailed;
  }
  Explanation e;
  if (!Explain(Input::Held(testData), Input::Text(HeaderOnlySubmission), true, e)) {
    std::fputs(Say(l, "the evaluator wrote no report it vouches for\n",
                   "ocenjevalnik ni napisal poročila, za katerega bi jamčil\n"),
               stderr);
    return statusFailed;
  }
  if (e.verdict == Verdict::Accepted) {
    std::printf("%s %s\n", Say(l, "sound:", "v redu:"), name);
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
    std::fputs(Say(l, "the verdict could not be written to standard output\n",
                   "ocene ni bilo mogoče zapisati na standardni izhod\n"),
               stderr);
    return statusFailed;
  }
  if (e.verdict == Verdict::Accepted) return statusSound;
  // A file that could not be read to its end is no verdict on the test data.
  return e.verdict == Verdict::TestData ? statusFaulty : statusFailed;
}

}  // namespace krobelnik
