#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "run/assertion.h"

namespace krobelnik {

// The few calls on the operating system that reading inputs, keeping them
// and writing the report need, in one place.

// Opens the file at path for reading bytes, unbuffered: the reader's own
// buffer is the only one. nullptr when it cannot be opened.
std::FILE* OpenForReading(const std::string& path);

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
