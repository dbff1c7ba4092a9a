#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "failure/assertion.h"
#include "run/output_buffer.h"

namespace krobelnik {

// One accepted answer section: the test case it answers and its score.
struct ResultEntry {
  std::int32_t testCaseNumber;
  std::int32_t score;
};

// The program label that the failure form shows in place of the source text.
inline constexpr const char* ProgramLabel = "Zelvor20Krobelnik";

// Each writer puts one whole form of the report into out (or the open
// report) and returns whether every byte was accepted. None of them
// allocates, so a writer to a file can run while memory is exhausted.

// "OK", the number of entries, then "<test case> <score>" per entry.
bool WriteSuccessReport(OutputBuffer& out, std::span<const ResultEntry> results);
bool WriteSuccessReport(std::FILE* report, std::span<const ResultEntry> results);

// "Napaka [<label>:<location>]: <message>" and "-1"; the message is copied
// as it stands, never interpreted as a format, up to its first NUL byte. A
// line that the message quotes from its file is copied from there; when that
// file can no longer be read back as it was, the unexpected-failure form is
// written instead, and a file that changes while it is copied fails the write.
bool WriteFailureReport(OutputBuffer& out, const EAssertion& failure);
bool WriteFailureReport(std::FILE* report, const EAssertion& failure);

// The message of the failure form alone, as the report shows it.
bool WriteMessage(OutputBuffer& out, const EAssertion& failure);

// The fixed text for a failure that is not an EAssertion, and "-1".
bool WriteUnexpectedFailureReport(OutputBuffer& out);
bool WriteUnexpectedFailureReport(std::FILE* report);

// Flushes and closes the report; returns whether both succeeded.
bool CloseReport(std::FILE* report);

}  // namespace krobelnik
