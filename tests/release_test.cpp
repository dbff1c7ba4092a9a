// What a release ships beside the code: the location table in its three
// places agrees with the checks the code has, and the release binary needs
// no shared library.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "failure/locations.h"
#include "input/byte_scan.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ReadFile;

// One row of the location table: the file a check reads, who is at fault,
// and what the check found.
struct Row {
  std::string file;
  std::string fault;
  std::string meaning;
  bool operator==(const Row&) const = default;
};
using Table = std::map<int, Row>;

std::string Source(const std::string& path) { return ReadFile(KROBELNIK_SOURCE_DIR "/" + path); }

// The table as the program has it built in, from docs/locations.tsv.
Table FromProgram() {
  Table table;
  for (const LocationRow& row : Locations())
    table[row.location] =
        Row{std::string(row.file), std::string(row.fault), std::string(row.meaning)};
  return table;
}

Table FromReadme(const std::string& text) {
  Table table;
  const std::regex row("\\n\\| (\\d+) \\| ([^|]+) \\| ([^|]+) \\| ([^|]+) \\|");
  for (std::sregex_iterator m(text.begin(), text.end(), row), end; m != end; ++m)
    table[std::stoi((*m)[1])] = Row{(*m)[2], (*m)[3], (*m)[4]};
  return table;
}

Table FromManual(const std::string& text) {
  Table table;
  const std::size_t from = text.find(".SH LOCATIONS");
  const std::size_t to = text.find(".SH ", from + 1);
  const std::string section = text.substr(from, to - from);
  const std::regex entry("\\.TP\\n\\.B (\\d+)\\n([^;\\n]+); ([^:\\n]+): ([^\\n]+)\\n");
  for (std::sregex_iterator m(section.begin(), section.end(), entry), end; m != end; ++m)
    table[std::stoi((*m)[1])] = Row{(*m)[2], (*m)[3], (*m)[4]};
  return table;
}

// The location numbers that the code raises: every literal handed to a
// raising helper (after the reader, for a quoting one).
std::set<int> RaisedByTheCode() {
  std::set<int> raised;
  const std::regex site("(?:Fail|FailMissingLine)\\(\\s*(\\d+)|FailQuoting\\(\\s*\\w+,\\s*(\\d+)");
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(KROBELNIK_SOURCE_DIR "/src")) {
    if (!entry.is_regular_file()) continue;
    const std::string text = ReadFile(entry.path().string());
    for (std::sregex_iterator m(text.begin(), text.end(), site), end; m != end; ++m)
      raised.insert(std::stoi((*m)[1].matched ? (*m)[1] : (*m)[2]));
  }
  raised.erase(0);
  return raised;
}

// The fixed fragments of a message shape: the text between the values
// named in angle brackets, as a string literal in the code spells it.
std::vector<std::string> Fragments(std::string_view shape) {
  std::vector<std::string> fragments;
  std::string fragment;
  for (std::size_t b = 0; b < shape.size(); ++b) {
    if (shape[b] == '<') {
      b = shape.find('>', b);
      if (!fragment.empty()) fragments.push_back(fragment);
      fragment.clear();
      continue;
    }
    if (shape[b] == '"' || shape[b] == '\\') fragment += '\\';
    fragment += shape[b];
  }
  if (!fragment.empty()) fragments.push_back(fragment);
  return fragments;
}

// Every file of src/, as one text.
std::string AllSources() {
  std::string text;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(KROBELNIK_SOURCE_DIR "/src")) {
    if (entry.is_regular_file()) text += ReadFile(entry.path().string());
  }
  return text;
}

TEST(Release, LocationTableAgreesWithTheReadmeTheManualsAndTheCode) {
  const Table table = FromProgram();
  EXPECT_EQ(table.size(), 35U);
  EXPECT_EQ(FromReadme(Source("README.md")), table);
  EXPECT_EQ(FromManual(Source("docs/Zelvor20Krobelnik.1.in")), table);
  std::set<int> listed;
  for (const auto& [location, row] : table) {
    listed.insert(location);
    EXPECT_TRUE(row.fault == "organiser" || row.fault == "contestant" || row.fault == "either")
        << location;
  }
  EXPECT_EQ(RaisedByTheCode(), listed);
}

// Each row's message shape is the code's: its fixed fragments stand in the
// sources as they are written; its column and why (in English and in
// Slovenian) are written out, and the explain manual lists every column as
// the row has it.
TEST(Release, LocationRowsMatchTheMessagesAndTheExplainManual) {
  const std::string sources = AllSources();
  const std::string manual = Source("docs/Zelvor20Krobelnik-explain.1.in");
  for (const LocationRow& row : Locations()) {
    for (const std::string& fragment : Fragments(row.message))
      EXPECT_NE(sources.find(fragment), std::string::npos) << row.location << ": " << fragment;
    EXPECT_FALSE(row.column.empty()) << row.location;
    // Every row explains itself in both languages, naming the same facts.
    EXPECT_TRUE(row.why.ends_with(".")) << row.location;
    EXPECT_TRUE(row.whySl.ends_with(".")) << row.location;
    EXPECT_NE(row.why, row.whySl) << row.location;
    EXPECT_EQ(std::count(row.why.begin(), row.why.end(), '{'),
              std::count(row.whySl.begin(), row.whySl.end(), '{'))
        << row.location;
    const std::string entry =
        ".TP\n.B " + std::to_string(row.location) + "\n" + std::string(row.column) + "\n";
    EXPECT_NE(manual.find(entry), std::string::npos) << entry;
  }
}

// The scan levels are listed once, in the code; the README names them as
// the code does, and the test runner takes them from there.
TEST(Release, ReadmeAndTestRunnerTakeTheScanLevelsFromTheCode) {
  std::string names;
  for (const ScanLevelName& level : ScanLevels) {
    if (!names.empty()) names += '|';
    names.append(level.name);
  }
  EXPECT_NE(Source("README.md").find("`" + names + "`"), std::string::npos) << names;
  EXPECT_NE(Source("scripts/test-all").find("src/input/byte_scan.h"), std::string::npos);
  // The scripts read the names from the list's text, each entry in the form
  // {ScanLevel::Name, "name"}, however the lines are broken.
  const std::string list = Source("src/input/byte_scan.h");
  for (const ScanLevelName& level : ScanLevels)
    EXPECT_TRUE(std::regex_search(
        list, std::regex("\\{ScanLevel::\\w+, \"" + std::string(level.name) + "\"\\}")))
        << level.name;
  // The manual names each in its ENVIRONMENT section, as a word in bold.
  const std::string manual = Source("docs/Zelvor20Krobelnik.1.in");
  const std::size_t from = manual.find(".SH ENVIRONMENT");
  const std::string section = manual.substr(from, manual.find(".SH ", from + 1) - from);
  for (const ScanLevelName& level : ScanLevels)
    EXPECT_TRUE(std::regex_search(section, std::regex("\\.BR? " + std::string(level.name) + "\\b")))
        << level.name;
}

TEST(Release, ReadmeNamesTheProjectVersion) {
  std::smatch version;
  const std::string cmake = Source("CMakeLists.txt");
  ASSERT_TRUE(std::regex_search(cmake, version, std::regex("VERSION (\\d+\\.\\d+\\.\\d+)")));
  const std::string readme = Source("README.md");
  EXPECT_NE(readme.find("Version " + version[1].str() + "."), std::string::npos);
  EXPECT_NE(readme.find("zelvor20krobelnik_" + version[1].str() + "_amd64.deb"), std::string::npos);
}

TEST(Release, StaticBinaryNeedsNoSharedLibrary) {
#if !defined(KROBELNIK_STATIC_BINARY)
  GTEST_SKIP() << "this build links the evaluator dynamically";
#elif defined(_WIN32)
  GTEST_SKIP() << "a Windows program is no ELF file; the test runner checks its imports";
#else
  // A program that needs shared libraries names its loader (PT_INTERP) and
  // carries a dynamic section (PT_DYNAMIC); a fully static one has neither.
  const std::string elf = ReadFile(EVALUATOR_PATH);
  ASSERT_GE(elf.size(), 64U);
  ASSERT_EQ(elf.substr(0, 5), std::string("\x7f"
                                          "ELF\x02",
                                          5));
  const auto read = [&](std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    std::memcpy(&value, elf.data() + at, size);
    return value;
  };
  const std::uint64_t headers = read(32, 8), size = read(54, 2), count = read(56, 2);
  ASSERT_LE(headers + size * count, elf.size());
  for (std::uint64_t h = 0; h < count; ++h) {
    const std::uint64_t type = read(headers + h * size, 4);
    EXPECT_NE(type, 2U) << "a dynamic section";
    EXPECT_NE(type, 3U) << "a program loader";
  }
#endif
}

}  // namespace
}  // namespace krobelnik
