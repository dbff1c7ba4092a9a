#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "input/system.h"

namespace krobelnik {

const std::string_view ReportLineEnd = "\n";

namespace {

bool standardInputWasClosed = false;

}  // namespace

void OpenClosedStandardStreams() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    if (descriptor == 0) standardInputWasClosed = true;
    // The lowest free number is the one that is closed.
    static_cast<void>(open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY));
  }
}

bool StandardInputWasClosed() { return standardInputWasClosed; }

std::size_t TerminalWidth(std::FILE* file) {
  const int descriptor = fileno(file);
  if (descriptor < 0 || isatty(descriptor) == 0) return 0;
  winsize size{};
  const bool told = ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0;
  return ColumnsOf(std::getenv("COLUMNS"), told ? size.ws_col : 0);
}

ProgramArguments::ProgramArguments(int argc, char** argv) {
  OpenClosedStandardStreams();
  for (int a = 0; a < argc; ++a) arguments_.emplace_back(argv[a]);
  for (const std::string& argument : arguments_) pointers_.push_back(argument.c_str());
  // Like argv, the list ends with a null pointer.
  pointers_.push_back(nullptr);
}

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(path); }

std::FILE* OpenForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool ReadStandardInput(std::string& text) { return ReadWhole(stdin, text); }

bool IsRegularFile(std::FILE* file) {
  struct stat info {};
  return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

bool SeekTo(std::FILE* file, std::int64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

namespace {

// Creates or truncates the file at path for writing. A named pipe that no
// program reads is refused at once (the system says so for an opening that
// does not wait) instead of blocking the program until one comes; once
// open, writes wait as usual.
std::FILE* OpenToWrite(const std::string& path) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC,
                              S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH);
  if (descriptor < 0) return nullptr;
  const int flags = fcntl(descriptor, F_GETFL);
  std::FILE* file = flags == -1 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == -1
                        ? nullptr
                        : fdopen(descriptor, "w");
  if (file == nullptr) close(descriptor);
  return file;
}

}  // namespace

std::FILE* OpenForWriting(const std::string& path) { return OpenToWrite(path); }

std::FILE* OpenReport(const std::string& path) { return OpenToWrite(path); }

bool Truncate(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  if (!IsRegularFile(file)) return true;
  return ftruncate(fileno(file), 0) == 0 && fseeko(file, 0, SEEK_SET) == 0;
}

}  // namespace krobelnik
