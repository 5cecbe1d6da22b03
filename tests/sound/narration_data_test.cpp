// The shipped tutorial narrations: all twelve exist in both languages, and
// the game's own loader reads each of them, converting the compressed ones.
#include "editor/tutorial.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/dsound/waveformat.h"
#include "platform/registry/registry.h"
#include "sound/dxsound.h"
#include "sound/wave.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

class Narrations : public ::testing::Test {
protected:
    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() / ("varno-narration-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        registry_store::Reload();
        // The data folder the game finds beside the program.
        ResetDataFolder(nullptr);
        ASSERT_TRUE(std::filesystem::exists(DataFilePath("VARNO.LEV")))
            << "no data folder beside the test program (the build links it there)";
        sound_control::UseRecordingDevice();
        g = GAME{};
    }
    void TearDown() override
    {
        SetTutorialDisplay(FALSE);
        sound_control::UseNoDevice();
        registry_store::Reload();
        std::filesystem::remove_all(config);
    }
    std::filesystem::path config;
};

std::string Name(int n, const char* language)
{
    return "tutorial_" + std::to_string(n) + "_" + language + ".wav";
}

TEST_F(Narrations, TheTutorialLoadsAllTwelveInEachLanguage)
{
    for (WORD language : {LANG_ENGLISH_TEXTS, LANG_ESPERANTO_TEXTS}) {
        SetLanguage(language);
        SetTutorialDisplay(TRUE);
        const char* code = language == LANG_ENGLISH_TEXTS ? "eng" : "esp";
        for (int i = 0; i < kNarrations; ++i) {
            SOUND* s = g.Tutorial.aNarration[i];
            ASSERT_NE(s, nullptr) << i;
            EXPECT_TRUE(s->fLoaded()) << s->File();
            EXPECT_EQ(std::filesystem::path(s->File()).filename().string(), Name(i + 1, code));
        }
        SetTutorialDisplay(FALSE);
    }
}

TEST_F(Narrations, EachIsAShortMonoSpeechWaveThatConvertsToPcm)
{
    std::map<WORD, int> tags;
    std::uintmax_t total = 0;
    for (const char* language : {"eng", "esp"})
        for (int n = 1; n <= kNarrations; ++n) {
            const std::string path = DataFilePath(Name(n, language).c_str());
            SCOPED_TRACE(path);
            std::vector<BYTE> format, data, pcm;
            ASSERT_TRUE(ReadWaveFile(path.c_str(), format, data));
            const auto& wf = *reinterpret_cast<const WAVEFORMATEX*>(format.data());
            EXPECT_EQ(wf.nChannels, 1);
            EXPECT_TRUE(wf.nSamplesPerSec == 11025 || wf.nSamplesPerSec == 22050) << wf.nSamplesPerSec;
            ++tags[wf.wFormatTag];
            if (wf.wFormatTag == WAVE_FORMAT_PCM)
                pcm = data;
            else
                ASSERT_TRUE(ConvertToPcm(format, data, pcm));
            const std::size_t samples = pcm.size() / 2;
            // A spoken sentence or two: between 1 and 15 seconds.
            EXPECT_GT(samples, wf.nSamplesPerSec * 1u);
            EXPECT_LT(samples, wf.nSamplesPerSec * 15u);
            int peak = 0;
            for (std::size_t i = 0; i < samples; ++i) {
                SHORT v;
                std::memcpy(&v, &pcm[2 * i], 2);
                peak = std::max(peak, std::abs(static_cast<int>(v)));
            }
            EXPECT_GT(peak, 8000);
            total += std::filesystem::file_size(path);
        }
    // Compressed, so the conversion is what the game plays them through.
    EXPECT_EQ(tags[WAVE_FORMAT_IMA_ADPCM] + tags[WAVE_FORMAT_ADPCM], 2 * kNarrations);
    EXPECT_GT(tags[WAVE_FORMAT_IMA_ADPCM], 0);
    EXPECT_LT(total, 2u * 1024 * 1024);
}

} // namespace
