#include "game/field.h"

#include "game/flow.h"
#include "game/game.h"
#include "game/hint.h"
#include "game/mines.h"
#include "game/sweep.h"
#include "input/gameinput.h"
#include "platform/clock/clock.h"
#include "render/visual.h"
#include "sound/dxsound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kR = 0.70710677f;  // half the diagonal of a unit square
constexpr float kRollStart = kPi / 4;
constexpr float kRollRocks = 3 * kPi / 8;
constexpr float kRollCommit = 5 * kPi / 8;
constexpr float kRollEnd = 3 * kPi / 4;

ACTIVEPUZZLE& AP() { return g.ActivePuzzle; }

// A deadline of 0 means "not started"; a computed deadline never takes it.
DWORD Deadline(DWORD t) { return t != 0 ? t : 1; }
bool Passed(DWORD now, DWORD deadline) { return static_cast<LONG>(now - deadline) >= 0; }

LONG MulDiv(LONG a, LONG b, LONG c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long q = p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
    return static_cast<LONG>(q);
}

D3DVECTOR AxisOf(LONG direction)
{
    switch (direction) {
    case dirForward: return {-1, 0, 0};
    case dirBack: return {1, 0, 0};
    case dirLeft: return {0, 0, 1};
    case dirRight: return {0, 0, -1};
    default: return {0, 0, 0};
    }
}

bool FieldState(LONG s) { return s == gsPlaying || s == gsPuzzleWon || s == gsSweep || s == gsDying; }

void ReleaseCell(CUBE& c)
{
    FreeVisual(c.pVisual);
    c.pVisual = nullptr;
    ReleaseFrame(&c.pFrame);
    c.lKind = ckNone;
    c.lDirection = dirNone;
    c.bBouncing = FALSE;
}

// Whether a cube on (x, z) counts as lying over the field for its
// reflection.
bool OnField(LONG x, LONG z, LONG direction, bool fBeforeCommit)
{
    const ACTIVEPUZZLE& ap = AP();
    if (z >= ap.lLength || x >= ap.lWidth || z == ap.lLength - 1)
        return false;
    if (fBeforeCommit && direction == dirLeft && x == 0)
        return false;
    if (fBeforeCommit && direction == dirRight && x == ap.lWidth - 1)
        return false;
    return true;
}

void RestCube(LONG x, LONG z)
{
    CUBE& c = AP().aCubes[z][x];
    c.bBouncing = FALSE;
    if (!c.pFrame)
        return;
    SetFrameRotated(c.pFrame, {0, 1, 0}, 0);
    SetFramePosition(c.pFrame, SquareCentreX(x), 0.5f, SquareCentreZ(z));
    SetReflection(c.pVisual, OnField(x, z, dirNone, false));
}

void SetAllDirections(LONG direction)
{
    for (int z = 0; z < kMaxLength; ++z)
        for (int x = 0; x < kMaxWidth; ++x)
            AP().aCubes[z][x].lDirection = direction;
}

void StepGrowing()
{
    ACTIVEPUZZLE& ap = AP();
    const LONG state = g.lGameState;
    // Cubes rise while play runs, in a sweep and while the figure dies
    // under one; they shrink only after a Red cube was destroyed.
    const bool rising = state == gsPlaying || state == gsSweep || (state == gsDying && !g.fDyingRed);
    const float oldGrow = ap.fGrow;
    const float newGrow = rising ? oldGrow + 0.03f : oldGrow - 0.03f;
    if (oldGrow == 0.01f && rising)
        PlayGameSound(sndGrow);
    bool changed = false;
    for (int j = 0; j < kMaxLength && static_cast<float>(j) < ap.fGrowRows; ++j) {
        const float delay = state == gsPlaying ? 0.1f * static_cast<float>(j) : 0.0f;
        const float oldH = std::clamp(oldGrow - delay, 0.01f, 1.0f);
        const float newH = std::clamp(newGrow - delay, 0.01f, 1.0f);
        for (int x = 0; x < kMaxWidth; ++x) {
            CUBE& c = ap.aCubes[j][x];
            if (!c.pVisual)
                continue;
            if (oldH != newH) {
                ScaleVisual(c.pVisual, 1, newH / oldH, 1);
                SetFramePosition(c.pFrame, SquareCentreX(x), newH / 2, SquareCentreZ(j));
                SetReflection(c.pVisual, OnField(x, j, dirNone, false));
                changed = true;
            } else if (newH == 0.01f && delay != 0) {
                changed = true;  // its row is still waiting
            }
        }
    }
    ap.fGrow = newGrow;
    if (ap.fGrow <= 0.01f) {
        ap.fGrow = kNoGrow;
        for (int z = 0; z < kMaxLength; ++z)
            for (int x = 0; x < kMaxWidth; ++x)
                ShowVisual(ap.aCubes[z][x].pVisual, nullptr);
    }
    if (!changed && rising) {
        ap.fGrow = kNoGrow;
        ap.dwRollStart = Deadline(GetTickCount() + (state == gsPlaying ? ap.lPauseTime : 0));
        SetAllDirections(dirForward);
        StopGameSound(sndGrow);
    }
}

// Moves the cube of one cell to another; pExp stays with each square.
// Returns the kind that entered a holding cell, or ckNone.
LONG MoveCube(LONG x, LONG z, LONG tx, LONG tz)
{
    ACTIVEPUZZLE& ap = AP();
    CUBE& from = ap.aCubes[z][x];
    CUBE& to = ap.aCubes[tz][tx];
    if (to.lKind != ckNone || to.pVisual) {
        // The square is taken (a push ran into a standing cube): this cube
        // stays where it is rather than overwrite the other.
        from.lDirection = dirNone;
        return ckNone;
    }
    EXPLOSION* keep = to.pExp;
    to = from;
    to.pExp = keep;
    EXPLOSION* stay = from.pExp;
    from = CUBE{};
    from.pExp = stay;
    const bool holding = tz >= kMaxLength || tx >= kMaxWidth;
    SetReflection(to.pVisual, !holding && OnField(tx, tz, to.lDirection, false));
    return holding ? to.lKind : ckNone;
}

void Commit(float a)
{
    ACTIVEPUZZLE& ap = AP();
    // 1. Cubes still falling from the last commit are gone.
    for (int z = kRowOffFar; z <= kRowOffStart; ++z)
        for (int x = 0; x < kMaxWidth; ++x)
            ReleaseCell(ap.aCubes[z][x]);
    for (int z = 0; z < kMaxLength; ++z)
        for (int x = kColOffLeft; x <= kColOffRight; ++x)
            ReleaseCell(ap.aCubes[z][x]);
    bool fellDestructible = false;
    auto note = [&](LONG kind) { fellDestructible |= IsDestructible(kind); };
    // 2. Moves towards smaller coordinates, visiting those first.
    for (LONG z = 0; z < kMaxLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x) {
            const CUBE& c = ap.aCubes[z][x];
            if (c.lKind == ckNone)
                continue;
            if (c.lDirection == dirLeft)
                note(MoveCube(x, z, x == 0 ? kColOffLeft : x - 1, z));
            else if (c.lDirection == dirBack)
                note(MoveCube(x, z, x, z == 0 ? kRowOffStart : z - 1));
        }
    // 3. Moves towards larger coordinates, visiting those first.
    for (LONG z = kMaxLength - 1; z >= 0; --z)
        for (LONG x = kMaxWidth - 1; x >= 0; --x) {
            const CUBE& c = ap.aCubes[z][x];
            if (c.lKind == ckNone)
                continue;
            if (c.lDirection == dirRight)
                note(MoveCube(x, z, x == ap.lWidth - 1 ? kColOffRight : x + 1, z));
            else if (c.lDirection == dirForward)
                note(MoveCube(x, z, x, z == ap.lLength - 1 ? kRowOffFar : z + 1));
        }
    // 5.
    ap.fSpinAngle = a;
    // 6.
    if (g.lGameState == gsPlaying && fellDestructible) {
        ShowHint(idsHintCubeFell, idsHintCubeFellText, 0);
        StartSweep();
        PlayGameSound(sndFell);
    }
    // 7.
    if (g.lGameState == gsPlaying || g.lGameState == gsSweep) {
        if (!g.fTutorial && !FlowSeams().pfnScriptStep)
            InputPollFigure();
        CrushFigureUnderCube();
    }
    // 8.
    if (g.lGameState == gsPlaying)
        AddScore(10);
}

void PlaceRolling(float a)
{
    ACTIVEPUZZLE& ap = AP();
    const bool drawnFromOrigin = a >= kRollCommit;
    const float lift = 0.5f + (kR * std::sin(a) - 0.5f);
    const float d = kR * std::cos(a) - 0.5f;
    for (LONG z = 0; z < ap.lLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x) {
            CUBE& c = ap.aCubes[z][x];
            if (!c.pFrame || c.lDirection == dirNone)
                continue;
            LONG ox = x, oz = z;
            if (drawnFromOrigin) {
                switch (c.lDirection) {
                case dirLeft: ox = x + 1; break;
                case dirRight: ox = x - 1; break;
                case dirForward: oz = z - 1; break;
                case dirBack: oz = z + 1; break;
                }
            }
            float X = SquareCentreX(ox), Z = SquareCentreZ(oz);
            switch (c.lDirection) {
            case dirForward: Z += d; break;
            case dirBack: Z -= d; break;
            case dirLeft: X += d; break;
            case dirRight: X -= d; break;
            }
            SetFrameRotated(c.pFrame, AxisOf(c.lDirection), a - kRollStart);
            SetFramePosition(c.pFrame, X, lift, Z);
            SetReflection(c.pVisual, OnField(ox, oz, c.lDirection, !drawnFromOrigin) && OnField(x, z, dirNone, false));
        }
}

void EndRoll()
{
    ACTIVEPUZZLE& ap = AP();
    const DWORD now = GetTickCount();
    ap.lStepTime = ap.lRollTime;
    if ((g.lGameState == gsDying && !g.fDyingRed) || g.lGameState == gsSweep) {
        ap.lPauseTime = 0;
        ap.lStepTime = 200;
    }
    ap.fRollAngle = 0;
    ap.dwRollStart = Deadline(now + ap.lPauseTime);
    SetAllDirections(dirForward);
    bool any = false;
    for (LONG z = 0; z <= ap.lLength && z < kGridRows && !any; ++z)
        for (LONG x = 0; x < kMaxWidth && !any; ++x)
            any = ap.aCubes[z][x].lKind != ckNone;
    if (any) {
        PlayGameSound(sndRoll);
    } else if ((g.lGameState == gsDying && !g.fDyingRed) || g.lGameState == gsSweep) {
        // Every cube has left the field: the figure was crushed, or (should
        // the wall ever have missed it) the sweep is over all the same.
        g.lGameState = gsDead;
        g.ActivePuzzle.dwStateEnd = Deadline(now + 1500);
    }
}

void StepRollCycle()
{
    ACTIVEPUZZLE& ap = AP();
    const LONG state = g.lGameState;
    const DWORD now = GetTickCount();
    if (ap.fRollAngle == 0) {
        const bool may = (state == gsPlaying && CountDestructibleCubes() > 0) || state == gsSweep ||
                         (state == gsDying && !g.fDyingRed);
        if (!may || !Passed(now, ap.dwRollStart))
            return;
        ap.fRollAngle = kRollStart;
        ap.lStepTime = (state == gsDying || state == gsSweep) ? 200 : ap.lRollTime;
        SetAllDirections(dirForward);
        if (state == gsPlaying) {
            ap.fSourceStep = 0.08f;
            ap.fTargetStep = 0.04f;
        }
    }
    const float prev = ap.fRollAngle;
    const float elapsed = static_cast<float>(static_cast<LONG>(now - ap.dwRollStart));
    float a = elapsed * (kPi / 2) / static_cast<float>(ap.lStepTime) + kRollStart;
    a = std::clamp(a, kRollStart, kRollEnd);
    if (prev < kRollRocks && a >= kRollRocks)
        PlayGameSound(sndRocks);
    ap.fRollAngle = a;
    if (prev < kRollCommit && a >= kRollCommit) {
        Commit(a);
        if (ap.fRollAngle == 0)
            return;  // a sweep began and put the cubes at rest
    }
    PlaceRolling(a);
    if (a >= kRollEnd)
        EndRoll();
}

bool AnyCubeShown()
{
    for (int z = 0; z < kMaxLength; ++z)
        for (int x = 0; x < kMaxWidth; ++x)
            if (const VISUAL* v = AP().aCubes[z][x].pVisual; v && v->pShowingIn)
                return true;
    return false;
}

}  // namespace

void ComputeRollTimes(LONG speed, DWORD difficulty, LONG* pRollTime, LONG* pPauseTime)
{
    static const LONG kOffset[4] = {-15, 0, 10, 20};
    LONG s = speed + (difficulty < 4 ? kOffset[difficulty] : 0);
    s = std::clamp<LONG>(s, -500, 100);
    if (s > 0) {
        *pRollTime = 200 + MulDiv(200, 100 - s, 100);
        *pPauseTime = 300 + MulDiv(500, 100 - s, 100);
    } else {
        *pRollTime = 400 + MulDiv(100, -s, 100);
        *pPauseTime = 800 + MulDiv(700, -s, 100);
    }
}

void ReleaseField()
{
    ACTIVEPUZZLE& ap = AP();
    ReleaseAllExplosions();
    for (auto& row : ap.aCubes)
        for (CUBE& c : row)
            ReleaseCell(c);
    ReleaseForbidden();
    ClearAllMines();
}

void ReleaseFloor()
{
    FreeVisual(AP().pFloor);
    AP().pFloor = nullptr;
}

void SetUpField()
{
    ACTIVEPUZZLE& ap = AP();
    ReleaseField();
    const bool resized = ap.lWidth != ap.Puzzle.lWidth || ap.lLength != ap.Puzzle.lLength;
    ap.lWidth = std::clamp<LONG>(ap.Puzzle.lWidth, kMinWidth, kMaxWidth);
    ap.lLength = std::clamp<LONG>(ap.Puzzle.lLength, kMinLength, kMaxLength);
    for (int z = 0; z < kFormationRows; ++z)
        for (int x = 0; x < ap.lWidth; ++x) {
            const LONG kind = ap.Puzzle.aFormation[z][x];
            ap.aCubes[z][x].lKind = kind > ckNone && kind < ckCount ? kind : ckNone;
        }
    if (resized || !ap.pFloor) {
        ReleaseFloor();
        ap.pFloor = MakeFloor(ap.lWidth, ap.lLength);
        ShowVisual(ap.pFloor, g.Render.pFramePrimary);
    }
    ap.fRollAngle = 0;
    ap.dwRollStart = 0;
    ap.fGrow = kNoGrow;
    ap.fSpinAngle = 0;
    ap.fForbiddenStep = 0.3f;
    ap.bMinePlanted = FALSE;
    ComputeRollTimes(ap.Puzzle.lSpeed, g.Settings.dwDifficulty, &ap.lRollTime, &ap.lPauseTime);
    ap.lStepTime = ap.lRollTime;
    for (LONG z = 0; z < kFormationRows; ++z)
        for (LONG x = 0; x < ap.lWidth; ++x) {
            CUBE& c = ap.aCubes[z][x];
            if (c.lKind != ckNone)
                CreateCube(c.lKind, x, z, &c.pVisual, &c.pFrame);
        }
    AvatarSetUp();
}

void ShowField()
{
    ACTIVEPUZZLE& ap = AP();
    for (auto& row : ap.aCubes)
        for (CUBE& c : row)
            if (c.pVisual)
                ShowVisual(c.pVisual, c.pFrame);
    ap.fGrow = 0.01f;
    ap.fGrowRows = 6;
    // The keyboard hint, once for the keyboard device.
    if (g.lLevel >= 1) {
        if (g.Settings.ControlDevice == cdKeyboard) {
            if (!g.Settings.fKeyboardHintShown) {
                g.Settings.fKeyboardHintShown = TRUE;
                SaveSettings();
                ShowHint(idsHintKeyboard, idsHintKeyboardText, 7500);
            }
        } else if (g.Settings.fKeyboardHintShown) {
            g.Settings.fKeyboardHintShown = FALSE;
            SaveSettings();
        }
    }
}

void RestAllCubes()
{
    ACTIVEPUZZLE& ap = AP();
    for (LONG z = 0; z < kMaxLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x)
            RestCube(x, z);
    ap.fRollAngle = 0;
    ap.dwRollStart = Deadline(GetTickCount() + ap.lPauseTime);
}

void ShrinkField()
{
    RestAllCubes();
    AP().fGrow = 0.97f;
    AP().fGrowRows = 15;
}

void StartRollNow()
{
    ACTIVEPUZZLE& ap = AP();
    // Nothing rolls while the cubes still grow out of the floor.
    if (ap.fRollAngle != 0 || ap.fGrow != kNoGrow)
        return;
    ap.dwRollStart = Deadline(GetTickCount() - 1);
    ap.lStepTime = 300;
    ap.fRollAngle = kRollStart;
    SetAllDirections(dirForward);
}

bool CrushFigureUnderCube()
{
    ACTIVEPUZZLE& ap = AP();
    LONG fx, fz;
    AvatarSquare(&fx, &fz);
    if (fx < 0 || fx >= kGridCols || fz < 0 || fz >= kGridRows || ap.aCubes[fz][fx].lKind == ckNone)
        return false;
    ClearAllMines();
    AvatarCrush();
    g.lGameState = gsDying;
    g.fDyingRed = FALSE;
    ap.fSourceStep = 0.7f;
    ap.fTargetStep = 0.2f;
    PlayGameSound(sndScream);
    return true;
}

void StepField()
{
    ACTIVEPUZZLE& ap = AP();
    if (!FieldState(g.lGameState))
        return;
    if (ap.fGrow != kNoGrow)
        StepGrowing();
    StepForbidden();
    if (ap.fGrow == kNoGrow && ap.dwRollStart != 0 && FieldState(g.lGameState) &&
        !(g.lGameState == gsDying && g.fDyingRed))
        StepRollCycle();
    if (g.lGameState == gsDying && g.fDyingRed && ap.fGrow == kNoGrow && AnyCubeShown())
        ShrinkField();
}

void StepFieldAnimations()
{
    ACTIVEPUZZLE& ap = AP();
    if (g.lGameState == gsPaused)
        return;
    // Cubes leaving the field fall and spin away.
    ap.fSpinAngle += kPi / 20;
    auto fall = [&](CUBE& c, LONG direction) {
        if (!c.pFrame)
            return;
        SetFrameRotated(c.pFrame, AxisOf(direction), ap.fSpinAngle);
        D3DVECTOR p = GetFramePosition(c.pFrame);
        p.y -= 0.2f;
        SetFramePosition(c.pFrame, p.x, p.y, p.z);
        SetReflection(c.pVisual, false);
        if (p.y < -20)
            ReleaseCell(c);
    };
    for (int x = 0; x < kMaxWidth; ++x) {
        fall(ap.aCubes[kRowOffFar][x], dirForward);
        fall(ap.aCubes[kRowOffStart][x], dirBack);
    }
    for (int z = 0; z < kMaxLength; ++z) {
        fall(ap.aCubes[z][kColOffLeft], dirLeft);
        fall(ap.aCubes[z][kColOffRight], dirRight);
    }
    // Jumping Black cubes.
    ap.fBounceSpeed -= 0.02f;
    ap.fBounceHeight = std::max(ap.fBounceHeight + ap.fBounceSpeed, 0.5f);
    for (LONG z = 0; z < kMaxLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x) {
            CUBE& c = ap.aCubes[z][x];
            if (!c.bBouncing || !c.pFrame)
                continue;
            SetFrameRotated(c.pFrame, {0, 1, 0}, 0);
            SetFramePosition(c.pFrame, SquareCentreX(x), ap.fBounceHeight, SquareCentreZ(z));
            SetReflection(c.pVisual, OnField(x, z, dirNone, false));
            if (ap.fBounceHeight == 0.5f)
                c.bBouncing = FALSE;
        }
    StepExplosions();
}
