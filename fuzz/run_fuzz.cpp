// Drives a whole run from one input. Up to the first byte 0x1E the input is
// the test data and after it the submission; without that byte the whole
// input is the submission against a fixed, valid test data, so that most
// inputs reach the answer sections. An input that starts with the byte 0x1F
// is a recipe instead: test data of one or two test cases of hundreds of
// letters to a thousand and more, in the shapes that make the walks use a
// substring index (a block repeated, a Fibonacci word, with letters
// changed), answered by sections by turns that tile s with long strings,
// with faults put in; the fuzz build accounts for the walks of test cases
// from 256 letters on, so that the walks run over budget and get indexes
// as a larger run's do. Whatever the bytes, the report must be exactly one
// well-formed form. The run reads the inputs from real files, as the
// evaluator does, with lines quoted from their file from 16 bytes on, and
// must write the same report as a run over the texts in memory, and the
// explanation of the run must carry that report and show the place its
// failing check recorded.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "explain/explain.h"
#include "fuzz_checks.h"
#include "input/text.h"
#include "run/run_eval.h"
#include "testdata/test_data.h"

namespace {

using krobelnik::fuzz::Require;

const char* const FixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";

// The report of a run over the two inputs.
std::string Verdict(const krobelnik::Input& testData, const krobelnik::Input& submission,
                    const krobelnik::ReadOptions& options = {}) {
  std::string text;
  Require(krobelnik::VerdictText(testData, submission, text, options), "report written");
  return text;
}

// A folder for the input files, in memory-backed storage where there is
// one, removed with everything in it when the process ends.
class InputFolder {
 public:
  InputFolder() {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    path_ = base / ("krobelnik-fuzz-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_);
  }
  ~InputFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const std::filesystem::path& Folder() {
  static const InputFolder folder;
  return folder.Path();
}

// The input as a file of that name in Folder.
krobelnik::Input AsFile(const std::string& name, const std::string& bytes) {
  const std::string path = (Folder() / name).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Require(file != nullptr, "input file");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Require(std::fclose(file) == 0 && written, "input file written");
  return krobelnik::Input::File(path);
}

// How many lines text has: every line feed ends one, and bytes after the
// last one make one more.
std::int64_t LineCount(const std::string& text) {
  std::int64_t lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  return lines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The explanation of a run has the run's report and shows the place its
// failing check recorded: a missing line right after the input's last line,
// any other line found, a byte the check names under its column, and a
// number it counted at a digit.
void CheckExplanation(const krobelnik::Input& testData, const krobelnik::Input& submission,
                      const std::string& testDataText, const std::string& submissionText,
                      const std::string& report) {
  krobelnik::Explanation e;
  Require(krobelnik::Explain(testData, submission, false, e), "explanation made");
  std::string shown;
  krobelnik::OutputBuffer out(shown);
  Require(krobelnik::WriteReport(out, e) && shown == report,
          "the explanation's report is not the evaluator's");
  if (e.verdict != krobelnik::Verdict::Rejected && e.verdict != krobelnik::Verdict::TestData)
    return;
  const krobelnik::ShownLine& where = e.where;
  Require(where.line >= 1, "a rejection placed on no line");
  const std::string& text =
      where.input == krobelnik::InputRole::TestData ? testDataText : submissionText;
  const std::int64_t lines = LineCount(text);
  Require(where.found == (where.line <= lines), "a line found that the input lacks, or not found");
  Require(where.found || where.line == lines + 1, "a missing line not right after the last");
  if (!where.found || where.column == 0) return;
  const auto at = static_cast<std::size_t>(where.column - where.excerptStart);
  const bool inExcerpt = at < where.excerpt.size();
  for (const krobelnik::Fact& fact : e.facts)
    if (std::string_view(fact.name) == "byte")
      Require(inExcerpt && static_cast<unsigned char>(where.excerpt[at]) == fact.value,
              "the column is not at the byte the check names");
  if (where.counted)
    Require(inExcerpt && krobelnik::IsDigit(where.excerpt[at]), "a number's column is no digit");
  if (e.letter) Require(e.letter->found && e.letter->column >= 1, "the letter at fault not shown");
}

// The bytes of a recipe, read one at a time; zeros once they run out.
class Recipe {
 public:
  explicit Recipe(std::string_view bytes) : bytes_(bytes) {}
  unsigned Next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0U; }
  bool Done() const { return at_ >= bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A test case from a recipe: its s, of 256 to some 1300 letters of a block
// repeated or of a Fibonacci word, with a few letters changed; and for a
// Fibonacci word the Fibonacci words before it, which tile it.
struct RecipeCase {
  std::string s;
  std::vector<std::string> words;
};

RecipeCase RecipeLetters(Recipe& recipe) {
  const std::size_t length = 256 + std::size_t{recipe.Next()} * 4;
  RecipeCase made;
  std::string& s = made.s;
  if (recipe.Next() % 2 == 0) {
    std::string block;
    for (unsigned b = recipe.Next() % 48 + 1; b > 0; --b)
      block += static_cast<char>('a' + recipe.Next() % 3);
    while (s.size() < length) s += block;
  } else {
    made.words = {"a", "ab"};
    while (made.words.back().size() < length)
      made.words.push_back(made.words.back() + made.words[made.words.size() - 2]);
    s = made.words.back();
  }
  s.resize(length);
  for (unsigned changes = recipe.Next() % 4; changes > 0; --changes) {
    const std::size_t at = (std::size_t{recipe.Next()} * 256 + recipe.Next()) % s.size();
    s[at] = static_cast<char>('a' + (s[at] - 'a' + 1) % 3);
  }
  return made;
}

// The pieces that tile s: of a Fibonacci word, the two words k and k - 1
// (of 64 letters or more) in the order the word is made of them, and what is
// left of s after the last whole one; of any s, pieces of length letters.
std::vector<std::string> Pieces(const RecipeCase& c, std::size_t length, unsigned k) {
  std::vector<std::string> pieces;
  const std::string& s = c.s;
  std::size_t at = 0;
  if (!c.words.empty()) {
    std::size_t first = 0;
    while (c.words[first].size() < 64) ++first;
    k = std::min<unsigned>(static_cast<unsigned>(c.words.size()) - 1,
                           static_cast<unsigned>(first) + 1 + k % 3);
    for (std::vector<std::size_t> open = {c.words.size() - 1}; !open.empty();) {
      const std::size_t w = open.back();
      open.pop_back();
      if (w == k || w == k - 1) {
        if (at + c.words[w].size() > s.size()) break;
        pieces.push_back(c.words[w]);
        at += c.words[w].size();
      } else {
        open.push_back(w - 2);
        open.push_back(w - 1);
      }
    }
  }
  for (; at < s.size(); at += length) pieces.push_back(s.substr(at, length));
  return pieces;
}

// A section for a test case: its pieces (see Pieces), the distinct ones its
// strings and the pieces in order its indices; then faults, as the recipe
// says: a letter of a string changed, an index changed, out of range,
// dropped or added.
std::string RecipeSection(Recipe& recipe, int number, const RecipeCase& c) {
  const std::size_t length = 64 + std::size_t{recipe.Next()} * 2;
  std::vector<std::string> strings;
  std::vector<std::size_t> indices;
  for (const std::string& piece : Pieces(c, length, recipe.Next())) {
    const auto found = std::find(strings.begin(), strings.end(), piece);
    indices.push_back(static_cast<std::size_t>(found - strings.begin()) + 1);
    if (found == strings.end()) strings.push_back(piece);
  }
  // Most sections stay sound: a fault in three of eight, up to three.
  const unsigned roll = recipe.Next() % 8;
  for (unsigned faults = roll >= 5 ? roll - 4 : 0; faults > 0; --faults) {
    const unsigned what = recipe.Next() % 5, where = recipe.Next();
    std::string& string = strings[where % strings.size()];
    std::size_t& index = indices[where % indices.size()];
    if (what == 0) string[where % string.size()] = 'z';
    if (what == 1) index = index % strings.size() + 1;
    if (what == 2) index = strings.size() + 1;
    if (what == 3 && indices.size() > 1) indices.pop_back();
    if (what == 4) indices.push_back(where % strings.size() + 1);
  }
  std::string section = std::to_string(number) + "\n" + std::to_string(strings.size()) + " " +
                        std::to_string(indices.size()) + "\n";
  for (const std::string& string : strings) section.append(string).append("\n");
  for (std::size_t p = 0; p < indices.size(); ++p)
    section.append(p == 0 ? "" : " ").append(std::to_string(indices[p]));
  return section.append("\n");
}

// The test data and submission a recipe describes.
void FromRecipe(std::string_view bytes, std::string& testData, std::string& submission) {
  Recipe recipe(bytes);
  const int cases = 1 + static_cast<int>(recipe.Next() % 2);
  std::vector<RecipeCase> made;
  testData = "Krobelnik\n" + std::to_string(cases) + "\n";
  for (int c = 1; c <= cases; ++c) {
    made.push_back(RecipeLetters(recipe));
    testData.append("\n").append(std::to_string(c)).append("\n").append(made.back().s);
    testData.append("\n");
  }
  submission = "123456\nKrobelnik\n";
  for (unsigned sections = recipe.Next() % 12 + 1, c = 0; sections > 0; --sections, ++c) {
    const int number = static_cast<int>(c % static_cast<unsigned>(cases)) + 1;
    submission += RecipeSection(recipe, number, made[static_cast<std::size_t>(number) - 1]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string testData, submission;
  if (!input.empty() && input[0] == '\x1f') {
    FromRecipe(input.substr(1), testData, submission);
  } else {
    const std::size_t split = input.find('\x1e');
    testData =
        split == std::string_view::npos ? FixedTestData : std::string(input.substr(0, split));
    submission = std::string(split == std::string_view::npos ? input : input.substr(split + 1));
  }
  const std::string report =
      Verdict(krobelnik::Input::Text(testData), krobelnik::Input::Text(submission));
  if (const char* problem = krobelnik::fuzz::ReportFormProblem(report))
    krobelnik::fuzz::Finding(problem);
  // From files, with short lines quoted from there.
  const krobelnik::Input testDataFile = AsFile("testdata.txt", testData);
  const krobelnik::Input submissionFile = AsFile("submission.txt", submission);
  Require(Verdict(testDataFile, submissionFile,
                  krobelnik::ReadOptions::Sized(krobelnik::MaxNumberBatch, 16)) == report,
          "reading from files changes the report");
  // Number lines in small batches, which short inputs cross, read alike.
  Require(Verdict(testDataFile, submissionFile, krobelnik::ReadOptions::Sized(32, 16)) == report,
          "a small number batch changes the report");
  // The walk with a substring index for every test case, alike.
  Require(
      Verdict(testDataFile, submissionFile, krobelnik::ReadOptions::Sized(32, 16, true)) == report,
      "the substring index changes the report");
  CheckExplanation(testDataFile, submissionFile, testData, submission, report);
  return 0;
}
