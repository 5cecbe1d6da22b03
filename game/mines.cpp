#include "game/mines.h"

#include "game/field.h"
#include "game/game.h"
#include "game/hint.h"
#include "game/sweep.h"
#include "platform/clock/clock.h"
#include "render/scene.h"
#include "render/visual.h"
#include "sound/dxsound.h"

#include <algorithm>
#include <vector>

namespace {

ACTIVEPUZZLE& AP() { return g.ActivePuzzle; }

struct HIT {
    LONG x, z, kind;
};

LONG MulDiv(LONG a, LONG b, LONG c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<LONG>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

bool AnyMineActive()
{
    for (const MINE& m : AP().aMines)
        if (m.bActive)
            return true;
    return false;
}

void ReleaseGravel(GRAVEL& piece)
{
    FreeVisual(piece.pVisual);
    piece.pVisual = nullptr;
    ReleaseFrame(&piece.pFrame);
    piece.fVelocity = 0;
}

// Gives every cube in a run of neighbours a direction; true if any got one.
bool PushRun(LONG x, LONG z, LONG dx, LONG dz, LONG direction)
{
    ACTIVEPUZZLE& ap = AP();
    bool any = false;
    for (x += dx, z += dz; x >= 0 && x < ap.lWidth && z >= 0 && z < ap.lLength; x += dx, z += dz) {
        CUBE& c = ap.aCubes[z][x];
        if (!c.pVisual)
            break;
        c.lDirection = direction;
        any = true;
    }
    return any;
}

}  // namespace

void ClearAllMines()
{
    ACTIVEPUZZLE& ap = AP();
    if (ap.bMinePlanted) {
        IncreaseMinesRemaining();
        ap.bMinePlanted = FALSE;
    }
    for (MINE& m : ap.aMines)
        if (m.bActive) {
            FreeMineVisuals(&m);
            m.bActive = FALSE;
        }
}

void AddMineRectangle(LONG left, LONG right, LONG nearRow, LONG farRow)
{
    for (MINE& m : AP().aMines) {
        if (m.bActive)
            continue;
        m.lLeft = left;
        m.lRight = right;
        m.lNear = nearRow;
        m.lFar = farRow;
        m.bActive = TRUE;
        CreateMineVisuals(&m);
        return;
    }
}

void PlantMine()
{
    // No mine is left to plant (the counter never goes below 0).
    if (g.lMinesRemaining <= 0)
        return;
    ClearAllMines();
    DecreaseMinesRemaining();
    AP().bMinePlanted = TRUE;
    LONG x, z;
    AvatarSquare(&x, &z);
    AddMineRectangle(x, x, z, z);
    PlayGameSound(sndPlace);
}

void MineButton()
{
    // Once the last destructible cube is gone the puzzle is won as soon as
    // its explosion ends: the button neither plants nor detonates meanwhile.
    if (g.lGameState != gsPlaying || CountDestructibleCubes() == 0)
        return;
    if (AnyMineActive())
        Detonate();
    else
        PlantMine();
}

void ClearMinesCommand()
{
    ClearAllMines();
    CheckOutOfMines();
}

void Detonate()
{
    ACTIVEPUZZLE& ap = AP();
    // 1. Refused during the first three quarters of a roll.
    if (ap.fRollAngle != 0 && ap.fRollAngle < 5 * kPi / 8)
        return;
    // 2. Everything at rest; the pause starts anew.
    RestAllCubes();
    // 3. Collect the squares hit.
    std::vector<HIT> hits;
    hits.reserve(kMaxMines * kMineSquares);
    int nBlack = 0, nGreen = 0, nRed = 0;
    for (const MINE& m : ap.aMines) {
        if (!m.bActive)
            continue;
        for (LONG x = m.lLeft; x <= m.lRight; ++x)
            for (LONG z = m.lNear; z <= m.lFar; ++z) {
                if (x < 0 || x >= kMaxWidth || z < 0 || z >= kMaxLength)
                    continue;
                const LONG kind = ap.aCubes[z][x].lKind;
                if (kind == ckNone)
                    continue;
                if (std::any_of(hits.begin(), hits.end(), [&](const HIT& h) { return h.x == x && h.z == z; }))
                    continue;
                hits.push_back({x, z, kind});
                nBlack += kind == ckBlack;
                nGreen += kind == ckGreen;
                nRed += kind == ckRed;
            }
    }
    // 4. A mine that hit nothing is given back.
    if (ap.bMinePlanted && hits.empty())
        IncreaseMinesRemaining();
    ap.bMinePlanted = FALSE;
    ClearAllMines();
    for (LONG z = 0; z < kMaxLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x)
            ap.aCubes[z][x].lDirection = dirNone;
    // 5. Blue pushes.
    bool push = false;
    if (nRed == 0)
        for (const HIT& h : hits) {
            if (h.kind != ckBlue)
                continue;
            push |= PushRun(h.x, h.z, 1, 0, dirRight);
            push |= PushRun(h.x, h.z, -1, 0, dirLeft);
            push |= PushRun(h.x, h.z, 0, 1, dirForward);
            push |= PushRun(h.x, h.z, 0, -1, dirBack);
        }
    // 6. Effects.
    const LONG n = static_cast<LONG>(hits.size());
    for (const HIT& h : hits) {
        if (h.kind == ckGreen && nRed == 0)
            AddMineRectangle(std::max<LONG>(h.x - 1, 0), std::min<LONG>(h.x + 1, ap.lWidth - 1),
                             std::max<LONG>(h.z - 1, 0), std::min<LONG>(h.z + 1, ap.lLength - 1));
        if (h.kind == ckBlack) {
            ap.fBounceSpeed = 0.1f;
            ap.fBounceHeight = 0.5f;
            ap.aCubes[h.z][h.x].bBouncing = TRUE;
        } else {
            DestroyCube(h.x, h.z, n);
        }
    }
    // 7. Sounds.
    PlayGameSound(hits.empty() ? sndHitNone : sndHitCube);
    if (nBlack)
        PlayGameSound(sndHitSteel);
    if (nGreen)
        PlayGameSound(sndHitBonus);
    if (nRed)
        PlayGameSound(sndHitBad);
    // 8. and 9.
    if (nRed) {
        StartForbidden();
    } else {
        if (n >= 1)
            AddScore(100 + 500 * (n - 1));
        if (push) {
            ap.dwRollStart = GetTickCount() - 1;
            if (ap.dwRollStart == 0)
                ap.dwRollStart = 1;
            ap.lStepTime = 300;
            ap.fRollAngle = kPi / 4;
        }
    }
    // 10.
    CheckOutOfMines();
}

void ReleaseExplosion(LONG x, LONG z)
{
    CUBE& c = AP().aCubes[z][x];
    if (!c.pExp)
        return;
    for (GRAVEL& piece : c.pExp->aGravel)
        ReleaseGravel(piece);
    delete c.pExp;
    c.pExp = nullptr;
}

void ReleaseAllExplosions()
{
    for (LONG z = 0; z < kGridRows; ++z)
        for (LONG x = 0; x < kGridCols; ++x)
            ReleaseExplosion(x, z);
}

void DestroyCube(LONG x, LONG z, LONG n)
{
    ReleaseExplosion(x, z);
    CUBE& c = AP().aCubes[z][x];
    const COLORREF colour = RepresentativeColour(TextureForKind(c.lKind));
    FreeVisual(c.pVisual);
    c.pVisual = nullptr;
    ReleaseFrame(&c.pFrame);
    c.lKind = ckNone;
    c.lDirection = dirNone;
    c.bBouncing = FALSE;
    c.pExp = new EXPLOSION{};
    const LONG m = std::clamp<LONG>(n, 1, 10);
    const LONG pieces = MulDiv(15, 10 - m, 9) + 5;
    for (LONG i = 0; i < pieces; ++i)
        CreateGravel(&c.pExp->aGravel[i], x, z, colour);
}

void StepExplosions()
{
    ACTIVEPUZZLE& ap = AP();
    const float W = static_cast<float>(ap.lWidth), L = static_cast<float>(ap.lLength);
    for (LONG z = 0; z < kMaxLength; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x) {
            EXPLOSION* e = ap.aCubes[z][x].pExp;
            if (!e)
                continue;
            const float cx = SquareCentreX(x), cz = SquareCentreZ(z);
            bool left = false;
            for (GRAVEL& piece : e->aGravel) {
                if (!piece.pFrame)
                    continue;
                piece.fVelocity -= 0.01f;
                D3DVECTOR p = GetFramePosition(piece.pFrame);
                p.x += 0.03f * (p.x - cx);
                p.z += 0.03f * (p.z - cz);
                p.y += piece.fVelocity;
                if (p.y >= -0.1f) {
                    SetFramePosition(piece.pFrame, p.x, p.y, p.z);
                    const float hx = piece.pVisual ? piece.pVisual->fSizeX / 2 : 0;
                    const float hz = piece.pVisual ? piece.pVisual->fSizeZ / 2 : 0;
                    const bool above = p.x - hx >= -W / 2 && p.x + hx <= W / 2 && p.z + hz <= 0 && p.z - hz >= -L;
                    SetReflection(piece.pVisual, above);
                    left = true;
                } else {
                    ReleaseGravel(piece);
                }
            }
            if (!left) {
                delete e;
                ap.aCubes[z][x].pExp = nullptr;
                CheckPuzzleWon();
            }
        }
}

void StartForbidden()
{
    ACTIVEPUZZLE& ap = AP();
    ApplyAmbientLight(1);
    g.lGameState = gsDying;
    g.fDyingRed = TRUE;
    ap.fSourceStep = 0.15f;
    ap.fTargetStep = 0.15f;
    ap.dwStateEnd = GetTickCount() + 5000;
    ap.fForbiddenStep = 0.3f;
    ReleaseForbidden();
    LONG x, z;
    AvatarSquare(&x, &z);
    ap.pFrameForbidden = CreateFrame(g.Render.pFrameRoot);
    SetFramePosition(ap.pFrameForbidden, SquareCentreX(x), 20, SquareCentreZ(z));
    ap.pVisualForbidden = MakeBox(0, 0, 0, 1, 1, 1, ColourForKind(ckRed), false);
    ApplyKindLook(ap.pVisualForbidden, ckRed);
    ShowVisual(ap.pVisualForbidden, ap.pFrameForbidden);
    SetReflection(ap.pVisualForbidden, z != ap.lLength - 1);
    ShowHint(idsHintForbidden, idsHintForbiddenText, 0);
}

void StepForbidden()
{
    ACTIVEPUZZLE& ap = AP();
    if (!ap.pFrameForbidden)
        return;
    D3DVECTOR p = GetFramePosition(ap.pFrameForbidden);
    if (p.y <= 0.5f)
        return;
    p.y = std::max(p.y - ap.fForbiddenStep, 0.5f);
    SetFramePosition(ap.pFrameForbidden, p.x, p.y, p.z);
    SetReflection(ap.pVisualForbidden, SceneToRow(p.z) != ap.lLength - 1);
    if (p.y == 0.5f) {
        AvatarCrush();
        PlayGameSound(sndRocks);
        PlayGameSound(sndRoll);
        PlayGameSound(sndScream);
    }
}

void ReleaseForbidden()
{
    ACTIVEPUZZLE& ap = AP();
    FreeVisual(ap.pVisualForbidden);
    ap.pVisualForbidden = nullptr;
    ReleaseFrame(&ap.pFrameForbidden);
}

void CheckOutOfMines()
{
    if (g.lGameState != gsPlaying || g.lMinesRemaining != 0 || AnyMineActive() || CountDestructibleCubes() == 0)
        return;
    ShowHint(idsHintOutOfMines, idsHintOutOfMinesText, 0);
    StartSweep();
}

void CheckPuzzleWon()
{
    if (g.lGameState != gsPlaying || CountDestructibleCubes() != 0)
        return;
    ACTIVEPUZZLE& ap = AP();
    ShrinkField();
    AvatarSetWalking(false);
    ApplyAmbientLight(1);
    g.lGameState = gsPuzzleWon;
    ap.fSourceStep = 0.15f;
    ap.fTargetStep = 0.15f;
    ap.dwStateEnd = GetTickCount() + 1500;
    const LONG left = g.lMinesRemaining;
    AddScore(left >= 2 ? 50000 : left == 1 ? 30000 : 10000);
    if (!g.Settings.fSound || g.fTutorial)
        return;
    int id = left >= 2 ? sndWonLevel3 : left == 1 ? sndWonLevel2 : sndWonLevel1;
    while (id > sndWonLevel1 && !(GameSound(id) && GameSound(id)->fLoaded()))
        --id;
    PlayGameSound(id);
}
