// Checks the substring index against plain definitions: the suffix array
// is a permutation whose neighbours are in order with the common prefixes
// given, and the index's queries agree with comparing the letters. The
// bytes become a string of up to 128 letters over an alphabet of one to
// four letters (or all 26, or runs of one letter), the shapes where
// induced sorting recurses most.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "answer/substring_index.h"
#include "fuzz_checks.h"

namespace {

using krobelnik::fuzz::Require;

std::size_t DirectPrefix(const std::string& s, std::size_t p, std::size_t q) {
  std::size_t h = 0;
  while (p + h < s.size() && q + h < s.size() && s[p + h] == s[q + h]) ++h;
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned shape = data[0] % 6;
  std::string s;
  for (std::size_t i = 1; i < size && s.size() < 128; ++i) {
    if (shape == 5) {
      // A run of the byte's low bits plus one, of a letter from its top bit.
      s.append(std::min<std::size_t>(128 - s.size(), (data[i] & 63U) + 1U),
               static_cast<char>('a' + (data[i] >> 7)));
    } else {
      const unsigned alphabet = shape == 4 ? 26 : shape + 1;
      s += static_cast<char>('a' + data[i] % alphabet);
    }
  }
  const std::vector<std::int32_t> sa = krobelnik::SuffixArrayOfLetters(s);
  const std::vector<std::uint32_t> lcp = krobelnik::CommonPrefixes(s, sa);
  Require(sa.size() == s.size(), "the suffix array has a place for each suffix");
  std::vector<bool> seen(s.size());
  for (const std::int32_t p : sa) {
    Require(p >= 0 && static_cast<std::size_t>(p) < s.size() && !seen[static_cast<std::size_t>(p)],
            "the suffix array is a permutation");
    seen[static_cast<std::size_t>(p)] = true;
  }
  for (std::size_t i = 1; i < s.size(); ++i) {
    const auto a = static_cast<std::size_t>(sa[i - 1]), b = static_cast<std::size_t>(sa[i]);
    const std::size_t h = DirectPrefix(s, a, b);
    Require(lcp[i] == h, "a common prefix is wrong");
    Require(a + h == s.size() || (b + h < s.size() && s[a + h] < s[b + h]),
            "two neighbouring suffixes are out of order");
  }
  krobelnik::SubstringIndex index;
  Require(index.Build(s), "the index is built");
  // Some 32 queries, each against a place the bytes choose.
  for (std::size_t p = 0; p < s.size(); p += 1 + s.size() / 32) {
    const std::size_t q = (p * 7 + data[1]) % s.size();
    const std::size_t h = DirectPrefix(s, p, q);
    Require(index.CommonPrefix(p, q) == h, "a query's common prefix is wrong");
    const std::size_t room = s.size() - std::max(p, q);
    Require(index.Equal(p, q, std::min(room, h)) && (h >= room || !index.Equal(p, q, h + 1)),
            "a query's equality is wrong");
  }
  return 0;
}
