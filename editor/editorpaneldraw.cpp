// The editor's own drawing of its panel and load dialog: each a picture
// drawn once into a graphic whenever what it shows changes, shown by one
// object of the animation window; presses are mapped onto the controls by
// their places in the layout.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/graphic.h"
#include "editor/editor.h"
#include "editor/editorpanel.h"
#include "platform/gdi/gdi.h"
#include "render/scene.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Under the message box (80) and over the status bars.
constexpr unsigned short kPanelDepth = 90;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLoadBackground = RGB(0, 0, 48);

struct DRAWNPANEL {
    ANIMWINDOW* pWindow;
    EDITORPANELLAYOUT layout;
    ANIMOBJECT* pObject;
    GRAPHIC* pCanvas;
    GRAPHIC* aArrows[4];  // 116 to 119
    HFONT hFont;
    LONG lKind, lSpeed, lMines;
    bool fEnabled;
    // The load dialog.
    ANIMOBJECT* pDialog;
    GRAPHIC* pDialogCanvas;
    RECT rcDialog;
    LOADDIALOGVIEW view;
};
DRAWNPANEL s_panel{};

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

RECT Offset(RECT rc, LONG dx, LONG dy) { return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy}; }

void Fill(HDC dc, const RECT& rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, const RECT& rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Centred(HDC dc, const std::string& text, RECT rc)
{
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// A groove across the control with the thumb at the value.
void DrawValue(HDC dc, const RECT& rc, LONG value, LONG minimum, LONG maximum)
{
    const LONG start = rc.left + 3, length = std::max<LONG>(1, rc.right - rc.left - 6);
    const LONG middle = (rc.top + rc.bottom) / 2;
    const RECT groove{start, middle - 2, start + length, middle + 2};
    Fill(dc, groove, GetSysColor(COLOR_BTNSHADOW));
    const LONG at = start + (std::clamp(value, minimum, maximum) - minimum) * length / (maximum - minimum) - 3;
    const RECT thumb{at, rc.top + 2, at + 7, rc.bottom - 2};
    Fill(dc, thumb, GetSysColor(COLOR_BTNFACE));
    Frame(dc, thumb, GetSysColor(COLOR_BTNTEXT));
}

void DrawPanel()
{
    DRAWNPANEL& p = s_panel;
    if (!p.pCanvas)
        return;
    HDC dc = p.pCanvas->GetDIBDC();
    if (!dc)
        return;
    const EDITORPANELLAYOUT& l = p.layout;
    const LONG dx = -l.rcPanel.left, dy = -l.rcPanel.top;
    const RECT all = Offset(l.rcPanel, dx, dy);
    Fill(dc, all, GetSysColor(COLOR_BTNFACE));
    Fill(dc, RECT{all.left, all.top, all.left + 1, all.bottom}, GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, RECT{all.right - 1, all.top, all.right, all.bottom}, GetSysColor(COLOR_BTNSHADOW));

    HGDIOBJ oldFont = p.hFont ? SelectObject(dc, p.hFont) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(p.fEnabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
    Centred(dc, Text(idsCubesCaption), Offset(l.rcCubesCaption, dx, dy));
    Centred(dc, Text(idsSpeedCaption), Offset(l.rcSpeedCaption, dx, dy));
    char value[32];
    FormatSpeedText(p.lSpeed, value, sizeof value);
    Centred(dc, value, Offset(l.rcSpeedText, dx, dy));
    Centred(dc, Text(idsMinesCaption), Offset(l.rcMinesCaption, dx, dy));
    FormatMinesText(p.lMines, value, sizeof value);
    Centred(dc, value, Offset(l.rcMinesText, dx, dy));
    Centred(dc, Text(idsSizeCaption), Offset(l.rcSizeCaption, dx, dy));
    if (oldFont)
        SelectObject(dc, oldFont);

    // The cube buttons in the colours of their kinds, the chosen one framed.
    for (LONG kind = 1; kind <= 5; ++kind) {
        const RECT rc = Offset(l.aRcCubes[kind - 1], dx, dy);
        Fill(dc, rc, RepresentativeColour(TextureForKind(kind)));
        if (kind == p.lKind) {
            Frame(dc, RECT{rc.left - 2, rc.top - 2, rc.right + 2, rc.bottom + 2}, GetSysColor(COLOR_BTNTEXT));
            Frame(dc, RECT{rc.left - 1, rc.top - 1, rc.right + 1, rc.bottom + 1}, kWhite);
        }
    }
    DrawValue(dc, Offset(l.rcSpeed, dx, dy), p.lSpeed, -100, 100);
    DrawValue(dc, Offset(l.rcMines, dx, dy), p.lMines, 1, 20);
    p.pCanvas->ReleaseDC(dc, 1);

    const RECT* arrows[4] = {&l.rcNarrower, &l.rcWider, &l.rcShorter, &l.rcLonger};
    for (int i = 0; i < 4; ++i)
        if (GRAPHIC* a = p.aArrows[i]) {
            const RECT rc = Offset(*arrows[i], dx, dy);
            a->DrawToDIB(p.pCanvas, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0);
        }
    if (p.pObject)
        p.pObject->SetGraphic(p.pCanvas, 1);
}

void RemoveDialog()
{
    DRAWNPANEL& p = s_panel;
    delete p.pDialog;
    p.pDialog = nullptr;
    delete p.pDialogCanvas;
    p.pDialogCanvas = nullptr;
}

// The dialog's buttons: the two commands, a column of levels and one of the
// chosen level's puzzles, all of one size.
struct DIALOGBUTTON {
    LONG id;
    RECT rc;  // window pixels
};
std::vector<DIALOGBUTTON> DialogButtons(const LOADDIALOGVIEW& v, LONG width, LONG height)
{
    const LONG w = width / 6 - 10, h = std::max<LONG>(12, s_panel.layout.lFontHeight + 8);
    const LOADDIALOGLAYOUT d = LoadDialogLayout(width, height, std::max(v.cLevels, v.cPuzzles), h);
    std::vector<DIALOGBUTTON> out;
    out.push_back({idLoadPuzzle, RECT{d.ptLoad.x, d.ptLoad.y, d.ptLoad.x + w, d.ptLoad.y + h}});
    const LONG cancel = d.ptLoad.x + w + 10;
    out.push_back({idLoadCancel, RECT{cancel, d.ptLoad.y, cancel + w, d.ptLoad.y + h}});
    for (LONG i = 0; i < v.cLevels; ++i) {
        const LONG top = d.yFirst + i * (h + d.lGap);
        out.push_back({idLoadLevelFirst + i, RECT{d.xLevels, top, d.xLevels + w, top + h}});
    }
    for (LONG i = 0; i < v.cPuzzles; ++i) {
        const LONG top = d.yFirst + i * (h + d.lGap);
        out.push_back({idLoadPuzzleFirst + i, RECT{d.xPuzzles, top, d.xPuzzles + w, top + h}});
    }
    return out;
}

void ShowDialog(ANIMWINDOW* pWindow, const LOADDIALOGVIEW& view)
{
    DRAWNPANEL& p = s_panel;
    RemoveDialog();
    if (!pWindow)
        return;
    p.view = view;
    const LONG W = pWindow->GetWidth(), H = pWindow->GetHeight();
    const std::vector<DIALOGBUTTON> buttons = DialogButtons(view, W, H);
    const LOADDIALOGLAYOUT d = LoadDialogLayout(W, H);  // the title's place
    // One picture from the title down to the last button.
    RECT area{d.ptTitle.x, d.ptTitle.y, d.ptTitle.x + 1, d.ptTitle.y + 1};
    for (const DIALOGBUTTON& b : buttons)
        area = animrect::Union(area, b.rc);
    area.right += 4;
    area.bottom += 4;
    p.rcDialog = area;
    p.pDialogCanvas = new GRAPHIC(area.right - area.left, area.bottom - area.top, 32, 0xFFFFFFFF);
    HDC dc = p.pDialogCanvas->GetDIBDC();
    if (!dc) {
        RemoveDialog();
        return;
    }
    Fill(dc, Offset(area, -area.left, -area.top), kLoadBackground);
    HGDIOBJ oldFont = p.hFont ? SelectObject(dc, p.hFont) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLoadTitleColour);
    const std::string title = Text(idsLoadTitle);
    TextOutA(dc, d.ptTitle.x - area.left, d.ptTitle.y - area.top, title.c_str(), static_cast<int>(title.size()));
    SetTextColor(dc, kLoadButtonColour);
    for (const DIALOGBUTTON& b : buttons) {
        std::string label;
        bool pressed = false;
        if (b.id == idLoadPuzzle) {
            label = Text(idsLoadButton);
        } else if (b.id == idLoadCancel) {
            label = Text(idsLoadCancel);
        } else if (b.id < idLoadPuzzleFirst) {
            label = Formatted(idsLoadLevel, b.id - idLoadLevelFirst + 1);
            pressed = b.id - idLoadLevelFirst + 1 == view.lLevel;
        } else {
            label = Formatted(idsLoadPuzzle, b.id - idLoadPuzzleFirst + 1);
            pressed = b.id - idLoadPuzzleFirst + 1 == view.lPuzzle;
        }
        const RECT rc = Offset(b.rc, -area.left, -area.top);
        if (pressed)
            Fill(dc, rc, RGB(40, 40, 120));
        Frame(dc, rc, kLoadButtonColour);
        Centred(dc, label, rc);
    }
    if (oldFont)
        SelectObject(dc, oldFont);
    p.pDialogCanvas->ReleaseDC(dc, 1);
    p.pDialog = new ANIMOBJECT(pWindow, kPanelDepth, p.pDialogCanvas, 0);
    p.pDialog->SetPosition(area.left, area.top);
}

void Destroy()
{
    DRAWNPANEL& p = s_panel;
    RemoveDialog();
    delete p.pObject;
    delete p.pCanvas;
    for (GRAPHIC*& a : p.aArrows) {
        delete a;
        a = nullptr;
    }
    if (p.hFont)
        DeleteObject(p.hFont);
    p = DRAWNPANEL{};
}

void Create(ANIMWINDOW* pWindow, LONG lKind, LONG lSpeed, LONG lMines)
{
    Destroy();
    if (!pWindow)
        return;
    DRAWNPANEL& p = s_panel;
    p.pWindow = pWindow;
    p.lKind = lKind;
    p.lSpeed = lSpeed;
    p.lMines = lMines;
    p.fEnabled = true;
    p.layout = EditorPanelLayout(pWindow->GetWidth(), pWindow->GetHeight());
    char* description = FormatText(TextId(idsEditorFont), "%lu", static_cast<unsigned long>(p.layout.lFontHeight));
    if (description) {
        p.hFont = FontFromSpec(description);
        ReleaseText(description);
    }
    const LONG ids[4] = {idbNarrower, idbWider, idbShorter, idbLonger};
    for (int i = 0; i < 4; ++i) {
        p.aArrows[i] = new GRAPHIC(nullptr, MAKEINTRESOURCEA(ids[i]), kWhite);
        if (p.aArrows[i]->GetWidth() <= 0) {
            delete p.aArrows[i];
            p.aArrows[i] = nullptr;
        }
    }
    const RECT& rc = p.layout.rcPanel;
    p.pCanvas = new GRAPHIC(rc.right - rc.left, rc.bottom - rc.top, 32, 0xFFFFFFFF);
    p.pObject = new ANIMOBJECT(pWindow, kPanelDepth, p.pCanvas, 0);
    p.pObject->SetPosition(rc.left, rc.top);
    DrawPanel();
}

void SetValues(LONG lSpeed, LONG lMines)
{
    s_panel.lSpeed = lSpeed;
    s_panel.lMines = lMines;
    DrawPanel();
}

void SelectKind(LONG lKind)
{
    s_panel.lKind = lKind;
    DrawPanel();
}

void Enable(bool fEnable)
{
    s_panel.fEnabled = fEnable;
    DrawPanel();
}

// The load dialog's button at a point, 0 for none.
LONG DialogHit(LONG x, LONG y)
{
    DRAWNPANEL& p = s_panel;
    if (!p.pDialog || !p.pWindow)
        return 0;
    for (const DIALOGBUTTON& b : DialogButtons(p.view, p.pWindow->GetWidth(), p.pWindow->GetHeight()))
        if (x >= b.rc.left && x < b.rc.right && y >= b.rc.top && y < b.rc.bottom)
            return b.id;
    return 0;
}

void Click(LONG x, LONG y)
{
    DRAWNPANEL& p = s_panel;
    if (!p.fEnabled)
        return;
    if (p.pDialog) {
        if (const LONG id = DialogHit(x, y))
            EditorCommand(id);
        return;
    }
    if (!p.pObject)
        return;
    LONG value = 0;
    const LONG id = EditorPanelHit(p.layout, x, y, &value);
    if (id == idEditorSpeed)
        SetEditorSpeed(value);
    else if (id == idEditorMines)
        SetEditorMines(value);
    else if (id != 0)
        EditorCommand(id);
}

}  // namespace

EDITORPANELOPS DrawnEditorPanelOps()
{
    return EDITORPANELOPS{&Create, &Destroy, &SetValues, &SelectKind, nullptr, &Enable, &ShowDialog, &RemoveDialog,
                          &Click};
}
