// Drives a whole run from one input. Up to the first byte 0x1E the input is
// the test data and after it the submission; without that byte the whole
// input is the submission against a fixed, valid test data, so that most
// inputs reach the answer sections. Whatever the bytes, the report must be
// exactly one well-formed form. The run reads the inputs from real files, as
// the evaluator does, with lines quoted from their file from 16 bytes on, and
// must write the same report as a run over the texts in memory, and the
// explanation of the run must carry that report and show the place its
// failing check recorded.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\x1e');
  const std::string testData =
      split == std::string_view::npos ? FixedTestData : std::string(input.substr(0, split));
  const std::string submission(split == std::string_view::npos ? input : input.substr(split + 1));
  const std::string report =
      Verdict(krobelnik::Input::Text(testData), krobelnik::Input::Text(submission));
  if (const char* problem = krobelnik::fuzz::ReportFormProblem(report))
    krobelnik::fuzz::Finding(problem);
  // From files, with short lines quoted from there.
  const krobelnik::Input testDataFile = AsFile("testdata.txt", testData);
  const krobelnik::Input submissionFile = AsFile("submission.txt", submission);
  Require(Verdict(testDataFile, submissionFile, {krobelnik::MaxNumberBatch, 16}) == report,
          "reading from files changes the report");
  // Number lines in small batches, which short inputs cross, read alike.
  Require(Verdict(testDataFile, submissionFile, {32, 16}) == report,
          "a small number batch changes the report");
  // The walk with a substring index for every test case, alike.
  Require(Verdict(testDataFile, submissionFile, {32, 16, true}) == report,
          "the substring index changes the report");
  CheckExplanation(testDataFile, submissionFile, testData, submission, report);
  return 0;
}
