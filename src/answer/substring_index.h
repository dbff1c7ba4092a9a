#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "input/growing_array.h"

namespace krobelnik {

// Exact equality of two substrings of one string s in constant time, for
// walks that would otherwise compare the same long strings against s again
// and again: the suffix array of s (built in linear time by induced
// sorting), its inverse, the longest common prefixes of neighbouring
// suffixes, and a range-minimum structure over those. About 10 bytes a
// letter while it lives, 14 while it is built.
class SubstringIndex {
 public:
  // Builds the index of s (letters a to z); false, leaving it empty, when
  // memory runs out.
  bool Build(std::string_view s);
  bool Built() const { return rank_.Size() > 0; }

  // The length of the longest common prefix of the suffixes of s at p and
  // at q (both below the length of s).
  std::size_t CommonPrefix(std::size_t p, std::size_t q) const;
  // Whether s[p, p + length) equals s[q, q + length); both lie within s.
  bool Equal(std::size_t p, std::size_t q, std::size_t length) const;

 private:
  // The least of limit and lcp_[from ... to], both included.
  std::uint32_t Least(std::size_t from, std::size_t to, std::uint32_t limit) const;

  std::size_t n_ = 0;
  // rank_[p]: where the suffix at p stands among the sorted suffixes.
  GrowingArray<std::uint32_t> rank_;
  // lcp_[i]: the common prefix of the i-th and the (i-1)-th suffix (0 for i 0).
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
