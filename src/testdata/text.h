#pragma once

#include <cstddef>

namespace krobelnik {

// White space of the "C" locale: bytes 9 to 13 and 32; never a byte of 128 or more.
inline bool IsWhiteSpace(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u == 32 || (u >= 9 && u <= 13);
}

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The alphabet of s and of every t_j: bytes 97 to 122.
inline bool IsLowerLetter(char c) { return static_cast<unsigned char>(c - 'a') < 26; }

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
