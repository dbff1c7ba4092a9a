#pragma once

#include <cstddef>
#include <cstdint>

namespace krobelnik {

// The block converters of Scanners::blockNumbers, one per instruction set;
// the dispatch picks the widest that the processor runs.

// One number at a time, on any machine.
std::size_t BlockNumbersPlain(const char* p, std::uint64_t starts, std::uint64_t ends,
                              std::uint32_t* out);

// The widest converter this processor runs at the level of 256-bit registers
// (avx512 false) or of 512-bit ones (avx512 true); x86-64 only.
using BlockConverter = std::size_t (*)(const char*, std::uint64_t, std::uint64_t, std::uint32_t*);
BlockConverter WidestBlockConverter(bool avx512);

}  // namespace krobelnik
