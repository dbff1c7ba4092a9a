#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "explain/explain.h"
#include "explain/explain_output.h"
#include "failure/assertion.h"
#include "words/words.h"

namespace krobelnik {

namespace {

// What the text of an explanation is written with: where, in which
// language, and how wide its lines may be.
struct TextOut {
  ExplainOut& out;
  Language language;
  std::size_t width;

  TextOut& operator<<(std::string_view text) {
    out << text;
    return *this;
  }
  // A sentence of the catalogue on a line of its own.
  void Line(Word word, std::initializer_list<WordValue> values = {}) {
    out << Say(language, word, values) << "\n";
  }
};

// Prints a table: labels above, each column right-aligned as wide as its
// label or its widest value, two spaces apart, indented by indent.
void PrintTable(TextOut& text, std::string_view indent, const std::vector<std::string>& labels,
                const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths(labels.size());
  for (std::size_t c = 0; c < labels.size(); ++c) widths[c] = TextWidth(labels[c]);
  for (const std::vector<std::string>& row : rows)
    for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], TextWidth(row[c]));
  const auto print = [&](const std::vector<std::string>& cells) {
    text << indent;
    for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c)
      text << std::string(widths[c] - TextWidth(cells[c]) + (c > 0 ? 2 : 0), ' ') << cells[c];
    text << "\n";
  };
  print(labels);
  for (const std::vector<std::string>& row : rows) print(row);
}

std::vector<std::string> Cells(std::initializer_list<std::int64_t> values) {
  std::vector<std::string> cells;
  for (const std::int64_t value : values) cells.push_back(Grouped(value));
  return cells;
}

void PrintSections(TextOut& text, const Acceptance& e) {
  const Language l = text.language;
  const std::size_t count = e.results.Size();
  text << "\n";
  text.Line(W("accepted"), {{"count", count}});
  if (count == 0) return;
  std::vector<std::vector<std::string>> rows;
  for (std::size_t c = 0; c < e.sections.Size(); ++c) {
    const ResultEntry& result = e.results[c];
    const SectionRow& lines = e.sections[c];
    rows.push_back(Cells({result.testCaseNumber, lines.firstLine, lines.firstLine + lines.k + 2,
                          lines.k, lines.r, std::int64_t{result.score} - lines.r, result.score}));
  }
  PrintTable(text, "", Columns(l, W("sectionColumns")), rows);
  if (count > e.sections.Size())
    text.Line(W("moreSections"), {{"count", count - e.sections.Size()}});
}

// Which section counts for each test case answered, and those not answered.
void PrintBest(TextOut& text, const Acceptance& e) {
  const Language l = text.language;
  std::vector<std::vector<std::string>> rows;
  std::size_t answered = 0;
  for (std::size_t k = 0; k < e.best.size(); ++k) {
    const TestCaseBest& best = e.best[k];
    if (best.sections == 0) continue;
    if (++answered <= ShownSections)
      rows.push_back(
          Cells({static_cast<std::int64_t>(k) + 1, best.score, best.line, best.sections}));
  }
  text << "\n";
  text.Line(W("bestTitle"), {{"answered", answered}, {"testCases", e.best.size()}});
  if (answered > 0) PrintTable(text, "", Columns(l, W("bestColumns")), rows);
  if (answered > ShownSections) text.Line(W("moreSections"), {{"count", answered - ShownSections}});
  std::size_t count = 0;
  const std::string list = UnansweredList(e.best, count);
  if (count > 0) {
    text.Line(W("unanswered"), {{"count", count}, {"list", list}});
  } else {
    text.Line(W("allAnswered"));
  }
}

// Where the score of each section comes from.
void PrintStats(TextOut& text, const Acceptance& e) {
  const Language l = text.language;
  for (const SectionStats& st : e.stats) {
    text << "\n";
    text.Line(W("statsSection"), {{"testCase", st.testCase}, {"line", st.firstLine}});
    text << "  ";
    text.Line(
        W("scoreSum"),
        {{"score", st.score}, {"r", st.r}, {"letters", st.letters}, {"k", st.k}, {"n", st.n}});
    text << "  " << Say(l, W("used"), {{"used", st.used}, {"k", st.k}});
    if (st.unused > 0) {
      const std::string names = UnusedNames(st, l);
      text << " " << Say(l, W("unused"), {{"unused", st.unused}, {"letters", st.unusedLetters}})
           << " " << names << ".";
    }
    text << "\n  " << Say(l, W("mostUsed")) << ":\n";
    std::vector<std::vector<std::string>> rows;
    for (const StringUse& use : st.mostUsed)
      rows.push_back(Cells(
          {use.j, LineOfString(st.firstLine, use.j), use.length, use.uses, use.uses * use.length}));
    PrintTable(text, "    ", Columns(l, W("useColumns")), rows);
    text << "  " << Say(l, W("lengths")) << ":\n";
    rows.clear();
    for (std::size_t b = 0; b < LengthBuckets; ++b)
      if (st.lengths[b] != 0) rows.push_back({BucketLabel(st, b), Grouped(st.lengths[b])});
    PrintTable(text, "    ", Columns(l, W("lengthColumns")), rows);
  }
  if (e.results.Size() > e.stats.size()) text.Line(W("statsOnly"), {{"count", e.stats.size()}});
}

void PrintTestCases(TextOut& text, const Acceptance& e) {
  const std::size_t count = e.testCases.Count();
  text << "\n";
  text.Line(W("soundTestData"), {{"count", count}});
  std::vector<std::vector<std::string>> rows;
  for (std::size_t c = 0; c < count; ++c) {
    const auto k = static_cast<std::int64_t>(c) + 1;
    rows.push_back(Cells({k, 3 * k + 2, static_cast<std::int64_t>(e.testCases[c].s.size())}));
  }
  PrintTable(text, "", Columns(text.language, W("testCaseColumns")), rows);
}

// Lines of an excerpt or an alignment, indented by indent, cut to the
// width around the column the last of them points at.
void PrintRows(TextOut& text, std::string_view indent, std::vector<std::string> rows,
               std::size_t focus) {
  const std::size_t room = text.width > TextWidth(indent) + 20 ? text.width - TextWidth(indent) : 0;
  if (text.width > 0) rows = Fitted(rows, focus, std::max<std::size_t>(room, 20));
  for (const std::string& row : rows) text << indent << row << "\n";
}

// The line naming a place (the letter at fault's, with letter), and its
// excerpt with a caret.
void PrintShown(TextOut& text, const ShownLine& line, bool letter = false) {
  text << WhereSentence(line, text.language, letter) << "\n";
  if (!line.found) return;
  const ExcerptLines lines = RenderExcerpt(line);
  if (lines.caret.empty()) {
    PrintRows(text, "    ", {lines.text}, 0);
  } else {
    PrintRows(text, "    ", {lines.text, lines.caret}, lines.caret.size() - 1);
  }
}

void PrintUnopened(TextOut& text, const UnopenedInput& input) {
  text << UnopenedSentence(input, text.language) << "\n";
}

// s and the concatenation side by side around the fault, and the pieces.
void PrintAlignment(TextOut& text, const Rejection& e) {
  const Language l = text.language;
  const Alignment& a = e.alignment;
  const AlignedLines lines = RenderAlignment(a);
  text.Line(W("alignTitle"));
  text << AlignmentSentence(a, l) << "\n";
  text.Line(W("alignLead"));
  const std::string sLabel = "s";
  const std::string tLabel = Say(l, W("rowYours"));
  const std::size_t width = std::max(TextWidth(sLabel), TextWidth(tLabel)) + 2;
  const auto pad = [width](const std::string& label) {
    return label + std::string(width - TextWidth(label), ' ');
  };
  // The labels stay at the start of each row, however the rows are cut.
  const std::vector<std::string> rows =
      text.width > 0
          ? Fitted({lines.s, lines.concatenation, lines.marker}, lines.marker.size() - 1,
                   std::max<std::size_t>(text.width > width + 24 ? text.width - width - 4 : 0, 20))
          : std::vector<std::string>{lines.s, lines.concatenation, lines.marker};
  text << "    " << pad(sLabel) << rows[0] << "\n";
  text << "    " << pad(tLabel) << rows[1] << "\n";
  text << "    " << std::string(width, ' ') << rows[2] << "\n";
  for (const Piece& piece : a.pieces)
    text << (piece.faulty ? "  > " : "    ") << PieceSentence(piece, e.section.line, l) << "\n";
}

void PrintFault(TextOut& text, const Explanation& e) {
  text << "\n";
  if (e.fault == Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened)
      if (input.input == e.where.input) PrintUnopened(text, input);
    text.Line(W("unopenedRead"));
    return;
  }
  text.Line(e.fault == Fault::TestData ? W("faultTestData") : W("faultSubmission"),
            {{"location", e.location}});
  if (e.swap == Swap::TestDataLikeAnswer) text.Line(W("swappedTestData"));
  if (e.swap == Swap::AnswerLikeTestData) text.Line(W("swappedAnswer"));
  if (e.section.testCase != 0)
    text.Line(W("section"), {{"testCase", e.section.testCase}, {"line", e.section.line}});
  PrintShown(text, e.where);
  if (e.letter) PrintShown(text, *e.letter, true);
  text.Line(W("why"), {{"text", WhyIn(e, text.language)}});
  const std::vector<std::string> phrases =
      FactPhrases(e.location, e.facts, e.where.line, text.language);
  if (!phrases.empty()) {
    text.Line(W("details"));
    for (const std::string& phrase : phrases) text << "  - " << phrase << "\n";
  }
  if (e.alignment.present) PrintAlignment(text, e);
}

}  // namespace

bool PrintText(std::FILE* file, const Explanation& e, const Presentation& how) {
  return PrintToFile(file, [&](OutputBuffer& buffer) { return PrintText(buffer, e, how); });
}

bool PrintText(OutputBuffer& buffer, const Explanation& e, const Presentation& how) {
  ExplainOut out(buffer, !how.wording.utf8);
  TextOut text{out, how.wording.language, how.width};
  WriteReport(out.Buffer(), e, text.language);
  switch (e.verdict) {
    case Verdict::Accepted:
      if (e.testDataOnly) {
        PrintTestCases(text, e);
        break;
      }
      PrintSections(text, e);
      PrintBest(text, e);
      if (how.stats) {
        PrintStats(text, e);
      } else if (e.results.Size() > 0) {
        text.Line(W("statsHint"));
      }
      break;
    case Verdict::Rejected:
    case Verdict::TestData:
      PrintFault(text, e);
      break;
    case Verdict::Unexpected:
      text << "\n";
      text.Line(W("unfinished"));
      break;
  }
  // An input that could not be opened, where the fault found lies elsewhere.
  if (e.fault != Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened) {
      text.Line(W("note"), {{"text", UnopenedSentence(input, text.language)}});
    }
  }
  return out.Finish();
}

}  // namespace krobelnik
