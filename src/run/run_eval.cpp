#include "run/run_eval.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "answer/answer_block.h"
#include "input/leading_int.h"
#include "input/quote.h"
#include "input/system.h"
#include "run/assertion.h"

namespace krobelnik {

namespace {

void PrintUsage() { std::fputs(UsageLine, stdout); }

}  // namespace

void OpenInput(LineReader& stream, const Input& input) {
  if (input.inMemory) {
    stream.OpenText(input.text);
  } else {
    stream.Open(input.fileName);
  }
}

std::size_t BufferSizeFor(const Input& input) {
  std::size_t size = LineReader::DefaultBufferSize;
  if (input.inMemory) {
    size = input.text.size();
  } else if (const std::optional<FileIdentity> file = IdentifyFile(input.fileName)) {
    size = static_cast<std::size_t>(std::min<std::uintmax_t>(file->size, size));
  }
  return std::min(size + 1, LineReader::DefaultBufferSize);
}

void ReadSubmission(LineReader& submission, const TestCases& testCases,
                    GrowingArray<ResultEntry>& results, RunPlace& place) {
  QuotableLine line;
  LeadingIntParser contestantParser;
  if (!ReadQuotableLine(submission, line, [&](const char* data, std::size_t size) {
        contestantParser.Feed(data, size);
      }))
    Fail(185, "manjka stevilka tekmovalca");
  if (line.length != 6) Fail(186, "stevilka tekmovalca bi morala imeti 6 stevk");
  std::int32_t contestantNumber = 0;
  if (!contestantParser.Result(contestantNumber))
    FailQuoting(submission, 188, "v prvi vrstici bi morala biti stevilka tekmovalca, ne pa \"",
                line, "\"");
  if (!ReadQuotableLine(submission, line, IgnoreBytes)) Fail(189, "manjka druga vrstica");
  if (!line.kept || line.text != TaskName)
    FailQuoting(submission, 190,
                "v drugi vrstici bi moral biti niz \"" + std::string(TaskName) + "\", ne pa \"",
                line, "\"");

  std::int64_t& lineCounter = place.line;
  lineCounter = 3;
  // One block serves every section, so that its strings' storage passes from
  // each section to the next and after the largest one no section allocates.
  AnswerBlock& block = place.block;
  for (;;) {
    // Only the start of a section's number line is looked at; the rest is
    // read past, not kept.
    LeadingIntParser numberParser;
    if (!ReadQuotableLine(submission, line, [&](const char* data, std::size_t size) {
          numberParser.Feed(data, size);
        }))
      break;
    if (line.length == 0) {
      ++lineCounter;
      continue;
    }
    place.sectionLine = lineCounter;
    place.sectionOffset = line.offset;
    place.testCase = 0;
    std::int32_t number = 0;
    if (!numberParser.Result(number))
      FailQuoting(submission, 198,
                  "v " + IntToStr(lineCounter) +
                      ". vrstici bi morala biti stevilka testnega primera, ne pa \"",
                  line, "\"");
    // Test case k stands at position k - 1, so indexing finds exactly the
    // first record with that number.
    if (number < 1 || static_cast<std::size_t>(number) > testCases.Count())
      Fail(200,
           "v " + IntToStr(lineCounter) +
               ". vrstici se pojavlja neveljavna stevilka testnega primera: " + IntToStr(number));
    place.testCase = number;
    ++lineCounter;
    ReadAnswerBlock(block, submission, lineCounter, number,
                    testCases[static_cast<std::size_t>(number) - 1]);
    results.Push(ResultEntry{number, block.score});
    if (place.accepted != nullptr)
      place.accepted->Push(SectionLines{place.sectionLine, block.k, block.r});
  }
}

void ReadInputs(const Input& testData, const Input& submission, TestCases& testCases,
                GrowingArray<ResultEntry>& results, RunPlace& place) {
  // One reader serves both inputs in turn: the test data is read whole and
  // its file closed before the submission is opened in the same buffer.
  LineReader stream(std::max(BufferSizeFor(testData), BufferSizeFor(submission)));
  OpenInput(stream, testData);
  ReadTestData(stream, testCases);
  place.inSubmission = true;
  OpenInput(stream, submission);
  ReadSubmission(stream, testCases, results, place);
}

bool WriteOutcome(OutputBuffer& out, const std::exception_ptr& failure,
                  std::span<const ResultEntry> results) {
  if (!failure) return WriteSuccessReport(out, results);
  try {
    std::rethrow_exception(failure);
  } catch (const EAssertion& assertion) {
    return WriteFailureReport(out, assertion);
  } catch (...) {
    return WriteUnexpectedFailureReport(out);
  }
}

bool WriteVerdict(std::FILE* report, const Input& testData, const Input& submission) {
  // Everything a run reads lives inside the try block, so unwinding closes
  // the inputs and frees the test cases before a failure is written. The
  // failure itself is kept as it was raised, without a copy, and the writers
  // allocate nothing, so reporting cannot fail for want of memory.
  std::exception_ptr failure;
  GrowingArray<ResultEntry> results;
  try {
    TestCases testCases;
    RunPlace place;
    ReadInputs(testData, submission, testCases, results, place);
  } catch (...) {
    failure = std::current_exception();
    results = GrowingArray<ResultEntry>();
  }
  OutputBuffer out(report);
  return WriteOutcome(out, failure, std::span(results.Data(), results.Size()));
}

bool VerdictText(const Input& testData, const Input& submission, std::string& text) {
  text.clear();
  std::FILE* report = OpenScratch();
  if (report == nullptr) return false;
  const bool written = WriteVerdict(report, testData, submission);
  std::rewind(report);
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), report)) > 0;)
    text.append(chunk, got);
  return CloseReport(report) && written;
}

int RunEval(int argc, const char* const* argv) {
  if (argc < 5) {
    PrintUsage();
    return 1;
  }
  const char* testDataName = argv[2];
  const char* submissionName = argv[3];
  const char* reportName = argv[4];
  // Opening the report truncates it: never when it is one of the inputs.
  if (SameFile(reportName, testDataName) || SameFile(reportName, submissionName))
    return ReportFailureStatus;
  std::FILE* report = OpenReport(reportName);
  if (report == nullptr) return ReportFailureStatus;
  const bool written = WriteVerdict(report, Input::File(testDataName), Input::File(submissionName));
  const bool closed = CloseReport(report);
  return written && closed ? 0 : ReportFailureStatus;
}

int Main(int argc, const char* const* argv) {
  if (argc >= 2 && std::strcmp(argv[1], "eval") == 0) return RunEval(argc, argv);
  PrintUsage();
  return 0;
}

}  // namespace krobelnik
