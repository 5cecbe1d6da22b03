// The field simulation: setting up a puzzle's field, growing the cubes out of
// the floor, rolling them one square at a time towards the far end, pushes,
// cubes falling off, jumping Black cubes.
#pragma once

#include "platform/base/types.h"

constexpr float kPi = 3.14159265358979f;

// Roll and pause times from the puzzle's speed and the difficulty.
void ComputeRollTimes(LONG speed, DWORD difficulty, LONG* pRollTime, LONG* pPauseTime);

// At every start and restart of a puzzle: the field from g.ActivePuzzle.Puzzle,
// cubes flat and not shown, the figure at its start.
void SetUpField();
// Releases cubes, explosions, the forbidden marker and mines.
void ReleaseField();
void ReleaseFloor();
// Play begins: the cubes are shown and grow.
void ShowField();
// Puzzle won or killed by a Red cube: the cubes shrink away.
void ShrinkField();
// The player's advance command: a roll starts now unless one runs.
void StartRollNow();
// The figure stands on a square taken by a cube: it is crushed and the
// state becomes gsDying. False when its square is free.
bool CrushFigureUnderCube();
// Every cube of the playing area at rest; the pause starts anew.
void RestAllCubes();

// Once per frame in gsPlaying, gsPuzzleWon, gsSweep and gsDying: growing,
// the forbidden marker, the roll cycle and the shrinking after a Red cube.
void StepField();
// Once per frame unless paused: falling cubes, jumping Black cubes and
// explosions.
void StepFieldAnimations();
