#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "failure/assertion.h"

namespace krobelnik {

// Collects bytes for a file in a fixed buffer and hands them to it in large
// writes; remembers whether any write fell short. For a file it allocates
// nothing, so it can write while memory is exhausted. It can collect into a
// text instead, where running out of memory counts as a short write.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* file) : file_(file) {}
  explicit OutputBuffer(std::string& text) : text_(&text) {}
  // Collects into head only its first most bytes, and into tail the last
  // TailBytes of the rest; leftOut counts the bytes between, which are
  // dropped. Memory stays bounded however much is put.
  static constexpr std::size_t TailBytes = 64;
  OutputBuffer(std::string& head, std::size_t most, std::string& tail, std::uint64_t& leftOut)
      : text_(&head), most_(most), tail_(&tail), leftOut_(&leftOut) {}
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void Put(std::string_view text) {
    if (text.size() > sizeof(buffer_) - used_) {
      Flush();
      if (text.size() > sizeof(buffer_)) {
        Write(text.data(), text.size());
        return;
      }
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
  }

  void PutInt(std::int64_t value) {
    char digits[MaxIntDigits];
    Put(std::string_view(digits, FormatInt(value, digits)));
  }

  // Writes what is left; returns whether every write succeeded.
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  void Flush() {
    Write(buffer_, used_);
    used_ = 0;
  }
  void Write(const char* data, std::size_t size) {
    if (size == 0) return;
    if (file_ != nullptr) {
      if (std::fwrite(data, 1, size, file_) != size) ok_ = false;
      return;
    }
    try {
      if (tail_ == nullptr) {
        text_->append(data, size);
        return;
      }
      const std::size_t room = most_ > text_->size() ? most_ - text_->size() : 0;
      const std::size_t head = size < room ? size : room;
      text_->append(data, head);
      if (head == size) return;
      // Only the last TailBytes of the rest can stay.
      const char* const rest = data + head;
      const std::size_t restSize = size - head;
      if (restSize >= TailBytes) {
        *leftOut_ += tail_->size() + restSize - TailBytes;
        tail_->assign(rest + restSize - TailBytes, TailBytes);
        return;
      }
      tail_->append(rest, restSize);
      if (tail_->size() > TailBytes) {
        const std::size_t dropped = tail_->size() - TailBytes;
        *leftOut_ += dropped;
        tail_->erase(0, dropped);
      }
    } catch (...) {
      ok_ = false;
    }
  }

  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  std::size_t most_ = 0;
  std::string* tail_ = nullptr;
  std::uint64_t* leftOut_ = nullptr;
  char buffer_[1 << 16];
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace krobelnik
