#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace krobelnik {

// How many bytes the scanners below look at in one step, and with which
// instructions. Plain works on eight-byte words and runs on every machine;
// the others exist on x86-64 only.
enum class ScanLevel { Plain, Sse2, Avx2, Avx512 };

// The widest level this processor and its system support.
ScanLevel SupportedScanLevel();

// The level in use: the supported one, unless the environment variable
// KROBELNIK_SCAN names a narrower one, to check or measure the narrower paths.
ScanLevel ActiveScanLevel();

// The level a name stands for ("plain", "sse2", "avx2", "avx512"); false for
// any other name. The run takes an unknown name as no name at all.
bool ParseScanLevel(std::string_view name, ScanLevel& level);

// Uses level from now on, or the supported level when level is wider.
void SetScanLevel(ScanLevel level);

// The classes of 64 consecutive bytes, one bit per byte (bit b for byte b).
struct ByteClasses {
  std::uint64_t digits;
  std::uint64_t spaces;
};

// The room a block converter needs at its output.
inline constexpr std::size_t ConverterSlots = 32;

// Scanners of 64 bytes at p, all 64 of which must be readable. Every level
// has all of them.
struct Scanners {
  // Digits ('0' to '9') and white space (bytes 9 to 13 and 32).
  ByteClasses (*numberBytes)(const char* p);
  // Line feeds.
  std::uint64_t (*lineFeeds)(const char* p);
  // Bytes that are not lowercase letters.
  std::uint64_t (*nonLetters)(const char* p);
  // The values of the numbers of the 64 bytes at p that start at the bits of
  // starts and end at the bits of ends (their last digits), each of at most
  // eight digits, in order into out; returns their count. Eight bytes from
  // each start can be read. 64 bytes hold at most 32 numbers, and the
  // converter may store all ConverterSlots slots of out however few it finds.
  std::size_t (*blockNumbers)(const char* p, std::uint64_t starts, std::uint64_t ends,
                              std::uint32_t* out);
};

namespace detail {
extern Scanners activeScanners;
}  // namespace detail

// The scanners of the active level; stable until SetScanLevel.
inline const Scanners& ActiveScanners() { return detail::activeScanners; }

}  // namespace krobelnik
