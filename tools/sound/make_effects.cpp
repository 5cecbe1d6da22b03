// Makes the game's sound effects by synthesis and writes them as 16-bit mono
// WAVE files at 22050 Hz into the folder given on the command line.
//   make_effects <folder>
#include "dsp.h"

#include <cstdio>
#include <functional>
#include <map>

using namespace dsp;

namespace {

// A stone block rolling over: a low rumble with the irregular knocks of its
// edges, swelling and fading.
Signal Roll()
{
    Random rnd(11);
    Signal s = Silence(1.3);
    Biquad low = Biquad::LowPass(180, 0.9), body = Biquad::LowPass(500);
    double knock = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i);
        // Knocks about nine times a second, each a little different.
        if (rnd.Unit() < 9.0 / kRate) {
            knock = rnd.Range(0.5, 1.0);
        }
        knock *= 0.9993;
        const double rumble = low(rnd.Noise()) * 3.0 + std::sin(2 * kPi * (52 + 6 * std::sin(7 * t)) * t) * 0.25;
        s[i] = (rumble * (0.6 + knock) + body(rnd.Noise()) * knock * 0.8) * Gate(t, 1.3, 0.12, 0.45);
    }
    AddThump(s, 0.95, 110, 45, 0.05, 0.12, 0.6);
    Finish(s);
    return s;
}

// Rocks crumbling and tumbling: many small impacts, thinning out.
Signal Rocks()
{
    Random rnd(23);
    Signal s = Silence(1.1);
    AddThump(s, 0.0, 140, 55, 0.04, 0.09, 0.8);
    AddBurst(s, rnd, 0.0, 600, 0.8, 0.05, 1.2);
    double t = 0.02;
    while (t < 0.9) {
        AddBurst(s, rnd, t, rnd.Range(400, 3200), rnd.Range(1.5, 4.0), rnd.Range(0.012, 0.04),
                 rnd.Range(0.4, 1.4) * (1.0 - t));
        t += rnd.Range(0.008, 0.03) + t * 0.06;
    }
    Finish(s);
    return s;
}

// A cry of fright: a voiced tone that leaps up and slides down, shaped by
// the resonances of an open "ah".
Signal Scream()
{
    Random rnd(37);
    Signal s = Silence(1.15);
    Biquad f1 = Biquad::BandPass(850, 6), f2 = Biquad::BandPass(1250, 7), f3 = Biquad::BandPass(2700, 8);
    Biquad breath = Biquad::BandPass(1800, 1.2);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i);
        const double contour = t < 0.12 ? 520 + 380 * (t / 0.12) : 900 * std::exp(-(t - 0.12) * 0.9);
        const double pitch =
            std::max(contour, 330.0) * (1 + 0.035 * std::sin(2 * kPi * 6.5 * t)) * (1 + 0.01 * rnd.Noise());
        phase += pitch / kRate;
        phase -= std::floor(phase);
        const double pulse = (phase < 0.4 ? phase / 0.4 : (1 - phase) / 0.6) * 2 - 1; // a slanted glottal wave
        const double voiced = f1(pulse) * 1.0 + f2(pulse) * 0.7 + f3(pulse) * 0.35;
        s[i] = (voiced + breath(rnd.Noise()) * 0.15) * Gate(t, 1.15, 0.04, 0.4);
    }
    Finish(s);
    return s;
}

// The cubes growing: a rising, brightening chord of gliding voices.
Signal Grow()
{
    Signal s = Silence(1.4);
    const double ratios[] = {1.0, 1.5, 2.0, 2.52, 3.0};
    double phases[5] = {};
    Biquad tone = Biquad::LowPass(600, 1.2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i), k = t / 1.4;
        const double base = 110 * std::pow(2.0, 2.0 * k);
        double v = 0;
        for (int n = 0; n < 5; ++n) {
            phases[n] += base * ratios[n] * (1 + 0.003 * n) / kRate;
            phases[n] -= std::floor(phases[n]);
            v += (2 * phases[n] - 1) / (n + 1.5);
        }
        tone.Tune(500 + 3500 * k, 1.5, 0);
        const double tremolo = 0.75 + 0.25 * std::sin(2 * kPi * (5 + 10 * k) * t);
        s[i] = tone(v) * tremolo * Gate(t, 1.4, 0.15, 0.2);
    }
    Finish(s, 0.8);
    return s;
}

// Two footsteps on stone, made to loop seamlessly.
Signal Walk()
{
    Random rnd(41);
    Signal s = Silence(0.72);
    for (double start : {0.01, 0.37}) {
        AddThump(s, start, 120, 60, 0.02, 0.035, 0.9);
        AddBurst(s, rnd, start + 0.004, 1700, 1.4, 0.03, 0.9);
        AddBurst(s, rnd, start + 0.03, 2600, 2.0, 0.02, 0.35);
    }
    Finish(s, 0.8, 0.0, 0.0);
    return s;
}

// Flying through the air: a swelling whoosh whose pitch rises and falls.
Signal Fly()
{
    Random rnd(53);
    Signal s = Silence(1.5);
    Biquad band = Biquad::BandPass(400, 2.5), air = Biquad::HighPass(3000);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i), k = t / 1.5;
        const double sweep = std::sin(kPi * k);
        band.Tune(300 + 1900 * sweep, 2.5, 2);
        phase += (500 + 700 * sweep) / kRate;
        const double whistle = std::sin(2 * kPi * phase) * 0.05 * sweep;
        s[i] = (band(rnd.Noise()) * 1.5 + air(rnd.Noise()) * 0.1 + whistle) * sweep * sweep;
    }
    Finish(s, 0.8);
    return s;
}

// Landing on the field: a heavy thump with a short rattle.
Signal Land()
{
    Random rnd(61);
    Signal s = Silence(0.55);
    AddThump(s, 0.0, 150, 42, 0.03, 0.1, 1.0);
    AddBurst(s, rnd, 0.0, 400, 0.7, 0.04, 1.2);
    AddBurst(s, rnd, 0.05, 2200, 3, 0.02, 0.3);
    AddBurst(s, rnd, 0.09, 1800, 3, 0.02, 0.2);
    Finish(s);
    return s;
}

// Planting a mine: a metallic click and two rising arming beeps.
Signal Place()
{
    Random rnd(71);
    Signal s = Silence(0.38);
    AddBurst(s, rnd, 0.0, 4200, 4, 0.006, 1.0);
    AddBell(s, 0.0, 2100, 0.02, 0.4, {{1.0, 1.0}, {2.7, 0.5}});
    for (auto [start, freq] : {std::pair{0.08, 1320.0}, std::pair{0.2, 1760.0}}) {
        const auto first = static_cast<std::size_t>(start * kRate);
        for (std::size_t i = 0; i < static_cast<std::size_t>(0.09 * kRate); ++i) {
            const double t = Time(i);
            const double square = std::sin(2 * kPi * freq * t) > 0 ? 1.0 : -1.0;
            s[first + i] += (std::sin(2 * kPi * freq * t) * 0.6 + square * 0.08) * Gate(t, 0.09, 0.003, 0.03) * 0.5;
        }
    }
    Finish(s, 0.75);
    return s;
}

// Explosion noise: a low boom and a burst of noise whose brightness falls.
void AddExplosion(Signal& s, Random& rnd, double size)
{
    AddThump(s, 0.0, 90, 30, 0.08 * size, 0.25 * size, 1.0);
    Biquad shade = Biquad::LowPass(3000);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i);
        shade.Tune(250 + 3500 * std::exp(-t / (0.12 * size)), 0.8, 0);
        s[i] += shade(rnd.Noise()) * 1.6 * Decay(t, 0.22 * size) * Attack(t, 0.004);
    }
}

// A mine goes off and hits nothing: a small dull pop.
Signal HitNone()
{
    Random rnd(83);
    Signal s = Silence(0.8);
    AddExplosion(s, rnd, 0.7);
    Finish(s, 0.7);
    return s;
}

// A mine destroys a cube: a full explosion with crackling debris.
Signal HitCube()
{
    Random rnd(89);
    Signal s = Silence(1.5);
    AddExplosion(s, rnd, 1.4);
    for (double t = 0.05; t < 1.1; t += rnd.Range(0.02, 0.08)) {
        AddBurst(s, rnd, t, rnd.Range(1500, 5000), 3, 0.008, 0.5 * (1.2 - t));
    }
    Finish(s);
    return s;
}

// A bonus cube is hit: a bright rising chime.
Signal HitBonus()
{
    Signal s = Silence(1.0);
    const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
    for (int n = 0; n < 4; ++n) {
        AddBell(s, n * 0.07, notes[n], 0.35, 0.5);
    }
    Finish(s, 0.8);
    return s;
}

// A mine hits a steel cube: a ringing metallic clang.
Signal HitSteel()
{
    Random rnd(97);
    Signal s = Silence(1.4);
    AddBurst(s, rnd, 0.0, 3500, 1.5, 0.01, 1.0);
    AddBell(s, 0.0, 410, 0.5, 0.8, {{1.0, 1.0}, {2.32, 0.8}, {4.25, 0.6}, {6.63, 0.4}, {9.38, 0.25}, {1.51, 0.3}});
    AddThump(s, 0.0, 200, 80, 0.02, 0.05, 0.4);
    Finish(s);
    return s;
}

// The message panel sliding in or out: a short airy whoosh that rises and
// falls in brightness, with a faint stone scrape underneath.
Signal Slide()
{
    Random rnd(107);
    Signal s = Silence(0.45);
    Biquad band = Biquad::BandPass(800, 1.8), scrape = Biquad::BandPass(2400, 4);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Time(i), k = t / 0.45;
        const double swell = std::sin(kPi * k);
        band.Tune(600 + 2600 * swell, 1.8, 2);
        s[i] = (band(rnd.Noise()) * 1.4 + scrape(rnd.Noise()) * 0.15 * swell) * swell;
    }
    Finish(s, 0.7);
    return s;
}

// A pad chord of detuned voices through a softening filter.
void AddPad(Signal& s, double start, double length, const std::vector<double>& freqs, double level)
{
    Biquad tone = Biquad::LowPass(900, 0.8);
    std::vector<double> phases(freqs.size() * 2, 0.0);
    const auto first = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = 0; first + i < s.size() && Time(i) < length; ++i) {
        const double t = Time(i);
        double v = 0;
        for (std::size_t n = 0; n < freqs.size(); ++n) {
            for (int d = 0; d < 2; ++d) {
                double& p = phases[2 * n + d];
                p += freqs[n] * (d ? 1.004 : 0.997) / kRate;
                p -= std::floor(p);
                v += 2 * p - 1;
            }
        }
        tone.Tune(400 + 1400 * Attack(t, length * 0.6), 0.9, 0);
        s[first + i] += tone(v) * level * Gate(t, length, length * 0.45, length * 0.35);
    }
}

// The opening caption: a chord swelling out of silence, crowned by a bell.
Signal Intro()
{
    Signal s = Silence(2.8);
    AddPad(s, 0.0, 2.8, {130.8, 196.0, 233.1, 293.7}, 0.15);
    AddBell(s, 0.75, 587.3, 0.8, 0.35);
    AddBell(s, 0.75, 784.0, 0.7, 0.2);
    Finish(s, 0.8, 0.01, 0.3);
    return s;
}

// The title: a deep strike, a bright chord and a spray of bells.
Signal Title()
{
    Random rnd(101);
    Signal s = Silence(2.4);
    AddThump(s, 0.0, 80, 36, 0.1, 0.5, 1.0);
    AddBurst(s, rnd, 0.0, 300, 0.7, 0.15, 0.8);
    AddPad(s, 0.0, 2.3, {110.0, 164.8, 220.0, 277.2, 329.6}, 0.12);
    const double notes[] = {880.0, 1108.7, 1318.5, 1760.0, 2217.5};
    for (int n = 0; n < 5; ++n) {
        AddBell(s, 0.05 + n * 0.09, notes[n], 0.5, 0.22);
    }
    Finish(s, 0.89, 0.001, 0.4);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_effects <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::map<std::string, std::function<Signal()>> sounds = {
        {"roll.wav", Roll},       {"rocks.wav", Rocks},     {"scream.wav", Scream},     {"grow.wav", Grow},
        {"walk.wav", Walk},       {"fly.wav", Fly},         {"land.wav", Land},         {"place.wav", Place},
        {"hitnone.wav", HitNone}, {"hitcube.wav", HitCube}, {"hitbonus.wav", HitBonus}, {"hitsteel.wav", HitSteel},
        {"slide.wav", Slide},     {"intro.wav", Intro},     {"varno.wav", Title},
    };
    for (const auto& [name, make] : sounds) {
        const Signal s = make();
        if (!WriteWave(folder + "/" + name, s)) {
            std::fprintf(stderr, "make_effects: cannot write %s/%s\n", folder.c_str(), name.c_str());
            return 1;
        }
        std::printf("%-14s %.2f s\n", name.c_str(), Time(s.size()));
    }
    return 0;
}
