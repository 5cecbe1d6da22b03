// Open files as small integer handles: open or create, read, write, seek,
// close. The library's byte streams (FILEMAP) run on these; handles can also
// be handed in from outside, already open.
#pragma once

#include "platform/base/types.h"

using HFILE = int;
constexpr HFILE HFILE_ERROR = -1;

// Access modes of OpenFileHandle.
constexpr UINT OF_READ = 0x0000;
constexpr UINT OF_WRITE = 0x0001;
constexpr UINT OF_READWRITE = 0x0002;
// Creates the file, or empties an existing one; the handle reads and writes.
constexpr UINT OF_CREATE = 0x1000;

// Origins of SeekFileHandle.
constexpr int FILE_BEGIN = 0;
constexpr int FILE_CURRENT = 1;
constexpr int FILE_END = 2;

// Opens path with the access mode in the low two bits of mode, or creates it
// with OF_CREATE. Names match without regard to case and both "/" and "\"
// separate folders. HFILE_ERROR with the
// system's last error set when the file cannot be opened.
HFILE OpenFileHandle(const char* path, UINT mode);

// Reads up to n bytes; returns how many arrived (fewer at the end of the
// file), or 0xFFFFFFFF with the last error on failure.
UINT ReadFileHandle(HFILE h, void* buffer, UINT n);

// Writes n bytes; returns how many were written, or 0xFFFFFFFF with the last
// error. Writing 0 bytes cuts the file off at the current position.
UINT WriteFileHandle(HFILE h, const void* buffer, UINT n);

// Moves the position; returns the new position from the start of the file,
// or -1 with the last error (also for a position before the start).
LONG SeekFileHandle(HFILE h, LONG offset, int origin);

// Closes the handle; FALSE with the last error when it was not open.
BOOL CloseFileHandle(HFILE h);
