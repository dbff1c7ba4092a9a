#include "explain/explain_program.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "explain/explain.h"
#include "input/system.h"
#include "run/companion.h"
#include "words/words.h"

namespace krobelnik {

namespace {

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
  const char* unknownLanguage = nullptr;
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
      const bool known = ParseLanguage(argv[++a], line.how.wording.language);
      if (!known) line.unknownLanguage = argv[a];
      line.sound = known && line.sound;
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
  const ProgramTexts texts = TextsOf(line.how.wording, W("explainUsage"), W("explainDescription"));
  const std::string& usage = texts.usage;
  if (AnswerInfoOption(argc, argv, "Zelvor20Krobelnik-explain", usage, texts.description)) return 0;
  // What is said on standard error, in the language and letters chosen.
  const auto complain = [&line](Word word, const char* name) {
    const std::string text = Say(line.how.wording.language, word, {{"name", name}});
    std::fprintf(stderr, "%s\n", Written(line.how.wording, text).c_str());
  };
  if (!line.sound) {
    if (line.unknownLanguage != nullptr) complain(W("unknownLanguage"), line.unknownLanguage);
    std::fputs(Written(line.how.wording, usage).c_str(), stderr);
    return 2;
  }
  // The pieces' file must not be an input: no input is ever written.
  if (line.pieces != nullptr) {
    const std::vector<std::string> inputs(line.names.begin(), line.names.end());
    if (InputNamedBy(line.pieces, inputs) != nullptr) {
      complain(W("piecesNamesInput"), line.pieces);
      return 2;
    }
  }
  // Written to a terminal, lines fit its width; into a file or a pipe they
  // go whole.
  Presentation how = line.how;
  how.width = TerminalWidth(stdout);
  Explanation e;
  // Memory that runs out after the run (for the explanation or its text)
  // ends the program with a message rather than a crash.
  try {
    std::FILE* pieces = line.pieces != nullptr ? OpenForWriting(line.pieces) : nullptr;
    if (line.pieces != nullptr && pieces == nullptr) {
      complain(W("piecesCannotOpen"), line.pieces);
      return 2;
    }
    const bool made = ExplainFiles(line.names[0], line.names.size() > 1 ? line.names[1] : nullptr,
                                   e, {line.how.stats, pieces});
    // Only an accepted submission's pieces are kept: those of a rejected
    // one describe no answer.
    const bool kept =
        pieces == nullptr || !made || e.verdict == Verdict::Accepted || Truncate(pieces);
    if (pieces != nullptr && (std::fclose(pieces) != 0 || !kept) && made) {
      complain(W("piecesNotWritten"), line.pieces);
      return 2;
    }
    if (!made) {
      std::fprintf(stderr, "%s\n", Written(line.how.wording, Say(language, W("noReport"))).c_str());
      return 2;
    }
    if (!(line.json ? PrintJson(stdout, e, how) : PrintText(stdout, e, how))) {
      std::fprintf(stderr, "%s\n",
                   Written(line.how.wording, Say(language, W("notWritten"))).c_str());
      return 2;
    }
  } catch (...) {
    std::fputs(Written(line.how.wording, Say(language, W("noExplanation"))).c_str(), stderr);
    std::fputs("\n", stderr);
    return 2;
  }
  return StatusOf(e);
}

}  // namespace krobelnik
