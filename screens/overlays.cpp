#include "screens/overlays.h"

#include "anim/animwin.h"
#include "anim/display.h"
#include "editor/tutorial.h"
#include "game/flow.h"
#include "game/game.h"
#include "game/hint.h"
#include "screens/ac_button.h"
#include "screens/ac_control.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <string_view>

namespace {

// The fonts of the overlays, made for the window's height when first
// needed and kept until the height or the language changes.
enum : int {
    fontHintTitle, // the hint's title and "Game Over": string 119, height / 20
    fontHintText,  // the hint's text: string 119, height / 30
    fontTutorial,  // the tutorial's lines: string 76, height / 30
    fontSkip,      // the " Skip Tutorial " button: string 76, height / 50
    fontCount
};

struct OVERLAYSTATE {
    OVERLAYS Shown{};
    HFONT ahFonts[fontCount] = {};
    // The string ids the hint panel was made with.
    LONG lHintTitleId = 0, lHintTextId = 0;
};

OVERLAYSTATE s;

LONG Width()
{
    return s.Shown.pWindow ? static_cast<LONG>(std::max(0L, s.Shown.pWindow->GetWidth())) : 0;
}

LONG Height()
{
    return s.Shown.pWindow ? static_cast<LONG>(std::max(0L, s.Shown.pWindow->GetHeight())) : 0;
}

HFONT Font(int which)
{
    if (s.ahFonts[which])
        return s.ahFonts[which];
    const bool hint = which == fontHintTitle || which == fontHintText;
    const LONG divisor = which == fontHintTitle ? 20 : which == fontSkip ? 50 : 30;
    const auto size = static_cast<DWORD>(std::max<LONG>(1, Height() / divisor));
    char* description = FormatText(TextId(hint ? idsHintPanelFont : idsTutorialFont), "%lu", size);
    if (description) {
        s.ahFonts[which] = FontFromSpec(description);
        ReleaseText(description);
    }
    return s.ahFonts[which];
}

void DropFonts()
{
    for (HFONT& font : s.ahFonts) {
        if (font)
            DeleteObject(font);
        font = nullptr;
    }
}

template <typename T> void Destroy(T*& control)
{
    if (control) {
        T* c = control;
        control = nullptr;
        DestroyControl(c);
    }
}

// A line of text over the scene: no background, sized to its text.
AC_LABEL* MakeLabel(int font, COLORREF colour, const char* text)
{
    AC_LABEL* label = CreateLabel(s.Shown.pWindow, kOverlayDepth);
    label->SetStyle(lsCentre);
    label->SetColor(acFace, kclrNone);
    label->SetColor(acText, colour);
    label->SetFont(Font(font));
    label->SetText(text);
    label->SizeToContent();
    return label;
}

AC_LABEL* MakeLabel(int font, COLORREF colour, UINT id)
{
    char text[256];
    LoadText(id, text, sizeof text);
    return MakeLabel(font, colour, text);
}

LONG WidthOf(AC_CONTROL* control)
{
    LONG w = 0, h = 0;
    control->GetSize(&w, &h);
    return w;
}

// Sets the text when it differs and sizes the label to it at once, so that
// it can be placed in the same frame.
void SetLabelText(AC_LABEL* label, const char* text)
{
    if (std::string_view(label->Text()) != text)
        label->SetText(text);
    if (label->fSizePending())
        label->SizeToContent();
}

// ---- the hint panel --------------------------------------------------------------------

void RemoveHintPanel()
{
    Destroy(s.Shown.pHintTitle);
    Destroy(s.Shown.pHintText);
    s.lHintTitleId = s.lHintTextId = 0;
}

void MakeHintPanel()
{
    const LONG width = Width(), height = Height();
    s.lHintTitleId = g.Hint.lTitleId;
    s.lHintTextId = g.Hint.lTextId;
    s.Shown.pHintTitle = MakeLabel(fontHintTitle, clrHintTitle, static_cast<UINT>(g.Hint.lTitleId));
    s.Shown.pHintTitle->SetPosition((width - WidthOf(s.Shown.pHintTitle)) / 2, height / 8);
    s.Shown.pHintText = MakeLabel(fontHintText, clrHintText, static_cast<UINT>(g.Hint.lTextId));
    s.Shown.pHintText->SetPosition((width - WidthOf(s.Shown.pHintText)) / 2, height / 5);
}

// The panel is shown exactly while g.Hint says so, with the ids it names.
void SyncHintPanel()
{
    const bool wanted = s.Shown.pWindow && g.Hint.fShown;
    if (s.Shown.pHintTitle &&
        (!wanted || s.lHintTitleId != g.Hint.lTitleId || s.lHintTextId != g.Hint.lTextId))
        RemoveHintPanel();
    if (wanted && !s.Shown.pHintTitle)
        MakeHintPanel();
}

// ---- "Game Over" ----------------------------------------------------------------------------

// In the middle of the screen: well below the hint panel's two lines (which
// end above a quarter of the height), so that a failure hint still shown
// stays readable.
void SyncGameOver()
{
    const bool wanted = s.Shown.pWindow && g.lGameState == gsGameOver;
    if (!wanted) {
        Destroy(s.Shown.pGameOver);
        return;
    }
    if (s.Shown.pGameOver)
        return;
    AC_LABEL* label = MakeLabel(fontHintTitle, clrHintTitle, idsGameOver);
    LONG w = 0, h = 0;
    label->GetSize(&w, &h);
    label->SetPosition((Width() - w) / 2, (Height() - h) / 2);
    s.Shown.pGameOver = label;
}

// ---- the tutorial display ----------------------------------------------------------------

// The button's command goes to the main window, which starts the real game.
LRESULT SkipCommand(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg != WM_COMMAND || LOWORD(wParam) != kSkipTutorialCommand)
        return 0;
    HWND main = Display ? Display->GetMainWindow() : nullptr;
    if (main)
        PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(kSkipTutorialCommand), 0);
    return 0;
}

void RemoveTutorialDisplay()
{
    Destroy(s.Shown.pTutorialUpper);
    Destroy(s.Shown.pTutorialLower);
    Destroy(s.Shown.pSkip);
}

// The lines take the texts of g.Tutorial. The lower line stands 15 pixels
// above the bottom, the upper one 10 pixels above it; the button is 10
// pixels from the right edge, centred on the two lines. A line is centred
// on the screen unless that would run it into the button: then it ends 10
// pixels before the button.
void PlaceTutorialDisplay()
{
    OVERLAYS& o = s.Shown;
    if (!o.pTutorialUpper || !o.pTutorialLower || !o.pSkip)
        return;
    const LONG width = Width(), height = Height(), line = o.lTutorialLineHeight;
    const LONG lowerTop = height - 15 - line;
    const LONG upperTop = lowerTop - 10 - line;
    LONG bw = 0, bh = 0;
    o.pSkip->GetSize(&bw, &bh);
    const LONG buttonLeft = width - 10 - bw;
    o.pSkip->SetPosition(buttonLeft, upperTop + (lowerTop + line - upperTop - bh) / 2);
    const auto place = [&](AC_LABEL* label, const char* text, LONG top) {
        SetLabelText(label, text);
        const LONG w = WidthOf(label);
        const LONG left = std::max<LONG>(0, std::min<LONG>((width - w) / 2, buttonLeft - 10 - w));
        label->SetPosition(left, top);
    };
    place(o.pTutorialUpper, g.Tutorial.szUpper, upperTop);
    place(o.pTutorialLower, g.Tutorial.szLower, lowerTop);
}

// The lines and the button are on screen while the display is on, except
// under the pause menu, whose lower entries stand where the lines do; they
// come back with their texts on resuming.
bool TutorialDisplayWanted()
{
    return s.Shown.pWindow && g.Tutorial.fDisplay && g.lGameState != gsPaused;
}

// Makes what is missing of the display while it is wanted.
void MakeTutorialDisplay()
{
    OVERLAYS& o = s.Shown;
    if (!TutorialDisplayWanted())
        return;
    if (!o.pTutorialLower) {
        // Measured with a text that reaches from the ascenders down to the
        // descenders, then emptied.
        o.pTutorialLower = MakeLabel(fontTutorial, clrTutorialText, "Zg!_X");
        LONG w = 0, h = 0;
        o.pTutorialLower->GetSize(&w, &h);
        o.lTutorialLineHeight = h;
        SetLabelText(o.pTutorialLower, "");
    }
    if (!o.pTutorialUpper)
        o.pTutorialUpper = MakeLabel(fontTutorial, clrTutorialText, "");
    if (!o.pSkip) {
        AC_BUTTON* b = CreateButton(o.pWindow, kSkipTutorialCommand, bsCentred, kSkipButtonDepth);
        b->SetCommandTarget(&SkipCommand);
        b->SetFont(Font(fontSkip));
        // An always-hot push button is filled with its hot colour: both
        // slots carry the face colour, so the face shows in it.
        b->SetColor(acFace, clrSkipFace);
        b->SetColor(acHot, clrSkipFace);
        b->SetColor(acText, clrSkipText);
        char label[256];
        LoadText(idsSkipTutorial, label, sizeof label);
        b->SetText(label);
        b->SizeToContent();
        o.pSkip = b;
    }
    PlaceTutorialDisplay();
}

void SyncTutorialDisplay()
{
    const bool wanted = TutorialDisplayWanted();
    if (!wanted && (s.Shown.pTutorialLower || s.Shown.pTutorialUpper || s.Shown.pSkip))
        RemoveTutorialDisplay();
    else if (wanted && (!s.Shown.pTutorialLower || !s.Shown.pTutorialUpper || !s.Shown.pSkip))
        MakeTutorialDisplay();
}

void TutorialDisplaySeam(BOOL fOn)
{
    if (fOn)
        MakeTutorialDisplay();
    else
        RemoveTutorialDisplay();
}

void TutorialTextSeam()
{
    PlaceTutorialDisplay();
}

void TutorialDisplayOff()
{
    SetTutorialDisplay(FALSE);
}

void RemoveAll()
{
    RemoveHintPanel();
    Destroy(s.Shown.pGameOver);
    RemoveTutorialDisplay();
}

} // namespace

const OVERLAYS& Overlays()
{
    return s.Shown;
}

void InitOverlays(ANIMWINDOW* pWindow)
{
    RemoveAll();
    DropFonts();
    s.Shown.pWindow = pWindow;
    HintSeams().pfnChanged = &SyncHintPanel;
    TutorialSeams().pfnDisplay = &TutorialDisplaySeam;
    TutorialSeams().pfnText = &TutorialTextSeam;
    FlowSeams().pfnTutorialDisplayOff = &TutorialDisplayOff;
    SyncOverlays();
}

void ReleaseOverlays()
{
    RemoveAll();
    DropFonts();
}

void SyncOverlays()
{
    SyncHintPanel();
    SyncGameOver();
    SyncTutorialDisplay();
}

void RelayoutOverlays()
{
    RemoveAll();
    DropFonts();
    SyncOverlays();
}

void RefreshOverlayTexts()
{
    // The fonts are named by the texts of the language.
    RemoveAll();
    DropFonts();
    RefreshTutorialText();
    SyncOverlays();
}

int OverlayService(ANIMWINDOW*, svcAnimWindow code, unsigned, long)
{
    if (code == svcawBeginFrame || code == svcawDrawFrame)
        SyncOverlays();
    else if (code == svcawVideoMode)
        RelayoutOverlays();
    return 1;
}
