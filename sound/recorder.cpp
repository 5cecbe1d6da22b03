// The recording device: a sound device object whose buffers make no sound.
// A buffer plays for the length of its data by the tick clock, so that
// rules tests with the stepped clock see sounds end; SOUND records each
// play, stop and pan made while it is installed.
#include "platform/clock/clock.h"
#include "sound/soundsys.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<sound_control::CALL> g_calls;

std::string BaseName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

class RecordingBuffer final : public IDirectSoundBuffer {
public:
    RecordingBuffer(DWORD bytes, const WAVEFORMATEX& wf) : m_data(bytes), m_format(wf) {}
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        const ULONG n = --m_refs;
        if (n == 0)
            delete this;
        return n;
    }
    HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                 DWORD flags) override
    {
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = static_cast<DWORD>(m_data.size());
        }
        if (!part1 || !bytes1 || offset > m_data.size() || bytes > m_data.size() - offset)
            return DSERR_INVALIDPARAM;
        *part1 = m_data.data() + offset;
        *bytes1 = bytes;
        if (part2)
            *part2 = nullptr;
        if (bytes2)
            *bytes2 = 0;
        return DS_OK;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DS_OK; }
    HRESULT Play(DWORD, DWORD, DWORD flags) override
    {
        Update();
        if (!m_playing) {
            m_playing = true;
            m_started = GetTickCount() - PositionMs();
        }
        m_looping = (flags & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }
    HRESULT Stop() override
    {
        Update();
        if (m_playing)
            m_position = static_cast<DWORD>((GetTickCount() - m_started) * 1ull * BytesPerSecond() / 1000) %
                         std::max<DWORD>(1, static_cast<DWORD>(m_data.size()));
        m_playing = false;
        return DS_OK;
    }
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override
    {
        if (play)
            *play = m_position;
        if (write)
            *write = m_position;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD position) override
    {
        m_position = position;
        m_started = GetTickCount() - PositionMs();
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override
    {
        m_pan = pan;
        return DS_OK;
    }
    HRESULT GetPan(LONG* pan) override
    {
        *pan = m_pan;
        return DS_OK;
    }
    HRESULT SetVolume(LONG) override { return DS_OK; }
    HRESULT GetVolume(LONG* volume) override
    {
        *volume = 0;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD) override { return DS_OK; }
    HRESULT GetFrequency(DWORD* frequency) override
    {
        *frequency = m_format.nSamplesPerSec;
        return DS_OK;
    }
    HRESULT GetStatus(DWORD* status) override
    {
        Update();
        *status = m_playing ? DSBSTATUS_PLAYING | (m_looping ? DSBSTATUS_LOOPING : 0) : 0;
        return DS_OK;
    }
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD bytes, DWORD* written) override
    {
        if (format && bytes >= sizeof(WAVEFORMATEX))
            *format = m_format;
        if (written)
            *written = sizeof(WAVEFORMATEX);
        return DS_OK;
    }

private:
    DWORD BytesPerSecond() const { return std::max<DWORD>(1, m_format.nAvgBytesPerSec); }
    DWORD PositionMs() const { return static_cast<DWORD>(m_position * 1000ull / BytesPerSecond()); }
    // A one-shot buffer that has sounded for its length has stopped.
    void Update()
    {
        if (m_playing && !m_looping) {
            const unsigned long long ms = m_data.size() * 1000ull / BytesPerSecond();
            if (GetTickCount() - m_started >= ms) {
                m_playing = false;
                m_position = 0;
            }
        }
    }

    ULONG m_refs = 1;
    std::vector<BYTE> m_data;
    WAVEFORMATEX m_format;
    bool m_playing = false;
    bool m_looping = false;
    DWORD m_started = 0;
    DWORD m_position = 0;
    LONG m_pan = 0;
};

class RecordingDevice final : public IDirectSound {
public:
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        const ULONG n = --m_refs;
        if (n == 0)
            delete this;
        return n;
    }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DS_OK; }
    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void*) override
    {
        if (!desc || !buffer || !desc->lpwfxFormat || desc->dwBufferBytes < DSBSIZE_MIN)
            return DSERR_INVALIDPARAM;
        *buffer = new RecordingBuffer(desc->dwBufferBytes, *desc->lpwfxFormat);
        return DS_OK;
    }

private:
    ULONG m_refs = 1;
};

} // namespace

LPDIRECTSOUND CreateRecordingDevice()
{
    return new RecordingDevice;
}

void RecordSoundCall(sound_control::OP op, const SOUND& s, bool fLoop, LONG pan)
{
    if (g_snd.fRecording)
        g_calls.push_back({op, BaseName(s.szFile), fLoop, pan});
}

namespace sound_control {

void UseRecordingDevice()
{
    UseNoDevice();
    g_snd.pDirectSound = CreateRecordingDevice();
    g_snd.fRecording = true;
}

void UseNoDevice()
{
    if (g_snd.pDirectSound)
        g_snd.pDirectSound->Release();
    g_snd.pDirectSound = nullptr;
    g_snd.fRecording = false;
}

const std::vector<CALL>& Calls()
{
    return g_calls;
}

void ClearCalls()
{
    g_calls.clear();
}

std::vector<std::string> Played()
{
    std::vector<std::string> out;
    for (const CALL& c : g_calls)
        if (c.op == opPlay)
            out.push_back(c.file);
    return out;
}

} // namespace sound_control
