// Random valid answers are accepted with the score they deserve; random
// single mutations of them always end in one well-formed report.

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "../fuzz/fuzz_checks.h"
#include "run/run_eval.h"
#include "test_support.h"

namespace krobelnik {
namespace {

// The report of a whole run over the two texts.
std::string Verdict(const std::string& testData, const std::string& submission) {
  std::string text;
  EXPECT_TRUE(VerdictText(Input::Text(testData), Input::Text(submission), text));
  return text;
}

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : random_(seed) {}

  std::size_t Below(std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

  std::string Letters(std::size_t size, std::size_t alphabet) {
    std::string s(size, 'a');
    for (char& c : s) c = static_cast<char>('a' + Below(alphabet));
    return s;
  }

  // One accepted section for test case number against s: a random cut of s,
  // its distinct pieces shuffled with duplicates and unused strings.
  std::string Section(std::int32_t number, const std::string& s, const std::string& eol,
                      std::int64_t& score) {
    std::vector<std::string> pieces;
    for (std::size_t p = 0; p < s.size();) {
      const std::size_t size =
          std::min(s.size() - p, 1 + Below(std::min<std::size_t>(s.size(), 9)));
      pieces.push_back(s.substr(p, size));
      p += size;
    }
    std::vector<std::string> t = pieces;
    for (std::size_t extra = Below(4); extra > 0; --extra)
      t.push_back(Below(2) == 0 ? t[Below(t.size())] : Letters(1 + Below(s.size()), 26));
    t.resize(std::min(t.size(), s.size()));  // k may not exceed n
    for (std::size_t j = t.size(); j > 1; --j) std::swap(t[j - 1], t[Below(j)]);
    std::string out = std::to_string(number) + eol + std::to_string(t.size()) + " " +
                      std::to_string(pieces.size()) + eol;
    score = static_cast<std::int64_t>(pieces.size());
    for (const std::string& tj : t) {
      out += tj + eol;
      score += static_cast<std::int64_t>(tj.size());
    }
    for (std::size_t p = 0; p < pieces.size(); ++p) {
      std::size_t j = 0;
      while (t[j] != pieces[p]) ++j;
      if (p > 0) out += ' ';
      out += std::to_string(j + 1);
    }
    return out + eol;
  }

 private:
  std::mt19937_64 random_;
};

struct Case {
  std::string testData;
  std::string submission;
  std::string report;
};

Case RandomCase(Generator& g) {
  const std::string eol = g.Below(4) == 0 ? "\r\n" : "\n";
  const std::size_t alphabet = std::vector<std::size_t>{1, 2, 3, 26}[g.Below(4)];
  std::vector<std::string> strings(1 + g.Below(4));
  Case c;
  c.testData = "Krobelnik" + eol + std::to_string(strings.size()) + eol;
  for (std::size_t k = 0; k < strings.size(); ++k) {
    strings[k] = g.Letters(1 + g.Below(40), alphabet);
    c.testData.append(eol).append(std::to_string(k + 1)).append(eol).append(strings[k]).append(eol);
  }
  c.submission = "123456" + eol + "Krobelnik" + eol;
  const std::size_t sections = g.Below(6);
  c.report = "OK\n" + std::to_string(sections) + "\n";
  for (std::size_t e = 0; e < sections; ++e) {
    for (std::size_t blank = g.Below(3) == 0 ? g.Below(3) : 0; blank > 0; --blank)
      c.submission += eol;
    // Some test cases are answered more than once.
    const auto number = static_cast<std::int32_t>(1 + g.Below(strings.size()));
    std::int64_t score = 0;
    c.submission += g.Section(number, strings[static_cast<std::size_t>(number) - 1], eol, score);
    c.report += std::to_string(number) + " " + std::to_string(score) + "\n";
  }
  if (g.Below(3) == 0 && c.submission.size() >= eol.size())
    c.submission.resize(c.submission.size() - eol.size());  // no final line end
  return c;
}

TEST(Property, RandomValidAnswersAreAcceptedWithTheirScore) {
  Generator g(20261208);
  for (int round = 0; round < 2000; ++round) {
    const Case c = RandomCase(g);
    ASSERT_EQ(Verdict(c.testData, c.submission), c.report) << "round " << round << "\n"
                                                           << c.testData << "\n---\n"
                                                           << c.submission;
  }
}

TEST(Property, RandomMutationsAlwaysGiveOneWellFormedReport) {
  Generator g(7);
  const char bytes[] = {'\n', '\r', ' ', '0', '1', '9', 'a', 'z', 'A', '-', '+', '\0', '\xff', '%'};
  for (int round = 0; round < 3000; ++round) {
    Case c = RandomCase(g);
    std::string& target = g.Below(4) == 0 ? c.testData : c.submission;
    if (target.empty()) continue;
    const std::size_t at = g.Below(target.size());
    const char byte = bytes[g.Below(sizeof bytes)];
    switch (g.Below(3)) {
      case 0:
        target[at] = byte;
        break;
      case 1:
        target.insert(at, 1, byte);
        break;
      default:
        target.erase(at, 1);
    }
    const std::string report = Verdict(c.testData, c.submission);
    const char* problem = fuzz::ReportFormProblem(report);
    ASSERT_EQ(problem, nullptr) << problem << "\n" << report;
  }
}

}  // namespace
}  // namespace krobelnik
