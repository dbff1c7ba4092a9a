#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "input/room.h"
#include "input/text.h"

namespace krobelnik {

// The strings t_1 ... t_k of a section, back to back in one buffer. While
// every string has the same length the offsets follow from it and are not
// stored, so a million one-letter strings cost a million bytes; from the first
// string of another length on, each string has a 32-bit end offset. Offsets
// fit in 32 bits: the score check stops a section long before its strings
// reach 4 GiB.
class StringList {
 public:
  // Takes over the storage of other, emptied, and leaves other without any,
  // so that consecutive sections share one allocation.
  void TakeStorage(StringList& other) {
    letters_ = std::move(other.letters_);
    capacity_ = std::exchange(other.capacity_, 0);
    ends_ = std::move(other.ends_);
    ends_.clear();
    other.ends_.clear();
    size_ = count_ = reserved_ = uniform_ = 0;
    varied_ = false;
    other.size_ = other.count_ = other.reserved_ = other.uniform_ = 0;
    other.varied_ = false;
  }

  // Prepares for count strings, of at least one letter each.
  void Reserve(std::size_t count) {
    reserved_ = count;
    if (count > capacity_ - size_) Grow(count);
  }
  // Adds a copy of the next string.
  void Add(std::string_view string) {
    const std::size_t L = string.size();
    if (L > capacity_ - size_) Grow(L);
    std::memcpy(letters_.get() + size_, string.data(), L);
    Added(L);
  }
  // Adds the next string, of L <= 16 bytes: the first bytes of bytes.
  void AddShort(ShortBytes bytes, std::size_t L) {
    if (capacity_ - size_ < 16) Grow(16);
    KROBELNIK_ASSERT_ROOM(letters_.get() + size_, letters_.get() + capacity_, 16);
    std::memcpy(letters_.get() + size_, &bytes.low, 8);
    std::memcpy(letters_.get() + size_ + 8, &bytes.high, 8);
    Added(L);
  }

  // Adds count strings of one letter each, the letters at letters.
  void AddLetters(const char* letters, std::size_t count) {
    if (count > capacity_ - size_) Grow(count);
    if (varied_ || (count_ > 0 && uniform_ != 1)) {
      for (std::size_t c = 0; c < count; ++c) Add(std::string_view(letters + c, 1));
      return;
    }
    std::memcpy(letters_.get() + size_, letters, count);
    size_ += count;
    count_ += count;
    uniform_ = 1;
  }

  // Ends the list: sixteen zero bytes follow the letters, so that any string
  // of up to sixteen letters can be loaded as two words.
  void Seal() {
    if (capacity_ - size_ < 16) Grow(16);
    KROBELNIK_ASSERT_ROOM(letters_.get() + size_, letters_.get() + capacity_, 16);
    std::memset(letters_.get() + size_, 0, 16);
  }

  // A view of the list for hot loops.
  struct Span {
    const char* letters;
    const char* lettersEnd;
    // nullptr while every string has the length uniform.
    const std::uint32_t* ends;
    std::size_t uniform;
    // String j, counted from 0.
    std::string_view operator[](std::size_t j) const {
      if (ends == nullptr) return std::string_view(letters + j * uniform, uniform);
      return std::string_view(letters + ends[j], ends[j + 1] - ends[j]);
    }
  };
  Span View() const {
    return Span{letters_.get(), letters_.get() + size_, varied_ ? ends_.data() : nullptr, uniform_};
  }

 private:
  // Counts the string of L bytes just copied in.
  void Added(std::size_t L) {
    size_ += L;
    ++count_;
    if (varied_) {
      ends_.push_back(static_cast<std::uint32_t>(size_));
    } else if (count_ == 1) {
      uniform_ = L;
    } else if (L != uniform_) {
      Vary();
    }
  }
  // Makes room for at least more further bytes, doubling the capacity.
  void Grow(std::size_t more);
  // Spells out the offsets of the strings so far, the last of which has a
  // length of its own.
  void Vary();

  // Allocated with malloc, so that growing can use realloc: a large block
  // is then moved by remapping its pages rather than by copying them.
  struct Free {
    void operator()(char* letters) const { std::free(letters); }
  };
  std::unique_ptr<char, Free> letters_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t count_ = 0;
  std::size_t reserved_ = 0;
  std::size_t uniform_ = 0;
  bool varied_ = false;
  std::vector<std::uint32_t> ends_;
};

}  // namespace krobelnik
