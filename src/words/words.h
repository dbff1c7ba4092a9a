#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "words/language.h"

namespace krobelnik {

// The catalogue of words: every sentence the programs around the evaluator
// and the page say to people, each once and whole, in every language, with
// named places for its values (words.txt, built in as it stands).

inline constexpr std::string_view CatalogueText =
#include "words/words_txt.inc"
    ;

// An entry of the catalogue, by its place among the entries.
struct Word {
  std::uint16_t index;
};

// The entry named key. A key the catalogue lacks does not compile.
consteval Word W(std::string_view key) {
  std::uint16_t index = 0;
  for (std::size_t at = 0; at < CatalogueText.size();) {
    if (CatalogueText.substr(at, 3) == "== ") {
      std::size_t end = at + 3;
      while (end < CatalogueText.size() && CatalogueText[end] != ':' && CatalogueText[end] != '\n')
        ++end;
      if (CatalogueText.substr(at + 3, end - at - 3) == key) return Word{index};
      ++index;
    }
    const std::size_t feed = CatalogueText.find('\n', at);
    if (feed == std::string_view::npos) break;
    at = feed + 1;
  }
  throw "the catalogue of words has no such entry";
}

// A value a sentence shows, by the name its places give it: a number or a
// text (shown as it is).
struct WordValue {
  template <std::integral Number>
  WordValue(std::string_view key, Number value)
      : name(key), number(static_cast<std::int64_t>(value)) {}
  WordValue(std::string_view key, std::string_view value) : name(key), text(value), isText(true) {}
  WordValue(std::string_view key, const char* value) : WordValue(key, std::string_view(value)) {}
  WordValue(std::string_view key, const std::string& value)
      : WordValue(key, std::string_view(value)) {}

  std::string_view name;
  std::int64_t number = 0;
  std::string_view text;
  bool isText = false;
};

// The sentence of word in language with values in its places. Every name
// the entry declares must be given a value (a debug build stops otherwise;
// a release build shows the place as it stands).
std::string Say(Language language, Word word, std::initializer_list<WordValue> values = {});

// A sentence of the catalogue's form that is not in it (the location
// table's), filled in the same way; names it lacks values for stay as they
// stand.
std::string Fill(std::string_view text, Language language, std::span<const WordValue> values);

// The labels of a table's columns: the entry's text split at '|'.
std::vector<std::string> Columns(Language language, Word word);

// A number as sentences show it: five digits or more grouped by threes with
// spaces (10 000 000), fewer as they are.
std::string Grouped(std::int64_t value);

// An entry as the catalogue holds it.
struct WordEntry {
  std::string key;
  std::vector<std::string> names;
  std::string en;
  std::string sl;
};

// Every entry, in the catalogue's order; nullptr for a key it lacks.
std::span<const WordEntry> Catalogue();
const WordEntry* FindWord(std::string_view key);

// Whatever is wrong with the catalogue: an entry without a language, a
// place that names no declared value or has a wrong number of forms, a key
// twice. Empty for a sound catalogue.
std::vector<std::string> CatalogueFaults();

}  // namespace krobelnik
