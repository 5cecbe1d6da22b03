// The SOUND object, the sound system and the table of the game's sounds.
#include "sound/dxsound.h"

#include "levelfile/datafile.h"
#include "sound/soundsys.h"
#include "support/textres.h"

#include <array>
#include <cstdio>
#include <memory>

SOUNDSYSTEM g_snd;
std::atomic<DWORD> lSoundError = 0;

// ---- SOUND ------------------------------------------------------------------

SOUND::SOUND() = default;

SOUND::SOUND(const char* szPath)
{
    Load(szPath);
}

SOUND::~SOUND()
{
    Unload();
}

bool SOUND::Load(const char* szPath)
{
    lSoundError = 0;
    Unload();
    std::snprintf(szFile, sizeof szFile, "%s", szPath ? szPath : "");
    if (LoadWave() || LoadMidi())
        return true;
    lSoundError = kSoundErrorBadFile;
    return false;
}

void SOUND::Play(bool fLoop)
{
    bLoop = fLoop;
    if (bMidi) {
        PlayMidi();
        return;
    }
    if (!pBuffer)
        return;
    RecordSoundCall(sound_control::opPlay, *this, fLoop, 0);
    if (!fLoop) {
        // A one-shot sound starts again from its beginning.
        GuardedCall([&] { return pBuffer->Stop(); });
        GuardedCall([&] { return pBuffer->SetCurrentPosition(0); });
    }
    if (SUCCEEDED(GuardedCall([&] { return pBuffer->Play(0, 0, fLoop ? DSBPLAY_LOOPING : 0); })))
        bPlaying = true;
}

void SOUND::Stop()
{
    if (bMidi) {
        StopMidi();
        return;
    }
    if (pBuffer) {
        RecordSoundCall(sound_control::opStop, *this, false, 0);
        GuardedCall([&] { return pBuffer->Stop(); });
        GuardedCall([&] { return pBuffer->SetCurrentPosition(0); });
    }
    bPlaying = false;
}

void SOUND::SetPan(LONG pan)
{
    lPan = pan;
    if (pBuffer) {
        RecordSoundCall(sound_control::opPan, *this, false, pan);
        GuardedCall([&] { return pBuffer->SetPan(pan * 100); });
    }
}

bool SOUND::IsPlaying()
{
    if (!bMidi && pBuffer && bPlaying) {
        DWORD status = 0;
        if (FAILED(GuardedCall([&] { return pBuffer->GetStatus(&status); })) || !(status & DSBSTATUS_PLAYING))
            bPlaying = false;
    }
    return bPlaying;
}

void SOUND::Unload()
{
    if (pBuffer) {
        GuardedCall([&] { return pBuffer->Stop(); });
        pBuffer->Release();
    }
    pBuffer = nullptr;
    UnloadMidi();
    bMidi = false;
    bPlaying = false;
    lPan = 0;
}

// ---- The sound system -------------------------------------------------------

bool SoundInit(HWND hwnd)
{
    if (g_snd.pDirectSound)
        return true;
    g_snd.hwnd = hwnd;
    LPDIRECTSOUND ds = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &ds, nullptr)) || !ds)
        return false;
    if (FAILED(GuardedCall([&] { return ds->SetCooperativeLevel(hwnd, DSSCL_NORMAL); }))) {
        ds->Release();
        return false;
    }
    g_snd.pDirectSound = ds;
    g_snd.fRecording = false;
    return true;
}

void SoundShutdown()
{
    CloseMusicStream();
    if (g_snd.pDirectSound)
        g_snd.pDirectSound->Release();
    g_snd.pDirectSound = nullptr;
    g_snd.fRecording = false;
}

DWORD SoundLastError()
{
    return lSoundError;
}

// ---- The game's sounds ------------------------------------------------------

namespace {

const char* const kGameSoundFiles[sndCount] = {
    "roll.wav",        "rocks.wav",       "scream.wav",       "grow.wav",         "walk.wav",
    "fly.wav",         "land.wav",        "place.wav",        "hitnone.wav",      "hitcube.wav",
    "hitbonus.wav",    "hitsteel.wav",    "slide.wav",        "gameover_%s.wav",  "hitbad_%s.wav",
    "fell_%s.wav",     "wonlevel1_%s.wav", "wonlevel2_%s.wav", "wonlevel3_%s.wav",
};

std::array<std::unique_ptr<SOUND>, sndCount> g_sounds;
std::unique_ptr<SOUND> g_music;

// A sound file's full path: in the given folder, or found by the data-file
// locator.
std::string SoundPath(const char* szFolder, const std::string& name)
{
    return szFolder ? std::string(szFolder) + name : DataFilePath(name.c_str());
}

void LoadRange(const char* szFolder, bool fEsperanto, int first, int last)
{
    for (int id = first; id < last; ++id)
        g_sounds[id] = std::make_unique<SOUND>(SoundPath(szFolder, GameSoundFile(id, fEsperanto)).c_str());
}

} // namespace

std::string GameSoundFile(int id, bool fEsperanto)
{
    if (id < 0 || id >= sndCount)
        return {};
    char name[64];
    std::snprintf(name, sizeof name, kGameSoundFiles[id], fEsperanto ? "esp" : "eng");
    return name;
}

bool SoundLanguageIsEsperanto()
{
    return (GetLanguage() & 0x3FF) == 0;
}

void LoadGameSounds(const char* szFolder, bool fEsperanto)
{
    LoadRange(szFolder, fEsperanto, 0, sndCount);
}

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

SOUND* GameSound(int id)
{
    return id >= 0 && id < sndCount ? g_sounds[id].get() : nullptr;
}

SOUND* GameMusic()
{
    return g_music.get();
}

void StartGameSounds(HWND hwnd, bool fMusic)
{
    SoundInit(hwnd);
    g_music = std::make_unique<SOUND>(DataFilePath(kszMusicFile).c_str());
    LoadGameSounds(nullptr, SoundLanguageIsEsperanto());
    if (fMusic)
        g_music->Play(true);
}

void ChangeSoundLanguage()
{
    ReloadLanguageSounds(nullptr, SoundLanguageIsEsperanto());
}

void SetGameMusic(bool fMusic)
{
    if (!g_music)
        return;
    if (fMusic)
        g_music->Play(true);
    else
        g_music->Stop();
}

void EndGameSounds()
{
    if (g_music)
        g_music->Stop();
    FreeGameSounds();
    g_music.reset();
    SoundShutdown();
}
