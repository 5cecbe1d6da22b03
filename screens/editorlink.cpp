#include "editor/editor.h"
#include "editor/editorcheck.h"
#include "screens/editorhooks.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "screens/status.h"
#include "anim/animwin.h"

void InstallEditorLinks()
{
    EDITORHOOKS& h = EditorHooks();
    h.pfnOpenEditor = [] { OpenEditor(nullptr); };
    h.pfnCloseEditor = [] { return QuitEditor() ? TRUE : FALSE; };
    h.pfnNewPuzzle = &NewPuzzle;
    h.pfnLoadPuzzle = &LoadPuzzleDialog;
    h.pfnSavePuzzle = [] { SavePuzzle(); };
    h.pfnEncryption = &EncryptionCommand;
    h.pfnTestPuzzle = &TestPuzzle;
    h.pfnCheckPuzzle = &CheckPuzzle;
    h.pfnEnableControls = [](BOOL fEnable) { EnableEditorControls(fEnable != FALSE); };

    EDITORSEAMS& e = EditorSeams();
    if (!e.pWindow)
        e.pWindow = GetMenuWindow();
    e.pfnAskYesNo = &AskScreenYesNo;
    e.pfnAskYesNoCancel = &AskScreenYesNoCancel;
    e.pfnMenuRect = [](RECT* prc) { return Menus().pCurrent == &EditorMenu ? MenuEntriesRect(prc) : FALSE; };
    e.pfnTopBarHeight = [] {
        ANIMWINDOW* w = GetMenuWindow();
        return w ? StatusBarHeightFor(w->GetWidth(), w->GetHeight()) : LONG{0};
    };
    e.pfnMessage = &ShowScreenMessage;
    e.pfnMessagePath = [](LONG idText, const char* pszPath) { ScreenMessageBox(mbtClose, idText, "%s", pszPath); };
    e.pfnShowEditorMenu = &ShowEditorMenu;
    e.pfnRemoveMenu = &RemoveMenu;

    CHECKSEAMS& c = CheckSeams();
    c.pfnBusyBox = [](LONG id) { ScreenMessageBox(mbtClose, id, nullptr); };
    c.pfnEndBusyBox = [] { MessageBoxCommand(kBoxFirstButton); };
    c.pfnTell = [](LONG id, LONG a, LONG b, LONG cc) {
        ScreenMessageBox(mbtClose, id, "%ld%ld%ld", static_cast<long>(a), static_cast<long>(b), static_cast<long>(cc));
    };
    c.pfnAsk = [](LONG id, LONG a, LONG b, LONG cc) {
        return ScreenMessageBox(mbtYesNo, id, "%ld%ld%ld", static_cast<long>(a), static_cast<long>(b),
                                static_cast<long>(cc)) == mbaYes;
    };
    c.pfnBeforeShow = &CloseMenusAndTitle;
}
