#include <cstdio>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "input/system.h"

namespace krobelnik {

namespace {

// The report's bytes as the evaluator's report file holds them, its line
// ends written as the system writes text, as a JSON string. A success
// report is written from the results as it goes.
void PutReport(ExplainOut& out, const Explanation& e) {
  if (e.verdict != Verdict::Accepted) {
    std::string bytes;
    for (const char c : e.report) {
      if (c == '\n') {
        bytes += ReportLineEnd;
      } else {
        bytes += c;
      }
    }
    out.Json(bytes);
    return;
  }
  // Only line ends need escapes in a success report.
  const std::string_view end = ReportLineEnd.size() == 2 ? "\\r\\n" : "\\n";
  out << "\"OK" << end << static_cast<std::int64_t>(e.results.Size()) << end;
  for (std::size_t c = 0; c < e.results.Size(); ++c)
    out << std::int64_t{e.results[c].testCaseNumber} << " " << std::int64_t{e.results[c].score}
        << end;
  out << "\"";
}

// A column from 1, or null for none.
void PutColumn(ExplainOut& out, std::int64_t column) {
  if (column > 0) {
    out << column;
  } else {
    out << "null";
  }
}

// "excerpt" and "caret" of a line, null where the line was not found.
void PutExcerpt(ExplainOut& out, const ShownLine& line) {
  out << "\"excerpt\":";
  if (!line.found) {
    out << "null,\"caret\":null";
    return;
  }
  const ExcerptLines lines = RenderExcerpt(line);
  out.Json(lines.text);
  out << ",\"caret\":";
  if (lines.caret.empty()) {
    out << "null";
  } else {
    out.Json(lines.caret);
  }
}

void PutFacts(ExplainOut& out, const Explanation& e) {
  out << "{";
  for (const Fact& fact : e.facts) {
    out << (&fact == &e.facts.front() ? "" : ",") << "\"" << fact.name << "\":";
    if (fact.text.empty()) {
      out << fact.value;
    } else {
      out.Json(fact.text);
    }
  }
  out << "}";
}

void PutSections(ExplainOut& out, const Explanation& e) {
  out << "[";
  const bool sections = e.verdict == Verdict::Accepted && !e.testDataOnly;
  for (std::size_t c = 0; sections && c < e.sections.Size(); ++c) {
    const ResultEntry& result = e.results[c];
    const SectionRow& lines = e.sections[c];
    out << (c > 0 ? "," : "") << "{\"testCase\":" << std::int64_t{result.testCaseNumber}
        << ",\"firstLine\":" << lines.firstLine << ",\"lastLine\":" << lines.firstLine + lines.k + 2
        << ",\"k\":" << std::int64_t{lines.k} << ",\"r\":" << std::int64_t{lines.r}
        << ",\"letters\":" << std::int64_t{result.score} - lines.r
        << ",\"score\":" << std::int64_t{result.score} << "}";
  }
  out << "]";
}

void PutTestCases(ExplainOut& out, const Explanation& e) {
  out << "[";
  const bool testCases = e.verdict == Verdict::Accepted && e.testDataOnly;
  const auto count = testCases ? static_cast<std::int64_t>(e.testCases.Count()) : 0;
  for (std::int64_t k = 1; k <= count; ++k) {
    out << (k > 1 ? "," : "") << "{\"testCase\":" << k
        << ",\"line\":" << LineOfS(static_cast<std::int32_t>(k)) << ",\"length\":"
        << static_cast<std::int64_t>(e.testCases[static_cast<std::size_t>(k - 1)].s.size()) << "}";
  }
  out << "]";
}

}  // namespace

bool PrintJson(std::FILE* file, const Explanation& e) {
  return PrintToFile(file, [&e](OutputBuffer& buffer) { return PrintJson(buffer, e); });
}

bool PrintJson(OutputBuffer& buffer, const Explanation& e) {
  ExplainOut out(buffer);
  const bool placed = e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData;
  out << "{\"report\":";
  PutReport(out, e);
  out << ",\"verdict\":\"" << VerdictName(e.verdict) << "\",\"fault\":\"" << FaultName(e.fault)
      << "\",\"location\":";
  if (e.location != 0) {
    out << std::int64_t{e.location} << ",\"message\":";
    out.Json(e.message);
  } else {
    out << "null,\"message\":null";
  }
  if (placed) {
    out << ",\"file\":\"" << InputName(e.where.input) << "\",\"line\":" << e.where.line
        << ",\"column\":";
    PutColumn(out, e.where.column);
    out << ",";
    PutExcerpt(out, e.where);
  } else {
    out << ",\"file\":null,\"line\":null,\"column\":null,\"excerpt\":null,\"caret\":null";
  }
  out << ",\"letter\":";
  if (placed && e.letter) {
    out << "{\"line\":" << e.letter->line << ",\"column\":";
    PutColumn(out, e.letter->column);
    out << ",";
    PutExcerpt(out, *e.letter);
    out << "}";
  } else {
    out << "null";
  }
  out << ",\"section\":";
  if (placed && e.section.testCase != 0) {
    out << "{\"testCase\":" << std::int64_t{e.section.testCase}
        << ",\"firstLine\":" << e.section.line << "}";
  } else {
    out << "null";
  }
  out << ",\"why\":";
  if (placed) {
    out.Json(e.why);
  } else {
    out << "null";
  }
  out << ",\"detail\":";
  PutFacts(out, e);
  out << ",\"sections\":";
  PutSections(out, e);
  const bool sections = e.verdict == Verdict::Accepted && !e.testDataOnly;
  out << ",\"sectionCount\":" << static_cast<std::int64_t>(sections ? e.results.Size() : 0);
  out << ",\"testCases\":";
  PutTestCases(out, e);
  out << ",\"unopened\":[";
  for (const UnopenedInput& input : e.unopened) {
    out << (&input == &e.unopened.front() ? "" : ",") << "{\"input\":\"" << InputName(input.input)
        << "\",\"name\":";
    out.Json(input.name);
    out << ",\"reason\":";
    out.Json(input.reason);
    out << "}";
  }
  out << "]}\n";
  return out.Finish();
}

}  // namespace krobelnik
