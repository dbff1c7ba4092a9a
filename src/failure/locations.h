#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace krobelnik {

// The location table, one row per check: the file a check reads, who is at
// fault when it fails, what it found, its message's shape, the byte its
// column names and the sentence that explains it. The table is
// docs/locations.tsv, built into the program; whatever needs to know
// something about a location reads its row.
struct LocationRow {
  std::int32_t location = 0;
  // "test data", "submission" or "either" (a number line of either file).
  std::string_view file;
  // "organiser", "contestant" or "either".
  std::string_view fault;
  std::string_view meaning;
  // Fixed fragments, with each inserted value named in angle brackets.
  std::string_view message;
  std::string_view column;
  // May name facts of the fault and its line: {name}, {name-1},
  // {name:ordinal} ("3rd", in Slovenian "3.") and {line}; in English, and
  // in Slovenian with its letters (UTF-8).
  std::string_view why;
  std::string_view whySl;
  // What an explanation shows beyond the place, words apart: "alignment"
  // (s and the concatenation side by side, for a fault of the walk),
  // "swap" (whether the first lines say the two files were given the other
  // way round), "end" (a caret past the end of a line that names no
  // column); or nothing.
  std::string_view shows;

  // Whether shows holds the word what.
  bool Shows(std::string_view what) const;
};

// Every row, in the table's order.
std::span<const LocationRow> Locations();

// The row of location; nullptr for a number that no check uses.
const LocationRow* FindLocation(std::int32_t location);

}  // namespace krobelnik
