// Visuals: every solid thing of the 3D scene is one mesh wrapped in a VISUAL,
// built, shown, scaled and freed only through these functions; and the few
// frame operations the rules need to move what they built.
#pragma once

#include "platform/base/types.h"
#include "platform/d3drm/d3dtypes.h"

class IDirect3DRMFrame2;
class IDirect3DRMMesh;
struct MINE;
struct GRAVEL;

enum : LONG {
    vmPlain = 0,    // flat pieces, no reflection
    vmOwnFrame = 1, // a reflection, which owns the frame it is shown in
    vmBox = 2,      // a box that may have a reflection
};

struct VISUAL {
    IDirect3DRMMesh* pMesh; // one reference, released by FreeVisual
    // The group without vertices of its own that stands for the whole mesh:
    // colour, material and texture changes go to it.
    LONG lGroup;
    IDirect3DRMFrame2* pShowingIn;
    LONG lMode;
    VISUAL* pReflection;
    float fSizeX, fSizeY, fSizeZ;
};

// Builders: a new visual, not shown anywhere.
VISUAL* MakeBox(float x, float y, float z, float sx, float sy, float sz, COLORREF colour, bool fBrighter);
VISUAL* MakeFlat(float x, float y, float z, float width, float length, COLORREF colour, LONG textureKind, float alpha);
// The glassy field of width x length squares from z = 0 towards -z, with
// its rims and the dark skirts below them.
VISUAL* MakeFloor(LONG width, LONG length);
// A horizontal equilateral triangle; an angle of 0 is drawn by chance.
VISUAL* MakeTriangle(float x, float y, float z, float radius, float angle);
// A white unit cube whose face towards -z shows the front texture (a
// texture number) and the other faces texture 12.
VISUAL* MakeTitleCube(float x, float y, float z, LONG frontTexture);
VISUAL* MakeTargetMarker();
VISUAL* MakeCursorSquare(LONG textureKind);

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

// Frames of the rules, made by the scene's factory. Positions and
// orientations are relative to the frame's parent: pFramePrimary for the
// frames of cubes, mines and gravel, the figure's frame for its limbs.
// The caller holds one reference to a new frame (its parent holds another).
IDirect3DRMFrame2* CreateFrame(IDirect3DRMFrame2* parent);
// Removes the frame from its parent, releases it and clears the pointer.
// Frames still hanging in it become roots and are freed when their own
// holders release them.
void ReleaseFrame(IDirect3DRMFrame2** ppFrame);
void SetFramePosition(IDirect3DRMFrame2* frame, float x, float y, float z);
D3DVECTOR GetFramePosition(IDirect3DRMFrame2* frame);
// Replaces the orientation by a rotation of angle radians about axis.
void SetFrameRotated(IDirect3DRMFrame2* frame, D3DVECTOR axis, float angle);
// Orients the frame by its forward (dir) and up axes.
void SetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR dir, D3DVECTOR up);
void GetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR* dir, D3DVECTOR* up);
// A continuous tumble: theta radians about axis per scene tick (applied
// when the scene moves).
void SetFrameSpin(IDirect3DRMFrame2* frame, D3DVECTOR axis, float theta);

// Moves a visual's mesh (and its reflection's, mirrored) without a frame.
void TranslateVisual(VISUAL* v, float dx, float dy, float dz);
// Recolours the whole visual (alpha 255).
void SetVisualColour(VISUAL* v, COLORREF colour);
