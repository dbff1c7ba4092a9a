#include "input/system.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

namespace {

// From this size on a block is mapped on its own.
constexpr std::size_t LargeBlock = std::size_t{1} << 20;

}  // namespace

#if defined(__linux__)

namespace {

// Large blocks start at multiples of a huge page, so that every whole huge
// page inside them can be huge. Their mappings end with the block, so the
// part past the last whole huge page has small pages: a block whose size
// was known ahead uses no memory past its end.
constexpr std::size_t HugePage = std::size_t{2} << 20;
constexpr std::size_t SmallPage = std::size_t{4} << 10;

std::size_t MappedSize(std::size_t bytes) { return (bytes + SmallPage - 1) & ~(SmallPage - 1); }

// A fresh mapping of size bytes (a multiple of SmallPage) that starts at a
// multiple of HugePage; nullptr when there is no room.
void* MapAligned(std::size_t size) {
  void* area =
      mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return nullptr;
  // The bytes before the first multiple of HugePage, and after the block,
  // go back.
  char* const start = static_cast<char*>(area);
  const std::size_t head =
      (HugePage - reinterpret_cast<std::uintptr_t>(start) % HugePage) % HugePage;
  if (head > 0) munmap(start, head);
  munmap(start + head + size, HugePage - head);
  void* block = start + head;
  // Only a hint: where the system declines, the block is as good.
  static_cast<void>(madvise(block, size, MADV_HUGEPAGE));
  return block;
}

}  // namespace

void* ResizeBlock(void* block, std::size_t bytes, std::size_t newBytes) {
  if (newBytes < LargeBlock) return std::realloc(block, newBytes);
  const std::size_t size = MappedSize(newBytes);
  if (bytes < LargeBlock) {
    void* mapped = MapAligned(size);
    if (mapped == nullptr) return nullptr;
    if (bytes > 0) std::memcpy(mapped, block, bytes);
    std::free(block);
    return mapped;
  }
  const std::size_t old = MappedSize(bytes);
  if (size == old) return block;
  // Grown where it stands when the addresses after it are free; else its
  // pages move, tables only, to a fresh aligned place.
  if (mremap(block, old, size, 0) != MAP_FAILED) return block;
  void* target = MapAligned(size);
  if (target == nullptr) return nullptr;
  void* moved = mremap(block, old, size, MREMAP_MAYMOVE | MREMAP_FIXED, target);
  if (moved == MAP_FAILED) {
    munmap(target, size);
    return nullptr;
  }
  return moved;
}

void FreeBlock(void* block, std::size_t bytes) {
  if (bytes >= LargeBlock) {
    munmap(block, MappedSize(bytes));
  } else {
    std::free(block);
  }
}

#else

void* ResizeBlock(void* block, std::size_t, std::size_t newBytes) {
  return std::realloc(block, newBytes);
}

void FreeBlock(void* block, std::size_t) { std::free(block); }

#endif

}  // namespace krobelnik
