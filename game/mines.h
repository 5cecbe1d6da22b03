// Mines, detonation, explosions and their gravel, the forbidden marker, and
// the checks for running out of mines and for a solved puzzle.
#pragma once

#include "platform/base/types.h"

// The mine button: detonates when a mine is active, else plants one at the
// figure's square.
void MineButton();
// The clear command: clears all mines, then checks for running out.
void ClearMinesCommand();
// Clears every mine; an unexploded own mine is given back.
void ClearAllMines();
// Adds a mined rectangle in the first free slot; dropped when all are used.
void AddMineRectangle(LONG left, LONG right, LONG nearRow, LONG farRow);
void PlantMine();
void Detonate();
// Destroys the cube at (x, z), starting its explosion; n = the hit count.
void DestroyCube(LONG x, LONG z, LONG n);
// Releases the explosion of a square, or every explosion.
void ReleaseExplosion(LONG x, LONG z);
void ReleaseAllExplosions();
// Moves the gravel of every explosion (once per frame unless paused).
void StepExplosions();
// A Red cube was destroyed: the marker starts to fall onto the figure.
void StartForbidden();
void StepForbidden();
void ReleaseForbidden();
void CheckOutOfMines();
void CheckPuzzleWon();
