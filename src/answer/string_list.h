#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "input/growing_array.h"
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
  // Empties the list; its storage stays for the next strings.
  void Clear() {
    letters_.Clear();
    ends_.Clear();
    count_ = reserved_ = uniform_ = 0;
    varied_ = false;
  }

  // Prepares for count strings, of at least one letter each.
  void Reserve(std::size_t count) {
    reserved_ = count;
    letters_.Room(count);
  }
  // Adds a copy of the next string.
  void Add(std::string_view string) {
    letters_.Append(string.data(), string.size());
    Added(string.size());
  }
  // Adds the next string, of L <= 16 bytes: the first bytes of bytes.
  void AddShort(ShortBytes bytes, std::size_t L) {
    char* room = letters_.Room(16);
    std::memcpy(room, &bytes.low, 8);
    std::memcpy(room + 8, &bytes.high, 8);
    letters_.Added(L);
    Added(L);
  }

  // Adds count strings of one letter each, the letters at letters.
  void AddLetters(const char* letters, std::size_t count) {
    if (varied_ || (count_ > 0 && uniform_ != 1)) {
      for (std::size_t c = 0; c < count; ++c) Add(std::string_view(letters + c, 1));
      return;
    }
    letters_.Append(letters, count);
    count_ += count;
    uniform_ = 1;
  }

  // Ends the list: sixteen zero bytes follow the letters, so that any string
  // of up to sixteen letters can be loaded as two words.
  void Seal() { std::memset(letters_.Room(16), 0, 16); }

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
    return Span{letters_.Data(), letters_.Data() + letters_.Size(),
                varied_ ? ends_.Data() : nullptr, uniform_};
  }

 private:
  // Counts the string of L bytes just added to the letters.
  void Added(std::size_t L) {
    ++count_;
    if (varied_) {
      ends_.Push(static_cast<std::uint32_t>(letters_.Size()));
    } else if (count_ == 1) {
      uniform_ = L;
    } else if (L != uniform_) {
      Vary();
    }
  }
  // Spells out the offsets of the strings so far, the last of which has a
  // length of its own.
  void Vary();

  GrowingArray<char> letters_;
  std::size_t count_ = 0;
  std::size_t reserved_ = 0;
  std::size_t uniform_ = 0;
  bool varied_ = false;
  GrowingArray<std::uint32_t> ends_;
};

}  // namespace krobelnik
