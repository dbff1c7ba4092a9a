#include "answer/substring_index.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

#include "input/growing_array.h"

namespace krobelnik {

namespace {

// Induced sorting: the suffixes of text (size values below alphabet, the
// last the only 0) into sa. A suffix is S when it is smaller than the next
// one, L when larger; a leftmost S (LMS) suffix is an S suffix after an L
// one. Sorting the LMS substrings, naming them and sorting the string of
// their names, recursively where two names coincide, orders the LMS
// suffixes; from them one pass each way induces the order of the L and S
// suffixes. Everything between the passes lives in sa itself: at most half
// the positions are LMS, so the names, the string of names and the sorted
// LMS suffixes fit beside one another.
template <class Value>
void InducedSort(const Value* text, std::size_t size, std::size_t alphabet, std::int32_t* sa) {
  if (size == 1) {
    sa[0] = 0;
    return;
  }
  std::vector<std::uint8_t> smaller(size);
  smaller[size - 1] = 1;
  for (std::size_t i = size - 1; i-- > 0;)
    smaller[i] = (text[i] < text[i + 1] || (text[i] == text[i + 1] && smaller[i + 1] != 0)) ? 1 : 0;
  const auto leftmost = [&smaller](std::size_t i) {
    return i > 0 && smaller[i] && !smaller[i - 1];
  };

  std::vector<std::int32_t> counts(alphabet, 0);
  for (std::size_t i = 0; i < size; ++i) ++counts[static_cast<std::size_t>(text[i])];
  std::vector<std::int32_t> bucket(alphabet);
  const auto bucketStarts = [&] {
    std::int32_t sum = 0;
    for (std::size_t c = 0; c < alphabet; ++c) {
      bucket[c] = sum;
      sum += counts[c];
    }
  };
  const auto bucketEnds = [&] {
    std::int32_t sum = 0;
    for (std::size_t c = 0; c < alphabet; ++c) {
      sum += counts[c];
      bucket[c] = sum;
    }
  };
  const auto slot = [&](std::size_t i) -> std::int32_t& {
    return bucket[static_cast<std::size_t>(text[i])];
  };
  const auto at = [](std::int32_t value) { return static_cast<std::size_t>(value); };
  // With the LMS suffixes at the ends of their buckets, the L suffixes are
  // placed from the front of each bucket, scanning forwards, and then the S
  // suffixes from the end, scanning backwards.
  const auto induce = [&] {
    bucketStarts();
    for (std::size_t r = 0; r < size; ++r) {
      if (sa[r] <= 0) continue;
      const std::size_t j = at(sa[r]) - 1;
      if (!smaller[j]) sa[slot(j)++] = static_cast<std::int32_t>(j);
    }
    bucketEnds();
    for (std::size_t r = size; r-- > 0;) {
      if (sa[r] <= 0) continue;
      const std::size_t j = at(sa[r]) - 1;
      if (smaller[j]) sa[--slot(j)] = static_cast<std::int32_t>(j);
    }
  };

  std::fill(sa, sa + size, -1);
  bucketEnds();
  for (std::size_t i = 1; i < size; ++i)
    if (leftmost(i)) sa[--slot(i)] = static_cast<std::int32_t>(i);
  induce();

  // The LMS substrings, now in order, to the front; each is named by its
  // rank among the distinct ones, at m + p / 2 (two LMS positions lie at
  // least two apart).
  std::size_t m = 0;
  for (std::size_t r = 0; r < size; ++r)
    if (leftmost(at(sa[r]))) sa[m++] = sa[r];
  std::fill(sa + m, sa + size, -1);
  const auto sameSubstring = [&](std::size_t a, std::size_t b) {
    if (a == size - 1 || b == size - 1) return false;
    for (std::size_t d = 0;; ++d) {
      if (text[a + d] != text[b + d] || smaller[a + d] != smaller[b + d]) return false;
      const bool endA = d > 0 && leftmost(a + d), endB = d > 0 && leftmost(b + d);
      if (endA || endB) return endA && endB;
    }
  };
  std::int32_t name = -1;
  for (std::size_t j = 0; j < m; ++j) {
    if (j == 0 || !sameSubstring(at(sa[j - 1]), at(sa[j]))) ++name;
    sa[m + at(sa[j]) / 2] = name;
  }
  const std::size_t distinct = static_cast<std::size_t>(name) + 1;
  // The string of names in text order, to the last m places.
  std::int32_t* const reduced = sa + size - m;
  for (std::size_t i = size, j = size; i-- > m;)
    if (sa[i] >= 0) sa[--j] = sa[i];

  // The order of the LMS suffixes to the front: directly when every name
  // is its own, else by sorting the string of names.
  if (distinct == m) {
    for (std::size_t j = 0; j < m; ++j) sa[at(reduced[j])] = static_cast<std::int32_t>(j);
  } else {
    InducedSort(static_cast<const std::int32_t*>(reduced), m, distinct, sa);
  }
  // The LMS positions in text order replace the names; the order then
  // becomes positions, which go to the ends of their buckets, the largest
  // first, so that none is overwritten before it moves.
  for (std::size_t i = size, j = size; i-- > 1;)
    if (leftmost(i)) sa[--j] = static_cast<std::int32_t>(i);
  for (std::size_t j = 0; j < m; ++j) sa[j] = reduced[at(sa[j])];
  std::fill(sa + m, sa + size, -1);
  bucketEnds();
  for (std::size_t j = m; j-- > 0;) {
    const std::int32_t p = sa[j];
    sa[j] = -1;
    sa[--slot(at(p))] = p;
  }
  induce();
}

// Blocks of lcp_ whose least value is kept: a query scans at most two
// partial blocks and looks the whole ones up in the table. (The fuzz build
// makes them small, so that short strings reach the table.)
#ifndef KROBELNIK_INDEX_BLOCK_SIZE
#define KROBELNIK_INDEX_BLOCK_SIZE 64
#endif
constexpr std::size_t BlockSize = KROBELNIK_INDEX_BLOCK_SIZE;

}  // namespace

namespace {

// An array of count values, not yet set, in blocks mapped from the system
// (whole huge pages where it offers them, so that ten million values cost
// few page faults); raises std::bad_alloc when memory runs out.
template <class T>
GrowingArray<T> Unset(std::size_t count) {
  GrowingArray<T> values;
  values.Room(count);
  values.Added(count);
  return values;
}

// The suffix array of the letters s into sa[1 ... n]: the letters as 1 to
// 26 and a final 0, smaller than every letter, so that a suffix that is a
// prefix of another sorts first; the 0's own suffix goes to sa[0].
GrowingArray<std::int32_t> SortSuffixes(std::string_view s) {
  GrowingArray<std::uint8_t> text = Unset<std::uint8_t>(s.size() + 1);
  for (std::size_t i = 0; i < s.size(); ++i)
    text[i] = static_cast<std::uint8_t>(static_cast<unsigned char>(s[i]) - 'a' + 1);
  text[s.size()] = 0;
  GrowingArray<std::int32_t> sa = Unset<std::int32_t>(s.size() + 1);
  InducedSort(text.Data(), text.Size(), 27, sa.Data());
  return sa;
}

// Kasai's order: by position in s, each common prefix is at least one less
// than the one before, so the comparisons add up to 2n. rank is sa's
// inverse; lcp gets n values.
void FillCommonPrefixes(std::string_view s, const std::int32_t* sa, const std::uint32_t* rank,
                        std::uint32_t* lcp) {
  const std::size_t n = s.size();
  if (n > 0) lcp[0] = 0;
  std::size_t h = 0;
  for (std::size_t p = 0; p < n; ++p) {
    if (rank[p] == 0) {
      h = 0;
      continue;
    }
    const auto q = static_cast<std::size_t>(sa[rank[p] - 1]);
    while (p + h < n && q + h < n && s[p + h] == s[q + h]) ++h;
    lcp[rank[p]] = static_cast<std::uint32_t>(h);
    if (h > 0) --h;
  }
}

}  // namespace

std::vector<std::int32_t> SuffixArrayOfLetters(std::string_view s) {
  const GrowingArray<std::int32_t> sa = SortSuffixes(s);
  return std::vector<std::int32_t>(sa.Data() + 1, sa.Data() + sa.Size());
}

std::vector<std::uint32_t> CommonPrefixes(std::string_view s, const std::vector<std::int32_t>& sa) {
  std::vector<std::uint32_t> rank(s.size()), lcp(s.size());
  for (std::size_t i = 0; i < sa.size(); ++i)
    rank[static_cast<std::size_t>(sa[i])] = static_cast<std::uint32_t>(i);
  FillCommonPrefixes(s, sa.data(), rank.data(), lcp.data());
  return lcp;
}

namespace {

// A difference cover modulo 64: every remainder is the difference of two of
// these, so each pair of positions has a shift below 64 that lands both on
// sampled positions.
constexpr std::size_t Period = 64;
constexpr std::uint8_t Cover[] = {0, 14, 18, 19, 26, 35, 46, 48, 49, 58};
constexpr std::size_t CoverSize = sizeof(Cover);

struct SampleTables {
  // slot[r]: which element of the cover the remainder r is, or CoverSize.
  std::uint8_t slot[Period];
  // from[d]: an element a of the cover such that a + d is one too.
  std::uint8_t from[Period];
};

constexpr SampleTables MakeSampleTables() {
  SampleTables tables{};
  for (std::size_t r = 0; r < Period; ++r) tables.slot[r] = CoverSize;
  for (std::size_t c = 0; c < CoverSize; ++c) tables.slot[Cover[c]] = static_cast<std::uint8_t>(c);
  for (std::size_t d = 0; d < Period; ++d) {
    tables.from[d] = Period;
    for (std::size_t c = 0; c < CoverSize && tables.from[d] == Period; ++c)
      if (tables.slot[(Cover[c] + d) % Period] != CoverSize) tables.from[d] = Cover[c];
  }
  return tables;
}

constexpr SampleTables Samples = MakeSampleTables();
static_assert([] {
  for (const std::uint8_t a : Samples.from)
    if (a == Period) return false;
  return true;
}());

// The id of the sampled position p: its period's number and its place in
// the cover.
std::size_t SampleId(std::size_t p) { return p / Period * CoverSize + Samples.slot[p % Period]; }

bool Sampled(std::size_t p) { return Samples.slot[p % Period] != CoverSize; }

// How many of the first limit letters of a and b agree.
std::size_t Agreeing(const char* a, const char* b, std::size_t limit) {
  std::size_t i = 0;
  for (; i + 8 <= limit; i += 8) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) {
      const std::uint64_t differ = x ^ y;
      const int bit = std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                 : std::countl_zero(differ);
      return i + static_cast<std::size_t>(bit) / 8;
    }
  }
  while (i < limit && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

bool SubstringIndex::Build(std::string_view s) {
  try {
    n_ = s.size();
    s_ = s.data();
    {
      const GrowingArray<std::int32_t> sorted = SortSuffixes(s);
      const std::int32_t* const sa = sorted.Data() + 1;
      GrowingArray<std::uint32_t> lcp = Unset<std::uint32_t>(n_);
      {
        GrowingArray<std::uint32_t> rank = Unset<std::uint32_t>(n_);
        for (std::size_t i = 0; i < n_; ++i)
          rank[static_cast<std::size_t>(sa[i])] = static_cast<std::uint32_t>(i);
        FillCommonPrefixes(s, sa, rank.Data(), lcp.Data());
      }
      // The sampled suffixes in their order, each with its common prefix
      // with the sampled one before: the least over the full array between.
      rank_ = Unset<std::uint32_t>((n_ + Period - 1) / Period * CoverSize);
      std::size_t sampled = 0;
      for (std::size_t p = 0; p < n_; ++p) sampled += Sampled(p) ? 1U : 0U;
      lcp_ = Unset<std::uint32_t>(sampled);
      std::uint32_t next = 0, least = 0;
      for (std::size_t i = 0; i < n_; ++i) {
        if (i > 0) least = std::min(least, lcp[i]);
        const auto p = static_cast<std::size_t>(sa[i]);
        if (!Sampled(p)) continue;
        rank_[SampleId(p)] = next;
        lcp_[next] = next == 0 ? 0 : least;
        ++next;
        least = UINT32_MAX;
      }
    }
    const std::size_t size = lcp_.Size();
    const std::size_t blocks = (size + BlockSize - 1) / BlockSize;
    blockLeast_.resize(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
      const std::uint32_t* const lcp = lcp_.Data();
      blockLeast_[b] =
          *std::min_element(lcp + b * BlockSize, lcp + std::min(size, (b + 1) * BlockSize));
    }
    // blockTable_[level][b]: the least over blocks b ... b + 2^(level+1) - 1.
    for (std::size_t span = 2; span <= blocks; span *= 2) {
      const std::vector<std::uint32_t>& below =
          blockTable_.empty() ? blockLeast_ : blockTable_.back();
      std::vector<std::uint32_t> level(blocks - span + 1);
      for (std::size_t b = 0; b < level.size(); ++b)
        level[b] = std::min(below[b], below[b + span / 2]);
      blockTable_.push_back(std::move(level));
    }
    return true;
  } catch (const std::bad_alloc&) {
    *this = SubstringIndex();
    return false;
  }
}

std::size_t SubstringIndex::Bytes() const {
  std::size_t bytes = (rank_.Size() + lcp_.Size() + blockLeast_.size()) * 4;
  for (const std::vector<std::uint32_t>& level : blockTable_) bytes += level.size() * 4;
  return bytes;
}

std::uint32_t SubstringIndex::Least(std::size_t from, std::size_t to, std::uint32_t limit) const {
  const auto scan = [&](std::size_t a, std::size_t b) {
    std::uint32_t least = limit;
    for (std::size_t i = a; i <= b; ++i) least = std::min(least, lcp_[i]);
    return least;
  };
  const std::size_t first = from / BlockSize, last = to / BlockSize;
  if (last - first <= 1) return scan(from, to);
  const std::uint32_t least =
      std::min(scan(from, first * BlockSize + BlockSize - 1), scan(last * BlockSize, to));
  // The whole blocks between: two overlapping spans of 2^level blocks.
  const std::size_t a = first + 1, count = last - a;
  const auto level = static_cast<std::size_t>(std::bit_width(count) - 1);
  const std::vector<std::uint32_t>& table = level == 0 ? blockLeast_ : blockTable_[level - 1];
  return std::min({least, table[a], table[last - (std::size_t{1} << level)]});
}

std::size_t SubstringIndex::Shift(std::size_t p, std::size_t q) {
  // With a in the cover and a + (q - p) in it too, p + h lands on a and
  // q + h on a + (q - p), modulo 64.
  const std::size_t a = Samples.from[(q - p) % Period];
  return (a + Period - p % Period) % Period;
}

std::uint32_t SubstringIndex::SampledPrefix(std::size_t a, std::size_t b,
                                            std::uint32_t limit) const {
  const std::size_t ra = rank_[SampleId(a)], rb = rank_[SampleId(b)];
  return Least(std::min(ra, rb) + 1, std::max(ra, rb), limit);
}

std::size_t SubstringIndex::CommonPrefix(std::size_t p, std::size_t q, std::string_view atP) const {
  if (p == q) return n_ - p;
  const std::size_t h = Shift(p, q);
  // The first h letters are compared directly; where s ends within them, so
  // does the common prefix.
  const std::size_t room = n_ - std::max(p, q);
  const char* const fromP = atP.size() >= std::min(h, room) ? atP.data() : s_ + p;
  if (room <= h) return Agreeing(fromP, s_ + q, room);
  const std::size_t agree = Agreeing(fromP, s_ + q, h);
  if (agree < h) return agree;
  return h + SampledPrefix(p + h, q + h, UINT32_MAX);
}

bool SubstringIndex::Equal(std::size_t p, std::size_t q, std::size_t length) const {
  if (p == q || length == 0) return true;
  const std::size_t h = Shift(p, q);
  if (length <= h) return Agreeing(s_ + p, s_ + q, length) == length;
  if (Agreeing(s_ + p, s_ + q, h) < h) return false;
  const std::size_t rest = length - h;
  return SampledPrefix(p + h, q + h, static_cast<std::uint32_t>(rest)) >= rest;
}

}  // namespace krobelnik
