// What the game plays with: cube kinds, puzzles and levels as they come from
// the level file, and the active puzzle being played (the grid of cubes, the
// mines, the explosions and the timers and animation values of the field).
#pragma once

#include "platform/base/types.h"

struct VISUAL;
class IDirect3DRMFrame2;
class IDirect3DRMLight;

// Cube kinds, signed 32-bit codes as stored in formations and in the grid.
enum CUBEKIND : LONG {
    ckNone = 0,   // empty square
    ckGray = 1,   // destroyed
    ckGreen = 2,  // destroyed, leaves a 3 by 3 mine-field
    ckRed = 3,    // must not be destroyed: the player dies
    ckBlack = 4,  // cannot be destroyed: it jumps
    ckBlue = 5,   // destroyed, pushes its neighbours one square away
};
constexpr LONG ckCount = 6;

// Directions of a roll or a push. dirNone marks a cube that does not move in
// the next roll (after a detonation, until the next roll is prepared).
enum : LONG {
    dirNone = 0,
    dirLeft = 1,     // x - 1
    dirRight = 2,    // x + 1
    dirBack = 3,     // z - 1
    dirForward = 4,  // z + 1
};

// Screen and game states; one number tells every subsystem what is on
// screen. 10 is not used.
enum : LONG {
    gsStartup = 0,
    gsIntro = 1,
    gsLevelIntro = 2,
    gsPlaying = 3,
    gsDying = 4,
    gsDead = 5,
    gsGameOver = 6,
    gsPuzzleStart = 7,
    gsPaused = 8,
    gsMenu = 9,
    gsPuzzleWon = 11,
    gsEditor = 12,
    gsSweep = 13,
};

// Field limits.
constexpr int kFormationRows = 6;
constexpr int kMaxWidth = 10;
constexpr int kMaxLength = 15;
constexpr int kMinWidth = 4;
constexpr int kMinLength = 7;
// Holding cells of the grid for cubes falling off the field.
constexpr int kRowOffFar = 15;     // rolled off the far end
constexpr int kRowOffStart = 16;   // pushed off the start
constexpr int kColOffLeft = 10;    // pushed off the left side
constexpr int kColOffRight = 11;   // pushed off the right side
constexpr int kGridRows = 17;
constexpr int kGridCols = 12;
constexpr int kMaxMines = 10;
constexpr int kMaxGravel = 20;
constexpr int kMineSquares = 9;

// One puzzle: 64 signed 32-bit values, copied whole.
struct PUZZLE {
    LONG lWidth;                                    // 4 to 10
    LONG lLength;                                   // 7 to 15
    LONG aFormation[kFormationRows][kMaxWidth];     // [row][column] cube kinds
    LONG lSpeed;                                    // -100 to 100 (tutorial down to -300)
    LONG lMines;                                    // at least 1
};
static_assert(sizeof(PUZZLE) == 64 * 4, "a puzzle is 64 values");

// One level: its puzzles and the defaults given to them.
struct LEVEL {
    PUZZLE* pPuzzles;
    LONG cPuzzles;
    LONG lWidth;
    LONG lLength;
    LONG lSpeed;
};

// The level list as read from the level file. Levels are numbered from 1 in
// list order; level 0 stands for the tutorial.
struct LEVELCOMMENTS;
struct LEVELLIST {
    LEVEL* pLevels;
    LONG cLevels;
    BOOL fScrambled;  // the file last read was in the scrambled form
    // The comments of the level file, where they stood, for the writer to
    // put back; null when the text held none. Owned by the list.
    LEVELCOMMENTS* pComments;
};

struct GRAVEL {
    IDirect3DRMFrame2* pFrame;
    VISUAL* pVisual;
    float fVelocity;  // vertical speed, units per frame
};

struct EXPLOSION {
    GRAVEL aGravel[kMaxGravel];
};

// One cell of the grid. When a cube moves, everything but pExp moves with it.
struct CUBE {
    LONG lKind;
    VISUAL* pVisual;            // non-null exactly while a cube object exists here
    IDirect3DRMFrame2* pFrame;  // child of pFramePrimary
    EXPLOSION* pExp;            // the explosion running at this square
    LONG lDirection;            // dir* of the next or current roll
    BOOL bBouncing;             // a Black cube that was hit is jumping
};

// One glowing square of a mine, with its red light.
struct MINESQUARE {
    VISUAL* pVisual;
    IDirect3DRMFrame2* pFrameMine;   // child of pFramePrimary at the square's centre
    IDirect3DRMFrame2* pFrameLight;  // child of pFrameMine, 0.2 above it
    IDirect3DRMLight* pLight;
};

// One rectangle of mined squares: the player's single mine or a Green cube's
// mine-field of up to 3 by 3.
struct MINE {
    BOOL bActive;
    LONG lLeft, lRight;  // first and last column
    LONG lNear, lFar;    // first and last row
    MINESQUARE aSquares[kMineSquares];
};

// The puzzle being played.
struct ACTIVEPUZZLE {
    LONG lWidth, lLength;
    VISUAL* pFloor;
    LONG lRollTime;   // ms of one roll at this speed and difficulty
    LONG lPauseTime;  // ms between two rolls
    LONG lStepTime;   // ms of the roll in progress
    float fGrow;      // progress of growing or shrinking; kNoGrow when none runs
    float fGrowRows;  // rows the growing or shrinking walks through
    float fForbiddenStep;
    float fBounceSpeed, fBounceHeight;
    float fRollAngle;  // pi/4 .. 3pi/4 while a roll runs, else 0
    float fSpinAngle;  // spin of cubes falling off the field
    float fSourceStep, fTargetStep;
    DWORD dwRollStart;  // next roll start, or start of the roll in progress; 0 = rhythm not started
    DWORD dwStateEnd;   // end of the current timed game state
    CUBE aCubes[kGridRows][kGridCols];  // [z][x]
    MINE aMines[kMaxMines];
    IDirect3DRMFrame2* pFrameForbidden;
    VISUAL* pVisualForbidden;
    PUZZLE Puzzle;
    BOOL bMinePlanted;
    BOOL bTesting;
};

constexpr float kNoGrow = -5.0f;

inline bool IsDestructible(LONG kind)
{
    return kind == ckGray || kind == ckGreen || kind == ckBlue;
}
