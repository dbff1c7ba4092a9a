#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "failure/fault_place.h"
#include "run/run_eval.h"

namespace krobelnik {

// Reads a place of an input once more, for an explanation: the line a
// failure named, found from the offset it recorded by passing line feeds,
// and that line's bytes from a column on. It only reads where a failure
// points; it checks nothing. An input that changed since the run may have
// no such line any more, and is then read as far as it goes.
class PlaceReader {
 public:
  explicit PlaceReader(const Input& input) : input_(input) {}
  ~PlaceReader();
  PlaceReader(const PlaceReader&) = delete;
  PlaceReader& operator=(const PlaceReader&) = delete;

  // Finds the line that place names; false when the input ends before it.
  bool Find(const LinePlace& place);
  // Where the line found starts in the input.
  std::int64_t LineOffset() const { return lineOffset_; }

  // The column (from 1) of the line found where the nth number that starts
  // at or after column from begins, counting as a number every run of digits;
  // 0 when the line ends first.
  std::int64_t NumberColumn(std::int64_t nth, std::int64_t from);

  // How many bytes the line found holds, but for a carriage return right
  // before its line feed.
  std::int64_t LineLength();

  // At most most bytes of the line found, from column on, into bytes;
  // returns whether the line goes on after them. A carriage return right
  // before the line feed is not part of the line.
  bool LineBytes(std::int64_t column, std::size_t most, std::string& bytes);

 private:
  // Reads on from offset of the input; false when it cannot go there.
  bool Seek(std::int64_t offset);
  // The next bytes of the input in chunk_, at least one; false at its end.
  bool Refill();

  const Input& input_;
  std::FILE* file_ = nullptr;
  std::int64_t lineOffset_ = 0;
  // Bytes of the input from offset chunkOffset_, read up to at_.
  std::int64_t chunkOffset_ = 0;
  std::size_t at_ = 0;
  std::size_t size_ = 0;
  // On the heap: a reader lives in frames that nest under an output buffer.
  static constexpr std::size_t ChunkBytes = std::size_t{1} << 16;
  std::unique_ptr<char[]> chunk_ = std::make_unique<char[]>(ChunkBytes);
};

}  // namespace krobelnik
