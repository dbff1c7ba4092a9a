#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "failure/file_identity.h"

namespace krobelnik {

// The few calls on the operating system that reading inputs, keeping them
// and writing the report need, in one place.

// File names are UTF-8 throughout; on Windows they reach the system through
// its wide-character calls, whatever the code page.

// The program's arguments as UTF-8: argv where that is what the system
// gives, the wide command line on Windows.
class ProgramArguments {
 public:
  ProgramArguments(int argc, char** argv);
  int Count() const { return static_cast<int>(arguments_.size()); }
  const char* const* Values() const { return pointers_.data(); }

 private:
  std::vector<std::string> arguments_;
  std::vector<const char*> pointers_;
};

// Opens the file at path for reading bytes, unbuffered: the reader's own
// buffer is the only one. nullptr when it cannot be opened.
std::FILE* OpenForReading(const std::string& path);

// Moves an open file to offset; false when it cannot.
bool SeekTo(std::FILE* file, std::int64_t offset);

// Creates or truncates the file at path for writing bytes; nullptr when it
// cannot be opened.
std::FILE* OpenForWriting(const std::string& path);

// Creates or truncates the report at path for writing text: on Windows each
// line feed is written as a carriage return and a line feed, as "wt" does.
// nullptr when it cannot be opened.
std::FILE* OpenReport(const std::string& path);

// Why the file at path cannot be read, in the system's words ("No such
// file or directory", "Is a directory", ...); empty when it can be opened
// for reading and is no directory.
std::string OpenProblem(const std::string& path);

// The bytes that end each line of a report as the system writes it in
// text mode: a carriage return and a line feed on Windows, a line feed
// elsewhere.
#if defined(_WIN32)
inline constexpr std::string_view ReportLineEnd = "\r\n";
#else
inline constexpr std::string_view ReportLineEnd = "\n";
#endif

// The standard input as a file that can be read twice, for a program whose
// input arrives there: standard input itself when it is a regular file, else
// a copy of it in the system's temporary folder. On Linux the copy has no
// name from the moment it is made, so that it is gone however the program
// ends; elsewhere it is removed when this object goes.
class StandardInputFile {
 public:
  StandardInputFile() = default;
  ~StandardInputFile();
  StandardInputFile(const StandardInputFile&) = delete;
  StandardInputFile& operator=(const StandardInputFile&) = delete;

  // Makes the file; false, with the system's reason in problem, when it
  // cannot.
  bool Open(std::string& problem);
  // The file's name, as the reading layer opens files.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  // The copy: kept open where it has no name, removed where it has one.
  std::FILE* copy_ = nullptr;
  bool named_ = false;
};

// The regular file at path as it is now; nothing when it is no regular file
// or its size or time cannot be read. Only such a file can be read twice.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// Whether the file at identity.path is still the one identity describes.
bool Unchanged(const FileIdentity& identity);

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

// Memory for arrays that grow and live long. A block of bytes bytes
// (nullptr and 0 for none) is resized to newBytes, its contents kept:
// nullptr when memory runs out, the block then unchanged. Large blocks are
// mapped from the system directly: they grow by moving their pages rather
// than copying them, and their whole huge pages are marked as such where
// the system offers them, so that those pages come 2 MiB at a time, each
// with one fault.
void* ResizeBlock(void* block, std::size_t bytes, std::size_t newBytes);
// Frees a block of bytes bytes from ResizeBlock.
void FreeBlock(void* block, std::size_t bytes);

}  // namespace krobelnik
