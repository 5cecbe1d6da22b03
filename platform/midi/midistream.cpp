// The stream: a queue of event blocks played against the output clock. The
// mixer renders the stream frame by frame; events fall due when their delta
// times (converted to frames with the time division and the current tempo)
// have passed. Finished blocks are announced on the stream's callback
// thread, so the callback may queue the next block at once.
#include "platform/midi/midistream.h"
#include "platform/dsound/mixer.h"
#include "platform/midi/synth.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

namespace {

// The most stream time a late block may make up by playing its first
// events at once: a tenth of a second.
constexpr double kMostCatchUpSeconds = 0.1;

struct Notice {
    UINT message;
    MIDIHDR* header;
};

} // namespace

struct HMIDISTRM__ {
    // Play state, guarded by mutex (the mixing thread and the caller).
    std::mutex mutex;
    std::deque<MIDIHDR*> queue;
    bool running = false;
    DWORD timeDiv = 96;
    DWORD tempo = 500000;
    bool eventLoaded = false;
    double framesToNext = 0; // frames until the loaded event is due; below 0 while late
    std::uint64_t frame = 0; // stream time in frames since the stream was started
    bool silent = true;

    // Callback thread and its notices.
    MIDICALLBACK callback = nullptr;
    DWORD_PTR instance = 0;
    std::mutex noticeMutex;
    std::condition_variable noticeReady;
    std::condition_variable noticesDone;
    std::vector<Notice> notices;
    std::uint64_t posted = 0;
    std::uint64_t delivered = 0;
    bool quit = false;
    std::thread thread;
};

namespace {

struct Globals {
    std::mutex mutex;
    HMIDISTRM open = nullptr;
    midi_control::EventObserver observer = nullptr;
    void* observerContext = nullptr;
};

Globals& G()
{
    static auto* g = new Globals;
    return *g;
}

bool IsOpen(HMIDISTRM s)
{
    std::lock_guard lock(G().mutex);
    return s != nullptr && s == G().open;
}

void Post(HMIDISTRM s, UINT message, MIDIHDR* header)
{
    if (s->callback == nullptr) {
        return;
    }
    std::lock_guard lock(s->noticeMutex);
    s->notices.push_back({message, header});
    ++s->posted;
    s->noticeReady.notify_one();
}

void CallbackThread(HMIDISTRM s)
{
    std::vector<Notice> batch;
    batch.reserve(16);
    std::unique_lock lock(s->noticeMutex);
    for (;;) {
        s->noticeReady.wait(lock, [&] { return s->quit || !s->notices.empty(); });
        if (s->notices.empty()) {
            return; // quitting with nothing left to say
        }
        batch.swap(s->notices);
        lock.unlock();
        for (const Notice& n : batch) {
            s->callback(reinterpret_cast<HMIDIOUT>(s), n.message, s->instance, reinterpret_cast<DWORD_PTR>(n.header),
                        0);
        }
        lock.lock();
        s->delivered += batch.size();
        batch.clear();
        s->noticesDone.notify_all();
    }
}

double FramesPerTick(const HMIDISTRM__& s, DWORD rate)
{
    if (s.timeDiv & 0x8000) {
        // SMPTE: frames per second (negative, 29 meaning 29.97) and ticks per frame.
        const int fps = -static_cast<std::int8_t>((s.timeDiv >> 8) & 0xFF);
        const int ticks = s.timeDiv & 0xFF;
        const double perSecond = (fps == 29 ? 29.97 : fps) * (ticks > 0 ? ticks : 1);
        return perSecond > 0 ? rate / perSecond : 0.0;
    }
    const DWORD ppq = s.timeDiv & 0x7FFF;
    return static_cast<double>(s.tempo) * rate / 1e6 / (ppq > 0 ? ppq : 96);
}

// Finishes the block at the head of the queue. Called with the stream held.
void FinishHead(HMIDISTRM s)
{
    MIDIHDR* h = s->queue.front();
    s->queue.pop_front();
    h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    Post(s, MOM_DONE, h);
}

// Loads the next event's delta time into framesToNext, finishing blocks
// that have no events left. Called with the stream held.
void LoadNext(HMIDISTRM s, DWORD rate)
{
    while (!s->queue.empty()) {
        MIDIHDR* h = s->queue.front();
        if (h->dwOffset + 12 <= h->dwBytesRecorded) {
            DWORD delta = 0;
            std::memcpy(&delta, h->lpData + h->dwOffset, 4);
            // A block that comes late may make up only a little lost time.
            s->framesToNext = std::max(s->framesToNext, -kMostCatchUpSeconds * rate);
            s->framesToNext += delta * FramesPerTick(*s, rate);
            s->eventLoaded = true;
            return;
        }
        FinishHead(s);
    }
    s->eventLoaded = false;
}

// Plays the loaded event and moves past it. Called with the stream held.
void PlayEvent(HMIDISTRM s, DWORD rate, std::uint64_t now)
{
    MIDIHDR* h = s->queue.front();
    DWORD event = 0;
    std::memcpy(&event, h->lpData + h->dwOffset + 8, 4);
    DWORD size = 12;
    if (event & MEVT_F_LONG) {
        // Long events (system exclusive, comments) carry their bytes behind
        // them; the synthesiser has no use for them.
        size += (MEVT_EVENTPARM(event) + 3) & ~3u;
    } else {
        const BYTE type = MEVT_EVENTTYPE(event) & 0x3F;
        auto& g = G();
        if (type == MEVT_SHORTMSG) {
            midi_synth::ShortMessage(event);
        } else if (type == MEVT_TEMPO && MEVT_EVENTPARM(event) != 0) {
            s->tempo = MEVT_EVENTPARM(event);
        }
        if ((type == MEVT_SHORTMSG || type == MEVT_TEMPO) && g.observer) {
            g.observer(g.observerContext, now, event & ~MEVT_F_CALLBACK);
        }
    }
    if (event & MEVT_F_CALLBACK) {
        Post(s, MOM_POSITIONCB, h);
    }
    h->dwOffset = std::min(h->dwOffset + size, h->dwBytesRecorded);
    s->eventLoaded = false;
    LoadNext(s, rate);
}

// The mixer's stream source.
void RenderStream(void* context, float* stereo, DWORD frames, DWORD rate)
{
    auto* s = static_cast<HMIDISTRM>(context);
    std::lock_guard lock(s->mutex);
    DWORD done = 0;
    while (done < frames) {
        DWORD n = frames - done;
        if (s->running) {
            if (!s->eventLoaded) {
                LoadNext(s, rate);
            }
            while (s->eventLoaded && s->framesToNext <= 0) {
                PlayEvent(s, rate, s->frame);
            }
            if (s->eventLoaded) {
                n = std::min<DWORD>(n, static_cast<DWORD>(std::ceil(s->framesToNext)));
            }
        }
        midi_synth::Render(stereo + 2 * static_cast<std::size_t>(done), n);
        if (s->running) {
            s->framesToNext -= n;
            s->frame += n;
        }
        done += n;
    }
}

MMRESULT CheckHeader(LPMIDIHDR header, UINT bytes)
{
    return header == nullptr || bytes < sizeof(MIDIHDR) || header->lpData == nullptr || header->dwBufferLength == 0
               ? MMSYSERR_INVALPARAM
               : MMSYSERR_NOERROR;
}

} // namespace

MMRESULT midiStreamOpen(LPHMIDISTRM stream, UINT* device, DWORD streams, DWORD_PTR callback, DWORD_PTR instance,
                        DWORD flags)
{
    if (stream == nullptr || device == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *stream = nullptr;
    if (streams != 1) {
        return MMSYSERR_INVALPARAM;
    }
    if (*device != MIDI_MAPPER && *device != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    const DWORD kind = flags & CALLBACK_TYPEMASK;
    if ((kind != CALLBACK_NULL && kind != CALLBACK_FUNCTION) || (kind == CALLBACK_FUNCTION && callback == 0)) {
        return MMSYSERR_INVALFLAG;
    }
    auto& g = G();
    {
        std::lock_guard lock(g.mutex);
        if (g.open != nullptr) {
            return MMSYSERR_ALLOCATED;
        }
    }
    if (!audio_device::Acquire()) {
        return MMSYSERR_NODRIVER;
    }
    auto* s = new (std::nothrow) HMIDISTRM__;
    if (s == nullptr) {
        audio_device::Release();
        return MMSYSERR_NOMEM;
    }
    const DWORD rate = audio_device::Rate();
    s->silent = !midi_synth::Prepare(rate);
    midi_synth::Reset();
    if (kind == CALLBACK_FUNCTION) {
        s->callback = reinterpret_cast<MIDICALLBACK>(callback);
        s->instance = instance;
        s->thread = std::thread(CallbackThread, s);
    }
    {
        std::lock_guard lock(g.mutex);
        g.open = s;
    }
    audio_mixer::AddStream(s, RenderStream);
    Post(s, MOM_OPEN, nullptr);
    *stream = s;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM stream)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    {
        std::lock_guard lock(stream->mutex);
        if (!stream->queue.empty()) {
            return MIDIERR_STILLPLAYING;
        }
        stream->running = false;
    }
    audio_mixer::RemoveStream(stream);
    midi_synth::Reset();
    {
        std::lock_guard lock(G().mutex);
        G().open = nullptr;
    }
    Post(stream, MOM_CLOSE, nullptr);
    if (stream->thread.joinable()) {
        {
            std::lock_guard lock(stream->noticeMutex);
            stream->quit = true;
            stream->noticeReady.notify_one();
        }
        if (stream->thread.get_id() == std::this_thread::get_id()) {
            // Closed from its own callback: the thread ends when the callback
            // returns; the stream record stays for it.
            stream->thread.detach();
            audio_device::Release();
            return MMSYSERR_NOERROR;
        }
        stream->thread.join();
    }
    delete stream;
    audio_device::Release();
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM stream, BYTE* data, DWORD property)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    const bool set = (property & MIDIPROP_SET) != 0, get = (property & MIDIPROP_GET) != 0;
    const DWORD which = property & ~(MIDIPROP_SET | MIDIPROP_GET);
    if (set == get || (which != MIDIPROP_TIMEDIV && which != MIDIPROP_TEMPO)) {
        return MMSYSERR_INVALFLAG;
    }
    // Both property records are a size and one value.
    DWORD record[2];
    if (data == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    std::memcpy(record, data, sizeof record);
    if (record[0] < sizeof record) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(stream->mutex);
    DWORD& value = which == MIDIPROP_TIMEDIV ? stream->timeDiv : stream->tempo;
    if (set) {
        if (record[1] == 0 || (which == MIDIPROP_TIMEDIV && record[1] > 0xFFFF)) {
            return MMSYSERR_INVALPARAM;
        }
        value = record[1];
    } else {
        record[1] = value;
        std::memcpy(data, record, sizeof record);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT headerBytes)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (CheckHeader(header, headerBytes) != MMSYSERR_NOERROR || header->dwBytesRecorded > header->dwBufferLength ||
        header->dwBytesRecorded % 4 != 0) {
        return MMSYSERR_INVALPARAM;
    }
    if (!(header->dwFlags & MHDR_PREPARED)) {
        return MIDIERR_UNPREPARED;
    }
    std::lock_guard lock(stream->mutex);
    if (header->dwFlags & MHDR_INQUEUE) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE | MHDR_ISSTRM;
    header->dwOffset = 0;
    stream->queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM stream)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    std::lock_guard lock(stream->mutex);
    stream->running = true;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM stream)
{
    if (!IsOpen(stream)) {
        return MMSYSERR_INVALHANDLE;
    }
    {
        std::lock_guard lock(stream->mutex);
        stream->running = false;
        stream->eventLoaded = false;
        stream->framesToNext = 0;
        stream->frame = 0;
        while (!stream->queue.empty()) {
            FinishHead(stream);
        }
    }
    midi_synth::Reset();
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerBytes)
{
    if (!IsOpen(reinterpret_cast<HMIDISTRM>(out))) {
        return MMSYSERR_INVALHANDLE;
    }
    if (CheckHeader(header, headerBytes) != MMSYSERR_NOERROR) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerBytes)
{
    auto* s = reinterpret_cast<HMIDISTRM>(out);
    if (!IsOpen(s)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || headerBytes < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(s->mutex);
    if (header->dwFlags & MHDR_INQUEUE) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

namespace midi_control {

void SetSoundFontPaths(const std::vector<std::string>& paths)
{
    midi_synth::SetSearchList(paths);
}
void UseDefaultSoundFontPaths()
{
    midi_synth::SetSearchList(midi_synth::DefaultSearchList());
}
std::string SynthError()
{
    return midi_synth::Error();
}

void SetEventObserver(EventObserver observer, void* context)
{
    auto lock = audio_mixer::Hold();
    G().observer = observer;
    G().observerContext = context;
}

void WaitForCallbacks(HMIDISTRM stream)
{
    if (!IsOpen(stream) || stream->thread.get_id() == std::this_thread::get_id()) {
        return;
    }
    std::unique_lock lock(stream->noticeMutex);
    const std::uint64_t target = stream->posted;
    stream->noticesDone.wait(lock, [&] { return stream->delivered >= target; });
}

} // namespace midi_control
