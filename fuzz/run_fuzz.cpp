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

namespace {

using krobelnik::fuzz::Require;

const char* const FixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";

// Reads a decimal integer at text[p], moving p past it.
bool TakeInt(std::string_view text, std::size_t& p, std::int64_t& value) {
  const std::size_t start = p;
  if (p < text.size() && text[p] == '-') ++p;
  value = 0;
  std::size_t digits = 0;
  for (; p < text.size() && text[p] >= '0' && text[p] <= '9' && digits < 19; ++p, ++digits)
    value = value * 10 + (text[p] - '0');
  if (digits == 0) return false;
  if (text[start] == '-') value = -value;
  return true;
}

void CheckReport(std::string_view report) {
  const std::string_view failure = "Napaka [Zelvor20Krobelnik:";
  if (report.substr(0, 3) == "OK\n") {
    std::size_t p = 3;
    std::int64_t count = 0;
    Require(TakeInt(report, p, count) && count >= 0 && report[p] == '\n', "success count");
    ++p;
    for (std::int64_t e = 0; e < count; ++e) {
      std::int64_t number = 0, score = 0;
      Require(TakeInt(report, p, number) && number >= 1 && report[p++] == ' ', "entry number");
      Require(TakeInt(report, p, score) && score >= 2 && report[p++] == '\n', "entry score");
    }
    Require(p == report.size(), "success form has as many entries as its count");
  } else if (report.substr(0, failure.size()) == failure) {
    std::size_t p = failure.size();
    std::int64_t location = 0;
    Require(TakeInt(report, p, location), "failure location");
    Require(krobelnik::fuzz::IsKnownLocation(location), "known location number");
    Require(report.substr(p, 3) == "]: ", "failure form");
    const std::size_t lineEnd = report.find('\n', p);
    Require(lineEnd != std::string_view::npos && report.substr(lineEnd) == "\n-1\n",
            "failure form ends with -1");
  } else {
    krobelnik::fuzz::Finding("report is neither success nor failure form");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\x1e');
  const std::string testData =
      split == std::string_view::npos ? FixedTestData : std::string(input.substr(0, split));
  const std::string submission(split == std::string_view::npos ? input : input.substr(split + 1));
  char* bytes = nullptr;
  std::size_t length = 0;
  std::FILE* report = open_memstream(&bytes, &length);
  Require(report != nullptr, "memory stream");
  const bool written = krobelnik::WriteVerdict(report, krobelnik::Input::Text(testData),
                                               krobelnik::Input::Text(submission));
  Require(krobelnik::CloseReport(report) && written, "report written");
  CheckReport(std::string_view(bytes, length));
  std::free(bytes);
  return 0;
}
