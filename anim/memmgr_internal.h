// What the memory manager's bookkeeping offers its statistics window (and
// tests): totals, the baseline of the Tare button, the blocks, and a call
// whenever something changed. Not for the library's users.
#pragma once

#include "platform/base/types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace memmgr_internal {
struct COUNTS {
    long long count = 0;
    long long bytes = 0;
};

struct TOTALS {
    COUNTS objects;  // blocks tracked with MemMgr_TrackNew
    COUNTS dynamic;  // blocks allocated here
    COUNTS combined;
    COUNTS tared;    // combined, less the baseline
};

struct BLOCKINFO {
    std::uintptr_t address = 0;
    std::size_t size = 0;
    const char* name = nullptr;  // kept for the whole run; null: none given
    const char* file = nullptr;
    long line = 0;
    DWORD tick = 0;              // tick count when it was allocated
    bool fObject = false;
    bool fFreed = false;
};

TOTALS GetTotals();
// The current combined counts become the baseline; Restore drops it.
void Tare();
void Restore();
// Every block ever tracked (freed ones too when asked), in tracking order.
void Snapshot(std::vector<BLOCKINFO>* out, bool includeFreed);
// Number of changes so far; a window compares it to know whether to look
// again.
unsigned long ChangeCount();
// Called (outside the bookkeeping's lock, on the thread that made the
// change) after every allocation, free or move.
void SetChangeListener(void (*listener)());
}  // namespace memmgr_internal

namespace memmgr_internal {
// The texts of the statistics list's columns. Each writes into out (at
// least 64 bytes) and returns it.
// Size: "%ld b" below 3072 bytes, hundredths of a kilobyte below 1 MiB
// ("3.50 kb"), else hundredths of a megabyte ("1.25 MB").
const char* FormatSize(long long bytes, char* out);
// "file, line" with the file's name after its last ':', '\' or '/'; "unknown"
// without a file.
const char* FormatLocation(const char* file, long line, char* out);
// 'C' for a class object, a blank, 'F' for a freed block (blanks otherwise).
const char* FormatFlags(bool fObject, bool fFreed, char* out);
// A time of day in milliseconds as hours:minutes:seconds.hundredths.
const char* FormatTimeOfDay(long msOfDay, char* out);

// The statistics window's settings, kept as one 48-byte binary value
// "Settings" under HKEY_LOCAL_MACHINE\Software\Telmar\MemMgr.
struct SETTINGS {
    RECT rc;           // the window on the desktop
    long widths[6];    // the list's columns
    long sortBy;       // 0 time, 1 flags, 2 expression, 3 location, 4 size, 5 address
    long fDetails;     // the list of blocks is shown
};
SETTINGS DefaultSettings();
// Stored values that make no sense fall back to their defaults one by one.
SETTINGS ReadSettings();
bool WriteSettings(const SETTINGS& s);
}  // namespace memmgr_internal
