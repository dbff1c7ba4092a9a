#include "explain/place_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "input/byte_scan.h"
#include "input/system.h"
#include "input/text.h"

namespace krobelnik {

PlaceReader::~PlaceReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool PlaceReader::Seek(std::int64_t offset) {
  chunkOffset_ = offset;
  at_ = size_ = 0;
  if (input_.inMemory)
    return offset >= 0 && offset <= static_cast<std::int64_t>(input_.text.size());
  if (file_ == nullptr) file_ = OpenForReading(input_.fileName);
  return file_ != nullptr && offset >= 0 && SeekTo(file_, offset);
}

bool PlaceReader::Refill() {
  chunkOffset_ += static_cast<std::int64_t>(size_);
  at_ = size_ = 0;
  if (input_.inMemory) {
    const auto from = static_cast<std::size_t>(chunkOffset_);
    size_ = std::min(ChunkBytes, input_.text.size() - std::min(from, input_.text.size()));
    std::memcpy(chunk_.get(), input_.text.data() + from, size_);
  } else if (file_ != nullptr) {
    size_ = std::fread(chunk_.get(), 1, ChunkBytes, file_);
  }
  return size_ > 0;
}

bool PlaceReader::Find(const LinePlace& place) {
  if (!Seek(place.offset)) return false;
  const auto lineFeeds = ActiveScanners().lineFeeds;
  for (std::int64_t left = place.linesAfter; left > 0;) {
    if (at_ == size_ && !Refill()) return false;
    // Whole windows of 64 bytes are passed by counting their line feeds.
    for (; size_ - at_ >= 64; at_ += 64) {
      std::uint64_t feeds = lineFeeds(chunk_.get() + at_);
      const int here = std::popcount(feeds);
      if (here >= left) {
        for (; left > 1; --left) feeds &= feeds - 1;
        at_ += static_cast<std::size_t>(std::countr_zero(feeds)) + 1;
        left = 0;
        break;
      }
      left -= here;
    }
    for (; left > 0 && at_ < size_; ++at_)
      if (chunk_[at_] == '\n') --left;
  }
  if (at_ == size_ && !Refill()) return false;
  lineOffset_ = chunkOffset_ + static_cast<std::int64_t>(at_);
  return true;
}

std::int64_t PlaceReader::NumberColumn(std::int64_t nth, std::int64_t from) {
  if (!Seek(lineOffset_ + from - 1)) return 0;
  std::int64_t column = from;
  bool inNumber = false;
  for (;; ++at_, ++column) {
    if (at_ == size_ && !Refill()) return 0;
    const char c = chunk_[at_];
    if (c == '\n') return 0;
    const bool digit = IsDigit(c);
    if (digit && !inNumber && --nth == 0) return column;
    inNumber = digit;
  }
}

std::int64_t PlaceReader::LineLength() {
  if (!Seek(lineOffset_)) return 0;
  std::int64_t length = 0;
  bool carriageReturn = false;
  for (;;) {
    if (at_ == size_ && !Refill()) return length;
    const char* const start = chunk_.get() + at_;
    const auto* const feed = static_cast<const char*>(std::memchr(start, '\n', size_ - at_));
    const std::size_t passed =
        feed == nullptr ? size_ - at_ : static_cast<std::size_t>(feed - start);
    if (passed > 0) carriageReturn = start[passed - 1] == '\r';
    length += static_cast<std::int64_t>(passed);
    at_ += passed;
    if (feed != nullptr) return length - (carriageReturn ? 1 : 0);
  }
}

bool PlaceReader::LineBytes(std::int64_t column, std::size_t most, std::string& bytes) {
  bytes.clear();
  if (!Seek(lineOffset_ + column - 1)) return false;
  // The line's bytes, and the two after them that show whether it ends
  // there: a line feed, or a carriage return and one.
  for (;;) {
    if (at_ == size_ && !Refill()) return false;
    const char c = chunk_[at_];
    if (c == '\n') return false;
    if (c == '\r') {
      ++at_;
      const bool more = at_ < size_ || Refill();
      if (more && chunk_[at_] == '\n') return false;
      if (bytes.size() == most) return true;
      bytes += '\r';
      if (!more) return false;
      continue;
    }
    if (bytes.size() == most) return true;
    bytes += c;
    ++at_;
  }
}

}  // namespace krobelnik
