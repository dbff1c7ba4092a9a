#include "testdata/line_reader.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <utility>

#include "testdata/byte_scan.h"

namespace krobelnik {

namespace {

constexpr std::size_t ReadStep = std::size_t{1} << 20;

}  // namespace

LineReader::LineReader(std::size_t bufferSize)
    : buffer_(new char[std::max<std::size_t>(bufferSize, 2)]),
      capacity_(std::max<std::size_t>(bufferSize, 2)),
      lineFeeds_(ActiveScanners().lineFeeds),
      nonLetters_(ActiveScanners().nonLetters) {}

LineReader::LineReader(const std::string& path, std::size_t bufferSize) : LineReader(bufferSize) {
  Open(path);
}

LineReader::LineReader(InMemory, std::string text, std::size_t bufferSize)
    : capacity_(std::max<std::size_t>(std::min(bufferSize, text.size() + 1), 2)),
      lineFeeds_(ActiveScanners().lineFeeds),
      nonLetters_(ActiveScanners().nonLetters) {
  buffer_.reset(new char[capacity_]);
  Open(InMemory{}, std::move(text));
}

LineReader::~LineReader() { Close(); }

void LineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "r");
  if (file_ == nullptr) return;
  // The buffer here is the only one: the stream reads straight into it.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  path_ = path;
  std::error_code statusError;
  rereadable_ = std::filesystem::is_regular_file(path, statusError) && !statusError &&
                FileState(path, fileSize_, modified_);
}

void LineReader::Open(InMemory, std::string text) {
  Close();
  memory_ = std::move(text);
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  path_.clear();
  rereadable_ = false;
  consumed_ = 0;
  memory_.clear();
  memoryPos_ = 0;
  anyRead_ = false;
  begin_ = end_ = 0;
  ForgetLineFeeds();
}

bool LineReader::Refill() {
  if (begin_ > 0) {
    consumed_ += static_cast<std::int64_t>(begin_);
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    ForgetLineFeeds();
    end_ -= begin_;
    begin_ = 0;
  }
  // Reading in moderate steps keeps the touched part of the buffer near the
  // longest line rather than the whole buffer: each untouched page is memory
  // the process never has to fault in.
  const std::size_t room = std::min(capacity_ - end_, ReadStep);
  std::size_t got = 0;
  if (file_ != nullptr) {
    got = std::fread(buffer_.get() + end_, 1, room, file_);
    if (got < room && std::ferror(file_) != 0) {
      // Nothing read at all: the file cannot be read (a directory, say), and
      // reads as empty. Later, stopping would silently cut the file short.
      if (anyRead_ || got > 0) throw std::runtime_error("read error");
      std::fclose(file_);
      file_ = nullptr;
    }
  } else {
    got = std::min(room, memory_.size() - memoryPos_);
    std::memcpy(buffer_.get() + end_, memory_.data() + memoryPos_, got);
    memoryPos_ += got;
  }
  if (got > 0) anyRead_ = true;
  end_ += got;
  return got > 0;
}

const char* LineReader::FindLineFeedBeyond(std::size_t from) {
  // Whole 64-byte windows of read bytes are scanned; the last few bytes
  // before end_ are searched directly.
  if (lineFeeds_ != nullptr) {
    // The remembered window, when from lies in it, has no line feed after from.
    std::size_t base = from - feedsBase_ < 64 ? feedsBase_ + 64 : from;
    for (; base < end_ && end_ - base >= 64; base += 64) {
      feedsBase_ = base;
      feedsMask_ = lineFeeds_(buffer_.get() + base);
      if (feedsMask_ != 0)
        return buffer_.get() + base + static_cast<std::size_t>(std::countr_zero(feedsMask_));
    }
    from = base;
  }
  if (from >= end_) return nullptr;
  return static_cast<const char*>(std::memchr(buffer_.get() + from, '\n', end_ - from));
}

bool LineReader::ReadLetterLines(std::span<char, LetterLineRun> letters) {
  // 32 lines of one letter each are 64 bytes: letters at the even places,
  // line feeds at the odd ones.
  constexpr std::uint64_t OddBytes = 0xAAAAAAAAAAAAAAAAULL;
  if (lineFeeds_ == nullptr || end_ - begin_ < 64) return false;
  const char* b = buffer_.get() + begin_;
  if (lineFeeds_(b) != OddBytes || nonLetters_(b) != OddBytes) return false;
  for (std::size_t c = 0; c < letters.size(); ++c) letters[c] = b[2 * c];
  begin_ += 64;
  return true;
}

void LineReader::FailQuoting(std::int32_t location, std::string head, const QuotableLine& line,
                             std::string_view tail) const {
  if (line.kept) Fail(location, head.append(line.text).append(tail));
  Fail(location, std::move(head),
       QuotedSpan{path_, fileSize_, modified_, line.offset, line.length, std::string(tail)});
}

bool LineReader::ReadLine(std::string_view& line) {
  std::int64_t length = 0;
  return ReadLineUpTo(std::string::npos, line, length);
}

LineReader::Search LineReader::ReadLongLine(std::size_t keep, std::string_view& line,
                                            std::int64_t& length, std::size_t searchLimit) {
  // The unread bytes hold no line feed: read on until one comes, the file
  // ends or the buffer is full.
  std::size_t searched = end_ - begin_;
  while (searched < capacity_) {
    if (searched >= searchLimit) return Search::Longer;
    if (!Refill()) {
      if (searched == 0) return Search::NoLine;
      line = std::string_view(buffer_.get() + begin_, searched);
      length = static_cast<std::int64_t>(searched);
      begin_ = end_;
      return Search::Found;
    }
    const char* b = buffer_.get() + begin_;
    const void* lineFeed = std::memchr(b + searched, '\n', end_ - begin_ - searched);
    if (lineFeed != nullptr) {
      line = TakeLine(static_cast<const char*>(lineFeed));
      length = static_cast<std::int64_t>(line.size());
      return Search::Found;
    }
    searched = end_ - begin_;
  }
  // The line is longer than the buffer: gather what is to be kept, count the rest.
  spill_.clear();
  std::uint64_t total = 0;
  ReadLineInPieces([&](const char* data, std::size_t size) {
    total += size;
    if (total <= keep) spill_.append(data, size);
  });
  length = static_cast<std::int64_t>(total);
  line = total <= keep ? std::string_view(spill_) : std::string_view();
  return Search::Found;
}

std::size_t LineReader::Remaining() const {
  const std::size_t buffered = end_ - begin_;
  if (file_ == nullptr) return buffered + (memory_.size() - memoryPos_);
  if (!rereadable_) return 0;
  const auto offset = static_cast<std::uintmax_t>(Offset());
  return fileSize_ > offset ? static_cast<std::size_t>(fileSize_ - offset) : 0;
}

bool LineReader::ReadLineInto(std::size_t keep, std::string& to, std::int64_t& length) {
  // Lines that end within the next few MiB are found in the buffer and
  // copied once.
  constexpr std::size_t SearchAhead = std::size_t{2} << 20;
  std::string_view line;
  const char* lineFeed = FindLineFeed();
  Search found = Search::Found;
  if (lineFeed != nullptr) {
    line = TakeLine(lineFeed);
    length = static_cast<std::int64_t>(line.size());
  } else {
    found = ReadLongLine(keep, line, length, std::min(SearchAhead, capacity_ / 2));
  }
  if (found == Search::NoLine) return false;
  if (found == Search::Found) {
    if (static_cast<std::uint64_t>(length) <= keep) {
      to.assign(line);
    } else {
      to.clear();
    }
    return true;
  }
  // A longer line goes into `to` piece by piece. Room for all of it is
  // reserved at once when the input's size says how much can follow, so
  // that its pages are written once and never copied.
  to.clear();
  const std::size_t remaining = Remaining();
  if (remaining != 0) to.reserve(std::min(keep, remaining));
  std::uint64_t total = 0;
  ReadLineInPieces([&](const char* data, std::size_t size) {
    total += size;
    if (total <= keep) to.append(data, size);
  });
  length = static_cast<std::int64_t>(total);
  if (total > keep) to.clear();
  return true;
}

}  // namespace krobelnik
