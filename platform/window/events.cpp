// The event pump: SDL events become the window system's input. Keys become
// key messages with virtual-key codes and update the key state; the mouse
// moves the cursor (in display coordinates, through the presenter's
// letterbox, or by raw deltas while the cursor is clipped) and makes mouse
// messages; focus changes activate and deactivate the application; closing
// the window asks the program's main window to close. Alt+Enter and F11
// belong to the presenter.
#include "platform/window/events.h"
#include "platform/window/gamepad.h"

#include "platform/ddraw/presenter.h"
#include "platform/input/input.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <SDL.h>

#include <set>

namespace {
struct KeyInfo {
    int vk = 0;       // the code of the message
    int stateVk = 0;  // the code whose state changes (left/right for modifiers)
    bool extended = false;
};

KeyInfo MapKey(const SDL_Keysym& ks)
{
    const SDL_Keycode k = ks.sym;
    if (k >= SDLK_a && k <= SDLK_z)
        return {'A' + (k - SDLK_a), 'A' + (k - SDLK_a), false};
    if (k >= SDLK_0 && k <= SDLK_9)
        return {'0' + (k - SDLK_0), '0' + (k - SDLK_0), false};
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return {VK_F1 + (k - SDLK_F1), VK_F1 + (k - SDLK_F1), false};
    auto same = [](int vk, bool ext = false) { return KeyInfo{vk, vk, ext}; };
    switch (k) {
    case SDLK_KP_0: return same(VK_NUMPAD0);
    case SDLK_KP_1: return same(VK_NUMPAD1);
    case SDLK_KP_2: return same(VK_NUMPAD2);
    case SDLK_KP_3: return same(VK_NUMPAD3);
    case SDLK_KP_4: return same(VK_NUMPAD4);
    case SDLK_KP_5: return same(VK_NUMPAD5);
    case SDLK_KP_6: return same(VK_NUMPAD6);
    case SDLK_KP_7: return same(VK_NUMPAD7);
    case SDLK_KP_8: return same(VK_NUMPAD8);
    case SDLK_KP_9: return same(VK_NUMPAD9);
    case SDLK_KP_MULTIPLY: return same(VK_MULTIPLY);
    case SDLK_KP_PLUS: return same(VK_ADD);
    case SDLK_KP_MINUS: return same(VK_SUBTRACT);
    case SDLK_KP_PERIOD: return same(VK_DECIMAL);
    case SDLK_KP_DIVIDE: return same(VK_DIVIDE, true);
    case SDLK_KP_ENTER: return same(VK_RETURN, true);
    case SDLK_RETURN: return same(VK_RETURN);
    case SDLK_ESCAPE: return same(VK_ESCAPE);
    case SDLK_SPACE: return same(VK_SPACE);
    case SDLK_TAB: return same(VK_TAB);
    case SDLK_BACKSPACE: return same(VK_BACK);
    case SDLK_PAUSE: return same(VK_PAUSE);
    case SDLK_CAPSLOCK: return same(VK_CAPITAL);
    case SDLK_NUMLOCKCLEAR: return same(VK_NUMLOCK, true);
    case SDLK_LEFT: return same(VK_LEFT, true);
    case SDLK_RIGHT: return same(VK_RIGHT, true);
    case SDLK_UP: return same(VK_UP, true);
    case SDLK_DOWN: return same(VK_DOWN, true);
    case SDLK_HOME: return same(VK_HOME, true);
    case SDLK_END: return same(VK_END, true);
    case SDLK_PAGEUP: return same(VK_PRIOR, true);
    case SDLK_PAGEDOWN: return same(VK_NEXT, true);
    case SDLK_INSERT: return same(VK_INSERT, true);
    case SDLK_DELETE: return same(VK_DELETE, true);
    case SDLK_LSHIFT: return {VK_SHIFT, VK_LSHIFT, false};
    case SDLK_RSHIFT: return {VK_SHIFT, VK_RSHIFT, false};
    case SDLK_LCTRL: return {VK_CONTROL, VK_LCONTROL, false};
    case SDLK_RCTRL: return {VK_CONTROL, VK_RCONTROL, true};
    case SDLK_LALT: return {VK_MENU, VK_LMENU, false};
    case SDLK_RALT: return {VK_MENU, VK_RMENU, true};
    default: return {};
    }
}

struct PumpState {
    std::set<SDL_Scancode> presenterKeys;  // keys whose press went to the presenter
    bool relative = false;
    bool sdlReady = false;
};

PumpState& pump()
{
    static PumpState p;
    return p;
}

void PostMouse(UINT msg)
{
    POINT pos;
    GetCursorPos(&pos);
    const HWND target = window_system::MouseTarget(pos);
    if (!target)
        return;
    POINT c = pos;
    ScreenToClient(target, &c);
    window_system::PostInput(target, msg, window_system::MouseKeyState(), MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
}

bool IsForeignWindow(Uint32 windowID)
{
    // Events of other real windows (the library's tool windows) are theirs.
    return windowID != 0 && presenter::WindowId() != 0 && windowID != presenter::WindowId();
}

void Key(const SDL_KeyboardEvent& e)
{
    const bool down = e.type == SDL_KEYDOWN;
    const KeyInfo key = MapKey(e.keysym);
    PumpState& p = pump();
    if (down && ((key.vk == VK_RETURN && (e.keysym.mod & KMOD_ALT)) || key.vk == VK_F11)) {
        p.presenterKeys.insert(e.keysym.scancode);
        if (!e.repeat)
            presenter::ToggleFullScreen();
        return;
    }
    if (!down && p.presenterKeys.erase(e.keysym.scancode))
        return;
    if (!key.vk)
        return;
    const bool wasDown = GetKeyState(key.stateVk) < 0;
    input_store::SetKeyDown(key.stateVk, down);
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool sys = key.vk == VK_F10 || key.vk == VK_MENU || (alt && !ctrl);
    const UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    DWORD l = 1u | (static_cast<DWORD>(e.keysym.scancode & 0xFF) << 16);
    if (key.extended)
        l |= 1u << 24;
    if (alt)
        l |= 1u << 29;
    if (!down || wasDown)
        l |= 1u << 30;
    if (!down)
        l |= 1u << 31;
    if (HWND target = window_system::KeyboardTarget())
        window_system::PostInput(target, msg, static_cast<WPARAM>(key.vk), static_cast<LPARAM>(l));
}

void Motion(const SDL_MouseMotionEvent& e)
{
    if (pump().relative || input_store::ClipActive(nullptr)) {
        POINT c;
        GetCursorPos(&c);
        input_store::SetCursor(c.x + e.xrel, c.y + e.yrel);
    } else {
        const POINT d = presenter::WindowToDisplay(e.x, e.y);
        input_store::SetCursor(d.x, d.y);
    }
    PostMouse(WM_MOUSEMOVE);
}

void Button(const SDL_MouseButtonEvent& e)
{
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    int vk = 0;
    UINT msg = 0;
    switch (e.button) {
    case SDL_BUTTON_LEFT:
        vk = VK_LBUTTON;
        msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case SDL_BUTTON_RIGHT:
        vk = VK_RBUTTON;
        msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case SDL_BUTTON_MIDDLE:
        vk = VK_MBUTTON;
        msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    default: return;
    }
    if (!pump().relative && !input_store::ClipActive(nullptr)) {
        const POINT d = presenter::WindowToDisplay(e.x, e.y);
        input_store::SetCursor(d.x, d.y);
    }
    input_store::SetKeyDown(vk, down);
    PostMouse(msg);
}

HWND CloseTarget()
{
    if (HWND a = GetActiveWindow())
        return a;
    return nullptr;
}
}  // namespace

namespace platform_events {
bool EnsureSdl()
{
    PumpState& p = pump();
    if (p.sdlReady)
        return true;
    if (SDL_WasInit(SDL_INIT_VIDEO) || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 ||
        SDL_InitSubSystem(SDL_INIT_EVENTS) == 0)
        p.sdlReady = true;
    // The first game controller or joystick feeds joystick 1.
    if (p.sdlReady)
        platform_gamepad::Start();
    // Relative motion arrives unscaled: the cursor moves by raw deltas.
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
    return p.sdlReady;
}

int VirtualKeyOf(const SDL_Keysym& key) { return MapKey(key).vk; }

void Handle(const SDL_Event& e)
{
    // The library's tool windows take the events of their own real windows.
    if (toolwin_internal::HandleEvent(e))
        return;
    switch (e.type) {
    case SDL_QUIT:
        if (HWND h = CloseTarget())
            PostMessageA(h, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (IsForeignWindow(e.window.windowID))
            break;
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            window_system::SetAppActive(true);
            toolwin_internal::DisplayFocused();
        }
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            window_system::SetAppActive(false);
        // While the picture cannot be seen nothing is drawn; when it can
        // again, all of it is.
        switch (e.window.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN: presenter::NoteMinimized(true); break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN: presenter::NoteMinimized(false); break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: presenter::NoteExposed(); break;
        default: break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (!IsForeignWindow(e.key.windowID))
            Key(e.key);
        break;
    case SDL_MOUSEMOTION:
        if (!IsForeignWindow(e.motion.windowID))
            Motion(e.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!IsForeignWindow(e.button.windowID))
            Button(e.button);
        break;
    default:
        platform_gamepad::Handle(e);
        break;
    }
}

void Pump(int waitMs)
{
    if (!EnsureSdl())
        return;
    PumpState& p = pump();
    // While the cursor is clipped the mouse reports raw deltas and the real
    // pointer stays hidden and caught in the window.
    const bool clip = input_store::ClipActive(nullptr);
    if (clip != p.relative) {
        p.relative = clip;
        if (presenter::WindowId())
            SDL_SetRelativeMouseMode(clip ? SDL_TRUE : SDL_FALSE);
    }
    SDL_Event e;
    // Tool windows are painted and shown before the wait, so that they show
    // what the program did up to now.
    toolwin::Refresh();
    if (waitMs > 0 && SDL_WaitEventTimeout(&e, waitMs))
        Handle(e);
    while (SDL_PollEvent(&e))
        Handle(e);
}

void Reset()
{
    PumpState& p = pump();
    p.presenterKeys.clear();
    if (p.relative && presenter::WindowId())
        SDL_SetRelativeMouseMode(SDL_FALSE);
    p.relative = false;
    if (p.sdlReady) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
}

namespace {
const bool installed = (window_system::SetInputSource(&Pump), true);
}
}  // namespace platform_events
