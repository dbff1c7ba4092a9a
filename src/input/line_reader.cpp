#include "input/line_reader.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <utility>

#include "input/byte_scan.h"
#include "input/system.h"

namespace krobelnik {

namespace {

constexpr std::size_t ReadStep = std::size_t{128} << 10;

}  // namespace

LineReader::LineReader(std::size_t bufferSize)
    : buffer_(new char[std::max<std::size_t>(bufferSize, 2)]),
      capacity_(std::max<std::size_t>(bufferSize, 2)) {}

LineReader::~LineReader() { Close(); }

void LineReader::Open(const std::string& path) {
  Close();
  file_ = OpenForReading(path);
  if (file_ != nullptr) identity_ = IdentifyFile(path);
}

void LineReader::OpenText(std::string text) {
  Close();
  ownedMemory_ = std::move(text);
  memory_ = ownedMemory_;
}

void LineReader::OpenTextView(std::string_view text) {
  Close();
  memory_ = text;
}

bool LineReader::Seek(std::int64_t offset) {
  begin_ = end_ = 0;
  ForgetLineFeeds();
  consumed_ = offset;
  const bool there = file_ != nullptr
                         ? offset >= 0 && SeekTo(file_, offset)
                         : offset >= 0 && static_cast<std::uint64_t>(offset) <= memory_.size();
  if (!there) {
    // Nothing more is found.
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    memory_ = {};
    memoryPos_ = 0;
    return false;
  }
  if (file_ == nullptr) memoryPos_ = static_cast<std::size_t>(offset);
  return true;
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  identity_.reset();
  consumed_ = 0;
  ownedMemory_.clear();
  memory_ = {};
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
    // An empty view may have no bytes at all to copy from.
    if (got > 0) std::memcpy(buffer_.get() + end_, memory_.data() + memoryPos_, got);
    memoryPos_ += got;
  }
  if (got > 0) anyRead_ = true;
  end_ += got;
  return got > 0;
}

const char* LineReader::FindLineFeedBeyond(std::size_t from) {
  // Whole 64-byte windows of read bytes are scanned by the scan level; the
  // last few bytes before end_ are searched directly. The remembered window,
  // when from lies in it, has no line feed after from.
  std::size_t base = from - feedsBase_ < 64 ? feedsBase_ + 64 : from;
  if (base >= end_) return nullptr;
  const LineFeedWindow window = ActiveScanners().findLineFeeds(buffer_.get() + base, end_ - base);
  if (window.mask != 0) {
    feedsBase_ = base + window.base;
    feedsMask_ = window.mask;
    return buffer_.get() + feedsBase_ + static_cast<std::size_t>(std::countr_zero(window.mask));
  }
  base += window.base;
  if (base >= end_) return nullptr;
  return static_cast<const char*>(std::memchr(buffer_.get() + base, '\n', end_ - base));
}

LineReader::Search LineReader::TakeLineInBuffer(std::string_view& line) {
  // The unread bytes hold no line feed: read on until one comes, the input
  // ends or the buffer is full.
  std::size_t searched = end_ - begin_;
  while (searched < capacity_) {
    if (!Refill()) {
      // The last line of the input has no line feed.
      if (searched == 0) return Search::NoLine;
      line = std::string_view(buffer_.get() + begin_, searched);
      begin_ = end_;
      return Search::Found;
    }
    const char* b = buffer_.get() + begin_;
    const void* lineFeed = std::memchr(b + searched, '\n', end_ - begin_ - searched);
    if (lineFeed != nullptr) {
      line = TakeLine(static_cast<const char*>(lineFeed));
      return Search::Found;
    }
    searched = end_ - begin_;
  }
  return Search::Longer;
}

bool LineReader::ReadLongLineView(std::size_t keep, CountedLine& line) {
  switch (TakeLineInBuffer(line.bytes)) {
    case Search::Found:
      line.length = static_cast<std::int64_t>(line.bytes.size());
      return true;
    case Search::NoLine:
      return false;
    case Search::Longer:
      break;
  }
  line.length = KeepLine(keep, IgnoreBytes);
  line.bytes = spill_;
  return true;
}

}  // namespace krobelnik
