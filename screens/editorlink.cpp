#include "editor/editor.h"
#include "screens/editorhooks.h"
#include "screens/menus.h"
#include "screens/screenbox.h"

void InstallEditorLinks()
{
    EDITORHOOKS& h = EditorHooks();
    h.pfnOpenEditor = [] { OpenEditor(nullptr); };
    h.pfnCloseEditor = &QuitEditor;
    h.pfnNewPuzzle = &NewPuzzle;
    h.pfnLoadPuzzle = &LoadPuzzleDialog;
    h.pfnSavePuzzle = [] { SavePuzzle(); };
    h.pfnEncryption = &EncryptionCommand;
    h.pfnTestPuzzle = &TestPuzzle;
    h.pfnEnableControls = [](BOOL fEnable) { EnableEditorControls(fEnable != FALSE); };

    EDITORSEAMS& e = EditorSeams();
    if (!e.pWindow)
        e.pWindow = GetMenuWindow();
    e.pfnAskYesNo = &AskScreenYesNo;
    e.pfnMessage = &ShowScreenMessage;
    e.pfnMessagePath = [](LONG idText, const char* pszPath) { ScreenMessageBox(mbtClose, idText, "%s", pszPath); };
    e.pfnShowEditorMenu = &ShowEditorMenu;
    e.pfnRemoveMenu = &RemoveMenu;
}
