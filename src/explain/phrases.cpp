#include "explain/phrases.h"

#include <array>

#include "failure/assertion.h"

namespace krobelnik {

namespace {

// A fact's phrase: at location (0 for any that has no row of its own), the
// fact named fact reads as en or sl; an empty text says nothing more.
struct PhraseRow {
  std::int32_t location;
  std::string_view fact;
  const char* en;
  const char* sl;
};

constexpr PhraseRow Phrases[] = {
    {0, "testCase", "in the block of test case {v}", "v bloku testnega primera {v}"},
    {55, "byte", "the byte's code is {v}", "koda znaka je {v}"},
    {61, "digit", "the digit is {v}", "števka je {v}"},
    {79, "length", "the line holds {v|byte|bytes} where it should be empty",
     "vrstica ima {v|bajt|bajta|bajte|bajtov}, morala pa bi biti prazna"},
    {0, "count", "the line holds {v|number|numbers}",
     "vrstica ima {v|število|števili|števila|števil}"},
    {84, "length", "s has {v|letter|letters}", "niz s ima {v|črko|črki|črke|črk}"},
    {85, "length", "s is {v|byte|bytes} long", "niz s je dolg {v|bajt|bajta|bajte|bajtov}"},
    {85, "index", "the byte is s[{v}], counting from 0: letter {v+1} of s",
     "znak je s[{v}], šteto od 0: {v+1}. znak niza s"},
    {0, "byte", "its code is {v}", "njegova koda je {v}"},
    {108, "expected", "this is the file's block number {v}", "to je {v}. blok datoteke"},
    {108, "number", "its number line says {v}", "v njegovi vrstici s številko piše {v}"},
    {186, "length", "line 1 holds {v|byte|bytes}", "prva vrstica ima {v|bajt|bajta|bajte|bajtov}"},
    {200, "testCases", "the test data has {v|test case|test cases}",
     "testni podatki imajo {v|testni primer|testna primera|testne primere|testnih primerov}"},
    {132, "k", "k is {v}", "k je {v}"},
    {133, "r", "r is {v}", "r je {v}"},
    {0, "n", "s has {v|letter|letters}: n = {v}", "niz s ima {v|črko|črki|črke|črk}: n = {v}"},
    {139, "j", "string t_{v} is missing", "manjka niz t_{v}"},
    {139, "k", "the section announces {v|string|strings} (k = {v})",
     "razdelek napove {v|niz|niza|nize|nizov} (k = {v})"},
    {0, "j", "this is the line of t_{v}", "to je vrstica niza t_{v}"},
    {140, "length", "t_{j} has {v|letter|letters}", "niz t_{j} ima {v|črko|črki|črke|črk}"},
    {141, "j", "this is the line of t_{v}, which the message calls t_{j-1}",
     "to je vrstica niza t_{v}, ki mu sporočilo pravi t_{j-1}"},
    {141, "length", "t_{j} is {v|byte|bytes} long",
     "niz t_{j} je dolg {v|bajt|bajta|bajte|bajtov}"},
    {141, "q", "the byte is t_{j-1}[{v}] as the message counts, letter {v+1} of the line",
     "znak je t_{j-1}[{v}], kot šteje sporočilo: {v+1}. znak vrstice"},
    {142, "length", "t_{j} has {v|letter|letters}", "niz t_{j} ima {v|črko|črki|črke|črk}"},
    {145, "count", "the line holds {v|index|indices}",
     "vrstica ima {v|indeks|indeksa|indekse|indeksov}"},
    {145, "r", "the section announces r = {v}", "razdelek napove r = {v}"},
    {149, "p", "index i_{v} is {x}", "indeks i_{v} je {x}"},
    {149, "x", "", ""},
    {149, "k", "the section has the strings t_1 to t_{v} (k = {v})",
     "razdelek ima nize od t_1 do t_{v} (k = {v})"},
    {0, "p", "index i_{v} = {x} selects t_{x}", "indeks i_{v} = {x} izbere niz t_{x}"},
    {0, "x", "", ""},
    {0, "stringLine", "t_{x} is on line {v}", "niz t_{x} je v {v}. vrstici"},
    {153, "stringOffset", "letter {v} of t_{x} would stand past the end of s",
     "{v}. črka niza t_{x} bi stala za koncem niza s"},
    {0, "stringOffset", "the letter at fault is letter {v} of t_{x}",
     "napačna črka je {v}. črka niza t_{x}"},
    {153, "position", "s ends after letter {v-1}", "niz s se konča za {v-1}. črko"},
    {0, "position", "it is letter {v} of s and of the concatenation",
     "to je {v}. črka niza s in stika"},
    {0, "sLine", "s is on line {v} of the test data", "niz s je v {v}. vrstici testnih podatkov"},
    {0, "got", "the concatenation has '{v}' there", "stik ima tam '{v}'"},
    {0, "expected", "s has '{v}' there", "niz s ima tam '{v}'"},
    {158, "matched", "the concatenation ends after letter {v} of s",
     "stik se konča za {v}. črko niza s"},
    {0, "length", "the length is {v}", "dolžina je {v}"},
};

const PhraseRow* FindPhrase(std::int32_t location, std::string_view fact) {
  const PhraseRow* general = nullptr;
  for (const PhraseRow& row : Phrases) {
    if (row.fact != fact) continue;
    if (row.location == location) return &row;
    if (row.location == 0 && general == nullptr) general = &row;
  }
  return general;
}

std::string Ordinal(std::int64_t value, Language language) {
  if (language == Language::Slovenian) return IntToStr(value) + ".";
  const std::int64_t tens = value % 100;
  const std::int64_t ones = value % 10;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (ones == 1) suffix = "st";
    if (ones == 2) suffix = "nd";
    if (ones == 3) suffix = "rd";
  }
  return IntToStr(value) + suffix;
}

// The form of a noun for value among forms ("one|other" in English,
// "one|two|few|other" in Slovenian).
std::string_view Form(std::string_view forms, std::int64_t value, Language language) {
  std::array<std::string_view, 4> form{};
  std::size_t count = 0;
  while (count < form.size()) {
    const std::size_t bar = forms.find('|');
    form[count++] = forms.substr(0, bar);
    if (bar == std::string_view::npos) break;
    forms.remove_prefix(bar + 1);
  }
  std::size_t pick = value == 1 ? 0 : 1;
  if (language == Language::Slovenian && count == 4) {
    const std::int64_t last = value % 100;
    pick = last == 1 ? 0 : last == 2 ? 1 : last == 3 || last == 4 ? 2 : 3;
  }
  return form[std::min(pick, count - 1)];
}

}  // namespace

std::string FillTemplate(std::string_view text, const std::vector<Fact>& facts, std::int64_t line,
                         Language language, std::string_view self) {
  std::string filled;
  while (!text.empty()) {
    const std::size_t open = text.find('{');
    const std::size_t close = text.find('}', open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    filled.append(text.substr(0, open));
    std::string_view name = text.substr(open + 1, close - open - 1);
    text.remove_prefix(close + 1);
    std::string_view forms;
    if (const std::size_t bar = name.find('|'); bar != std::string_view::npos) {
      forms = name.substr(bar + 1);
      name = name.substr(0, bar);
    }
    const bool ordinal = name.ends_with(":ordinal");
    if (ordinal) name.remove_suffix(8);
    std::int64_t change = 0;
    if (name.ends_with("-1") || name.ends_with("+1")) {
      change = name.back() == '1' && name[name.size() - 2] == '-' ? -1 : 1;
      name.remove_suffix(2);
    }
    if (name == "v") name = self;
    std::int64_t value = line;
    const Fact* found = nullptr;
    for (const Fact& fact : facts)
      if (name == fact.name) found = &fact;
    if (found != nullptr && !found->text.empty()) {
      filled += found->text;
      continue;
    }
    if (found != nullptr) value = found->value;
    value += change;
    filled += ordinal ? Ordinal(value, language) : IntToStr(value);
    if (!forms.empty()) filled.append(" ").append(Form(forms, value, language));
  }
  filled.append(text);
  return filled;
}

std::string FillWhy(std::string_view why, const std::vector<Fact>& facts, std::int64_t line,
                    Language language) {
  return FillTemplate(why, facts, line, language);
}

std::string Counted(std::int64_t value, std::string_view en, std::string_view sl,
                    Language language) {
  return IntToStr(value) + " " +
         std::string(Form(language == Language::Slovenian ? sl : en, value, language));
}

std::vector<std::string> FactPhrases(std::int32_t location, const std::vector<Fact>& facts,
                                     std::int64_t line, Language language) {
  std::vector<std::string> phrases;
  for (const Fact& fact : facts) {
    const PhraseRow* row = FindPhrase(location, fact.name);
    const char* text = row == nullptr ? "{v}" : Say(language, row->en, row->sl);
    if (*text == '\0') continue;
    // A fact no row names is shown by its name, which no fact recorded
    // today lacks.
    std::string phrase = row == nullptr ? std::string(fact.name) + " = " : std::string();
    phrase += FillTemplate(text, facts, line, language, fact.name);
    phrases.push_back(std::move(phrase));
  }
  return phrases;
}

}  // namespace krobelnik
