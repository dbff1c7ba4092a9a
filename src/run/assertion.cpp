#include "run/assertion.h"

#include <charconv>
#include <system_error>
#include <utility>

namespace krobelnik {

void Fail(std::int32_t location, std::string message) {
  const std::size_t nul = message.find('\0');
  if (nul != std::string::npos) message.resize(nul);
  throw EAssertion{std::move(message), SourceText, location, std::nullopt};
}

void Fail(std::int32_t location, std::string message, QuotedSpan quote) {
  throw EAssertion{std::move(message), SourceText, location, std::move(quote)};
}

bool FileState(const std::string& path, std::uintmax_t& size,
               std::filesystem::file_time_type& modified) {
  std::error_code sizeError, timeError;
  size = std::filesystem::file_size(path, sizeError);
  modified = std::filesystem::last_write_time(path, timeError);
  return !sizeError && !timeError;
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
