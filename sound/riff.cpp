#include "sound/riff.h"

#include "platform/base/syserror.h"
#include "platform/files/files.h"

#include <cerrno>
#include <cstring>

namespace {

DWORD LE32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

} // namespace

bool RIFFFILE::Open(const char* szPath)
{
    Close();
    const std::string path = files::FindPath("", szPath ? szPath : "");
    if (path.empty())
        return false; // the last error says which part is missing
    m_pFile = std::fopen(path.c_str(), "rb");
    if (!m_pFile) {
        SetLastError(files::ErrorFromErrno(errno));
        return false;
    }
    m_dwBufferPos = 0;
    m_pchNext = m_pchEndRead = m_aBuffer;
    return true;
}

long RIFFFILE::FileSize() const
{
    if (!m_pFile)
        return -1;
    const long at = std::ftell(m_pFile);
    if (at < 0 || std::fseek(m_pFile, 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(m_pFile);
    return std::fseek(m_pFile, at, SEEK_SET) == 0 ? size : -1;
}

void RIFFFILE::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
}

bool RIFFFILE::Fill()
{
    m_dwBufferPos += static_cast<DWORD>(m_pchEndRead - m_aBuffer);
    const std::size_t n = std::fread(m_aBuffer, 1, sizeof m_aBuffer, m_pFile);
    m_pchNext = m_aBuffer;
    m_pchEndRead = m_aBuffer + n;
    if (n == 0 && std::ferror(m_pFile)) {
        SetLastError(ERROR_READ_FAULT);
        return false;
    }
    return true;
}

LONG RIFFFILE::Read(void* pv, LONG cb)
{
    if (!m_pFile || cb < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    auto* out = static_cast<BYTE*>(pv);
    LONG done = 0;
    while (done < cb) {
        if (m_pchNext == m_pchEndRead) {
            if (!Fill())
                return -1;
            if (m_pchNext == m_pchEndRead)
                break; // end of the file
        }
        const LONG n = std::min<LONG>(cb - done, static_cast<LONG>(m_pchEndRead - m_pchNext));
        std::memcpy(out + done, m_pchNext, static_cast<std::size_t>(n));
        m_pchNext += n;
        done += n;
    }
    return done;
}

LONG RIFFFILE::Seek(LONG offset, int origin)
{
    if (!m_pFile) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    const long long here = m_dwBufferPos + (m_pchNext - m_aBuffer);
    const long long target = origin == SEEK_CUR ? here + offset : offset;
    if (origin != SEEK_SET && origin != SEEK_CUR) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (target < 0 || target > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    // Inside the buffer: just move the cursor.
    if (target >= m_dwBufferPos && target <= m_dwBufferPos + (m_pchEndRead - m_aBuffer)) {
        m_pchNext = m_aBuffer + (target - m_dwBufferPos);
        return static_cast<LONG>(target);
    }
    if (std::fseek(m_pFile, static_cast<long>(target), SEEK_SET) != 0) {
        SetLastError(ERROR_READ_FAULT);
        return -1;
    }
    m_dwBufferPos = static_cast<DWORD>(target);
    m_pchNext = m_pchEndRead = m_aBuffer;
    return static_cast<LONG>(target);
}

bool RIFFFILE::Descend(RIFFCHUNK* ck, const RIFFCHUNK* pParent, UINT flags)
{
    const FOURCC wantId = ck->ckid, wantType = ck->fccType;
    const long long end = pParent ? static_cast<long long>(pParent->dwDataOffset) + pParent->cksize : -1;
    for (;;) {
        const LONG at = Seek(0, SEEK_CUR);
        if (at < 0)
            return false;
        if (end >= 0 && at + 8 > end) {
            SetLastError(ERROR_INVALID_DATA); // no such chunk inside the parent
            return false;
        }
        BYTE header[8];
        if (Read(header, 8) != 8) {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        ck->ckid = LE32(header);
        ck->cksize = LE32(header + 4);
        ck->fccType = 0;
        ck->dwDataOffset = static_cast<DWORD>(at + 8);
        if (ck->ckid == kFourCCRiff) {
            BYTE type[4];
            if (Read(type, 4) != 4) {
                SetLastError(ERROR_INVALID_DATA);
                return false;
            }
            ck->fccType = LE32(type);
        }
        const bool match = (flags & RIFF_FINDRIFF)   ? ck->ckid == kFourCCRiff && ck->fccType == wantType
                           : (flags & RIFF_FINDCHUNK) ? ck->ckid == wantId
                                                      : true;
        if (match)
            return true;
        if (!Ascend(ck))
            return false;
    }
}

bool RIFFFILE::Ascend(const RIFFCHUNK* ck)
{
    const long long behind = static_cast<long long>(ck->dwDataOffset) + ck->cksize + (ck->cksize & 1);
    if (behind > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return Seek(static_cast<LONG>(behind), SEEK_SET) >= 0;
}

void RIFFFILE::GetInfo(RIFFIOINFO* info) const
{
    info->pchNext = m_pchNext;
    info->pchEndRead = m_pchEndRead;
}

void RIFFFILE::SetInfo(const RIFFIOINFO* info)
{
    if (info->pchNext >= m_aBuffer && info->pchNext <= m_pchEndRead)
        m_pchNext = info->pchNext;
}

bool RIFFFILE::Advance(RIFFIOINFO* info)
{
    SetInfo(info);
    if (m_pchNext != m_pchEndRead) {
        GetInfo(info);
        return true;
    }
    const bool ok = m_pFile && Fill();
    GetInfo(info);
    return ok;
}
