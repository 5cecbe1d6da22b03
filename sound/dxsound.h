// Sound effects: one SOUND per sound file, loaded once and played on demand,
// some looped; and the table of the game's own sounds.
//
// Until the audio device is connected the sound system has no device: every
// WAVE load fails with error 21 and the game is silent. Tests install a
// recording device (sound_control), which keeps loaded buffers and records
// every play, stop and pan, so that the rules can be checked for the sounds
// they trigger.
#pragma once

#include "platform/base/types.h"

#include <string>
#include <vector>

constexpr DWORD kSoundErrorNoMidi = 11;
constexpr DWORD kSoundErrorNoDevice = 21;
constexpr DWORD kSoundErrorBadFile = 1155;

struct SOUNDBUFFER;

class SOUND {
public:
    SOUND();
    explicit SOUND(const char* szPath);
    ~SOUND();
    SOUND(const SOUND&) = delete;
    SOUND& operator=(const SOUND&) = delete;

    bool Load(const char* szPath);
    void Play(bool fLoop = false);
    void Stop();
    void SetPan(LONG pan);
    bool IsPlaying();
    void Unload();

    // Loaded and able to sound.
    bool fLoaded() const { return pBuffer != nullptr; }
    const char* File() const { return szFile; }

    bool bMidi = false;
    bool bPlaying = false;
    bool bLoop = false;
    LONG lPan = 0;
    char szFile[261] = {};
    SOUNDBUFFER* pBuffer = nullptr;
};

// The sound system.
bool SoundInit(HWND hwnd);
void SoundShutdown();
// Last error of the sound layer: 0, a system error, 11, 21 or 1155.
DWORD SoundLastError();

// The game's sounds, in their loading order.
enum SOUNDID : int {
    sndRoll,
    sndRocks,
    sndScream,
    sndGrow,
    sndWalk,
    sndFly,
    sndLand,
    sndPlace,
    sndHitNone,
    sndHitCube,
    sndHitBonus,
    sndHitSteel,
    // spoken, one per language
    sndGameOver,
    sndHitBad,
    sndFell,
    sndWonLevel1,
    sndWonLevel2,
    sndWonLevel3,
    sndCount
};
constexpr int kFirstLanguageSound = sndGameOver;

// The file name of a game sound ("%s" replaced by "eng" or "esp").
std::string GameSoundFile(int id, bool fEsperanto);
// Loads every game sound from the folder (with a trailing separator or
// empty).
void LoadGameSounds(const char* szFolder, bool fEsperanto);
// Frees the six spoken sounds and loads them for the language.
void ReloadLanguageSounds(const char* szFolder, bool fEsperanto);
void FreeGameSounds();
// The loaded game sound, or null before LoadGameSounds.
SOUND* GameSound(int id);

namespace sound_control {
enum OP { opPlay, opStop, opPan };
struct CALL {
    OP op;
    std::string file;  // the file's name without its folder
    bool fLoop;        // opPlay
    LONG lPan;         // opPan
};
// Installs a device that keeps buffers without making sound and records the
// calls made on them.
void UseRecordingDevice();
// Back to no device.
void UseNoDevice();
const std::vector<CALL>& Calls();
void ClearCalls();
// The files played (opPlay) since the last clear, in order.
std::vector<std::string> Played();
}  // namespace sound_control
