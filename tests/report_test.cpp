#include "run/report.h"

#include <filesystem>
#include <functional>

#include "input/line_reader.h"
#include "input/quote.h"
#include "reading_support.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Writes one form with writer into a fresh file and returns the file's bytes.
template <class Writer>
std::string Written(Writer writer) {
  TempDir dir;
  const std::string path = dir / "report.txt";
  std::FILE* report = std::fopen(path.c_str(), "wb");
  EXPECT_NE(report, nullptr);
  EXPECT_TRUE(writer(report));
  EXPECT_TRUE(CloseReport(report));
  return ReadFile(path);
}

TEST(Report, SuccessForm) {
  const struct {
    std::vector<ResultEntry> results;
    const char* text;
  } cases[] = {
      {{}, "OK\n0\n"},
      {{{1, 5}}, "OK\n1\n1 5\n"},
      {{{2, 7}, {1, 2}, {2, 7}}, "OK\n3\n2 7\n1 2\n2 7\n"},
      {{{-3, -2147483647 - 1}, {2147483647, 0}}, "OK\n2\n-3 -2147483648\n2147483647 0\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Written([&](std::FILE* f) { return WriteSuccessReport(f, c.results); }), c.text);
}

TEST(Report, SuccessFormWithManyEntriesCrossesTheBuffer) {
  std::vector<ResultEntry> results(20000, ResultEntry{12345, 678901});
  std::string expected = "OK\n20000\n";
  for (int e = 0; e < 20000; ++e) expected += "12345 678901\n";
  EXPECT_EQ(Written([&](std::FILE* f) { return WriteSuccessReport(f, results); }), expected);
}

TEST(Report, FailureForm) {
  const struct {
    EAssertion failure;
    std::string text;
  } cases[] = {
      {{"manjka stevilka tekmovalca", SourceText, 185},
       "Napaka [Zelvor20Krobelnik:185]: manjka stevilka tekmovalca\n-1\n"},
      {{"ne pa \"%s%d%n%%\"", SourceText, 190},
       "Napaka [Zelvor20Krobelnik:190]: ne pa \"%s%d%n%%\"\n-1\n"},
      {{std::string("ne pa \"ab\0cd\"", 13), SourceText, 95},
       "Napaka [Zelvor20Krobelnik:95]: ne pa \"ab\n-1\n"},
      {{"", SourceText, 55}, "Napaka [Zelvor20Krobelnik:55]: \n-1\n"},
      {{std::string("\0x\"", 3), SourceText, 190}, "Napaka [Zelvor20Krobelnik:190]: \n-1\n"},
      {{std::string(200000, 'x'), SourceText, 198},
       "Napaka [Zelvor20Krobelnik:198]: " + std::string(200000, 'x') + "\n-1\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Written([&](std::FILE* f) { return WriteFailureReport(f, c.failure); }), c.text);
}

// The failure that FailQuoting raises for the second line of path.
EAssertion QuotingFailure(const std::string& path) {
  const auto reader = testing::FileReader(path);
  QuotableLine line;
  ReadQuotableLine(*reader, line, IgnoreBytes);
  ReadQuotableLine(*reader, line, IgnoreBytes);
  try {
    FailQuoting(*reader, 198, "ne pa \"", line, "\"", FaultPlace{});
  } catch (const EAssertion& failure) {
    return failure;
  }
}

TEST(Report, FailureFormCopiesALongLineFromItsFile) {
  const std::string unexpected =
      "Nepricakovana napaka.  Predlagamo, da obvestis organizatorje tekmovanja.\n-1\n";
  const std::string longLine = std::string(300000, 'q') + "%s";
  const std::string withNul = std::string(70000, 'q') + std::string(1, '\0') + "rest";
  const std::function<void(const std::string&)> unchanged = [](const std::string&) {};
  const struct {
    std::string file;
    std::function<void(const std::string&)> change;
    std::string text;
  } cases[] = {
      {"x\n" + longLine + "\r\nnext\n", unchanged,
       "Napaka [Zelvor20Krobelnik:198]: ne pa \"" + longLine + "\"\n-1\n"},
      {"x\n" + longLine, unchanged,
       "Napaka [Zelvor20Krobelnik:198]: ne pa \"" + longLine + "\"\n-1\n"},
      {std::string("x\nab\0c\"\n", 8), unchanged,
       "Napaka [Zelvor20Krobelnik:198]: ne pa \"ab\n-1\n"},
      {"x\n" + withNul + "\n", unchanged,
       "Napaka [Zelvor20Krobelnik:198]: ne pa \"" + std::string(70000, 'q') + "\n-1\n"},
      {"x\n" + longLine + "\n",
       [](const std::string& path) { testing::WriteFile(path, "x\nshort\n"); }, unexpected},
      {"x\n" + longLine + "\n", [](const std::string& path) { std::filesystem::remove(path); },
       unexpected},
  };
  for (const auto& c : cases) {
    TempDir dir;
    testing::WriteFile(dir / "input.txt", c.file);
    const EAssertion failure = QuotingFailure(dir / "input.txt");
    EXPECT_EQ(failure.quote.has_value(), c.file.size() > DefaultQuoteInMemory);
    c.change(dir / "input.txt");
    EXPECT_EQ(Written([&](std::FILE* f) { return WriteFailureReport(f, failure); }), c.text);
  }
}

TEST(Report, UnexpectedFailureFormHasTwoSpaces) {
  EXPECT_EQ(Written([](std::FILE* f) { return WriteUnexpectedFailureReport(f); }),
            "Nepricakovana napaka.  Predlagamo, da obvestis organizatorje tekmovanja.\n-1\n");
}

TEST(Report, FullDeviceIsReportedAsNotWritten) {
  std::FILE* report = std::fopen("/dev/full", "w");
  if (report == nullptr) GTEST_SKIP() << "no /dev/full";
  const std::vector<ResultEntry> results{{1, 5}};
  const bool written = WriteSuccessReport(report, results);
  const bool closed = CloseReport(report);
  EXPECT_FALSE(written && closed);
}

}  // namespace
}  // namespace krobelnik
