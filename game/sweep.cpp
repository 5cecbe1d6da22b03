#include "game/sweep.h"

#include "game/game.h"
#include "game/field.h"
#include "game/mines.h"
#include "render/visual.h"

void StartSweep()
{
    ACTIVEPUZZLE& ap = g.ActivePuzzle;
    // A roll that was committing ends here: the cubes stand on their new
    // squares while the wall grows, and the sweep's own rolls follow.
    RestAllCubes();
    // A wall of Black cubes takes the place of row 0.
    for (LONG x = 0; x < ap.lWidth; ++x) {
        ReleaseExplosion(x, 0);
        CUBE& c = ap.aCubes[0][x];
        FreeVisual(c.pVisual);
        ReleaseFrame(&c.pFrame);
        c = CUBE{};
        c.lKind = ckBlack;
        CreateCube(ckBlack, x, 0, &c.pVisual, &c.pFrame);
        ShowVisual(c.pVisual, c.pFrame);
    }
    // Only row 0 grows, without delay.
    ap.fGrow = 0.01f;
    ap.fGrowRows = 1;
    g.lGameState = gsSweep;
    AvatarSetWalking(false);
    // A figure standing in row 0 is under the new wall.
    CrushFigureUnderCube();
}
