#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace krobelnik {

// How many bytes the scanners look at in one step, and with which
// instructions. Plain works on eight-byte words and runs on every machine.
// On x86-64: sse2 on every such processor, avx2 where it also has AVX2,
// BMI1 and BMI2, avx512 where it also has AVX-512 BW, VBMI and VBMI2. In
// WebAssembly: simd128, the 128-bit vectors that every current engine runs.
enum class ScanLevel { Plain, Sse2, Avx2, Avx512, Simd128 };

// Every level, by the name that KROBELNIK_SCAN gives it: plain, then each
// platform's from narrowest to widest. The only list of them: the code, the
// tests, the test runner and the README all take the levels from here.
struct ScanLevelName {
  ScanLevel level;
  std::string_view name;
};
inline constexpr ScanLevelName ScanLevels[] = {
    {ScanLevel::Plain, "plain"},   {ScanLevel::Sse2, "sse2"},       {ScanLevel::Avx2, "avx2"},
    {ScanLevel::Avx512, "avx512"}, {ScanLevel::Simd128, "simd128"},
};

// Whether this build, its processor and its system run level.
bool ScanLevelRuns(ScanLevel level);

// The widest level that runs here: the last of ScanLevels that does.
ScanLevel SupportedScanLevel();

// The level in use: the supported one, unless the environment variable
// KROBELNIK_SCAN names another that runs here, to check or measure the
// narrower paths.
ScanLevel ActiveScanLevel();

// The level a name stands for; false for any other name. The run takes an
// unknown name as no name at all.
bool ParseScanLevel(std::string_view name, ScanLevel& level);

// Uses level from now on, or the supported level when level does not run
// here.
void SetScanLevel(ScanLevel level);

// The line feeds of a 64-byte window, one bit per byte (bit b for byte b),
// and where the window starts.
struct LineFeedWindow {
  std::size_t base;
  std::uint64_t mask;
};

// What a run of number conversion did: where it stopped, and how many
// numbers it stored.
struct NumberRun {
  const char* stop;
  std::size_t count;
};

// The room a number conversion needs at its output for each block of 64
// bytes, which holds at most 32 numbers; it may store all of it.
inline constexpr std::size_t ConverterSlots = 32;

// How many bytes a number conversion needs ahead of a block: the block, and
// 8 more so that a number starting in its last byte can be loaded whole.
inline constexpr std::ptrdiff_t NumberBlockReach = 72;

// The operations of one level. Each does its whole job in one call; every
// level has all of them, the plain one included, so no caller checks for a
// missing one.
struct Scanners {
  // The first whole 64-byte window from p, among those that fit in size
  // bytes, that holds a line feed: its start (from p) and its line feeds. When
  // none does, base is where the whole windows end and mask is 0; the bytes
  // after them are the caller's.
  LineFeedWindow (*findLineFeeds)(const char* p, std::size_t size);
  // Index of the first of size bytes at p that is not a lowercase letter, or
  // size when all are.
  std::size_t (*findNonLetter)(const char* p, std::size_t size);
  // Converts the numbers of whole 64-byte blocks from p, which must not stand
  // inside a number, into out: block by block while at least
  // NumberBlockReach bytes remain before end, out has ConverterSlots of its
  // room left, and a block holds only digits and white space and no number
  // of nine digits or more. A number that runs on past its block is left to
  // the next block. Stops at the first block that fails these, never inside a
  // number; a number of 64 digits or more stops it too.
  NumberRun (*convertNumbers)(const char* p, const char* end, std::uint32_t* out, std::size_t room);
  // The line feeds, and the bytes that are not lowercase letters, of the 64
  // bytes at p, one bit per byte; all 64 must be readable.
  std::uint64_t (*lineFeeds)(const char* p);
  std::uint64_t (*nonLetters)(const char* p);
};

namespace detail {
extern Scanners activeScanners;
}  // namespace detail

// The operations of the active level; stable until SetScanLevel.
inline const Scanners& ActiveScanners() { return detail::activeScanners; }

}  // namespace krobelnik
