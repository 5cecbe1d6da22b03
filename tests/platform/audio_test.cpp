#include "platform/dsound/dsound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const HWND kWindow = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));

WAVEFORMATEX Pcm(WORD channels, WORD bits, DWORD rate)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.wBitsPerSample = bits;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

class Mixer : public ::testing::Test {
protected:
    static constexpr DWORD kRate = 44100;

    void SetUp() override
    {
        dsound_control::UseManualDevice(kRate);
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(kWindow, DSSCL_NORMAL), DS_OK);
    }
    void TearDown() override
    {
        for (auto* b : buffers) {
            b->Release();
        }
        ds->Release();
        EXPECT_FALSE(dsound_control::IsDeviceOpen());
        dsound_control::UseSystemDevice();
    }

    // A buffer holding the given bytes in the given format.
    LPDIRECTSOUNDBUFFER Make(const WAVEFORMATEX& format, const void* bytes, DWORD size)
    {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
        desc.dwBufferBytes = size;
        WAVEFORMATEX f = format;
        desc.lpwfxFormat = &f;
        LPDIRECTSOUNDBUFFER b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
        EXPECT_EQ(n1, size);
        std::memcpy(p1, bytes, n1);
        EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
        buffers.push_back(b);
        return b;
    }
    LPDIRECTSOUNDBUFFER Make16(const std::vector<SHORT>& samples, WORD channels = 1, DWORD rate = kRate)
    {
        return Make(Pcm(channels, 16, rate), samples.data(), static_cast<DWORD>(samples.size() * 2));
    }

    // Renders frames and returns them as left/right pairs.
    std::vector<SHORT> Render(DWORD frames)
    {
        std::vector<SHORT> out(frames * 2, 0x7777);
        EXPECT_EQ(dsound_control::Render(out.data(), frames), frames);
        return out;
    }

    static std::vector<SHORT> Ramp(int n, int first = 1, int step = 10)
    {
        std::vector<SHORT> v;
        for (int i = 0; i < n; ++i) {
            v.push_back(static_cast<SHORT>(first + i * step));
        }
        return v;
    }

    LPDIRECTSOUND ds = nullptr;
    std::vector<LPDIRECTSOUNDBUFFER> buffers;
};

TEST_F(Mixer, OneShotPlaysOnceThenStopsAtItsStart)
{
    auto* b = Make16(Ramp(100));
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    const auto out = Render(150);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(out[2 * i], 1 + 10 * i) << i;
        ASSERT_EQ(out[2 * i + 1], 1 + 10 * i) << i;
    }
    for (int i = 100; i < 150; ++i) {
        ASSERT_EQ(out[2 * i], 0) << i;
    }
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    DWORD play = 1, write = 1;
    b->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    // Played again, it sounds from the start once more.
    b->Play(0, 0, 0);
    EXPECT_EQ(Render(1)[0], 1);
}

TEST_F(Mixer, OneShotRestartVersusLoopedContinuing)
{
    auto* b = Make16(Ramp(100));
    b->Play(0, 0, 0);
    Render(40);
    // Stop, rewind, play: the one-shot restart.
    b->Stop();
    DWORD play = 0;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 80u); // stopping keeps the position (40 frames of 2 bytes)
    b->SetCurrentPosition(0);
    b->Play(0, 0, 0);
    EXPECT_EQ(Render(1)[0], 1);

    // Looped: playing again while it sounds keeps the position.
    b->Stop();
    b->SetCurrentPosition(0);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Render(30);
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(Render(1)[0], 1 + 10 * 30);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(Mixer, LoopedBufferWrapsUntilStopped)
{
    auto* b = Make16(Ramp(100));
    b->Play(0, 0, DSBPLAY_LOOPING);
    const auto out = Render(350);
    EXPECT_EQ(out[2 * 99], 1 + 990);
    EXPECT_EQ(out[2 * 100], 1);
    EXPECT_EQ(out[2 * 230], 1 + 300);
    EXPECT_EQ(out[2 * 349], 1 + 490);
    DWORD play = 0;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 100u); // frame 50 of the third round
    b->Stop();
    const auto after = Render(10);
    for (SHORT s : after) {
        ASSERT_EQ(s, 0);
    }
    DWORD status = 1;
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST_F(Mixer, PositionIsSetInBytesAndChecked)
{
    auto* b = Make16(Ramp(100));
    EXPECT_EQ(b->SetCurrentPosition(200), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(121), DS_OK); // rounded down to frame 60
    DWORD play = 0;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 120u);
    b->Play(0, 0, 0);
    EXPECT_EQ(Render(1)[0], 1 + 600);
}

TEST_F(Mixer, PanAttenuatesTheFarChannelByHundredthsOfADecibel)
{
    auto* b = Make16(std::vector<SHORT>(64, 16384));
    b->Play(0, 0, DSBPLAY_LOOPING);
    auto levels = [&](LONG pan) {
        EXPECT_EQ(b->SetPan(pan), DS_OK);
        const auto out = Render(4);
        return std::pair<int, int>(out[4], out[5]);
    };
    EXPECT_EQ(levels(0), std::make_pair(16384, 16384));
    // 6 dB down is a factor of 10^(-0.3).
    const int sixDb = static_cast<int>(std::lround(16384 * std::pow(10.0, -0.3)));
    EXPECT_EQ(levels(-600), std::make_pair(16384, sixDb));
    EXPECT_EQ(levels(600), std::make_pair(sixDb, 16384));
    EXPECT_EQ(levels(-2000), std::make_pair(16384, 1638));
    EXPECT_EQ(levels(DSBPAN_RIGHT), std::make_pair(0, 16384));
    // Beyond full right acts as full right.
    EXPECT_EQ(levels(15000), std::make_pair(0, 16384));
    LONG pan = 0;
    b->GetPan(&pan);
    EXPECT_EQ(pan, DSBPAN_RIGHT);

    // Volume attenuates both channels on top of the pan.
    b->SetPan(0);
    EXPECT_EQ(b->SetVolume(-2000), DS_OK);
    EXPECT_EQ(levels(0), std::make_pair(1638, 1638));
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
    EXPECT_EQ(levels(0), std::make_pair(0, 0));
}

TEST_F(Mixer, ResamplesToTheDeviceRate)
{
    // Half the device rate: twice as many output frames, interpolated.
    auto* slow = Make16(Ramp(1000, 0, 20), 1, kRate / 2);
    slow->Play(0, 0, 0);
    auto out = Render(2100);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 10); // half-way between 0 and 20
    EXPECT_EQ(out[2 * 1998], 1998 * 10);
    EXPECT_NE(out[2 * 1999], 0);
    EXPECT_EQ(out[2 * 2000], 0);

    // 48000 Hz: 1000 frames last 1000 x 44100 / 48000 = 918.75 output frames.
    auto* fast = Make16(std::vector<SHORT>(1000, 300), 1, 48000);
    fast->Play(0, 0, 0);
    out = Render(1000);
    EXPECT_EQ(out[2 * 918], 300);
    EXPECT_EQ(out[2 * 919], 0);

    // The frequency can be changed while playing and restored.
    DWORD freq = 0;
    fast->GetFrequency(&freq);
    EXPECT_EQ(freq, 48000u);
    EXPECT_EQ(fast->SetFrequency(kRate * 2), DS_OK);
    fast->Play(0, 0, 0);
    out = Render(600);
    EXPECT_EQ(out[2 * 499], 300);
    EXPECT_EQ(out[2 * 500], 0);
    EXPECT_EQ(fast->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    fast->GetFrequency(&freq);
    EXPECT_EQ(freq, 48000u);
    EXPECT_EQ(fast->SetFrequency(50), DSERR_INVALIDPARAM);
}

TEST_F(Mixer, EightBitAndStereoSamplesBecomeSixteenBit)
{
    const BYTE mono[] = {0xC0, 0x40, 0x80, 0xFF, 0x00};
    auto* b = Make(Pcm(1, 8, kRate), mono, sizeof mono);
    b->Play(0, 0, 0);
    auto out = Render(5);
    EXPECT_EQ(out[0], 16384);
    EXPECT_EQ(out[2], -16384);
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[6], 127 * 256);
    EXPECT_EQ(out[8], -32768);
    EXPECT_EQ(out[9], -32768);

    const BYTE stereo[] = {0xA0, 0x60, 0xA0, 0x60};
    auto* s8 = Make(Pcm(2, 8, kRate), stereo, sizeof stereo);
    s8->Play(0, 0, 0);
    out = Render(1);
    EXPECT_EQ(out[0], 32 * 256);
    EXPECT_EQ(out[1], -32 * 256);
}

TEST_F(Mixer, BuffersAddUpAndClip)
{
    auto* a = Make16(std::vector<SHORT>(10, 20000));
    auto* b = Make16(std::vector<SHORT>(5, 20000));
    auto* c = Make16(std::vector<SHORT>(10, -5000));
    a->Play(0, 0, 0);
    b->Play(0, 0, 0);
    c->Play(0, 0, 0);
    const auto out = Render(10);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[2 * 5], 15000);
}

TEST_F(Mixer, LockWrapsAroundTheEnd)
{
    auto* b = Make16(std::vector<SHORT>(10, 0));
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(16, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    EXPECT_EQ(static_cast<BYTE*>(p1) - static_cast<BYTE*>(p2), 16);
    std::memset(p1, 0x11, n1);
    std::memset(p2, 0x22, n2);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(b->Unlock(p1, 40, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(20, 4, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    b->Play(0, 0, 0);
    const auto out = Render(10);
    EXPECT_EQ(out[0], 0x2222);
    EXPECT_EQ(out[2 * 8], 0x1111);
    EXPECT_EQ(out[2 * 4], 0);
}

TEST_F(Mixer, BufferCreationChecksItsArguments)
{
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC;
    desc.dwBufferBytes = 100;
    WAVEFORMATEX f = Pcm(1, 16, kRate);
    desc.lpwfxFormat = &f;
    LPDIRECTSOUNDBUFFER b = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);

    f.wBitsPerSample = 24;
    f.nBlockAlign = 3;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    EXPECT_EQ(b, nullptr);
    f = Pcm(1, 16, kRate);
    f.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    f = Pcm(3, 16, kRate);
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    f = Pcm(1, 16, kRate);
    desc.dwBufferBytes = 0;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    desc.dwBufferBytes = 100;

    // Without pan control the pan cannot be set.
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    EXPECT_EQ(b->SetPan(100), DSERR_CONTROLUNAVAIL);
    b->Release();

    // A device object without a cooperative level makes no buffers.
    LPDIRECTSOUND other = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DS_OK);
    EXPECT_EQ(other->CreateSoundBuffer(&desc, &b, nullptr), DSERR_UNINITIALIZED);
    EXPECT_EQ(other->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    other->Release();
    EXPECT_TRUE(dsound_control::IsDeviceOpen());
}

TEST(AudioDevice, NoDeviceMeansNoDeviceObject)
{
    dsound_control::SimulateNoDevice(true);
    LPDIRECTSOUND ds = reinterpret_cast<LPDIRECTSOUND>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_FALSE(dsound_control::IsDeviceOpen());
    dsound_control::SimulateNoDevice(false);
}

TEST(AudioDevice, SystemDeviceOpensOnDemandAndFailsWithoutADriver)
{
    dsound_control::UseSystemDevice();
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved ? saved : "";

    setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
    LPDIRECTSOUND ds = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);

    // The dummy driver is a device that hears nothing: the device opens with
    // the first object and closes with the last.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_TRUE(dsound_control::IsDeviceOpen());
    EXPECT_EQ(dsound_control::DeviceRate(), 44100u);
    SHORT out[4];
    EXPECT_EQ(dsound_control::Render(out, 2), 0u); // the device thread mixes, not the caller
    ds->Release();
    EXPECT_FALSE(dsound_control::IsDeviceOpen());

    if (saved) {
        setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

} // namespace
