// The sound device and its static sound buffers: a device object with a
// cooperative level, and buffers of PCM data (8 or 16 bits, mono or stereo,
// any rate) that are locked and written, played once or looped, stopped,
// positioned, panned and attenuated. Buffers are mixed by this layer's own
// mixer into the one audio device. When there is no audio device, creating
// the device object fails and so every sound stays silent.
#pragma once

#include "platform/base/guid.h"
#include "platform/base/hresult.h"
#include "platform/base/types.h"
#include "platform/dsound/waveformat.h"

// Results.
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);


// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

// Buffer capabilities.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;

// Play, lock and status flags.
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

// Ranges: pan and volume in hundredths of a decibel, frequency in Hz.
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
using LPCDSBUFFERDESC = const DSBUFFERDESC*;

// A static sound buffer. Reference counted: Release frees it at zero.
class IDirectSoundBuffer {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // Gives one or two writable parts of the buffer covering bytes from
    // offset (wrapping at the end). DSBLOCK_ENTIREBUFFER locks all of it.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                         DWORD flags) = 0;
    virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
    // Plays from the current position, once or (DSBPLAY_LOOPING) looped. A
    // buffer that is already playing keeps its position and takes the new
    // looping choice. A one-shot buffer stops at its end and returns to 0.
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    // Stops where the buffer is; the position is kept.
    virtual HRESULT Stop() = 0;
    // Play position in bytes; the write position is the same.
    virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    // Pan in hundredths of a decibel; values beyond full left or right act as
    // full left or right.
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    // Attenuation in hundredths of a decibel, DSBVOLUME_MIN to 0.
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    // Playback rate in Hz; DSBFREQUENCY_ORIGINAL returns to the format's rate.
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // Copies the format record (18 bytes; cbSize is 0 for PCM).
    virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD bytes, DWORD* written) = 0;

protected:
    virtual ~IDirectSoundBuffer() = default;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

// The device object. Reference counted: Release frees it at zero, and the
// audio device closes when no device object and no music stream uses it.
class IDirectSound {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    // Creates a static secondary buffer of the description's size and PCM
    // format (8 or 16 bits, 1 or 2 channels, DSBFREQUENCY_MIN to MAX Hz),
    // filled with silence. Needs the cooperative level set first.
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void* outer) = 0;

protected:
    virtual ~IDirectSound() = default;
};
using LPDIRECTSOUND = IDirectSound*;

// Creates the device object for the default device (device must be null).
// Fails with DSERR_NODRIVER when no audio device can be opened.
HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* object, void* outer);

// Control of the output for tests and tools.
namespace dsound_control {
// Replaces the audio device with one that produces nothing by itself: the
// mix advances only through Render, at the given rate. Takes effect when the
// device is next opened (call it while nothing uses the device).
void UseManualDevice(DWORD rate = 44100);
// Returns to the SDL audio device (the default).
void UseSystemDevice();
// Makes opening the device fail, as on a machine without sound.
void SimulateNoDevice(bool none);
// True while the device is open.
bool IsDeviceOpen();
// The output rate of the open device, or 0.
DWORD DeviceRate();
// Mixes frames stereo frames of the manual device into out (left, right
// interleaved, 16-bit). Returns the frames mixed: 0 when the manual device
// is not open.
DWORD Render(SHORT* out, DWORD frames);
} // namespace dsound_control
