#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "failure/file_identity.h"

namespace krobelnik {

// The few calls on the operating system that reading inputs, keeping them
// and writing the report need, in one place: one interface, and behind it
// one file per platform (system_posix.cpp or system_windows.cpp, then
// system_linux.cpp or system_generic.cpp), over what the standard library
// does alike everywhere (system_common.cpp).

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

// The file name path (UTF-8) as the standard library's file system calls
// take it.
std::filesystem::path NativePath(const std::string& path);

// Opens the file at path for reading bytes, unbuffered: the reader's own
// buffer is the only one. nullptr when it cannot be opened.
std::FILE* OpenForReading(const std::string& path);

// Appends what is left of standard input, read as bytes, to text; false
// when a read fails.
bool ReadStandardInput(std::string& text);

// Whether an open file is a regular file, which can be read again.
bool IsRegularFile(std::FILE* file);

// Appends what is left of from to text; false when a read fails.
bool ReadWhole(std::FILE* from, std::string& text);

// Moves an open file to offset; false when it cannot.
bool SeekTo(std::FILE* file, std::int64_t offset);

// Creates or truncates the file at path for writing bytes; nullptr when it
// cannot be opened. A named pipe that nothing reads is refused, never waited
// for.
std::FILE* OpenForWriting(const std::string& path);

// Empties a file opened for writing and writes on from its start; for
// anything but a regular file only flushes what was written. False when
// that fails.
bool Truncate(std::FILE* file);

// Creates or truncates the report at path for writing text: on Windows each
// line feed is written as a carriage return and a line feed, as "wt" does.
// nullptr when it cannot be opened.
std::FILE* OpenReport(const std::string& path);

// The bytes that end each line of a report as the system writes it in
// text mode: a carriage return and a line feed on Windows, a line feed
// elsewhere.
extern const std::string_view ReportLineEnd;

// Opens the null device in place of each of standard input, output and
// error that the program was started without, so that no file it opens
// later takes one of their numbers. Called once, before anything is opened.
void OpenClosedStandardStreams();
// Whether standard input was closed when the program started.
bool StandardInputWasClosed();

// The columns of the terminal that file writes to: 0 when it writes to no
// terminal (a file, a pipe); else COLUMNS when it holds a number of columns,
// else what the terminal says it has, else 80.
std::size_t TerminalWidth(std::FILE* file);
// The columns the value of COLUMNS gives (a number from 1 to 100000; it may
// be null), else told when it is not 0, else 80.
std::size_t ColumnsOf(const char* variable, std::size_t told);

// An input of a program around the evaluator, opened once and kept open
// while the program reads it, as often as it needs: a regular file through
// the handle opened first, so that a pipe is never opened twice and a file
// renamed meanwhile is still the one read; anything else (a pipe, a named
// pipe, a terminal) is read once to its end and kept: on Linux in a file of
// no name, which is gone however the program ends, elsewhere in memory.
class HeldInput {
 public:
  HeldInput() = default;
  ~HeldInput();
  HeldInput(const HeldInput&) = delete;
  HeldInput& operator=(const HeldInput&) = delete;

  // Opens the file at path, or standard input; false, with the system's
  // reason in problem, when it cannot be opened or read whole.
  bool Open(const std::string& path, std::string& problem);
  bool OpenStandardInput(std::string& problem);

  // Where the reading layer finds the input: the name of a file to open,
  // or, when InMemory(), its bytes.
  bool InMemory() const { return inMemory_; }
  const std::string& Path() const { return path_; }
  const std::string& Text() const { return text_; }

 private:
  // Keeps the opened file as it is, or copies what it gives.
  bool Keep(std::FILE* file, bool regular, std::string& problem);

  std::FILE* file_ = nullptr;
  std::string path_;
  bool inMemory_ = false;
  std::string text_;
};

// The regular file at path as it is now; nothing when it is no regular file
// or its size or time cannot be read. Only such a file can be read twice.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// Whether the file at identity.path is still the one identity describes.
bool Unchanged(const FileIdentity& identity);

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

// The first of inputs that the output file at path is, by identity (also
// through links, or another spelling of its name); nullptr for none.
const std::string* InputNamedBy(const std::string& path, std::span<const std::string> inputs);

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
