#include "explain/section_watch.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace krobelnik {

namespace {

// How many letters of s and of the concatenation an alignment shows on
// either side of the fault.
constexpr std::int64_t Window = 30;
// The pieces before a fault that are kept: enough to cover the window,
// since every piece holds a letter at least.
constexpr std::size_t KeptBefore = 64;
// The pieces' bytes gathered before they are written: large writes, for a
// file that may be held in memory.
constexpr std::size_t PendingBytes = std::size_t{1} << 20;

// Orders strings by the letters they cover, most first, then by j.
bool CoversMore(const StringUse& a, const StringUse& b) {
  const std::int64_t left = a.uses * a.length;
  const std::int64_t right = b.uses * b.length;
  return left != right ? left > right : a.j < b.j;
}

}  // namespace

std::int64_t PiecesFile::Reserve(std::int64_t r) {
  if (file_ == nullptr || written_ + static_cast<std::size_t>(r) > most_) return -1;
  if (pending_.empty()) pending_.resize(PendingBytes);
  const auto from = static_cast<std::int64_t>(written_);
  written_ += static_cast<std::size_t>(r);
  return from;
}

bool PiecesFile::Flush() {
  if (pendingBytes_ > 0 && !failed_)
    failed_ = std::fwrite(pending_.data(), 1, pendingBytes_, file_) != pendingBytes_;
  pendingBytes_ = 0;
  return !failed_;
}

bool StatsWatch::Begin(const AnswerBlock& block, const SectionPlace& section) {
  if (list_.size() >= sections_) return false;
  block_ = &block;
  section_ = section;
  pos_ = 0;
  uses_.assign(static_cast<std::size_t>(block.k), 0);
  lengths_.fill(0);
  piecesFrom_ = pieces_.Reserve(block.r);
  return true;
}

void StatsWatch::Count(const std::uint32_t* xs, std::size_t count) {
  const StringList::Span t = block_->t.View();
  const auto k = static_cast<std::uint32_t>(block_->k);
  std::uint32_t* const uses = uses_.data();
  if (t.ends == nullptr && piecesFrom_ < 0) {
    // Strings of one length: the histogram and the place move by the
    // batch, only the uses by the index.
    std::size_t counted = 0;
    for (std::size_t c = 0; c < count; ++c) {
      const std::uint32_t x = xs[c] - 1;
      if (x >= k) continue;
      ++uses[x];
      ++counted;
    }
    lengths_[static_cast<std::size_t>(std::bit_width(std::uint64_t{t.uniform})) - 1] +=
        static_cast<std::int64_t>(counted);
    pos_ += static_cast<std::int64_t>(counted * t.uniform);
    return;
  }
  for (std::size_t c = 0; c < count; ++c) {
    const std::uint32_t x = xs[c];
    if (x - 1 >= k) continue;
    const auto length = static_cast<std::uint64_t>(t[x - 1].size());
    ++uses[x - 1];
    ++lengths_[static_cast<std::size_t>(std::bit_width(length)) - 1];
    if (piecesFrom_ >= 0) pieces_.Put(static_cast<std::uint32_t>(pos_), x);
    pos_ += static_cast<std::int64_t>(length);
  }
}

void AlignmentWatch::Begin(const AnswerBlock& block) {
  block_ = &block;
  kept_.clear();
  keptFrom_ = 1;
  stop_ = {};
  captured_ = false;
}

void AlignmentWatch::Indices(const std::uint32_t* xs, std::size_t count, std::int64_t read,
                             const WalkStop& stop) {
  if (captured_) return;
  if (stop_.fault == WalkFault::None) stop_ = stop;
  if (stop_.fault == WalkFault::None) {
    // Before a fault only the last indices are kept: they cover the letters
    // before the window's end, since every piece holds one at least.
    const std::size_t from = count > KeptBefore ? count - KeptBefore : 0;
    kept_.insert(kept_.end(), xs + from, xs + count);
    if (kept_.size() > KeptBefore)
      kept_.erase(kept_.begin(), kept_.end() - static_cast<std::ptrdiff_t>(KeptBefore));
    keptFrom_ =
        read + static_cast<std::int64_t>(count) - static_cast<std::int64_t>(kept_.size()) + 1;
    return;
  }
  // From the fault's batch on: the indices up to those that reach past the
  // window (none past an index that selects no string), then the alignment.
  const std::int64_t last = stop_.fault == WalkFault::OutOfRange ? stop_.p : stop_.p + Window + 1;
  const auto wanted = static_cast<std::size_t>(
      std::clamp<std::int64_t>(last - read, 0, static_cast<std::int64_t>(count)));
  kept_.insert(kept_.end(), xs, xs + wanted);
  const std::int64_t drop = stop_.p - static_cast<std::int64_t>(KeptBefore) - keptFrom_;
  if (drop > 0) {
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(drop));
    keptFrom_ += drop;
  }
  if (read + static_cast<std::int64_t>(count) >= last)
    Align(static_cast<std::int64_t>(stop_.at), stop_.p, static_cast<std::int64_t>(stop_.start));
}

void AlignmentWatch::End(std::size_t reached) {
  if (captured_) return;
  if (stop_.fault != WalkFault::None) {
    Align(static_cast<std::int64_t>(stop_.at), stop_.p, static_cast<std::int64_t>(stop_.start));
  } else if (reached < block_->testCase.s.size()) {
    // The concatenation stops short of s: its last piece ends there.
    const auto at = static_cast<std::int64_t>(reached);
    const std::int64_t last = keptFrom_ + static_cast<std::int64_t>(kept_.size()) - 1;
    Align(at, last + 1, at);
  }
}

void SectionWatch::Begin(const AnswerBlock& block, const SectionPlace& section) {
  block_ = &block;
  read_ = 0;
  alignment_.Begin(block);
  counted_ = stats_ && statistics_.Begin(block, section);
}

void SectionWatch::Indices(const std::uint32_t* xs, std::size_t count, const Walk& walk) {
  const auto left = static_cast<std::size_t>(std::max<std::int64_t>(0, block_->r - read_));
  count = std::min(count, left);
  if (counted_) statistics_.Count(xs, count);
  alignment_.Indices(xs, count, read_, walk.Stopped());
  read_ += static_cast<std::int64_t>(count);
}

void SectionWatch::End(const Walk& walk) {
  alignment_.End(walk.Reached());
  if (counted_) statistics_.End();
}

void AlignmentWatch::Align(std::int64_t fault, std::int64_t p, std::int64_t start) {
  captured_ = true;
  const std::string_view s = block_->testCase.s;
  const StringList::Span t = block_->t.View();
  const std::int64_t k = block_->k;
  const auto lengthOf = [&](std::int64_t x) {
    return x >= 1 && x <= k ? static_cast<std::int64_t>(t[static_cast<std::size_t>(x - 1)].size())
                            : 0;
  };
  // Where each kept piece starts: index p's at start, so the first kept
  // one's as many letters before it as the pieces between them hold.
  const auto before = static_cast<std::size_t>(
      std::clamp<std::int64_t>(p - keptFrom_, 0, static_cast<std::int64_t>(kept_.size())));
  std::int64_t from = start;
  for (std::size_t c = 0; c < before; ++c) from -= lengthOf(kept_[c]);
  std::vector<Piece> pieces;
  pieces.reserve(kept_.size());
  for (std::size_t c = 0; c < kept_.size(); ++c) {
    const std::int64_t x = kept_[c];
    const std::int64_t length = lengthOf(x);
    pieces.push_back({keptFrom_ + static_cast<std::int64_t>(c), x, from, length, x >= 1 && x <= k});
    from += length;
  }
  Alignment& a = alignment_;
  a = {};
  a.present = true;
  a.fault = fault;
  a.n = static_cast<std::int64_t>(s.size());
  a.from = std::max<std::int64_t>(0, fault - Window);
  const std::int64_t sEnd = std::min(a.n, fault + Window + 1);
  if (a.from < sEnd)
    a.s.assign(s.substr(static_cast<std::size_t>(a.from), static_cast<std::size_t>(sEnd - a.from)));
  a.sGoesOn = sEnd < a.n;
  // The concatenation as far as the pieces kept reach, up to the window's
  // end; it goes on where a piece runs past it or pieces follow.
  const std::int64_t end = fault + Window + 1;
  std::int64_t reached = a.from;
  for (const Piece& piece : pieces) {
    const std::int64_t pieceEnd = piece.from + piece.length;
    if (pieceEnd <= a.from && piece.selects) continue;
    if (piece.from >= end) {
      a.concatenationGoesOn = true;
      break;
    }
    a.pieces.push_back(piece);
    if (!piece.selects) break;
    const std::string_view letters = t[static_cast<std::size_t>(piece.x - 1)];
    const std::int64_t first = std::max(a.from, piece.from);
    const std::int64_t last = std::min(end, pieceEnd);
    a.concatenation.append(letters.substr(static_cast<std::size_t>(first - piece.from),
                                          static_cast<std::size_t>(last - first)));
    reached = last;
    if (pieceEnd > end) a.concatenationGoesOn = true;
  }
  if (reached == end && keptFrom_ + static_cast<std::int64_t>(kept_.size()) <= block_->r)
    a.concatenationGoesOn = true;
  for (Piece& piece : a.pieces)
    piece.faulty = !piece.selects || (piece.from <= fault && fault < piece.from + piece.length);
}

void StatsWatch::End() {
  const AnswerBlock& block = *block_;
  const StringList::Span t = block.t.View();
  SectionStats st;
  st.testCase = section_.testCase;
  st.firstLine = section_.line;
  st.n = static_cast<std::int64_t>(block.testCase.s.size());
  st.k = block.k;
  st.r = block.r;
  st.score = block.score;
  st.letters = std::int64_t{block.score} - block.r;
  st.lengths = lengths_;
  st.piecesFrom = piecesFrom_;
  // The strings covering most letters, kept in a heap whose top is the
  // least of them.
  std::vector<StringUse>& most = st.mostUsed;
  for (std::size_t j = 0; j < uses_.size(); ++j) {
    const StringUse use{static_cast<std::int64_t>(j) + 1, static_cast<std::int64_t>(t[j].size()),
                        uses_[j]};
    if (use.uses == 0) {
      ++st.unused;
      st.unusedLetters += use.length;
      if (st.firstUnused.size() < ListedStrings) st.firstUnused.push_back(use);
      continue;
    }
    ++st.used;
    // The lengths each bucket of the histogram holds pieces of.
    const auto bucket =
        static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(use.length)) - 1);
    if (st.shortest[bucket] == 0 || use.length < st.shortest[bucket])
      st.shortest[bucket] = use.length;
    st.longest[bucket] = std::max(st.longest[bucket], use.length);
    if (most.size() < ListedStrings || CoversMore(use, most.front())) {
      most.push_back(use);
      std::push_heap(most.begin(), most.end(), CoversMore);
      if (most.size() > ListedStrings) {
        std::pop_heap(most.begin(), most.end(), CoversMore);
        most.pop_back();
      }
    }
  }
  std::sort_heap(most.begin(), most.end(), CoversMore);
  list_.push_back(std::move(st));
}

}  // namespace krobelnik
