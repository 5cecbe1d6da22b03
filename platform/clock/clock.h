// The one tick source of the system: milliseconds as a 32-bit count that
// wraps. Tests replace the real clock with a stepped one that only moves when
// told to, so that every deadline of the rules can be driven frame by frame.
#pragma once

#include "platform/base/types.h"

DWORD GetTickCount();

// Waits about the given number of milliseconds. With the stepped clock it
// advances the clock instead and returns at once.
void Sleep(DWORD ms);

// Timer resolution. The tick count here is always exact to the
// millisecond; raising the resolution is counted so that every raise is
// seen to be ended.
struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};
constexpr DWORD TIMERR_NOERROR = 0;
constexpr DWORD TIMERR_NOCANDO = 97;
DWORD timeGetDevCaps(TIMECAPS* caps, UINT size);
DWORD timeBeginPeriod(UINT period);
DWORD timeEndPeriod(UINT period);

namespace clock_control {
// Raises of the timer resolution not yet ended.
int RaisedPeriods();
// Switches to the stepped clock, starting at the given tick.
void UseSteppedClock(DWORD start = 0);
// Moves the stepped clock on (wrapping like the real count).
void Advance(DWORD ms);
// Sets the stepped clock to a tick.
void SetTick(DWORD tick);
// Returns to the real clock.
void UseRealClock();
bool IsStepped();
}  // namespace clock_control
