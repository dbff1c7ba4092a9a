#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/line_reader.h"

namespace krobelnik {

// Line 1 of the test data and line 2 of a submission.
inline constexpr std::string_view TaskName = "Krobelnik";

// The longest s a test case may have.
inline constexpr std::int64_t MaxStringLength = 10000000;

// One test case: its number and the string s to be represented.
struct TestCase {
  std::int32_t number = 0;
  std::string s;
};

// Reads the whole test data from an open stream standing at line 1 into
// testCases (emptied first); raises EAssertion at the first defect.
void ReadTestData(LineReader& stream, std::vector<TestCase>& testCases);

// Reads the three lines of one block (separator, number, s) into testCase,
// advancing lineNumber by one for each line attempted; raises EAssertion.
void ReadTestCase(LineReader& stream, std::int64_t& lineNumber, TestCase& testCase);

}  // namespace krobelnik
