#include "bench_workloads.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <stdexcept>
#include <unordered_map>

namespace krobelnik::bench {

namespace {

// splitmix64: the same sequence on every platform and library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
  char Letter() { return static_cast<char>('a' + Below(26)); }

 private:
  std::uint64_t state_;
};

template <class T>
void Shuffle(std::vector<T>& items, Random& random) {
  for (std::size_t j = items.size(); j > 1; --j) std::swap(items[j - 1], items[random.Below(j)]);
}

// A file written through a large buffer.
class Output {
 public:
  explicit Output(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
    if (file_ == nullptr) throw std::runtime_error("cannot write " + path);
  }
  ~Output() {
    Flush();
    std::fclose(file_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void Put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (1 << 20)) Flush();
  }
  void Put(char c) { buffer_.push_back(c); }
  void Put(std::int64_t value) { Put(std::string_view(std::to_string(value))); }

 private:
  void Flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    buffer_.clear();
  }
  std::FILE* file_;
  std::string buffer_;
};

// One answer section: its test case, its strings and its index sequence.
struct Section {
  std::int64_t testCase;
  std::vector<std::string> t;
  std::vector<std::int64_t> i;
  // Indices on the index line beyond the r that i counts.
  std::vector<std::int64_t> extra = {};
  // Each index with 5 to 20 leading zeros, and runs of spaces and tabs
  // between them.
  bool padded = false;
};

std::string RandomLetters(Random& random, std::int64_t n) {
  std::string s(static_cast<std::size_t>(n), 'a');
  for (char& c : s) c = random.Letter();
  return s;
}

// Pseudo-words with a skewed frequency, concatenated to n letters.
std::string Text(Random& random, std::int64_t n) {
  std::vector<std::string> words(5000);
  for (auto& word : words)
    word = RandomLetters(random, 2 + static_cast<std::int64_t>(random.Below(7)));
  std::string s;
  s.reserve(static_cast<std::size_t>(n) + 16);
  while (static_cast<std::int64_t>(s.size()) < n) {
    // Squaring a uniform draw favours the first words, as in real text.
    const double u = static_cast<double>(random.Below(1 << 20)) / (1 << 20);
    s += words[static_cast<std::size_t>(u * u * static_cast<double>(words.size()))];
  }
  s.resize(static_cast<std::size_t>(n));
  return s;
}

// Greedy LZ78: each phrase is the longest earlier phrase plus one letter.
Section Phrases(std::int64_t testCase, const std::string& s) {
  Section section{testCase, {}, {}};
  std::unordered_map<std::uint64_t, std::uint32_t> child;  // (node << 5 | letter) -> node
  std::vector<std::int64_t> phraseOfNode{0};
  std::size_t p = 0;
  while (p < s.size()) {
    std::uint64_t node = 0;
    std::size_t q = p;
    while (q < s.size()) {
      const auto next = child.find(node << 5 | static_cast<std::uint64_t>(s[q] - 'a'));
      if (next == child.end()) break;
      node = next->second;
      ++q;
    }
    if (q < s.size()) {
      const auto added = static_cast<std::uint32_t>(phraseOfNode.size());
      child.emplace(node << 5 | static_cast<std::uint64_t>(s[q] - 'a'), added);
      phraseOfNode.push_back(0);
      node = added;
      ++q;
    }
    if (phraseOfNode[node] == 0) {
      section.t.push_back(s.substr(p, q - p));
      phraseOfNode[node] = static_cast<std::int64_t>(section.t.size());
    }
    section.i.push_back(phraseOfNode[node]);
    p = q;
  }
  return section;
}

void WriteTestData(const std::string& path, const std::vector<std::string>& cases) {
  Output out(path);
  out.Put("Krobelnik\n");
  out.Put(static_cast<std::int64_t>(cases.size()));
  out.Put('\n');
  for (std::size_t c = 0; c < cases.size(); ++c) {
    out.Put("\n");
    out.Put(static_cast<std::int64_t>(c + 1));
    out.Put('\n');
    out.Put(std::string_view(cases[c]));
    out.Put('\n');
  }
}

// Writes the submission and returns the success report it deserves.
std::string WriteSubmission(const std::string& path, const std::vector<Section>& sections) {
  Output out(path);
  out.Put("123456\nKrobelnik\n");
  std::string report = "OK\n" + std::to_string(sections.size()) + "\n";
  for (const Section& section : sections) {
    out.Put(section.testCase);
    out.Put('\n');
    out.Put(static_cast<std::int64_t>(section.t.size()));
    out.Put(' ');
    out.Put(static_cast<std::int64_t>(section.i.size()));
    out.Put('\n');
    std::int64_t score = static_cast<std::int64_t>(section.i.size());
    for (const std::string& t : section.t) {
      out.Put(std::string_view(t));
      out.Put('\n');
      score += static_cast<std::int64_t>(t.size());
    }
    static constexpr std::string_view Zeros = "00000000000000000000";
    static constexpr std::string_view Gaps[] = {" ", "\t", "  ", " \t ", "\t\t", "   \t"};
    for (std::size_t p = 0; p < section.i.size(); ++p) {
      if (p > 0) out.Put(section.padded ? Gaps[p * 7 % 6] : " ");
      if (section.padded) out.Put(Zeros.substr(0, 5 + p * 13 % 16));
      out.Put(section.i[p]);
    }
    for (const std::int64_t x : section.extra) {
      out.Put(' ');
      out.Put(x);
    }
    out.Put("\n\n");
    report += std::to_string(section.testCase) + " " + std::to_string(score) + "\n";
  }
  return report;
}

// A submission of count sections that go round cycle, written as they go
// rather than kept; returns the report.
std::string WriteRepeatedSections(const std::string& path, const std::vector<Section>& cycle,
                                  std::int64_t count) {
  std::vector<std::string> texts, lines;
  for (const Section& section : cycle) {
    std::string text = std::to_string(section.testCase) + "\n" + std::to_string(section.t.size()) +
                       " " + std::to_string(section.i.size()) + "\n";
    std::int64_t score = static_cast<std::int64_t>(section.i.size());
    for (const std::string& t : section.t) {
      text += t + "\n";
      score += static_cast<std::int64_t>(t.size());
    }
    for (std::size_t p = 0; p < section.i.size(); ++p) {
      if (p > 0) text += ' ';
      text += std::to_string(section.i[p]);
    }
    texts.push_back(text + "\n");
    lines.push_back(std::to_string(section.testCase) + " " + std::to_string(score) + "\n");
  }
  Output out(path);
  out.Put("123456\nKrobelnik\n");
  std::string report = "OK\n" + std::to_string(count) + "\n";
  for (std::int64_t c = 0; c < count; ++c) {
    const auto at = static_cast<std::size_t>(c) % texts.size();
    out.Put(std::string_view(texts[at]));
    report += lines[at];
  }
  return report;
}

// The shapes on which each section's walk would compare all of s: s = a^n
// answered by a^5000 used 2000 times; s = B^(n / 10^4) for a random block B
// answered by B, or by its two halves in turn; two such test cases answered
// in turn. sections sections of each.
std::string Repetitive(const std::string& shape, std::int64_t n, std::int64_t sections,
                       Random& random, std::vector<std::string>& cases,
                       const std::string& submission) {
  const auto repeat = [](const std::string& block, std::int64_t times) {
    std::string s;
    s.reserve(block.size() * static_cast<std::size_t>(times));
    for (std::int64_t b = 0; b < times; ++b) s += block;
    return s;
  };
  const auto ones = [](std::size_t count, std::vector<std::int64_t> pattern) {
    std::vector<std::int64_t> indices;
    while (indices.size() < count) indices.insert(indices.end(), pattern.begin(), pattern.end());
    return indices;
  };
  constexpr std::int64_t Block = 10000;
  std::vector<Section> cycle;
  if (shape == "a") {
    cases.push_back(std::string(static_cast<std::size_t>(n), 'a'));
    cycle.push_back(
        Section{1, {std::string(5000, 'a')}, ones(static_cast<std::size_t>(n / 5000), {1})});
  } else if (shape == "block" || shape == "halves" || shape == "two") {
    for (std::int64_t c = 1; c <= (shape == "two" ? 2 : 1); ++c) {
      const std::string block = RandomLetters(random, Block);
      cases.push_back(repeat(block, n / Block));
      if (shape == "halves") {
        cycle.push_back(Section{c,
                                {block.substr(0, Block / 2), block.substr(Block / 2)},
                                ones(static_cast<std::size_t>(2 * n / Block), {1, 2})});
      } else {
        cycle.push_back(Section{c, {block}, ones(static_cast<std::size_t>(n / Block), {1})});
      }
    }
  } else if (shape == "fibonacci" || shape == "fibonacci-two" || shape == "fibonacci-ten") {
    // The longest Fibonacci word of at most n letters (of ten times fewer
    // for ten test cases), no distance repeating in it, answered by the two
    // Fibonacci words of some 2600 and 1600 letters in the order it is made
    // of them; the test cases in turn.
    const std::int64_t count = shape == "fibonacci" ? 1 : shape == "fibonacci-two" ? 2 : 10;
    std::vector<std::string> words = {"a", "ab"};
    while (static_cast<std::int64_t>(words.back().size() + words[words.size() - 2].size()) <=
           (count == 10 ? n / 10 : n))
      words.push_back(words.back() + words[words.size() - 2]);
    std::size_t k = 0;
    while (words[k].size() < 2000) ++k;
    std::vector<std::int64_t> indices;
    for (std::vector<std::size_t> open = {words.size() - 1}; !open.empty();) {
      const std::size_t w = open.back();
      open.pop_back();
      if (w == k || w == k - 1) {
        indices.push_back(w == k ? 1 : 2);
      } else {
        open.push_back(w - 2);
        open.push_back(w - 1);
      }
    }
    for (std::int64_t c = 1; c <= count; ++c) {
      cases.push_back(words.back());
      cycle.push_back(Section{c, {words[k], words[k - 1]}, indices});
    }
  } else {
    throw std::runtime_error("unknown repetitive shape " + shape);
  }
  return WriteRepeatedSections(submission, cycle, sections);
}

Section OneLetterStrings(const std::string& s) {
  Section section{1, {}, {}};
  section.t.reserve(s.size());
  for (char c : s) section.t.emplace_back(1, c);
  section.i.resize(s.size());
  std::iota(section.i.begin(), section.i.end(), 1);
  return section;
}

}  // namespace

Workload Generate(const std::string& folder, const std::string& kind, std::int64_t n,
                  std::uint64_t seed) {
  Workload workload;
  workload.name = kind + "-n" + std::to_string(n);
  const std::string dir = folder + "/" + workload.name;
  std::filesystem::create_directories(dir);
  workload.testData = dir + "/testdata.txt";
  workload.submission = dir + "/submission.txt";
  Random random(seed * 1000003 + std::hash<std::string>{}(kind) % 1000003);

  std::vector<std::string> cases;
  std::vector<Section> sections;
  if (kind == "letters") {
    cases.push_back(RandomLetters(random, n));
    Section section{1, {}, {}};
    std::vector<char> order(26);
    std::iota(order.begin(), order.end(), 'a');
    Shuffle(order, random);
    std::int64_t position[26];
    for (std::size_t j = 0; j < 26; ++j) {
      section.t.emplace_back(1, order[j]);
      position[order[j] - 'a'] = static_cast<std::int64_t>(j) + 1;
    }
    for (char c : cases[0]) section.i.push_back(position[c - 'a']);
    sections.push_back(std::move(section));
  } else if (kind == "zeros") {
    // The letters of a random s as indices of 26 one-letter strings, each
    // with leading zeros, between runs of spaces and tabs.
    cases.push_back(RandomLetters(random, n));
    Section section{1, {}, {}, {}, true};
    for (char c = 'a'; c <= 'z'; ++c) section.t.emplace_back(1, c);
    for (const char c : cases[0]) section.i.push_back(c - 'a' + 1);
    sections.push_back(std::move(section));
  } else if (kind == "many" || kind.starts_with("late")) {
    cases.push_back(RandomLetters(random, n));
    sections.push_back(OneLetterStrings(cases[0]));
    if (kind == "late") {
      const std::string& s = cases[0];
      const std::size_t j = s.find_first_not_of(s.back());
      sections[0].i.back() = static_cast<std::int64_t>(j) + 1;
      workload.expectedLocation = 154;
    } else if (kind == "late-string") {
      sections[0].t.back() = "A";
      workload.expectedLocation = 141;
    } else if (kind == "late-count") {
      sections[0].extra.push_back(1);
      workload.expectedLocation = 145;
    }
  } else if (kind == "pieces") {
    cases.push_back(RandomLetters(random, n));
    const std::int64_t size = n / 1000;
    std::vector<std::int64_t> order(1000);
    std::iota(order.begin(), order.end(), 0);
    Shuffle(order, random);
    Section section{1, {}, std::vector<std::int64_t>(1000)};
    for (std::size_t j = 0; j < 1000; ++j) {
      section.t.push_back(cases[0].substr(static_cast<std::size_t>(order[j] * size),
                                          static_cast<std::size_t>(size)));
      section.i[static_cast<std::size_t>(order[j])] = static_cast<std::int64_t>(j) + 1;
    }
    sections.push_back(std::move(section));
  } else if (kind == "phrases") {
    cases.push_back(Text(random, n));
    sections.push_back(Phrases(1, cases[0]));
  } else if (kind == "multi") {
    for (std::int64_t c = 1; c <= 20; ++c) {
      cases.push_back(Text(random, n / 20));
      sections.push_back(Phrases(c, cases.back()));
    }
  } else if (kind == "small") {
    for (std::int64_t c = 1; c <= n / 10; ++c) {
      cases.push_back(RandomLetters(random, 8));
      const std::string& s = cases.back();
      sections.push_back(Section{c, {s.substr(0, 4), s.substr(4)}, {1, 2}});
    }
  } else if (kind.starts_with("repeat-")) {
    // repeat-SHAPE-SECTIONS
    const std::size_t dash = kind.rfind('-');
    const std::string report =
        Repetitive(kind.substr(7, dash - 7), n, std::stoll(kind.substr(dash + 1)), random, cases,
                   workload.submission);
    WriteTestData(workload.testData, cases);
    workload.expectedReport = report;
    return workload;
  } else {
    throw std::runtime_error("unknown workload kind " + kind);
  }
  WriteTestData(workload.testData, cases);
  const std::string report = WriteSubmission(workload.submission, sections);
  if (workload.expectedLocation == 0) workload.expectedReport = report;
  return workload;
}

}  // namespace krobelnik::bench
