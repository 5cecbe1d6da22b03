#include "platform/dsound/mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace audio_mixer {
namespace {

struct MixerState {
    std::mutex mutex;
    std::vector<Voice*> voices;
    std::vector<std::pair<void*, StreamFn>> streams;
    std::vector<float> mix; // grows to the largest request, then stays
};

// Made once and never destroyed, so that a device thread still running at
// exit never finds it gone.
MixerState& State()
{
    static auto* state = new MixerState;
    return *state;
}

float Sample(const Voice& v, DWORD frame, int channel)
{
    const std::size_t at = static_cast<std::size_t>(frame) * v.blockAlign;
    if (v.bits == 8) {
        return (static_cast<int>(v.data[at + channel]) - 128) / 128.0f;
    }
    const auto lo = v.data[at + 2 * channel];
    const auto hi = v.data[at + 2 * channel + 1];
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8))) / 32768.0f;
}

void MixVoice(Voice& v, float* out, DWORD frames, DWORD rate)
{
    if (v.frames == 0 || v.data.size() < static_cast<std::size_t>(v.frames) * v.blockAlign) {
        v.playing = false;
        v.position = 0;
        return;
    }
    const std::uint64_t length = static_cast<std::uint64_t>(v.frames) << 32;
    const std::uint64_t step = (static_cast<std::uint64_t>(v.rate) << 32) / rate;
    const int right = v.channels == 2 ? 1 : 0;
    for (DWORD i = 0; i < frames; ++i) {
        if (v.position >= length) {
            if (!v.looping) {
                break;
            }
            v.position %= length;
        }
        const DWORD at = static_cast<DWORD>(v.position >> 32);
        const float frac = static_cast<float>(v.position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const DWORD next = at + 1 < v.frames ? at + 1 : (v.looping ? 0 : at);
        const float l0 = Sample(v, at, 0), l1 = Sample(v, next, 0);
        const float r0 = right ? Sample(v, at, 1) : l0, r1 = right ? Sample(v, next, 1) : l1;
        out[2 * i] += (l0 + (l1 - l0) * frac) * v.gainLeft;
        out[2 * i + 1] += (r0 + (r1 - r0) * frac) * v.gainRight;
        v.position += step;
    }
    if (v.position >= length) {
        if (v.looping) {
            v.position %= length;
        } else {
            // A one-shot sound that has played out is stopped at its start.
            v.playing = false;
            v.position = 0;
        }
    }
}

} // namespace

std::unique_lock<std::mutex> Hold()
{
    return std::unique_lock<std::mutex>(State().mutex);
}

void AddVoice(Voice* voice)
{
    auto lock = Hold();
    State().voices.push_back(voice);
}

void RemoveVoice(Voice* voice)
{
    auto lock = Hold();
    auto& voices = State().voices;
    voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
}

void AddStream(void* context, StreamFn fn)
{
    auto lock = Hold();
    State().streams.emplace_back(context, fn);
}

void RemoveStream(void* context)
{
    auto lock = Hold();
    auto& streams = State().streams;
    streams.erase(std::remove_if(streams.begin(), streams.end(), [&](const auto& s) { return s.first == context; }),
                  streams.end());
}

void Render(SHORT* out, DWORD frames, DWORD rate)
{
    auto lock = Hold();
    auto& state = State();
    state.mix.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
    if (rate > 0) {
        for (Voice* v : state.voices) {
            if (v->playing) {
                MixVoice(*v, state.mix.data(), frames, rate);
            }
        }
        for (const auto& [context, fn] : state.streams) {
            fn(context, state.mix.data(), frames, rate);
        }
    }
    for (std::size_t i = 0; i < state.mix.size(); ++i) {
        const float s = std::round(state.mix[i] * 32768.0f);
        out[i] = static_cast<SHORT>(std::clamp(s, -32768.0f, 32767.0f));
    }
}

float VolumeGain(LONG volume)
{
    if (volume >= 0) {
        return 1.0f;
    }
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

void PanGains(LONG pan, float& left, float& right)
{
    left = pan > 0 ? VolumeGain(-pan) : 1.0f;
    right = pan < 0 ? VolumeGain(pan) : 1.0f;
}

} // namespace audio_mixer
