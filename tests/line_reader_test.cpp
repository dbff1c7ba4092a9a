#include "input/line_reader.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "input/byte_scan.h"
#include "reading_support.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::TempDir;
using testing::WriteFile;
using Lines = std::vector<std::string>;

const struct {
  std::string text;
  Lines lines;
} LineCases[] = {
    {"", {}},
    {"\n", {""}},
    {"\n\n", {"", ""}},
    {"a", {"a"}},
    {"a\n", {"a"}},
    {"ab\n\ncd", {"ab", "", "cd"}},
    {"a\r\nb\r\n", {"a", "b"}},
    {"\r\n\r\n", {"", ""}},
    {"a\rb\n", {"a\rb"}},
    {"a\r", {"a\r"}},
    {"a\r\r\n", {"a\r"}},
    {"\r", {"\r"}},
    {"\r\r\r\n\r", {"\r\r", "\r"}},
    {std::string("x\0y\xff\x80\n\0", 7), {std::string("x\0y\xff\x80", 5), std::string("\0", 1)}},
    {std::string(1000, 'a') + "\r\n" + std::string(999, 'b') + "\r",
     {std::string(1000, 'a'), std::string(999, 'b') + "\r"}},
};

const std::size_t BufferSizes[] = {1, 2, 3, 5, 64, LineReader::DefaultBufferSize};

Lines ReadAllWhole(LineReader& reader) {
  Lines lines;
  std::string_view line;
  while (testing::ReadWholeLine(reader, line)) lines.emplace_back(line);
  return lines;
}

Lines ReadAllInPieces(LineReader& reader) {
  Lines lines;
  std::string line;
  while (reader.ReadLinePieces([&](const char* data, std::size_t size) {
    EXPECT_GT(size, 0U);
    line.append(data, size);
  })) {
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

// Alternates the two ways of reading, as the answer checker does.
Lines ReadAllMixed(LineReader& reader) {
  Lines lines;
  for (bool whole = true;; whole = !whole) {
    std::string line;
    std::string_view view;
    const bool more =
        whole ? testing::ReadWholeLine(reader, view)
              : reader.ReadLinePieces([&](const char* d, std::size_t n) { line.append(d, n); });
    if (!more) return lines;
    lines.push_back(whole ? std::string(view) : line);
  }
}

TEST(LineReader, SplitsLinesFromMemoryWithEveryBufferSize) {
  for (const auto& c : LineCases) {
    for (std::size_t size : BufferSizes) {
      const auto whole = testing::TextReader(c.text, size);
      EXPECT_EQ(ReadAllWhole(*whole), c.lines) << "buffer " << size;
      const auto pieces = testing::TextReader(c.text, size);
      EXPECT_EQ(ReadAllInPieces(*pieces), c.lines) << "buffer " << size;
      const auto mixed = testing::TextReader(c.text, size);
      EXPECT_EQ(ReadAllMixed(*mixed), c.lines) << "buffer " << size;
    }
  }
}

TEST(LineReader, EveryScanLevelSplitsRandomShortLinesAlike) {
  std::mt19937 random(7);
  std::string text;
  Lines expected;
  for (int line = 0; line < 3000; ++line) {
    const std::size_t length = random() % 8 == 0 ? random() % 200 : random() % 4;
    std::string bytes;
    for (std::size_t b = 0; b < length; ++b) bytes += "ab\r\x0a"[random() % 3];
    const bool crlf = random() % 4 == 0;
    text += bytes + (crlf ? "\r\n" : "\n");
    // A carriage return right before the line feed is not part of the line.
    if (!crlf && !bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    expected.push_back(bytes);
  }
  const ScanLevel before = ActiveScanLevel();
  for (const ScanLevelName& level : ScanLevels) {
    SetScanLevel(level.level);
    for (std::size_t size : {std::size_t{64}, std::size_t{100}, std::size_t{4096}}) {
      const auto whole = testing::TextReader(text, size);
      EXPECT_EQ(ReadAllWhole(*whole), expected) << "buffer " << size;
      const auto mixed = testing::TextReader(text, size);
      EXPECT_EQ(ReadAllMixed(*mixed), expected) << "buffer " << size;
    }
  }
  SetScanLevel(before);
}

// The test runner reruns the suite at each narrower level through the
// environment: a name that is no level, or a level that does not run, would
// rerun nothing new.
TEST(ScanLevel, TheLevelTheEnvironmentAsksForIsTheOneThatRuns) {
  for (const char* unknown : {"", "AVX2", "avx-2", "sse", "avx2 "}) {
    ScanLevel level = ScanLevel::Plain;
    EXPECT_FALSE(ParseScanLevel(unknown, level)) << unknown;
  }
  const char* name = std::getenv("KROBELNIK_SCAN");
  if (name == nullptr) {
    EXPECT_EQ(ActiveScanLevel(), SupportedScanLevel());
    return;
  }
  ScanLevel asked = ScanLevel::Plain;
  ASSERT_TRUE(ParseScanLevel(name, asked)) << "KROBELNIK_SCAN=" << name << " names no level";
  if (!ScanLevelRuns(asked)) GTEST_SKIP() << "this machine has no level " << name;
  EXPECT_EQ(ActiveScanLevel(), asked) << name;
}

// Every level's operations classify each byte value at each place of a block
// exactly as a byte-by-byte reading does (the check is shared with the
// parsers fuzz target, which runs it where this suite does not).
TEST(ScanLevel, EveryLevelClassifiesEveryByteAtEveryPlace) {
  const ScanLevel before = ActiveScanLevel();
  for (const ScanLevelName& level : ScanLevels) {
    SetScanLevel(level.level);
    EXPECT_EQ(testing::ClassificationFault(), "") << level.name;
  }
  SetScanLevel(before);
}

TEST(LineReader, SplitsLinesFromFiles) {
  TempDir dir;
  for (const auto& c : LineCases) {
    WriteFile(dir / "f.txt", c.text);
    for (std::size_t size : {std::size_t{3}, LineReader::DefaultBufferSize}) {
      const auto reader = testing::FileReader(dir / "f.txt", size);
      EXPECT_EQ(ReadAllMixed(*reader), c.lines);
    }
  }
}

TEST(LineReader, MissingLineStaysMissing) {
  const auto owned = testing::TextReader("a\n", 4);
  LineReader& reader = *owned;
  std::string_view line;
  EXPECT_TRUE(testing::ReadWholeLine(reader, line));
  EXPECT_FALSE(testing::ReadWholeLine(reader, line));
  EXPECT_FALSE(reader.ReadLinePieces([](const char*, std::size_t) {}));
  EXPECT_FALSE(testing::ReadWholeLine(reader, line));
}

TEST(LineReader, UnopenableOrUnreadableFileReadsAsEmpty) {
  TempDir dir;
  for (const std::string& path : {dir / "missing.txt", dir / ""}) {
    const auto reader = testing::FileReader(path);
    std::string_view line;
    EXPECT_FALSE(testing::ReadWholeLine(*reader, line)) << path;
  }
}

TEST(LineReader, ClosedReaderHasNoLines) {
  const auto owned = testing::TextReader("a\nb\n");
  LineReader& reader = *owned;
  reader.Close();
  std::string_view line;
  EXPECT_FALSE(testing::ReadWholeLine(reader, line));
}

}  // namespace
}  // namespace krobelnik
