#include "input/system.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#endif
#if !defined(_WIN32)
#include <unistd.h>
#endif
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
// shellapi.h needs what windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#endif

namespace krobelnik {

namespace {

#if defined(_WIN32)

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(Wide(utf8)); }

std::FILE* Open(const std::string& path, const wchar_t* mode) {
  return _wfopen(Wide(path).c_str(), mode);
}

#else

std::filesystem::path PathOf(const std::string& path) { return std::filesystem::path(path); }

std::FILE* Open(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

#endif

}  // namespace

ProgramArguments::ProgramArguments(int argc, char** argv) {
#if defined(_WIN32)
  static_cast<void>(argc);
  static_cast<void>(argv);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int a = 0; wide != nullptr && a < count; ++a) arguments_.push_back(Utf8(wide[a]));
  LocalFree(wide);
#else
  for (int a = 0; a < argc; ++a) arguments_.emplace_back(argv[a]);
#endif
  for (const std::string& argument : arguments_) pointers_.push_back(argument.c_str());
  // Like argv, the list ends with a null pointer.
  pointers_.push_back(nullptr);
}

std::FILE* OpenForReading(const std::string& path) {
#if defined(_WIN32)
  std::FILE* file = Open(path, L"rb");
#else
  std::FILE* file = Open(path, "rb");
#endif
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool SeekTo(std::FILE* file, std::int64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, offset, SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::FILE* OpenForWriting(const std::string& path) {
#if defined(_WIN32)
  return Open(path, L"wb");
#else
  return Open(path, "wb");
#endif
}

std::FILE* OpenReport(const std::string& path) {
#if defined(_WIN32)
  return Open(path, L"wt");
#else
  return Open(path, "w");
#endif
}

std::string OpenProblem(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(PathOf(path), error))
    return std::generic_category().message(EISDIR);
  errno = 0;
  std::FILE* file = OpenForReading(path);
  if (file != nullptr) {
    std::fclose(file);
    return std::string();
  }
  const int reason = errno;
  return reason != 0 ? std::generic_category().message(reason) : std::string("cannot be opened");
}

namespace {

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

#if defined(__linux__)

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

#endif

}  // namespace

StandardInputFile::~StandardInputFile() {
  if (copy_ != nullptr) std::fclose(copy_);
  if (named_) {
    std::error_code ignored;
    std::filesystem::remove(PathOf(path_), ignored);
  }
}

#if defined(__linux__)

bool StandardInputFile::Open(std::string& problem) {
  // The files of the process are reached by name through /proc.
  struct stat info {};
  if (fstat(0, &info) == 0 && S_ISREG(info.st_mode) && access("/proc/self/fd/0", R_OK) == 0) {
    path_ = "/proc/self/fd/0";
    return true;
  }
  errno = 0;
  copy_ = NamelessFile();
  if (copy_ == nullptr) {
    problem = "no temporary file can be made: " + std::generic_category().message(errno);
    return false;
  }
  if (!CopyRest(stdin, copy_)) {
    problem = "standard input could not be copied: " + std::generic_category().message(errno);
    return false;
  }
  path_ = "/proc/self/fd/" + std::to_string(fileno(copy_));
  return true;
}

#else

bool StandardInputFile::Open(std::string& problem) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) {
    problem = "no temporary folder: " + error.message();
    return false;
  }
#if defined(_WIN32)
  _setmode(_fileno(stdin), _O_BINARY);
  wchar_t name[MAX_PATH + 1];
  if (GetTempFileNameW(folder.wstring().c_str(), L"krb", 0, name) == 0) {
    problem = "no temporary file can be made";
    return false;
  }
  path_ = Utf8(name);
#else
  std::string name = (folder / "krobelnik-XXXXXX").string();
  const int descriptor = mkstemp(name.data());
  if (descriptor < 0) {
    problem = "no temporary file can be made: " + std::generic_category().message(errno);
    return false;
  }
  close(descriptor);
  path_ = name;
#endif
  named_ = true;
  std::FILE* copy = OpenForWriting(path_);
  const bool copied = copy != nullptr && CopyRest(stdin, copy);
  if (copy == nullptr || std::fclose(copy) != 0 || !copied) {
    problem = "standard input could not be copied to " + path_;
    return false;
  }
  return true;
}

#endif

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  const std::filesystem::path name = PathOf(path);
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
  return std::filesystem::equivalent(PathOf(a), PathOf(b), error) && !error;
}

#if defined(__linux__)

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

#else

void* ResizeBlock(void* block, std::size_t, std::size_t newBytes) {
  return std::realloc(block, newBytes);
}

void FreeBlock(void* block, std::size_t) { std::free(block); }

#endif

}  // namespace krobelnik
