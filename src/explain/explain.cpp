#include "explain/explain.h"

#include <algorithm>
#include <exception>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>

#include "explain/explain_output.h"
#include "explain/phrases.h"
#include "explain/place_reader.h"
#include "failure/assertion.h"
#include "failure/locations.h"
#include "input/system.h"
#include "run/output_buffer.h"
#include "testdata/test_data.h"

namespace krobelnik {

namespace {

// A kept text with nothing left out is whole in head.
void JoinKept(std::string& head, std::string& tail, std::uint64_t leftOut) {
  if (leftOut != 0) return;
  head += tail;
  tail.clear();
}

// How many bytes of the fault's line an excerpt shows, and how many of them
// before the column.
constexpr std::size_t ExcerptLength = 100;
constexpr std::int64_t ExcerptBefore = 50;

const Input& InputOf(InputRole role, const Input& testData, const Input& submission) {
  return role == InputRole::TestData ? testData : submission;
}

// The line place names in input, its column at, and an excerpt around it;
// with atEnd and no column, the column past the line's end.
ShownLine Show(const Input& input, const LinePlace& place, bool missing, const ColumnPlace& at,
               bool atEnd = false) {
  ShownLine shown;
  shown.input = place.input;
  shown.line = place.line;
  shown.column = at.column;
  if (missing) return shown;
  PlaceReader reader(input);
  if (!reader.Find(place)) return shown;
  if (at.nthNumber > 0) {
    shown.column = reader.NumberColumn(at.nthNumber, at.numbersFrom);
    shown.counted = shown.column > 0;
  }
  if (shown.column == 0 && atEnd) shown.column = reader.LineLength() + 1;
  shown.found = true;
  shown.excerptStart = std::max<std::int64_t>(1, shown.column - ExcerptBefore);
  shown.excerptGoesOn = reader.LineBytes(shown.excerptStart, ExcerptLength, shown.excerpt);
  return shown;
}

// Whether line (from 1) of input is the task's name.
bool IsTaskName(const Input& input, InputRole role, std::int64_t line) {
  PlaceReader reader(input);
  if (!reader.Find(LinePlace{role, line, 0, line - 1})) return false;
  std::string bytes;
  return !reader.LineBytes(1, TaskName.size(), bytes) && bytes == TaskName;
}

// Where each section's s starts in the test data, found by passing line
// feeds from the start of the line found before, in the order of the test
// cases.
void FindLettersOfS(const Input& testData, std::vector<SectionStats>& stats) {
  // Without statistics (the adapters, a run without --stats) the test data
  // is not opened again.
  if (stats.empty()) return;
  std::vector<SectionStats*> order;
  order.reserve(stats.size());
  for (SectionStats& st : stats) order.push_back(&st);
  std::sort(order.begin(), order.end(),
            [](const SectionStats* a, const SectionStats* b) { return a->testCase < b->testCase; });
  PlaceReader reader(testData);
  LinePlace place{InputRole::TestData, 1, 0, 0};
  for (SectionStats* st : order) {
    const std::int64_t line = LineOfS(st->testCase);
    place.linesAfter = line - place.line;
    place.line = line;
    if (!reader.Find(place)) return;
    place.offset = reader.LineOffset();
    place.linesAfter = 0;
    st->sOffset = place.offset;
  }
}

// Explains the failure as raised; a message that quotes a line which
// changed in its file since is no failure form, and is left unexplained.
void ExplainFailure(const EAssertion& failure, const Input& testData, const Input& submission,
                    Explanation& out) {
  OutputBuffer message(out.message, KeptBytes, out.messageTail, out.messageLeftOut);
  if (!WriteMessage(message, failure)) {
    out.message.clear();
    out.messageTail.clear();
    out.messageLeftOut = 0;
    return;
  }
  JoinKept(out.message, out.messageTail, out.messageLeftOut);
  out.location = failure.location;
  const FaultPlace& place = failure.place;
  const bool inTestData = place.line.input == InputRole::TestData;
  out.verdict = inTestData ? Verdict::TestData : Verdict::Rejected;
  out.fault = inTestData ? Fault::TestData : Fault::Submission;
  const LocationRow* row = FindLocation(failure.location);
  out.where = Show(InputOf(place.line.input, testData, submission), place.line, place.missing,
                   place.at, row != nullptr && row->Shows("end"));
  if (place.letter)
    out.letter = Show(submission, place.letter->line, false, {place.letter->column, 0, 1});
  out.section = place.section;
  out.facts = place.facts;
  if (row != nullptr) {
    out.why = FillWhy(row->why, place.facts, place.line.line, Language::English);
    out.whySl = FillWhy(row->whySl, place.facts, place.line.line, Language::Slovenian);
    // Test data that begins as an answer, or an answer that begins as test
    // data, where the first lines are at fault.
    if (row->Shows("swap")) {
      if (inTestData && IsTaskName(testData, InputRole::TestData, 2))
        out.swap = Swap::TestDataLikeAnswer;
      if (!inTestData && IsTaskName(submission, InputRole::Submission, 1))
        out.swap = Swap::AnswerLikeTestData;
    }
  }
}

}  // namespace

bool Explain(const Input& testData, const Input& submission, bool testDataOnly, Explanation& out,
             const ExplainOptions& options) {
  out.testDataOnly = testDataOnly;
  SectionWatch watch(options.stats, ShownSections, options.pieces, MostPieces);
  ReadOptions read = ReadOptions::Sized(options.numberBatch);
  read.answers.watch = &watch;
  const SectionObserver observer = [&out](std::int64_t firstLine, const AnswerBlock& block) {
    if (out.sections.Size() < ShownSections)
      out.sections.Push(SectionRow{firstLine, block.k, block.r});
    if (out.best.empty()) out.best.resize(out.testCases.Count());
    TestCaseBest& best = out.best[static_cast<std::size_t>(block.testCaseNumber - 1)];
    if (best.sections == 0 || block.score < best.score) {
      best.score = block.score;
      best.line = firstLine;
    }
    ++best.sections;
  };
  std::exception_ptr failure;
  try {
    ReadInputs(testData, submission, out.testCases, out.results, read, observer);
  } catch (...) {
    failure = std::current_exception();
  }
  if (!failure) {
    out.verdict = Verdict::Accepted;
    if (!testDataOnly) out.best.resize(out.testCases.Count());
    out.stats = std::move(watch.Stats());
    FindLettersOfS(testData, out.stats);
    if (!watch.FlushPieces()) return false;
  } else {
    // A failure form is written as the evaluator writes it, into text.
    OutputBuffer report(out.report, KeptBytes, out.reportTail, out.reportLeftOut);
    if (!WriteOutcome(report, failure, {})) return false;
    JoinKept(out.report, out.reportTail, out.reportLeftOut);
    try {
      std::rethrow_exception(failure);
    } catch (const EAssertion& assertion) {
      ExplainFailure(assertion, testData, submission, out);
      const LocationRow* row = FindLocation(assertion.location);
      if (row != nullptr && row->Shows("alignment")) out.alignment = watch.AlignmentAtFault();
    } catch (const std::bad_alloc&) {
      out.memoryRanOut = true;
    } catch (const std::length_error&) {
      out.memoryRanOut = true;
    } catch (...) {
    }
  }
  return true;
}

bool WriteReport(OutputBuffer& out, const Explanation& e, Language language) {
  if (e.verdict != Verdict::Accepted) {
    PutKept(out, e.report, e.reportLeftOut, e.reportTail, language);
    return out.Finish();
  }
  return WriteSuccessReport(out, std::span(e.results.Data(), e.results.Size()));
}

const std::string& WhyIn(const Explanation& e, Language language) {
  return language == Language::Slovenian ? e.whySl : e.why;
}

void NoteUnopened(Explanation& out, UnopenedInput input) {
  const bool placed = out.verdict == Verdict::Rejected || out.verdict == Verdict::TestData;
  if (placed && out.where.input == input.input) out.fault = Fault::Unopened;
  out.unopened.push_back(std::move(input));
}

}  // namespace krobelnik
