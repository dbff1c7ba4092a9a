#include "input/text.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "input/byte_scan.h"

namespace krobelnik {

std::size_t FindNonLetterInLong(const char* data, std::size_t size) {
  std::size_t q = 0;
  if (const auto nonLetters = ActiveScanners().nonLetters; nonLetters != nullptr) {
    for (; size - q >= 64; q += 64) {
      const std::uint64_t bad = nonLetters(data + q);
      if (bad != 0) return q + static_cast<std::size_t>(std::countr_zero(bad));
    }
  }
  for (; size - q >= 8; q += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + q, 8);
    if (NonLetterBytes(word) != 0) break;
  }
  for (; q < size; ++q)
    if (!IsLowerLetter(data[q])) return q;
  return size;
}

}  // namespace krobelnik
