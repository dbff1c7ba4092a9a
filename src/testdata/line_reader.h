#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "run/assertion.h"
#include "testdata/room.h"

namespace krobelnik {

// How many one-letter lines LineReader::ReadLetterLines reads at once.
inline constexpr std::int32_t LetterLineRun = 32;

// Marks the constructor that reads lines from a text held in memory.
struct InMemory {};

// A line that a message may quote. Short lines, and every line of an input
// that cannot be read twice, are kept: text holds the whole line until the
// next read. A longer line of a file is not kept; a message quotes it from
// its place in the file (offset and length).
struct QuotableLine {
  std::string_view text;
  bool kept = true;
  std::int64_t offset = 0;
  std::int64_t length = 0;
};

// The sink for a line whose bytes matter only to a message quoting it.
inline constexpr auto IgnoreBytes = [](const char*, std::size_t) {};

// Reads a text file line by line through one large buffer. A line ends at a
// line feed, which is not part of it, nor is a carriage return right before
// it; every other byte is kept. A last line without a line feed is a line; a
// read at the end of the file finds no line. A file that cannot be opened or
// read at all reads as an empty file; a read error after some bytes raises
// std::runtime_error, so a damaged file is never taken for a shorter one.
class LineReader {
 public:
  // Large enough that every line the formats allow (a string of at most
  // 10000000 letters and its line end) lies whole in the buffer and is
  // handed out in place, without a copy.
  static constexpr std::size_t DefaultBufferSize = std::size_t{16} << 20;

  // A reader with nothing opened yet: it finds no line until Open.
  explicit LineReader(std::size_t bufferSize);
  explicit LineReader(const std::string& path, std::size_t bufferSize = DefaultBufferSize);
  // A text shorter than the buffer is given a buffer of its own size.
  LineReader(InMemory, std::string text, std::size_t bufferSize = DefaultBufferSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Reads the next line whole; false when there is none. The view stays
  // valid until the next read.
  bool ReadLine(std::string_view& line);

  // Reads the next line and sets length to its true length. line views its
  // bytes when they lie in the buffer or number at most keep; otherwise the
  // bytes are counted, not kept, and line is empty. False when there is no line.
  bool ReadLineUpTo(std::size_t keep, std::string_view& line, std::int64_t& length) {
    // Most lines lie whole in the buffer already.
    const char* lineFeed = FindLineFeed();
    if (lineFeed == nullptr) return ReadLongLine(keep, line, length);
    line = TakeLine(lineFeed);
    length = static_cast<std::int64_t>(line.size());
    return true;
  }

  // How many bytes from p, a byte of the line last read, can still be read:
  // those of the buffer after it, or 0 when the line was not read in place.
  std::size_t ReadableFrom(const char* p) const {
    // Compared as addresses: p may lie in another block altogether.
    const std::uintptr_t at =
        reinterpret_cast<std::uintptr_t>(p) - reinterpret_cast<std::uintptr_t>(buffer_.get());
    return at < end_ ? end_ - at : 0;
  }

  // Reads the next line into `to` and sets length to its true length; a
  // line longer than keep is counted, not kept, and leaves `to` empty. A long
  // line is moved into `to` piece by piece, so the buffer never holds it
  // whole. False when there is no line.
  bool ReadLineInto(std::size_t keep, std::string& to, std::int64_t& length);

  // When the next LetterLineRun lines in the buffer are each one lowercase
  // letter, reads them and copies their letters to letters; otherwise reads
  // nothing and returns false.
  bool ReadLetterLines(std::span<char, LetterLineRun> letters);

  // Reads, among the lines that end in the buffer's next 64 bytes, those of
  // 1 to longest (at most 16) lowercase letters each, at most `most` of them
  // and none after the first other line, and hands each to add(data, L);
  // sixteen bytes from data can be read. Returns how many it read.
  template <class Add>
  std::size_t ReadShortLetterLines(std::size_t most, std::size_t longest, Add&& add);

  // Reads the next line and hands its bytes, in order, to sink(data, size) in
  // one or more pieces without keeping them; false when there is no line.
  template <class Sink>
  bool ReadLineInPieces(Sink&& sink);

  // Reads the next line for a message that may quote it, handing its bytes
  // to sink(data, size) as ReadLineInPieces does; false when there is none.
  template <class Sink>
  bool ReadQuotableLine(QuotableLine& line, Sink&& sink);

  // Raises EAssertion with location and the message head + line + tail, the
  // line quoted from memory when it was kept and from its file otherwise.
  [[noreturn]] void FailQuoting(std::int32_t location, std::string head, const QuotableLine& line,
                                std::string_view tail) const;

  // The longest line of a file that a quoting message copies from memory.
  static constexpr std::size_t QuoteInMemory = std::size_t{1} << 16;

  // Closes the current file and reads from the start of another one, with
  // the same buffer; a second input then costs no fresh memory.
  void Open(const std::string& path);
  void Open(InMemory, std::string text);

  // Closes the file; further reads find no line.
  void Close();

 private:
  // Consumes the line from begin_ to lineFeed, which lies in the buffer, and
  // returns it without the line feed and a carriage return right before it.
  std::string_view TakeLine(const char* lineFeed) {
    const char* b = buffer_.get() + begin_;
    std::size_t size = static_cast<std::size_t>(lineFeed - b);
    begin_ += size + 1;
    if (size > 0 && b[size - 1] == '\r') --size;
    return std::string_view(b, size);
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

  // ReadLineUpTo for a line that does not end within the buffer's bytes.
  bool ReadLongLine(std::size_t keep, std::string_view& line, std::int64_t& length) {
    return ReadLongLine(keep, line, length, capacity_) == Search::Found;
  }

  // Reads on into the buffer until the line ends or searchLimit bytes of it
  // are there; Found sets line and length (a line longer than the buffer is
  // counted), NoLine means the input has ended.
  enum class Search { Found, NoLine, Longer };
  Search ReadLongLine(std::size_t keep, std::string_view& line, std::int64_t& length,
                      std::size_t searchLimit);

  // How many bytes of the input are still to be read, 0 when not known.
  std::size_t Remaining() const;

  // Moves the unread bytes to the front of the buffer and reads more after
  // them; true when at least one byte was added.
  bool Refill();

  // Offset in the input of the next unread byte.
  std::int64_t Offset() const { return consumed_ + static_cast<std::int64_t>(begin_); }

  std::FILE* file_ = nullptr;
  // The open file as it was when opened, for quoting a line from it later;
  // only a regular file can be read a second time.
  std::string path_;
  bool rereadable_ = false;
  std::uintmax_t fileSize_ = 0;
  std::filesystem::file_time_type modified_;
  // Offset in the input of the buffer's first byte.
  std::int64_t consumed_ = 0;
  std::string memory_;
  std::size_t memoryPos_ = 0;
  bool anyRead_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  // The line feeds among the 64 bytes from feedsBase_, one bit a byte.
  std::size_t feedsBase_ = NoWindow;
  std::uint64_t feedsMask_ = 0;
  std::uint64_t (*lineFeeds_)(const char*) = nullptr;
  std::uint64_t (*nonLetters_)(const char*) = nullptr;
  std::string spill_;
};

template <class Sink>
bool LineReader::ReadLineInPieces(Sink&& sink) {
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

template <class Add>
std::size_t LineReader::ReadShortLetterLines(std::size_t most, std::size_t longest, Add&& add) {
  // 64 bytes are scanned and 16 may be loaded from the last line's start.
  if (lineFeeds_ == nullptr || end_ - begin_ < 80) return 0;
  const char* b = buffer_.get() + begin_;
  std::uint64_t feeds = lineFeeds_(b);
  const std::uint64_t others = nonLetters_(b) & ~feeds;
  std::size_t from = 0;
  std::size_t count = 0;
  for (; count < most && feeds != 0; ++count) {
    const auto lineFeed = static_cast<std::size_t>(std::countr_zero(feeds));
    // The bytes of the line, from..lineFeed - 1, as bits, without a carriage
    // return right before the line feed.
    std::size_t L = lineFeed - from;
    std::size_t lineEnd = lineFeed;
    if (L > 0 && b[lineFeed - 1] == '\r') {
      --L;
      --lineEnd;
    }
    const std::uint64_t line = ((std::uint64_t{1} << lineEnd) - 1) >> from << from;
    if (L == 0 || L > longest || (others & line) != 0) break;
    KROBELNIK_ASSERT_ROOM(b + from, buffer_.get() + end_, 16);
    add(b + from, L);
    feeds &= feeds - 1;
    from = lineFeed + 1;
  }
  begin_ += from;
  return count;
}

template <class Sink>
bool LineReader::ReadQuotableLine(QuotableLine& line, Sink&& sink) {
  line.offset = Offset();
  const char* lineFeed = FindLineFeed();
  if (lineFeed != nullptr) {
    line.text = TakeLine(lineFeed);
    line.length = static_cast<std::int64_t>(line.text.size());
    line.kept = !rereadable_ || line.text.size() <= QuoteInMemory;
    sink(line.text.data(), line.text.size());
    return true;
  }
  // The line goes on past the buffer's bytes: it is kept only as far as a
  // message may need it from memory.
  spill_.clear();
  std::uint64_t total = 0;
  const bool found = ReadLineInPieces([&](const char* data, std::size_t size) {
    sink(data, size);
    total += size;
    if (!rereadable_ || total <= QuoteInMemory) spill_.append(data, size);
  });
  if (!found) return false;
  line.length = static_cast<std::int64_t>(total);
  line.kept = !rereadable_ || total <= QuoteInMemory;
  line.text = line.kept ? std::string_view(spill_) : std::string_view();
  return true;
}

}  // namespace krobelnik
