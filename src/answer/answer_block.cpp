#include "answer/answer_block.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "run/assertion.h"
#include "testdata/number_line.h"
#include "testdata/text.h"

namespace krobelnik {

namespace {

[[noreturn]] void FailTooLong() {
  Fail(153, "stik nizov t_{i_1}} ... t_{i_r}} je daljsi od niza s");
}

[[noreturn]] void FailMismatch(std::int64_t pos, char got, char expected) {
  Fail(154, IntToStr(pos + 1) + ". znak v stiku t_{i_1}} ... t_{i_r}} je '" + std::string(1, got) +
                "', v nizu s pa '" + std::string(1, expected) + "'");
}

// Walks the concatenation t_{i_1} ... t_{i_r} against s without building it;
// raises at the first fault.
void Walk(const AnswerBlock& block) {
  const std::string& s = block.testCase->s;
  const std::size_t n = s.size();
  std::size_t pos = 0;
  for (std::size_t p = 0; p < block.i.size(); ++p) {
    const std::int32_t x = block.i[p];
    // An index is range-checked only when the walk reaches it, so a mismatch
    // caused by an earlier index is reported first.
    if (x < 1 || x > block.k)
      Fail(149, "indeks i_" + IntToStr(static_cast<std::int64_t>(p) + 1) +
                    " bi moral biti od 1 do " + IntToStr(block.k) + ", ne pa " + IntToStr(x));
    const std::string_view tx = block.t[static_cast<std::size_t>(x) - 1];
    if (tx.size() == 1) {
      if (pos >= n) FailTooLong();
      if (tx[0] != s[pos]) FailMismatch(static_cast<std::int64_t>(pos), tx[0], s[pos]);
      ++pos;
      continue;
    }
    // Each byte is checked for running past s before it is compared, so a
    // mismatch within the room left wins over being too long.
    const std::size_t room = n - pos;
    const std::size_t compared = std::min(tx.size(), room);
    if (std::memcmp(tx.data(), s.data() + pos, compared) != 0) {
      std::size_t m = 0;
      while (tx[m] == s[pos + m]) ++m;
      FailMismatch(static_cast<std::int64_t>(pos + m), tx[m], s[pos + m]);
    }
    if (tx.size() > room) FailTooLong();
    pos += tx.size();
  }
  if (pos != n) Fail(158, "stik nizov t_{i_1}} ... t_{i_r}} je krajsi od niza s");
}

}  // namespace

void StringList::Reserve(std::size_t count) {
  letters_.reserve(count);
  ends_.reserve(count + 1);
}

std::int32_t AddToScore(std::int32_t score, std::int64_t L, std::int64_t j) {
  if (L > std::numeric_limits<std::int32_t>::max() - std::int64_t{score})
    Fail(142, "stevilo tock bi preseglo 2147483647 pri nizu t_" + IntToStr(j));
  return static_cast<std::int32_t>(score + L);
}

void ReadAnswerBlock(AnswerBlock& block, LineReader& stream, std::int64_t& lineCounter,
                     std::int32_t testCaseNumber, const TestCase& testCase) {
  block.testCaseNumber = testCaseNumber;
  block.testCase = &testCase;
  const auto n = static_cast<std::int64_t>(testCase.s.size());

  std::vector<std::int32_t> kr;
  NumberLineParser krParser(kr, 2);
  const bool haveKr = stream.ReadLineInPieces(
      [&](const char* data, std::size_t size) { krParser.Feed(data, size); });
  ++lineCounter;
  if (!haveKr) Fail(127, "manjka vrstica s steviloma k in r");
  krParser.Finish();
  if (krParser.Count() != 2)
    Fail(129, "v prvi vrstici je " + IntToStr(krParser.Count()) +
                  " stevil, morali bi biti dve (k in r)");
  block.k = kr[0];
  block.r = kr[1];
  if (block.k < 1 || block.k > n)
    Fail(132, "stevilo k bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.k));
  if (block.r < 1 || block.r > n)
    Fail(133, "stevilo r bi moralo biti od 1 do " + IntToStr(n) + ", ne pa " + IntToStr(block.r));

  block.t.Reserve(static_cast<std::size_t>(block.k));
  block.score = block.r;
  for (std::int64_t j = 1; j <= block.k; ++j) {
    // A string longer than s is counted to its end but not kept.
    std::int64_t L = 0;
    const bool haveString = stream.ReadLineInPieces([&](const char* data, std::size_t size) {
      L += static_cast<std::int64_t>(size);
      if (L <= n) block.t.Append(data, size);
    });
    ++lineCounter;
    if (!haveString) Fail(139, "manjka vrstica z nizom t_" + IntToStr(j));
    if (L < 1 || L > n)
      Fail(140, "niz t_" + IntToStr(j) + " je dolg " + IntToStr(L) +
                    " znakov, moral bi biti od 1 do " + IntToStr(n));
    const std::string_view tj = block.t.Pending();
    const std::size_t q = FindNonLetter(tj.data(), tj.size());
    if (q != tj.size())
      Fail(141, "znak t_" + IntToStr(j - 1) + "[" + IntToStr(static_cast<std::int64_t>(q)) +
                    "] bi moral biti mala crka angleske abecede, ne pa (char) " +
                    IntToStr(static_cast<unsigned char>(tj[q])));
    block.score = AddToScore(block.score, L, j);
    block.t.Commit();
  }

  // Numbers past the r-th are counted but not kept: the count alone decides.
  block.i.reserve(static_cast<std::size_t>(block.r));
  NumberLineParser indexParser(block.i, static_cast<std::size_t>(block.r));
  const bool haveIndices = stream.ReadLineInPieces(
      [&](const char* data, std::size_t size) { indexParser.Feed(data, size); });
  ++lineCounter;
  if (!haveIndices) Fail(144, "manjka vrstica z zaporedjem i_1, ..., i_r");
  indexParser.Finish();
  if (indexParser.Count() != block.r)
    Fail(145, "zaporedje i-jev je dolgo " + IntToStr(indexParser.Count()) +
                  " elementov, moralo bi biti r = " + IntToStr(block.r));

  Walk(block);
}

}  // namespace krobelnik
