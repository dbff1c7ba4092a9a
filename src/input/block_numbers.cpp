#include "input/block_numbers.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "input/byte_scan.h"
#include "input/room.h"
#include "input/text.h"

namespace krobelnik {

namespace {

// Hands each number of the block to take(c, word, length), c counting from
// 0: the eight bytes from its first digit, and its count of digits. Returns
// how many there were.
template <class Take>
std::size_t EachNumber(const char* p, std::uint64_t starts, std::uint64_t ends, Take&& take) {
  std::size_t count = 0;
  for (; starts != 0; ++count) {
    const int first = std::countr_zero(starts);
    const int last = std::countr_zero(ends);
    starts &= starts - 1;
    ends &= ends - 1;
    std::uint64_t word;
    std::memcpy(&word, p + first, 8);
    take(count, word, last - first + 1);
  }
  return count;
}

}  // namespace

#if defined(__x86_64__)

// GCC's own intrinsics leave a register undefined on purpose, which its
// flow analysis then reports.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Eight numbers at a time: each 8-byte lane gathers the eight bytes that end
// at its number's last digit, bytes before the number's first digit become
// zero digits, and multiply-adds combine the digits pairwise.
__attribute__((target("avx512bw,avx512vbmi,avx512vbmi2"))) std::size_t BlockNumbers512(
    const char* p, std::uint64_t starts, std::uint64_t ends, std::uint32_t* out) {
  alignas(64) static constexpr std::array<char, 64> Iota = [] {
    std::array<char, 64> bytes{};
    for (int b = 0; b < 64; ++b) bytes[static_cast<std::size_t>(b)] = static_cast<char>(b);
    return bytes;
  }();
  alignas(64) static constexpr std::array<char, 64> LaneOfByte = [] {
    std::array<char, 64> bytes{};
    for (int b = 0; b < 64; ++b) bytes[static_cast<std::size_t>(b)] = static_cast<char>(b / 8);
    return bytes;
  }();
  alignas(64) static constexpr std::array<char, 64> BackFromEnd = [] {
    std::array<char, 64> bytes{};
    for (int b = 0; b < 64; ++b) bytes[static_cast<std::size_t>(b)] = static_cast<char>(b % 8 - 7);
    return bytes;
  }();
  const __m512i bytes = _mm512_loadu_si512(p);
  const __m512i iota = _mm512_load_si512(Iota.data());
  const __m512i firsts = _mm512_maskz_compress_epi8(starts, iota);
  const __m512i lasts = _mm512_maskz_compress_epi8(ends, iota);
  const __m512i laneOfByte = _mm512_load_si512(LaneOfByte.data());
  const __m512i backFromEnd = _mm512_load_si512(BackFromEnd.data());
  const auto count = static_cast<std::size_t>(std::popcount(starts));
  for (std::size_t done = 0; done < count; done += 8) {
    const __m512i lane = _mm512_add_epi8(laneOfByte, _mm512_set1_epi8(static_cast<char>(done)));
    const __m512i first = _mm512_permutexvar_epi8(lane, firsts);
    const __m512i at = _mm512_add_epi8(_mm512_permutexvar_epi8(lane, lasts), backFromEnd);
    const __mmask64 inNumber = _mm512_cmpge_epi8_mask(at, first);
    const __m512i digits =
        _mm512_maskz_sub_epi8(inNumber, _mm512_permutexvar_epi8(at, bytes), _mm512_set1_epi8('0'));
    const __m512i pairs = _mm512_maddubs_epi16(digits, _mm512_set1_epi16(0x010a));
    const __m512i quads = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00010064));
    const __m512i values = _mm512_add_epi64(_mm512_mul_epu32(quads, _mm512_set1_epi64(10000)),
                                            _mm512_srli_epi64(quads, 32));
    KROBELNIK_ASSERT_ROOM(out + done, out + ConverterSlots, 8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + done), _mm512_cvtepi64_epi32(values));
  }
  return count;
}

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// Four numbers at a time: each number's digits are moved, as the last bytes
// of a word, behind zero digits, and multiply-adds combine the digits of four
// words together.
__attribute__((target("avx2,bmi,bmi2"))) std::size_t BlockNumbers256(const char* p,
                                                                     std::uint64_t starts,
                                                                     std::uint64_t ends,
                                                                     std::uint32_t* out) {
  alignas(32) std::array<std::uint64_t, 36> words;
  const std::size_t count =
      EachNumber(p, starts, ends, [&words](std::size_t c, std::uint64_t word, int length) {
        // A borrow of a byte after the number moves only to later bytes,
        // which the shift drops. The room asked for includes the zero words
        // below.
        KROBELNIK_ASSERT_ROOM(words.data() + c, words.data() + words.size(), 4);
        words[c] = (word - 0x3030303030303030ULL) << (64 - 8 * length);
      });
  for (std::size_t w = count; w < count + 3; ++w) words[w] = 0;
  for (std::size_t done = 0; done < count; done += 4) {
    const __m256i digits = _mm256_load_si256(reinterpret_cast<const __m256i*>(words.data() + done));
    const __m256i pairs = _mm256_maddubs_epi16(digits, _mm256_set1_epi16(0x010a));
    const __m256i quads = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
    const __m256i values = _mm256_add_epi64(_mm256_mul_epu32(quads, _mm256_set1_epi64x(10000)),
                                            _mm256_srli_epi64(quads, 32));
    const __m256i low =
        _mm256_permutevar8x32_epi32(values, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
    KROBELNIK_ASSERT_ROOM(out + done, out + ConverterSlots, 4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm256_castsi256_si128(low));
  }
  return count;
}

#endif

std::size_t BlockNumbersPlain(const char* p, std::uint64_t starts, std::uint64_t ends,
                              std::uint32_t* out) {
  return EachNumber(p, starts, ends, [out](std::size_t c, std::uint64_t word, int length) {
    KROBELNIK_ASSERT_ROOM(out + c, out + ConverterSlots, 1);
    out[c] = ShortNumber(word, length);
  });
}

}  // namespace krobelnik
