#include "platform/dsound/dsound.h"
#include "platform/dsound/mixer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace {

class SoundBuffer final : public IDirectSoundBuffer {
public:
    SoundBuffer(const WAVEFORMATEX& format, DWORD bytes, DWORD caps) : format_(format), caps_(caps)
    {
        format_.cbSize = 0;
        voice_.channels = format.nChannels;
        voice_.bits = format.wBitsPerSample;
        voice_.blockAlign = format.nBlockAlign;
        voice_.rate = format.nSamplesPerSec;
        voice_.frames = bytes / format.nBlockAlign;
        // Silence: 0x80 for unsigned 8-bit samples, 0 for signed 16-bit ones.
        voice_.data.assign(bytes, format.wBitsPerSample == 8 ? 0x80 : 0x00);
        audio_mixer::AddVoice(&voice_);
    }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                 DWORD flags) override
    {
        const auto size = static_cast<DWORD>(voice_.data.size());
        if (part1 == nullptr || bytes1 == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (flags & DSBLOCK_FROMWRITECURSOR) {
            DWORD play = 0;
            GetCurrentPosition(&play, &offset);
        }
        if (flags & DSBLOCK_ENTIREBUFFER) {
            bytes = size;
        }
        if (offset >= size || bytes == 0 || bytes > size) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD first = std::min(bytes, size - offset);
        *part1 = voice_.data.data() + offset;
        *bytes1 = first;
        const DWORD second = bytes - first;
        if (second > 0 && (part2 == nullptr || bytes2 == nullptr)) {
            return DSERR_INVALIDPARAM;
        }
        if (part2 != nullptr) {
            *part2 = second > 0 ? voice_.data.data() : nullptr;
        }
        if (bytes2 != nullptr) {
            *bytes2 = second;
        }
        return DS_OK;
    }

    HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override
    {
        // The data is written in place; Unlock only checks that the parts
        // are ones this buffer handed out.
        auto inside = [&](void* p, DWORD n) {
            const auto* b = static_cast<BYTE*>(p);
            return p == nullptr || (b >= voice_.data.data() && b + n <= voice_.data.data() + voice_.data.size());
        };
        return inside(part1, bytes1) && inside(part2, bytes2) ? DS_OK : DSERR_INVALIDPARAM;
    }

    HRESULT Play(DWORD, DWORD priority, DWORD flags) override
    {
        if (priority != 0) {
            return DSERR_INVALIDPARAM;
        }
        auto lock = audio_mixer::Hold();
        voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
        voice_.playing = true;
        return DS_OK;
    }

    HRESULT Stop() override
    {
        auto lock = audio_mixer::Hold();
        voice_.playing = false;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override
    {
        auto lock = audio_mixer::Hold();
        const auto bytes = static_cast<DWORD>(voice_.position >> 32) * voice_.blockAlign;
        if (play != nullptr) {
            *play = bytes;
        }
        if (write != nullptr) {
            *write = bytes;
        }
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD position) override
    {
        if (position >= voice_.data.size()) {
            return DSERR_INVALIDPARAM;
        }
        auto lock = audio_mixer::Hold();
        voice_.position = static_cast<std::uint64_t>(position / voice_.blockAlign) << 32;
        return DS_OK;
    }

    HRESULT SetPan(LONG pan) override
    {
        if (!(caps_ & DSBCAPS_CTRLPAN)) {
            return DSERR_CONTROLUNAVAIL;
        }
        pan_ = std::clamp(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
        UpdateGains();
        return DS_OK;
    }

    HRESULT GetPan(LONG* pan) override
    {
        if (!(caps_ & DSBCAPS_CTRLPAN)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (pan == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *pan = pan_;
        return DS_OK;
    }

    HRESULT SetVolume(LONG volume) override
    {
        if (!(caps_ & DSBCAPS_CTRLVOLUME)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
            return DSERR_INVALIDPARAM;
        }
        volume_ = volume;
        UpdateGains();
        return DS_OK;
    }

    HRESULT GetVolume(LONG* volume) override
    {
        if (!(caps_ & DSBCAPS_CTRLVOLUME)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (volume == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *volume = volume_;
        return DS_OK;
    }

    HRESULT SetFrequency(DWORD frequency) override
    {
        if (!(caps_ & DSBCAPS_CTRLFREQUENCY)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (frequency == DSBFREQUENCY_ORIGINAL) {
            frequency = format_.nSamplesPerSec;
        }
        if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) {
            return DSERR_INVALIDPARAM;
        }
        auto lock = audio_mixer::Hold();
        voice_.rate = frequency;
        return DS_OK;
    }

    HRESULT GetFrequency(DWORD* frequency) override
    {
        if (!(caps_ & DSBCAPS_CTRLFREQUENCY)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (frequency == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        auto lock = audio_mixer::Hold();
        *frequency = voice_.rate;
        return DS_OK;
    }

    HRESULT GetStatus(DWORD* status) override
    {
        if (status == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        auto lock = audio_mixer::Hold();
        *status = voice_.playing ? DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0) : 0;
        return DS_OK;
    }

    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD bytes, DWORD* written) override
    {
        if (format == nullptr) {
            if (written == nullptr) {
                return DSERR_INVALIDPARAM;
            }
            *written = sizeof(WAVEFORMATEX);
            return DS_OK;
        }
        if (bytes < sizeof(WAVEFORMATEX)) {
            return DSERR_INVALIDPARAM;
        }
        std::memcpy(format, &format_, sizeof(WAVEFORMATEX));
        if (written != nullptr) {
            *written = sizeof(WAVEFORMATEX);
        }
        return DS_OK;
    }

private:
    ~SoundBuffer() override { audio_mixer::RemoveVoice(&voice_); }

    void UpdateGains()
    {
        float left = 1.0f, right = 1.0f;
        audio_mixer::PanGains(pan_, left, right);
        const float gain = audio_mixer::VolumeGain(volume_);
        auto lock = audio_mixer::Hold();
        voice_.gainLeft = left * gain;
        voice_.gainRight = right * gain;
    }

    std::atomic<ULONG> refs_{1};
    WAVEFORMATEX format_;
    DWORD caps_;
    LONG pan_ = DSBPAN_CENTER;
    LONG volume_ = DSBVOLUME_MAX;
    audio_mixer::Voice voice_;
};

class SoundDevice final : public IDirectSound {
public:
    SoundDevice() = default;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override
    {
        if (window == nullptr || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
            return DSERR_INVALIDPARAM;
        }
        level_ = level;
        return DS_OK;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void* outer) override
    {
        if (buffer == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = nullptr;
        if (outer != nullptr) {
            return DSERR_NOAGGREGATION;
        }
        if (level_ == 0) {
            return DSERR_UNINITIALIZED;
        }
        if (desc == nullptr || desc->dwSize < offsetof(DSBUFFERDESC, guid3DAlgorithm) ||
            (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) || desc->lpwfxFormat == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        const WAVEFORMATEX& f = *desc->lpwfxFormat;
        if (f.wFormatTag != WAVE_FORMAT_PCM || (f.nChannels != 1 && f.nChannels != 2) ||
            (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8 ||
            f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) {
            return DSERR_BADFORMAT;
        }
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
            desc->dwBufferBytes < f.nBlockAlign) {
            return DSERR_INVALIDPARAM;
        }
        // The size is rounded down to whole frames, as the mixer plays them.
        const DWORD bytes = desc->dwBufferBytes - desc->dwBufferBytes % f.nBlockAlign;
        auto* made = new (std::nothrow) SoundBuffer(f, bytes, desc->dwFlags);
        if (made == nullptr) {
            return DSERR_OUTOFMEMORY;
        }
        *buffer = made;
        return DS_OK;
    }

private:
    ~SoundDevice() override { audio_device::Release(); }

    std::atomic<ULONG> refs_{1};
    DWORD level_ = 0;
};

} // namespace

HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* object, void* outer)
{
    if (object == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (device != nullptr) {
        return DSERR_NODRIVER;
    }
    if (!audio_device::Acquire()) {
        return DSERR_NODRIVER;
    }
    auto* made = new (std::nothrow) SoundDevice;
    if (made == nullptr) {
        audio_device::Release();
        return DSERR_OUTOFMEMORY;
    }
    *object = made;
    return DS_OK;
}
