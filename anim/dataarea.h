// The user data areas of animation windows and objects: byte tables that
// grow on demand and are addressed by an offset from a reserved head.
#pragma once

#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"

#include <cstdint>
#include <cstring>

namespace dataarea {

// The area never grows past this; an offset beyond it is a mistake, not a
// request for gigabytes.
constexpr std::uint64_t kLimit = 64u << 20;

// The address of size bytes at start (offset plus the head's size), growing
// the table in steps of 128 bytes; null with ERROR_NOT_ENOUGH_MEMORY when the
// area would pass the limit or cannot grow.
inline void* At(unsigned char** data, unsigned* cb, std::uint32_t start, unsigned size, const char* module, int line)
{
    const std::uint64_t end = static_cast<std::uint64_t>(start) + size;
    if (end > kLimit || (end > *cb && !GrowTable(data, cb, static_cast<unsigned>(end), 128, module, line))) {
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return *data + start;
}

// Copies size bytes from src (nothing for a null src) to an address that At
// gave; 0 when it gave none.
inline int Put(void* at, const void* src, unsigned size)
{
    if (!at)
        return 0;
    if (src && size)
        std::memcpy(at, src, size);
    return 1;
}

} // namespace dataarea
