#include <cerrno>
#include <charconv>
#include <string_view>
#include <system_error>

#include "input/system.h"

namespace krobelnik {

std::size_t ColumnsOf(const char* variable, std::size_t told) {
  std::size_t columns = 0;
  if (variable != nullptr) {
    const std::string_view text = variable;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), columns);
    if (error != std::errc() || end != text.data() + text.size() || columns > 100000) columns = 0;
  }
  if (columns > 0) return columns;
  return told > 0 ? told : 80;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  const std::filesystem::path name = NativePath(path);
  std::error_code typeError, sizeError, timeError;
  if (!std::filesystem::is_regular_file(name, typeError) || typeError) return std::nullopt;
  FileIdentity identity{path, std::filesystem::file_size(name, sizeError),
                        std::filesystem::last_write_time(name, timeError)};
  if (sizeError || timeError) return std::nullopt;
  return identity;
}

bool Unchanged(const FileIdentity& identity) {
  const std::optional<FileIdentity> now = IdentifyFile(identity.path);
  return now && now->size == identity.size && now->modified == identity.modified;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(NativePath(a), NativePath(b), error) && !error;
}

const std::string* InputNamedBy(const std::string& path, std::span<const std::string> inputs) {
  for (const std::string& input : inputs)
    if (SameFile(path, input)) return &input;
  return nullptr;
}

HeldInput::~HeldInput() {
  if (file_ != nullptr) std::fclose(file_);
}

bool HeldInput::Open(const std::string& path, std::string& problem) {
  std::error_code error;
  if (std::filesystem::is_directory(NativePath(path), error)) {
    problem = std::generic_category().message(EISDIR);
    return false;
  }
  errno = 0;
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    problem = errno != 0 ? std::generic_category().message(errno) : "cannot be opened";
    return false;
  }
  path_ = path;
  return Keep(file, IsRegularFile(file), problem);
}

bool ReadWhole(std::FILE* from, std::string& text) {
  std::string chunk(std::size_t{1} << 16, '\0');
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), from);
    text.append(chunk.data(), got);
    if (got < chunk.size()) return std::ferror(from) == 0;
  }
}

}  // namespace krobelnik
