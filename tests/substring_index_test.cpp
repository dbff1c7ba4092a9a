#include "answer/substring_index.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "answer/walk_budget.h"
#include "input/spare_memory.h"
#include "run/run_eval.h"
#include "test_support.h"

namespace krobelnik {
namespace {

// The suffixes of s in order, by sorting them as strings.
std::vector<std::int32_t> SortedSuffixes(const std::string& s) {
  std::vector<std::int32_t> order(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) order[i] = static_cast<std::int32_t>(i);
  std::sort(order.begin(), order.end(), [&s](std::int32_t a, std::int32_t b) {
    return s.compare(static_cast<std::size_t>(a), std::string::npos, s, static_cast<std::size_t>(b),
                     std::string::npos) < 0;
  });
  return order;
}

std::size_t DirectPrefix(const std::string& s, std::size_t p, std::size_t q) {
  std::size_t h = 0;
  while (p + h < s.size() && q + h < s.size() && s[p + h] == s[q + h]) ++h;
  return h;
}

// The suffix array, its common prefixes and every query of the index
// against the plain definitions.
void ExpectIndexOf(const std::string& s) {
  SCOPED_TRACE(s.size() < 80 ? s : s.substr(0, 80) + "...");
  const std::vector<std::int32_t> sa = SuffixArrayOfLetters(s);
  ASSERT_EQ(sa, SortedSuffixes(s));
  const std::vector<std::uint32_t> lcp = CommonPrefixes(s, sa);
  for (std::size_t i = 1; i < s.size(); ++i)
    ASSERT_EQ(lcp[i], DirectPrefix(s, static_cast<std::size_t>(sa[i - 1]),
                                   static_cast<std::size_t>(sa[i])));
  SubstringIndex index;
  ASSERT_TRUE(index.Build(s));
  // Every pair for strings of a few periods of the sample, a sample of
  // pairs for longer ones.
  const std::size_t step = s.size() <= 300 ? 1 : s.size() / 61;
  for (std::size_t p = 0; p < s.size(); p += step) {
    for (std::size_t q = 0; q < s.size(); q += step) {
      const std::size_t h = DirectPrefix(s, p, q);
      ASSERT_EQ(index.CommonPrefix(p, q), h) << p << " " << q;
      const std::size_t room = s.size() - std::max(p, q);
      for (const std::size_t length : {std::size_t{0}, h, h + 1, room}) {
        if (length > room) continue;
        ASSERT_EQ(index.Equal(p, q, length), h >= length);
      }
    }
  }
}

TEST(SubstringIndex, EveryShortStringOverSmallAlphabets) {
  for (const auto& [alphabet, longest] : {std::pair{2, 10}, std::pair{3, 6}}) {
    for (int length = 1; length <= longest; ++length) {
      int count = 1;
      for (int i = 0; i < length; ++i) count *= alphabet;
      for (int code = 0; code < count; ++code) {
        std::string s;
        for (int i = 0, c = code; i < length; ++i, c /= alphabet)
          s += static_cast<char>('a' + c % alphabet);
        ExpectIndexOf(s);
        if (HasFatalFailure()) return;
      }
    }
  }
}

TEST(SubstringIndex, RandomPeriodicAndFibonacciStrings) {
  std::mt19937 random(31);
  const auto letters = [&random](std::size_t size, int alphabet) {
    std::string s(size, 'a');
    for (char& c : s) c = static_cast<char>('a' + random() % static_cast<unsigned>(alphabet));
    return s;
  };
  std::vector<std::string> strings = {std::string(3000, 'a'), "z"};
  std::string a = "a", b = "ab";
  while (b.size() < 5000) {
    std::string next = b + a;
    a = std::move(b);
    b = std::move(next);
  }
  strings.push_back(b);
  for (int round = 0; round < 40; ++round) {
    const int alphabet = 1 + round % 4 * 8;
    strings.push_back(letters(1 + random() % 2000, alphabet));
    std::string block = letters(1 + random() % 50, alphabet), periodic;
    while (periodic.size() < 1500) periodic += block;
    strings.push_back(periodic + letters(random() % 3, alphabet));
    // Runs of one letter, of random lengths.
    std::string runs;
    while (runs.size() < 1000) runs += std::string(1 + random() % 40, letters(1, 3)[0]);
    strings.push_back(runs);
  }
  for (const std::string& s : strings) {
    ExpectIndexOf(s);
    if (HasFatalFailure()) return;
  }
}

// The walk with the index made for every test case reports exactly what
// the walk without it reports: on every end-to-end case and every input of
// the fuzz corpora, and on repetitive strings whose sections use long
// strings again and again, with faults put into them.
TEST(SubstringIndex, TheWalkWithItReportsExactlyAsWithout) {
  const auto verdicts = [](const std::string& testData, const std::string& submission) {
    std::string plain, indexed;
    EXPECT_TRUE(VerdictText(Input::Text(testData), Input::Text(submission), plain));
    ReadOptions options;
    options.answers.alwaysIndex = true;
    EXPECT_TRUE(VerdictText(Input::Text(testData), Input::Text(submission), indexed, options));
    return std::pair{plain, indexed};
  };
  const std::string source = KROBELNIK_SOURCE_DIR;
  int inputs = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(testing::Native(source + "/tests/cases"))) {
    const std::string folder = testing::Utf8(entry.path());
    const auto [plain, indexed] = verdicts(testing::ReadFile(folder + "/testdata.txt"),
                                           testing::ReadFile(folder + "/submission.txt"));
    EXPECT_EQ(indexed, plain) << folder;
    ++inputs;
  }
  const std::string fixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";
  for (const char* target : {"run", "parsers"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(testing::Native(source + "/fuzz/corpus/" + target))) {
      const std::string bytes = testing::ReadFile(testing::Utf8(entry.path()));
      const std::size_t split = bytes.find('\x1e');
      const auto [plain, indexed] =
          verdicts(split == std::string::npos ? fixedTestData : bytes.substr(0, split),
                   split == std::string::npos ? bytes : bytes.substr(split + 1));
      EXPECT_EQ(indexed, plain) << entry.path();
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 20);

  std::mt19937 random(1208);
  for (int round = 0; round < 300; ++round) {
    // s repeats a block of 64 to 200 letters; the strings are the block,
    // its two halves and a run of a few blocks, each used many times.
    std::string block(64 + random() % 137, 'a');
    for (char& c : block)
      c = static_cast<char>('a' + random() % (1 + static_cast<unsigned>(round) % 3));
    std::string s;
    const std::size_t blocks = 4 + random() % 12;
    for (std::size_t b = 0; b < blocks; ++b) s += block;
    const std::string half1 = block.substr(0, block.size() / 2),
                      half2 = block.substr(block.size() / 2);
    std::vector<std::string> t = {block, half1, half2, block + block};
    std::string indices;
    std::size_t r = 0;
    for (std::size_t b = 0; b < blocks; ++r) {
      const auto choice = random() % 3;
      if (choice == 0 || b + 1 == blocks) {
        indices += "1 ";
        b += 1;
      } else if (choice == 1) {
        indices += "2 3 ";
        ++r;
        b += 1;
      } else {
        indices += "4 ";
        b += 2;
      }
    }
    // A fault: a letter of a string, an index, or the end of s.
    switch (random() % 5) {
      case 0:
        t[random() % 4][random() % 32] = 'z';
        break;
      case 1:
        indices += "1 ";
        ++r;
        break;
      case 2:
        s += "q";
        break;
      case 3:
        indices[indices.size() - 2] = static_cast<char>('1' + random() % 5);
        break;
      default:
        break;
    }
    std::string submission = "000000\nKrobelnik\n";
    // The section twice, so that the second walk meets strings already
    // anchored.
    for (int copy = 0; copy < 2; ++copy) {
      submission += "1\n4 " + std::to_string(r) + "\n";
      for (const std::string& tj : t) submission += tj + "\n";
      submission += indices + "\n";
    }
    const auto [plain, indexed] = verdicts("Krobelnik\n1\n\n1\n" + s + "\n", submission);
    ASSERT_EQ(indexed, plain) << "round " << round;
  }
}

// The budget's indexes: built when a test case's walks run over budget,
// given back the one used longest ago first and never the one a walk holds,
// through the run's spare memory as any failing allocation asks for it;
// and a test case whose index was given back gets it again only when its
// walks run over a budget twice as large.
TEST(WalkBudget, GivesIndexesBackOldestFirstAndRebuildsOnADoubledBudget) {
  std::mt19937 random(5);
  const auto letters = [&random](std::size_t size) {
    std::string s(size, 'a');
    for (char& c : s) c = static_cast<char>('a' + random() % 3);
    return s;
  };
  const std::string one = letters(5000), two = letters(6000);
  WalkBudget budget(two.size());
  // Within budget: no index, and nothing to give back.
  budget.Spend(1, one, 4 * (one.size() + 100), 100);
  EXPECT_EQ(budget.IndexFor(1, one), nullptr);
  EXPECT_FALSE(budget.Release());
  // Over it: built, and right.
  budget.Spend(1, one, 1, 0);
  const SubstringIndex* first = budget.IndexFor(1, one);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->CommonPrefix(10, 10 + 64), DirectPrefix(one, 10, 10 + 64));
  EXPECT_EQ(budget.Builds(), 1U);
  // Held by a walk, it is not given back.
  EXPECT_FALSE(ReleaseSpareMemory());
  budget.Spend(1, one, 0, 50);
  budget.Spend(2, two, 4 * (two.size() + 10) + 1, 10);
  ASSERT_NE(budget.IndexFor(2, two), nullptr);
  EXPECT_EQ(budget.Builds(), 2U);
  EXPECT_GT(budget.LiveBytes(), one.size() + two.size());
  // Test case 2's walk holds its index: test case 1's goes, then none.
  EXPECT_TRUE(ReleaseSpareMemory());
  EXPECT_FALSE(budget.Release());
  budget.Spend(2, two, 0, 10);
  EXPECT_TRUE(budget.Release());
  EXPECT_EQ(budget.LiveBytes(), 0U);
  // Test case 1 again: the budget before was 4 (n + bytes); now twice that.
  budget.Spend(1, one, 4 * (one.size() + 100) + 1, 100);
  EXPECT_EQ(budget.IndexFor(1, one), nullptr);
  budget.Spend(1, one, 4 * (one.size() + 100), 0);
  EXPECT_NE(budget.IndexFor(1, one), nullptr);
  EXPECT_EQ(budget.Builds(), 3U);
}

}  // namespace
}  // namespace krobelnik
