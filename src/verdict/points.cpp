#include "verdict/points.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace krobelnik {

namespace {

// The lowest score of each test case (from 1; index 0 unused), 0 where none.
std::vector<std::int32_t> BestScores(std::span<const ResultEntry> results, std::size_t count) {
  std::vector<std::int32_t> best(count + 1, 0);
  for (const ResultEntry& entry : results) {
    std::int32_t& score = best[static_cast<std::size_t>(entry.testCaseNumber)];
    if (score == 0 || entry.score < score) score = entry.score;
  }
  return best;
}

}  // namespace

std::int64_t FirstUnanswered(std::span<const ResultEntry> results, std::size_t count) {
  const std::vector<std::int32_t> best = BestScores(results, count);
  for (std::size_t k = 1; k <= count; ++k)
    if (best[k] == 0) return static_cast<std::int64_t>(k);
  return 0;
}

PointsTable Points(std::span<const ResultEntry> jury, std::span<const ResultEntry> submission,
                   const TestCases& testCases) {
  PointsTable table;
  const std::size_t count = testCases.Count();
  table.juryMissing = FirstUnanswered(jury, count);
  if (table.juryMissing != 0) return table;
  const std::vector<std::int32_t> juryBest = BestScores(jury, count);
  const std::vector<std::int32_t> best = BestScores(submission, count);
  table.testCases.reserve(count);
  double sum = 0;
  for (std::size_t k = 1; k <= count; ++k) {
    TestCasePoints row{juryBest[k], best[k], 0};
    table.juryTotal += row.jury;
    if (row.best > 0) {
      row.points = row.jury >= row.best ? 1.0 : static_cast<double>(row.jury) / row.best;
      table.rawTotal += row.best;
      ++table.answered;
    } else {
      table.rawTotal += static_cast<std::int64_t>(testCases[k - 1].s.size()) + 1;
    }
    sum += row.points;
    table.testCases.push_back(row);
  }
  table.points = count == 0 ? 0 : sum / static_cast<double>(count);
  return table;
}

std::string PointsText(double value) {
  // The fewest decimals that read back as value, never with an exponent,
  // which some judges do not parse. Points lie from 0 to 1, where 1100
  // decimals reach the least double.
  std::string text(1200, '\0');
  for (int decimals = 0; decimals <= 1100; ++decimals) {
    const int length = std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    if (length > 0 && std::strtod(text.c_str(), nullptr) == value) {
      text.resize(static_cast<std::size_t>(length));
      break;
    }
  }
  return text;
}

}  // namespace krobelnik
