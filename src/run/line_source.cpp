#include "run/line_source.h"

#include <algorithm>
#include <bit>
#include <optional>

#include "input/byte_scan.h"
#include "input/system.h"

namespace krobelnik {

LineSource::LineSource(const Input& input, std::int64_t offset) : input_(input), consumed_(offset) {
  std::uintmax_t size = 0;
  if (input.inMemory) {
    size = input.text.size();
    memoryPos_ = static_cast<std::size_t>(std::min<std::uintmax_t>(
        static_cast<std::uintmax_t>(std::max<std::int64_t>(offset, 0)), size));
  } else {
    file_ = OpenForReading(input.fileName);
    if (file_ != nullptr && !SeekTo(file_, offset)) {
      std::fclose(file_);
      file_ = nullptr;
    }
    const std::optional<FileIdentity> file = IdentifyFile(input.fileName);
    size = file ? file->size : ChunkSize;
  }
  // A small input needs no more than its bytes after offset.
  const std::uintmax_t rest =
      size - std::min<std::uintmax_t>(
                 size, static_cast<std::uintmax_t>(std::max<std::int64_t>(offset, 0)));
  capacity_ = static_cast<std::size_t>(std::clamp<std::uintmax_t>(rest + 1, 64, ChunkSize));
  buffer_.reset(new char[capacity_ + 64]);
  // The bytes past the read ones are only ever looked at under a mask.
  std::memset(buffer_.get(), 0, capacity_ + 64);
}

LineSource::~LineSource() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineSource::Fill() {
  if (begin_ > 0) {
    consumed_ += static_cast<std::int64_t>(begin_);
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const std::size_t room = capacity_ - end_;
  std::size_t got = 0;
  if (input_.inMemory) {
    got = std::min(room, input_.text.size() - memoryPos_);
    std::memcpy(buffer_.get() + end_, input_.text.data() + memoryPos_, got);
    memoryPos_ += got;
  } else if (file_ != nullptr) {
    got = std::fread(buffer_.get() + end_, 1, room, file_);
  }
  end_ += got;
  return got > 0;
}

bool LineSource::SkipLines(std::int64_t count) {
  const auto lineFeeds = ActiveScanners().lineFeeds;
  while (count > 0) {
    if (begin_ == end_ && !Fill()) return false;
    for (std::size_t base = begin_; base < end_; base += 64) {
      std::uint64_t feeds = lineFeeds(buffer_.get() + base);
      if (end_ - base < 64) feeds &= (std::uint64_t{1} << (end_ - base)) - 1;
      const int here = std::popcount(feeds);
      if (here < count) {
        count -= here;
        continue;
      }
      // The count-th line feed of this block ends the last line skipped.
      for (; count > 1; --count) feeds &= feeds - 1;
      begin_ = base + static_cast<std::size_t>(std::countr_zero(feeds)) + 1;
      return true;
    }
    begin_ = end_;
  }
  return true;
}

bool LineSource::ReadLineStart(std::size_t most, std::string& bytes) {
  bytes.clear();
  // Only the line's first bytes are read, and the two after them that show
  // whether the line ends there (a line feed, or a carriage return and one).
  for (;;) {
    if (end_ - begin_ < 2) Fill();
    if (begin_ == end_) return false;
    const char c = buffer_[begin_];
    const bool lineEnd =
        c == '\n' || (c == '\r' && end_ - begin_ >= 2 && buffer_[begin_ + 1] == '\n');
    if (lineEnd) return false;
    if (bytes.size() == most) return true;
    bytes += c;
    ++begin_;
  }
}

bool LineSource::AtEnd() { return begin_ == end_ && !Fill(); }

}  // namespace krobelnik
