// The library's allocator with bookkeeping. Every block is recorded with its
// size, a name, the file and line that allocated it and the time; blocks
// allocated here carry a 4-byte trailing signature after the caller's bytes,
// checked when they are freed or reallocated, so that overruns, double frees
// and frees of addresses never given out are reported (a message box naming
// where the block came from; Cancel breaks into the debugger). One growth
// function serves every growable table of the library and of the game. The
// statistics window ("Memory Manager") lists the blocks and the totals; the
// host opens it with F8 by passing its messages to IsMemoryManagerMessage.
#pragma once

#include "platform/base/types.h"

#include <cstddef>

// The trailing signature (bytes 79 61 6B 4F).
constexpr unsigned long MEMMGR_SIGNATURE = 0x4F6B6179ul;

// size bytes and the signature after them; null when memory is exhausted.
void* MemMgr_AllocateMemory(int size, const char* name, const char* file, int line);
// Checks the block and records its release. Only a block that is live is
// given back to the system: an address freed before, or never given out
// here, is reported and left alone. Null is ignored.
void MemMgr_FreeMemory(void* p, const char* file, int line);
// Records a block made elsewhere (a class object), without a signature;
// returns p.
void* MemMgr_TrackNew(void* p, std::size_t size, const char* name, const char* file, int line);
// Checks and records the release of a block recorded with MemMgr_TrackNew;
// returns 1.
int MemMgr_TrackDelete(void* p, const char* file, int line);

// Grows *array so that it holds at least `needed` elements of elementSize
// bytes. table points at a record whose first member is the capacity (the
// element count allocated). When the capacity already suffices nothing
// happens. Otherwise the new capacity is `needed` rounded up to a multiple of
// step, the old elements are copied, the new ones filled with the byte fill,
// the old block freed and *array and the capacity updated. Returns non-null
// on success; null (with the table unchanged) when step is 0 or memory is
// exhausted. The new block is recorded (the old block's record moves to it);
// with fTrack set, an old block whose signature was overwritten, that was
// freed already or that was never given out here is reported. A table whose
// block was freed already keeps nothing of it: every element is filled anew.
void* MemMgr_ReallocateMemory(unsigned elementSize, void** array, void* table, unsigned needed, unsigned step,
                              unsigned fill, int fTrack, const char* file, int line);

// Convenience for tables whose capacity lives in an unsigned count.
template <typename T>
bool GrowTable(T** array, unsigned* capacity, unsigned needed, unsigned step, const char* file = "", int line = 0)
{
    return MemMgr_ReallocateMemory(sizeof(T), reinterpret_cast<void**>(array), capacity, needed, step, 0, 0, file,
                                   line) != nullptr;
}

// ---- the statistics window ----

// Opens the window (at the place it had when last closed) unless it is open
// already; 1 when it is open afterwards.
int ShowMemoryManager();
// Runs a message loop, with the window's dialog keys, until the window is
// closed; returns 0. A quit request ends it too and stays in the queue.
int WhileMemoryManagerShowing();
// For the host's message loop: an F8 key-down while the window is closed
// opens it and returns 1 (the host then skips the message); else 0.
int IsMemoryManagerMessage(MSG* msg);
// The window, while it is open (null otherwise).
HWND MemoryManagerWindow();
