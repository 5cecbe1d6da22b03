// The input state that the system samples: key states by virtual-key code,
// the cursor with its clip and the position of the last message, and the
// joystick. It is a store: the display layer feeds it from window-system
// events, and tests set it directly.
#pragma once

#include "platform/base/types.h"

// Virtual-key codes the system reads.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_NUMPAD1 = 0x61;
constexpr int VK_NUMPAD2 = 0x62;
constexpr int VK_NUMPAD3 = 0x63;
constexpr int VK_NUMPAD4 = 0x64;
constexpr int VK_NUMPAD5 = 0x65;
constexpr int VK_NUMPAD6 = 0x66;
constexpr int VK_NUMPAD7 = 0x67;
constexpr int VK_NUMPAD8 = 0x68;
constexpr int VK_NUMPAD9 = 0x69;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;

// Key state: the high bit (0x8000, a negative SHORT) while the key is down,
// the low bit toggled at each press. Codes outside 0..255 read as up.
SHORT GetKeyState(int vk);
SHORT GetAsyncKeyState(int vk);

// Cursor position in display coordinates.
BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
// Confines the cursor to a rectangle; null removes the confinement.
BOOL ClipCursor(const RECT* rc);
BOOL GetClipCursor(RECT* rc);
// Raises (fShow) or lowers the show count; the cursor shows while it is >= 0.
int ShowCursor(BOOL fShow);
// Cursor position at the time of the message being handled, packed as x in
// the low word and y in the high word (each signed 16-bit).
DWORD GetMessagePos();

// Joystick, as the multimedia joystick functions report it.
constexpr UINT JOYSTICKID1 = 0;
constexpr UINT JOYERR_NOERROR = 0;
constexpr UINT JOYERR_PARMS = 165;
constexpr UINT JOYERR_UNPLUGGED = 167;
constexpr DWORD JOY_RETURNALL = 0xFF;
constexpr DWORD JOY_BUTTON1 = 0x0001;
constexpr DWORD JOY_BUTTON2 = 0x0002;
constexpr DWORD JOY_BUTTON3 = 0x0004;
constexpr DWORD JOY_BUTTON4 = 0x0008;

struct JOYINFOEX {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};

struct JOYCAPSA {
    WORD wMid;
    WORD wPid;
    char szPname[32];
    UINT wXmin;
    UINT wXmax;
    UINT wYmin;
    UINT wYmax;
    UINT wZmin;
    UINT wZmax;
    UINT wNumButtons;
    UINT wPeriodMin;
    UINT wPeriodMax;
};

UINT joyGetPosEx(UINT id, JOYINFOEX* info);
UINT joyGetDevCapsA(UINT id, JOYCAPSA* caps, UINT cbCaps);

// Feeding the store: the display layer calls these for real events, tests
// call them to stage a situation.
namespace input_store {
void SetKeyDown(int vk, bool down);
void ReleaseAllKeys();
// Moves the cursor as the mouse does (kept inside the clip), without
// telling the listener below.
void SetCursor(int x, int y);
// Called whenever the program moves the cursor with SetCursorPos and the
// position changes: the window system turns it into a mouse move, as a real
// cursor move would be. Null removes the listener.
void SetCursorMoveListener(void (*listener)(POINT pos));
void SetMessagePos(int x, int y);
int CursorShowCount();
bool ClipActive(RECT* rc);

struct JoystickState {
    bool present = false;
    UINT xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    DWORD x = 0, y = 0;
    DWORD buttons = 0;
    UINT numButtons = 0;
};
void SetJoystick(const JoystickState& state);
JoystickState Joystick();

// Back to no key down, cursor at (0, 0), no clip, show count 0, no joystick.
void Reset();
}  // namespace input_store
