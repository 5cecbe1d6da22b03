// The game flow: starting a game and its puzzles, the generated puzzles
// beyond the last level, lives, winning and failing, the per-frame tick,
// pausing, ending a game and the best score.
#pragma once

#include "game/puzzle.h"
#include "platform/base/types.h"

// String id of the resume question.
constexpr LONG idsResumeQuestion = 111;

// What the flow asks of the screens around the game. A null entry does
// nothing; a null question is answered No.
struct FLOWSEAMS {
    // A Yes/No message box with the text of a string id: true for Yes.
    bool (*pfnAskYesNo)(LONG idText);
    void (*pfnShowMainMenu)();
    void (*pfnCloseMenusAndTitle)();
    void (*pfnShowPauseMenu)();
    void (*pfnRemovePauseMenu)();
    // The tutorial's text lines, button and narration go away.
    void (*pfnTutorialDisplayOff)();
    void (*pfnStartMusic)();  // only when it is not playing already
    void (*pfnStopMusic)();
    void (*pfnRefreshStatus)();
    // Replaces the tutorial's script step in play when set (a scripted run
    // of the rules drives the figure itself).
    void (*pfnScriptStep)();
};
FLOWSEAMS& FlowSeams();

// The built-in tutorial puzzle n (1 to 4); false for other numbers.
bool GetTutorialPuzzle(LONG n, PUZZLE* p);

// The main menu's start entry: asks whether to resume where the last game
// of this run left off, closes the menus and the title and starts the game.
void StartGameFromMenu();
// A new game with a puzzle to test (or null), at level (-1: the start level
// setting) and puzzle.
void StartGame(const PUZZLE* pTest, LONG lLevel, LONG lPuzzle);
// Starts puzzle lPuzzle of level lLevel (0: the tutorial), or the test
// puzzle shown under those numbers.
void StartPuzzle(LONG lLevel, LONG lPuzzle, const PUZZLE* pTest);
// Where the level file ends, for the generated puzzles that follow it.
struct GENERATEDBASE {
    LONG lWidth;   // the last level's width: no generated field is narrower
    LONG lSpeed;   // the last level's speed, where the generated speeds start
    LONG lRows;    // the mean depth of the last level's formations
    LONG lChance;  // the percentage of those rows' cells that hold a cube
    LONG lLevel;   // generated levels before this one (0 for the first)
};
// The curve at the end of the level list for generated level lLevel; false
// when the list holds no level to go on from.
bool LastLevelCurve(LONG lLevel, GENERATEDBASE* pBase);
// A puzzle made by chance for a field of lWidth by lLength squares; with a
// base, its speed, depth and fill go on from there (the draws are the same).
void GeneratePuzzle(LONG lWidth, LONG lLength, PUZZLE* p, const GENERATEDBASE* pBase = nullptr);
// Once per frame, after the figure's own step.
void GameTick();
// Ends the game (keeping a new best score); with fToMenu the main menu
// opens.
void EndGame(bool fToMenu);
// During the tutorial: the real game starts at once.
void SkipTutorial();
// Whether the state is one that can be paused.
bool CanPause(LONG state);
// Pauses play (an editor test ends and goes back to the editor instead).
void PauseGame();
// Resumes a paused game with the time left that it had.
void ResumeGame();
