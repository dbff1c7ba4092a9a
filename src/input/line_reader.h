#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "failure/file_identity.h"

namespace krobelnik {

// A line as read: its true length, and its bytes when they were kept (then
// bytes.size() == length), else no bytes.
struct CountedLine {
  std::string_view bytes;
  std::int64_t length = 0;
};

// The sink for a line whose bytes are not looked at.
inline constexpr auto IgnoreBytes = [](const char*, std::size_t) {};

// Reads a text file, or a text held in memory, line by line through one
// large buffer. A line ends at a line feed, which is not part of it, nor is
// a carriage return right before it; every other byte is kept. A last line
// without a line feed is a line; a read at the end of the input finds no
// line. A file that cannot be opened or read at all reads as an empty file;
// a read error after some bytes raises std::runtime_error, so a damaged file
// is never taken for a shorter one.
class LineReader {
 public:
  // Large enough that every line the formats allow (a string of at most
  // 10000000 letters and its line end) lies whole in the buffer and is
  // handed out in place, without a copy.
  static constexpr std::size_t DefaultBufferSize = std::size_t{16} << 20;

  // A reader with nothing opened yet: it finds no line until Open.
  explicit LineReader(std::size_t bufferSize = DefaultBufferSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Closes the current input and reads from the start of another one, with
  // the same buffer; a second input then costs no fresh memory.
  void Open(const std::string& path);
  void OpenText(std::string text);
  // Reads a text that the caller keeps alive while the reader reads it.
  void OpenTextView(std::string_view text);
  // Reads on from offset of the input, as if the bytes before it had been
  // read; false when it cannot go there (past the end, a file that cannot
  // seek), and then it finds no line.
  bool Seek(std::int64_t offset);
  // Closes the input; further reads find no line.
  void Close();

  // Each read below takes the next line and returns false when there is none.

  // A view of the line, valid until the next read: in place when the line
  // fits in the buffer, else kept up to keep bytes (a longer one is counted).
  bool ReadLineView(std::size_t keep, CountedLine& line) {
    // Most lines lie whole in the buffer already.
    const char* lineFeed = FindLineFeed();
    if (lineFeed == nullptr) return ReadLongLineView(keep, line);
    line.bytes = TakeLine(lineFeed);
    line.length = static_cast<std::int64_t>(line.bytes.size());
    return true;
  }

  // The line's bytes, in order, handed to sink(data, size) in one or more
  // pieces and not kept.
  template <class Sink>
  bool ReadLinePieces(Sink&& sink);

  // The line's bytes handed to sink as ReadLinePieces does, and the line
  // kept as a view: in place when it already lies in the buffer, else up to
  // keep bytes, so that a long line never fills the buffer.
  template <class Sink>
  bool ReadLineKept(std::size_t keep, CountedLine& line, Sink&& sink);

  // A read-only view of the bytes ahead, for fast paths that read many
  // short lines at once and that load a short line's bytes past its end:
  // the unread bytes now in the buffer. Skip(count) consumes count of them,
  // which must end with a line feed.
  std::string_view Ahead() const { return std::string_view(buffer_.get() + begin_, end_ - begin_); }
  void Skip(std::size_t count) { begin_ += count; }
  // Where the bytes of the line from b[from] to the line feed b[lineFeed]
  // end: a carriage return right before the line feed is not part of it.
  static std::size_t LineEnd(const char* b, std::size_t from, std::size_t lineFeed) {
    return lineFeed > from && b[lineFeed - 1] == '\r' ? lineFeed - 1 : lineFeed;
  }

  // Whether no byte is left to read, reading on to find out.
  bool AtEnd() { return begin_ == end_ && !Refill(); }

  // Offset in the input of the next unread byte.
  std::int64_t Offset() const { return consumed_ + static_cast<std::int64_t>(begin_); }
  // The open file as it was when opened, when it can be read a second time.
  const std::optional<FileIdentity>& Rereadable() const { return identity_; }

 private:
  // Consumes the line from begin_ to lineFeed, which lies in the buffer, and
  // returns it without the line feed and a carriage return right before it.
  std::string_view TakeLine(const char* lineFeed) {
    const char* b = buffer_.get() + begin_;
    const auto lineFeedAt = static_cast<std::size_t>(lineFeed - b);
    begin_ += lineFeedAt + 1;
    return std::string_view(b, LineEnd(b, 0, lineFeedAt));
  }

  // The first line feed among the unread bytes of the buffer, or nullptr.
  // Short lines are many: their line feeds are found 64 bytes at a time and
  // the positions remembered, so most lines cost no search of their own.
  const char* FindLineFeed() {
    const std::size_t from = begin_;
    if (from - feedsBase_ < 64) {
      const std::uint64_t ahead = feedsMask_ >> (from - feedsBase_);
      if (ahead != 0)
        return buffer_.get() + from + static_cast<std::size_t>(std::countr_zero(ahead));
    }
    return FindLineFeedBeyond(from);
  }

  // FindLineFeed once the remembered positions are used up.
  const char* FindLineFeedBeyond(std::size_t from);

  // Forgets the remembered line feeds: the buffer's bytes moved. No
  // position lies in the window that then remains.
  void ForgetLineFeeds() {
    feedsBase_ = NoWindow;
    feedsMask_ = 0;
  }
  static constexpr std::size_t NoWindow = ~std::size_t{0} - 63;

  // Reads on into the buffer until the line ends within it and takes it
  // (Found), or finds that the input has ended (NoLine) or that the line is
  // longer than the buffer (nothing is taken).
  enum class Search { Found, NoLine, Longer };
  Search TakeLineInBuffer(std::string_view& line);

  // ReadLineView for a line that does not end within the buffer's bytes.
  bool ReadLongLineView(std::size_t keep, CountedLine& line);

  // The rest of the current line, handed to sink in pieces and kept in
  // spill_ as long as the line stays within keep bytes; spill_ is left empty
  // when it is longer. Returns the line's length, or -1 when there is none.
  template <class Sink>
  std::int64_t KeepLine(std::size_t keep, Sink&& sink);

  // Moves the unread bytes to the front of the buffer and reads more after
  // them; true when at least one byte was added.
  bool Refill();

  std::FILE* file_ = nullptr;
  std::optional<FileIdentity> identity_;
  // Offset in the input of the buffer's first byte.
  std::int64_t consumed_ = 0;
  // A text read from memory: held by the reader (OpenText) or the caller.
  std::string ownedMemory_;
  std::string_view memory_;
  std::size_t memoryPos_ = 0;
  bool anyRead_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  // The line feeds among the 64 bytes from feedsBase_, one bit a byte.
  std::size_t feedsBase_ = NoWindow;
  std::uint64_t feedsMask_ = 0;
  std::string spill_;
};

template <class Sink>
bool LineReader::ReadLinePieces(Sink&& sink) {
  if (begin_ == end_ && !Refill()) return false;
  for (;;) {
    const char* b = buffer_.get() + begin_;
    std::size_t size = end_ - begin_;
    const void* lineFeed = std::memchr(b, '\n', size);
    if (lineFeed != nullptr) {
      const std::string_view line = TakeLine(static_cast<const char*>(lineFeed));
      if (!line.empty()) sink(line.data(), line.size());
      return true;
    }
    // A carriage return at the end of the buffer stays unread until the next
    // byte shows whether it stands right before a line feed.
    if (b[size - 1] == '\r') --size;
    if (size > 0) sink(b, size);
    begin_ += size;
    if (!Refill()) {
      if (begin_ < end_) sink(buffer_.get() + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
  }
}

template <class Sink>
bool LineReader::ReadLineKept(std::size_t keep, CountedLine& line, Sink&& sink) {
  const char* lineFeed = FindLineFeed();
  if (lineFeed != nullptr) {
    line.bytes = TakeLine(lineFeed);
    line.length = static_cast<std::int64_t>(line.bytes.size());
    sink(line.bytes.data(), line.bytes.size());
    return true;
  }
  line.length = KeepLine(keep, sink);
  line.bytes = spill_;
  return line.length >= 0;
}

template <class Sink>
std::int64_t LineReader::KeepLine(std::size_t keep, Sink&& sink) {
  spill_.clear();
  std::uint64_t total = 0;
  const bool found = ReadLinePieces([&](const char* data, std::size_t size) {
    sink(data, size);
    total += size;
    if (total <= keep) spill_.append(data, size);
  });
  if (!found) return -1;
  if (total > keep) spill_.clear();
  return static_cast<std::int64_t>(total);
}

}  // namespace krobelnik
