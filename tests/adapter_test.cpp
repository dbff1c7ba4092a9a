// The adapters for the judges' checker protocols, run as their judges run
// them, and the points they give.

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"
#include "verdict/points.h"

namespace krobelnik {
namespace {

using testing::Outcome;
using testing::ReadFile;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteFile;

TestCases MakeTestCases(const std::vector<std::string>& strings) {
  TestCases testCases;
  for (const std::string& s : strings) {
    testCases.AddLetters(s.data(), s.size());
    testCases.EndTestCase();
  }
  return testCases;
}

// Points worked by hand from the rule: min(1, b / s) per test case, 0 for
// one not answered, the mean over all; the raw total counts a test case not
// answered as |s| + 1.
TEST(Points, MeanOfTheJurysBestOverTheSubmissionsBest) {
  const TestCases testCases = MakeTestCases({"abab", "zzz", "abcabcab", "q"});
  const std::vector<ResultEntry> jury = {{1, 5}, {2, 3}, {3, 8}, {3, 7}, {4, 2}};
  const struct {
    std::vector<ResultEntry> submission;
    double points;
    std::int64_t raw;
    std::int64_t answered;
  } rows[] = {
      // Equal to the jury's best everywhere; a worse second section changes nothing.
      {{{1, 5}, {2, 3}, {3, 7}, {4, 2}, {1, 9}}, 1.0, 17, 4},
      // Better than the jury counts as 1, not more.
      {{{1, 4}, {2, 3}, {3, 7}, {4, 2}}, 1.0, 16, 4},
      // 5/10, 3/6, 7/14, and test case 4 not answered: (0.5 * 3 + 0) / 4.
      {{{1, 10}, {2, 6}, {3, 14}}, 0.375, 10 + 6 + 14 + 2, 3},
      {{}, 0.0, 5 + 4 + 9 + 2, 0},
  };
  for (const auto& row : rows) {
    const PointsTable table = Points(jury, row.submission, testCases);
    EXPECT_EQ(table.juryMissing, 0);
    EXPECT_DOUBLE_EQ(table.points, row.points);
    EXPECT_EQ(table.rawTotal, row.raw);
    EXPECT_EQ(table.juryTotal, 5 + 3 + 7 + 2);
    EXPECT_EQ(table.answered, row.answered);
    ASSERT_EQ(table.testCases.size(), 4U);
  }
  const std::vector<ResultEntry> partialJury = {{1, 5}, {2, 3}};
  EXPECT_EQ(Points(partialJury, {}, testCases).juryMissing, 3);
  EXPECT_EQ(PointsText(0.375), "0.375");
  EXPECT_EQ(PointsText(1.0), "1");
}

// The jury's answer to a test data file: each test case answered by its
// whole s as one string.
std::string PlainAnswer(const std::string& testData) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < testData.size()) {
    std::size_t end = testData.find('\n', from);
    if (end == std::string::npos) end = testData.size();
    std::string line = testData.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    from = end + 1;
  }
  std::string answer = "000000\nKrobelnik\n";
  const long count = lines.size() > 1 ? std::atol(lines[1].c_str()) : 0;
  // s of test case k stands on line 3k + 2, at index 3k + 1.
  for (long k = 1; k <= count && static_cast<std::size_t>(3 * k + 1) < lines.size(); ++k)
    answer += std::to_string(k) + "\n1 1\n" + lines[static_cast<std::size_t>(3 * k + 1)] + "\n1\n";
  return answer;
}

// What a judge makes of one run: accepted, rejected, or the check failed.
enum class Seen { Accepted, Rejected, CheckFailed };

// Runs each adapter as its judge runs it on the three files and checks
// that all three see the same verdict, each in its own protocol; returns it.
Seen JudgeWithEveryAdapter(const std::string& testData, const std::string& jury,
                           const std::string& submission, const std::string& report) {
  TempDir dir;
  const std::string feedback = dir / "feedback";
  std::filesystem::create_directories(testing::Native(feedback));
  // The problem package format: the submission on a pipe, the feedback
  // folder with its separator, a validator flag.
  const Outcome kattis =
      RunProgram(KATTIS_PATH, {testData, jury, feedback + "/", "score"}, dir, submission);
  const std::string team = ReadFile(feedback + "/teammessage.txt");
  const std::string judges = ReadFile(feedback + "/judgemessage.txt");
  // CMS: the outcome on standard output, the message on standard error.
  const Outcome cms = RunProgram(CMS_PATH, {testData, jury, submission}, dir);
  // testlib: input, output, answer and a result file.
  const Outcome testlib =
      RunProgram(TESTLIB_PATH, {testData, submission, jury, dir / "result.txt"}, dir);
  const std::string firstLine = report.substr(0, report.find('\n'));
  // The line as judges show it: where it holds bytes outside printable
  // ASCII they are escaped, and only its start is compared.
  const bool printable =
      std::all_of(firstLine.begin(), firstLine.end(), [](char c) { return c >= 32 && c < 127; });
  const std::string shown = printable ? firstLine : "Napaka [Zelvor20Krobelnik:";
  const auto startsWith = [](const std::string& text, const std::string& start) {
    return text.substr(0, start.size()) == start;
  };
  if (kattis.status == 42) {
    EXPECT_EQ(team.substr(0, 11), "OK, points ");
    EXPECT_EQ(ReadFile(feedback + "/score.txt"), team.substr(11));
    EXPECT_EQ(cms.status, 0);
    EXPECT_EQ(cms.out, ReadFile(feedback + "/score.txt"));
    EXPECT_TRUE(testlib.status == 0 || testlib.status == 7) << testlib.status;
    EXPECT_EQ(testlib.err.substr(0, 3), testlib.status == 0 ? "ok " : "poi");
    return Seen::Accepted;
  }
  if (kattis.status == 43) {
    // The contestant sees the evaluator's own message line.
    EXPECT_TRUE(startsWith(team, shown + (printable ? "\n" : ""))) << team;
    EXPECT_NE(judges.find("Rejected at location "), std::string::npos) << judges;
    EXPECT_FALSE(std::filesystem::exists(testing::Native(feedback + "/score.txt")));
    EXPECT_EQ(cms.status, 0);
    EXPECT_EQ(cms.out, "0.0\n");
    EXPECT_TRUE(startsWith(cms.err, shown + (printable ? "\n" : ""))) << cms.err;
    EXPECT_EQ(testlib.status, 1);
    EXPECT_TRUE(startsWith(testlib.err, "wrong answer " + shown)) << testlib.err;
    EXPECT_TRUE(startsWith(ReadFile(dir / "result.txt"), shown));
    return Seen::Rejected;
  }
  EXPECT_EQ(kattis.status, 1);
  EXPECT_EQ(judges.substr(0, 18), "the check failed: ");
  EXPECT_EQ(cms.status, 1);
  EXPECT_EQ(cms.out, "");
  EXPECT_EQ(testlib.status, 3);
  EXPECT_EQ(testlib.err.substr(0, 22), "FAIL the check failed:");
  return Seen::CheckFailed;
}

// Every end-to-end case, against a jury's answer that answers every test
// case: an accepted report is accepted by every judge, a rejection
// rejected, and faulty test data is the judges' own failure.
TEST(Adapters, JudgeEveryEndToEndCaseAsTheEvaluatorDoes) {
  TempDir dir;
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           testing::Native(std::string(KROBELNIK_SOURCE_DIR) + "/tests/cases"))) {
    const std::string folder = testing::Utf8(entry.path());
    const std::string name = testing::Utf8(entry.path().filename());
    SCOPED_TRACE(name);
    const std::string report = ReadFile(folder + "/expected.txt");
    WriteFile(dir / "jury.txt", PlainAnswer(ReadFile(folder + "/testdata.txt")));
    const Seen seen = JudgeWithEveryAdapter(folder + "/testdata.txt", dir / "jury.txt",
                                            folder + "/submission.txt", report);
    const Seen expected = name.starts_with("test-data-") ? Seen::CheckFailed
                          : report.starts_with("OK")     ? Seen::Accepted
                                                         : Seen::Rejected;
    EXPECT_EQ(seen, expected);
    ++cases;
  }
  EXPECT_GT(cases, 10);
}

// The check itself fails, whoever's fault it is not the contestant's: a jury
// answer missing, rejected or one that skips a test case, a file that cannot
// be read.
TEST(Adapters, ReportTheJudgesOwnFaultsAsAFailedCheck) {
  TempDir dir;
  const std::string examples = std::string(KROBELNIK_SOURCE_DIR) + "/examples/";
  const std::string testData = examples + "testdata.txt";
  const std::string accepted = examples + "accepted.txt";
  WriteFile(dir / "two.txt", "Krobelnik\n2\n\n1\nabab\n\n2\nzz\n");
  WriteFile(dir / "crlf.txt", "123456\r\nKrobelnik\r\n1\r\n1 1\r\nabab\r\n1\r\n");
  const struct {
    std::string testData;
    std::string jury;
    std::string submission;
    Seen seen;
  } rows[] = {
      {testData, dir / "missing.txt", accepted, Seen::CheckFailed},
      {testData, examples + "rejected.txt", accepted, Seen::CheckFailed},
      {dir / "two.txt", accepted, accepted, Seen::CheckFailed},
      {dir / "missing.txt", accepted, accepted, Seen::CheckFailed},
      // CR LF line ends are read as the evaluator reads them.
      {testData, dir / "crlf.txt", accepted, Seen::Accepted},
      {testData, accepted, dir / "crlf.txt", Seen::Accepted},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.jury + " " + row.submission);
    EXPECT_EQ(JudgeWithEveryAdapter(row.testData, row.jury, row.submission, "OK\n"), row.seen);
  }
  // A submission's file that cannot be read, where the judge names one.
  const Outcome cms = RunProgram(CMS_PATH, {testData, accepted, dir / ""}, dir);
  EXPECT_EQ(cms.status, 1);
  EXPECT_EQ(cms.out, "");
  // testlib's own checkers call an output that cannot be read a
  // presentation error (testlib.h, InStream::reset), an answer a failure.
  const Outcome testlib = RunProgram(TESTLIB_PATH, {testData, dir / "", accepted}, dir);
  EXPECT_EQ(testlib.status, 2);
  EXPECT_EQ(testlib.err.substr(0, 41), "wrong output format Output file not found");
  EXPECT_EQ(RunProgram(TESTLIB_PATH, {testData, accepted, dir / "none"}, dir).status, 3);
}

TEST(Adapters, AnswerHelpVersionAndAWrongCommandLine) {
  TempDir dir;
  for (const char* program : {KATTIS_PATH, CMS_PATH, TESTLIB_PATH}) {
    SCOPED_TRACE(program);
    const Outcome help = RunProgram(program, {"--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, 24), "usage: Zelvor20Krobelnik");
    const Outcome version = RunProgram(program, {"--version"}, dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, 18), "Zelvor20Krobelnik-");
    const Outcome wrong = RunProgram(program, {"a"}, dir);
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(wrong.err.substr(0, 24), "usage: Zelvor20Krobelnik");
  }
  // An unknown validator flag is the judges' to mend.
  const std::string examples = std::string(KROBELNIK_SOURCE_DIR) + "/examples/";
  const Outcome flag = RunProgram(
      KATTIS_PATH, {examples + "testdata.txt", examples + "accepted.txt", dir / "", "points"}, dir,
      examples + "accepted.txt");
  EXPECT_EQ(flag.status, 1);
}

#if !defined(_WIN32)
// A run of the Kattis adapter: its exit status and peak memory.
struct PipedRun {
  int status;
  double peakMiB;
};

// Writes text to descriptor whole; false when it cannot.
bool WriteAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = ::write(descriptor, text.data(), text.size());
    if (put <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// Runs the Kattis adapter with args and feeds it through a pipe the header
// of a submission and then sections sections, each put on the pipe by
// writeSection(descriptor). The child starts before anything large is made,
// so that its peak memory is its own.
template <class WriteSection>
PipedRun FeedThroughAPipe(const std::vector<std::string>& args, WriteSection&& writeSection,
                          int sections) {
  int ends[2];
  EXPECT_EQ(pipe(ends), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(ends[0], 0);
    close(ends[0]);
    close(ends[1]);
    std::vector<const char*> argv = {KATTIS_PATH};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    execv(KATTIS_PATH, const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  close(ends[0]);
  bool written = WriteAll(ends[1], "123456\nKrobelnik\n");
  for (int s = 0; s < sections && written; ++s) written = writeSection(ends[1]);
  close(ends[1]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  EXPECT_TRUE(written);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
          static_cast<double>(usage.ru_maxrss) / 1024};
}
#endif

// A submission of 220 MB arrives on a pipe: the adapter keeps it in a file
// of no name, reads it as the evaluator does, and stays within the
// evaluator's memory bound (the letters of s, those of the largest section,
// and 32 MiB).
TEST(Adapters, ASubmissionOfHundredsOfMegabytesOnAPipeInBoundedMemory) {
  KROBELNIK_SKIP_ON_WINDOWS("peak memory is measured with POSIX calls Windows lacks");
#if !defined(_WIN32)
  if (std::getenv("KROBELNIK_EMULATED") != nullptr) GTEST_SKIP() << "too slow under emulation";
  constexpr std::size_t N = 10000000;
  TempDir dir;
  std::filesystem::create_directories(testing::Native(dir / "fb"));
  // s is ten million a; the jury answers with s whole, the submission with
  // eleven sections of the one letter a and ten million indices 1 (20 MB
  // each), which score as the jury's answer does.
  const std::string chunk = [] {
    std::string ones;
    for (int i = 0; i < 32768; ++i) ones += "1 ";
    return ones;
  }();
  const auto writeSection = [&](int descriptor) {
    bool written = WriteAll(descriptor, "1\n1 10000000\na\n");
    for (std::size_t left = N; left > 0 && written;) {
      const std::size_t indices = std::min(left, chunk.size() / 2);
      written = WriteAll(descriptor, std::string_view(chunk).substr(0, 2 * indices));
      left -= indices;
    }
    return written && WriteAll(descriptor, "\n");
  };
  const PipedRun run = [&] {
    const std::string td = dir / "td.txt", jury = dir / "jury.txt";
    {
      const std::string letters(N, 'a');
      WriteFile(td, "Krobelnik\n1\n\n1\n" + letters + "\n");
      WriteFile(jury, "000000\nKrobelnik\n1\n1 1\n" + letters + "\n1\n");
    }
#if defined(KROBELNIK_SANITIZED)
    // Under the sanitizers the run is slow and its peak memory theirs.
    constexpr int Sections = 2;
#else
    constexpr int Sections = 11;
#endif
    return FeedThroughAPipe({td, jury, dir / "fb", "score"}, writeSection, Sections);
  }();
  EXPECT_EQ(run.status, 42);
  EXPECT_EQ(ReadFile(dir / "fb/score.txt"), "1\n");
#if !defined(KROBELNIK_SANITIZED)
  EXPECT_LT(run.peakMiB, 10 + 10 + 32);
#endif
  // Nothing is left behind in the temporary folder.
  const std::regex spool("krobelnik-[A-Za-z0-9]{6}");
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
    EXPECT_FALSE(std::regex_match(entry.path().filename().string(), spool)) << entry.path();
#endif
}

}  // namespace
}  // namespace krobelnik
