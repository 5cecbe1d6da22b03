// The editor's panel and load dialog made of on-screen controls. The panel's
// face, edges and captions are one object of the animation window; the cube
// buttons, the speed and mines controls and the size arrows stand in front of
// it at the places the layout gives. The load dialog is a title label, the
// Load and Cancel buttons and a column of level and one of puzzle buttons.
// Every control sends its command to the editor's hook.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/graphic.h"
#include "editor/editor.h"
#include "editor/editorpanel.h"
#include "game/game.h"
#include "platform/ddraw/ddraw.h"
#include "screens/ac_button.h"
#include "screens/ac_control.h"
#include "screens/acpaint.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// In front of the 3D scene and the status bars' depth range, behind the
// message box (80 and 79); the controls in front of the panel they sit on.
constexpr unsigned short kPanelDepth = 91;
constexpr unsigned short kControlDepth = 90;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNoTransparency = 0xFFFFFFFF;

// Radio groups (bits 16 to 31 of a button's style): the cube kinds, and the
// load dialog's levels and puzzles.
constexpr DWORD kCubeGroup = 1u << 16;
constexpr DWORD kLevelGroup = 2u << 16;
constexpr DWORD kPuzzleGroup = 3u << 16;

// The load dialog's buttons: light blue text on deep blue faces, the chosen
// level and puzzle on a brighter face.
constexpr COLORREF kDialogFace = RGB(22, 28, 80);
constexpr COLORREF kDialogChosenFace = RGB(52, 64, 160);
constexpr COLORREF kDialogHighlight = RGB(112, 124, 220);
constexpr COLORREF kDialogShadow = RGB(8, 10, 36);
// The dialog stands on a dark plate framed in the buttons' edge colours,
// so that it reads as one piece over the empty scene.
constexpr COLORREF kDialogPlate = RGB(10, 13, 40);
constexpr unsigned short kDialogPlateDepth = 92;
constexpr LONG kDialogMargin = 18;

// The panel's controls in the system's button colours, every edge line
// drawn; the chosen cube kind on a lighter face.
constexpr COLORREF kChosenCubeFace = RGB(236, 236, 236);

void PanelColours(AC_CONTROL* c, bool fChosen = false)
{
    c->SetColor(acHighlight, GetSysColor(COLOR_BTNHIGHLIGHT));
    c->SetColor(acShadow, GetSysColor(COLOR_BTNSHADOW));
    c->SetColor(acHot, fChosen ? kChosenCubeFace : GetSysColor(COLOR_BTNFACE));
}

// A button or value control of the panel keeps the rectangle the panel gives
// it rather than growing to its content.
class PANELBUTTON final : public AC_BUTTON {
public:
    using AC_BUTTON::AC_BUTTON;
    void SizeToContent() override { m_fSizePending = FALSE; }
};

class PANELVALUE final : public AC_VALUE {
public:
    using AC_VALUE::AC_VALUE;
    void SizeToContent() override { m_fSizePending = FALSE; }
};

struct ARROW {
    LONG id;
    LONG idBitmap;
    RECT EDITORPANELLAYOUT::*rc;
};
constexpr ARROW kArrows[4] = {{idEditorNarrower, idbNarrower, &EDITORPANELLAYOUT::rcNarrower},
                              {idEditorWider, idbWider, &EDITORPANELLAYOUT::rcWider},
                              {idEditorShorter, idbShorter, &EDITORPANELLAYOUT::rcShorter},
                              {idEditorLonger, idbLonger, &EDITORPANELLAYOUT::rcLonger}};

struct PANEL {
    ANIMWINDOW* pWindow = nullptr;
    EDITORPANELLAYOUT layout{};
    HFONT hFont = nullptr;
    ANIMWINDOW* pFontWindow = nullptr;  // the window the font was sized for
    // The face with its captions, and what it shows.
    ANIMOBJECT* pObject = nullptr;
    bool fEnabled = true;
    std::string sCubes, sSpeed, sMines, sSize;
    char szSpeed[16] = "";
    char szMines[16] = "";
    // The controls and their pictures (the pictures outlive the buttons that
    // show them).
    PANELBUTTON* apCubes[5] = {};
    GRAPHIC* apgrCubes[5] = {};
    PANELVALUE* pSpeed = nullptr;
    PANELVALUE* pMines = nullptr;
    PANELBUTTON* apArrows[4] = {};
    GRAPHIC* apgrArrows[4] = {};
    GRAPHIC* apgrArrowsPressed[4] = {};
    // The load dialog.
    ANIMWINDOW* pDialogWindow = nullptr;
    ANIMOBJECT* pPlate = nullptr;
    HFONT hTitleFont = nullptr;
    AC_LABEL* pTitle = nullptr;
    PANELBUTTON* pLoad = nullptr;
    PANELBUTTON* pCancel = nullptr;
    std::vector<PANELBUTTON*> levels, puzzles;
    PANELBUTTON* pMoreLevels = nullptr;   // only while there are more than ten
    PANELBUTTON* pMorePuzzles = nullptr;
};
PANEL s_panel;

std::string Text(UINT id)
{
    char buffer[256];
    LoadText(id, buffer, sizeof buffer);
    return buffer;
}

std::string Formatted(UINT id, LONG value)
{
    char* text = FormatText(TextId(id), "%ld", static_cast<long>(value));
    std::string s = text ? text : "";
    ReleaseText(text);
    return s;
}

RECT Shifted(RECT rc, LONG dx, LONG dy) { return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy}; }

// The editor font (string 52) for a window's height: made once per window
// size, shared by the panel and the load dialog.
HFONT EditorFont(ANIMWINDOW* pWindow)
{
    PANEL& p = s_panel;
    if (p.hFont && p.pFontWindow == pWindow)
        return p.hFont;
    if (p.hFont)
        DeleteObject(p.hFont);
    p.hFont = nullptr;
    p.pFontWindow = pWindow;
    const LONG height = std::max<LONG>(1, pWindow->GetHeight() / 52);
    if (char* description = FormatText(TextId(idsEditorFont), "%lu", static_cast<unsigned long>(height))) {
        p.hFont = FontFromSpec(description);
        ReleaseText(description);
    }
    return p.hFont;
}

void DropFont()
{
    PANEL& p = s_panel;
    if (p.hFont)
        DeleteObject(p.hFont);
    p.hFont = nullptr;
    p.pFontWindow = nullptr;
}

// ---- the panel's face ---------------------------------------------------------

int PanelService(ANIMOBJECT*, svcAnimObject code, long lParam)
{
    const PANEL& p = s_panel;
    if (code != svcaoDraw)
        return 1;
    auto* r = reinterpret_cast<RENDEROBJECT*>(lParam);
    HDC dc = acpaint::BeginObjectDraw(r);
    if (!dc)
        return 0;
    const RECT& rc = r->object;
    const LONG dx = rc.left - p.layout.rcPanel.left, dy = rc.top - p.layout.rcPanel.top;
    acpaint::Fill(dc, rc, GetSysColor(COLOR_BTNFACE));
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    acpaint::VLine(dc, rc.left, rc.top, rc.bottom - 1, shadow);
    acpaint::VLine(dc, rc.right - 1, rc.top, rc.bottom - 1, shadow);
    // Under a message box the captions fade with the controls.
    const COLORREF ink = GetSysColor(p.fEnabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    const UINT centred = DT_CENTER | DT_SINGLELINE | DT_VCENTER;
    const EDITORPANELLAYOUT& l = p.layout;
    acpaint::Text(dc, p.hFont, p.sCubes.c_str(), Shifted(l.rcCubesCaption, dx, dy), centred, ink);
    acpaint::Text(dc, p.hFont, p.sSpeed.c_str(), Shifted(l.rcSpeedCaption, dx, dy), centred, ink);
    acpaint::Text(dc, p.hFont, p.szSpeed, Shifted(l.rcSpeedText, dx, dy), centred, ink);
    acpaint::Text(dc, p.hFont, p.sMines.c_str(), Shifted(l.rcMinesCaption, dx, dy), centred, ink);
    acpaint::Text(dc, p.hFont, p.szMines, Shifted(l.rcMinesText, dx, dy), centred, ink);
    acpaint::Text(dc, p.hFont, p.sSize.c_str(), Shifted(l.rcSizeCaption, dx, dy), centred, ink);
    acpaint::EndObjectDraw(r, dc);
    return 1;
}

void TouchPanel()
{
    if (s_panel.pObject)
        s_panel.pObject->Touch();
}

// ---- pictures ---------------------------------------------------------------------

// A texture bitmap shrunk to a square of side pixels, each pixel the mean of
// the source pixels it covers; null when the bitmap is missing.
GRAPHIC* ShrunkPicture(LONG idBitmap, LONG side)
{
    if (side <= 0)
        return nullptr;
    GRAPHIC source(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(idBitmap)), kNoTransparency);
    const LONG sw = source.GetWidth(), sh = source.GetHeight();
    if (source.fEmpty() || sw <= 0 || sh <= 0)
        return nullptr;
    auto* out = new GRAPHIC(side, side, 32, kNoTransparency);
    if (out->fEmpty()) {
        delete out;
        return nullptr;
    }
    for (LONG y = 0; y < side; ++y) {
        const LONG y0 = y * sh / side, y1 = std::max(y0 + 1, (y + 1) * sh / side);
        for (LONG x = 0; x < side; ++x) {
            const LONG x0 = x * sw / side, x1 = std::max(x0 + 1, (x + 1) * sw / side);
            unsigned long r = 0, g = 0, b = 0, n = 0;
            for (LONG sy = y0; sy < y1; ++sy)
                for (LONG sx = x0; sx < x1; ++sx) {
                    const COLORREF c = source.GetPixel(sx, sy);
                    r += GetRValue(c);
                    g += GetGValue(c);
                    b += GetBValue(c);
                    ++n;
                }
            out->SetPixel(x, y, RGB(r / n, g / n, b / n), 0);
        }
    }
    return out;
}

// An arrow bitmap with white as its transparent colour, and the same arrow
// one pixel lower and further right for the pressed button.
void ArrowPictures(LONG idBitmap, GRAPHIC** ppNormal, GRAPHIC** ppPressed)
{
    *ppNormal = *ppPressed = nullptr;
    auto* normal = new GRAPHIC(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(idBitmap)), kWhite);
    if (normal->fEmpty()) {
        delete normal;
        return;
    }
    const LONG w = normal->GetWidth(), h = normal->GetHeight();
    auto* pressed = new GRAPHIC(w, h, 32, kWhite);
    HDC dc = pressed->fEmpty() ? nullptr : pressed->GetDIBDC();
    if (!dc) {
        delete pressed;
        *ppNormal = normal;
        *ppPressed = normal;
        return;
    }
    acpaint::Fill(dc, RECT{0, 0, w, h}, kWhite);
    pressed->ReleaseDC(dc, 1);
    normal->DrawToDIB(pressed, 1, 1, w - 1, h - 1, 0, 0);
    *ppNormal = normal;
    *ppPressed = pressed;
}

// ---- the load dialog ----------------------------------------------------------------

// The title in the editor's face at twice the editor font's height.
HFONT TitleFont(ANIMWINDOW* pWindow)
{
    PANEL& p = s_panel;
    if (!p.hTitleFont) {
        const LONG height = std::max<LONG>(1, pWindow->GetHeight() / 26);
        if (char* description = FormatText(TextId(idsEditorFont), "%lu", static_cast<unsigned long>(height))) {
            p.hTitleFont = FontFromSpec(description);
            ReleaseText(description);
        }
    }
    return p.hTitleFont ? p.hTitleFont : EditorFont(pWindow);
}

int PlateService(ANIMOBJECT*, svcAnimObject code, long lParam)
{
    if (code != svcaoDraw)
        return 1;
    auto* r = reinterpret_cast<RENDEROBJECT*>(lParam);
    HDC dc = acpaint::BeginObjectDraw(r);
    if (!dc)
        return 0;
    const RECT& rc = r->object;
    acpaint::Fill(dc, rc, kDialogPlate);
    acpaint::Frame(dc, rc, kDialogHighlight);
    acpaint::Frame(dc, RECT{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1}, kDialogShadow);
    acpaint::EndObjectDraw(r, dc);
    return 1;
}

void DialogColours(AC_BUTTON* b, bool fChosen)
{
    b->SetColor(acText, kLoadButtonColour);
    b->SetColor(acHot, fChosen ? kDialogChosenFace : kDialogFace);
    b->SetColor(acHighlight, kDialogHighlight);
    b->SetColor(acShadow, kDialogShadow);
}

PANELBUTTON* DialogButton(ANIMWINDOW* w, LONG id, DWORD style, const std::string& label)
{
    auto* b = new PANELBUTTON(w, id, bsPush | bsCentred | style, kControlDepth);
    b->SetCommandTarget(&EditorHook);
    b->SetFont(EditorFont(w));
    b->SetText(label.c_str());
    b->Enable(s_panel.fEnabled);
    DialogColours(b, false);
    return b;
}

LONG TextWidth(HFONT font, const std::string& text) { return acpaint::TextExtent(font, text.c_str()).cx; }

// The buttons' height: a line of the editor font with the push button's
// frame around it.
LONG DialogButtonHeight(HFONT font) { return std::max<LONG>(acpaint::TextExtent(font, "Xg").cy, 1) + 7; }

// A column of count buttons (ids from idFirst, labels from string idLabel
// numbered from first) at x from yFirst downwards, all as wide as the widest
// label; the chosen one pressed. Buttons are kept where they are and only
// added or removed (and relabelled for another page), so that a button
// choosing a level outlives its own click. Returns the column's bottom.
LONG Column(std::vector<PANELBUTTON*>& column, LONG count, LONG first, LONG idFirst, UINT idLabel, DWORD group,
            LONG x, LONG yFirst, LONG h, LONG gap, LONG chosen)
{
    ANIMWINDOW* w = s_panel.pDialogWindow;
    count = std::clamp<LONG>(count, 0, kLoadButtons);
    while (static_cast<LONG>(column.size()) > count) {
        DestroyControl(column.back());
        column.pop_back();
    }
    while (static_cast<LONG>(column.size()) < count) {
        const LONG n = static_cast<LONG>(column.size());
        column.push_back(DialogButton(w, idFirst + n, bsRadio | group, Formatted(idLabel, first + n)));
    }
    LONG width = 0;
    for (LONG i = 0; i < count; ++i) {
        PANELBUTTON* b = column[static_cast<std::size_t>(i)];
        const std::string label = Formatted(idLabel, first + i);
        if (label != b->Text())
            b->SetText(label.c_str());
        width = std::max<LONG>(width, TextWidth(b->GetFont(), b->Text()) + 7);
    }
    for (LONG i = 0; i < count; ++i) {
        PANELBUTTON* b = column[static_cast<std::size_t>(i)];
        const LONG top = yFirst + i * (h + gap);
        const RECT rc{x, top, x + width, top + h};
        b->SetRect(&rc);
        b->SetChecked(first + i == chosen);
        DialogColours(b, first + i == chosen);
    }
    return yFirst + count * (h + gap);
}

// The "More" button under a column while there is more than one page of it;
// gone otherwise.
void MoreButton(PANELBUTTON*& button, bool wanted, LONG id, UINT idLabel, LONG x, LONG top, LONG h)
{
    if (!wanted) {
        DestroyControl(button);
        button = nullptr;
        return;
    }
    if (!button)
        button = DialogButton(s_panel.pDialogWindow, id, 0, Text(idLabel));
    const RECT rc{x, top, x + TextWidth(button->GetFont(), button->Text()) + 7, top + h};
    button->SetRect(&rc);
}

void RemoveDialog()
{
    PANEL& p = s_panel;
    for (PANELBUTTON* b : p.levels)
        DestroyControl(b);
    for (PANELBUTTON* b : p.puzzles)
        DestroyControl(b);
    p.levels.clear();
    p.puzzles.clear();
    DestroyControl(p.pMoreLevels);
    DestroyControl(p.pMorePuzzles);
    p.pMoreLevels = p.pMorePuzzles = nullptr;
    DestroyControl(p.pLoad);
    DestroyControl(p.pCancel);
    DestroyControl(p.pTitle);
    p.pLoad = p.pCancel = nullptr;
    p.pTitle = nullptr;
    delete p.pPlate;
    p.pPlate = nullptr;
    if (p.hTitleFont)
        DeleteObject(p.hTitleFont);
    p.hTitleFont = nullptr;
    p.pDialogWindow = nullptr;
    if (!p.pWindow)
        DropFont();
}

void ShowDialog(ANIMWINDOW* w, const LOADDIALOGVIEW& view)
{
    PANEL& p = s_panel;
    if (p.pDialogWindow != w)
        RemoveDialog();
    if (!w)
        return;
    p.pDialogWindow = w;
    HFONT font = EditorFont(w);
    if (!p.pTitle) {
        p.pPlate = new ANIMOBJECT(w, kDialogPlateDepth, &PlateService, 0);
        p.pTitle = CreateLabel(w, kControlDepth);
        p.pTitle->SetFont(TitleFont(w));
        p.pTitle->SetColor(acFace, kclrNone);
        p.pTitle->SetColor(acText, kLoadTitleColour);
        p.pTitle->SetText(Text(idsLoadTitle).c_str());
        p.pLoad = DialogButton(w, idLoadPuzzle, 0, Text(idsLoadButton));
        p.pCancel = DialogButton(w, idLoadCancel, 0, Text(idsLoadCancel));
    }
    const LONG h = DialogButtonHeight(font);
    // A "More" button takes a row under its column.
    const LONG rows = std::max(view.cLevels + (view.fMoreLevels ? 1 : 0), view.cPuzzles + (view.fMorePuzzles ? 1 : 0));
    const LOADDIALOGLAYOUT d = LoadDialogLayout(w->GetWidth(), w->GetHeight(), rows, h);
    p.pTitle->SetPosition(d.ptTitle.x, d.ptTitle.y);
    const RECT load{d.ptLoad.x, d.ptLoad.y, d.ptLoad.x + TextWidth(font, p.pLoad->Text()) + 7, d.ptLoad.y + h};
    p.pLoad->SetRect(&load);
    const LONG cancelLeft = load.right + 10;
    const RECT cancel{cancelLeft, load.top, cancelLeft + TextWidth(font, p.pCancel->Text()) + 7, load.bottom};
    p.pCancel->SetRect(&cancel);
    const LONG levelsBottom = Column(p.levels, view.cLevels, view.lFirstLevel, idLoadLevelFirst, idsLoadLevel,
                                     kLevelGroup, d.xLevels, d.yFirst, h, d.lGap, view.lLevel);
    const LONG puzzlesBottom = Column(p.puzzles, view.cPuzzles, view.lFirstPuzzle, idLoadPuzzleFirst, idsLoadPuzzle,
                                      kPuzzleGroup, d.xPuzzles, d.yFirst, h, d.lGap, view.lPuzzle);
    MoreButton(p.pMoreLevels, view.fMoreLevels, idLoadMoreLevels, idsLoadMoreLevels, d.xLevels, levelsBottom, h);
    MoreButton(p.pMorePuzzles, view.fMorePuzzles, idLoadMorePuzzles, idsLoadMorePuzzles, d.xPuzzles, puzzlesBottom,
               h);

    // The plate reaches a margin beyond the title and every button.
    const SIZE title = acpaint::TextExtent(p.pTitle->GetFont(), p.pTitle->Text());
    RECT area{d.ptTitle.x, d.ptTitle.y, d.ptTitle.x + title.cx, d.ptTitle.y + title.cy};
    auto cover = [&area](const RECT& r) {
        area = RECT{std::min(area.left, r.left), std::min(area.top, r.top), std::max(area.right, r.right),
                    std::max(area.bottom, r.bottom)};
    };
    cover(load);
    cover(cancel);
    for (const std::vector<PANELBUTTON*>* column : {&p.levels, &p.puzzles})
        for (PANELBUTTON* b : *column) {
            RECT r{};
            b->GetRect(&r);
            cover(r);
        }
    for (PANELBUTTON* b : {p.pMoreLevels, p.pMorePuzzles})
        if (b) {
            RECT r{};
            b->GetRect(&r);
            cover(r);
        }
    RECT plate{area.left - kDialogMargin, area.top - kDialogMargin, area.right + kDialogMargin,
               area.bottom + kDialogMargin};
    if (p.pPlate)
        p.pPlate->SetRect(&plate);
}

// ---- the panel's operations -------------------------------------------------------

void Destroy()
{
    PANEL& p = s_panel;
    RemoveDialog();
    for (PANELBUTTON*& b : p.apCubes) {
        DestroyControl(b);
        b = nullptr;
    }
    for (PANELBUTTON*& b : p.apArrows) {
        DestroyControl(b);
        b = nullptr;
    }
    DestroyControl(p.pSpeed);
    DestroyControl(p.pMines);
    for (GRAPHIC*& picture : p.apgrCubes) {
        delete picture;
        picture = nullptr;
    }
    for (int i = 0; i < 4; ++i) {
        if (p.apgrArrowsPressed[i] != p.apgrArrows[i])
            delete p.apgrArrowsPressed[i];
        delete p.apgrArrows[i];
    }
    delete p.pObject;
    DropFont();
    p = PANEL{};
}

void Enable(bool fEnable);

void SetValues(LONG lSpeed, LONG lMines)
{
    PANEL& p = s_panel;
    if (p.pSpeed && p.pSpeed->GetValue() != lSpeed)
        p.pSpeed->SetValue(lSpeed);
    if (p.pMines && p.pMines->GetValue() != lMines)
        p.pMines->SetValue(lMines);
    FormatSpeedText(lSpeed, p.szSpeed, sizeof p.szSpeed);
    FormatMinesText(lMines, p.szMines, sizeof p.szMines);
    TouchPanel();
}

void SelectKind(LONG lKind)
{
    for (LONG kind = 1; kind <= 5; ++kind)
        if (PANELBUTTON* b = s_panel.apCubes[kind - 1]) {
            b->SetChecked(kind == lKind);
            PanelColours(b, kind == lKind);
        }
}

PANELVALUE* NewValueControl(ANIMWINDOW* w, LONG id, const RECT& rc, LONG minimum, LONG maximum, LONG ticks)
{
    auto* v = new PANELVALUE(w, id, vsTicks, kControlDepth);
    v->SetRange(minimum, maximum);
    v->SetTicks(ticks);
    v->SetRect(&rc);
    v->SetCommandTarget(&EditorHook);
    PanelColours(v);
    return v;
}

void Create(ANIMWINDOW* w, LONG lKind, LONG lSpeed, LONG lMines)
{
    Destroy();
    if (!w)
        return;
    PANEL& p = s_panel;
    p.pWindow = w;
    p.layout = EditorPanelLayout(w->GetWidth(), w->GetHeight());
    EditorFont(w);
    p.sCubes = Text(idsCubesCaption);
    p.sSpeed = Text(idsSpeedCaption);
    p.sMines = Text(idsMinesCaption);
    p.sSize = Text(idsSizeCaption);

    p.pObject = new ANIMOBJECT(w, kPanelDepth, &PanelService, 0);
    RECT rc = p.layout.rcPanel;
    p.pObject->SetRect(&rc);

    // The cube kinds: each a push button showing its texture inside the
    // frame, one of them pressed in.
    for (LONG kind = 1; kind <= 5; ++kind) {
        const RECT& r = p.layout.aRcCubes[kind - 1];
        auto* b = new PANELBUTTON(w, kind, bsPush | bsRadio | kCubeGroup, kControlDepth);
        p.apgrCubes[kind - 1] = ShrunkPicture(CubeButtonBitmap(kind), r.right - r.left - 7);
        b->SetImages(p.apgrCubes[kind - 1], nullptr);
        b->SetRect(&r);
        b->SetCommandTarget(&EditorHook);
        p.apCubes[kind - 1] = b;
    }
    SelectKind(lKind);

    // Five ticks each: the narrow track has no room for more (speed in
    // steps of 50 from -100, so 0 has a tick of its own).
    p.pSpeed = NewValueControl(w, idEditorSpeed, p.layout.rcSpeed, kEditorMinSpeed, kEditorMaxSpeed, 5);
    p.pMines = NewValueControl(w, idEditorMines, p.layout.rcMines, kEditorMinMines, kEditorMaxMines, 5);

    for (int i = 0; i < 4; ++i) {
        ArrowPictures(kArrows[i].idBitmap, &p.apgrArrows[i], &p.apgrArrowsPressed[i]);
        auto* b = new PANELBUTTON(w, kArrows[i].id, bsPush, kControlDepth);
        if (p.apgrArrows[i])
            b->SetImages(p.apgrArrows[i], p.apgrArrowsPressed[i]);
        b->SetRect(&(p.layout.*kArrows[i].rc));
        b->SetCommandTarget(&EditorHook);
        p.apArrows[i] = b;
    }
    SetValues(lSpeed, lMines);
    // Built again while a message box is up (a new video mode): at rest too.
    if (g.Editor.fControlsDisabled)
        Enable(false);
}

// The value a value control shows; without the control, the edited
// puzzle's value stands.
LONG GetValue(LONG id)
{
    const PANEL& p = s_panel;
    if (id == idEditorSpeed)
        return p.pSpeed ? p.pSpeed->GetValue() : g.Editor.Puzzle.lSpeed;
    if (id == idEditorMines)
        return p.pMines ? p.pMines->GetValue() : g.Editor.Puzzle.lMines;
    return 0;
}

void Enable(bool fEnable)
{
    PANEL& p = s_panel;
    p.fEnabled = fEnable;
    for (AC_CONTROL* c : {static_cast<AC_CONTROL*>(p.pSpeed), static_cast<AC_CONTROL*>(p.pMines),
                          static_cast<AC_CONTROL*>(p.pLoad), static_cast<AC_CONTROL*>(p.pCancel)})
        if (c)
            c->Enable(fEnable);
    for (PANELBUTTON* b : p.apCubes)
        if (b)
            b->Enable(fEnable);
    for (PANELBUTTON* b : p.apArrows)
        if (b)
            b->Enable(fEnable);
    for (PANELBUTTON* b : p.levels)
        b->Enable(fEnable);
    for (PANELBUTTON* b : p.puzzles)
        b->Enable(fEnable);
    TouchPanel();
}

}  // namespace

EDITORPANELOPS ControlEditorPanelOps()
{
    return EDITORPANELOPS{&Create, &Destroy, &SetValues, &SelectKind, &GetValue, &Enable, &ShowDialog, &RemoveDialog};
}
