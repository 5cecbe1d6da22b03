#include "platform/dsound/dsound.h"
#include "platform/midi/midistream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kRate = 48000; // at 96 ticks and 500000 us per quarter: 250 frames a tick

DWORD NoteOn(int key, int velocity = 100)
{
    return 0x90 | (key << 8) | (velocity << 16);
}
DWORD NoteOff(int key)
{
    return 0x80 | (key << 8) | (64 << 16);
}
DWORD Tempo(DWORD us)
{
    return (static_cast<DWORD>(MEVT_TEMPO) << 24) | us;
}

// One block of stream events with its header.
struct Block {
    std::vector<DWORD> words;
    MIDIHDR header{};

    Block& Add(DWORD delta, DWORD event)
    {
        words.insert(words.end(), {delta, 0, event});
        return *this;
    }
    Block& AddLong(DWORD delta, const std::vector<BYTE>& bytes)
    {
        words.insert(
            words.end(),
            {delta, 0, MEVT_F_LONG | (static_cast<DWORD>(MEVT_LONGMSG) << 24) | static_cast<DWORD>(bytes.size())});
        std::vector<DWORD> padded((bytes.size() + 3) / 4, 0);
        std::memcpy(padded.data(), bytes.data(), bytes.size());
        words.insert(words.end(), padded.begin(), padded.end());
        return *this;
    }
    LPMIDIHDR Header()
    {
        const DWORD flags = header.dwFlags;
        header = MIDIHDR{};
        header.dwFlags = flags;
        header.lpData = reinterpret_cast<char*>(words.data());
        header.dwBufferLength = header.dwBytesRecorded = static_cast<DWORD>(words.size() * 4);
        return &header;
    }
};

struct Played {
    std::uint64_t frame;
    DWORD event;
    bool operator==(const Played&) const = default;
};

class MidiStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        dsound_control::UseManualDevice(kRate);
        midi_control::SetSoundFontPaths({});
        midi_control::SetEventObserver(
            [](void* self, std::uint64_t frame, DWORD event) {
                static_cast<MidiStream*>(self)->played.push_back({frame, event});
            },
            this);
        UINT device = MIDI_MAPPER;
        ASSERT_EQ(midiStreamOpen(&stream, &device, 1, reinterpret_cast<DWORD_PTR>(&Callback),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void TearDown() override
    {
        if (stream) {
            midiStreamStop(stream);
            EXPECT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
        }
        midi_control::SetEventObserver(nullptr, nullptr);
        midi_control::UseDefaultSoundFontPaths();
        EXPECT_FALSE(dsound_control::IsDeviceOpen());
        dsound_control::UseSystemDevice();
    }

    static void Callback(HMIDIOUT out, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR)
    {
        auto* self = reinterpret_cast<MidiStream*>(instance);
        auto* header = reinterpret_cast<LPMIDIHDR>(param1);
        {
            std::lock_guard lock(self->mutex);
            self->calls.push_back({message, header, std::this_thread::get_id()});
        }
        // Looping like a music player: the finished block is sent again.
        if (message == MOM_DONE && self->loopsLeft > 0) {
            --self->loopsLeft;
            EXPECT_EQ(midiOutUnprepareHeader(out, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            EXPECT_EQ(midiOutPrepareHeader(out, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            EXPECT_EQ(midiStreamOut(reinterpret_cast<HMIDISTRM>(out), header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
    }

    void Send(Block& b)
    {
        LPMIDIHDR h = b.Header();
        ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    }

    // Renders frames in pieces, letting the callbacks run between them.
    std::vector<SHORT> Render(DWORD frames, DWORD piece = 4800)
    {
        std::vector<SHORT> out(frames * 2);
        for (DWORD at = 0; at < frames; at += piece) {
            const DWORD n = std::min(piece, frames - at);
            EXPECT_EQ(dsound_control::Render(out.data() + 2 * at, n), n);
            midi_control::WaitForCallbacks(stream);
        }
        return out;
    }

    std::vector<UINT> Messages()
    {
        std::lock_guard lock(mutex);
        std::vector<UINT> m;
        for (const auto& c : calls) {
            m.push_back(c.message);
        }
        return m;
    }

    struct Call {
        UINT message;
        LPMIDIHDR header;
        std::thread::id thread;
    };
    HMIDISTRM stream = nullptr;
    std::vector<Played> played;
    std::mutex mutex;
    std::vector<Call> calls;
    int loopsLeft = 0;
};

TEST_F(MidiStream, BlocksPlayInOrderAndReportDoneFromTheirOwnThread)
{
    Block a, b;
    a.Add(0, NoteOn(60)).Add(96, NoteOff(60));
    b.Add(96, NoteOn(64)).Add(0, NoteOff(64));
    Send(a);
    Send(b);
    // Nothing plays before the restart.
    Render(10000);
    EXPECT_TRUE(played.empty());
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    Render(60000);
    const std::vector<Played> want = {{0, NoteOn(60)}, {24000, NoteOff(60)}, {48000, NoteOn(64)}, {48000, NoteOff(64)}};
    EXPECT_EQ(played, want);

    EXPECT_EQ(Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE, MOM_DONE}));
    std::lock_guard lock(mutex);
    EXPECT_EQ(calls[1].header, &a.header);
    EXPECT_EQ(calls[2].header, &b.header);
    for (const auto& c : calls) {
        EXPECT_NE(c.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(a.header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
    EXPECT_EQ(b.header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
}

TEST_F(MidiStream, TempoChangesAndTimeDivisionSetTheEventTimes)
{
    MIDIPROPTIMEDIV div{sizeof div, 480};
    ASSERT_EQ(midiStreamProperty(stream, reinterpret_cast<BYTE*>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV),
              MMSYSERR_NOERROR);
    Block a;
    a.Add(0, NoteOn(60))
        .Add(480, Tempo(250000)) // one quarter at 500000 us: frame 24000
        .Add(480, NoteOn(62))    // one quarter at 250000 us: 12000 frames later
        .Add(0, Tempo(1000000))
        .Add(240, NoteOn(64)) // half a quarter at 1000000 us: 24000 frames later
        .AddLong(120, {0xF0, 0x7E, 0x7F, 0x09, 0xF7})
        .Add(120, NoteOn(65)); // the long event's time counts: a quarter of a beat each, 12000 frames
    Send(a);
    midiStreamRestart(stream);
    // Odd pieces: the event times do not depend on how the rendering is cut.
    Render(120000, 997);
    const std::vector<Played> want = {{0, NoteOn(60)},         {24000, Tempo(250000)}, {36000, NoteOn(62)},
                                      {36000, Tempo(1000000)}, {60000, NoteOn(64)},    {84000, NoteOn(65)}};
    EXPECT_EQ(played, want);

    MIDIPROPTEMPO tempo{sizeof tempo, 0};
    ASSERT_EQ(midiStreamProperty(stream, reinterpret_cast<BYTE*>(&tempo), MIDIPROP_GET | MIDIPROP_TEMPO),
              MMSYSERR_NOERROR);
    EXPECT_EQ(tempo.dwTempo, 1000000u);
    EXPECT_EQ(midiStreamProperty(stream, reinterpret_cast<BYTE*>(&tempo), MIDIPROP_GET | MIDIPROP_SET),
              MMSYSERR_INVALFLAG);
    tempo.cbStruct = 4;
    EXPECT_EQ(midiStreamProperty(stream, reinterpret_cast<BYTE*>(&tempo), MIDIPROP_GET | MIDIPROP_TEMPO),
              MMSYSERR_INVALPARAM);
}

TEST_F(MidiStream, ABlockSentAgainFromTheCallbackLoopsWithoutAGap)
{
    Block a;
    a.Add(48, NoteOn(60)).Add(48, NoteOff(60)); // 96 ticks: 24000 frames a round
    loopsLeft = 3;
    Send(a);
    midiStreamRestart(stream);
    Render(110000, 1000);
    ASSERT_EQ(played.size(), 8u);
    for (std::size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].frame, 12000 * (i + 1)) << i;
        EXPECT_EQ(played[i].event, i % 2 == 0 ? NoteOn(60) : NoteOff(60)) << i;
    }
    EXPECT_EQ(Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE, MOM_DONE, MOM_DONE, MOM_DONE}));
}

TEST_F(MidiStream, StopReturnsQueuedBlocksAndRestartBeginsAfresh)
{
    Block a, b;
    a.Add(0, NoteOn(60)).Add(96, NoteOff(60));
    b.Add(0, NoteOn(61));
    Send(a);
    Send(b);
    midiStreamRestart(stream);
    Render(1000);
    // A queued block cannot be unprepared, nor the stream closed.
    EXPECT_EQ(midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(stream), &a.header, sizeof(MIDIHDR)),
              MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiStreamClose(stream), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiStreamStop(stream), MMSYSERR_NOERROR);
    midi_control::WaitForCallbacks(stream);
    EXPECT_EQ(Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE, MOM_DONE}));
    EXPECT_TRUE(a.header.dwFlags & MHDR_DONE);
    EXPECT_TRUE(b.header.dwFlags & MHDR_DONE);

    // Sent again and restarted, the song plays from its first event at time 0.
    played.clear();
    Send(a);
    midiStreamRestart(stream);
    Render(30000);
    EXPECT_EQ(played, (std::vector<Played>{{0, NoteOn(60)}, {24000, NoteOff(60)}}));
}

TEST_F(MidiStream, MisuseIsRefused)
{
    Block a;
    a.Add(0, NoteOn(60));
    LPMIDIHDR h = a.Header();
    EXPECT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), h, sizeof(MIDIHDR) - 8), MMSYSERR_INVALPARAM);
    ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    h->dwBytesRecorded = 10; // not whole events
    EXPECT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM);
    h->dwBytesRecorded = 12;
    ASSERT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);

    // One stream at a time, on the mapper or device 0.
    HMIDISTRM other = nullptr;
    UINT device = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&other, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    device = 3;
    EXPECT_EQ(midiStreamOpen(&other, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);

    midiStreamStop(stream);
    ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
    EXPECT_EQ(midiStreamRestart(stream), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamClose(stream), MMSYSERR_INVALHANDLE);
    stream = nullptr;

    // Without an audio device there is no MIDI output either.
    dsound_control::SimulateNoDevice(true);
    device = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&other, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(other, nullptr);
    dsound_control::SimulateNoDevice(false);
}

double Energy(const std::vector<SHORT>& samples)
{
    double sum = 0;
    for (SHORT s : samples) {
        sum += std::abs(static_cast<double>(s));
    }
    return sum / static_cast<double>(samples.size());
}

TEST_F(MidiStream, WithoutASoundFontTheStreamRunsSilently)
{
    EXPECT_NE(midi_control::SynthError(), "");
    Block a;
    a.Add(0, 0xC0 | (0 << 8)).Add(0, NoteOn(60, 127)).Add(96, NoteOff(60));
    Send(a);
    midiStreamRestart(stream);
    const auto out = Render(96000);
    EXPECT_EQ(Energy(out), 0.0);
    EXPECT_EQ(played.size(), 3u);
    EXPECT_EQ(Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE}));
}

TEST_F(MidiStream, WithASoundFontNotesSoundAndStopSilencesThem)
{
    const std::string font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (!std::filesystem::exists(font)) {
        GTEST_SKIP() << "no SoundFont installed";
    }
    midiStreamClose(stream);
    stream = nullptr;
    midi_control::SetSoundFontPaths({"/nonexistent/none.sf2", font});
    UINT device = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&stream, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midi_control::SynthError(), "");

    Block a;
    a.Add(0, 0xC0).Add(0, NoteOn(60, 127)).Add(96 * 40, NoteOff(60));
    Send(a);
    midiStreamRestart(stream);
    const double playing = Energy(Render(9600));
    EXPECT_GT(playing, 100.0);
    midiStreamStop(stream);
    // Only the release and the reverberation die away, within a second.
    EXPECT_LT(Energy(Render(4800)), playing);
    Render(48000);
    EXPECT_LT(Energy(Render(4800)), 0.5);
}

} // namespace
