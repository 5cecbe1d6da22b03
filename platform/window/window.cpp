// Window objects: classes, creation and destruction, window longs, the
// parent/child tree with its z-order, geometry, visibility, painting and
// dialogs. The message queue, focus, capture and activation are in queue.cpp.
#include "platform/window/window.h"
#include "platform/resources/resources.h"

#include "platform/base/syserror.h"
#include "platform/ddraw/presenter.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window_internal.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <strings.h>

namespace window_internal {

State& state()
{
    static State s;
    return s;
}

Window* Find(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto& w = state().windows;
    const auto it = w.find(hwnd);
    return it == w.end() ? nullptr : it->second.get();
}

ClassInfo* FindClass(const char* name)
{
    if (!name)
        return nullptr;
    for (auto& c : state().classes)
        if (strcasecmp(c->name.c_str(), name) == 0)
            return c.get();
    return nullptr;
}

std::vector<HWND>& Siblings(HWND parent)
{
    if (Window* p = Find(parent))
        return p->children;
    return state().topLevel;
}

HWND TopLevelOf(HWND hwnd)
{
    Window* w = Find(hwnd);
    while (w && (w->style & WS_CHILD) && w->parent) {
        hwnd = w->parent;
        w = Find(hwnd);
    }
    return w ? hwnd : nullptr;
}

bool IsAncestorOrSelf(HWND ancestor, HWND hwnd)
{
    while (Window* w = Find(hwnd)) {
        if (hwnd == ancestor)
            return true;
        if (!(w->style & WS_CHILD))
            return false;
        hwnd = w->parent;
    }
    return false;
}

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = Find(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, msg, wParam, lParam);
}

// The frame a style gives a window: border width on each side and the
// caption height on top.
void NonClient(const Window& w, int* border, int* caption)
{
    *border = 0;
    *caption = 0;
    if (w.ownScreen)
        return;
    if (w.style & WS_THICKFRAME)
        *border = GetSystemMetrics(SM_CXFRAME);
    else if ((w.style & WS_DLGFRAME) || (w.exStyleDialogFrame))
        *border = GetSystemMetrics(SM_CXDLGFRAME);
    else if (w.style & WS_BORDER)
        *border = GetSystemMetrics(SM_CXBORDER);
    if ((w.style & WS_CAPTION) == WS_CAPTION)
        *caption = GetSystemMetrics(SM_CYCAPTION);
    if (w.menu)
        *caption += GetSystemMetrics(SM_CYMENU);
}

POINT ClientOrigin(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return {0, 0};
    POINT origin{w->rect.left, w->rect.top};
    if ((w->style & WS_CHILD) && w->parent) {
        const POINT p = ClientOrigin(w->parent);
        origin.x += p.x;
        origin.y += p.y;
    }
    int border = 0, caption = 0;
    NonClient(*w, &border, &caption);
    origin.x += border;
    origin.y += border + caption;
    return origin;
}

RECT ScreenRect(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return {0, 0, 0, 0};
    RECT r = w->rect;
    if ((w->style & WS_CHILD) && w->parent) {
        const POINT p = ClientOrigin(w->parent);
        r.left += p.x;
        r.right += p.x;
        r.top += p.y;
        r.bottom += p.y;
    }
    return r;
}

SIZE ClientSize(const Window& w)
{
    int border = 0, caption = 0;
    NonClient(w, &border, &caption);
    return {std::max<LONG>(0, w.rect.right - w.rect.left - 2 * border),
            std::max<LONG>(0, w.rect.bottom - w.rect.top - 2 * border - caption)};
}

bool IsShownOnScreen(HWND hwnd)
{
    for (Window* w = Find(hwnd); w;) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!(w->style & WS_CHILD))
            return true;
        w = Find(w->parent);
    }
    return false;
}

}  // namespace window_internal

using namespace window_internal;

namespace {
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;

// Dialog units of the 8-point dialog font, in pixels per 4 horizontal and
// per 8 vertical units.
constexpr int kDialogBaseX = 6;
constexpr int kDialogBaseY = 13;

std::string ClassKey(const char* name)
{
    // A class given by atom is stored under "#atom".
    const auto v = reinterpret_cast<std::uintptr_t>(name);
    if (v && v < 0x10000)
        return "#" + std::to_string(v);
    return name ? std::string(name) : std::string();
}

void EnsureSystemClasses()
{
    State& s = state();
    if (s.systemClassesMade)
        return;
    s.systemClassesMade = true;
    auto c = std::make_unique<ClassInfo>();
    c->name = WC_DIALOG;
    c->system = true;
    c->atom = 0x8002;
    c->wc = WNDCLASSA{};
    c->wc.lpfnWndProc = DefDlgProcA;
    c->wc.cbWndExtra = DLGWINDOWEXTRA;
    c->wc.lpszClassName = c->name.c_str();
    s.classes.push_back(std::move(c));
}

void RemoveFromSiblings(HWND hwnd, HWND parent, bool child)
{
    auto& list = child ? Siblings(parent) : state().topLevel;
    list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
}

void InvalidateWhole(HWND hwnd)
{
    if (Window* w = Find(hwnd)) {
        const SIZE sz = ClientSize(*w);
        w->update = {0, 0, sz.cx, sz.cy};
        w->hasUpdate = sz.cx > 0 && sz.cy > 0;
        w->erase = true;
    }
}

void SendSizeAndMove(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return;
    const SIZE sz = ClientSize(*w);
    POINT origin = ClientOrigin(hwnd);
    if ((w->style & WS_CHILD) && w->parent) {
        const POINT p = ClientOrigin(w->parent);
        origin.x -= p.x;
        origin.y -= p.y;
    }
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(sz.cx), static_cast<WORD>(sz.cy)));
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
}

void DestroyTree(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    const bool child = (w->style & WS_CHILD) != 0;
    const HWND parent = w->parent;
    w->style &= ~WS_VISIBLE;
    queue_internal::ForgetWindow(hwnd);
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    // Children go after their parent has seen WM_DESTROY; owned windows too.
    std::vector<HWND> kids = Find(hwnd) ? Find(hwnd)->children : std::vector<HWND>{};
    for (HWND k : kids)
        DestroyTree(k);
    std::vector<HWND> owned;
    for (auto& [h, win] : state().windows)
        if (!(win->style & WS_CHILD) && win->parent == hwnd)
            owned.push_back(h);
    for (HWND o : owned)
        DestroyTree(o);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    RemoveFromSiblings(hwnd, parent, child);
    if (Window* gone = Find(hwnd); gone && gone->cls)
        --gone->cls->windowCount;
    state().windows.erase(hwnd);
}
}  // namespace

// --- classes -----------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    EnsureSystemClasses();
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name = ClassKey(wc->lpszClassName);
    if (FindClass(name.c_str())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    State& s = state();
    auto c = std::make_unique<ClassInfo>();
    c->name = name;
    c->menuName = wc->lpszMenuName && reinterpret_cast<std::uintptr_t>(wc->lpszMenuName) >= 0x10000
                      ? wc->lpszMenuName
                      : "";
    c->wc = *wc;
    c->wc.lpszClassName = c->name.c_str();
    c->atom = static_cast<ATOM>(0xC000 + s.nextAtom++);
    const ATOM atom = c->atom;
    s.classes.push_back(std::move(c));
    return atom;
}

BOOL UnregisterClassA(const char* className, HINSTANCE)
{
    const std::string name = ClassKey(className);
    auto& classes = state().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (strcasecmp((*it)->name.c_str(), name.c_str()) != 0 || (*it)->system)
            continue;
        if ((*it)->windowCount > 0) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
}

BOOL GetClassInfoA(HINSTANCE, const char* className, WNDCLASSA* wc)
{
    EnsureSystemClasses();
    ClassInfo* c = FindClass(ClassKey(className).c_str());
    if (!c || !wc) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    *wc = c->wc;
    return TRUE;
}

int GetClassNameA(HWND hwnd, char* name, int cchMax)
{
    Window* w = Find(hwnd);
    if (!w || !name || cchMax <= 0) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::string& n = w->className;
    const int len = std::min<int>(static_cast<int>(n.size()), cchMax - 1);
    std::memcpy(name, n.data(), static_cast<std::size_t>(len));
    name[len] = '\0';
    return len;
}

// --- windows -----------------------------------------------------------------

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param)
{
    EnsureSystemClasses();
    ClassInfo* cls = FindClass(ClassKey(className).c_str());
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if ((style & WS_CHILD) && !Find(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    State& s = state();
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000 + 16 * s.nextWindow++));
    auto w = std::make_unique<Window>();
    w->cls = cls;
    w->className = cls->name;
    w->proc = cls->wc.lpfnWndProc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->exStyleDialogFrame = false;
    w->parent = Find(parent) ? parent : nullptr;
    w->instance = instance;
    w->text = windowName ? windowName : "";
    w->extra.assign(static_cast<std::size_t>(std::max(0, cls->wc.cbWndExtra) + 3) / 4, 0);
    if (style & WS_CHILD)
        w->id = static_cast<int>(reinterpret_cast<std::intptr_t>(menuOrId));
    else
        w->menu = menuOrId;
    if (x == CW_USEDEFAULT) {
        x = 0;
        y = 0;
    }
    if (width == CW_USEDEFAULT) {
        width = 320;
        height = 240;
    }
    w->rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    ++cls->windowCount;
    s.windows.emplace(hwnd, std::move(w));
    if (style & WS_CHILD)
        Siblings(parent).push_back(hwnd);
    else
        s.topLevel.insert(s.topLevel.begin(), hwnd);

    CREATESTRUCTA cs{param, instance, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) && Find(hwnd)) {
        // A procedure that answers 0 here refuses the window; DefWindowProc
        // answers 1.
        DestroyTree(hwnd);
        return nullptr;
    }
    if (!Find(hwnd) || SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyTree(hwnd);
        return nullptr;
    }
    SendSizeAndMove(hwnd);
    if ((style & WS_VISIBLE) && Find(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!Find(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DestroyTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) && !Find(hwnd)->destroying ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) { return IsShownOnScreen(hwnd) ? TRUE : FALSE; }

BOOL IsIconic(HWND hwnd) { return Find(hwnd) && presenter::IsMinimized() ? TRUE : FALSE; }

BOOL IsWindowEnabled(HWND hwnd)
{
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (wasDisabled == (enable ? TRUE : FALSE))
        SendMessageA(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

HWND GetParent(HWND hwnd)
{
    Window* w = Find(hwnd);
    return w ? w->parent : nullptr;
}

HWND GetWindow(HWND hwnd, UINT relation)
{
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return (w->style & WS_CHILD) ? nullptr : w->parent;
    const auto& list = (w->style & WS_CHILD) ? Siblings(w->parent) : state().topLevel;
    const auto it = std::find(list.begin(), list.end(), hwnd);
    if (it == list.end())
        return nullptr;
    switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list.begin() ? nullptr : *(it - 1);
    default: return nullptr;
    }
}

HWND GetDlgItem(HWND dialog, int id)
{
    Window* w = Find(dialog);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : w->children)
        if (Window* cw = Find(c); cw && cw->id == id)
            return c;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    Window* w = Find(hwnd);
    return w ? w->id : 0;
}

HMENU GetMenu(HWND hwnd)
{
    Window* w = Find(hwnd);
    return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL SetWindowTextA(HWND hwnd, const char* text)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    w->text = text ? text : "";
    return TRUE;
}

int GetWindowTextA(HWND hwnd, char* text, int cchMax)
{
    Window* w = Find(hwnd);
    if (!w || !text || cchMax <= 0)
        return 0;
    const int len = std::min<int>(static_cast<int>(w->text.size()), cchMax - 1);
    std::memcpy(text, w->text.data(), static_cast<std::size_t>(len));
    text[len] = '\0';
    return len;
}

LONG_PTR GetWindowLongA(HWND hwnd, int index)
{
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent);
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return w->id;
    default: break;
    }
    if (index < 0 || index % 4 != 0 || static_cast<std::size_t>(index / 4) >= w->extra.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return w->extra[static_cast<std::size_t>(index / 4)];
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWL_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWL_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWL_STYLE:
        old = static_cast<LONG_PTR>(w->style);
        w->style = static_cast<DWORD>(value);
        return old;
    case GWL_EXSTYLE:
        old = static_cast<LONG_PTR>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        return old;
    case GWL_USERDATA:
        old = w->userData;
        w->userData = value;
        return old;
    case GWL_ID:
        old = w->id;
        w->id = static_cast<int>(value);
        return old;
    default: break;
    }
    if (index < 0 || index % 4 != 0 || static_cast<std::size_t>(index / 4) >= w->extra.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    old = w->extra[static_cast<std::size_t>(index / 4)];
    w->extra[static_cast<std::size_t>(index / 4)] = value;
    return old;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE:
        if (lParam) {
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (cs->lpszName)
                SetWindowTextA(hwnd, cs->lpszName);
        }
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_NCACTIVATE: return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            SetFocus(hwnd);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(0x73) && (lParam & (1 << 29)))  // Alt+F4
            PostMessageA(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETCURSOR: return 0;
    case WM_SETTEXT:
        SetWindowTextA(hwnd, reinterpret_cast<const char*>(lParam));
        return TRUE;
    default: return 0;
    }
}

LRESULT DefDlgProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongA(hwnd, DWL_DLGPROC));
    if (proc) {
        const LRESULT handled = proc(hwnd, msg, wParam, lParam);
        if (handled) {
            if (msg == WM_INITDIALOG)
                return handled;
            return IsWindow(hwnd) ? GetWindowLongA(hwnd, DWL_MSGRESULT) : 0;
        }
    }
    if (!IsWindow(hwnd))
        return 0;
    switch (msg) {
    case WM_CLOSE:
        // A dialog is closed by its own procedure; closing asks it to cancel.
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(2, 0), 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            Window* w = Find(hwnd);
            HWND target = w && IsWindow(w->savedFocus) ? w->savedFocus : nullptr;
            if (!target)
                for (HWND c : w ? w->children : std::vector<HWND>{})
                    if (IsWindowVisible(c) && IsWindowEnabled(c)) {
                        target = c;
                        break;
                    }
            SetFocus(target ? target : hwnd);
        }
        return 0;
    case WM_SETFOCUS:
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// --- geometry ----------------------------------------------------------------

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return presenter::CurrentMode().width;
    case SM_CYSCREEN: return presenter::CurrentMode().height;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CYMENU: return 19;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    default: return 0;
    }
}

BOOL GetClientRect(HWND hwnd, RECT* rc)
{
    Window* w = Find(hwnd);
    if (!w || !rc) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const SIZE sz = ClientSize(*w);
    *rc = {0, 0, sz.cx, sz.cy};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rc)
{
    if (!Find(hwnd) || !rc) {
        SetLastError(Find(hwnd) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rc = ScreenRect(hwnd);
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt)
{
    if (!Find(hwnd) || !pt)
        return FALSE;
    const POINT o = ClientOrigin(hwnd);
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt)
{
    if (!Find(hwnd) || !pt)
        return FALSE;
    const POINT o = ClientOrigin(hwnd);
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const RECT old = w->rect;
    RECT r = old;
    if (!(flags & SWP_NOMOVE)) {
        r.right = x + (r.right - r.left);
        r.bottom = y + (r.bottom - r.top);
        r.left = x;
        r.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, cx);
        r.bottom = r.top + std::max(0, cy);
    }
    w->rect = r;
    if (!(flags & SWP_NOZORDER)) {
        auto& list = (w->style & WS_CHILD) ? Siblings(w->parent) : state().topLevel;
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
        if (insertAfter == HWND_TOP)
            list.insert(list.begin(), hwnd);
        else if (insertAfter == HWND_BOTTOM)
            list.push_back(hwnd);
        else {
            auto it = std::find(list.begin(), list.end(), insertAfter);
            list.insert(it == list.end() ? list.begin() : it + 1, hwnd);
        }
    }
    const bool sized = (old.right - old.left) != (r.right - r.left) || (old.bottom - old.top) != (r.bottom - r.top);
    const bool moved = old.left != r.left || old.top != r.top;
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    if ((sized || moved) && Find(hwnd)) {
        if (!(flags & SWP_NOREDRAW))
            InvalidateWhole(hwnd);
        SendSizeAndMove(hwnd);
    }
    if (Find(hwnd) && !(flags & SWP_NOACTIVATE) && !(Find(hwnd)->style & WS_CHILD) && IsWindowVisible(hwnd))
        SetActiveWindow(hwnd);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int cmd)
{
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    if (cmd == SW_HIDE) {
        if (wasVisible) {
            w->style &= ~WS_VISIBLE;
            SendMessageA(hwnd, WM_SHOWWINDOW, FALSE, 0);
            queue_internal::WindowHidden(hwnd);
        }
        return wasVisible;
    }
    if (!wasVisible) {
        w->style |= WS_VISIBLE;
        SendMessageA(hwnd, WM_SHOWWINDOW, TRUE, 0);
        InvalidateWhole(hwnd);
    }
    Window* now = Find(hwnd);
    const bool activate = cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE &&
                          cmd != SW_MINIMIZE;
    if (now && activate && !(now->style & WS_CHILD))
        SetActiveWindow(hwnd);
    return wasVisible;
}

HWND WindowFromPoint(POINT pt)
{
    std::function<HWND(const std::vector<HWND>&)> search = [&](const std::vector<HWND>& list) -> HWND {
        for (HWND h : list) {
            Window* w = Find(h);
            if (!w || !(w->style & WS_VISIBLE) || w->ownScreen)
                continue;
            const RECT r = ScreenRect(h);
            if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom)
                continue;
            if (HWND c = search(w->children))
                return c;
            return h;
        }
        return nullptr;
    };
    return search(state().topLevel);
}

// --- painting ----------------------------------------------------------------

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase)
{
    if (!hwnd) {
        for (HWND h : state().topLevel)
            InvalidateRect(h, rc, erase);
        return TRUE;
    }
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    const SIZE sz = ClientSize(*w);
    RECT r{0, 0, sz.cx, sz.cy};
    if (rc) {
        r.left = std::max(r.left, rc->left);
        r.top = std::max(r.top, rc->top);
        r.right = std::min(r.right, rc->right);
        r.bottom = std::min(r.bottom, rc->bottom);
    }
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    if (w->hasUpdate) {
        w->update.left = std::min(w->update.left, r.left);
        w->update.top = std::min(w->update.top, r.top);
        w->update.right = std::max(w->update.right, r.right);
        w->update.bottom = std::max(w->update.bottom, r.bottom);
    } else {
        w->update = r;
        w->hasUpdate = true;
    }
    w->erase = w->erase || erase;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rc)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    // The update area is one rectangle; validating a part that covers it
    // whole empties it, anything else leaves it.
    if (!rc || (rc->left <= w->update.left && rc->top <= w->update.top && rc->right >= w->update.right &&
                rc->bottom >= w->update.bottom)) {
        w->hasUpdate = false;
        w->update = {0, 0, 0, 0};
        w->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rc, BOOL)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    if (rc)
        *rc = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    return w->hasUpdate ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    if (w->hasUpdate && IsWindowVisible(hwnd))
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rc, HRGN, UINT flags)
{
    if (flags & RDW_INVALIDATE)
        InvalidateRect(hwnd, rc, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_UPDATENOW)
        UpdateWindow(hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    Window* w = Find(hwnd);
    if (!w || !ps)
        return nullptr;
    ps->rcPaint = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    ps->fErase = w->erase ? TRUE : FALSE;
    if (w->erase)
        SendMessageA(hwnd, WM_ERASEBKGND, 0, 0);
    ValidateRect(hwnd, nullptr);
    ps->hdc = GetDC(hwnd);
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (ps && ps->hdc)
        ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

// --- dialogs -----------------------------------------------------------------

HWND CreateDialogIndirectParamA(HINSTANCE instance, const DIALOGTEMPLATE* tmpl, HWND parent, DLGPROC proc,
                                LPARAM param)
{
    EnsureSystemClasses();
    if (!tmpl) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto px = [](int du) { return du * kDialogBaseX / 4; };
    auto py = [](int du) { return du * kDialogBaseY / 8; };
    const char* cls = tmpl->className ? tmpl->className : WC_DIALOG;
    const DWORD style = tmpl->style & ~WS_VISIBLE;
    // The template gives the client area; the frame goes around it.
    Window probe;
    probe.style = style;
    int border = 0, caption = 0;
    NonClient(probe, &border, &caption);
    const int cx = px(tmpl->cx) + 2 * border;
    const int cy = py(tmpl->cy) + 2 * border + caption;
    const HWND dlg = CreateWindowExA(0, cls, tmpl->caption, style, px(tmpl->x), py(tmpl->y), cx, cy, parent,
                                     nullptr, instance, nullptr);
    if (!dlg)
        return nullptr;
    if (Window* w = Find(dlg)) {
        w->isDialog = true;
        // The dialog manager's bytes exist whatever the class declared.
        if (w->extra.size() < DLGWINDOWEXTRA / 4)
            w->extra.resize(DLGWINDOWEXTRA / 4, 0);
    }
    SetWindowLongA(dlg, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    for (int i = 0; i < tmpl->itemCount; ++i) {
        const DIALOGITEM& it = tmpl->items[i];
        const HWND c = CreateWindowExA(0, it.className, it.text, it.style | WS_CHILD, px(it.x), py(it.y),
                                       px(it.cx), py(it.cy), dlg,
                                       reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(it.id)), instance,
                                       nullptr);
        if (!c) {
            DestroyWindow(dlg);
            return nullptr;
        }
    }
    HWND first = nullptr;
    for (HWND c : Find(dlg) ? Find(dlg)->children : std::vector<HWND>{})
        if (IsWindowEnabled(c) && (Find(c)->style & WS_VISIBLE)) {
            first = c;
            break;
        }
    if (SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dlg) && first) {
        SetFocus(first);
        if (Window* w = Find(dlg))
            w->savedFocus = first;
    }
    if (IsWindow(dlg) && (tmpl->style & WS_VISIBLE))
        ShowWindow(dlg, SW_SHOWNORMAL);
    return IsWindow(dlg) ? dlg : nullptr;
}

// --- cursor ------------------------------------------------------------------

namespace {
HCURSOR& currentCursor()
{
    static HCURSOR c = nullptr;
    return c;
}
}  // namespace

HCURSOR LoadCursorA(HINSTANCE, const char* name)
{
    // One shape is known: the arrow.
    if (name == IDC_ARROW)
        return reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(32512));
    return nullptr;
}

HICON LoadIconA(HINSTANCE instance, const char* name)
{
    // The handle is the icon group resource itself: it lives as long as the
    // program and needs no freeing.
    HRSRC found = FindResourceA(reinterpret_cast<HMODULE>(instance), name, RT_GROUP_ICON);
    if (!found)
        return nullptr;
    return reinterpret_cast<HICON>(LockResource(LoadResource(reinterpret_cast<HMODULE>(instance), found)));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR old = currentCursor();
    currentCursor() = cursor;
    return old;
}

HCURSOR GetCursor() { return currentCursor(); }

namespace window_system {
int WindowCount() { return static_cast<int>(state().windows.size()); }

void Reset()
{
    std::vector<HWND> tops = state().topLevel;
    for (HWND h : tops)
        DestroyWindow(h);
    State& s = state();
    s.windows.clear();
    s.topLevel.clear();
    s.classes.erase(std::remove_if(s.classes.begin(), s.classes.end(), [](const auto& c) { return !c->system; }),
                    s.classes.end());
    queue_internal::Reset();
    currentCursor() = nullptr;
}
}  // namespace window_system
