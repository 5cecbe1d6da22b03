// MIDI stream output: a stream is opened on the MIDI mapper, given its time
// division (and tempo), sent blocks of timed stream events, and started,
// stopped and closed. Events are played by a software synthesiser with a
// General MIDI SoundFont into the same mixer as the sound buffers. When a
// block has been played, the stream's callback receives MOM_DONE on a
// thread of the stream's own. Without a SoundFont the stream keeps its
// timing and callbacks but is silent.
#pragma once

#include "platform/base/mmresult.h"
#include "platform/base/types.h"

#include <string>
#include <vector>

struct HMIDISTRM__;
using HMIDISTRM = HMIDISTRM__*;
using LPHMIDISTRM = HMIDISTRM*;
struct HMIDIOUT__;
using HMIDIOUT = HMIDIOUT__*;

constexpr UINT MIDI_MAPPER = 0xFFFFFFFFu;

constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;

// Callback messages.
constexpr UINT MOM_OPEN = 0x3C7;
constexpr UINT MOM_CLOSE = 0x3C8;
constexpr UINT MOM_DONE = 0x3C9;       // parameter 1: the MIDIHDR played
constexpr UINT MOM_POSITIONCB = 0x3CA; // parameter 1: the MIDIHDR of the event

constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOTREADY = 67;

// Header flags.
constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MHDR_ISSTRM = 0x00000008;

struct MIDIHDR {
    char* lpData;          // the block of stream events
    DWORD dwBufferLength;  // its size
    DWORD dwBytesRecorded; // the bytes of events in it
    DWORD_PTR dwUser;
    DWORD dwFlags;
    MIDIHDR* lpNext;
    DWORD_PTR reserved;
    DWORD dwOffset; // how far the stream has played into the block
    DWORD_PTR dwReserved[8];
};
using LPMIDIHDR = MIDIHDR*;

// One stream event: three 32-bit fields; an event with MEVT_F_LONG is
// followed by its parameter bytes, padded to a multiple of four.
struct MIDIEVENT {
    DWORD dwDeltaTime; // ticks since the previous event
    DWORD dwStreamID;
    DWORD dwEvent; // type in the top byte, parameter in the low 24 bits
    DWORD dwParms[1];
};

constexpr DWORD MEVT_F_SHORT = 0x00000000;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00; // status | data1 << 8 | data2 << 16
constexpr BYTE MEVT_TEMPO = 0x01;    // microseconds per quarter note
constexpr BYTE MEVT_NOP = 0x02;
constexpr BYTE MEVT_LONGMSG = 0x80;
constexpr BYTE MEVT_COMMENT = 0x82;
constexpr BYTE MEVT_VERSION = 0x84;
constexpr BYTE MEVT_EVENTTYPE(DWORD e)
{
    return static_cast<BYTE>((e >> 24) & 0xFF);
}
constexpr DWORD MEVT_EVENTPARM(DWORD e)
{
    return e & 0x00FFFFFF;
}

// Stream properties.
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;
constexpr DWORD MIDIPROP_TEMPO = 0x00000002;

struct MIDIPROPTIMEDIV {
    DWORD cbStruct;
    DWORD dwTimeDiv; // ticks per quarter note, or SMPTE frames and ticks with the top bit set
};
struct MIDIPROPTEMPO {
    DWORD cbStruct;
    DWORD dwTempo; // microseconds per quarter note
};

using MIDICALLBACK = void (*)(HMIDIOUT stream, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

// Opens a stream on device 0 or the mapper (MIDI_MAPPER), one stream, with a
// function callback (CALLBACK_FUNCTION) or none. The stream starts stopped,
// at 96 ticks per quarter note and 500000 microseconds per quarter note.
// Only one stream is open at a time (MMSYSERR_ALLOCATED); without an audio
// device, MMSYSERR_NODRIVER.
MMRESULT midiStreamOpen(LPHMIDISTRM stream, UINT* device, DWORD streams, DWORD_PTR callback, DWORD_PTR instance,
                        DWORD flags);
// Closes a stream with no blocks queued (else MIDIERR_STILLPLAYING). No
// callback runs after this returns.
MMRESULT midiStreamClose(HMIDISTRM stream);
MMRESULT midiStreamProperty(HMIDISTRM stream, BYTE* data, DWORD property);
// Queues a prepared block behind those already queued.
MMRESULT midiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT headerBytes);
// Starts or resumes playing.
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Stops playing, silences every note and returns every queued block as done
// (MOM_DONE); the next restart starts at the next block sent.
MMRESULT midiStreamStop(HMIDISTRM stream);
// Header preparation; the stream handle serves as the output handle.
MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerBytes);
MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerBytes);

// Control of the synthesiser and the stream for tests and tools.
namespace midi_control {
// The SoundFont files tried in order when a stream opens; the first one that
// loads is used. The default list holds the usual system places.
void SetSoundFontPaths(const std::vector<std::string>& paths);
void UseDefaultSoundFontPaths();
// Why the synthesiser is silent ("" when a SoundFont is loaded): set when a
// stream opens.
std::string SynthError();
// Receives every short message and tempo event as it is played, with the
// stream time in output frames since the stream was started. Called on the
// mixing thread (in tests: inside the render call). Null removes it.
using EventObserver = void (*)(void* context, std::uint64_t frame, DWORD event);
void SetEventObserver(EventObserver observer, void* context);
// Blocks until every callback the stream has queued so far has returned.
void WaitForCallbacks(HMIDISTRM stream);
} // namespace midi_control
