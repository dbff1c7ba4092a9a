#include "run/run_eval.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "answer/answer_block.h"
#include "failure/assertion.h"
#include "input/leading_int.h"
#include "input/quote.h"
#include "input/system.h"

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

namespace {

// Where line of the submission starts (or would start).
LineContext SubmissionLine(std::int64_t line, std::int64_t offset) {
  return LineContext{{InputRole::Submission, line, offset, 0}, 0, {}};
}

}  // namespace

void ReadSubmission(LineReader& submission, const TestCases& testCases,
                    GrowingArray<ResultEntry>& results, const ReadOptions& options,
                    const SectionObserver& observer) {
  QuotableLine line;
  LeadingIntParser contestantParser;
  if (!ReadQuotableLine(
          submission, line,
          [&](const char* data, std::size_t size) { contestantParser.Feed(data, size); },
          options.testData.quoteInMemory))
    Fail(185, "manjka stevilka tekmovalca", SubmissionLine(1, line.offset).Missing());
  if (line.length != 6)
    Fail(186, "stevilka tekmovalca bi morala imeti 6 stevk",
         SubmissionLine(1, line.offset).At(line.length > 6 ? 7 : 0).AddFact("length", line.length));
  std::int32_t contestantNumber = 0;
  if (!contestantParser.Result(contestantNumber))
    FailQuoting(submission, 188, "v prvi vrstici bi morala biti stevilka tekmovalca, ne pa \"",
                line, "\"", SubmissionLine(1, line.offset).At(1));
  LineHead head;
  if (!ReadQuotableLine(submission, line, head, options.testData.quoteInMemory))
    Fail(189, "manjka druga vrstica", SubmissionLine(2, line.offset).Missing());
  if (!line.kept || line.text != TaskName)
    FailQuoting(submission, 190,
                "v drugi vrstici bi moral biti niz \"" + std::string(TaskName) + "\", ne pa \"",
                line, "\"", SubmissionLine(2, line.offset).At(TaskNameColumn(head.View())));

  std::int64_t lineCounter = 3;
  // One block serves every section, so that its strings' storage passes from
  // each section to the next and after the largest one no section allocates.
  AnswerBlock block;
  std::size_t largest = 0;
  for (std::size_t c = 0; c < testCases.Count(); ++c)
    largest = std::max(largest, testCases[c].s.size());
  WalkBudget budget(largest, options.answers.alwaysIndex);
  for (;;) {
    // Only the start of a section's number line is looked at; the rest is
    // read past, not kept.
    LeadingIntParser numberParser;
    if (!ReadQuotableLine(
            submission, line,
            [&](const char* data, std::size_t size) { numberParser.Feed(data, size); },
            options.testData.quoteInMemory))
      break;
    if (line.length == 0) {
      ++lineCounter;
      continue;
    }
    std::int32_t number = 0;
    if (!numberParser.Result(number))
      FailQuoting(submission, 198,
                  "v " + IntToStr(lineCounter) +
                      ". vrstici bi morala biti stevilka testnega primera, ne pa \"",
                  line, "\"", SubmissionLine(lineCounter, line.offset).At(1));
    // Test case k stands at position k - 1, so indexing finds exactly the
    // first record with that number.
    if (number < 1 || static_cast<std::size_t>(number) > testCases.Count())
      Fail(200,
           "v " + IntToStr(lineCounter) +
               ". vrstici se pojavlja neveljavna stevilka testnega primera: " + IntToStr(number),
           SubmissionLine(lineCounter, line.offset)
               .At(numberParser.Blanks() + 1)
               .AddFact("testCases", static_cast<std::int64_t>(testCases.Count())));
    const std::int64_t firstLine = lineCounter;
    ++lineCounter;
    ReadAnswerBlock(block, submission, lineCounter, number,
                    testCases[static_cast<std::size_t>(number) - 1], options.answers, &budget);
    results.Push(ResultEntry{number, block.score});
    if (observer) observer(firstLine, block);
  }
}

void ReadInputs(const Input& testData, const Input& submission, TestCases& testCases,
                GrowingArray<ResultEntry>& results, const ReadOptions& options,
                const SectionObserver& observer) {
  // One reader serves both inputs in turn: the test data is read whole and
  // its file closed before the submission is opened in the same buffer.
  LineReader stream(std::max(BufferSizeFor(testData), BufferSizeFor(submission)));
  OpenInput(stream, testData);
  ReadTestData(stream, testCases, options.testData);
  OpenInput(stream, submission);
  ReadSubmission(stream, testCases, results, options, observer);
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

bool WriteVerdict(OutputBuffer& out, const Input& testData, const Input& submission,
                  const ReadOptions& options) {
  // Everything a run reads lives inside the try block, so unwinding closes
  // the inputs and frees the test cases before a failure is written. The
  // failure itself is kept as it was raised, without a copy, and the writers
  // allocate nothing, so reporting to a file cannot fail for want of memory.
  std::exception_ptr failure;
  GrowingArray<ResultEntry> results;
  try {
    TestCases testCases;
    ReadInputs(testData, submission, testCases, results, options);
  } catch (...) {
    failure = std::current_exception();
    results = GrowingArray<ResultEntry>();
  }
  return WriteOutcome(out, failure, std::span(results.Data(), results.Size()));
}

bool WriteVerdict(std::FILE* report, const Input& testData, const Input& submission) {
  OutputBuffer out(report);
  return WriteVerdict(out, testData, submission);
}

bool VerdictText(const Input& testData, const Input& submission, std::string& text,
                 const ReadOptions& options) {
  text.clear();
  OutputBuffer out(text);
  return WriteVerdict(out, testData, submission, options);
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
