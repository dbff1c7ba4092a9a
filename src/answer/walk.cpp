#include "answer/walk.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "failure/assertion.h"
#include "input/room.h"
#include "input/text.h"
#include "testdata/test_data.h"

namespace krobelnik {

void Walk::operator()(const std::uint32_t* xs, std::size_t count, std::int64_t from) {
  const std::int64_t left = r_ - p_;
  const auto walked = static_cast<std::size_t>(
      std::max<std::int64_t>(0, std::min<std::int64_t>(static_cast<std::int64_t>(count), left)));
  batchFrom_ = from;
  // The first number past the r-th, for the count's fault.
  if (static_cast<std::int64_t>(count) > left && excess_.nthNumber == 0)
    excess_ = {0, left + 1, from + 1};
  if (stop_.fault == WalkFault::None) {
    if (t_.ends == nullptr && t_.uniform == 1) {
      WalkLetters(xs, walked);
    } else {
      // Prefetching pays only for a dictionary larger than the caches
      // nearest the core.
      const auto bytes = static_cast<std::size_t>(t_.lettersEnd - t_.letters);
      const auto strings = static_cast<std::size_t>(k_);
      const bool large = bytes + (t_.ends != nullptr ? 4 * strings : 0) > (std::size_t{1} << 20);
      if (t_.ends == nullptr) {
        WalkStrings<false, false>(xs, walked);
      } else if (large) {
        WalkStrings<true, true>(xs, walked);
      } else {
        WalkStrings<false, true>(xs, walked);
      }
    }
  }
  p_ += static_cast<std::int64_t>(count);
}

void Walk::Finish() const {
  if (stop_.fault == WalkFault::None) {
    if (pos_ != n_)
      Fail(158, "stik nizov t_{i_1}} ... t_{i_r}} je krajsi od niza s",
           line_.At()
               .AddFact("matched", static_cast<std::int64_t>(pos_))
               .AddFact("n", static_cast<std::int64_t>(n_)));
    return;
  }
  FaultPlace place = line_.At();
  place.at = stop_.index;
  place.AddFact("p", stop_.p).AddFact("x", stop_.x);
  if (stop_.fault == WalkFault::OutOfRange)
    Fail(149,
         "indeks i_" + IntToStr(stop_.p) + " bi moral biti od 1 do " + IntToStr(k_) + ", ne pa " +
             IntToStr(stop_.x),
         std::move(place.AddFact("k", k_)));
  // The letter at fault stands on the line of t_x, x lines after the
  // section's k-and-r line.
  const SectionPlace& section = line_.section;
  const std::int64_t stringLine = section.line + 1 + stop_.x;
  const auto letter = static_cast<std::int64_t>(stop_.at - stop_.start) + 1;
  place.letter =
      LetterPlace{{InputRole::Submission, stringLine, section.bodyOffset, stop_.x}, letter};
  place.AddFact("stringLine", stringLine)
      .AddFact("stringOffset", letter)
      .AddFact("position", static_cast<std::int64_t>(stop_.at) + 1)
      .AddFact("sLine", LineOfS(section.testCase));
  if (stop_.fault == WalkFault::PastEnd)
    Fail(153, "stik nizov t_{i_1}} ... t_{i_r}} je daljsi od niza s", std::move(place));
  const char expected = s_[stop_.at];
  Fail(154,
       IntToStr(static_cast<std::int64_t>(stop_.at) + 1) +
           ". znak v stiku t_{i_1}} ... t_{i_r}} je '" + std::string(1, got_) + "', v nizu s pa '" +
           std::string(1, expected) + "'",
       std::move(place.AddTextFact("got", std::string(1, got_))
                     .AddTextFact("expected", std::string(1, expected))));
}

void Walk::WalkLetters(const std::uint32_t* xs, std::size_t count) {
  const auto k = static_cast<std::uint32_t>(k_);
  const char* const letters = t_.letters;
  const char* const s = s_;
  std::size_t pos = pos_;
  // Up to the end of s no index can run past it.
  const std::size_t inside = std::min(count, n_ - pos);
  std::size_t c = 0;
  for (; c < inside; ++c) {
    const std::uint32_t x = xs[c] - 1;
    // An index is range-checked only when the walk reaches it, so a
    // mismatch caused by an earlier index is reported first.
    if (x >= k) {
      OutOfRange(c, xs[c], pos);
      break;
    }
    if (letters[x] != s[pos]) {
      Mismatch(c, xs[c], pos, pos, letters[x]);
      break;
    }
    ++pos;
  }
  if (stop_.fault == WalkFault::None && c < count) {
    if (xs[c] - 1 >= k) {
      OutOfRange(c, xs[c], pos);
    } else {
      Stop(WalkFault::PastEnd, c, xs[c], pos, n_);
    }
  }
  pos_ = pos;
}

template <bool Prefetch, bool Varied>
void Walk::WalkStrings(const std::uint32_t* xs, std::size_t count) {
  const auto k = static_cast<std::uint32_t>(k_);
  const StringList::Span t = t_;
  const char* const s = s_;
  const std::size_t n = n_;
  std::size_t pos = pos_;
  const auto string = [&t](std::uint32_t j) {
    if (!Varied) return std::string_view(t.letters + j * t.uniform, t.uniform);
    return std::string_view(t.letters + t.ends[j], t.ends[j + 1] - t.ends[j]);
  };
  for (std::size_t c = 0; c < count; ++c) {
    const std::uint32_t x = xs[c] - 1;
    if (x >= k) {
      OutOfRange(c, xs[c], pos);
      break;
    }
    // The dictionary is read in the order of the indices, at random: the
    // offsets and letters of strings a few indices ahead are fetched early.
    if (Prefetch && c + 32 < count) {
      __builtin_prefetch(t.ends + std::min(xs[c + 32] - 1, k - 1));
      __builtin_prefetch(string(std::min(xs[c + 16] - 1, k - 1)).data());
    }
    const std::string_view tx = string(x);
    // A string of up to sixteen letters is compared as two words when
    // sixteen bytes of s can be read; the dictionary's letters are followed
    // by sixteen more bytes.
    if (tx.size() <= 16 && n - pos >= 16) {
      KROBELNIK_ASSERT_ROOM(tx.data(), t.lettersEnd + 16, 16);
      if (!SameStart(LoadShort(tx.data()), LoadShort(s + pos), tx.size())) {
        std::size_t m = 0;
        while (tx[m] == s[pos + m]) ++m;
        Mismatch(c, xs[c], pos, pos + m, tx[m]);
        break;
      }
      pos += tx.size();
      continue;
    }
    if (index_ != nullptr && KnownAt(x, pos, tx.size())) {
      pos += tx.size();
      continue;
    }
    // Every byte is checked for running past s before it is compared, so
    // a mismatch within the room left is reported rather than the length.
    const std::size_t room = n - pos;
    const std::size_t compared = std::min(tx.size(), room);
    compared_ += compared;
    if (std::memcmp(tx.data(), s + pos, compared) != 0) {
      std::size_t m = 0;
      while (tx[m] == s[pos + m]) ++m;
      Mismatch(c, xs[c], pos, pos + m, tx[m]);
      break;
    }
    if (tx.size() > room) {
      Stop(WalkFault::PastEnd, c, xs[c], pos, n);
      break;
    }
    if (index_ != nullptr) Matched(x, pos);
    pos += tx.size();
  }
  pos_ = pos;
}

bool Walk::KnownAt(std::uint32_t x, std::size_t pos, std::size_t length) {
  // Strings of a few dozen letters compare faster directly.
  constexpr std::size_t IndexedLength = 64;
  if (length < IndexedLength || length > n_ - pos) return false;
  // Each long string gets its anchor when first seen: 4 bytes for each
  // string of the section, and the anchor for each long one only.
  try {
    if (anchorOf_.empty()) anchorOf_.assign(static_cast<std::size_t>(k_), 0);
    if (anchorOf_[x] == 0) {
      anchors_.emplace_back();
      anchorOf_[x] = static_cast<std::uint32_t>(anchors_.size());
    }
  } catch (const std::bad_alloc&) {
    // Without room to note places the walk compares directly.
    index_ = nullptr;
    return false;
  }
  // Equal letters at the two places, and t_x at the earlier one, make t_x
  // at pos; anything else is compared letter by letter, which finds and
  // reports the fault exactly. A string used again and again at one
  // distance (a^n, a block repeated) asks the index once.
  Anchor& anchor = anchors_[anchorOf_[x] - 1];
  // The indices going on as they went on where s agrees with itself: the
  // piece noted at the source is t_x.
  if (pos == next_ && pos + length <= until_ && sourcePiece_ < pieces_.size() &&
      pieces_[sourcePiece_].start == source_ && pieces_[sourcePiece_].x == x) {
    ++sourcePiece_;
    source_ += length;
    next_ += length;
    Placed(anchor, x, pos);
    return true;
  }
  if (anchor.last == 0) return false;
  const std::size_t last = anchor.last - 1;
  bool known = pos - last == anchor.distance && pos + length <= anchor.reach;
  if (!known) {
    // t_x stands at last: its letters, near in the cache, stand in for s's.
    const std::string_view tx = t_[x];
    const std::size_t common = index_->CommonPrefix(last, pos, tx);
    known = common >= length;
    if (known) {
      anchor.distance = static_cast<std::uint32_t>(pos - last);
      anchor.reach = static_cast<std::uint32_t>(pos + common);
    }
  }
  if (!known) return false;
  Follow(anchor, last, pos, length, anchor.reach);
  Placed(anchor, x, pos);
  return true;
}

void Walk::Follow(const Anchor& anchor, std::size_t last, std::size_t pos, std::size_t length,
                  std::size_t until) {
  // The piece after the one at last, and the place after it.
  sourcePiece_ = anchor.piece + 1;
  source_ = last + length;
  next_ = pos + length;
  until_ = until;
}

void Walk::Placed(Anchor& anchor, std::uint32_t x, std::size_t pos) {
  anchor.last = static_cast<std::uint32_t>(pos) + 1;
  if (!notingPieces_) return;
  try {
    anchor.piece = static_cast<std::uint32_t>(pieces_.size());
    pieces_.push_back(Piece{static_cast<std::uint32_t>(pos), x});
  } catch (const std::bad_alloc&) {
    // Without room to note pieces the index is asked each time.
    notingPieces_ = false;
    pieces_.clear();
  }
}

}  // namespace krobelnik
