#include "explain/phrases.h"

#include "failure/assertion.h"
#include "words/words.h"

namespace krobelnik {

namespace {

// The facts as values of a sentence, the line of the fault among them, and
// as {v} the fact named self.
std::vector<WordValue> Values(const std::vector<Fact>& facts, std::int64_t line,
                              std::string_view self = {}) {
  std::vector<WordValue> values;
  values.emplace_back("line", line);
  for (const Fact& fact : facts) {
    for (const std::string_view name : {std::string_view(fact.name), std::string_view("v")}) {
      if (name == "v" && fact.name != self) continue;
      if (fact.text.empty()) {
        values.emplace_back(name, fact.value);
      } else {
        values.emplace_back(name, std::string_view(fact.text));
      }
    }
  }
  return values;
}

}  // namespace

std::string FillWhy(std::string_view why, const std::vector<Fact>& facts, std::int64_t line,
                    Language language) {
  return Fill(why, language, Values(facts, line));
}

std::vector<std::string> FactPhrases(std::int32_t location, const std::vector<Fact>& facts,
                                     std::int64_t line, Language language) {
  std::vector<std::string> phrases;
  for (const Fact& fact : facts) {
    const std::string name(fact.name);
    const WordEntry* entry = FindWord("fact." + IntToStr(location) + "." + name);
    if (entry == nullptr) entry = FindWord("fact." + name);
    if (entry == nullptr) {
      phrases.push_back(name + " = " +
                        (fact.text.empty() ? IntToStr(fact.value) : std::string(fact.text)));
      continue;
    }
    const std::string& text = language == Language::Slovenian ? entry->sl : entry->en;
    if (text.empty()) continue;
    phrases.push_back(Fill(text, language, Values(facts, line, fact.name)));
  }
  return phrases;
}

}  // namespace krobelnik
