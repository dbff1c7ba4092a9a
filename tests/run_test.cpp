#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "run/run_eval.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

const std::string Header = "123456\nKrobelnik\n";
const std::string OneCase = "Krobelnik\n1\n\n1\nabab\n";
const std::string TwoCases = "Krobelnik\n2\n\n1\nabab\n\n2\nzzz\n";

std::string FailureForm(int location, const std::string& message) {
  return "Napaka [Zelvor20Krobelnik:" + std::to_string(location) + "]: " + message + "\n-1\n";
}

using testing::Outcome;
using testing::ReadReport;

Outcome RunBinary(const TempDir& dir, const std::vector<std::string>& args) {
  return testing::RunProgram(EVALUATOR_PATH, args, dir);
}

// Runs the real binary on the two inputs and returns the report; expects
// status 0 and silence.
std::string Evaluate(const std::string& testData, const std::string& submission) {
  TempDir dir;
  WriteFile(dir / "td.txt", testData);
  WriteFile(dir / "sub.txt", submission);
  const Outcome outcome =
      RunBinary(dir, {"eval", dir / "td.txt", dir / "sub.txt", dir / "rep.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  return ReadReport(dir / "rep.txt");
}

TEST(Run, EvaluatesSubmissionsEndToEnd) {
  const std::string section1 = "1\n2 2\nab\nb\n1 1\n";
  const struct {
    std::string testData;
    std::string submission;
    std::string report;
  } cases[] = {
      {OneCase, Header + section1, "OK\n1\n1 5\n"},
      {OneCase, Header, "OK\n0\n"},
      {OneCase, Header + "\n\n\n", "OK\n0\n"},
      {OneCase, "123456\nKrobelnik", "OK\n0\n"},
      {OneCase, "12345a\nKrobelnik\n" + section1, "OK\n1\n1 5\n"},
      {OneCase, "+12345\nKrobelnik\n" + section1, "OK\n1\n1 5\n"},
      {OneCase, " 12345\nKrobelnik\n" + section1, "OK\n1\n1 5\n"},
      {OneCase, "-00000\nKrobelnik\n" + section1, "OK\n1\n1 5\n"},
      {TwoCases, Header + section1 + section1, "OK\n2\n1 5\n1 5\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Evaluate(c.testData, c.submission), c.report) << c.submission;
}

TEST(Run, RejectsWithTheFailureForm) {
  const std::string section1 = "1\n2 2\nab\nb\n1 1\n";
  const std::string line1 = "v prvi vrstici bi morala biti stevilka tekmovalca, ne pa \"";
  const std::string line2 = "v drugi vrstici bi moral biti niz \"Krobelnik\", ne pa \"";
  const std::string number = ". vrstici bi morala biti stevilka testnega primera, ne pa \"";
  const std::string invalid = ". vrstici se pojavlja neveljavna stevilka testnega primera: ";
  const struct {
    std::string testData;
    std::string submission;
    std::string report;
  } cases[] = {
      {OneCase, "", FailureForm(185, "manjka stevilka tekmovalca")},
      {"Krobelnik\n1\n", "", FailureForm(78, "manjka 3. vrstica")},
      {OneCase, "1234567\nKrobelnik\n",
       FailureForm(186, "stevilka tekmovalca bi morala imeti 6 stevk")},
      {OneCase, "12345\nKrobelnik\n",
       FailureForm(186, "stevilka tekmovalca bi morala imeti 6 stevk")},
      {OneCase, "abcdef\nKrobelnik\n", FailureForm(188, line1 + "abcdef\"")},
      {OneCase, "ab%s%d\nKrobelnik\n", FailureForm(188, line1 + "ab%s%d\"")},
      {OneCase, "+ 1234\nKrobelnik\n", FailureForm(188, line1 + "+ 1234\"")},
      {OneCase, "123456\n", FailureForm(189, "manjka druga vrstica")},
      {OneCase, "123456\nKrobelnik \n", FailureForm(190, line2 + "Krobelnik \"")},
      {OneCase, "123456\nkrobelnik\n", FailureForm(190, line2 + "krobelnik\"")},
      {OneCase, std::string("123456\nKro\0belnik\n", 18), FailureForm(190, line2 + "Kro")},
      {OneCase, Header + "   \n", FailureForm(198, "v 3" + number + "   \"")},
      {OneCase, Header + "\n\nx%n\n", FailureForm(198, "v 5" + number + "x%n\"")},
      {OneCase, Header + section1 + "x\n", FailureForm(198, "v 8" + number + "x\"")},
      {OneCase, Header + section1 + "\n\nx\n", FailureForm(198, "v 10" + number + "x\"")},
      {OneCase, Header + "0\n", FailureForm(200, "v 3" + invalid + "0")},
      {OneCase, Header + "-1\n", FailureForm(200, "v 3" + invalid + "-1")},
      {OneCase, Header + "99999999999\n", FailureForm(200, "v 3" + invalid + "2147483647")},
      {OneCase, Header + "-99999999999\n", FailureForm(200, "v 3" + invalid + "-2147483648")},
      {OneCase, Header + std::string(100000, 'x') + "\r\n1\n",
       FailureForm(198, "v 3" + number + std::string(100000, 'x') + "\"")},
      {"Krobelnik\n1\n" + std::string(70000, ' ') + "\n1\nab\n", Header,
       FailureForm(79,
                   "vrstica 3 bi morala biti prazna, ne pa \"" + std::string(70000, ' ') + "\"")},
      {OneCase, Header + section1 + "1\n", FailureForm(127, "manjka vrstica s steviloma k in r")},
      {OneCase, Header + section1 + section1 + "1\n1 1\nabab\n2\n",
       FailureForm(149, "indeks i_1 bi moral biti od 1 do 1, ne pa 2")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Evaluate(c.testData, c.submission), c.report) << c.submission;
}

TEST(Run, UsageLineAndExitStatuses) {
  TempDir dir;
  const std::string usage = UsageLine;
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{}, 0},
      {{"EVAL", dir / "a", dir / "b", dir / "rep.txt"}, 0},
      {{"eval2", dir / "a", dir / "b", dir / "rep.txt"}, 0},
      {{"eval"}, 1},
      {{"eval", dir / "a", dir / "rep.txt"}, 1},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunBinary(dir, c.args);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.out, usage);
    EXPECT_EQ(outcome.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "rep.txt"));
  }
}

TEST(Run, ArgumentsAfterTheReportAreIgnored) {
  TempDir dir;
  WriteFile(dir / "td.txt", OneCase);
  WriteFile(dir / "sub.txt", Header);
  const Outcome outcome =
      RunBinary(dir, {"eval", dir / "td.txt", dir / "sub.txt", dir / "rep.txt", "x", "y"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(ReadReport(dir / "rep.txt"), "OK\n0\n");
}

TEST(Run, ReportIsTruncatedAndWrittenAfresh) {
  TempDir dir;
  WriteFile(dir / "td.txt", OneCase);
  WriteFile(dir / "sub.txt", Header);
  WriteFile(dir / "rep.txt", std::string(10000, 'x'));
  const char* argv[] = {"prog", "eval", nullptr, nullptr, nullptr};
  const std::string td = dir / "td.txt", sub = dir / "sub.txt", rep = dir / "rep.txt";
  argv[2] = td.c_str();
  argv[3] = sub.c_str();
  argv[4] = rep.c_str();
  EXPECT_EQ(RunEval(5, argv), 0);
  EXPECT_EQ(ReadReport(rep), "OK\n0\n");
}

TEST(Run, ReportThatCannotBeTrustedGivesStatusTwo) {
  TempDir dir;
  WriteFile(dir / "td.txt", OneCase);
  WriteFile(dir / "sub.txt", Header + "1\n2 2\nab\nb\n1 1\n");
  std::filesystem::create_hard_link(testing::Native(dir / "sub.txt"),
                                    testing::Native(dir / "hard.txt"));
  std::vector<std::string> reports = {dir / "no-such-folder/rep.txt", dir / "td.txt",
                                      dir / "sub.txt", dir / "hard.txt", dir / ""};
#if defined(_WIN32)
  // File names ignore case; making a symbolic link takes a privilege.
  reports.push_back(dir / "TD.TXT");
#else
  std::filesystem::create_symlink(dir / "td.txt", dir / "link.txt");
  reports.push_back(dir / "link.txt");
  reports.push_back("/dev/full");
#endif
  for (const std::string& report : reports) {
    if (report == "/dev/full" && !std::filesystem::exists(report)) continue;
    const Outcome outcome = RunBinary(dir, {"eval", dir / "td.txt", dir / "sub.txt", report});
    EXPECT_EQ(outcome.status, 2) << report;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(ReadFile(dir / "td.txt"), OneCase);
    EXPECT_EQ(ReadFile(dir / "sub.txt"), Header + "1\n2 2\nab\nb\n1 1\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}

TEST(Run, ALongLineFromAPipeIsQuotedWhole) {
#if defined(_WIN32)
  GTEST_SKIP() << "a named pipe is made with mkfifo, which Windows lacks";
#else
  TempDir dir;
  WriteFile(dir / "td.txt", OneCase);
  const std::string fifo = dir / "sub.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string line = std::string(300000, 'y') + "%s";
  std::thread writer([&] { WriteFile(fifo, Header + "\n" + line + "\n"); });
  const Outcome outcome = RunBinary(dir, {"eval", dir / "td.txt", fifo, dir / "rep.txt"});
  writer.join();
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(ReadReport(dir / "rep.txt"),
            FailureForm(198, "v 4. vrstici bi morala biti stevilka testnega primera, ne pa \"" +
                                 line + "\""));
#endif
}

TEST(Run, InputsAreNeverModified) {
  TempDir dir;
  const std::string submission = Header + "1\n2 2\nab\nb\n1 2\n";
  WriteFile(dir / "td.txt", OneCase);
  WriteFile(dir / "sub.txt", submission);
  const Outcome outcome =
      RunBinary(dir, {"eval", dir / "td.txt", dir / "sub.txt", dir / "rep.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(ReadReport(dir / "rep.txt"),
            FailureForm(154, "3. znak v stiku t_{i_1}} ... t_{i_r}} je 'b', v nizu s pa 'a'"));
  EXPECT_EQ(ReadFile(dir / "td.txt"), OneCase);
  EXPECT_EQ(ReadFile(dir / "sub.txt"), submission);
}

TEST(Run, FileNamesWithLettersOutsideAscii) {
  TempDir dir;
  const std::string folder = dir / "\u010d\u0161\u017e";
  std::filesystem::create_directory(testing::Native(folder));
  const std::string testData = folder + "/\u017eelva.txt";
  WriteFile(testData, OneCase);
  WriteFile(folder + "/odda\u0161a.txt", Header + "1\n2 2\nab\nb\n1 1\n");
  const Outcome outcome = RunBinary(
      dir, {"eval", testData, folder + "/odda\u0161a.txt", folder + "/poro\u010dilo.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(ReadReport(folder + "/poro\u010dilo.txt"), "OK\n1\n1 5\n");
}

}  // namespace
}  // namespace krobelnik
