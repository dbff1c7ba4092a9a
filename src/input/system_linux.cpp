#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "input/system.h"

namespace krobelnik {

namespace {

// The name under which this process reaches the file open on descriptor.
std::string ProcessFileName(int descriptor) {
  return "/proc/self/fd/" + std::to_string(descriptor);
}

// A fresh file in the temporary folder that has no name, open for reading
// and writing; nullptr when none can be made.
std::FILE* NamelessFile() {
  const char* folder = std::getenv("TMPDIR");
  const std::string directory = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  int descriptor = open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    // Where the file system has no unnamed files, the name goes at once.
    std::string name = directory + "/krobelnik-XXXXXX";
    descriptor = mkstemp(name.data());
    if (descriptor >= 0) unlink(name.c_str());
  }
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, "w+b");
  if (file == nullptr) close(descriptor);
  return file;
}

// Copies what is left of from to the end of to; false when a read or a
// write fails.
bool CopyRest(std::FILE* from, std::FILE* to) {
  std::string chunk(std::size_t{1} << 16, '\0');
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), from);
    if (got > 0 && std::fwrite(chunk.data(), 1, got, to) != got) return false;
    if (got < chunk.size()) return std::ferror(from) == 0 && std::fflush(to) == 0;
  }
}

}  // namespace

bool HeldInput::OpenStandardInput(std::string& problem) {
  if (StandardInputWasClosed()) {
    problem = "standard input is closed";
    return false;
  }
  // A handle of its own, which closes without closing standard input.
  const int descriptor = dup(0);
  std::FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "rb");
  if (file == nullptr) {
    problem = "standard input cannot be read: " + std::generic_category().message(errno);
    if (descriptor >= 0) close(descriptor);
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  path_.clear();
  return Keep(file, IsRegularFile(file), problem);
}

bool HeldInput::Keep(std::FILE* file, bool regular, std::string& problem) {
  if (regular) {
    file_ = file;
    // Reached through /proc, the file read is the one opened here, even
    // after its name has gone to another; without /proc, it is its name.
    if (access("/proc/self/fd", X_OK) == 0) path_ = ProcessFileName(fileno(file));
    if (!path_.empty()) return true;
    problem = "standard input has no name to read it by";
    return false;
  }
  errno = 0;
  std::FILE* copy = NamelessFile();
  if (copy == nullptr) {
    std::fclose(file);
    problem = "no temporary file can be made: " + std::generic_category().message(errno);
    return false;
  }
  const bool copied = CopyRest(file, copy);
  const int reason = errno;
  std::fclose(file);
  file_ = copy;
  if (!copied) {
    problem = "it could not be read to its end: " + std::generic_category().message(reason);
    return false;
  }
  path_ = ProcessFileName(fileno(copy));
  return true;
}

namespace {

// From this size on a block is mapped on its own.
constexpr std::size_t LargeBlock = std::size_t{1} << 20;

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

}  // namespace krobelnik
