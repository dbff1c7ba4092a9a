#include <cstdio>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "input/system.h"
#include "words/words.h"

namespace krobelnik {

namespace {

constexpr Language Languages[] = {Language::English, Language::Slovenian};

const char* CodeOf(Language language) { return language == Language::Slovenian ? "sl" : "en"; }

bool Placed(const Explanation& e) {
  return e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData;
}

bool WithSections(const Explanation& e) {
  return e.verdict == Verdict::Accepted && !e.testDataOnly;
}

// The report's bytes as the evaluator's report file holds them, its line
// ends written as the system writes text, as a JSON string. A success
// report is written from the results as it goes.
void PutReport(JsonWriter& json, const Explanation& e) {
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
    json.Key("report").Bytes(withLineEnds(e.report));
    // A long report's start stands above; what was left out is counted,
    // and its end follows.
    if (e.reportLeftOut > 0) {
      json.Key("reportLeftOut").Number(static_cast<std::int64_t>(e.reportLeftOut));
      json.Key("reportEnd").Bytes(withLineEnds(e.reportTail));
    }
    return;
  }
  // Only line ends need escapes in a success report.
  const std::string_view end = ReportLineEnd.size() == 2 ? "\\r\\n" : "\\n";
  ExplainOut& out = json.Key("report").Value();
  out << "\"OK" << end << static_cast<std::int64_t>(e.results.Size()) << end;
  for (std::size_t c = 0; c < e.results.Size(); ++c)
    out << std::int64_t{e.results[c].testCaseNumber} << " " << std::int64_t{e.results[c].score}
        << end;
  out << "\"";
}

// A column from 1, or null for none.
void PutColumn(JsonWriter& json, std::int64_t column) {
  if (column > 0) {
    json.Number(column);
  } else {
    json.Null();
  }
}

// "excerpt" and "caret" of a line, null where the line was not found.
void PutExcerpt(JsonWriter& json, const ShownLine& line) {
  if (!line.found) {
    json.Key("excerpt").Null().Key("caret").Null();
    return;
  }
  const ExcerptLines lines = RenderExcerpt(line);
  json.Key("excerpt").Bytes(lines.text).Key("caret");
  if (lines.caret.empty()) {
    json.Null();
  } else {
    json.Bytes(lines.caret);
  }
}

void PutFacts(JsonWriter& json, const Rejection& e) {
  json.Object();
  for (const Fact& fact : e.facts) {
    json.Key(fact.name);
    if (fact.text.empty()) {
      json.Number(fact.value);
    } else {
      json.Bytes(fact.text);
    }
  }
  json.End();
}

void PutSections(JsonWriter& json, const Explanation& e) {
  json.Array();
  for (std::size_t c = 0; WithSections(e) && c < e.sections.Size(); ++c) {
    const ResultEntry& result = e.results[c];
    const SectionRow& lines = e.sections[c];
    json.Object()
        .Key("testCase")
        .Number(result.testCaseNumber)
        .Key("firstLine")
        .Number(lines.firstLine)
        .Key("lastLine")
        .Number(lines.firstLine + lines.k + 2)
        .Key("k")
        .Number(lines.k)
        .Key("r")
        .Number(lines.r)
        .Key("letters")
        .Number(std::int64_t{result.score} - lines.r)
        .Key("score")
        .Number(result.score)
        .End();
  }
  json.End();
}

// The best section of each test case answered (at most ShownSections of
// them), and how many are not answered.
void PutBest(JsonWriter& json, const Acceptance& e) {
  json.Key("best").Array();
  std::size_t listed = 0;
  std::int64_t unanswered = 0;
  for (std::size_t k = 0; k < e.best.size(); ++k) {
    const TestCaseBest& best = e.best[k];
    if (best.sections == 0) {
      ++unanswered;
      continue;
    }
    if (listed++ >= ShownSections) continue;
    json.Object()
        .Key("testCase")
        .Number(static_cast<std::int64_t>(k) + 1)
        .Key("score")
        .Number(best.score)
        .Key("line")
        .Number(best.line)
        .Key("sections")
        .Number(best.sections)
        .End();
  }
  json.End();
  json.Key("answered").Number(static_cast<std::int64_t>(listed));
  json.Key("unanswered").Number(unanswered);
}

void PutTestCases(JsonWriter& json, const Explanation& e) {
  json.Array();
  const bool testCases = e.verdict == Verdict::Accepted && e.testDataOnly;
  const auto count = testCases ? static_cast<std::int64_t>(e.testCases.Count()) : 0;
  for (std::int64_t k = 1; k <= count; ++k) {
    json.Object()
        .Key("testCase")
        .Number(k)
        .Key("line")
        .Number(LineOfS(static_cast<std::int32_t>(k)))
        .Key("length")
        .Number(static_cast<std::int64_t>(e.testCases[static_cast<std::size_t>(k - 1)].s.size()))
        .End();
  }
  json.End();
}

void PutTexts(JsonWriter& json, const std::vector<std::string>& texts) {
  json.Array();
  for (const std::string& text : texts) json.Text(text);
  json.End();
}

void PutAlignment(JsonWriter& json, const Rejection& e) {
  const Alignment& a = e.alignment;
  const AlignedLines lines = RenderAlignment(a);
  json.Object()
      .Key("from")
      .Number(a.from + 1)
      .Key("s")
      .Bytes(a.s)
      .Key("sGoesOn")
      .Bool(a.sGoesOn)
      .Key("concatenation")
      .Bytes(a.concatenation)
      .Key("concatenationGoesOn")
      .Bool(a.concatenationGoesOn)
      .Key("fault")
      .Number(a.fault + 1)
      .Key("n")
      .Number(a.n);
  // The rows as the text shows them, column for column, and the piece of
  // each column of the concatenation's row.
  json.Key("rows")
      .Object()
      .Key("s")
      .Bytes(lines.s)
      .Key("concatenation")
      .Bytes(lines.concatenation)
      .Key("marker")
      .Bytes(lines.marker)
      .End();
  json.Key("pieceOf").Array();
  for (const std::int32_t piece : lines.pieceOf) json.Number(piece);
  json.End();
  json.Key("pieces").Array();
  for (const Piece& piece : a.pieces) {
    json.Object()
        .Key("p")
        .Number(piece.p)
        .Key("x")
        .Number(piece.x)
        .Key("selects")
        .Bool(piece.selects)
        .Key("faulty")
        .Bool(piece.faulty)
        .Key("line");
    if (piece.selects) {
      json.Number(LineOfString(e.section.line, piece.x));
    } else {
      json.Null();
    }
    json.Key("from").Number(piece.from + 1).Key("to").Number(piece.from + piece.length).End();
  }
  json.End().End();
}

void PutUses(JsonWriter& json, const std::vector<StringUse>& uses, std::int64_t firstLine) {
  json.Array();
  for (const StringUse& use : uses)
    json.Object()
        .Key("j")
        .Number(use.j)
        .Key("line")
        .Number(LineOfString(firstLine, use.j))
        .Key("length")
        .Number(use.length)
        .Key("uses")
        .Number(use.uses)
        .End();
  json.End();
}

void PutStats(JsonWriter& json, const Acceptance& e) {
  json.Array();
  for (const SectionStats& st : e.stats) {
    json.Object()
        .Key("testCase")
        .Number(st.testCase)
        .Key("firstLine")
        .Number(st.firstLine)
        .Key("n")
        .Number(st.n)
        .Key("k")
        .Number(st.k)
        .Key("r")
        .Number(st.r)
        .Key("letters")
        .Number(st.letters)
        .Key("score")
        .Number(st.score)
        .Key("used")
        .Number(st.used)
        .Key("unused")
        .Number(st.unused)
        .Key("unusedLetters")
        .Number(st.unusedLetters)
        .Key("sOffset")
        .Number(st.sOffset)
        .Key("mostUsed");
    PutUses(json, st.mostUsed, st.firstLine);
    json.Key("firstUnused");
    PutUses(json, st.firstUnused, st.firstLine);
    json.Key("lengths").Array();
    for (std::size_t b = 0; b < LengthBuckets; ++b) json.Number(st.lengths[b]);
    json.End();
    json.Key("buckets").Array();
    for (std::size_t b = 0; b < LengthBuckets; ++b)
      if (st.lengths[b] != 0)
        json.Object()
            .Key("label")
            .Text(BucketLabel(st, b))
            .Key("pieces")
            .Number(st.lengths[b])
            .End();
    json.End();
    json.Key("piecesFrom");
    if (st.piecesFrom >= 0) {
      json.Number(st.piecesFrom);
    } else {
      json.Null();
    }
    json.End();
  }
  json.End();
}

// The sentences of a placed fault in language.
void PutFaultTexts(JsonWriter& json, const Explanation& e, Language l) {
  json.Key("verdict").Text(
      Say(l, e.fault == Fault::TestData ? W("faultTestData") : W("faultSubmission"),
          {{"location", e.location}}));
  json.Key("swapped");
  if (e.swap == Swap::None) {
    json.Null();
  } else {
    json.Text(
        Say(l, e.swap == Swap::TestDataLikeAnswer ? W("swappedTestData") : W("swappedAnswer")));
  }
  json.Key("section");
  if (e.section.testCase != 0) {
    json.Text(Say(l, W("section"), {{"testCase", e.section.testCase}, {"line", e.section.line}}));
  } else {
    json.Null();
  }
  json.Key("where").Text(WhereSentence(e.where, l));
  json.Key("letter");
  if (e.letter && e.letter->found) {
    json.Text(WhereSentence(*e.letter, l, true));
  } else {
    json.Null();
  }
  json.Key("why").Text(Say(l, W("why"), {{"text", WhyIn(e, l)}}));
  json.Key("details").Text(Say(l, W("details")));
  json.Key("facts");
  PutTexts(json, FactPhrases(e.location, e.facts, e.where.line, l));
  json.Key("alignment");
  if (!e.alignment.present) {
    json.Null();
    return;
  }
  json.Object()
      .Key("title")
      .Text(Say(l, W("alignTitle")))
      .Key("at")
      .Text(AlignmentSentence(e.alignment, l))
      .Key("lead")
      .Text(Say(l, W("alignLead")))
      .Key("yours")
      .Text(Say(l, W("rowYours")))
      .Key("pieces")
      .Array();
  for (const Piece& piece : e.alignment.pieces) json.Text(PieceSentence(piece, e.section.line, l));
  json.End().End();
}

// The sentences of an accepted answer in language.
void PutAcceptedTexts(JsonWriter& json, const Explanation& e, Language l) {
  const std::size_t count = e.results.Size();
  json.Key("verdict").Text(Say(l, W("accepted"), {{"count", count}}));
  json.Key("columns");
  PutTexts(json, Columns(l, W("sectionColumns")));
  json.Key("more");
  if (count > e.sections.Size()) {
    json.Text(Say(l, W("moreSections"), {{"count", count - e.sections.Size()}}));
  } else {
    json.Null();
  }
  std::size_t answered = 0;
  std::size_t unanswered = 0;
  for (const TestCaseBest& best : e.best) answered += best.sections > 0 ? 1 : 0;
  const std::string list = UnansweredList(e.best, unanswered);
  json.Key("best")
      .Object()
      .Key("title")
      .Text(Say(l, W("bestTitle"), {{"answered", answered}, {"testCases", e.best.size()}}))
      .Key("columns");
  PutTexts(json, Columns(l, W("bestColumns")));
  json.Key("unanswered")
      .Text(unanswered > 0 ? Say(l, W("unanswered"), {{"count", unanswered}, {"list", list}})
                           : Say(l, W("allAnswered")));
  json.End();
  json.Key("statsHint").Text(Say(l, W("statsHint")));
  json.Key("stats").Array();
  for (const SectionStats& st : e.stats) {
    const std::string names = UnusedNames(st, l);
    json.Object()
        .Key("title")
        .Text(Say(l, W("statsSection"), {{"testCase", st.testCase}, {"line", st.firstLine}}))
        .Key("scoreSum")
        .Text(Say(
            l, W("scoreSum"),
            {{"score", st.score}, {"r", st.r}, {"letters", st.letters}, {"k", st.k}, {"n", st.n}}))
        .Key("used")
        .Text(Say(l, W("used"), {{"used", st.used}, {"k", st.k}}))
        .Key("unused");
    if (st.unused > 0) {
      json.Text(Say(l, W("unused"), {{"unused", st.unused}, {"letters", st.unusedLetters}}) + " " +
                names + ".");
    } else {
      json.Null();
    }
    json.End();
  }
  json.End();
  json.Key("statsTitle").Text(Say(l, W("statsTitle")));
  json.Key("mostUsed").Text(Say(l, W("mostUsed")));
  json.Key("useColumns");
  PutTexts(json, Columns(l, W("useColumns")));
  json.Key("lengths").Text(Say(l, W("lengths")));
  json.Key("lengthColumns");
  PutTexts(json, Columns(l, W("lengthColumns")));
  json.Key("statsOnly");
  if (count > e.stats.size()) {
    json.Text(Say(l, W("statsOnly"), {{"count", e.stats.size()}}));
  } else {
    json.Null();
  }
}

// Every sentence the explanation holds, in language.
void PutLanguageTexts(JsonWriter& json, const Explanation& e, Language l) {
  json.Object();
  if (Placed(e) && e.fault != Fault::Unopened) {
    PutFaultTexts(json, e, l);
  } else if (WithSections(e)) {
    PutAcceptedTexts(json, e, l);
  } else if (e.verdict == Verdict::Accepted) {
    json.Key("verdict").Text(Say(l, W("soundTestData"), {{"count", e.testCases.Count()}}));
    json.Key("columns");
    PutTexts(json, Columns(l, W("testCaseColumns")));
  } else if (e.fault == Fault::Unopened) {
    json.Key("verdict").Text(Say(l, W("unopenedRead")));
  } else {
    json.Key("verdict").Text(Say(l, W("unfinished")));
  }
  json.Key("unopened").Array();
  for (const UnopenedInput& input : e.unopened) json.Text(UnopenedSentence(input, l));
  json.End();
  // What stands in a long report for the bytes left out of it.
  if (e.reportLeftOut > 0) json.Key("leftOut").Text(LeftOutNote(e.reportLeftOut, l));
  json.End();
}

}  // namespace

bool PrintJson(std::FILE* file, const Explanation& e, const Presentation& how) {
  return PrintToFile(file, [&](OutputBuffer& buffer) { return PrintJson(buffer, e, how); });
}

bool PrintJson(OutputBuffer& buffer, const Explanation& e, const Presentation& how) {
  ExplainOut out(buffer);
  JsonWriter json(out);
  const Language language = how.wording.language;
  const bool placed = Placed(e);
  json.Object();
  PutReport(json, e);
  json.Key("verdict").Text(VerdictName(e.verdict));
  json.Key("fault").Text(FaultName(e.fault));
  json.Key("location");
  if (e.location != 0) {
    json.Number(e.location).Key("message").Bytes(e.message);
    if (e.messageLeftOut > 0) {
      json.Key("messageLeftOut").Number(static_cast<std::int64_t>(e.messageLeftOut));
      json.Key("messageEnd").Bytes(e.messageTail);
    }
  } else {
    json.Null().Key("message").Null();
  }
  if (placed) {
    json.Key("file").Text(InputName(e.where.input)).Key("line").Number(e.where.line).Key("column");
    PutColumn(json, e.where.column);
    PutExcerpt(json, e.where);
  } else {
    json.Key("file").Null().Key("line").Null().Key("column").Null();
    json.Key("excerpt").Null().Key("caret").Null();
  }
  json.Key("letter");
  if (placed && e.letter) {
    json.Object().Key("line").Number(e.letter->line).Key("column");
    PutColumn(json, e.letter->column);
    PutExcerpt(json, *e.letter);
    json.End();
  } else {
    json.Null();
  }
  json.Key("section");
  if (placed && e.section.testCase != 0) {
    json.Object()
        .Key("testCase")
        .Number(e.section.testCase)
        .Key("firstLine")
        .Number(e.section.line)
        .End();
  } else {
    json.Null();
  }
  json.Key("swapped").Bool(e.swap != Swap::None);
  json.Key("language").Text(CodeOf(language));
  json.Key("why");
  if (placed) {
    json.Text(WhyIn(e, language));
  } else {
    json.Null();
  }
  json.Key("detail");
  PutFacts(json, e);
  json.Key("facts");
  if (placed) {
    PutTexts(json, FactPhrases(e.location, e.facts, e.where.line, language));
  } else {
    PutTexts(json, {});
  }
  json.Key("alignment");
  if (placed && e.alignment.present) {
    PutAlignment(json, e);
  } else {
    json.Null();
  }
  json.Key("sections");
  PutSections(json, e);
  json.Key("sectionCount")
      .Number(static_cast<std::int64_t>(WithSections(e) ? e.results.Size() : 0));
  PutBest(json, e);
  json.Key("stats");
  if (how.stats && WithSections(e)) {
    PutStats(json, e);
  } else {
    json.Null();
  }
  json.Key("testCases");
  PutTestCases(json, e);
  json.Key("unopened").Array();
  for (const UnopenedInput& input : e.unopened)
    json.Object()
        .Key("input")
        .Text(InputName(input.input))
        .Key("name")
        .Bytes(input.name)
        .Key("reason")
        .Bytes(input.reason)
        .End();
  json.End();
  // The explanation's sentences in every language, for a reader that
  // switches between them.
  json.Key("texts").Object();
  for (const Language l : Languages) {
    json.Key(CodeOf(l));
    PutLanguageTexts(json, e, l);
  }
  json.End();
  json.End();
  out << "\n";
  return out.Finish();
}

}  // namespace krobelnik
