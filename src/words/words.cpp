#include "words/words.h"

#include <array>
#include <cassert>
#include <charconv>
#include <set>

namespace krobelnik {

namespace {

// A language's plural rule: the numbers of each form but the last, which
// takes every other; with a modulus, of the number's remainder by it.
struct PluralRule {
  std::int64_t modulus = 0;
  std::vector<std::vector<std::int64_t>> forms;
};

struct Parsed {
  std::vector<WordEntry> entries;
  std::array<PluralRule, 2> plurals;
  std::vector<std::string> faults;
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::int64_t NumberOf(std::string_view digits) {
  std::int64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// "1 | 2 | 3 4 | *", after an optional "%100".
PluralRule ParsePlural(std::string_view rule) {
  PluralRule parsed;
  rule = Trim(rule);
  if (rule.starts_with('%')) {
    const std::size_t space = rule.find(' ');
    parsed.modulus = NumberOf(rule.substr(1, space - 1));
    rule = space == std::string_view::npos ? std::string_view() : rule.substr(space + 1);
  }
  for (const std::string_view form : Split(rule, '|')) {
    std::vector<std::int64_t> numbers;
    for (const std::string_view number : Split(Trim(form), ' '))
      if (!number.empty() && number != "*") numbers.push_back(NumberOf(number));
    parsed.forms.push_back(std::move(numbers));
  }
  return parsed;
}

// The text with \n standing for a line feed and \s for a space.
std::string Unescaped(std::string_view text) {
  std::string plain;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\\' && at + 1 < text.size() && (text[at + 1] == 'n' || text[at + 1] == 's')) {
      plain += text[at + 1] == 'n' ? '\n' : ' ';
      ++at;
    } else {
      plain += text[at];
    }
  }
  return plain;
}

Parsed Parse() {
  Parsed parsed;
  std::string* text = nullptr;
  std::string raw;
  const auto finish = [&] {
    if (text != nullptr) *text = Unescaped(raw);
    text = nullptr;
    raw.clear();
  };
  for (const std::string_view line : Split(CatalogueText, '\n')) {
    if (line.starts_with("  ") && text != nullptr) {
      if (!raw.ends_with("\\n")) raw += ' ';
      raw += Trim(line);
      continue;
    }
    finish();
    if (line.starts_with("#") || Trim(line).empty()) continue;
    if (line.starts_with("plural ")) {
      const std::size_t colon = line.find(':');
      const std::string_view code = Trim(line.substr(7, colon - 7));
      if (code != "en" && code != "sl") parsed.faults.push_back("a plural rule of no language");
      parsed.plurals[code == "sl" ? 1 : 0] = ParsePlural(line.substr(colon + 1));
    } else if (line.starts_with("== ")) {
      const std::size_t colon = line.find(':');
      WordEntry entry;
      entry.key = Trim(line.substr(3, colon - 3));
      if (colon != std::string_view::npos)
        for (const std::string_view name : Split(Trim(line.substr(colon + 1)), ' '))
          if (!name.empty()) entry.names.emplace_back(name);
      parsed.entries.push_back(std::move(entry));
    } else if ((line.starts_with("en:") || line.starts_with("sl:")) && !parsed.entries.empty()) {
      WordEntry& entry = parsed.entries.back();
      text = line.starts_with("en:") ? &entry.en : &entry.sl;
      raw = Trim(line.substr(3));
    } else {
      parsed.faults.push_back("a line that is no part of an entry: " + std::string(line));
    }
  }
  finish();
  return parsed;
}

const Parsed& TheCatalogue() {
  static const Parsed parsed = Parse();
  return parsed;
}

std::string Digits(std::int64_t value) {
  std::array<char, 24> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  return std::string(digits.data(), end);
}

std::string Ordinal(std::int64_t value, Language language) {
  if (language == Language::Slovenian) return Grouped(value) + ".";
  const std::int64_t tens = value % 100;
  const std::int64_t ones = value % 10;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (ones == 1) suffix = "st";
    if (ones == 2) suffix = "nd";
    if (ones == 3) suffix = "rd";
  }
  return Grouped(value) + suffix;
}

const PluralRule& RuleOf(Language language) {
  return TheCatalogue().plurals[language == Language::Slovenian ? 1 : 0];
}

std::size_t FormOf(std::int64_t value, const PluralRule& rule) {
  const std::int64_t magnitude = value < 0 ? -value : value;
  const std::int64_t key = rule.modulus > 0 ? magnitude % rule.modulus : magnitude;
  for (std::size_t form = 0; form + 1 < rule.forms.size(); ++form)
    for (const std::int64_t number : rule.forms[form])
      if (number == key) return form;
  return rule.forms.empty() ? 0 : rule.forms.size() - 1;
}

// A place's parts: {name+1:modifier}.
struct Place {
  std::string_view name;
  std::int64_t change = 0;
  std::string_view modifier;
};

Place ParsePlace(std::string_view spec) {
  Place place;
  const std::size_t colon = spec.find(':');
  if (colon != std::string_view::npos) place.modifier = spec.substr(colon + 1);
  place.name = spec.substr(0, colon);
  if (place.name.ends_with("+1") || place.name.ends_with("-1")) {
    place.change = place.name[place.name.size() - 2] == '+' ? 1 : -1;
    place.name.remove_suffix(2);
  }
  return place;
}

// Calls each(spec) for every place of text, and text(part) for the text
// between them.
template <class Text, class Each>
void Places(std::string_view text, Text&& between, Each&& each) {
  while (!text.empty()) {
    const std::size_t open = text.find('{');
    const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) break;
    between(text.substr(0, open));
    each(text.substr(open + 1, close - open - 1));
    text.remove_prefix(close + 1);
  }
  between(text);
}

std::string FillText(std::string_view text, Language language, std::span<const WordValue> values,
                     [[maybe_unused]] bool strict) {
  std::string filled;
  Places(
      text, [&](std::string_view part) { filled += part; },
      [&](std::string_view spec) {
        const Place place = ParsePlace(spec);
        const WordValue* found = nullptr;
        for (const WordValue& value : values)
          if (value.name == place.name) found = &value;
        if (found == nullptr) {
          assert(!strict && "a place of a sentence that is given no value");
          filled.append("{").append(spec).append("}");
          return;
        }
        if (found->isText) {
          filled += found->text;
          return;
        }
        const std::int64_t number = found->number + place.change;
        if (place.modifier == "bare") {
          filled += Digits(number);
        } else if (place.modifier == "ordinal") {
          filled += Ordinal(number, language);
        } else if (!place.modifier.empty()) {
          const std::vector<std::string_view> forms = Split(place.modifier, '|');
          const std::size_t form = FormOf(number, RuleOf(language));
          filled += forms[std::min(form, forms.size() - 1)];
        } else {
          filled += Grouped(number);
        }
      });
  return filled;
}

}  // namespace

std::string Grouped(std::int64_t value) {
  std::string digits = Digits(value);
  const std::size_t sign = value < 0 ? 1 : 0;
  if (digits.size() - sign < 5) return digits;
  for (std::size_t at = digits.size(); at > sign + 3;) {
    at -= 3;
    digits.insert(at, 1, ' ');
  }
  return digits;
}

std::span<const WordEntry> Catalogue() { return TheCatalogue().entries; }

const WordEntry* FindWord(std::string_view key) {
  for (const WordEntry& entry : Catalogue())
    if (entry.key == key) return &entry;
  return nullptr;
}

std::string Say(Language language, Word word, std::initializer_list<WordValue> values) {
  const WordEntry& entry = Catalogue()[word.index];
#ifndef NDEBUG
  // Every value the entry declares is given, and none it does not.
  for (const std::string& name : entry.names) {
    bool given = false;
    for (const WordValue& value : values) given = given || value.name == name;
    assert(given && "a value the sentence declares is not given");
  }
  for (const WordValue& value : values) {
    bool declared = false;
    for (const std::string& name : entry.names) declared = declared || value.name == name;
    assert(declared && "a value given that the sentence does not declare");
  }
#endif
  return FillText(language == Language::Slovenian ? entry.sl : entry.en, language,
                  std::span(values.begin(), values.size()), true);
}

std::string Fill(std::string_view text, Language language, std::span<const WordValue> values) {
  return FillText(text, language, values, false);
}

std::vector<std::string> Columns(Language language, Word word) {
  const std::string text = Say(language, word);
  std::vector<std::string> labels;
  for (const std::string_view label : Split(text, '|')) labels.emplace_back(label);
  return labels;
}

std::vector<std::string> CatalogueFaults() {
  const Parsed& parsed = TheCatalogue();
  std::vector<std::string> faults = parsed.faults;
  std::set<std::string> keys;
  for (std::size_t l = 0; l < parsed.plurals.size(); ++l)
    if (parsed.plurals[l].forms.size() < 2) faults.emplace_back("a language with no plural rule");
  for (const WordEntry& entry : parsed.entries) {
    if (!keys.insert(entry.key).second) faults.push_back(entry.key + ": a key twice");
    for (const Language language : {Language::English, Language::Slovenian}) {
      const bool sl = language == Language::Slovenian;
      const std::string where = entry.key + (sl ? " (sl)" : " (en)");
      const std::string& text = sl ? entry.sl : entry.en;
      if (text.empty() && !entry.key.starts_with("fact."))
        faults.push_back(where + ": no sentence");
      Places(
          text, [](std::string_view) {},
          [&](std::string_view spec) {
            const Place place = ParsePlace(spec);
            bool declared = false;
            for (const std::string& name : entry.names) declared = declared || name == place.name;
            if (!declared) faults.push_back(where + ": {" + std::string(spec) + "} names no value");
            if (place.modifier.empty() || place.modifier == "bare" || place.modifier == "ordinal")
              return;
            const std::size_t forms = Split(place.modifier, '|').size();
            if (forms != RuleOf(language).forms.size())
              faults.push_back(where + ": {" + std::string(spec) + "} has " +
                               std::to_string(forms) + " forms");
          });
      std::int64_t open = 0;
      for (const char c : text) open += c == '{' ? 1 : c == '}' ? -1 : 0;
      if (open != 0) faults.push_back(where + ": a brace without its pair");
    }
  }
  return faults;
}

}  // namespace krobelnik
