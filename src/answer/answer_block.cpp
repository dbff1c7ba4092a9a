#include "answer/answer_block.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "answer/index_watch.h"
#include "answer/letter_runs.h"
#include "answer/walk.h"
#include "failure/assertion.h"
#include "input/text.h"
#include "testdata/number_line.h"

namespace krobelnik {

namespace {

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

// A line of the section: where it stands in the submission.
LineContext SectionLine(const SectionPlace& section, std::int64_t line, std::int64_t offset) {
  return LineContext{{InputRole::Submission, line, offset, 0}, 0, section};
}

// Reads the k-and-r line into block and checks both counts against n.
void ReadKAndR(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter, std::int64_t n,
               const SectionPlace& section, const AnswerOptions& options) {
  const LineContext line = SectionLine(section, lineCounter, stream.Offset());
  FirstNumbers<2> kr;
  NumberLineParser parser(kr.Keep(), line, options.numberBatch);
  const bool found =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineCounter;
  if (!found) Fail(127, "manjka vrstica s steviloma k in r", line.Missing());
  parser.Finish();
  const std::int64_t count = parser.Count();
  if (count != 2)
    Fail(129, "v prvi vrstici je " + IntToStr(count) + " stevil, morali bi biti dve (k in r)",
         (count > 2 ? line.AtNumber(3) : line.At()).AddFact("count", count));
  block.k = kr.values[0];
  block.r = kr.values[1];
  if (block.k < 1 || block.k > n)
    Fail(132, "stevilo k bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.k),
         line.AtNumber(1).AddFact("k", block.k).AddFact("n", n));
  if (block.r < 1 || block.r > n)
    Fail(133, "stevilo r bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.r),
         line.AtNumber(2).AddFact("r", block.r).AddFact("n", n));
}

// Reads string t_j of k from its own line, checks it and adds it to t;
// returns its length.
std::int64_t ReadOneString(StringList& t, LineReader& stream, std::int64_t j, std::int32_t k,
                           std::int64_t n, std::int32_t& score, const SectionPlace& section) {
  // The line's place is made only for a fault, from where the line starts.
  const std::int64_t offset = stream.Offset();
  const auto line = [&] { return SectionLine(section, section.line + 1 + j, offset); };
  // Sixteen bytes can be loaded from the start of the line when it is taken
  // in place at the start of this view and the view holds them.
  const std::string_view ahead = stream.Ahead();
  // A string longer than s is counted to its end but not kept.
  CountedLine tj;
  if (!stream.ReadLineView(static_cast<std::size_t>(n), tj))
    Fail(139, "manjka vrstica z nizom t_" + IntToStr(j),
         line().Missing().AddFact("j", j).AddFact("k", k));
  const std::int64_t L = tj.length;
  if (L < 1 || L > n)
    Fail(140,
         "niz t_" + IntToStr(j) + " je dolg " + IntToStr(L) + " znakov, moral bi biti od 1 do " +
             IntToStr(n),
         line().At(L > n ? n + 1 : 0).AddFact("j", j).AddFact("length", L).AddFact("n", n));
  const std::string_view letters = tj.bytes;
  // A string of up to sixteen letters is checked and copied as two words.
  const bool asShort = letters.size() <= 16 && letters.data() == ahead.data() && ahead.size() >= 16;
  ShortBytes bytes{0, 0};
  std::size_t q = letters.size();
  if (asShort) bytes = LoadShort(letters.data());
  if (!asShort || !AllLetters(bytes, letters.size()))
    q = FindNonLetter(letters.data(), letters.size());
  if (q != letters.size()) {
    const auto at = static_cast<std::int64_t>(q);
    const auto code = static_cast<unsigned char>(letters[q]);
    Fail(141,
         "znak t_" + IntToStr(j - 1) + "[" + IntToStr(at) +
             "] bi moral biti mala crka angleske abecede, ne pa (char) " + IntToStr(code),
         line()
             .At(at + 1)
             .AddFact("j", j)
             .AddFact("length", L)
             .AddFact("q", at)
             .AddFact("byte", code));
  }
  score = AddToScore(score, L, j, line);
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
void ReadStrings(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter, std::int64_t n,
                 const SectionPlace& section) {
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
      policy.ReadOneString(ReadOneString(block.t, stream, j, block.k, n, score, section));
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
void ReadIndexLine(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                   const SectionPlace& section, const AnswerOptions& options, WalkBudget* budget) {
  const LineContext line = SectionLine(section, lineCounter, stream.Offset());
  const std::string_view s = block.testCase.s;
  // The index line is walked while it is parsed, so the indices are never
  // stored; the walk's verdict waits until the line's syntax and count pass.
  Walk walk(block.t, block.k, block.r, s, line,
            budget != nullptr ? budget->IndexFor(section.testCase, s) : nullptr);
  IndexWatch* const watch = options.watch;
  if (watch != nullptr) watch->Begin(block, section);
  NumberLineParser parser(
      [&walk, watch](const std::uint32_t* xs, std::size_t count, std::int64_t from) {
        walk(xs, count, from);
        if (watch != nullptr) watch->Indices(xs, count, walk);
      },
      line, options.numberBatch);
  const bool found =
      stream.ReadLinePieces([&](const char* data, std::size_t size) { parser.Feed(data, size); });
  ++lineCounter;
  if (!found) Fail(144, "manjka vrstica z zaporedjem i_1, ..., i_r", line.Missing());
  if (budget != nullptr)
    budget->Spend(section.testCase, s, walk.Compared(),
                  static_cast<std::uint64_t>(stream.Offset() - section.bodyOffset));
  parser.Finish();
  if (parser.Count() != block.r) {
    FaultPlace place = line.At();
    place.at = walk.Excess();
    Fail(145,
         "zaporedje i-jev je dolgo " + IntToStr(parser.Count()) +
             " elementov, moralo bi biti r = " + IntToStr(block.r),
         std::move(place.AddFact("count", parser.Count()).AddFact("r", block.r)));
  }
  if (watch != nullptr) watch->End(walk);
  walk.Finish();
}

}  // namespace

void FailScore(std::int64_t j, std::int64_t L, const LineContext& line) {
  Fail(142, "stevilo tock bi preseglo 2147483647 pri nizu t_" + IntToStr(j),
       line.At().AddFact("j", j).AddFact("length", L));
}

void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase,
                     const AnswerOptions& options, WalkBudget* budget) {
  block.testCaseNumber = testCaseNumber;
  block.testCase = testCase;
  block.t.Clear();
  block.k = block.r = block.score = 0;
  const SectionPlace section{testCaseNumber, lineCounter - 1, stream.Offset()};
  const auto n = static_cast<std::int64_t>(testCase.s.size());
  ReadKAndR(block, stream, lineCounter, n, section, options);
  ReadStrings(block, stream, lineCounter, n, section);
  ReadIndexLine(block, stream, lineCounter, section, options, budget);
}

}  // namespace krobelnik
