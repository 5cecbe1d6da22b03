#include "platform/input/input.h"

#include "platform/base/syserror.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
struct Store {
    std::array<SHORT, 256> keys{};
    POINT cursor{0, 0};
    POINT messagePos{0, 0};
    bool clipped = false;
    RECT clip{0, 0, 0, 0};
    int showCount = 0;
    input_store::JoystickState joystick;
    void (*cursorListener)(POINT) = nullptr;
};

Store& store()
{
    static Store s;
    return s;
}

void ApplyClip(Store& s)
{
    if (!s.clipped)
        return;
    // The cursor stays inside the rectangle; right and bottom are exclusive.
    s.cursor.x = std::clamp<LONG>(s.cursor.x, s.clip.left, std::max(s.clip.left, s.clip.right - 1));
    s.cursor.y = std::clamp<LONG>(s.cursor.y, s.clip.top, std::max(s.clip.top, s.clip.bottom - 1));
}

// The mouse buttons and the left/right variants of shift, control and alt
// also show in their common codes.
void MirrorCombined(Store& s, int vk)
{
    auto down = [&](int k) { return (s.keys[k] & 0x8000) != 0; };
    auto combine = [&](int both, int left, int right) {
        if (vk != left && vk != right)
            return;
        const bool d = down(left) || down(right);
        const SHORT toggled = s.keys[both] & 1;
        const bool was = down(both);
        SHORT t = toggled;
        if (d && !was)
            t ^= 1;
        s.keys[both] = static_cast<SHORT>((d ? 0x8000 : 0) | t);
    };
    combine(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    combine(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    combine(VK_MENU, VK_LMENU, VK_RMENU);
}
}  // namespace

SHORT GetKeyState(int vk)
{
    if (vk < 0 || vk > 255)
        return 0;
    return store().keys[static_cast<std::size_t>(vk)];
}

SHORT GetAsyncKeyState(int vk) { return static_cast<SHORT>(GetKeyState(vk) & 0x8000); }

BOOL GetCursorPos(POINT* pt)
{
    if (!pt) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pt = store().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    Store& s = store();
    const POINT before = s.cursor;
    s.cursor = {x, y};
    ApplyClip(s);
    if (s.cursorListener && (before.x != s.cursor.x || before.y != s.cursor.y))
        s.cursorListener(s.cursor);
    return TRUE;
}

BOOL ClipCursor(const RECT* rc)
{
    Store& s = store();
    if (!rc) {
        s.clipped = false;
        return TRUE;
    }
    s.clipped = true;
    s.clip = *rc;
    ApplyClip(s);
    return TRUE;
}

BOOL GetClipCursor(RECT* rc)
{
    if (!rc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Store& s = store();
    // Without a clip the whole coordinate range is allowed.
    *rc = s.clipped ? s.clip : RECT{-32768, -32768, 32767, 32767};
    return TRUE;
}

int ShowCursor(BOOL fShow)
{
    Store& s = store();
    s.showCount += fShow ? 1 : -1;
    return s.showCount;
}

DWORD GetMessagePos()
{
    const POINT p = store().messagePos;
    return static_cast<DWORD>(static_cast<WORD>(p.x)) | (static_cast<DWORD>(static_cast<WORD>(p.y)) << 16);
}

UINT joyGetPosEx(UINT id, JOYINFOEX* info)
{
    if (!info || id != JOYSTICKID1)
        return JOYERR_PARMS;
    const auto& j = store().joystick;
    if (!j.present)
        return JOYERR_UNPLUGGED;
    info->dwXpos = j.x;
    info->dwYpos = j.y;
    info->dwZpos = 0;
    info->dwRpos = 0;
    info->dwUpos = 0;
    info->dwVpos = 0;
    info->dwButtons = j.buttons;
    info->dwButtonNumber = 0;
    for (DWORD b = j.buttons; b; b &= b - 1)
        ++info->dwButtonNumber;
    info->dwPOV = 0xFFFF;
    return JOYERR_NOERROR;
}

UINT joyGetDevCapsA(UINT id, JOYCAPSA* caps, UINT cbCaps)
{
    if (!caps || cbCaps < sizeof(JOYCAPSA) || id != JOYSTICKID1)
        return JOYERR_PARMS;
    const auto& j = store().joystick;
    if (!j.present)
        return JOYERR_UNPLUGGED;
    std::memset(caps, 0, sizeof(*caps));
    std::strncpy(caps->szPname, "Joystick", sizeof(caps->szPname) - 1);
    caps->wXmin = j.xmin;
    caps->wXmax = j.xmax;
    caps->wYmin = j.ymin;
    caps->wYmax = j.ymax;
    caps->wNumButtons = j.numButtons;
    caps->wPeriodMin = 10;
    caps->wPeriodMax = 1000;
    return JOYERR_NOERROR;
}

namespace input_store {
void SetKeyDown(int vk, bool down)
{
    if (vk < 0 || vk > 255)
        return;
    Store& s = store();
    SHORT& k = s.keys[static_cast<std::size_t>(vk)];
    const bool was = (k & 0x8000) != 0;
    SHORT toggled = k & 1;
    if (down && !was)
        toggled ^= 1;
    k = static_cast<SHORT>((down ? 0x8000 : 0) | toggled);
    MirrorCombined(s, vk);
}

void ReleaseAllKeys()
{
    for (auto& k : store().keys)
        k = static_cast<SHORT>(k & 1);
}

void SetCursor(int x, int y)
{
    Store& s = store();
    s.cursor = {x, y};
    ApplyClip(s);
}

void SetCursorMoveListener(void (*listener)(POINT pos)) { store().cursorListener = listener; }

void SetMessagePos(int x, int y) { store().messagePos = {x, y}; }

int CursorShowCount() { return store().showCount; }

bool ClipActive(RECT* rc)
{
    const Store& s = store();
    if (s.clipped && rc)
        *rc = s.clip;
    return s.clipped;
}

void SetJoystick(const JoystickState& state) { store().joystick = state; }

JoystickState Joystick() { return store().joystick; }

void Reset()
{
    // The listener belongs to the window system, not to the state.
    auto* listener = store().cursorListener;
    store() = Store{};
    store().cursorListener = listener;
}
}  // namespace input_store
