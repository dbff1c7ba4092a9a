#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "run/assertion.h"
#include "run/explain.h"
#include "run/output_buffer.h"

namespace krobelnik {

namespace {

// A byte as an excerpt shows it: printable ASCII as itself (a backslash
// doubled), anything else as an escape.
std::string Escaped(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c == '\r') {
      text += "\\r";
    } else if (code >= 32 && code < 127) {
      text += c;
    } else {
      static const char hex[] = "0123456789abcdef";
      text += "\\x";
      text += hex[code >> 4];
      text += hex[code & 15];
    }
  }
  return text;
}

// The excerpt's line, and the line with a caret under the column.
struct ExcerptLines {
  std::string text;
  std::string caret;
};

ExcerptLines RenderExcerpt(const Explanation& e) {
  ExcerptLines lines;
  const std::string_view bytes = e.excerpt;
  if (e.excerptStart > 1) lines.text = "...";
  if (e.column > 0) {
    const auto before = static_cast<std::size_t>(e.column - e.excerptStart);
    lines.caret =
        std::string(lines.text.size() + Escaped(bytes.substr(0, before)).size(), ' ') + "^";
  }
  lines.text += Escaped(bytes);
  if (e.excerptGoesOn) lines.text += "...";
  return lines;
}

const char* FileName(FaultFile file) {
  return file == FaultFile::TestData ? "testdata" : "submission";
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Accepted:
      return "accepted";
    case Verdict::Rejected:
      return "rejected";
    case Verdict::TestData:
      return "testdata";
    case Verdict::Unexpected:
      break;
  }
  return "unexpected";
}

// Writes text pieces and numbers to a file through one buffer.
class Out {
 public:
  explicit Out(std::FILE* file) : buffer_(file), file_(file) {}
  Out& operator<<(std::string_view text) {
    buffer_.Put(text);
    return *this;
  }
  Out& operator<<(std::int64_t value) {
    buffer_.PutInt(value);
    return *this;
  }
  // A column of a table: value right-aligned in width (at most 20).
  Out& Cell(std::int64_t value, std::size_t width) {
    char digits[MaxIntDigits];
    const std::size_t length = FormatInt(value, digits);
    static constexpr char Spaces[] = "                    ";
    buffer_.Put(std::string_view(
        Spaces, width > length ? std::min(width - length, sizeof(Spaces) - 1) : 1));
    buffer_.Put(std::string_view(digits, length));
    return *this;
  }
  // A JSON string holding one character per byte, of the same code.
  Out& Json(std::string_view bytes) {
    static constexpr char Hex[] = "0123456789abcdef";
    buffer_.Put("\"");
    for (const char c : bytes) {
      const auto code = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        const char escape[2] = {'\\', c};
        buffer_.Put(std::string_view(escape, 2));
      } else if (c == '\n') {
        buffer_.Put("\\n");
      } else if (code >= 32 && code < 127) {
        buffer_.Put(std::string_view(&c, 1));
      } else {
        const char escape[6] = {'\\', 'u', '0', '0', Hex[code >> 4], Hex[code & 15]};
        buffer_.Put(std::string_view(escape, 6));
      }
    }
    buffer_.Put("\"");
    return *this;
  }
  bool Finish() { return buffer_.Finish() && std::fflush(file_) == 0 && std::ferror(file_) == 0; }

 private:
  OutputBuffer buffer_;
  std::FILE* file_;
};

// Prints rows rows of a table, row(r) giving the values of row r (from 0),
// each column right-aligned as wide as its label or its widest value, two
// spaces apart.
template <std::size_t Columns, class Row>
void PrintTable(Out& out, const std::array<std::string_view, Columns>& labels, std::size_t rows,
                Row&& row) {
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

void PrintSections(Out& out, const Explanation& e) {
  const std::size_t count = e.results.Size();
  out << "\nAccepted: " << static_cast<std::int64_t>(count)
      << (count == 1 ? " section.\n" : " sections.\n");
  if (count == 0) return;
  PrintTable<7>(out, {"test case", "first line", "last line", "k", "r", "letters", "score"}, count,
                [&e](std::size_t c) {
                  const ResultEntry& result = e.results[c];
                  const SectionLines& lines = e.sections[c];
                  return std::array<std::int64_t, 7>{result.testCaseNumber,
                                                     lines.firstLine,
                                                     lines.firstLine + lines.k + 2,
                                                     lines.k,
                                                     lines.r,
                                                     std::int64_t{result.score} - lines.r,
                                                     result.score};
                });
}

void PrintTestCases(Out& out, const Explanation& e) {
  const std::size_t count = e.testCases.Count();
  out << "\nSound test data: " << static_cast<std::int64_t>(count)
      << (count == 1 ? " test case.\n" : " test cases.\n");
  PrintTable<3>(out, {"test case", "line of s", "length"}, count, [&e](std::size_t c) {
    const auto k = static_cast<std::int64_t>(c) + 1;
    return std::array<std::int64_t, 3>{k, 3 * k + 2,
                                       static_cast<std::int64_t>(e.testCases[c].s.size())};
  });
}

void PrintFault(Out& out, const Explanation& e) {
  out << "\nRejected at location " << std::int64_t{e.location} << ": the fault is in the "
      << (e.file == FaultFile::TestData ? "test data" : "submission") << ".\n";
  if (e.sectionTestCase != 0)
    out << "Section: test case " << std::int64_t{e.sectionTestCase} << ", from line "
        << e.sectionLine << ".\n";
  out << "Where: " << FileName(e.file) << ", line " << e.line;
  if (e.column > 0) out << ", column " << e.column;
  if (!e.hasExcerpt) out << " (the file ends before this line)";
  out << ".\n";
  if (e.hasExcerpt) {
    const ExcerptLines lines = RenderExcerpt(e);
    out << "    " << lines.text << "\n";
    if (!lines.caret.empty()) out << "    " << lines.caret << "\n";
  }
  out << "Why: " << e.why << "\n";
  if (!e.detail.empty()) {
    out << "Facts: ";
    for (const Fact& fact : e.detail) {
      out << (&fact == &e.detail.front() ? "" : ", ") << fact.name << " = ";
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
  Out out(file);
  out << e.report;
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
  return out.Finish();
}

bool PrintJson(std::FILE* file, const Explanation& e) {
  Out out(file);
  const bool fault = e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData;
  out << "{\"report\":";
  out.Json(e.report);
  out << ",\"verdict\":\"" << VerdictName(e.verdict) << "\",\"location\":";
  if (e.location != 0) {
    out << std::int64_t{e.location} << ",\"message\":";
    out.Json(e.message);
  } else {
    out << "null,\"message\":null";
  }
  if (fault) {
    out << ",\"file\":\"" << FileName(e.file) << "\",\"line\":" << e.line << ",\"column\":";
    if (e.column > 0) {
      out << e.column;
    } else {
      out << "null";
    }
  } else {
    out << ",\"file\":null,\"line\":null,\"column\":null";
  }
  out << ",\"excerpt\":";
  if (fault && e.hasExcerpt) {
    const ExcerptLines lines = RenderExcerpt(e);
    out.Json(lines.text);
    out << ",\"caret\":";
    if (lines.caret.empty()) {
      out << "null";
    } else {
      out.Json(lines.caret);
    }
  } else {
    out << "null,\"caret\":null";
  }
  out << ",\"section\":";
  if (e.sectionTestCase != 0) {
    out << "{\"testCase\":" << std::int64_t{e.sectionTestCase} << ",\"firstLine\":" << e.sectionLine
        << "}";
  } else {
    out << "null";
  }
  out << ",\"why\":";
  if (fault) {
    out.Json(e.why);
  } else {
    out << "null";
  }
  out << ",\"detail\":{";
  for (std::size_t c = 0; c < e.detail.size(); ++c) {
    out << (c > 0 ? "," : "") << "\"" << e.detail[c].name << "\":";
    if (e.detail[c].text.empty()) {
      out << e.detail[c].value;
    } else {
      out.Json(e.detail[c].text);
    }
  }
  out << "},\"sections\":[";
  const bool sections = e.verdict == Verdict::Accepted && !e.testDataOnly;
  for (std::size_t c = 0; sections && c < e.results.Size(); ++c) {
    const ResultEntry& result = e.results[c];
    const SectionLines& lines = e.sections[c];
    out << (c > 0 ? "," : "") << "{\"testCase\":" << std::int64_t{result.testCaseNumber}
        << ",\"firstLine\":" << lines.firstLine << ",\"lastLine\":" << lines.firstLine + lines.k + 2
        << ",\"k\":" << std::int64_t{lines.k} << ",\"r\":" << std::int64_t{lines.r}
        << ",\"letters\":" << std::int64_t{result.score} - lines.r
        << ",\"score\":" << std::int64_t{result.score} << "}";
  }
  out << "],\"testCases\":[";
  const bool testCases = e.verdict == Verdict::Accepted && e.testDataOnly;
  const auto count = testCases ? static_cast<std::int64_t>(e.testCases.Count()) : 0;
  for (std::int64_t k = 1; k <= count; ++k) {
    out << (k > 1 ? "," : "") << "{\"testCase\":" << k << ",\"line\":" << 3 * k + 2
        << ",\"length\":"
        << static_cast<std::int64_t>(e.testCases[static_cast<std::size_t>(k - 1)].s.size()) << "}";
  }
  out << "]}\n";
  return out.Finish();
}

}  // namespace krobelnik
