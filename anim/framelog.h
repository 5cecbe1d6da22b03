// Frame statistics. With the environment variable VARNO_FRAME_LOG naming a
// file, every rendered frame appends one line to it: frame number, tick
// count, milliseconds since the previous rendered frame, then the
// milliseconds spent moving objects, composing 2D, rendering 3D and
// presenting.
#pragma once

#include "platform/base/types.h"

#include <chrono>

namespace framelog {
// Measures the time between laps, in milliseconds.
class Timer {
public:
    Timer() : m_last(std::chrono::steady_clock::now()) {}
    double Lap()
    {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - m_last).count();
        m_last = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point m_last;
};

// Appends the line of one frame when the log is wanted.
void Write(long frame, DWORD tick, DWORD interval, double msMove, double msCompose, double ms3d, double msPresent);
} // namespace framelog
