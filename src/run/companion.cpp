#include "run/companion.h"

#include <cstdio>
#include <cstring>

namespace krobelnik {

std::string_view ProjectVersion() { return KROBELNIK_VERSION; }

bool AnswerInfoOption(int argc, const char* const* argv, std::string_view program,
                      std::string_view usage, std::string_view description) {
  for (int a = 1; a < argc; ++a) {
    const std::string_view option = argv[a];
    if (option == "--help" || option == "-h") {
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      std::fputs("\n", stdout);
      std::fwrite(description.data(), 1, description.size(), stdout);
      return true;
    }
    if (option == "--version") {
      std::fwrite(program.data(), 1, program.size(), stdout);
      std::printf(" %.*s\n", static_cast<int>(ProjectVersion().size()), ProjectVersion().data());
      return true;
    }
  }
  return false;
}

ProgramTexts TextsOf(const Wording& wording, Word usage, Word description) {
  return {Written(wording, Say(wording.language, usage)) + "\n",
          Written(wording, Say(wording.language, description))};
}

}  // namespace krobelnik
