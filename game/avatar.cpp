#include "game/avatar.h"

#include "anim/hsl.h"
#include "game/field.h"
#include "game/game.h"
#include "input/gameinput.h"
#include "render/visual.h"
#include "sound/dxsound.h"

#include <algorithm>
#include <cmath>

namespace {

AVATAR& A() { return g.Avatar; }

VISUAL* LimbBox(float S, float D, COLORREF colour)
{
    return MakeBox(0, -0.0425f * S, 0, 0.017f * S, 0.085f * S, D, colour, false);
}

IDirect3DRMFrame2* LimbFrame(float x, float y)
{
    IDirect3DRMFrame2* f = CreateFrame(A().pFrameAvatar);
    SetFramePosition(f, x, y, 0);
    return f;
}

void Build(bool fCrushed)
{
    AVATAR& a = A();
    const float S = fCrushed ? 2.0f : 1.0f;
    const float Dbody = fCrushed ? 0.0085f : 0.034f;
    const float Dlimb = fCrushed ? 0.0085f : 0.017f;
    const COLORREF skin = RGB(192, 178, 178), shirt = RGB(192, 220, 240), trousers = RGB(160, 190, 210);
    a.pFrameAvatar = CreateFrame(g.Render.pFramePrimary);
    a.pVisualHead = MakeBox(0, 0.2312f * S, 0, 0.034f * S, 0.034f * S, Dbody, skin, false);
    a.pVisualBody = MakeBox(0, 0.1496f * S, 0, 0.051f * S, 0.119f * S, Dbody, shirt, false);
    ShowVisual(a.pVisualHead, a.pFrameAvatar);
    ShowVisual(a.pVisualBody, a.pFrameAvatar);
    a.pFrameArmL = LimbFrame(-0.0357f * S, 0.2091f * S);
    a.pFrameArmR = LimbFrame(0.0357f * S, 0.2091f * S);
    a.pFrameLegL = LimbFrame(-0.017f * S, 0.0901f * S);
    a.pFrameLegR = LimbFrame(0.017f * S, 0.0901f * S);
    a.pVisualArmL = LimbBox(S, Dlimb, skin);
    a.pVisualArmR = LimbBox(S, Dlimb, skin);
    a.pVisualLegL = LimbBox(S, Dlimb, trousers);
    a.pVisualLegR = LimbBox(S, Dlimb, trousers);
    ShowVisual(a.pVisualArmL, a.pFrameArmL);
    ShowVisual(a.pVisualArmR, a.pFrameArmR);
    ShowVisual(a.pVisualLegL, a.pFrameLegL);
    ShowVisual(a.pVisualLegR, a.pFrameLegR);
    a.fCrushed = fCrushed;
}

// Frees visuals and frames but keeps the position and the target marker.
void Unbuild()
{
    AVATAR& a = A();
    for (VISUAL** v : {&a.pVisualHead, &a.pVisualBody, &a.pVisualArmL, &a.pVisualArmR, &a.pVisualLegL,
                       &a.pVisualLegR}) {
        FreeVisual(*v);
        *v = nullptr;
    }
    ReleaseFrame(&a.pFrameArmL);
    ReleaseFrame(&a.pFrameArmR);
    ReleaseFrame(&a.pFrameLegL);
    ReleaseFrame(&a.pFrameLegR);
    ReleaseFrame(&a.pFrameAvatar);
}

void AnimateLimbs()
{
    AVATAR& a = A();
    if (a.fWalking && !a.fCrushed) {
        a.fLegPhase += kPi / 9;
        if (a.fLegPhase >= 2 * kPi)
            a.fLegPhase -= 2 * kPi;
    } else {
        a.fLegPhase = 0;
    }
    const float swing = std::sin(a.fLegPhase) * kPi / 5;
    SetFrameRotated(a.pFrameArmL, {1, 0, 0}, swing);
    SetFrameRotated(a.pFrameLegR, {1, 0, 0}, swing);
    SetFrameRotated(a.pFrameArmR, {1, 0, 0}, -swing);
    SetFrameRotated(a.pFrameLegL, {1, 0, 0}, -swing);
}

LONG WalkPan()
{
    const LONG half = g.ActivePuzzle.lWidth / 2;
    return half != 0 ? static_cast<LONG>(A().X * 100.0f / static_cast<float>(half)) : 0;
}

// The walking sound follows the walking flag while playing with sound on and
// not in the tutorial.
void UpdateWalkSound()
{
    AVATAR& a = A();
    const bool want = a.fWalking && g.lGameState == gsPlaying && g.Settings.fSound && !g.fTutorial;
    if (want && !a.fWalkSound) {
        PlayGameSound(sndWalk, true);
        a.fWalkSound = TRUE;
    } else if (!want && a.fWalkSound) {
        StopGameSound(sndWalk);
        a.fWalkSound = FALSE;
    }
}

void Place(float x, float z, float heading)
{
    AVATAR& a = A();
    const bool moved = x != a.X || z != a.Z;
    const bool wasWalking = a.fWalking;
    a.fWalking = moved && a.fMoved;
    a.fMoved = moved;
    a.X = x;
    a.Z = z;
    a.fHeading = heading;
    SetFramePosition(a.pFrameAvatar, x, 0, z);
    SetFrameOrientation(a.pFrameAvatar, {std::cos(heading), 0, std::sin(heading)}, {0, 1, 0});
    if (wasWalking != static_cast<bool>(a.fWalking) || a.fWalking)
        AnimateLimbs();
    UpdateWalkSound();
    if (a.fWalkSound)
        if (SOUND* s = GameSound(sndWalk))
            s->SetPan(WalkPan());
}

bool CubeAt(LONG x, LONG z)
{
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    return x >= 0 && x < ap.lWidth && z >= 0 && z < ap.lLength && ap.aCubes[z][x].lKind != ckNone;
}

}  // namespace

void AvatarRelease()
{
    AVATAR& a = A();
    if (a.fWalkSound)
        StopGameSound(sndWalk);
    Unbuild();
    FreeVisual(a.pVisualTarget);
    a = AVATAR{};
}

void AvatarSetUp()
{
    AvatarRelease();
    Build(false);
    AnimateLimbs();
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    LONG k = 0;
    for (LONG row = 1; row < kFormationRows; ++row)
        for (LONG x = 0; x < ap.lWidth; ++x)
            if (ap.Puzzle.aFormation[row][x] != ckNone)
                k = row;
    const LONG t = std::min(k + 6, ap.lLength);
    A().X = 0.03f;
    A().Z = 0.5f - static_cast<float>(t);
    A().fHeading = kPi / 2;
    SetFramePosition(A().pFrameAvatar, A().X, 0, A().Z);
    SetFrameOrientation(A().pFrameAvatar, {0, 0, 1}, {0, 1, 0});
    if (InputMouseActive())
        InputSetFigurePosition(static_cast<LONG>((A().X + static_cast<float>(ap.lWidth) / 2) * 200),
                               static_cast<LONG>((0.01f - A().Z) * 200));
}

void AvatarSquare(LONG* px, LONG* pz)
{
    *px = SceneToColumn(A().X);
    *pz = SceneToRow(A().Z);
}

void AvatarWalk(float heading, float factor)
{
    static const float kStep[4] = {0.07f, 0.075f, 0.08f, 0.085f};
    AVATAR& a = A();
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    const float step = kStep[std::min<DWORD>(g.Settings.dwDifficulty, 3)];
    float x = a.X + step * std::cos(heading) * factor;
    float z = a.Z + step * std::sin(heading) * factor;
    const LONG cx = SceneToColumn(a.X), cz = SceneToRow(a.Z);
    // The figure cannot leave the field.
    if (SceneToColumn(x) < 0 || SceneToColumn(x) >= ap.lWidth)
        x = a.X;
    if (SceneToRow(z) < 0 || SceneToRow(z) >= ap.lLength)
        z = a.Z;
    const LONG wx = SceneToColumn(x), wz = SceneToRow(z);
    // Not back into the square the cube above it came from.
    if (CubeAt(cx, cz)) {
        LONG fx = cx, fz = cz;
        switch (ap.aCubes[cz][cx].lDirection) {
        case dirForward: fz = cz - 1; break;
        case dirBack: fz = cz + 1; break;
        case dirLeft: fx = cx + 1; break;
        case dirRight: fx = cx - 1; break;
        }
        if (wx == fx && wz == fz && (fx != cx || fz != cz)) {
            x = a.X;
            z = a.Z;
        }
    }
    // A blocked step slides along the free axis.
    if (CubeAt(SceneToColumn(x), SceneToRow(z))) {
        if (CubeAt(wx, cz)) {
            x = a.X;
            if (CubeAt(cx, wz))
                z = a.Z;
        } else {
            z = a.Z;
        }
    }
    Place(x, z, heading);
}

void AvatarWalkTowards(float x, float z)
{
    if (x != A().X || z != A().Z)
        AvatarWalk(std::atan2(z - A().Z, x - A().X), 1);
}

void AvatarSetWalking(bool fWalking)
{
    AVATAR& a = A();
    const bool changed = fWalking != static_cast<bool>(a.fWalking);
    a.fWalking = fWalking;
    if (changed)
        AnimateLimbs();
    UpdateWalkSound();
}

void AvatarShowTarget(bool fShow, float x, float z)
{
    AVATAR& a = A();
    if (!fShow) {
        if (a.pVisualTarget) {
            ShowVisual(a.pVisualTarget, nullptr);
            FreeVisual(a.pVisualTarget);
            a.pVisualTarget = nullptr;
        }
        a.fTargetX = a.fTargetZ = 0;
        return;
    }
    if (!a.pVisualTarget)
        a.pVisualTarget = MakeTargetMarker();
    TranslateVisual(a.pVisualTarget, x - a.fTargetX, 0, z - a.fTargetZ);
    a.fTargetX = x;
    a.fTargetZ = z;
    ShowVisual(a.pVisualTarget, g.Render.pFramePrimary);
    ++a.lTargetShows;
    SetVisualColour(a.pVisualTarget,
                    static_cast<COLORREF>(HSLtoRGB(static_cast<unsigned long>(a.lTargetShows % 256) | (255ul << 8) |
                                                   (150ul << 16))));
}

namespace {
// What AvatarReleaseVisuals let go, for AvatarRebuildVisuals.
bool s_fWasBuilt = false;
bool s_fTargetWasShown = false;
}  // namespace

bool AvatarReleaseVisuals()
{
    AVATAR& a = A();
    s_fTargetWasShown = a.pVisualTarget && a.pVisualTarget->pShowingIn;
    ShowVisual(a.pVisualTarget, nullptr);
    s_fWasBuilt = a.pFrameAvatar != nullptr;
    if (s_fWasBuilt)
        Unbuild();
    return s_fWasBuilt;
}

void AvatarRebuildVisuals()
{
    AVATAR& a = A();
    if (s_fTargetWasShown)
        ShowVisual(a.pVisualTarget, g.Render.pFramePrimary);
    s_fTargetWasShown = false;
    const bool build = s_fWasBuilt && !a.pFrameAvatar;
    s_fWasBuilt = false;
    if (!build)
        return;
    const bool crushed = a.fCrushed;
    Build(crushed);
    if (crushed) {
        SetFrameRotated(a.pFrameAvatar, {-1, 0, 0}, kPi / 2);
        SetFramePosition(a.pFrameAvatar, a.X, 0, a.Z + 0.2091f);
    } else {
        SetFramePosition(a.pFrameAvatar, a.X, 0, a.Z);
        SetFrameOrientation(a.pFrameAvatar, {std::cos(a.fHeading), 0, std::sin(a.fHeading)}, {0, 1, 0});
    }
    AnimateLimbs();
}

void AvatarCrush()
{
    AVATAR& a = A();
    const float x = a.X, z = a.Z;
    Unbuild();
    Build(true);
    AvatarSetWalking(false);
    a.fLegPhase = 0;
    AnimateLimbs();
    SetFrameRotated(a.pFrameAvatar, {-1, 0, 0}, kPi / 2);
    SetFramePosition(a.pFrameAvatar, x, 0, z + 0.2091f);
}
