#include "testdata/number_line.h"

#include <algorithm>
#include <string>

#include "run/assertion.h"

namespace krobelnik {

void FailNotDigit(char c) {
  Fail(55, "namesto stevke se pojavlja znak s kodo " + IntToStr(static_cast<unsigned char>(c)));
}

void FailTooLarge(std::uint32_t value, char digit) {
  Fail(61, "stevilo " + IntToStr(value) + std::string(1, digit) + " je preveliko");
}

namespace {

std::size_t numberBatchSize = MaxNumberBatch;

}  // namespace

std::size_t NumberBatchSize() { return numberBatchSize; }

void SetNumberBatchSize(std::size_t size) {
  numberBatchSize = std::clamp(size, ConverterSlots, MaxNumberBatch);
}

}  // namespace krobelnik
