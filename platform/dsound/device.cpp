// The output device: the SDL audio device, or in tests a manual device that
// mixes only when asked. Opened by its first user, closed by its last.
#include "platform/dsound/dsound.h"
#include "platform/dsound/mixer.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

namespace {

constexpr int kWantedRate = 44100;

struct DeviceState {
    std::mutex mutex;
    int users = 0;
    bool manual = false;
    DWORD manualRate = 44100;
    bool simulateNone = false;
    SDL_AudioDeviceID id = 0;
    std::atomic<DWORD> rate{0};
};

DeviceState& Device()
{
    static auto* state = new DeviceState;
    return *state;
}

void SDLCALL FillDevice(void* userdata, Uint8* stream, int len)
{
    const auto rate = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(userdata));
    audio_mixer::Render(reinterpret_cast<SHORT*>(stream), static_cast<DWORD>(len) / 4, rate);
}

} // namespace

namespace audio_device {

bool Acquire()
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    if (d.users > 0) {
        ++d.users;
        return true;
    }
    if (d.simulateNone) {
        return false;
    }
    if (d.manual) {
        d.rate = d.manualRate;
        d.users = 1;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = FillDevice;
    // No changes are allowed: SDL converts to the hardware's own format, so
    // the mix always runs at the wanted rate, known to the callback at once.
    want.userdata = reinterpret_cast<void*>(static_cast<std::uintptr_t>(kWantedRate));
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    d.id = id;
    d.rate = static_cast<DWORD>(have.freq);
    d.users = 1;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

void Release()
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    if (d.users == 0 || --d.users > 0) {
        return;
    }
    if (d.id != 0) {
        SDL_CloseAudioDevice(d.id);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        d.id = 0;
    }
    d.rate = 0;
}

DWORD Rate()
{
    return Device().rate;
}

} // namespace audio_device

namespace dsound_control {

void UseManualDevice(DWORD rate)
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    d.manual = true;
    d.manualRate = rate;
}

void UseSystemDevice()
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    d.manual = false;
}

void SimulateNoDevice(bool none)
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    d.simulateNone = none;
}

bool IsDeviceOpen()
{
    auto& d = Device();
    std::lock_guard lock(d.mutex);
    return d.users > 0;
}

DWORD DeviceRate()
{
    return Device().rate;
}

DWORD Render(SHORT* out, DWORD frames)
{
    auto& d = Device();
    DWORD rate = 0;
    {
        std::lock_guard lock(d.mutex);
        if (d.users == 0 || d.id != 0) {
            return 0;
        }
        rate = d.rate;
    }
    audio_mixer::Render(out, frames, rate);
    return frames;
}

} // namespace dsound_control
