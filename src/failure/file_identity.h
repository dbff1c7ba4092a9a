#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace krobelnik {

// A file as it was when it was read: its name, size and modification time.
struct FileIdentity {
  std::string path;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type modified;
};

}  // namespace krobelnik
