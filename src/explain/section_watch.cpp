#include "explain/section_watch.h"

#include <algorithm>
#include <bit>

namespace krobelnik {

namespace {

// How many letters of s and of the concatenation an alignment shows on
// either side of the fault.
constexpr std::int64_t Window = 30;
// The pieces before a fault that are kept: enough to cover the window,
// since every piece holds a letter at least.
constexpr std::size_t KeptBefore = 64;

// Orders strings by the letters they cover, most first, then by j.
bool CoversMore(const StringUse& a, const StringUse& b) {
  const std::int64_t left = a.uses * a.length;
  const std::int64_t right = b.uses * b.length;
  return left != right ? left > right : a.j < b.j;
}

}  // namespace

void SectionWatch::Begin(const AnswerBlock& block, const SectionPlace& section) {
  block_ = &block;
  section_ = section;
  read_ = pos_ = 0;
  recent_.clear();
  stop_ = {};
  captured_ = false;
  sectionStats_ = stats_ && statsList_.size() < sections_;
  if (!sectionStats_) return;
  uses_.assign(static_cast<std::size_t>(block.k), 0);
  lengths_.fill(0);
  piecesFrom_ = -1;
  if (piecesFile_ != nullptr && piecesWritten_ + static_cast<std::size_t>(block.r) <= mostPieces_) {
    piecesFrom_ = static_cast<std::int64_t>(piecesWritten_);
    piecesWritten_ += static_cast<std::size_t>(block.r);
  }
}

SectionWatch::~SectionWatch() { FlushPieces(); }

bool SectionWatch::FlushPieces() {
  if (!pending_.empty() && !piecesFailed_)
    piecesFailed_ =
        std::fwrite(pending_.data(), 1, pending_.size(), piecesFile_) != pending_.size();
  pending_.clear();
  return !piecesFailed_;
}

void SectionWatch::Keep(const Piece& piece) {
  if (stop_.fault != WalkFault::None && piece.p > stop_.p) {
    // Past the fault, pieces are kept until the window ends.
    if (piece.from > static_cast<std::int64_t>(stop_.at) + Window ||
        stop_.fault == WalkFault::OutOfRange) {
      Align(static_cast<std::int64_t>(stop_.at));
      return;
    }
  } else if (recent_.size() >= 2 * KeptBefore) {
    recent_.erase(recent_.begin(), recent_.end() - KeptBefore);
  }
  recent_.push_back(piece);
}

void SectionWatch::Indices(const std::uint32_t* xs, std::size_t count, const WalkStop& stop) {
  const StringList::Span t = block_->t.View();
  const std::int64_t k = block_->k;
  if (stop_.fault == WalkFault::None) stop_ = stop;
  const auto left = static_cast<std::size_t>(std::max<std::int64_t>(0, block_->r - read_));
  count = std::min(count, left);
  for (std::size_t c = 0; c < count; ++c) {
    const std::int64_t x = xs[c];
    const bool selects = x >= 1 && x <= k;
    const auto length =
        selects ? static_cast<std::int64_t>(t[static_cast<std::size_t>(x - 1)].size()) : 0;
    ++read_;
    if (!captured_) Keep(Piece{read_, x, pos_, length, selects});
    if (sectionStats_ && selects) {
      ++uses_[static_cast<std::size_t>(x - 1)];
      ++lengths_[static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(length))) - 1];
      if (piecesFrom_ >= 0) {
        for (const auto value : {static_cast<std::uint32_t>(pos_), static_cast<std::uint32_t>(x)})
          for (int b = 0; b < 32; b += 8)
            pending_.push_back(static_cast<unsigned char>(value >> b));
        if (pending_.size() >= (std::size_t{1} << 16)) FlushPieces();
      }
    }
    pos_ += length;
  }
}

void SectionWatch::End() {
  if (!captured_) {
    if (stop_.fault != WalkFault::None) {
      Align(static_cast<std::int64_t>(stop_.at));
    } else if (pos_ < static_cast<std::int64_t>(block_->testCase.s.size())) {
      Align(pos_);
    }
  }
  if (sectionStats_) Statistics();
}

void SectionWatch::Align(std::int64_t fault) {
  captured_ = true;
  const std::string_view s = block_->testCase.s;
  const StringList::Span t = block_->t.View();
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
  for (const Piece& piece : recent_) {
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
  if (reached == end && read_ < block_->r) a.concatenationGoesOn = true;
}

void SectionWatch::Statistics() {
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
  statsList_.push_back(std::move(st));
}

}  // namespace krobelnik
