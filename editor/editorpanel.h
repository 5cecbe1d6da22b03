// The editor's panel at the right edge of the screen (cube buttons, speed and
// mines controls, size arrows and their captions) and its load dialog, as the
// editor sees them: a small table of operations that the on-screen controls
// fill in, and the layout they follow.
#pragma once

#include "platform/base/types.h"

class ANIMWINDOW;

// Where everything of the panel goes on a screen of a given size (pixels of
// the animation window).
struct EDITORPANELLAYOUT {
    RECT rcPanel;            // full height at the right edge
    RECT rcCubesCaption;     // "Cubes"
    RECT aRcCubes[5];        // cube buttons of kinds 1 to 5
    RECT rcSpeedCaption;     // "Speed"
    RECT rcSpeed;            // the speed control (1001)
    RECT rcSpeedText;        // the speed as "-20%"
    RECT rcMinesCaption;     // "Mines"
    RECT rcMines;            // the mines control (1002)
    RECT rcMinesText;        // the mines as "4"
    RECT rcSizeCaption;      // "Size"
    RECT rcLonger;           // 1006, bitmap 119
    RECT rcShorter;          // 1005, bitmap 118
    RECT rcWider;            // 1004, bitmap 117
    RECT rcNarrower;         // 1003, bitmap 116
    LONG lFontHeight;        // pixel height of the editor font
};
EDITORPANELLAYOUT EditorPanelLayout(LONG screenWidth, LONG screenHeight);

// Bitmap ids: the cube buttons' images by kind (1 to 5) and the arrows'.
LONG CubeButtonBitmap(LONG kind);
enum : LONG {
    idbNarrower = 116,
    idbWider = 117,
    idbShorter = 118,
    idbLonger = 119,
};

// The editor panel's captions (string ids) and font description.
enum : LONG {
    idsSpeedCaption = 51,
    idsEditorFont = 52,   // "Arial,-%1"
    idsCubesCaption = 53,
    idsMinesCaption = 54,
    idsSizeCaption = 124,
    idsLoadTitle = 67,    // "Load which puzzle?"
    idsLoadLevel = 68,    // "  Level %1  "
    idsLoadPuzzle = 69,   // "  Puzzle %1  "
    idsLoadCancel = 70,   // "  Cancel   "
    idsLoadButton = 56,   // "  Load Puzzle   "
    idsLoadMoreLevels = 163,   // "  More Levels   "
    idsLoadMorePuzzles = 164,  // "  More Puzzles   "
};

// Texts shown under the controls: the speed as "%ld%%", the mines as "%ld".
void FormatSpeedText(LONG speed, char* out, int cch);
void FormatMinesText(LONG mines, char* out, int cch);

// What the load dialog shows: the title, the two buttons, a column of level
// buttons and a column of the chosen level's puzzle buttons, the chosen ones
// pressed.
struct LOADDIALOGVIEW {
    LONG cLevels;   // level buttons, up to ten
    LONG cPuzzles;  // puzzle buttons of the chosen level, up to ten
    LONG lLevel;    // chosen, from 1
    LONG lPuzzle;
    LONG lFirstLevel = 1;   // the number of the first level button
    LONG lFirstPuzzle = 1;  // the number of the first puzzle button
    bool fMoreLevels = false;   // a "More Levels" button under the level column
    bool fMorePuzzles = false;  // a "More Puzzles" button under the puzzle column
};
struct LOADDIALOGLAYOUT {
    POINT ptTitle;       // (width / 4, height / 5)
    POINT ptLoad;        // (width / 2, height * 0.4) or below the columns; Cancel 10 pixels right of it
    LONG xLevels;        // width / 3
    LONG xPuzzles;       // width / 6 + width / 3
    LONG yFirst;         // height / 10 + height / 5
    LONG lGap;           // 5 pixels between buttons of a column
};
// With the rows of the longer column and the buttons' height given, the
// Load and Cancel buttons move down below the columns where they would
// cover their last buttons.
LOADDIALOGLAYOUT LoadDialogLayout(LONG screenWidth, LONG screenHeight, LONG rows = 0, LONG buttonHeight = 0);
constexpr COLORREF kLoadTitleColour = RGB(192, 255, 255);
constexpr COLORREF kLoadButtonColour = RGB(192, 192, 255);

// The operations the on-screen controls supply. Every entry may be null:
// the editor then works without that part of its screen.
struct EDITORPANELOPS {
    // Builds the panel in the window for its present size: the cube buttons
    // (kind lKind selected), the value controls (command target EditorHook)
    // showing speed and mines, the arrows and the captions.
    void (*pfnCreate)(ANIMWINDOW* pWindow, LONG lKind, LONG lSpeed, LONG lMines);
    // Frees the panel and its bitmaps, the load dialog if any, and the font.
    void (*pfnDestroy)();
    void (*pfnSetValues)(LONG lSpeed, LONG lMines);
    void (*pfnSelectKind)(LONG lKind);
    // The value a value control (1001 or 1002) shows.
    LONG (*pfnGetValue)(LONG id);
    void (*pfnEnable)(bool fEnable);
    // Shows (or rebuilds) the load dialog; removes it.
    void (*pfnShowLoadDialog)(ANIMWINDOW* pWindow, const LOADDIALOGVIEW& view);
    void (*pfnRemoveLoadDialog)();
};
// The table in use; at start the panel of on-screen controls.
EDITORPANELOPS& EditorPanelOps();
// The panel and the load dialog made of on-screen controls: the panel's face
// and captions are one object behind the controls; the cube buttons are a
// radio group showing their kinds' textures, the speed and mines are value
// controls, the size arrows picture buttons. The controls take the mouse
// themselves and send their commands to EditorHook.
EDITORPANELOPS ControlEditorPanelOps();
