#include "input/files.h"

#include <filesystem>
#include <system_error>

namespace krobelnik {

std::FILE* OpenForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  std::error_code typeError, sizeError, timeError;
  if (!std::filesystem::is_regular_file(path, typeError) || typeError) return std::nullopt;
  FileIdentity identity{path, std::filesystem::file_size(path, sizeError),
                        std::filesystem::last_write_time(path, timeError)};
  if (sizeError || timeError) return std::nullopt;
  return identity;
}

bool Unchanged(const FileIdentity& identity) {
  const std::optional<FileIdentity> now = IdentifyFile(identity.path);
  return now && now->size == identity.size && now->modified == identity.modified;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace krobelnik
