// The game's menus: columns of text buttons drawn in the animation window
// over the scene, each built from a small static table of command numbers.
// A hook on the animation window receives the buttons' commands and the
// navigation keys; the entries shimmer through the colour circle, and the
// entry with the focus glows. While a title-layout menu is shown, a flag
// button in the lower-left corner switches the language of all texts.
#pragma once

#include "platform/base/types.h"
#include "platform/window/window.h"

class ANIMWINDOW;
class ANIMOBJECT;
class AC_BUTTON;
class GRAPHIC;
enum svcAnimWindow : int;

// Commands of the menu entries (and of the language button).
enum : LONG {
    mcStartGame = 500,
    mcSelectControls = 501,
    mcChangeOptions = 502,
    mcEditPuzzles = 503,
    mcQuitVarno = 504,
    mcSoundEffects = 505,
    mcBackgroundMusic = 506,
    mcChangeVideoMode = 508,
    mcPreviousMenu = 509,
    mcResumeGame = 510,
    mcQuitGame = 511,
    mcSwitchLanguage = 512,
    mcLowerResolution = 513,
    mcHigherResolution = 514,
    mcLowerColorDepth = 515,
    mcHigherColorDepth = 516,
    mcNewPuzzle = 517,
    mcLoadPuzzle = 518,
    mcSavePuzzle = 519,
    mcEncryption = 520,
    mcQuitEditor = 521,
    mcTestPuzzle = 522,
    mcShowTutorial = 523,
    mcStartAtLevel = 524,
    mcDisplayQuality = 525,
    mcDifficulty = 540,
    mcCheckPuzzle = 526,
};

// Commands of the main window that the menus post.
constexpr WPARAM kMainQuit = 2;
constexpr WPARAM kMainPauseBack = 4001;

constexpr int kMenuEntries = 7;

struct MENUTABLE {
    LONG fTitleLayout; // 1: the title layout; 0: the editor layout
    LONG nEntries;
    LONG aCommands[kMenuEntries];       // 0: no entry
    AC_BUTTON* apButtons[kMenuEntries]; // while the menu is shown
};

extern MENUTABLE MainMenu;
extern MENUTABLE OptionsMenu;
extern MENUTABLE VideoMenu;
extern MENUTABLE PauseMenu;
extern MENUTABLE EditorMenu;

struct MENUSTATE {
    ANIMWINDOW* pWindow; // where menus and message boxes are drawn
    MENUTABLE* pCurrent; // null: no menu shown
    HFONT hFont;         // null until needed; dropped on a change of layout or mode
    LONG fFontTitleLayout;
    LONG lLineHeight;
    LONG lTop;
    BOOL fSavedCursor; // the cursor wish when the menu was shown
    LONG lHue;         // 0 to 199
    LONG lPulse;       // 0 to 999
    BOOL fEnabled;     // the entries answer (not while a message box is shown)
    AC_BUTTON* pLanguage;
    GRAPHIC* apgrFlags[2]; // bitmaps 120 and 121, loaded on first use
    // Over the 3D scene: the dark translucent panel behind the entries.
    ANIMOBJECT* pPanel;
    GRAPHIC* pgrPanel;
    BOOL fOverScene; // the current menu is drawn over the scene, not the title
};
const MENUSTATE& Menus();

// The animation window the menus and the message boxes draw in.
void SetMenuWindow(ANIMWINDOW* window);
ANIMWINDOW* GetMenuWindow();

// Shows a menu in place of the current one.
void ShowMenu(MENUTABLE* menu);
void ShowMainMenu();
void ShowPauseMenu();
void ShowEditorMenu();
// Destroys the entries and the language button, removes the menu hook and
// gives back the cursor wish saved when the menu was shown.
void RemoveMenu();
// The pause menu goes, if it is the one shown.
void RemovePauseMenu();
// The menu and the title scene go (a game starts).
void CloseMenusAndTitle();
// Rebuilds the label of the entry with that command in the current menu.
void RefreshMenuEntry(LONG command);
void EnableMenuEntries(BOOL fEnable);
BOOL fMenuHasEntry(LONG command);
// Back (Escape) in the main menus: a menu with a Previous Menu entry gives
// way to the main menu. TRUE when it did.
BOOL MenuBack();
// Carries out a menu command as its entry would.
void MenuCommand(LONG command);
// The label of an entry in the current language, with its inserts; a new
// text to be released with ReleaseText.
char* MenuEntryLabel(LONG command);
// The text colour of entry i for a hue counter, and the glow of the focused
// entry for a pulse counter.
COLORREF MenuTextColour(LONG lHue, int i);
COLORREF MenuHotColour(LONG lPulse);
// The same over the 3D scene, where a dark panel lies behind the entries:
// the glow is darker, and an entry's colour is made lighter where needed
// until it stands out from the panel over a white scene and from the glow
// by a contrast of at least kMenuContrast.
COLORREF MenuTextColourOverScene(LONG lHue, int i);
COLORREF MenuHotColourOverScene(LONG lPulse);
constexpr double kMenuContrast = 4.5;
// The panel's colour, its weight against the scene (of 256) and the colour
// it gives over a white scene.
constexpr COLORREF kclrMenuPanel = RGB(8, 8, 24);
constexpr unsigned char kMenuPanelAlpha = 224;
COLORREF MenuPanelOver(COLORREF under);
// The rectangle the entries of the current menu cover; FALSE without a menu.
BOOL MenuEntriesRect(RECT* prc);

// A member of the frame chain: recolours the entries on svcawBeginFrame and
// rebuilds the menu for the new size on svcawVideoMode. Returns 1.
int MenuService(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam);

// The flow's menu entries (question, main menu, pause menu, closing the
// menus) are filled with the menus and the on-screen message box.
void InstallMenuSeams();
// At the end of the run: the menu, its font and the flags go.
void ReleaseMenus();
