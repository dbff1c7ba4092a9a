#include "explain/explain_output.h"

#include <algorithm>

#include "failure/assertion.h"
#include "words/words.h"

namespace krobelnik {

std::string Escaped(std::string_view bytes, std::size_t most) {
  static constexpr char Hex[] = "0123456789abcdef";
  std::string text;
  for (const char c : bytes) {
    if (text.size() >= most) {
      text += "...";
      break;
    }
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
      text += "\\x";
      text += Hex[code >> 4];
      text += Hex[code & 15];
    }
  }
  return text;
}

std::string LeftOutNote(std::uint64_t bytes, Language language) {
  // Plain ASCII, as the report around it, in either language.
  return Plain(Say(language, W("bytesMore"), {{"count", bytes}}));
}

void PutKept(OutputBuffer& out, std::string_view head, std::uint64_t leftOut, std::string_view tail,
             Language language) {
  out.Put(head);
  if (leftOut > 0) out.Put(LeftOutNote(leftOut, language));
  out.Put(tail);
}

std::string FirstLineShown(std::string_view head, std::uint64_t leftOut, std::string_view tail,
                           std::size_t most, Language language) {
  // The line's length: within the head, or on past it to the tail's first
  // line feed.
  const std::size_t end = head.find('\n');
  const std::string_view line = head.substr(0, end);
  std::uint64_t length = line.size();
  if (end == std::string_view::npos) length += leftOut + std::min(tail.find('\n'), tail.size());
  // Escapes take up to four characters a byte: the bytes that fit in most.
  std::size_t shown = 0;
  for (std::size_t width = 0; shown < line.size(); ++shown) {
    width += Escaped(line.substr(shown, 1)).size();
    if (width > most) break;
  }
  std::string text = Escaped(line.substr(0, shown));
  if (shown < length) {
    text += "... " + Plain(Say(language, W("bytesMoreShort"), {{"count", length - shown}}));
  }
  return text;
}

ExplainOut& ExplainOut::Cell(std::int64_t value, std::size_t width) {
  char digits[MaxIntDigits];
  const std::size_t length = FormatInt(value, digits);
  static constexpr char Spaces[] = "                    ";
  buffer_.Put(
      std::string_view(Spaces, width > length ? std::min(width - length, sizeof(Spaces) - 1) : 0));
  buffer_.Put(std::string_view(digits, length));
  return *this;
}

ExplainOut& ExplainOut::Json(std::string_view bytes) { return JsonString(bytes, false); }

ExplainOut& ExplainOut::JsonText(std::string_view text) { return JsonString(text, true); }

ExplainOut& ExplainOut::JsonString(std::string_view bytes, bool utf8) {
  static constexpr char Hex[] = "0123456789abcdef";
  buffer_.Put("\"");
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (utf8 && code >= 128) {
      buffer_.Put(std::string_view(&c, 1));
      continue;
    }
    if (c == '"' || c == '\\') {
      const char escape[2] = {'\\', c};
      buffer_.Put(std::string_view(escape, 2));
    } else if (c == '\n') {
      buffer_.Put("\\n");
    } else if (c == '\r') {
      buffer_.Put("\\r");
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

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!filled_.empty()) {
    if (filled_.back()) out_ << ",";
    filled_.back() = true;
  }
}

JsonWriter& JsonWriter::Open(char bracket, char closer) {
  Separate();
  out_ << std::string_view(&bracket, 1);
  closers_.push_back(closer);
  filled_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::End() {
  if (closers_.empty()) return *this;
  out_ << std::string_view(&closers_.back(), 1);
  closers_.pop_back();
  filled_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  Separate();
  out_.JsonText(key);
  out_ << ":";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
  Separate();
  out_ << value;
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  Separate();
  out_ << (value ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::Null() {
  Separate();
  out_ << "null";
  return *this;
}

JsonWriter& JsonWriter::Text(std::string_view text) {
  Separate();
  out_.JsonText(text);
  return *this;
}

JsonWriter& JsonWriter::Bytes(std::string_view bytes) {
  Separate();
  out_.Json(bytes);
  return *this;
}

ExplainOut& JsonWriter::Value() {
  Separate();
  return out_;
}

AlignedLines RenderAlignment(const Alignment& a) {
  AlignedLines lines;
  const std::int64_t sEnd = a.from + static_cast<std::int64_t>(a.s.size());
  const std::int64_t cEnd = a.from + static_cast<std::int64_t>(a.concatenation.size());
  const bool unknown = !a.pieces.empty() && !a.pieces.back().selects;
  const std::int64_t end = std::max({sEnd, cEnd + (unknown ? 1 : 0), a.fault + 1});
  if (a.from > 0) {
    lines.s = lines.concatenation = "...";
    lines.marker = "   ";
    lines.pieceOf.assign(3, -1);
  }
  std::size_t next = 0;
  // The piece that covers letter q.
  std::size_t cover = 0;
  for (std::int64_t q = a.from; q < end; ++q) {
    while (next < a.pieces.size() && a.pieces[next].from < q) ++next;
    if (q > a.from && next < a.pieces.size() && a.pieces[next].from == q) {
      lines.s += ' ';
      lines.concatenation += '|';
      lines.marker += ' ';
      lines.pieceOf.push_back(-1);
    }
    while (cover + 1 < a.pieces.size() && a.pieces[cover].from + a.pieces[cover].length <= q)
      ++cover;
    const auto at = static_cast<std::size_t>(q - a.from);
    lines.s += q < sEnd ? a.s[at] : ' ';
    const bool known = q < cEnd || (unknown && q == cEnd);
    lines.concatenation += q < cEnd ? a.concatenation[at] : known ? '?' : ' ';
    lines.pieceOf.push_back(known && cover < a.pieces.size() ? static_cast<std::int32_t>(cover)
                                                             : -1);
    lines.marker += q == a.fault ? '^' : ' ';
  }
  const auto trim = [](std::string& line) { line.erase(line.find_last_not_of(' ') + 1); };
  trim(lines.s);
  trim(lines.concatenation);
  trim(lines.marker);
  if (a.sGoesOn) lines.s += "...";
  if (a.concatenationGoesOn) lines.concatenation += "...";
  lines.pieceOf.resize(lines.concatenation.size(), -1);
  lines.last = end;
  return lines;
}

AlignmentKind KindOf(const Alignment& a) {
  if (a.fault >= a.n) return AlignmentKind::Longer;
  const std::int64_t cEnd = a.from + static_cast<std::int64_t>(a.concatenation.size());
  const bool selects = a.pieces.empty() || a.pieces.back().selects;
  if (cEnd <= a.fault && !a.concatenationGoesOn && selects) return AlignmentKind::Shorter;
  return AlignmentKind::Differs;
}

std::vector<std::string> Fitted(const std::vector<std::string>& rows, std::size_t focus,
                                std::size_t width) {
  std::size_t longest = 0;
  for (const std::string& row : rows) longest = std::max(longest, row.size());
  if (width == 0 || longest <= width) return rows;
  const std::size_t start = std::min(focus > width / 2 ? focus - width / 2 : 0, longest - width);
  std::vector<std::string> cut;
  for (const std::string& row : rows) {
    std::string part = start < row.size() ? row.substr(start, width) : std::string();
    const bool marks = row.find_first_not_of(" ^") != std::string::npos;
    if (marks && start > 0 && part.size() >= 3) part.replace(0, 3, "...");
    if (marks && row.size() > start + width && part.size() >= 3)
      part.replace(part.size() - 3, 3, "...");
    cut.push_back(std::move(part));
  }
  return cut;
}

std::string WhereSentence(const ShownLine& line, Language l, bool letter) {
  const std::string input =
      Say(l, line.input == InputRole::TestData ? W("inputTestData") : W("inputAnswer"));
  if (!line.found) return Say(l, W("whereMissing"), {{"input", input}, {"line", line.line}});
  if (letter) return Say(l, W("letterAt"), {{"line", line.line}, {"column", line.column}});
  if (line.column > 0)
    return Say(l, W("whereColumn"),
               {{"input", input}, {"line", line.line}, {"column", line.column}});
  return Say(l, W("where"), {{"input", input}, {"line", line.line}});
}

std::string AlignmentSentence(const Alignment& a, Language l) {
  const std::int64_t from = a.from + 1;
  const std::int64_t to = RenderAlignment(a).last;
  switch (KindOf(a)) {
    case AlignmentKind::Longer:
      return Say(l, W("alignLonger"), {{"n", a.n}, {"from", from}, {"to", to}});
    case AlignmentKind::Shorter:
      return Say(l, W("alignShorter"),
                 {{"matched", a.fault}, {"n", a.n}, {"from", from}, {"to", to}});
    case AlignmentKind::Differs:
      break;
  }
  return Say(l, W("alignAt"), {{"fault", a.fault + 1}, {"from", from}, {"to", to}, {"n", a.n}});
}

std::string PieceSentence(const Piece& piece, std::int64_t sectionLine, Language l) {
  if (!piece.selects) return Say(l, W("pieceSelectsNothing"), {{"p", piece.p}, {"x", piece.x}});
  const std::int64_t line = LineOfString(sectionLine, piece.x);
  if (piece.length == 1)
    return Say(l, W("pieceSelects"),
               {{"p", piece.p}, {"x", piece.x}, {"line", line}, {"from", piece.from + 1}});
  return Say(l, W("pieceSelectsRange"),
             {{"p", piece.p},
              {"x", piece.x},
              {"line", line},
              {"from", piece.from + 1},
              {"to", piece.from + piece.length}});
}

std::string BucketLabel(const SectionStats& st, std::size_t bucket) {
  const std::int64_t least =
      st.shortest[bucket] > 0 ? st.shortest[bucket] : std::int64_t{1} << bucket;
  const std::int64_t most = st.longest[bucket] > 0 ? st.longest[bucket] : 2 * least - 1;
  return least == most ? Grouped(least) : Grouped(least) + "-" + Grouped(most);
}

std::string UnusedNames(const SectionStats& st, Language language) {
  std::string names;
  for (const StringUse& use : st.firstUnused) {
    if (!names.empty()) names += ", ";
    names += Say(language, W("stringOnLine"),
                 {{"j", use.j}, {"line", LineOfString(st.firstLine, use.j)}});
  }
  if (st.unused > static_cast<std::int64_t>(st.firstUnused.size())) names += ", ...";
  return names;
}

std::string UnansweredList(const std::vector<TestCaseBest>& best, std::size_t& count) {
  std::string list;
  std::size_t ranges = 0;
  count = 0;
  for (std::size_t k = 0; k < best.size(); ++k) {
    if (best[k].sections > 0) continue;
    std::size_t last = k;
    while (last + 1 < best.size() && best[last + 1].sections == 0) ++last;
    count += last - k + 1;
    if (ranges++ < ListedRanges) {
      if (!list.empty()) list += ", ";
      list += Grouped(static_cast<std::int64_t>(k) + 1);
      if (last > k) {
        list += "-";
        list += Grouped(static_cast<std::int64_t>(last) + 1);
      }
    } else if (ranges == ListedRanges + 1) {
      list += ", ...";
    }
    k = last;
  }
  return list;
}

std::string UnopenedSentence(const UnopenedInput& input, Language language) {
  const bool testData = input.input == InputRole::TestData;
  return Say(language, W("faultUnopened"),
             {{"input", Say(language, testData ? W("openTestData") : W("openAnswer"))},
              {"name", input.name},
              {"reason", input.reason}});
}

std::size_t TextWidth(std::string_view text) {
  std::size_t width = 0;
  for (const char c : text) width += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
  return width;
}

ExcerptLines RenderExcerpt(const ShownLine& line) {
  ExcerptLines lines;
  const std::string_view bytes = line.excerpt;
  if (line.excerptStart > 1) lines.text = "...";
  if (line.column > 0) {
    const auto before =
        std::min(static_cast<std::size_t>(line.column - line.excerptStart), bytes.size());
    lines.caret =
        std::string(lines.text.size() + Escaped(bytes.substr(0, before)).size(), ' ') + "^";
  }
  lines.text += Escaped(bytes);
  if (line.excerptGoesOn) lines.text += "...";
  return lines;
}

const char* InputName(InputRole input) {
  return input == InputRole::TestData ? "testdata" : "submission";
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

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::Submission:
      return "submission";
    case Fault::TestData:
      return "testdata";
    case Fault::Unopened:
      return "unopened";
    case Fault::None:
      break;
  }
  return "none";
}

}  // namespace krobelnik
