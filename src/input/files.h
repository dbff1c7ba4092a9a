#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "run/assertion.h"

namespace krobelnik {

// The few calls on the file system that reading inputs and writing the
// report need, in one place.

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

}  // namespace krobelnik
