// Sound effects on the sound device: loading WAVE files (plain and
// compressed), playing once and looped, panning, and the game's sound table.
#include "platform/base/syserror.h"
#include "platform/dsound/dsound.h"
#include "sound/dxsound.h"
#include "sound/wave.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 8000;

void Put16(std::vector<BYTE>& v, unsigned x)
{
    v.push_back(static_cast<BYTE>(x));
    v.push_back(static_cast<BYTE>(x >> 8));
}
void Put32(std::vector<BYTE>& v, DWORD x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void PutId(std::vector<BYTE>& v, const char* id)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<BYTE>(id[i]));
}

struct Chunk {
    std::string id;
    std::vector<BYTE> bytes;
};

// A RIFF WAVE file of the given chunks, each padded to an even size.
std::vector<BYTE> Riff(const std::vector<Chunk>& chunks)
{
    std::vector<BYTE> body;
    PutId(body, "WAVE");
    for (const Chunk& c : chunks) {
        PutId(body, c.id.c_str());
        Put32(body, static_cast<DWORD>(c.bytes.size()));
        body.insert(body.end(), c.bytes.begin(), c.bytes.end());
        if (c.bytes.size() & 1)
            body.push_back(0);
    }
    std::vector<BYTE> file;
    PutId(file, "RIFF");
    Put32(file, static_cast<DWORD>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<BYTE> PcmFormat(WORD channels, DWORD rate)
{
    std::vector<BYTE> f;
    Put16(f, WAVE_FORMAT_PCM);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * channels * 2);
    Put16(f, channels * 2);
    Put16(f, 16);
    return f;
}

// Mono 16-bit samples rising by step from start.
std::vector<BYTE> Ramp(int frames, int start = 1000, int step = 50)
{
    std::vector<BYTE> d;
    for (int i = 0; i < frames; ++i)
        Put16(d, static_cast<unsigned>(static_cast<SHORT>(start + step * i)) & 0xFFFF);
    return d;
}

// One block of IMA ADPCM, mono: 505 samples from 256 bytes that swing up
// and down.
std::vector<Chunk> ImaAdpcm()
{
    std::vector<BYTE> fmt;
    Put16(fmt, WAVE_FORMAT_IMA_ADPCM);
    Put16(fmt, 1);
    Put32(fmt, kRate);
    Put32(fmt, kRate * 256 / 505);
    Put16(fmt, 256);
    Put16(fmt, 4);
    Put16(fmt, 2);   // extra bytes
    Put16(fmt, 505); // samples per block
    std::vector<BYTE> data = {0, 0, 20, 0};
    for (int i = 0; i < 252; ++i)
        data.push_back((i / 12) % 2 ? 0xFF : 0x77);
    return {{"fmt ", fmt}, {"data", data}};
}

class SoundDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("varno-wave-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        dsound_control::UseManualDevice(kRate);
        // The device only needs some window to belong to.
        ASSERT_TRUE(SoundInit(reinterpret_cast<HWND>(&folder)));
    }
    void TearDown() override
    {
        SoundShutdown();
        EXPECT_FALSE(dsound_control::IsDeviceOpen());
        dsound_control::UseSystemDevice();
        std::filesystem::remove_all(folder);
    }

    std::string Write(const std::string& name, const std::vector<BYTE>& bytes)
    {
        const std::string path = (folder / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    // The left channel of the next frames of the mix.
    static std::vector<SHORT> Render(DWORD frames)
    {
        std::vector<SHORT> stereo(frames * 2);
        EXPECT_EQ(dsound_control::Render(stereo.data(), frames), frames);
        std::vector<SHORT> left(frames);
        for (DWORD i = 0; i < frames; ++i)
            left[i] = stereo[2 * i];
        return left;
    }

    static int Peak(const std::vector<SHORT>& v)
    {
        int peak = 0;
        for (SHORT s : v)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    }

    std::filesystem::path folder;
};

TEST_F(SoundDevice, OneShotRestartsLoopedGoesOn)
{
    SOUND s(Write("ramp.wav", Riff({{"fmt ", PcmFormat(1, kRate)}, {"data", Ramp(400)}})).c_str());
    ASSERT_TRUE(s.fLoaded()) << SoundLastError();

    s.Play();
    const auto start = Render(100);
    EXPECT_EQ(start[0], 1000);
    EXPECT_NE(Render(100), start);
    s.Play(); // again while sounding: from the beginning
    EXPECT_EQ(Render(100), start);
    EXPECT_TRUE(s.IsPlaying());
    Render(300); // played out
    EXPECT_FALSE(s.IsPlaying());

    s.Play(true);
    EXPECT_EQ(Render(100), start);
    s.Play(true); // looped and playing: goes on where it is
    const auto goesOn = Render(100);
    EXPECT_EQ(goesOn[0], 1000 + 50 * 100);
    Render(250);
    EXPECT_EQ(Render(1)[0], 1000 + 50 * 50); // wrapped round
    EXPECT_TRUE(s.IsPlaying());

    s.Stop();
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_EQ(Peak(Render(50)), 0);
    s.Play();
    EXPECT_EQ(Render(100), start); // a stopped sound starts at its beginning
}

TEST_F(SoundDevice, PanMovesTheSoundToOneSide)
{
    SOUND s(Write("ramp.wav", Riff({{"fmt ", PcmFormat(1, kRate)}, {"data", Ramp(400)}})).c_str());
    s.SetPan(100);
    EXPECT_EQ(s.lPan, 100);
    LONG pan = 0;
    s.pBuffer->GetPan(&pan);
    EXPECT_EQ(pan, 10000);
    s.Play();
    std::vector<SHORT> stereo(200);
    dsound_control::Render(stereo.data(), 100);
    EXPECT_EQ(stereo[1], 1000);       // right at full level
    EXPECT_LT(std::abs(stereo[0]), 2); // left 100 dB down
}

TEST_F(SoundDevice, CompressedWavePlaysAfterConversion)
{
    SOUND s(Write("ima.wav", Riff(ImaAdpcm())).c_str());
    ASSERT_TRUE(s.fLoaded()) << SoundLastError();
    EXPECT_EQ(SoundLastError(), 0u);
    WAVEFORMATEX wf{};
    s.pBuffer->GetFormat(&wf, sizeof wf, nullptr);
    EXPECT_EQ(wf.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wf.wBitsPerSample, 16);
    EXPECT_EQ(wf.nSamplesPerSec, kRate);
    s.Play();
    EXPECT_GT(Peak(Render(505)), 1000);
    EXPECT_EQ(Peak(Render(100)), 0); // 505 samples and no more

    // The game's own spoken sounds: IMA ADPCM in English, Microsoft ADPCM in
    // Esperanto.
    const auto data = std::filesystem::path(__FILE__).parent_path() / "../../data";
    for (const char* name : {"gameover_eng.wav", "gameover_esp.wav"}) {
        std::vector<BYTE> format, bytes;
        ASSERT_TRUE(ReadWaveFile((data / name).string().c_str(), format, bytes)) << name;
        EXPECT_NE(reinterpret_cast<const WAVEFORMATEX*>(format.data())->wFormatTag, WAVE_FORMAT_PCM);
        SOUND spoken((data / name).string().c_str());
        EXPECT_TRUE(spoken.fLoaded()) << name << " " << SoundLastError();
    }
}

TEST_F(SoundDevice, ChunksAreFoundWhereverTheyAre)
{
    // Data before the format, an odd-sized chunk with its pad byte between.
    const auto path = Write("order.wav", Riff({{"LIST", {1, 2, 3}},
                                               {"data", Ramp(4)},
                                               {"junk", {9}},
                                               {"fmt ", PcmFormat(1, kRate)}}));
    std::vector<BYTE> format, data;
    ASSERT_TRUE(ReadWaveFile(path.c_str(), format, data)) << SoundLastError();
    EXPECT_EQ(format.size(), sizeof(WAVEFORMATEX));
    EXPECT_EQ(data, Ramp(4));
    // The name is found without regard to letter case.
    EXPECT_TRUE(ReadWaveFile((folder / "ORDER.WAV").string().c_str(), format, data));
}

TEST_F(SoundDevice, DamagedFilesFailWithTheirCause)
{
    std::vector<BYTE> format, data;
    auto shortFmt = PcmFormat(1, kRate);
    shortFmt.resize(14);
    EXPECT_FALSE(ReadWaveFile(Write("short.wav", Riff({{"fmt ", shortFmt}, {"data", Ramp(4)}})).c_str(), format,
                              data));
    EXPECT_EQ(SoundLastError(), ERROR_INVALID_DATA);
    EXPECT_TRUE(format.empty() && data.empty());

    SOUND s((folder / "short.wav").string().c_str());
    EXPECT_FALSE(s.fLoaded());
    EXPECT_EQ(SoundLastError(), kSoundErrorBadFile);

    EXPECT_FALSE(ReadWaveFile((folder / "missing.wav").string().c_str(), format, data));
    EXPECT_EQ(SoundLastError(), ERROR_FILE_NOT_FOUND);

    // The data chunk ends before its stated size.
    auto cut = Riff({{"fmt ", PcmFormat(1, kRate)}, {"data", Ramp(100)}});
    cut.resize(cut.size() - 50);
    EXPECT_FALSE(ReadWaveFile(Write("cut.wav", cut).c_str(), format, data));
    EXPECT_EQ(SoundLastError(), ERROR_INVALID_DATA);

    // Not a WAVE form.
    auto avi = Riff({{"fmt ", PcmFormat(1, kRate)}, {"data", Ramp(4)}});
    std::memcpy(avi.data() + 8, "AVI ", 4);
    EXPECT_FALSE(ReadWaveFile(Write("avi.wav", avi).c_str(), format, data));

    // A compressed format the converter does not know.
    auto odd = ImaAdpcm();
    odd[0].bytes[0] = 0x77;
    SOUND unknown(Write("odd.wav", Riff(odd)).c_str());
    EXPECT_FALSE(unknown.fLoaded());
    unknown.Play();
    EXPECT_FALSE(unknown.IsPlaying());
}

TEST(SoundWithoutDevice, EveryWaveIsSilentAndNothingIsShown)
{
    dsound_control::SimulateNoDevice(true);
    EXPECT_FALSE(SoundInit(reinterpret_cast<HWND>(1)));
    const auto data = std::filesystem::path(__FILE__).parent_path() / "../../data";
    SOUND roll((data / "roll.wav").string().c_str());
    EXPECT_FALSE(roll.fLoaded());
    EXPECT_EQ(SoundLastError(), kSoundErrorBadFile);
    roll.Play(true);
    roll.SetPan(-40);
    EXPECT_FALSE(roll.IsPlaying());
    // The music does not need the sound device to load.
    SOUND music((data / "varno.mid").string().c_str());
    EXPECT_TRUE(music.fLoaded());
    EXPECT_TRUE(music.bMidi);
    SoundShutdown();
    dsound_control::SimulateNoDevice(false);
}

class GameSounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = (std::filesystem::temp_directory_path() / ("varno-table-" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::create_directories(folder);
        const auto wave = Riff({{"fmt ", PcmFormat(1, kRate)}, {"data", Ramp(8)}});
        for (bool esperanto : {false, true})
            for (int id = 0; id < sndCount; ++id) {
                std::FILE* f = std::fopen((folder + GameSoundFile(id, esperanto)).c_str(), "wb");
                std::fwrite(wave.data(), 1, wave.size(), f);
                std::fclose(f);
            }
        sound_control::UseRecordingDevice();
    }
    void TearDown() override
    {
        FreeGameSounds();
        sound_control::UseNoDevice();
        std::filesystem::remove_all(folder);
    }
    std::string folder;
};

TEST_F(GameSounds, TableNamesTheFilesInLoadingOrder)
{
    EXPECT_EQ(GameSoundFile(sndHitSteel, false), "hitsteel.wav");
    EXPECT_EQ(GameSoundFile(sndSlide, false), "slide.wav");
    EXPECT_EQ(GameSoundFile(sndGameOver, false), "gameover_eng.wav");
    EXPECT_EQ(GameSoundFile(sndWonLevel3, true), "wonlevel3_esp.wav");
    EXPECT_EQ(sndCount - kFirstLanguageSound, 6);
    EXPECT_EQ(GameSoundFile(sndCount, false), "");
}

TEST_F(GameSounds, LanguageChangeReplacesOnlyTheSpokenSounds)
{
    LoadGameSounds(folder.c_str(), false);
    std::vector<SOUND*> before;
    for (int id = 0; id < sndCount; ++id) {
        ASSERT_TRUE(GameSound(id)->fLoaded()) << id;
        before.push_back(GameSound(id));
    }
    GameSound(sndWalk)->Play(true);

    ReloadLanguageSounds(folder.c_str(), true);
    for (int id = 0; id < kFirstLanguageSound; ++id)
        EXPECT_EQ(GameSound(id), before[id]) << id;
    for (int id = kFirstLanguageSound; id < sndCount; ++id) {
        const std::string file = GameSound(id)->File();
        EXPECT_EQ(file, folder + GameSoundFile(id, true));
        EXPECT_TRUE(GameSound(id)->fLoaded());
    }
    EXPECT_TRUE(GameSound(sndWalk)->IsPlaying()); // the others go on

    sound_control::ClearCalls();
    GameSound(sndGameOver)->Play();
    EXPECT_EQ(sound_control::Played(), std::vector<std::string>{"gameover_esp.wav"});
}

} // namespace
