#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "failure/fault_place.h"
#include "words/language.h"

namespace krobelnik {

// The words an explanation uses for what a failing check knew: its why
// sentence with the facts filled in, and each fact as a phrase a contestant
// reads ("index i_2 = 2 selects t_2"), from the catalogue of words.

// The why sentence of a location's row with the facts and the line of the
// fault (as {line}) in their places.
std::string FillWhy(std::string_view why, const std::vector<Fact>& facts, std::int64_t line,
                    Language language = Language::English);

// The facts of a failure at location, each as a phrase, in the order the
// check recorded them: the catalogue's fact.LOCATION.NAME, else
// fact.NAME, with the fact's own value as {v} and the other facts by their
// names; a fact whose phrase is empty (another's says it) has none, and a
// fact the catalogue has no phrase for is shown as "name = value".
std::vector<std::string> FactPhrases(std::int32_t location, const std::vector<Fact>& facts,
                                     std::int64_t line, Language language);

}  // namespace krobelnik
