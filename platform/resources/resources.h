// Resources of the program: string tables, bitmaps, the dialog, the
// accelerators, the icon and other data, embedded at build time from the
// files under resources/ (see resources/README.md) and found by type, name
// and language. Types and names are numbers (MAKEINTRESOURCEA) or texts;
// texts are matched without regard to case, and "#123" stands for the number
// 123. The lookups are exact; choosing among languages is up to the caller.
#pragma once

#include "platform/base/syserror.h"
#include "platform/base/types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using LPCSTR = const char*;
using LPSTR = char*;
using LONG_PTR = std::intptr_t;

inline bool IS_INTRESOURCE(const void* p)
{
    return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0;
}
// The window header defines the same conversion as a macro; either serves.
#ifndef MAKEINTRESOURCEA
inline LPSTR MAKEINTRESOURCEA(WORD id)
{
    return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(id));
}
#endif

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)

// Language identifiers: a primary language in the low 10 bits, a
// sublanguage above it.
constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_ENGLISH_US = 0x01;
constexpr WORD MAKELANGID(WORD primary, WORD sub)
{
    return static_cast<WORD>((sub << 10) | primary);
}
constexpr WORD PRIMARYLANGID(WORD lang)
{
    return static_cast<WORD>(lang & 0x3FF);
}
constexpr WORD SUBLANGID(WORD lang)
{
    return static_cast<WORD>(lang >> 10);
}

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;

// The program's own module for a null name; otherwise the module of the
// resource table registered under that name (null with ERROR_MOD_NOT_FOUND).
HMODULE GetModuleHandleA(LPCSTR moduleName);

// The resource of exactly this type, name and language. A null module is the
// program. Fails with null and the last error ERROR_RESOURCE_TYPE_NOT_FOUND,
// ERROR_RESOURCE_NAME_NOT_FOUND or ERROR_RESOURCE_LANG_NOT_FOUND.
HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);

// The resource of this name and type in language 1033 if there is one,
// otherwise in the lowest language it exists in.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);

// The data of a found resource: LoadResource gives its handle, LockResource
// the bytes (they live as long as the program; there is nothing to free).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// Calls `proc` with every language a resource exists in, in increasing
// order, until it returns FALSE. FALSE (with the lookup's last error) when
// the resource does not exist.
using ENUMRESLANGPROCA = BOOL (*)(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR param);
BOOL EnumResourceLanguagesA(HMODULE module, LPCSTR type, LPCSTR name, ENUMRESLANGPROCA proc, LONG_PTR param);

namespace resources {

// One resource in a table: type and name are numbers when not 0, otherwise
// the texts.
struct ResourceEntry {
    WORD typeId;
    const char* typeName;
    WORD nameId;
    const char* nameText;
    WORD language;
    const unsigned char* data;
    DWORD size;
};

// Adds a table of resources to a module: the program's own for a null name
// (the build registers the game's table so), or a module of that name made
// on first use. The entries must outlive their registration; earlier tables
// are searched first. Returns the module.
HMODULE RegisterTable(const ResourceEntry* entries, std::size_t count, const char* moduleName = nullptr);

// Removes a table registered before (for tests).
void UnregisterTable(const ResourceEntry* entries);

// The languages a resource exists in, in increasing order.
std::vector<WORD> Languages(HMODULE module, LPCSTR type, LPCSTR name);

} // namespace resources
