// The sound system's shared state, for the sound module's own files.
#pragma once

#include "platform/dsound/dsound.h"
#include "sound/dxsound.h"

#include <atomic>

struct SOUNDSYSTEM {
    HWND hwnd = nullptr;
    LPDIRECTSOUND pDirectSound = nullptr; // null when creating it failed
    bool fRecording = false;              // pDirectSound is the recording device
    HMIDISTRM hStream = nullptr;          // the open music stream
    SOUND* pStreamOwner = nullptr;        // the music that owns it
};

extern SOUNDSYSTEM g_snd;
// Written by loads on the game's thread and by the music's stream callback.
extern std::atomic<DWORD> lSoundError;

// Calls into the sound driver: an exception inside one is that call's
// failure.
template <class F>
HRESULT GuardedCall(F f)
{
    try {
        return f();
    } catch (...) {
        return DSERR_GENERIC;
    }
}

// Ends the music stream: the owner stops playing, the stream is stopped and
// closed (which ends its callbacks) and the owner's header released
// (sound/music.cpp).
void CloseMusicStream();

// The recording device of sound_control (sound/recorder.cpp).
LPDIRECTSOUND CreateRecordingDevice();
void RecordSoundCall(sound_control::OP op, const SOUND& s, bool fLoop, LONG pan);
