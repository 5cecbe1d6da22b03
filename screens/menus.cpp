#include "screens/menus.h"

#include "anim/animwin.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/hsl.h"
#include "game/flow.h"
#include "game/game.h"
#include "platform/input/input.h"
#include "screens/ac_button.h"
#include "screens/acpaint.h"
#include "screens/editorhooks.h"
#include "screens/menuhooks.h"
#include "screens/overlays.h"
#include "screens/screenbox.h"
#include "screens/status.h"
#include "shell/cursor.h"
#include "shell/settings.h"
#include "sound/dxsound.h"
#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

MENUTABLE MainMenu = {1, 5, {mcStartGame, mcChangeOptions, mcChangeVideoMode, mcEditPuzzles, mcQuitVarno, 0}, {}};
MENUTABLE OptionsMenu = {1,
                         7,
                         {mcSoundEffects, mcBackgroundMusic, mcSelectControls, mcDifficulty, mcStartAtLevel,
                          mcShowTutorial, mcPreviousMenu},
                         {}};
MENUTABLE VideoMenu = {
    1,
    6,
    {mcHigherResolution, mcLowerResolution, mcHigherColorDepth, mcLowerColorDepth, mcDisplayQuality, mcPreviousMenu},
    {}};
MENUTABLE PauseMenu = {
    1, 6, {mcResumeGame, mcSoundEffects, mcBackgroundMusic, mcSelectControls, mcQuitGame, mcQuitVarno}, {}};
MENUTABLE EditorMenu = {
    0, 7, {mcNewPuzzle, mcLoadPuzzle, mcSavePuzzle, mcEncryption, mcTestPuzzle, mcCheckPuzzle, mcQuitEditor}, {}};

MENUHOOKS& MenuHooks()
{
    static MENUHOOKS hooks{};
    return hooks;
}

EDITORHOOKS& EditorHooks()
{
    static EDITORHOOKS hooks{};
    return hooks;
}

namespace {
MENUSTATE s{nullptr, nullptr, nullptr, 0, 0, 0, TRUE, 0, 0, TRUE, nullptr, {nullptr, nullptr}, nullptr, nullptr, FALSE};

constexpr unsigned short kEntryDepth = 100;
// The panel lies under the entries and over the scene.
constexpr unsigned short kPanelDepth = 110;
constexpr unsigned short kLanguageDepth = 3;
constexpr DWORD kEntryStyle = bsHotTrack | bsCentred;
constexpr int kLanguageEntryIndex = 6;
// The last entry's line ends this far above the bottom of the screen, in
// screen heights; a longer column starts higher.
constexpr double kMenuBottomMargin = 0.04;

// String ids of the labels and their inserts.
enum : UINT {
    idsMenuFont = 1,
    idsKeyboard = 15,
    idsJoystick = 16,
    idsMouse = 17,
    idsOn = 18,
    idsOff = 19,
    idsYes = 73,
    idsNo = 74,
    idsExcellent = 130,
    idsDifficulty = 160,
};

template <typename F> void Call(F* pfn)
{
    if (pfn)
        pfn();
}

LONG ScreenWidth()
{
    return s.pWindow ? s.pWindow->GetWidth() : 0;
}

LONG ScreenHeight()
{
    return s.pWindow ? s.pWindow->GetHeight() : 0;
}

void PostToMainWindow(WPARAM command)
{
    HWND main = Display ? Display->GetMainWindow() : nullptr;
    if (main)
        PostMessageA(main, WM_COMMAND, command, 0);
}

void DropFont()
{
    if (s.hFont) {
        DeleteObject(s.hFont);
        s.hFont = nullptr;
    }
}

GRAPHIC* Flag(int index)
{
    if (!s.apgrFlags[index]) {
        const auto id = static_cast<std::uintptr_t>(index == 0 ? 120 : 121);
        auto* flag = new GRAPHIC(nullptr, reinterpret_cast<const char*>(id), 0xFFFFFFFFul);
        if (flag->fEmpty()) {
            delete flag;
            return nullptr;
        }
        s.apgrFlags[index] = flag;
    }
    return s.apgrFlags[index];
}

bool IsMenuButton(LPARAM lParam)
{
    const auto* b = reinterpret_cast<const AC_BUTTON*>(lParam);
    if (!b)
        return false;
    if (b == s.pLanguage)
        return true;
    if (!s.pCurrent)
        return false;
    for (AC_BUTTON* entry : s.pCurrent->apButtons)
        if (entry == b)
            return true;
    return false;
}

void ColourEntry(AC_BUTTON* b, int i)
{
    b->SetColor(acText, s.fOverScene ? MenuTextColourOverScene(s.lHue, i) : MenuTextColour(s.lHue, i));
    b->SetColor(acHot, s.fOverScene ? MenuHotColourOverScene(s.lPulse) : MenuHotColour(s.lPulse));
}

// ---- the panel over the scene ----------------------------------------------------------

void RemovePanel()
{
    delete s.pPanel;
    s.pPanel = nullptr;
    delete s.pgrPanel;
    s.pgrPanel = nullptr;
}

// The panel covers the entries with a margin of half a line; it is made
// again when the entries' extent changes (a longer label, a new mode).
void PlacePanel()
{
    RECT rc{};
    if (!s.fOverScene || !s.pWindow || !MenuEntriesRect(&rc)) {
        RemovePanel();
        return;
    }
    const LONG margin = std::max<LONG>(4, s.lLineHeight / 2);
    rc.left = std::max<LONG>(0, rc.left - margin);
    rc.top = std::max<LONG>(0, rc.top - margin);
    rc.right = std::min<LONG>(ScreenWidth(), rc.right + margin);
    rc.bottom = std::min<LONG>(ScreenHeight(), rc.bottom + margin);
    const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) {
        RemovePanel();
        return;
    }
    if (!s.pgrPanel || !s.pPanel || s.pgrPanel->GetWidth() != w || s.pgrPanel->GetHeight() != h) {
        RemovePanel();
        auto* picture = new GRAPHIC(w, h, 24, 0xFFFFFFFFul);
        auto* bits = static_cast<unsigned char*>(picture->GetPixelBuffer());
        if (picture->fEmpty() || !bits) {
            delete picture;
            return;
        }
        const unsigned long stride = picture->GetBytesPerLine();
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x) {
                unsigned char* p = bits + stride * static_cast<unsigned long>(y) + static_cast<unsigned long>(x) * 3;
                p[0] = GetBValue(kclrMenuPanel);
                p[1] = GetGValue(kclrMenuPanel);
                p[2] = GetRValue(kclrMenuPanel);
            }
        picture->SetTranslucent(atConstant, kMenuPanelAlpha);
        s.pgrPanel = picture;
        s.pPanel = new ANIMOBJECT(s.pWindow, kPanelDepth, picture, 0);
    }
    s.pPanel->SetPosition(rc.left, rc.top);
}

void ColourEntries()
{
    if (!s.pCurrent)
        return;
    for (int i = 0; i < kMenuEntries; ++i)
        if (AC_BUTTON* b = s.pCurrent->apButtons[i])
            ColourEntry(b, i);
}

// ---- keys -----------------------------------------------------------------------------

// The entries of the current menu in order.
int Entries(AC_BUTTON* out[kMenuEntries])
{
    int n = 0;
    for (AC_BUTTON* b : s.pCurrent->apButtons)
        if (b)
            out[n++] = b;
    return n;
}

int IndexOfFocus(AC_BUTTON* const entries[], int n)
{
    for (int i = 0; i < n; ++i)
        if (entries[i] == GetFocusControl())
            return i;
    return -1;
}

void FocusEntry(AC_BUTTON* b)
{
    b->TakeFocus();
    b->SetSelected(TRUE);
}

// Gives the focus to an entry when none has it (the focused one keeps it,
// else the first takes it) and returns the focused entry.
AC_BUTTON* EnsureFocus()
{
    AC_BUTTON* entries[kMenuEntries];
    const int n = Entries(entries);
    if (n == 0)
        return nullptr;
    const int i = IndexOfFocus(entries, n);
    AC_BUTTON* b = entries[i >= 0 ? i : 0];
    FocusEntry(b);
    return b;
}

void MoveFocus(int step)
{
    AC_BUTTON* entries[kMenuEntries];
    const int n = Entries(entries);
    const int i = IndexOfFocus(entries, n);
    if (n == 0 || i < 0)
        return;
    FocusEntry(entries[(i + step + n) % n]);
}

bool MenuKey(int vk)
{
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0)
        return false;
    if (!s.pCurrent || !s.pCurrent->fTitleLayout || !s.fEnabled)
        return false;
    switch (vk) {
    case VK_RETURN: {
        SetCursorWanted(FALSE);
        AC_BUTTON* b = EnsureFocus();
        // The click may replace the menu: nothing of it is used afterwards.
        if (b && b->fSelected())
            b->Click();
        return true;
    }
    case VK_SPACE: EnsureFocus(); return true;
    case VK_LEFT:
    case VK_UP:
        SetCursorWanted(FALSE);
        EnsureFocus();
        MoveFocus(-1);
        return true;
    case VK_RIGHT:
    case VK_DOWN:
        SetCursorWanted(FALSE);
        EnsureFocus();
        MoveFocus(1);
        return true;
    default: return false;
    }
}

LRESULT MenuHookProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (!IsMenuButton(lParam))
            return 0;
        MenuCommand(static_cast<LONG>(LOWORD(wParam)));
        return 1;
    case WM_MOUSEMOVE:
        if (s.pCurrent)
            SetCursorWanted(TRUE);
        return 0;
    case WM_KEYUP:
        // A key the menu acted on is not passed to later hooks: the menu
        // it acted on may be gone.
        return MenuKey(static_cast<int>(wParam)) ? 1 : 0;
    default: return 0;
    }
}

// ---- the language button ---------------------------------------------------------------

void RemoveLanguageButton()
{
    if (s.pLanguage) {
        AC_BUTTON* b = s.pLanguage;
        s.pLanguage = nullptr;
        DestroyControl(b);
    }
}

void ShowLanguageButton()
{
    if (s.pLanguage || !s.pWindow)
        return;
    // The flag of the other language: Esperanto's while English is in use.
    GRAPHIC* flag = Flag((GetLanguage() & 0x3FF) != 0 ? 0 : 1);
    AC_BUTTON* b = CreateButton(s.pWindow, mcSwitchLanguage, bsHotTrack, kLanguageDepth);
    b->SetImage(flag);
    b->SetCommandTarget(&MenuHookProc);
    b->SizeToContent();
    ColourEntry(b, kLanguageEntryIndex);
    LONG w = 0, h = 0;
    b->GetSize(&w, &h);
    const LONG bar = MenuHooks().pfnStatusBarHeight ? MenuHooks().pfnStatusBarHeight() : StatusBottomBarHeight();
    b->SetPosition(0, ScreenHeight() - bar - h);
    b->Enable(s.fEnabled);
    s.pLanguage = b;
}

void SwitchLanguage()
{
    SetLanguage(ToggledLanguage(GetLanguage()));
    // The hint panel, "Game Over" and the tutorial's lines and narration.
    RefreshOverlayTexts();
    ChangeSoundLanguage();
    // The menu's font is named by the texts of the language.
    DropFont();
    if (s.pCurrent)
        ShowMenu(s.pCurrent);
}

// ---- commands ---------------------------------------------------------------------------

void NextControlDevice()
{
    DWORD& d = g.Settings.ControlDevice;
    d = d == cdKeyboard ? cdJoystick : d == cdJoystick ? cdMouse : cdKeyboard;
    SaveSettings();
    RefreshMenuEntry(mcSelectControls);
}

void StepVideoMode(int dWidth, int dDepth)
{
    if (MenuHooks().pfnStepVideoMode)
        MenuHooks().pfnStepVideoMode(dWidth, dDepth);
}

void ToEditorMenu()
{
    Call(EditorHooks().pfnOpenEditor);
    g.lGameState = gsEditor;
    ShowMenu(&EditorMenu);
}

void BackToMainMenu()
{
    if (g.lGameState == gsEditor) {
        // Cancel on the save question keeps the editor and its menu.
        if (EditorHooks().pfnCloseEditor && !EditorHooks().pfnCloseEditor())
            return;
        g.lGameState = gsMenu;
    }
    ShowMenu(&MainMenu);
}

void StoreVideoMode()
{
    if (MenuHooks().pfnVideoModeChanged) {
        MenuHooks().pfnVideoModeChanged();
        return;
    }
    if (!Display)
        return;
    g.Settings.lVideoWidth = Display->GetWidth();
    g.Settings.lVideoHeight = Display->GetHeight();
    g.Settings.wColourDepth = Display->GetDepth();
    SaveSettings();
}
} // namespace

const MENUSTATE& Menus()
{
    return s;
}

void SetMenuWindow(ANIMWINDOW* window)
{
    if (window == s.pWindow)
        return;
    RemoveMenu();
    DropFont();
    s.pWindow = window;
}

ANIMWINDOW* GetMenuWindow()
{
    return s.pWindow;
}

COLORREF MenuTextColour(LONG lHue, int i)
{
    const unsigned long hue = static_cast<unsigned long>((lHue + 40 * i) % 200) * 256 / 200;
    return static_cast<COLORREF>(HSLtoRGB(hue | (0xC0ul << 8) | (0xC0ul << 16)));
}

COLORREF MenuHotColour(LONG lPulse)
{
    const double wave = std::sin(2.0 * std::numbers::pi * static_cast<double>(lPulse) / 1000.0);
    const auto lightness = static_cast<unsigned long>(64.0 + 16.0 * wave);
    return static_cast<COLORREF>(HSLtoRGB(0x6Eul | (0xFFul << 8) | (lightness << 16)));
}

namespace {
// The glow over the scene pulses between lightness 20 and 36.
constexpr double kSceneGlowLightness = 28.0;
constexpr double kSceneGlowSwing = 8.0;
COLORREF SceneGlow(unsigned long lightness)
{
    return static_cast<COLORREF>(HSLtoRGB(0x6Eul | (0xFFul << 8) | (lightness << 16)));
}
} // namespace

COLORREF MenuHotColourOverScene(LONG lPulse)
{
    const double wave = std::sin(2.0 * std::numbers::pi * static_cast<double>(lPulse) / 1000.0);
    return SceneGlow(static_cast<unsigned long>(kSceneGlowLightness + kSceneGlowSwing * wave));
}

COLORREF MenuPanelOver(COLORREF under)
{
    auto blend = [](unsigned u, unsigned p) { return static_cast<BYTE>(u + (static_cast<int>(p) - static_cast<int>(u)) * kMenuPanelAlpha / 256); };
    return RGB(blend(GetRValue(under), GetRValue(kclrMenuPanel)), blend(GetGValue(under), GetGValue(kclrMenuPanel)),
               blend(GetBValue(under), GetBValue(kclrMenuPanel)));
}

COLORREF MenuTextColourOverScene(LONG lHue, int i)
{
    // The lightest backgrounds an entry can have: the panel over a white
    // scene, and the glow at its brightest.
    static const COLORREF kPanel = MenuPanelOver(RGB(255, 255, 255));
    static const COLORREF kGlow = SceneGlow(static_cast<unsigned long>(kSceneGlowLightness + kSceneGlowSwing));
    const unsigned long hue = static_cast<unsigned long>((lHue + 40 * i) % 200) * 256 / 200;
    COLORREF colour = 0;
    for (unsigned long lightness = 0xC0; lightness <= 0xFF; lightness += 4) {
        colour = static_cast<COLORREF>(HSLtoRGB(hue | (0xC0ul << 8) | (std::min(lightness, 0xFFul) << 16)));
        if (acpaint::Contrast(colour, kPanel) >= kMenuContrast && acpaint::Contrast(colour, kGlow) >= kMenuContrast)
            return colour;
    }
    return RGB(255, 255, 255);
}

BOOL MenuEntriesRect(RECT* prc)
{
    if (!prc || !s.pCurrent)
        return FALSE;
    bool any = false;
    RECT all{};
    for (AC_BUTTON* b : s.pCurrent->apButtons) {
        if (!b)
            continue;
        RECT r{};
        b->GetRect(&r);
        if (!any) {
            all = r;
        } else {
            all.left = std::min(all.left, r.left);
            all.top = std::min(all.top, r.top);
            all.right = std::max(all.right, r.right);
            all.bottom = std::max(all.bottom, r.bottom);
        }
        any = true;
    }
    if (any)
        *prc = all;
    return any ? TRUE : FALSE;
}

char* MenuEntryLabel(LONG command)
{
    const SETTINGS& st = g.Settings;
    const auto onOff = [](BOOL f) { return static_cast<unsigned>(f ? idsOn : idsOff); };
    switch (command) {
    case mcStartGame: return FormatText(TextId(3), nullptr);
    case mcSelectControls: {
        const unsigned device = st.ControlDevice == cdMouse      ? idsMouse
                                : st.ControlDevice == cdJoystick ? idsJoystick
                                                                 : idsKeyboard;
        return FormatText(TextId(4), "%m", device);
    }
    case mcChangeOptions: return FormatText(TextId(5), nullptr);
    case mcEditPuzzles: return FormatText(TextId(6), nullptr);
    case mcQuitVarno: return FormatText(TextId(7), nullptr);
    case mcSoundEffects: return FormatText(TextId(8), "%m", onOff(st.fSound));
    case mcBackgroundMusic: return FormatText(TextId(9), "%m", onOff(st.fMusic));
    case mcChangeVideoMode: return FormatText(TextId(11), nullptr);
    case mcPreviousMenu: return FormatText(TextId(12), nullptr);
    case mcResumeGame: return FormatText(TextId(13), nullptr);
    case mcQuitGame: return FormatText(TextId(14), nullptr);
    case mcLowerResolution: return FormatText(TextId(35), nullptr);
    case mcHigherResolution:
        return FormatText(TextId(34), "%lu%lu", static_cast<unsigned>(Display ? Display->GetWidth() : 0),
                          static_cast<unsigned>(Display ? Display->GetHeight() : 0));
    case mcLowerColorDepth: return FormatText(TextId(37), nullptr);
    case mcHigherColorDepth:
        return FormatText(TextId(36), "%lu", static_cast<unsigned>(Display ? Display->GetDepth() : 0));
    case mcNewPuzzle: return FormatText(TextId(55), nullptr);
    case mcLoadPuzzle: return FormatText(TextId(56), nullptr);
    case mcSavePuzzle: return FormatText(TextId(57), nullptr);
    case mcEncryption: return FormatText(TextId(58), nullptr);
    case mcQuitEditor: return FormatText(TextId(59), nullptr);
    case mcTestPuzzle: return FormatText(TextId(65), nullptr);
    case mcCheckPuzzle: return FormatText(TextId(150), nullptr);
    case mcShowTutorial: return FormatText(TextId(72), "%m", static_cast<unsigned>(st.fShowTutorial ? idsYes : idsNo));
    case mcStartAtLevel: return FormatText(TextId(108), "%lu", static_cast<unsigned>(st.lStartLevel));
    case mcDisplayQuality: {
        const int level = DisplayQualityLevel(st.dwDisplayQuality);
        return FormatText(TextId(129), "%m", static_cast<unsigned>(idsExcellent + (5 - level)));
    }
    case mcDifficulty:
        return FormatText(TextId(idsDifficulty), "%m",
                          static_cast<unsigned>(idsDifficultyEasy - std::min<DWORD>(st.dwDifficulty, diffImpossible)));
    default: return FormatText("", nullptr);
    }
}

void ShowMenu(MENUTABLE* menu)
{
    if (!menu || !s.pWindow)
        return;
    RemoveMenu();
    // The title scene: behind the title menus, left as it is behind the
    // pause menu, gone for the editor.
    if (menu->fTitleLayout && menu != &PauseMenu)
        Call(MenuHooks().pfnShowTitleScene);
    else if (!menu->fTitleLayout)
        Call(MenuHooks().pfnHideTitleScene);
    s.fSavedCursor = fCursorWanted();
    SetCursorWanted(TRUE);
    if (menu->fTitleLayout)
        ShowLanguageButton();
    else
        RemoveLanguageButton();
    if (s.hFont && s.fFontTitleLayout != menu->fTitleLayout)
        DropFont();
    s.pCurrent = menu;
    s.pWindow->SetHook(&MenuHookProc, 0xFFFF);
    // Menus over a level or the editor have the scene behind them; the
    // title menus have the black title screen.
    s.fOverScene = (menu == &PauseMenu || !menu->fTitleLayout || g.lGameState == gsPaused || g.lGameState == gsEditor)
                       ? TRUE
                       : FALSE;

    const LONG width = ScreenWidth(), height = ScreenHeight();
    if (!s.hFont) {
        const bool title = menu->fTitleLayout != 0;
        s.lLineHeight = static_cast<LONG>(height * (title ? 0.42 : 0.37) / 9);
        s.lTop = static_cast<LONG>(height * (title ? 0.5 : 0.52));
        char* description = FormatText(TextId(idsMenuFont), "%lu", static_cast<unsigned>(s.lLineHeight));
        s.hFont = description ? FontFromSpec(description) : nullptr;
        ReleaseText(description);
        s.fFontTitleLayout = menu->fTitleLayout;
    }
    const LONG left = static_cast<LONG>(width * (menu->fTitleLayout ? 0.3 : 0.02));
    // A column too long for the space below its usual top starts higher.
    const double step = 1.75 * s.lLineHeight;
    const LONG lowest = static_cast<LONG>(height * (1.0 - kMenuBottomMargin) - step * (menu->nEntries - 1) - s.lLineHeight);
    const LONG top = std::max<LONG>(0, std::min(s.lTop, lowest));
    for (int i = 0; i < kMenuEntries && i < menu->nEntries; ++i) {
        const LONG command = menu->aCommands[i];
        if (command == 0)
            continue;
        AC_BUTTON* b = CreateButton(s.pWindow, command, kEntryStyle, kEntryDepth);
        b->SetCommandTarget(&MenuHookProc);
        b->SetFont(s.hFont);
        char* label = MenuEntryLabel(command);
        b->SetText(label);
        ReleaseText(label);
        // Sized now, so that the panel and the editor's view know the
        // column's extent before the first frame.
        b->SizeToContent();
        b->SetPosition(left, static_cast<LONG>(top + step * i));
        ColourEntry(b, i);
        b->Enable(s.fEnabled);
        menu->apButtons[i] = b;
    }
    PlacePanel();
}

void ShowMainMenu()
{
    ShowMenu(&MainMenu);
}

void ShowPauseMenu()
{
    ShowMenu(&PauseMenu);
}

void ShowEditorMenu()
{
    ShowMenu(&EditorMenu);
}

void RemoveMenu()
{
    MENUTABLE* menu = s.pCurrent;
    if (!menu)
        return;
    s.pCurrent = nullptr;
    for (AC_BUTTON*& b : menu->apButtons)
        if (b) {
            AC_BUTTON* entry = b;
            b = nullptr;
            DestroyControl(entry);
        }
    RemoveLanguageButton();
    RemovePanel();
    s.fOverScene = FALSE;
    if (s.pWindow)
        s.pWindow->RemoveHook(&MenuHookProc);
    SetCursorWanted(s.fSavedCursor);
}

void RemovePauseMenu()
{
    if (s.pCurrent == &PauseMenu)
        RemoveMenu();
}

void CloseMenusAndTitle()
{
    RemoveMenu();
    Call(MenuHooks().pfnHideTitleScene);
}

void RefreshMenuEntry(LONG command)
{
    if (!s.pCurrent)
        return;
    for (int i = 0; i < kMenuEntries; ++i)
        if (s.pCurrent->aCommands[i] == command && s.pCurrent->apButtons[i]) {
            char* label = MenuEntryLabel(command);
            s.pCurrent->apButtons[i]->SetText(label);
            s.pCurrent->apButtons[i]->SizeToContent();
            ReleaseText(label);
        }
    PlacePanel();
}

void EnableMenuEntries(BOOL fEnable)
{
    s.fEnabled = fEnable ? TRUE : FALSE;
    if (s.pCurrent)
        for (AC_BUTTON* b : s.pCurrent->apButtons)
            if (b)
                b->Enable(s.fEnabled);
    if (s.pLanguage)
        s.pLanguage->Enable(s.fEnabled);
}

BOOL fMenuHasEntry(LONG command)
{
    if (!s.pCurrent)
        return FALSE;
    for (LONG c : s.pCurrent->aCommands)
        if (c == command)
            return TRUE;
    return FALSE;
}

BOOL MenuBack()
{
    if (!fMenuHasEntry(mcPreviousMenu))
        return FALSE;
    ShowMenu(&MainMenu);
    return TRUE;
}

void MenuCommand(LONG command)
{
    SETTINGS& st = g.Settings;
    switch (command) {
    case mcStartGame: StartGameFromMenu(); break;
    case mcSelectControls: NextControlDevice(); break;
    case mcChangeOptions: ShowMenu(&OptionsMenu); break;
    case mcEditPuzzles: ToEditorMenu(); break;
    case mcQuitVarno: PostToMainWindow(kMainQuit); break;
    case mcSoundEffects:
        st.fSound = !st.fSound;
        RefreshMenuEntry(command);
        SaveSettings();
        break;
    case mcBackgroundMusic:
        st.fMusic = !st.fMusic;
        SetGameMusic(st.fMusic != FALSE);
        RefreshMenuEntry(command);
        SaveSettings();
        break;
    case mcChangeVideoMode: ShowMenu(&VideoMenu); break;
    case mcPreviousMenu:
    case mcQuitEditor: BackToMainMenu(); break;
    case mcResumeGame: PostToMainWindow(kMainPauseBack); break;
    case mcQuitGame: EndGame(true); break;
    case mcSwitchLanguage: SwitchLanguage(); break;
    case mcLowerResolution: StepVideoMode(-1, 0); break;
    case mcHigherResolution: StepVideoMode(1, 0); break;
    case mcLowerColorDepth: StepVideoMode(0, -1); break;
    case mcHigherColorDepth: StepVideoMode(0, 1); break;
    case mcNewPuzzle: Call(EditorHooks().pfnNewPuzzle); break;
    case mcLoadPuzzle: Call(EditorHooks().pfnLoadPuzzle); break;
    case mcSavePuzzle: Call(EditorHooks().pfnSavePuzzle); break;
    case mcEncryption: Call(EditorHooks().pfnEncryption); break;
    case mcTestPuzzle:
        CloseMenusAndTitle();
        Call(EditorHooks().pfnTestPuzzle);
        break;
    case mcCheckPuzzle: Call(EditorHooks().pfnCheckPuzzle); break;
    case mcShowTutorial:
        st.fShowTutorial = !st.fShowTutorial;
        RefreshMenuEntry(command);
        SaveSettings();
        break;
    case mcStartAtLevel:
        st.lStartLevel = st.lStartLevel + 1 > g.Levels.cLevels || st.lStartLevel < 1 ? 1 : st.lStartLevel + 1;
        RefreshMenuEntry(command);
        SaveSettings();
        break;
    case mcDifficulty:
        // Easy, Normal, Hard, Impossible, and round again.
        st.dwDifficulty = st.dwDifficulty >= diffImpossible ? diffEasy : st.dwDifficulty + 1;
        RefreshMenuEntry(command);
        SaveSettings();
        break;
    case mcDisplayQuality:
        st.dwDisplayQuality = NextDisplayQualityMask(st.dwDisplayQuality);
        SaveSettings();
        RefreshMenuEntry(command);
        Call(MenuHooks().pfnDisplayQualityChanged);
        break;
    default: break;
    }
}

int MenuService(ANIMWINDOW*, svcAnimWindow code, unsigned, long)
{
    if (code == svcawBeginFrame) {
        if (s.pCurrent) {
            ColourEntries();
            // The entries take their size from their text when first drawn:
            // the panel follows them.
            PlacePanel();
            s.lHue = (s.lHue + 1) % 200;
            s.lPulse = (s.lPulse + 1) % 1000;
        }
    } else if (code == svcawVideoMode) {
        DropFont();
        if (s.pCurrent) {
            // The entry that had the focus keeps it in the rebuilt menu, so
            // that Return acts on the entry the player chose.
            int focused = -1;
            for (int i = 0; i < kMenuEntries; ++i)
                if (s.pCurrent->apButtons[i] && s.pCurrent->apButtons[i] == GetFocusControl())
                    focused = i;
            ShowMenu(s.pCurrent);
            if (focused >= 0 && s.pCurrent && s.pCurrent->apButtons[focused])
                FocusEntry(s.pCurrent->apButtons[focused]);
        }
        StoreVideoMode();
    }
    return 1;
}

void InstallMenuSeams()
{
    FLOWSEAMS& f = FlowSeams();
    f.pfnAskYesNo = &AskScreenYesNo;
    f.pfnShowMainMenu = &ShowMainMenu;
    f.pfnCloseMenusAndTitle = &CloseMenusAndTitle;
    f.pfnShowPauseMenu = &ShowPauseMenu;
    f.pfnRemovePauseMenu = &RemovePauseMenu;
}

void ReleaseMenus()
{
    RemoveMenu();
    DropFont();
    for (GRAPHIC*& flag : s.apgrFlags) {
        delete flag;
        flag = nullptr;
    }
}
