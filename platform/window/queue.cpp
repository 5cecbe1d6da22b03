// The one message queue of the program: posted messages, input messages
// (keyboard and mouse, in the order they happened), the quit request, paint
// and timer messages made when the queue is read; sending; keyboard focus,
// mouse capture and activation; accelerators.
#include "platform/base/syserror.h"
#include "platform/clock/clock.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <thread>
#include <vector>

using namespace window_internal;

namespace {
struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};

struct Queue {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quit = false;
    int quitCode = 0;
    DWORD lastTime = 0;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    bool appActive = true;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    std::map<HACCEL, std::vector<ACCEL>> accelerators;
    std::uintptr_t nextAccel = 1;
    void (*pump)(int) = nullptr;
    // Counts every arrival of input; seen is the count when a reader last
    // looked at the queue, so that a wait wakes only for what is new.
    unsigned arrivals = 0;
    unsigned seen = 0;
};

Queue& queue()
{
    static Queue q;
    return q;
}

MSG Make(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG m{hwnd, msg, wParam, lParam, GetTickCount(), {0, 0}};
    GetCursorPos(&m.pt);
    return m;
}

bool Matches(const MSG& m, HWND hwnd, UINT lo, UINT hi)
{
    if (hwnd && hwnd != reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)) && !IsAncestorOrSelf(hwnd, m.hwnd))
        return false;
    if (hwnd == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)) && m.hwnd)
        return false;
    if (lo == 0 && hi == 0)
        return true;
    return m.message >= lo && m.message <= hi;
}

bool TakeFrom(std::deque<MSG>& q, MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove)
{
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!Matches(*it, hwnd, lo, hi))
            continue;
        *out = *it;
        if (remove)
            q.erase(it);
        return true;
    }
    return false;
}

bool FindPaint(MSG* out, HWND hwnd, UINT lo, UINT hi)
{
    for (auto& [h, w] : state().windows) {
        if (!w->hasUpdate || !IsShownOnScreen(h))
            continue;
        MSG m = Make(h, WM_PAINT, 0, 0);
        if (!Matches(m, hwnd, lo, hi))
            continue;
        *out = m;
        return true;
    }
    return false;
}

bool FindTimer(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove)
{
    const DWORD now = GetTickCount();
    for (Timer& t : queue().timers) {
        if (static_cast<std::int32_t>(now - t.due) < 0)
            continue;
        MSG m = Make(t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
        if (!Matches(m, hwnd, lo, hi))
            continue;
        if (remove)
            t.due = now + t.elapse;
        *out = m;
        return true;
    }
    return false;
}

bool Peek(MSG* msg, HWND hwnd, UINT lo, UINT hi, bool remove)
{
    Queue& q = queue();
    q.seen = q.arrivals;
    MSG m{};
    bool found = TakeFrom(q.posted, &m, hwnd, lo, hi, remove);
    if (!found && q.quit && (lo == 0 && hi == 0 ? true : (WM_QUIT >= lo && WM_QUIT <= hi))) {
        m = Make(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
        if (remove)
            q.quit = false;
        found = true;
    }
    if (!found)
        found = TakeFrom(q.input, &m, hwnd, lo, hi, remove);
    if (!found)
        found = FindPaint(&m, hwnd, lo, hi);
    if (!found)
        found = FindTimer(&m, hwnd, lo, hi, remove);
    if (!found)
        return false;
    if (msg)
        *msg = m;
    // The position and time of the message being handled.
    input_store::SetMessagePos(m.pt.x, m.pt.y);
    q.lastTime = m.time;
    return true;
}

void CursorMoved(POINT pos)
{
    const HWND target = window_system::MouseTarget(pos);
    if (!target)
        return;
    POINT c = pos;
    ScreenToClient(target, &c);
    window_system::PostInput(target, WM_MOUSEMOVE, window_system::MouseKeyState(), MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
}

void EnsureCursorListener()
{
    static bool installed = false;
    if (!installed) {
        installed = true;
        input_store::SetCursorMoveListener(CursorMoved);
    }
}

void RunPump(int waitMs)
{
    EnsureCursorListener();
    if (queue().pump)
        queue().pump(waitMs);
}

void RemoveInputFor(HWND hwnd)
{
    auto& in = queue().input;
    in.erase(std::remove_if(in.begin(), in.end(), [&](const MSG& m) { return m.hwnd == hwnd; }), in.end());
}
}  // namespace

// --- queue -------------------------------------------------------------------

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(1400);
        return FALSE;
    }
    queue().posted.push_back(Make(hwnd, msg, wParam, lParam));
    ++queue().arrivals;
    return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!Find(hwnd)) {
        SetLastError(1400);
        return 0;
    }
    return CallProc(hwnd, msg, wParam, lParam);
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    RunPump(0);
    return Peek(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    MSG m{};
    RunPump(0);
    while (!Peek(&m, hwnd, filterMin, filterMax, true)) {
        if (queue().pump)
            RunPump(10);
        else
            std::this_thread::yield();
    }
    if (msg)
        *msg = m;
    return m.message == WM_QUIT ? FALSE : TRUE;
}

namespace {
// The earliest due time of the timers, as an offset from now (0 when one is
// due already); false when there are no timers.
bool NextTimerIn(DWORD now, DWORD* in)
{
    bool any = false;
    for (const Timer& t : queue().timers) {
        const std::int32_t left = static_cast<std::int32_t>(t.due - now);
        const DWORD d = left > 0 ? static_cast<DWORD>(left) : 0;
        if (!any || d < *in)
            *in = d;
        any = true;
    }
    return any;
}

bool NewInput() { return queue().arrivals != queue().seen; }
}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD ms, DWORD)
{
    if (count != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    const DWORD input = WAIT_OBJECT_0 + count;
    RunPump(0);
    if (NewInput())
        return input;
    const DWORD start = GetTickCount();
    // Timers already due were there for the last reader to see; only those
    // falling due during the wait wake it.
    DWORD timerIn = 0;
    const bool timer = NextTimerIn(start, &timerIn) && timerIn > 0 && (ms == INFINITE || timerIn <= ms);
    if (clock_control::IsStepped()) {
        if (timer) {
            clock_control::Advance(timerIn);
            return input;
        }
        if (ms != INFINITE)
            clock_control::Advance(ms);
        return WAIT_TIMEOUT;
    }
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (timer && elapsed >= timerIn)
            return input;
        if (ms != INFINITE && elapsed >= ms)
            return WAIT_TIMEOUT;
        DWORD slice = ms == INFINITE ? 100 : ms - elapsed;
        if (timer)
            slice = std::min(slice, timerIn - elapsed);
        const auto before = std::chrono::steady_clock::now();
        RunPump(static_cast<int>(slice));
        if (NewInput())
            return input;
        // An input source that returned at once (or none at all) must not
        // turn the wait into a spin.
        if (std::chrono::steady_clock::now() - before < std::chrono::milliseconds(1))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<DWORD>(slice, 2)));
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    const int vk = static_cast<int>(msg->wParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = ctrl ? vk - 'A' + 1 : (shift != ((GetKeyState(VK_CAPITAL) & 1) != 0) ? vk : vk - 'A' + 'a');
    else if (vk >= '0' && vk <= '9' && !shift)
        ch = vk;
    else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        ch = '0' + (vk - VK_NUMPAD0);
    else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB)
        ch = vk;
    if (!ch)
        return FALSE;
    const UINT charMsg = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    queue().posted.push_front(Make(msg->hwnd, charMsg, static_cast<WPARAM>(ch), msg->lParam));
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(msg->time));
        return 0;
    }
    if (!IsWindow(msg->hwnd))
        return 0;
    const LRESULT r = CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // A paint message whose window did not validate would come back at once.
    if (msg->message == WM_PAINT)
        ValidateRect(msg->hwnd, nullptr);
    return r;
}

void PostQuitMessage(int exitCode)
{
    queue().quit = true;
    queue().quitCode = exitCode;
    ++queue().arrivals;
}

DWORD GetMessageTime() { return queue().lastTime; }

// --- accelerators --------------------------------------------------------------

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count)
{
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Queue& q = queue();
    const HACCEL h = reinterpret_cast<HACCEL>(0x20000 + 16 * q.nextAccel++);
    q.accelerators[h].assign(entries, entries + count);
    return h;
}

BOOL DestroyAcceleratorTable(HACCEL table) { return queue().accelerators.erase(table) ? TRUE : FALSE; }

int CopyAcceleratorTableA(HACCEL table, ACCEL* entries, int count)
{
    const auto it = queue().accelerators.find(table);
    if (it == queue().accelerators.end())
        return 0;
    const int n = static_cast<int>(it->second.size());
    if (!entries)
        return n;
    const int copied = std::min(n, count);
    std::copy_n(it->second.begin(), copied, entries);
    return copied;
}

int TranslateAcceleratorA(HWND hwnd, HACCEL table, MSG* msg)
{
    if (!msg || !IsWindow(hwnd))
        return 0;
    const auto it = queue().accelerators.find(table);
    if (it == queue().accelerators.end())
        return 0;
    const UINT m = msg->message;
    const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool charMsg = m == WM_CHAR || m == WM_SYSCHAR;
    if (!keyDown && !charMsg)
        return 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0 || (msg->lParam & (1 << 29)) != 0;
    for (const ACCEL& a : it->second) {
        if (a.fVirt & FVIRTKEY) {
            if (!keyDown || a.key != msg->wParam)
                continue;
            if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl ||
                ((a.fVirt & FALT) != 0) != alt)
                continue;
        } else {
            if (!charMsg || a.key != msg->wParam)
                continue;
            if (((a.fVirt & FALT) != 0) != alt)
                continue;
        }
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

// --- capture, focus, activation -------------------------------------------------

HWND SetCapture(HWND hwnd)
{
    Queue& q = queue();
    const HWND old = q.capture;
    if (!IsWindow(hwnd))
        return old;
    q.capture = hwnd;
    if (old && old != hwnd && IsWindow(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    Queue& q = queue();
    const HWND old = q.capture;
    q.capture = nullptr;
    if (old && IsWindow(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return queue().capture; }

HWND SetFocus(HWND hwnd)
{
    Queue& q = queue();
    const HWND old = q.focus;
    if (hwnd && !IsWindow(hwnd))
        return nullptr;
    if (hwnd == old)
        return old;
    if (hwnd) {
        const HWND top = TopLevelOf(hwnd);
        if (top != q.active)
            SetActiveWindow(top);
        if (Window* t = Find(top); t && t->isDialog && top != hwnd)
            t->savedFocus = hwnd;
    }
    q.focus = hwnd;
    if (old && IsWindow(old))
        SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && IsWindow(hwnd) && q.focus == hwnd)
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() { return queue().focus; }

HWND SetActiveWindow(HWND hwnd)
{
    Queue& q = queue();
    const HWND old = q.active;
    if (hwnd && !IsWindow(hwnd))
        return nullptr;
    hwnd = hwnd ? TopLevelOf(hwnd) : nullptr;
    if (hwnd == old)
        return old;
    q.active = hwnd;
    if (old && IsWindow(old)) {
        SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (q.focus && !IsAncestorOrSelf(hwnd, q.focus)) {
        const HWND f = q.focus;
        q.focus = nullptr;
        if (IsWindow(f))
            SendMessageA(f, WM_KILLFOCUS, 0, 0);
    }
    if (hwnd && IsWindow(hwnd)) {
        auto& tops = state().topLevel;
        tops.erase(std::remove(tops.begin(), tops.end(), hwnd), tops.end());
        tops.insert(tops.begin(), hwnd);
        SendMessageA(hwnd, WM_NCACTIVATE, q.appActive ? TRUE : FALSE, 0);
        SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    }
    return old;
}

HWND GetActiveWindow() { return queue().active; }
HWND GetForegroundWindow() { return queue().appActive ? queue().active : nullptr; }
BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) || IsWindow(hwnd) ? TRUE : FALSE; }

// --- timers ----------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    Queue& q = queue();
    if (hwnd && !IsWindow(hwnd))
        return 0;
    if (!hwnd)
        id = q.nextTimerId++;
    const DWORD due = GetTickCount() + std::max<UINT>(elapse, 10);
    for (Timer& t : q.timers)
        if (t.hwnd == hwnd && t.id == id) {
            t = {hwnd, id, std::max<UINT>(elapse, 10), proc, due};
            return id ? id : 1;
        }
    q.timers.push_back({hwnd, id, std::max<UINT>(elapse, 10), proc, due});
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    auto& t = queue().timers;
    const auto before = t.size();
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; }),
            t.end());
    return t.size() != before ? TRUE : FALSE;
}

// --- internal --------------------------------------------------------------------

namespace queue_internal {
void ForgetWindow(HWND hwnd)
{
    Queue& q = queue();
    auto& t = q.timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }), t.end());
    RemoveInputFor(hwnd);
    if (q.capture == hwnd)
        q.capture = nullptr;
    if (q.focus && IsAncestorOrSelf(hwnd, q.focus))
        q.focus = nullptr;
    if (q.active == hwnd)
        q.active = nullptr;
}

void WindowHidden(HWND hwnd)
{
    Queue& q = queue();
    if (q.capture && IsAncestorOrSelf(hwnd, q.capture))
        ReleaseCapture();
    if (q.focus && IsAncestorOrSelf(hwnd, q.focus))
        SetFocus(nullptr);
}

void Reset()
{
    auto pump = queue().pump;
    queue() = Queue{};
    queue().pump = pump;
}
}  // namespace queue_internal

namespace window_system {
void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(hwnd))
        return;
    auto& in = queue().input;
    // Mouse moves are merged: a move waiting at the end of the queue takes
    // the newer position instead of queueing a second one.
    if (msg == WM_MOUSEMOVE && !in.empty() && in.back().message == WM_MOUSEMOVE && in.back().hwnd == hwnd &&
        in.back().wParam == wParam) {
        in.back() = Make(hwnd, msg, wParam, lParam);
        ++queue().arrivals;
        return;
    }
    in.push_back(Make(hwnd, msg, wParam, lParam));
    ++queue().arrivals;
}

WPARAM MouseKeyState()
{
    WPARAM keys = 0;
    if (GetKeyState(VK_LBUTTON) < 0)
        keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0)
        keys |= MK_RBUTTON;
    if (GetKeyState(VK_MBUTTON) < 0)
        keys |= MK_MBUTTON;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    return keys;
}

HWND MouseTarget(POINT screen)
{
    if (queue().capture)
        return queue().capture;
    HWND h = WindowFromPoint(screen);
    // Disabled windows do not take mouse input; their parent does not
    // either (as a disabled dialog control, the input is lost).
    return h && IsWindowEnabled(h) ? h : nullptr;
}

HWND KeyboardTarget() { return queue().focus ? queue().focus : queue().active; }

bool MessagesWaiting() { return !queue().posted.empty() || !queue().input.empty() || queue().quit; }

void SetInputSource(void (*pump)(int waitMs)) { queue().pump = pump; }

void SetAppActive(bool active)
{
    Queue& q = queue();
    if (q.appActive == active)
        return;
    q.appActive = active;
    if (!active)
        input_store::ReleaseAllKeys();
    const std::vector<HWND> tops = state().topLevel;
    for (HWND h : tops)
        if (IsWindow(h))
            SendMessageA(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    if (q.active && IsWindow(q.active)) {
        SendMessageA(q.active, WM_NCACTIVATE, active ? TRUE : FALSE, 0);
        SendMessageA(q.active, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, 0), 0);
    }
}

bool AppActive() { return queue().appActive; }
}  // namespace window_system
