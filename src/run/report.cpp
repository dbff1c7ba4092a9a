#include "run/report.h"

#include <cstring>
#include <string_view>

#include "input/quote.h"

namespace krobelnik {

namespace {

// Collects the report's bytes in a fixed buffer and hands them to the file in
// large writes; remembers whether any write fell short.
class ReportBuffer {
 public:
  explicit ReportBuffer(std::FILE* report) : report_(report) {}
  ReportBuffer(const ReportBuffer&) = delete;
  ReportBuffer& operator=(const ReportBuffer&) = delete;

  void Put(std::string_view text) {
    if (text.size() > sizeof(buffer_) - used_) {
      Flush();
      if (text.size() > sizeof(buffer_)) {
        Write(text.data(), text.size());
        return;
      }
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
  }

  void PutInt(std::int64_t value) {
    char digits[MaxIntDigits];
    Put(std::string_view(digits, FormatInt(value, digits)));
  }

  // Writes what is left; returns whether every write succeeded.
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  void Flush() {
    Write(buffer_, used_);
    used_ = 0;
  }
  void Write(const char* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, report_) != size) ok_ = false;
  }

  std::FILE* report_;
  char buffer_[1 << 16];
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace

bool WriteSuccessReport(std::FILE* report, std::span<const ResultEntry> results) {
  ReportBuffer out(report);
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

bool WriteFailureReport(std::FILE* report, const EAssertion& failure) {
  QuoteCopy quoted;
  if (failure.quote && !quoted.Open(*failure.quote)) return WriteUnexpectedFailureReport(report);
  ReportBuffer out(report);
  out.Put("Napaka [");
  out.Put(ProgramLabel);
  out.Put(":");
  out.PutInt(failure.location);
  out.Put("]: ");
  // The message ends at its first NUL byte, like a C string in the format;
  // only a quoted input line can hold one.
  const std::string_view message = failure.message;
  const std::size_t shown = ShownLength(message);
  out.Put(message.substr(0, shown));
  bool copied = true;
  if (failure.quote && shown == message.size()) {
    copied = quoted.CopyTo(
        [&out](const char* data, std::size_t size) { out.Put(std::string_view(data, size)); });
    if (quoted.ShowsTail()) out.Put(failure.quote->tail);
  }
  out.Put("\n-1\n");
  return out.Finish() && copied;
}

bool WriteUnexpectedFailureReport(std::FILE* report) {
  ReportBuffer out(report);
  out.Put("Nepricakovana napaka.  Predlagamo, da obvestis organizatorje tekmovanja.\n-1\n");
  return out.Finish();
}

bool CloseReport(std::FILE* report) {
  const bool flushed = std::fflush(report) == 0 && std::ferror(report) == 0;
  const bool closed = std::fclose(report) == 0;
  return flushed && closed;
}

}  // namespace krobelnik
