#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explain/language.h"
#include "failure/fault_place.h"

namespace krobelnik {

// The words an explanation uses for what a failing check knew: its why
// sentence with the facts filled in, and each fact as a phrase a contestant
// reads ("index i_2 = 2 selects t_2"), in English and in Slovenian.

// text with the facts and the line it names filled in: {name}, {name-1},
// {name+1}, {name:ordinal} ("3rd", in Slovenian "3.") and {line}; {name|
// one|other} in English and {name|one|two|few|other} in Slovenian add the
// noun's form for the number; {v} is the fact named self. A text fact
// stands as its text.
std::string FillTemplate(std::string_view text, const std::vector<Fact>& facts, std::int64_t line,
                         Language language, std::string_view self = {});

// The why sentence of a location's row, filled in.
std::string FillWhy(std::string_view why, const std::vector<Fact>& facts, std::int64_t line,
                    Language language = Language::English);

// The facts of a failure at location, each as a phrase, in the order the
// check recorded them; a fact that another's phrase already says has none.
std::vector<std::string> FactPhrases(std::int32_t location, const std::vector<Fact>& facts,
                                     std::int64_t line, Language language);

// value and the form of the noun for it: forms is "one|other" in English,
// "one|two|few|other" in Slovenian ("3 črke", "5 črk").
std::string Counted(std::int64_t value, std::string_view en, std::string_view sl,
                    Language language);

}  // namespace krobelnik
