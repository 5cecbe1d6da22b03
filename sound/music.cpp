// The music path of SOUND: reading and merging the tracks of a MIDI file
// into stream events, and playing them block by block through the stream.
#include "sound/music.h"

#include "platform/base/syserror.h"
#include "platform/files/files.h"
#include "sound/soundsys.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <queue>
#include <string>
#include <vector>

namespace {

constexpr DWORD kEventBytes = 12; // one short stream event: delta, stream, event

// One track while the tracks are merged.
struct TRACK {
    const BYTE* pData;
    DWORD cbLength;
    DWORD dwPos;
    DWORD dwTime;     // absolute time of its next event, in ticks
    BYTE bRunning;    // running status, 0 before the first channel message
    bool fEnded;
};

DWORD BE32(const BYTE* p)
{
    return (static_cast<DWORD>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
WORD BE16(const BYTE* p)
{
    return static_cast<WORD>((p[0] << 8) | p[1]);
}

bool ReadByte(TRACK& t, BYTE& b)
{
    if (t.dwPos >= t.cbLength)
        return false;
    b = t.pData[t.dwPos++];
    return true;
}

// A variable-length number: 7 bits a byte, most significant first, until a
// byte below 0x80 (at most four bytes).
bool ReadVarLen(TRACK& t, DWORD& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        BYTE b;
        if (!ReadByte(t, b))
            return false;
        value = (value << 7) | (b & 0x7F);
        if (b < 0x80)
            return true;
    }
    return false;
}

bool Skip(TRACK& t, DWORD cb)
{
    if (cb > t.cbLength - t.dwPos)
        return false;
    t.dwPos += cb;
    return true;
}

// Appends one event to the last block, starting a new block when the last
// one would grow past its limit.
bool AppendEvent(SOUND* s, DWORD delta, DWORD event)
{
    if (s->cBlocks == 0 || s->aBlocks[s->cBlocks - 1].cbData + kEventBytes > kMusicBlockBytes) {
        auto* blocks = static_cast<MUSICBLOCK*>(std::realloc(s->aBlocks, (s->cBlocks + 1) * sizeof(MUSICBLOCK)));
        if (!blocks)
            return false;
        s->aBlocks = blocks;
        s->aBlocks[s->cBlocks++] = MUSICBLOCK{nullptr, 0, 0};
    }
    MUSICBLOCK& b = s->aBlocks[s->cBlocks - 1];
    if (b.cbData + kEventBytes > b.cbAlloc) {
        auto* data = static_cast<BYTE*>(std::realloc(b.pData, b.cbAlloc + kMusicBlockGrowth));
        if (!data)
            return false;
        b.pData = data;
        b.cbAlloc += kMusicBlockGrowth;
    }
    const DWORD words[3] = {delta, 0, event};
    std::memcpy(b.pData + b.cbData, words, sizeof words);
    b.cbData += kEventBytes;
    return true;
}

// Reads the track's next event; fWrite and dwEvent say whether and what to
// write. False when the event cannot be read.
bool ReadEvent(TRACK& t, bool& fWrite, DWORD& dwEvent)
{
    fWrite = false;
    BYTE status;
    if (!ReadByte(t, status))
        return false;
    if (status < 0x80) {
        // A data byte: the running status again, this byte its first data.
        if (t.bRunning == 0)
            return false;
        --t.dwPos;
        status = t.bRunning;
    }
    if (status >= 0x80 && status <= 0xEF) {
        t.bRunning = status;
        BYTE d1 = 0, d2 = 0;
        if (!ReadByte(t, d1))
            return false;
        if (status < 0xC0 || status > 0xDF) {
            if (!ReadByte(t, d2))
                return false;
        }
        fWrite = true;
        dwEvent = (static_cast<DWORD>(MEVT_SHORTMSG) << 24) | status | (d1 << 8) | (d2 << 16);
        return true;
    }
    if (status == 0xF0 || status == 0xF7) {
        DWORD cb;
        return ReadVarLen(t, cb) && cb != 0 && Skip(t, cb);
    }
    if (status == 0xFF) {
        BYTE type;
        DWORD cb;
        if (!ReadByte(t, type) || !ReadVarLen(t, cb) || cb > t.cbLength - t.dwPos)
            return false;
        const BYTE* p = t.pData + t.dwPos;
        t.dwPos += cb;
        if (type == 0x2F) {
            t.fEnded = true;
        } else if (type == 0x51 && cb >= 3) {
            fWrite = true;
            dwEvent = (static_cast<DWORD>(MEVT_TEMPO) << 24) | (p[0] << 16) | (p[1] << 8) | p[2];
        }
        return true;
    }
    return false;
}

void PointHeader(SOUND* s, LONG block)
{
    const DWORD flags = s->Header.dwFlags;
    s->Header = MIDIHDR{};
    s->Header.dwFlags = flags & MHDR_PREPARED;
    s->Header.lpData = reinterpret_cast<char*>(s->aBlocks[block].pData);
    s->Header.dwBufferLength = s->Header.dwBytesRecorded = s->aBlocks[block].cbData;
}

// Called by the MIDI system on its own thread when a block has been played:
// sends the next block, or the first again when looping.
void StreamCallback(HMIDIOUT out, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR)
{
    auto* s = reinterpret_cast<SOUND*>(instance);
    if (message != MOM_DONE || !s || !s->bPlaying)
        return;
    midiOutUnprepareHeader(out, &s->Header, sizeof(MIDIHDR));
    LONG next = s->lBlock + 1;
    if (next >= s->cBlocks) {
        if (s->bLoop)
            next = 0;
        else
            s->bPlaying = false;
    }
    if (!s->bPlaying)
        return;
    s->lBlock = next;
    PointHeader(s, next);
    MMRESULT mr = midiOutPrepareHeader(out, &s->Header, sizeof(MIDIHDR));
    if (mr == MMSYSERR_NOERROR)
        mr = midiStreamOut(reinterpret_cast<HMIDISTRM>(out), &s->Header, sizeof(MIDIHDR));
    if (mr != MMSYSERR_NOERROR) {
        lSoundError = mr;
        s->bPlaying = false;
    }
}

} // namespace

bool ConvertMidiFile(const BYTE* p, std::size_t cb, SOUND* s)
{
    FreeMusicBlocks(s);
    const auto bad = [&] {
        lSoundError = kSoundErrorNoMidi;
        FreeMusicBlocks(s);
        return false;
    };
    if (cb < 14 || std::memcmp(p, "MThd", 4) != 0)
        return bad();
    const DWORD cbHeader = BE32(p + 4);
    if (cbHeader < 6 || cbHeader > cb - 8)
        return bad();
    const WORD cTracks = BE16(p + 10);
    s->TimeDiv.cbStruct = sizeof(MIDIPROPTIMEDIV);
    s->TimeDiv.dwTimeDiv = BE16(p + 12);
    std::size_t at = 8 + static_cast<std::size_t>(cbHeader);

    // Every track takes at least its 8-byte header: a count the file cannot
    // hold is refused before room is made for it.
    if (static_cast<std::size_t>(cTracks) * 8 > cb - at)
        return bad();
    std::vector<TRACK> tracks(cTracks);
    for (TRACK& t : tracks) {
        if (cb - at < 8 || std::memcmp(p + at, "MTrk", 4) != 0)
            return bad();
        const DWORD len = BE32(p + at + 4);
        at += 8;
        if (len > cb - at)
            return bad();
        t = TRACK{p + at, len, 0, 0, 0, len == 0};
        at += len;
        if (!t.fEnded && !ReadVarLen(t, t.dwTime))
            return bad();
    }

    // Merge: always the track whose next event comes first, the
    // lower-numbered one on a tie. The tracks still playing wait in a heap
    // by (time, number), so that a file of many tracks merges in
    // O(events log tracks).
    using PENDING = std::pair<DWORD, std::size_t>;
    std::priority_queue<PENDING, std::vector<PENDING>, std::greater<PENDING>> pending;
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (!tracks[i].fEnded)
            pending.emplace(tracks[i].dwTime, i);
    DWORD dwLastTime = 0;
    while (!pending.empty()) {
        TRACK* next = &tracks[pending.top().second];
        pending.pop();
        bool fWrite = false;
        DWORD event = 0;
        if (!ReadEvent(*next, fWrite, event)) {
            lSoundError = kSoundErrorNoMidi; // the song ends here
            break;
        }
        const DWORD delta = next->dwTime - dwLastTime;
        if (fWrite) {
            if (!AppendEvent(s, delta, event)) {
                lSoundError = ERROR_NOT_ENOUGH_MEMORY;
                FreeMusicBlocks(s);
                return false;
            }
            dwLastTime = next->dwTime;
        }
        // An event not written leaves its time to the next written one,
        // which is measured from the last written event.
        if (!next->fEnded) {
            DWORD d;
            if (!ReadVarLen(*next, d)) {
                lSoundError = kSoundErrorNoMidi;
                break;
            }
            next->dwTime += d;
            pending.emplace(next->dwTime, static_cast<std::size_t>(next - tracks.data()));
        }
    }
    return true;
}

void FreeMusicBlocks(SOUND* s)
{
    for (LONG i = 0; i < s->cBlocks; ++i)
        std::free(s->aBlocks[i].pData);
    std::free(s->aBlocks);
    s->aBlocks = nullptr;
    s->cBlocks = 0;
}

HMIDISTRM MusicStream()
{
    return g_snd.hStream;
}

SOUND* MusicStreamOwner()
{
    return g_snd.pStreamOwner;
}

void CloseMusicStream()
{
    SOUND* owner = g_snd.pStreamOwner;
    HMIDISTRM h = g_snd.hStream;
    if (owner)
        owner->bPlaying = false;
    if (h) {
        // A callback that saw the music still playing may queue one more
        // block after the stop; stopping again returns it.
        MMRESULT mr = MIDIERR_STILLPLAYING;
        for (int i = 0; i < 4 && mr == MIDIERR_STILLPLAYING; ++i) {
            midiStreamStop(h);
            mr = midiStreamClose(h);
        }
        if (mr != MMSYSERR_NOERROR)
            lSoundError = mr;
        if (owner) {
            midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(h), &owner->Header, sizeof(MIDIHDR));
            owner->Header = MIDIHDR{}; // no stream holds it any more
        }
    }
    g_snd.hStream = nullptr;
    g_snd.pStreamOwner = nullptr;
}

bool SOUND::LoadMidi()
{
    // Why the file is no WAVE does not matter once it is read as music.
    lSoundError = 0;
    const std::string path = files::FindPath("", szFile);
    std::string bytes;
    if (path.empty() || !files::ReadWholeFile(path, bytes, kMaxMidiFileBytes)) {
        lSoundError = GetLastError();
        return false;
    }
    if (!ConvertMidiFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), this))
        return false;
    bMidi = true;
    return true;
}

void SOUND::PlayMidi()
{
    if (bPlaying)
        return;
    // Another music, or this one played out to its end, gives up the stream:
    // a played-out stream has nothing left queued, so the song starts anew.
    if (g_snd.hStream)
        CloseMusicStream();
    if (cBlocks == 0) {
        lSoundError = kSoundErrorNoMidi;
        return;
    }
    HMIDISTRM h = nullptr;
    UINT device = MIDI_MAPPER;
    MMRESULT mr = midiStreamOpen(&h, &device, 1, reinterpret_cast<DWORD_PTR>(&StreamCallback),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (mr != MMSYSERR_NOERROR) {
        lSoundError = mr;
        return;
    }
    g_snd.hStream = h;
    g_snd.pStreamOwner = this;
    mr = midiStreamProperty(h, reinterpret_cast<BYTE*>(&TimeDiv), MIDIPROP_SET | MIDIPROP_TIMEDIV);
    if (mr == MMSYSERR_NOERROR) {
        lBlock = 0;
        PointHeader(this, 0);
        mr = midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h), &Header, sizeof(MIDIHDR));
    }
    if (mr == MMSYSERR_NOERROR)
        mr = midiStreamOut(h, &Header, sizeof(MIDIHDR));
    // Playing before the restart, so that a first block done at once is
    // followed by the next.
    if (mr == MMSYSERR_NOERROR) {
        bPlaying = true;
        mr = midiStreamRestart(h);
    }
    if (mr != MMSYSERR_NOERROR) {
        // A stream left open would refuse every later music.
        CloseMusicStream();
        lSoundError = mr;
    }
}

void SOUND::StopMidi()
{
    if (bPlaying && g_snd.pStreamOwner == this)
        CloseMusicStream();
    bPlaying = false;
}

void SOUND::UnloadMidi()
{
    if (g_snd.pStreamOwner == this)
        CloseMusicStream();
    FreeMusicBlocks(this);
    Header = MIDIHDR{};
    lBlock = 0;
    TimeDiv = MIDIPROPTIMEDIV{sizeof(MIDIPROPTIMEDIV), 0};
}
