#include "shell/mainwin.h"

#include "anim/display.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "editor/editor.h"
#include "render/scene.h"
#include "render/title.h"
#include "screens/editorhooks.h"
#include "screens/menuhooks.h"
#include "screens/menus.h"
#include "screens/overlays.h"
#include "screens/screenbox.h"
#include "screens/status.h"
#include "game/flow.h"
#include "game/frame.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "shell/cursor.h"
#include "shell/intro.h"
#include "shell/screenshot.h"
#include "shell/settings.h"
#include "shell/videomode.h"
#include "sound/dxsound.h"
#include "support/format.h"
#include "support/sysmsgbox.h"
#include "support/textres.h"

namespace {
constexpr WORD kAnimWindowId = 1000;
constexpr const char* kMainClass = "VarnoClass";

// The main window: a popup holding the animation window over its whole
// client area. It never shows itself; the display draws everything. It has
// no caption or frame, so that its client area is exactly the rectangle the
// display gives it for each mode and the animation window covers the screen.
const DIALOGITEM kMainItems[] = {
    {"AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 184, 133, kAnimWindowId},
};
const DIALOGTEMPLATE kMainDialog = {
    WS_POPUP, kMainClass, "Varno", "MS Sans Serif", 8, 0, 0, 184, 133, kMainItems, 1,
};

// Level-file messages are shown from the string table in the player's
// language; the error number and the system's text for it fill the inserts.
int ShowFileMessageById(UINT uType, UINT idCaption, UINT idText, DWORD dwError)
{
    return MessageBoxIds(uType, idCaption, idText, "%lu%e", dwError, dwError);
}

// A failed internal check is reported and play goes on.
int KeepGoingAssert(int fOK, const char*, const char*, unsigned long)
{
    return fOK;
}

// The dialog procedure of the main window: TRUE for a message it handled,
// FALSE to leave it to the dialog's default handling (which turns a close
// into command 2).
LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        g.App.hwndMain = hwnd;
        g.App.pAnimWin = ANIMWINDOW::GetAnimWindow(GetDlgItem(hwnd, kAnimWindowId));
        if (g.App.pAnimWin)
            g.App.pAnimWin->SetCallback(VarnoFrameCallback);
        else
            RequestQuit();
        return TRUE;
    case WM_SIZE:
        // The display puts the main window over the whole screen for each
        // mode; the animation window follows it.
        if (HWND child = GetDlgItem(hwnd, kAnimWindowId))
            MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return TRUE;
    case WM_DESTROY:
        RequestQuit();
        return TRUE;
    case WM_COMMAND:
        HandleMainCommand(LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

// Registers the main window's class: the system dialog class with this
// program's icon.
bool RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc {};
    if (!GetClassInfoA(nullptr, WC_DIALOG, &wc))
        return false;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(103));
    wc.lpszClassName = kMainClass;
    return RegisterClassA(&wc) != 0 || GetClassInfoA(instance, kMainClass, &wc);
}

// Puts the window's bottom-right corner at the screen origin with no size,
// so that it never shows, then shows it (for activation and input).
void HideMainWindow(HWND hwnd)
{
    RECT rc {};
    GetWindowRect(hwnd, &rc);
    SetWindowPos(hwnd, nullptr, rc.left - rc.right, rc.top - rc.bottom, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOW);
}

void ApplyVideoModeToInput(ANIMWINDOW* window)
{
    if (Display && Display->fFullScreen()) {
        if (window && window->GetWindow())
            SetCapture(window->GetWindow());
        ShowCursor(fCursorWanted());
    } else {
        ShowCursor(TRUE);
        ReleaseCapture();
    }
}
void StepVideoModeFromMenu(int dWidth, int dDepth)
{
    StepVideoMode(dWidth, dDepth);
}

void ShowNoModeMessage(UINT idText)
{
    ShowScreenMessage(static_cast<LONG>(idText));
}

// The screens around the scene: status bars, menus with their title scene
// and video-mode steps, the message box, the editor's links.
void ConnectScreens(ANIMWINDOW* window)
{
    InitStatusDisplay(window);
    InitOverlays(window);
    SetMenuWindow(window);
    InstallMenuSeams();
    InstallEditorLinks();
    MENUHOOKS& hooks = MenuHooks();
    hooks.pfnStepVideoMode = StepVideoModeFromMenu;
    hooks.pfnVideoModeChanged = VideoModeChanged;
    hooks.pfnShowTitleScene = ShowTitleScene;
    hooks.pfnHideTitleScene = HideTitleScene;
    SetNoModeMessageProc(ShowNoModeMessage);
}
} // namespace

HWND CreateMainWindow()
{
    HINSTANCE instance = nullptr;
    if (!RegisterMainClass(instance))
        return nullptr;
    HWND hwnd = CreateDialogIndirectParamA(instance, &kMainDialog, nullptr, MainWindowProc, 0);
    if (!hwnd)
        return nullptr;
    HideMainWindow(hwnd);
    Display->SetMainWindow(hwnd);
    return hwnd;
}

HACCEL VarnoAccelerators()
{
    if (!g.App.hAccel) {
        static const ACCEL kEntries[] = {
            {FVIRTKEY, VK_ESCAPE, cmdPauseBack},
            {FVIRTKEY, VK_F10, cmdPauseBack},
            {FVIRTKEY | FALT, VK_F4, cmdQuit},
            {FVIRTKEY, VK_F7, cmdNothing},
            {FVIRTKEY, VK_F12, cmdScreenshot},
            {FVIRTKEY, VK_TAB, cmdSkipTutorial},
        };
        g.App.hAccel = CreateAcceleratorTableA(kEntries, static_cast<int>(std::size(kEntries)));
    }
    return g.App.hAccel;
}

void RequestQuit()
{
    g.App.fQuit = TRUE;
    PostQuitMessage(0);
}

int PumpOneMessage()
{
    MSG msg {};
    if (!g.App.fQuit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g.App.fQuit = TRUE;
        } else if (IsMemoryManagerMessage(&msg)) {
            // F8 opened the memory statistics window beside the game.
        } else if (!g.App.hwndMain || !TranslateAcceleratorA(g.App.hwndMain, VarnoAccelerators(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return g.App.fQuit ? 0 : 1;
}

void PauseOrBack()
{
    const LONG state = g.lGameState;
    if (state == gsIntro || state == gsMenu) {
        MenuBack();
    } else if (CanPause(state)) {
        PauseGame();
    } else if (state == gsPaused) {
        ResumeGame();
    }
}

void HandleMainCommand(WORD id)
{
    // An on-screen message box holds the keys: Escape, F10 and Tab do not
    // reach the screen behind it.
    if (ScreenBox().pPanel && (id == cmdPauseBack || id == cmdSkipTutorial))
        return;
    switch (id) {
    case cmdQuit:
        RequestQuit();
        break;
    case cmdPauseBack:
        PauseOrBack();
        break;
    case cmdSkipTutorial: {
        const LONG state = g.lGameState;
        if ((state == gsPlaying || state == gsPuzzleStart || state == gsPuzzleWon) && g.fTutorial)
            SkipTutorial();
        break;
    }
    case cmdMessageBox1:
    case cmdMessageBox2:
        MessageBoxCommand(id);
        break;
    case cmdScreenshot: {
        // Where the picture went shows in the top bar for two seconds.
        const std::string path = SaveScreenshot();
        if (!path.empty()) {
            char* line = FormatText(TextId(idsScreenshotSaved), "%s", path.c_str());
            ShowStatusNotice(line, kScreenshotNoticeMs);
            ReleaseText(line);
        }
        break;
    }
    default:
        break;
    }
}

int VarnoFrameCallback(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam)
{
    // Every member sees every code, in this order; one that answers 0 ends
    // the call (on the idle code that stops the frame loop).
    if (!SceneWindowService(window, code))
        return 0;
    if (code == svcawDrawFrame)
        PlayFrameSteps();  // level introduction, input step and camera, game step
    // The hint panel, the tutorial's lines and "Game Over" follow the game.
    if (!OverlayService(window, code, wParam, lParam))
        return 0;
    if (!MenuService(window, code, wParam, lParam))
        return 0;
    if (!StatusNoticeService(window, code))
        return 0;
    if (!IntroService(window, code))
        return 0;
    if (!MessageBoxService(window, code, wParam, lParam))
        return 0;
    if (!EditorService(window, code, wParam, lParam))
        return 0;

    switch (code) {
    case svcawDrawFrame:
        if (g.lGameState != gsStartup && g.Render.pFrameCamera)
            PlaceCamera();
        break;
    case svcawVideoMode:
        // The bars take the new size where they are shown at all.
        RefreshStatus();
        ApplyVideoModeToInput(window);
        break;
    case svcawIdle:
        return PumpOneMessage();
    default:
        break;
    }
    return 1;
}

int RunVarno(int argc, char** argv)
{
    ChooseLanguage("Varno");
    SetFileMessageProc(ShowFileMessageById);

    // A conversion switch converts a level file, shows its message and ends
    // the program before anything else starts; so does a command line that
    // cannot be understood.
    const std::string commandLine = JoinCommandLine(argc, argv);
    if (HandleCommandLine(commandLine.c_str()))
        return 0;

    ZephaneSetAssertFunction(KeepGoingAssert);

    crt::srand(GetTickCount());
    g = GAME {};
    VarnoAccelerators();
    SetCursorWanted(TRUE);
    g.lGameState = gsStartup;
    if (!LoadSettings())
        SettingsDefaults(&g.Settings);
    LoadDisplayChoice();

    HWND hwnd = CreateMainWindow();
    if (!hwnd)
        return 0;

    BuildVideoModeList();
    if (!ReadLevelFile()) {
        DestroyWindow(hwnd);
        return 0;
    }
    StartGameSounds(hwnd, g.Settings.fMusic != 0);

    g.Render.paw = g.App.pAnimWin;
    if (g.App.pAnimWin && InitScene()) {
        ConnectScreens(g.App.pAnimWin);
        StartIntro();
        if (g.App.pAnimWin && IsWindow(hwnd)) {
            g.App.pAnimWin->SetTargetFrameRate(40.0);
            g.App.pAnimWin->Animate(-1);
        }
    }

    StoreDisplayChoice();
    EndIntro();
    ReleaseMenus();
    ReleaseOverlays();
    RemoveStatusBars();
    ReleaseScene();
    FreeVideoModeList();
    EndGameSounds();
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    return 0;
}
