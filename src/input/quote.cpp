#include "input/quote.h"

#include <cstring>
#include <utility>

#include "input/system.h"

namespace krobelnik {

std::size_t ShownLength(std::string_view bytes) {
  const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
  return nul == nullptr ? bytes.size()
                        : static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data());
}

void FailQuoting(const LineReader& reader, std::int32_t location, std::string head,
                 const QuotableLine& line, std::string_view tail, FaultPlace place) {
  if (!line.kept) {
    Fail(location, std::move(head),
         QuotedSpan{*reader.Rereadable(), line.offset, line.length, std::string(tail)},
         std::move(place));
  }
  Fail(location, head.append(line.text).append(tail), std::move(place));
}

QuoteCopy::~QuoteCopy() {
  if (file_ != nullptr) std::fclose(file_);
}

bool QuoteCopy::Open(const QuotedSpan& quote) {
  const FileIdentity& file = quote.file;
  if (!Unchanged(file)) return false;
  if (quote.offset < 0 || quote.length < 0 ||
      static_cast<std::uintmax_t>(quote.offset) + static_cast<std::uintmax_t>(quote.length) >
          file.size)
    return false;
  file_ = OpenForReading(file.path);
  if (file_ == nullptr || !SeekTo(file_, quote.offset)) return false;
  // The line is read once before anything is written, to find what it shows
  // and that it is still one line.
  length_ = quote.length;
  shown_ = -1;
  for (std::int64_t done = 0; done < length_;) {
    const auto size =
        static_cast<std::size_t>(std::min<std::int64_t>(length_ - done, sizeof(chunk_)));
    const std::string_view bytes(chunk_, size);
    if (!ReadChunk(size) || bytes.find('\n') != std::string_view::npos) return false;
    if (shown_ < 0 && ShownLength(bytes) < size)
      shown_ = done + static_cast<std::int64_t>(ShownLength(bytes));
    done += static_cast<std::int64_t>(size);
  }
  if (shown_ < 0) shown_ = length_;
  return SeekTo(file_, quote.offset);
}

}  // namespace krobelnik
