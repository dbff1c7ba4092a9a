#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace krobelnik {

// The single failure type: a finished message for the contestant, the text
// naming the raising unit (never printed) and the location number of the check.
struct EAssertion {
  std::string message;
  std::string source;
  std::int32_t location;
};

// The source text that every failure of the evaluator carries.
inline constexpr const char* SourceText = "Zelvor20Krobelnik";

// Raises EAssertion with location and message, the message cut before its
// first NUL byte (a NUL can only come from a quoted input line).
[[noreturn]] void Fail(std::int32_t location, std::string message);

// Longest decimal rendering of a 64-bit signed value, sign included.
inline constexpr std::size_t MaxIntDigits = 20;

// Writes the decimal rendering of value ("%d": a minus sign when negative, no
// leading zeros) into buffer, which holds MaxIntDigits bytes; returns its length.
std::size_t FormatInt(std::int64_t value, char* buffer);

// Decimal rendering of value, as every number inside a message is rendered.
// Counts and lengths that may pass 32 bits are rendered exactly, never wrapped.
std::string IntToStr(std::int64_t value);

}  // namespace krobelnik
