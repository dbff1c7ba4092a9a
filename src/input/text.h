#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "input/byte_scan.h"

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

// The high bit of every byte of word (little-endian: byte 0 lowest) that is
// not a digit, and of none below the first such byte. A byte's carry or
// borrow can only reach later bytes, and only from a byte that is no digit.
inline std::uint64_t NonDigitBytes(std::uint64_t word) {
  return ((word + 0x4646464646464646ULL) | (word - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
}

// The value of the first `length` bytes of word (1 to 8 digits, the first
// most significant): they are moved up behind leading '0' bytes and the
// eight digits are combined pairwise in three multiplications.
inline std::uint32_t ShortNumber(std::uint64_t word, int length) {
  const int shift = 8 * length;
  std::uint64_t digits = (word << (64 - shift)) | ((0x3030303030303030ULL >> (shift - 8)) >> 8);
  digits -= 0x3030303030303030ULL;
  digits = digits * 10 + (digits >> 8);
  digits = ((digits & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
            ((digits >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
           32;
  return static_cast<std::uint32_t>(digits);
}

// ShortNumber for any length of 1 to 8 digits: most numbers of a line are
// indices of one or two digits, which need no multiplication tree.
inline std::uint32_t SmallNumber(std::uint64_t word, int length) {
  const auto first = static_cast<std::uint32_t>(word & 0xff) - '0';
  if (length == 1) return first;
  if (length == 2) return first * 10 + static_cast<std::uint32_t>((word >> 8) & 0xff) - '0';
  return ShortNumber(word, length);
}

// The value of the length digits at p (nine or more, and eight bytes from
// each can be read), into value; false when it would pass 2147483647.
inline bool LongNumber(const char* p, int length, std::uint32_t& value) {
  constexpr std::uint64_t EightZeros = 0x3030303030303030ULL;
  std::uint64_t word;
  // Leading zeros go eight at a time while more than nine digits are left.
  for (std::memcpy(&word, p, 8); length > 9 && word == EightZeros; std::memcpy(&word, p, 8)) {
    p += 8;
    length -= 8;
  }
  if (length <= 8) {
    value = ShortNumber(word, length);
    return true;
  }
  // Nine digits never pass 2147483647; from the tenth on each is checked.
  value = ShortNumber(word, 8) * 10 + static_cast<std::uint32_t>(p[8] - '0');
  for (int d = 9; d < length; ++d) {
    const auto digit = static_cast<std::uint32_t>(p[d] - '0');
    if (value > 214748364U || (value == 214748364U && digit > 7)) return false;
    value = value * 10 + digit;
  }
  return true;
}

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

// The mask of the first L (0 to 8) bytes of a word.
constexpr std::uint64_t FirstBytes(std::size_t L) {
  return L >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * L)) - 1;
}

// For each L from 0 to 16, the masks of the first L bytes of two words.
inline constexpr auto ShortMasks = [] {
  std::array<ShortBytes, 17> masks{};
  for (std::size_t L = 0; L <= 16; ++L)
    masks[L] = ShortBytes{FirstBytes(L), L <= 8 ? 0 : FirstBytes(L - 8)};
  return masks;
}();

// Whether the first L (1 to 16) bytes are all lowercase letters.
inline bool AllLetters(ShortBytes bytes, std::size_t L) {
  const ShortBytes mask = ShortMasks[L];
  return ((NonLetterBytes(bytes.low) & mask.low) | (NonLetterBytes(bytes.high) & mask.high)) == 0;
}

// Whether the first L (1 to 16) bytes of a and b are equal.
inline bool SameStart(ShortBytes a, ShortBytes b, std::size_t L) {
  const ShortBytes mask = ShortMasks[L];
  return (((a.low ^ b.low) & mask.low) | ((a.high ^ b.high) & mask.high)) == 0;
}

// FindNonLetter for the bytes from q on, eight at a time and then one by
// one: the end of a range, after the whole blocks a scan level takes.
inline std::size_t FindNonLetterInTail(const char* data, std::size_t q, std::size_t size) {
  for (; size - q >= 8; q += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + q, 8);
    if (NonLetterBytes(word) != 0) break;
  }
  for (; q < size; ++q)
    if (!IsLowerLetter(data[q])) return q;
  return size;
}

// Index of the first byte of [data, data + size) that is not a lowercase
// letter, or size when all of them are.
inline std::size_t FindNonLetter(const char* data, std::size_t size) {
  if (size >= 8) return ActiveScanners().findNonLetter(data, size);
  return FindNonLetterInTail(data, 0, size);
}

}  // namespace krobelnik
