// Tool windows: their pictures, their real windows and the events of those.
#include "platform/window/toolwin.h"

#include "platform/clock/clock.h"
#include "platform/ddraw/presenter.h"
#include "platform/gdi/gdi.h"
#include "platform/window/events.h"
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

#include <SDL.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

using namespace window_internal;

namespace {
constexpr UINT kMouseWheel = 0x020A;
constexpr int kWheelDelta = 120;
constexpr UINT kNcHitTest = 0x0084;
constexpr LRESULT kHitTransparent = -1;
constexpr DWORD kLongestWithoutPaint = 200;

struct Tool {
    HWND hwnd = nullptr;
    SDL_Window* window = nullptr;
    Uint32 id = 0;
    bool triedReal = false;
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
    // What the real window was last told, so that only changes are passed on.
    RECT applied{};
    std::string title;
    bool shown = false;
    // The picture changed since it was last shown.
    bool changed = true;
    WPARAM buttons = 0;
    DWORD paintedAt = 0;
};

struct Tools {
    std::vector<std::unique_ptr<Tool>> list;
    bool refreshing = false;
};

Tools& tools()
{
    static Tools t;
    return t;
}

Tool* ToolOf(HWND top)
{
    for (auto& t : tools().list)
        if (t->hwnd == top)
            return t.get();
    return nullptr;
}

Tool* ToolOfWindowId(Uint32 id)
{
    if (id == 0)
        return nullptr;
    for (auto& t : tools().list)
        if (t->id == id)
            return t.get();
    return nullptr;
}

void CloseReal(Tool& t)
{
    if (t.window)
        SDL_DestroyWindow(t.window);
    t.window = nullptr;
    t.id = 0;
    t.shown = false;
}

// The picture follows the client size; a new size is painted again whole.
void FitPicture(Tool& t)
{
    Window* w = Find(t.hwnd);
    if (!w)
        return;
    const SIZE sz = ClientSize(*w);
    if (sz.cx == t.width && sz.cy == t.height)
        return;
    t.width = std::max<int>(0, sz.cx);
    t.height = std::max<int>(0, sz.cy);
    t.pixels.assign(static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height), 0);
    InvalidateRect(t.hwnd, nullptr, TRUE);
    t.changed = true;
}

void ForEachInTree(HWND hwnd, const std::function<void(HWND)>& fn)
{
    fn(hwnd);
    Window* w = Find(hwnd);
    if (!w)
        return;
    // Children are kept top first; the bottom one is painted first.
    const std::vector<HWND> kids = w->children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (Find(*it))
            ForEachInTree(*it, fn);
}

bool AnythingToPaint(HWND top)
{
    bool any = false;
    ForEachInTree(top, [&](HWND h) {
        if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE))
            any = true;
    });
    return any;
}

// The class background of a window: a brush, or a system colour plus one.
void EraseBackground(HWND h)
{
    Window* w = Find(h);
    if (!w || !w->cls)
        return;
    HBRUSH brush = w->cls->wc.hbrBackground;
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (!brush)
        return;
    const bool system = value <= 64;
    if (system)
        brush = CreateSolidBrush(GetSysColor(static_cast<int>(value) - 1));
    RECT rc;
    GetClientRect(h, &rc);
    HDC dc = GetDC(h);
    FillRect(dc, &rc, brush);
    ReleaseDC(h, dc);
    if (system)
        DeleteObject(brush);
}

// Something in the window is out of date: the whole tree is painted again,
// parents before children, so that no child is left under its parent's
// background.
void PaintTree(Tool& t)
{
    ForEachInTree(t.hwnd, [](HWND h) { InvalidateRect(h, nullptr, TRUE); });
    ForEachInTree(t.hwnd, [](HWND h) {
        if (!IsWindow(h) || !IsWindowVisible(h))
            return;
        EraseBackground(h);
        UpdateWindow(h);
        ValidateRect(h, nullptr);
    });
    t.changed = true;
}

void MakeReal(Tool& t)
{
    t.triedReal = true;
    if (!platform_events::EnsureSdl() || !SDL_WasInit(SDL_INIT_VIDEO))
        return;
    RECT r;
    GetWindowRect(t.hwnd, &r);
    char title[256] = "";
    GetWindowTextA(t.hwnd, title, sizeof title);
    const int w = std::max<int>(1, r.right - r.left), h = std::max<int>(1, r.bottom - r.top);
    // The picture goes to the window's own pixels: no renderer (and no 3D
    // library) is needed for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    t.window = SDL_CreateWindow(title, r.left, r.top, w, h, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (!t.window)
        return;
    t.id = SDL_GetWindowID(t.window);
    t.applied = r;
    t.title = title;
    t.shown = false;
}

void FollowWindow(Tool& t)
{
    if (!t.window)
        return;
    RECT r;
    GetWindowRect(t.hwnd, &r);
    if (r.left != t.applied.left || r.top != t.applied.top)
        SDL_SetWindowPosition(t.window, r.left, r.top);
    if (r.right - r.left != t.applied.right - t.applied.left || r.bottom - r.top != t.applied.bottom - t.applied.top)
        SDL_SetWindowSize(t.window, std::max<int>(1, r.right - r.left), std::max<int>(1, r.bottom - r.top));
    t.applied = r;
    char title[256] = "";
    GetWindowTextA(t.hwnd, title, sizeof title);
    if (t.title != title) {
        t.title = title;
        SDL_SetWindowTitle(t.window, title);
    }
    const bool visible = IsWindowVisible(t.hwnd) != FALSE;
    if (visible != t.shown) {
        t.shown = visible;
        if (visible) {
            SDL_ShowWindow(t.window);
            t.changed = true;
        } else {
            SDL_HideWindow(t.window);
        }
    }
}

void Show(Tool& t)
{
    if (!t.window || !t.shown || !t.changed || t.width <= 0 || t.height <= 0)
        return;
    SDL_Surface* s = SDL_GetWindowSurface(t.window);
    if (!s)
        return;
    const int w = std::min(t.width, s->w), h = std::min(t.height, s->h);
    if (SDL_MUSTLOCK(s))
        SDL_LockSurface(s);
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, t.pixels.data(), t.width * 4, s->format->format, s->pixels,
                      s->pitch);
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
    SDL_UpdateWindowSurface(t.window);
    t.changed = false;
}

// The deepest visible, enabled window of the tree under a point of the
// desktop.
HWND ChildAt(HWND hwnd, POINT pt)
{
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE))
            continue;
        const RECT r = ScreenRect(c);
        if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom)
            continue;
        // Group boxes and labels let the mouse through to what lies below.
        if (SendMessageA(c, kNcHitTest, 0, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y))) ==
            kHitTransparent)
            continue;
        HWND deeper = ChildAt(c, pt);
        return deeper ? deeper : c;
    }
    return nullptr;
}

void Mouse(Tool& t, UINT msg, int x, int y, WPARAM extra)
{
    const POINT origin = ClientOrigin(t.hwnd);
    POINT pt{origin.x + x, origin.y + y};
    HWND target = GetCapture();
    if (!target || TopLevelOf(target) != t.hwnd) {
        target = ChildAt(t.hwnd, pt);
        if (!target)
            target = t.hwnd;
        if (!IsWindowEnabled(target))
            return;
    }
    if (msg == kMouseWheel) {
        window_system::PostInput(target, msg, extra, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        return;
    }
    ScreenToClient(target, &pt);
    window_system::PostInput(target, msg, t.buttons | extra, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
}

Uint32 WindowIdOf(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    default: return 0;
    }
}
}  // namespace

BOOL SystemParametersInfoA(UINT action, UINT, void* pvParam, UINT)
{
    if (action != SPI_GETWORKAREA || !pvParam)
        return FALSE;
    auto* rc = static_cast<RECT*>(pvParam);
    SDL_Rect usable;
    if (platform_events::EnsureSdl() && SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayUsableBounds(0, &usable) == 0 &&
        usable.w > 0 && usable.h > 0) {
        *rc = {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
        return TRUE;
    }
    const presenter::Mode m = presenter::DesktopMode();
    *rc = {0, 0, m.width, m.height};
    return TRUE;
}

namespace toolwin {
bool Attach(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w || (w->style & WS_CHILD))
        return false;
    if (ToolOf(hwnd))
        return true;
    w->ownScreen = true;
    auto t = std::make_unique<Tool>();
    t->hwnd = hwnd;
    Tool& tool = *t;
    tools().list.push_back(std::move(t));
    FitPicture(tool);
    const SIZE sz = ClientSize(*w);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(sz.cx), static_cast<WORD>(sz.cy)));
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

bool IsAttached(HWND hwnd) { return ToolOf(hwnd) != nullptr; }

void Refresh()
{
    Tools& all = tools();
    if (all.refreshing)
        return;
    all.refreshing = true;
    for (std::size_t i = 0; i < all.list.size();) {
        Tool& t = *all.list[i];
        if (!IsWindow(t.hwnd)) {
            CloseReal(t);
            all.list.erase(all.list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        FitPicture(t);
        // Painting comes after every waiting message, as paint messages do,
        // but a queue that never empties does not keep it off for long.
        const bool due = !window_system::MessagesWaiting() || GetTickCount() - t.paintedAt >= kLongestWithoutPaint;
        if (due && IsWindowVisible(t.hwnd) && AnythingToPaint(t.hwnd)) {
            PaintTree(t);
            t.paintedAt = GetTickCount();
        }
        if (!t.window && !t.triedReal && IsWindowVisible(t.hwnd))
            MakeReal(t);
        // Painting may have closed the window.
        if (IsWindow(t.hwnd)) {
            FollowWindow(t);
            Show(t);
        }
        ++i;
    }
    all.refreshing = false;
}

bool ReadPixels(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height)
{
    Tool* t = ToolOf(hwnd);
    if (!t || !pixels)
        return false;
    *pixels = t->pixels;
    if (width)
        *width = t->width;
    if (height)
        *height = t->height;
    return true;
}

int RealWindowCount()
{
    int n = 0;
    for (auto& t : tools().list)
        n += t->window ? 1 : 0;
    return n;
}
}  // namespace toolwin

namespace toolwin_internal {
bool SurfaceOf(HWND hwnd, std::uint32_t** pixels, int* width, int* height, int* pitch)
{
    if (tools().list.empty())
        return false;
    const HWND top = TopLevelOf(hwnd);
    Tool* t = ToolOf(top);
    Window* w = Find(hwnd);
    if (!t || !w)
        return false;
    FitPicture(*t);
    const POINT o = ClientOrigin(hwnd), to = ClientOrigin(top);
    const int x = o.x - to.x, y = o.y - to.y;
    const SIZE sz = ClientSize(*w);
    if (x < 0 || y < 0 || x >= t->width || y >= t->height)
        return false;
    *pixels = t->pixels.data() + static_cast<std::ptrdiff_t>(y) * t->width + x;
    *width = std::min<int>(sz.cx, t->width - x);
    *height = std::min<int>(sz.cy, t->height - y);
    *pitch = t->width;
    return true;
}

bool HandleEvent(const SDL_Event& e)
{
    Tool* t = ToolOfWindowId(WindowIdOf(e));
    if (!t)
        return false;
    if (!IsWindow(t->hwnd))
        return true;
    switch (e.type) {
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: PostMessageA(t->hwnd, WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED: {
            RECT r;
            GetWindowRect(t->hwnd, &r);
            r.right = r.left + e.window.data1;
            r.bottom = r.top + e.window.data2;
            t->applied = r;
            SetWindowPos(t->hwnd, nullptr, 0, 0, e.window.data1, e.window.data2,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case SDL_WINDOWEVENT_MOVED: {
            RECT r;
            GetWindowRect(t->hwnd, &r);
            t->applied = {e.window.data1, e.window.data2, e.window.data1 + (r.right - r.left),
                          e.window.data2 + (r.bottom - r.top)};
            SetWindowPos(t->hwnd, nullptr, e.window.data1, e.window.data2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED: t->changed = true; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            window_system::SetAppActive(true);
            SetActiveWindow(t->hwnd);
            break;
        default: break;
        }
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int vk = platform_events::VirtualKeyOf(e.key.keysym);
        if (!vk)
            return true;
        const HWND focus = GetFocus();
        const HWND target = focus && TopLevelOf(focus) == t->hwnd ? focus : t->hwnd;
        DWORD l = 1u | (static_cast<DWORD>(e.key.keysym.scancode & 0xFF) << 16);
        if (e.type == SDL_KEYUP)
            l |= (1u << 30) | (1u << 31);
        else if (e.key.repeat)
            l |= 1u << 30;
        window_system::PostInput(target, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vk),
                                 static_cast<LPARAM>(l));
        return true;
    }
    case SDL_MOUSEMOTION: Mouse(*t, WM_MOUSEMOVE, e.motion.x, e.motion.y, 0); return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        WPARAM bit = 0;
        UINT msg = 0;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: bit = MK_LBUTTON, msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: bit = MK_RBUTTON, msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: bit = MK_MBUTTON, msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return true;
        }
        t->buttons = down ? (t->buttons | bit) : (t->buttons & ~bit);
        Mouse(*t, msg, e.button.x, e.button.y, 0);
        return true;
    }
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const int delta = (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * kWheelDelta;
        Mouse(*t, kMouseWheel, x, y, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))));
        return true;
    }
    default: return true;
    }
}

void DisplayFocused()
{
    const HWND active = GetActiveWindow();
    if (!active || !ToolOf(active))
        return;
    for (HWND h : state().topLevel) {
        Window* w = Find(h);
        if (w && !w->ownScreen && (w->style & WS_VISIBLE)) {
            SetActiveWindow(h);
            return;
        }
    }
}
}  // namespace toolwin_internal
