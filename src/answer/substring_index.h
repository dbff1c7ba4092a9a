#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "input/growing_array.h"

namespace krobelnik {

// Exact equality of two substrings of one string s in constant time, for
// walks that would otherwise compare the same long strings against s again
// and again. It keeps the suffixes of s only at a sample of positions: those
// whose remainder modulo 64 lies in a difference cover, a set of ten
// remainders whose differences give every remainder, so that for any two
// positions p and q some shift h below 64 takes both to sampled positions.
// The common prefix of the suffixes at p and q is then found by comparing
// at most h letters directly and looking up that of the sampled suffixes at
// p + h and q + h: where they stand in their sorted order, the longest
// common prefixes of sampled neighbours there, and a range-minimum
// structure over those. About 1.3 bytes a letter while it lives (it keeps
// s by reference), 12 while it is built (the suffix array of all of s, from
// which the sample is taken, built in linear time by induced sorting).
class SubstringIndex {
 public:
  // Builds the index of s (letters a to z), which must outlive it; false,
  // leaving it empty, when memory runs out.
  bool Build(std::string_view s);
  bool Built() const { return n_ > 0; }
  // The bytes it holds while it lives.
  std::size_t Bytes() const;

  // The length of the longest common prefix of the suffixes of s at p and
  // at q (both below the length of s). With atP, letters known to stand at
  // p (a string that matched there, in a cache nearer than s's far place),
  // the first of them are read from there rather than from s.
  std::size_t CommonPrefix(std::size_t p, std::size_t q, std::string_view atP = {}) const;
  // Whether s[p, p + length) equals s[q, q + length); both lie within s.
  bool Equal(std::size_t p, std::size_t q, std::size_t length) const;

 private:
  // The least of limit and lcp_[from ... to], both included.
  std::uint32_t Least(std::size_t from, std::size_t to, std::uint32_t limit) const;
  // The common prefix, up to limit, of the sampled suffixes at a and b
  // (different positions).
  std::uint32_t SampledPrefix(std::size_t a, std::size_t b, std::uint32_t limit) const;
  // The shift that takes both p and q to sampled positions.
  static std::size_t Shift(std::size_t p, std::size_t q);

  const char* s_ = nullptr;
  std::size_t n_ = 0;
  // rank_[id]: where the sampled suffix with that id (see SampleId) stands
  // among the sorted sampled suffixes.
  GrowingArray<std::uint32_t> rank_;
  // lcp_[i]: the common prefix of the i-th and the (i-1)-th sampled suffix
  // (0 for i 0).
  GrowingArray<std::uint32_t> lcp_;
  // The least of each block of lcp_, and a table of the least over 2^level
  // blocks from each block.
  std::vector<std::uint32_t> blockLeast_;
  std::vector<std::vector<std::uint32_t>> blockTable_;
};

// The suffix array of the letters s, the suffixes compared as strings.
std::vector<std::int32_t> SuffixArrayOfLetters(std::string_view s);

// lcp[i]: the longest common prefix of the suffixes sa[i - 1] and sa[i] of
// s (0 for i 0).
std::vector<std::uint32_t> CommonPrefixes(std::string_view s, const std::vector<std::int32_t>& sa);

}  // namespace krobelnik
