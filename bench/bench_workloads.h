#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krobelnik::bench {

// One generated workload: where its files are and what the evaluator must say.
struct Workload {
  std::string name;
  std::string testData;
  std::string submission;
  std::string expectedReport;  // empty when only the failure form's location is known
  std::int32_t expectedLocation = 0;
};

// The kinds of workload, each for a length n of s:
//   letters  k = 26 one-letter strings, r = n
//   zeros    the same, each index with 5 to 20 leading zeros, runs of spaces
//            and tabs between them
//   many     k = n one-letter strings, indices 1 .. n
//   pieces   k = 1000 shuffled pieces of n / 1000 letters
//   phrases  text of pseudo-words answered by a greedy LZ78 parse (k and r in the
//            hundreds of thousands at n = 10^7)
//   multi    20 test cases of n / 20 letters, each answered like phrases
//   late     like many, wrong at the very last index (rejected with 154)
//   late-string   like many, its last string not a letter (rejected with 141)
//   late-count    like many, one index too many (rejected with 145)
//   small    n / 10 test cases of 8 letters, each answered by two strings of 4
//   repeat-SHAPE-S  S sections of a repetitive shape, each of a few KB and
//            each a walk over all of s: a (s = a^n, t_1 = a^5000), block
//            (s = B^(n / 10^4) for a random block B, t_1 = B), halves (the
//            same answered by B's two halves in turn), two (two such test
//            cases answered in turn), fibonacci (s the longest Fibonacci
//            word of at most n letters, answered by two Fibonacci words of
//            some 2600 and 1600 letters), fibonacci-two (two such test cases
//            in turn), fibonacci-ten (ten of n / 10 letters in turn)
// Files go to folder/<name>/ and depend only on the kind, n and the seed.
Workload Generate(const std::string& folder, const std::string& kind, std::int64_t n,
                  std::uint64_t seed = 1);

}  // namespace krobelnik::bench
