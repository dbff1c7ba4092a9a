#pragma once

#include <cstdint>
#include <string>

#include "input/line_reader.h"
#include "run/explain.h"
#include "run/line_positions.h"
#include "run/run_eval.h"

namespace krobelnik {

// Places a failure of a run in its input after the run: finds the fault's
// line by counting lines on from a place the run remembered, and its column
// and facts by one more pass over that line with the rules of its check.
class Locator {
 public:
  Locator(const Input& testData, const Input& submission, const RunPlace& place, Explanation& out)
      : testData_(testData), submission_(submission), place_(place), out_(out) {}

  void Locate(std::int32_t location);

 private:
  void LocateInTestData(std::int32_t location);
  void LocateInHeader(std::int32_t location);
  void LocateInSection(std::int32_t location);
  void LocateInIndexLine(std::int32_t location);

  // The fault lies on line, counted on from line fromLine at offset
  // fromOffset; false (and the line missing) when the input ends before it.
  bool AtLine(FaultFile file, std::int64_t line, std::int64_t fromLine = 1,
              std::int64_t fromOffset = 0);
  // The fault lies on a line the input does not have.
  void AtMissingLine(FaultFile file, std::int64_t line) {
    out_.file = file;
    out_.line = line;
  }
  const Input& InputOf(FaultFile file) const {
    return file == FaultFile::TestData ? testData_ : submission_;
  }
  // Opens reader on file's input at offset.
  void OpenAt(LineReader& reader, FaultFile file, std::int64_t offset) const {
    OpenInput(reader, InputOf(file));
    reader.SkipTo(offset);
  }
  // Feeds the fault's line to scan; nothing when it was not found (a file
  // that changed since the run).
  template <class Scan>
  void ScanLine(Scan& scan) {
    if (lineOffset_ < 0) return;
    LineReader reader(BufferSizeFor(InputOf(out_.file)));
    OpenAt(reader, out_.file, lineOffset_);
    reader.ReadLinePieces([&scan](const char* data, std::size_t size) { scan.Feed(data, size); });
  }
  NumberPositions ScanNumbers(std::int64_t wanted, bool tooLarge = false) {
    NumberPositions scan(wanted, tooLarge);
    ScanLine(scan);
    return scan;
  }
  LetterPositions ScanLetters() {
    LetterPositions scan;
    ScanLine(scan);
    return scan;
  }
  // The first bytes of the fault's line from its byte at column, at most
  // most of them; whether the line goes on after them.
  bool LineStart(std::int64_t column, std::size_t most, std::string& bytes);
  // The column of the first byte where the line differs from TaskName.
  std::int64_t NameColumn();
  // Puts the fault of a number line (55, 61) at its byte.
  void NumberLineFault(std::int32_t location);
  void Fact(const char* name, std::int64_t value) { out_.detail.push_back({name, value, {}}); }
  void TextFact(const char* name, std::string text) {
    out_.detail.push_back({name, 0, std::move(text)});
  }
  void Excerpt();

  const Input& testData_;
  const Input& submission_;
  const RunPlace& place_;
  Explanation& out_;
  std::int64_t lineOffset_ = -1;
};

}  // namespace krobelnik
