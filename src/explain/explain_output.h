#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "explain/explain.h"
#include "run/output_buffer.h"
#include "words/language.h"

namespace krobelnik {

// What the text and the JSON form of an explanation share.

// Writes text pieces and numbers through an output buffer.
class ExplainOut {
 public:
  // With plain, letters beyond ASCII in the text are written as ASCII.
  explicit ExplainOut(OutputBuffer& buffer, bool plain = false) : buffer_(buffer), plain_(plain) {}
  ExplainOut& operator<<(std::string_view text) {
    if (plain_) {
      buffer_.Put(Plain(text));
    } else {
      buffer_.Put(text);
    }
    return *this;
  }
  ExplainOut& operator<<(std::int64_t value) {
    buffer_.PutInt(value);
    return *this;
  }
  // A column of a table: value right-aligned in width (at most 20).
  ExplainOut& Cell(std::int64_t value, std::size_t width);
  // A JSON string holding one character per byte, of the same code.
  ExplainOut& Json(std::string_view bytes);
  // A JSON string of UTF-8 text, its characters as they are.
  ExplainOut& JsonText(std::string_view text);
  // Hands on everything; returns whether every byte was written.
  bool Finish() { return buffer_.Finish(); }
  OutputBuffer& Buffer() { return buffer_; }

 private:
  ExplainOut& JsonString(std::string_view bytes, bool utf8);

  OutputBuffer& buffer_;
  const bool plain_;
};

// Writes one JSON value through an ExplainOut: objects and arrays opened
// and ended, keys, and values, with the commas between them placed and
// strings escaped.
class JsonWriter {
 public:
  explicit JsonWriter(ExplainOut& out) : out_(out) {}
  JsonWriter& Object() { return Open('{', '}'); }
  JsonWriter& Array() { return Open('[', ']'); }
  JsonWriter& End();
  // The key of the next value of an object.
  JsonWriter& Key(std::string_view key);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // A string of UTF-8 text, its characters as they are.
  JsonWriter& Text(std::string_view text);
  // A string holding one character per byte, of the same code.
  JsonWriter& Bytes(std::string_view bytes);
  // A value the caller writes itself, through the ExplainOut returned.
  ExplainOut& Value();

 private:
  JsonWriter& Open(char bracket, char closer);
  void Separate();

  ExplainOut& out_;
  // For each object and array open, its closing bracket and whether a value
  // has been written in it.
  std::vector<char> closers_;
  std::vector<bool> filled_;
  bool afterKey_ = false;
};

// Runs print on an output buffer for file, then flushes file; returns
// whether every byte reached it.
template <class Print>
bool PrintToFile(std::FILE* file, Print&& print) {
  OutputBuffer buffer(file);
  const bool printed = print(buffer);
  return printed && std::fflush(file) == 0 && std::ferror(file) == 0;
}

// Bytes as an excerpt or a message shows them: printable ASCII as itself (a
// backslash doubled), a tab as \t, a carriage return as \r, any other byte
// as \xNN; at most most bytes of them, and "..." after a cut.
std::string Escaped(std::string_view bytes, std::size_t most = std::string_view::npos);

// The words that stand in a text for bytes left out of it, in ASCII.
std::string LeftOutNote(std::uint64_t bytes, Language language);

// Puts a kept text: its head, a note for the bytes left out when there are
// any, and its tail.
void PutKept(OutputBuffer& out, std::string_view head, std::uint64_t leftOut, std::string_view tail,
             Language language);

// The first line of a kept text as a message shows it: escaped, at most
// most characters, and where it goes on, "..." and how many bytes more it
// has (in ASCII).
std::string FirstLineShown(std::string_view head, std::uint64_t leftOut, std::string_view tail,
                           std::size_t most, Language language);

// A line's excerpt as shown: its bytes with those outside printable ASCII
// as escapes (\t, \r, \xe8; a backslash doubled), "..." where the line goes
// on; and a line with a caret under the column, empty without a column.
struct ExcerptLines {
  std::string text;
  std::string caret;
};
ExcerptLines RenderExcerpt(const ShownLine& line);

// An alignment as three lines of text: s, the concatenation below it with a
// bar where each piece starts (and a space in s's line there), "?" where an
// index selects no string, "..." where either goes on; and a caret under
// the letter where they part. last is the last letter shown (from 1).
struct AlignedLines {
  std::string s;
  std::string concatenation;
  std::string marker;
  std::int64_t last = 0;
  // For each column of the concatenation's line, the piece (an index into
  // the alignment's pieces) whose letter stands there; -1 for a bar, a
  // space or "...".
  std::vector<std::int32_t> pieceOf;
};
AlignedLines RenderAlignment(const Alignment& alignment);

// How the concatenation leaves s: a letter differs (or an index selects no
// string), it goes on past s's end, or it ends before s does.
enum class AlignmentKind { Differs, Longer, Shorter };
AlignmentKind KindOf(const Alignment& alignment);

// Rows of ASCII text cut to width columns around column focus, the same
// columns of each, "..." where a row goes on beyond them (but for rows of
// spaces and a caret); rows that fit are left whole.
std::vector<std::string> Fitted(const std::vector<std::string>& rows, std::size_t focus,
                                std::size_t width);

// The lengths a bucket of a section's histogram holds pieces of: "3",
// "2-3".
std::string BucketLabel(const SectionStats& stats, std::size_t bucket);

// The strings a section never uses, the first of them, by name and line:
// "t_2 (line 5), t_7 (line 10), ...".
std::string UnusedNames(const SectionStats& stats, Language language);

// The test cases not answered, as ranges ("3, 5-7, 9"): the first
// ListedRanges ranges and "..." after; count becomes how many there are.
inline constexpr std::size_t ListedRanges = 20;
std::string UnansweredList(const std::vector<TestCaseBest>& best, std::size_t& count);

// The sentences the text and the JSON form share, in language: where a
// line is (the letter at fault's with letter), where the alignment parts
// and what it shows, and what a piece of it is (its string on its line,
// the section's number line at sectionLine).
std::string WhereSentence(const ShownLine& line, Language language, bool letter = false);
std::string AlignmentSentence(const Alignment& alignment, Language language);
std::string PieceSentence(const Piece& piece, std::int64_t sectionLine, Language language);

// The sentence for an input that could not be opened.
std::string UnopenedSentence(const UnopenedInput& input, Language language);

// How many characters UTF-8 text takes on a line.
std::size_t TextWidth(std::string_view text);

// The names an explanation gives inputs, verdicts and faults.
const char* InputName(InputRole input);
const char* VerdictName(Verdict verdict);
const char* FaultName(Fault fault);

}  // namespace krobelnik
