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
      text_->append(data, size);
    } catch (...) {
      ok_ = false;
    }
  }

  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  char buffer_[1 << 16];
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace krobelnik
