#pragma once

#include <string>
#include <string_view>

namespace krobelnik {

// The languages the programs around the evaluator speak to people: the
// contestants' Slovenian and English. The evaluator's own messages are
// Slovenian in plain ASCII whatever is chosen.
enum class Language { English, Slovenian };

// A language and whether text may carry letters beyond ASCII (č, š, ž);
// without, they are written as c, s, z.
struct Wording {
  Language language = Language::English;
  bool utf8 = true;
};

// The wording the locale asks for: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty; Slovenian for a name that starts with
// "sl", English otherwise. Letters beyond ASCII unless the locale names a
// character set other than UTF-8 ("sl_SI.ISO-8859-2").
Wording WordingFromLocale();

// "sl" or "en" (also "slovenian", "english", any case); false otherwise.
bool ParseLanguage(std::string_view name, Language& language);

// The text of language: en or sl.
constexpr const char* Say(Language language, const char* en, const char* sl) {
  return language == Language::Slovenian ? sl : en;
}

// text with č, š, ž (and capitals) written as c, s, z, and the arrow as ->.
std::string Plain(std::string_view text);

// text as wording writes it: as it is in UTF-8, else Plain.
inline std::string Written(const Wording& wording, std::string_view text) {
  return wording.utf8 ? std::string(text) : Plain(text);
}

}  // namespace krobelnik
