// Composes the game's background music and writes it as a standard MIDI file
// (format 1: a conductor track with the tempo map and one track per part).
//   make_music <file.mid>
// The piece is in A minor, about three minutes long, in sections that change
// tempo: a quiet opening, a main theme, a brighter second theme, a half-time
// break, the themes again, and a slowing close that leads back to the start
// when the music loops. Dense arpeggios, drums and controller swells make a
// stream of well over a hundred thousand bytes of events.
#include "dsp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kTicks = 480; // per quarter note
constexpr int kBar = 4 * kTicks;

struct Event {
    std::uint32_t tick;
    int order; // at one tick: note-offs first, then the rest in the order made
    std::vector<std::uint8_t> bytes;
};

class Track {
public:
    explicit Track(int channel = 0) : channel_(channel) {}

    void Note(std::uint32_t tick, int key, int velocity, std::uint32_t length)
    {
        key = std::clamp(key, 0, 127);
        velocity = std::clamp(velocity, 1, 127);
        Add(tick, 1,
            {static_cast<std::uint8_t>(0x90 | channel_), static_cast<std::uint8_t>(key),
             static_cast<std::uint8_t>(velocity)});
        Add(tick + std::max<std::uint32_t>(length, 1), 0,
            {static_cast<std::uint8_t>(0x80 | channel_), static_cast<std::uint8_t>(key), 64});
    }
    void Control(std::uint32_t tick, int number, int value)
    {
        Add(tick, 1,
            {static_cast<std::uint8_t>(0xB0 | channel_), static_cast<std::uint8_t>(number),
             static_cast<std::uint8_t>(std::clamp(value, 0, 127))});
    }
    void Program(std::uint32_t tick, int program)
    {
        Add(tick, 1, {static_cast<std::uint8_t>(0xC0 | channel_), static_cast<std::uint8_t>(program)});
    }
    void Tempo(std::uint32_t tick, double bpm)
    {
        const auto us = static_cast<std::uint32_t>(60000000.0 / bpm + 0.5);
        Add(tick, 1,
            {0xFF, 0x51, 3, static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8),
             static_cast<std::uint8_t>(us)});
    }
    void Meta(std::uint32_t tick, int type, const std::vector<std::uint8_t>& data)
    {
        std::vector<std::uint8_t> b = {0xFF, static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(data.size())};
        b.insert(b.end(), data.begin(), data.end());
        Add(tick, 1, b);
    }
    void Name(const std::string& name) { Meta(0, 0x03, std::vector<std::uint8_t>(name.begin(), name.end())); }
    void Exclusive(std::uint32_t tick, const std::vector<std::uint8_t>& data)
    {
        std::vector<std::uint8_t> b = {0xF0, static_cast<std::uint8_t>(data.size())};
        b.insert(b.end(), data.begin(), data.end());
        Add(tick, 1, b);
    }

    // Channel messages and tempo changes: the events a player streams.
    std::size_t StreamEvents() const
    {
        std::size_t n = 0;
        for (const auto& e : events_) {
            n += e.bytes[0] < 0xF0 || (e.bytes[0] == 0xFF && e.bytes[1] == 0x51);
        }
        return n;
    }

    // The track chunk: delta times, running status, end of track.
    std::vector<std::uint8_t> Chunk()
    {
        std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<std::uint8_t> out;
        std::uint32_t now = 0;
        std::uint8_t running = 0;
        for (const auto& e : events_) {
            PutVariable(out, e.tick - now);
            now = e.tick;
            const std::uint8_t status = e.bytes[0];
            std::size_t first = 0;
            if (status < 0xF0) {
                first = status == running ? 1 : 0;
                running = status;
            } else {
                running = 0;
            }
            out.insert(out.end(), e.bytes.begin() + static_cast<std::ptrdiff_t>(first), e.bytes.end());
        }
        out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
        return out;
    }

private:
    static void PutVariable(std::vector<std::uint8_t>& out, std::uint32_t v)
    {
        std::uint8_t bytes[5];
        int n = 0;
        do {
            bytes[n++] = static_cast<std::uint8_t>(v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (n-- > 0) {
            out.push_back(static_cast<std::uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
        }
    }
    void Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes)
    {
        events_.push_back({tick, order, std::move(bytes)});
    }

    int channel_;
    std::vector<Event> events_;
};

// Harmony: chords as a root key and the intervals above it.
struct Chord {
    int root;
    std::vector<int> intervals;
    bool Has(int key) const
    {
        for (int i : intervals) {
            if (((key - root - i) % 12 + 12) % 12 == 0) {
                return true;
            }
        }
        return false;
    }
};
const Chord Am{57, {0, 3, 7}}, F{53, {0, 4, 7}}, C{48, {0, 4, 7}}, G{55, {0, 4, 7}}, Dm{50, {0, 3, 7}},
    E{52, {0, 4, 7}}, Em{52, {0, 3, 7}}, Fmaj7{53, {0, 4, 7, 11}}, Am9{57, {0, 3, 7, 14}};

using Progression = std::vector<Chord>;
const Progression kFirst = {Am, F, C, G};
const Progression kSecond = {Dm, Am, E, Am};
const Progression kBright = {F, G, Em, Am, Dm, G, C, E};
const Progression kBreak = {Am9, Fmaj7, Dm, E};

enum class Drums { None, Full, Ride, Half };

struct Section {
    const char* name;
    int bars;
    double bpm;
    std::vector<Progression> progressions; // played in turn, one chord a bar
    Drums drums;
    int arp;    // 0 none, 8 eighths, 16 sixteenths
    bool lead;  // the theme
    int theme;  // which theme the lead plays
    bool upper; // lead an octave higher
    bool counter;
};

const std::vector<Section> kSong = {
    {"opening", 8, 100, {kFirst}, Drums::None, 8, false, 0, false, false},
    {"theme", 16, 118, {kFirst, kFirst, kSecond, kSecond}, Drums::Full, 16, true, 0, false, false},
    {"second theme", 16, 124, {kBright, kBright}, Drums::Ride, 16, true, 1, false, true},
    {"break", 8, 96, {kBreak, kBreak}, Drums::Half, 16, false, 0, false, false},
    {"theme again", 16, 122, {kFirst, kFirst, kSecond, kSecond}, Drums::Full, 16, true, 0, true, true},
    {"second theme again", 8, 128, {kBright}, Drums::Ride, 16, true, 1, true, true},
    {"close", 8, 120, {kFirst, kFirst}, Drums::Full, 16, true, 0, false, false},
};

const int kMinorScale[] = {0, 2, 3, 5, 7, 8, 10}; // from A

// Scale steps above A0 (key 21) and back, with G sharp over an E chord.
int DegreeOf(int key)
{
    const int octave = (key - 21) / 12, within = (key - 21) % 12;
    int best = 0;
    for (int d = 0; d < 7; ++d) {
        if (kMinorScale[d] <= within) {
            best = d;
        }
    }
    return octave * 7 + best;
}
int KeyOf(int degree, const Chord& chord)
{
    const int key = 21 + (degree / 7) * 12 + kMinorScale[degree % 7];
    return (chord.root % 12 == E.root % 12 && key % 12 == 7) ? key + 1 : key; // G becomes G sharp
}
int NearestChordTone(int key, const Chord& chord)
{
    for (int d = 0; d < 12; ++d) {
        if (chord.Has(key - d)) {
            return key - d;
        }
        if (chord.Has(key + d)) {
            return key + d;
        }
    }
    return key;
}

// The two themes: per bar, note lengths (in sixteenths) and scale steps.
struct Motif {
    std::vector<int> lengths;
    std::vector<int> steps;
};
const std::vector<std::vector<Motif>> kThemes = {
    {{{4, 2, 2, 6, 2}, {0, 1, 1, -2, -1}},
     {{3, 1, 2, 2, 8}, {0, -1, -1, 2, 0}},
     {{2, 2, 2, 2, 4, 4}, {0, 2, -1, 1, -2, 1}},
     {{6, 2, 8}, {0, -1, -1}}},
    {{{2, 2, 4, 2, 2, 4}, {0, 2, 1, -1, -1, 3}},
     {{4, 4, 2, 2, 4}, {0, -2, 1, 1, -3}},
     {{1, 1, 2, 4, 4, 4}, {0, 1, 1, 1, -2, 0}},
     {{8, 4, 4}, {0, 2, -4}}},
};

void WriteBig(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_music <file.mid>\n");
        return 2;
    }
    dsp::Random rnd(2024);
    Track conductor, lead(0), arp(1), bass(2), pad(3), counter(4), echo(5), drums(9);

    conductor.Name("Varno");
    conductor.Meta(0, 0x58, {4, 2, 24, 8});                 // four quarters a bar
    conductor.Exclusive(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}); // General MIDI on
    struct Part {
        Track* track;
        const char* name;
        int program, volume, pan, reverb;
    };
    const Part parts[] = {{&lead, "Lead", 80, 92, 70, 50},       {&arp, "Arpeggio", 46, 88, 40, 70},
                          {&bass, "Bass", 38, 105, 64, 20},      {&pad, "Strings", 48, 70, 64, 90},
                          {&counter, "Marimba", 12, 72, 96, 50}, {&echo, "Echo", 4, 55, 20, 90},
                          {&drums, "Drums", 0, 100, 64, 40}};
    for (const auto& p : parts) {
        p.track->Name(p.name);
        p.track->Program(0, p.program);
        p.track->Control(0, 7, p.volume);
        p.track->Control(0, 10, p.pan);
        p.track->Control(0, 91, p.reverb);
        p.track->Control(0, 11, 127);
    }

    std::uint32_t tick = kTicks / 2; // a short breath before the first bar
    int leadKey = 76;
    int barInSong = 0;
    const int totalBars = [] {
        int n = 0;
        for (const auto& s : kSong) {
            n += s.bars;
        }
        return n;
    }();
    for (std::size_t si = 0; si < kSong.size(); ++si) {
        const Section& sec = kSong[si];
        conductor.Tempo(tick, sec.bpm);
        if (si > 0) {
            drums.Note(tick, 49, 100, kTicks); // a crash opens each section
        }
        std::vector<Chord> chords;
        for (const auto& prog : sec.progressions) {
            chords.insert(chords.end(), prog.begin(), prog.end());
        }
        for (int bar = 0; bar < sec.bars; ++bar, ++barInSong, tick += kBar) {
            const Chord& chord = chords[static_cast<std::size_t>(bar) % chords.size()];
            const bool last = bar == sec.bars - 1;
            const bool closing = si + 1 == kSong.size();

            // The close slows down over its last two bars, beat by beat.
            if (closing && bar >= sec.bars - 2) {
                for (int beat = 0; beat < 4; ++beat) {
                    const int step = (bar - (sec.bars - 2)) * 4 + beat + 1;
                    conductor.Tempo(tick + beat * kTicks, sec.bpm - step * 4.5);
                }
            }

            // Strings: the chord held over the bar, swelling and easing.
            for (std::size_t i = 0; i < chord.intervals.size(); ++i) {
                pad.Note(tick, chord.root + chord.intervals[i] + (i == 0 ? -12 : 0), 60, kBar - 10);
            }
            for (int k = 0; k < 16; ++k) {
                const double swell = std::sin(dsp::kPi * k / 16.0);
                double level = 80 + 40 * swell;
                if (closing) {
                    level *= 1.0 - 0.5 * (bar * 16 + k) / (sec.bars * 16.0);
                }
                pad.Control(tick + k * kTicks / 4, 11, static_cast<int>(level));
            }

            // Bass: roots and fifths in driving eighths, whole notes when quiet.
            if (sec.drums == Drums::None || sec.drums == Drums::Half) {
                bass.Note(tick, chord.root - 12, 90, kBar / 2 - 20);
                bass.Note(tick + kBar / 2, chord.root - 12 + (bar % 2 ? 7 : 0), 80, kBar / 2 - 20);
            } else {
                const int pattern[] = {0, 0, 12, 0, 7, 0, 12, 7};
                for (int k = 0; k < 8; ++k) {
                    bass.Note(tick + k * kTicks / 2, chord.root - 12 + pattern[k], k % 2 ? 78 : 100, kTicks / 2 - 30);
                }
            }

            // Arpeggio over two octaves, up and down; an echo answers it.
            if (sec.arp > 0) {
                std::vector<int> tones;
                for (int octave = 0; octave < 2; ++octave) {
                    for (int i : chord.intervals) {
                        tones.push_back(chord.root + 12 + octave * 12 + (i % 12));
                    }
                }
                std::sort(tones.begin(), tones.end());
                const int n = static_cast<int>(tones.size());
                const int unit = kBar / sec.arp;
                for (int k = 0; k < sec.arp; ++k) {
                    const int cycle = 2 * n - 2;
                    const int at = k % cycle;
                    const int key = tones[static_cast<std::size_t>(at < n ? at : cycle - at)];
                    const int accent = k % 4 == 0 ? 96 : k % 2 == 0 ? 78 : 66;
                    arp.Note(tick + k * unit, key, accent, unit - 10);
                    if (sec.arp == 16) {
                        echo.Note(tick + k * unit + 3 * unit, key + 12, accent / 2, unit - 10);
                    }
                }
            }

            // Marimba: triplet eighths of the chord, high up.
            if (sec.counter) {
                const int unit = kTicks / 3;
                for (int k = 0; k < 12; ++k) {
                    const int i = (k * 2) % static_cast<int>(chord.intervals.size());
                    counter.Note(tick + k * unit, chord.root + 24 + (chord.intervals[static_cast<std::size_t>(i)] % 12),
                                 k % 3 == 0 ? 80 : 56, unit - 8);
                }
            }

            // Lead: the theme's motif for this bar, anchored on the chord.
            if (sec.lead) {
                const auto& motifs = kThemes[static_cast<std::size_t>(sec.theme)];
                const Motif& m = motifs[static_cast<std::size_t>(bar) % motifs.size()];
                const int centre = (sec.upper ? 84 : 74);
                int key = NearestChordTone(std::clamp(leadKey, centre - 5, centre + 7), chord);
                int degree = DegreeOf(key);
                std::uint32_t at = tick;
                for (std::size_t i = 0; i < m.lengths.size(); ++i) {
                    // Variation: now and then a step is taken the other way.
                    const int step = (i > 0 && rnd.Unit() < 0.15) ? -m.steps[i] : m.steps[i];
                    degree += step;
                    key = KeyOf(degree, chord);
                    const auto length = static_cast<std::uint32_t>(m.lengths[i] * kTicks / 4);
                    const int velocity = 84 + static_cast<int>(rnd.Range(0, 18)) + (i == 0 ? 10 : 0);
                    lead.Note(at, key, velocity, length - 20);
                    // A little vibrato that grows on longer notes.
                    if (length >= static_cast<std::uint32_t>(kTicks)) {
                        for (std::uint32_t v = kTicks / 2; v < length; v += kTicks / 8) {
                            lead.Control(at + v, 1, static_cast<int>(std::min<std::uint32_t>(90, v / 8)));
                        }
                        lead.Control(at + length - 10, 1, 0);
                    }
                    at += length;
                }
                leadKey = key;
            }

            // Drums.
            if (sec.drums == Drums::Full) {
                for (int k = 0; k < 16; ++k) {
                    const std::uint32_t at = tick + k * kTicks / 4;
                    const int hat = k % 4 == 0 ? 92 : k % 2 == 0 ? 70 : 50;
                    drums.Note(at, k == 14 ? 46 : 42, hat, kTicks / 4);
                    drums.Note(at, 70, 40 + (k % 2) * 15, kTicks / 4); // maracas
                }
                for (int k : {0, 6, 8}) {
                    drums.Note(tick + k * kTicks / 4, 36, 110, kTicks / 4);
                }
                drums.Note(tick + kTicks, 38, 105, kTicks / 4);
                drums.Note(tick + 3 * kTicks, 38, 105, kTicks / 4);
                drums.Note(tick + 3 * kTicks + 3 * kTicks / 4, 38, 45, kTicks / 8); // ghost
            } else if (sec.drums == Drums::Ride) {
                for (int k = 0; k < 8; ++k) {
                    drums.Note(tick + k * kTicks / 2, 51, k % 2 ? 70 : 95, kTicks / 2);
                }
                for (int k = 0; k < 16; ++k) {
                    drums.Note(tick + k * kTicks / 4, 69, 35 + (k % 4 == 2) * 25, kTicks / 4); // cabasa
                }
                for (int k : {0, 10}) {
                    drums.Note(tick + k * kTicks / 4, 36, 110, kTicks / 4);
                }
                drums.Note(tick + kTicks, 38, 100, kTicks / 4);
                drums.Note(tick + 3 * kTicks, 38, 100, kTicks / 4);
                drums.Note(tick + 2 * kTicks + kTicks / 2, 37, 60, kTicks / 4); // side stick
            } else if (sec.drums == Drums::Half) {
                for (int k = 0; k < 8; ++k) {
                    drums.Note(tick + k * kTicks / 2, 42, k % 2 ? 45 : 70, kTicks / 2);
                }
                drums.Note(tick, 36, 100, kTicks / 2);
                drums.Note(tick + 2 * kTicks, 38, 95, kTicks / 2);
            } else if (bar >= sec.bars - 2) {
                // The opening brings the drums in with a soft pulse.
                for (int k = 0; k < 4; ++k) {
                    drums.Note(tick + k * kTicks, 36, 60 + 10 * k, kTicks / 2);
                }
            }
            // A tom fill leads into the next section.
            if (last && !closing) {
                const int toms[] = {50, 50, 48, 48, 47, 47, 45, 45};
                for (int k = 0; k < 8; ++k) {
                    drums.Note(tick + 2 * kTicks + k * kTicks / 4, toms[k], 80 + k * 5, kTicks / 4);
                }
            }
        }
    }
    // The song ends on the home chord, held, before the loop starts over.
    lead.Note(tick, 69, 90, kBar);
    pad.Note(tick, 45, 70, kBar);
    pad.Note(tick, 60, 60, kBar);
    pad.Note(tick, 64, 60, kBar);
    bass.Note(tick, 33, 100, kBar);
    drums.Note(tick, 49, 90, kBar);
    drums.Note(tick, 36, 100, kTicks);
    conductor.Meta(tick + kBar, 0x01, {'f', 'i', 'n', 'e'});
    (void)totalBars;

    Track* tracks[] = {&conductor, &lead, &arp, &bass, &pad, &counter, &echo, &drums};
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd'};
    WriteBig(file, 6, 4);
    WriteBig(file, 1, 2);
    WriteBig(file, static_cast<std::uint32_t>(std::size(tracks)), 2);
    WriteBig(file, kTicks, 2);
    std::size_t events = 0;
    for (Track* t : tracks) {
        events += t->StreamEvents();
        const auto chunk = t->Chunk();
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        WriteBig(file, static_cast<std::uint32_t>(chunk.size()), 4);
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "make_music: cannot write %s\n", argv[1]);
        return 1;
    }
    double seconds = 0;
    for (const auto& s : kSong) {
        seconds += s.bars * 4 * 60.0 / s.bpm;
    }
    std::printf("%s: %zu bytes, %d bars, about %.0f s, %zu stream events (%zu bytes as stream events)\n", argv[1],
                file.size(), totalBars, seconds, events, events * 12);
    return 0;
}
