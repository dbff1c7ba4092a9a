#include "testdata/byte_scan.h"

#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "testdata/room.h"

namespace krobelnik {

namespace {

#if defined(__x86_64__)

// Each level classifies 64 bytes with its widest registers. A byte is in
// [low, low + count) exactly when byte - low, taken as unsigned, is at most
// count - 1, which the narrower levels test as min(x, count - 1) == x.

__attribute__((target("avx512bw"))) ByteClasses NumberBytes512(const char* p) {
  const __m512i v = _mm512_loadu_si512(p);
  const __mmask64 digits =
      _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('0')), _mm512_set1_epi8(10));
  const __mmask64 spaces =
      _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(9)), _mm512_set1_epi8(5)) |
      _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(' '));
  return {digits, spaces};
}

__attribute__((target("avx512bw"))) std::uint64_t LineFeeds512(const char* p) {
  return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8('\n'));
}

__attribute__((target("avx512bw"))) std::uint64_t NonLetters512(const char* p) {
  const __m512i v = _mm512_loadu_si512(p);
  return _mm512_cmpge_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('a')), _mm512_set1_epi8(26));
}

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
  std::size_t count = 0;
  while (starts != 0) {
    const int first = std::countr_zero(starts);
    const int last = std::countr_zero(ends);
    starts &= starts - 1;
    ends &= ends - 1;
    std::uint64_t word;
    std::memcpy(&word, p + first, 8);
    // A borrow of a byte after the number moves only to later bytes, which
    // the shift drops. The room asked for includes the zero words below.
    KROBELNIK_ASSERT_ROOM(words.data() + count, words.data() + words.size(), 4);
    words[count++] = (word - 0x3030303030303030ULL) << (64 - 8 * (last - first + 1));
  }
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

// The mask of the 32 bytes of v that lie in [low, low + count).
__attribute__((target("avx2"))) inline std::uint32_t InRange256(__m256i v, char low, char count) {
  const __m256i x = _mm256_sub_epi8(v, _mm256_set1_epi8(low));
  const __m256i in =
      _mm256_cmpeq_epi8(_mm256_min_epu8(x, _mm256_set1_epi8(static_cast<char>(count - 1))), x);
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(in));
}

__attribute__((target("avx2"))) inline std::uint32_t Equal256(__m256i v, char c) {
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(c))));
}

__attribute__((target("avx2"))) ByteClasses NumberBytes256(const char* p) {
  ByteClasses classes{0, 0};
  for (std::size_t half = 0; half < 2; ++half) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * half));
    classes.digits |= std::uint64_t{InRange256(v, '0', 10)} << (32 * half);
    classes.spaces |= std::uint64_t{InRange256(v, 9, 5) | Equal256(v, ' ')} << (32 * half);
  }
  return classes;
}

__attribute__((target("avx2"))) std::uint64_t LineFeeds256(const char* p) {
  std::uint64_t mask = 0;
  for (std::size_t half = 0; half < 2; ++half) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * half));
    mask |= std::uint64_t{Equal256(v, '\n')} << (32 * half);
  }
  return mask;
}

__attribute__((target("avx2"))) std::uint64_t NonLetters256(const char* p) {
  std::uint64_t letters = 0;
  for (std::size_t half = 0; half < 2; ++half) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * half));
    letters |= std::uint64_t{InRange256(v, 'a', 26)} << (32 * half);
  }
  return ~letters;
}

inline std::uint32_t InRange128(__m128i v, char low, char count) {
  const __m128i x = _mm_sub_epi8(v, _mm_set1_epi8(low));
  const __m128i in =
      _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(static_cast<char>(count - 1))), x);
  return static_cast<std::uint32_t>(_mm_movemask_epi8(in));
}

inline std::uint32_t Equal128(__m128i v, char c) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))));
}

ByteClasses NumberBytes128(const char* p) {
  ByteClasses classes{0, 0};
  for (std::size_t quarter = 0; quarter < 4; ++quarter) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * quarter));
    classes.digits |= std::uint64_t{InRange128(v, '0', 10)} << (16 * quarter);
    classes.spaces |= std::uint64_t{InRange128(v, 9, 5) | Equal128(v, ' ')} << (16 * quarter);
  }
  return classes;
}

std::uint64_t LineFeeds128(const char* p) {
  std::uint64_t mask = 0;
  for (std::size_t quarter = 0; quarter < 4; ++quarter) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * quarter));
    mask |= std::uint64_t{Equal128(v, '\n')} << (16 * quarter);
  }
  return mask;
}

std::uint64_t NonLetters128(const char* p) {
  std::uint64_t letters = 0;
  for (std::size_t quarter = 0; quarter < 4; ++quarter) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * quarter));
    letters |= std::uint64_t{InRange128(v, 'a', 26)} << (16 * quarter);
  }
  return ~letters;
}

#endif

#if defined(__x86_64__)
// The four-at-a-time converter, where the processor also has the bit
// instructions it uses.
std::size_t (*Converter256())(const char*, std::uint64_t, std::uint64_t, std::uint32_t*) {
  return __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") ? BlockNumbers256
                                                                         : nullptr;
}
#endif

Scanners ScannersOf(ScanLevel level) {
  switch (level) {
#if defined(__x86_64__)
    case ScanLevel::Avx512:
      return {NumberBytes512, LineFeeds512, NonLetters512,
              __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2")
                  ? BlockNumbers512
                  : Converter256()};
    case ScanLevel::Avx2:
      return {NumberBytes256, LineFeeds256, NonLetters256, Converter256()};
    case ScanLevel::Sse2:
      return {NumberBytes128, LineFeeds128, NonLetters128, nullptr};
#endif
    default:
      return {nullptr, nullptr, nullptr, nullptr};
  }
}

// The level a name in the environment asks for; the supported one when the
// name is missing or unknown.
ScanLevel RequestedLevel() {
  const char* name = std::getenv("KROBELNIK_SCAN");
  if (name == nullptr) return SupportedScanLevel();
  if (std::strcmp(name, "plain") == 0) return ScanLevel::Plain;
  if (std::strcmp(name, "sse2") == 0) return ScanLevel::Sse2;
  if (std::strcmp(name, "avx2") == 0) return ScanLevel::Avx2;
  return SupportedScanLevel();
}

ScanLevel Supported(ScanLevel level) {
  const ScanLevel supported = SupportedScanLevel();
  return static_cast<int>(level) > static_cast<int>(supported) ? supported : level;
}

ScanLevel activeLevel = Supported(RequestedLevel());

}  // namespace

Scanners detail::activeScanners = ScannersOf(activeLevel);

ScanLevel SupportedScanLevel() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  // The processor's own test also checks that the system saves the wide
  // registers on a task switch.
  if (__builtin_cpu_supports("avx512bw")) return ScanLevel::Avx512;
  if (__builtin_cpu_supports("avx2")) return ScanLevel::Avx2;
  return ScanLevel::Sse2;
#else
  return ScanLevel::Plain;
#endif
}

ScanLevel ActiveScanLevel() { return activeLevel; }

void SetScanLevel(ScanLevel level) {
  activeLevel = Supported(level);
  detail::activeScanners = ScannersOf(activeLevel);
}

}  // namespace krobelnik
