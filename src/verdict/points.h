#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "run/report.h"
#include "testdata/test_data.h"

namespace krobelnik {

// Points from scores, for judges that want a number. A section's score is
// r plus the letters of its strings, lower is better. For each test case of
// the test data, the submission's best (lowest) accepted score s against
// the jury's best b gives min(1, b / s), and a test case it does not answer
// gives 0; the points are the mean over all the test cases, from 0 to 1. A
// rejected submission gets none: the evaluator rejects a submission whole.
// The raw total is the sum of s over the test cases, a test case not
// answered counting as the plainest answer, all of s as one string
// (|s| + 1): lower is better, as with the scores.

// One test case: the jury's best score, the submission's (0 for none), and
// the points they give.
struct TestCasePoints {
  std::int32_t jury = 0;
  std::int32_t best = 0;
  double points = 0;
};

struct PointsTable {
  std::vector<TestCasePoints> testCases;
  // The mean of the test cases' points, from 0 to 1.
  double points = 0;
  std::int64_t rawTotal = 0;
  std::int64_t juryTotal = 0;
  std::int64_t answered = 0;
  // The first test case (from 1) that the jury's answer does not answer, 0
  // when it answers them all; the table is empty then.
  std::int64_t juryMissing = 0;
};

// The points of an accepted submission's results against the jury's
// accepted results, for testCases.
PointsTable Points(std::span<const ResultEntry> jury, std::span<const ResultEntry> submission,
                   const TestCases& testCases);

// The first test case (from 1) of count that results do not answer, 0 when
// they answer them all.
std::int64_t FirstUnanswered(std::span<const ResultEntry> results, std::size_t count);

// A number from 0 to 1 as a judge reads it: the shortest decimal that reads
// back as value, in fixed notation.
std::string PointsText(double value);

}  // namespace krobelnik
