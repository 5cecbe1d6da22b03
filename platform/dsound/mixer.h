// The software mixer behind the sound buffers and the music stream: it adds
// every playing buffer (resampled to the output rate, panned, attenuated)
// and every registered stream source into one stereo 16-bit output. The
// device thread drives it; without a device, tests drive it directly.
#pragma once

#include "platform/base/types.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace audio_mixer {

// One static buffer's sound as the mixer sees it. The play state is read and
// changed only while holding the mixer (Hold); the sample data belongs to the
// buffer's owner, who writes it while the buffer is not playing.
struct Voice {
    std::vector<BYTE> data;
    WORD channels = 1;
    WORD bits = 16;
    WORD blockAlign = 2;
    DWORD frames = 0;
    DWORD rate = 22050; // playback frequency in frames per second
    bool playing = false;
    bool looping = false;
    std::uint64_t position = 0; // in frames, 32.32 fixed point
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
};

// A source that adds its own sound into the stereo mix: frames pairs of
// left/right samples in the range -1..1. Called with the mixer held.
using StreamFn = void (*)(void* context, float* stereo, DWORD frames, DWORD rate);

std::unique_lock<std::mutex> Hold();

// Registration; each takes the mixer itself.
void AddVoice(Voice* voice);
void RemoveVoice(Voice* voice);
void AddStream(void* context, StreamFn fn);
void RemoveStream(void* context);

// Mixes frames stereo frames at the given output rate into out (interleaved
// left, right), advancing every playing voice and stream. Takes the mixer.
void Render(SHORT* out, DWORD frames, DWORD rate);

// Gains for a pan in hundredths of a decibel (negative: left): the far
// channel is attenuated by |pan| / 100 dB, the near one stays at full level.
void PanGains(LONG pan, float& left, float& right);
// Linear gain of an attenuation in hundredths of a decibel (0 or less).
float VolumeGain(LONG volume);

} // namespace audio_mixer

// The output device: one SDL audio device, opened while anything uses it.
namespace audio_device {
// Opens the device for its first user; false when there is none or it could
// not be opened (the layer then stays silent).
bool Acquire();
void Release();
// The output rate in frames per second while acquired.
DWORD Rate();
} // namespace audio_device
