#include "explain/explain.h"

#include <algorithm>
#include <exception>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>

#include "explain/place_reader.h"
#include "failure/assertion.h"
#include "failure/locations.h"
#include "input/system.h"
#include "run/output_buffer.h"

namespace krobelnik {

namespace {

// How many bytes of the fault's line an excerpt shows, and how many of them
// before the column.
constexpr std::size_t ExcerptLength = 100;
constexpr std::int64_t ExcerptBefore = 50;

const Input& InputOf(InputRole role, const Input& testData, const Input& submission) {
  return role == InputRole::TestData ? testData : submission;
}

// The line place names in input, its column at, and an excerpt around it.
ShownLine Show(const Input& input, const LinePlace& place, bool missing, const ColumnPlace& at) {
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
  shown.found = true;
  shown.excerptStart = std::max<std::int64_t>(1, shown.column - ExcerptBefore);
  shown.excerptGoesOn = reader.LineBytes(shown.excerptStart, ExcerptLength, shown.excerpt);
  return shown;
}

std::string Ordinal(std::int64_t value) {
  const std::int64_t tens = value % 100;
  const std::int64_t ones = value % 10;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (ones == 1) suffix = "st";
    if (ones == 2) suffix = "nd";
    if (ones == 3) suffix = "rd";
  }
  return IntToStr(value) + suffix;
}

// Explains the failure as raised; a message that quotes a line which
// changed in its file since is no failure form, and is left unexplained.
void ExplainFailure(const EAssertion& failure, const Input& testData, const Input& submission,
                    Explanation& out) {
  OutputBuffer message(out.message);
  if (!WriteMessage(message, failure)) {
    out.message.clear();
    return;
  }
  out.location = failure.location;
  const FaultPlace& place = failure.place;
  const bool inTestData = place.line.input == InputRole::TestData;
  out.verdict = inTestData ? Verdict::TestData : Verdict::Rejected;
  out.fault = inTestData ? Fault::TestData : Fault::Submission;
  out.where =
      Show(InputOf(place.line.input, testData, submission), place.line, place.missing, place.at);
  if (place.letter)
    out.letter = Show(submission, place.letter->line, false, {place.letter->column, 0, 1});
  out.section = place.section;
  out.facts = place.facts;
  if (const LocationRow* row = FindLocation(failure.location))
    out.why = FillWhy(row->why, place.facts, place.line.line);
}

}  // namespace

std::string FillWhy(std::string_view why, const std::vector<Fact>& facts, std::int64_t line) {
  std::string text;
  while (!why.empty()) {
    const std::size_t open = why.find('{');
    const std::size_t close = why.find('}', open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    text.append(why.substr(0, open));
    std::string_view name = why.substr(open + 1, close - open - 1);
    why.remove_prefix(close + 1);
    const bool ordinal = name.ends_with(":ordinal");
    const bool less = name.ends_with("-1");
    if (ordinal) name.remove_suffix(8);
    if (less) name.remove_suffix(2);
    std::int64_t value = line;
    for (const Fact& fact : facts)
      if (name == fact.name) value = fact.value;
    if (less) --value;
    text += ordinal ? Ordinal(value) : IntToStr(value);
  }
  text.append(why);
  return text;
}

bool Explain(const Input& testData, const Input& submission, bool testDataOnly, Explanation& out) {
  out.testDataOnly = testDataOnly;
  const SectionObserver observer = [&out](std::int64_t firstLine, const AnswerBlock& block) {
    if (out.sections.Size() < ShownSections)
      out.sections.Push(SectionRow{firstLine, block.k, block.r});
  };
  std::exception_ptr failure;
  try {
    ReadInputs(testData, submission, out.testCases, out.results, {}, observer);
  } catch (...) {
    failure = std::current_exception();
  }
  if (!failure) {
    out.verdict = Verdict::Accepted;
  } else {
    // A failure form is written as the evaluator writes it, into text.
    OutputBuffer report(out.report);
    if (!WriteOutcome(report, failure, {})) return false;
    try {
      std::rethrow_exception(failure);
    } catch (const EAssertion& assertion) {
      ExplainFailure(assertion, testData, submission, out);
    } catch (const std::bad_alloc&) {
      out.memoryRanOut = true;
    } catch (const std::length_error&) {
      out.memoryRanOut = true;
    } catch (...) {
    }
  }
  return true;
}

bool WriteReport(OutputBuffer& out, const Explanation& e) {
  if (e.verdict != Verdict::Accepted) {
    out.Put(e.report);
    return out.Finish();
  }
  return WriteSuccessReport(out, std::span(e.results.Data(), e.results.Size()));
}

void NoteUnopened(Explanation& out, UnopenedInput input) {
  const bool placed = out.verdict == Verdict::Rejected || out.verdict == Verdict::TestData;
  if (placed && out.where.input == input.input) out.fault = Fault::Unopened;
  out.unopened.push_back(std::move(input));
}

}  // namespace krobelnik
