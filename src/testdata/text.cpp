#include "testdata/text.h"

#include <cstdint>
#include <cstring>

namespace krobelnik {

std::size_t FindNonLetterInLong(const char* data, std::size_t size) {
  // Eight bytes at a time: a byte is a letter when its high bit is clear,
  // adding 0x1f sets the high bit (byte >= 0x61) and adding 0x05 does not
  // (byte < 0x7b). With every high bit clear no addition carries across bytes.
  constexpr std::uint64_t High = 0x8080808080808080ULL;
  constexpr std::uint64_t Low = 0x1f1f1f1f1f1f1f1fULL;
  constexpr std::uint64_t Top = 0x0505050505050505ULL;
  std::size_t q = 0;
  while (size - q >= 8) {
    std::uint64_t word;
    std::memcpy(&word, data + q, 8);
    if (((word | ~(word + Low) | (word + Top)) & High) != 0) break;
    q += 8;
  }
  for (; q < size; ++q)
    if (!IsLowerLetter(data[q])) return q;
  return size;
}

}  // namespace krobelnik
