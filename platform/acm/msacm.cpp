// Conversion through the codec library: the source data is wrapped in a WAVE
// file image in memory (its own format record and a data chunk) and decoded
// from there to 16-bit samples.
#include "platform/acm/msacm.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <vector>

struct HACMSTREAM__ {
    std::vector<BYTE> source; // the source format record with its extra bytes
    WAVEFORMATEX target{};
};

namespace {

struct Registry {
    std::mutex mutex;
    std::set<HACMSTREAM> open;
};

Registry& Streams()
{
    static auto* registry = new Registry;
    return *registry;
}

bool IsOpen(HACMSTREAM s)
{
    auto& r = Streams();
    std::lock_guard lock(r.mutex);
    return s != nullptr && r.open.count(s) != 0;
}

const WAVEFORMATEX& SourceOf(HACMSTREAM s)
{
    return *reinterpret_cast<const WAVEFORMATEX*>(s->source.data());
}

WORD ExtraWord(const WAVEFORMATEX& f, int index)
{
    if (f.cbSize < 2 * (index + 1)) {
        return 0;
    }
    const BYTE* extra = WaveFormatExtra(&f);
    return static_cast<WORD>(extra[2 * index] | (extra[2 * index + 1] << 8));
}

// Frames that one block of the source format holds; 0 when the format is
// not one this layer decodes or the record is inconsistent.
DWORD FramesPerBlock(const WAVEFORMATEX& f)
{
    const DWORD ch = f.nChannels, align = f.nBlockAlign;
    switch (f.wFormatTag) {
    case WAVE_FORMAT_PCM:
        return (f.wBitsPerSample % 8 == 0 && f.wBitsPerSample >= 8 && f.wBitsPerSample <= 32 &&
                align == ch * f.wBitsPerSample / 8)
                   ? 1
                   : 0;
    case WAVE_FORMAT_IEEE_FLOAT:
        return (f.wBitsPerSample == 32 || f.wBitsPerSample == 64) && align == ch * f.wBitsPerSample / 8 ? 1 : 0;
    case WAVE_FORMAT_ALAW:
    case WAVE_FORMAT_MULAW: return f.wBitsPerSample == 8 && align == ch ? 1 : 0;
    case WAVE_FORMAT_IMA_ADPCM: {
        if (f.wBitsPerSample != 4 || align <= 4 * ch || (align - 4 * ch) % (4 * ch) != 0) {
            return 0;
        }
        const DWORD computed = (align - 4 * ch) * 8 / (4 * ch) + 1;
        const DWORD given = ExtraWord(f, 0);
        return given != 0 && given <= computed ? given : computed;
    }
    case WAVE_FORMAT_ADPCM: {
        if (f.wBitsPerSample != 4 || align <= 7 * ch) {
            return 0;
        }
        const DWORD computed = (align - 7 * ch) * 8 / (4 * ch) + 2;
        const DWORD given = ExtraWord(f, 0);
        return given != 0 && given <= computed ? given : computed;
    }
    case WAVE_FORMAT_GSM610: return ch == 1 && align == 65 ? 320 : 0;
    default: return 0;
    }
}

bool SourceUnderstood(const WAVEFORMATEX& f)
{
    return f.nChannels >= 1 && f.nChannels <= 2 && f.nSamplesPerSec > 0 && f.nBlockAlign > 0 && FramesPerBlock(f) != 0;
}

bool TargetFits(const WAVEFORMATEX& source, const WAVEFORMATEX& target)
{
    return target.wFormatTag == WAVE_FORMAT_PCM && target.wBitsPerSample == 16 &&
           target.nChannels == source.nChannels && target.nSamplesPerSec == source.nSamplesPerSec &&
           target.nBlockAlign == 2 * target.nChannels;
}

// A WAVE file image held in memory, read by the codec library.
struct MemoryFile {
    std::vector<BYTE> bytes;
    sf_count_t at = 0;
};

void Put32(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<BYTE>(v >> (8 * i));
    }
}

sf_count_t FileLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}
sf_count_t FileSeek(sf_count_t offset, int whence, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(f->bytes.size());
    sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f->at + offset : size + offset;
    f->at = std::clamp<sf_count_t>(to, 0, size);
    return f->at;
}
sf_count_t FileRead(void* out, sf_count_t count, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(static_cast<sf_count_t>(f->bytes.size()) - f->at, 0, count);
    std::memcpy(out, f->bytes.data() + f->at, static_cast<std::size_t>(n));
    f->at += n;
    return n;
}
sf_count_t FileWrite(const void*, sf_count_t, void*)
{
    return 0;
}
sf_count_t FileTell(void* user)
{
    return static_cast<MemoryFile*>(user)->at;
}

// Decodes source bytes into at most capacity frames of 16-bit samples;
// returns the frames written, or -1 when the codec library rejects the data.
sf_count_t Decode(HACMSTREAM s, const BYTE* data, DWORD bytes, BYTE* out, sf_count_t capacity)
{
    const WAVEFORMATEX& f = SourceOf(s);
    const DWORD formatBytes = f.wFormatTag == WAVE_FORMAT_PCM ? 16 : static_cast<DWORD>(s->source.size());
    // RIFF header, "fmt " chunk, "data" chunk (padded to an even size).
    MemoryFile file;
    file.bytes.assign(12 + 8 + formatBytes + 8 + bytes + (bytes & 1), 0);
    BYTE* p = file.bytes.data();
    std::memcpy(p, "RIFF", 4);
    Put32(p + 4, static_cast<DWORD>(file.bytes.size() - 8));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    Put32(p + 16, formatBytes);
    std::memcpy(p + 20, s->source.data(), formatBytes);
    p += 20 + formatBytes;
    std::memcpy(p, "data", 4);
    Put32(p + 4, bytes);
    std::memcpy(p + 8, data, bytes);

    SF_VIRTUAL_IO io{FileLength, FileSeek, FileRead, FileWrite, FileTell};
    SF_INFO info{};
    SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (sf == nullptr) {
        return -1;
    }
    sf_count_t got = -1;
    if (info.channels == f.nChannels && info.samplerate == static_cast<int>(f.nSamplesPerSec)) {
        // Decoded into samples of its own, as the target memory need not be
        // aligned for 16-bit access.
        std::vector<SHORT> samples(static_cast<std::size_t>(capacity) * f.nChannels);
        got = capacity > 0 ? sf_readf_short(sf, samples.data(), capacity) : 0;
        if (got > 0) {
            std::memcpy(out, samples.data(), static_cast<std::size_t>(got) * f.nChannels * sizeof(SHORT));
        }
    }
    sf_close(sf);
    return got;
}

} // namespace

MMRESULT acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX target,
                       void* filter, DWORD_PTR callback, DWORD_PTR, DWORD flags)
{
    const bool query = (flags & ACM_STREAMOPENF_QUERY) != 0;
    if (!query && stream == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (stream != nullptr) {
        *stream = nullptr;
    }
    if (source == nullptr || target == nullptr || driver != nullptr || filter != nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if ((flags & ACM_STREAMOPENF_ASYNC) || callback != 0) {
        return MMSYSERR_INVALFLAG;
    }
    if (!SourceUnderstood(*source) || !TargetFits(*source, *target)) {
        return ACMERR_NOTPOSSIBLE;
    }
    if (query) {
        return MMSYSERR_NOERROR;
    }
    auto* s = new (std::nothrow) HACMSTREAM__;
    if (s == nullptr) {
        return MMSYSERR_NOMEM;
    }
    const std::size_t extra = source->wFormatTag == WAVE_FORMAT_PCM ? 0 : source->cbSize;
    const auto* first = reinterpret_cast<const BYTE*>(source);
    s->source.assign(first, first + sizeof(WAVEFORMATEX) + extra);
    s->target = *target;
    {
        auto& r = Streams();
        std::lock_guard lock(r.mutex);
        r.open.insert(s);
    }
    *stream = s;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags)
{
    if (flags != 0) {
        return MMSYSERR_INVALFLAG;
    }
    auto& r = Streams();
    {
        std::lock_guard lock(r.mutex);
        if (stream == nullptr || r.open.erase(stream) == 0) {
            return MMSYSERR_INVALHANDLE;
        }
    }
    delete stream;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (output == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    const WAVEFORMATEX& f = SourceOf(stream);
    const std::uint64_t perBlock = FramesPerBlock(f);
    const std::uint64_t targetAlign = stream->target.nBlockAlign;
    std::uint64_t result = 0;
    if (flags == ACM_STREAMSIZEF_SOURCE) {
        // A last, partial block may still decode to a whole block's frames.
        const std::uint64_t blocks = (input + f.nBlockAlign - 1) / f.nBlockAlign;
        result = blocks * perBlock * targetAlign;
    } else if (flags == ACM_STREAMSIZEF_DESTINATION) {
        const std::uint64_t frames = input / targetAlign;
        result = (frames + perBlock - 1) / perBlock * f.nBlockAlign;
    } else {
        return MMSYSERR_INVALFLAG;
    }
    if (result == 0 || result > 0xFFFFFFFFu) {
        return ACMERR_NOTPOSSIBLE;
    }
    *output = static_cast<DWORD>(result);
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (flags != 0) {
        return MMSYSERR_INVALFLAG;
    }
    if (header == nullptr || header->cbStruct < sizeof(ACMSTREAMHEADER) || header->pbSrc == nullptr ||
        header->pbDst == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    header->fdwStatus = (header->fdwStatus & ~ACMSTREAMHEADER_STATUSF_DONE) | ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (flags != 0) {
        return MMSYSERR_INVALFLAG;
    }
    if (header == nullptr || header->cbStruct < sizeof(ACMSTREAMHEADER)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) {
        return ACMERR_UNPREPARED;
    }
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (flags & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END)) {
        return MMSYSERR_INVALFLAG;
    }
    if (header == nullptr || header->cbStruct < sizeof(ACMSTREAMHEADER)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) {
        return ACMERR_UNPREPARED;
    }
    const WAVEFORMATEX& f = SourceOf(stream);
    DWORD used = header->cbSrcLength;
    if (flags & ACM_STREAMCONVERTF_BLOCKALIGN) {
        used -= used % f.nBlockAlign;
    }
    const sf_count_t capacity = header->cbDstLength / stream->target.nBlockAlign;
    sf_count_t frames = 0;
    if (used > 0) {
        frames = Decode(stream, header->pbSrc, used, header->pbDst, capacity);
        if (frames < 0) {
            header->cbSrcLengthUsed = 0;
            header->cbDstLengthUsed = 0;
            return ACMERR_NOTPOSSIBLE;
        }
    }
    header->cbSrcLengthUsed = used;
    header->cbDstLengthUsed = static_cast<DWORD>(frames) * stream->target.nBlockAlign;
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}
