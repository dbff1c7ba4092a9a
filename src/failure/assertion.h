#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "failure/fault_place.h"
#include "failure/file_identity.h"

namespace krobelnik {

// An input line that a message quotes from its file rather than from memory,
// because it is too long to keep: where it stands, the file it stands in,
// and the message's text after the line. The report writer copies the line
// into the report in pieces.
struct QuotedSpan {
  FileIdentity file;
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::string tail;
};

// The single failure type: a finished message for the contestant, the text
// naming the raising unit (never printed), the location number of the check,
// and where the check stood. With a quote, the message is only its
// beginning: the quoted line and the quote's tail follow it.
struct EAssertion {
  std::string message;
  std::string source;
  std::int32_t location;
  std::optional<QuotedSpan> quote = std::nullopt;
  FaultPlace place = {};
};

// The source text that every failure of the evaluator carries.
inline constexpr const char* SourceText = "Zelvor20Krobelnik";

// Raises EAssertion with location, message and the place of the fault.
[[noreturn]] void Fail(std::int32_t location, std::string message, FaultPlace place);

// Raises EAssertion with location, the beginning of its message, the quoted
// line that continues it, and the place of the fault.
[[noreturn]] void Fail(std::int32_t location, std::string message, QuotedSpan quote,
                       FaultPlace place);

// Longest decimal rendering of a 64-bit signed value, sign included.
inline constexpr std::size_t MaxIntDigits = 20;

// Writes the decimal rendering of value ("%d": a minus sign when negative, no
// leading zeros) into buffer, which holds MaxIntDigits bytes; returns its length.
std::size_t FormatInt(std::int64_t value, char* buffer);

// Decimal rendering of value, as every number inside a message is rendered.
// Counts and lengths that may pass 32 bits are rendered exactly, never wrapped.
std::string IntToStr(std::int64_t value);

}  // namespace krobelnik
