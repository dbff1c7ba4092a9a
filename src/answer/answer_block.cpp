#include "answer/answer_block.h"

#include <algorithm>
#include <string_view>

#include "answer/letter_runs.h"
#include "answer/walk.h"
#include "input/text.h"
#include "run/assertion.h"
#include "testdata/number_line.h"

namespace krobelnik {

namespace {

constexpr std::int32_t MaxScore = 2147483647;

// Chooses how the next strings are read: a run of one-letter lines, a run of
// short lines, or one line. A run that did not come is not tried again for
// the next LinesAfterMiss passes, nor a run of one-letter lines after a
// string of another length.
class StringPathPolicy {
 public:
  // Whether to try each run on this pass; each call counts one pass.
  bool TryLetterRun() { return TakeTurn(letterWait_); }
  bool TryShortRun() { return TakeTurn(shortWait_); }
  void LetterRunMissed() { letterWait_ = LinesAfterMiss; }
  void ShortRunMissed() { shortWait_ = LinesAfterMiss; }
  void ReadOneString(std::int64_t L) {
    if (L != 1) letterWait_ = LinesAfterMiss;
  }

 private:
  static constexpr std::int64_t LinesAfterMiss = 2 * std::int64_t{LetterLineRun};
  // True once the wait is over; until then each call is one pass of it.
  static bool TakeTurn(std::int64_t& wait) {
    if (wait <= 0) return true;
    --wait;
    return false;
  }
  std::int64_t letterWait_ = 0;
  std::int64_t shortWait_ = 0;
};

// Reads the k-and-r line into block and checks both counts against n.
void ReadKAndR(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter, std::int64_t n) {
  FirstNumbers<2> kr;
  NumberLineParser parser(kr.Keep());
  const bool found =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineCounter;
  if (!found) Fail(127, "manjka vrstica s steviloma k in r");
  parser.Finish();
  if (parser.Count() != 2)
    Fail(129,
         "v prvi vrstici je " + IntToStr(parser.Count()) + " stevil, morali bi biti dve (k in r)");
  block.k = kr.values[0];
  block.r = kr.values[1];
  if (block.k < 1 || block.k > n)
    Fail(132, "stevilo k bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.k));
  if (block.r < 1 || block.r > n)
    Fail(133, "stevilo r bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.r));
}

// Reads string t_j from its own line, checks it and adds it to t; returns
// its length.
std::int64_t ReadOneString(StringList& t, LineReader& stream, std::int64_t j, std::int64_t n,
                           std::int32_t& score) {
  // A string longer than s is counted to its end but not kept.
  CountedLine tj;
  if (!stream.ReadLineView(static_cast<std::size_t>(n), tj))
    Fail(139, "manjka vrstica z nizom t_" + IntToStr(j));
  const std::int64_t L = tj.length;
  if (L < 1 || L > n)
    Fail(140, "niz t_" + IntToStr(j) + " je dolg " + IntToStr(L) +
                  " znakov, moral bi biti od 1 do " + IntToStr(n));
  const std::string_view letters = tj.bytes;
  // A string of up to sixteen letters is checked and copied as two words
  // when the buffer holds sixteen bytes from its start.
  const bool asShort = letters.size() <= 16 && stream.ReadableFrom(letters.data()) >= 16;
  ShortBytes bytes{0, 0};
  std::size_t q = letters.size();
  if (asShort) bytes = LoadShort(letters.data());
  if (!asShort || !AllLetters(bytes, letters.size()))
    q = FindNonLetter(letters.data(), letters.size());
  if (q != letters.size())
    Fail(141, "znak t_" + IntToStr(j - 1) + "[" + IntToStr(static_cast<std::int64_t>(q)) +
                  "] bi moral biti mala crka angleske abecede, ne pa (char) " +
                  IntToStr(static_cast<unsigned char>(letters[q])));
  score = AddToScore(score, L, j);
  if (asShort) {
    t.AddShort(bytes, letters.size());
  } else {
    t.Add(letters);
  }
  return L;
}

// Reads the k string lines into block.t and leaves the score in block. Runs
// are read only while their strings cannot take the score past 2147483647,
// so that the check is needed only line by line.
void ReadStrings(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                 std::int64_t n) {
  constexpr std::int32_t ShortRunRoom = 64 * 16;
  const auto longestShort = static_cast<std::size_t>(std::min<std::int64_t>(16, n));
  block.t.Reserve(static_cast<std::size_t>(block.k));
  std::int32_t score = block.r;
  StringPathPolicy policy;
  for (std::int64_t j = 1; j <= block.k;) {
    const std::int64_t left = block.k - j + 1;
    std::int64_t read = 0;
    if (policy.TryLetterRun() && left >= LetterLineRun && score <= MaxScore - LetterLineRun) {
      if (ReadLetterLines(stream, block.t)) {
        read = LetterLineRun;
        score += LetterLineRun;
      } else {
        policy.LetterRunMissed();
      }
    }
    if (read == 0 && policy.TryShortRun() && score <= MaxScore - ShortRunRoom) {
      const ShortRun run =
          ReadShortLetterLines(stream, static_cast<std::size_t>(left), longestShort, block.t);
      read = static_cast<std::int64_t>(run.lines);
      score += static_cast<std::int32_t>(run.letters);
      if (read == 0) policy.ShortRunMissed();
    }
    if (read == 0) {
      // Counted before the line is checked, as every line read is.
      ++lineCounter;
      policy.ReadOneString(ReadOneString(block.t, stream, j, n, score));
      ++j;
      continue;
    }
    lineCounter += read;
    j += read;
  }
  block.score = score;
  block.t.Seal();
}

// Reads the index line and walks it; raises the line's faults first, then
// the walk's.
void ReadIndexLine(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter) {
  // The index line is walked while it is parsed, so the indices are never
  // stored; the walk's verdict waits until the line's syntax and count pass.
  Walk walk(block.t, block.k, block.r, block.testCase.s);
  block.indexLineOffset = stream.Offset();
  NumberLineParser parser([&walk](const std::uint32_t* xs, std::size_t count) { walk(xs, count); });
  const bool found =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineCounter;
  if (!found) Fail(144, "manjka vrstica z zaporedjem i_1, ..., i_r");
  parser.Finish();
  block.walk = walk.Stopped();
  if (parser.Count() != block.r)
    Fail(145, "zaporedje i-jev je dolgo " + IntToStr(parser.Count()) +
                  " elementov, moralo bi biti r = " + IntToStr(block.r));
  walk.Finish();
}

}  // namespace

std::int32_t AddToScore(std::int32_t score, std::int64_t L, std::int64_t j) {
  if (L > std::int64_t{MaxScore} - score)
    Fail(142, "stevilo tock bi preseglo 2147483647 pri nizu t_" + IntToStr(j));
  return static_cast<std::int32_t>(score + L);
}

void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase) {
  block.testCaseNumber = testCaseNumber;
  block.testCase = testCase;
  block.t.Clear();
  block.k = block.r = block.score = 0;
  block.indexLineOffset = -1;
  block.walk = WalkStop{};
  const auto n = static_cast<std::int64_t>(testCase.s.size());
  ReadKAndR(block, stream, lineCounter, n);
  ReadStrings(block, stream, lineCounter, n);
  ReadIndexLine(block, stream, lineCounter);
}

}  // namespace krobelnik
