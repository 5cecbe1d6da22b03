// ANIMWINDOW: binding to a window, the "AnimWindow" class and its procedure,
// the frame loop with its pacing, the sequencer, frame rates, the buffers
// and what follows a display-mode change.
#include "anim/animwin.h"

#include "anim/animobj.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/framelog.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/guid.h"
#include "platform/base/syserror.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/ddraw.h"

#include <algorithm>
#include <cmath>
#include <new>

ANIMWINDOW** ANIMWINDOW::apawList = nullptr;
unsigned ANIMWINDOW::npawList = 0;
unsigned ANIMWINDOW::npawCapacity = 0;

namespace {
constexpr const char* kModule = "animwin.cpp";
constexpr const char* kClassName = "AnimWindow";
} // namespace

// ---- rectangles -----------------------------------------------------------------

namespace animrect {
bool Intersect(RECT* out, const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (Empty(r)) {
        if (out)
            *out = RECT{0, 0, 0, 0};
        return false;
    }
    if (out)
        *out = r;
    return true;
}

RECT Union(const RECT& a, const RECT& b)
{
    if (Empty(a))
        return b;
    if (Empty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}
} // namespace animrect

// ---- the library's hooks for the display ----------------------------------------------

void AnimWindow_RegisterClass()
{
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = &ANIMWINDOW::AnimWindowClassProc;
    wc.cbClsExtra = 4;
    wc.cbWndExtra = 4;
    wc.hInstance = nullptr;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
}

void AnimWindow_UnregisterClass()
{
    UnregisterClassA(kClassName, nullptr);
}

void AnimWindow_TouchAndRenderAll()
{
    for (unsigned i = 0; i < ANIMWINDOW::npawList; ++i)
        if (ANIMWINDOW* w = ANIMWINDOW::apawList[i]) {
            w->Touch(nullptr, 0);
            w->RenderFrame();
        }
}

void AnimWindow_ChangedVideoModes()
{
    ANIMWINDOW::ChangedVideoModes();
}

void AnimWindow_Render(HWND hwnd)
{
    if (ANIMWINDOW* w = ANIMWINDOW::GetAnimWindow(hwnd))
        w->RenderFrame();
}

// ---- construction and binding --------------------------------------------------------

ANIMWINDOW::ANIMWINDOW(ANIMWINDOWCALLBACK callback)
{
    CommonInit(callback);
    CallService(svcawCreate, 0, 0);
}

ANIMWINDOW::ANIMWINDOW(HWND hwnd, ANIMWINDOWCALLBACK callback)
{
    CommonInit(nullptr);
    if (hwnd) {
        Bind(hwnd);
        ReallocBackground();
    }
    m_pfnCallback = callback;
    CallService(svcawCreate, 0, 0);
    CallService(svcawBackground, 0, 0);
}

void ANIMWINDOW::CommonInit(ANIMWINDOWCALLBACK callback)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR && timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR)
        m_uTimerPeriod = caps.wPeriodMin;
    m_pfnCallback = callback;
    for (unsigned i = 0; i < npawList; ++i)
        if (!apawList[i]) {
            apawList[i] = this;
            return;
        }
    if (GrowTable(&apawList, &npawCapacity, npawList + 1, 4, kModule, __LINE__))
        apawList[npawList++] = this;
}

ANIMWINDOW::~ANIMWINDOW()
{
    // Frame code still running on the stack learns that the object is gone.
    for (LIFEGUARD* guard = m_pGuards; guard; guard = guard->m_pPrev)
        guard->m_fAlive = false;
    m_pGuards = nullptr;
    ReleaseClipper();
    m_nFreeze = 1;
    m_fRendering = 1;
    Enable3d(0);
    delete m_pDeviceGuid;
    m_pDeviceGuid = nullptr;
    if (m_uTimerPeriod)
        timeEndPeriod(m_uTimerPeriod);
    CallService(svcawDestroy, 0, 0);
    // A window that outlives this object must not reach it any more.
    if (m_hwnd && IsWindow(m_hwnd))
        Unbind();
    FreeDirtyRegion(&m_drBackground);
    FreeDirtyRegion(&m_drScreen);
    FreeDirtyRegion(&m_drPresent);
    // Objects outlive their window: each one forgets it, so that deleting or
    // moving it later does not reach the tables freed below. Its sequencer
    // entries go with the table.
    for (unsigned i = 0; m_apoHeads && i < m_nDepths; ++i) {
        for (ANIMOBJECT* o = m_apoHeads[i]; o;) {
            ANIMOBJECT* next = o->m_pNext;
            o->m_pNext = nullptr;
            o->m_pWindow = nullptr;
            o = next;
        }
        m_apoHeads[i] = nullptr;
    }
    m_nDepths = 0;
    if (m_aSequence)
        MemMgr_FreeMemory(m_aSequence, kModule, __LINE__);
    if (m_awDepths)
        MemMgr_FreeMemory(m_awDepths, kModule, __LINE__);
    if (m_apoHeads)
        MemMgr_FreeMemory(m_apoHeads, kModule, __LINE__);
    if (m_aHooks)
        MemMgr_FreeMemory(m_aHooks, kModule, __LINE__);
    if (m_pData)
        MemMgr_FreeMemory(m_pData, kModule, __LINE__);
    delete m_pgrBackground;
    delete m_pgrCompose;
    delete m_pgrWindowImage;
    for (unsigned i = 0; i < npawList; ++i)
        if (apawList[i] == this)
            apawList[i] = nullptr;
}

void ANIMWINDOW::Bind(HWND hwnd)
{
    m_hwnd = hwnd;
    m_pfnPrevProc = reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC));
    m_lPrevLong0 = GetWindowLongA(hwnd, 0);
    SetWindowLongA(hwnd, 0, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ANIMWINDOW::AnimWindowClassProc));
}

void ANIMWINDOW::Unbind()
{
    if (!m_hwnd)
        return;
    if (IsWindow(m_hwnd)) {
        if (m_pfnPrevProc)
            SetWindowLongA(m_hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
        SetWindowLongA(m_hwnd, 0, m_lPrevLong0);
    }
    m_hwnd = nullptr;
    m_pfnPrevProc = nullptr;
    m_lPrevLong0 = 0;
}

int ANIMWINDOW::SetWindow(HWND hwnd)
{
    if (hwnd == m_hwnd)
        return 1;
    ReleaseClipper();
    Unbind();
    if (hwnd) {
        Bind(hwnd);
        ReallocBackground();
    }
    CallService(svcawBackground, 0, 0);
    return 1;
}

ANIMWINDOW* ANIMWINDOW::GetAnimWindow(HWND hwnd)
{
    if (!hwnd) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC)) != &ANIMWINDOW::AnimWindowClassProc) {
        ZephaneSetLastError(errNotAnimWindow);
        return nullptr;
    }
    return reinterpret_cast<ANIMWINDOW*>(GetWindowLongA(hwnd, 0));
}

HWND ANIMWINDOW::GetWindow()
{
    if (!m_hwnd)
        ZephaneSetLastError(errNoWindow);
    return m_hwnd;
}

int ANIMWINDOW::GetRect(RECT* rc)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (!rc)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    *rc = m_rcClient;
    return 1;
}

int ANIMWINDOW::GetSize(long* w, long* h)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (w)
        *w = m_rcClient.right - m_rcClient.left;
    if (h)
        *h = m_rcClient.bottom - m_rcClient.top;
    return 1;
}

long ANIMWINDOW::GetWidth()
{
    if (!m_hwnd)
        return MINUSONE_SetLastError(errNoWindow);
    return m_rcClient.right - m_rcClient.left;
}

long ANIMWINDOW::GetHeight()
{
    if (!m_hwnd)
        return MINUSONE_SetLastError(errNoWindow);
    return m_rcClient.bottom - m_rcClient.top;
}

int ANIMWINDOW::ClientToScreen(POINT* pt)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (!pt)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (Display && Display->fFullScreen())
        return 1;
    return ::ClientToScreen(m_hwnd, pt) ? 1 : 0;
}

int ANIMWINDOW::ScreenToClient(POINT* pt)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (!pt)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (Display && Display->fFullScreen())
        return 1;
    return ::ScreenToClient(m_hwnd, pt) ? 1 : 0;
}

int ANIMWINDOW::SetCallback(ANIMWINDOWCALLBACK callback)
{
    m_pfnCallback = callback;
    return 1;
}

int ANIMWINDOW::CallService(svcAnimWindow code, unsigned wParam, long lParam)
{
    return m_pfnCallback ? m_pfnCallback(this, code, wParam, lParam) : 1;
}

LRESULT ANIMWINDOW::AnimWindowClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto callback = cs ? reinterpret_cast<ANIMWINDOWCALLBACK>(cs->lpCreateParams) : nullptr;
        SetWindowLongA(hwnd, 0, 0);
        auto* w = new (std::nothrow) ANIMWINDOW(hwnd, callback);
        if (!w)
            return -1;
        SetWindowLongA(hwnd, 0, reinterpret_cast<LONG_PTR>(w));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    ANIMWINDOW* w = reinterpret_cast<ANIMWINDOW*>(GetWindowLongA(hwnd, 0));
    if (w) {
        w->NotifyHooks(hwnd, msg, wParam, lParam);
        switch (msg) {
        case WM_SIZE:
            w->BeginFrame();
            w->ReallocBackground();
            w->CallService(svcawSize, 0, 0);
            w->CallService(svcawBackground, 0, 0);
            w->EndFrame();
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            // Only the window needs the picture again; the composed
            // background is still right.
            w->Touch(&ps.rcPaint, 0);
            w->RenderFrame();
            return 0;
        }
        case WM_TIMER: w->RenderFrame(); break;
        default: break;
        }
    } else if (msg == WM_PAINT) {
        PAINTSTRUCT ps{};
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    const LRESULT result = DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_DESTROY) {
        w = reinterpret_cast<ANIMWINDOW*>(GetWindowLongA(hwnd, 0));
        SetWindowLongA(hwnd, 0, 0);
        if (w) {
            w->m_hwnd = nullptr; // the window is going: nothing to give back to it
            delete w;
        }
    }
    return result;
}

// ---- frame loop -----------------------------------------------------------------------

namespace {
// Where in its period a frame loop's picture is presented (see
// WaitToPresent).
constexpr double kPresentPoint = 0.4;

// Waits, without burning the processor, for input or for the frame deadline.
void WaitForFrame(double periodLeftMs)
{
    const DWORD ms = static_cast<DWORD>(std::ceil(periodLeftMs));
    if (ms > 0)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}
} // namespace

int ANIMWINDOW::PlayOneFrame()
{
    // Frames are due a period apart: a frame that began late (a late
    // wake-up, a slow frame) leaves the next one less to wait, so the
    // lateness is not carried into every frame after it and the frame rate
    // is the one asked for. After falling more than a period behind (a
    // stall, a dialog) or a change of the period, the count starts again
    // from now.
    const DWORD t0 = GetTickCount();
    if (m_fCadence) {
        m_dCadenceOffset += m_dFramePeriod;
        const double late = static_cast<double>(t0 - m_dwCadenceTick) - m_dCadenceOffset;
        if (late < 0 || late > m_dFramePeriod)
            m_fCadence = 0;
    }
    if (!m_fCadence || m_dCadenceOffset >= 1000.0) {
        // Restart, or move the tick up so the offset stays small.
        const DWORD whole = m_fCadence ? static_cast<DWORD>(m_dCadenceOffset) : t0 - m_dwCadenceTick;
        m_dwCadenceTick += whole;
        m_dCadenceOffset = m_fCadence ? m_dCadenceOffset - whole : 0;
        m_fCadence = 1;
    }
    // The host may destroy the window (and this object with it) from any
    // callback: the guard tells whether the object is still there.
    LIFEGUARD guard(this);
    m_fPacedPresent = 1;
    const int fPlayed = JumpToFrame(m_lNextFrame);
    if (!guard.Alive())
        return 0;
    m_fPacedPresent = 0;
    if (!fPlayed)
        return 0;
    for (;;) {
        if (!CallService(svcawIdle, 0, 0) || !guard.Alive())
            return 0;
        const double elapsed = static_cast<double>(GetTickCount() - m_dwCadenceTick) - m_dCadenceOffset;
        if (elapsed >= m_dFramePeriod)
            return 1;
        WaitForFrame(m_dFramePeriod - elapsed);
    }
}

int ANIMWINDOW::Animate(long count)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    while (count == -1 || count > 0) {
        if (!PlayOneFrame())
            return 0;
        if (count > 0) {
            if (count == 1)
                break;
            --count;
        }
    }
    return 1;
}

void ANIMWINDOW::WaitToPresent()
{
    // A frame's work before the present (moving, composing, the 3D scene)
    // takes from a fraction of a millisecond to several, frame by frame;
    // showing each picture as soon as it is ready would pass that on as
    // uneven intervals on the screen. The frame loop's pictures go at a
    // fixed point of their period instead, long enough after the frame was
    // due for the work of nearly every frame.
    if (!m_fPacedPresent || !m_fCadence || m_dFramePeriod <= 0)
        return;
    const double due = m_dCadenceOffset + m_dFramePeriod * kPresentPoint;
    const double early = due - static_cast<double>(GetTickCount() - m_dwCadenceTick);
    if (early >= 1)
        Sleep(static_cast<DWORD>(early));
}

int ANIMWINDOW::AnimateSequence()
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    while (m_lNextFrame < m_lNextClearFrame) {
        if (!PlayOneFrame())
            return 0;
    }
    return 1;
}

int ANIMWINDOW::BeginFrame()
{
    return ++m_nFreeze;
}

int ANIMWINDOW::EndFrame()
{
    if (m_nFreeze > 0)
        --m_nFreeze;
    return m_nFreeze == 0 ? RenderFrame() : 1;
}

int ANIMWINDOW::RenderFrame()
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (m_nFreeze > 0 || m_fRendering)
        return 1;
    m_fRendering = 1;
    framelog::Timer timer;

    const HWND main = Display ? Display->GetMainWindow() : nullptr;
    const int fVisible = main && IsWindow(main) && IsWindowVisible(main) && IsWindow(m_hwnd) && IsWindowVisible(m_hwnd);
    // Minimised or hidden by the user: the frame goes on (objects move, the
    // host's time runs) but nothing is drawn or presented.
    const int fSeen = !fVisible || !IsIconic(main);
    const int fFlipping = Display && Display->GetAnimMethod() != amBlit;
    const int fObscured = !fVisible || !Display->fActive() || fIsObscured();
    IDirectDrawSurface* target = nullptr;
    if (fVisible) {
        if (fFlipping && (fObscured || Display->GetMenuCount() > 0))
            if (IDirectDraw* dd = Display->GetDirectDraw())
                dd->FlipToGDISurface();
        target = Display->GetSurface(0);
        if (!target) {
            m_fRendering = 0;
            return 0;
        }
    }

    int result = 0;
    for (unsigned i = 0; i < m_nDepths; ++i)
        for (ANIMOBJECT* o = m_apoHeads[i]; o; o = o->m_pNext)
            o->m_rcLast = o->m_rc;
    // Every call into the host below may destroy the window; the frame then
    // ends at once without touching this object.
    LIFEGUARD guard(this);
    const int fBegun = CallService(svcawBeginFrame, 0, 0);
    if (!guard.Alive())
        return 0;
    if (fBegun) {
        // Every object moves, in drawing order; an object may leave its
        // chain while it moves, so the next one is found from where it was.
        ANIMOBJECT* o = m_nDepths ? m_apoHeads[0] : nullptr;
        unsigned short depth = m_nDepths ? m_awDepths[0] : 0;
        while (o) {
            ANIMOBJECT* next = o->m_pNext;
            o->CallService(svcaoMove, reinterpret_cast<long>(target));
            if (!guard.Alive())
                return 0;
            o = next ? next : FirstObjectAfterDepth(depth);
            if (o)
                depth = o->m_wDepth;
        }
        DetectCollisions();
        if (!guard.Alive())
            return 0;
        const double msMove = timer.Lap();
        const int fDraw = CallService(svcawDrawFrame, 0, 0);
        if (!guard.Alive())
            return 0;
        if (fDraw) {
            if (fVisible && (!m_pgrBackground || !m_pgrBackground->GetSurface() ||
                             m_pgrBackground->GetSurface()->IsLost() == DDERR_SURFACELOST)) {
                ReallocBackground();
                CallService(svcawBackground, 0, 0);
                if (!guard.Alive())
                    return 0;
            }
            m_dMs3d = 0;
            double msCompose = 0;
            double msPresent = 0;
            if (fSeen) {
                ComposeAndPresent(fVisible, fFlipping, fObscured, &msCompose, &msPresent);
                EmptyDirtyRegion(&m_drScreen);
            } else {
                // The first frame seen again is drawn whole.
                m_fWasVisible = 0;
            }
            CountFrame();
            const DWORD now = GetTickCount();
            if (fSeen) {
                framelog::Write(m_lNextFrame - 1, now, m_dwLastRendered ? now - m_dwLastRendered : 0, msMove,
                                msCompose - m_dMs3d, m_dMs3d, msPresent);
                m_dwLastRendered = now;
            }
            result = CallService(svcawEndFrame, 0, 0) ? 1 : 0;
            if (!guard.Alive())
                return 0;
        }
    }
    m_fRendering = 0;
    return result;
}

void ANIMWINDOW::CountFrame()
{
    m_adwFrameTimes[m_iFrameTime] = GetTickCount();
    m_iFrameTime = (m_iFrameTime + 1) % 10;
}

double ANIMWINDOW::GetActualFrameRate()
{
    if (m_adwFrameTimes[0] == 0)
        return 0;
    const DWORD now = GetTickCount();
    DWORD d;
    if (m_adwFrameTimes[9] != 0)
        d = (now - m_adwFrameTimes[m_iFrameTime]) / 10;
    else
        d = (now - m_adwFrameTimes[0]) / m_iFrameTime;
    return d > 0 ? 1000.0 / d : 0;
}

double ANIMWINDOW::GetTargetFrameRate()
{
    return m_dFramePeriod > 0 ? 1000.0 / m_dFramePeriod : 0;
}

double ANIMWINDOW::SetTargetFrameRate(double fps)
{
    const double previous = GetTargetFrameRate();
    m_dFramePeriod = fps != 0 ? 1000.0 / fps : 0;
    m_fCadence = 0;
    return previous;
}

// ---- sequencer ---------------------------------------------------------------------------

namespace {
// A free entry of the table, growing it by one when none is free.
SEQUENCEENTRY* FreeEntry(SEQUENCEENTRY** table, unsigned* count, unsigned* capacity)
{
    for (unsigned i = 0; i < *count; ++i)
        if ((*table)[i].frame == -1)
            return &(*table)[i];
    if (!GrowTable(table, capacity, *count + 1, 16, kModule, __LINE__))
        return nullptr;
    SEQUENCEENTRY* e = &(*table)[(*count)++];
    *e = SEQUENCEENTRY{-1, 0, nullptr, 0, nullptr, 0, RECT{0, 0, 0, 0}};
    return e;
}
} // namespace

int ANIMWINDOW::SetSequence(long frame, ANIMOBJECT* object, RECT* rect, GRAPHIC* graphic)
{
    SEQUENCEENTRY* e = FreeEntry(&m_aSequence, &m_nSequence, &m_nSequenceCapacity);
    if (!e)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    *e = SEQUENCEENTRY{frame, 0, object, 0, graphic, 0, rect ? *rect : RECT{0, 0, 0, 0}};
    m_lNextClearFrame = std::max(m_lNextClearFrame, frame + 1);
    return 1;
}

int ANIMWINDOW::SetSequence(long frame, unsigned wParam, long lParam)
{
    SEQUENCEENTRY* e = FreeEntry(&m_aSequence, &m_nSequence, &m_nSequenceCapacity);
    if (!e)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    *e = SEQUENCEENTRY{frame, 1, nullptr, wParam, nullptr, lParam, RECT{0, 0, 0, 0}};
    m_lNextClearFrame = std::max(m_lNextClearFrame, frame + 1);
    return 1;
}

int ANIMWINDOW::JumpToFrame(long n)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (n == -1)
        n = m_lNextClearFrame - 1;
    LIFEGUARD guard(this);
    while (m_lNextFrame <= n) {
        const long f = m_lNextFrame;
        // Entries are read by index: a callback may add entries (and so
        // move the table) while it runs.
        for (unsigned i = 0; i < m_nSequence; ++i) {
            SEQUENCEENTRY e = m_aSequence[i];
            if (e.frame != f || e.kind != 0)
                continue;
            m_aSequence[i].frame = -1;
            if (ANIMOBJECT* o = e.pObject) {
                if (o->GetFixState())
                    o->SetFixState(0);
                if (!animrect::Empty(e.rect))
                    o->SetRect(&e.rect);
                if (e.pGraphic)
                    o->SetGraphic(e.pGraphic, 1);
            }
        }
        int fStopped = 0;
        for (unsigned i = 0; i < m_nSequence && !fStopped; ++i) {
            SEQUENCEENTRY e = m_aSequence[i];
            if (e.frame != f || e.kind != 1)
                continue;
            m_aSequence[i].frame = -1;
            if (!CallService(svcawSequence, e.wParam, e.lParam))
                fStopped = 1;
            if (!guard.Alive())
                return 0;
        }
        m_lNextFrame = f + 1;
        m_lNextClearFrame = std::max(m_lNextClearFrame, f + 1);
        if (fStopped)
            return 0;
    }
    return RenderFrame();
}

int ANIMWINDOW::ClearSequencer(long n)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    for (unsigned i = 0; i < m_nSequence; ++i)
        if (n == -1 || m_aSequence[i].frame == m_lNextFrame)
            m_aSequence[i].frame = -1;
    return 1;
}

int ANIMWINDOW::ClearSequencer(ANIMOBJECT* object)
{
    for (unsigned i = 0; i < m_nSequence; ++i)
        if (m_aSequence[i].frame != -1 && m_aSequence[i].kind == 0 && m_aSequence[i].pObject == object)
            m_aSequence[i].frame = -1;
    return 1;
}

// ---- buffers and display changes ------------------------------------------------------------

int ANIMWINDOW::ReallocBackground()
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    if (!Display)
        return FALSE_SetLastError(errNoDirectDraw);
    const int fBlit = Display->GetAnimMethod() == amBlit;
    RECT size{0, 0, 0, 0};
    if (fBlit)
        GetClientRect(m_hwnd, &size);
    else
        Display->GetRect(&size);
    const long w = size.right - size.left, h = size.bottom - size.top;
    const unsigned short depth = Display->GetDepth();
    auto make = [&](GRAPHIC** slot) {
        delete *slot;
        *slot = nullptr;
        auto* g = new (std::nothrow) GRAPHIC(w, h, depth, m_pPaletteGroup, 0xFFFFFFFFul);
        if (!g)
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        if (g->fEmpty()) {
            const int error = ZephaneGetLastError();
            delete g;
            return FALSE_SetLastError(error ? error : static_cast<int>(errEmptyGraphic));
        }
        *slot = g;
        return 1;
    };
    if (!make(&m_pgrCompose) || !make(&m_pgrBackground))
        return 0;
    delete m_pgrWindowImage;
    m_pgrWindowImage = nullptr;
    if (fBlit) {
        if (!make(&m_pgrWindowImage))
            return 0;
    }
    m_rcClient = RECT{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
    // The device draws on the window image, which was just made anew. A
    // failure leaves the getters answering null until the next success.
    if (fBlit && m_fIs3dEnabled) {
        Create3dDevice();
        CallService(svcaw3dDevice, 0, 0);
    }
    Touch(nullptr, 1);
    return 1;
}

void ANIMWINDOW::ChangedVideoModes()
{
    for (unsigned i = 0; i < npawList; ++i) {
        ANIMWINDOW* w = apawList[i];
        if (!w)
            continue;
        w->ReleaseClipper();
        w->BeginFrame();
        w->ReallocBackground();
        // When blitting, ReallocBackground has made the device anew already.
        if (w->m_fIs3dEnabled && Display->GetAnimMethod() != amBlit) {
            w->Create3dDevice();
            w->CallService(svcaw3dDevice, 0, 0);
        }
        w->CallService(svcawVideoMode, 0, 0);
        w->CallService(svcawBackground, 0, 0);
        w->EndFrame();
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}
