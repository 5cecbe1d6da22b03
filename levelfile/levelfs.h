// The few file services the level file needs: finding a file by a name
// written for a case-insensitive file system, the program's folder, reading
// a whole file and replacing one as a single step. Failures set the system's
// last error.
#pragma once

#include "platform/base/types.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace levelfs {

// The existing file or folder that `name` names below `base` (empty: the
// current folder), each component matched without regard to ASCII case, an
// exact spelling preferred; "/" and "\" both separate components, and a name
// that starts with one ignores `base`. Empty (last error ERROR_FILE_NOT_FOUND
// or ERROR_PATH_NOT_FOUND) when nothing matches.
std::string FindPath(const std::string& base, std::string_view name);

bool IsFile(const std::string& path);

// The folder of the running program, ending in "/".
std::string ProgramFolder();

// Reads every byte of a file; false (with the last error set) when it cannot.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file at `path` with the bytes as one step: they go to a new
// file in the same folder, which is flushed and renamed over the old one. On
// failure the old file is untouched, no temporary file stays behind and the
// last error is set. A replaced file keeps its permissions, made writable by
// its owner; a symbolic link keeps pointing where it did.
bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size);

}  // namespace levelfs
