#pragma once

#include <string>
#include <string_view>

#include "words/language.h"
#include "words/words.h"

namespace krobelnik {

// What the programs around the evaluator share on their command lines.

// The project's version, the one its packages carry.
std::string_view ProjectVersion();

// Answers the options every companion program takes, wherever they stand
// among its arguments: --help and -h print usage and then description to
// standard output, --version the program's name and the project's version.
// Returns whether it answered one; the program then ends with status 0.
bool AnswerInfoOption(int argc, const char* const* argv, std::string_view program,
                      std::string_view usage, std::string_view description);

// A companion program's usage line (with its line feed) and description,
// from the catalogue's entries usage and description, as wording writes
// them.
struct ProgramTexts {
  std::string usage;
  std::string description;
};
ProgramTexts TextsOf(const Wording& wording, Word usage, Word description);

}  // namespace krobelnik
