#include "explain/place_reader.h"

#include <algorithm>
#include <stdexcept>

#include "testdata/number_line.h"

namespace krobelnik {

PlaceReader::PlaceReader(const Input& input) {
  if (input.inMemory) {
    lines_.OpenTextView(input.text);
  } else {
    lines_.Open(input.fileName);
  }
}

template <class Sink>
bool PlaceReader::ReadRest(Sink&& sink) {
  try {
    return lines_.ReadLinePieces(sink);
  } catch (const std::runtime_error&) {
    return false;
  }
}

bool PlaceReader::Find(const LinePlace& place) {
  if (!lines_.Seek(place.offset)) return false;
  for (std::int64_t left = place.linesAfter; left > 0; --left)
    if (!ReadRest(IgnoreBytes)) return false;
  lineOffset_ = lines_.Offset();
  // The line is there when a byte is left to read.
  try {
    return !lines_.AtEnd();
  } catch (const std::runtime_error&) {
    return false;
  }
}

bool PlaceReader::AtColumn(std::int64_t column) {
  return column >= 1 && lines_.Seek(lineOffset_ + column - 1);
}

std::int64_t PlaceReader::NumberColumn(std::int64_t nth, std::int64_t from) {
  if (!AtColumn(from)) return 0;
  NumberStart start(nth, from - 1);
  ReadRest([&start](const char* data, std::size_t size) { start.Feed(data, size); });
  return start.Found() + 1;
}

std::int64_t PlaceReader::LineLength() {
  if (!AtColumn(1)) return 0;
  std::int64_t length = 0;
  ReadRest([&length](const char*, std::size_t size) { length += static_cast<std::int64_t>(size); });
  return length;
}

bool PlaceReader::LineBytes(std::int64_t column, std::size_t most, std::string& bytes) {
  bytes.clear();
  if (!AtColumn(column)) return false;
  bool goesOn = false;
  ReadRest([&](const char* data, std::size_t size) {
    const std::size_t taken = std::min(size, most - bytes.size());
    bytes.append(data, taken);
    goesOn = goesOn || taken < size;
  });
  return goesOn;
}

}  // namespace krobelnik
