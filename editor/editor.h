// The puzzle editor: one puzzle of the level list edited as a copy, its
// formation shown as cubes on the floor and changed with the mouse, its size,
// speed and mines set on the panel, tested as a game of its own and written
// back into the level file.
#pragma once

#include "game/puzzle.h"
#include "platform/d3drm/d3dtypes.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

class ANIMWINDOW;
struct VISUAL;
class IDirect3DRMFrame2;

// Commands of the editor menu.
enum : LONG {
    cmdEditPuzzles = 503,
    cmdEditorNew = 517,
    cmdEditorLoad = 518,
    cmdEditorSave = 519,
    cmdEditorEncryption = 520,
    cmdEditorQuit = 521,
    cmdEditorTest = 522,
};

// Identifiers of the panel's and the load dialog's controls. The cube
// buttons are 1 to 5, their kinds.
enum : LONG {
    idEditorSpeed = 1001,
    idEditorMines = 1002,
    idEditorNarrower = 1003,
    idEditorWider = 1004,
    idEditorShorter = 1005,
    idEditorLonger = 1006,
    idLoadLevelFirst = 1010,   // level buttons 1010 to 1019
    idLoadPuzzleFirst = 1020,  // puzzle buttons 1020 to 1029
    idLoadCancel = 1031,
    idLoadPuzzle = 1032,
};

// String ids of the editor's texts.
enum : LONG {
    idsEditorSaved = 64,           // "The puzzle has been saved ..."
    idsEditorNotSaved = 61,        // the level file could not be rewritten
    idsEditorSaveQuestion = 71,    // "Do you want to save your changes ...?"
    idsEditorNoDestructible = 135, // a puzzle needs a cube that can be destroyed
};

// Limits of what the editor lets a puzzle be.
constexpr LONG kEditorMinSpeed = -100;
constexpr LONG kEditorMaxSpeed = 100;
constexpr LONG kEditorMinMines = 1;
constexpr LONG kEditorMaxMines = 20;
// The load dialog shows at most this many level and puzzle buttons.
constexpr LONG kLoadButtons = 10;

// One cell of the formation on screen; a cell without a cube has both null.
struct EDITORCUBE {
    VISUAL* pVisual;
    IDirect3DRMFrame2* pFrame;
};

struct EDITOR {
    BOOL fOpen;               // the editor is on screen (gsEditor or its load dialog)
    LONG lLevel, lPuzzle;     // from 1
    PUZZLE Puzzle;            // the edited copy
    BOOL bModified;           // changes not yet saved
    EDITORCUBE aCubes[kFormationRows][kMaxWidth];  // [row][column]
    LONG lSelX, lSelZ;        // the cell under the cursor
    VISUAL* pSel;             // the cursor square, null when no cell is under the mouse
    IDirect3DRMFrame2* pFrameSel;
    LONG lKind;               // the cube button selected, 1 to 5
    BOOL fLoadDialog;         // the load dialog is shown instead of the puzzle
    LONG lLoadLevel, lLoadPuzzle;  // the choice in the load dialog, from 1
    BOOL fControlsDisabled;   // a message box is up
    BOOL fHooked;             // the editor's hook is installed on pWindow
    ANIMWINDOW* pHookWindow;  // where the hook was installed
};

// What the editor asks of the screens around it. Null entries do nothing;
// a question with no one to ask is answered No.
struct EDITORSEAMS {
    // The game's animation window: the editor's hook and the picking in the
    // 3D view go through it. Null: no hook and no picking.
    ANIMWINDOW* pWindow;
    // A Yes/No message box with the text of a string id; true for Yes. Null
    // asks through FlowSeams().pfnAskYesNo.
    bool (*pfnAskYesNo)(LONG idText);
    // A one-button message box with the text of a string id.
    void (*pfnMessage)(LONG idText);
    // The editor menu, shown again when the editor comes back from a test
    // and after the load dialog.
    void (*pfnShowEditorMenu)();
    // The menu goes while the load dialog is shown.
    void (*pfnRemoveMenu)();
    // The status bars show the values of g again. Null refreshes through
    // FlowSeams().pfnRefreshStatus.
    void (*pfnRefreshStatus)();
    // A Yes/No/Cancel message box with the text of a string id: one of the
    // answers below. Null asks Yes or No through pfnAskYesNo.
    int (*pfnAskYesNoCancel)(LONG idText);
    // The rectangle the editor menu's entries cover (FALSE while it is not
    // shown) and the height of the top status bar. Null: estimates of both
    // from the menu's and the bars' layout rules.
    BOOL (*pfnMenuRect)(RECT* prc);
    LONG (*pfnTopBarHeight)();
};
// Answers of the save question.
enum : int {
    edAnswerCancel = 2,
    edAnswerYes = 6,
    edAnswerNo = 7,
};
EDITORSEAMS& EditorSeams();

// ---- Opening and closing ----------------------------------------------------

// Enters the editor at the level and puzzle last played. With a puzzle
// (coming back from a test) that puzzle is edited as it is, under those
// numbers, and the editor menu is shown again.
void OpenEditor(const PUZZLE* pSrc);
inline void OpenEditor(const PUZZLE& src) { OpenEditor(&src); }
// Asks to save the changes, then leaves the editor: its hook, panel, load
// dialog, cubes, cursor and floor go. The screen state is left to the caller.
// False when the player cancelled the question: the editor stays as it was.
bool CloseEditor();
// The editor menu's Quit Editor (and Previous Menu in the editor): closes
// the editor, sets the state to the main menu's and takes the status bars
// away; the caller shows the main menu. False when the player cancelled.
bool QuitEditor();
bool fEditorOpen();

// ---- The edited puzzle ------------------------------------------------------

// Edits puzzle lPuzzle of level lLevel: a copy of pSrc when given (the
// modified flag is kept), else the level list's puzzle, else a new puzzle
// with the values of the puzzle before it.
void LoadIntoEditor(LONG lLevel, LONG lPuzzle, const PUZZLE* pSrc);
// The values of a new puzzle at that place: width 6, length 8, speed 0,
// 4 mines, no cubes; but width, length, speed and mines of the puzzle before
// it (the level's previous puzzle, or for a puzzle 1 the last puzzle of the
// level before) when there is one.
PUZZLE NewPuzzleValues(LONG lLevel, LONG lPuzzle);
// The level and puzzle number New Puzzle opens: after the last puzzle of a
// single level (a new level once it holds ten), after the last puzzle of the
// last level while it has fewer puzzles than the level before it, else puzzle
// 1 of a new level.
void NextFreePuzzle(LONG* plLevel, LONG* plPuzzle);

// Grows or shrinks the field by one column (dx) or row (dz) within 4 to 10
// columns and 7 to 15 rows; a column is only taken away when it is empty.
void Resize(LONG dx, LONG dz);
// Moves the whole formation one cell, only when no cube would leave it.
void Shift(LONG dx, LONG dz);
// The cube button chosen (1 to 5).
void SelectCubeKind(LONG kind);
void SetEditorSpeed(LONG speed);
void SetEditorMines(LONG mines);

// ---- The view ---------------------------------------------------------------

// The part of a screen of that size where the field is seen whole: right of
// the editor menu, left of the panel, below the top status bar.
RECT EditorFreeArea(LONG screenWidth, LONG screenHeight);
// The camera that shows a field of width by length squares (with the cubes
// of its first six rows) inside the free rectangle of a view of vw by vh
// pixels whose field of view is field (half the view's width at distance
// 1), looking down the field in the editor's fixed direction from as close
// as it can.
void EditorCameraFor(LONG width, LONG length, const RECT& rcFree, LONG vw, LONG vh, float field, D3DVECTOR* pSource,
                     D3DVECTOR* pTarget);
// Places the camera for the edited puzzle's size and the window's view;
// called whenever the size, the mode or the menu changes.
void FitEditorCamera();

// ---- The mouse --------------------------------------------------------------

// Finds the cell at a point of the animation window (client pixels) and puts
// the cursor there, or removes the cursor when no formation cell is there.
void PickCell(LONG x, LONG y);
// With a cursor: empties its cell and, with fPlace, puts a cube of the
// selected kind there; then picks again at the last point.
void ClickCell(bool fPlace);
// Puts the cursor on cell (x, z) of the formation; a cell outside the
// formation removes it.
void SetCursorCell(LONG x, LONG z);
void RemoveCursor();

// ---- The menu's commands ----------------------------------------------------

// Asks to save the changes (when there are any), then opens the next free
// puzzle. Cancelling the question leaves everything as it was (so do Load
// and Quit).
void NewPuzzle();
// Asks to save, then shows the load dialog over the empty scene.
void LoadPuzzleDialog();
// Copies the puzzle into the level list and writes the level file in its
// form; tells the player how it went. False when the file was not written.
bool SavePuzzle();
// Writes the level file in the other form (scrambled or plain) and tells the
// player.
void EncryptionCommand();
// Closes the editor without asking (the changes are kept for the return) and
// starts a game of the edited puzzle under its numbers.
void TestPuzzle();
// The editor menu's commands 517 to 522 and Check Puzzle (526); false for
// other commands.
bool EditorMenuCommand(LONG command);

// ---- The load dialog --------------------------------------------------------

// Counts the dialog shows: levels (up to ten) and the chosen level's puzzles
// (up to ten).
LONG LoadDialogLevels();
LONG LoadDialogPuzzles();
// A level button: that level is chosen and its puzzles are shown, the
// pressed puzzle kept where the level has it (else its last); a puzzle
// button: that puzzle.
void LoadDialogChooseLevel(LONG lLevel);
void LoadDialogChoosePuzzle(LONG lPuzzle);
// "Load Puzzle": the dialog goes, the menu comes back and the choice is
// edited. "Cancel": the dialog goes and the current puzzle is shown again.
void LoadDialogLoad();
void LoadDialogCancel();

// ---- Panel commands, keys, frames -------------------------------------------

// A command of the panel or the load dialog (window command identifiers);
// false for identifiers that are not the editor's.
bool EditorCommand(LONG id);
// The editor's window hook on the animation window: mouse moves and button
// presses pick and click, released arrow keys shift (with Shift resize),
// commands go to EditorCommand. Returns 0 so that others see every message.
LRESULT EditorHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The editor's member of the frame callback chain. Returns 1.
int EditorService(ANIMWINDOW* pWindow, int code, unsigned wParam, long lParam);
// A message box disables the editor's controls while it is up and enables
// them again when it has gone.
void EnableEditorControls(bool fEnable);
