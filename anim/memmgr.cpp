#include "anim/memmgr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
void WriteSignature(void* block, std::size_t size)
{
    const std::uint32_t sig = MEMMGR_SIGNATURE;
    std::memcpy(static_cast<unsigned char*>(block) + size, &sig, sizeof sig);
}
}  // namespace

void* MemMgr_AllocateMemory(int size, const char*, const char*, int)
{
    if (size < 0)
        return nullptr;
    void* p = std::malloc(static_cast<std::size_t>(size) + 4);
    if (!p)
        return nullptr;
    WriteSignature(p, static_cast<std::size_t>(size));
    return p;
}

void MemMgr_FreeMemory(void* p, const char*, int) { std::free(p); }

void* MemMgr_TrackNew(void* p, std::size_t, const char*, const char*, int) { return p; }

int MemMgr_TrackDelete(void*, const char*, int) { return 1; }

void* MemMgr_ReallocateMemory(unsigned elementSize, void** array, void* table, unsigned needed, unsigned step,
                              unsigned fill, int, const char*, int)
{
    if (!array || !table)
        return nullptr;
    unsigned& capacity = *static_cast<unsigned*>(table);
    if (capacity >= needed)
        return *array ? *array : static_cast<void*>(array);
    if (step == 0)
        return nullptr;
    const std::uint64_t newCapacity = (static_cast<std::uint64_t>(needed) + step - 1) / step * step;
    const std::uint64_t bytes = newCapacity * elementSize;
    if (newCapacity > 0xFFFFFFFFull || bytes + 4 > SIZE_MAX)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(bytes) + 4));
    if (!block)
        return nullptr;
    const std::size_t oldBytes = static_cast<std::size_t>(capacity) * elementSize;
    if (*array && oldBytes)
        std::memcpy(block, *array, oldBytes);
    std::memset(block + oldBytes, static_cast<int>(fill & 0xFF), static_cast<std::size_t>(bytes) - oldBytes);
    WriteSignature(block, static_cast<std::size_t>(bytes));
    std::free(*array);
    *array = block;
    capacity = static_cast<unsigned>(newCapacity);
    return block;
}
