// The shipped sounds and music: every file the game loads is there, in a
// form the sound layer plays, and the music is long and dense enough to be
// streamed in several blocks.
#include "platform/acm/msacm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::string DataFolder() { return VARNO_DATA_FOLDER; }

std::vector<BYTE> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DWORD Le32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}
DWORD Be(const BYTE* p, int n)
{
    DWORD v = 0;
    for (int i = 0; i < n; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// The format record (with extra bytes) and the data chunk of a WAVE file.
struct Wave {
    std::vector<BYTE> format;
    std::vector<BYTE> data;
    const WAVEFORMATEX& Format() const { return *reinterpret_cast<const WAVEFORMATEX*>(format.data()); }
};

bool ReadWave(const std::string& path, Wave& w)
{
    const auto b = ReadAll(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const DWORD size = Le32(&b[at + 4]);
        if (at + 8 + size > b.size()) {
            return false;
        }
        if (std::memcmp(&b[at], "fmt ", 4) == 0) {
            w.format.assign(b.begin() + at + 8, b.begin() + at + 8 + size);
            w.format.resize(std::max(w.format.size(), sizeof(WAVEFORMATEX)), 0);
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            w.data.assign(b.begin() + at + 8, b.begin() + at + 8 + size);
        }
        at += 8 + size + (size & 1);
    }
    return !w.format.empty() && !w.data.empty();
}

// 16-bit samples of a wave, converted when it is compressed.
std::vector<SHORT> Samples(Wave& w)
{
    std::vector<BYTE> pcm;
    if (w.Format().wFormatTag == WAVE_FORMAT_PCM) {
        pcm = w.data;
    } else {
        WAVEFORMATEX target{WAVE_FORMAT_PCM,
                            w.Format().nChannels,
                            w.Format().nSamplesPerSec,
                            w.Format().nSamplesPerSec * 2u * w.Format().nChannels,
                            static_cast<WORD>(2 * w.Format().nChannels),
                            16,
                            0};
        HACMSTREAM s = nullptr;
        auto* source = reinterpret_cast<LPWAVEFORMATEX>(w.format.data());
        if (acmStreamOpen(&s, nullptr, source, &target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
            return {};
        }
        DWORD size = 0;
        acmStreamSize(s, static_cast<DWORD>(w.data.size()), &size, ACM_STREAMSIZEF_SOURCE);
        pcm.resize(size);
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = w.data.data();
        h.cbSrcLength = static_cast<DWORD>(w.data.size());
        h.pbDst = pcm.data();
        h.cbDstLength = size;
        acmStreamPrepareHeader(s, &h, 0);
        const MMRESULT r = acmStreamConvert(s, &h, 0);
        acmStreamUnprepareHeader(s, &h, 0);
        acmStreamClose(s, 0);
        if (r != 0) {
            return {};
        }
        pcm.resize(h.cbDstLengthUsed);
    }
    std::vector<SHORT> out(pcm.size() / 2);
    std::memcpy(out.data(), pcm.data(), out.size() * 2);
    return out;
}

TEST(SoundData, EveryEffectAndSpokenLineIsAPlayableWave)
{
    std::vector<std::string> names = {"intro.wav",   "varno.wav",   "roll.wav",     "rocks.wav",   "scream.wav",
                                      "grow.wav",    "walk.wav",    "fly.wav",      "land.wav",    "place.wav",
                                      "hitnone.wav", "hitcube.wav", "hitbonus.wav", "hitsteel.wav"};
    for (const char* spoken : {"gameover", "hitbad", "fell", "wonlevel1", "wonlevel2", "wonlevel3"}) {
        for (const char* language : {"eng", "esp"}) {
            names.push_back(std::string(spoken) + "_" + language + ".wav");
        }
    }
    std::map<WORD, int> tags;
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        Wave w;
        ASSERT_TRUE(ReadWave(DataFolder() + name, w));
        EXPECT_EQ(w.Format().nSamplesPerSec, 22050u);
        EXPECT_EQ(w.Format().nChannels, 1);
        ++tags[w.Format().wFormatTag];
        const auto samples = Samples(w);
        ASSERT_GT(samples.size(), 22050u / 4); // at least a quarter of a second
        EXPECT_LT(samples.size(), 22050u * 4);
        const int peak = std::abs(*std::max_element(samples.begin(), samples.end(),
                                                    [](SHORT a, SHORT b) { return std::abs(a) < std::abs(b); }));
        EXPECT_GT(peak, 8000);
    }
    // Both compressed kinds are shipped, so both conversions are used.
    EXPECT_GT(tags[WAVE_FORMAT_PCM], 0);
    EXPECT_GT(tags[WAVE_FORMAT_IMA_ADPCM], 0);
    EXPECT_GT(tags[WAVE_FORMAT_ADPCM], 0);
}

TEST(SoundData, MusicIsAFormatOneSongOfSeveralStreamBlocks)
{
    const auto b = ReadAll(DataFolder() + "varno.mid");
    ASSERT_GE(b.size(), 14u);
    ASSERT_EQ(std::memcmp(b.data(), "MThd", 4), 0);
    EXPECT_EQ(Be(&b[8], 2), 1u);
    const DWORD tracks = Be(&b[10], 2), division = Be(&b[12], 2);
    EXPECT_GE(tracks, 4u);
    ASSERT_GT(division, 0u);
    ASSERT_LT(division, 0x8000u);

    std::size_t streamed = 0;
    std::map<DWORD, DWORD> tempos; // tick -> microseconds per quarter
    DWORD lastTick = 0;
    std::size_t at = 8 + Be(&b[4], 4);
    for (DWORD t = 0; t < tracks; ++t) {
        ASSERT_LE(at + 8, b.size());
        ASSERT_EQ(std::memcmp(&b[at], "MTrk", 4), 0);
        const std::size_t end = at + 8 + Be(&b[at + 4], 4);
        ASSERT_LE(end, b.size());
        std::size_t p = at + 8;
        auto number = [&] {
            DWORD v = 0;
            while (p < end) {
                const BYTE c = b[p++];
                v = (v << 7) | (c & 0x7F);
                if (c < 0x80) {
                    break;
                }
            }
            return v;
        };
        DWORD now = 0;
        BYTE running = 0;
        bool ended = false;
        while (p < end && !ended) {
            now += number();
            BYTE status = b[p];
            if (status >= 0x80) {
                ++p;
            } else {
                ASSERT_NE(running, 0) << "running status without a status";
                status = running;
            }
            if (status == 0xFF) {
                const BYTE type = b[p++];
                const DWORD length = number();
                if (type == 0x51) {
                    ASSERT_EQ(length, 3u);
                    tempos[now] = Be(&b[p], 3);
                    ++streamed;
                }
                ended = type == 0x2F;
                p += length;
            } else if (status == 0xF0 || status == 0xF7) {
                p += number();
            } else {
                running = status;
                p += (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                ++streamed;
            }
        }
        EXPECT_TRUE(ended) << "track " << t << " has no end";
        lastTick = std::max(lastTick, now);
        at = end;
    }
    // Each streamed event takes 12 bytes; blocks hold up to 60000.
    EXPECT_GT(streamed * 12, 2u * 60000u);
    EXPECT_GE(tempos.size(), 3u);

    double seconds = 0;
    DWORD tick = 0, tempo = 500000;
    for (const auto& [when, us] : tempos) {
        seconds += (when - tick) * (tempo / 1e6) / division;
        tick = when;
        tempo = us;
    }
    seconds += (lastTick - tick) * (tempo / 1e6) / division;
    EXPECT_GT(seconds, 120.0);
    EXPECT_LT(seconds, 300.0);
}

} // namespace
