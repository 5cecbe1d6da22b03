// The registry: keys and typed values of the current user, kept in text files
// in $XDG_CONFIG_HOME/varno/ (by default ~/.config/varno/), one file per
// root. The machine-wide root lives in the same per-user folder, in a file of
// its own. Key paths use "\" between keys; key and value names are matched
// without regard to (ASCII) case and keep the spelling they were created
// with. Every change rewrites its root's file as one step (temporary file,
// flush, rename), so a crash never leaves a torn file; a change that cannot
// be stored is undone and reported by its return code.
#pragma once

#include "platform/base/syserror.h"
#include "platform/base/types.h"

#include <cstdint>
#include <string>

using LSTATUS = LONG;
using REGSAM = DWORD;
struct SECURITY_ATTRIBUTES;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Access rights are accepted and not checked: the store belongs to the user.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The key a handle refers to is no longer in the store (after a reload).
constexpr DWORD ERROR_KEY_DELETED = 1018;

// Opens an existing key below `key`; ERROR_FILE_NOT_FOUND when it does not
// exist. A null or empty `subKey` opens `key` itself.
LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

// Opens a key, creating it and any missing keys above it (stored at once).
// `disposition` (optional) tells whether the key was created or existed.
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM access,
                        const SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition);

LSTATUS RegCloseKey(HKEY key);

// Reads a value (null or "" names the key's default value). `type` and
// `data` are optional. With `data` null, *cbData receives the size. When the
// buffer is too small the result is ERROR_MORE_DATA, *cbData receives the
// size needed and nothing is copied. A missing value is ERROR_FILE_NOT_FOUND.
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);

// Stores a value of any type (REG_BINARY, REG_DWORD, REG_SZ, ...) as the
// bytes given; a REG_SZ value's bytes include its terminating zero.
LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);

LSTATUS RegDeleteValueA(HKEY key, const char* valueName);

namespace registry_store {

// Forgets everything read so far, including the folder: the next call reads
// the store again from the folder the environment names then.
void Reload();

// The folder of the store (read from the environment on first use after a
// reload), ending in "/"; empty when neither XDG_CONFIG_HOME nor a home
// folder is known.
std::string Folder();

// The file that holds a root (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE).
std::string FileOf(HKEY root);

// How a root's file read: ERROR_SUCCESS (also for a missing file),
// ERROR_INVALID_DATA when damaged lines were skipped (their number goes to
// `damagedLines`), or the error that kept the file from being read at all.
// The readable values of a damaged file are kept; before its first rewrite
// the damaged file is kept whole beside it as "<file>.damaged" (or
// "<file>.damaged.<n>" when that name is taken). A file that could not be read
// at all is never replaced: changes to its root fail with that error.
DWORD LoadStatus(HKEY root, int* damagedLines = nullptr);

} // namespace registry_store
