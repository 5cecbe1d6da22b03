// Data files on a file system that tells upper and lower case apart, found
// the way the game names them: without regard to case, with "/" or "\" as
// folder separators ("Data\VARNO.LEV" finds "data/varno.lev"). Also the
// folder of the running program, and whole-file writes that never leave a
// torn file behind.
#pragma once

#include "platform/base/types.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace files {

// Finds the existing file or folder that `name` names below `base`, matching
// every component of `name` without regard to (ASCII) case. An exact match
// of a component is preferred over other spellings. "." and ".." components
// are taken as they stand; a `name` that starts with a separator is an
// absolute path and ignores `base`; an empty `base` is the current folder.
// Returns the real path, with "/" separators, or an empty string (and the
// last error ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND) when nothing
// matches.
std::string FindPath(const std::string& base, std::string_view name);

// The path at which to create a new file `name` below `base`: its folders are
// found as FindPath finds them and must exist; its last component is the
// existing entry's spelling when one matches, otherwise as given. Returns an
// empty string (last error ERROR_PATH_NOT_FOUND) when a folder is missing.
std::string PathForNewFile(const std::string& base, std::string_view name);

bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);

// The full path of the running program, and its folder ending in "/".
std::string ProgramPath();
std::string ProgramFolder();

// Reads a whole file; false (with the last error set) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file at `path` with `bytes` as one step: the bytes go to a
// temporary file in the same folder, which is flushed to the disk and then
// renamed over the old file. On failure the old file stays as it was, the
// temporary file is removed, the last error is set and the result is false.
// A symbolic link at `path` keeps pointing where it did; its target is
// replaced. A new file gets the usual permissions (0666 less the umask), a
// replaced one keeps its own.
bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size);
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Removes the temporary files that WriteFileAtomically left beside `path`
// in a process that ended before it could rename or remove them (killed,
// or the machine lost power): the hidden ".<name>.tmp-<pid>-<n>" files of
// processes no longer running. WriteFileAtomically does this on its first
// write of a path in a process; readers of files that are saved so call it
// when they start. Returns the number of files removed.
int RemoveStaleTemporaryFiles(const std::string& path);

// Reads a whole file of at most maxBytes; a larger one is refused before
// anything is read, with the last error ERROR_FILE_TOO_LARGE.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

// The user's own data folder, ending in "/": $XDG_DATA_HOME when it is an
// absolute path, else ~/.local/share/. Empty when neither can be told.
std::string UserDataFolder();

// Whether files can be made, replaced and removed in `folder` by this
// process (the permissions as they apply to it, a file system mounted
// read-only).
bool CanWriteFolder(const std::string& folder);

// Makes `folder` and every missing folder on the way to it (new ones only
// for their owner, as the user's data folders are). True when it exists
// afterwards; otherwise false with the last error set.
bool CreateFolders(const std::string& folder);

// Renames a file to a name that no entry has yet: `path` followed by
// `suffix`, or by `suffix` and a number. Returns the new path, or an empty
// string (the last error set) when it could not be renamed.
std::string RenameAside(const std::string& path, const std::string& suffix);

// The last-error code for a C library errno value.
DWORD ErrorFromErrno(int error);

} // namespace files
