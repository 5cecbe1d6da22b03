// Small signal toolkit of the sound generators: a fixed random sequence,
// filters, envelopes and a 16-bit mono WAVE writer. Everything is
// deterministic, so the generated files are the same on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace dsp {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

using Signal = std::vector<double>;

inline Signal Silence(double seconds)
{
    return Signal(static_cast<std::size_t>(seconds * kRate), 0.0);
}
inline double Time(std::size_t i)
{
    return static_cast<double>(i) / kRate;
}

// A fixed pseudo-random sequence (xorshift), seeded per sound.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed ? seed : 1) {}
    std::uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    double Unit() { return (Next() >> 8) / 16777216.0; }
    // Uniform in [lo, hi).
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // White noise in [-1, 1).
    double Noise() { return Unit() * 2.0 - 1.0; }

private:
    std::uint32_t state_;
};

// Two-pole filter in the usual biquad form.
class Biquad {
public:
    static Biquad LowPass(double freq, double q = 0.707) { return Make(freq, q, 0); }
    static Biquad HighPass(double freq, double q = 0.707) { return Make(freq, q, 1); }
    static Biquad BandPass(double freq, double q = 1.0) { return Make(freq, q, 2); }

    // Retunes while keeping the filter's memory, for sweeps.
    void Tune(double freq, double q, int kind) { *this = Make(freq, q, kind, x1_, x2_, y1_, y2_); }

    double operator()(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    static Biquad Make(double freq, double q, int kind, double x1 = 0, double x2 = 0, double y1 = 0, double y2 = 0)
    {
        freq = std::clamp(freq, 10.0, kRate * 0.45);
        const double w = 2 * kPi * freq / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        Biquad f;
        if (kind == 0) {
            f.b0_ = (1 - c) / 2 / a0;
            f.b1_ = (1 - c) / a0;
            f.b2_ = f.b0_;
        } else if (kind == 1) {
            f.b0_ = (1 + c) / 2 / a0;
            f.b1_ = -(1 + c) / a0;
            f.b2_ = f.b0_;
        } else {
            f.b0_ = alpha / a0;
            f.b1_ = 0;
            f.b2_ = -alpha / a0;
        }
        f.a1_ = -2 * c / a0;
        f.a2_ = (1 - alpha) / a0;
        f.x1_ = x1;
        f.x2_ = x2;
        f.y1_ = y1;
        f.y2_ = y2;
        return f;
    }
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Envelope pieces.
inline double Decay(double t, double seconds)
{
    return t < 0 ? 0.0 : std::exp(-t / seconds);
}
inline double Attack(double t, double seconds)
{
    return t <= 0 ? 0.0 : t >= seconds ? 1.0 : t / seconds;
}
// Rises over attack, falls to zero over the last release seconds of length.
inline double Gate(double t, double length, double attack, double release)
{
    if (t < 0 || t > length) {
        return 0.0;
    }
    return std::min({1.0, attack > 0 ? t / attack : 1.0, release > 0 ? (length - t) / release : 1.0});
}

// Adds a decaying percussive burst of filtered noise at time start.
inline void AddBurst(Signal& s, Random& rnd, double start, double freq, double q, double decay, double level)
{
    Biquad f = Biquad::BandPass(freq, q);
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(decay * 7 * kRate);
    for (std::size_t i = 0; i < count && first + i < s.size(); ++i) {
        const double t = Time(i);
        s[first + i] += f(rnd.Noise()) * level * Decay(t, decay) * Attack(t, 0.001);
    }
}

// Adds a sine whose frequency glides exponentially from f0 to f1 over the
// glide time, with an exponential decay.
inline void AddThump(Signal& s, double start, double f0, double f1, double glide, double decay, double level)
{
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(decay * 7 * kRate);
    double phase = 0;
    for (std::size_t i = 0; i < count && first + i < s.size(); ++i) {
        const double t = Time(i);
        const double f = f1 + (f0 - f1) * std::exp(-t / glide);
        phase += 2 * kPi * f / kRate;
        s[first + i] += std::sin(phase) * level * Decay(t, decay) * Attack(t, 0.002);
    }
}

// Adds a bell-like tone: a few partials with their own decays.
inline void AddBell(Signal& s, double start, double freq, double decay, double level,
                    const std::vector<std::pair<double, double>>& partials = {
                        {1.0, 1.0}, {2.0, 0.35}, {2.76, 0.25}, {5.4, 0.12}})
{
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(decay * 7 * kRate);
    for (std::size_t i = 0; i < count && first + i < s.size(); ++i) {
        const double t = Time(i);
        double v = 0;
        for (const auto& [ratio, amp] : partials) {
            if (freq * ratio < kRate * 0.45) {
                v += std::sin(2 * kPi * freq * ratio * t) * amp * Decay(t, decay / std::sqrt(ratio));
            }
        }
        s[first + i] += v * level * Attack(t, 0.003);
    }
}

// Fades the ends against clicks and scales the peak to the given level.
inline void Finish(Signal& s, double peak = 0.89, double fadeIn = 0.002, double fadeOut = 0.02)
{
    const double length = Time(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] *= Gate(Time(i), length, fadeIn, fadeOut);
    }
    double most = 0;
    for (double v : s) {
        most = std::max(most, std::abs(v));
    }
    if (most > 0) {
        for (double& v : s) {
            v *= peak / most;
        }
    }
}

// Writes 16-bit mono PCM at kRate. Returns false when the file cannot be written.
inline bool WriteWave(const std::string& path, const Signal& s)
{
    std::vector<std::uint8_t> bytes;
    auto put16 = [&](std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(t[i]));
        }
    };
    const auto data = static_cast<std::uint32_t>(s.size() * 2);
    tag("RIFF");
    put32(36 + data);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(kRate);
    put32(kRate * 2);
    put16(2);
    put16(16);
    tag("data");
    put32(data);
    for (double v : s) {
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767))));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace dsp
