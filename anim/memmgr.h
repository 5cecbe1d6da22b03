// The library's allocator. Blocks carry a 4-byte trailing signature after
// the caller's bytes; one growth function serves every growable table of the
// library and of the game.
#pragma once

#include <cstddef>

// The trailing signature (bytes 79 61 6B 4F).
constexpr unsigned long MEMMGR_SIGNATURE = 0x4F6B6179ul;

void* MemMgr_AllocateMemory(int size, const char* name, const char* file, int line);
void MemMgr_FreeMemory(void* p, const char* file, int line);
void* MemMgr_TrackNew(void* p, std::size_t size, const char* name, const char* file, int line);
int MemMgr_TrackDelete(void* p, const char* file, int line);

// Grows *array so that it holds at least `needed` elements of elementSize
// bytes. table points at a record whose first member is the capacity (the
// element count allocated). When the capacity already suffices nothing
// happens. Otherwise the new capacity is `needed` rounded up to a multiple of
// step, the old elements are copied, the new ones filled with the byte fill,
// the old block freed and *array and the capacity updated. Returns non-null
// on success; null (with the table unchanged) when step is 0 or memory is
// exhausted.
void* MemMgr_ReallocateMemory(unsigned elementSize, void** array, void* table, unsigned needed, unsigned step,
                              unsigned fill, int fTrack, const char* file, int line);

// Convenience for tables whose capacity lives in an unsigned count.
template <typename T>
bool GrowTable(T** array, unsigned* capacity, unsigned needed, unsigned step, const char* file = "", int line = 0)
{
    return MemMgr_ReallocateMemory(sizeof(T), reinterpret_cast<void**>(array), capacity, needed, step, 0, 0, file,
                                   line) != nullptr;
}
