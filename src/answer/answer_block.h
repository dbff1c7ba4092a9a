#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "testdata/line_reader.h"
#include "testdata/test_data.h"

namespace krobelnik {

// The strings t_1 ... t_k of a section, back to back in one buffer with an
// end offset each, so that millions of short strings cost a few bytes apiece.
// Offsets fit in 32 bits: the score check stops a section long before its
// strings reach 4 GiB.
class StringList {
 public:
  StringList() : ends_{0} {}

  // Prepares room for count strings of at least one byte each.
  void Reserve(std::size_t count);
  // Bytes of the string being added; Commit ends it.
  void Append(const char* data, std::size_t size) { letters_.append(data, size); }
  void Commit() { ends_.push_back(static_cast<std::uint32_t>(letters_.size())); }
  // The string being added (not yet committed).
  std::string_view Pending() const { return std::string_view(letters_).substr(ends_.back()); }

  std::size_t Size() const { return ends_.size() - 1; }
  // String j, counted from 0.
  std::string_view operator[](std::size_t j) const {
    return std::string_view(letters_.data() + ends_[j], ends_[j + 1] - ends_[j]);
  }

 private:
  std::string letters_;
  std::vector<std::uint32_t> ends_;
};

// One answer section: the test case it answers, the index sequence i, the
// strings t, the counts k and r, and the score.
struct AnswerBlock {
  std::int32_t testCaseNumber = 0;
  const TestCase* testCase = nullptr;
  std::vector<std::int32_t> i;
  StringList t;
  std::int32_t k = 0;
  std::int32_t r = 0;
  std::int32_t score = 0;
};

// Reads one answer section after its number line (the k-and-r line, k string
// lines, the index line), advancing lineCounter by one per line read; checks
// it against testCase and leaves its score in block. Raises EAssertion.
void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase);

// The score after string t_j of length L is counted; raises EAssertion 142
// when the score would pass 2147483647.
std::int32_t AddToScore(std::int32_t score, std::int64_t L, std::int64_t j);

}  // namespace krobelnik
