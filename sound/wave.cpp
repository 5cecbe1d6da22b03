// The WAVE path of SOUND: reading the RIFF file, converting compressed data
// to 16-bit PCM, and filling a static buffer of the sound device.
#include "platform/acm/msacm.h"
#include "platform/base/syserror.h"
#include "sound/riff.h"
#include "sound/soundsys.h"
#include "sound/wave.h"

#include <algorithm>
#include <cstring>

bool ReadWaveFile(const char* szPath, std::vector<BYTE>& format, std::vector<BYTE>& data)
{
    format.clear();
    data.clear();
    const auto fail = [&] {
        lSoundError = GetLastError();
        if (lSoundError == 0)
            lSoundError = ERROR_INVALID_DATA;
        format.clear();
        data.clear();
        return false;
    };
    SetLastError(0);
    RIFFFILE file;
    if (!file.Open(szPath))
        return fail();

    // The file is one RIFF chunk of form "WAVE".
    RIFFCHUNK riff{};
    if (!file.Descend(&riff, nullptr, 0))
        return fail();
    if (riff.ckid != kFourCCRiff || riff.fccType != kFourCCWave) {
        SetLastError(ERROR_INVALID_DATA);
        return fail();
    }

    // Its "fmt " chunk: the fixed 16 bytes of the format, then for any
    // format but PCM the size of the extra bytes and the bytes themselves.
    RIFFCHUNK fmt{};
    fmt.ckid = kFourCCFmt;
    if (!file.Descend(&fmt, &riff, RIFF_FINDCHUNK))
        return fail();
    if (fmt.cksize < 16) {
        SetLastError(ERROR_INVALID_DATA);
        return fail();
    }
    BYTE fixed[16];
    if (file.Read(fixed, 16) != 16) {
        SetLastError(ERROR_INVALID_DATA);
        return fail();
    }
    WORD tag = static_cast<WORD>(fixed[0] | (fixed[1] << 8));
    WORD cbExtra = 0;
    if (tag != WAVE_FORMAT_PCM) {
        BYTE size[2];
        if (file.Read(size, 2) != 2) {
            SetLastError(ERROR_INVALID_DATA);
            return fail();
        }
        cbExtra = static_cast<WORD>(size[0] | (size[1] << 8));
    }
    format.assign(sizeof(WAVEFORMATEX) + cbExtra, 0);
    std::memcpy(format.data(), fixed, 16);
    std::memcpy(format.data() + 16, &cbExtra, 2);
    if (cbExtra > 0 && file.Read(format.data() + sizeof(WAVEFORMATEX), cbExtra) != cbExtra) {
        SetLastError(ERROR_INVALID_DATA);
        return fail();
    }
    if (!file.Ascend(&fmt))
        return fail();

    // The "data" chunk, searched from just behind the form type.
    if (file.Seek(static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET) < 0)
        return fail();
    RIFFCHUNK chunk{};
    chunk.ckid = kFourCCData;
    if (!file.Descend(&chunk, &riff, RIFF_FINDCHUNK))
        return fail();
    // A chunk that claims more than the file holds is refused before its
    // room is made.
    const long fileSize = file.FileSize();
    if (fileSize < 0 || chunk.cksize > static_cast<unsigned long>(fileSize) - std::min<unsigned long>(chunk.dwDataOffset, fileSize)) {
        SetLastError(ERROR_INVALID_DATA);
        return fail();
    }
    data.resize(chunk.cksize);
    RIFFIOINFO io{};
    file.GetInfo(&io);
    for (DWORD i = 0; i < chunk.cksize; ++i) {
        if (io.pchNext == io.pchEndRead) {
            if (!file.Advance(&io))
                return fail();
            if (io.pchNext == io.pchEndRead) {
                SetLastError(ERROR_INVALID_DATA); // the file ends inside the chunk
                return fail();
            }
        }
        data[i] = *io.pchNext++;
    }
    file.SetInfo(&io);
    return true;
}

bool ConvertToPcm(const std::vector<BYTE>& format, const std::vector<BYTE>& source, std::vector<BYTE>& pcm)
{
    pcm.clear();
    WAVEFORMATEX src{};
    std::memcpy(&src, format.data(), sizeof src);
    WAVEFORMATEX dst{};
    dst.wFormatTag = WAVE_FORMAT_PCM;
    dst.nChannels = src.nChannels;
    dst.nSamplesPerSec = src.nSamplesPerSec;
    dst.wBitsPerSample = 16;
    dst.nBlockAlign = static_cast<WORD>(src.nChannels * 2);
    dst.nAvgBytesPerSec = src.nChannels * 2u * src.nSamplesPerSec;
    dst.cbSize = 0;

    HACMSTREAM stream = nullptr;
    MMRESULT mr = acmStreamOpen(&stream, nullptr, reinterpret_cast<LPWAVEFORMATEX>(const_cast<BYTE*>(format.data())),
                                &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (mr != MMSYSERR_NOERROR) {
        lSoundError = mr;
        return false;
    }
    DWORD cbTarget = 0;
    mr = acmStreamSize(stream, static_cast<DWORD>(source.size()), &cbTarget, ACM_STREAMSIZEF_SOURCE);
    if (mr == MMSYSERR_NOERROR) {
        pcm.resize(cbTarget);
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = const_cast<BYTE*>(source.data());
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.pbDst = pcm.data();
        header.cbDstLength = cbTarget;
        mr = acmStreamPrepareHeader(stream, &header, 0);
        if (mr == MMSYSERR_NOERROR) {
            mr = acmStreamConvert(stream, &header, 0);
            const MMRESULT unprepared = acmStreamUnprepareHeader(stream, &header, 0);
            if (mr == MMSYSERR_NOERROR)
                mr = unprepared;
            // The size asked for is an upper bound: keep what was made.
            if (mr == MMSYSERR_NOERROR)
                pcm.resize(header.cbDstLengthUsed);
        }
    }
    acmStreamClose(stream, 0);
    if (mr != MMSYSERR_NOERROR || pcm.empty()) {
        lSoundError = mr != MMSYSERR_NOERROR ? mr : ACMERR_NOTPOSSIBLE;
        pcm.clear();
        return false;
    }
    return true;
}

bool SOUND::LoadWave()
{
    if (!g_snd.pDirectSound) {
        lSoundError = kSoundErrorNoDevice;
        return false;
    }
    std::vector<BYTE> format, data;
    if (!ReadWaveFile(szFile, format, data))
        return false;
    WAVEFORMATEX wf{};
    std::memcpy(&wf, format.data(), sizeof wf);
    if (wf.wFormatTag != WAVE_FORMAT_PCM) {
        std::vector<BYTE> pcm;
        if (!ConvertToPcm(format, data, pcm))
            return false;
        data.swap(pcm);
        wf.wFormatTag = WAVE_FORMAT_PCM;
        wf.wBitsPerSample = 16;
        wf.nBlockAlign = static_cast<WORD>(wf.nChannels * 2);
        wf.nAvgBytesPerSec = wf.nChannels * 2u * wf.nSamplesPerSec;
        wf.cbSize = 0;
    } else {
        wf.cbSize = 0;
    }

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = static_cast<DWORD>(data.size());
    desc.lpwfxFormat = &wf;
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    HRESULT hr = GuardedCall([&] { return g_snd.pDirectSound->CreateSoundBuffer(&desc, &buffer, nullptr); });
    if (FAILED(hr) || !buffer) {
        lSoundError = static_cast<DWORD>(hr);
        return false;
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    hr = GuardedCall([&] { return buffer->Lock(0, desc.dwBufferBytes, &part1, &bytes1, &part2, &bytes2, 0); });
    if (FAILED(hr)) {
        lSoundError = static_cast<DWORD>(hr);
        buffer->Release();
        return false;
    }
    std::memcpy(part1, data.data(), std::min<std::size_t>(bytes1, data.size()));
    GuardedCall([&] { return buffer->Unlock(part1, bytes1, part2, bytes2); });
    pBuffer = buffer;
    return true;
}
