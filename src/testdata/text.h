#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Up to sixteen bytes of a string, loaded as two little-endian words.
struct ShortBytes {
  std::uint64_t low;
  std::uint64_t high;
};

// The sixteen bytes at p, all of which must be readable.
inline ShortBytes LoadShort(const char* p) {
  ShortBytes bytes;
  std::memcpy(&bytes.low, p, 8);
  std::memcpy(&bytes.high, p + 8, 8);
  return bytes;
}

// The index of the first set high bit among the first L (1 to 16) bytes of
// marks, or L when there is none.
inline std::size_t FirstMarked(ShortBytes marks, std::size_t L) {
  const std::uint64_t low = marks.low & LowBytes(L < 8 ? L : 8);
  if (low != 0) return static_cast<std::size_t>(std::countr_zero(low)) / 8;
  if (L <= 8) return L;
  const std::uint64_t high = marks.high & LowBytes(L - 8);
  if (high != 0) return 8 + static_cast<std::size_t>(std::countr_zero(high)) / 8;
  return L;
}

// The index of the first of the first L bytes that is not a lowercase
// letter, or L.
inline std::size_t FirstNonLetter(ShortBytes bytes, std::size_t L) {
  return FirstMarked({NonLetterBytes(bytes.low), NonLetterBytes(bytes.high)}, L);
}

// The index of the first of the first L bytes in which a and b differ, or L.
inline std::size_t FirstDifference(ShortBytes a, ShortBytes b, std::size_t L) {
  // Any differing bit of a byte is moved to its high bit.
  const auto marks = [](std::uint64_t x) {
    return (x | ((x & 0x7f7f7f7f7f7f7f7fULL) + 0x7f7f7f7f7f7f7f7fULL)) & 0x8080808080808080ULL;
  };
  return FirstMarked({marks(a.low ^ b.low), marks(a.high ^ b.high)}, L);
}

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
