#pragma once

#include <cstdint>

#include "answer/string_list.h"
#include "answer/walk_budget.h"
#include "failure/fault_place.h"
#include "input/line_reader.h"
#include "testdata/test_data.h"

namespace krobelnik {

class IndexWatch;

// One answer section: the test case it answers, the strings t, the counts k
// and r, and the score. The indices are walked as they are read, not kept.
struct AnswerBlock {
  std::int32_t testCaseNumber = 0;
  TestCase testCase;
  StringList t;
  std::int32_t k = 0;
  std::int32_t r = 0;
  std::int32_t score = 0;
};

// What only the tests, the fuzz targets and the explanations change: how
// many numbers a number line hands on at once, whether every test case gets
// its substring index at its first section rather than when its walks run
// over their budget (for the tests), and a watch told of every index line
// as it is read (for the explanations that show more than the verdict; the
// evaluator sets none).
struct AnswerOptions {
  std::size_t numberBatch = MaxNumberBatch;
  bool alwaysIndex = false;
  IndexWatch* watch = nullptr;
};

// Reads one answer section after its number line (the k-and-r line, k string
// lines, the index line), advancing lineCounter by one per line read; checks
// it against testCase and leaves its score in block. Every field but t's
// storage starts afresh. Raises EAssertion at the first fault, placed in the
// section that starts at line lineCounter - 1.
// With budget, the run's account of what its walks cost each test case.
void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase,
                     const AnswerOptions& options = {}, WalkBudget* budget = nullptr);

// The largest score a section may have.
inline constexpr std::int32_t MaxScore = 2147483647;

// Raises EAssertion 142 for string t_j of length L on the line that line
// describes: with it, the score would pass MaxScore.
[[noreturn]] void FailScore(std::int64_t j, std::int64_t L, const LineContext& line);

// The score after string t_j of length L is counted; raises EAssertion 142,
// on the line that line() makes, when it would pass MaxScore.
template <class Line>
std::int32_t AddToScore(std::int32_t score, std::int64_t L, std::int64_t j, Line&& line) {
  if (L > std::int64_t{MaxScore} - score) FailScore(j, L, line());
  return static_cast<std::int32_t>(score + L);
}

}  // namespace krobelnik
