#include "sound/dxsound.h"

#include "platform/clock/clock.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

// A loaded WAVE: its 16-bit PCM data and format, and the play state that the
// device keeps for it.
struct SOUNDBUFFER {
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    std::vector<BYTE> data;
    bool fPlaying = false;
    bool fLooping = false;
    DWORD dwStarted = 0;
    LONG lPan = 0;  // hundredths of a decibel
};

namespace {

enum class Device { none, recording };
Device g_device = Device::none;
bool g_fInitialised = false;
DWORD g_lSoundError = 0;
std::vector<sound_control::CALL> g_calls;

std::string BaseName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

void Record(sound_control::OP op, const SOUND& s, bool fLoop, LONG pan)
{
    g_calls.push_back({op, BaseName(s.szFile), fLoop, pan});
}

DWORD ReadLE32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD ReadLE16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads a RIFF WAVE file: its format (the fixed 16 bytes) and its data
// chunk. Only PCM is taken; the conversion of compressed formats belongs to
// the audio device's layer.
bool ReadWave(const char* path, SOUNDBUFFER* pb)
{
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
    if (!f) {
        g_lSoundError = 2;  // file not found
        return false;
    }
    BYTE riff[12];
    if (std::fread(riff, 1, 12, f.get()) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        g_lSoundError = 13;  // invalid data
        return false;
    }
    bool fFormat = false, fData = false;
    WORD tag = 0, bits = 0;
    BYTE header[8];
    while (!(fFormat && fData) && std::fread(header, 1, 8, f.get()) == 8) {
        const DWORD size = ReadLE32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (size < 16) {
                g_lSoundError = 13;
                return false;
            }
            BYTE fmt[16];
            if (std::fread(fmt, 1, 16, f.get()) != 16)
                break;
            tag = ReadLE16(fmt);
            pb->nChannels = ReadLE16(fmt + 2);
            pb->nSamplesPerSec = ReadLE32(fmt + 4);
            pb->nAvgBytesPerSec = ReadLE32(fmt + 8);
            bits = ReadLE16(fmt + 14);
            fFormat = true;
            if (std::fseek(f.get(), static_cast<long>(size - 16 + (size & 1)), SEEK_CUR) != 0)
                break;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (size > (64u << 20))
                break;
            pb->data.resize(size);
            if (std::fread(pb->data.data(), 1, size, f.get()) != size)
                break;
            fData = true;
        } else if (std::fseek(f.get(), static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) {
            break;
        }
    }
    if (!fFormat || !fData || tag != 1 || (bits != 8 && bits != 16) || pb->nAvgBytesPerSec == 0) {
        g_lSoundError = 13;
        return false;
    }
    return true;
}

std::array<std::unique_ptr<SOUND>, sndCount> g_sounds;

const char* const kGameSoundFiles[sndCount] = {
    "roll.wav",        "rocks.wav",       "scream.wav",      "grow.wav",        "walk.wav",
    "fly.wav",         "land.wav",        "place.wav",       "hitnone.wav",     "hitcube.wav",
    "hitbonus.wav",    "hitsteel.wav",    "gameover_%s.wav", "hitbad_%s.wav",   "fell_%s.wav",
    "wonlevel1_%s.wav", "wonlevel2_%s.wav", "wonlevel3_%s.wav",
};

void LoadRange(const char* szFolder, bool fEsperanto, int first, int last)
{
    for (int id = first; id < last; ++id) {
        const std::string path = std::string(szFolder ? szFolder : "") + GameSoundFile(id, fEsperanto);
        g_sounds[id] = std::make_unique<SOUND>(path.c_str());
    }
}

}  // namespace

SOUND::SOUND() = default;

SOUND::SOUND(const char* szPath) { Load(szPath); }

SOUND::~SOUND() { Unload(); }

bool SOUND::Load(const char* szPath)
{
    g_lSoundError = 0;
    Unload();
    std::snprintf(szFile, sizeof szFile, "%s", szPath ? szPath : "");
    if (g_device == Device::none) {
        g_lSoundError = kSoundErrorNoDevice;
    } else {
        auto buffer = std::make_unique<SOUNDBUFFER>();
        if (ReadWave(szFile, buffer.get())) {
            pBuffer = buffer.release();
            return true;
        }
    }
    // The music path (MIDI) is not part of the effects; the file is neither
    // a playable WAVE here.
    g_lSoundError = kSoundErrorBadFile;
    return false;
}

void SOUND::Play(bool fLoop)
{
    bLoop = fLoop;
    if (!pBuffer)
        return;
    if (!fLoop) {
        pBuffer->fPlaying = false;
        pBuffer->dwStarted = GetTickCount();
    }
    if (!pBuffer->fPlaying) {
        pBuffer->dwStarted = GetTickCount();
        pBuffer->fPlaying = true;
    }
    pBuffer->fLooping = fLoop;
    bPlaying = true;
    Record(sound_control::opPlay, *this, fLoop, 0);
}

void SOUND::Stop()
{
    if (pBuffer) {
        pBuffer->fPlaying = false;
        Record(sound_control::opStop, *this, false, 0);
    }
    bPlaying = false;
}

void SOUND::SetPan(LONG pan)
{
    lPan = pan;
    if (pBuffer) {
        pBuffer->lPan = pan * 100;
        Record(sound_control::opPan, *this, false, pan);
    }
}

bool SOUND::IsPlaying()
{
    if (!bMidi && pBuffer && bPlaying) {
        bool fPlaying = pBuffer->fPlaying;
        if (fPlaying && !pBuffer->fLooping) {
            // A one-shot buffer sounds for its length.
            const unsigned long long ms =
                static_cast<unsigned long long>(pBuffer->data.size()) * 1000ull / pBuffer->nAvgBytesPerSec;
            if (GetTickCount() - pBuffer->dwStarted >= ms)
                fPlaying = pBuffer->fPlaying = false;
        }
        if (!fPlaying)
            bPlaying = false;
    }
    return bPlaying;
}

void SOUND::Unload()
{
    if (pBuffer)
        pBuffer->fPlaying = false;
    bPlaying = false;
    delete pBuffer;
    pBuffer = nullptr;
    bMidi = false;
    lPan = 0;
}

bool SoundInit(HWND)
{
    g_fInitialised = true;
    return g_device != Device::none;
}

void SoundShutdown() { g_fInitialised = false; }

DWORD SoundLastError() { return g_lSoundError; }

std::string GameSoundFile(int id, bool fEsperanto)
{
    if (id < 0 || id >= sndCount)
        return {};
    char name[64];
    std::snprintf(name, sizeof name, kGameSoundFiles[id], fEsperanto ? "esp" : "eng");
    return name;
}

void LoadGameSounds(const char* szFolder, bool fEsperanto) { LoadRange(szFolder, fEsperanto, 0, sndCount); }

void ReloadLanguageSounds(const char* szFolder, bool fEsperanto)
{
    for (int id = kFirstLanguageSound; id < sndCount; ++id)
        g_sounds[id].reset();
    LoadRange(szFolder, fEsperanto, kFirstLanguageSound, sndCount);
}

void FreeGameSounds()
{
    for (auto& s : g_sounds) {
        if (s)
            s->Stop();
        s.reset();
    }
}

SOUND* GameSound(int id) { return id >= 0 && id < sndCount ? g_sounds[id].get() : nullptr; }

namespace sound_control {
void UseRecordingDevice() { g_device = Device::recording; }
void UseNoDevice() { g_device = Device::none; }
const std::vector<CALL>& Calls() { return g_calls; }
void ClearCalls() { g_calls.clear(); }
std::vector<std::string> Played()
{
    std::vector<std::string> out;
    for (const CALL& c : g_calls)
        if (c.op == opPlay)
            out.push_back(c.file);
    return out;
}
}  // namespace sound_control
