#include "failure/assertion.h"

#include <charconv>
#include <system_error>
#include <utility>

namespace krobelnik {

void Fail(std::int32_t location, std::string message, FaultPlace place) {
  throw EAssertion{std::move(message), SourceText, location, std::nullopt, std::move(place)};
}

void Fail(std::int32_t location, std::string message, QuotedSpan quote, FaultPlace place) {
  throw EAssertion{std::move(message), SourceText, location, std::move(quote), std::move(place)};
}

std::size_t FormatInt(std::int64_t value, char* buffer) {
  // MaxIntDigits holds every 64-bit value, so the conversion cannot run short.
  const std::to_chars_result result = std::to_chars(buffer, buffer + MaxIntDigits, value);
  return static_cast<std::size_t>(result.ptr - buffer);
}

std::string IntToStr(std::int64_t value) {
  char buffer[MaxIntDigits];
  return std::string(buffer, FormatInt(value, buffer));
}

}  // namespace krobelnik
