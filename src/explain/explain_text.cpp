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
// spaces apart, indented by indent.
template <std::size_t Columns, class Row>
void PrintTable(ExplainOut& out, std::string_view indent,
                const std::array<std::string_view, Columns>& labels, std::size_t rows, Row&& row) {
  std::array<std::size_t, Columns> widths{};
  char digits[MaxIntDigits];
  for (std::size_t c = 0; c < Columns; ++c) widths[c] = TextWidth(labels[c]) + (c > 0 ? 2 : 0);
  for (std::size_t r = 0; r < rows; ++r) {
    const std::array<std::int64_t, Columns> values = row(r);
    for (std::size_t c = 0; c < Columns; ++c)
      widths[c] = std::max(widths[c], FormatInt(values[c], digits) + (c > 0 ? 2 : 0));
  }
  out << indent;
  for (std::size_t c = 0; c < Columns; ++c)
    out << std::string(widths[c] - TextWidth(labels[c]), ' ') << labels[c];
  out << "\n";
  for (std::size_t r = 0; r < rows; ++r) {
    const std::array<std::int64_t, Columns> values = row(r);
    out << indent;
    for (std::size_t c = 0; c < Columns; ++c) out.Cell(values[c], widths[c]);
    out << "\n";
  }
}

void PrintSections(ExplainOut& out, const Explanation& e, Language l) {
  const std::size_t count = e.results.Size();
  out << "\n"
      << Say(l, "Accepted: ", "Sprejeto: ")
      << Counted(static_cast<std::int64_t>(count), "section|sections",
                 "razdelek|razdelka|razdelki|razdelkov", l)
      << ".\n";
  if (count == 0) return;
  const std::size_t shown = e.sections.Size();
  PrintTable<7>(out, "",
                {Say(l, "test case", "testni primer"), Say(l, "first line", "prva vrstica"),
                 Say(l, "last line", "zadnja vrstica"), "k", "r", Say(l, "letters", "črke"),
                 Say(l, "score", "rezultat")},
                shown, [&e](std::size_t c) {
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
    out << Say(l, "(and ", "(in še ")
        << Counted(static_cast<std::int64_t>(count - shown), "more section|more sections",
                   "razdelek|razdelka|razdelki|razdelkov", l)
        << ")\n";
}

// Where the score of each section comes from.
void PrintStats(ExplainOut& out, const Explanation& e, Language l) {
  for (const SectionStats& st : e.stats) {
    out << "\n"
        << Say(l, "Test case ", "Testni primer ") << std::int64_t{st.testCase}
        << Say(l, ", section from line ", ", razdelek od vrstice ") << st.firstLine
        << Say(l, ": score ", ": rezultat ") << st.score << " = r " << st.r << " + "
        << Say(l, "letters of the strings ", "črke nizov ") << st.letters << " (k = " << st.k
        << ", n = " << st.n << ").\n";
    out << Say(l, "  Strings used: ", "  Uporabljeni nizi: ") << st.used << Say(l, " of ", " od ")
        << st.k << ".";
    if (st.unused > 0) {
      out << Say(l, " Never used: ", " Nikoli uporabljeni: ") << st.unused
          << Say(l, " (their letters, ", " (njihove črke, ") << st.unusedLetters
          << Say(l, ", count in the score for nothing):", ", rezultat šteje zaman):");
      for (const StringUse& use : st.firstUnused)
        out << (&use == &st.firstUnused.front() ? " t_" : ", t_") << use.j
            << Say(l, " (line ", " (vrstica ") << LineOfString(st.firstLine, use.j) << ")";
      if (st.unused > static_cast<std::int64_t>(st.firstUnused.size())) out << ", ...";
      out << ".";
    }
    out << "\n"
        << Say(l, "  The strings that cover most letters:\n", "  Nizi, ki pokrijejo največ črk:\n");
    PrintTable<5>(out, "    ",
                  {"j", Say(l, "line", "vrstica"), Say(l, "length", "dolžina"),
                   Say(l, "uses", "uporabe"), Say(l, "letters covered", "pokrite črke")},
                  st.mostUsed.size(), [&st](std::size_t c) {
                    const StringUse& use = st.mostUsed[c];
                    return std::array<std::int64_t, 5>{use.j, LineOfString(st.firstLine, use.j),
                                                       use.length, use.uses, use.uses * use.length};
                  });
    out << Say(l, "  Pieces by length (letters: pieces):", "  Kosi po dolžini (črke: kosi):");
    for (std::size_t b = 0; b < LengthBuckets; ++b) {
      if (st.lengths[b] == 0) continue;
      const std::int64_t least = std::int64_t{1} << b;
      out << "   " << least;
      if (b > 0) out << "-" << 2 * least - 1;
      out << ": " << st.lengths[b];
    }
    out << "\n";
  }
  if (e.results.Size() > e.stats.size())
    out << Say(l, "(statistics of the first ", "(statistika prvih ")
        << static_cast<std::int64_t>(e.stats.size())
        << Say(l, " sections only)\n", " razdelkov)\n");
}

void PrintTestCases(ExplainOut& out, const Explanation& e, Language l) {
  const std::size_t count = e.testCases.Count();
  out << "\n"
      << Say(l, "Sound test data: ", "Testni podatki so v redu: ")
      << Counted(static_cast<std::int64_t>(count), "test case|test cases",
                 "testni primer|testna primera|testni primeri|testnih primerov", l)
      << ".\n";
  PrintTable<3>(out, "",
                {Say(l, "test case", "testni primer"), Say(l, "line of s", "vrstica niza s"),
                 Say(l, "length", "dolžina")},
                count, [&e](std::size_t c) {
                  const auto k = static_cast<std::int64_t>(c) + 1;
                  return std::array<std::int64_t, 3>{
                      k, 3 * k + 2, static_cast<std::int64_t>(e.testCases[c].s.size())};
                });
}

const char* InputWords(InputRole input, Language l) {
  return input == InputRole::TestData ? Say(l, "the test data", "testni podatki")
                                      : Say(l, "the submission", "odgovor");
}

// A line of the explanation naming a place, and its excerpt with a caret.
void PrintShown(ExplainOut& out, std::string_view label, const ShownLine& line, Language l) {
  out << label << InputWords(line.input, l) << Say(l, ", line ", ", vrstica ") << line.line;
  if (line.column > 0) out << Say(l, ", column ", ", stolpec ") << line.column;
  if (!line.found) {
    out << Say(l, " (the file ends before this line).\n",
               " (datoteka se konča pred to vrstico).\n");
    return;
  }
  out << ".\n";
  const ExcerptLines lines = RenderExcerpt(line);
  out << "    " << lines.text << "\n";
  if (!lines.caret.empty()) out << "    " << lines.caret << "\n";
}

void PrintUnopened(ExplainOut& out, const UnopenedInput& input, Language l) {
  const bool testData = input.input == InputRole::TestData;
  out << Say(l, "Could not open the ", "Ni bilo mogoče odpreti ")
      << (testData ? Say(l, "test data", "testnih podatkov") : Say(l, "submission", "odgovora"))
      << " " << input.name << ": " << input.reason << ".\n";
}

// s and the concatenation side by side around the fault, and the pieces.
void PrintAlignment(ExplainOut& out, const Explanation& e, Language l) {
  const Alignment& a = e.alignment;
  const AlignedLines lines = RenderAlignment(a);
  out << Say(l, "Where the concatenation leaves s: letter ", "Kje se stik loči od niza s: ")
      << a.fault + 1 << Say(l, " of s (letters ", ". črka niza s (prikazane črke od ") << a.from + 1
      << Say(l, " to ", " do ") << lines.last << Say(l, " shown).\n", ").\n");
  const std::string sLabel = "s";
  const std::string tLabel = Say(l, "yours", "stik");
  const std::size_t width = std::max(TextWidth(sLabel), TextWidth(tLabel)) + 2;
  out << "    " << sLabel << std::string(width - TextWidth(sLabel), ' ') << lines.s << "\n";
  out << "    " << tLabel << std::string(width - TextWidth(tLabel), ' ') << lines.concatenation
      << "\n";
  out << "    " << std::string(width, ' ') << lines.marker << "\n";
  for (const Piece& piece : a.pieces) {
    out << "    i_" << piece.p << " = " << piece.x;
    if (!piece.selects) {
      out << Say(l, " selects no string\n", " ne izbere nobenega niza\n");
      continue;
    }
    out << Say(l, " selects t_", " izbere t_") << piece.x << Say(l, " (line ", " (vrstica ")
        << LineOfString(e.section.line, piece.x);
    if (piece.length == 1) {
      out << Say(l, "): letter ", "): črka ") << piece.from + 1 << "\n";
    } else {
      out << Say(l, "): letters ", "): črke od ") << piece.from + 1 << Say(l, " to ", " do ")
          << piece.from + piece.length << "\n";
    }
  }
}

void PrintFault(ExplainOut& out, const Explanation& e, Language l) {
  out << "\n";
  if (e.fault == Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened)
      if (input.input == e.where.input) PrintUnopened(out, input, l);
    out << Say(l,
               "The evaluator reads an input that it cannot open as an empty file: the report "
               "above comes from that, not from the file's contents.\n",
               "Datoteko, ki je ne more odpreti, ocenjevalnik bere kot prazno: zgornje poročilo "
               "izhaja iz tega, ne iz vsebine datoteke.\n");
    return;
  }
  out << Say(l, "Rejected at location ", "Zavrnjeno na lokaciji ") << std::int64_t{e.location}
      << (e.fault == Fault::TestData
              ? Say(l, ": the fault is in the test data.\n", ": napaka je v testnih podatkih.\n")
              : Say(l, ": the fault is in the submission.\n", ": napaka je v odgovoru.\n"));
  if (e.section.testCase != 0)
    out << Say(l, "Section: test case ", "Razdelek: testni primer ")
        << std::int64_t{e.section.testCase} << Say(l, ", from line ", ", od vrstice ")
        << e.section.line << ".\n";
  PrintShown(out, Say(l, "Where: ", "Kje: "), e.where, l);
  if (e.letter) PrintShown(out, Say(l, "Letter: ", "Črka: "), *e.letter, l);
  out << Say(l, "Why: ", "Zakaj: ") << WhyIn(e, l) << "\n";
  const std::vector<std::string> phrases = FactPhrases(e.location, e.facts, e.where.line, l);
  if (!phrases.empty()) {
    out << Say(l, "Details:\n", "Podrobnosti:\n");
    for (const std::string& phrase : phrases) out << "  - " << phrase << "\n";
  }
  if (e.alignment.present) PrintAlignment(out, e, l);
}

}  // namespace

bool PrintText(std::FILE* file, const Explanation& e, const Presentation& how) {
  return PrintToFile(file, [&](OutputBuffer& buffer) { return PrintText(buffer, e, how); });
}

bool PrintText(OutputBuffer& buffer, const Explanation& e, const Presentation& how) {
  ExplainOut out(buffer, !how.wording.utf8);
  const Language l = how.wording.language;
  WriteReport(out.Buffer(), e, l);
  switch (e.verdict) {
    case Verdict::Accepted:
      if (e.testDataOnly) {
        PrintTestCases(out, e, l);
      } else {
        PrintSections(out, e, l);
        if (how.stats) PrintStats(out, e, l);
      }
      break;
    case Verdict::Rejected:
    case Verdict::TestData:
      PrintFault(out, e, l);
      break;
    case Verdict::Unexpected:
      out << Say(l,
                 "\nThe run could not finish: an input could not be read to its end, it changed "
                 "while it was read, or memory ran out. The report above is the evaluator's.\n",
                 "\nOcenjevanje se ni moglo končati: vhodne datoteke ni bilo mogoče prebrati do "
                 "konca, med branjem se je spremenila ali pa je zmanjkalo pomnilnika. Zgornje "
                 "poročilo je ocenjevalnikovo.\n");
      break;
  }
  // An input that could not be opened, where the fault found lies elsewhere.
  if (e.fault != Fault::Unopened) {
    for (const UnopenedInput& input : e.unopened) {
      out << Say(l, "Note: ", "Opomba: ");
      PrintUnopened(out, input, l);
    }
  }
  return out.Finish();
}

}  // namespace krobelnik
