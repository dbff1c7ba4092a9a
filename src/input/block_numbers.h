#pragma once

#include <cstddef>
#include <cstdint>

namespace krobelnik {

// The block converters, one per instruction set: the values of the numbers
// of the 64 bytes at p that start at the bits of starts and end at the bits
// of ends (their last digits), each of at most eight digits, in order into
// out; they return the count. Eight bytes from each start can be read. 64
// bytes hold at most 32 numbers, and a converter may store all
// ConverterSlots slots of out however few it finds. Each scan level calls
// its own.

// One number at a time, on any machine.
std::size_t BlockNumbersPlain(const char* p, std::uint64_t starts, std::uint64_t ends,
                              std::uint32_t* out);

#if defined(__x86_64__)
// Four numbers at a time; needs AVX2, BMI1 and BMI2.
std::size_t BlockNumbers256(const char* p, std::uint64_t starts, std::uint64_t ends,
                            std::uint32_t* out);
// Eight numbers at a time; needs AVX-512 BW, VBMI and VBMI2.
std::size_t BlockNumbers512(const char* p, std::uint64_t starts, std::uint64_t ends,
                            std::uint32_t* out);
#endif

}  // namespace krobelnik
