// The player's figure: a small body of box visuals in frames that walks over
// the squares between the cubes.
#pragma once

#include "platform/base/types.h"

struct VISUAL;
class IDirect3DRMFrame2;

struct AVATAR {
    IDirect3DRMFrame2* pFrameAvatar;  // child of pFramePrimary, on the floor at (X, 0, Z)
    IDirect3DRMFrame2* pFrameArmL;
    IDirect3DRMFrame2* pFrameArmR;
    IDirect3DRMFrame2* pFrameLegL;
    IDirect3DRMFrame2* pFrameLegR;
    VISUAL* pVisualHead;
    VISUAL* pVisualBody;
    VISUAL* pVisualArmL;
    VISUAL* pVisualArmR;
    VISUAL* pVisualLegL;
    VISUAL* pVisualLegR;
    float X, Z;       // position on the field plane
    float fHeading;   // radians; the figure faces (cos, 0, sin)
    BOOL fMoved;      // the last placement changed the position
    BOOL fWalking;    // the walking animation and sound run
    float fLegPhase;  // 0 .. 2 pi
    BOOL fCrushed;
    BOOL fPlaced;     // placed at least once since built
    // The mouse target marker.
    VISUAL* pVisualTarget;
    float fTargetX, fTargetZ;  // accumulated offset of the marker's mesh
    LONG lTargetShows;
    BOOL fWalkSound;  // "walk.wav" was started by the figure
};

// Set up at the start of a puzzle: build, pose, place at the start position.
void AvatarSetUp();
void AvatarRelease();
void AvatarWalk(float heading, float factor);
void AvatarWalkTowards(float x, float z);
void AvatarSetWalking(bool fWalking);
void AvatarShowTarget(bool fShow, float x, float z);
void AvatarCrush();
// For a rebuilt scene: AvatarReleaseVisuals lets the figure's visuals and
// frames (and the shown target marker) go while the old scene still exists,
// and returns whether the figure was built; AvatarRebuildVisuals then builds
// it anew in the new primary frame, where and as it stood (crushed or not),
// and shows the marker again if it was shown.
bool AvatarReleaseVisuals();
void AvatarRebuildVisuals();
// The square the figure stands on.
void AvatarSquare(LONG* px, LONG* pz);
