#include "input/controls.h"

#include "game/avatar.h"
#include "game/field.h"
#include "game/game.h"
#include "game/mines.h"
#include "platform/input/input.h"
#include "shell/cursor.h"

#include <algorithm>
#include <cmath>

namespace {

CONTROLS& C()
{
    return g.Controls;
}

bool Down(int vk)
{
    return GetKeyState(vk) < 0;
}

// Counts a press for each button that is down now and was not at this
// device's last poll, remembers the states, then issues the commands of the
// pressed buttons in their fixed order.
void IssueCommands(int device, const bool (&down)[cbCount])
{
    bool pressed[cbCount];
    for (int b = 0; b < cbCount; ++b) {
        pressed[b] = down[b] && !C().afWasDown[device][b];
        C().afWasDown[device][b] = down[b] ? TRUE : FALSE;
    }
    if (pressed[cbMine])
        MineButton();
    if (pressed[cbClear])
        ClearMinesCommand();
    if (pressed[cbRoll])
        StartRollNow();
}

void Stop()
{
    AvatarSetWalking(false);
}

void Steer(float angle, float throttle)
{
    AvatarWalk(angle, throttle);
}

void PollKeyboard()
{
    const bool buttons[cbCount] = {Down(VK_SPACE), Down(VK_CONTROL), Down(VK_RETURN)};
    IssueCommands(cdKeyboard, buttons);

    const bool right = Down(VK_RIGHT), left = Down(VK_LEFT), up = Down(VK_UP), down = Down(VK_DOWN);
    // The first matching rule decides; opposite keys together stop.
    if ((right && left) || (up && down))
        Stop();
    else if ((right && up) || Down(VK_NUMPAD9))
        Steer(kPi / 4, 1);
    else if ((right && down) || Down(VK_NUMPAD3))
        Steer(7 * kPi / 4, 1);
    else if (right || Down(VK_NUMPAD6))
        Steer(0, 1);
    else if ((left && up) || Down(VK_NUMPAD7))
        Steer(3 * kPi / 4, 1);
    else if ((left && down) || Down(VK_NUMPAD1))
        Steer(5 * kPi / 4, 1);
    else if (left || Down(VK_NUMPAD4))
        Steer(kPi, 1);
    else if (up || Down(VK_NUMPAD8))
        Steer(kPi / 2, 1);
    else if (down || Down(VK_NUMPAD2))
        Steer(3 * kPi / 2, 1);
    else
        Stop();
}

void ClampToBounds()
{
    const RECT& b = C().rcBounds;
    C().lMouseX = std::clamp<LONG>(C().lMouseX, b.left, std::max(b.left, b.right - 1));
    C().lMouseY = std::clamp<LONG>(C().lMouseY, b.top, std::max(b.top, b.bottom - 1));
}

// Adds the real cursor's offset from the box centre (at the last message) to
// the virtual cursor and puts the real cursor back.
void TakeMouseMove()
{
    const DWORD pos = GetMessagePos();
    const LONG x = static_cast<SHORT>(LOWORD(pos));
    const LONG y = static_cast<SHORT>(HIWORD(pos));
    C().lMouseX += x - kMouseBoxCentre;
    C().lMouseY += y - kMouseBoxCentre;
    ClampToBounds();
    SetCursorPos(kMouseBoxCentre, kMouseBoxCentre);
}

void PollMouse(bool fTakeMove)
{
    const bool buttons[cbCount] = {Down(VK_LBUTTON), Down(VK_RBUTTON), Down(VK_MBUTTON)};
    IssueCommands(cdMouse, buttons);
    // Without a capture there is no target on the field to walk to.
    if (C().lCaptureCount <= 0)
        return;
    if (fTakeMove)
        TakeMouseMove();

    const float tx = static_cast<float>(C().lMouseX) * 0.005f - static_cast<float>(g.ActivePuzzle.lWidth) * 0.5f;
    const float tz = static_cast<float>(C().lMouseY) * -0.005f;
    const float fx = g.Avatar.X, fz = g.Avatar.Z;
    const float s = StepLength(g.Settings.dwDifficulty);
    const float throttle = std::fabs(tx - fx) <= s && std::fabs(tz - fz) <= s ? 0.0f : 1.0f;
    // With throttle 0 the figure stays and turns to face the target.
    Steer(std::atan2(tz - fz, tx - fx), throttle);
    AvatarShowTarget(throttle != 0, tx, tz);
}

// One axis of the stick as a value in [-1, 1]: the central tenth of each
// half-range is dead, the rest scales linearly.
float AxisValue(DWORD pos, UINT lo, UINT hi)
{
    const double half = (static_cast<double>(hi) - static_cast<double>(lo)) / 2;
    const double dz = half * 0.1;
    const double off = static_cast<double>(pos) - static_cast<double>(lo) - half;
    if (std::fabs(off) < dz)
        return 0;
    const double v = (std::fabs(off) - dz) / (half - dz);
    return static_cast<float>(off < 0 ? -v : v);
}

void PollJoystick()
{
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    JOYCAPSA caps{};
    // A missing or failing joystick leaves both records zeroed: no buttons
    // and empty ranges.
    if (joyGetPosEx(JOYSTICKID1, &info) != JOYERR_NOERROR)
        info = JOYINFOEX{};
    if (joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps) != JOYERR_NOERROR)
        caps = JOYCAPSA{};

    const bool buttons[cbCount] = {(info.dwButtons & JOY_BUTTON1) != 0, (info.dwButtons & JOY_BUTTON2) != 0,
                                   (info.dwButtons & JOY_BUTTON3) != 0};
    IssueCommands(cdJoystick, buttons);

    if (caps.wXmin >= caps.wXmax || caps.wYmin >= caps.wYmax)
        return;
    const float x = AxisValue(info.dwXpos, caps.wXmin, caps.wXmax);
    const float y = AxisValue(info.dwYpos, caps.wYmin, caps.wYmax);
    if (x == 0 && y == 0) {
        Stop();
        Steer(0, 0);
        return;
    }
    // Not clamped: a full diagonal walks about 1.41 steps. Pushing the stick
    // away (y negative) walks up the screen.
    const float r = std::sqrt(x * x + y * y);
    AvatarSetWalking(true);
    Steer(std::atan2(-y, x), r);
}

void Poll(bool fTakeMouseMove)
{
    switch (g.Settings.ControlDevice) {
    case cdKeyboard: PollKeyboard(); break;
    case cdMouse: PollMouse(fTakeMouseMove); break;
    case cdJoystick: PollJoystick(); break;
    default: break; // an unknown device: the figure stands still
    }
}

} // namespace

float StepLength(DWORD dwDifficulty)
{
    static const float kStep[4] = {0.07f, 0.075f, 0.08f, 0.085f};
    return dwDifficulty < 4 ? kStep[dwDifficulty] : 0.075f;
}

void PollControls()
{
    Poll(true);
}

void BeginMouseCapture(LONG lWidth, LONG lLength)
{
    CONTROLS& c = C();
    if (c.lCaptureCount > 0)
        EndMouseCapture();
    c.rcBounds = RECT{0, 0, lWidth * kMouseUnitsPerSquare, lLength * kMouseUnitsPerSquare};
    if (++c.lCaptureCount == 1) {
        SetCursorWanted(FALSE);
        const RECT box{0, 0, kMouseBoxSize, kMouseBoxSize};
        ClipCursor(&box);
        c.lMouseX = (c.rcBounds.left + c.rcBounds.right) / 2;
        c.lMouseY = (c.rcBounds.top + c.rcBounds.bottom) / 2;
        SetCursorPos(kMouseBoxCentre, kMouseBoxCentre);
    }
}

void EndMouseCapture()
{
    CONTROLS& c = C();
    if (c.lCaptureCount <= 0)
        return;
    if (--c.lCaptureCount == 0) {
        ClipCursor(nullptr);
        SetCursorWanted(TRUE);
    }
}

BOOL fMouseCaptured()
{
    return C().lCaptureCount > 0;
}

void ReadMouse(LONG* px, LONG* py)
{
    const bool active = C().lCaptureCount > 0;
    if (px)
        *px = active ? C().lMouseX : 0;
    if (py)
        *py = active ? C().lMouseY : 0;
}

void SetMousePosition(LONG x, LONG y)
{
    if (C().lCaptureCount <= 0)
        return;
    C().lMouseX = x;
    C().lMouseY = y;
    ClampToBounds();
    SetCursorPos(kMouseBoxCentre, kMouseBoxCentre);
}

void RepollControls()
{
    // The mouse move of the last message was taken already this frame and
    // is not added twice.
    Poll(false);
}
