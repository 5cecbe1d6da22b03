// The controls of tool windows: buttons, labels, the text view and the list.
#include "platform/window/toolctl.h"

#include "platform/gdi/gdi.h"
#include "platform/input/input.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int kBar = 16;       // scroll bar thickness
constexpr int kMargin = 3;     // text inside the text view and list cells
constexpr int kMinColumn = 8;  // narrowest column a drag leaves
constexpr int kDividerGrip = 4;
constexpr int kWheelLines = 3;

// ---- drawing helpers ------------------------------------------------------------

void FillColour(HDC dc, RECT rc, int colourIndex)
{
    HBRUSH brush = CreateSolidBrush(GetSysColor(colourIndex));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A raised (or, pressed, sunken) edge inside rc.
void Edge(HDC dc, RECT rc, bool sunken)
{
    const COLORREF light = GetSysColor(sunken ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(sunken ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const int r = rc.right - 1, b = rc.bottom - 1;
    Line(dc, rc.left, b, rc.left, rc.top, light);
    Line(dc, rc.left, rc.top, r, rc.top, light);
    Line(dc, r, rc.top, r, b, dark);
    Line(dc, rc.left, b, r + 1, b, dark);
    if (!sunken && r - rc.left > 2 && b - rc.top > 2) {
        Line(dc, r - 1, rc.top + 1, r - 1, b - 1, shadow);
        Line(dc, rc.left + 1, b - 1, r, b - 1, shadow);
    }
}

// A small filled triangle pointing up, down, left or right, centred in rc.
void Arrow(HDC dc, RECT rc, int direction, COLORREF colour)
{
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        switch (direction) {
        case 0: Line(dc, cx - i, cy - 2 + i, cx + i + 1, cy - 2 + i, colour); break;  // up
        case 1: Line(dc, cx - i, cy + 1 - i, cx + i + 1, cy + 1 - i, colour); break;  // down
        case 2: Line(dc, cx - 2 + i, cy - i, cx - 2 + i, cy + i + 1, colour); break;  // left
        default: Line(dc, cx + 1 - i, cy - i, cx + 1 - i, cy + i + 1, colour); break; // right
        }
    }
}

HFONT FontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int LineHeight(HWND hwnd, HFONT font)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOr(font));
    TEXTMETRICA tm{};
    const int h = GetTextMetricsA(dc, &tm) && tm.tmHeight > 0 ? tm.tmHeight : 13;
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return h;
}

void Notify(HWND hwnd, WORD code)
{
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), code),
                 reinterpret_cast<LPARAM>(hwnd));
}

template <typename T>
T* StateOf(HWND hwnd)
{
    return reinterpret_cast<T*>(GetWindowLongA(hwnd, GWL_USERDATA));
}

template <typename T>
T* MakeState(HWND hwnd)
{
    auto* s = new T();
    SetWindowLongA(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(s));
    return s;
}

template <typename T>
void DropState(HWND hwnd)
{
    delete StateOf<T>(hwnd);
    SetWindowLongA(hwnd, GWL_USERDATA, 0);
}

POINT PointOf(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// ---- scroll bars --------------------------------------------------------------------

// One scroll bar: positions 0..max, page units visible at once.
struct Scroll {
    int pos = 0;
    int max = 0;
    int page = 1;
    void Clamp() { pos = std::clamp(pos, 0, std::max(0, max)); }
};

enum class Hit { None, Less, More, PageLess, PageMore, Thumb };

// The thumb's place along the track: start and length in pixels.
void Thumb(const Scroll& s, RECT bar, bool vertical, int* start, int* length)
{
    const int from = (vertical ? bar.top : bar.left) + kBar;
    const int track = std::max(0, (vertical ? bar.bottom - bar.top : bar.right - bar.left) - 2 * kBar);
    const int total = s.max + s.page;
    *length = total > 0 ? std::clamp(track * s.page / total, 8, track) : track;
    *start = from + (s.max > 0 ? (track - *length) * s.pos / s.max : 0);
}

Hit HitBar(const Scroll& s, RECT bar, bool vertical, POINT pt)
{
    if (!Inside(bar, pt))
        return Hit::None;
    const int v = vertical ? pt.y : pt.x;
    const int from = vertical ? bar.top : bar.left, to = vertical ? bar.bottom : bar.right;
    if (v < from + kBar)
        return Hit::Less;
    if (v >= to - kBar)
        return Hit::More;
    int start = 0, length = 0;
    Thumb(s, bar, vertical, &start, &length);
    if (v < start)
        return Hit::PageLess;
    if (v >= start + length)
        return Hit::PageMore;
    return Hit::Thumb;
}

// The position that puts the thumb's start at pixel v.
int PosAt(const Scroll& s, RECT bar, bool vertical, int v)
{
    int start = 0, length = 0;
    Thumb(s, bar, vertical, &start, &length);
    const int from = (vertical ? bar.top : bar.left) + kBar;
    const int track = std::max(1, (vertical ? bar.bottom - bar.top : bar.right - bar.left) - 2 * kBar - length);
    return std::clamp((v - from) * s.max / track, 0, std::max(0, s.max));
}

void DrawBar(HDC dc, const Scroll& s, RECT bar, bool vertical)
{
    FillColour(dc, bar, COLOR_3DLIGHT);
    RECT less = bar, more = bar;
    if (vertical) {
        less.bottom = bar.top + kBar;
        more.top = bar.bottom - kBar;
    } else {
        less.right = bar.left + kBar;
        more.left = bar.right - kBar;
    }
    const COLORREF ink = GetSysColor(s.max > 0 ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    for (const RECT& r : {less, more})
        FillColour(dc, r, COLOR_BTNFACE), Edge(dc, r, false);
    Arrow(dc, less, vertical ? 0 : 2, ink);
    Arrow(dc, more, vertical ? 1 : 3, ink);
    if (s.max <= 0)
        return;
    int start = 0, length = 0;
    Thumb(s, bar, vertical, &start, &length);
    RECT t = bar;
    if (vertical)
        t.top = start, t.bottom = start + length;
    else
        t.left = start, t.right = start + length;
    FillColour(dc, t, COLOR_BTNFACE);
    Edge(dc, t, false);
}

// Moves a scroll bar for a click; true when the position changed.
bool Step(Scroll& s, Hit hit, int line)
{
    const int before = s.pos;
    switch (hit) {
    case Hit::Less: s.pos -= line; break;
    case Hit::More: s.pos += line; break;
    case Hit::PageLess: s.pos -= std::max(1, s.page); break;
    case Hit::PageMore: s.pos += std::max(1, s.page); break;
    default: break;
    }
    s.Clamp();
    return s.pos != before;
}

// ---- buttons ----------------------------------------------------------------------------

struct Button {
    HFONT font = nullptr;
    bool checked = false;
    bool pressed = false;
    bool tracking = false;
    bool focused = false;
};

DWORD KindOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

void PaintButton(HWND hwnd, Button& b)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, FontOr(b.font));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    const DWORD kind = KindOf(hwnd);
    if (kind == BS_GROUPBOX) {
        SIZE ts{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &ts);
        const int y = ts.cy / 2;
        RECT frame{rc.left, rc.top + y, rc.right, rc.bottom};
        const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
        Line(dc, frame.left, frame.top, frame.right - 1, frame.top, shadow);
        Line(dc, frame.left, frame.top, frame.left, frame.bottom - 1, shadow);
        Line(dc, frame.right - 2, frame.top, frame.right - 2, frame.bottom - 1, shadow);
        Line(dc, frame.left, frame.bottom - 2, frame.right - 1, frame.bottom - 2, shadow);
        Line(dc, frame.left + 1, frame.top + 1, frame.right - 2, frame.top + 1, light);
        Line(dc, frame.left + 1, frame.top + 1, frame.left + 1, frame.bottom - 2, light);
        Line(dc, frame.right - 1, frame.top, frame.right - 1, frame.bottom, light);
        Line(dc, frame.left, frame.bottom - 1, frame.right, frame.bottom - 1, light);
        if (text[0]) {
            RECT label{rc.left + 8, rc.top, rc.left + 8 + ts.cx + 4, rc.top + ts.cy};
            FillColour(dc, label, COLOR_BTNFACE);
            TextOutA(dc, label.left + 2, label.top, text, static_cast<int>(std::strlen(text)));
        }
    } else if (kind == BS_AUTOCHECKBOX) {
        FillColour(dc, rc, COLOR_BTNFACE);
        const int box = 13;
        RECT r{rc.left + 1, (rc.top + rc.bottom - box) / 2, rc.left + 1 + box, (rc.top + rc.bottom - box) / 2 + box};
        FillColour(dc, r, b.pressed ? COLOR_BTNFACE : COLOR_WINDOW);
        Edge(dc, r, true);
        if (b.checked) {
            const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
            for (int i = 0; i < 3; ++i) {
                Line(dc, r.left + 3, r.top + 5 + i, r.left + 5, r.top + 7 + i, ink);
                Line(dc, r.left + 5, r.top + 7 + i, r.left + 10, r.top + 2 + i, ink);
            }
        }
        RECT label{r.right + 5, rc.top, rc.right, rc.bottom};
        DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (b.focused) {
            RECT calc = label;
            DrawTextA(dc, text, -1, &calc, DT_SINGLELINE | DT_CALCRECT);
            RECT f{label.left - 2, (rc.top + rc.bottom) / 2 - (calc.bottom - calc.top) / 2 - 1,
                   std::min<LONG>(rc.right, calc.right + 2), (rc.top + rc.bottom) / 2 + (calc.bottom - calc.top) / 2 + 1};
            DrawFocusRect(dc, &f);
        }
    } else {
        FillColour(dc, rc, COLOR_BTNFACE);
        RECT face = rc;
        if (kind == BS_DEFPUSHBUTTON || b.focused) {
            HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            FrameRect(dc, &face, black);
            face.left += 1, face.top += 1, face.right -= 1, face.bottom -= 1;
        }
        Edge(dc, face, b.pressed);
        RECT label = face;
        if (b.pressed)
            label.left += 2, label.top += 2;
        DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        if (b.focused) {
            RECT f{face.left + 3, face.top + 3, face.right - 3, face.bottom - 3};
            DrawFocusRect(dc, &f);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void Click(HWND hwnd, Button& b)
{
    if (KindOf(hwnd) == BS_AUTOCHECKBOX)
        b.checked = !b.checked;
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, BN_CLICKED);
}

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Button* b = StateOf<Button>(hwnd);
    switch (msg) {
    case WM_NCCREATE: MakeState<Button>(hwnd); return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY: DropState<Button>(hwnd); return 0;
    default: break;
    }
    if (!b)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    const bool group = KindOf(hwnd) == BS_GROUPBOX;
    switch (msg) {
    case WM_NCHITTEST: return group ? HTTRANSPARENT : 0;
    case WM_PAINT: PaintButton(hwnd, *b); return 0;
    case WM_SETFONT: b->font = reinterpret_cast<HFONT>(wParam); InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(b->font);
    case WM_SETTEXT:
        DefWindowProcA(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case BM_GETCHECK: return b->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        b->checked = wParam == BST_CHECKED;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_CLICK:
        if (!group && IsWindowEnabled(hwnd))
            Click(hwnd, *b);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        b->focused = msg == WM_SETFOCUS && !group;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
        if (group)
            return 0;
        SetFocus(hwnd);
        SetCapture(hwnd);
        b->tracking = b->pressed = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        if (b->tracking) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            const bool in = Inside(rc, PointOf(lParam));
            if (in != b->pressed) {
                b->pressed = in;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (b->tracking) {
            const bool click = b->pressed;
            b->tracking = b->pressed = false;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            InvalidateRect(hwnd, nullptr, TRUE);
            if (click)
                Click(hwnd, *b);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (b->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            b->tracking = b->pressed = false;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_SPACE) && !group)
            Click(hwnd, *b);
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- labels -----------------------------------------------------------------------------

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_SETFONT:
        SetWindowLongA(hwnd, GWL_USERDATA, static_cast<LONG_PTR>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return GetWindowLongA(hwnd, GWL_USERDATA);
    case WM_SETTEXT:
        DefWindowProcA(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillColour(dc, rc, COLOR_BTNFACE);
        char text[256] = "";
        GetWindowTextA(hwnd, text, sizeof text);
        HGDIOBJ old = SelectObject(dc, FontOr(reinterpret_cast<HFONT>(GetWindowLongA(hwnd, GWL_USERDATA))));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
        DrawTextA(dc, text, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((style & SS_RIGHT) ? DT_RIGHT : DT_LEFT));
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- the text view ------------------------------------------------------------------------

struct TextView {
    HFONT font = nullptr;
    bool redraw = true;
    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> lines;  // start and length
    int widest = -1;                                         // pixels; -1: not measured
    Scroll v, h;
    bool dragging = false;
    bool dragVertical = true;
    int dragGrip = 0;
};

struct TextLayout {
    RECT text, vbar, hbar, corner;
    int lineH = 13;
    int visible = 1;
};

int Widest(HWND hwnd, TextView& t)
{
    if (t.widest >= 0)
        return t.widest;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOr(t.font));
    int widest = 0;
    for (const auto& [start, length] : t.lines) {
        SIZE s{};
        if (length && GetTextExtentPoint32A(dc, t.text.data() + start, static_cast<int>(length), &s))
            widest = std::max<int>(widest, s.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return t.widest = widest;
}

// The places of the text and the bars; measuring the widest line (for the
// horizontal bar) is left out when only lines matter.
TextLayout LayOut(HWND hwnd, TextView& t, bool measure = true)
{
    TextLayout l{};
    RECT rc;
    GetClientRect(hwnd, &rc);
    l.text = {rc.left, rc.top, std::max<LONG>(rc.left, rc.right - kBar), std::max<LONG>(rc.top, rc.bottom - kBar)};
    l.vbar = {l.text.right, rc.top, rc.right, l.text.bottom};
    l.hbar = {rc.left, l.text.bottom, l.text.right, rc.bottom};
    l.corner = {l.text.right, l.text.bottom, rc.right, rc.bottom};
    l.lineH = LineHeight(hwnd, t.font);
    l.visible = std::max<int>(1, (l.text.bottom - l.text.top) / l.lineH);
    t.v.page = l.visible;
    t.v.max = std::max<int>(0, static_cast<int>(t.lines.size()) - l.visible);
    t.v.Clamp();
    const int width = std::max<int>(1, l.text.right - l.text.left - 2 * kMargin);
    t.h.page = width;
    if (measure) {
        t.h.max = std::max(0, Widest(hwnd, t) - width);
        t.h.Clamp();
    }
    return l;
}

void SetText(TextView& t, const char* text)
{
    t.text = text ? text : "";
    t.lines.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= t.text.size(); ++i) {
        if (i == t.text.size() || t.text[i] == '\n') {
            std::size_t end = i;
            if (end > start && t.text[end - 1] == '\r')
                --end;
            if (i < t.text.size() || end > start)
                t.lines.emplace_back(start, end - start);
            start = i + 1;
        }
    }
    t.widest = -1;
}

void PaintText(HWND hwnd, TextView& t)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const TextLayout l = LayOut(hwnd, t);
    FillColour(dc, l.text, COLOR_BTNFACE);
    HGDIOBJ old = SelectObject(dc, FontOr(t.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (int i = 0; i <= l.visible; ++i) {
        const std::size_t n = static_cast<std::size_t>(t.v.pos + i);
        if (n >= t.lines.size())
            break;
        const auto [start, length] = t.lines[n];
        // The line is drawn from its start, scrolled left by the horizontal
        // position, and clipped to the text area.
        RECT draw{l.text.left + kMargin - t.h.pos, l.text.top + i * l.lineH, l.text.right,
                  std::min<LONG>(l.text.top + (i + 1) * l.lineH, l.text.bottom)};
        if (length && draw.bottom > draw.top)
            DrawTextA(dc, t.text.data() + start, static_cast<int>(length), &draw,
                      DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    }
    SelectObject(dc, old);
    DrawBar(dc, t.v, l.vbar, true);
    DrawBar(dc, t.h, l.hbar, false);
    FillColour(dc, l.corner, COLOR_BTNFACE);
    EndPaint(hwnd, &ps);
}

void ScrollTo(HWND hwnd, Scroll& s, int pos)
{
    const int before = s.pos;
    s.pos = pos;
    s.Clamp();
    if (s.pos != before)
        InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT TextViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TextView* t = StateOf<TextView>(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        t = MakeState<TextView>(hwnd);
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetText(*t, cs ? cs->lpszName : nullptr);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY: DropState<TextView>(hwnd); return 0;
    default: break;
    }
    if (!t)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: PaintText(hwnd, *t); return 0;
    case WM_SETFONT:
        t->font = reinterpret_cast<HFONT>(wParam);
        t->widest = -1;
        if (t->redraw)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(t->font);
    case WM_SETREDRAW:
        t->redraw = wParam != 0;
        if (t->redraw)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETTEXT:
        DefWindowProcA(hwnd, msg, wParam, lParam);
        SetText(*t, reinterpret_cast<const char*>(lParam));
        if (t->redraw)
            InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(t->text.size());
    case TVM_SCROLLTOEND: LayOut(hwnd, *t, false); ScrollTo(hwnd, t->v, t->v.max); return 0;
    case TVM_GETLINECOUNT: return static_cast<LRESULT>(t->lines.size());
    case TVM_GETFIRSTVISIBLE: LayOut(hwnd, *t, false); return t->v.pos;
    case TVM_GETVISIBLELINES: return LayOut(hwnd, *t, false).visible;
    case WM_MOUSEWHEEL: {
        const int notches = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
        LayOut(hwnd, *t, false);
        ScrollTo(hwnd, t->v, t->v.pos - notches * kWheelLines);
        return 0;
    }
    case WM_KEYDOWN: {
        const TextLayout l = LayOut(hwnd, *t);
        switch (static_cast<int>(wParam)) {
        case VK_UP: ScrollTo(hwnd, t->v, t->v.pos - 1); break;
        case VK_DOWN: ScrollTo(hwnd, t->v, t->v.pos + 1); break;
        case VK_PRIOR: ScrollTo(hwnd, t->v, t->v.pos - l.visible); break;
        case VK_NEXT: ScrollTo(hwnd, t->v, t->v.pos + l.visible); break;
        case VK_HOME: ScrollTo(hwnd, t->v, 0); break;
        case VK_END: ScrollTo(hwnd, t->v, t->v.max); break;
        case VK_LEFT: ScrollTo(hwnd, t->h, t->h.pos - l.lineH); break;
        case VK_RIGHT: ScrollTo(hwnd, t->h, t->h.pos + l.lineH); break;
        default: break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        const TextLayout l = LayOut(hwnd, *t);
        const POINT pt = PointOf(lParam);
        for (bool vertical : {true, false}) {
            Scroll& s = vertical ? t->v : t->h;
            const RECT& bar = vertical ? l.vbar : l.hbar;
            const Hit hit = HitBar(s, bar, vertical, pt);
            if (hit == Hit::None)
                continue;
            if (hit == Hit::Thumb) {
                int start = 0, length = 0;
                Thumb(s, bar, vertical, &start, &length);
                t->dragging = true;
                t->dragVertical = vertical;
                t->dragGrip = (vertical ? pt.y : pt.x) - start;
                SetCapture(hwnd);
            } else if (Step(s, hit, vertical ? 1 : l.lineH)) {
                InvalidateRect(hwnd, nullptr, TRUE);
            }
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (t->dragging) {
            const TextLayout l = LayOut(hwnd, *t);
            const POINT pt = PointOf(lParam);
            Scroll& s = t->dragVertical ? t->v : t->h;
            ScrollTo(hwnd, s,
                     PosAt(s, t->dragVertical ? l.vbar : l.hbar, t->dragVertical,
                           (t->dragVertical ? pt.y : pt.x) - t->dragGrip));
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (t->dragging && msg == WM_LBUTTONUP && GetCapture() == hwnd)
            ReleaseCapture();
        t->dragging = false;
        return 0;
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- the list -------------------------------------------------------------------------------

struct Column {
    std::string text;
    int width = 60;
};

struct Row {
    std::vector<std::string> texts;
    LPARAM param = 0;
};

struct List {
    HFONT font = nullptr;
    bool redraw = true;
    std::vector<Column> columns;
    std::vector<Row> rows;
    int sortColumn = -1;
    TLCOMPAREPROC compare = nullptr;
    void* context = nullptr;
    Scroll v;
    int resizing = -1;
    int resizeFromX = 0;
    int resizeFromWidth = 0;
    int pressedColumn = -1;
    bool dragging = false;
    int dragGrip = 0;
};

struct ListLayout {
    RECT header, rows, vbar;
    int lineH = 13;
    int rowH = 15;
    int visible = 1;
};

ListLayout LayOut(HWND hwnd, List& l)
{
    ListLayout o{};
    RECT rc;
    GetClientRect(hwnd, &rc);
    o.lineH = LineHeight(hwnd, l.font);
    o.rowH = o.lineH + 2;
    o.header = {rc.left, rc.top, rc.right, rc.top + o.lineH + 6};
    o.rows = {rc.left, o.header.bottom, rc.right, std::max(o.header.bottom, rc.bottom)};
    o.visible = std::max<int>(1, (o.rows.bottom - o.rows.top) / o.rowH);
    l.v.page = o.visible;
    l.v.max = std::max<int>(0, static_cast<int>(l.rows.size()) - o.visible);
    l.v.Clamp();
    o.vbar = {rc.right, o.rows.top, rc.right, o.rows.bottom};
    if (l.v.max > 0) {
        o.rows.right = std::max<LONG>(rc.left, rc.right - kBar);
        o.vbar.left = o.rows.right;
    }
    return o;
}

int CompareRows(const List& l, const Row& a, const Row& b)
{
    if (l.compare)
        return l.compare(a.param, b.param, l.sortColumn, l.context);
    const std::size_t c = static_cast<std::size_t>(l.sortColumn);
    const std::string& x = c < a.texts.size() ? a.texts[c] : std::string();
    const std::string& y = c < b.texts.size() ? b.texts[c] : std::string();
    return x.compare(y);
}

void Sort(List& l)
{
    if (l.sortColumn < 0)
        return;
    std::stable_sort(l.rows.begin(), l.rows.end(), [&](const Row& a, const Row& b) { return CompareRows(l, a, b) < 0; });
}

void PaintList(HWND hwnd, List& l)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const ListLayout o = LayOut(hwnd, l);
    HGDIOBJ old = SelectObject(dc, FontOr(l.font));
    SetBkMode(dc, TRANSPARENT);
    FillColour(dc, o.header, COLOR_BTNFACE);
    FillColour(dc, o.rows, COLOR_WINDOW);
    int x = o.header.left;
    for (std::size_t c = 0; c < l.columns.size(); ++c) {
        const Column& col = l.columns[c];
        RECT cell{x, o.header.top, x + col.width, o.header.bottom};
        Edge(dc, cell, static_cast<int>(c) == l.pressedColumn);
        RECT label{cell.left + kMargin + 1, cell.top, cell.right - kMargin, cell.bottom};
        if (static_cast<int>(c) == l.sortColumn && col.width > 24) {
            label.right -= 10;
            Arrow(dc, RECT{label.right, cell.top, label.right + 10, cell.bottom}, 1, GetSysColor(COLOR_BTNSHADOW));
        }
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, col.text.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        for (int i = 0; i < o.visible; ++i) {
            const std::size_t r = static_cast<std::size_t>(l.v.pos + i);
            if (r >= l.rows.size())
                break;
            const Row& row = l.rows[r];
            if (c >= row.texts.size())
                continue;
            RECT text{cell.left + kMargin, o.rows.top + i * o.rowH, std::min<LONG>(cell.right - kMargin, o.rows.right),
                      o.rows.top + (i + 1) * o.rowH};
            DrawTextA(dc, row.texts[c].c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        }
        x += col.width;
    }
    if (x < o.header.right) {
        RECT rest{x, o.header.top, o.header.right, o.header.bottom};
        Edge(dc, rest, false);
    }
    SelectObject(dc, old);
    if (l.v.max > 0)
        DrawBar(dc, l.v, o.vbar, true);
    EndPaint(hwnd, &ps);
}

void NotifyList(HWND hwnd, UINT code, int column)
{
    NMTOOLLIST nm{{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code}, column};
    SendMessageA(GetParent(hwnd), WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(hwnd)), reinterpret_cast<LPARAM>(&nm));
}

// The column whose right edge lies under x in the header (for resizing), or
// -1; and the column under x, or -1.
int DividerAt(const List& l, int x)
{
    int edge = 0;
    for (std::size_t c = 0; c < l.columns.size(); ++c) {
        edge += l.columns[c].width;
        if (x >= edge - kDividerGrip && x <= edge + kDividerGrip)
            return static_cast<int>(c);
    }
    return -1;
}

int ColumnAt(const List& l, int x)
{
    int edge = 0;
    for (std::size_t c = 0; c < l.columns.size(); ++c) {
        if (x >= edge && x < edge + l.columns[c].width)
            return static_cast<int>(c);
        edge += l.columns[c].width;
    }
    return -1;
}

void Changed(HWND hwnd, const List& l)
{
    if (l.redraw)
        InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    List* l = StateOf<List>(hwnd);
    switch (msg) {
    case WM_NCCREATE: MakeState<List>(hwnd); return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY: DropState<List>(hwnd); return 0;
    default: break;
    }
    if (!l)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: PaintList(hwnd, *l); return 0;
    case WM_SETFONT: l->font = reinterpret_cast<HFONT>(wParam); Changed(hwnd, *l); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(l->font);
    case WM_SETREDRAW:
        l->redraw = wParam != 0;
        Changed(hwnd, *l);
        return 0;
    case TLM_INSERTCOLUMN: {
        const auto* c = reinterpret_cast<const TLCOLUMN*>(lParam);
        if (!c)
            return -1;
        const std::size_t at = std::min<std::size_t>(wParam, l->columns.size());
        l->columns.insert(l->columns.begin() + static_cast<std::ptrdiff_t>(at),
                          Column{c->text ? c->text : "", std::max(0, c->width)});
        Changed(hwnd, *l);
        return static_cast<LRESULT>(at);
    }
    case TLM_GETCOLUMNCOUNT: return static_cast<LRESULT>(l->columns.size());
    case TLM_GETCOLUMNWIDTH: return wParam < l->columns.size() ? l->columns[wParam].width : 0;
    case TLM_SETCOLUMNWIDTH:
        if (wParam >= l->columns.size())
            return FALSE;
        l->columns[wParam].width = std::max<int>(0, static_cast<int>(lParam));
        Changed(hwnd, *l);
        return TRUE;
    case TLM_DELETEALLITEMS:
        l->rows.clear();
        Changed(hwnd, *l);
        return TRUE;
    case TLM_INSERTITEM: {
        const auto* item = reinterpret_cast<const TLITEM*>(lParam);
        if (!item)
            return -1;
        Row row;
        row.param = item->lParam;
        for (int i = 0; i < item->nTexts; ++i)
            row.texts.emplace_back(item->apszText && item->apszText[i] ? item->apszText[i] : "");
        auto at = l->rows.end();
        if (l->sortColumn >= 0)
            at = std::upper_bound(l->rows.begin(), l->rows.end(), row,
                                  [&](const Row& a, const Row& b) { return CompareRows(*l, a, b) < 0; });
        at = l->rows.insert(at, std::move(row));
        Changed(hwnd, *l);
        return at - l->rows.begin();
    }
    case TLM_GETITEMCOUNT: return static_cast<LRESULT>(l->rows.size());
    case TLM_GETITEMTEXT: {
        auto* out = reinterpret_cast<TLTEXT*>(lParam);
        const std::size_t r = LOWORD(wParam), c = HIWORD(wParam);
        if (!out || !out->buffer || out->cch <= 0 || r >= l->rows.size())
            return 0;
        const std::string& s = c < l->rows[r].texts.size() ? l->rows[r].texts[c] : std::string();
        const int n = std::min<int>(static_cast<int>(s.size()), out->cch - 1);
        std::memcpy(out->buffer, s.data(), static_cast<std::size_t>(n));
        out->buffer[n] = '\0';
        return n;
    }
    case TLM_GETITEMPARAM: return wParam < l->rows.size() ? l->rows[wParam].param : 0;
    case TLM_SETSORTCOLUMN:
        l->sortColumn = static_cast<int>(static_cast<std::intptr_t>(wParam));
        if (l->sortColumn >= static_cast<int>(l->columns.size()) || l->sortColumn < 0)
            l->sortColumn = -1;
        Sort(*l);
        Changed(hwnd, *l);
        return TRUE;
    case TLM_GETSORTCOLUMN: return l->sortColumn;
    case TLM_SETCOMPARE:
        l->compare = reinterpret_cast<TLCOMPAREPROC>(lParam);
        l->context = reinterpret_cast<void*>(wParam);
        Sort(*l);
        Changed(hwnd, *l);
        return TRUE;
    case TLM_GETTOPINDEX: LayOut(hwnd, *l); return l->v.pos;
    case TLM_SETTOPINDEX:
        LayOut(hwnd, *l);
        ScrollTo(hwnd, l->v, static_cast<int>(wParam));
        return TRUE;
    case WM_MOUSEWHEEL: {
        LayOut(hwnd, *l);
        ScrollTo(hwnd, l->v, l->v.pos - static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA * kWheelLines);
        return 0;
    }
    case WM_KEYDOWN: {
        const ListLayout o = LayOut(hwnd, *l);
        switch (static_cast<int>(wParam)) {
        case VK_UP: ScrollTo(hwnd, l->v, l->v.pos - 1); break;
        case VK_DOWN: ScrollTo(hwnd, l->v, l->v.pos + 1); break;
        case VK_PRIOR: ScrollTo(hwnd, l->v, l->v.pos - o.visible); break;
        case VK_NEXT: ScrollTo(hwnd, l->v, l->v.pos + o.visible); break;
        case VK_HOME: ScrollTo(hwnd, l->v, 0); break;
        case VK_END: ScrollTo(hwnd, l->v, l->v.max); break;
        default: break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        const ListLayout o = LayOut(hwnd, *l);
        const POINT pt = PointOf(lParam);
        if (Inside(o.header, pt)) {
            const int divider = DividerAt(*l, pt.x);
            if (divider >= 0) {
                l->resizing = divider;
                l->resizeFromX = pt.x;
                l->resizeFromWidth = l->columns[static_cast<std::size_t>(divider)].width;
            } else {
                l->pressedColumn = ColumnAt(*l, pt.x);
                Changed(hwnd, *l);
            }
            SetCapture(hwnd);
            return 0;
        }
        const Hit hit = l->v.max > 0 ? HitBar(l->v, o.vbar, true, pt) : Hit::None;
        if (hit == Hit::Thumb) {
            int start = 0, length = 0;
            Thumb(l->v, o.vbar, true, &start, &length);
            l->dragging = true;
            l->dragGrip = pt.y - start;
            SetCapture(hwnd);
        } else if (hit != Hit::None && Step(l->v, hit, 1)) {
            Changed(hwnd, *l);
        }
        return 0;
    }
    case WM_MOUSEMOVE: {
        const POINT pt = PointOf(lParam);
        if (l->resizing >= 0) {
            l->columns[static_cast<std::size_t>(l->resizing)].width =
                std::max(kMinColumn, l->resizeFromWidth + pt.x - l->resizeFromX);
            Changed(hwnd, *l);
        } else if (l->dragging) {
            const ListLayout o = LayOut(hwnd, *l);
            ScrollTo(hwnd, l->v, PosAt(l->v, o.vbar, true, pt.y - l->dragGrip));
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        const POINT pt = PointOf(lParam);
        const int resized = l->resizing, pressed = l->pressedColumn;
        l->resizing = l->pressedColumn = -1;
        l->dragging = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (resized >= 0) {
            NotifyList(hwnd, TLN_COLUMNRESIZED, resized);
        } else if (pressed >= 0 && ColumnAt(*l, pt.x) == pressed && pt.y >= 0 && pt.y < LayOut(hwnd, *l).header.bottom) {
            l->sortColumn = pressed;
            Sort(*l);
            NotifyList(hwnd, TLN_COLUMNCLICK, pressed);
        }
        Changed(hwnd, *l);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) {
            l->resizing = l->pressedColumn = -1;
            l->dragging = false;
        }
        return 0;
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

bool Register(const char* name, WNDPROC proc)
{
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, name, &existing))
        return true;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0 || (SDL_WasInit(SDL_INIT_EVENTS) && (SDL_GetModState() & KMOD_SHIFT)); }

bool IsTabStop(HWND h)
{
    const auto style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    return (style & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h);
}
}  // namespace

bool RegisterToolControls()
{
    return Register(TOOLCTL_BUTTON, ButtonProc) && Register(TOOLCTL_STATIC, StaticProc) &&
           Register(TOOLCTL_TEXTVIEW, TextViewProc) && Register(TOOLCTL_LIST, ListProc);
}

bool IsToolDialogMessage(HWND window, MSG* msg)
{
    if (!msg || !IsWindow(window) || msg->message != WM_KEYDOWN || !msg->hwnd)
        return false;
    HWND h = msg->hwnd;
    while (h && h != window)
        h = (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr;
    if (h != window)
        return false;
    switch (static_cast<int>(msg->wParam)) {
    case VK_TAB: {
        std::vector<HWND> stops;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (IsTabStop(c))
                stops.push_back(c);
        if (stops.empty())
            return true;
        const auto it = std::find(stops.begin(), stops.end(), GetFocus());
        std::ptrdiff_t i = it == stops.end() ? -1 : it - stops.begin();
        const auto n = static_cast<std::ptrdiff_t>(stops.size());
        i = ShiftDown() ? (i <= 0 ? n - 1 : i - 1) : (i + 1) % n;
        SetFocus(stops[static_cast<std::size_t>(i)]);
        return true;
    }
    case VK_RETURN:
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char name[32] = "";
            GetClassNameA(c, name, sizeof name);
            if (std::strcmp(name, TOOLCTL_BUTTON) == 0 && KindOf(c) == BS_DEFPUSHBUTTON && IsWindowEnabled(c)) {
                SendMessageA(c, BM_CLICK, 0, 0);
                return true;
            }
        }
        return true;
    case VK_ESCAPE: SendMessageA(window, WM_COMMAND, MAKEWPARAM(2, 0), 0); return true;
    default: return false;
    }
}
