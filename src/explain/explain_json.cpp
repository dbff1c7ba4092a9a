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
    const auto withLineEnds = [](std::string_view text) {
      std::string bytes;
      for (const char c : text) {
        if (c == '\n') {
          bytes += ReportLineEnd;
        } else {
          bytes += c;
        }
      }
      return bytes;
    };
    out.Json(withLineEnds(e.report));
    // A long report's start stands above; what was left out is counted,
    // and its end follows.
    if (e.reportLeftOut > 0) {
      out << ",\"reportLeftOut\":" << static_cast<std::int64_t>(e.reportLeftOut)
          << ",\"reportEnd\":";
      out.Json(withLineEnds(e.reportTail));
    }
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

// The facts of a placed fault as phrases in language.
void PutPhrases(ExplainOut& out, const Explanation& e, Language language) {
  out << "[";
  const std::vector<std::string> phrases = FactPhrases(e.location, e.facts, e.where.line, language);
  for (const std::string& phrase : phrases) {
    if (&phrase != &phrases.front()) out << ",";
    out.JsonText(phrase);
  }
  out << "]";
}

// The why sentence and the facts' phrases of a placed fault in language.
void PutTexts(ExplainOut& out, const Explanation& e, Language language) {
  out << "{\"why\":";
  out.JsonText(WhyIn(e, language));
  out << ",\"facts\":";
  PutPhrases(out, e, language);
  out << "}";
}

void PutAlignment(ExplainOut& out, const Explanation& e) {
  const Alignment& a = e.alignment;
  out << "{\"from\":" << a.from + 1 << ",\"s\":";
  out.Json(a.s);
  out << ",\"sGoesOn\":" << (a.sGoesOn ? "true" : "false") << ",\"concatenation\":";
  out.Json(a.concatenation);
  out << ",\"concatenationGoesOn\":" << (a.concatenationGoesOn ? "true" : "false")
      << ",\"fault\":" << a.fault + 1 << ",\"n\":" << a.n << ",\"pieces\":[";
  for (const Piece& piece : a.pieces) {
    out << (&piece == &a.pieces.front() ? "" : ",") << "{\"p\":" << piece.p << ",\"x\":" << piece.x
        << ",\"selects\":" << (piece.selects ? "true" : "false") << ",\"line\":";
    if (piece.selects) {
      out << LineOfString(e.section.line, piece.x);
    } else {
      out << "null";
    }
    out << ",\"from\":" << piece.from + 1 << ",\"to\":" << piece.from + piece.length << "}";
  }
  out << "]}";
}

void PutUses(ExplainOut& out, const std::vector<StringUse>& uses, std::int64_t firstLine) {
  out << "[";
  for (const StringUse& use : uses)
    out << (&use == &uses.front() ? "" : ",") << "{\"j\":" << use.j
        << ",\"line\":" << LineOfString(firstLine, use.j) << ",\"length\":" << use.length
        << ",\"uses\":" << use.uses << "}";
  out << "]";
}

void PutStats(ExplainOut& out, const Explanation& e) {
  out << "[";
  for (const SectionStats& st : e.stats) {
    out << (&st == &e.stats.front() ? "" : ",") << "{\"testCase\":" << std::int64_t{st.testCase}
        << ",\"firstLine\":" << st.firstLine << ",\"n\":" << st.n << ",\"k\":" << st.k
        << ",\"r\":" << st.r << ",\"letters\":" << st.letters << ",\"score\":" << st.score
        << ",\"used\":" << st.used << ",\"unused\":" << st.unused
        << ",\"unusedLetters\":" << st.unusedLetters << ",\"mostUsed\":";
    PutUses(out, st.mostUsed, st.firstLine);
    out << ",\"firstUnused\":";
    PutUses(out, st.firstUnused, st.firstLine);
    out << ",\"lengths\":[";
    for (std::size_t b = 0; b < LengthBuckets; ++b) out << (b > 0 ? "," : "") << st.lengths[b];
    out << "],\"piecesFrom\":";
    if (st.piecesFrom >= 0) {
      out << st.piecesFrom;
    } else {
      out << "null";
    }
    out << "}";
  }
  out << "]";
}

}  // namespace

bool PrintJson(std::FILE* file, const Explanation& e, const Presentation& how) {
  return PrintToFile(file, [&](OutputBuffer& buffer) { return PrintJson(buffer, e, how); });
}

bool PrintJson(OutputBuffer& buffer, const Explanation& e, const Presentation& how) {
  ExplainOut out(buffer);
  const Language language = how.wording.language;
  const bool placed = e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData;
  out << "{\"report\":";
  PutReport(out, e);
  out << ",\"verdict\":\"" << VerdictName(e.verdict) << "\",\"fault\":\"" << FaultName(e.fault)
      << "\",\"location\":";
  if (e.location != 0) {
    out << std::int64_t{e.location} << ",\"message\":";
    out.Json(e.message);
    if (e.messageLeftOut > 0) {
      out << ",\"messageLeftOut\":" << static_cast<std::int64_t>(e.messageLeftOut)
          << ",\"messageEnd\":";
      out.Json(e.messageTail);
    }
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
  out << ",\"language\":\"" << (language == Language::Slovenian ? "sl" : "en") << "\"";
  out << ",\"why\":";
  if (placed) {
    out.JsonText(WhyIn(e, language));
  } else {
    out << "null";
  }
  out << ",\"detail\":";
  PutFacts(out, e);
  out << ",\"facts\":";
  if (placed) {
    PutPhrases(out, e, language);
    out << ",\"texts\":{\"en\":";
    PutTexts(out, e, Language::English);
    out << ",\"sl\":";
    PutTexts(out, e, Language::Slovenian);
    out << "}";
  } else {
    out << "[],\"texts\":null";
  }
  out << ",\"alignment\":";
  if (placed && e.alignment.present) {
    PutAlignment(out, e);
  } else {
    out << "null";
  }
  out << ",\"sections\":";
  PutSections(out, e);
  const bool sections = e.verdict == Verdict::Accepted && !e.testDataOnly;
  out << ",\"sectionCount\":" << static_cast<std::int64_t>(sections ? e.results.Size() : 0);
  out << ",\"stats\":";
  if (how.stats && sections) {
    PutStats(out, e);
  } else {
    out << "null";
  }
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
