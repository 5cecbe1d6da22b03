#include "platform/clock/clock.h"

#include <chrono>
#include <thread>

namespace {
bool g_stepped = false;
DWORD g_steppedTick = 0;

DWORD RealTicks()
{
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    // Start away from zero so that code which treats 0 as "no deadline"
    // behaves as on a machine that has been running a while.
    const auto ms = duration_cast<milliseconds>(steady_clock::now() - start).count();
    return static_cast<DWORD>(0x10000u + static_cast<std::uint64_t>(ms));
}
}  // namespace

DWORD GetTickCount() { return g_stepped ? g_steppedTick : RealTicks(); }

void Sleep(DWORD ms)
{
    if (g_stepped) {
        g_steppedTick += ms;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
int g_raised = 0;
}

DWORD timeGetDevCaps(TIMECAPS* caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS))
        return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

DWORD timeBeginPeriod(UINT period)
{
    if (period == 0)
        return TIMERR_NOCANDO;
    ++g_raised;
    return TIMERR_NOERROR;
}

DWORD timeEndPeriod(UINT period)
{
    if (period == 0 || g_raised == 0)
        return TIMERR_NOCANDO;
    --g_raised;
    return TIMERR_NOERROR;
}

namespace clock_control {
int RaisedPeriods() { return g_raised; }
void UseSteppedClock(DWORD start)
{
    g_stepped = true;
    g_steppedTick = start;
}
void Advance(DWORD ms) { g_steppedTick += ms; }
void SetTick(DWORD tick) { g_steppedTick = tick; }
void UseRealClock() { g_stepped = false; }
bool IsStepped() { return g_stepped; }
}  // namespace clock_control
