#pragma once

#include <cstddef>
#include <cstdint>

#include "answer/string_list.h"
#include "input/line_reader.h"

namespace krobelnik {

// Runs of short string lines, read many at once from the reader's window onto
// the bytes ahead. Each reads nothing when the lines ahead are not of its
// kind, and then the strings are read line by line.

// How many one-letter lines ReadLetterLines reads at once.
inline constexpr std::int32_t LetterLineRun = 32;

// When the next LetterLineRun lines are each one lowercase letter, reads
// them and adds their strings to t; otherwise returns false.
bool ReadLetterLines(LineReader& reader, StringList& t);

// What ReadShortLetterLines read: lines, and their letters in all.
struct ShortRun {
  std::size_t lines = 0;
  std::int64_t letters = 0;
};

// Reads, among the lines that end in the next 64 bytes, those of 1 to
// longest (at most 16) lowercase letters each, at most `most` of them and
// none after the first other line, and adds their strings to t.
ShortRun ReadShortLetterLines(LineReader& reader, std::size_t most, std::size_t longest,
                              StringList& t);

}  // namespace krobelnik
