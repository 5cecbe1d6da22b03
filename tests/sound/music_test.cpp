// Music: MIDI files converted into stream blocks, and played through the
// MIDI stream on the manual device, looped, stopped and started again.
#include "platform/dsound/dsound.h"
#include "sound/dxsound.h"
#include "sound/music.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A standard MIDI file put together in memory.
struct Smf {
    std::vector<std::vector<BYTE>> tracks;
    WORD division = 96;

    std::vector<BYTE>& Track()
    {
        tracks.emplace_back();
        return tracks.back();
    }
    static void VarLen(std::vector<BYTE>& t, DWORD v)
    {
        BYTE bytes[4];
        int n = 0;
        do {
            bytes[n++] = static_cast<BYTE>(v & 0x7F);
            v >>= 7;
        } while (v);
        while (n--)
            t.push_back(static_cast<BYTE>(bytes[n] | (n ? 0x80 : 0)));
    }
    static void Event(std::vector<BYTE>& t, DWORD delta, std::initializer_list<BYTE> bytes)
    {
        VarLen(t, delta);
        t.insert(t.end(), bytes);
    }
    static void End(std::vector<BYTE>& t, DWORD delta = 0) { Event(t, delta, {0xFF, 0x2F, 0x00}); }

    std::vector<BYTE> Bytes(WORD format = 1) const
    {
        std::vector<BYTE> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
        for (WORD w : {format, static_cast<WORD>(tracks.size()), division}) {
            f.push_back(static_cast<BYTE>(w >> 8));
            f.push_back(static_cast<BYTE>(w));
        }
        for (const auto& t : tracks) {
            for (char c : {'M', 'T', 'r', 'k'})
                f.push_back(static_cast<BYTE>(c));
            const auto n = static_cast<DWORD>(t.size());
            for (int shift : {24, 16, 8, 0})
                f.push_back(static_cast<BYTE>(n >> shift));
            f.insert(f.end(), t.begin(), t.end());
        }
        return f;
    }
};

struct Ev {
    DWORD delta;
    DWORD event;
    bool operator==(const Ev&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Ev& e)
{
    return o << "{" << e.delta << ", 0x" << std::hex << e.event << std::dec << "}";
}

constexpr DWORD On(BYTE key, BYTE channel = 0)
{
    return (0x90u | channel) | (static_cast<DWORD>(key) << 8) | (100u << 16);
}

std::vector<Ev> Events(const SOUND& s)
{
    std::vector<Ev> out;
    for (LONG b = 0; b < s.cBlocks; ++b) {
        EXPECT_LE(s.aBlocks[b].cbData, kMusicBlockBytes);
        for (DWORD at = 0; at < s.aBlocks[b].cbData; at += 12) {
            DWORD w[3];
            std::memcpy(w, s.aBlocks[b].pData + at, 12);
            EXPECT_EQ(w[1], 0u);
            out.push_back({w[0], w[2]});
        }
    }
    return out;
}

class Music : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("varno-music-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Write(const std::vector<BYTE>& bytes, const char* name = "song.mid")
    {
        const std::string path = (folder / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    std::filesystem::path folder;
};

TEST_F(Music, TracksInterleaveByTimeTheLowerTrackFirstOnATie)
{
    Smf smf;
    auto& t0 = smf.Track();
    Smf::Event(t0, 0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}); // 500000 us a quarter
    Smf::Event(t0, 10, {0x90, 60, 100});
    Smf::Event(t0, 10, {62, 100}); // running status
    Smf::End(t0);
    auto& t1 = smf.Track();
    Smf::Event(t1, 10, {0x91, 48, 100});
    Smf::Event(t1, 5, {0xC1, 7}); // one data byte
    Smf::End(t1);
    smf.division = 480;

    SOUND s(Write(smf.Bytes()).c_str());
    ASSERT_TRUE(s.bMidi);
    EXPECT_EQ(SoundLastError(), 0u);
    EXPECT_EQ(s.TimeDiv.dwTimeDiv, 480u);
    EXPECT_EQ(s.TimeDiv.cbStruct, 8u);
    const std::vector<Ev> expected = {
        {0, 0x0107A120}, {10, On(60)}, {0, On(48, 1)}, {5, 0xC1 | 7 << 8}, {5, On(62)},
    };
    EXPECT_EQ(Events(s), expected);
}

TEST_F(Music, DroppedEventsFoldTheirTimeIntoTheNextNote)
{
    Smf smf;
    auto& t = smf.Track();
    Smf::Event(t, 0, {0x90, 60, 100});
    Smf::Event(t, 5, {0xF0, 0x03, 0x7E, 0x09, 0xF7});   // system exclusive
    Smf::Event(t, 3, {0xFF, 0x01, 0x02, 'h', 'i'});     // a text
    Smf::Event(t, 7, {0x90, 64, 100});
    Smf::End(t, 4);
    SOUND s(Write(smf.Bytes(0)).c_str());
    const std::vector<Ev> expected = {{0, On(60)}, {15, On(64)}};
    EXPECT_EQ(Events(s), expected);
}

TEST_F(Music, EmptyTrackGivesNothingAndStopsNothing)
{
    Smf smf;
    smf.Track(); // length 0
    auto& t = smf.Track();
    Smf::Event(t, 2, {0x90, 60, 100});
    Smf::End(t);
    smf.Track();
    SOUND s(Write(smf.Bytes()).c_str());
    ASSERT_TRUE(s.bMidi);
    EXPECT_EQ(Events(s), (std::vector<Ev>{{2, On(60)}}));
}

TEST_F(Music, BadEventEndsTheSongThereBadChunksFailTheLoad)
{
    Smf smf;
    auto& t = smf.Track();
    Smf::Event(t, 0, {0x90, 60, 100});
    Smf::Event(t, 1, {0xF4}); // no such status
    Smf::Event(t, 1, {0x90, 62, 100});
    SOUND cut(Write(smf.Bytes()).c_str());
    EXPECT_TRUE(cut.bMidi);
    EXPECT_EQ(SoundLastError(), kSoundErrorNoMidi);
    EXPECT_EQ(Events(cut), (std::vector<Ev>{{0, On(60)}}));

    auto bytes = smf.Bytes();
    bytes[14] = 'X'; // "XTrk"
    SOUND bad(Write(bytes).c_str());
    EXPECT_FALSE(bad.fLoaded());
    EXPECT_EQ(SoundLastError(), kSoundErrorBadFile);
    EXPECT_EQ(bad.cBlocks, 0);

    bytes = smf.Bytes();
    bytes.resize(bytes.size() - 2); // the track runs past the end of the file
    EXPECT_FALSE(ConvertMidiFile(bytes.data(), bytes.size(), &bad));
    EXPECT_EQ(SoundLastError(), kSoundErrorNoMidi);
}

TEST_F(Music, NoTracksLoadsButCannotPlay)
{
    Smf smf;
    SOUND s(Write(smf.Bytes()).c_str());
    EXPECT_TRUE(s.bMidi);
    EXPECT_EQ(s.cBlocks, 0);
    s.Play(true);
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_EQ(SoundLastError(), kSoundErrorNoMidi);
    EXPECT_EQ(MusicStream(), nullptr);
}

// Songs played through the stream on the manual device; the events played
// are watched as they fall due.
class MusicPlaying : public Music {
protected:
    static constexpr DWORD kRate = 48000;

    void SetUp() override
    {
        Music::SetUp();
        dsound_control::UseManualDevice(kRate);
        midi_control::SetSoundFontPaths({});
        midi_control::SetEventObserver(
            [](void* self, std::uint64_t, DWORD event) {
                auto* me = static_cast<MusicPlaying*>(self);
                std::lock_guard lock(me->mutex);
                if (MEVT_EVENTTYPE(event) == MEVT_SHORTMSG)
                    me->played.push_back(event);
            },
            this);
    }
    void TearDown() override
    {
        SoundShutdown();
        midi_control::SetEventObserver(nullptr, nullptr);
        midi_control::UseDefaultSoundFontPaths();
        EXPECT_FALSE(dsound_control::IsDeviceOpen());
        dsound_control::UseSystemDevice();
        Music::TearDown();
    }

    // A song of n notes one tick apart, played very fast: 1000 us a quarter
    // of 960 ticks, so a tick is about a twentieth of an output frame.
    std::vector<DWORD> Song(int n, std::string& path)
    {
        Smf smf;
        smf.division = 960;
        auto& t = smf.Track();
        Smf::Event(t, 0, {0xFF, 0x51, 0x03, 0x00, 0x03, 0xE8});
        std::vector<DWORD> notes;
        for (int i = 0; i < n; ++i) {
            const BYTE key = static_cast<BYTE>(i % 128), velocity = static_cast<BYTE>(1 + i / 128 % 127);
            Smf::Event(t, 1, {0x90, key, velocity});
            notes.push_back(0x90u | key << 8 | static_cast<DWORD>(velocity) << 16);
        }
        Smf::End(t);
        path = Write(smf.Bytes(0));
        return notes;
    }

    // Renders in small pieces, letting the stream's callbacks run between.
    void Render(int pieces, DWORD frames = 100)
    {
        std::vector<SHORT> out(frames * 2);
        for (int i = 0; i < pieces; ++i) {
            dsound_control::Render(out.data(), frames);
            if (MusicStream())
                midi_control::WaitForCallbacks(MusicStream());
        }
    }

    std::vector<DWORD> Played()
    {
        std::lock_guard lock(mutex);
        return played;
    }
    void ClearPlayed()
    {
        std::lock_guard lock(mutex);
        played.clear();
    }

    std::mutex mutex;
    std::vector<DWORD> played;
};

TEST_F(MusicPlaying, LongSongPlaysInBlocksAndLoopsInOrder)
{
    std::string path;
    const auto notes = Song(5100, path); // with the tempo, 5101 events: two blocks
    SOUND s(path.c_str());
    ASSERT_EQ(s.cBlocks, 2);
    EXPECT_EQ(s.aBlocks[0].cbData, kMusicBlockBytes);
    EXPECT_EQ(s.aBlocks[1].cbData, 101u * 12);
    EXPECT_EQ(s.aBlocks[0].cbAlloc, kMusicBlockGrowth);

    s.Play(true);
    EXPECT_TRUE(s.IsPlaying());
    EXPECT_EQ(MusicStreamOwner(), &s);
    Render(40);
    const auto heard = Played();
    ASSERT_GT(heard.size(), notes.size() * 2 + 10);
    for (std::size_t i = 0; i < heard.size(); ++i)
        ASSERT_EQ(heard[i], notes[i % notes.size()]) << "event " << i;
    EXPECT_TRUE(s.IsPlaying());
}

TEST_F(MusicPlaying, WithoutLoopingTheSongEndsAndStartsAgainOnPlay)
{
    std::string path;
    const auto notes = Song(5100, path);
    SOUND s(path.c_str());
    s.Play(false);
    Render(40);
    EXPECT_EQ(Played(), notes);
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_EQ(MusicStreamOwner(), &s); // the stream stays open until needed

    ClearPlayed();
    s.Play(false);
    EXPECT_TRUE(s.IsPlaying());
    Render(40);
    EXPECT_EQ(Played(), notes);
}

TEST_F(MusicPlaying, MusicOffAndOnStartsTheSongFromItsBeginning)
{
    std::string path;
    const auto notes = Song(300, path);
    SOUND s(path.c_str());
    s.Play(true);
    dsound_control::Render(std::vector<SHORT>(20).data(), 10); // part of the song
    const auto some = Played().size();
    ASSERT_GT(some, 10u);
    ASSERT_LT(some, notes.size());

    s.Stop();
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_EQ(MusicStream(), nullptr);
    ClearPlayed();
    Render(2);
    EXPECT_TRUE(Played().empty());

    s.Play(true);
    Render(1, 10);
    const auto heard = Played();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0], notes[0]);
    EXPECT_EQ(std::vector<DWORD>(heard.begin(), heard.begin() + 10), std::vector<DWORD>(notes.begin(), notes.begin() + 10));
}

TEST_F(MusicPlaying, AnotherMusicTakesTheStream)
{
    std::string path;
    Song(50, path);
    SOUND first(path.c_str()), second(path.c_str());
    first.Play(true);
    second.Play(true);
    EXPECT_FALSE(first.IsPlaying());
    EXPECT_TRUE(second.IsPlaying());
    EXPECT_EQ(MusicStreamOwner(), &second);
    second.Unload();
    EXPECT_EQ(MusicStream(), nullptr);
    EXPECT_FALSE(second.fLoaded());
}

} // namespace
