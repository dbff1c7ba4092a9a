#pragma once

#include <cstdint>
#include <string_view>

#include "input/growing_array.h"
#include "input/line_reader.h"

namespace krobelnik {

// Line 1 of the test data and line 2 of a submission.
inline constexpr std::string_view TaskName = "Krobelnik";

// The longest s a test case may have.
inline constexpr std::int64_t MaxStringLength = 10000000;

// One test case: its number and the string s to be represented, a view
// into the TestCases that hold it.
struct TestCase {
  std::int32_t number = 0;
  std::string_view s;
};

// The test cases of a test data file, number k at index k - 1: the letters
// of all of them back to back, and where each one ends. Memory grows with
// the letters and eight bytes a test case, however many there are.
class TestCases {
 public:
  std::size_t Count() const { return ends_.Size(); }
  TestCase operator[](std::size_t index) const {
    const std::uint64_t begin = index == 0 ? 0 : ends_[index - 1];
    return TestCase{static_cast<std::int32_t>(index + 1),
                    std::string_view(letters_.Data() + begin, ends_[index] - begin)};
  }

  // Building: the letters of the next test case are appended, then ended.
  void AddLetters(const char* data, std::size_t size) { letters_.Append(data, size); }
  // The letters appended since the last test case ended.
  std::string_view Pending() const {
    const std::uint64_t begin = ends_.Size() == 0 ? 0 : ends_[ends_.Size() - 1];
    return std::string_view(letters_.Data() + begin, letters_.Size() - begin);
  }
  void EndTestCase() { ends_.Push(letters_.Size()); }
  void Clear() {
    letters_.Clear();
    ends_.Clear();
  }

 private:
  GrowingArray<char> letters_;
  GrowingArray<std::uint64_t> ends_;
};

// Reads the whole test data from an open stream standing at line 1 into
// testCases (emptied first); raises EAssertion at the first defect.
void ReadTestData(LineReader& stream, TestCases& testCases);

}  // namespace krobelnik
