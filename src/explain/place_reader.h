#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "failure/fault_place.h"
#include "input/line_reader.h"
#include "run/run_eval.h"

namespace krobelnik {

// Reads a place of an input once more, for an explanation: the line a
// failure named, found from the offset it recorded by passing lines, and
// that line's bytes from a column on, or the column where one of its
// numbers starts. Lines are the line reader's and numbers the number-line
// parser's: it only reads where a failure points, with no rule of its own,
// and checks nothing. An input that changed since the run may have no such
// line any more, and is then read as far as it goes.
class PlaceReader {
 public:
  explicit PlaceReader(const Input& input);

  // Finds the line that place names; false when the input ends before it.
  bool Find(const LinePlace& place);
  // Where the line found starts in the input.
  std::int64_t LineOffset() const { return lineOffset_; }

  // The column (from 1) of the line found where the nth number that starts
  // at or after column from begins, as the number-line parser counts the
  // numbers of its batches; 0 when the line ends first.
  std::int64_t NumberColumn(std::int64_t nth, std::int64_t from);

  // How many bytes the line found holds.
  std::int64_t LineLength();

  // At most most bytes of the line found, from column on, into bytes;
  // returns whether the line goes on after them.
  bool LineBytes(std::int64_t column, std::size_t most, std::string& bytes);

 private:
  // Reads on from the line found's column; false when it is gone.
  bool AtColumn(std::int64_t column);
  // The rest of the line, to sink; false when there is none or the input
  // cannot be read on (it is then read as far as it goes).
  template <class Sink>
  bool ReadRest(Sink&& sink);

  // A small buffer: a long line comes through it in pieces.
  static constexpr std::size_t BufferBytes = std::size_t{1} << 16;
  LineReader lines_{BufferBytes};
  std::int64_t lineOffset_ = 0;
};

}  // namespace krobelnik
