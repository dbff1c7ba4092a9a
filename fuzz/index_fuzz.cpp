// Checks the substring index against plain definitions: the suffix array
// is a permutation whose neighbours are in order with the common prefixes
// given, and the index's queries agree with comparing the letters. The
// bytes become a string of up to 576 letters (nine periods of the sample,
// 90 sampled suffixes, whose common prefixes fill some 22 blocks of 4 in
// the fuzz build): over an alphabet of one to four letters (or all 26),
// runs of one letter, a block the bytes give repeated, or a Fibonacci word,
// with a few letters changed; the shapes where induced sorting recurses
// most, and where queries span many blocks, so that every branch of a
// query runs.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "answer/substring_index.h"
#include "fuzz_checks.h"

namespace {

using krobelnik::fuzz::Require;

// The common prefix of the suffixes at p and q, letter by letter: equal
// runs of 64 are passed with memcmp, which the fuzzer's instrumentation
// leaves alone, so that long prefixes cost little.
std::size_t DirectPrefix(const std::string& s, std::size_t p, std::size_t q) {
  const std::size_t room = s.size() - std::max(p, q);
  std::size_t h = 0;
  while (h + 64 <= room && std::memcmp(s.data() + p + h, s.data() + q + h, 64) == 0) h += 64;
  while (h < room && s[p + h] == s[q + h]) ++h;
  return h;
}

// The string the bytes describe; data[0] chose the shape.
std::string Letters(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t Most = 576;
  const unsigned shape = data[0] % 8;
  std::string s;
  if (shape == 6 || shape == 7) {
    // A block (the bytes' letters over two, or a Fibonacci word), repeated
    // or grown to a length the second byte gives, then a letter changed
    // for each further byte.
    const std::size_t length = 64 + std::size_t{data[1]} * 2;
    if (shape == 6) {
      std::string block;
      for (std::size_t i = 2; i < size && i < 3 + std::size_t{data[1]} % 61U; ++i)
        block += static_cast<char>('a' + data[i] % 2);
      if (block.empty()) block = "ab";
      while (s.size() < length) s += block;
    } else {
      std::string a = "a", b = "ab";
      while (b.size() < length) {
        std::string next = b + a;
        a = std::move(b);
        b = std::move(next);
      }
      s = std::move(b);
    }
    s.resize(std::min(length, Most));
    for (std::size_t i = 3 + std::size_t{data[1]} % 61U; i + 1 < size; i += 2) {
      const std::size_t at = (std::size_t{data[i]} * 256 + data[i + 1]) % s.size();
      s[at] = static_cast<char>('a' + (s[at] - 'a' + 1) % 3);
    }
    return s;
  }
  for (std::size_t i = 1; i < size && s.size() < Most; ++i) {
    if (shape == 5) {
      // A run of the byte's low bits plus one, of a letter from its top bit.
      s.append(std::min<std::size_t>(Most - s.size(), (data[i] & 63U) + 1U),
               static_cast<char>('a' + (data[i] >> 7)));
    } else {
      const unsigned alphabet = shape == 4 ? 26 : shape + 1;
      s += static_cast<char>('a' + data[i] % alphabet);
    }
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string s = Letters(data, size);
  const std::vector<std::int32_t> sa = krobelnik::SuffixArrayOfLetters(s);
  const std::vector<std::uint32_t> lcp = krobelnik::CommonPrefixes(s, sa);
  Require(sa.size() == s.size(), "the suffix array has a place for each suffix");
  std::vector<bool> seen(s.size());
  for (const std::int32_t p : sa) {
    Require(p >= 0 && static_cast<std::size_t>(p) < s.size() && !seen[static_cast<std::size_t>(p)],
            "the suffix array is a permutation");
    seen[static_cast<std::size_t>(p)] = true;
  }
  // Every neighbour in order at its common prefix; the common prefixes
  // compared letter by letter for all of a short string and some 64 of a
  // long one, whose repetitive shapes make them long.
  const std::size_t every = s.size() <= 256 ? 1 : s.size() / 64;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const auto a = static_cast<std::size_t>(sa[i - 1]), b = static_cast<std::size_t>(sa[i]);
    const std::size_t h = lcp[i];
    if (i % every == 0) Require(DirectPrefix(s, a, b) == h, "a common prefix is wrong");
    Require(a + h <= s.size() && b + h <= s.size(), "a common prefix runs past the end");
    Require(a + h == s.size() || (b + h < s.size() && s[a + h] < s[b + h]),
            "two neighbouring suffixes are out of order");
  }
  krobelnik::SubstringIndex index;
  Require(index.Build(s), "the index is built");
  // Some 64 queries: against places the bytes choose, and at distances of
  // a block or a Fibonacci number, where common prefixes are long.
  const std::size_t shift = 1 + (std::size_t{data[1]} * 13 + size) % s.size();
  for (std::size_t p = 0; p < s.size(); p += 1 + s.size() / 32) {
    for (const std::size_t q : {(p * 7 + data[1]) % s.size(), (p + shift) % s.size()}) {
      const std::size_t h = DirectPrefix(s, p, q);
      Require(index.CommonPrefix(p, q) == h, "a query's common prefix is wrong");
      const std::size_t room = s.size() - std::max(p, q);
      Require(index.Equal(p, q, std::min(room, h)) && (h >= room || !index.Equal(p, q, h + 1)),
              "a query's equality is wrong");
    }
  }
  return 0;
}
