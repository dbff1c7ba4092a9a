#include "failure/assertion.h"

#include <cstdint>
#include <limits>

#include "test_support.h"

namespace krobelnik {
namespace {

TEST(IntToStr, RendersLikePercentD) {
  const struct {
    std::int64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {-1, "-1"},
      {10000000, "10000000"},
      {2147483647, "2147483647"},
      {-2147483647 - 1, "-2147483648"},
      {2147483648LL, "2147483648"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& c : cases) EXPECT_EQ(IntToStr(c.value), c.text);
}

TEST(Fail, CarriesLocationMessageAndSource) {
  try {
    Fail(132, "stevilo k", FaultPlace{});
    FAIL() << "Fail returned";
  } catch (const EAssertion& failure) {
    EXPECT_EQ(failure.location, 132);
    EXPECT_EQ(failure.message, "stevilo k");
    EXPECT_FALSE(failure.source.empty());
  }
}

}  // namespace
}  // namespace krobelnik
