#include "failure/locations.h"

#include <charconv>
#include <vector>

namespace krobelnik {

namespace {

constexpr std::string_view Table =
#include "failure/locations_tsv.inc"
    ;

// The next field of line up to a tab or its end; line loses it.
std::string_view TakeField(std::string_view& line) {
  const std::size_t tab = line.find('\t');
  const std::string_view field = line.substr(0, tab);
  line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
  return field;
}

std::vector<LocationRow> ParseTable() {
  std::vector<LocationRow> rows;
  std::string_view rest = Table;
  bool header = true;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (header || line.empty()) {
      header = false;
      continue;
    }
    LocationRow row;
    const std::string_view number = TakeField(line);
    std::from_chars(number.data(), number.data() + number.size(), row.location);
    row.file = TakeField(line);
    row.fault = TakeField(line);
    row.meaning = TakeField(line);
    row.message = TakeField(line);
    row.column = TakeField(line);
    row.why = TakeField(line);
    row.whySl = TakeField(line);
    row.shows = TakeField(line);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

bool LocationRow::Shows(std::string_view what) const {
  for (std::string_view rest = shows; !rest.empty();) {
    const std::size_t space = rest.find(' ');
    if (rest.substr(0, space) == what) return true;
    rest.remove_prefix(space == std::string_view::npos ? rest.size() : space + 1);
  }
  return false;
}

std::span<const LocationRow> Locations() {
  static const std::vector<LocationRow> rows = ParseTable();
  return rows;
}

const LocationRow* FindLocation(std::int32_t location) {
  for (const LocationRow& row : Locations())
    if (row.location == location) return &row;
  return nullptr;
}

}  // namespace krobelnik
