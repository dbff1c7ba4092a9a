#include "answer/letter_runs.h"

#include <array>
#include <bit>
#include <string_view>

#include "input/byte_scan.h"
#include "input/room.h"
#include "input/text.h"

namespace krobelnik {

bool ReadLetterLines(LineReader& reader, StringList& t) {
  // 32 lines of one letter each are 64 bytes: letters at the even places,
  // line feeds at the odd ones.
  constexpr std::uint64_t OddBytes = 0xAAAAAAAAAAAAAAAAULL;
  const std::string_view ahead = reader.Ahead();
  if (ahead.size() < 64) return false;
  const char* b = ahead.data();
  const Scanners& scanners = ActiveScanners();
  if (scanners.lineFeeds(b) != OddBytes || scanners.nonLetters(b) != OddBytes) return false;
  std::array<char, LetterLineRun> letters;
  for (std::size_t c = 0; c < letters.size(); ++c) letters[c] = b[2 * c];
  t.AddLetters(letters.data(), letters.size());
  reader.Skip(64);
  return true;
}

ShortRun ReadShortLetterLines(LineReader& reader, std::size_t most, std::size_t longest,
                              StringList& t) {
  ShortRun run;
  // 64 bytes are scanned and 16 may be loaded from the last line's start.
  const std::string_view ahead = reader.Ahead();
  if (ahead.size() < 80) return run;
  const char* b = ahead.data();
  const Scanners& scanners = ActiveScanners();
  std::uint64_t feeds = scanners.lineFeeds(b);
  const std::uint64_t others = scanners.nonLetters(b) & ~feeds;
  std::size_t from = 0;
  for (; run.lines < most && feeds != 0; ++run.lines) {
    const auto lineFeed = static_cast<std::size_t>(std::countr_zero(feeds));
    // The bytes of the line, from..lineEnd - 1, as bits.
    const std::size_t lineEnd = LineReader::LineEnd(b, from, lineFeed);
    const std::size_t L = lineEnd - from;
    const std::uint64_t line = ((std::uint64_t{1} << lineEnd) - 1) >> from << from;
    if (L == 0 || L > longest || (others & line) != 0) break;
    KROBELNIK_ASSERT_ROOM(b + from, b + ahead.size(), 16);
    t.AddShort(LoadShort(b + from), L);
    run.letters += static_cast<std::int64_t>(L);
    feeds &= feeds - 1;
    from = lineFeed + 1;
  }
  reader.Skip(from);
  return run;
}

}  // namespace krobelnik
