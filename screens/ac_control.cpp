#include "screens/ac_control.h"

#include "anim/animwin.h"
#include "anim/memmgr.h"
#include "platform/ddraw/ddraw.h"
#include "screens/acpaint.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr const char* kModule = "ac_control.cpp";
constexpr COLORREF kclrBlack = RGB(0, 0, 0);

AC_CONTROL* g_pFocus = nullptr;
AC_CONTROL* g_pCapture = nullptr;
// The window that had the mouse capture before a control took it.
HWND g_hwndPreviousCapture = nullptr;

// A colour slot's value counts for an edge line only when it names a colour.
bool Drawn(COLORREF c)
{
    return c != kclrDefault && c != kclrNone;
}

bool Inside(const RECT& r, POINT pt)
{
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}
} // namespace

// ---- construction and destruction ------------------------------------------------

AC_CONTROL::AC_CONTROL(ANIMWINDOW* window, LONG id, LONG kind, unsigned short depth)
    : m_lId(id), m_pfnObjectCallback(&ObjectService), m_lKind(kind)
{
    m_hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!window)
        return;
    auto* object = new ANIMOBJECT(window, depth, m_pfnObjectCallback, reinterpret_cast<long>(this));
    m_pObject = object;
    if (object->GetAnimWindow() != window || !AddHook(&BaseMouseHook, kBaseMouseHook)) {
        // Without its object or its hook the control does nothing.
        m_pObject = nullptr;
        delete object;
    }
}

AC_CONTROL::~AC_CONTROL()
{
    if (g_pCapture == this)
        ReleaseMouse();
    if (g_pFocus == this)
        g_pFocus = nullptr;
    ANIMWINDOW* window = Window();
    for (WNDPROC& proc : m_apfnHooks)
        if (proc) {
            if (window)
                window->RemoveHook(proc);
            proc = nullptr;
        }
    if (m_pObject) {
        ANIMOBJECT* object = m_pObject;
        m_pObject = nullptr;
        delete object;
        if (m_fRedrawNow && window)
            window->RenderFrame();
    }
    delete[] m_pszText;
    if (m_Colors.aColors)
        MemMgr_FreeMemory(m_Colors.aColors, kModule, __LINE__);
}

void DestroyControl(AC_CONTROL* control)
{
    delete control;
}

BOOL AC_CONTROL::AddHook(WNDPROC proc, unsigned long mask)
{
    ANIMWINDOW* window = Window();
    if (!window)
        return FALSE;
    for (WNDPROC& slot : m_apfnHooks)
        if (!slot) {
            if (!window->SetHook(proc, mask))
                return FALSE;
            slot = proc;
            return TRUE;
        }
    return FALSE;
}

ANIMWINDOW* AC_CONTROL::Window() const
{
    return m_pObject ? m_pObject->GetAnimWindow() : nullptr;
}

AC_CONTROL* AC_CONTROL::FromObject(ANIMOBJECT* object)
{
    if (!object || object->GetCallback() != &ObjectService)
        return nullptr;
    auto* control = reinterpret_cast<AC_CONTROL*>(object->GetLong(static_cast<unsigned>(-4)));
    return control && control->m_pObject == object ? control : nullptr;
}

// ---- the object's services ------------------------------------------------------------

int AC_CONTROL::ObjectService(ANIMOBJECT* object, svcAnimObject code, long lParam)
{
    AC_CONTROL* control = FromObject(object);
    if (!control)
        return code == svcaoHitTest || code == svcaoMayFocus ? 0 : 1;
    switch (static_cast<int>(code)) {
    case svcaoMove: control->Step(); return 1;
    case svcaoDraw: {
        auto* r = reinterpret_cast<RENDEROBJECT*>(lParam);
        if (!r)
            return 0;
        if (!control->m_fShown)
            return 1;
        if (r->surface) {
            HDC dc = nullptr;
            if (r->surface->GetDC(&dc) != DD_OK)
                return 0;
            control->Draw(dc, r->object);
            r->surface->ReleaseDC(dc);
            return 1;
        }
        if (!r->hdc)
            return 0;
        control->Draw(r->hdc, r->object);
        return 1;
    }
    case svcaoHitTest: {
        const auto* pt = reinterpret_cast<const POINT*>(lParam);
        return pt && control->HitTest(*pt) ? 1 : 0;
    }
    case svcaoMayFocus: return 1;
    default: return 1;
    }
}

void AC_CONTROL::Step()
{
    if (m_fSizePending)
        SizeToContent();
}

BOOL AC_CONTROL::HitTest(POINT pt)
{
    LONG w = 0, h = 0;
    GetSize(&w, &h);
    return pt.x >= 0 && pt.y >= 0 && pt.x < w && pt.y < h;
}

// ---- the mouse hook shared by every control -------------------------------------------

AC_CONTROL* ControlAtPoint(ANIMWINDOW* window, POINT pt)
{
    if (!window)
        return nullptr;
    AC_CONTROL* found = nullptr;
    // Objects come back to front: the last hit is the front-most.
    for (ANIMOBJECT* o = window->FindObject(nullptr); o; o = window->FindObject(o)) {
        if (!AC_CONTROL::FromObject(o))
            continue;
        RECT r;
        o->GetRect(&r);
        if (!Inside(r, pt))
            continue;
        POINT relative{pt.x - r.left, pt.y - r.top};
        if (o->CallService(svcaoMayFocus, 0) && o->CallService(svcaoHitTest, reinterpret_cast<long>(&relative)))
            found = AC_CONTROL::FromObject(o);
    }
    return found;
}

LRESULT AC_CONTROL::BaseMouseHook(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        AC_CONTROL* hit = ControlAtPoint(ANIMWINDOW::GetAnimWindow(hwnd), PointOf(lParam));
        if (hit) {
            hit->TakeFocus();
            hit->CaptureMouse();
        } else {
            SetFocusControl(nullptr);
            if (g_pCapture)
                g_pCapture->ReleaseMouse();
        }
    } else if (msg == WM_LBUTTONUP) {
        if (g_pCapture)
            g_pCapture->ReleaseMouse();
    }
    return 0;
}

// ---- focus and capture ------------------------------------------------------------------

AC_CONTROL* GetFocusControl()
{
    return g_pFocus;
}

AC_CONTROL* GetCaptureControl()
{
    return g_pCapture;
}

void SetFocusControl(AC_CONTROL* control)
{
    if (control) {
        control->TakeFocus();
        return;
    }
    AC_CONTROL* previous = g_pFocus;
    g_pFocus = nullptr;
    if (previous) {
        previous->OnFocusLost();
        previous->Redraw();
    }
}

BOOL AC_CONTROL::fFocused() const
{
    return g_pFocus == this;
}

void AC_CONTROL::TakeFocus()
{
    if (g_pFocus == this)
        return;
    if (g_pCapture && g_pCapture != this)
        g_pCapture->ReleaseMouse();
    AC_CONTROL* previous = g_pFocus;
    g_pFocus = this;
    if (previous) {
        previous->OnFocusLost();
        previous->Redraw();
    }
    OnFocus();
    Redraw();
}

BOOL AC_CONTROL::fHasCapture()
{
    return g_pCapture == this;
}

void AC_CONTROL::CaptureMouse()
{
    if (g_pCapture == this)
        return;
    if (g_pCapture)
        g_pCapture->ReleaseMouse();
    ANIMWINDOW* window = Window();
    if (!window)
        return;
    g_hwndPreviousCapture = SetCapture(window->GetWindow());
    g_pCapture = this;
}

void AC_CONTROL::ReleaseMouse()
{
    if (g_pCapture != this)
        return;
    g_pCapture = nullptr;
    HWND previous = g_hwndPreviousCapture;
    g_hwndPreviousCapture = nullptr;
    if (previous && IsWindow(previous))
        SetCapture(previous);
    else
        ReleaseCapture();
}

// ---- geometry ---------------------------------------------------------------------------

RECT AC_CONTROL::Rect()
{
    RECT r{0, 0, 0, 0};
    if (m_pObject)
        m_pObject->GetRect(&r);
    return r;
}

BOOL AC_CONTROL::GetRect(RECT* prc)
{
    if (!prc)
        return FALSE;
    *prc = Rect();
    return m_pObject != nullptr;
}

BOOL AC_CONTROL::SetRect(const RECT* prc)
{
    if (!m_pObject || !prc)
        return FALSE;
    RECT r = *prc;
    return m_pObject->SetRect(&r);
}

BOOL AC_CONTROL::GetSize(LONG* pw, LONG* ph)
{
    const RECT r = Rect();
    if (pw)
        *pw = r.right - r.left;
    if (ph)
        *ph = r.bottom - r.top;
    return m_pObject != nullptr;
}

BOOL AC_CONTROL::SetSize(LONG w, LONG h)
{
    return m_pObject ? m_pObject->SetSize(w, h) : FALSE;
}

void AC_CONTROL::RequestResize()
{
    m_fSizePending = TRUE;
}

BOOL AC_CONTROL::GetPosition(LONG* px, LONG* py)
{
    const RECT r = Rect();
    if (px)
        *px = r.left;
    if (py)
        *py = r.top;
    return m_pObject != nullptr;
}

BOOL AC_CONTROL::SetPosition(LONG x, LONG y)
{
    return m_pObject ? m_pObject->SetPosition(x, y) : FALSE;
}

// ---- text, font, state --------------------------------------------------------------------

int AC_CONTROL::GetTextLength()
{
    return m_pszText ? static_cast<int>(std::strlen(m_pszText)) : 0;
}

int AC_CONTROL::GetText(char* psz, int cch)
{
    const int length = GetTextLength();
    if (!psz || cch <= 0)
        return length;
    const int n = std::min(length, cch - 1);
    if (n > 0)
        std::memcpy(psz, m_pszText, static_cast<std::size_t>(n));
    psz[n] = '\0';
    return n;
}

BOOL AC_CONTROL::SetText(const char* psz)
{
    char* copy = nullptr;
    if (psz) {
        const std::size_t n = std::strlen(psz);
        copy = new char[n + 1];
        std::memcpy(copy, psz, n + 1);
    }
    delete[] m_pszText;
    m_pszText = copy;
    RequestResize();
    Redraw();
    return TRUE;
}

void AC_CONTROL::SetFont(HFONT hFont)
{
    m_hFont = hFont ? hFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    RequestResize();
    Redraw();
}

void AC_CONTROL::Enable(BOOL fEnable)
{
    m_fEnabled = fEnable ? TRUE : FALSE;
    Redraw();
}

void AC_CONTROL::Redraw()
{
    if (m_pObject)
        m_pObject->Touch();
}

// ---- colours --------------------------------------------------------------------------------

COLORREF AC_CONTROL::GetColor(int slot)
{
    if (slot < 0 || static_cast<unsigned>(slot) >= m_Colors.nCapacity)
        return kclrDefault;
    return m_Colors.aColors[slot];
}

BOOL AC_CONTROL::SetColor(int slot, COLORREF colour)
{
    if (slot < 0)
        return FALSE;
    if (static_cast<unsigned>(slot) >= m_Colors.nCapacity &&
        !MemMgr_ReallocateMemory(sizeof(COLORREF), reinterpret_cast<void**>(&m_Colors.aColors), &m_Colors.nCapacity,
                                 static_cast<unsigned>(slot) + 1, 5, 0xFF, 0, kModule, __LINE__))
        return FALSE;
    if (m_Colors.aColors[slot] != colour) {
        m_Colors.aColors[slot] = colour;
        Redraw();
    }
    return TRUE;
}

COLORREF AC_CONTROL::ColorOf(int slot)
{
    const COLORREF c = GetColor(slot);
    if (c != kclrDefault)
        return c;
    switch (slot) {
    case acFace: return GetSysColor(COLOR_BTNFACE);
    case acHighlight: return GetSysColor(COLOR_BTNHIGHLIGHT);
    case acShadow: return GetSysColor(COLOR_BTNSHADOW);
    case acHot: return GetSysColor(COLOR_BTNFACE);
    case acWindow: return GetSysColor(COLOR_WINDOW);
    case acText: return GetSysColor(COLOR_WINDOWTEXT);
    default: return kclrBlack;
    }
}

// ---- drawing helpers ------------------------------------------------------------------------

void AC_CONTROL::DrawFocusFrame(HDC hdc, const RECT& rc)
{
    acpaint::Frame(hdc, rc, kclrBlack);
    DrawFocusRect(hdc, &rc);
}

void AC_CONTROL::DrawEdge(HDC hdc, const RECT& rc, BOOL fRaised)
{
    auto ring = [&](const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
        if (r.right <= r.left || r.bottom <= r.top)
            return;
        if (Drawn(topLeft)) {
            acpaint::HLine(hdc, r.left, r.right - 1, r.top, topLeft);
            acpaint::VLine(hdc, r.left, r.top, r.bottom - 1, topLeft);
        }
        if (Drawn(bottomRight)) {
            acpaint::HLine(hdc, r.left, r.right - 1, r.bottom - 1, bottomRight);
            acpaint::VLine(hdc, r.right - 1, r.top, r.bottom - 1, bottomRight);
        }
    };
    const RECT inner{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
    if (fRaised) {
        ring(rc, GetColor(acHighlight), kclrBlack);
        ring(inner, GetColor(acHot), GetColor(acShadow));
    } else {
        ring(rc, GetColor(acShadow), GetColor(acHighlight));
        ring(inner, kclrBlack, GetColor(acHot));
    }
}

// ---- the text label -------------------------------------------------------------------------

AC_LABEL::AC_LABEL(ANIMWINDOW* window, unsigned short depth) : AC_CONTROL(window, -1, ackLabel, depth) {}

AC_LABEL* CreateLabel(ANIMWINDOW* window, unsigned short depth)
{
    return new AC_LABEL(window, depth);
}

void AC_LABEL::SetStyle(DWORD style)
{
    m_dwStyle = style;
    RequestResize();
    Redraw();
}

void AC_LABEL::SizeToContent()
{
    m_fSizePending = FALSE;
    // A wrapped label keeps the rectangle its owner gave it.
    if (m_dwStyle & lsWrap)
        return;
    const SIZE s = acpaint::TextExtent(m_hFont, m_pszText);
    SetSize(s.cx, s.cy);
}

void AC_LABEL::Draw(HDC hdc, const RECT& rc)
{
    const COLORREF face = ColorOf(acFace);
    if (face != kclrNone)
        acpaint::Fill(hdc, rc, face);
    const COLORREF text = ColorOf(acText);
    if (text == kclrNone)
        return;
    UINT format = (m_dwStyle & lsRight) ? DT_RIGHT : (m_dwStyle & lsCentre) ? DT_CENTER : DT_LEFT;
    format |= (m_dwStyle & lsWrap) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
    acpaint::Text(hdc, m_hFont, m_pszText, rc, format, text);
}

// ---- the value control -------------------------------------------------------------------

AC_VALUE::AC_VALUE(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth)
    : AC_CONTROL(window, id, ackValue, depth), m_dwStyle(style)
{
    if (m_pObject)
        AddHook(&ValueMouseHook, kButtonDownHook);
}

AC_VALUE::~AC_VALUE() = default;

AC_VALUE* CreateValueControl(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth)
{
    return new AC_VALUE(window, id, style, depth);
}

void AC_VALUE::SetValue(LONG value)
{
    const LONG lo = std::min(m_lMinimum, m_lMaximum), hi = std::max(m_lMinimum, m_lMaximum);
    m_lValue = std::clamp(value, lo, hi);
    Redraw();
}

void AC_VALUE::SetRange(LONG minimum, LONG maximum)
{
    m_lMinimum = minimum;
    m_lMaximum = maximum;
    const long long values =
        (maximum > minimum ? static_cast<long long>(maximum) - minimum : static_cast<long long>(minimum) - maximum) + 1;
    m_lTicks = static_cast<LONG>(std::min<long long>(values, 10));
    SetValue(m_lValue);
}

void AC_VALUE::SetTicks(LONG ticks)
{
    m_lTicks = std::max<LONG>(1, ticks);
    Redraw();
}

void AC_VALUE::SizeToContent()
{
    m_fSizePending = FALSE;
    const LONG across = (m_dwStyle & vsTicks) ? 18 : 14;
    if (m_dwStyle & vsVertical)
        SetSize(across, 75);
    else
        SetSize(75, across);
}

LONG AC_VALUE::TrackStart()
{
    const RECT r = Rect();
    return ((m_dwStyle & vsVertical) ? r.top : r.left) + 3;
}

LONG AC_VALUE::TrackLength()
{
    const RECT r = Rect();
    const LONG extent = (m_dwStyle & vsVertical) ? r.bottom - r.top : r.right - r.left;
    return std::max<LONG>(0, extent - 6);
}

LONG AC_VALUE::GrooveStart()
{
    const RECT r = Rect();
    const LONG start = (m_dwStyle & vsVertical) ? r.left : r.top;
    const LONG extent = (m_dwStyle & vsVertical) ? r.right - r.left : r.bottom - r.top;
    // The ticks take the far side; the groove and thumb keep the near one.
    return start + (extent - 4) / 2 - ((m_dwStyle & vsTicks) ? 2 : 0);
}

LONG AC_VALUE::ThumbStart()
{
    const long long range = static_cast<long long>(m_lMaximum) - m_lMinimum;
    if (range == 0)
        return TrackStart() - 3;
    return static_cast<LONG>(TrackStart() + (static_cast<long long>(m_lValue) - m_lMinimum) * TrackLength() / range -
                             3);
}

LONG AC_VALUE::TickPosition(LONG i)
{
    if (m_lTicks < 2)
        return TrackStart() + 3;
    return TrackStart() + 3 + (TrackLength() - 7) * i / (m_lTicks - 1);
}

LONG AC_VALUE::ValueAt(LONG pos, LONG grab)
{
    const LONG length = TrackLength();
    if (length <= 0)
        return m_lMinimum;
    const LONG offset = std::clamp<LONG>(pos - grab + 3 - TrackStart(), 0, length);
    return static_cast<LONG>(m_lMinimum + (static_cast<long long>(m_lMaximum) - m_lMinimum) * offset / length);
}

RECT AC_VALUE::ThumbRect()
{
    const LONG along = ThumbStart(), across = GrooveStart() - 5;
    if (m_dwStyle & vsVertical)
        return RECT{across, along, across + 14, along + 7};
    return RECT{along, across, along + 7, across + 14};
}

RECT AC_VALUE::TrackRect()
{
    const RECT r = Rect();
    const LONG start = TrackStart(), end = start + TrackLength();
    if (m_dwStyle & vsVertical)
        return RECT{r.left, start, r.right, end};
    return RECT{start, r.top, end, r.bottom};
}

BOOL AC_VALUE::HitTest(POINT pt)
{
    // A disabled value control is not hit, so it is neither focused nor
    // dragged.
    if (!m_fEnabled)
        return FALSE;
    const RECT r = Rect();
    const POINT client{pt.x + r.left, pt.y + r.top};
    if (Inside(ThumbRect(), client))
        return TRUE;
    return (m_dwStyle & vsTicks) && Inside(TrackRect(), client);
}

void AC_VALUE::SendCommand()
{
    ANIMWINDOW* window = Window();
    if (m_pfnCommandTarget && window)
        CallWindowProcA(m_pfnCommandTarget, window->GetWindow(), WM_COMMAND, static_cast<WPARAM>(m_lId & 0xFFFF),
                        reinterpret_cast<LPARAM>(this));
}

void AC_VALUE::MouseDown(POINT pt)
{
    const LONG pos = Along(pt);
    if (Inside(ThumbRect(), pt)) {
        m_fDragging = TRUE;
        m_lGrab = pos - ThumbStart();
        // The pointer has not moved the thumb yet: the value stays as it is
        // (taken from the position it could lose the rounding of the track).
        Redraw();
        return;
    }
    if (!(m_dwStyle & vsTicks) || !Inside(TrackRect(), pt))
        return;
    // A press beside the thumb moves to the nearest tick on that side.
    const long long range = static_cast<long long>(m_lMaximum) - m_lMinimum;
    if (range == 0)
        return;
    const LONG n = std::max<LONG>(2, m_lTicks);
    // Values grow along the axis from the minimum towards the maximum.
    const long long direction = range > 0 ? 1 : -1;
    const bool before = pos < ThumbStart();
    LONG target = m_lValue;
    long long best = 0;
    bool found = false;
    for (LONG i = 0; i < n; ++i) {
        const LONG value = static_cast<LONG>(m_lMinimum + range * i / (n - 1));
        const long long ahead = (static_cast<long long>(value) - m_lValue) * direction;
        const long long distance = before ? -ahead : ahead;
        if (distance > 0 && (!found || distance < best)) {
            target = value;
            best = distance;
            found = true;
        }
    }
    if (!found)
        return;
    SetValue(target);
    SendCommand();
}

void AC_VALUE::MouseMove(POINT pt)
{
    if (!m_fDragging)
        return;
    SetValue(ValueAt(Along(pt), m_lGrab));
    SendCommand();
    Redraw();
}

void AC_VALUE::MouseUp()
{
    if (!m_fDragging)
        return;
    m_fDragging = FALSE;
    Redraw();
}

LRESULT AC_VALUE::ValueMouseHook(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    AC_CONTROL* focus = GetFocusControl();
    if (!focus || focus->Kind() != ackValue || !focus->Window() || focus->Window()->GetWindow() != hwnd)
        return 0;
    auto* value = static_cast<AC_VALUE*>(focus);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (value->fHasCapture())
            value->MouseDown(PointOf(lParam));
        break;
    case WM_MOUSEMOVE: value->MouseMove(PointOf(lParam)); break;
    case WM_LBUTTONUP: value->MouseUp(); break;
    default: break;
    }
    return 0;
}

void AC_VALUE::Draw(HDC hdc, const RECT& rc)
{
    const COLORREF face = ColorOf(acFace);
    if (face != kclrNone)
        acpaint::Fill(hdc, rc, face);
    const bool vertical = (m_dwStyle & vsVertical) != 0;
    const LONG start = TrackStart(), length = TrackLength(), groove = GrooveStart();
    const RECT g =
        vertical ? RECT{groove, start, groove + 4, start + length} : RECT{start, groove, start + length, groove + 4};
    // The groove: sunken, with a black inner line at the top and left.
    const COLORREF hot = ColorOf(acHot);
    if (hot != kclrNone)
        acpaint::Fill(hdc, g, hot);
    const COLORREF shadow = ColorOf(acShadow), highlight = ColorOf(acHighlight);
    if (shadow != kclrNone) {
        acpaint::HLine(hdc, g.left, g.right - 1, g.top, shadow);
        acpaint::VLine(hdc, g.left, g.top, g.bottom - 1, shadow);
    }
    if (highlight != kclrNone) {
        acpaint::HLine(hdc, g.left, g.right - 1, g.bottom - 1, highlight);
        acpaint::VLine(hdc, g.right - 1, g.top, g.bottom - 1, highlight);
    }
    acpaint::HLine(hdc, g.left + 1, g.right - 2, g.top + 1, kclrBlack);
    acpaint::VLine(hdc, g.left + 1, g.top + 1, g.bottom - 2, kclrBlack);
    // The ticks, past the thumb's far side.
    if (m_dwStyle & vsTicks) {
        const COLORREF text = ColorOf(acText);
        const LONG from = groove + 9;
        for (LONG i = 0; i < m_lTicks && text != kclrNone; ++i) {
            const LONG at = TickPosition(i);
            if (vertical)
                acpaint::HLine(hdc, from, from + 3, at, text);
            else
                acpaint::VLine(hdc, at, from, from + 3, text);
        }
    }
    // The thumb.
    const RECT thumb = ThumbRect();
    const COLORREF fill = ColorOf(m_fDragging ? acWindow : acHot);
    if (fill != kclrNone)
        acpaint::Fill(hdc, thumb, fill);
    DrawEdge(hdc, thumb, TRUE);
    if (fFocused())
        DrawFocusFrame(hdc, RECT{thumb.left + 2, thumb.top + 2, thumb.right - 2, thumb.bottom - 2});
}
