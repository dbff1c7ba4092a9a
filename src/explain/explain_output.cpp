#include "explain/explain_output.h"

#include <algorithm>

#include "failure/assertion.h"

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
  return Say(language, "[... ", "[... se ") + IntToStr(static_cast<std::int64_t>(bytes)) +
         Say(language, " bytes more ...]", " bajtov ...]");
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
    text += std::string("... ") + Say(language, "(", "(se ") +
            IntToStr(static_cast<std::int64_t>(length - shown)) +
            Say(language, " bytes more)", " bajtov)");
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

AlignedLines RenderAlignment(const Alignment& a) {
  AlignedLines lines;
  const std::int64_t sEnd = a.from + static_cast<std::int64_t>(a.s.size());
  const std::int64_t cEnd = a.from + static_cast<std::int64_t>(a.concatenation.size());
  const bool unknown = !a.pieces.empty() && !a.pieces.back().selects;
  const std::int64_t end = std::max({sEnd, cEnd + (unknown ? 1 : 0), a.fault + 1});
  if (a.from > 0) {
    lines.s = lines.concatenation = "...";
    lines.marker = "   ";
  }
  std::size_t next = 0;
  for (std::int64_t q = a.from; q < end; ++q) {
    while (next < a.pieces.size() && a.pieces[next].from < q) ++next;
    if (q > a.from && next < a.pieces.size() && a.pieces[next].from == q) {
      lines.s += ' ';
      lines.concatenation += '|';
      lines.marker += ' ';
    }
    const auto at = static_cast<std::size_t>(q - a.from);
    lines.s += q < sEnd ? a.s[at] : ' ';
    lines.concatenation += q < cEnd ? a.concatenation[at] : unknown && q == cEnd ? '?' : ' ';
    lines.marker += q == a.fault ? '^' : ' ';
  }
  const auto trim = [](std::string& line) { line.erase(line.find_last_not_of(' ') + 1); };
  trim(lines.s);
  trim(lines.concatenation);
  trim(lines.marker);
  if (a.sGoesOn) lines.s += "...";
  if (a.concatenationGoesOn) lines.concatenation += "...";
  lines.last = end;
  return lines;
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
