#include "screens/ac_button.h"

#include "anim/animwin.h"
#include "anim/graphic.h"
#include "platform/input/input.h"
#include "screens/acpaint.h"
#include "shell/cursor.h"

#include <algorithm>

namespace {
constexpr COLORREF kclrBlack = RGB(0, 0, 0);
constexpr LONG kMarkSize = 13;
constexpr LONG kMarkTextLeft = 21;

bool Inside(const RECT& r, POINT pt)
{
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The focused button holding the mouse capture in this window, or null.
AC_BUTTON* CapturingButton(HWND hwnd)
{
    AC_CONTROL* focus = GetFocusControl();
    if (!focus || focus->Kind() != ackButton || !focus->fHasCapture() || !focus->Window() ||
        focus->Window()->GetWindow() != hwnd)
        return nullptr;
    return static_cast<AC_BUTTON*>(focus);
}
} // namespace

AC_BUTTON::AC_BUTTON(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth)
    : AC_CONTROL(window, id, ackButton, depth), m_dwStyle(style)
{
    if (!m_pObject)
        return;
    AddHook(&ButtonUpHook, kButtonUpHook);
    AddHook(&ButtonDownHook, kButtonDownHook);
}

AC_BUTTON::~AC_BUTTON() = default;

AC_BUTTON* CreateButton(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth)
{
    return new AC_BUTTON(window, id, style, depth);
}

void AC_BUTTON::SetStyle(DWORD style)
{
    m_dwStyle = style;
    RequestResize();
    Redraw();
}

void AC_BUTTON::SetSelected(BOOL f)
{
    f = f ? TRUE : FALSE;
    if (f != m_fSelected) {
        m_fSelected = f;
        Redraw();
    }
}

void AC_BUTTON::SetChecked(BOOL f)
{
    f = f ? TRUE : FALSE;
    if (f != m_fChecked) {
        m_fChecked = f;
        Redraw();
    }
}

void AC_BUTTON::SetImages(GRAPHIC* normal, GRAPHIC* pressed)
{
    m_pgrNormal = normal;
    m_pgrPressed = pressed;
    RequestResize();
    Redraw();
}

BOOL AC_BUTTON::SetImage(GRAPHIC* image)
{
    SetImages(image, m_pgrPressed);
    return TRUE;
}

void AC_BUTTON::OnFocusLost()
{
    SetSelected(FALSE);
}

BOOL AC_BUTTON::HitTest(POINT pt)
{
    return m_fEnabled && AC_CONTROL::HitTest(pt);
}

BOOL AC_BUTTON::fPointOn(POINT pt)
{
    const RECT r = Rect();
    return Inside(r, pt) && HitTest(POINT{pt.x - r.left, pt.y - r.top});
}

BOOL AC_BUTTON::fMouseOver()
{
    ANIMWINDOW* window = Window();
    POINT pt;
    if (!window || !GetCursorPos(&pt))
        return FALSE;
    window->ScreenToClient(&pt);
    return Inside(Rect(), pt);
}

void AC_BUTTON::Notify(LONG code)
{
    ANIMWINDOW* window = Window();
    if (m_pfnNotifyTarget && window)
        CallWindowProcA(m_pfnNotifyTarget, window->GetWindow(), WM_COMMAND, static_cast<WPARAM>(m_lId + code),
                        reinterpret_cast<LPARAM>(this));
}

void AC_BUTTON::Click()
{
    if (!m_fEnabled)
        return;
    if (m_dwStyle & bsRadio) {
        if (ANIMWINDOW* window = Window())
            for (ANIMOBJECT* o = window->FindObject(nullptr); o; o = window->FindObject(o)) {
                AC_CONTROL* c = AC_CONTROL::FromObject(o);
                if (!c || c == this || c->Kind() != ackButton)
                    continue;
                auto* other = static_cast<AC_BUTTON*>(c);
                if ((other->m_dwStyle & bsRadio) && (other->m_dwStyle >> 16) == (m_dwStyle >> 16))
                    other->SetChecked(FALSE);
            }
        SetChecked(TRUE);
    } else if (m_dwStyle & bsToggle) {
        SetChecked(!m_fChecked);
    }
    // The command may destroy this button: only copies are used for it.
    const WNDPROC target = m_pfnCommandTarget;
    ANIMWINDOW* window = Window();
    const LONG id = m_lId;
    if (target && window)
        CallWindowProcA(target, window->GetWindow(), WM_COMMAND, static_cast<WPARAM>(id & 0xFFFF),
                        reinterpret_cast<LPARAM>(this));
}

// ---- mouse hooks ------------------------------------------------------------------------

LRESULT AC_BUTTON::ButtonDownHook(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK && msg != WM_MOUSEMOVE)
        return 0;
    AC_BUTTON* button = CapturingButton(hwnd);
    if (!button)
        return 0;
    const BOOL selected = button->fPointOn(PointOf(lParam)) && button->m_fEnabled;
    if (selected != button->m_fSelected) {
        button->m_fSelected = selected;
        button->Redraw();
        button->Notify(selected ? kButtonPressed : kButtonReleased);
    }
    return 0;
}

LRESULT AC_BUTTON::ButtonUpHook(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_LBUTTONUP)
        return 0;
    AC_BUTTON* button = CapturingButton(hwnd);
    if (!button)
        return 0;
    const BOOL on = button->fPointOn(PointOf(lParam)) && button->m_fEnabled;
    if (button->m_fSelected) {
        button->m_fSelected = FALSE;
        button->Redraw();
        button->Notify(kButtonReleased);
        // A notify target that destroyed the button ends it here.
        if (GetFocusControl() != button)
            return 0;
    }
    if (on)
        button->Click();
    return 0;
}

// ---- per frame and drawing ----------------------------------------------------------------

void AC_BUTTON::Step()
{
    AC_CONTROL::Step();
    BOOL hot = TRUE;
    if (m_dwStyle & bsHotTrack) {
        const BOOL pressed = m_fSelected || m_fChecked;
        hot = m_fEnabled && (pressed || (fCursorWanted() && (fFocused() || fMouseOver())));
        // Becoming hot takes the focus; a focused button that cools gives it up.
        if (hot && !m_fHot)
            TakeFocus();
        else if (!hot && m_fHot && fFocused())
            SetFocusControl(nullptr);
    }
    if (hot != m_fHot) {
        m_fHot = hot;
        Redraw();
    }
}

void AC_BUTTON::SizeToContent()
{
    m_fSizePending = FALSE;
    const DWORD look = m_dwStyle & bsLookMask;
    const SIZE text = acpaint::TextExtent(m_hFont, m_pszText);
    LONG iw = 0, ih = 0;
    if (look == bsPush && m_pgrNormal) {
        iw = m_pgrNormal->GetWidth();
        ih = m_pgrNormal->GetHeight();
    } else if (look == bsRadioMark || look == bsCheckMark) {
        iw = ih = kMarkSize;
    }
    LONG w = iw + text.cx + (look == bsPush ? 7 : 2);
    if (iw && text.cx)
        w += 8;
    const LONG h = std::max<LONG>(text.cy, ih) + (look == bsPush ? 7 : 0);
    SetSize(w, h);
}

void AC_BUTTON::Draw(HDC hdc, const RECT& rc)
{
    if ((m_dwStyle & bsLookMask) == bsPush)
        DrawPush(hdc, rc);
    else
        DrawMark(hdc, rc);
}

void AC_BUTTON::DrawPush(HDC hdc, const RECT& rc)
{
    const BOOL pressed = m_fSelected || m_fChecked;
    if (m_pgrNormal && m_pgrPressed) {
        acpaint::Picture(hdc, pressed ? m_pgrPressed : m_pgrNormal, rc);
        return;
    }
    if (m_fHot) {
        const COLORREF hot = ColorOf(acHot);
        if (hot != kclrNone)
            acpaint::Fill(hdc, rc, hot);
        DrawEdge(hdc, rc, !pressed);
    }
    const LONG shift = pressed ? 1 : 0;
    const RECT content{rc.left + 3 + shift, rc.top + 3 + shift, rc.right - 4 + shift, rc.bottom - 4 + shift};
    LONG x = content.left;
    if (m_pgrNormal) {
        const LONG iw = m_pgrNormal->GetWidth(), ih = m_pgrNormal->GetHeight();
        const LONG y = content.top + (content.bottom - content.top - ih) / 2;
        acpaint::Picture(hdc, m_pgrNormal, RECT{x, y, x + iw, y + ih});
        x += iw + 8;
    }
    const COLORREF text = ColorOf(acText);
    if (text != kclrNone && m_pszText) {
        if (m_dwStyle & bsCentred)
            acpaint::Text(hdc, m_hFont, m_pszText, RECT{rc.left + shift, content.top, rc.right + shift, content.bottom},
                          DT_CENTER | DT_SINGLELINE | DT_VCENTER, text);
        else
            acpaint::Text(hdc, m_hFont, m_pszText, RECT{x, content.top, content.right, content.bottom},
                          DT_LEFT | DT_SINGLELINE | DT_VCENTER, text);
    }
    if (m_fHot && fFocused())
        DrawFocusFrame(hdc, RECT{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2});
}

void AC_BUTTON::DrawMark(HDC hdc, const RECT& rc)
{
    const COLORREF face = ColorOf(acFace);
    if (face != kclrNone)
        acpaint::Fill(hdc, rc, face);
    const LONG left = rc.left, top = rc.top + (rc.bottom - rc.top - kMarkSize) / 2;
    const COLORREF inside = ColorOf(m_fSelected ? acHot : acWindow);
    const COLORREF ink = ColorOf(acText) == kclrNone ? kclrBlack : ColorOf(acText);
    if ((m_dwStyle & bsLookMask) == bsCheckMark) {
        const RECT box{left, top, left + kMarkSize, top + kMarkSize};
        if (inside != kclrNone)
            acpaint::Fill(hdc, RECT{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2}, inside);
        DrawEdge(hdc, box, FALSE);
        if (m_fChecked) {
            // A tick three pixels thick: down from (3, 5) to (5, 7), up to (9, 3).
            for (LONG dx = 3; dx <= 9; ++dx) {
                const LONG dy = dx <= 5 ? 5 + (dx - 3) : 7 - (dx - 5);
                acpaint::VLine(hdc, left + dx, top + dy, top + dy + 2, ink);
            }
        }
    } else {
        // A round mark: a ring shaded like a sunken edge around the window colour.
        const COLORREF shadow = ColorOf(acShadow), highlight = ColorOf(acHighlight);
        for (LONG y = 0; y < kMarkSize; ++y)
            for (LONG x = 0; x < kMarkSize; ++x) {
                const LONG d2 = (x - 6) * (x - 6) + (y - 6) * (y - 6);
                COLORREF c = kclrNone;
                if (d2 <= 20)
                    c = m_fChecked && d2 <= 5 ? ink : inside;
                else if (d2 <= 40)
                    c = x + y < 12 ? shadow : highlight;
                if (c != kclrNone)
                    acpaint::Fill(hdc, RECT{left + x, top + y, left + x + 1, top + y + 1}, c);
            }
    }
    const COLORREF text = ColorOf(acText);
    const RECT textRect{rc.left + kMarkTextLeft, rc.top, rc.right, rc.bottom};
    if (text != kclrNone)
        acpaint::Text(hdc, m_hFont, m_pszText, textRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER, text);
    if (fFocused())
        DrawFocusFrame(hdc, RECT{textRect.left - 2, rc.top, rc.right, rc.bottom});
}
