// Shows the puzzle editor at 800 by 600 over its 3D scene, with the editor
// menu, the status bar and the panel of controls, works it with the mouse as
// a player would, and saves a picture of each step as a PNG file: the
// editor as it opens, after editing, under a message box, the load dialog
// for two levels, and the editor at 1024 by 768. editor_shots [folder]
// (default: the current folder). The level file is the shipped one, only
// read; settings go to a store of the tool's own.
#include "anim/animwin.h"
#include "anim/display.h"
#include "editor/editor.h"
#include "editor/editorpanel.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/ddraw/presenter.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "render/scene.h"
#include "render/title.h"
#include "screens/editorhooks.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "screens/status.h"
#include "shell/settings.h"
#include "support/textres.h"
#include "tools/shots_host.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {
int g_width = 800;
int g_height = 600;

int WindowService(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    SceneWindowService(w, code);
    MenuService(w, code, wParam, lParam);
    MessageBoxService(w, code, wParam, lParam);
    EditorService(w, code, wParam, lParam);
    shots::IdleStep(code);
    return 1;
}

using shots::Shot;

HWND g_child = nullptr;
ANIMWINDOW* g_aw = nullptr;

void Frames(long n)
{
    g_aw->Animate(n);
}

void Mouse(UINT msg, LONG x, LONG y)
{
    input_store::SetCursor(static_cast<int>(x), static_cast<int>(y));
    SendMessageA(g_child, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void Click(LONG x, LONG y)
{
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_LBUTTONUP, x, y);
}

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// The pixel of the centre of formation cell (x, z) on the floor.
POINT CellPixel(LONG x, LONG z)
{
    const float w = static_cast<float>(g.Editor.Puzzle.lWidth);
    long sx = 0, sy = 0;
    g_aw->FrameToScreen(g.Render.pFramePrimary, static_cast<float>(x) - (w - 1) / 2, 0, -0.5f - static_cast<float>(z),
                        &sx, &sy);
    return POINT{static_cast<LONG>(sx), static_cast<LONG>(sy)};
}

// A box over the editor, answered with its second button.
void BoxShot(int type, LONG idText, const char* name)
{
    shots::BoxShot(type, idText, name, kBoxSecondButton);
}
} // namespace

int main(int argc, char** argv)
{
    HWND main = shots::OpenShotWindow("editor_shots", argc, argv, g_width, g_height, &WindowService, &g_child);
    if (!main)
        return 1;
    g_aw = ANIMWINDOW::GetAnimWindow(g_child);
    SettingsKeepInMemory(true);
    SettingsDefaults(&g.Settings);
    g.Settings.lVideoWidth = g_width;
    g.Settings.lVideoHeight = g_height;
    g.Settings.wColourDepth = 32;
    g.Settings.fSound = FALSE;
    g.Settings.fMusic = FALSE;
    g.Render.paw = g_aw;
    if (!g_aw || !InitScene()) {
        std::fprintf(stderr, "editor_shots: no 800x600 screen with its 3D scene\n");
        return 1;
    }
    SetActiveWindow(main);
    g_aw->SetTargetFrameRate(0);

    SetLanguage(LANG_ENGLISH_TEXTS);
    ResetDataFolder(VARNO_DATA_DIR);
    if (!ReadLevelFile()) {
        std::fprintf(stderr, "editor_shots: cannot read the level file in %s\n", VARNO_DATA_DIR);
        return 1;
    }
    g.lLevel = 1;
    g.lPuzzle = 2;
    g.lGameState = gsMenu;
    InitStatusDisplay(g_aw);
    SetMenuWindow(g_aw);
    InstallMenuSeams();
    InstallEditorLinks();
    input_store::SetCursor(g_width / 2, g_height - 2);

    // The editor as Edit Puzzles opens it, the cursor on a cell.
    ShowMainMenu();
    MenuCommand(mcEditPuzzles);
    const POINT cell = CellPixel(2, 2);
    Mouse(WM_MOUSEMOVE, cell.x, cell.y);
    Frames(20);
    Shot("editor_open");

    // Green chosen, a few cubes placed, the speed dragged up, one column
    // more and one row less.
    EDITORPANELLAYOUT layout = EditorPanelLayout(g_width, g_height);
    const POINT green = Centre(layout.aRcCubes[ckGreen - 1]);
    Click(green.x, green.y);
    for (LONG x = 0; x < 3; ++x) {
        const POINT p = CellPixel(x, 4);
        Click(p.x, p.y);
    }
    const POINT wider = Centre(layout.rcWider), shorter = Centre(layout.rcShorter);
    Click(wider.x, wider.y);
    Click(shorter.x, shorter.y);
    const POINT speed = Centre(layout.rcSpeed);
    Mouse(WM_LBUTTONDOWN, speed.x - 4, speed.y);
    Mouse(WM_MOUSEMOVE, speed.x + 8, speed.y);
    Frames(2);
    Shot("editor_dragging");
    Mouse(WM_LBUTTONUP, speed.x + 8, speed.y);
    const POINT over = CellPixel(4, 1);
    Mouse(WM_MOUSEMOVE, over.x, over.y);
    Frames(20);
    Shot("editor_edited");

    // The save question over the editor: the panel rests until it goes.
    BoxShot(mbtYesNo, idsEditorSaveQuestion, "editor_box");
    Frames(4);

    // The load dialog without asking (the changes are dropped).
    g.Editor.bModified = FALSE;
    MenuCommand(mcLoadPuzzle);
    Mouse(WM_MOUSEMOVE, g_width - 100, g_height - 100);
    Frames(20);
    Shot("editor_load");
    const LOADDIALOGLAYOUT d = LoadDialogLayout(g_width, g_height);
    Click(d.xLevels + 10, d.yFirst + 5); // level 1 (the first button)
    Frames(4);
    if (g.Levels.cLevels > 1) {
        // The second level button lies one button height and a gap lower:
        // found by walking down from the first.
        for (LONG y = d.yFirst + 5; y < g_height && g.Editor.lLoadLevel == 1; y += 4)
            Click(d.xLevels + 10, y);
    }
    Frames(10);
    Shot("editor_load_level2");
    EditorCommand(idLoadPuzzle);
    Frames(20);
    Shot("editor_loaded");

    // A larger screen (set from the main menu, as the game does): the
    // editor opened there again.
    g.Editor.bModified = FALSE;
    QuitEditor();
    ShowMainMenu();
    // The window makes its 3D device anew; the scene follows it.
    Display->SetVideoMode(1024, 768, 32, amFlip);
    g_width = 1024;
    g_height = 768;
    MenuCommand(mcEditPuzzles);
    const POINT cell1024 = CellPixel(1, 3);
    Mouse(WM_MOUSEMOVE, cell1024.x, cell1024.y);
    Frames(20);
    Shot("editor_1024");

    // The largest field, 10 by 15, with cubes in the corners of the
    // formation, seen whole beside the menu at 1024x768 and at 640x480.
    auto largest = [](const char* name) {
        PUZZLE p = NewPuzzleValues(1, 1);
        p.lWidth = kMaxWidth;
        p.lLength = kMaxLength;
        for (LONG z : {LONG{0}, LONG{kFormationRows - 1}})
            for (LONG x : {LONG{0}, LONG{kMaxWidth - 1}})
                p.aFormation[z][x] = ckBlue;
        LoadIntoEditor(1, 1, &p);
        const POINT corner = CellPixel(kMaxWidth - 1, kFormationRows - 1);
        Mouse(WM_MOUSEMOVE, corner.x, corner.y);
        Frames(20);
        Shot(name);
    };
    largest("editor_10x15_1024");
    g.Editor.bModified = FALSE;
    QuitEditor();
    ShowMainMenu();
    Display->SetVideoMode(640, 480, 32, amFlip);
    g_width = 640;
    g_height = 480;
    MenuCommand(mcEditPuzzles);
    largest("editor_10x15_640");

    g.Editor.bModified = FALSE;
    QuitEditor();
    ReleaseMenus();
    RemoveStatusBars();
    SetMenuWindow(nullptr);
    ReleaseScene();
    ReleaseLevelList(&g.Levels);
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return shots::Current().failures ? 1 : 0;
}
