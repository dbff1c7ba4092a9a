#include <cstdlib>

#include "input/system.h"

namespace krobelnik {

bool HeldInput::OpenStandardInput(std::string& problem) {
  if (StandardInputWasClosed()) {
    problem = "standard input is closed";
    return false;
  }
  inMemory_ = true;
  if (ReadStandardInput(text_)) return true;
  problem = "standard input could not be read to its end";
  return false;
}

bool HeldInput::Keep(std::FILE* file, bool regular, std::string& problem) {
  // A regular file with a name is read by that name, kept open meanwhile;
  // anything else is read into memory, which cannot outlive the program.
  if (regular && !path_.empty()) {
    file_ = file;
    return true;
  }
  const bool read = ReadWhole(file, text_);
  std::fclose(file);
  inMemory_ = true;
  if (!read) problem = "it could not be read to its end";
  return read;
}

void* ResizeBlock(void* block, std::size_t, std::size_t newBytes) {
  return std::realloc(block, newBytes);
}

void FreeBlock(void* block, std::size_t) { std::free(block); }

}  // namespace krobelnik
