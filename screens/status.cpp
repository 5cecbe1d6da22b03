#include "screens/status.h"

#include "anim/animobj.h"
#include "anim/animwin.h"
#include "game/flow.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/gdi.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Everything a picture of the bars depends on. The values themselves stay in
// g; this is only compared, to notice that the picture went out of date.
struct STATUSVIEW {
    LONG lLevel, lPuzzle, lLives, lMines, lScore, lHighScore;
    BOOL fTesting, fTutorial;
    WORD wLanguage;
    DWORD dwDifficulty;
    unsigned uNotice; // counts the notices shown and taken away
    bool operator==(const STATUSVIEW&) const = default;
};

struct STATUSBARS {
    ANIMWINDOW* pWindow = nullptr;
    ANIMOBJECT* pTop = nullptr;
    ANIMOBJECT* pBottom = nullptr;
    HFONT hFont = nullptr;
    LONG lHeight = 0;
    LONG lWidth = 0;
    // A bar is painted into this buffer of one bar's size through its
    // context, then the part the window asks for is copied to the target;
    // both, and the two pens, are made with the bars.
    std::vector<std::uint32_t> aPixels;
    HDC hdcBar = nullptr;
    HPEN hpenLine = nullptr;
    HPEN hpenShadow = nullptr;
    // The view the bars were last touched for, and the one the texts were
    // made for; the texts are made again only when the values change.
    STATUSVIEW Touched{};
    STATUSVIEW Texted{};
    bool fTextsMade = false;
    STATUSTEXTS Texts{};
    // The notice in the top bar and when it goes; fNoticeBar: the top bar
    // was made for the notice alone, on a screen without bars.
    char szNotice[2 * kStatusTextChars] = {};
    DWORD dwNoticeEnd = 0;
    unsigned uNotice = 0;
    bool fNoticeBar = false;
};

STATUSBARS& S()
{
    static STATUSBARS s;
    return s;
}

STATUSVIEW CurrentView()
{
    return STATUSVIEW{g.lLevel,
                      g.lPuzzle,
                      g.lLives,
                      g.lMinesRemaining,
                      g.lScore,
                      g.lHighScore,
                      g.ActivePuzzle.bTesting ? TRUE : FALSE,
                      g.fTutorial ? TRUE : FALSE,
                      GetLanguage(),
                      g.Settings.dwDifficulty,
                      S().uNotice};
}

// A string of the table with its inserts filled, into a fixed buffer; empty
// when it cannot be formatted.
template <typename... Args>
void FormatInto(char (&out)[kStatusTextChars], UINT id, const char* pszDescriptor, Args... args)
{
    out[0] = '\0';
    char* psz = FormatText(TextId(id), pszDescriptor, args...);
    if (!psz)
        return;
    std::strncpy(out, psz, kStatusTextChars - 1);
    out[kStatusTextChars - 1] = '\0';
    ReleaseText(psz);
}

const STATUSTEXTS& CurrentTexts()
{
    STATUSBARS& s = S();
    const STATUSVIEW view = CurrentView();
    if (!s.fTextsMade || !(view == s.Texted)) {
        GetStatusTexts(&s.Texts);
        s.Texted = view;
        s.fTextsMade = true;
    }
    return s.Texts;
}

enum : int { alLeft = 0, alCentre = 1, alRight = 2 };

// A text in the bar font on a transparent background. Its box is 200 pixels
// wide and a bar high, with its top at y or, for a y other than 0, ending at
// y, so that the text stands on y. The box is not a clip: a text longer than
// the box (a long translation, a big score) is shown whole.
void DrawBarText(HDC hdc, LONG x, LONG y, int alignment, COLORREF colour, const char* psz)
{
    STATUSBARS& s = S();
    if (!psz || !*psz)
        return;
    RECT box{0, y, 200, y + s.lHeight};
    if (y != 0) {
        RECT measure{0, 0, 200, s.lHeight};
        const int height = DrawTextA(hdc, psz, -1, &measure, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        box.top = y - height;
        box.bottom = box.top + s.lHeight;
    }
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_TOP;
    switch (alignment) {
    case alCentre:
        box.left = x - 100;
        format |= DT_CENTER;
        break;
    case alRight:
        box.left = x - 200;
        format |= DT_RIGHT;
        break;
    default: box.left = x; break;
    }
    box.right = box.left + 200;
    SetTextColor(hdc, colour);
    DrawTextA(hdc, psz, -1, &box, format);
}

void DrawLine(HDC hdc, LONG x0, LONG x1, LONG y, HPEN pen)
{
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, x0, y, nullptr);
    LineTo(hdc, x1, y);
    SelectObject(hdc, old);
}

// Draws one bar. Coordinates in hdc are those of the bar: (0, 0) is its
// top-left corner.
void PaintBar(HDC hdc, bool fTop)
{
    STATUSBARS& s = S();
    const LONG w = s.lWidth, h = s.lHeight;
    const RECT all{0, 0, w, h};
    FillRect(hdc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const STATUSTEXTS& t = CurrentTexts();
    HGDIOBJ oldFont = s.hFont ? SelectObject(hdc, s.hFont) : nullptr;
    SetBkMode(hdc, TRANSPARENT);
    if (fTop && s.szNotice[0]) {
        DrawLine(hdc, 5, w - 3, h - 4, s.hpenLine);
        DrawLine(hdc, 4, w - 4, h - 3, s.hpenShadow);
        DrawBarText(hdc, w / 2, 0, alCentre, clrStatusNotice, s.szNotice);
    } else if (fTop) {
        DrawLine(hdc, 5, w - 3, h - 4, s.hpenLine);
        DrawLine(hdc, 4, w - 4, h - 3, s.hpenShadow);
        DrawBarText(hdc, 5, 0, alLeft, clrStatusLevel, t.szLevel);
        DrawBarText(hdc, w / 2, 0, alCentre, clrStatusHighScore, t.szHighScore);
        DrawBarText(hdc, w - 5, 0, alRight, clrStatusScore, t.szScore);
    } else {
        DrawLine(hdc, 5, w - 3, 3, s.hpenLine);
        DrawLine(hdc, 4, w - 4, 4, s.hpenShadow);
        DrawBarText(hdc, 5, h, alLeft, clrStatusLives, t.szLives);
        DrawBarText(hdc, w - 5, h, alRight, clrStatusMines, t.szMines);
        DrawBarText(hdc, w / 2, h, alCentre, clrStatusDifficulty, t.szDifficulty);
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
}

// Draws the part of a bar that the window asks for: the whole bar is painted
// into the bar's own buffer and only the part inside the clip (all of it when
// the clip is empty) is copied to the target, so nothing outside the clip is
// touched.
int DrawBar(const RENDEROBJECT* r, bool fTop)
{
    STATUSBARS& s = S();
    if (!r || !s.hdcBar)
        return 0;
    // Surfaces and the contexts of bitmaps hold 32-bit pixels; a context
    // without pixels has nothing to draw on.
    int width = 0, height = 0, pitch = 0;
    std::uint32_t* pixels = nullptr;
    if (r->surface) {
        pixels = r->surface->Pixels();
        width = pitch = r->surface->Width();
        height = r->surface->Height();
    } else {
        pixels = gdi::ContextPixels(r->hdc, &width, &height, &pitch);
    }
    const RECT& bar = r->object;
    RECT area = bar;
    if (r->clip.right > r->clip.left && r->clip.bottom > r->clip.top) {
        area.left = std::max(area.left, r->clip.left);
        area.top = std::max(area.top, r->clip.top);
        area.right = std::min(area.right, r->clip.right);
        area.bottom = std::min(area.bottom, r->clip.bottom);
    }
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>({area.right, width, bar.left + s.lWidth});
    area.bottom = std::min<LONG>({area.bottom, height, bar.top + s.lHeight});
    if (pixels && area.right > area.left && area.bottom > area.top) {
        PaintBar(s.hdcBar, fTop);
        for (LONG y = area.top; y < area.bottom; ++y) {
            const std::uint32_t* from =
                s.aPixels.data() + static_cast<std::size_t>(y - bar.top) * s.lWidth + (area.left - bar.left);
            std::copy(from, from + (area.right - area.left), pixels + static_cast<std::size_t>(y) * pitch + area.left);
        }
    }
    return 1;
}

int BarCallback(ANIMOBJECT* po, svcAnimObject code, long lParam)
{
    STATUSBARS& s = S();
    switch (code) {
    case svcaoMove: {
        // A changed value shows in this frame: both bars are redrawn.
        const STATUSVIEW view = CurrentView();
        if (!(view == s.Touched)) {
            s.Touched = view;
            if (s.pTop)
                s.pTop->Touch();
            if (s.pBottom)
                s.pBottom->Touch();
        }
        return 1;
    }
    case svcaoDraw: return DrawBar(reinterpret_cast<const RENDEROBJECT*>(lParam), po == s.pTop);
    default: return 1;
    }
}

ANIMOBJECT* MakeBar(LONG top)
{
    STATUSBARS& s = S();
    auto* po = new ANIMOBJECT(s.pWindow, kStatusBarDepth, &BarCallback, 0);
    po->SetPosition(0, top);
    po->SetSize(s.lWidth, s.lHeight);
    return po;
}

bool InGameOrEditor(LONG state)
{
    switch (state) {
    case gsLevelIntro:
    case gsPlaying:
    case gsDying:
    case gsDead:
    case gsGameOver:
    case gsPuzzleStart:
    case gsPaused:
    case gsPuzzleWon:
    case gsEditor:
    case gsSweep: return true;
    default: return false;
    }
}

} // namespace

int FormatGroupedNumber(LONG lValue, char* pszBuffer, int cchBuffer)
{
    if (!pszBuffer || cchBuffer <= 0)
        return 0;
    pszBuffer[0] = '\0';
    char* psz = FormatText("%1", "%,ld", lValue);
    if (!psz)
        return 0;
    std::strncpy(pszBuffer, psz, static_cast<std::size_t>(cchBuffer) - 1);
    pszBuffer[cchBuffer - 1] = '\0';
    ReleaseText(psz);
    return static_cast<int>(std::strlen(pszBuffer));
}

void GetStatusTexts(STATUSTEXTS* p)
{
    if (!p)
        return;
    *p = STATUSTEXTS{};
    const bool fTesting = g.ActivePuzzle.bTesting != FALSE;
    const bool fEditor = g.lLives == -1;
    const bool fTutorial = g.fTutorial != FALSE;
    const auto level = static_cast<DWORD>(g.lLevel), puzzle = static_cast<DWORD>(g.lPuzzle);
    if (fTesting)
        FormatInto(p->szLevel, idsStatusTestLevel, "%lu%lu", level, puzzle);
    else if (g.lLevel != 0)
        FormatInto(p->szLevel, fEditor ? idsStatusEditLevel : idsStatusLevel, "%lu%lu", level, puzzle);
    else if (fTutorial)
        FormatInto(p->szLevel, idsStatusTutorial, nullptr);
    if (!fTesting && !fEditor && !fTutorial) {
        char number[40];
        if (g.lHighScore != 0) {
            FormatGroupedNumber(g.lHighScore, number, sizeof number);
            FormatInto(p->szHighScore, idsStatusHighScore, "%s", number);
        }
        FormatGroupedNumber(g.lScore, number, sizeof number);
        FormatInto(p->szScore, idsStatusScore, "%s", number);
    }
    p->fBottomBar = !fEditor && !fTutorial;
    if (p->fBottomBar && g.lLevel != 0) {
        FormatInto(p->szLives, idsStatusLives, "%ld", g.lLives);
        if (g.lMinesRemaining != -1)
            FormatInto(p->szMines, idsStatusMines, "%ld", g.lMinesRemaining);
        // Play at another difficulty than Normal says so.
        const DWORD difficulty = g.Settings.dwDifficulty;
        if (difficulty != diffNormal && difficulty <= diffImpossible)
            FormatInto(p->szDifficulty, idsStatusDifficulty, "%m", static_cast<DWORD>(idsDifficultyEasy - difficulty));
    }
}

LONG StatusBarHeightFor(LONG lScreenWidth, LONG lScreenHeight)
{
    const LONG divisor = lScreenWidth < 800 ? 22 : lScreenWidth < 1024 ? 25 : 28;
    return lScreenHeight / divisor;
}

void InitStatusDisplay(ANIMWINDOW* pWindow)
{
    RemoveStatusBars();
    S().pWindow = pWindow;
    FlowSeams().pfnRefreshStatus = &RefreshStatus;
}

void RemoveStatusBars()
{
    STATUSBARS& s = S();
    delete s.pTop;
    delete s.pBottom;
    s.pTop = s.pBottom = nullptr;
    if (s.hFont)
        DeleteObject(s.hFont);
    s.hFont = nullptr;
    if (s.hdcBar)
        DeleteDC(s.hdcBar);
    s.hdcBar = nullptr;
    for (HPEN* pen : {&s.hpenLine, &s.hpenShadow}) {
        if (*pen)
            DeleteObject(*pen);
        *pen = nullptr;
    }
    s.aPixels = {};
    s.fTextsMade = false;
    s.fNoticeBar = false;
}

void RebuildStatusBars()
{
    RemoveStatusBars();
    STATUSBARS& s = S();
    if (!s.pWindow)
        return;
    s.lWidth = s.pWindow->GetWidth();
    const LONG screenHeight = s.pWindow->GetHeight();
    s.lHeight = StatusBarHeightFor(s.lWidth, screenHeight);
    if (s.lWidth <= 0 || s.lHeight <= 0)
        return;
    char* description = FormatText(TextId(idsStatusFont), "%lu", static_cast<DWORD>(std::max<LONG>(s.lHeight - 9, 1)));
    if (description) {
        s.hFont = FontFromSpec(description);
        ReleaseText(description);
    }
    s.aPixels.assign(static_cast<std::size_t>(s.lWidth) * s.lHeight, 0);
    s.hdcBar = gdi::CreateBufferDC(s.aPixels.data(), s.lWidth, s.lHeight, s.lWidth);
    s.hpenLine = CreatePen(PS_SOLID, 1, clrStatusLine);
    s.hpenShadow = CreatePen(PS_SOLID, 1, clrStatusLineShadow);
    s.Touched = CurrentView();
    s.pTop = MakeBar(0);
    if (g.lLives != -1 && !g.fTutorial)
        s.pBottom = MakeBar(screenHeight - s.lHeight);
}

void RefreshStatus()
{
    if (InGameOrEditor(g.lGameState)) {
        RebuildStatusBars();
    } else {
        RemoveStatusBars();
        // A notice keeps its bar on any screen until its time is up.
        if (S().szNotice[0] && S().pWindow) {
            RebuildStatusBars();
            delete S().pBottom;
            S().pBottom = nullptr;
            S().fNoticeBar = true;
        }
    }
}

void ShowStatusNotice(const char* pszText, DWORD dwMilliseconds)
{
    STATUSBARS& s = S();
    if (!pszText || !*pszText)
        return;
    std::strncpy(s.szNotice, pszText, sizeof s.szNotice - 1);
    s.szNotice[sizeof s.szNotice - 1] = '\0';
    s.dwNoticeEnd = GetTickCount() + dwMilliseconds;
    ++s.uNotice;
    if (!s.pTop)
        RefreshStatus();
}

const char* StatusNotice()
{
    return S().szNotice[0] ? S().szNotice : nullptr;
}

int StatusNoticeService(ANIMWINDOW*, int code)
{
    STATUSBARS& s = S();
    // Ticks wrap: the time is up once the difference is no longer negative.
    if (code == svcawBeginFrame && s.szNotice[0] && static_cast<std::int32_t>(GetTickCount() - s.dwNoticeEnd) >= 0) {
        s.szNotice[0] = '\0';
        ++s.uNotice;
        if (s.fNoticeBar) {
            s.fNoticeBar = false;
            RefreshStatus();
        }
    }
    return 1;
}

LONG StatusBarHeight()
{
    return S().pTop ? S().lHeight : 0;
}

LONG StatusBottomBarHeight()
{
    return S().pBottom ? S().lHeight : 0;
}
