// Drives a whole run from one input. Up to the first byte 0x1E the input is
// the test data and after it the submission; without that byte the whole
// input is the submission against a fixed, valid test data, so that most
// inputs reach the answer sections. Whatever the bytes, the report must be
// exactly one well-formed form.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "run/run_eval.h"
#include "testdata/number_line.h"

namespace {

using krobelnik::fuzz::Require;

const char* const FixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";

// The report of a run over the two texts.
std::string Verdict(const std::string& testData, const std::string& submission) {
  char* bytes = nullptr;
  std::size_t length = 0;
  std::FILE* report = open_memstream(&bytes, &length);
  Require(report != nullptr, "memory stream");
  const bool written = krobelnik::WriteVerdict(report, krobelnik::Input::Text(testData),
                                               krobelnik::Input::Text(submission));
  Require(krobelnik::CloseReport(report) && written, "report written");
  std::string text(bytes, length);
  std::free(bytes);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\x1e');
  const std::string testData =
      split == std::string_view::npos ? FixedTestData : std::string(input.substr(0, split));
  const std::string submission(split == std::string_view::npos ? input : input.substr(split + 1));
  krobelnik::SetNumberBatchSize(krobelnik::MaxNumberBatch);
  const std::string report = Verdict(testData, submission);
  if (const char* problem = krobelnik::fuzz::ReportFormProblem(report))
    krobelnik::fuzz::Finding(problem);
  // Number lines in small batches, which short inputs cross, read alike.
  krobelnik::SetNumberBatchSize(32);
  Require(Verdict(testData, submission) == report, "a small number batch changes the report");
  return 0;
}
