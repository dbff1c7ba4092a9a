#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "run/run_eval.h"

namespace krobelnik {

// An input read once more after a run, from a given offset, in large chunks:
// whole lines are skipped by counting their line feeds 64 bytes at a time,
// and one line is handed out in pieces. Lines end as the run's reader ends
// them: at a line feed, without a carriage return right before it. Every
// piece can be read 64 bytes past its end, so that the scanners can look at
// any of its bytes. A file that cannot be read (any more) reads as ending.
class LineSource {
 public:
  // The most it reads at once; less for a smaller input.
  static constexpr std::size_t ChunkSize = std::size_t{1} << 20;

  LineSource(const Input& input, std::int64_t offset);
  ~LineSource();
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  // Skips count lines; false when the input ends first.
  bool SkipLines(std::int64_t count);

  // Hands the next line's bytes to sink(data, size) in pieces; false when
  // there is no line left.
  template <class Sink>
  bool ReadLine(Sink&& sink);

  // The first bytes of the next line, at most most of them, into bytes;
  // returns whether the line goes on after them. bytes is empty and the
  // result false when there is no line left. The rest of the line stays
  // unread.
  bool ReadLineStart(std::size_t most, std::string& bytes);

  // Whether the input has no byte left.
  bool AtEnd();

  // Offset in the input of the next unread byte.
  std::int64_t Offset() const { return consumed_ + static_cast<std::int64_t>(begin_); }

 private:
  // Keeps the unread bytes, moved to the front, and reads more after them;
  // false when nothing was added.
  bool Fill();

  const Input& input_;
  // How many bytes the buffer reads at most; it holds 64 more.
  std::size_t capacity_ = ChunkSize;
  std::FILE* file_ = nullptr;
  std::int64_t consumed_;
  std::size_t memoryPos_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

template <class Sink>
bool LineSource::ReadLine(Sink&& sink) {
  if (begin_ == end_ && !Fill()) return false;
  for (;;) {
    const char* b = buffer_.get() + begin_;
    std::size_t size = end_ - begin_;
    const void* found = std::memchr(b, '\n', size);
    if (found != nullptr) {
      const auto lineFeed = static_cast<std::size_t>(static_cast<const char*>(found) - b);
      const std::size_t length = lineFeed > 0 && b[lineFeed - 1] == '\r' ? lineFeed - 1 : lineFeed;
      if (length > 0) sink(b, length);
      begin_ += lineFeed + 1;
      return true;
    }
    // A carriage return at the end stays until the next byte shows whether
    // a line feed follows it.
    if (b[size - 1] == '\r') --size;
    if (size > 0) sink(b, size);
    begin_ += size;
    if (!Fill()) {
      if (begin_ < end_) sink(buffer_.get() + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
  }
}

}  // namespace krobelnik
