// A small reader of RIFF files, the container of WAVE sounds: buffered
// reading, seeking, and chunks entered ("descend") and left ("ascend") the
// way the multimedia file services do it. Failures set the last error.
#pragma once

#include "platform/base/types.h"

#include <cstdio>
#include <string>

using FOURCC = DWORD;

constexpr FOURCC MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr FOURCC kFourCCRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr FOURCC kFourCCWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr FOURCC kFourCCFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr FOURCC kFourCCData = MakeFourCC('d', 'a', 't', 'a');

// One chunk: its identifier, the size of its data, the form type of a RIFF
// chunk, and where its data starts in the file.
struct RIFFCHUNK {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
};

// Descend flags: search for a chunk of this identifier, or for a RIFF chunk
// of this form type.
constexpr UINT RIFF_FINDCHUNK = 0x0010;
constexpr UINT RIFF_FINDRIFF = 0x0020;

// The read buffer as the caller may use it directly: bytes from pchNext up
// to pchEndRead are read and not yet taken.
struct RIFFIOINFO {
    BYTE* pchNext;
    BYTE* pchEndRead;
};

class RIFFFILE {
public:
    RIFFFILE() = default;
    ~RIFFFILE() { Close(); }
    RIFFFILE(const RIFFFILE&) = delete;
    RIFFFILE& operator=(const RIFFFILE&) = delete;

    // Opens a file for buffered reading; the name's letter case is matched
    // loosely, as for every data file.
    bool Open(const char* szPath);
    void Close();

    // Reads up to cb bytes; returns the bytes read, -1 on a read error.
    LONG Read(void* pv, LONG cb);
    // Moves to a position (SEEK_SET, SEEK_CUR); returns it, or -1.
    LONG Seek(LONG offset, int origin);
    // The size of the open file in bytes, or -1.
    long FileSize() const;

    // Reads the chunk header at the current position (inside pParent when
    // given). With a find flag it skips chunks until one matches: its
    // identifier is ck->ckid (RIFF_FINDCHUNK) or it is a RIFF chunk of form
    // ck->fccType (RIFF_FINDRIFF). Leaves the position at the chunk's data
    // (behind the form type of a RIFF chunk).
    bool Descend(RIFFCHUNK* ck, const RIFFCHUNK* pParent, UINT flags);
    // Moves behind the chunk (and its pad byte).
    bool Ascend(const RIFFCHUNK* ck);

    // The read buffer, and refilling it once it runs empty.
    void GetInfo(RIFFIOINFO* info) const;
    void SetInfo(const RIFFIOINFO* info);
    bool Advance(RIFFIOINFO* info);

private:
    bool Fill();
    std::FILE* m_pFile = nullptr;
    BYTE m_aBuffer[8192] = {};
    DWORD m_dwBufferPos = 0;  // file position of m_aBuffer[0]
    BYTE* m_pchNext = m_aBuffer;
    BYTE* m_pchEndRead = m_aBuffer;
};
