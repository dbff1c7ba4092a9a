#include "testdata/line_reader.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace krobelnik {

LineReader::LineReader(const std::string& path, std::size_t bufferSize)
    : file_(std::fopen(path.c_str(), "r")),
      buffer_(new char[std::max<std::size_t>(bufferSize, 2)]),
      capacity_(std::max<std::size_t>(bufferSize, 2)) {
  // The buffer here is the only one: the stream reads straight into it.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
}

// A text shorter than the buffer needs no more buffer than its own size.
LineReader::LineReader(InMemory, std::string text, std::size_t bufferSize)
    : memory_(std::move(text)),
      capacity_(std::max<std::size_t>(std::min(bufferSize, memory_.size() + 1), 2)) {
  buffer_.reset(new char[capacity_]);
}

LineReader::~LineReader() { Close(); }

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  memory_.clear();
  memoryPos_ = 0;
  begin_ = end_ = 0;
}

bool LineReader::Refill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const std::size_t room = capacity_ - end_;
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

bool LineReader::ReadLine(std::string_view& line) {
  // Bytes after begin_ already searched for a line feed in vain.
  std::size_t searched = 0;
  for (;;) {
    const char* b = buffer_.get() + begin_;
    const std::size_t size = end_ - begin_;
    const void* lineFeed = std::memchr(b + searched, '\n', size - searched);
    if (lineFeed != nullptr) {
      std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lineFeed) - b);
      begin_ += length + 1;
      if (length > 0 && b[length - 1] == '\r') --length;
      line = std::string_view(b, length);
      return true;
    }
    searched = size;
    if (size == capacity_) break;
    if (!Refill()) {
      if (size == 0) return false;
      line = std::string_view(buffer_.get() + begin_, size);
      begin_ = end_;
      return true;
    }
  }
  // The line is longer than the buffer: gather it whole.
  spill_.clear();
  ReadLineInPieces([this](const char* data, std::size_t size) { spill_.append(data, size); });
  line = spill_;
  return true;
}

}  // namespace krobelnik
