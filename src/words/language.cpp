#include "words/language.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace krobelnik {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t c = 0; c < a.size(); ++c)
    if (Lower(a[c]) != Lower(b[c])) return false;
  return true;
}

}  // namespace

Wording WordingFromLocale() {
  Wording wording;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    const std::string_view name = value;
    if (name.size() >= 2 && Lower(name[0]) == 's' && Lower(name[1]) == 'l')
      wording.language = Language::Slovenian;
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos) {
      const std::string_view set = name.substr(dot + 1, name.find('@', dot) - dot - 1);
      wording.utf8 = SameWord(set, "UTF-8") || SameWord(set, "utf8");
    }
    break;
  }
  return wording;
}

bool ParseLanguage(std::string_view name, Language& language) {
  if (SameWord(name, "sl") || SameWord(name, "slovenian")) {
    language = Language::Slovenian;
    return true;
  }
  if (SameWord(name, "en") || SameWord(name, "english")) {
    language = Language::English;
    return true;
  }
  return false;
}

std::string Plain(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> Letters{
      {{"č", "c"}, {"š", "s"}, {"ž", "z"}, {"Č", "C"}, {"Š", "S"}, {"Ž", "Z"}, {"→", "->"}}};
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    bool replaced = false;
    if (static_cast<unsigned char>(text[at]) >= 0x80) {
      for (const auto& [letter, ascii] : Letters) {
        if (text.substr(at, letter.size()) == letter) {
          plain += ascii;
          at += letter.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) plain += text[at++];
  }
  return plain;
}

}  // namespace krobelnik
