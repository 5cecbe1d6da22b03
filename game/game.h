// The game's single global state record and the small services over it that
// every part of the rules shares: score, mines remaining, new game values and
// the game's own sound calls.
#pragma once

#include "editor/editor.h"
#include "editor/tutorial.h"
#include "game/avatar.h"
#include "game/levelintro.h"
#include "game/puzzle.h"
#include "input/controls.h"
#include "render/render.h"
#include "render/title.h"
#include "shell/appstate.h"
#include "shell/settings.h"

// The panel of two text lines shown over the scene (failure hints, the
// keyboard hint). The labels themselves are drawn by the screens.
struct HINTPANEL {
    BOOL fShown;
    DWORD dwHideTime;  // tick at which it hides itself; 0 = until hidden
    LONG lTitleId;     // string ids of the two lines
    LONG lTextId;
};

// What a pause keeps to resume play as it was.
struct PAUSEINFO {
    LONG lState;       // the state to return to
    LONG lRollLeft;    // ms until dwRollStart when the pause began
    LONG lStateLeft;   // ms until dwStateEnd when the pause began
    BOOL fRollIdle;    // dwRollStart was 0: no roll rhythm had started
    BOOL fCaptured;    // the mouse was captured, for a field of this size:
    LONG lCaptureWidth, lCaptureLength;
};

struct GAME {
    // Game and screen state.
    LONG lGameState;   // gs*
    BOOL fDyingRed;    // the current gsDying was caused by a Red cube
    LONG lLevel;       // 0 = tutorial
    LONG lPuzzle;      // from 1
    LONG lLives;       // spare lives; -1 = not shown
    LONG lMinesRemaining;  // -1 = not shown
    LONG lScore;
    LONG lHighScore;   // the larger of the stored best score and the score
    BOOL fTutorial;    // a built-in tutorial puzzle is played
    LONG lResumeLevel, lResumePuzzle;  // last reached in a normal game this run
    // The stored best score and the difficulty live in the settings record.
    SETTINGS Settings;
    LEVELLIST Levels;
    ACTIVEPUZZLE ActivePuzzle;
    HINTPANEL Hint;
    AVATAR Avatar;
    RENDER Render;
    TITLEINFO TitleInfo;
    CONTROLS Controls;
    TUTORIAL Tutorial;
    EDITOR Editor;
    LEVELINTRO LevelIntro;
    PAUSEINFO Pause;
    APPSTATE App;
};

extern GAME g;

// Adds points to the score (never in the tutorial, level 0) and raises the
// high score along with it.
void AddScore(LONG points);
void DecreaseMinesRemaining();
void IncreaseMinesRemaining();
void SetMinesRemaining(LONG n);
// Values of a new game: 4 lives, level and puzzle 0, score 0, no mine count,
// the high score from the stored best.
void NewGameValues();
// Sets level, puzzle and mines remaining and refreshes the status display
// (through the flow's refresh seam).
void ShowPuzzle(LONG level, LONG puzzle, LONG mines);
// Sets level and puzzle for the editor, with lives and mines not shown, and
// refreshes the status display.
void EditorStatus(LONG level, LONG puzzle);
// Number of destructible cubes left on the playing area; 0 = solved.
LONG CountDestructibleCubes();

// Square and scene coordinates: the centre of square (x, z) and the square
// under a scene point.
float SquareCentreX(LONG x);
float SquareCentreZ(LONG z);
LONG SceneToColumn(float X);
LONG SceneToRow(float Z);

// Plays one of the game's sounds when sound effects are on and, unless
// fEvenInTutorial, not in tutorial mode.
void PlayGameSound(int id, bool fLoop = false, bool fEvenInTutorial = false);
void StopGameSound(int id);
