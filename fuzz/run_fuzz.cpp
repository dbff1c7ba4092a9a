// Drives a whole run from one input. Up to the first byte 0x1E the input is
// the test data and after it the submission; without that byte the whole
// input is the submission against a fixed, valid test data, so that most
// inputs reach the answer sections. Whatever the bytes, the report must be
// exactly one well-formed form. The run reads the inputs from real files, as
// the evaluator does, with lines quoted from their file from 16 bytes on, and
// must write the same report as a run over the texts in memory, and the
// explanation of the run must carry that report and place its rejection.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz_checks.h"
#include "input/quote.h"
#include "input/text.h"
#include "run/explain.h"
#include "run/run_eval.h"
#include "testdata/number_line.h"

namespace {

using krobelnik::fuzz::Require;

const char* const FixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";

// The report of a run over the two inputs.
std::string Verdict(const krobelnik::Input& testData, const krobelnik::Input& submission) {
  std::string text;
  Require(krobelnik::VerdictText(testData, submission, text), "report written");
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

// The explanation of a run has the run's report and places every rejection
// on a line of its file, at a column wherever its check always has one, and
// there on the byte the check names.
void CheckExplanation(const krobelnik::Input& testData, const krobelnik::Input& submission,
                      const std::string& report) {
  krobelnik::Explanation e;
  Require(krobelnik::Explain(testData, submission, false, e), "explanation made");
  Require(e.report == report, "the explanation's report is not the evaluator's");
  if (e.verdict != krobelnik::Verdict::Rejected && e.verdict != krobelnik::Verdict::TestData)
    return;
  Require(e.line >= 1, "a rejection placed on no line");
  static const std::set<std::int32_t> alwaysColumn = {55,  61,  79,  85,  95,  101, 108, 132, 133,
                                                      141, 149, 153, 154, 188, 190, 198, 200};
  if (alwaysColumn.count(e.location) == 0) return;
  Require(e.column >= 1 && e.hasExcerpt, "a rejection without its column");
  const auto at = static_cast<std::size_t>(e.column - e.excerptStart);
  const bool inExcerpt = at < e.excerpt.size();
  for (const krobelnik::Fact& fact : e.detail)
    if (fact.name == "byte")
      Require(inExcerpt && static_cast<unsigned char>(e.excerpt[at]) == fact.value,
              "the column is not at the byte the check names");
  if (e.location >= 149 && e.location <= 154)
    Require(inExcerpt && krobelnik::IsDigit(e.excerpt[at]), "an index's column is not a digit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\x1e');
  const std::string testData =
      split == std::string_view::npos ? FixedTestData : std::string(input.substr(0, split));
  const std::string submission(split == std::string_view::npos ? input : input.substr(split + 1));
  krobelnik::SetNumberBatchSize(krobelnik::MaxNumberBatch);
  krobelnik::SetQuoteInMemory(std::size_t{1} << 16);
  const std::string report =
      Verdict(krobelnik::Input::Text(testData), krobelnik::Input::Text(submission));
  if (const char* problem = krobelnik::fuzz::ReportFormProblem(report))
    krobelnik::fuzz::Finding(problem);
  // From files, with short lines quoted from there.
  krobelnik::SetQuoteInMemory(16);
  const krobelnik::Input testDataFile = AsFile("testdata.txt", testData);
  const krobelnik::Input submissionFile = AsFile("submission.txt", submission);
  Require(Verdict(testDataFile, submissionFile) == report, "reading from files changes the report");
  // Number lines in small batches, which short inputs cross, read alike.
  krobelnik::SetNumberBatchSize(32);
  Require(Verdict(testDataFile, submissionFile) == report,
          "a small number batch changes the report");
  CheckExplanation(testDataFile, submissionFile, report);
  return 0;
}
