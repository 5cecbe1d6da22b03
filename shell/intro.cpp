#include "shell/intro.h"

#include "anim/hsl.h"
#include "game/flow.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/clock/clock.h"
#include "screens/ac_control.h"
#include "shell/cursor.h"
#include "sound/dxsound.h"
#include "support/fontdesc.h"
#include "support/textres.h"

namespace {
constexpr DWORD kFadeInEnd = 750;
constexpr DWORD kHoldEnd = 1150;
constexpr DWORD kFadeOutEnd = 1900;
constexpr DWORD kIntroEnd = 2900;
constexpr unsigned short kCaptionDepth = 100;
constexpr UINT idsCaption = 26;
constexpr UINT idsCaptionFont = 27;

struct INTRO {
    AC_LABEL* pCaption = nullptr;
    HFONT hFont = nullptr;
    DWORD dwStart = 0;  // tick of the first drawn frame; 0 before it
    bool fStarted = false;
    bool fMenuShown = false;
    SOUND introSound;
    SOUND titleSound;
};

INTRO& intro()
{
    static INTRO s;
    return s;
}

void LoadAndPlay(SOUND& sound, const char* name)
{
    if (sound.Load(DataFilePath(name).c_str()) && g.Settings.fSound)
        sound.Play(false);
}

void CentreCaption(ANIMWINDOW* window)
{
    INTRO& s = intro();
    if (!s.pCaption || !window)
        return;
    RECT client {};
    GetClientRect(window->GetWindow(), &client);
    LONG w = 0, h = 0;
    s.pCaption->SizeToContent();
    s.pCaption->GetSize(&w, &h);
    s.pCaption->SetPosition((client.right - w) / 2, (client.bottom - h) / 2);
}

void ReleaseCaption()
{
    INTRO& s = intro();
    if (s.pCaption) {
        DestroyControl(s.pCaption);
        s.pCaption = nullptr;
    }
    if (s.hFont) {
        DeleteObject(s.hFont);
        s.hFont = nullptr;
    }
    s.introSound.Unload();
}
} // namespace

int IntroLightness(DWORD ms)
{
    if (ms < kFadeInEnd)
        return static_cast<int>(ms * 255 / kFadeInEnd);
    if (ms < kHoldEnd)
        return 255;
    if (ms < kFadeOutEnd)
        return static_cast<int>((kFadeOutEnd - ms) * 255 / (kFadeOutEnd - kHoldEnd));
    return 0;
}

void StartIntro()
{
    INTRO& s = intro();
    ANIMWINDOW* window = g.App.pAnimWin;
    g.lGameState = gsIntro;
    s.dwStart = 0;
    s.fStarted = true;
    s.fMenuShown = false;
    if (window) {
        s.pCaption = CreateLabel(window, kCaptionDepth);
        if (s.pCaption) {
            char description[64];
            LoadText(idsCaptionFont, description, sizeof description);
            s.hFont = FontFromSpec(description);
            s.pCaption->SetFont(s.hFont);
            char text[128];
            LoadText(idsCaption, text, sizeof text);
            s.pCaption->SetText(text);
            s.pCaption->SetColor(acFace, kclrNone);
            s.pCaption->SetColor(acText, RGB(0, 0, 0));
            CentreCaption(window);
        }
    }
    LoadAndPlay(s.introSound, "intro.wav");
    SetCursorWanted(FALSE);
}

int IntroService(ANIMWINDOW* window, svcAnimWindow code)
{
    INTRO& s = intro();
    if (!s.fStarted)
        return 1;
    if (g.lGameState != gsIntro) {
        // The title sound lasts only as long as the main menus of the intro.
        if (s.titleSound.fLoaded())
            s.titleSound.Unload();
        return 1;
    }
    if (code == svcawVideoMode)
        CentreCaption(window);
    if (code != svcawDrawFrame || s.fMenuShown)
        return 1;

    const DWORD now = GetTickCount();
    if (!s.dwStart)
        s.dwStart = now ? now : 1;
    const DWORD elapsed = now - s.dwStart;
    if (s.pCaption) {
        const int l = IntroLightness(elapsed);
        s.pCaption->SetColor(acText, HSLtoRGB(static_cast<unsigned long>(l) << 16));
        s.pCaption->Redraw();
    }
    if (elapsed >= kIntroEnd) {
        ReleaseCaption();
        LoadAndPlay(s.titleSound, "varno.wav");
        s.fMenuShown = true;
        if (FlowSeams().pfnShowMainMenu)
            FlowSeams().pfnShowMainMenu();
        SetCursorWanted(TRUE);
    }
    return 1;
}

void EndIntro()
{
    INTRO& s = intro();
    ReleaseCaption();
    s.titleSound.Unload();
    s.fStarted = false;
}

bool fIntroCaptionShown()
{
    return intro().pCaption != nullptr;
}
