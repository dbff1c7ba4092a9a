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
  // testlib: input, output and answer, the verdict on standard error; then
  // with a result file, which takes the verdict, standard error saying only
  // where it is, as testlib's own checkers do.
  const Outcome testlib = RunProgram(TESTLIB_PATH, {testData, submission, jury}, dir);
  const Outcome withFile =
      RunProgram(TESTLIB_PATH, {testData, submission, jury, dir / "result.txt"}, dir);
  EXPECT_EQ(withFile.status, testlib.status);
  std::string whereErr = withFile.err;
  std::erase(whereErr, '\r');
  EXPECT_EQ(whereErr, "\nSee file to check exit message\n");
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
    EXPECT_NE(judges.find("Rejected: the fault is in the answer (location "), std::string::npos)
        << judges;
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
  const Outcome testlib =
      RunProgram(TESTLIB_PATH, {testData, dir / "no-output.txt", accepted}, dir);
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

// What a judge's own code records for one run of its adapter, as its
// parser reads what the adapter left: the verdict, and the points where it
// gives any ("" for none).
struct Recorded {
  std::string verdict;
  std::string points;
};

// problemtools (problemtools/judge/validate.py, _parse_validator_result)
// and DOMjudge (judge/judgedaemon.main.php): exit status 42 or 43, anything
// else a judge error; score.txt beside a 43 is a judge error; with "custom
// score" score.txt must stand beside a 42 and parse as a number, without it
// it must not.
Recorded KattisRecords(const Outcome& run, const std::string& feedback, bool customScore) {
  const std::string scoreFile = feedback + "/score.txt";
  const bool scored = std::filesystem::exists(testing::Native(scoreFile));
  if (run.status != 42 && run.status != 43) return {"JE", ""};
  if (run.status == 43) return {scored ? "JE" : "WA", ""};
  if (scored != customScore) return {"JE", ""};
  if (!scored) return {"AC", ""};
  std::string score = ReadFile(scoreFile);
  // A judge reads a plain decimal; no exponent, one line.
  if (!std::regex_match(score, std::regex("[0-9]+(\\.[0-9]+)?\n"))) return {"JE", score};
  score.pop_back();
  return {"AC", score};
}

// CMS (cms/grading/steps/trusted.py, checker_step and
// extract_outcome_and_text): the checker must exit 0; the first line of
// standard output is the outcome, a float; the first line of standard
// error the contestant's text, without control characters; every other
// line of it empty or an ADMIN_MESSAGE.
Recorded CmsRecords(const Outcome& run) {
  if (run.status != 0) return {"JE", ""};
  const std::string outcome = run.out.substr(0, run.out.find('\n'));
  const std::string text = run.err.substr(0, run.err.find('\n'));
  if (!std::regex_match(outcome, std::regex("[0-9]+(\\.[0-9]+)?"))) return {"JE", outcome};
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if ((code < 32 && c != '\t') || code == 127) return {"JE", outcome};
  }
  std::size_t line = run.err.find('\n');
  while (line != std::string::npos && line + 1 < run.err.size()) {
    const std::size_t end = run.err.find('\n', line + 1);
    const std::string rest = run.err.substr(line + 1, end - line - 1);
    if (!rest.empty() && !rest.starts_with("ADMIN_MESSAGE:")) return {"JE", outcome};
    line = end;
  }
  return {outcome == "0.0" && text.starts_with("Napaka") ? "WA" : "AC", outcome};
}

// DMOJ (dmoj/contrib/testlib.py, ContribModule.parse_return_code) with
// the test case worth value points: 0 all of them, 1 and 2 none, 3 an
// internal error, 7 the whole number N of a line "points N" of standard
// error, from 0 to value; any other status an internal error.
Recorded DmojRecords(const Outcome& run, int value) {
  switch (run.status) {
    case 0:
      return {"AC", std::to_string(value)};
    case 1:
      return {"WA", "0"};
    case 2:
      return {"PE", "0"};
    case 7: {
      std::smatch points;
      const std::regex line("(^|\n)points ([0-9]+)(\n|$)");
      if (!std::regex_search(run.err, points, line) || std::stoi(points[2]) > value)
        return {"IE", ""};
      return {"AC", points[2]};
    }
    default:
      return {"IE", ""};
  }
}

// testlib's own checkers (testlib.h, InStream::quit and __testlib_quitp):
// "ok", "wrong answer", "wrong output format", "FAIL" or "points P" with P
// in ten decimals, trailing zeros cut, starting standard error, with the
// exit status of each: 0, 1, 2, 3 and 7.
Recorded TestlibRecords(const Outcome& run) {
  const struct {
    int status;
    const char* start;
    const char* verdict;
  } forms[] = {{0, "ok ", "AC"},
               {1, "wrong answer ", "WA"},
               {2, "wrong output format ", "PE"},
               {3, "FAIL ", "JE"},
               {7, "points ", "AC"}};
  for (const auto& form : forms) {
    if (run.status != form.status || !run.err.starts_with(form.start)) continue;
    if (form.status != 7) return {form.verdict, ""};
    std::smatch points;
    if (!std::regex_search(run.err, points,
                           std::regex("^points ([0-9]+\\.[0-9]*[1-9]|[0-9]+\\.0) ")))
      return {"JE", ""};
    return {"AC", points[1]};
  }
  return {"JE", ""};
}

// The same from the result file in the XML form (-appes), as Polygon reads
// it: the outcome accepted, wrong-answer, presentation-error, fail or points
// with its attribute points = "P"; standard error then says only where the
// verdict is.
Recorded TestlibXmlRecords(const Outcome& run, const std::string& xml) {
  std::string err = run.err;
  std::erase(err, '\r');
  if (err != "\nSee file to check exit message\n") return {"JE", ""};
  std::smatch found;
  if (!std::regex_search(xml, found,
                         std::regex("<result outcome = \"([a-z-]+)\"( points = \"([0-9.]+)\")?>")))
    return {"JE", ""};
  const std::string outcome = found[1];
  if (outcome == "accepted" && run.status == 0) return {"AC", ""};
  if (outcome == "points" && run.status == 7) return {"AC", found[3]};
  if (outcome == "wrong-answer" && run.status == 1) return {"WA", ""};
  if (outcome == "presentation-error" && run.status == 2) return {"PE", ""};
  return {"JE", ""};
}

// Each judge's calling and parsing, replayed on the cases that matter to
// it: every judge records the same verdict, and points of the same value
// in its own form.
TEST(Adapters, EveryJudgeRecordsTheVerdictAndPointsItsOwnCodeReads) {
  TempDir dir;
  const std::string header = "000000\nKrobelnik\n";
  // Test case 1 is abab (the jury's score 5), test case 2 zz (3).
  WriteFile(dir / "td.txt", "Krobelnik\n2\n\n1\nabab\n\n2\nzz\n");
  WriteFile(dir / "faulty.txt", "Krobelnik\n2\n\n1\nabab\n\n3\nzz\n");
  const std::string jury1 = "1\n2 2\nab\nb\n1 1\n", jury2 = "2\n1 1\nzz\n1\n";
  WriteFile(dir / "jury.txt", header + jury1 + jury2);
  WriteFile(dir / "jury-rejected.txt", header + "1\n1 1\nabba\n1\n" + jury2);
  WriteFile(dir / "jury-partial.txt", header + jury1);
  const std::string rejected = header + "1\n1 1\nab\n1\n";
  const struct {
    const char* name;
    std::string testData;
    std::string jury;
    std::string submission;
    Recorded kattis, cms, dmoj, testlib;
  } rows[] = {
      {"equal to the jury",
       "td.txt",
       "jury.txt",
       header + jury2 + jury1,
       {"AC", "1"},
       {"AC", "1"},
       {"AC", "10"},
       {"AC", ""}},
      {"better than the jury",
       "td.txt",
       "jury.txt",
       header + "1\n1 2\nab\n1 1\n" + jury2,
       {"AC", "1"},
       {"AC", "1"},
       {"AC", "10"},
       {"AC", ""}},
      // (5/6 + 1) / 2 = 11/12 of the points, as the mean of the two doubles
      // comes out; 9 of 10 whole ones.
      {"worse than the jury",
       "td.txt",
       "jury.txt",
       header + "1\n2 4\na\nb\n1 2 1 2\n" + jury2,
       {"AC", "0.9166666666666667"},
       {"AC", "0.9166666666666667"},
       {"AC", "9"},
       {"AC", "0.9166666667"}},
      {"a test case unanswered",
       "td.txt",
       "jury.txt",
       header + jury1,
       {"AC", "0.5"},
       {"AC", "0.5"},
       {"AC", "5"},
       {"AC", "0.5"}},
      {"rejected",
       "td.txt",
       "jury.txt",
       rejected,
       {"WA", ""},
       {"WA", "0.0"},
       {"WA", "0"},
       {"WA", ""}},
      {"a jury's answer the evaluator rejects",
       "td.txt",
       "jury-rejected.txt",
       header + jury1,
       {"JE", ""},
       {"JE", ""},
       {"IE", ""},
       {"JE", ""}},
      // The jury's answer is checked whole, whatever the submission.
      {"a jury's answer that skips a test case",
       "td.txt",
       "jury-partial.txt",
       rejected,
       {"JE", ""},
       {"JE", ""},
       {"IE", ""},
       {"JE", ""}},
      {"faulty test data",
       "faulty.txt",
       "jury.txt",
       header + jury1,
       {"JE", ""},
       {"JE", ""},
       {"IE", ""},
       {"JE", ""}},
  };
  const auto expectRecorded = [](const char* judge, const Recorded& got, const Recorded& want) {
    EXPECT_EQ(got.verdict, want.verdict) << judge;
    EXPECT_EQ(got.points, want.points) << judge;
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string testData = dir / row.testData, jury = dir / row.jury;
    const std::string submission = dir / "submission.txt";
    WriteFile(submission, row.submission);
    // A feedback folder used before: a score left in it must not count.
    const std::string feedback = dir / "feedback";
    std::filesystem::create_directories(testing::Native(feedback));
    WriteFile(feedback + "/score.txt", "0.25\n");
    const Outcome kattis =
        RunProgram(KATTIS_PATH, {testData, jury, feedback + "/", "score"}, dir, submission);
    expectRecorded("problemtools", KattisRecords(kattis, feedback, true), row.kattis);
    // A pass-fail problem: no flag, no score.
    const Outcome passFail =
        RunProgram(KATTIS_PATH, {testData, jury, feedback + "/"}, dir, submission);
    EXPECT_EQ(KattisRecords(passFail, feedback, false).verdict, row.kattis.verdict);
    // CMS's task types: OutputOnly and Batch pass three files,
    // BatchAndOutput adds how the output was made.
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, {"outputonly"}, {"batch"}}) {
      std::vector<std::string> args = {testData, jury, submission};
      args.insert(args.end(), extra.begin(), extra.end());
      expectRecorded("CMS", CmsRecords(RunProgram(CMS_PATH, args, dir)), row.cms);
    }
    expectRecorded(
        "DMOJ",
        DmojRecords(
            RunProgram(TESTLIB_PATH, {testData, submission, jury, "--points-out-of", "10"}, dir),
            10),
        row.dmoj);
    // testlib's own options are taken wherever they stand.
    expectRecorded(
        "testlib",
        TestlibRecords(RunProgram(
            TESTLIB_PATH, {"--testset", "tests", testData, submission, jury, "--group", "1"}, dir)),
        row.testlib);
    const Outcome withFile = RunProgram(TESTLIB_PATH,
                                        {"--testset", "tests", testData, submission, jury,
                                         "--group", "1", dir / "result.xml", "-APPES"},
                                        dir);
    expectRecorded("testlib, the result file",
                   TestlibXmlRecords(withFile, ReadFile(dir / "result.xml")), row.testlib);
  }
}

// The programs around the evaluator where a path is not a plain file: a
// closed standard input, a named pipe (opened once, read once), a pipe
// named by the shell, memory that runs out. Each runs in a shell with a
// time limit, so that one that blocks fails rather than hangs.
TEST(Adapters, MeetBadPathsWithTheRightVerdictAndReason) {
  KROBELNIK_SKIP_ON_WINDOWS("the cases are made with a POSIX shell");
#if !defined(_WIN32)
  TempDir dir;
  const std::string examples = std::string(KROBELNIK_SOURCE_DIR) + "/examples/";
  const std::string td = examples + "testdata.txt", accepted = examples + "accepted.txt";
  const std::string rejected = examples + "rejected.txt", fifo = dir / "fifo";
  const std::string letters(std::size_t{10000000}, 'a');
  WriteFile(dir / "big.txt", "Krobelnik\n1\n\n1\n" + letters + "\n");
  WriteFile(dir / "big-answer.txt", "000000\nKrobelnik\n1\n1 1\n" + letters + "\n1\n");
  const auto q = [](const std::string& text) { return "'" + text + "'"; };
  // Writes file into the named pipe in the background.
  const auto feed = [&](const std::string& file) {
    return "rm -f " + q(fifo) + " && mkfifo " + q(fifo) + " && (cat " + q(file) + " >" + q(fifo) +
           " &) && ";
  };
  // Copies accepted to file in dir, runs command, and says "intact" when the
  // file is still the copy; the status is the command's.
  const auto intact = [&](const std::string& file, const std::string& command) {
    const std::string copy = q(dir / file);
    return "cp " + q(accepted) + " " + copy + " && { " + command + "; s=$?; cmp -s " + q(accepted) +
           " " + copy + " && echo intact; exit $s; }";
  };
  const struct {
    const char* name;
    std::string command;
    int status;
    const char* shows;
  } rows[] = {
      {"kattis, standard input closed",
       q(KATTIS_PATH) + " " + q(td) + " " + q(accepted) + " " + q(dir / "") + " score <&-", 1,
       "standard input is closed"},
      {"explain, a named pipe", feed(rejected) + q(EXPLAIN_PATH) + " " + q(td) + " " + q(fifo), 1,
       "Where: the answer, line 7, column 3."},
      {"explain, a pipe the shell names",
       q(EXPLAIN_PATH) + " " + q(td) + " <(cat " + q(rejected) + ")", 1,
       "Where: the answer, line 7, column 3."},
      {"cms, a named pipe",
       feed(rejected) + q(CMS_PATH) + " " + q(td) + " " + q(accepted) + " " + q(fifo), 0,
       "Napaka [Zelvor20Krobelnik:154]"},
      {"testlib, a named pipe",
       feed(accepted) + q(TESTLIB_PATH) + " " + q(td) + " " + q(fifo) + " " + q(accepted), 0,
       "ok accepted"},
      {"cms, memory runs out",
       "ulimit -v 40960; " + q(CMS_PATH) + " " + q(dir / "big.txt") + " " +
           q(dir / "big-answer.txt") + " " + q(accepted),
       1, "memory ran out while the jury's answer was read"},
      // s and the jury's string of ten million letters each take their
      // size, not the next power of two.
      {"cms, ten million letters within 64 MiB",
       "ulimit -v 65536; " + q(CMS_PATH) + " " + q(dir / "big.txt") + " " +
           q(dir / "big-answer.txt") + " " + q(accepted),
       0, "ADMIN_MESSAGE: rejected: Napaka [Zelvor20Krobelnik:154]"},
      // Texts for people follow the locale; testlib's stay ASCII.
      {"kattis in Slovenian",
       "LC_ALL=sl_SI.UTF-8 " + q(KATTIS_PATH) + " " + q(td) + " " + q(accepted) + " " +
           q(dir / "") + " < " + q(accepted) + "; cat " + q(dir / "teammessage.txt"),
       0, "V redu, točke 1\n"},
      {"cms in Slovenian",
       "LC_ALL= LANG=sl_SI.UTF-8 " + q(CMS_PATH) + " " + q(td) + " " + q(accepted) + " " +
           q(accepted),
       0, "ADMIN_MESSAGE: sprejeto, točke 1: odgovorjeni testni primeri 1 od 1"},
      {"testlib in Slovenian",
       "LC_ALL= LC_MESSAGES=sl_SI.UTF-8 " + q(TESTLIB_PATH) + " " + q(td) + " " + q(accepted) +
           " " + q(accepted),
       0, "ok sprejeto, tocke 1"},
      // No output overwrites an input: the copy named as an output is
      // left as it was, and nothing is judged.
      {"testlib, the result file is the output",
       intact("output.txt", q(TESTLIB_PATH) + " " + q(td) + " " + q(dir / "output.txt") + " " +
                                q(accepted) + " " + q(dir / "output.txt")),
       3, "FAIL the result file"},
      {"testlib, the result file is the jury's answer through a link",
       intact("jury.txt", "ln -sf " + q(dir / "jury.txt") + " " + q(dir / "link.txt") + " && " +
                              q(TESTLIB_PATH) + " " + q(td) + " " + q(accepted) + " " +
                              q(dir / "jury.txt") + " " + q(dir / "link.txt") + " -appes"),
       3, "is the input"},
      {"kattis, a feedback file is the test data",
       "mkdir -p " + q(dir / "fb") + " && " +
           intact("fb/score.txt", q(KATTIS_PATH) + " " + q(dir / "fb/score.txt") + " " +
                                      q(accepted) + " " + q(dir / "fb") + " score < " +
                                      q(accepted)),
       1, "the feedback file"},
      // A named pipe that nothing reads is refused, never waited for.
      {"testlib, a result file on a pipe nothing reads",
       "rm -f " + q(fifo) + " && mkfifo " + q(fifo) + " && " + q(TESTLIB_PATH) + " " + q(td) + " " +
           q(accepted) + " " + q(accepted) + " " + q(fifo),
       3, "cannot be written"},
      {"explain, pieces on a pipe nothing reads",
       "rm -f " + q(fifo) + " && mkfifo " + q(fifo) + " && " + q(EXPLAIN_PATH) + " " + q(td) + " " +
           q(accepted) + " --stats --pieces " + q(fifo),
       2, "cannot be written"},
      {"evaluator, a report on a pipe nothing reads",
       "rm -f " + q(fifo) + " && mkfifo " + q(fifo) + " && " + q(EVALUATOR_PATH) + " eval " +
           q(td) + " " + q(accepted) + " " + q(fifo) + "; echo status $?",
       0, "status 2"},
      // The test data check as an input validator: the test data on
      // standard input, the judges' statuses.
      {"check-testdata --kattis, sound", q(CHECK_PATH) + " --kattis < " + q(td), 42,
       "sound: standard input"},
      {"check-testdata --kattis, faulty", q(CHECK_PATH) + " --kattis < " + q(accepted), 43,
       "Napaka [Zelvor20Krobelnik:"},
      {"check-testdata --kattis and a file", q(CHECK_PATH) + " --kattis " + q(td), 1,
       "usage: Zelvor20Krobelnik-check-testdata TESTDATA|--kattis"},
      {"check-testdata --kattis, standard input closed", q(CHECK_PATH) + " --kattis <&-", 1,
       "standard input"},
      // Every write that fails says so.
      {"check-testdata, standard output full", q(CHECK_PATH) + " " + q(td) + " >/dev/full", 2,
       "could not be written"},
      // A rejected submission leaves no pieces behind.
      {"explain, the pieces of a rejected submission",
       q(EXPLAIN_PATH) + " " + q(td) + " " + q(rejected) + " --stats --pieces " + q(dir / "p.bin") +
           "; s=$?; echo pieces $(wc -c < " + q(dir / "p.bin") + "); exit $s",
       1, "pieces 0"},
      {"kattis rejected in Slovenian, with the explanation",
       "LC_ALL=sl_SI.UTF-8 " + q(KATTIS_PATH) + " " + q(td) + " " + q(accepted) + " " +
           q(dir / "") + " < " + q(rejected),
       43, "Kje se stik loči od niza s\nLočita se pri 3. črki niza s"},
  };
  // Address space is the sanitizers' own, and an emulator's.
#if defined(KROBELNIK_SANITIZED)
  const bool limits = false;
#else
  const bool limits = std::getenv("KROBELNIK_EMULATED") == nullptr;
#endif
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (!limits && row.command.starts_with("ulimit")) continue;
    const std::string script = dir / "run.sh";
    WriteFile(script, "{\n" + row.command + "\n} >" + q(dir / "out.txt") + " 2>&1\n");
    const int raw = std::system(("timeout 60 bash " + q(script)).c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
    const std::string shown = ReadFile(dir / "out.txt") + ReadFile(dir / "judgemessage.txt");
    std::filesystem::remove(dir / "judgemessage.txt");
    EXPECT_NE(shown.find(row.shows), std::string::npos) << shown;
    if (row.command.starts_with("cp ") || row.command.starts_with("mkdir")) {
      EXPECT_NE(shown.find("intact"), std::string::npos) << shown;
    }
  }
#endif
}

// A submission whose second line is 300 MB of one letter, which the
// rejection quotes (190), and test data whose first line is the same (78):
// every program reads it in its reading time and a few MiB, never holding
// it whole, and gives its verdict within 256 MiB of address space; what it
// writes for people quotes the line's start and says how many bytes more
// it has. Only the evaluator's report holds the line whole, copied from
// its file.
TEST(Adapters, EveryProgramQuotesAHugeLineInBoundedMemory) {
  KROBELNIK_SKIP_ON_WINDOWS("the cases are made with a POSIX shell");
#if !defined(_WIN32)
#if defined(KROBELNIK_SANITIZED)
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
  if (std::getenv("KROBELNIK_EMULATED") != nullptr) GTEST_SKIP() << "too slow under emulation";
  TempDir dir;
  const std::string examples = std::string(KROBELNIK_SOURCE_DIR) + "/examples/";
  const std::string td = examples + "testdata.txt", accepted = examples + "accepted.txt";
  constexpr std::size_t Letters = 300000000;
  const std::string huge = dir / "huge.txt", hugeData = dir / "huge-td.txt";
  {
    std::FILE* file = std::fopen(huge.c_str(), "wb");
    std::FILE* data = std::fopen(hugeData.c_str(), "wb");
    std::fputs("123456\n", file);
    const std::string chunk(std::size_t{1} << 20, 'x');
    for (std::size_t left = Letters; left > 0;) {
      const std::size_t size = std::min(left, chunk.size());
      std::fwrite(chunk.data(), 1, size, file);
      std::fwrite(chunk.data(), 1, size, data);
      left -= size;
    }
    std::fputs("\n", file);
    std::fputs("\n1\n\n1\nabab\n", data);
    std::fclose(file);
    std::fclose(data);
  }
  const auto q = [](const std::string& text) { return "'" + text + "'"; };
  const std::string more = std::to_string(Letters - 1000);
  const struct {
    const char* name;
    std::string command;
    int status;
    std::string shows;
  } rows[] = {
      {"evaluator",
       q(EVALUATOR_PATH) + " eval " + q(td) + " " + q(huge) + " " + q(dir / "r.txt") +
           " && wc -c < " + q(dir / "r.txt"),
       0, std::to_string(Letters + 91)},
      {"explain", q(EXPLAIN_PATH) + " " + q(td) + " " + q(huge), 1, " bytes more ...]x"},
      {"explain --json", q(EXPLAIN_PATH) + " --json " + q(td) + " " + q(huge), 1,
       "\"reportLeftOut\":"},
      {"kattis",
       q(KATTIS_PATH) + " " + q(td) + " " + q(accepted) + " " + q(dir / "") + " < " + q(huge) +
           "; s=$?; cat " + q(dir / "teammessage.txt") + "; exit $s",
       43, "xxx... ("},
      {"cms", q(CMS_PATH) + " " + q(td) + " " + q(accepted) + " " + q(huge), 0, " bytes more)"},
      {"testlib", q(TESTLIB_PATH) + " " + q(td) + " " + q(huge) + " " + q(accepted), 1,
       "wrong answer Napaka [Zelvor20Krobelnik:190]"},
      {"check-testdata", q(CHECK_PATH) + " " + q(hugeData), 1, " bytes more ...]x"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string script = dir / "run.sh";
    WriteFile(script,
              "ulimit -v 262144\n{\n" + row.command + "\n} >" + q(dir / "out.txt") + " 2>&1\n");
    const int raw = std::system(("timeout 120 bash " + q(script)).c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
    const std::uintmax_t size = std::filesystem::file_size(testing::Native(dir / "out.txt"));
    const std::string shown = size < (1 << 20) ? ReadFile(dir / "out.txt") : "";
    EXPECT_LT(size, std::uintmax_t{1} << 20);
    EXPECT_NE(shown.find(row.shows), std::string::npos) << shown.substr(0, 4000);
    std::filesystem::remove(testing::Native(dir / "r.txt"));
  }
  const std::uintmax_t message =
      std::filesystem::file_size(testing::Native(dir / "judgemessage.txt"));
  EXPECT_LT(message, std::uintmax_t{1} << 20);
  EXPECT_NE(ReadFile(dir / "judgemessage.txt").find(" bytes more"), std::string::npos);
#endif
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
