#include "run/explain.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "input/system.h"
#include "run/line_positions.h"
#include "test_support.h"

namespace krobelnik {
namespace {

const std::string Header = "123456\nKrobelnik\n";
const std::string OneCase = "Krobelnik\n1\n\n1\nabab\n";

Explanation ExplainTexts(const std::string& testData, const std::string& submission) {
  Explanation e;
  EXPECT_TRUE(Explain(Input::Text(testData), Input::Text(submission), false, e));
  return e;
}

// The facts as "name=value" joined by spaces.
std::string Facts(const Explanation& e) {
  std::string text;
  for (const Fact& fact : e.detail)
    text += (text.empty() ? "" : " ") + fact.name + "=" +
            (fact.text.empty() ? std::to_string(fact.value) : fact.text);
  return text;
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int c = 0; c < count; ++c) text += piece;
  return text;
}

TEST(Explain, PlacesEveryLocationAtItsLineAndColumnWithItsFacts) {
  // A hundred thousand test cases of s = ab, for a fault past the first chunk.
  std::string manyCases = "Krobelnik\n100001\n";
  for (int k = 1; k <= 100000; ++k) {
    manyCases += "\n";
    manyCases += std::to_string(k);
    manyCases += "\nab\n";
  }
  const std::string longIndices = Repeat("1 ", 1499) + "3 " + Repeat("1 ", 10);
  const struct {
    std::string testData;
    std::string submission;
    std::int32_t location;
    FaultFile file;
    std::int64_t line;
    std::int64_t column;
    std::string facts;
    std::int32_t section;  // the section's first line, 0 for none
  } rows[] = {
      // The test data.
      {"", Header, 94, FaultFile::TestData, 1, 0, "", 0},
      {"Krobelnikk\n1\n", Header, 95, FaultFile::TestData, 1, 10, "", 0},
      {"Krobel\n", Header, 95, FaultFile::TestData, 1, 7, "", 0},
      {"krobelnik\n", Header, 95, FaultFile::TestData, 1, 1, "", 0},
      {"Krobelnik\n", Header, 98, FaultFile::TestData, 2, 0, "", 0},
      {"Krobelnik\n-1\n", Header, 101, FaultFile::TestData, 2, 1, "", 0},
      {"Krobelnik\n1\n", Header, 78, FaultFile::TestData, 3, 0, "testCase=1", 0},
      {"Krobelnik\n1\n \n1\nab\n", Header, 79, FaultFile::TestData, 3, 1, "testCase=1 length=1", 0},
      {"Krobelnik\n1\n\n", Header, 80, FaultFile::TestData, 4, 0, "testCase=1", 0},
      {"Krobelnik\n1\n\n1a\nab\n", Header, 55, FaultFile::TestData, 4, 2, "testCase=1 byte=97", 0},
      {"Krobelnik\n1\n\n 2147483648\nab\n", Header, 61, FaultFile::TestData, 4, 11,
       "testCase=1 digit=8", 0},
      {"Krobelnik\n1\n\n1  2\nab\n", Header, 81, FaultFile::TestData, 4, 4, "testCase=1 count=2",
       0},
      {"Krobelnik\n1\n\n \r\nab\n", Header, 81, FaultFile::TestData, 4, 0, "testCase=1 count=0", 0},
      {"Krobelnik\n1\n\n1\n", Header, 83, FaultFile::TestData, 5, 0, "testCase=1", 0},
      {"Krobelnik\n1\n\n1\n\n", Header, 84, FaultFile::TestData, 5, 0, "testCase=1 length=0", 0},
      {"Krobelnik\n1\n\n1\n" + std::string(MaxStringLength + 1, 'a') + "\n", Header, 84,
       FaultFile::TestData, 5, 10000001, "testCase=1 length=10000001", 0},
      {"Krobelnik\n1\n\n1\nab\xe8\r\n", Header, 85, FaultFile::TestData, 5, 3,
       "testCase=1 length=3 index=2 byte=232", 0},
      {"Krobelnik\n2\n\n1\nab\n\n 3\nab\n", Header, 108, FaultFile::TestData, 7, 2,
       "testCase=2 expected=2 number=3", 0},
      {manyCases + "\n", Header, 80, FaultFile::TestData, 300004, 0, "testCase=100001", 0},
      {manyCases.substr(0, manyCases.size() - 3) + "aB\n", Header, 85, FaultFile::TestData, 300002,
       2, "testCase=100000 length=2 index=1 byte=66", 0},
      // The submission's header and section lines.
      {OneCase, "", 185, FaultFile::Submission, 1, 0, "", 0},
      {OneCase, "12345\n", 186, FaultFile::Submission, 1, 0, "length=5", 0},
      {OneCase, "1234567\n", 186, FaultFile::Submission, 1, 7, "length=7", 0},
      {OneCase, "abcdef\n", 188, FaultFile::Submission, 1, 1, "", 0},
      {OneCase, "123456\n", 189, FaultFile::Submission, 2, 0, "", 0},
      {OneCase, "123456\nKrobelnix\r\n", 190, FaultFile::Submission, 2, 9, "", 0},
      {OneCase, "123456\nKrobelnik \n", 190, FaultFile::Submission, 2, 10, "", 0},
      {OneCase, Header + "\n\nx\n", 198, FaultFile::Submission, 5, 1, "", 0},
      {OneCase, Header + " \t+2\n", 200, FaultFile::Submission, 3, 3, "testCases=1", 0},
      // A section's k-and-r line and strings.
      {OneCase, Header + "1\n", 127, FaultFile::Submission, 4, 0, "", 3},
      {OneCase, Header + "1\n1 2 3\n", 129, FaultFile::Submission, 4, 5, "count=3", 3},
      {OneCase, Header + "1\n 5\n", 129, FaultFile::Submission, 4, 0, "count=1", 3},
      {OneCase, Header + "1\n 0 2\n", 132, FaultFile::Submission, 4, 2, "k=0 n=4", 3},
      {OneCase, Header + "1\n1\t9\n", 133, FaultFile::Submission, 4, 3, "r=9 n=4", 3},
      {OneCase, Header + "1\n1 -2\n", 55, FaultFile::Submission, 4, 3, "byte=45", 3},
      {OneCase, Header + "1\n1 99999999999\n", 61, FaultFile::Submission, 4, 12, "digit=9", 3},
      {OneCase, Header + "\n1\n3 1\nab\nb\n", 139, FaultFile::Submission, 8, 0, "j=3 k=3", 4},
      {OneCase, Header + "1\n1 1\nababa\n", 140, FaultFile::Submission, 5, 5, "j=1 length=5 n=4",
       3},
      {OneCase, Header + "1\n2 1\nab\n\n", 140, FaultFile::Submission, 6, 0, "j=2 length=0 n=4", 3},
      {OneCase, Header + "1\n2 1\nab\na b\n", 141, FaultFile::Submission, 6, 2,
       "j=2 length=3 q=1 byte=32", 3},
      // The index line and the walk.
      {OneCase, Header + "1\n1 1\nabab\n", 144, FaultFile::Submission, 6, 0, "", 3},
      {OneCase, Header + "1\n1 1\nabab\n1  1\n", 145, FaultFile::Submission, 6, 4, "count=2 r=1",
       3},
      {OneCase, Header + "1\n2 3\nab\nb\n1 1\n", 145, FaultFile::Submission, 7, 0, "count=2 r=3",
       3},
      {OneCase, Header + "1\n1 1\nabab\n1x\n", 55, FaultFile::Submission, 6, 2, "byte=120", 3},
      {OneCase, Header + "1\n1 1\nabab\n 3000000000\n", 61, FaultFile::Submission, 6, 11, "digit=0",
       3},
      {OneCase, Header + "1\n2 2\nab\nb\n1 3\n", 149, FaultFile::Submission, 7, 3, "p=2 x=3 k=2",
       3},
      {OneCase, Header + "1\n1 3\nab\n1 1 1\n", 153, FaultFile::Submission, 6, 5,
       "p=3 x=1 stringLine=5 stringOffset=1 position=5 sLine=5", 3},
      {OneCase, Header + "1\n2 2\nab\nb\n1 2\n", 154, FaultFile::Submission, 7, 3,
       "p=2 x=2 stringLine=6 stringOffset=1 position=3 sLine=5 got=b expected=a", 3},
      {OneCase, Header + "1\n2 1\nb\nabbb\n2\n", 154, FaultFile::Submission, 7, 1,
       "p=1 x=2 stringLine=6 stringOffset=3 position=3 sLine=5 got=b expected=a", 3},
      {OneCase, Header + "1\n1 1\nab\r\n1\r\n", 158, FaultFile::Submission, 6, 0, "matched=2 n=4",
       3},
      // Past full batches and 64-byte blocks: the 1500th index is wrong.
      {"Krobelnik\n1\n\n1\n" + std::string(std::size_t{1600}, 'a') + "\n",
       Header + "1\n2 1510\na\nb\n" + longIndices + "\n", 149, FaultFile::Submission, 7,
       2 * 1499 + 1, "p=1500 x=3 k=2", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.submission.substr(0, 60));
    const Explanation e = ExplainTexts(row.testData, row.submission);
    EXPECT_EQ(e.location, row.location);
    EXPECT_EQ(e.verdict, row.file == FaultFile::TestData ? Verdict::TestData : Verdict::Rejected);
    EXPECT_EQ(e.file, row.file);
    EXPECT_EQ(e.line, row.line);
    EXPECT_EQ(e.column, row.column);
    EXPECT_EQ(Facts(e), row.facts);
    EXPECT_EQ(e.sectionLine, row.section);
    EXPECT_EQ(e.sectionTestCase, row.section == 0 ? 0 : 1);
    const std::set<std::int32_t> missingLines = {78, 80, 83, 94, 98, 127, 139, 144, 185, 189};
    EXPECT_EQ(e.hasExcerpt, missingLines.count(row.location) == 0);
  }
}

TEST(Explain, ReportsTheVerdictOfTheEvaluatorAndWhatAnAcceptedRunRead) {
  const Explanation accepted =
      ExplainTexts(OneCase, Header + "\n1\n2 2\nab\nb\n1 1\n\n1\n1 1\nabab\n1\n");
  EXPECT_EQ(accepted.report, "OK\n2\n1 5\n1 5\n");
  EXPECT_EQ(accepted.verdict, Verdict::Accepted);
  ASSERT_EQ(accepted.sections.Size(), 2U);
  EXPECT_EQ(accepted.sections[0].firstLine, 4);
  EXPECT_EQ(accepted.sections[1].firstLine, 10);
  EXPECT_EQ(accepted.sections[1].k, 1);

  Explanation alone;
  ASSERT_TRUE(Explain(Input::Text(OneCase), Input::Text(HeaderOnlySubmission), true, alone));
  EXPECT_EQ(alone.report, "OK\n0\n");
  EXPECT_EQ(alone.testCases.Count(), 1U);

  // Test data that cannot be opened reads as empty.
  testing::TempDir dir;
  Explanation unreadable;
  ASSERT_TRUE(
      Explain(Input::File(dir / "td.txt"), Input::File(dir / "sub.txt"), false, unreadable));
  EXPECT_EQ(unreadable.verdict, Verdict::TestData);
  EXPECT_EQ(unreadable.location, 94);
}

TEST(Explain, ExcerptShowsAboutAHundredBytesAroundTheColumnWithEscapes) {
  const std::string line = Repeat("1 ", 60) + "\t\xe8" + Repeat(" 1", 60);
  const Explanation e = ExplainTexts(OneCase, Header + "1\n1 1\nabab\n" + line + "\n");
  EXPECT_EQ(e.location, 55);
  EXPECT_EQ(e.column, 122);
  EXPECT_EQ(e.excerptStart, 72);
  EXPECT_EQ(e.excerpt.size(), 100U);
  EXPECT_TRUE(e.excerptGoesOn);
  std::string printed;
  {
    std::FILE* file = OpenScratch();
    ASSERT_TRUE(PrintText(file, e));
    std::rewind(file);
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
      printed.append(chunk, got);
    std::fclose(file);
  }
  // The caret stands under the escape of the byte at the column.
  const std::size_t excerpt = printed.find("    ...");
  ASSERT_NE(excerpt, std::string::npos);
  const std::size_t caretLine = printed.find('\n', excerpt) + 1;
  const std::size_t caret = printed.find('^', caretLine) - caretLine;
  EXPECT_EQ(printed.substr(excerpt + caret, 5), "\\xe8 ");
  EXPECT_EQ(printed.substr(excerpt + caret - 2, 2), "\\t");
}

// Number starts and faults found by the 64-byte skipping agree with a
// byte-by-byte reading, wherever a block boundary falls.
TEST(NumberPositions, SkippingBlocksFindsWhatAByteByByteReadingFinds) {
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    std::string line;
    const int length = static_cast<int>(random() % 300);
    for (int c = 0; c < length; ++c) {
      const unsigned pick = random() % 16;
      line += pick < 9 ? static_cast<char>('0' + pick) : pick < 15 ? ' ' : '\t';
    }
    if (round % 3 == 0 && length > 0) line[random() % line.size()] = 'x';
    std::string padded = line + std::string(64, '\n');
    NumberPositions all(0, false);
    all.Feed(padded.data(), line.size());
    for (std::int64_t wanted = 1; wanted <= all.count + 1; ++wanted) {
      NumberPositions fast(wanted, false);
      NumberPositions slow(wanted, false);
      // Fed in two pieces, so that blocks start at any offset; and a byte
      // at a time, which never passes a block whole.
      const std::size_t cut = random() % (line.size() + 1);
      fast.Feed(padded.data(), cut);
      fast.Feed(padded.data() + cut, line.size() - cut);
      for (std::size_t c = 0; c < line.size(); ++c) slow.Feed(padded.data() + c, 1);
      EXPECT_EQ(fast.wantedColumn, slow.wantedColumn) << line;
      EXPECT_EQ(fast.count, slow.count) << line;
      EXPECT_EQ(fast.faultColumn, slow.faultColumn) << line;
    }
  }
}

// The explanation's report is the evaluator's, for every input the run fuzz
// target keeps: the same split of an input into test data and submission.
TEST(Explain, ReportIsTheEvaluatorsOnEveryFuzzCorpusInput) {
  const std::string fixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";
  int inputs = 0;
  for (const char* folder : {"run", "parsers"}) {
    for (const auto& entry : std::filesystem::directory_iterator(
             testing::Native(std::string(KROBELNIK_SOURCE_DIR) + "/fuzz/corpus/" + folder))) {
      const std::string bytes = testing::ReadFile(testing::Utf8(entry.path()));
      const std::size_t split = bytes.find('\x1e');
      const Input testData =
          Input::Text(split == std::string::npos ? fixedTestData : bytes.substr(0, split));
      const Input submission =
          Input::Text(split == std::string::npos ? bytes : bytes.substr(split + 1));
      std::string report;
      ASSERT_TRUE(VerdictText(testData, submission, report));
      Explanation e;
      ASSERT_TRUE(Explain(testData, submission, false, e));
      EXPECT_EQ(e.report, report) << entry.path();
      if (e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData) {
        EXPECT_GE(e.line, 1) << entry.path();
      }
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 10);
}

}  // namespace
}  // namespace krobelnik
