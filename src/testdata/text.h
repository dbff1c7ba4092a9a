#pragma once

#include <cstddef>
#include <cstdint>

namespace krobelnik {

// White space of the "C" locale: bytes 9 to 13 and 32; never a byte of 128 or more.
inline bool IsWhiteSpace(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u == 32 || (u >= 9 && u <= 13);
}

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The alphabet of s and of every t_j: bytes 97 to 122.
inline bool IsLowerLetter(char c) { return static_cast<unsigned char>(c - 'a') < 26; }

// The high bit of every byte of word that is not a lowercase letter, and
// maybe of bytes after the first such one (a carry moves only upwards).
inline std::uint64_t NonLetterBytes(std::uint64_t word) {
  // A byte is a letter when its high bit is clear, adding 0x1f sets the high
  // bit (byte >= 0x61) and adding 0x05 does not (byte < 0x7b). With every high
  // bit clear no addition carries across bytes.
  constexpr std::uint64_t High = 0x8080808080808080ULL;
  constexpr std::uint64_t Low = 0x1f1f1f1f1f1f1f1fULL;
  constexpr std::uint64_t Top = 0x0505050505050505ULL;
  return (word | ~(word + Low) | (word + Top)) & High;
}

// The mask of the first `count` bytes (1 to 8) of a little-endian word.
inline std::uint64_t LowBytes(std::size_t count) { return ~std::uint64_t{0} >> (64 - 8 * count); }

// FindNonLetter for ranges of eight bytes or more.
std::size_t FindNonLetterInLong(const char* data, std::size_t size);

// Index of the first byte of [data, data + size) that is not a lowercase
// letter, or size when all of them are.
inline std::size_t FindNonLetter(const char* data, std::size_t size) {
  if (size >= 8) return FindNonLetterInLong(data, size);
  for (std::size_t q = 0; q < size; ++q)
    if (!IsLowerLetter(data[q])) return q;
  return size;
}

}  // namespace krobelnik
