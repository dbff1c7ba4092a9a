#include "answer/answer_block.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

#include "run/assertion.h"
#include "testdata/number_line.h"
#include "testdata/text.h"

namespace krobelnik {

namespace {

// Walks the concatenation t_{i_1} t_{i_2} ... against s without building it,
// batch by batch as the index line is parsed. The first fault is only
// remembered: the line's syntax and its count are checked before the walk's
// verdict counts, so it is raised by Finish once the whole line is read.
class Walk {
 public:
  explicit Walk(const AnswerBlock& block)
      : block_(block), s_(block.testCase->s.data()), n_(block.testCase->s.size()) {}

  // Walks the next indices of the line. The state lives in locals while a
  // batch is walked, so the loop keeps it in registers. Indices past the r-th
  // are not walked: the line's count is then wrong, which is reported first.
  void operator()(const std::uint32_t* xs, std::size_t count) {
    const auto walked = static_cast<std::size_t>(std::max<std::int64_t>(
        0, std::min<std::int64_t>(static_cast<std::int64_t>(count), block_.r - p_)));
    if (location_ == 0) {
      const StringList::Span t = block_.t.View();
      if (t.ends == nullptr && t.uniform == 1) {
        WalkLetters(t.letters, xs, walked);
      } else {
        // Prefetching pays only for a dictionary larger than the caches
        // nearest the core.
        const auto bytes = static_cast<std::size_t>(t.lettersEnd - t.letters);
        const auto strings = static_cast<std::size_t>(block_.k);
        const bool large = bytes + (t.ends != nullptr ? 4 * strings : 0) > (std::size_t{1} << 20);
        if (t.ends == nullptr) {
          WalkStrings<false, false>(t, xs, walked);
        } else if (large) {
          WalkStrings<true, true>(t, xs, walked);
        } else {
          WalkStrings<false, true>(t, xs, walked);
        }
      }
    }
    p_ += static_cast<std::int64_t>(count);
  }

  // Raises the walk's first fault, or 158 when the concatenation stops short.
  void Finish() const {
    switch (location_) {
      case 0:
        break;
      case 149:
        Fail(149, "indeks i_" + IntToStr(indexPosition_) + " bi moral biti od 1 do " +
                      IntToStr(block_.k) + ", ne pa " + IntToStr(index_));
      case 153:
        Fail(153, "stik nizov t_{i_1}} ... t_{i_r}} je daljsi od niza s");
      default:
        Fail(154, IntToStr(static_cast<std::int64_t>(mismatchAt_) + 1) +
                      ". znak v stiku t_{i_1}} ... t_{i_r}} je '" + std::string(1, got_) +
                      "', v nizu s pa '" + std::string(1, s_[mismatchAt_]) + "'");
    }
    if (pos_ != n_) Fail(158, "stik nizov t_{i_1}} ... t_{i_r}} je krajsi od niza s");
  }

 private:
  // The walk over a dictionary of one-letter strings: letters[x - 1] is t_x.
  void WalkLetters(const char* letters, const std::uint32_t* xs, std::size_t count) {
    const auto k = static_cast<std::uint32_t>(block_.k);
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
        OutOfRange(c, xs[c]);
        break;
      }
      if (letters[x] != s[pos]) {
        Mismatch(pos, letters[x]);
        break;
      }
      ++pos;
    }
    if (location_ == 0 && c < count) {
      if (xs[c] - 1 >= k) {
        OutOfRange(c, xs[c]);
      } else {
        location_ = 153;
      }
    }
    pos_ = pos;
  }

  // The walk over any other dictionary: Varied when its strings have
  // lengths of their own (else all have t.uniform letters).
  template <bool Prefetch, bool Varied>
  void WalkStrings(const StringList::Span t, const std::uint32_t* xs, std::size_t count) {
    const auto k = static_cast<std::uint32_t>(block_.k);
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
        OutOfRange(c, xs[c]);
        break;
      }
      // The dictionary is read in the order of the indices, at random: the
      // offsets and letters of strings a few indices ahead are fetched early.
      if (Prefetch && c + 16 < count) {
        __builtin_prefetch(t.ends + std::min(xs[c + 16] - 1, k - 1));
        __builtin_prefetch(string(std::min(xs[c + 8] - 1, k - 1)).data());
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
          Mismatch(pos + m, tx[m]);
          break;
        }
        pos += tx.size();
        continue;
      }
      // Every byte is checked for running past s before it is compared, so
      // a mismatch within the room left is reported rather than the length.
      const std::size_t room = n - pos;
      const std::size_t compared = std::min(tx.size(), room);
      if (std::memcmp(tx.data(), s + pos, compared) != 0) {
        std::size_t m = 0;
        while (tx[m] == s[pos + m]) ++m;
        Mismatch(pos + m, tx[m]);
        break;
      }
      if (tx.size() > room) {
        location_ = 153;
        break;
      }
      pos += tx.size();
    }
    pos_ = pos;
  }

  // Index c of the current batch lies outside 1 ... k.
  void OutOfRange(std::size_t c, std::uint32_t x) {
    location_ = 149;
    indexPosition_ = p_ + static_cast<std::int64_t>(c) + 1;
    index_ = x;
  }

  void Mismatch(std::size_t at, char got) {
    location_ = 154;
    mismatchAt_ = at;
    got_ = got;
  }

  const AnswerBlock& block_;
  const char* s_;
  std::size_t n_;
  std::size_t pos_ = 0;
  std::int64_t p_ = 0;
  std::int64_t indexPosition_ = 0;
  std::int32_t location_ = 0;
  std::uint32_t index_ = 0;
  std::size_t mismatchAt_ = 0;
  char got_ = 0;
};

}  // namespace

void StringList::Grow(std::size_t more) {
  const std::size_t capacity = std::max(size_ + more, 2 * capacity_);
  void* letters = std::realloc(letters_.get(), capacity);
  if (letters == nullptr) throw std::bad_alloc();
  static_cast<void>(letters_.release());
  letters_.reset(static_cast<char*>(letters));
  capacity_ = capacity;
}

void StringList::Vary() {
  ends_.reserve(std::max(reserved_, count_) + 1);
  for (std::size_t j = 0; j < count_; ++j)
    ends_.push_back(static_cast<std::uint32_t>(j * uniform_));
  ends_.push_back(static_cast<std::uint32_t>(size_));
  varied_ = true;
}

void FailScoreTooLarge(std::int64_t j) {
  Fail(142, "stevilo tock bi preseglo 2147483647 pri nizu t_" + IntToStr(j));
}

void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase) {
  block.testCaseNumber = testCaseNumber;
  block.testCase = &testCase;
  const auto n = static_cast<std::int64_t>(testCase.s.size());

  FirstNumbers<2> kr;
  NumberLineParser krParser(kr.Keep());
  const bool haveKr = stream.ReadLineInPieces(
      [&](const char* data, std::size_t size) { krParser.Feed(data, size); });
  ++lineCounter;
  if (!haveKr) Fail(127, "manjka vrstica s steviloma k in r");
  krParser.Finish();
  if (krParser.Count() != 2)
    Fail(129, "v prvi vrstici je " + IntToStr(krParser.Count()) +
                  " stevil, morali bi biti dve (k in r)");
  block.k = kr.values[0];
  block.r = kr.values[1];
  if (block.k < 1 || block.k > n)
    Fail(132, "stevilo k bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.k));
  if (block.r < 1 || block.r > n)
    Fail(133, "stevilo r bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.r));

  block.t.Reserve(static_cast<std::size_t>(block.k));
  std::int32_t score = block.r;
  // Runs of one-letter strings are read 32 lines at a time, other strings of
  // up to sixteen letters as many as the next 64 bytes hold. After a string
  // of another length, or a run that did not come, the next lines are read
  // one by one for a while. A run is read only while its strings cannot take
  // the score past 2147483647, so that the check is needed only line by line.
  constexpr std::int64_t LinesAfterMiss = 2 * std::int64_t{LetterLineRun};
  constexpr std::int32_t RunScoreRoom = 64 * 16;
  const auto shortest = static_cast<std::size_t>(std::min<std::int64_t>(16, n));
  std::int64_t singleLinesBefore = 0;
  std::int64_t shortLinesBefore = 0;
  for (std::int64_t j = 1; j <= block.k; ++j) {
    if (singleLinesBefore-- <= 0 && block.k - j + 1 >= LetterLineRun &&
        score <= std::int32_t{2147483647} - LetterLineRun) {
      std::array<char, LetterLineRun> letters;
      if (stream.ReadLetterLines(letters)) {
        block.t.AddLetters(letters.data(), letters.size());
        score += LetterLineRun;
        lineCounter += LetterLineRun;
        j += LetterLineRun - 1;
        continue;
      }
      singleLinesBefore = LinesAfterMiss;
    }
    if (shortLinesBefore-- <= 0 && score <= std::int32_t{2147483647} - RunScoreRoom) {
      const std::size_t got =
          stream.ReadShortLetterLines(static_cast<std::size_t>(block.k - j + 1), shortest,
                                      [&](const char* letters, std::size_t L) {
                                        block.t.AddShort(LoadShort(letters), L);
                                        score += static_cast<std::int32_t>(L);
                                      });
      if (got > 0) {
        lineCounter += static_cast<std::int64_t>(got);
        j += static_cast<std::int64_t>(got) - 1;
        continue;
      }
      shortLinesBefore = LinesAfterMiss;
    }
    // A string longer than s is counted to its end but not kept.
    std::string_view tj;
    std::int64_t L = 0;
    const bool haveString = stream.ReadLineUpTo(static_cast<std::size_t>(n), tj, L);
    ++lineCounter;
    if (!haveString) Fail(139, "manjka vrstica z nizom t_" + IntToStr(j));
    if (L < 1 || L > n)
      Fail(140, "niz t_" + IntToStr(j) + " je dolg " + IntToStr(L) +
                    " znakov, moral bi biti od 1 do " + IntToStr(n));
    // A string of up to sixteen letters is checked and copied as two words
    // when the buffer holds sixteen bytes from its start.
    const bool asShort = tj.size() <= 16 && stream.ReadableFrom(tj.data()) >= 16;
    ShortBytes bytes{0, 0};
    std::size_t q = tj.size();
    if (asShort) bytes = LoadShort(tj.data());
    if (!asShort || !AllLetters(bytes, tj.size())) q = FindNonLetter(tj.data(), tj.size());
    if (q != tj.size())
      Fail(141, "znak t_" + IntToStr(j - 1) + "[" + IntToStr(static_cast<std::int64_t>(q)) +
                    "] bi moral biti mala crka angleske abecede, ne pa (char) " +
                    IntToStr(static_cast<unsigned char>(tj[q])));
    score = AddToScore(score, L, j);
    if (L != 1) singleLinesBefore = LinesAfterMiss;
    if (asShort) {
      block.t.AddShort(bytes, tj.size());
    } else {
      block.t.Add(tj);
    }
  }
  block.score = score;
  block.t.Seal();

  // The index line is walked while it is parsed, so the indices are never
  // stored; the walk's verdict waits until the line's syntax and count pass.
  Walk walk(block);
  NumberLineParser indexParser(
      [&walk](const std::uint32_t* xs, std::size_t count) { walk(xs, count); });
  const bool haveIndices = stream.ReadLineInPieces(
      [&](const char* data, std::size_t size) { indexParser.Feed(data, size); });
  ++lineCounter;
  if (!haveIndices) Fail(144, "manjka vrstica z zaporedjem i_1, ..., i_r");
  indexParser.Finish();
  if (indexParser.Count() != block.r)
    Fail(145, "zaporedje i-jev je dolgo " + IntToStr(indexParser.Count()) +
                  " elementov, moralo bi biti r = " + IntToStr(block.r));
  walk.Finish();
}

}  // namespace krobelnik
