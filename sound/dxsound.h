// Sound effects and music: one SOUND per sound file of the game. A WAVE file
// is loaded once into a static buffer of the sound device and played on
// demand, some of them looped; compressed WAVE data is converted to 16-bit
// PCM while loading. A MIDI file (the music) is converted into blocks of
// stream events and played through the MIDI stream (sound/music.h).
//
// With no sound device every WAVE load fails with error 21 and the game is
// silent; the music does not depend on it. Tests may install a recording
// device (sound_control), which keeps buffers without sound and records
// every play, stop and pan, so that the rules can be checked for the sounds
// they trigger.
#pragma once

#include "platform/base/types.h"
#include "platform/midi/midistream.h"

#include <atomic>
#include <string>
#include <vector>

// Values of the sound layer's last error besides system error codes.
constexpr DWORD kSoundErrorNoMidi = 11;   // bad MIDI data
constexpr DWORD kSoundErrorNoDevice = 21; // no sound device object
constexpr DWORD kSoundErrorBadFile = 1155; // neither a playable WAVE nor MIDI

class IDirectSoundBuffer; // platform/dsound/dsound.h

// One block of converted MIDI stream events.
struct MUSICBLOCK {
    BYTE* pData;
    DWORD cbData;  // bytes of events, at most kMusicBlockBytes
    DWORD cbAlloc; // capacity
};
constexpr DWORD kMusicBlockBytes = 60000;
constexpr DWORD kMusicBlockGrowth = 64000;

class SOUND {
public:
    SOUND();
    explicit SOUND(const char* szPath);
    ~SOUND();
    SOUND(const SOUND&) = delete;
    SOUND& operator=(const SOUND&) = delete;

    // Loads a WAVE or, failing that, a MIDI file; false (with the last
    // error) when it is neither. A SOUND that failed to load stays silent.
    bool Load(const char* szPath);
    // Plays once or looped. A one-shot WAVE restarts from its beginning; a
    // looped one that is already playing goes on where it is.
    void Play(bool fLoop = false);
    void Stop();
    // -100 (left) to 100 (right).
    void SetPan(LONG pan);
    bool IsPlaying();
    void Unload();

    // Loaded and able to sound.
    bool fLoaded() const { return pBuffer != nullptr || bMidi; }
    const char* File() const { return szFile; }

    bool bMidi = false;
    std::atomic<bool> bPlaying = false; // also cleared by the music's stream callback
    std::atomic<bool> bLoop = false;    // read by the music's stream callback
    LONG lPan = 0;
    char szFile[261] = {};
    IDirectSoundBuffer* pBuffer = nullptr;

    // Music: the converted stream, its time division, the one header sent to
    // the stream and the block it holds.
    MUSICBLOCK* aBlocks = nullptr;
    LONG cBlocks = 0;
    MIDIPROPTIMEDIV TimeDiv = {sizeof(MIDIPROPTIMEDIV), 0};
    MIDIHDR Header = {};
    std::atomic<LONG> lBlock = 0;

    // The two paths of Load and their counterparts (sound/wave.cpp,
    // sound/music.cpp).
    bool LoadWave();
    bool LoadMidi();
    void PlayMidi();
    void StopMidi();
    void UnloadMidi();
};

// The sound system: the device object for the main window, the music stream.
bool SoundInit(HWND hwnd);
void SoundShutdown();
// Last error of the sound layer: 0, a system error, 11, 21 or 1155. Every
// load clears it first.
DWORD SoundLastError();

// The game's effects and spoken sounds, in their loading order.
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
    sndSlide, // the message box panel sliding in and out
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
constexpr const char* kszMusicFile = "varno.mid";

// The file name of a game sound ("%s" replaced by "eng" or "esp").
std::string GameSoundFile(int id, bool fEsperanto);
// True when the current text language is Esperanto (primary language 0).
bool SoundLanguageIsEsperanto();

// The game's sounds over their whole run: initialises the sound system with
// the main window, loads the music, the effects and the spoken sounds of the
// current text language from the data folder, and starts the music looped
// when fMusic.
void StartGameSounds(HWND hwnd, bool fMusic);
// The text language changed: the spoken sounds are loaded again.
void ChangeSoundLanguage();
// The music setting changed: off stops the music, on plays it looped from
// its beginning.
void SetGameMusic(bool fMusic);
// Stops and frees every sound and shuts the sound system down.
void EndGameSounds();

// The same steps on a folder of one's own (with a trailing separator; null
// takes the data folder): the effects and spoken sounds, without the music.
void LoadGameSounds(const char* szFolder, bool fEsperanto);
// Frees the six spoken sounds and loads them for the language.
void ReloadLanguageSounds(const char* szFolder, bool fEsperanto);
void FreeGameSounds();
// The loaded game sound, or null before loading.
SOUND* GameSound(int id);
// The music, or null before StartGameSounds.
SOUND* GameMusic();

namespace sound_control {
enum OP { opPlay, opStop, opPan };
struct CALL {
    OP op;
    std::string file; // the file's name without its folder
    bool fLoop;       // opPlay
    LONG lPan;        // opPan
};
// Installs a device that keeps buffers without making sound and records the
// calls made on them; their play state follows the clock.
void UseRecordingDevice();
// Back to no device.
void UseNoDevice();
const std::vector<CALL>& Calls();
void ClearCalls();
// The files played (opPlay) since the last clear, in order.
std::vector<std::string> Played();
} // namespace sound_control
