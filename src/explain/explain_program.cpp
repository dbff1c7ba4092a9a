#include "explain/explain_program.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "explain/explain.h"
#include "explain/language.h"
#include "input/system.h"
#include "run/companion.h"

namespace krobelnik {

namespace {

constexpr const char* DescriptionEn =
    "Runs the evaluator Zelvor20Krobelnik on the test data and a submission and prints its\n"
    "report, then where and why it rejected the submission: the file, line and column the\n"
    "failing check recorded, an excerpt of that line, the facts its message leaves out and,\n"
    "where the concatenation of the strings leaves s, both side by side; for an accepted\n"
    "submission its sections, and with --stats where each section's score comes from (the\n"
    "strings used and never used, the lengths of the pieces). With the test data alone it\n"
    "checks the test data and lists its test cases. --json prints one JSON object instead;\n"
    "--pieces FILE (with --stats) also writes the pieces of the sections to FILE, for the\n"
    "page. --lang sl or en chooses the language; the default follows LC_ALL, LC_MESSAGES\n"
    "and LANG. It writes no other file.\n"
    "\n"
    "Exit status: 0 accepted (or sound test data), 1 rejected, 3 the test data is at fault,\n"
    "2 a wrong command line, an input that cannot be opened, or no report could be made.\n";

constexpr const char* DescriptionSl =
    "Požene ocenjevalnik Zelvor20Krobelnik na testnih podatkih in odgovoru ter izpiše njegovo\n"
    "poročilo, nato pa, kje in zakaj je odgovor zavrnil: datoteko, vrstico in stolpec, ki ju\n"
    "je zabeležilo neuspelo preverjanje, izsek te vrstice, dejstva, ki jih sporočilo ne pove,\n"
    "in, kjer se stik nizov loči od niza s, oba drug ob drugem; za sprejet odgovor njegove\n"
    "razdelke, s --stats pa še, od kod pride rezultat vsakega razdelka (uporabljeni in nikoli\n"
    "uporabljeni nizi, dolžine kosov). Samo s testnimi podatki preveri testne podatke in\n"
    "našteje testne primere. --json namesto tega izpiše en objekt JSON; --pieces DATOTEKA\n"
    "(s --stats) zapiše še kose razdelkov v DATOTEKO, za spletno stran. --lang sl ali en\n"
    "izbere jezik; privzeti sledi LC_ALL, LC_MESSAGES in LANG. Drugih datotek ne piše.\n"
    "\n"
    "Izhodni status: 0 sprejeto (ali testni podatki v redu), 1 zavrnjeno, 3 napaka je v\n"
    "testnih podatkih, 2 napačna ukazna vrstica, datoteke ni mogoče odpreti ali poročila ni\n"
    "bilo mogoče narediti.\n";

int StatusOf(const Explanation& e) {
  if (!e.unopened.empty()) return 2;
  switch (e.verdict) {
    case Verdict::Accepted:
      return 0;
    case Verdict::Rejected:
      return 1;
    case Verdict::TestData:
      return 3;
    case Verdict::Unexpected:
      break;
  }
  return 2;
}

// The command line: the options and up to two names; sound false for
// anything else.
struct CommandLine {
  bool sound = true;
  bool json = false;
  Presentation how;
  const char* pieces = nullptr;
  std::vector<const char*> names;
};

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  line.how.wording = WordingFromLocale();
  for (int a = 1; a < argc; ++a) {
    const std::string_view argument = argv[a];
    const bool valued = argument == "--lang" || argument == "--pieces";
    if (valued && a + 1 == argc) {
      line.sound = false;
    } else if (argument == "--lang") {
      line.sound = ParseLanguage(argv[++a], line.how.wording.language) && line.sound;
    } else if (argument == "--pieces") {
      line.pieces = argv[++a];
    } else if (argument == "--json") {
      line.json = true;
    } else if (argument == "--stats") {
      line.how.stats = true;
    } else {
      line.names.push_back(argv[a]);
    }
  }
  if (line.names.empty() || line.names.size() > 2) line.sound = false;
  if (line.pieces != nullptr && (!line.how.stats || line.names.size() < 2)) line.sound = false;
  return line;
}

}  // namespace

const char* ExplainUsageLine(Language language) {
  return Say(language,
             "usage: Zelvor20Krobelnik-explain TESTDATA [SUBMISSION] [--json] [--stats] "
             "[--pieces FILE] [--lang sl|en]\n",
             "uporaba: Zelvor20Krobelnik-explain TESTNI_PODATKI [ODGOVOR] [--json] [--stats] "
             "[--pieces DATOTEKA] [--lang sl|en]\n");
}

bool ExplainFiles(const char* testDataName, const char* submissionName, Explanation& e,
                  const ExplainOptions& options) {
  // Each input is opened once and read from there; one that cannot be
  // opened reads as empty, as the evaluator reads it, and is named.
  HeldInput held[2];
  std::vector<UnopenedInput> unopened;
  const auto input = [&](int n, const char* name, InputRole role) {
    std::string reason;
    if (held[n].Open(name, reason)) return Input::Held(held[n]);
    unopened.push_back({role, name, std::move(reason)});
    return Input::Text("");
  };
  const bool testDataOnly = submissionName == nullptr;
  const Input testData = input(0, testDataName, InputRole::TestData);
  const Input submission = testDataOnly ? Input::Text(HeaderOnlySubmission)
                                        : input(1, submissionName, InputRole::Submission);
  if (!Explain(testData, submission, testDataOnly, e, options)) return false;
  for (UnopenedInput& closed : unopened) NoteUnopened(e, std::move(closed));
  return true;
}

int ExplainMain(int argc, const char* const* argv) {
  const CommandLine line = ParseCommandLine(argc, argv);
  const Language language = line.how.wording.language;
  const std::string usage = ExplainUsageLine(language);
  const std::string description = Say(language, DescriptionEn, DescriptionSl);
  const std::string plain = Written(line.how.wording, description);
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-explain", usage, plain)) return 0;
  if (!line.sound) {
    std::fputs(usage.c_str(), stderr);
    return 2;
  }
  // The pieces' file must not be an input: no input is ever written.
  if (line.pieces != nullptr) {
    const std::vector<std::string> inputs(line.names.begin(), line.names.end());
    if (InputNamedBy(line.pieces, inputs) != nullptr) {
      std::fprintf(stderr, "--pieces %s names an input\n", line.pieces);
      return 2;
    }
  }
  Explanation e;
  // Memory that runs out after the run (for the explanation or its text)
  // ends the program with a message rather than a crash.
  try {
    std::FILE* pieces = line.pieces != nullptr ? OpenForWriting(line.pieces) : nullptr;
    if (line.pieces != nullptr && pieces == nullptr) {
      std::fprintf(stderr, "the pieces cannot be written to %s\n", line.pieces);
      return 2;
    }
    const bool made = ExplainFiles(line.names[0], line.names.size() > 1 ? line.names[1] : nullptr,
                                   e, {line.how.stats, pieces});
    // Only an accepted submission's pieces are kept: those of a rejected
    // one describe no answer.
    const bool kept =
        pieces == nullptr || !made || e.verdict == Verdict::Accepted || Truncate(pieces);
    if (pieces != nullptr && (std::fclose(pieces) != 0 || !kept) && made) {
      std::fprintf(stderr, "the pieces could not be written to %s\n", line.pieces);
      return 2;
    }
    if (!made) {
      std::fputs("no report could be made: memory ran out, or the pieces could not be written\n",
                 stderr);
      return 2;
    }
    if (!(line.json ? PrintJson(stdout, e, line.how) : PrintText(stdout, e, line.how))) {
      std::fputs("the explanation could not be written to standard output\n", stderr);
      return 2;
    }
  } catch (...) {
    std::fputs("the explanation could not be made: memory ran out\n", stderr);
    return 2;
  }
  return StatusOf(e);
}

}  // namespace krobelnik
