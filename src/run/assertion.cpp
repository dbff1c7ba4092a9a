#include "run/assertion.h"

#include <utility>

namespace krobelnik {

void Fail(std::int32_t location, std::string message) {
  const std::size_t nul = message.find('\0');
  if (nul != std::string::npos) message.resize(nul);
  throw EAssertion{std::move(message), SourceText, location};
}

std::size_t FormatInt(std::int64_t value, char* buffer) {
  // Work on the magnitude as unsigned, so the most negative value has one too.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) magnitude = ~magnitude + 1;
  char digits[MaxIntDigits];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::size_t length = 0;
  if (value < 0) buffer[length++] = '-';
  while (count > 0) buffer[length++] = digits[--count];
  return length;
}

std::string IntToStr(std::int64_t value) {
  char buffer[MaxIntDigits];
  return std::string(buffer, FormatInt(value, buffer));
}

}  // namespace krobelnik
