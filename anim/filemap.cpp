#include "anim/filemap.h"

#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"
#include "platform/files/filehandle.h"
#include "platform/resources/resources.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr const char* kModule = "filemap.cpp";
constexpr int kErrorInvalidHandle = 6;
constexpr UINT kIoFailed = 0xFFFFFFFFu;
} // namespace

FILEMAP::FILEMAP() = default;

FILEMAP::~FILEMAP()
{
    if (fOpen)
        Close();
}

void FILEMAP::Reset()
{
    fOpen = 0;
    fMemory = 0;
    hFile = -1;
    pData = nullptr;
    mode = 0;
    cbSize = 0;
    fOwnsHandle = 0;
    position = 0;
    fReadOnly = 0;
    hResInfo = nullptr;
    hResData = nullptr;
    cbCache = 0;
    cbCacheUsed = 0;
}

int FILEMAP::Open(int handle, unsigned openMode)
{
    if (fOpen)
        Close();
    if (handle < 0)
        return FALSE_SetLastError(kErrorInvalidHandle);
    fOpen = 1;
    hFile = handle;
    mode = openMode;
    fOwnsHandle = 0;
    return 1;
}

int FILEMAP::Open(const char* path, unsigned openMode)
{
    if (fOpen)
        Close();
    if (!path)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    // Pictures and cut sheets built into the program come first.
    if (openMode == 0) {
        HMODULE program = GetModuleHandleA(nullptr);
        for (const char* type : {static_cast<const char*>(RT_BITMAP), "CutSheet"})
            if (FindResourceA(program, path, type))
                return Open(program, path, type);
    }
    // A name given as a resource number names no file.
    if (reinterpret_cast<std::uintptr_t>(path) <= 0xFFFF)
        return FALSE_SetLastError(ERROR_FILE_NOT_FOUND);
    HFILE h = (openMode & OF_CREATE) ? OpenFileHandle(path, OF_CREATE) : OpenFileHandle(path, openMode);
    if (h == HFILE_ERROR)
        return FALSE_SetLastError(-1);
    fOpen = 1;
    hFile = h;
    mode = openMode;
    fOwnsHandle = 1;
    return 1;
}

int FILEMAP::Open(HINSTANCE module, const char* name, const char* type)
{
    if (fOpen)
        Close();
    HRSRC info = FindResourceA(module, name, type);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes)
        return FALSE_SetLastError(-1);
    fOpen = 1;
    fMemory = 1;
    fReadOnly = 1;
    pData = static_cast<unsigned char*>(bytes);
    cbSize = SizeofResource(module, info);
    position = 0;
    hResInfo = info;
    hResData = handle;
    return 1;
}

int FILEMAP::Open(unsigned char* data, unsigned size)
{
    if (fOpen)
        Close();
    if (!data && size)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    fOpen = 1;
    fMemory = 1;
    pData = data;
    cbSize = size;
    position = 0;
    return 1;
}

int FILEMAP::Close()
{
    if (!fOpen)
        return 1;
    int ok = 1;
    if (!fMemory && fOwnsHandle && !CloseFileHandle(hFile))
        ok = FALSE_SetLastError(-1);
    // A resource's bytes belong to the program and live as long as it; the
    // handles are simply forgotten.
    if (pCache) {
        MemMgr_FreeMemory(pCache, kModule, __LINE__);
        pCache = nullptr;
    }
    Reset();
    return ok;
}

// ---- the read-ahead cache ---------------------------------------------------
// The cache holds, from its start, cbCacheUsed bytes already handed out and
// then cbCache bytes read ahead; the file's own position lies just after them.

int FILEMAP::FillCache(unsigned n)
{
    if (cbCache >= n)
        return 1;
    if (!pCache) {
        pCache = static_cast<unsigned char*>(MemMgr_AllocateMemory(cbCacheBlock, "FILEMAP cache", kModule, __LINE__));
        if (!pCache)
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        cbCache = cbCacheUsed = 0;
    }
    unsigned free = cbCacheBlock - cbCacheUsed - cbCache;
    if (free) {
        UINT got = ReadFileHandle(hFile, pCache + cbCacheUsed + cbCache, free);
        if (got == kIoFailed) {
            ZephaneSetLastError(-1);
            got = 0;
        }
        cbCache += got;
    }
    return cbCache > 0;
}

void FILEMAP::ConsumeCache(unsigned cbUsed)
{
    if (!ZASSERT(cbUsed <= cbCache, kModule))
        return;
    cbCache -= cbUsed;
    cbCacheUsed += cbUsed;
    if (cbCacheUsed >= cbCacheShift) {
        std::memmove(pCache, pCache + cbCacheUsed, cbCache);
        cbCacheUsed = 0;
    }
}

int FILEMAP::DropCache()
{
    int ok = 1;
    if (cbCache && SeekFileHandle(hFile, -static_cast<LONG>(cbCache), FILE_CURRENT) < 0)
        ok = FALSE_SetLastError(-1);
    cbCache = 0;
    cbCacheUsed = 0;
    return ok;
}

// ---- size and position --------------------------------------------------------

long FILEMAP::GetSize()
{
    if (!fOpen)
        return -1;
    if (fMemory)
        return static_cast<long>(cbSize);
    // The file's own position is put back as it was, so the cache stays valid.
    LONG here = SeekFileHandle(hFile, 0, FILE_CURRENT);
    if (here < 0)
        return MINUSONE_SetLastError(-1);
    LONG end = SeekFileHandle(hFile, 0, FILE_END);
    SeekFileHandle(hFile, here, FILE_BEGIN);
    if (end < 0)
        return MINUSONE_SetLastError(-1);
    return end;
}

int FILEMAP::SetSize(long size)
{
    if (!fOpen)
        return FALSE_SetLastError(kErrorInvalidHandle);
    if (size < 0)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (fMemory) {
        if (static_cast<unsigned long>(size) > cbSize)
            return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
        cbSize = static_cast<unsigned>(size);
        position = std::min(position, cbSize);
        return 1;
    }
    if (!Seek(size, 0))
        return 0;
    // Writing nothing at a position makes it the end of the file.
    if (WriteFileHandle(hFile, "", 0) == kIoFailed)
        return FALSE_SetLastError(-1);
    return 1;
}

long FILEMAP::GetPosition()
{
    if (!fOpen)
        return -1;
    if (fMemory)
        return static_cast<long>(position);
    LONG here = SeekFileHandle(hFile, 0, FILE_CURRENT);
    if (here < 0)
        return MINUSONE_SetLastError(-1);
    return here - static_cast<long>(cbCache);
}

int FILEMAP::Seek(long offset, int origin)
{
    if (!fOpen)
        return FALSE_SetLastError(kErrorInvalidHandle);
    if (fMemory) {
        long long target;
        switch (origin) {
        case 1: target = static_cast<long long>(position) + offset; break;
        case 2: target = static_cast<long long>(cbSize) - offset; break;
        default: target = offset; break;
        }
        // Every place outside the block, before its start too, ends at its end.
        if (target < 0 || target > static_cast<long long>(cbSize))
            target = cbSize;
        position = static_cast<unsigned>(target);
        return 1;
    }
    if (origin == 1) {
        if (offset == 0)
            return 1;
        if (offset > 0 && static_cast<unsigned long>(offset) < cbCache) {
            ConsumeCache(static_cast<unsigned>(offset));
            return 1;
        }
        if (offset < 0 && static_cast<unsigned long>(-offset) <= cbCacheUsed) {
            cbCacheUsed -= static_cast<unsigned>(-offset);
            cbCache += static_cast<unsigned>(-offset);
            return 1;
        }
    }
    if (!DropCache())
        return 0;
    int whence = origin == 1 ? FILE_CURRENT : origin == 2 ? FILE_END : FILE_BEGIN;
    if (offset < INT32_MIN || offset > INT32_MAX)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (SeekFileHandle(hFile, static_cast<LONG>(offset), whence) < 0)
        return FALSE_SetLastError(-1);
    return 1;
}

// ---- reading and writing --------------------------------------------------

int FILEMAP::Read(void* buffer, unsigned n)
{
    if (!fOpen)
        return FALSE_SetLastError(kErrorInvalidHandle);
    auto* out = static_cast<unsigned char*>(buffer);
    if (fMemory) {
        unsigned take = std::min(n, cbSize - position);
        if (take)
            std::memcpy(out, pData + position, take);
        position += take;
        return take == n ? 1 : FALSE_SetLastError(ERROR_READ_FAULT);
    }
    if (n == 0)
        return 1;
    if (n > cbCacheBlock || (pCache && cbCacheBlock - cbCacheUsed < n)) {
        if (!DropCache())
            return 0;
        UINT got = ReadFileHandle(hFile, out, n);
        if (got == kIoFailed)
            return FALSE_SetLastError(-1);
        return got == n ? 1 : FALSE_SetLastError(ERROR_READ_FAULT);
    }
    unsigned delivered = 0;
    while (delivered < n) {
        FillCache(n - delivered);
        unsigned take = std::min(cbCache, n - delivered);
        if (take == 0)
            return FALSE_SetLastError(ERROR_READ_FAULT);
        std::memcpy(out + delivered, pCache + cbCacheUsed, take);
        ConsumeCache(take);
        delivered += take;
    }
    return 1;
}

int FILEMAP::ReadNoMove(void* buffer, unsigned n)
{
    long before = GetPosition();
    if (Read(buffer, n))
        return Seek(-static_cast<long>(n), 1);
    // A short read moved by less than n: go back to where the peek began.
    int error = ZephaneGetLastError();
    if (before >= 0)
        Seek(before, 0);
    return FALSE_SetLastError(error);
}

int FILEMAP::Write(const void* buffer, unsigned n)
{
    if (!fOpen)
        return FALSE_SetLastError(kErrorInvalidHandle);
    if (fMemory) {
        if (fReadOnly)
            return FALSE_SetLastError(ERROR_ACCESS_DENIED);
        unsigned put = std::min(n, cbSize - position);
        if (put)
            std::memcpy(pData + position, buffer, put);
        position += put;
        return put == n ? 1 : FALSE_SetLastError(ERROR_WRITE_FAULT);
    }
    if (!DropCache())
        return 0;
    // Writing nothing changes nothing (the handle layer would cut the file).
    if (n == 0)
        return 1;
    UINT put = WriteFileHandle(hFile, buffer, n);
    if (put == kIoFailed)
        return FALSE_SetLastError(-1);
    return put == n ? 1 : FALSE_SetLastError(ERROR_WRITE_FAULT);
}

int FILEMAP::WriteNoMove(const void* buffer, unsigned n)
{
    long before = GetPosition();
    if (Write(buffer, n))
        return Seek(-static_cast<long>(n), 1);
    int error = ZephaneGetLastError();
    if (before >= 0)
        Seek(before, 0);
    return FALSE_SetLastError(error);
}

int FILEMAP::ReadLine(char* buffer, unsigned max)
{
    if (!buffer)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    unsigned stored = 0;
    int fAny = 0;
    char c = 0;
    while (stored < max && Read(&c, 1)) {
        fAny = 1;
        if (c == '\r' || c == '\n') {
            // The other end character right after it belongs to the same end.
            char next = 0;
            char pair = c == '\r' ? '\n' : '\r';
            if (ReadNoMove(&next, 1) && next == pair)
                Seek(1, 1);
            break;
        }
        buffer[stored++] = c;
    }
    buffer[stored] = 0;
    return fAny ? 1 : FALSE_SetLastError(ERROR_READ_FAULT);
}

int FILEMAP::WriteLine(const char* text)
{
    if (!text)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    return Write(text, static_cast<unsigned>(std::strlen(text))) && Write("\r\n", 2);
}
