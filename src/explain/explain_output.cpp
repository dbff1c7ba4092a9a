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

ExplainOut& ExplainOut::Cell(std::int64_t value, std::size_t width) {
  char digits[MaxIntDigits];
  const std::size_t length = FormatInt(value, digits);
  static constexpr char Spaces[] = "                    ";
  buffer_.Put(
      std::string_view(Spaces, width > length ? std::min(width - length, sizeof(Spaces) - 1) : 1));
  buffer_.Put(std::string_view(digits, length));
  return *this;
}

ExplainOut& ExplainOut::Json(std::string_view bytes) {
  static constexpr char Hex[] = "0123456789abcdef";
  buffer_.Put("\"");
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
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
