#include "screens/screenbox.h"

#include "anim/animobj.h"
#include "anim/animwin.h"
#include "game/game.h"
#include "platform/ddraw/ddraw.h"
#include "platform/input/input.h"
#include "screens/ac_button.h"
#include "screens/acpaint.h"
#include "screens/editorhooks.h"
#include "screens/menus.h"
#include "sound/dxsound.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <cstdarg>

namespace {
SCREENBOX s{};

constexpr unsigned short kPanelDepth = 80;
constexpr unsigned short kButtonDepth = 79;
constexpr unsigned kSlide = 50; // wParam of the slide's sequencer messages
constexpr COLORREF kclrPanel = RGB(1, 142, 225);
constexpr COLORREF kclrPanelLight = RGB(5, 193, 255);
constexpr COLORREF kclrPanelDark = RGB(96, 3, 202);
constexpr COLORREF kclrPanelText = RGB(0, 0, 64);
constexpr UINT idsBoxFont = 43;

int PanelService(ANIMOBJECT*, svcAnimObject code, long lParam)
{
    if (code != svcaoDraw || !s.pPanel)
        return 1;
    auto* r = reinterpret_cast<RENDEROBJECT*>(lParam);
    HDC dc = acpaint::BeginObjectDraw(r);
    if (!dc)
        return 0;
    const RECT& rc = r->object;
    acpaint::Fill(dc, rc, kclrPanel);
    acpaint::HLine(dc, rc.left, rc.right - 1, rc.top, kclrPanelLight);
    acpaint::VLine(dc, rc.left, rc.top, rc.bottom - 1, kclrPanelLight);
    acpaint::HLine(dc, rc.left, rc.right - 1, rc.bottom - 1, kclrPanelDark);
    acpaint::VLine(dc, rc.right - 1, rc.top, rc.bottom - 1, kclrPanelDark);
    const RECT text{rc.left + 10, rc.top + 7, rc.right - 10, rc.bottom - 25};
    acpaint::Text(dc, s.hFont, s.pszText, text, DT_CENTER | DT_WORDBREAK | DT_VCENTER, kclrPanelText);
    acpaint::EndObjectDraw(r, dc);
    return 1;
}

constexpr int kButtons = 3;
// The box's hook comes before every other hook of the window.
constexpr unsigned long kHookFirst = 1ul << 16;

int AnswerOf(int button)
{
    switch (s.nType) {
    case mbtOkCancel: return button == 0 ? mbaOk : mbaCancel;
    case mbtYesNo: return button == 0 ? mbaYes : mbaNo;
    case mbtYesNoCancel: return button == 0 ? mbaYes : button == 1 ? mbaNo : mbaCancel;
    default: return mbaOk;
    }
}

// The last button: Cancel, No, or the single Close.
int LastButton()
{
    int last = 0;
    for (int i = 0; i < kButtons; ++i)
        if (s.apButtons[i])
            last = i;
    return last;
}

// The answer of a box that is taken away without a choice.
int DefaultAnswer()
{
    return AnswerOf(LastButton());
}

void Choose(int button)
{
    if (!s.pPanel || s.nAnswer || s.fClosing || button < 0 || button >= kButtons || !s.apButtons[button])
        return;
    s.nAnswer = AnswerOf(button);
}

LRESULT ButtonCommand(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND)
        MessageBoxCommand(static_cast<LONG>(LOWORD(wParam)));
    return 0;
}

void BoxKey(WPARAM key)
{
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
    case 'J':
    case 'Y': Choose(0); break;
    case 'N':
        // No, or the Cancel of an OK/Cancel box.
        if (s.apButtons[1])
            Choose(1);
        break;
    case VK_ESCAPE:
        // Cancel, or No where there is no Cancel; a Close box stays.
        if (LastButton() > 0)
            Choose(LastButton());
        break;
    default: break;
    }
}

// First of the window's hooks while the box is shown: it answers the box's
// keys and keeps every key from what lies behind the box; the mouse reaches
// only the panel and its buttons.
LRESULT BoxHook(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!s.pPanel)
        return 0;
    if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) {
        // Keys released while the panel slides in are held but not answered.
        if (msg == WM_KEYUP && !s.nAnswer && s.lStep == 50)
            BoxKey(wParam);
        return 1;
    }
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        RECT panel{};
        s.pPanel->GetRect(&panel);
        const LONG x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        const bool inside = x >= panel.left && x < panel.right && y >= panel.top && y < panel.bottom;
        return inside ? 0 : 1;
    }
    return 0;
}

AC_BUTTON* MakeButton(ANIMWINDOW* w, LONG id, UINT idsLabel)
{
    AC_BUTTON* b = CreateButton(w, id, bsCentred, kButtonDepth);
    b->SetFont(s.hFont);
    char* label = LoadTextAlloc(idsLabel);
    b->SetText(label);
    ReleaseText(label);
    b->SetColor(acHot, kclrPanel);
    b->SetColor(acFace, kclrPanelText);
    b->SetColor(acShadow, kclrPanelDark);
    b->SetColor(acHighlight, kclrPanelLight);
    b->SetCommandTarget(&ButtonCommand);
    b->SizeToContent();
    return b;
}

// The buttons stand at the panel's lower right: the second (or a single
// first) with its right edge 10 pixels in and its bottom 7 pixels up, the
// first 5 pixels to the left of the second.
void PlaceButtons(LONG left, LONG top)
{
    LONG x = left + kBoxWidth - 10;
    const LONG bottom = top + kBoxHeight - 7;
    for (int i = kButtons - 1; i >= 0; --i) {
        AC_BUTTON* b = s.apButtons[i];
        if (!b)
            continue;
        LONG w = 0, h = 0;
        b->GetSize(&w, &h);
        b->SetPosition(x - w, bottom - h);
        x -= w + 5;
    }
}

void ReleaseBox()
{
    ANIMOBJECT* panel = s.pPanel;
    s.pPanel = nullptr;
    for (AC_BUTTON*& b : s.apButtons)
        if (b) {
            AC_BUTTON* button = b;
            b = nullptr;
            DestroyControl(button);
        }
    delete panel;
    ReleaseText(s.pszText);
    s.pszText = nullptr;
    if (s.hFont) {
        DeleteObject(s.hFont);
        s.hFont = nullptr;
    }
}

// Moves the panel to position p of the slide: 0 to 50 in from above the
// screen to its centre, 51 to 100 on from the centre off the bottom, eased
// in and out.
void Slide(ANIMWINDOW* w, LONG p)
{
    p = std::clamp<LONG>(p, 0, 100);
    const LONG width = w->GetWidth(), height = w->GetHeight();
    const double t = (p <= 50 ? p : p - 50) / 50.0;
    const double eased = t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    const LONG centre = (height - kBoxHeight) / 2;
    const double top = p <= 50 ? -kBoxHeight + eased * (centre + kBoxHeight) : centre + eased * (height - centre);
    const LONG left = (width - kBoxWidth) / 2;
    s.pPanel->SetPosition(left, static_cast<LONG>(top));
    PlaceButtons(left, static_cast<LONG>(top));
    s.lStep = p;
    if (p == 1 || p == 51)
        PlayGameSound(sndSlide, false, true);
    if (p == 50 || p == 100)
        StopGameSound(sndSlide);
    if (p == 100)
        ReleaseBox();
}

// Queues one half of the slide, a position per frame, and plays it; 0 when
// the frame loop was stopped.
int PlaySlide(ANIMWINDOW* w, LONG first)
{
    const long frame = w->GetNextFrameNumber();
    long k = 0;
    for (LONG p = first; p < first + 49; p += 6)
        w->SetSequence(frame + k++, kSlide, p);
    w->SetSequence(frame + k, kSlide, first + 49);
    return w->AnimateSequence();
}
} // namespace

const SCREENBOX& ScreenBox()
{
    return s;
}

int ScreenMessageBox(int type, LONG idText, const char* descriptor, ...)
{
    ANIMWINDOW* w = GetMenuWindow();
    if (!w || s.pPanel)
        return 0;
    va_list args;
    va_start(args, descriptor);
    char* text = FormatTextV(TextId(static_cast<UINT>(idText)), descriptor, args);
    va_end(args);

    w->BeginFrame();
    EnableMenuEntries(FALSE);
    if (EditorHooks().pfnEnableControls)
        EditorHooks().pfnEnableControls(FALSE);
    s = SCREENBOX{};
    s.nType = std::clamp(type, static_cast<int>(mbtClose), static_cast<int>(mbtYesNoCancel));
    s.pszText = text;
    s.hFont = FontFromSpec(TextId(idsBoxFont));
    s.pPanel = new ANIMOBJECT(w, kPanelDepth, &PanelService, 0);
    const LONG left = (w->GetWidth() - kBoxWidth) / 2;
    RECT r{left, -kBoxHeight, left + kBoxWidth, 0};
    s.pPanel->SetRect(&r);
    static const UINT kFirst[] = {112, 41, 39, 39}, kSecond[] = {0, 42, 40, 40};
    s.apButtons[0] = MakeButton(w, kBoxFirstButton, kFirst[s.nType]);
    if (s.nType != mbtClose)
        s.apButtons[1] = MakeButton(w, kBoxSecondButton, kSecond[s.nType]);
    if (s.nType == mbtYesNoCancel)
        s.apButtons[2] = MakeButton(w, kBoxThirdButton, 42);
    PlaceButtons(left, -kBoxHeight);
    w->EndFrame();

    // The box holds the keys and the mouse from its first frame on.
    w->SetHook(&BoxHook, kHookFirst | 0xFFFF);
    const int fRunning = PlaySlide(w, 1);
    // Without the slide's frame service the panel is put in place here.
    if (fRunning && s.pPanel && s.lStep != 50)
        Slide(w, 50);
    while (fRunning && s.pPanel) {
        if (s.nAnswer) {
            s.fClosing = TRUE;
            PlaySlide(w, 51);
            break;
        }
        if (!w->Animate(1))
            break;
    }
    w->RemoveHook(&BoxHook);
    const int answer = s.nAnswer ? s.nAnswer : DefaultAnswer();
    // A slide cut short (the loop was stopped) or not driven takes the box
    // away at once.
    if (s.pPanel)
        ReleaseBox();
    s = SCREENBOX{};
    EnableMenuEntries(TRUE);
    if (EditorHooks().pfnEnableControls)
        EditorHooks().pfnEnableControls(TRUE);
    return answer;
}

void ShowScreenMessage(LONG idText)
{
    ScreenMessageBox(mbtClose, idText, nullptr);
}

bool AskScreenYesNo(LONG idText)
{
    return ScreenMessageBox(mbtYesNo, idText, nullptr) == mbaYes;
}

int AskScreenYesNoCancel(LONG idText)
{
    return ScreenMessageBox(mbtYesNoCancel, idText, nullptr);
}

int MessageBoxService(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam)
{
    if (code == svcawSequence && wParam == kSlide && s.pPanel && window)
        Slide(window, lParam);
    return 1;
}

void MessageBoxCommand(LONG id)
{
    if (id == kBoxFirstButton)
        Choose(0);
    else if (id == kBoxSecondButton)
        Choose(1);
    else if (id == kBoxThirdButton)
        Choose(2);
}
