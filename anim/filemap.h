// FILEMAP: the library's one reader and writer of byte streams. The same
// operations (sequential and peeking reads, writes, seeks, size, text lines)
// work on a file, read through a read-ahead cache, and on a block of memory.
#pragma once

#include "platform/base/types.h"

class FILEMAP {
public:
    // Size of the read-ahead cache of file mode, and the consumed amount at
    // which the unconsumed rest moves back to the start of the cache.
    static constexpr unsigned cbCacheBlock = 0x7FFF;
    static constexpr unsigned cbCacheShift = 0x4000;

    FILEMAP();
    ~FILEMAP();
    FILEMAP(const FILEMAP&) = delete;
    FILEMAP& operator=(const FILEMAP&) = delete;

    // Adopts an open file handle; the handle stays the caller's.
    int Open(int hFile, unsigned mode);
    // Opens a file by name: mode 0 reads, bit 0x1000 creates (or empties) the
    // file, anything else opens it with that access mode. For reading, a
    // bitmap or "CutSheet" resource of that name in the program comes before
    // any file. Names that are resource numbers (not above 0xFFFF) and name
    // no such resource fail.
    int Open(const char* path, unsigned mode);
    // Reads the bytes of a resource of the module (read only).
    int Open(HINSTANCE module, const char* name, const char* type);
    // Reads (and writes into) the caller's bytes, which are neither copied
    // nor owned.
    int Open(unsigned char* data, unsigned size);
    int Close();

    int fIsOpen() const { return fOpen; }
    int fIsMemory() const { return fMemory; }

    long GetSize();
    int SetSize(long size);
    long GetPosition();
    // origin 0 from the start, 1 from the current position, 2 from the end.
    int Seek(long offset, int origin);

    int Read(void* buffer, unsigned n);
    int ReadNoMove(void* buffer, unsigned n);
    int Write(const void* buffer, unsigned n);
    int WriteNoMove(const void* buffer, unsigned n);

    // Reads one line of at most max characters into buffer (max + 1 bytes);
    // the line end is "\r\n", "\n\r", "\r" or "\n". 0 at the end of the data.
    int ReadLine(char* buffer, unsigned max);
    // Writes text and "\r\n".
    int WriteLine(const char* text);

private:
    int FillCache(unsigned n);
    void ConsumeCache(unsigned cbUsed);
    int DropCache();
    void Reset();

    int fOpen = 0;
    int fMemory = 0;
    int hFile = -1;                 // file mode
    unsigned char* pData = nullptr; // memory mode
    unsigned mode = 0;              // file mode: the access mode
    unsigned cbSize = 0;            // memory mode: the block's size
    int fOwnsHandle = 0;            // file mode
    unsigned position = 0;          // memory mode
    int fReadOnly = 0;              // memory mode: a program resource
    HRSRC hResInfo = nullptr;       // memory mode over a resource
    HGLOBAL hResData = nullptr;
    unsigned char* pCache = nullptr; // file mode: read-ahead block
    unsigned cbCache = 0;            // cached bytes not yet consumed
    unsigned cbCacheUsed = 0;        // cached bytes already consumed
};
