// The puzzle editor's entries that the menus call: Edit Puzzles and the
// editor menu's commands. The editor connects them; with a null entry the
// menus do what they can themselves: Edit Puzzles shows the editor menu over
// an empty scene, Quit Editor and Previous Menu go back to the main menu,
// and the other editor commands do nothing.
#pragma once

#include "platform/base/types.h"

struct EDITORHOOKS {
    // Edit Puzzles (503): the editor opens; the menus then set the editor
    // state and show the editor menu.
    void (*pfnOpenEditor)();
    // Quit Editor (521) or Previous Menu (509) in the editor: the editor
    // closes; the menus then set the main-menu state and show the main menu.
    // FALSE when the player cancelled: the editor and its menu stay.
    BOOL (*pfnCloseEditor)();
    void (*pfnNewPuzzle)();  // 517
    void (*pfnLoadPuzzle)(); // 518
    void (*pfnSavePuzzle)(); // 519
    void (*pfnEncryption)(); // 520
    // 522, after the menu and the title scene were removed.
    void (*pfnTestPuzzle)();
    // 526: the solver checks the edited puzzle; the menu stays.
    void (*pfnCheckPuzzle)();
    // The editor's own controls are disabled while a message box is shown.
    void (*pfnEnableControls)(BOOL fEnable);
};
EDITORHOOKS& EditorHooks();

// Connects the puzzle editor and the menus both ways: these entries call the
// editor's commands, and the editor's seams show its menu, remove the menu
// and ask and tell through the on-screen message box. The editor's window
// becomes the menus' when it has none yet (SetMenuWindow first).
void InstallEditorLinks();
