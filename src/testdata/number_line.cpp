#include "testdata/number_line.h"

#include <string>

#include "failure/assertion.h"

namespace krobelnik {

void FailNotDigit(char c, std::int64_t column, const LineContext& context) {
  const auto code = static_cast<unsigned char>(c);
  Fail(55, "namesto stevke se pojavlja znak s kodo " + IntToStr(code),
       context.At(column).AddFact("byte", code));
}

void FailTooLarge(std::uint32_t value, char digit, std::int64_t column,
                  const LineContext& context) {
  Fail(61, "stevilo " + IntToStr(value) + std::string(1, digit) + " je preveliko",
       context.At(column).AddFact("digit", digit - '0'));
}

}  // namespace krobelnik
