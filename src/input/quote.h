#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "failure/assertion.h"
#include "input/line_reader.h"

namespace krobelnik {

// Quoting an input line in a message. A message ends at its line's first
// NUL byte, like a C string. Short lines, and every line of an input that
// cannot be read twice, are kept in memory; a longer line of a file is
// quoted from its place in the file, and the report writer copies it from
// there.

// A line that a message may quote: text holds the whole line until the next
// read when it was kept; otherwise offset and length say where it stands.
struct QuotableLine {
  std::string_view text;
  bool kept = true;
  std::int64_t offset = 0;
  std::int64_t length = 0;
};

// The longest line of a file that a message quotes from memory by default.
// The fuzz targets ask for less, so that short inputs reach the quoting from
// a file.
inline constexpr std::size_t DefaultQuoteInMemory = std::size_t{1} << 16;

// How many bytes of bytes a quote shows: those before its first NUL byte.
std::size_t ShownLength(std::string_view bytes);

// Reads the next line for a message that may quote it, handing its bytes to
// sink(data, size) as LineReader::ReadLinePieces does; false when there is
// none. A line of a file longer than inMemory bytes is quoted from the file.
template <class Sink>
bool ReadQuotableLine(LineReader& reader, QuotableLine& line, Sink&& sink,
                      std::size_t inMemory = DefaultQuoteInMemory) {
  line.offset = reader.Offset();
  const bool rereadable = reader.Rereadable().has_value();
  const std::size_t keep = rereadable ? inMemory : std::string::npos;
  CountedLine read;
  if (!reader.ReadLineKept(keep, read, sink)) return false;
  line.length = read.length;
  line.kept = static_cast<std::uint64_t>(read.length) <= keep;
  line.text = line.kept ? read.bytes : std::string_view();
  return true;
}

// Raises EAssertion with location, the message head + line + tail, where
// line was read by ReadQuotableLine from reader's current input, and place.
[[noreturn]] void FailQuoting(const LineReader& reader, std::int32_t location, std::string head,
                              const QuotableLine& line, std::string_view tail, FaultPlace place);

// A line quoted from its file, on its way into the report: opened, checked
// and measured before any of the report is written.
class QuoteCopy {
 public:
  QuoteCopy() = default;
  ~QuoteCopy();
  QuoteCopy(const QuoteCopy&) = delete;
  QuoteCopy& operator=(const QuoteCopy&) = delete;

  // Opens the quote's file at the line; false when the file is no longer the
  // one that was read, or the span no longer holds one line whole.
  bool Open(const QuotedSpan& quote);
  // Hands the bytes the quote shows to write(data, size), in pieces; false
  // when the file gives fewer, having changed since Open.
  template <class Write>
  bool CopyTo(Write&& write);
  // Whether the message's tail follows the line: not when a NUL cut it.
  bool ShowsTail() const { return shown_ == length_; }

 private:
  // Reads the next size bytes (at most sizeof(chunk_)) into chunk_.
  bool ReadChunk(std::size_t size) { return std::fread(chunk_, 1, size, file_) == size; }

  std::FILE* file_ = nullptr;
  std::int64_t length_ = 0;
  std::int64_t shown_ = 0;
  char chunk_[1 << 16];
};

template <class Write>
bool QuoteCopy::CopyTo(Write&& write) {
  for (std::int64_t done = 0; done < shown_;) {
    const auto size =
        static_cast<std::size_t>(std::min<std::int64_t>(shown_ - done, sizeof(chunk_)));
    if (!ReadChunk(size)) return false;
    write(chunk_, size);
    done += static_cast<std::int64_t>(size);
  }
  return true;
}

}  // namespace krobelnik
