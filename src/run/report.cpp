#include "run/report.h"

#include <cstring>
#include <string_view>

#include "input/quote.h"

namespace krobelnik {

bool WriteSuccessReport(OutputBuffer& out, std::span<const ResultEntry> results) {
  out.Put("OK\n");
  out.PutInt(static_cast<std::int64_t>(results.size()));
  out.Put("\n");
  for (const ResultEntry& entry : results) {
    out.PutInt(entry.testCaseNumber);
    out.Put(" ");
    out.PutInt(entry.score);
    out.Put("\n");
  }
  return out.Finish();
}

namespace {

// Puts failure's message into out, its quoted line copied from its file
// through quoted, which is open when the message quotes one; false when the
// file gives fewer bytes than it did.
bool PutMessage(OutputBuffer& out, const EAssertion& failure, QuoteCopy& quoted) {
  // The message ends at its first NUL byte, like a C string in the format;
  // only a quoted input line can hold one.
  const std::string_view message = failure.message;
  const std::size_t shown = ShownLength(message);
  out.Put(message.substr(0, shown));
  if (!failure.quote || shown != message.size()) return true;
  const bool copied = quoted.CopyTo(
      [&out](const char* data, std::size_t size) { out.Put(std::string_view(data, size)); });
  if (quoted.ShowsTail()) out.Put(failure.quote->tail);
  return copied;
}

}  // namespace

bool WriteFailureReport(OutputBuffer& out, const EAssertion& failure) {
  QuoteCopy quoted;
  if (failure.quote && !quoted.Open(*failure.quote)) return WriteUnexpectedFailureReport(out);
  out.Put("Napaka [");
  out.Put(ProgramLabel);
  out.Put(":");
  out.PutInt(failure.location);
  out.Put("]: ");
  const bool copied = PutMessage(out, failure, quoted);
  out.Put("\n-1\n");
  return out.Finish() && copied;
}

bool WriteMessage(OutputBuffer& out, const EAssertion& failure) {
  QuoteCopy quoted;
  if (failure.quote && !quoted.Open(*failure.quote)) return false;
  const bool copied = PutMessage(out, failure, quoted);
  return out.Finish() && copied;
}

bool WriteUnexpectedFailureReport(OutputBuffer& out) {
  out.Put("Nepricakovana napaka.  Predlagamo, da obvestis organizatorje tekmovanja.\n-1\n");
  return out.Finish();
}

bool WriteSuccessReport(std::FILE* report, std::span<const ResultEntry> results) {
  OutputBuffer out(report);
  return WriteSuccessReport(out, results);
}

bool WriteFailureReport(std::FILE* report, const EAssertion& failure) {
  OutputBuffer out(report);
  return WriteFailureReport(out, failure);
}

bool WriteUnexpectedFailureReport(std::FILE* report) {
  OutputBuffer out(report);
  return WriteUnexpectedFailureReport(out);
}

bool CloseReport(std::FILE* report) {
  const bool flushed = std::fflush(report) == 0 && std::ferror(report) == 0;
  const bool closed = std::fclose(report) == 0;
  return flushed && closed;
}

}  // namespace krobelnik
