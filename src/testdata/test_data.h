#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/growing_array.h"
#include "input/line_reader.h"
#include "input/quote.h"
#include "testdata/number_line.h"

namespace krobelnik {

// Line 1 of the test data and line 2 of a submission.
inline constexpr std::string_view TaskName = "Krobelnik";

// The longest s a test case may have.
inline constexpr std::int64_t MaxStringLength = 10000000;

// The line of the test data that holds s of test case number: block k
// takes lines 3k, 3k + 1 and 3k + 2.
constexpr std::int64_t LineOfS(std::int32_t number) { return 3 * std::int64_t{number} + 2; }

// The column (from 1) of the first byte where a line differs from TaskName,
// or of the byte past the shorter of the two; head holds the line's first
// bytes, at least one more than TaskName has when the line is that long.
std::int64_t TaskNameColumn(std::string_view head);

// The first bytes of a line read in pieces, as many as TaskNameColumn needs.
struct LineHead {
  char bytes[16] = {};
  std::size_t kept = 0;
  void operator()(const char* data, std::size_t size) {
    for (std::size_t b = 0; b < size && kept < sizeof(bytes); ++b) bytes[kept++] = data[b];
  }
  std::string_view View() const { return std::string_view(bytes, kept); }
};

// Sizes that only the tests and fuzz targets change: how many numbers a
// number line hands on at once, and the longest line of a file that a
// message quotes from memory.
struct TestDataOptions {
  std::size_t numberBatch = MaxNumberBatch;
  std::size_t quoteInMemory = DefaultQuoteInMemory;
};

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
    // Offsets within letters in memory fit in a size_t.
    const auto begin = static_cast<std::size_t>(index == 0 ? 0 : ends_[index - 1]);
    return TestCase{
        static_cast<std::int32_t>(index + 1),
        std::string_view(letters_.Data() + begin, static_cast<std::size_t>(ends_[index]) - begin)};
  }

  // Building: the letters of the next test case are appended, then ended.
  void AddLetters(const char* data, std::size_t size) { letters_.Append(data, size); }
  // The same where at most most more letters can follow in all, so that the
  // letters never take more room than they may need.
  void AddLetters(const char* data, std::size_t size, std::size_t most) {
    letters_.Append(data, size, letters_.Size() + most);
  }
  // The letters appended since the last test case ended.
  std::string_view Pending() const {
    const auto begin = static_cast<std::size_t>(ends_.Size() == 0 ? 0 : ends_[ends_.Size() - 1]);
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
void ReadTestData(LineReader& stream, TestCases& testCases, const TestDataOptions& options = {});

}  // namespace krobelnik
