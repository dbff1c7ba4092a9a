#include "run/report.h"

#include <climits>
#include <cstring>
#include <filesystem>
#include <string_view>

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

  // Appends size bytes read from file, in pieces through the buffer; false
  // when the file gives fewer.
  bool PutFrom(std::FILE* file, std::int64_t size) {
    while (size > 0) {
      if (used_ == sizeof(buffer_)) Flush();
      const std::size_t want =
          std::min(sizeof(buffer_) - used_, static_cast<std::size_t>(std::min<std::int64_t>(
                                                size, static_cast<std::int64_t>(sizeof(buffer_)))));
      const std::size_t got = std::fread(buffer_ + used_, 1, want, file);
      used_ += got;
      size -= static_cast<std::int64_t>(got);
      if (got < want) return false;
    }
    return true;
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

// The quoted line's file, opened at the line's first byte; nullptr when the
// file is no longer the one that was read (its size or time changed) or the
// line no longer fits in it.
std::FILE* OpenQuote(const QuotedSpan& quote) {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type modified;
  if (!FileState(quote.fileName, size, modified) || size != quote.fileSize ||
      modified != quote.modified)
    return nullptr;
  if (quote.offset < 0 || quote.length < 0 || quote.offset > LONG_MAX ||
      static_cast<std::uintmax_t>(quote.offset) + static_cast<std::uintmax_t>(quote.length) > size)
    return nullptr;
  std::FILE* file = std::fopen(quote.fileName.c_str(), "r");
  if (file == nullptr) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  if (std::fseek(file, static_cast<long>(quote.offset), SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

// Reads the quoted line once, before anything of the form is written, and
// sets shown to the bytes before its first NUL; false when it cannot be read
// whole or is no longer one line.
bool MeasureQuote(std::FILE* file, const QuotedSpan& quote, std::int64_t& shown) {
  char chunk[1 << 16];
  shown = -1;
  for (std::int64_t done = 0; done < quote.length;) {
    const auto want =
        static_cast<std::size_t>(std::min<std::int64_t>(quote.length - done, sizeof(chunk)));
    if (std::fread(chunk, 1, want, file) != want) return false;
    if (std::memchr(chunk, '\n', want) != nullptr) return false;
    if (shown < 0) {
      if (const void* nul = std::memchr(chunk, '\0', want))
        shown = done + (static_cast<const char*>(nul) - chunk);
    }
    done += static_cast<std::int64_t>(want);
  }
  if (shown < 0) shown = quote.length;
  return std::fseek(file, static_cast<long>(quote.offset), SEEK_SET) == 0;
}

}  // namespace

bool WriteSuccessReport(std::FILE* report, const std::vector<ResultEntry>& results) {
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
  std::FILE* quoted = nullptr;
  std::int64_t shown = 0;
  if (failure.quote) {
    quoted = OpenQuote(*failure.quote);
    if (quoted == nullptr || !MeasureQuote(quoted, *failure.quote, shown)) {
      if (quoted != nullptr) std::fclose(quoted);
      return WriteUnexpectedFailureReport(report);
    }
  }
  ReportBuffer out(report);
  out.Put("Napaka [");
  out.Put(ProgramLabel);
  out.Put(":");
  out.PutInt(failure.location);
  out.Put("]: ");
  // The message ends at its first NUL byte, like a C string in the format.
  const std::string_view message(failure.message.c_str());
  out.Put(message);
  bool copied = true;
  if (quoted != nullptr) {
    copied = out.PutFrom(quoted, shown);
    std::fclose(quoted);
    if (shown == failure.quote->length) out.Put(failure.quote->tail);
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
