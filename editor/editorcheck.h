// Check Puzzle and Show Solution: the editor runs the solver on the puzzle
// being edited, a slice per frame while a message box says that it is
// searching, tells how it went, and can play the solution found as a test
// game whose figure the solution's script drives.
#pragma once

#include "game/solver.h"
#include "platform/base/types.h"

// The editor menu's Check Puzzle.
constexpr LONG cmdEditorCheck = 526;

// String ids of the check's texts.
enum : LONG {
    idsCheckEntry = 150,       // the menu entry
    idsChecking = 151,         // while searching
    idsCheckSolved = 152,      // %1 mines of %2, %3 frames to spare; show it?
    idsCheckUnknown = 153,     // nothing found in %1 seconds
    idsCheckUnsolvable = 154,  // proven
};

// The work one check may do, and the work done in one frame.
constexpr long long kCheckBudgetFrames = 20 * kSolverFramesPerSecond;
constexpr long long kCheckSliceFrames = 3000;

// What the check asks of the screens. With no busy box the search runs to
// its end at once; with no one to ask, the solution is not shown.
struct CHECKSEAMS {
    // Shows a box with the text of a string id and runs the frame loop until
    // EndBusyBox is called or the player closes the box.
    void (*pfnBusyBox)(LONG idText);
    void (*pfnEndBusyBox)();
    // A one-button box and a Yes/No box with a string id and three numbers
    // for its inserts %1 to %3.
    void (*pfnTell)(LONG idText, LONG a, LONG b, LONG c);
    bool (*pfnAsk)(LONG idText, LONG a, LONG b, LONG c);
    // Takes the editor menu and the title scene off the screen before the
    // solution's test game starts, as the menu's Test Puzzle does.
    void (*pfnBeforeShow)();
};
CHECKSEAMS& CheckSeams();

// Runs the solver on the edited puzzle at the difficulty of the options and
// tells the result; after a solution the player may watch it. The puzzle is
// never changed.
void CheckPuzzle();
// One slice of a running check (from the editor's frame service).
void StepPuzzleCheck();
bool fChecking();
// The last check's answer, or null before the first.
const SOLVERESULT* LastCheck();
// Plays the last check's solution as a test game of the edited puzzle; false
// when there is none for the puzzle as it is now.
bool ShowSolution();
// Whether a solution is being shown; the show ends when the editor opens
// again (EndSolutionShow).
bool fShowingSolution();
void EndSolutionShow();
