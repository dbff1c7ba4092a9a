#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "failure/assertion.h"

namespace krobelnik {

namespace {

// Prints rows rows of a table, row(r) giving the values of row r (from 0),
// each column right-aligned as wide as its label or its widest value, two
// spaces apart.
template <std::size_t Columns, class Row>
void PrintTable(ExplainOut& out, const std::array<std::string_view, Columns>& labels,
                std::size_t rows, Row&& row) {
  std::array<std::size_t, Columns> widths{};
  char digits[MaxIntDigits];
  for (std::size_t c = 0; c < Columns; ++c) widths[c] = labels[c].size() + (c > 0 ? 2 : 0);
  for (std::size_t r = 0; r < rows; ++r) {
    const std::array<std::int64_t, Columns> values = row(r);
    for (std::size_t c = 0; c < Columns; ++c)
      widths[c] = std::max(widths[c], FormatInt(values[c], digits) + (c > 0 ? 2 : 0));
  }
  for (std::size_t c = 0; c < Columns; ++c)
    out << std::string(widths[c] - labels[c].size(), ' ') << labels[c];
  out << "\n";
  for (std::size_t r = 0; r < rows; ++r) {
    const std::array<std::int64_t, Columns> values = row(r);
    for (std::size_t c = 0; c < Columns; ++c) out.Cell(values[c], widths[c]);
    out << "\n";
  }
}

void PrintSections(ExplainOut& out, const Explanation& e) {
  const std::size_t count = e.results.Size();
  out << "\nAccepted: " << static_cast<std::int64_t>(count)
      << (count == 1 ? " section.\n" : " sections.\n");
  if (count == 0) return;
  const std::size_t shown = e.sections.Size();
  PrintTable<7>(out, {"test case", "first line", "last line", "k", "r", "letters", "score"}, shown,
                [&e](std::size_t c) {
                  const ResultEntry& result = e.results[c];
                  const SectionRow& lines = e.sections[c];
                  return std::array<std::int64_t, 7>{result.testCaseNumber,
                                                     lines.firstLine,
                                                     lines.firstLine + lines.k + 2,
                                                     lines.k,
                                                     lines.r,
                                                     std::int64_t{result.score} - lines.r,
                                                     result.score};
                });
  if (count > shown)
    out << "(and " << static_cast<std::int64_t>(count - shown) << " more sections)\n";
}

void PrintTestCases(ExplainOut& out, const Explanation& e) {
  const std::size_t count = e.testCases.Count();
  out << "\nSound test data: " << static_cast<std::int64_t>(count)
      << (count == 1 ? " test case.\n" : " test cases.\n");
  PrintTable<3>(out, {"test case", "line of s", "length"}, count, [&e](std::size_t c) {
    const auto k = static_cast<std::int64_t>(c) + 1;
    return std::array<std::int64_t, 3>{k, 3 * k + 2,
                                       static_cast<std::int64_t>(e.testCases[c].s.size())};
  });
}

// A line of the explanation naming a place, and its excerpt with a caret.
void PrintShown(ExplainOut& out, std::string_view label, const ShownLine& line) {
  out << label << InputName(line.input) << ", line " << line.line;
  if (line.column > 0) out << ", column " << line.column;
  if (!line.found) {
    out << " (the file ends before this line).\n";
    return;
  }
  out << ".\n";
  const ExcerptLines lines = RenderExcerpt(line);
  out << "    " << lines.text << "\n";
  if (!lines.caret.empty()) out << "    " << lines.caret << "\n";
}

void PrintUnopened(ExplainOut& out, const UnopenedInput& input) {
  out << "Could not open the " << (input.input == InputRole::TestData ? "test data" : "submission")
      << " " << input.name << ": " << input.reason << ".\n";
}

void PrintFault(ExplainOut& out, const Explanation& e) {
  out << "\n";
  if (e.fault == Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened)
      if (input.input == e.where.input) PrintUnopened(out, input);
    out << "The evaluator reads an input that it cannot open as an empty file: the report above "
           "comes from that, not from the file's contents.\n";
    return;
  }
  out << "Rejected at location " << std::int64_t{e.location} << ": the fault is in the "
      << (e.fault == Fault::TestData ? "test data" : "submission") << ".\n";
  if (e.section.testCase != 0)
    out << "Section: test case " << std::int64_t{e.section.testCase} << ", from line "
        << e.section.line << ".\n";
  PrintShown(out, "Where: ", e.where);
  if (e.letter) PrintShown(out, "Letter: ", *e.letter);
  out << "Why: " << e.why << "\n";
  if (!e.facts.empty()) {
    out << "Facts: ";
    for (const Fact& fact : e.facts) {
      out << (&fact == &e.facts.front() ? "" : ", ") << fact.name << " = ";
      if (fact.text.empty()) {
        out << fact.value;
      } else {
        out << fact.text;
      }
    }
    out << "\n";
  }
}

}  // namespace

bool PrintText(std::FILE* file, const Explanation& e) {
  return PrintToFile(file, [&e](OutputBuffer& buffer) { return PrintText(buffer, e); });
}

bool PrintText(OutputBuffer& buffer, const Explanation& e) {
  ExplainOut out(buffer);
  WriteReport(out.Buffer(), e);
  switch (e.verdict) {
    case Verdict::Accepted:
      if (e.testDataOnly) {
        PrintTestCases(out, e);
      } else {
        PrintSections(out, e);
      }
      break;
    case Verdict::Rejected:
    case Verdict::TestData:
      PrintFault(out, e);
      break;
    case Verdict::Unexpected:
      out << "\nThe run could not finish: an input could not be read to its end, it changed "
             "while it was read, or memory ran out. The report above is the evaluator's.\n";
      break;
  }
  // An input that could not be opened, where the fault found lies elsewhere.
  if (e.fault != Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened) {
      out << "Note: ";
      PrintUnopened(out, input);
    }
  }
  return out.Finish();
}

}  // namespace krobelnik
