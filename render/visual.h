// Visuals: every solid thing of the 3D scene is one mesh wrapped in a VISUAL,
// built, shown, scaled and freed only through these functions; and the few
// frame operations the rules need to move what they built.
#pragma once

#include "platform/base/types.h"
#include "platform/d3drm/d3dtypes.h"

struct IDirect3DRMFrame2;
struct IDirect3DRMMesh;
struct MINE;
struct GRAVEL;

enum : LONG {
    vmPlain = 0,     // flat pieces, no reflection
    vmOwnFrame = 1,  // a reflection, which owns the frame it is shown in
    vmBox = 2,       // a box that may have a reflection
};

struct VISUAL {
    IDirect3DRMMesh* pMesh;
    LONG lGroup;
    IDirect3DRMFrame2* pShowingIn;
    LONG lMode;
    VISUAL* pReflection;
    float fSizeX, fSizeY, fSizeZ;
};

// Builders: a new visual, not shown anywhere.
VISUAL* MakeBox(float x, float y, float z, float sx, float sy, float sz, COLORREF colour, bool fBrighter);
VISUAL* MakeFlat(float x, float y, float z, float width, float length, COLORREF colour, LONG textureKind,
                 float alpha);
VISUAL* MakeFloor(LONG width, LONG length);
VISUAL* MakeTargetMarker();

void ShowVisual(VISUAL* v, IDirect3DRMFrame2* frame);
void FreeVisual(VISUAL* v);
void SetReflection(VISUAL* v, bool fOn);
void ScaleVisual(VISUAL* v, float fx, float fy, float fz);
COLORREF ColourForKind(LONG kind);
void ApplyKindLook(VISUAL* v, LONG kind);
void CreateMineVisuals(MINE* m);
void FreeMineVisuals(MINE* m);
void CreateGravel(GRAVEL* slot, LONG column, LONG row, COLORREF colour);

// A cube of a kind, created flat in a new frame below pFramePrimary at the
// centre of square (x, z).
void CreateCube(LONG kind, LONG x, LONG z, VISUAL** ppVisual, IDirect3DRMFrame2** ppFrame);

// Frames of the rules. Positions and orientations are relative to
// pFramePrimary.
IDirect3DRMFrame2* CreateFrame(IDirect3DRMFrame2* parent);
// Removes the frame from its parent, releases it and clears the pointer.
void ReleaseFrame(IDirect3DRMFrame2** ppFrame);
void SetFramePosition(IDirect3DRMFrame2* frame, float x, float y, float z);
D3DVECTOR GetFramePosition(IDirect3DRMFrame2* frame);
// Replaces the orientation by a rotation of angle radians about axis.
void SetFrameRotated(IDirect3DRMFrame2* frame, D3DVECTOR axis, float angle);
// Orients the frame by its forward (dir) and up axes.
void SetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR dir, D3DVECTOR up);
void GetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR* dir, D3DVECTOR* up);
// A continuous tumble: theta radians about axis per scene tick.
void SetFrameSpin(IDirect3DRMFrame2* frame, D3DVECTOR axis, float theta);

// Moves a visual's mesh (and its reflection) without a frame.
void TranslateVisual(VISUAL* v, float dx, float dy, float dz);
// Recolours the whole visual.
void SetVisualColour(VISUAL* v, COLORREF colour);
