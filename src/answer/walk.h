#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "answer/string_list.h"
#include "answer/substring_index.h"
#include "failure/fault_place.h"

namespace krobelnik {

// What stopped a walk: nothing yet, an index outside 1 ... k, a string that
// runs past the end of s, or a byte that differs from s.
enum class WalkFault { None, OutOfRange, PastEnd, Mismatch };

// Where a walk stopped at a fault: the position p (from 1) and the value x
// of the index at fault, the place in s where t_x began, and the place of the
// fault (the differing byte; n for a byte past the end; start when x is out
// of range); and where the index stands on the line: the nth number from
// byte from (both from 1).
struct WalkStop {
  WalkFault fault = WalkFault::None;
  std::int64_t p = 0;
  std::uint32_t x = 0;
  std::size_t start = 0;
  std::size_t at = 0;
  ColumnPlace index;
};

// Walks the concatenation t_{i_1} t_{i_2} ... against s without building it,
// batch by batch as the index line is parsed. The first fault is only
// remembered: the line's syntax and its count are checked before the walk's
// verdict counts, so it is raised by Finish once the whole line is read.
class Walk {
 public:
  // t holds k strings, sealed; the index line, which line describes, should
  // hold r indices. With index (of s), a long string used again is compared
  // with the place in s it matched before rather than letter by letter.
  Walk(const StringList& t, std::int32_t k, std::int32_t r, std::string_view s,
       const LineContext& line, const SubstringIndex* index = nullptr)
      : t_(t.View()), k_(k), r_(r), s_(s.data()), n_(s.size()), line_(line), index_(index) {}

  // Walks the next count indices of the line, a batch of its number-line
  // parser (from as the parser gives it). Indices past the r-th are not
  // walked: the line's count is then wrong, which is reported first.
  void operator()(const std::uint32_t* xs, std::size_t count, std::int64_t from);

  // Raises the walk's first fault (149, 153, 154), or 158 when the
  // concatenation stops short of s.
  void Finish() const;

  // The walk's first fault so far (fault None while there is none), and
  // how far into s the concatenation has matched.
  const WalkStop& Stopped() const { return stop_; }
  std::size_t Reached() const { return pos_; }

  // Where the number after the r-th starts on the line, once the line has
  // held more than r; nthNumber 0 before.
  ColumnPlace Excess() const { return excess_; }

  // How many letters of strings longer than sixteen the walk compared with s
  // directly; shorter ones cost no more than their indices' bytes.
  std::uint64_t Compared() const { return compared_; }

 private:
  // The walk over a dictionary of one-letter strings: letters[x - 1] is t_x.
  void WalkLetters(const std::uint32_t* xs, std::size_t count);

  // The walk over any other dictionary: Varied when its strings have
  // lengths of their own (else all have the same length).
  template <bool Prefetch, bool Varied>
  void WalkStrings(const std::uint32_t* xs, std::size_t count);

  // Index c of the current batch, x, whose string began at start in s,
  // stopped the walk with fault at s[at].
  void Stop(WalkFault fault, std::size_t c, std::uint32_t x, std::size_t start, std::size_t at) {
    const auto nth = static_cast<std::int64_t>(c) + 1;
    stop_ = WalkStop{fault, p_ + nth, x, start, at, {0, nth, batchFrom_ + 1}};
  }
  void OutOfRange(std::size_t c, std::uint32_t x, std::size_t start) {
    Stop(WalkFault::OutOfRange, c, x, start, start);
  }
  void Mismatch(std::size_t c, std::uint32_t x, std::size_t start, std::size_t at, char got) {
    Stop(WalkFault::Mismatch, c, x, start, at);
    got_ = got;
  }

  // Whether t_x, of length letters, is known to stand at pos in s: it
  // matched before at a place where s holds the same letters as at pos.
  bool KnownAt(std::uint32_t x, std::size_t pos, std::size_t length);
  // Notes that t_x matched at pos.
  void Matched(std::uint32_t x, std::size_t pos) {
    if (!anchorOf_.empty() && anchorOf_[x] != 0) Placed(anchors_[anchorOf_[x] - 1], x, pos);
  }

  const StringList::Span t_;
  const std::int32_t k_;
  const std::int32_t r_;
  const char* const s_;
  const std::size_t n_;
  const LineContext& line_;
  // Where the concatenation has reached in s, and how many indices are read.
  std::size_t pos_ = 0;
  std::int64_t p_ = 0;
  // Where the current batch's numbers start on the line (from 0).
  std::int64_t batchFrom_ = 0;
  WalkStop stop_;
  char got_ = 0;
  ColumnPlace excess_;
  const SubstringIndex* index_;
  std::uint64_t compared_ = 0;
  // With an index, for each long string, made when it is first seen: where it
  // last matched in s, plus 1 (0 for not yet); and what the index last
  // said of it: s repeats itself at that distance up to reach, that is
  // s[j] = s[j + distance] for the j from its last place to reach - distance,
  // so that its next use that far on is known without asking again.
  // And where in pieces_ its last place is noted.
  struct Anchor {
    std::uint32_t last = 0;
    std::uint32_t distance = 0;
    std::uint32_t reach = 0;
    std::uint32_t piece = 0;
  };
  std::vector<Anchor> anchors_;
  // For each string, its anchor's place in anchors_ plus 1 (0 for none).
  std::vector<std::uint32_t> anchorOf_;
  // The long strings placed so far, in order: where each starts in s and
  // which it is (while memory allows; then the walk stops noting them).
  struct Piece {
    std::uint32_t start;
    std::uint32_t x;
  };
  std::vector<Piece> pieces_;
  bool notingPieces_ = true;
  // What the last answer of the index says beyond the string it was asked
  // for: from next on, s holds what it holds from source on, up to until.
  // While the indices go on as they went on from source (the piece noted at
  // source is the one asked for next), each is known without asking again.
  std::size_t next_ = 0;
  std::size_t source_ = 0;
  std::size_t until_ = 0;
  std::size_t sourcePiece_ = 0;

  // Notes that t_x, whose anchor is anchor, stands at pos.
  void Placed(Anchor& anchor, std::uint32_t x, std::size_t pos);
  // From the string t_x known at pos by its earlier place last (with
  // anchor), where s agrees with itself up to until: follows on from there.
  void Follow(const Anchor& anchor, std::size_t last, std::size_t pos, std::size_t length,
              std::size_t until);
};

}  // namespace krobelnik
